#include "app/SongRecovery.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/SafeSave.h"
#include "editors/GrooveGrids.h"
#include "songio/Composition.h"

namespace {

// The index: one "key=value" line each.
constexpr const char* kSongKey = "Song";
constexpr const char* kSongFileKey = "Song file";
constexpr const char* kSongNameKey = "Song name";
constexpr const char* kGrooveStyleKey = "Groove style";
constexpr const char* kGrooveNameKey = "Groove name";
constexpr size_t kMaxIndexBytes = 64 * 1024;

// A value stays on its line.
std::string OneLine(std::string text) {
    for (char& c : text) {
        c = c == '\n' || c == '\r' ? ' ' : c;
    }
    return text;
}

}  // namespace

CSongRecovery::CSongRecovery(const std::string& folder)
    : m_folder((std::filesystem::path(folder) / kFolderName).string()) {}

std::string CSongRecovery::Path(const char* name) const {
    return (std::filesystem::path(m_folder) / name).string();
}

std::string CSongRecovery::GetGroovePath() const {
    return Path(kGrooveName);
}

bool CSongRecovery::Keep(CComposition& song, const CMix& mix, CGrooveGrids& grids) {
    KEPT kept;
    kept.song = song.IsModified();
    kept.groove = grids.HasGroove() && grids.IsChanged();
    if (!kept.song && !kept.groove) {
        return true;
    }
    std::error_code ignored;
    std::filesystem::create_directories(m_folder, ignored);
    if (kept.song) {
        if (!song.SaveMidi(Path(kSongName).c_str(), mix)) {
            m_error.Format("Can't keep the changed song: %s", song.GetError());
            return false;
        }
        kept.songFile = song.GetFileName();
        kept.songName = song.m_name.Str();
    }
    if (kept.groove) {
        if (!grids.SaveCopy(Path(kGrooveName).c_str())) {
            m_error.Format("Can't keep the changed groove: %s", grids.GetError());
            return false;
        }
        kept.grooveStyle = grids.GetStyle().Str();
        kept.grooveName = grids.GetName().Str();
    }
    return SaveIndex(kept);
}

bool CSongRecovery::SaveIndex(const KEPT& kept) {
    std::ostringstream text;
    if (kept.song) {
        text << kSongKey << "=1\n"
             << kSongFileKey << '=' << OneLine(kept.songFile) << '\n'
             << kSongNameKey << '=' << OneLine(kept.songName) << '\n';
    }
    if (kept.groove) {
        text << kGrooveStyleKey << '=' << OneLine(kept.grooveStyle) << '\n'
             << kGrooveNameKey << '=' << OneLine(kept.grooveName) << '\n';
    }
    const std::string bytes = text.str();
    std::string error;
    if (!CSafeSave::Save(Path(kIndexName), bytes.data(), bytes.size(), error,
                         CSafeSave::kOwnerOnlyMode)) {
        m_error.Format("Can't keep the changes: %s", error.c_str());
        return false;
    }
    return true;
}

bool CSongRecovery::Find(KEPT& kept) const {
    kept = KEPT();
    std::ifstream file(Path(kIndexName));
    if (!file) {
        return false;
    }
    std::string line;
    size_t read = 0;
    bool grooveNamed = false;
    while (std::getline(file, line) && (read += line.size() + 1) <= kMaxIndexBytes) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (key == kSongKey) {
            kept.song = value == "1";
        } else if (key == kSongFileKey) {
            kept.songFile = value;
        } else if (key == kSongNameKey) {
            kept.songName = value;
        } else if (key == kGrooveStyleKey) {
            kept.grooveStyle = value;
        } else if (key == kGrooveNameKey) {
            kept.grooveName = value;
            grooveNamed = true;
        }
    }
    std::error_code ignored;
    kept.song = kept.song && std::filesystem::is_regular_file(Path(kSongName), ignored);
    kept.groove = grooveNamed && std::filesystem::is_regular_file(Path(kGrooveName), ignored);
    return kept.song || kept.groove;
}

CCharString CSongRecovery::Describe(const KEPT& kept, const char* program) {
    std::string what;
    if (kept.song) {
        what += "\nthe song \"" +
                (kept.songName.empty() ? std::string("without a name") : kept.songName) + "\"";
    }
    if (kept.groove) {
        what +=
            "\nthe groove \"" + kept.grooveName + "\" of the style \"" + kept.grooveStyle + "\"";
    }
    CCharString text;
    text.Format(
        "%s ended last time with changes that were not saved:%s\n\nDo you want them "
        "back?",
        program, what.c_str());
    return text;
}

bool CSongRecovery::RestoreSong(const KEPT& kept, CComposition& song) {
    if (!song.Open(Path(kSongName).c_str())) {
        m_error.Format("Can't restore the changed song: %s", song.GetError());
        song.New();
        return false;
    }
    song.m_name = kept.songName.c_str();
    song.m_info.name = song.m_name;
    song.SetFileName(kept.songFile.c_str(), true);
    return true;
}

void CSongRecovery::Discard() {
    std::error_code ignored;
    std::filesystem::remove(Path(kIndexName), ignored);
    std::filesystem::remove(Path(kSongName), ignored);
    std::filesystem::remove(Path(kGrooveName), ignored);
    std::filesystem::remove(m_folder, ignored);  // only when empty
}
