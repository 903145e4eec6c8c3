#pragma once

#include <memory>
#include <string>

#include "app/Catalogue.h"
#include "app/CommandTable.h"
#include "app/PictureFade.h"
#include "app/StartOptions.h"
#include "foundation/CharString.h"
#include "foundation/Crit.h"
#include "midi/EchoFilter.h"
#include "platform/Platform.h"

struct APP_SETTINGS;
struct KEY_EVENT;
struct LESSON_SETTINGS;
class CAudioSettingsDlg;
class CAudioSettingsKeeper;
class CBaseWindow;
class CDeviceKeeper;
class CDialogKeeper;
class CHeldKeys;
class CKeyInput;
class CLessonController;
class CLessonWindows;
class CLogFile;
class CMainWnd;
class CMidiKeyboard;
class CMidiMapper;
class CMidiPort;
class CMix;
class CMixerDlg;
class CNoteManager;
class CNoteRouter;
class CNoteSounder;
class CPictureKeeper;
class CSettingsKeeper;
class CPracticeKeeper;
class CSound;
class CSoundCapture;
class CSongKeeper;
class CSongPlayer;
class CSpacePainter;
class CWindowRegistry;
class Teacher;
enum class VIEW_COMMAND;

// The central object: owns every long-lived part of the application, runs
// its start-up and shutdown in their order and passes timers, posted
// messages and commands on to the parts that handle them. One per process.
class CCenter {
public:
    static constexpr const char* kSource = "Center";
    // What a second start hands over: this, then the song file's absolute
    // path.
    static constexpr const char* kOpenSongMessage = "open ";
    // The status line of a first start, until a lesson starts.
    static constexpr const char* kGrooveInvitation =
        "Choose a groove in the Song Editor (F2) and press Play groove; the Lessons window (F1) "
        "tells of the grooves";
    static constexpr const char* kFirstStartInvitation =
        "Press Start in the Lessons window to begin (F1 shows it)";

    CCenter(int kind, const char* commandLine, const PLATFORM& platform,
            const START_OPTIONS& options = START_OPTIONS());
    CCenter(const CCenter&) = delete;
    CCenter& operator=(const CCenter&) = delete;
    virtual ~CCenter();

    // Lists, catalogue, settings and the (hidden) main window; no devices.
    bool Init();
    // Run by the main window once it exists: the engines, the devices, the
    // windows and the first picture.
    bool Startup();
    // Run by the main window after its timers are stopped.
    void Close();
    // The user closes the program: what the kind edits is offered for
    // saving first, then proceed runs; a cancelled question drops it.
    void QueryClose(std::function<void()> proceed);
    // The folder of the user's own files: the settings', else the data
    // folder.
    std::string GetUserFolder() const;
    // The Song Editor's window in the kinds that have one, else null.
    IWindow* GetSongEditorWindow() const;

    // The open window of typeId; false with "Can't find open window %d".
    bool FindWindow(int typeId, CBaseWindow*& window);
    void OnTimer(int timerId);
    // Runs a menu command of the kind; false for one it lacks or that failed.
    bool OnCommand(int commandId);
    // A played note posted to the main window (message 1046): it takes the
    // note road. The payload is deleted when handled, also when it is dropped.
    void OnNote(std::unique_ptr<IPayload> note);
    // A level the note detector heard (message 1047): the input meters.
    void OnLevel(std::unique_ptr<IPayload> level);
    // The tuner readout of a steady pitch the microphone hears, beside the
    // level meter of the window and of the audio settings.
    void OnPitch(std::unique_ptr<IPayload> pitch);
    // The open MIDI input went away: reported once.
    void OnMidiDeviceLost(std::unique_ptr<IPayload> reason);
    // The devices' problems gathered by a timer, shown in one box.
    void OnDeviceProblems();
    // A message a second start handed over: a song file is opened as the
    // lesson and the main window comes to the front; anything else is
    // ignored.
    void OnHandedOver(const std::string& message);
    // A key of the 3D view: played as a note, or one of the window's
    // command keys (Alt+Enter full screen, Esc, F1 lessons, Ctrl+A, Ctrl+N).
    bool OnViewKey(const KEY_EVENT& key);
    // A key played as a note; true when it is a note key.
    bool OnKeyAsNote(const KEY_EVENT& key);

    // A lesson chosen with an action button (see
    // CLessonController::StartLesson); false with the reason in GetError.
    bool OnLesson(const LESSON_SETTINGS& lesson);
    // The lesson that runs, or null before the first one.
    const LESSON_SETTINGS* GetLesson() const;
    // A song file's melody as the lesson, read on a thread of its own and
    // taken on the frame timer (or by WaitForTuneLesson) once read; a file
    // that can't be played is told in a box then and the running lesson
    // stays.
    // Opens the song file at path in the groove kind's Song Editor and
    // shows it; a file that can't be opened is told in a box.
    bool OpenInSongEditor(const char* path);
    bool OpenTuneLesson(const char* path);
    // Waits up to seconds for the song being read and takes it; false with
    // the reason when it can't be played.
    bool WaitForTuneLesson(double seconds);
    // How long the start waits for the song named on the command line.
    static constexpr double kStartTuneSeconds = 1.0;
    // Opens the song the command line names as a tune lesson.
    bool HandleCommandLine();

    // The audio settings while they are shown, else null.
    CAudioSettingsDlg* GetAudioSettings() const;
    CMixerDlg* GetMixerDialog() const;

    static bool ReportError(const char* source, int line, const char* format, ...)
        NOTARA_PRINTF(3, 4);

