#pragma once

#include <functional>
#include <memory>
#include <string>

#include "foundation/BackgroundTask.h"
#include "foundation/CharString.h"
#include "platform/AudioOut.h"
#include "theory/NoteList.h"

class CSound;

// What the opener found: an engine, open on the chosen device or, when that
// could not be, on the silent one.
struct SOUND_OPENING {
    std::unique_ptr<CSound> sound;
    bool silent = false;  // the silent device stands in for the chosen one
    CCharString error;    // why the chosen device, or the engine, did not open
    CCharString deviceName;
};

// Opens the sound engine on a thread of its own: a sound system can take
// long to answer, or never answer (a sound server that hangs on a stale
// entry), and the samples take a moment to load. The user-interface thread
// waits only as long as it chooses; an engine that never opens is left to
// its thread, which ends with the process.
class CSoundOpener {
public:
    using Factory = std::function<std::unique_ptr<IAudioOut>()>;

    struct REQUEST {
        Factory device;        // the sound system; may be empty
        Factory silentDevice;  // stands in when the device fails; may be empty
        CNoteList noteTable;
        CCharString soundFolder;
        CCharString deviceName;  // the device's description; empty: the default
    };

    CSoundOpener() = default;
    CSoundOpener(const CSoundOpener&) = delete;
    CSoundOpener& operator=(const CSoundOpener&) = delete;
    ~CSoundOpener();

    void Start(REQUEST request);
    // Waits up to seconds for the answer; true once there is one.
    bool WaitFor(double seconds);
    // Takes the answer once there is one; false while the thread still works.
    bool Take(SOUND_OPENING& opening);

    // Opens an engine on request's devices, here and now.
    static SOUND_OPENING Open(const REQUEST& request);

private:
    CBackgroundTask<SOUND_OPENING> m_task;
};
