#pragma once

#include <QSettings>
#include <QString>

#include <map>
#include <memory>

#include "platform/SettingsStore.h"

// Settings in an INI file of the user's configuration folder
// ("$XDG_CONFIG_HOME/<maker>/<product>.ini", "~/.config" by default), read
// and written by QSettings. A save writes a temporary file of its own and
// renames it over the old one (through a symbolic link to its target); the
// file is readable by its owner only, as it may hold login details. Only a
// regular file is read; one that can't be read is never replaced, and a
// garbled one is kept as "<product>.ini.damaged" by the save that replaces
// it.
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
    std::string GetReadProblem() const override { return m_readProblem; }
    std::string GetFolder() const override;

    // Where the settings of product by maker are kept.
    static QString GetSettingsPath(const char* maker, const char* product);

private:
    // The QSettings key of name in key, or an empty string when not allowed.
    QString MakeKey(const char* key, const char* name) const;
    bool Set(const char* key, const char* name, const QVariant& value);
    // The pending write of path, else the value QSettings holds.
    QVariant Find(const char* key, const char* name) const;
    // Writes what the store holds to the temporary file.
    bool WriteTo(const QString& temporary) const;
    bool Fail(const std::string& target, const std::string& reason);

    // What was read from the file; null when there was no regular file.
    std::unique_ptr<QSettings> m_settings;
    // Writes are kept here until Save: QSettings writes what it was given
    // whenever it likes (when destroyed, from the event loop), and the
    // store's writes must reach the file only with Save.
    std::map<QString, QVariant> m_pending;
    QString m_path;
    bool m_open = false;
    bool m_existed = false;
    bool m_garbled = false;
    std::string m_readProblem;
    std::string m_error;
};
