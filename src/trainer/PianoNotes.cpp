#include "trainer/PianoNotes.h"

#include <cstring>

#include "exercise/Teacher.h"
#include "scene/SpacePainter.h"
#include "scene/VertexBuffer.h"
#include "theory/NoteManager.h"
#include "trainer/Piano.h"

namespace {

// The keyboard fills the view's width less a margin on either side: its
// front edge, nearest the camera, is the widest part of it.
constexpr float kPianoScale = 0.0735f;
constexpr float kPianoTilt = -20.0f;
constexpr float kPianoDrop = -1.55f;
constexpr float kStaffRise = 0.2f;
// The staff's lines span this share of the keyboard's width; the note
// names stand past their right end.
constexpr float kStaffShare = 0.967f;

}  // namespace

CPianoNotes::CPianoNotes(CSpacePainter& scene, CVertexBuffer& firstList, CVertexBuffer& secondList,
                         CNoteManager& noteManager, Teacher& teacher, CHeldKeys& heldKeys)
    : CAbstractShapes("PianoNotes", scene.GetDirect3D(), &firstList),
      m_scenePainter(scene),
      m_secondList(secondList),
      m_noteManager(noteManager),
      m_teacher(teacher),
      m_heldKeys(heldKeys),
      m_labels(scene.GetDirect3D()) {
    m_scene = &scene;
}

CPianoNotes::~CPianoNotes() {
    Detach();
}

void CPianoNotes::Attach() {
    m_teacher.AddView(this);
    m_heldKeys.AddView(this);
    m_attached = true;
    m_teacher.ShowTo(*this);
    m_heldKeys.ShowTo(*this);
}

void CPianoNotes::Detach() {
    if (m_attached) {
        m_teacher.RemoveView(this);
        m_heldKeys.RemoveView(this);
        m_attached = false;
    }
}

bool CPianoNotes::Create() {
    m_scenePainter.GetCameraFrame(m_cameraFrame);
    // Every name and key letter the labels need, painted into one texture first.
    for (int n = kLowestKey; n < kKeyAfterHighest; ++n) {
        const CNote* note = m_noteManager.GetNoteTable().GetAt(n);
        m_labels.Add(note->GetName());
        m_labels.Add(note->GetFlatName());
        for (int shift = -1; shift <= 1; ++shift) {
            m_labels.Add(CNoteStaff::PlaceName(*note, shift));
        }
        m_labels.Add(CPiano::GetLetter(n));
    }
    const bool labelled = m_labels.Paint(kLabelFace, kLabelPixels);

    auto piano = std::make_unique<CPiano>("Piano", m_device, m_buffer);
    piano->SetColors(m_keyboardColors);
    if (!piano->Build(36, m_noteManager, labelled ? &m_labels : nullptr)) {
        return Fail(__LINE__, "Can't build the keyboard: %s", piano->GetError());
    }
    const float staffWidth = piano->GetKeysWidth() * kPianoScale * kStaffShare;
    piano->Scale(kPianoScale, false);
    piano->TurnAbout(kPianoTilt, glm::vec3(1, 0, 0), piano->GetOrigin());
    piano->MoveBy(glm::vec3(0.0f, kPianoDrop, 0.0f));
    m_piano = static_cast<CPiano*>(AddChild(std::move(piano)));
    m_piano->ShowLetters(m_teacher.GetKeyShift());

    auto staff = std::make_unique<CNoteStaff>("NoteStaff", m_device, m_buffer);
    staff->SetColors(m_staffColors);
    staff->SetGlyphScale(kGlyphScale);
    staff->SetScene(&m_scenePainter);
    staff->SetLength(staffWidth / kGlyphScale);
    if (!staff->Build(36, m_noteManager, m_scenePainter, m_secondList,
                      labelled ? &m_labels : nullptr)) {
        return Fail(__LINE__, "Can't build the staff: %s", staff->GetError());
    }
    GrowLabels(*staff);
    staff->AddClefs("FreeSerif");      // without the font the staff has no clefs
    staff->Scale(kGlyphScale, false);  // the glyphs are drawn at the staff's scale
    staff->MoveBy(glm::vec3(-staffWidth / 2, kStaffRise, 0.0f));
    m_staff = static_cast<CNoteStaff*>(AddChild(std::move(staff)));

    Attach();
    OnHintsChanged();
    return true;
}

void CPianoNotes::GrowLabels(CPrimitive& staff) {
    // Each label grows about its own centre, before the staff is scaled.
    staff.ForEach([](CPrimitive& part) {
        if (std::strcmp(part.GetName(), "Note name") == 0) {
            part.Scale(kStaffLabelGrowth, false);
        }
    });
}

void CPianoNotes::ShowHeldKeys() {
    // Every input's notes arrive in the octave they sound: a computer key
    // sinks the piano key it plays in this lesson.
    for (int n = m_piano->GetFirstNote(); n < m_piano->GetEndNote(); ++n) {
        const bool held = m_heldKeys.IsHeld(n, SOURCE_MIDI_INPUT) ||
                          m_heldKeys.IsHeld(n, SOURCE_COMPUTER_KEYBOARD);
        if (held != m_piano->GetKey(n)->IsPressed()) {
            m_piano->PressKey(n, held);
            ShowKeyLight(n);
        }
    }
}

