#pragma once

#include <functional>
#include <memory>

#include "foundation/CharString.h"
#include "platform/Platform.h"

struct APP_SETTINGS;
struct AUDIO_CHOICE;
class CAudioSettingsDlg;
class CDeviceKeeper;
class IWindow;

// Settings > Audio: lists the devices (waiting only a moment for them),
// shows the audio settings dialog with the choices kept in the settings,
// and applies what the learner chooses to the devices.
class CAudioSettingsKeeper {
public:
    static constexpr const char* kSource = "AudioSettings";

    // Everything given must outlive the keeper; main is the main window and
    // title the application's.
    CAudioSettingsKeeper(const PLATFORM& platform, CDeviceKeeper& devices, APP_SETTINGS& settings,
                         IWindow& main, const char* title);
    ~CAudioSettingsKeeper();
    CAudioSettingsKeeper(const CAudioSettingsKeeper&) = delete;
    CAudioSettingsKeeper& operator=(const CAudioSettingsKeeper&) = delete;

    // Told when the devices or the microphone switch changed (the menu's
    // tick follows); the switch itself is flipped by the application.
    void SetChangeListener(std::function<void()> listener) { m_changed = std::move(listener); }
    void SetMicrophoneSwitch(std::function<void(bool on)> toggle) {
        m_microphone = std::move(toggle);
    }

    // Shows the dialog (again, when it is open); false with the reason in
    // GetError, told in a box.
    bool Show();
    // The dialog while it is shown, else null.
    CAudioSettingsDlg* GetDialog() const;
    // Stores choice in the settings and re-opens at once every device whose
    // choice changed or that is not open. A device that fails is told in
    // the "Audio Device Error" box; the one in use before stays in use, and
    // false comes back with what to do in error.
    bool Apply(const AUDIO_CHOICE& choice, CCharString& error);
    // A frame tick: a dialog that was closed is let go (never from inside
    // its own handler).
    void OnFrame();
    void ShowMicrophoneState(bool on);
    void ShowInputLevel(float volume);
    void ShowTuner(const char* text);
    const char* GetError() const { return m_error; }

private:
    PLATFORM m_platform;
    CDeviceKeeper& m_devices;
    APP_SETTINGS& m_settings;
    IWindow& m_main;
    const char* m_title;
    std::function<void()> m_changed;
    std::function<void(bool)> m_microphone;
    std::unique_ptr<CAudioSettingsDlg> m_dialog;
    CCharString m_error;
};
