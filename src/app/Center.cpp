#include "app/Center.h"

#include <string>

#include "app/AppSettings.h"
#include "app/AudioSettingsKeeper.h"
#include "app/CommandKeys.h"
#include "app/ContentFile.h"
#include "app/DeviceKeeper.h"
#include "app/DialogKeeper.h"
#include "app/GrooveShelf.h"
#include "app/KeyInput.h"
#include "app/LessonController.h"
#include "app/LessonWindows.h"
#include "app/MainWnd.h"
#include "app/Menus.h"
#include "app/NotaraCommands.h"
#include "app/NoteSounder.h"
#include "app/PictureCommands.h"
#include "app/PictureKeeper.h"
#include "app/PracticeKeeper.h"
#include "app/SettingsKeeper.h"
#include "app/SongKeeper.h"
#include "app/SongPlayer.h"
#include "app/WindowRegistry.h"
#include "capture/DetectorPoster.h"
#include "capture/SoundCapture.h"
#include "capture/TunerReading.h"
#include "editors/SongEditorDlg.h"
#include "exercise/HeldKeys.h"
#include "exercise/Teacher.h"
#include "foundation/CrashReport.h"
#include "foundation/CritLock.h"
#include "foundation/ErrorReport.h"
#include "foundation/LogFile.h"
#include "midi/MidiKeyboard.h"
#include "midi/MidiMapper.h"
#include "platform/Clock.h"
#include "platform/GlDevice.h"
#include "scene/SpacePainter.h"
#include "songio/Composition.h"
#include "songs/Mix.h"
#include "theory/NoteManager.h"
#include "theory/NoteRouter.h"
#include "ui/LessonSettings.h"
#include "ui/TextDlg.h"

CCenter::CCenter(int kind, const char* commandLine, const PLATFORM& platform,
                 const START_OPTIONS& options)
    : m_commandLine(commandLine), m_kind(kind), m_platform(platform), m_options(options) {}

