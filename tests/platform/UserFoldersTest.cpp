// The user's folders come from the environment as a desktop sets it:
// relative values count as unset, and the music folder of the user-dirs
// file has "$HOME" put in place.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <fstream>
#include <string>

#include "../TempFolder.h"
#include "platform/UserFolders.h"

namespace {

// Sets or clears an environment variable for one test, and puts the old
// value back.
class CEnvironmentValue {
public:
    CEnvironmentValue(const char* name, const char* value) : m_name(name) {
        const char* old = getenv(name);
        m_had = old != nullptr;
        m_old = m_had ? old : "";
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~CEnvironmentValue() {
        if (m_had) {
            setenv(m_name.c_str(), m_old.c_str(), 1);
        } else {
            unsetenv(m_name.c_str());
        }
    }
    CEnvironmentValue(const CEnvironmentValue&) = delete;
    CEnvironmentValue& operator=(const CEnvironmentValue&) = delete;

private:
    std::string m_name;
    std::string m_old;
    bool m_had = false;
};

TEST(UserFolders, TheBaseFoldersFallBackBelowHome) {
    const CEnvironmentValue home("HOME", "/home/learner/");
    const CEnvironmentValue data("XDG_DATA_HOME", nullptr);
    const CEnvironmentValue config("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(CUserFolders::GetHome(), "/home/learner");
    EXPECT_EQ(CUserFolders::GetDataHome(), "/home/learner/.local/share");
    EXPECT_EQ(CUserFolders::GetConfigHome(), "/home/learner/.config") << "a relative value counts";
}

TEST(UserFolders, TheEnvironmentsBaseFoldersWin) {
    const CEnvironmentValue home("HOME", "/home/learner");
    const CEnvironmentValue data("XDG_DATA_HOME", "/srv/data//");
    const CEnvironmentValue config("XDG_CONFIG_HOME", "/srv/config");
    EXPECT_EQ(CUserFolders::GetDataHome(), "/srv/data");
    EXPECT_EQ(CUserFolders::GetConfigHome(), "/srv/config");
}

TEST(UserFolders, WithoutAHomeThereAreNoFolders) {
    const CEnvironmentValue home("HOME", nullptr);
    const CEnvironmentValue data("XDG_DATA_HOME", nullptr);
    const CEnvironmentValue music("XDG_MUSIC_DIR", nullptr);
    const CEnvironmentValue config("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(CUserFolders::GetHome(), "");
    EXPECT_EQ(CUserFolders::GetDataHome(), "");
    EXPECT_EQ(CUserFolders::GetMusicFolder(), "");
}

TEST(UserFolders, TheMusicLineOfTheUserDirsFileIsRead) {
    const std::string text =
        "# written by xdg-user-dirs-update\n"
        "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
        "  XDG_MUSIC_DIR=\"$HOME/My Music/\"\n";
    EXPECT_EQ(CUserFolders::ParseMusicLine(text, "/home/learner"), "/home/learner/My Music");
    EXPECT_EQ(CUserFolders::ParseMusicLine("XDG_MUSIC_DIR=\"/srv/music\"\n", ""), "/srv/music");
    EXPECT_EQ(CUserFolders::ParseMusicLine("XDG_MUSIC_DIR=\"music\"\n", "/h"), "")
        << "a relative folder is none";
    EXPECT_EQ(CUserFolders::ParseMusicLine("XDG_MUSIC_DIR=\"$HOME/Music\"\n", ""), "")
        << "no home to put in place";
    EXPECT_EQ(CUserFolders::ParseMusicLine("XDG_VIDEOS_DIR=\"$HOME/Videos\"\n", "/h"), "");
}

TEST(UserFolders, TheMusicFolderComesFromTheEnvironmentOrTheUserDirsFile) {
    const CTempFolder folder("user-folders");
    const CEnvironmentValue home("HOME", folder.Get().c_str());
    const CEnvironmentValue config("XDG_CONFIG_HOME", folder.Path("config").c_str());
    const CEnvironmentValue music("XDG_MUSIC_DIR", nullptr);
    EXPECT_EQ(CUserFolders::GetMusicFolder(), "") << "no user-dirs file";
    std::filesystem::create_directories(folder.Path("config"));
    std::ofstream(folder.Path("config/user-dirs.dirs")) << "XDG_MUSIC_DIR=\"$HOME/Tunes\"\n";
    EXPECT_EQ(CUserFolders::GetMusicFolder(), folder.Path("Tunes"));
    std::ofstream(folder.Path("config/user-dirs.dirs")) << "XDG_MUSIC_DIR=\"$HOME/\"\n";
    EXPECT_EQ(CUserFolders::GetMusicFolder(), "") << "the home folder itself means none";
    const CEnvironmentValue named("XDG_MUSIC_DIR", "/srv/music");
    EXPECT_EQ(CUserFolders::GetMusicFolder(), "/srv/music");
}

}  // namespace
