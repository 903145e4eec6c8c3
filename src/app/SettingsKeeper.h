#pragma once

#include <memory>
#include <string>

#include "foundation/CharString.h"
#include "platform/Platform.h"

struct APP_SETTINGS;
class ISettingsStore;

// The learner's settings of one application kind: read from the platform's
// store at start (a store that can't be read in full leaves defaults and a
// problem to tell once), kept in an APP_SETTINGS the parts of the
// application share, and saved at close. Without a store the settings live
// in memory and the program folders are used.
class CSettingsKeeper {
public:
    CSettingsKeeper(const PLATFORM& platform, const char* title, int kind);
    ~CSettingsKeeper();
    CSettingsKeeper(const CSettingsKeeper&) = delete;
    CSettingsKeeper& operator=(const CSettingsKeeper&) = delete;

    APP_SETTINGS& Get() { return *m_settings; }
    // What could not be read, or empty.
    const char* GetReadProblem() const { return m_readProblem; }
    // The folder the store keeps its files in; empty when kept nowhere.
    std::string GetFolder() const;
    // False with the reason ("Can't save settings ...") in reason.
    bool Save(CCharString& reason);

private:
    const char* m_title;
    int m_kind;
    std::unique_ptr<ISettingsStore> m_store;
    std::unique_ptr<APP_SETTINGS> m_settings;
    CCharString m_readProblem;
};
