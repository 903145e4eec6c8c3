#include "app/Center.h"

#include <strings.h>

#include <chrono>
#include <cstring>
#include <string>

#include "app/AppSettings.h"
#include "app/CommandKeys.h"
#include "app/ContentFile.h"
#include "app/DeviceKeeper.h"
#include "app/DeviceLister.h"
#include "app/KeyInput.h"
#include "app/LessonCheck.h"
#include "app/MainWnd.h"
#include "app/Menus.h"
#include "app/NoteSounder.h"
#include "app/PracticeKeeper.h"
#include "app/TuneReader.h"
#include "app/WindowPlacement.h"
#include "audio/Sound.h"
#include "audio/SoundOpener.h"
#include "capture/DetectorPoster.h"
#include "capture/PitchDetector.h"
#include "capture/SoundCapture.h"
#include "editors/AudioSettingsDlg.h"
#include "editors/LessonDoneDlg.h"
#include "editors/MixerDlg.h"
#include "editors/ProgressDlg.h"
#include "foundation/CrashReport.h"
#include "foundation/CritLock.h"
#include "foundation/ErrorReport.h"
#include "foundation/LogFile.h"
#include "midi/MidiKeyboard.h"
#include "midi/MidiMapper.h"
#include "midi/MidiOpener.h"
#include "midi/MidiPort.h"
#include "platform/Clock.h"
#include "platform/GlDevice.h"
#include "platform/MidiIn.h"
#include "scene/SpacePainter.h"
#include "songs/Mix.h"
#include "theory/NoteEvent.h"
#include "theory/NoteManager.h"
#include "theory/NoteRouter.h"
#include "trainer/HeldKeys.h"
#include "trainer/LessonReport.h"
#include "trainer/Piano.h"
#include "trainer/PianoNotes.h"
#include "trainer/Teacher.h"
#include "ui/LessonSettings.h"
#include "ui/TextDlg.h"

#ifndef NOTARA_VERSION_MAJOR
#define NOTARA_VERSION_MAJOR 0
#define NOTARA_VERSION_MINOR 1
#endif

namespace {
constexpr size_t kHeapBytes = 0x100000;
constexpr int kListGrowStep = 50;
}  // namespace

CCenter::CCenter(int kind, const char* commandLine, const PLATFORM& platform,
                 const START_OPTIONS& options)
    : m_commandLine(commandLine), m_kind(kind), m_platform(platform), m_options(options) {}

CCenter::~CCenter() {
    if (m_heap) {
        Close();
    }
    m_mainWindow.reset();
}

bool CCenter::ReportError(const char* source, int line, const char* format, ...) {
    CCharString message;
    va_list args;
    va_start(args, format);
    message.FormatV(format, args);
    va_end(args);
    return ::ReportError(source, line, "%s", message.GetText());
}

bool CCenter::Init() {
    m_heap = std::make_unique<CHeap>(kHeapBytes);
    m_windows = std::make_unique<CVarList<CBaseWindow*>>(kListGrowStep, m_heap.get());
    m_noteManager = std::make_unique<CNoteManager>();
    if (!FindApplicationKind(m_kind, m_appKind, m_error)) {
        return false;
    }

    // A false load only means that some settings keep their defaults.
    m_settings = std::make_unique<APP_SETTINGS>();
    m_settingsStore = m_platform.createSettingsStore ? m_platform.createSettingsStore() : nullptr;
    if (m_settingsStore) {
        m_settings->Load(*m_settingsStore, m_appKind.title, m_kind);
        m_settingsProblem = m_settingsStore->GetReadProblem().c_str();
    } else {
        m_settings->SetProgramFolders();
    }
    m_firstRun = m_settings->mainWindow.rect.left == -1;

    m_mainWindow = std::make_unique<CMainWnd>(*this, *m_platform.windowSystem,
                                              *m_platform.eventLoop, m_options);
    if (!m_mainWindow->CreateMain(m_appKind)) {
        m_error.Format("Can't create main window:\n%s", m_mainWindow->GetError());
        m_mainWindow.reset();
        return false;
    }
    return true;
}

bool CCenter::OpenLog() {
    m_logFile = std::make_unique<CLogFile>();
    if (!m_logFile->Open("", "")) {
        m_error.Format("Can't open log file: %s", m_logFile->GetError());
        ReportError(kSource, __LINE__, "%s", m_error.GetText());
        m_logFile.reset();
        return false;
    }
    m_logFile->Truncate();
    SetErrorLog(m_logFile.get());
    m_logFile->WriteLine("===== Initializing", true);
    return true;
}

