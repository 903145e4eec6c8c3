#pragma once

#include "audio/SoundInfo.h"
#include "foundation/CharString.h"
#include "theory/NoteList.h"

class CSound;

// Fills the sound engine's instruments from the WAVE files below the sound
// folder: piano, lead and rhythm guitar (one sample set), bass and drums.
// Only some notes are recorded; every other note of an instrument's range is
// pitched up from the nearest recorded note below it.
//
// Files: "Piano/Piano-C1.wav", "Piano-C3.wav" and "Piano-C6.wav" (MIDI 24,
// 48 and 84; further "Piano-<note><octave>.wav" files such as "Piano-F#2.wav"
// are taken when present); "Clean Guitar/Clean Guitar_<string>-<fret>.wav"
// and "Finger Bass/Finger Bass_<string>-<fret>.wav" with the fret printed in
// two places ("Clean Guitar_6- 0.wav"); "Drums/<piece>.wav".
class CSampleBanks {
public:
    static constexpr int kPiano = THING_KEYBOARD;
    static constexpr int kLastPianoNote = 96;
    static constexpr int kLastFret = 24;
    static constexpr int kFretsAboveLast = 6;  // derived above a string's last recording
    static constexpr double kLevel = 0.7;      // every recording is normalised to this peak

    // noteTable gives each MIDI note's pitch; folder ends with a separator.
    CSampleBanks(CSound& sound, const CNoteList& noteTable, const char* folder);

    // Piano, lead guitar, rhythm guitar, bass and drums; the first failure
    // stops.
    bool LoadAll();
    bool LoadPiano();
    bool LoadStrings(const char* name, int instrument);
    bool LoadDrums();
    // One file into record, for an instrument and a MIDI note (NOTE_NONE: a
    // drum piece's own note).
    bool LoadSample(CSoundInfo& record, const char* path, int instrument, int midiNote);
    // Adds recorded and every note above it up to last, pitched up from it.
    bool Derive(const CSoundInfo& recorded, int last);

    // The General MIDI percussion key a drum instrument's sound carries; 255
    // for an instrument that is no drum piece of the banks.
    static int GetDrumNote(int instrument);
    // The open note of a string (1 the highest) of a guitar or the bass.
    static int GetOpenNote(int instrument, int string);
    static int GetStringCount(int instrument);

    int GetLoadedFiles() const { return m_loadedFiles; }
    const char* GetError() const { return m_error; }

private:
    bool Fail(const char* format, ...) NOTARA_PRINTF(2, 3);
    bool ShareStrings(int from, int instrument);

    CSound& m_sound;
    const CNoteList& m_noteTable;
    CCharString m_folder;
    CCharString m_error;
    int m_loadedFiles = 0;
};