CCenter::~CCenter() {
    if (m_windows) {
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
    m_windows = std::make_unique<CWindowRegistry>();
    m_noteManager = std::make_unique<CNoteManager>();
    if (!FindApplicationKind(m_kind, m_appKind, m_error)) {
        return false;
    }

    m_settingsKeeper = std::make_unique<CSettingsKeeper>(m_platform, m_appKind.title, m_kind);
    m_settings = &m_settingsKeeper->Get();
    // A crash of this run is told to the next start of this profile only.
    CCrashReport::SetProfile(m_settingsKeeper->GetFolder().c_str());
    m_firstRun = m_settings->mainWindow.rect.left == -1;
    StockGrooves();

    m_mainWindow = std::make_unique<CMainWnd>(*this, *m_platform.windowSystem,
                                              *m_platform.eventLoop, m_options);
    if (!m_mainWindow->CreateMain(m_appKind)) {
        m_error.Format("Can't create main window:\n%s", m_mainWindow->GetError());
        m_mainWindow.reset();
        return false;
    }
    m_dialogs =
        std::make_unique<CDialogKeeper>(m_platform, *m_windows, *m_settings, *GetMainIWindow());
    StartLessons();
    FillNotaraCommands(*this, m_commands);
    FillPictureCommands(*this, m_commands);
    return true;
}

// An install's user groove folder offers the shipped grooves beside the
// user's own, for the kind whose Song Editor saves grooves; the other kinds
// only read the shipped ones. The build tree's groove folder is the shipped
// one.
void CCenter::StockGrooves() {
    if (m_settings->shippedGrooveRoot.IsEmpty()) {
        return;
    }
    if (m_appKind.pictureKind != kPictureGrooves) {
        m_settings->grooveRoot = m_settings->shippedGrooveRoot;
        return;
    }
    CGrooveShelf shelf;
    if (!shelf.Stock(m_settings->shippedGrooveRoot.Str(), m_settings->grooveRoot.Str())) {
        // The editor still lists whatever grooves there are.
        ReportError(kSource, __LINE__, "%s", shelf.GetError());
    }
}

// The lesson flow exists from the start: a lesson chosen before start-up
// waits for the exercise.
void CCenter::StartLessons() {
    m_lessonWindows = std::make_unique<CLessonWindows>(
        *m_platform.windowSystem, *m_platform.eventLoop, *m_windows, GetMainIWindow());
    m_lessons =
        std::make_unique<CLessonController>(*m_noteManager, *m_lessonWindows, m_settings->hints);
    m_lessonWindows->SetHintsShower([this](const HINTS&) { ShowMenu(); });
    m_lessonWindows->SetFrameRequest([this] { RequestFrame(); });
    m_lessonWindows->SetChoiceReceiver([this](bool next) {
        m_lessons->OnLessonChoice(next ? CLessonController::CHOICE::kNext
                                       : CLessonController::CHOICE::kAgain);
    });
    m_lessons->SetFolders(
        [this] {
            const char* content = m_appKind.contentFiles[0] ? m_appKind.contentFiles[0] : "";
            std::string folder = CContentFile::MakePath(m_settings->tutorialsFolder, content).Str();
            return folder.erase(folder.find_last_of('/') + 1);
        },
        [this] { return m_settings->grooveRoot.Str(); });
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
    LoadMix();
    m_midiKeyboard = std::make_unique<CMidiKeyboard>();
    m_midiKeyboard->SetMix(m_mix.get());
    m_midiKeyboard->SetInstrument(m_appKind.instrument);
    // The MIDI and sound systems are asked on threads of their own while the
    // rest starts.
    m_devices =
        std::make_unique<CDeviceKeeper>(m_platform, *GetMainIWindow(), *m_noteManager, m_settings);
    m_devices->Start();
    m_audioSettings = std::make_unique<CAudioSettingsKeeper>(m_platform, *m_devices, *m_settings,
                                                             *GetMainIWindow(), m_appKind.title);
    m_audioSettings->SetChangeListener([this] { ShowMenu(); });
    m_audioSettings->SetMicrophoneSwitch([this](bool on) { SetMicrophone(on); });
    StartExercise();
    if (m_appKind.hasScene) {
        m_picture = std::make_unique<CPictureKeeper>(
            CPictureKeeper::EXERCISE{m_noteManager.get(), m_teacher.get(), m_heldKeys.get(),
                                     m_practice.get(), m_logFile.get()});
    }
    if (!m_dialogs->CreateTextDialog([this](const LESSON_SETTINGS& lesson,
                                            const DISPLAY_SETTINGS& display, CCharString& reason) {
            if (m_songs) {
                // The groove kind's buttons open songs and grooves.
                CCharString folder;
                folder.Format("%sGrooves/", m_settings->tutorialsFolder.GetText());
                if (!display.lookAt.IsEmpty() && m_picture &&
                    !m_picture->LookAt(display.lookAt.GetText())) {
                    ReportError(kSource, __LINE__, "%s", m_picture->GetError());
                }
                return m_songs->OnLesson(lesson, display, folder, reason);
            }
            const bool started = m_lessons->StartLesson(lesson);
            reason = m_lessons->GetError();
            if (started) {
                m_lessons->ConfirmLesson();
            }
            return started;
        })) {
        m_error = m_dialogs->GetError();
        return false;
    }
    if (!m_dialogs->CreateMixerDialog(*m_mix)) {
        // The rest of the application works without its mixer.
        ReportError(kSource, __LINE__, "%s", m_dialogs->GetError());
    }
    if (m_appKind.pictureKind == kPictureGrooves) {
        CreateSongEditor();
    }
    if (m_picture) {
        CCharString figure;
        figure.Format("%sHuman.x", m_settings->modelFolder.GetText());
        m_picture->SetFigureModel(figure);
        m_picture->SetBandMenu([this](int x, int y) {
            const int chosen =
                m_platform.windowSystem->PopupMenu(GetMainIWindow(), GetBandViewMenu(), x, y);
            if (chosen != 0) {
                OnCommand(chosen);
            }
        });
    }
    if (m_picture && !m_picture->Start(*GetMainIWindow(), m_appKind.pictureKind)) {
        // The rest of the application works without its 3D picture.
        m_error = m_picture->GetError();
        m_picture.reset();
    }
    if (m_picture) {
        m_picture->GetPainter().SetKeyHandler(
            [this](const KEY_EVENT& key) { return OnViewKey(key); });
        m_noteRouter->SetFrameRequest([this] { m_picture->RequestFrameIfDirty(); });
        m_noteRouter->Subscribe(ROAD_STAGE::kBand, *m_picture);
    }
    m_devices->WaitForStart();
    m_dialogs->LoadContent(m_appKind);
    CCharString commandLineSong;
    const bool songNamed = FindCommandLineSong(m_commandLine, commandLineSong);
    // The tune that ran at the close goes on at its note; one whose file is
    // gone gives way to the lesson the learner left open.
    const bool resumeTune = !m_firstRun && !songNamed && !m_settings->tuneFile.IsEmpty() &&
                            GetSongOpenError(m_settings->tuneFile).IsEmpty();
    if (resumeTune) {
        m_lessons->ResumeTune(m_settings->tuneFile, m_settings->tuneNote);
    } else if (!m_firstRun && !songNamed && m_appKind.pictureKind == kPictureNotes) {
        // The lesson of the document the learner left open runs again,
        // unless the command line names a tune: that tune is the lesson.
        // (A groove kind's button plays music: nothing plays unasked.)
        if (CTextDlg* dialog = m_dialogs->GetTextDialog()) {
            dialog->StartShownLesson();
        }
    } else if (m_firstRun && !songNamed) {
        // Nothing runs before the learner asks: the Welcome lesson waits
        // for its Start button. The groove kind has no note lessons.
        const bool notes = m_appKind.pictureKind == kPictureNotes;
        const char* invitation = notes ? kFirstStartInvitation : kGrooveInvitation;
        m_teacher->StandBy(invitation);
        GetMainIWindow()->SetStatusText(invitation);
        CTextDlg* dialog = m_dialogs->GetTextDialog();
        if (dialog != nullptr && notes) {
            dialog->HighlightButton(0);
        }
    }
    if (!m_appKind.startInTray) {
        m_mainWindow->Show(true);
    }
    if (m_firstRun) {
        // A first start shows the picture with the lessons beside it, on top;
        // the groove kind's Song Editor, its main tool, comes first.
        m_dialogs->Arrange(GetSongEditorWindow());
    }
    m_windows->ForEach([](CBaseWindow& window) { window.Update(); });
    ShowNotices();
    return true;
}

void CCenter::LoadMix() {
    // A damaged "Default.mix" is reported, the defaults are used, and the
    // file is kept as it is until the user saves a mix.
    m_mix = std::make_unique<CMix>();
    const CCharString mixPath = GetDefaultMixPath();
    if (!m_mix->LoadOrDefaults(mixPath) && m_mix->IsDamaged(mixPath)) {
        ReportError(kSource, __LINE__, "%s", m_mix->GetError());
    }
}

// The kinds of grooves and songs edit them in the Song Editor, which the
// song keeper hosts.
void CCenter::CreateSongEditor() {
    CSongKeeper::SERVICES services;
    services.windowSystem = m_platform.windowSystem;
    services.eventLoop = m_platform.eventLoop;
    services.windows = m_windows.get();
    services.notes = m_noteManager.get();
    services.mix = [this] { return m_mix.get(); };
    services.sound = [this] { return GetSound(); };
    services.capture = [this] { return GetCapture(); };
    services.router = m_noteRouter.get();
    services.pitchMethod = [this] { return m_devices ? m_devices->GetPitchMethod() : 0; };
    services.player = m_songPlayer.get();
    services.settings = m_settings;
    services.showMixer = [this] { m_dialogs->ShowWindowOfType(kWindowMixer); };
    services.keepFolder = GetUserFolder();
    services.title = m_appKind.title;
    m_songs = std::make_unique<CSongKeeper>(services);
    if (!m_songs->Create(GetMainIWindow())) {
        // The rest of the application works without its editor.
        ReportError(kSource, __LINE__, "%s", m_songs->GetError());
        m_songs.reset();
        return;
    }
    if (m_firstRun) {
        m_songs->GetEditor()->Show(true);
    }
}

void CCenter::StartExercise() {
    m_teacher = std::make_unique<Teacher>(m_noteManager.get());
    m_heldKeys = std::make_unique<CHeldKeys>();
    m_midiMapper = std::make_unique<CMidiMapper>(*m_noteManager);
    m_sounder = std::make_unique<CNoteSounder>(*m_midiKeyboard, [this] { return GetSound(); });
    m_noteRouter = std::make_unique<CNoteRouter>();
    m_keyInput = std::make_unique<CKeyInput>(*m_midiKeyboard, *m_noteRouter,
                                             [this] { return m_teacher->GetKeyShift(); });
    m_songPlayer = std::make_unique<CSongPlayer>([this] { return GetSound(); }, *m_noteRouter,
                                                 [] { return Platform::GetClock().GetSeconds(); });
    OpenPractice();
    // The road's stops in their order; each hears every note the ones
    // before it let through.
    // The program's own sound heard by the microphone stops first, before
    // the held notes count it.
    m_noteRouter->Subscribe(ROAD_STAGE::kFilter, m_echoFilter);
    m_noteRouter->Subscribe(ROAD_STAGE::kFilter, *m_midiMapper);
    m_noteRouter->Subscribe(ROAD_STAGE::kHeldKeys, *m_heldKeys);
    m_noteRouter->Subscribe(ROAD_STAGE::kExercise, *m_teacher);
    m_noteRouter->Subscribe(ROAD_STAGE::kSounder, *m_sounder);
    m_noteRouter->Subscribe(ROAD_STAGE::kHistory, *m_practice);
    m_lessons->Attach(m_teacher.get(), m_practice.get());
}

IWindow* CCenter::GetSongEditorWindow() const {
    CSongEditorDlg* editor = m_songs ? m_songs->GetEditor() : nullptr;
    return editor != nullptr ? editor->GetWindow() : nullptr;
}

std::string CCenter::GetUserFolder() const {
    const std::string folder = m_settingsKeeper->GetFolder();
    // A store kept nowhere: the data folder.
    return folder.empty() ? m_settings->dataFolder.Str() : folder;
}

void CCenter::OpenPractice() {
    m_practice = std::make_unique<CPracticeKeeper>(*m_teacher);
    const std::string folder = GetUserFolder();
    if (folder.empty() || !m_practice->Open(folder)) {
        // The lessons run without a history; the log says why.
        ReportError(kSource, __LINE__, "Can't keep the practice history: %s",
                    folder.empty() ? "no folder for it" : m_practice->GetError());
    }
}

// Told once each, over the windows they concern: the settings that could
// not be read in full, the devices, a damaged history, a crash last time.
void CCenter::ShowNotices() {
    IWindow* main = GetMainIWindow();
    const char* settingsProblem = m_settingsKeeper->GetReadProblem();
    if (*settingsProblem != '\0') {
        ReportError(kSource, __LINE__, "%s", settingsProblem);
        m_platform.windowSystem->MessageBox(main, settingsProblem, m_appKind.title,
                                            BoxIcon::kExclamation, BoxButtons::kOk);
    }
    m_devices->ShowProblems();
    m_showInitErrors = false;
    if (m_practice && *m_practice->GetNotice() != '\0') {
        m_platform.windowSystem->MessageBox(main, m_practice->GetNotice(), "Practice history",
                                            BoxIcon::kInformation, BoxButtons::kOk);
    }
    std::string report;
    if (CCrashReport::TakeNewReport(report)) {
        CCharString text;
        text.Format("%s ended unexpectedly last time. A crash report was written to\n%s",
                    m_appKind.title, report.c_str());
        m_platform.windowSystem->MessageBox(main, text, m_appKind.title, BoxIcon::kInformation,
                                            BoxButtons::kOk);
    }
    if (m_songs) {
        m_songs->OfferRecovery();
    }
}

CCharString CCenter::GetDefaultMixPath() const {
    return m_settings ? m_settings->GetMixPath() : CCharString("Default.mix");
}

IWindow* CCenter::GetMainIWindow() const {
    return m_mainWindow ? m_mainWindow->GetWindow() : nullptr;
}

bool CCenter::FindWindow(int typeId, CBaseWindow*& window) {
    window = nullptr;
    return m_windows && m_windows->Find(typeId, window, m_error);
}

bool CCenter::OnViewKey(const KEY_EVENT& key) {
    if (OnKeyAsNote(key)) {
        return true;
    }
    const VIEW_COMMAND command = CCommandKeys::Find(key, m_picture && m_picture->IsFullScreen(),
                                                    m_picture && m_picture->GetBand() != nullptr);
    if (command == VIEW_COMMAND::kNone) {
        return false;  // on to the scene's own keys
    }
    RunViewCommand(command);
    return true;
}

bool CCenter::OnKeyAsNote(const KEY_EVENT& key) {
    return m_keyInput && m_keyInput->OnKey(key);
}

void CCenter::RunViewCommand(VIEW_COMMAND command) {
    if (command == VIEW_COMMAND::kShowLessons) {
        OnCommand(kCommandShowText);
        return;
    }
    if (m_picture) {
        m_picture->RunViewCommand(command);
    }
}

bool CCenter::OnCommand(int commandId) {
    return m_commands.Run(commandId, m_error);
}

bool CCenter::IsMicrophoneOn() const {
    return m_devices ? m_devices->IsMicrophoneOn()
                     : m_settings == nullptr || m_settings->audio.microphoneInput;
}

void CCenter::ToggleMicrophone() {
    SetMicrophone(!m_settings->audio.microphoneInput);
    if (m_audioSettings) {
        m_audioSettings->ShowMicrophoneState(m_settings->audio.microphoneInput);
    }
}

void CCenter::SetMicrophone(bool on) {
    if (!m_devices) {
        return;
    }
    m_devices->SetMicrophone(on);
    ShowMenu();  // the menu shows the new state
}

void CCenter::ShowMenu() {
    if (IWindow* main = GetMainIWindow()) {
        main->SetMenu(m_appKind.menuId,
                      GetMenuBar(m_appKind.menuId, m_lessons->GetHints(), IsMicrophoneOn(),
                                 m_picture && m_picture->IsShowingKeyAccuracy(),
                                 m_picture && m_picture->HasSkinnedFigures()));
    }
    if (m_picture) {
        m_picture->RequestFrameIfDirty();
    }
}

void CCenter::RequestFrame() {
    if (m_picture) {
        m_picture->RequestFrame();
    }
}

bool CCenter::OnLesson(const LESSON_SETTINGS& lesson) {
    const bool started = m_lessons && m_lessons->StartLesson(lesson);
    if (!started && m_lessons) {
        m_error = m_lessons->GetError();
    }
    return started;
}

const LESSON_SETTINGS* CCenter::GetLesson() const {
    return m_lessons ? m_lessons->GetLesson() : nullptr;
}

bool CCenter::OpenTuneLesson(const char* path) {
    const bool started = m_lessons && m_lessons->OpenTune(path);
    if (!started && m_lessons) {
        m_error = m_lessons->GetError();
    }
    return started;
}

bool CCenter::WaitForTuneLesson(double seconds) {
    const bool opened = m_lessons && m_lessons->WaitForTune(seconds);
    if (!opened && m_lessons) {
        m_error = m_lessons->GetError();
    }
    return opened;
}

bool CCenter::HandleCommandLine() {
    CCharString path;
    if (!FindCommandLineSong(m_commandLine, path)) {
        return false;
    }
    if (m_songs) {
        return OpenInSongEditor(path);  // the groove kind edits the song
    }
    if (!OpenTuneLesson(path)) {
        return false;
    }
    // A tune reads in a moment: the window shows with it, or with its
    // problem. One that takes longer is taken when it is read.
    return WaitForTuneLesson(kStartTuneSeconds) || m_lessons->IsReadingTune();
}

CAudioSettingsDlg* CCenter::GetAudioSettings() const {
    return m_audioSettings ? m_audioSettings->GetDialog() : nullptr;
}

CMixerDlg* CCenter::GetMixerDialog() const {
    return m_dialogs ? m_dialogs->GetMixerDialog() : nullptr;
}

CSpacePainter* CCenter::GetSpacePainter() const {
    return m_picture ? &m_picture->GetPainter() : nullptr;
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
