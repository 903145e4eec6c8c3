#pragma once

#include <QSettings>
#include <QString>

#include <map>
#include <memory>

#include "platform/SettingsStore.h"

// Settings in an INI file of the user's configuration folder
// ("$XDG_CONFIG_HOME/<maker>/<product>.ini", "~/.config" by default), kept by
// QSettings, which saves through a temporary file renamed over the old one.
// The file is readable by its owner only, as it may hold login details.
class CQtSettingsStore : public ISettingsStore {
public:
    CQtSettingsStore();
    ~CQtSettingsStore() override;

    bool Open(const char* maker, const char* product) override;
    bool Exists() const override { return m_existed; }
    bool GetString(const char* key, const char* name, std::string& value) const override;
    bool GetInteger(const char* key, const char* name, int64_t& value) const override;
    bool GetBinary(const char* key, const char* name, std::vector<uint8_t>& value) const override;
    bool SetString(const char* key, const char* name, const std::string& value) override;
    bool SetInteger(const char* key, const char* name, int64_t value) override;
    bool SetBinary(const char* key, const char* name, const std::vector<uint8_t>& value) override;
    bool Save() override;
    const char* GetError() const override { return m_error.c_str(); }

    // Where the settings of product by maker are kept.
    static QString GetSettingsPath(const char* maker, const char* product);

private:
    // The QSettings key of name in key, or an empty string when not allowed.
    QString MakeKey(const char* key, const char* name) const;
    bool Set(const char* key, const char* name, const QVariant& value);
    // The pending write of path, else the value QSettings holds.
    QVariant Find(const char* key, const char* name) const;

    std::unique_ptr<QSettings> m_settings;
    // Writes are kept here until Save: QSettings writes what it was given
    // whenever it likes (when destroyed, from the event loop), and the
    // store's writes must reach the file only with Save.
    std::map<QString, QVariant> m_pending;
    QString m_path;
    bool m_existed = false;
    std::string m_error;
};
