#pragma once

#include <vector>

#include "foundation/CharString.h"
#include "theory/KeySignature.h"

class CMelody;
class CNoteManager;

// Reads the melody a tune lesson plays from a song file: the lead of a MIDI
// file, or the melody of what a song document's parts render over their
// grooves. False with the reason, naming the file, in GetError.
class CTuneReader {
public:
    // groovesFolder holds the song documents' grooves by style.
    CTuneReader(CNoteManager& notes, const char* groovesFolder);

    // The tune's notes in order, its name (the file's name when the tune
    // has none) and its key: a song document's first part's scale, a MIDI
    // file's key signature, else the major key that fits its notes best.
    bool Read(const char* path, std::vector<int>& melody, CCharString& name, CKeySignature& key);
    const char* GetError() const { return m_error; }

private:
    bool ReadMidi(const char* path, CMelody& tune);
    bool ReadSong(const char* path, CMelody& tune, CKeySignature& key);

    CNoteManager& m_notes;
    CCharString m_groovesFolder;
    CCharString m_error;
};
