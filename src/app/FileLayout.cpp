#include "app/FileLayout.h"

#include <filesystem>
#include <system_error>

#include "platform/UserFolders.h"

namespace {

constexpr const char* kContentFolders[] = {"Sound", "Tutorials"};

bool IsFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

// "<programFolder>/..": the install prefix of an executable in its bin folder.
std::string PrefixOf(const char* programFolder) {
    return std::string(programFolder != nullptr ? programFolder : ".") + "/..";
}

std::string OrHomeless(const std::string& folder) {
    return folder.empty() ? std::string(CFileLayout::kHomelessRoot) : folder;
}

}  // namespace

bool CFileLayout::HasContent(const std::string& folder) {
    for (const char* name : kContentFolders) {
        if (IsFolder(folder + "/" + name)) {
            return true;
        }
    }
    return false;
}

FILE_LAYOUT CFileLayout::Find(const char* programFolder, const char* productWord) {
    FILE_LAYOUT layout;
    const std::string program = programFolder != nullptr ? programFolder : ".";
    const std::string share = PrefixOf(programFolder) + "/" + kShareFolder;
    layout.installed = !HasContent(program) && HasContent(share);
    if (!layout.installed) {
        layout.contentRoot = program.c_str();
        layout.userRoot = program.c_str();
        layout.documentRoot = program.c_str();
        return layout;
    }
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::canonical(share, error);
    layout.contentRoot = error ? share.c_str() : canonical.string().c_str();
    const std::string product = productWord != nullptr ? productWord : "Notara";
    const std::string user = GetUserFolder() + "/" + product;
    const std::string music = CUserFolders::GetMusicFolder();
    layout.userRoot = user.c_str();
    layout.documentRoot = music.empty() ? user.c_str() : (music + "/" + product).c_str();
    return layout;
}

std::string CFileLayout::GetUserFolder() {
    return OrHomeless(CUserFolders::GetDataHome()) + "/" + kUserFolder;
}

std::string CFileLayout::FindReporter(const char* programFolder) {
    const std::string beside =
        std::string(programFolder != nullptr ? programFolder : ".") + "/" + kReporterName;
    std::error_code error;
    if (std::filesystem::is_regular_file(beside, error)) {
        return beside;
    }
    return PrefixOf(programFolder) + "/" + kReporterPath;
}
