#pragma once

#include <string>

// The user's own folders as a desktop names them in the environment: the
// base folders for data and settings, the home folder and the music folder
// of the user-dirs file. Relative values count as unset, as the desktop's
// rules say. Every folder comes without a trailing separator; empty text
// where there is none.
class CUserFolders {
public:
    // $HOME.
    static std::string GetHome();
    // $XDG_DATA_HOME, else "$HOME/.local/share".
    static std::string GetDataHome();
    // $XDG_CONFIG_HOME, else "$HOME/.config".
    static std::string GetConfigHome();
    // $XDG_MUSIC_DIR, else the XDG_MUSIC_DIR line of
    // "<config home>/user-dirs.dirs"; empty when neither names one or it
    // names the home folder itself (the desktop's way of saying "none").
    static std::string GetMusicFolder();

    // The value of an XDG_MUSIC_DIR line of a user-dirs file's text, with
    // "$HOME" put in place; empty when text holds none.
    static std::string ParseMusicLine(const std::string& text, const std::string& home);
};
