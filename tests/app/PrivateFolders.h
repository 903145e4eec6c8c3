#pragma once

#include <filesystem>
#include <system_error>

#include "../TempFolder.h"
#include "foundation/Paths.h"

// Data folders of this test process alone: the application's folders
// (Sound, Data, Temp, the log) are made below a fresh temporary folder, so
// that tests running at the same time never write the same files. The
// shipped lessons of the build tree are linked in, read-only.
class CPrivateFolders {
public:
    CPrivateFolders() : m_root("app") {
        std::error_code ignored;
        std::filesystem::create_directory_symlink(NOTARA_BINARY_DIR "/Tutorials",
                                                  m_root.Path("Tutorials"), ignored);
        SetProgramFolder(m_root.Get().c_str());
    }
    ~CPrivateFolders() { SetProgramFolder(nullptr); }
    CPrivateFolders(const CPrivateFolders&) = delete;
    CPrivateFolders& operator=(const CPrivateFolders&) = delete;

    const std::string& Get() const { return m_root.Get(); }

private:
    CTempFolder m_root;
};
