#pragma once

#include "foundation/CharString.h"
#include "theory/Note.h"
#include "theory/TheoryTables.h"

// The scale root of a new song: the C below middle C.
constexpr int DEFAULT_SCALE_ROOT = 48;

// What a song, a track and a song part know about the music: names, tempo,
// time signature and scale. Times are in seconds.
struct SONG_INFO {
    CCharString style;  // groove style
    CCharString name;   // song name; in a track, the track's name
    CCharString description;
    int repeat = 1;
    CCharString fileName;  // path the song was read from
    CCharString text;
    CCharString copyright;
    double secondsPerBeat = 0.0;
    double length = UNSET_TIME;  // unset until known
    double tempo = 0.0;          // beats per minute
    int keySignature = 0;        // sharps positive, flats negative
    int scale = SCALE_MAJOR;
    int scaleRoot = DEFAULT_SCALE_ROOT;  // MIDI note
    int measures = 0;
    int measureBeats = 0;  // time-signature numerator
    int beatNote = 0;      // time-signature denominator, 4 = quarter

    void Reset() { *this = SONG_INFO(); }
    // One measure in seconds; 0 while the beat or the signature is unknown.
    double GetMeasureLength() const { return measureBeats * secondsPerBeat; }
};
