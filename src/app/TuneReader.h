#pragma once

#include <vector>

#include "foundation/CharString.h"

class CMelody;
class CNoteManager;

// Reads the melody a tune lesson plays from a song file: the lead of a MIDI
// file, or the melody of what a song document's parts render over their
// grooves. False with the reason, naming the file, in GetError.
class CTuneReader {
public:
    // groovesFolder holds the song documents' grooves by style.
    CTuneReader(CNoteManager& notes, const char* groovesFolder);

    // The tune's notes in order and its name (the file's name when the
    // tune has none).
    bool Read(const char* path, std::vector<int>& melody, CCharString& name);
    const char* GetError() const { return m_error; }

private:
    bool ReadMidi(const char* path, CMelody& tune);
    bool ReadSong(const char* path, CMelody& tune);

    CNoteManager& m_notes;
    CCharString m_groovesFolder;
    CCharString m_error;
};
