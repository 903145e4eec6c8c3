#include "trainer/PianoNotes.h"

#include "scene/SpacePainter.h"
#include "scene/VertexBuffer.h"
#include "theory/NoteManager.h"
#include "trainer/Piano.h"

CPianoNotes::CPianoNotes(CSpacePainter& scene, CVertexBuffer& firstList, CVertexBuffer& secondList,
                         CNoteManager& noteManager)
    : CAbstractShapes("PianoNotes", scene.GetDirect3D(), &firstList),
      m_scenePainter(scene),
      m_secondList(secondList),
      m_noteManager(noteManager),
      m_labels(scene.GetDirect3D()) {
    m_scene = &scene;
}

CPianoNotes::~CPianoNotes() = default;

bool CPianoNotes::Create() {
    m_scenePainter.GetCameraFrame(m_cameraFrame);
    // Every name the labels need, painted into one texture first.
    for (int n = 36; n < 96; ++n) {
        const CNote* note = m_noteManager.GetNoteTable().GetAt(n);
        CCharString text;
        m_labels.Add(note->name);
        m_labels.Add(note->flatName);
        m_labels.Add(text.Format("%s%d", note->name.GetText(), note->octave));
    }
    const bool labelled = m_labels.Paint("DejaVu Sans", 40);

    auto piano = std::make_unique<CPiano>("Piano", m_device, m_buffer);
    piano->SetColors(m_keyboardColors);
    if (!piano->Build(36, m_noteManager, labelled ? &m_labels : nullptr)) {
        return Fail(__LINE__, "Can't build the keyboard: %s", piano->GetError());
    }
    piano->Scale(0.079f, false);
    piano->TurnAbout(-20.0f, glm::vec3(1, 0, 0), piano->GetOrigin());
    piano->MoveBy(glm::vec3(0.0f, -1.3f, 0.0f));
    m_piano = static_cast<CPiano*>(AddChild(std::move(piano)));

    auto staff = std::make_unique<CNoteStaff>("NoteStaff", m_device, m_buffer);
    staff->SetColors(m_staffColors);
    staff->SetGlyphScale(kGlyphScale);
    staff->SetScene(&m_scenePainter);
    if (!staff->Build(36, m_noteManager, m_scenePainter, m_secondList,
                      labelled ? &m_labels : nullptr)) {
        return Fail(__LINE__, "Can't build the staff: %s", staff->GetError());
    }
    staff->AddClefs("FreeSerif");  // without the font the staff has no clefs
    staff->Scale(0.065f, false);
    staff->MoveBy(glm::vec3(-0.6f, 0.2f, 0.0f));
    m_staff = static_cast<CNoteStaff*>(AddChild(std::move(staff)));

    m_teacher = std::make_unique<Teacher>(m_piano, m_staff, &m_noteManager, &m_scenePainter,
                                          m_staffColors.rightNote);
    return true;
}

CPrimitive* CPianoNotes::Make(CSpacePainter& scene, CVertexBuffer& list,
                              CNoteManager& noteManager) {
    CVertexBuffer* second = scene.GetSecondList();
    if (second == nullptr) {
        scene.SetErrorText("Can't create the piano notes: no second list");
        return nullptr;
    }
    auto picture = std::make_unique<CPianoNotes>(scene, list, *second, noteManager);
    if (!picture->Create()) {
        scene.SetErrorText(picture->GetError());
        return nullptr;
    }
    scene.SetLightAngles(90.0f, -40.0f);
    // Far enough back for the whole keyboard in a window of 5:4 or wider.
    scene.SetCamera(glm::vec3(0.0f, -0.2f, -kCameraDistance), glm::vec3(0.0f, -0.2f, 0.0f),
                    glm::vec3(0.0f, 1.0f, 0.0f), 180.0f, 90.0f, kCameraDistance);
    CPrimitive* added = scene.AddToList(std::move(picture));
    scene.StartAnimation();
    return added;
}

bool CPianoNotes::SetLesson(int scale, int low, int high) {
    if (m_teacher == nullptr) {
        return Fail(__LINE__, "Can't set lesson: the exercise is not built");
    }
    if (!m_teacher->SetLesson(scale, low, high, 255)) {
        return Fail(__LINE__, "%s", m_teacher->GetError());
    }
    return true;
}

bool CPianoNotes::InputNote(const CNote& note) {
    if (m_teacher == nullptr || note.midiNote == NOTE_NONE) {
        return false;
    }
    return m_teacher->InputNote(note, note.volume > 0.0f);
}

bool CPianoNotes::OnNote(const CNote& note, bool on) {
    return m_piano == nullptr || m_piano->OnNote(note, on);
}

bool CPianoNotes::GetStatusText(CCharString& text) const {
    if (m_teacher == nullptr) {
        return false;
    }
    text = m_teacher->GetStatusLine();
    return true;
}
