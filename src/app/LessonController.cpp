#include "app/LessonController.h"

#include <strings.h>

#include <ctime>

#include <vector>

#include "app/LessonCheck.h"
#include "app/LessonHost.h"
#include "app/PracticeKeeper.h"
#include "app/StartOptions.h"
#include "app/TuneReader.h"
#include "exercise/LessonReport.h"
#include "exercise/Teacher.h"
#include "exercise/WeakNotes.h"
#include "foundation/ErrorReport.h"
#include "theory/NoteManager.h"
#include "ui/LessonSettings.h"

namespace {
constexpr const char* kSource = "Lessons";
constexpr const char* kDrillMode = "Drill";
}  // namespace

CLessonController::CLessonController(CNoteManager& notes, ILessonHost& host, HINTS& learnerHints)
    : m_notes(notes), m_host(host), m_learnerHints(learnerHints), m_hints(learnerHints) {}

CLessonController::~CLessonController() {
    // A song still being read gets a moment to end before the program does.
    if (m_tuneTask) {
        m_tuneTask->WaitFor(kCloseWaitSeconds);
    }
    Attach(nullptr, nullptr);
}

void CLessonController::Attach(Teacher* teacher, CPracticeKeeper* practice) {
    if (m_practice != nullptr) {
        m_practice->SetFinishedHandler(nullptr);
    }
    m_teacher = teacher;
    m_practice = practice;
    if (m_practice != nullptr) {
        m_practice->SetFinishedHandler([this] { OnLessonFinished(); });
    }
    if (m_teacher != nullptr) {
        m_teacher->SetHints(m_hints);
        if (m_lesson) {
            // Copies: Start replaces both.
            Start(LESSON_SETTINGS(*m_lesson), CCharString(m_lessonName));
        }
    }
}

void CLessonController::SetFolders(FolderSource lessonFolder, FolderSource grooveFolder) {
    m_lessonFolder = std::move(lessonFolder);
    m_grooveFolder = std::move(grooveFolder);
}

bool CLessonController::StartLesson(const LESSON_SETTINGS& lesson) {
    m_drillNotes.clear();  // a lesson of its own, drill or not
    return Start(lesson, CCharString());
}

bool CLessonController::Start(const LESSON_SETTINGS& lesson, const CCharString& name) {
    if (!lesson.file.IsEmpty()) {
        // A button that names a tune plays it as the lesson.
        return OpenTune(GetLessonFilePath(lesson.file));
    }
    int scale = 0;
    if (!CheckLesson(lesson, scale, m_error) || !ApplyGoal(lesson, name)) {
        return false;
    }
    // The lesson asked for now wins over a tune still being read (one
    // resumed at the start, or opened a moment ago): its reading ends on its
    // own and its answer is dropped.
    m_tuneTask.reset();
    m_resumeNote = 0;
    // The menu's drill of the weakest notes draws from those notes alone.
    const bool weakDrill = !m_drillNotes.empty() && strcasecmp(lesson.mode, kDrillMode) == 0;
    if (m_teacher != nullptr &&
        !(weakDrill ? m_teacher->SetNoteLesson(m_drillNotes)
                    : m_teacher->SetLesson(scale, lesson.startNote, lesson.endNote))) {
        m_error = m_teacher->GetError();
        return false;
    }
    m_lesson = std::make_unique<LESSON_SETTINGS>(lesson);
    m_lessonName = name;
    m_hints = HintsFor(lesson);
    ApplyHints();
    return true;
}

void CLessonController::ConfirmLesson() {
    const char* title = m_host.GetShownLessonTitle();
    title = title != nullptr ? title : "";
    CCharString status;
    status.Format("%s%splay the note shown", title, *title != '\0' ? ": " : "");
    m_host.SetStatus(status);
    m_host.FocusPicture();
}

