#pragma once

#include <string>
#include <vector>

#include "foundation/CharString.h"

class CComposition;
class CNoteList;
class CNoteManager;
class CSongPart;
struct CHORD_INFO;
struct SONG_INFO;

// Reads the older line-based ".Song" text format into a song document: the
// song's info and play list, its parts with their chords, and each part's
// groove from the grooves folder. Every number and count is bounded as
// CComposition's limits say; a failure comes back as a "Can't ..." text in
// GetError, quoting the file only in short pieces.
class CSongText {
public:
    // manager and song must outlive the reader; groovesFolder holds the
    // grooves as "<folder>/<style>/<name>.mid".
    CSongText(CNoteManager& manager, CComposition& song, const char* groovesFolder);

    // Reads the file's bytes into song, which the caller has made new.
    bool Read(const std::vector<char>& data);
    const char* GetError() const { return m_error; }
    // Reads part's groove (its groove file, or its style and name below
    // groovesFolder) and fits the part to it at the song's tempo.
    static bool LoadGroove(CSongPart& part, const char* groovesFolder, const SONG_INFO& song,
                           CCharString& reason);

private:
    // The lines of a text song and the next one to read.
    struct TEXT_LINES {
        std::vector<std::string> lines;
        size_t next = 0;
        bool NextPair(std::string& key, std::string& value);
    };

    bool SetError(const char* format, ...) NOTARA_PRINTF(2, 3);
    bool ReadInfoSection(TEXT_LINES& text, CCharString& playList);
    bool ReadPartSection(TEXT_LINES& text);
    bool ReadPartKey(const char* key, const char* value, CSongPart& part, CCharString& chords);
    bool ReadChords(const char* value, CSongPart& part);
    bool ReadChord(const char* text, const CNoteList& scale, CSongPart& part, CCharString& reason);
    static bool FindDegree(const CNoteList& scale, CHORD_INFO& chord);
    bool ResolvePlayList(const char* value);

    CNoteManager& m_manager;
    CComposition& m_song;
    CCharString m_groovesFolder;
    CCharString m_error;
};