CPianoNotes* CPianoNotes::Make(CSpacePainter& scene, CVertexBuffer& list, CNoteManager& noteManager,
                               Teacher& teacher, CHeldKeys& heldKeys) {
    CVertexBuffer* second = scene.GetSecondList();
    if (second == nullptr) {
        scene.SetErrorText("Can't create the piano notes: no second list");
        return nullptr;
    }
    auto picture =
        std::make_unique<CPianoNotes>(scene, list, *second, noteManager, teacher, heldKeys);
    if (!picture->Create()) {
        scene.SetErrorText(picture->GetError());
        return nullptr;
    }
    scene.SetLightAngles(90.0f, -40.0f);
    // Far enough back for the whole keyboard in a window of 5:4 or wider.
    scene.SetCamera(glm::vec3(0.0f, -0.2f, -kCameraDistance), glm::vec3(0.0f, -0.2f, 0.0f),
                    glm::vec3(0.0f, 1.0f, 0.0f), 180.0f, 90.0f, kCameraDistance);
    // Turned further, the staff can no longer be read.
    scene.SetOrbitLimit(kMaxOrbitYaw, kMaxOrbitPitch);
    // In a narrow or square window the camera moves back: no key is cut off.
    scene.SetWidestAspect(kFittedAspect);
    CPianoNotes* added = picture.get();
    scene.AddToList(std::move(picture));
    scene.StartAnimation();
    return added;
}

void CPianoNotes::OnNoteShown(const CNote& expected, int /*previousNote*/) {
    if (m_staff != nullptr) {
        m_staff->Clear();
        const CKeySignature& key = m_teacher.GetKey();
        m_staff->SetKeySignature(key.IsSet() ? key.GetAccidentals() : 0);
        m_staff->ShowNote(expected, true, true);
    }
    ShowExpectedMark();
    if (m_piano != nullptr) {
        // A new lesson may move the computer keys to other octaves.
        if (m_piano->GetKeyShift() != m_teacher.GetKeyShift()) {
            m_piano->ShowLetters(m_teacher.GetKeyShift());
            ShowHeldKeys();
        }
    }
    m_scenePainter.SetDirty();
}

void CPianoNotes::OnWrongNote(const CNote& written, bool on) {
    if (m_staff != nullptr) {
        m_staff->ShowNote(written, on, false);
    }
    m_scenePainter.SetDirty();
}

void CPianoNotes::OnRightNote(const CNote&) {
    if (m_staff != nullptr) {
        m_staff->ColourExpected(m_staffColors.rightNote);
    }
    m_scenePainter.SetDirty();
}

void CPianoNotes::OnKeyChanged(const NOTE_EVENT& event) {
    // The keys of a MIDI keyboard and of the computer keyboard are drawn;
    // the detector's and a song's notes are not keys.
    const bool key = event.source == SOURCE_MIDI_INPUT || event.source == SOURCE_COMPUTER_KEYBOARD;
    if (key && m_piano != nullptr) {
        ShowHeldKeys();
        m_scenePainter.SetDirty();
    }
}

bool CPianoNotes::GetStatusText(CCharString& text) const {
    const CCharString line = m_teacher.GetStatusLine();
    text = line;
    if (m_accuracyShown) {
        // The legend stands under the results, on the line nearest the keys.
        text.Format("%s\n%s", line.GetText(), kAccuracyLegend);
    }
    return true;
}

bool CPianoNotes::ShowKeyAccuracy(const std::vector<PRACTICE_NOTE_STATS>& stats, bool on) {
    m_accuracyShown = on;
    m_scenePainter.SetDirty();
    return m_piano != nullptr && m_piano->ShowAccuracy(stats, on);
}

void CPianoNotes::ShowKeyLight(int midiNote) {
    CPianoKey* key = m_piano->GetKey(midiNote);
    if (key != nullptr) {
        key->ShowHighlight(key->IsPressed() && midiNote != m_markedKey);
    }
}

void CPianoNotes::OnHintsChanged() {
    const HINTS& hints = m_teacher.GetHints();
    if (m_staff != nullptr) {
        m_staff->ShowNoteNames(hints.noteNames);
    }
    if (m_piano != nullptr) {
        m_piano->SetLettersShown(hints.keyLetters);
    }
    ShowExpectedMark();
    m_scenePainter.SetDirty();
}

void CPianoNotes::OnLessonFinished() {
    ShowExpectedMark();
    m_scenePainter.SetDirty();
}

void CPianoNotes::OnStandBy() {
    if (m_staff != nullptr) {
        m_staff->Clear();
        m_staff->SetKeySignature(0);
    }
    ShowExpectedMark();
    m_scenePainter.SetDirty();
}

void CPianoNotes::ShowExpectedMark() {
    if (m_piano == nullptr) {
        return;
    }
    const CNote* expected = m_teacher.GetExpected();
    const int wanted = expected != nullptr && m_teacher.GetHints().expectedKey
                           ? static_cast<int>(expected->midiNote)
                           : NOTE_NONE;
    if (wanted == m_markedKey) {
        return;
    }
    const int unmarked = m_markedKey;
    if (unmarked != NOTE_NONE) {
        m_piano->MarkKey(unmarked, false);
    }
    if (wanted != NOTE_NONE) {
        m_piano->MarkKey(wanted, true);
    }
    m_markedKey = wanted;
    ShowKeyLight(unmarked);
    ShowKeyLight(wanted);
}