bool CCenter::Startup() {
    if (m_appKind.keepsLog && !OpenLog()) {
        return false;
    }
    if (!m_noteManager->Init()) {
        m_error.Format("Can't initialize note manager: %s", m_noteManager->GetError());
        ReportError(kSource, __LINE__, "%s", m_error.GetText());
        return false;
    }
    // A damaged "Default.mix" is reported, the defaults are used, and the
    // file is kept as it is until the user saves a mix.
    m_mix = std::make_unique<CMix>();
    const CCharString mixPath = GetDefaultMixPath();
    if (!m_mix->LoadOrDefaults(mixPath) && m_mix->IsDamaged(mixPath)) {
        // A missing mix is the normal first start: the defaults, quietly.
        ReportError(kSource, __LINE__, "%s", m_mix->GetError());
    }
    m_midiKeyboard = std::make_unique<CMidiKeyboard>();
    m_midiKeyboard->SetMix(m_mix.get());
    m_midiKeyboard->SetInstrument(m_appKind.instrument);
    StartExercise();
    // The MIDI and sound systems are asked on threads of their own while the
    // rest starts.
    m_devices = std::make_unique<CDeviceKeeper>(m_platform, *m_mainWindow->GetWindow(),
                                                *m_noteManager, m_settings.get());
    m_devices->Start();
    if (m_appKind.hasScene) {
        m_spacePainter = std::make_unique<CSpacePainter>();
    }
    if (!CreateTextDialog()) {
        return false;
    }
    if (!CreateMixerDialog()) {
        // The rest of the application works without its mixer.
        ReportError(kSource, __LINE__, "%s", m_error.GetText());
    }
    if (m_spacePainter && !StartScene()) {
        // The rest of the application works without its 3D picture.
        m_spacePainter.reset();
    }
    if (m_spacePainter) {
        m_spacePainter->SetKeyHandler([this](const KEY_EVENT& key) { return OnViewKey(key); });
        m_noteRouter->SetFrameRequest([this] { m_spacePainter->RequestFrameIfDirty(); });
    }
    m_devices->WaitForStart();
    LoadContent();
    if (!m_firstRun) {
        // The lesson of the document the learner left open runs again.
        if (CTextDlg* dialog = GetTextDialog()) {
            dialog->StartShownLesson();
        }
    }
    if (!m_appKind.startInTray) {
        m_mainWindow->Show(true);
    }
    if (m_firstRun) {
        // A first start shows the picture with the lessons beside it, on top.
        ArrangeWindows();
    }
    for (int i = 0; i < m_windows->GetCount(); ++i) {
        (*m_windows->GetAt(i))->Update();
    }
    if (!m_settingsProblem.IsEmpty()) {
        // Told once; the settings that could be read are in use.
        ReportError(kSource, __LINE__, "%s", m_settingsProblem.GetText());
        m_platform.windowSystem->MessageBox(m_mainWindow->GetWindow(), m_settingsProblem,
                                            m_appKind.title, BoxIcon::kExclamation,
                                            BoxButtons::kOk);
    }
    // The device problem shows over the windows it concerns.
    m_devices->ShowProblems();
    m_showInitErrors = false;
    ShowPracticeNotice();
    ShowCrashNotice();
    return true;
}

void CCenter::StartExercise() {
    m_teacher = std::make_unique<Teacher>(m_noteManager.get());
    if (m_settings) {
        m_lessonHints = m_settings->hints;
        m_teacher->SetHints(m_lessonHints);
    }
    m_heldKeys = std::make_unique<CHeldKeys>();
    m_midiMapper = std::make_unique<CMidiMapper>(*m_noteManager);
    m_sounder = std::make_unique<CNoteSounder>(*m_midiKeyboard, [this] { return GetSound(); });
    m_noteRouter = std::make_unique<CNoteRouter>();
    m_keyInput = std::make_unique<CKeyInput>(*m_midiKeyboard, *m_noteRouter,
                                             [this] { return m_teacher->GetKeyShift(); });
    OpenPractice();
    // The road's stops in their order; each hears every note the ones
    // before it let through.
    m_noteRouter->Subscribe(ROAD_STAGE::kFilter, *m_midiMapper);
    m_noteRouter->Subscribe(ROAD_STAGE::kHeldKeys, *m_heldKeys);
    m_noteRouter->Subscribe(ROAD_STAGE::kExercise, *m_teacher);
    m_noteRouter->Subscribe(ROAD_STAGE::kSounder, *m_sounder);
    m_noteRouter->Subscribe(ROAD_STAGE::kHistory, *m_practice);
    if (m_lesson) {
        OnLesson(LESSON_SETTINGS(*m_lesson));  // a copy: OnLesson replaces m_lesson
    }
}

CCharString CCenter::GetDefaultMixPath() const {
    CCharString path;
    path.Format("%sDefault.mix", m_settings ? m_settings->soundFolder.GetText() : "");
    return path;
}

bool CCenter::OnViewKey(const KEY_EVENT& key) {
    if (OnKeyAsNote(key)) {
        return true;
    }
    const VIEW_COMMAND command =
        CCommandKeys::Find(key, m_spacePainter && m_spacePainter->IsFullScreen());
    if (command == VIEW_COMMAND::kNone) {
        return false;  // on to the scene's own keys
    }
    RunViewCommand(command);
    return true;
}

void CCenter::RunViewCommand(VIEW_COMMAND command) {
    if (command == VIEW_COMMAND::kShowLessons) {
        OnCommand(kCommandShowText);
        return;
    }
    if (!m_spacePainter) {
        return;
    }
    switch (command) {
        case VIEW_COMMAND::kToggleFullScreen:
        case VIEW_COMMAND::kLeaveFullScreen:
            if (!m_spacePainter->ToggleFullScreen()) {
                m_error = m_spacePainter->GetError();
            }
            break;
        case VIEW_COMMAND::kRedraw:
            m_spacePainter->SetDirty();
            break;
        case VIEW_COMMAND::kNewPicture:
            m_spacePainter->CreatePicture(kPictureNone);
            break;
        default:
            break;
    }
}

