#pragma once

#include <memory>
#include <vector>

#include "exercise/HeldKeys.h"
#include "exercise/PracticeRecords.h"
#include "exercise/TeacherView.h"
#include "scene/AbstractShapes.h"
#include "scene/TextLabels.h"
#include "trainer/NoteStaff.h"
#include "trainer/PianoKey.h"

class CNoteManager;
class CPiano;
class CSpacePainter;
class Teacher;

// Picture kind 32: the keyboard in the lower part of the view, tilted
// towards the camera, and the grand staff above it. It is a view of the
// exercise and the held keys, which the application owns: built, it shows
// the note on show and the keys held; destroyed (full screen, a lost
// context), it lets go of them and the exercise runs on.
class CPianoNotes : public CAbstractShapes, public ITeacherView, public IHeldKeysView {
public:
    // How far a drag may turn the picture from its own camera, in degrees.
    static constexpr float kMaxOrbitYaw = 35.0f;
    static constexpr float kMaxOrbitPitch = 25.0f;
    // The window shape (width over height) the camera distance is made for.
    static constexpr float kFittedAspect = 1.25f;
    static constexpr int kKind = 32;
    static constexpr float kGlyphScale = 0.065f;
    static constexpr float kCameraDistance = 13.0f;
    static constexpr int kLowestKey = 36;
    static constexpr int kKeyAfterHighest = 96;
    static constexpr const char* kLabelFace = "DejaVu Sans";
    // Painted large so that labels stay sharp where the view comes close.
    static constexpr int kLabelPixels = 56;
    // The staff's note names drawn twice as large as it lays them out, which
    // still leaves its two columns of names apart.
    static constexpr float kStaffLabelGrowth = 2.0f;
    // Low enough that the staff's lowest ledger label clears the keyboard case.
    static constexpr float kPianoY = -1.55f;

    CPianoNotes(CSpacePainter& scene, CVertexBuffer& firstList, CVertexBuffer& secondList,
                CNoteManager& noteManager, Teacher& teacher, CHeldKeys& heldKeys);
    ~CPianoNotes() override;

    bool Create();
    // The learner's results of the current lesson.
    bool GetStatusText(CCharString& text) const override;

    // ITeacherView
    void OnNoteShown(const CNote& expected, int previousNote) override;
    void OnWrongNote(const CNote& written, bool on) override;
    void OnRightNote(const CNote& expected) override;
    // The note names on the staff, the expected key's mark and the key
    // letters follow the exercise's hints.
    void OnHintsChanged() override;
    // No note is expected any more: its key's mark goes.
    void OnLessonFinished() override;
    // No lesson yet: the staff is empty and no key is marked.
    void OnStandBy() override;
    // IHeldKeysView
    void OnKeyChanged(const NOTE_EVENT& event) override;

    // Builds the picture into the scene's lists: the factory of kind 32.
    static CPianoNotes* Make(CSpacePainter& scene, CVertexBuffer& list, CNoteManager& noteManager,
                             Teacher& teacher, CHeldKeys& heldKeys);

    // Colours every key by how often its note was right at the first try
    // (stats from the whole history), with a legend under the status; off
    // gives the keys their own colours back.
    bool ShowKeyAccuracy(const std::vector<PRACTICE_NOTE_STATS>& stats, bool on);
    bool IsShowingKeyAccuracy() const { return m_accuracyShown; }
    static constexpr const char* kAccuracyLegend =
        "Key colours: green, right at the first try; yellow, half right; red, mostly missed";

    CPiano* GetPiano() const { return m_piano; }
    CNoteStaff* GetStaff() const { return m_staff; }

private:
    // The staff's colours, with its note names light on the black background.
    static STAFF_COLORS LightLabels() {
        STAFF_COLORS colors;
        colors.nameText = kStaffNameText;
        return colors;
    }
    static constexpr uint32_t kStaffNameText = 0xFFB8D8FF;

    void Attach();
    void Detach();
    static void GrowLabels(CPrimitive& staff);
    // Presses and releases the drawn keys as the held keys are now.
    void ShowHeldKeys();
    // One key is marked, exactly while its note is expected and the hint
    // is on; every other mark goes.
    void ShowExpectedMark();
    // A held key shows the key light, except the marked key: a right key
    // held shows its green mark alone, never a colour that reads as wrong.
    void ShowKeyLight(int midiNote);

    CSpacePainter& m_scenePainter;
    CVertexBuffer& m_secondList;
    CNoteManager& m_noteManager;
    Teacher& m_teacher;
    CHeldKeys& m_heldKeys;
    bool m_attached = false;
    KEYBOARD_COLORS m_keyboardColors;
    STAFF_COLORS m_staffColors = LightLabels();
    CTextLabels m_labels;
    CPiano* m_piano = nullptr;
    CNoteStaff* m_staff = nullptr;
    int m_markedKey = NOTE_NONE;  // the key that carries the mark
    bool m_accuracyShown = false;
};
