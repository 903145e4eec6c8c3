#pragma once

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

// One file per process for harnesses whose parser only reads paths: each
// input overwrites it, and the folder that holds it goes when the process
// ends normally.
class CFuzzFile {
public:
    // name is the file's name in a fresh folder below /tmp.
    explicit CFuzzFile(const char* name) {
        std::string folder = "/tmp/notara-fuzz-XXXXXX";
        if (mkdtemp(folder.data()) != nullptr) {
            m_folder = folder;
            m_path = folder + "/" + name;
        }
    }
    ~CFuzzFile() {
        std::error_code ignored;
        if (!m_folder.empty()) {
            std::filesystem::remove_all(m_folder, ignored);
        }
    }
    CFuzzFile(const CFuzzFile&) = delete;
    CFuzzFile& operator=(const CFuzzFile&) = delete;

    // Replaces the file's bytes; false when it can't be written.
    bool Write(const uint8_t* data, size_t size) const {
        if (m_path.empty()) {
            return false;
        }
        FILE* file = std::fopen(m_path.c_str(), "wb");
        if (file == nullptr) {
            return false;
        }
        const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
        return std::fclose(file) == 0 && written;
    }
    // Removes every file of the folder: what the last input left beside the
    // file (journals, files set aside) must not reach the next one.
    void Clear() const {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder, ignored)) {
            std::filesystem::remove_all(entry.path(), ignored);
        }
    }
    const char* GetPath() const { return m_path.c_str(); }
    // A path beside the file that is never created.
    std::string GetMissing(const char* name) const { return m_folder + "/" + name; }

private:
    std::string m_folder;
    std::string m_path;
};