bool CCenter::OnKeyAsNote(const KEY_EVENT& key) {
    return m_keyInput && m_keyInput->OnKey(key);
}

bool CCenter::IsMicrophoneOn() const {
    return m_devices ? m_devices->IsMicrophoneOn()
                     : m_settings == nullptr || m_settings->audio.microphoneInput;
}

void CCenter::ToggleMicrophone() {
    if (!m_settings) {
        return;
    }
    SetMicrophone(!m_settings->audio.microphoneInput);
    if (m_audioSettings) {
        m_audioSettings->SetMicrophoneState(m_settings->audio.microphoneInput);
    }
}

void CCenter::SetMicrophone(bool on) {
    if (!m_devices) {
        return;
    }
    m_devices->SetMicrophone(on);
    ApplyHints();  // the menu shows the new state
}

void CCenter::OnLevel(std::unique_ptr<IPayload> payload) {
    const std::unique_ptr<SOUND_LEVEL> level = TakePayload<SOUND_LEVEL>(payload);
    if (!level || !m_devices || !m_devices->GetCapture()) {
        return;
    }
    m_devices->ShowInputLevel(level->volume);
    if (m_audioSettings) {
        m_audioSettings->SetInputLevel(level->volume);
    }
}

CMidiPort* CCenter::GetMidiPort() const {
    return m_devices ? m_devices->GetMidiPort() : nullptr;
}

CSound* CCenter::GetSound() const {
    return m_devices ? m_devices->GetSound() : nullptr;
}

CSoundCapture* CCenter::GetCapture() const {
    return m_devices ? m_devices->GetCapture() : nullptr;
}

void CCenter::OnMidiDeviceLost(std::unique_ptr<IPayload> payload) {
    const std::unique_ptr<CCharString> reason = TakePayload<CCharString>(payload);
    CCharString text;
    text.Format("The MIDI input device is gone: %s", reason ? reason->GetText() : "");
    ReportError(kSource, __LINE__, "%s", text.GetText());
    if (m_mainWindow) {
        m_platform.windowSystem->MessageBox(m_mainWindow->GetWindow(), text, "Audio Device Error",
                                            BoxIcon::kExclamation, BoxButtons::kOk);
    }
}

bool CCenter::StartScene() {
    std::string reason;
    IGlDevice* view = m_mainWindow->GetWindow()->GetGlView(reason);
    if (view == nullptr || !m_spacePainter->Init(view)) {
        m_error.Format("Can't initialize SpacePainter: %s",
                       view == nullptr ? reason.c_str() : m_spacePainter->GetError());
        ReportError(kSource, __LINE__, "%s", m_error.GetText());
        return false;
    }
    // A rebuilt picture shows the running lesson: it attaches itself to the
    // exercise, which the application keeps.
    m_spacePainter->SetPictureFactory(
        CPianoNotes::kKind, [this](CSpacePainter& scene, CVertexBuffer& list) {
            m_pianoNotes = CPianoNotes::Make(scene, list, *m_noteManager, *m_teacher, *m_heldKeys);
            ApplyKeyAccuracy();  // a rebuilt picture keeps the learner's choice
            return m_pianoNotes;
        });
    if (!m_spacePainter->CreatePicture(m_appKind.pictureKind)) {
        ReportError(kSource, __LINE__, "Can't create new picture in Space Painter: %s",
                    m_spacePainter->GetError());
        // Until the kind's picture exists the view shows the empty scene
        // with its statistics, so that it still tells what the device does.
        if (m_spacePainter->CreatePicture(kPictureEmpty)) {
            m_spacePainter->ShowInfo(true);
        }
    }
    return true;
}

void CCenter::Close() {
    if (!m_heap) {
        return;
    }
    StoreTextPlacement();
    StoreMixerPlacement();
    m_audioSettings.reset();
    CloseAllWindows();
    m_devices.reset();  // a device that never answered is left to its thread
    m_spacePainter.reset();
    m_keyInput.reset();
    m_noteRouter.reset();
    m_sounder.reset();
    m_midiMapper.reset();
    m_heldKeys.reset();
    m_practice.reset();
    m_teacher.reset();
    m_noteManager.reset();
    SaveAtClose();
    if (m_logFile) {
        m_logFile->WriteLine("===== Closing", true);
        SetErrorLog(nullptr);
        m_logFile->Close();
        m_logFile.reset();
    }
    m_settings.reset();
    m_settingsStore.reset();
    m_windows.reset();
    m_heap.reset();
}

void CCenter::SaveAtClose() {
    CCharString failures;
    if (m_mix && !m_mix->SaveUnlessDamaged(GetDefaultMixPath())) {
        failures.Append(m_mix->GetError());
    }
    if (m_settingsStore && m_settings &&
        !m_settings->Save(*m_settingsStore, m_appKind.title, m_kind)) {
        const char* reason = m_settingsStore->GetError();
        failures.Append(failures.IsEmpty() ? "" : "\n");
        failures.Append(*reason != '\0' ? reason : "Can't save settings");
    }
    if (failures.IsEmpty()) {
        return;
    }
    // What could not be saved is lost when the process ends: told once, and
    // the exit status says so too.
    ReportError(kSource, __LINE__, "%s", failures.GetText());
    m_platform.windowSystem->MessageBox(m_mainWindow ? m_mainWindow->GetWindow() : nullptr,
                                        failures, m_appKind.title, BoxIcon::kError,
                                        BoxButtons::kOk);
    SetExitFailure();
}

