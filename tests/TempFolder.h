#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

// A fresh folder below /tmp, named after what the test checks, removed with
// everything in it.
class CTempFolder {
public:
    explicit CTempFolder(const char* what) {
        std::string name = std::string("/tmp/notara-") + what + "-XXXXXX";
        if (mkdtemp(name.data()) != nullptr) {
            m_path = name;
        }
    }
    ~CTempFolder() {
        std::error_code ignored;
        if (!m_path.empty()) {
            std::filesystem::remove_all(m_path, ignored);
        }
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    std::string Path(const std::string& name) const { return m_path + "/" + name; }
    const std::string& Get() const { return m_path; }

private:
    std::string m_path;
};
