#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

#include "platform/SettingsStore.h"

// One stored value: a string, an integer or a binary record.
using SETTINGS_VALUE = std::variant<std::string, int64_t, std::vector<uint8_t>>;
// Values by key path, then by name.
using SETTINGS_TREE = std::map<std::string, std::map<std::string, SETTINGS_VALUE>>;

// The "disk" that the null settings stores of one backend save to: the trees
// of every product saved so far, by "maker/product". A test can make saves
// fail and count them.
struct NULL_SETTINGS_DISK {
    std::mutex lock;
    std::map<std::string, SETTINGS_TREE> saved;
    bool failSaves = false;
    int saveCount = 0;
    // What every store opened on this disk reports as its read problem.
    std::string readProblem;
};

// Settings kept in memory: Open copies the saved tree, Save puts it back.
class CNullSettingsStore : public ISettingsStore {
public:
    explicit CNullSettingsStore(std::shared_ptr<NULL_SETTINGS_DISK> disk);

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
    std::string GetReadProblem() const override;

private:
    const SETTINGS_VALUE* Find(const char* key, const char* name) const;
    bool Set(const char* key, const char* name, SETTINGS_VALUE value);

    std::shared_ptr<NULL_SETTINGS_DISK> m_disk;
    std::string m_product;  // "maker/product" while open
    bool m_open = false;
    bool m_existed = false;
    SETTINGS_TREE m_tree;
    std::string m_error;
};