bool CLessonController::ApplyGoal(const LESSON_SETTINGS& lesson, const CCharString& name) {
    const bool drill = strcasecmp(lesson.mode, kDrillMode) == 0;
    if (!lesson.mode.IsEmpty() && !drill) {
        m_error.Format("the mode \"%s\" is unknown (\"Drill\" is known)",
                       CutForMessage(lesson.mode).c_str());
        return false;
    }
    const int notes =
        lesson.notes == LESSON_SETTINGS::kUnset ? CPracticeKeeper::kDefaultGoal : lesson.notes;
    if (notes < 0 || notes > CPracticeKeeper::kMaxGoal) {
        m_error.Format("a lesson runs for 0 to %d notes, not %d", CPracticeKeeper::kMaxGoal, notes);
        return false;
    }
    if (m_teacher != nullptr) {
        m_teacher->SetGoal(notes);
    }
    if (m_practice != nullptr) {
        const char* title = m_host.GetShownLessonTitle();
        m_practice->SetLessonName(!name.IsEmpty()             ? name.GetText()
                                  : drill && title == nullptr ? kDrillMode
                                  : title != nullptr          ? title
                                                              : "");
        m_practice->SetDrill(drill);
    }
    return true;
}

bool CLessonController::OpenTune(const char* path) {
    // What a look at the path tells is told at once.
    const CCharString problem = GetSongOpenError(path);
    if (!problem.IsEmpty()) {
        m_error = problem;
        ReportError(kSource, __LINE__, "%s", m_error.GetText());
        m_host.TellError(m_error);
        return false;
    }
    const std::string file = path;
    const std::string grooves = m_grooveFolder ? m_grooveFolder() : "";
    // A tune asked for before the last one was read replaces it: the old
    // reading ends on its own and its answer is dropped.
    m_tuneTask = std::make_unique<CBackgroundTask<TUNE_READING>>();
    m_tunePath = path;
    m_resumeNote = 0;
    m_tuneTask->Start([file, grooves] {
        TUNE_READING reading;
        // The reading thread's own theory tables: nothing is shared with
        // the window's thread.
        CNoteManager notes;
        if (!notes.Init()) {
            reading.error = notes.GetError();
            return reading;
        }
        CTuneReader reader(notes, grooves.c_str());
        reading.opened = reader.Read(file.c_str(), reading.melody, reading.name, reading.key);
        if (!reading.opened) {
            reading.error = reader.GetError();
        }
        return reading;
    });
    CCharString status;
    status.Format("Opening %s ...", CutForMessage(path).c_str());
    m_host.SetStatus(status);
    return true;
}

bool CLessonController::ResumeTune(const char* path, int note) {
    if (!OpenTune(path)) {
        return false;
    }
    m_resumeNote = note;
    return true;
}

bool CLessonController::GetRunningTune(CCharString& path, int& note) const {
    if (m_teacher == nullptr || !m_teacher->IsTune() || m_runningTune.IsEmpty()) {
        return false;
    }
    path = m_runningTune;
    note = m_teacher->GetTunePosition();
    return true;
}

bool CLessonController::TakeTune() {
    TUNE_READING reading;
    if (!m_tuneTask || !m_tuneTask->Take(reading)) {
        return false;
    }
    m_tuneTask.reset();
    return ApplyTune(reading);
}

bool CLessonController::WaitForTune(double seconds) {
    if (!m_tuneTask) {
        return false;
    }
    m_tuneTask->WaitFor(seconds);
    if (TakeTune()) {
        return true;
    }
    if (m_tuneTask) {
        m_error.Format("Can't open song (%s): it is still being read",
                       CutForMessage(m_tunePath).c_str());
    }
    return false;
}

bool CLessonController::ApplyTune(const TUNE_READING& reading) {
    const CCharString& name = reading.name;
    bool opened = reading.opened;
    m_error = reading.error;
    if (opened && m_practice != nullptr) {
        m_practice->SetDrill(false);  // a tune keeps its own order
        m_practice->SetLessonName(name);
    }
    if (opened && m_teacher != nullptr && !m_teacher->SetTune(name, reading.melody, reading.key)) {
        m_error.Format("Can't open song (%s): %s", CutForMessage(m_tunePath).c_str(),
                       m_teacher->GetError());
        opened = false;
    }
    if (!opened) {
        // The user asked for the file: the answer is told, the lesson stays.
        ReportError(kSource, __LINE__, "%s", m_error.GetText());
        m_host.TellError(m_error);
        if (m_teacher != nullptr) {
            m_host.SetStatus(m_teacher->GetStatusLine());
        }
        return false;
    }
    m_runningTune = m_tunePath;
    if (m_resumeNote > 1 && m_teacher != nullptr) {
        m_teacher->MoveToTuneNote(m_resumeNote);
    }
    m_resumeNote = 0;
    m_hints = m_learnerHints;
    ApplyHints();
    CCharString status;
    status.Format("%s: play the notes of the tune in order", name.GetText());
    m_host.SetStatus(status);
    m_host.FocusPicture();
    return true;
}

