#pragma once

#include <string>

#include "platform/Platform.h"
#include "platform/null/NullAudioIn.h"
#include "platform/null/NullAudioOut.h"
#include "platform/null/NullEventLoop.h"
#include "platform/null/NullJournal.h"
#include "platform/null/NullSettingsStore.h"
#include "platform/null/NullWindowSystem.h"

// The whole null platform in one object, for tests: a stepped event loop,
// recorded windows and boxes, in-process instance locks, one journal and
// settings stores that save to one in-memory disk. Its sound outputs run on
// the stepped clock unless told otherwise: they play only when stepped.
class CNullBackend {
public:
    CNullBackend();

    const PLATFORM& GetPlatform() const { return m_platform; }
    CNullJournal& GetJournal() { return m_journal; }
    CNullEventLoop& GetEventLoop() { return m_eventLoop; }
    CNullWindowSystem& GetWindowSystem() { return m_windowSystem; }
    NULL_SETTINGS_DISK& GetSettingsDisk() { return *m_settingsDisk; }
    // Gives the platform sound outputs on this clock from then on; without
    // it the platform has none, and the application runs without sound.
    void EnableSound(CNullAudioOut::Clock clock = CNullAudioOut::Clock::kStepped);
    // Gives the platform sound inputs that hear the WAVE file at path (an
    // empty path: silence) on this clock; without it the platform has none.
    void EnableCapture(const std::string& path,
                       CNullAudioIn::Clock clock = CNullAudioIn::Clock::kStepped);

private:
    CNullJournal m_journal;
    CNullEventLoop m_eventLoop;
    CNullWindowSystem m_windowSystem;
    std::shared_ptr<NULL_SETTINGS_DISK> m_settingsDisk;
    std::shared_ptr<CNullAudioOut::Clock> m_audioClock;
    PLATFORM m_platform;
};
