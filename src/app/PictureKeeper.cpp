#include "app/PictureKeeper.h"

#include <string>
#include <vector>

#include "app/Catalogue.h"
#include "app/CommandKeys.h"
#include "app/PracticeKeeper.h"
#include "foundation/ErrorReport.h"
#include "platform/Window.h"
#include "scene/SpacePainter.h"
#include "scene/WaitingPicture.h"
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
    // The band's picture is not built yet: its scene says so.
    m_painter->SetPictureFactory(kPictureGrooves, [](CSpacePainter& scene, CVertexBuffer& list) {
        return CWaitingPicture::Make(scene, list, kBandLaterText);
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

void CPictureKeeper::RequestFrame() {
    m_painter->SetDirty();
    m_painter->RequestFrameIfDirty();
}

void CPictureKeeper::RequestFrameIfDirty() {
    m_painter->RequestFrameIfDirty();
}
