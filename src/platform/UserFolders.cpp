#include "platform/UserFolders.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>

namespace {

constexpr std::string_view kMusicKey = "XDG_MUSIC_DIR=";
constexpr std::string_view kHomeWord = "$HOME";

// An absolute folder from the environment without its trailing separators;
// empty when unset, empty or relative.
std::string AbsoluteFolder(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') {
        return std::string();
    }
    std::string folder = value;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

// base, else "$HOME/<below>"; empty without a home.
std::string BaseOrBelowHome(const char* name, const char* below) {
    const std::string base = AbsoluteFolder(name);
    if (!base.empty()) {
        return base;
    }
    const std::string home = CUserFolders::GetHome();
    return home.empty() ? std::string() : home + "/" + below;
}

std::string Trimmed(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

}  // namespace

std::string CUserFolders::GetHome() {
    return AbsoluteFolder("HOME");
}

std::string CUserFolders::GetDataHome() {
    return BaseOrBelowHome("XDG_DATA_HOME", ".local/share");
}

std::string CUserFolders::GetConfigHome() {
    return BaseOrBelowHome("XDG_CONFIG_HOME", ".config");
}

std::string CUserFolders::GetMusicFolder() {
    const std::string home = GetHome();
    std::string music = AbsoluteFolder("XDG_MUSIC_DIR");
    const std::string config = GetConfigHome();
    if (music.empty() && !config.empty()) {
        std::ifstream file(config + "/user-dirs.dirs");
        std::stringstream text;
        text << file.rdbuf();
        music = ParseMusicLine(text.str(), home);
    }
    return music.empty() || music == home ? std::string() : music;
}

std::string CUserFolders::ParseMusicLine(const std::string& text, const std::string& home) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, kMusicKey.size(), kMusicKey) != 0) {
            continue;
        }
        std::string value = line.substr(start + kMusicKey.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.compare(0, kHomeWord.size(), kHomeWord) == 0) {
            if (home.empty()) {
                return std::string();
            }
            value = home + value.substr(kHomeWord.size());
        }
        return value.empty() || value[0] != '/' ? std::string() : Trimmed(value);
    }
    return std::string();
}