bool CCenter::FindWindow(int typeId, CBaseWindow*& window) {
    window = FindOpenWindow(typeId);
    if (window == nullptr) {
        m_error.Format("Can't find open window %d", typeId);
        return false;
    }
    return true;
}

CBaseWindow* CCenter::FindOpenWindow(int typeId) const {
    for (int i = 0; m_windows && i < m_windows->GetCount(); ++i) {
        CBaseWindow* candidate = *m_windows->GetAt(i);
        if (candidate->GetTypeId() == typeId) {
            return candidate;
        }
    }
    return nullptr;
}

void CCenter::CloseAllWindows() {
    if (!m_windows) {
        return;
    }
    for (int i = 0; i < m_windows->GetCount(); ++i) {
        CBaseWindow* window = *m_windows->GetAt(i);
        window->Destroy(2);
        delete window;
    }
    m_windows->RemoveAll();
}

void CCenter::OnTimer(int timerId) {
    CCritLock lock(m_lock, "CCenter::OnTimer");
    if (timerId == CMainWnd::kSceneTimer) {
        if (m_spacePainter) {
            m_spacePainter->Step();
        }
        return;
    }
    if (timerId == CMainWnd::kFrameTimer) {
        m_fade.Step();
        if (m_audioSettings && m_audioSettings->IsFinished()) {
            m_audioSettings.reset();  // never from inside its own handler
        }
        if (CSoundCapture* capture = GetCapture()) {
            capture->OnTimer();
        }
    } else if (timerId == CMainWnd::kSecondTimer) {
        if (m_devices) {
            m_devices->OnSecond();  // late answers, and devices given up
        }
        if (m_logFile) {
            m_logFile->Flush();
        }
    }
    for (int i = 0; m_windows && i < m_windows->GetCount(); ++i) {
        (*m_windows->GetAt(i))->OnTimer(timerId);
    }
}

void CCenter::OnNote(std::unique_ptr<IPayload> payload) {
    if (m_noteRouter) {
        m_noteRouter->Route(std::move(payload));
    }
}

bool CCenter::CreateTextDialog() {
    const TEXT_INFO& saved = m_settings->text;
    TEXT_PLACEMENT placement;
    placement.placed = IsPlaced(saved.rect);
    placement.rect = ToWindowRect(saved.rect);
    placement.visible = saved.visible != 0;
    placement.contentIndex = saved.contentIndex;
    placement.scrollPosition = saved.scrollPosition;
    auto dialog = std::make_unique<CTextDlg>(*m_platform.windowSystem, *m_platform.eventLoop);
    if (!dialog->CreateDialog(m_mainWindow->GetWindow(), placement)) {
        m_error.Format("Can't create Text dialog: %s", dialog->GetError());
        return false;
    }
    dialog->SetLessonReceiver(
        [this](const LESSON_SETTINGS& lesson, const DISPLAY_SETTINGS&, CCharString& reason) {
            const bool started = OnLesson(lesson);
            reason = m_error;
            if (started) {
                ConfirmLesson();
            }
            return started;
        });
    if (!m_windows->Add(dialog.get())) {
        m_error = "Can't create Text dialog: the window list is full";
        return false;
    }
    dialog.release();  // the window list owns it now
    return true;
}

CTextDlg* CCenter::GetTextDialog() const {
    return FindDialog<CTextDlg>();
}

void CCenter::LoadContent() {
    CTextDlg* dialog = GetTextDialog();
    if (dialog == nullptr) {
        return;
    }
    std::vector<TEXT_ENTRY> entries;
    for (const char* name : m_appKind.contentFiles) {
        if (name == nullptr) {
            continue;
        }
        CContentFile content;
        if (!content.Load(CContentFile::MakePath(m_settings->tutorialsFolder, name))) {
            // Without its lessons the rest of the application still works;
            // the dialog says what is missing.
            ReportError(kSource, __LINE__, "%s", content.GetError());
            dialog->SetEntries({});
            dialog->ShowMessage(content.GetError());
            return;
        }
        for (const CONTENT_ENTRY& entry : content.GetEntries()) {
            entries.push_back(TEXT_ENTRY{entry.title, entry.path});
        }
    }
    dialog->SetEntries(entries);
}

void CCenter::ConfirmLesson() {
    IWindow* main = m_mainWindow ? m_mainWindow->GetWindow() : nullptr;
    if (main == nullptr) {
        return;
    }
    // The learner's keys go back to the picture, and the status line says
    // what was started.
    const CTextDlg* dialog = GetTextDialog();
    const char* title = dialog != nullptr ? dialog->GetShownTitle() : "";
    CCharString status;
    status.Format("%s%splay the note shown", title, *title != '\0' ? ": " : "");
    main->SetStatusText(status);
    main->FocusView();
}

