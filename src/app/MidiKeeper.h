#pragma once

#include <memory>

#include "foundation/CharString.h"
#include "platform/Platform.h"

struct APP_SETTINGS;
class CMidiOpener;
class CMidiPort;
class IMidiIn;
class IWindow;

// The application's MIDI input: opened on a thread of its own at the start
// (until the learner chooses, the only keyboard plugged in plays), taken
// when it answers, and opened again at once for a port the learner
// chooses. Its notes are posted to the main window.
class CMidiKeeper {
public:
    // How long a re-opened MIDI input is waited for.
    static constexpr double kAnswerSeconds = 2.0;

    // window and settings (may be null: the defaults) outlive the keeper.
    CMidiKeeper(const PLATFORM& platform, IWindow& window, APP_SETTINGS* settings);
    CMidiKeeper(const CMidiKeeper&) = delete;
    CMidiKeeper& operator=(const CMidiKeeper&) = delete;
    // Closes the port; an input that never answered is left to its thread.
    ~CMidiKeeper();

    // Asks the MIDI system on a thread of its own; false when there is none.
    bool Start();
    // Whether the start's answer is still due.
    bool IsOpening() const { return m_opener != nullptr; }
    void WaitFor(double seconds);
    // Takes the start's answer when it came; notice tells when the only
    // keyboard opened by itself.
    void Take(CCharString& notice);
    // Opens port (or none) now; the port in use stays when it can't.
    bool Reopen(int port, CCharString& problem);
    // Open, and not unplugged since.
    bool IsOpen() const;
    CMidiPort* GetPort() const { return m_port.get(); }

private:
    void CloseOld();

    PLATFORM m_platform;
    IWindow& m_window;
    APP_SETTINGS* m_settings;
    std::unique_ptr<CMidiOpener> m_opener;
    std::unique_ptr<IMidiIn> m_input;
    std::unique_ptr<CMidiPort> m_port;
};
