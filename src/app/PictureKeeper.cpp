#include "app/PictureKeeper.h"

#include <string>
#include <vector>

#include "app/Catalogue.h"
#include "app/CommandKeys.h"
#include "app/PracticeKeeper.h"
#include "characters/Band.h"
#include "foundation/ErrorReport.h"
#include "platform/Window.h"
#include "scene/MeshModel.h"
#include "scene/MeshPicture.h"
#include "scene/SkinnedMeshPicture.h"
#include "scene/SpacePainter.h"
#include "theory/Note.h"
#include "trainer/Piano.h"
#include "trainer/PianoNotes.h"

CPictureKeeper::CPictureKeeper(const EXERCISE& exercise)
    : m_exercise(exercise), m_painter(std::make_unique<CSpacePainter>()) {}

CPictureKeeper::~CPictureKeeper() = default;

bool CPictureKeeper::Start(IWindow& main, int pictureKind) {
    std::string reason;
    IGlDevice* view = main.GetGlView(reason);
    if (view == nullptr || !m_painter->Init(view)) {
        m_error.Format("Can't initialize SpacePainter: %s",
                       view == nullptr ? reason.c_str() : m_painter->GetError());
        ReportError(kSource, __LINE__, "%s", m_error.GetText());
        return false;
    }
    // A rebuilt picture shows the running lesson: it attaches itself to the
    // exercise, which the application keeps.
    m_painter->SetPictureFactory(
        CPianoNotes::kKind, [this](CSpacePainter& scene, CVertexBuffer& list) {
            m_pianoNotes = CPianoNotes::Make(scene, list, *m_exercise.notes, *m_exercise.teacher,
                                             *m_exercise.heldKeys);
            ApplyKeyAccuracy();  // a rebuilt picture keeps the learner's choice
            return m_pianoNotes;
        });
    // The band, in both its arrangements; it takes its first poses once
    // the scene has it.
    for (const int kind : {kPictureGrooves, kPictureBandSecond}) {
        m_painter->SetPictureFactory(kind, [this](CSpacePainter& scene, CVertexBuffer& list) {
            m_band =
                CBand::Make(scene, list, m_exercise.notes, m_exercise.log, m_figureModel.c_str());
            if (m_band != nullptr) {
                m_band->SetMenuRequest(m_bandMenu);
                m_band->StartPoses();
            }
            return m_band;
        });
    }
    m_painter->SetPictureFactory(CMeshPicture::kKind,
                                 [this](CSpacePainter& scene, CVertexBuffer& list) {
                                     return CMeshPicture::Make(scene, list, m_meshPath.c_str());
                                 });
    m_painter->SetPictureFactory(
        CSkinnedMeshPicture::kKind, [this](CSpacePainter& scene, CVertexBuffer& list) {
            return CSkinnedMeshPicture::Make(scene, list, m_meshPath.c_str());
        });
    if (!m_painter->CreatePicture(pictureKind)) {
        ReportError(kSource, __LINE__, "Can't create new picture in Space Painter: %s",
                    m_painter->GetError());
        // Until the kind's picture exists the view shows the empty scene
        // with its statistics, so that it still tells what the device does.
        if (m_painter->CreatePicture(kPictureEmpty)) {
            m_painter->ShowInfo(true);
        }
    }
    return true;
}

bool CPictureKeeper::IsFullScreen() const {
    return m_painter->IsFullScreen();
}

void CPictureKeeper::RunViewCommand(VIEW_COMMAND command) {
    switch (command) {
        case VIEW_COMMAND::kToggleFullScreen:
        case VIEW_COMMAND::kLeaveFullScreen:
            if (!m_painter->ToggleFullScreen()) {
                m_error = m_painter->GetError();
            }
            break;
        case VIEW_COMMAND::kRedraw:
            m_painter->SetDirty();
            break;
        case VIEW_COMMAND::kNewPicture:
            m_painter->CreatePicture(kPictureNone);
            break;
        case VIEW_COMMAND::kLookAtBand:
            LookAt(THING_BAND);
            break;
        case VIEW_COMMAND::kLookAtBass:
            LookAtBassistNext();
            break;
        case VIEW_COMMAND::kLookAtDrums:
            LookAt(THING_DRUM_SET);
            break;
        case VIEW_COMMAND::kLookAtLead:
            LookAt(THING_LEAD_GUITAR);
            break;
        case VIEW_COMMAND::kLookAtRhythm:
            LookAt(THING_RHYTHM_GUITAR);
            break;
        default:
            break;
    }
}