void CCenter::StoreTextPlacement() {
    const CTextDlg* dialog = GetTextDialog();
    if (!m_settings || dialog == nullptr) {
        return;
    }
    const TEXT_PLACEMENT placement = dialog->GetPlacement();
    TEXT_INFO& saved = m_settings->text;
    if (placement.placed) {
        saved.rect = ToSettingsRect(placement.rect);
    }
    saved.visible = placement.visible ? 1 : 0;
    saved.contentIndex = placement.contentIndex;
    saved.scrollPosition = placement.scrollPosition;
}

bool CCenter::OnLesson(const LESSON_SETTINGS& lesson) {
    if (!lesson.file.IsEmpty()) {
        // A button that names a tune plays it as the lesson.
        return OpenTuneLesson(GetLessonFilePath(lesson.file));
    }
    int scale = 0;
    if (!CheckLesson(lesson, scale, m_error) || !ApplyLessonGoal(lesson)) {
        return false;
    }
    if (m_teacher && !m_teacher->SetLesson(scale, lesson.startNote, lesson.endNote)) {
        m_error = m_teacher->GetError();
        return false;
    }
    // Before start-up the lesson is kept and started with the exercise.
    m_lesson = std::make_unique<LESSON_SETTINGS>(lesson);
    m_lessonHints = HintsFor(lesson);
    ApplyHints();
    if (m_spacePainter) {
        m_spacePainter->RequestFrameIfDirty();
    }
    return true;
}

void CCenter::OpenPractice() {
    m_practice = std::make_unique<CPracticeKeeper>(*m_teacher);
    std::string folder = m_settingsStore ? m_settingsStore->GetFolder() : std::string();
    if (folder.empty() && m_settings) {
        folder = m_settings->dataFolder.Str();  // a store kept nowhere: the data folder
    }
    if (folder.empty() || !m_practice->Open(folder)) {
        // The lessons run without a history; the log says why.
        ReportError(kSource, __LINE__, "Can't keep the practice history: %s",
                    folder.empty() ? "no folder for it" : m_practice->GetError());
    }
    m_practice->SetFinishedHandler([this] { OnLessonFinished(); });
}

// Once after a crash: where its report is.
void CCenter::ShowCrashNotice() {
    std::string report;
    if (!m_mainWindow || !CCrashReport::TakeNewReport(report)) {
        return;
    }
    CCharString text;
    text.Format("%s ended unexpectedly last time. A crash report was written to\n%s",
                m_appKind.title, report.c_str());
    m_platform.windowSystem->MessageBox(m_mainWindow->GetWindow(), text, m_appKind.title,
                                        BoxIcon::kInformation, BoxButtons::kOk);
}

void CCenter::ShowPracticeNotice() {
    if (!m_practice || *m_practice->GetNotice() == '\0' || !m_mainWindow) {
        return;
    }
    m_platform.windowSystem->MessageBox(m_mainWindow->GetWindow(), m_practice->GetNotice(),
                                        "Practice history", BoxIcon::kInformation, BoxButtons::kOk);
}

// The lesson's length and way of drawing, set before its notes are.
bool CCenter::ApplyLessonGoal(const LESSON_SETTINGS& lesson) {
    const bool drill = strcasecmp(lesson.mode, "Drill") == 0;
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
    if (m_teacher) {
        m_teacher->SetGoal(notes);
    }
    if (m_practice) {
        const CTextDlg* dialog = GetTextDialog();
        m_practice->SetLessonName(drill && dialog == nullptr ? "Drill"
                                  : dialog != nullptr        ? dialog->GetShownTitle()
                                                             : "");
        m_practice->SetDrill(drill);
    }
    return true;
}

bool CCenter::ShowProgress() {
    if (!m_mainWindow || m_mainWindow->GetWindow() == nullptr) {
        return false;
    }
    IWindow* main = m_mainWindow->GetWindow();
    CProgressDlg* dialog = FindDialog<CProgressDlg>();
    if (dialog == nullptr) {
        auto made = std::make_unique<CProgressDlg>(*m_platform.windowSystem, *m_platform.eventLoop);
        if (!made->CreateDialog(main, main->GetRect(), PROGRESS_PLACEMENT()) ||
            !m_windows->Add(made.get())) {
            m_error.Format("Can't create Progress dialog: %s", made->GetError());
            return false;
        }
        dialog = made.release();  // the window list owns it now
    }
    const double now =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    const bool painted = m_practice && m_practice->IsOpen()
                             ? dialog->Refresh(m_practice->GetHistory(), now)
                             : dialog->Paint({}, {}, now);
    if (!painted) {
        ReportError(kSource, __LINE__, "%s", dialog->GetError());
    }
    return dialog->Show(true);
}

// Each key of the picture coloured by how well its note is read, from the
// whole history.
void CCenter::ApplyKeyAccuracy() {
    if (m_pianoNotes == nullptr || !m_spacePainter ||
        m_spacePainter->GetPicture() != m_pianoNotes || m_pianoNotes->GetPiano() == nullptr) {
        return;
    }
    std::vector<PRACTICE_NOTE_STATS> stats;
    if (m_keyAccuracy && m_practice && m_practice->IsOpen() &&
        !m_practice->GetHistory().GetNoteStats(stats)) {
        ReportError(kSource, __LINE__, "%s", m_practice->GetHistory().GetError());
    }
    m_pianoNotes->GetPiano()->ShowAccuracy(stats, m_keyAccuracy);
    m_spacePainter->SetDirty();
    m_spacePainter->RequestFrameIfDirty();
}

