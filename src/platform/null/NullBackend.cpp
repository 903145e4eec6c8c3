#include "platform/null/NullBackend.h"

#include "platform/null/NullInstanceLock.h"

CNullBackend::CNullBackend()
    : m_eventLoop(&m_journal),
      m_windowSystem(m_eventLoop, &m_journal),
      m_settingsDisk(std::make_shared<NULL_SETTINGS_DISK>()),
      m_audioClock(std::make_shared<CNullAudioOut::Clock>(CNullAudioOut::Clock::kStepped)) {
    m_platform.eventLoop = &m_eventLoop;
    m_platform.windowSystem = &m_windowSystem;
    m_platform.createInstanceLock = [] { return std::make_unique<CNullInstanceLock>(); };
    m_platform.createSettingsStore = [disk = m_settingsDisk] {
        return std::make_unique<CNullSettingsStore>(disk);
    };
}

void CNullBackend::EnableSound(CNullAudioOut::Clock clock) {
    *m_audioClock = clock;
    m_platform.createAudioOut = [clock = m_audioClock]() -> std::unique_ptr<IAudioOut> {
        return std::make_unique<CNullAudioOut>(*clock);
    };
}

void CNullBackend::EnableCapture(const std::string& path, CNullAudioIn::Clock clock) {
    m_platform.createAudioIn = [path, clock]() -> std::unique_ptr<IAudioIn> {
        auto in = std::make_unique<CNullAudioIn>(clock);
        in->SetSource(path);
        return in;
    };
}
