#pragma once

#include <memory>

#include "app/Catalogue.h"
#include "app/StartOptions.h"
#include "foundation/CharString.h"
#include "foundation/Crit.h"
#include "foundation/Heap.h"
#include "foundation/VarList.h"
#include "platform/Platform.h"

struct APP_SETTINGS;
struct LESSON_SETTINGS;
class CBaseWindow;
class CLogFile;
class CMainWnd;
class CMidiKeyboard;
class CMix;
class CMidiPort;
class IMidiIn;
class CNoteManager;
struct KEY_EVENT;
class CPianoNotes;
class CSpacePainter;
class CTextDlg;

// The central object: owns every long-lived part of the application, runs
// its start-up and shutdown sequences and is the hub that timers, commands
// and played notes pass through. One per process.
class CCenter {
public:
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
    void CloseAllWindows();
    void OnTimer(int timerId);
    void OnIdle();
    bool OnCommand(int commandId);
    // A played or detected note posted to the main window; it is deleted
    // when handled, also when it is dropped.
    void OnNote(std::unique_ptr<IPayload> note);
    // A lesson chosen with an action button of the Text dialog. A lesson
    // without a known scale or with an empty note range is refused with the
    // reason in GetError, and the lesson that runs stays.
    bool OnLesson(const LESSON_SETTINGS& lesson);
    // The lesson that runs, or null before the first one.
    const LESSON_SETTINGS* GetLesson() const { return m_lesson.get(); }
    // A key of the 3D view: played as a note, or one of the window's
    // command keys (Alt+Enter full screen, Esc, F1 lessons, Ctrl+A, Ctrl+N).
    bool OnViewKey(const KEY_EVENT& key);
    // A key played as a note; true when it is a note key.
    bool OnKeyAsNote(const KEY_EVENT& key);
    bool OnCommandKey(int key, int flags);
    // The open MIDI input went away: reported once.
    void OnMidiDeviceLost(std::unique_ptr<IPayload> reason);
    CMidiPort* GetMidiPort() const { return m_midiPort.get(); }
    CMidiKeyboard* GetMidiKeyboard() const { return m_midiKeyboard.get(); }
    CMix* GetMix() const { return m_mix.get(); }
    // Opens the file the command line names, when it is a song.
    bool HandleCommandLine();
    // The song file the command line names, if any: empty text, a first word
    // of "SomeCommand" and other extensions than ".mid" and ".Song" name none.
    static bool GetCommandLineSong(const char* commandLine, CCharString& path);

    static bool ReportError(const char* source, int line, const char* format, ...)
        NOTARA_PRINTF(3, 4);

    const char* GetError() const { return m_error; }
    const char* GetTitle() const { return m_title; }
    int GetKind() const { return m_kind; }
    int GetPictureKind() const { return m_pictureKind; }
    bool IsShowingInitErrors() const { return m_showInitErrors; }
    bool IsFirstRun() const { return m_firstRun; }
    bool IsStartedInTray() const { return m_startInTray; }
    CMainWnd* GetMainWindow() const { return m_mainWindow.get(); }
    CLogFile* GetLogFile() const { return m_logFile.get(); }
    CSpacePainter* GetSpacePainter() const { return m_spacePainter.get(); }
    CNoteManager* GetNoteManager() const { return m_noteManager.get(); }
    // The note-reading picture when it is the scene's current one.
    CPianoNotes* GetPianoNotes() const;
    CHeap* GetHeap() const { return m_heap.get(); }
    APP_SETTINGS* GetSettings() const { return m_settings.get(); }
    const PLATFORM& GetPlatform() const { return m_platform; }
    float GetFadeLevel() const { return m_fadeLevel; }
    int GetFadeState() const { return m_fadeState; }

    // Starts a cross-fade of the picture: out, rebuild, in.
    void StartFade() { m_fadeState = 3; }
    void StepFade();

private:
    bool OpenLog();
    bool ShowWindowOfType(int typeId);
    bool StartScene();
    void OpenMidiInput();
    CCharString GetDefaultMixPath() const;
    void ShowAbout();
    bool CreateTextDialog();
    CTextDlg* GetTextDialog() const;
    void LoadContent();
    void StoreTextPlacement();

    CCharString m_error;
    CCharString m_title;
    CCharString m_commandLine;
    int m_kind;
    int m_iconId = 0;
    int m_menuId = 0;
    bool m_startInTray = false;
    int m_pictureKind = 32;
    int m_fadeState = 0;
    float m_fadeLevel = 1.0f;
    float m_fadeStep = 0.1f;
    bool m_showInitErrors = true;
    bool m_firstRun = false;
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
    int m_lessonScale = 0;
    std::unique_ptr<CMidiKeyboard> m_midiKeyboard;
    std::unique_ptr<IMidiIn> m_midiIn;
    std::unique_ptr<CMidiPort> m_midiPort;
    std::unique_ptr<CSpacePainter> m_spacePainter;
    std::unique_ptr<LESSON_SETTINGS> m_lesson;
};
