#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "TempFolder.h"
#include "foundation/CharString.h"
#include "foundation/Paths.h"

// A make-believe install below a temporary folder: "<prefix>/bin" for the
// executable's folder, the shipped content in "<prefix>/share/notara" (the
// build tree's tutorials and grooves copied, a small sample folder), and a
// home folder whose XDG base folders this object sets for its lifetime.
class CInstallTree {
public:
    CInstallTree() : m_root("install") {
        namespace fs = std::filesystem;
        fs::create_directories(Bin());
        fs::create_directories(Share());
        // The samples are only read: linked, not copied.
        fs::create_directory_symlink(NOTARA_BINARY_DIR "/Sound", Share() + "/Sound");
        fs::create_directories(Home());
        fs::copy(NOTARA_BINARY_DIR "/Tutorials", Share() + "/Tutorials",
                 fs::copy_options::recursive);
        fs::copy(NOTARA_BINARY_DIR "/Grooves", Share() + "/Grooves", fs::copy_options::recursive);
        Keep("HOME", m_oldHome, m_hadHome);
        Keep("XDG_DATA_HOME", m_oldData, m_hadData);
        Keep("XDG_CONFIG_HOME", m_oldConfig, m_hadConfig);
        Keep("XDG_MUSIC_DIR", m_oldMusic, m_hadMusic);
        setenv("HOME", Home().c_str(), 1);
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_MUSIC_DIR");
    }
    ~CInstallTree() {
        MakeWritable();
        Restore("HOME", m_oldHome, m_hadHome);
        Restore("XDG_DATA_HOME", m_oldData, m_hadData);
        Restore("XDG_CONFIG_HOME", m_oldConfig, m_hadConfig);
        Restore("XDG_MUSIC_DIR", m_oldMusic, m_hadMusic);
    }
    CInstallTree(const CInstallTree&) = delete;
    CInstallTree& operator=(const CInstallTree&) = delete;

    std::string Prefix() const { return m_root.Path("prefix"); }
    std::string Bin() const { return Prefix() + "/bin"; }
    std::string Share() const { return Prefix() + "/share/notara"; }
    std::string Home() const { return m_root.Path("home"); }

    // Every file below folder with its size and time, one a line: what a
    // run that writes nothing there leaves as it was.
    static std::string List(const std::string& folder) {
        namespace fs = std::filesystem;
        std::string list;
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            std::error_code error;
            const auto size = entry.is_regular_file(error) ? entry.file_size(error) : 0;
            const auto time = fs::last_write_time(entry.path(), error).time_since_epoch().count();
            list += entry.path().string() + " " + std::to_string(size) + " " +
                    std::to_string(time) + "\n";
        }
        return list;
    }

    // Takes every write permission of the shipped tree away (root still
    // writes: List finds what it wrote).
    void MakeReadOnly() const {
        namespace fs = std::filesystem;
        for (const auto& entry : fs::recursive_directory_iterator(Prefix())) {
            fs::permissions(
                entry.path(),
                fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                fs::perm_options::remove);
        }
    }
    // Gives the write permissions back, so that the folder can go.
    void MakeWritable() const {
        namespace fs = std::filesystem;
        std::error_code error;
        fs::permissions(Prefix(), fs::perms::owner_write, fs::perm_options::add, error);
        for (fs::recursive_directory_iterator at(Prefix(), error), end; !error && at != end;
             at.increment(error)) {
            if (!at->is_symlink(error)) {
                fs::permissions(at->path(), fs::perms::owner_write, fs::perm_options::add, error);
            }
        }
    }

private:
    static void Keep(const char* name, std::string& old, bool& had) {
        const char* value = getenv(name);
        had = value != nullptr;
        old = had ? value : "";
    }
    static void Restore(const char* name, const std::string& old, bool had) {
        if (had) {
            setenv(name, old.c_str(), 1);
        } else {
            unsetenv(name);
        }
    }

    CTempFolder m_root;
    std::string m_oldHome, m_oldData, m_oldConfig, m_oldMusic;
    bool m_hadHome = false, m_hadData = false, m_hadConfig = false, m_hadMusic = false;
};

// Puts folder in place of the executable's folder for one test.
class CProgramFolderSwap {
public:
    explicit CProgramFolderSwap(const std::string& folder) {
        GetProgramFolder(m_old);
        SetProgramFolder(folder.c_str());
    }
    ~CProgramFolderSwap() { SetProgramFolder(m_old.IsEmpty() ? nullptr : m_old.GetText()); }
    CProgramFolderSwap(const CProgramFolderSwap&) = delete;
    CProgramFolderSwap& operator=(const CProgramFolderSwap&) = delete;

private:
    CCharString m_old;
};
