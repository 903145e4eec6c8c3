#pragma once

#include <memory>
#include <vector>

#include "app/Catalogue.h"
#include "app/PictureFade.h"
#include "app/StartOptions.h"
#include "foundation/CharString.h"
#include "foundation/Crit.h"
#include "foundation/Heap.h"
#include "foundation/VarList.h"
#include "platform/Platform.h"
#include "trainer/Hints.h"

struct APP_SETTINGS;
struct AUDIO_CHOICE;
class CAudioSettingsDlg;
class CMixerDlg;
struct LESSON_SETTINGS;
struct KEY_EVENT;
class CBaseWindow;
class CDeviceKeeper;
class CHeldKeys;
class CKeyInput;
class CMidiMapper;
class CNoteSounder;
class CLogFile;
class CMainWnd;
class CMidiKeyboard;
class CMidiPort;
class CMix;
class CNote;
class CPianoNotes;
class CPracticeKeeper;
class CNoteManager;
class CNoteRouter;
class CSound;
class CSoundCapture;
class CSpacePainter;
class CTextDlg;
class Teacher;
enum class VIEW_COMMAND;

// The central object: owns every long-lived part of the application (the
// exercise and its note road among them), runs its start-up and shutdown
// sequences and passes timers and commands on. One per process.
class CCenter {
public:
    // The drill of the weakest notes without a lesson: both staves.
    static constexpr int kDrillLowNote = 43;   // G2
    static constexpr int kDrillHighNote = 79;  // G5
    static constexpr const char* kSource = "Center";

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

    bool FindWindow(int typeId, CBaseWindow*& window);
    // The open window of typeId, or null.
    CBaseWindow* FindOpenWindow(int typeId) const;
    // The open dialog of type T (by its kTypeId), or null.
    template <class T>
    T* FindDialog() const {
        return static_cast<T*>(FindOpenWindow(T::kTypeId));
    }
    void CloseAllWindows();
    void OnTimer(int timerId);
    bool OnCommand(int commandId);
    // A played note posted to the main window (message 1046): it takes the
    // note road. The payload is deleted when handled, also when it is dropped.
    void OnNote(std::unique_ptr<IPayload> note);
    // A lesson chosen with an action button of the Text dialog. A lesson
    // without a known scale or with a note range that is empty or off the
    // keyboard is refused with the reason in GetError, and the lesson that
    // runs stays.
    bool OnLesson(const LESSON_SETTINGS& lesson);
    // The lesson that runs, or null before the first one.
    const LESSON_SETTINGS* GetLesson() const { return m_lesson.get(); }
    // A key of the 3D view: played as a note, or one of the window's
    // command keys (Alt+Enter full screen, Esc, F1 lessons, Ctrl+A, Ctrl+N).
    bool OnViewKey(const KEY_EVENT& key);
    // A key played as a note; true when it is a note key.
    bool OnKeyAsNote(const KEY_EVENT& key);
    // Settings > Audio: lists the devices (waiting only a moment for them)
    // and shows the audio settings; false with the reason in GetError.
    bool ShowAudioSettings();
    // The audio settings while they are shown, else null.
    CAudioSettingsDlg* GetAudioSettings() const;
    CMixerDlg* GetMixerDialog() const;
    // Stores choice in the settings and re-opens at once every device whose
    // choice changed or that is not open. A device that fails is told in
    // the "Audio Device Error" box; the one in use before stays in use, and
    // false comes back with what to do in error.
    bool ApplyAudioChoice(const AUDIO_CHOICE& choice, CCharString& error);
    // The open MIDI input went away: reported once.
    void OnMidiDeviceLost(std::unique_ptr<IPayload> reason);
    // Opens the song the command line names as a tune lesson; a file that
    // is missing, a folder or no song is told in a box of the main window,
    // and the run goes on. False with the text in GetError.
    bool HandleCommandLine();
    // A MIDI file's melody as the lesson (see Teacher::SetTune): false with
    // the reason in GetError, told in a box, and the running lesson stays.
    bool OpenTuneLesson(const char* path);

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
    CSpacePainter* GetSpacePainter() const { return m_spacePainter.get(); }
    CNoteManager* GetNoteManager() const { return m_noteManager.get(); }
    // The exercise, its held keys and the road that feeds them; null before
    // Startup.
    Teacher* GetTeacher() const { return m_teacher.get(); }
    CPracticeKeeper* GetPractice() const { return m_practice.get(); }
    CHeldKeys* GetHeldKeys() const { return m_heldKeys.get(); }
    CNoteRouter* GetNoteRouter() const { return m_noteRouter.get(); }
    CMidiPort* GetMidiPort() const;
    CMidiKeyboard* GetMidiKeyboard() const { return m_midiKeyboard.get(); }
    CMix* GetMix() const { return m_mix.get(); }
    // The microphone's capture once it has opened, null before, without one
    // and while the microphone input is off.
    CSoundCapture* GetCapture() const;
    // A level the note detector heard (message 1047): the input meter.
    void OnLevel(std::unique_ptr<IPayload> level);
    bool IsMicrophoneOn() const;
    // The sound engine once it has opened, null before and without one.
    CSound* GetSound() const;
    CHeap* GetHeap() const { return m_heap.get(); }
    APP_SETTINGS* GetSettings() const { return m_settings.get(); }
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
    void StartExercise();
    bool ShowWindowOfType(int typeId);
    // The picture and the lessons side by side on the work area.
    void ArrangeWindows();
    // A Hints menu command: the learner's hint turned over and kept.
    void ToggleHint(int commandId);
    // The hints in force to the exercise, its views and the menu.
    void ApplyHints();
    // The learner's hints with what lesson sets for itself.
    HINTS HintsFor(const LESSON_SETTINGS& lesson) const;
    bool StartScene();
    void RunViewCommand(VIEW_COMMAND command);
    void ToggleMicrophone();
    void SetMicrophone(bool on);
    bool CreateMixerDialog();
    void StoreMixerPlacement();
    // File > Open song as lesson...: asks for a MIDI file in the tunes.
    void ChooseTuneLesson();
    // A lesson button's file, found beside the kind's content file.
    CCharString GetLessonFilePath(const char* file) const;
    // The practice history beside the settings (or in the data folder).
    void OpenPractice();
    void ShowPracticeNotice();
    void ShowCrashNotice();
    // A lesson reached its goal: its report and what comes next.
    void OnLessonFinished();
    void OnLessonChoice(int choice);
    // Practise my weakest notes: the current lesson's notes as a drill.
    void StartDrill();
    // Show > Progress: the history's days and notes.
    bool ShowProgress();
    void ApplyKeyAccuracy();
    bool ApplyLessonGoal(const LESSON_SETTINGS& lesson);
    CCharString GetDefaultMixPath() const;
    void ShowAbout();
    bool CreateTextDialog();
    CTextDlg* GetTextDialog() const;
    void LoadContent();
    void StoreTextPlacement();
    // A lesson started from a button: focus back on the picture, confirmed
    // in the status line.
    void ConfirmLesson();
    // Saves the mix and the settings; a failure is told once and fails the run.
    void SaveAtClose();