void CCenter::StartDrill() {
    LESSON_SETTINGS lesson;
    if (m_lesson) {
        lesson = *m_lesson;
    } else {
        lesson.scale = "Chromatic";  // both staves' notes
        lesson.startNote = kDrillLowNote;
        lesson.endNote = kDrillHighNote;
    }
    lesson.file.Empty();
    lesson.mode = "Drill";
    if (!OnLesson(lesson)) {
        m_platform.windowSystem->MessageBox(
            m_mainWindow ? m_mainWindow->GetWindow() : nullptr,
            CCharString().Format("Can't start the drill: %s", m_error.GetText()), "Error",
            BoxIcon::kExclamation, BoxButtons::kOk);
        return;
    }
    if (m_mainWindow && m_mainWindow->GetWindow()) {
        m_mainWindow->GetWindow()->SetStatusText(
            "Practise your weakest notes: play the note shown");
        m_mainWindow->GetWindow()->FocusView();
    }
}

void CCenter::OnLessonFinished() {
    if (!m_teacher || !m_mainWindow || m_mainWindow->GetWindow() == nullptr) {
        return;
    }
    CLessonReport report;
    report.Make(m_teacher->GetNotes(), m_teacher->GetResults());
    CLessonDoneDlg* dialog = FindDialog<CLessonDoneDlg>();
    if (dialog == nullptr) {
        auto made =
            std::make_unique<CLessonDoneDlg>(*m_platform.windowSystem, *m_platform.eventLoop);
        made->SetChoiceReceiver(
            [this](CLessonDoneDlg::CHOICE choice) { OnLessonChoice(static_cast<int>(choice)); });
        if (!m_windows->Add(made.get())) {
            return;
        }
        dialog = made.release();  // the window list owns it now
    }
    const CTextDlg* text = GetTextDialog();
    const bool hasNext = text != nullptr && text->GetShownIndex() >= 0 &&
                         text->GetShownIndex() + 1 < text->GetEntryCount();
    IWindow* main = m_mainWindow->GetWindow();
    if (!dialog->ShowReport(main, main->GetRect(), report.GetText(), hasNext)) {
        ReportError(kSource, __LINE__, "%s", dialog->GetError());
    }
    main->SetStatusText(m_teacher->GetStatusLine());
}

void CCenter::OnLessonChoice(int choice) {
    CTextDlg* text = GetTextDialog();
    if (choice == static_cast<int>(CLessonDoneDlg::CHOICE::kNext) && text != nullptr &&
        text->ChooseEntry(text->GetShownIndex() + 1)) {
        text->StartShownLesson();
        return;
    }
    if (m_lesson && OnLesson(LESSON_SETTINGS(*m_lesson))) {
        ConfirmLesson();
    }
}

bool CCenter::OnCommand(int commandId) {
    CBaseWindow* window = nullptr;
    switch (commandId) {
        case kCommandNewSong:
        case kCommandOpenSong:
        case kCommandSaveSong:
        case kCommandSaveSongAs:
        case kCommandSaveSongToMidi:
        case kCommandSaveSongToWave:
        case kCommandNewGroove:
        case kCommandOpenGroove:
        case kCommandSaveGroove:
        case kCommandSaveGrooveAs:
            // Every song and groove command needs the Song Editor first.
            return FindWindow(kWindowSongEditor, window);
        case kCommandShowSong:
            return ShowWindowOfType(kWindowSongEditor);
        case kCommandShowMixer:
            return ShowWindowOfType(kWindowMixer);
        case kCommandShowPicture:
            return ShowWindowOfType(kWindowPicture);
        case kCommandShowColors:
            return ShowWindowOfType(kWindowColors);
        case kCommandShowText:
            return ShowWindowOfType(kWindowText);
        case kCommandArrangeAll:
            ArrangeWindows();
            return true;
        case kCommandQuit:
            if (m_mainWindow) {
                m_mainWindow->OnCloseRequest();  // the close box's way: settings saved
            }
            return true;
        case kCommandHintNoteNames:
        case kCommandHintExpectedKey:
        case kCommandHintKeyLetters:
            ToggleHint(commandId);
            return true;
        case kCommandMicrophone:
            ToggleMicrophone();
            return true;
        case kCommandResetView:
            // Undoes a drag or a zoom that left the staff hard to read.
            return m_spacePainter == nullptr || m_spacePainter->ResetView();
        case kCommandAudioSettings:
            return ShowAudioSettings();
        case kCommandAbout:
            ShowAbout();
            return true;
        case kCommandOpenTune:
            ChooseTuneLesson();
            return true;
        case kCommandDrill:
            StartDrill();
            return true;
        case kCommandShowProgress:
            return ShowProgress();
        case kCommandKeyAccuracy:
            m_keyAccuracy = !m_keyAccuracy;
            ApplyKeyAccuracy();
            ApplyHints();  // the menu's tick
            return true;
        default:
            return false;
    }
}

