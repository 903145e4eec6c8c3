#include "app/TuneReader.h"

#include <cstring>
#include <string>

#include "app/StartOptions.h"
#include "midi/SmfReader.h"
#include "songio/Composition.h"
#include "songio/Melody.h"
#include "songs/Song.h"
#include "songs/SongPart.h"

CTuneReader::CTuneReader(CNoteManager& notes, const char* groovesFolder)
    : m_notes(notes), m_groovesFolder(groovesFolder) {}

bool CTuneReader::Read(const char* path, std::vector<int>& melody, CCharString& name,
                       CKeySignature& key) {
    const CCharString problem = GetSongOpenError(path);
    if (!problem.IsEmpty()) {
        m_error = problem;
        return false;
    }
    CMelody tune;
    const char* dot = std::strrchr(path, '.');
    const bool document = dot != nullptr && std::strcmp(dot, ".Song") == 0;
    key.Reset();
    if (!(document ? ReadSong(path, tune, key) : ReadMidi(path, tune))) {
        return false;
    }
    melody = tune.GetNotes();
    name = tune.GetName().c_str();
    if (!key.IsSet() &&
        (!tune.HasKey() || !key.SetSignature(tune.GetKeyAccidentals(), tune.IsKeyMinor()))) {
        key.SetSignature(CKeySignature::FitSignature(melody), false);
    }
    if (name.IsEmpty()) {
        // The file's name without its folder and extension.
        std::string stem = path;
        stem.erase(0, stem.find_last_of('/') + 1);
        stem.erase(stem.find_last_of('.'));
        name = stem.c_str();
    }
    return true;
}

bool CTuneReader::ReadMidi(const char* path, CMelody& tune) {
    CSmfReader reader;
    SMF_FILE file;
    if (!reader.ReadFile(path, file)) {
        m_error = reader.GetError();  // it names the file and the place
        return false;
    }
    if (!tune.Take(file)) {
        m_error.Format("Can't open song (%s): %s", CutForMessage(path).c_str(), tune.GetError());
        return false;
    }
    return true;
}

// A song document plays its parts' grooves under their chords: the tune is
// the melody of what it renders.
bool CTuneReader::ReadSong(const char* path, CMelody& tune, CKeySignature& key) {
    CComposition document(m_notes, nullptr);
    std::string grooves = m_groovesFolder.Str();
    while (grooves.size() > 1 && grooves.back() == '/') {
        grooves.pop_back();
    }
    document.SetGroovesFolder(grooves.c_str());
    CSong song;
    if (!document.Open(path) || !document.Render(song, false)) {
        m_error = document.GetError();
        return false;
    }
    if (!tune.TakeSong(song)) {
        m_error.Format("Can't open song (%s): %s", CutForMessage(path).c_str(), tune.GetError());
        return false;
    }
    // The key of the first part's scale, when that scale is written in one.
    if (document.GetPlayListCount() > 0) {
        const SONG_INFO& first = document.GetPlayListEntry(0)->m_arrangement.m_info;
        key.SetScale(first.scale, first.scaleRoot);
    }
    return true;
}