std::string CLessonController::NameList(const std::vector<int>& midiNotes) const {
    std::string list;
    for (size_t i = 0; i < midiNotes.size(); ++i) {
        const CNote* note = m_notes.GetNoteTable().GetAt(midiNotes[i]);
        if (note == nullptr) {
            continue;
        }
        list += i == 0 ? "" : i + 1 == midiNotes.size() ? " and " : ", ";
        list += note->GetName().Str() + std::to_string(note->GetOctave());
    }
    return list;
}

void CLessonController::StartDrill() {
    LESSON_SETTINGS lesson;
    if (m_lesson) {
        lesson = *m_lesson;
    } else {
        lesson.scale = "Chromatic";  // both staves' notes
        lesson.startNote = kDrillLowNote;
        lesson.endNote = kDrillHighNote;
    }
    lesson.file.Empty();
    lesson.mode = kDrillMode;
    // The notes missed most in the whole history, whatever lesson they came
    // from; without any, the running lesson's notes by need.
    CWeakNotes weak;
    if (m_practice != nullptr && m_practice->IsOpen()) {
        std::vector<PRACTICE_NOTE_STATS> stats;
        if (m_practice->GetHistory().GetNoteStats(stats)) {
            weak.Choose(stats, static_cast<double>(std::time(nullptr)));
        }
    }
    m_drillNotes = weak.GetNotes();
    // The menu's drill is no lesson of the Lessons window: its rows are
    // the drill's, whatever that window shows.
    if (!Start(lesson, kDrillMode)) {
        m_drillNotes.clear();
        m_host.TellError(CCharString().Format("Can't start the drill: %s", m_error.GetText()));
        return;
    }
    if (m_drillNotes.empty()) {
        m_host.SetStatus("Practise your weakest notes: play the note shown");
    } else {
        CCharString status;
        status.Format("Practise your weakest notes: %s, missed most %s",
                      NameList(weak.GetMissed()).c_str(),
                      weak.AreFromThisWeek() ? "this week" : "lately");
        m_host.SetStatus(status);
    }
    m_host.FocusPicture();
}

void CLessonController::OnLessonFinished() {
    if (m_teacher == nullptr) {
        return;
    }
    CLessonReport report;
    report.Make(m_teacher->GetNotes(), m_teacher->GetResults());
    m_host.ShowReport(report.GetText().c_str(), m_host.HasNextLesson());
    m_host.SetStatus(m_teacher->GetStatusLine());
}

void CLessonController::OnLessonChoice(CHOICE choice) {
    if (choice == CHOICE::kNext && m_host.StartNextLesson()) {
        return;
    }
    if (m_lesson && Start(LESSON_SETTINGS(*m_lesson), CCharString(m_lessonName))) {
        ConfirmLesson();
    }
}

void CLessonController::ToggleHint(bool HINTS::*hint) {
    m_learnerHints.*hint = !(m_learnerHints.*hint);
    // The learner's choice holds from now on, also over the lesson's own.
    m_hints = m_learnerHints;
    ApplyHints();
}

void CLessonController::ApplyHints() {
    if (m_teacher != nullptr) {
        m_teacher->SetHints(m_hints);
    }
    m_host.ShowHints(m_hints);
    m_host.RequestFrame();
}

HINTS CLessonController::HintsFor(const LESSON_SETTINGS& lesson) const {
    HINTS hints = m_learnerHints;
    constexpr int kUnset = LESSON_SETTINGS::kUnset;
    if (lesson.noteNames != kUnset) {
        hints.noteNames = lesson.noteNames != 0;
    }
    if (lesson.keyMark != kUnset) {
        hints.expectedKey = lesson.keyMark != 0;
    }
    if (lesson.keyLetters != kUnset) {
        hints.keyLetters = lesson.keyLetters != 0;
    }
    return hints;
}

CCharString CLessonController::GetLessonFilePath(const char* file) const {
    if (*file == '/') {
        return file;
    }
    std::string folder = m_lessonFolder ? m_lessonFolder() : std::string();
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    CCharString path;
    path.Format("%s%s", folder.c_str(), file);
    return path;
}
