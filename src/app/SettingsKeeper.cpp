#include "app/SettingsKeeper.h"

#include "app/AppSettings.h"
#include "platform/SettingsStore.h"

CSettingsKeeper::CSettingsKeeper(const PLATFORM& platform, const char* title, int kind)
    : m_title(title),
      m_kind(kind),
      m_store(platform.createSettingsStore ? platform.createSettingsStore() : nullptr),
      m_settings(std::make_unique<APP_SETTINGS>()) {
    // A false load only means that some settings keep their defaults.
    if (m_store) {
        m_settings->Load(*m_store, m_title, m_kind);
        m_readProblem = m_store->GetReadProblem().c_str();
    } else {
        m_settings->SetProgramFolders(APP_SETTINGS::GetProductWord(m_kind));
    }
}

CSettingsKeeper::~CSettingsKeeper() = default;

std::string CSettingsKeeper::GetFolder() const {
    return m_store ? m_store->GetFolder() : std::string();
}

bool CSettingsKeeper::Save(CCharString& reason) {
    if (!m_store || m_settings->Save(*m_store, m_title, m_kind)) {
        return true;
    }
    const char* error = m_store->GetError();
    reason = *error != '\0' ? error : "Can't save settings";
    return false;
}
