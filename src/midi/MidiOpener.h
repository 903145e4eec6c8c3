#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "foundation/CharString.h"
#include "platform/MidiIn.h"

class CMidiPort;

// What the opener found: the input and its port, opened when a device could
// be.
struct MIDI_OPENING {
    std::unique_ptr<IMidiIn> input;
    std::unique_ptr<CMidiPort> port;
    bool opened = false;
    bool soleKeyboard = false;  // opened because it was the only keyboard
    CCharString deviceName;     // the name of the device opened
    CCharString error;          // "Can't ..." when a chosen device did not open
};

// Makes, lists and opens the MIDI input on a thread of its own, because a
// MIDI system can take a long time to answer or never answer at all (a
// sound server that hangs on a stale entry): the user-interface thread waits
// for it only as long as it chooses to. A device that answers late is taken
// later; one that never answers is left to its thread, which ends with the
// process.
class CMidiOpener {
public:
    using Factory = std::function<std::unique_ptr<IMidiIn>()>;
    static constexpr int kNoDevice = 0x7FFFFFFF;

    CMidiOpener() = default;
    CMidiOpener(const CMidiOpener&) = delete;
    CMidiOpener& operator=(const CMidiOpener&) = delete;
    ~CMidiOpener();

    // Starts the thread: the input is made, its devices listed and device
    // opened. kNoDevice opens nothing, unless openSoleKeyboard is set and
    // exactly one keyboard is plugged in (a device that is no software
    // port): then it opens that one, so that a keyboard plugged in plays at
    // once. The port has no receivers until it is taken: notes before then
    // are dropped.
    void Start(Factory factory, int device, bool openSoleKeyboard = false);
    // True for the name of a port that is a player's device rather than a
    // software port (the system's pass-through, another program's port).
    static bool IsKeyboardName(const char* name);
    // Waits up to seconds for the thread's answer; true once there is one.
    bool WaitFor(double seconds);
    // Takes the answer once there is one; false while the thread still waits.
    bool Take(MIDI_OPENING& opening);

private:
    struct STATE {
        std::mutex lock;
        std::condition_variable answered;
        bool done = false;
        MIDI_OPENING opening;
    };

    static void Open(const Factory& factory, int device, bool openSoleKeyboard, STATE& state);

    std::shared_ptr<STATE> m_state;
};
