#pragma once

#include <memory>

#include "scene/AbstractShapes.h"
#include "scene/TextLabels.h"
#include "trainer/NoteStaff.h"
#include "trainer/PianoKey.h"
#include "trainer/Teacher.h"

class CNoteManager;
class CPiano;
class CSpacePainter;

// Picture kind 32: the keyboard in the lower part of the view, tilted
// towards the camera, and the grand staff above it, with the exercise that
// runs on them.
class CPianoNotes : public CAbstractShapes {
public:
    static constexpr int kKind = 32;
    static constexpr float kGlyphScale = 0.065f;
    static constexpr float kCameraDistance = 13.0f;

    CPianoNotes(CSpacePainter& scene, CVertexBuffer& firstList, CVertexBuffer& secondList,
                CNoteManager& noteManager);
    ~CPianoNotes() override;

    bool Create();
    bool SetLesson(int scale, int low, int high);
    bool InputNote(const CNote& note);
    bool OnNote(const CNote& note, bool on) override;
    // The learner's results of the current lesson.
    bool GetStatusText(CCharString& text) const override;

    // Builds the picture into the scene's lists: the factory of kind 32.
    static CPrimitive* Make(CSpacePainter& scene, CVertexBuffer& list, CNoteManager& noteManager);

    Teacher* GetTeacher() const { return m_teacher.get(); }
    CPiano* GetPiano() const { return m_piano; }
    CNoteStaff* GetStaff() const { return m_staff; }

private:
    CSpacePainter& m_scenePainter;
    CVertexBuffer& m_secondList;
    CNoteManager& m_noteManager;
    KEYBOARD_COLORS m_keyboardColors;
    STAFF_COLORS m_staffColors;
    CTextLabels m_labels;
    std::unique_ptr<Teacher> m_teacher;
    CPiano* m_piano = nullptr;
    CNoteStaff* m_staff = nullptr;
};