void CCenter::ToggleHint(int commandId) {
    if (!m_settings) {
        return;
    }
    HINTS& hints = m_settings->hints;
    bool& flag = commandId == kCommandHintNoteNames     ? hints.noteNames
                 : commandId == kCommandHintExpectedKey ? hints.expectedKey
                                                        : hints.keyLetters;
    flag = !flag;
    // The learner's choice holds from now on, also over the lesson's own.
    m_lessonHints = hints;
    ApplyHints();
}

void CCenter::ApplyHints() {
    if (m_teacher) {
        m_teacher->SetHints(m_lessonHints);
    }
    if (m_mainWindow && m_mainWindow->GetWindow() != nullptr) {
        m_mainWindow->GetWindow()->SetMenu(
            m_appKind.menuId,
            GetMenuBar(m_appKind.menuId, m_lessonHints, IsMicrophoneOn(), m_keyAccuracy));
    }
    if (m_spacePainter) {
        m_spacePainter->RequestFrameIfDirty();
    }
}

HINTS CCenter::HintsFor(const LESSON_SETTINGS& lesson) const {
    HINTS hints = m_settings ? m_settings->hints : HINTS();
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

void CCenter::ArrangeWindows() {
    CTextDlg* lessons = GetTextDialog();
    if (!m_mainWindow || m_mainWindow->GetWindow() == nullptr || lessons == nullptr ||
        lessons->GetWindow() == nullptr) {
        return;
    }
    WINDOW_RECT picture;
    WINDOW_RECT text;
    const WINDOW_RECT area = m_platform.windowSystem->GetWorkArea();
    const int side = area.height > area.width ? CTextDlg::kMinHeight : CTextDlg::kMinWidth;
    CWindowPlacement::Arrange(area, side, picture, text);
    m_mainWindow->GetWindow()->SetRect(picture);
    lessons->GetWindow()->SetRect(text);
    lessons->Show(true);
    lessons->GetWindow()->BringToFront();
}

bool CCenter::ShowWindowOfType(int typeId) {
    CBaseWindow* window = nullptr;
    if (!FindWindow(typeId, window)) {
        m_error.Format("Can't find window %d to show", typeId);
        return false;
    }
    if (!window->Show(true)) {
        m_error.Format("Can't show window %d", typeId);
        return false;
    }
    IWindow* shown = window->GetWindow();
    if (m_mainWindow && m_mainWindow->GetWindow() && shown != nullptr) {
        CWindowPlacement::BringBack(*shown, m_mainWindow->GetWindow()->GetRect());
    }
    return true;
}

void CCenter::ShowAbout() {
    CCharString text;
    text.Format("%s\nVersion %d.%d", m_appKind.title, NOTARA_VERSION_MAJOR, NOTARA_VERSION_MINOR);
    m_platform.windowSystem->MessageBox(m_mainWindow ? m_mainWindow->GetWindow() : nullptr, text,
                                        "About", BoxIcon::kInformation, BoxButtons::kOk);
}

bool CCenter::HandleCommandLine() {
    CCharString path;
    if (!FindCommandLineSong(m_commandLine, path)) {
        return false;
    }
    return OpenTuneLesson(path);
}

CCharString CCenter::GetLessonFilePath(const char* file) const {
    if (*file == '/' || !m_settings) {
        return file;
    }
    const char* content = m_appKind.contentFiles[0] != nullptr ? m_appKind.contentFiles[0] : "";
    std::string folder = CContentFile::MakePath(m_settings->tutorialsFolder, content).Str();
    folder.erase(folder.find_last_of('/') + 1);
    CCharString path;
    path.Format("%s%s", folder.c_str(), file);
    return path;
}

bool CCenter::OpenTuneLesson(const char* path) {
    std::vector<int> melody;
    CCharString name;
    CTuneReader reader(*m_noteManager, m_settings ? m_settings->grooveRoot : CCharString());
    bool opened = reader.Read(path, melody, name);
    if (!opened) {
        m_error = reader.GetError();
    }
    if (opened && m_practice) {
        m_practice->SetDrill(false);  // a tune keeps its own order
        m_practice->SetLessonName(name);
    }
    if (opened && m_teacher && !m_teacher->SetTune(name, melody)) {
        m_error.Format("Can't open song (%s): %s", CutForMessage(path).c_str(),
                       m_teacher->GetError());
        opened = false;
    }
    if (!opened) {
        // The user asked for the file: the answer is told, the lesson stays.
        ReportError(kSource, __LINE__, "%s", m_error.GetText());
        m_platform.windowSystem->MessageBox(m_mainWindow ? m_mainWindow->GetWindow() : nullptr,
                                            m_error, "Error", BoxIcon::kExclamation,
                                            BoxButtons::kOk);
        return false;
    }
    m_lessonHints = m_settings ? m_settings->hints : HINTS();
    ApplyHints();
    if (m_mainWindow && m_mainWindow->GetWindow()) {
        CCharString status;
        status.Format("%s: play the notes of the tune in order", name.GetText());
        m_mainWindow->GetWindow()->SetStatusText(status);
        m_mainWindow->GetWindow()->FocusView();
    }
    if (m_spacePainter) {
        m_spacePainter->SetDirty();
    }
    return true;
}

void CCenter::ChooseTuneLesson() {
    if (!m_settings || !m_mainWindow) {
        return;
    }
    const CCharString folder = GetLessonFilePath("Tunes/");
    std::string path;
    if (m_platform.windowSystem->ChooseFileToOpen(m_mainWindow->GetWindow(), "Open song as lesson",
                                                  folder, "Songs (*.mid *.Song)", path)) {
        OpenTuneLesson(path.c_str());
    }
}

bool CCenter::CreateMixerDialog() {
    if (!m_mix || !m_mainWindow || m_mainWindow->GetWindow() == nullptr) {
        return true;
    }
    const WINDOW_INFO& saved = m_settings->mixer;
    MIXER_PLACEMENT placement;
    placement.placed = IsPlaced(saved.rect);
    placement.rect = ToWindowRect(saved.rect);
    placement.visible = saved.visible != 0;
    auto dialog =
        std::make_unique<CMixerDlg>(*m_platform.windowSystem, *m_platform.eventLoop, *m_mix);
    IWindow* main = m_mainWindow->GetWindow();
    if (!dialog->CreateDialog(main, main->GetRect(), placement)) {
        m_error = dialog->GetError();
        return false;
    }
    if (!m_windows->Add(dialog.get())) {
        m_error = "Can't create Mixer dialog: the window list is full";
        return false;
    }
    dialog.release();  // the window list owns it now
    return true;
}

CMixerDlg* CCenter::GetMixerDialog() const {
    return FindDialog<CMixerDlg>();
}

void CCenter::StoreMixerPlacement() {
    const CMixerDlg* dialog = GetMixerDialog();
    if (!m_settings || dialog == nullptr) {
        return;
    }
    const MIXER_PLACEMENT placement = dialog->GetPlacement();
    if (placement.placed) {
        m_settings->mixer.rect = ToSettingsRect(placement.rect);
    }
    m_settings->mixer.visible = placement.visible ? 1 : 0;
}

CAudioSettingsDlg* CCenter::GetAudioSettings() const {
    return m_audioSettings && !m_audioSettings->IsFinished() ? m_audioSettings.get() : nullptr;
}

bool CCenter::ShowAudioSettings() {
    if (!m_settings || !m_mainWindow || m_mainWindow->GetWindow() == nullptr) {
        return false;
    }
    if (CAudioSettingsDlg* shown = GetAudioSettings()) {
        shown->Show(true);
        return true;
    }
    m_audioSettings.reset();
    IWindow* main = m_mainWindow->GetWindow();
    CDeviceLister lister;
    lister.Start(m_platform);
    const DEVICE_LISTS lists = lister.Take(CDeviceLister::kAnswerSeconds);
    if (!lists.error.IsEmpty()) {
        m_error = lists.error;
        ReportError(kSource, __LINE__, "%s", m_error.GetText());
        m_platform.windowSystem->MessageBox(main, m_error, CAudioSettingsDlg::kTitle,
                                            BoxIcon::kExclamation, BoxButtons::kOk);
        return false;
    }
    const AUDIO_INFO& audio = m_settings->audio;
    AUDIO_CHOICE saved;
    saved.inputKey = CDeviceLister::ToKey(audio.inputGuid);
    saved.inputName = audio.inputName;
    saved.outputKey = CDeviceLister::ToKey(audio.outputGuid);
    saved.outputName = audio.outputName;
    saved.midiPort = audio.midiInputPort;
    saved.microphone = audio.microphoneInput;
    auto dialog =
        std::make_unique<CAudioSettingsDlg>(*m_platform.windowSystem, *m_platform.eventLoop);
    dialog->SetApply([this](const AUDIO_CHOICE& choice, CCharString& error) {
        return ApplyAudioChoice(choice, error);
    });
    dialog->SetMicrophone([this](bool on) { SetMicrophone(on); });
    if (!dialog->Open(main, main->GetRect(), lists.inputs, lists.outputs, lists.midiPorts, saved)) {
        m_error = dialog->GetError();
        ReportError(kSource, __LINE__, "%s", m_error.GetText());
        m_platform.windowSystem->MessageBox(main, m_error, m_appKind.title, BoxIcon::kError,
                                            BoxButtons::kOk);
        return false;
    }
    m_audioSettings = std::move(dialog);
    return true;
}

bool CCenter::ApplyAudioChoice(const AUDIO_CHOICE& choice, CCharString& error) {
    if (!m_settings || !m_devices) {
        error = "Can't change the devices: there are no settings";
        return false;
    }
    CCharString problems;
    const bool applied = m_devices->Apply(choice, problems);
    ApplyHints();
    if (applied) {
        return true;
    }
    ReportError(kSource, __LINE__, "%s", problems.GetText());
    m_platform.windowSystem->MessageBox(m_mainWindow ? m_mainWindow->GetWindow() : nullptr,
                                        problems, CDeviceKeeper::kAudioErrorTitle,
                                        BoxIcon::kExclamation, BoxButtons::kOk);
    error =
        "Can't open every chosen device: choose another one, or Cancel to keep the devices "
        "in use.";
    m_error = error;
    return false;
}
