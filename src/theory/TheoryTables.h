#pragma once

// The fixed tables of keys, scales, chord types, chord groups, melodic
// patterns and progressions. Ids are the indexes the files store.

constexpr int KEY_FIRST = 1;
constexpr int KEY_LAST = 30;
constexpr int SCALE_FIRST = 31;
constexpr int SCALE_LAST = 52;
constexpr int SCALE_CHROMATIC = 31;
constexpr int SCALE_MAJOR = 32;
constexpr int SCALE_NATURAL_MINOR = 40;
constexpr int SCALE_PENTATONIC_MAJOR = 44;
constexpr int SCALE_PENTATONIC_MINOR = 45;
constexpr int CHORD_TYPE_COUNT = 32;
constexpr int CHORD_GROUP_COUNT = 16;
constexpr int MELODIC_PATTERN_COUNT = 6;
constexpr int PROGRESSION_LAST = 20;

struct KEY_ENTRY {
    const char* name;
    int root;        // MIDI note
    int accidental;  // of the root
};

struct SCALE_ENTRY {
    const char* name;
    int steps[11];
    int stepCount;
    int modeStart;  // degree of the major scale the scale begins on
};

struct INTERVAL_ENTRY {
    int semitones;
    int degree;
    int alteration;  // accidental code: 0 none, 1 sharp, 3 flat, 4 double flat
};

struct CHORD_TYPE_ENTRY {
    const char* formula;
    const char* longName;
    const char* shortName;
    INTERVAL_ENTRY intervals[7];  // the root first
    int intervalCount;
};

struct CHORD_GROUP_ENTRY {
    const char* name;
    int degrees[7];
    int degreeCount;
};

// Null for an id outside the table.
const KEY_ENTRY* FindKeyEntry(int id);
const SCALE_ENTRY* FindScaleEntry(int id);  // keys 1..30 and scales 31..52
const CHORD_TYPE_ENTRY* FindChordTypeEntry(int id);
const CHORD_GROUP_ENTRY* FindChordGroupEntry(int id);
const char* FindMelodicPatternName(int id);
const char* FindProgressionName(int id);