    const char* GetError() const { return m_error; }
    const char* GetTitle() const { return m_appKind.title; }
    int GetKind() const { return m_kind; }
    const APP_KIND& GetAppKind() const { return m_appKind; }
    bool IsShowingInitErrors() const { return m_showInitErrors; }
    bool IsFirstRun() const { return m_firstRun; }
    bool IsStartedInTray() const { return m_appKind.startInTray; }
    CMainWnd* GetMainWindow() const { return m_mainWindow.get(); }
    CLogFile* GetLogFile() const { return m_logFile.get(); }
    CSpacePainter* GetSpacePainter() const;
    CNoteManager* GetNoteManager() const { return m_noteManager.get(); }
    // The exercise, its held keys, the history and the road that feeds
    // them; null before Startup.
    Teacher* GetTeacher() const { return m_teacher.get(); }
    const CEchoFilter& GetEchoFilter() const { return m_echoFilter; }
    CPracticeKeeper* GetPractice() const { return m_practice.get(); }
    CHeldKeys* GetHeldKeys() const { return m_heldKeys.get(); }
    CNoteRouter* GetNoteRouter() const { return m_noteRouter.get(); }
    // Plays grooves, parts and songs; null before Startup.
    CSongPlayer* GetSongPlayer() const { return m_songPlayer.get(); }
    // The song document and its editor; null in kinds without one.
    CSongKeeper* GetSongs() const { return m_songs.get(); }
    CLessonController* GetLessons() const { return m_lessons.get(); }
    // The dialogs, Settings > Audio and the 3D picture; null before they
    // exist (the picture also without a display that draws it).
    CDialogKeeper* GetDialogs() const { return m_dialogs.get(); }
    CAudioSettingsKeeper* GetAudioSettingsKeeper() const { return m_audioSettings.get(); }
    CPictureKeeper* GetPicture() const { return m_picture.get(); }
    CMidiPort* GetMidiPort() const;
    CMidiKeyboard* GetMidiKeyboard() const { return m_midiKeyboard.get(); }
    CMix* GetMix() const { return m_mix.get(); }
    // The microphone's capture once it has opened, null before, without one
    // and while the microphone input is off.
    CSoundCapture* GetCapture() const;
    bool IsMicrophoneOn() const;
    // The microphone input on or off, the menu and the audio settings told.
    void SetMicrophone(bool on);
    void ToggleMicrophone();
    // The hints in force, the microphone and the key colours to the menu.
    void ShowMenu();
    // The sound engine once it has opened, null before and without one.
    CSound* GetSound() const;
    APP_SETTINGS* GetSettings() const { return m_settings; }
    const PLATFORM& GetPlatform() const { return m_platform; }
    const CPictureFade& GetFade() const { return m_fade; }

    // Starts a cross-fade of the picture: out, rebuild, in.
    void StartFade() { m_fade.Start(); }

    // A failure the user was told of that must also show in the process's
    // exit status (an unwritten screenshot, settings that could not be
    // saved); the run goes on.
    void SetExitFailure() { m_exitCode = kExitFailure; }
    int GetExitCode() const { return m_exitCode; }
    static constexpr int kExitFailure = 1;

private:
    bool OpenLog();
    void LoadMix();
    void CreateSongEditor();
    void StartExercise();
    void StockGrooves();
    void RememberExportFolders();
    void StartLessons();
    void RunViewCommand(VIEW_COMMAND command);
    void RequestFrame();
    // The practice history beside the settings (or in the data folder).
    void OpenPractice();
    void ShowNotices();
    CCharString GetDefaultMixPath() const;
    // Saves the mix and the settings; a failure (or answers the history could
    // not keep) is told once and fails the run.
    void SaveAtClose(const CCharString& historyProblem);
    // Answers the history can't write now: told once, kept for later.
    void TellHistoryProblem();
    IWindow* GetMainIWindow() const;

    CCharString m_error;
    CCharString m_commandLine;
    int m_kind;
    APP_KIND m_appKind;
    CPictureFade m_fade;
    bool m_showInitErrors = true;
    bool m_firstRun = false;
    int m_exitCode = 0;
    CCrit m_lock;
    PLATFORM m_platform;
    START_OPTIONS m_options;
    CCommandTable m_commands;

    std::unique_ptr<CWindowRegistry> m_windows;
    std::unique_ptr<CSettingsKeeper> m_settingsKeeper;
    APP_SETTINGS* m_settings = nullptr;  // the keeper's
    std::unique_ptr<CMainWnd> m_mainWindow;
    std::unique_ptr<CLogFile> m_logFile;
    std::unique_ptr<CNoteManager> m_noteManager;
    std::unique_ptr<CMix> m_mix;
    std::unique_ptr<CMidiKeyboard> m_midiKeyboard;
    std::unique_ptr<CDialogKeeper> m_dialogs;
    std::unique_ptr<CLessonWindows> m_lessonWindows;
    std::unique_ptr<CLessonController> m_lessons;
    // The MIDI input, the sound engine and the microphone's capture.
    std::unique_ptr<CDeviceKeeper> m_devices;
    std::unique_ptr<CAudioSettingsKeeper> m_audioSettings;
    // The exercise outlives the pictures that show it.
    std::unique_ptr<Teacher> m_teacher;
    std::unique_ptr<CHeldKeys> m_heldKeys;
    std::unique_ptr<CMidiMapper> m_midiMapper;
    CEchoFilter m_echoFilter;
    std::unique_ptr<CSongPlayer> m_songPlayer;
    std::unique_ptr<CSongKeeper> m_songs;
    std::unique_ptr<CNoteSounder> m_sounder;
    std::unique_ptr<CNoteRouter> m_noteRouter;
    std::unique_ptr<CKeyInput> m_keyInput;
    std::unique_ptr<CPictureKeeper> m_picture;
    // After the exercise: it leaves the teacher's views before the teacher goes.
    std::unique_ptr<CPracticeKeeper> m_practice;
};