bool CPictureKeeper::ResetView() {
    return m_painter->ResetView();
}

void CPictureKeeper::ToggleKeyAccuracy() {
    m_keyAccuracy = !m_keyAccuracy;
    ApplyKeyAccuracy();
}

// Each key of the picture coloured by how well its note is read, from the
// whole history.
void CPictureKeeper::ApplyKeyAccuracy() {
    if (m_pianoNotes == nullptr || m_painter->GetPicture() != m_pianoNotes ||
        m_pianoNotes->GetPiano() == nullptr) {
        return;
    }
    std::vector<PRACTICE_NOTE_STATS> stats;
    CPracticeKeeper* practice = m_exercise.practice;
    if (m_keyAccuracy && practice != nullptr && practice->IsOpen() &&
        !practice->GetHistory().GetNoteStats(stats)) {
        ReportError(kSource, __LINE__, "%s", practice->GetHistory().GetError());
    }
    m_pianoNotes->ShowKeyAccuracy(stats, m_keyAccuracy);
    RequestFrame();
}

bool CPictureKeeper::ShowMesh(const char* path, bool skinned) {
    // The file is read first, so that one that can't be shown leaves the
    // picture before it as it was.
    CMeshModel model;
    if (!model.Load(path)) {
        m_error = model.GetError();
        return false;
    }
    m_meshPath = path;
    if (!m_painter->CreatePicture(skinned ? CSkinnedMeshPicture::kKind : CMeshPicture::kKind)) {
        m_error = m_painter->GetError();
        return false;
    }
    RequestFrame();
    return true;
}

bool CPictureKeeper::SetSkinnedFigures(bool on) {
    m_skinnedFigures = on;
    return GetBand() == nullptr || ShowBand();
}

bool CPictureKeeper::ShowBand() {
    if (!m_painter->CreatePicture(kPictureGrooves)) {
        m_error.Format("Can't show the band: %s", m_painter->GetError());
        return false;
    }
    RequestFrame();
    return true;
}

CBand* CPictureKeeper::GetBand() const {
    return m_band != nullptr && m_painter->GetPicture() == m_band ? m_band : nullptr;
}

bool CPictureKeeper::LookAt(int thing) {
    CBand* band = GetBand();
    if (band == nullptr || !band->LookAt(thing)) {
        return false;
    }
    RequestFrame();
    return true;
}

bool CPictureKeeper::LookAt(const char* name) {
    int thing = THING_NONE;
    CCharString first;
    first.Format("%s 1", name);  // "Crash cymbal" is the first of the crash cymbals
    if (!FindThing(name, thing) && !FindThing(first, thing)) {
        m_error.Format("Can't look at \"%s\": the band has no such player or instrument", name);
        return false;
    }
    if (!LookAt(thing)) {
        m_error.Format("Can't look at \"%s\": the picture shows no band", name);
        return false;
    }
    return true;
}

bool CPictureKeeper::LookAtBassistNext() {
    CBand* band = GetBand();
    if (band == nullptr || !band->LookAt(THING_BASS_GUITAR, m_bassCamera)) {
        return false;
    }
    m_bassCamera = (m_bassCamera + 1) % CBand::kCameraPositions;
    RequestFrame();
    return true;
}

bool CPictureKeeper::OnNote(ROUTED_NOTE& routed) {
    CBand* band = GetBand();
    const NOTE_EVENT& event = routed.event;
    if (band == nullptr || !event.IsValid()) {
        return true;
    }
    BAND_NOTE note;
    note.midiNote = event.note;
    // A note that does not say its instrument is the front player's: the
    // computer keyboard, the MIDI keyboard and the microphone.
    note.thing = event.thing != THING_NONE ? event.thing : THING_LEAD_GUITAR;
    note.on = event.IsOn();
    band->PlayNote(note);
    return true;
}

void CPictureKeeper::RequestFrame() {
    m_painter->SetDirty();
    m_painter->RequestFrameIfDirty();
}

void CPictureKeeper::RequestFrameIfDirty() {
    m_painter->RequestFrameIfDirty();
}
