#pragma once

#include <chrono>
#include <memory>

#include "app/DeviceRevival.h"
#include "foundation/BackgroundTask.h"
#include "foundation/CharString.h"
#include "platform/Platform.h"

struct APP_SETTINGS;
struct SOUND_OPENING;
struct AUDIO_CHOICE;
class CDetectorPoster;
class IWindow;
class CMidiKeeper;
class CMidiPort;
class CNoteManager;
class CSound;
class CSoundCapture;
class CSoundOpener;

// Opens and keeps the application's devices: the MIDI input, the sound
// engine and the microphone's capture. Each opens on a thread of its own,
// because a sound or MIDI system can take long to answer or never answer (a
// sound server that hangs on a stale entry). Start-up waits for them only a
// moment; a late answer is taken by the second timer, and a system that
// still has not answered when its time is up is given up, told once. A
// sound output or microphone that stops by itself while the program runs
// (its sound server ended) is told once and opened again, quietly, as soon
// as the sound system answers.
class CDeviceKeeper {
public:
    // How long a re-opened sound engine (device and samples) or capture is
    // waited for.
    static constexpr double kSoundAnswerSeconds = 3.0;
    // How long a device opened in the background has before it is given up.
    static constexpr double kLateAnswerSeconds = 3.0;
    // How long start-up holds the windows back for the devices' answers, so
    // that their problems show over the windows: well under two seconds.
    static constexpr double kStartWaitSeconds = 1.2;
    static constexpr const char* kAudioErrorTitle = "Audio Device Error";
    // The level a played or sung note must rise through (about -26 dB).
    static constexpr float kTriggerLevel = 0.05f;
    static constexpr const char* kSource = "Devices";

    // window is the main window: it owns the boxes, shows the input level
    // and the status line, and receives the devices' posted notes. It and
    // notes must outlive the keeper; settings may be null: then every device
    // opens with its defaults.
    CDeviceKeeper(const PLATFORM& platform, IWindow& window, const CNoteManager& notes,
                  APP_SETTINGS* settings);
    CDeviceKeeper(const CDeviceKeeper&) = delete;
    CDeviceKeeper& operator=(const CDeviceKeeper&) = delete;
    // Closes the devices; one that never answered is left to its thread.
    ~CDeviceKeeper();

    // Asks the MIDI system, the sound engine and (while the microphone is
    // on) the capture to open, each on its own thread.
    void Start();
    // Waits until every device has answered or kStartWaitSeconds have passed
    // since Start, and takes the answers there are. Problems wait for
    // ShowProblems.
    void WaitForStart();
    // The second timer: takes late answers, gives up, told once, the
    // devices whose time is up, and looks after devices that stopped.
    void OnSecond();
    // Shows the problems gathered so far (the windows are up); from now on
    // problems show as they come, each time from a kDeviceProblemsMessage.
    void ShowProblems();
    // The main window took kDeviceProblemsMessage.
    void OnProblemsMessage();

    // Stores nothing: re-opens at once every device whose choice changed or
    // that is not open, as choice says. The device in use before stays in
    // use when its replacement fails; false with the problems, joined.
    bool Apply(const AUDIO_CHOICE& choice, CCharString& problems);
    bool IsMicrophoneOn() const;
    // Switches the microphone input, kept in the settings.
    void SetMicrophone(bool on);
    // A level the note detector heard: the input meter.
    void ShowInputLevel(float volume);
    // The tuner readout beside the level meter; empty hides it.
    void ShowTuner(const char* text);

    CSound* GetSound() const { return m_sound.get(); }
    CSoundCapture* GetCapture() const { return m_capture.get(); }
    // The pitch method of the microphone: the settings', else the live one.
    int GetPitchMethod() const;
    CMidiPort* GetMidiPort() const;

private:
    struct CAPTURE_OPENING {
        std::shared_ptr<CDetectorPoster> poster;  // outlives the capture that posts
        std::unique_ptr<CSoundCapture> capture;
        CCharString error;
    };

    void TakeMidiInput();
    void StartSound();
    void TakeSound();
    void StartCapture();
    void TakeCapture();
    void CloseCapture();
    // Looks for a sound output or microphone that stopped by itself: true
    // when it just stopped (its problem is gathered, to be told); tries it
    // again, quietly, until it opens.
    bool WatchSound();
    bool WatchCapture();
    // What a quiet try of a lost device gave: taken when it opened.
    void TakeSoundRevival(SOUND_OPENING& opening);
    void TakeCaptureRevival(CAPTURE_OPENING& opening);
    // Gathers the problem of a device that stopped: its own words when they
    // say so.
    void TellStop(const char* stopped, const char* deviceError, const char* loss);
    // A device opening in the background: since when, and whether its
    // silence was told.
    struct WAIT {
        double since = 0.0;
        bool givenUp = false;
    };
    // Gives up, told in one box, the devices whose time is up.
    void GiveUpLateDevices();
    // True once, when wait's time is up.
    bool IsLate(WAIT& wait);
    void AddProblem(const char* problem);
    // Posts kDeviceProblemsMessage once for the problems gathered.
    void ShowLater();
    // The MIDI input opened by itself, told in the status line.
    void ShowMidiNotice();
    bool ReopenSound(CCharString& problem);
    bool ReopenCapture(CCharString& problem);
    double Now() const;

    PLATFORM m_platform;
    IWindow& m_window;
    const CNoteManager& m_notes;
    APP_SETTINGS* m_settings;
    std::chrono::steady_clock::time_point m_started;  // when Start asked
    bool m_showing = false;                           // problems show as they come
    bool m_stopsHeld = false;                         // devices stopped: told at the next second
    bool m_showPosted = false;                        // a kDeviceProblemsMessage is on its way
    WAIT m_midiWait;
    WAIT m_soundWait;
    WAIT m_captureWait;
    CDeviceRevival m_soundRevival;
    CDeviceRevival m_captureRevival;
    CCharString m_problem;
    CCharString m_midiNotice;

    std::unique_ptr<CMidiKeeper> m_midi;
    std::unique_ptr<CSoundOpener> m_soundOpener;
    std::unique_ptr<CSound> m_sound;
    std::unique_ptr<CBackgroundTask<CAPTURE_OPENING>> m_captureTask;
    std::shared_ptr<CDetectorPoster> m_detectorPoster;
    std::unique_ptr<CSoundCapture> m_capture;
};
