#include "platform/null/NullBackend.h"

#include "platform/null/NullInstanceLock.h"

CNullBackend::CNullBackend()
    : m_eventLoop(&m_journal),
      m_windowSystem(m_eventLoop, &m_journal),
      m_settingsDisk(std::make_shared<NULL_SETTINGS_DISK>()) {
    m_platform.eventLoop = &m_eventLoop;
    m_platform.windowSystem = &m_windowSystem;
    m_platform.createInstanceLock = [] { return std::make_unique<CNullInstanceLock>(); };
    m_platform.createSettingsStore = [disk = m_settingsDisk] {
        return std::make_unique<CNullSettingsStore>(disk);
    };
}