    CCharString m_error;
    CCharString m_commandLine;
    int m_kind;
    APP_KIND m_appKind;
    CPictureFade m_fade;
    bool m_showInitErrors = true;
    bool m_firstRun = false;
    int m_exitCode = 0;
    HINTS m_lessonHints;  // the hints in force: the learner's, or a lesson's own
    // Why the settings file could not be read in full; told once at start-up.
    CCharString m_settingsProblem;
    CCrit m_lock;
    PLATFORM m_platform;
    START_OPTIONS m_options;

    std::unique_ptr<CHeap> m_heap;
    std::unique_ptr<CVarList<CBaseWindow*>> m_windows;
    std::unique_ptr<ISettingsStore> m_settingsStore;
    std::unique_ptr<APP_SETTINGS> m_settings;
    std::unique_ptr<CMainWnd> m_mainWindow;
    std::unique_ptr<CLogFile> m_logFile;
    std::unique_ptr<CNoteManager> m_noteManager;
    std::unique_ptr<CMix> m_mix;
    std::unique_ptr<CMidiKeyboard> m_midiKeyboard;
    // The MIDI input, the sound engine and the microphone's capture.
    std::unique_ptr<CDeviceKeeper> m_devices;
    std::unique_ptr<CAudioSettingsDlg> m_audioSettings;
    // The exercise outlives the pictures that show it.
    std::unique_ptr<Teacher> m_teacher;
    std::unique_ptr<CHeldKeys> m_heldKeys;
    std::unique_ptr<CMidiMapper> m_midiMapper;
    std::unique_ptr<CNoteSounder> m_sounder;
    std::unique_ptr<CNoteRouter> m_noteRouter;
    std::unique_ptr<CKeyInput> m_keyInput;
    std::unique_ptr<CSpacePainter> m_spacePainter;
    std::unique_ptr<LESSON_SETTINGS> m_lesson;
    // After the exercise: it leaves the teacher's views before the teacher goes.
    std::unique_ptr<CPracticeKeeper> m_practice;
    CPianoNotes* m_pianoNotes = nullptr;  // the picture, while it is the painter's
    bool m_keyAccuracy = false;           // keys coloured by accuracy
};
