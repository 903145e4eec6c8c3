#include "platform/null/NullSettingsStore.h"

#include <utility>

CNullSettingsStore::CNullSettingsStore(std::shared_ptr<NULL_SETTINGS_DISK> disk)
    : m_disk(std::move(disk)) {}

bool CNullSettingsStore::Open(const char* maker, const char* product) {
    m_open = false;
    m_existed = false;
    m_tree.clear();
    if (maker == nullptr || product == nullptr || !IsValidSettingsName(maker) ||
        !IsValidSettingsName(product)) {
        m_error = "Can't open settings: the maker or product name is not allowed";
        return false;
    }
    m_product = std::string(maker) + "/" + product;
    std::lock_guard<std::mutex> guard(m_disk->lock);
    const auto saved = m_disk->saved.find(m_product);
    if (saved != m_disk->saved.end()) {
        m_tree = saved->second;
        for (const auto& key : m_tree) {
            m_existed = m_existed || !key.second.empty();
        }
    }
    m_open = true;
    return true;
}

const SETTINGS_VALUE* CNullSettingsStore::Find(const char* key, const char* name) const {
    if (!m_open || !IsValidSettingsPath(key, name)) {
        return nullptr;
    }
    const auto values = m_tree.find(key);
    if (values == m_tree.end()) {
        return nullptr;
    }
    const auto value = values->second.find(name);
    return value == values->second.end() ? nullptr : &value->second;
}

bool CNullSettingsStore::GetString(const char* key, const char* name, std::string& value) const {
    const SETTINGS_VALUE* found = Find(key, name);
    if (found == nullptr || !std::holds_alternative<std::string>(*found)) {
        return false;
    }
    value = std::get<std::string>(*found);
    return true;
}

bool CNullSettingsStore::GetInteger(const char* key, const char* name, int64_t& value) const {
    const SETTINGS_VALUE* found = Find(key, name);
    if (found == nullptr || !std::holds_alternative<int64_t>(*found)) {
        return false;
    }
    value = std::get<int64_t>(*found);
    return true;
}

bool CNullSettingsStore::GetBinary(const char* key, const char* name,
                                   std::vector<uint8_t>& value) const {
    const SETTINGS_VALUE* found = Find(key, name);
    if (found == nullptr || !std::holds_alternative<std::vector<uint8_t>>(*found)) {
        return false;
    }
    value = std::get<std::vector<uint8_t>>(*found);
    return true;
}

bool CNullSettingsStore::Set(const char* key, const char* name, SETTINGS_VALUE value) {
    if (!m_open) {
        m_error = "Can't write setting: the settings are not open";
        return false;
    }
    if (!IsValidSettingsPath(key, name)) {
        m_error = "Can't write setting: the key or value name is not allowed";
        return false;
    }
    m_tree[key][name] = std::move(value);
    return true;
}

bool CNullSettingsStore::SetString(const char* key, const char* name, const std::string& value) {
    return Set(key, name, value);
}

bool CNullSettingsStore::SetInteger(const char* key, const char* name, int64_t value) {
    return Set(key, name, value);
}

bool CNullSettingsStore::SetBinary(const char* key, const char* name,
                                   const std::vector<uint8_t>& value) {
    return Set(key, name, value);
}

bool CNullSettingsStore::Save() {
    if (!m_open) {
        m_error = "Can't save settings: the settings are not open";
        return false;
    }
    std::lock_guard<std::mutex> guard(m_disk->lock);
    if (m_disk->failSaves) {
        m_error = "Can't save settings: the null disk refuses writes";
        return false;
    }
    m_disk->saved[m_product] = m_tree;
    ++m_disk->saveCount;
    return true;
}

std::string CNullSettingsStore::GetReadProblem() const {
    std::lock_guard<std::mutex> guard(m_disk->lock);
    return m_open ? m_disk->readProblem : std::string();
}
