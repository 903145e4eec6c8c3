#include "theory/TheoryTables.h"

#include "theory/Note.h"

namespace {

constexpr int S = ACCIDENTAL_SHARP;
constexpr int F = ACCIDENTAL_FLAT;
constexpr int FF = ACCIDENTAL_2_FLATS;

const KEY_ENTRY kKeys[KEY_LAST] = {
    {"C maj", 60, 0},  {"A min", 69, 0},  {"G maj", 67, 0},  {"E min", 64, 0},  {"D maj", 62, 0},
    {"B min", 71, 0},  {"A maj", 69, 0},  {"F# min", 66, S}, {"E maj", 64, 0},  {"C# min", 61, S},
    {"B maj", 71, 0},  {"G# min", 68, S}, {"F# maj", 66, S}, {"D# min", 63, S}, {"C# maj", 61, S},
    {"A# min", 70, S}, {"F maj", 65, 0},  {"D min", 62, 0},  {"Bb maj", 70, F}, {"G min", 67, 0},
    {"Eb maj", 63, F}, {"C min", 60, 0},  {"Ab maj", 68, F}, {"F min", 65, 0},  {"Db maj", 61, F},
    {"Bb min", 70, F}, {"Gb maj", 66, F}, {"Eb min", 63, F}, {"Cb maj", 59, F}, {"Ab min", 68, F},
};

const SCALE_ENTRY kScales[SCALE_LAST - SCALE_FIRST + 1] = {
    {"Chromatic", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 11, 1},
    {"Major", {2, 2, 1, 2, 2, 2}, 6, 1},
    {"Ionian", {2, 2, 1, 2, 2, 2}, 6, 1},
    {"Dorian", {2, 1, 2, 2, 2, 1}, 6, 2},
    {"Phrygian", {1, 2, 2, 2, 1, 2}, 6, 3},
    {"Lydian", {2, 2, 2, 1, 2, 2}, 6, 4},
    {"Mixolydian", {2, 2, 1, 2, 2, 1}, 6, 5},
    {"Aeolian", {2, 1, 2, 2, 1, 2}, 6, 6},
    {"Locrian", {1, 2, 2, 1, 2, 2}, 6, 7},
    {"Natural minor", {2, 1, 2, 2, 1, 2}, 6, 6},
    {"Harmonic minor", {2, 1, 2, 2, 1, 3}, 6, 6},
    {"Melodic minor", {2, 1, 2, 2, 2, 2}, 6, 6},
    {"Melodic minor (descending)", {2, 1, 2, 2, 1, 2}, 6, 6},
    {"Pentatonic major", {2, 2, 3, 2}, 4, 1},
    {"Pentatonic minor", {3, 2, 2, 3}, 4, 6},
    {"Blues", {3, 2, 1, 1, 3}, 5, 1},
    {"Diminished", {2, 1, 2, 1, 2, 1, 2}, 7, 1},
    {"Bebop", {2, 2, 1, 2, 2, 1, 1}, 7, 1},
    {"Enigmatic", {1, 3, 2, 2, 2, 1}, 6, 1},
    {"Neapolitanian", {1, 2, 2, 2, 2, 2}, 6, 1},
    {"Neapolitanian minor", {1, 2, 2, 2, 1, 3}, 6, 1},
    {"Hungarian minor", {2, 1, 3, 1, 1, 3}, 6, 1},
};

// Keys borrow the step pattern of the major or the natural minor scale.
SCALE_ENTRY MakeKeyScale(int id) {
    SCALE_ENTRY entry = kScales[(id % 2 == 1 ? SCALE_MAJOR : SCALE_NATURAL_MINOR) - SCALE_FIRST];
    entry.name = kKeys[id - 1].name;
    entry.modeStart = 1;
    return entry;
}

const SCALE_ENTRY* GetKeyScales() {
    static const struct KEY_SCALES {
        SCALE_ENTRY entries[KEY_LAST];
        KEY_SCALES() {
            for (int id = KEY_FIRST; id <= KEY_LAST; ++id) {
                entries[id - 1] = MakeKeyScale(id);
            }
        }
    } scales;
    return scales.entries;
}

#define R \
    { 0, 1, 0 }
const CHORD_TYPE_ENTRY kChordTypes[CHORD_TYPE_COUNT] = {
    {"1-3-5", "Major", "", {R, {4, 3, 0}, {7, 5, 0}}, 3},
    {"1-b3-5", "Minor", "m", {R, {3, 3, F}, {7, 5, 0}}, 3},
    {"1-3-5-b7", "Seventh", "7", {R, {4, 3, 0}, {7, 5, 0}, {10, 7, F}}, 4},
    {"1-b3-5-b7", "Minor seventh", "m7", {R, {3, 3, F}, {7, 5, 0}, {10, 7, F}}, 4},
    {"1-3-5-7", "Major seventh", "maj7", {R, {4, 3, 0}, {7, 5, 0}, {11, 7, 0}}, 4},
    {"1-3-#5-b7", "Augmented 7th", "+7", {R, {4, 3, 0}, {8, 5, S}, {10, 7, F}}, 4},
    {"1-b3-b5-bb7", "Diminished seventh", "o7", {R, {3, 3, F}, {6, 5, F}, {9, 7, FF}}, 4},
    {"1-b3-5-7", "Minor, major seventh", "m(maj7)", {R, {3, 3, F}, {7, 5, 0}, {11, 7, 0}}, 4},
    {"1-4-5-b7", "Seventh, suspended 4th", "7sus4", {R, {5, 4, 0}, {7, 5, 0}, {10, 7, F}}, 4},
    {"1-3-b5-b7", "Seventh, flat 5th", "7-5", {R, {4, 3, 0}, {6, 5, F}, {10, 7, F}}, 4},
    {"1-3-#5-b7", "Seventh, augmented 5th", "7+5", {R, {4, 3, 0}, {8, 5, S}, {10, 7, F}}, 4},
    {"1-b3-b5-b7", "Minor seventh: flat fifth", "m7-5", {R, {3, 3, F}, {6, 5, F}, {10, 7, F}}, 4},
    {"1-3-#5", "Augmented", "+", {R, {4, 3, 0}, {8, 5, S}}, 3},
    {"1-b3-b5", "Diminished", "o", {R, {3, 3, F}, {6, 5, F}}, 3},
    {"1-5", "Fifth (Power Chord)", "5", {R, {7, 5, 0}}, 2},
    // Root and flat fifth only, although the formula names a third.
    {"1-3-b5", "Diminished fifth", "-5", {R, {6, 5, F}}, 2},
    {"1-4-5", "Suspended 4th", "sus4", {R, {5, 4, 0}, {7, 5, 0}}, 3},
    {"1-2-5", "Suspended 2nd", "sus2", {R, {2, 2, 0}, {7, 5, 0}}, 3},
    {"1-3-5-6", "Sixth", "6", {R, {4, 3, 0}, {7, 5, 0}, {9, 6, 0}}, 4},
    {"1-b3-5-6", "Minor sixth", "m6", {R, {3, 3, F}, {7, 5, 0}, {9, 6, 0}}, 4},
    {"1-3-5-6-9",
     "Major six added ninth",
     "6/9",
     {R, {4, 3, 0}, {7, 5, 0}, {9, 6, 0}, {14, 9, 0}},
     5},
    {"1-3-5-b7-9", "Ninth", "9", {R, {4, 3, 0}, {7, 5, 0}, {10, 7, F}, {14, 9, 0}}, 5},
    {"1-3-b5-9", "Ninth, diminished 5th", "9-5", {R, {4, 3, 0}, {6, 5, F}, {14, 9, 0}}, 4},
    {"1-b3-5-b7-9", "Minor ninth", "m9", {R, {3, 3, F}, {7, 5, 0}, {10, 7, F}, {14, 9, 0}}, 5},
    {"1-3-5-7-9", "Major ninth", "maj9", {R, {4, 3, 0}, {7, 5, 0}, {11, 7, 0}, {14, 9, 0}}, 5},
    {"1-3-5-9", "Added ninth", "add9", {R, {4, 3, 0}, {7, 5, 0}, {14, 9, 0}}, 4},
    {"1-b3-5-9", "Minor added ninth", "m(add9)", {R, {3, 3, F}, {7, 5, 0}, {14, 9, 0}}, 4},
    {"1-3-5-b7-#9",
     "Seventh, sharp 9th",
     "7+9",
     {R, {4, 3, 0}, {7, 5, 0}, {10, 7, F}, {15, 9, S}},
     5},
    {"1-3-5-b7-b9",
     "Seventh, flat 9th",
     "7-9",
     {R, {4, 3, 0}, {7, 5, 0}, {10, 7, F}, {13, 9, F}},
     5},
    {"1-3-5-b7-9-11",
     "Eleventh",
     "11",
     {R, {4, 3, 0}, {7, 5, 0}, {10, 7, F}, {14, 9, 0}, {17, 11, 0}},
     6},
    {"1-b3-5-b7-9-11",
     "Minor eleventh",
     "m11",
     {R, {3, 3, F}, {7, 5, 0}, {10, 7, F}, {14, 9, 0}, {17, 11, 0}},
     6},
    {"1-3-5-b7-9-11-13",
     "Thirteenth",
     "13",
     {R, {4, 3, 0}, {7, 5, 0}, {10, 7, F}, {14, 9, 0}, {17, 11, 0}, {21, 13, 0}},
     7},
};
#undef R

const CHORD_GROUP_ENTRY kChordGroups[CHORD_GROUP_COUNT] = {
    {"sus2sus4", {1, 2, 4, 5}, 4},  {"sus2", {1, 2, 5}, 3},
    {"7sus2", {1, 2, 5, 7}, 4},     {"Triad", {1, 3, 5}, 3},
    {"6", {1, 3, 5, 6}, 4},         {"6add9", {1, 3, 5, 6, 9}, 5},
    {"7", {1, 3, 5, 7}, 4},         {"9", {1, 3, 5, 7, 9}, 5},
    {"11", {1, 3, 5, 7, 9, 11}, 6}, {"13", {1, 3, 5, 7, 9, 11, 13}, 7},
    {"add9", {1, 3, 5, 9}, 4},      {"sus4", {1, 4, 5}, 3},
    {"7sus4", {1, 4, 5, 7}, 4},     {"9sus4", {1, 4, 5, 7, 9}, 5},
    {"5 (power)", {1, 5}, 2},       {"9+5", {1, 7, 9}, 3},
};

const char* const kMelodicPatterns[MELODIC_PATTERN_COUNT] = {"Up",      "1-2-3-4", "1-3-2-4",
                                                             "1-2-3-2", "1-3-5-8", "1-3-5-7"};

const char* const kProgressions[PROGRESSION_LAST + 1] = {
    "None",
    "V-I-V-I",
    "II-V-II-V",
    "II-V-I-I",
    "I-V-IV-V",
    "I-VI-II-V",
    "I-VI-IV-V",
    "I-II-IV-V",
    "I-IV-I-V",
    "I-VI-V-I",
    "I-V-VI-III",
    "V-IV-I-I",
    "I-I-IV-I",
    "I-III-IV-VI",
    "I-III-V-V",
    "I-III-IV-VI  I-III-V-V",
    "I-III-IV-VI  I-V-I-V",
    "12-bar Blues 1",
    "12-bar Blues 2",
    "Generate",
    "Random",
};

}  // namespace

const KEY_ENTRY* FindKeyEntry(int id) {
    return id >= KEY_FIRST && id <= KEY_LAST ? &kKeys[id - 1] : nullptr;
}

const SCALE_ENTRY* FindScaleEntry(int id) {
    if (id >= KEY_FIRST && id <= KEY_LAST) {
        return &GetKeyScales()[id - 1];
    }
    return id >= SCALE_FIRST && id <= SCALE_LAST ? &kScales[id - SCALE_FIRST] : nullptr;
}

const CHORD_TYPE_ENTRY* FindChordTypeEntry(int id) {
    return id >= 1 && id <= CHORD_TYPE_COUNT ? &kChordTypes[id - 1] : nullptr;
}

const CHORD_GROUP_ENTRY* FindChordGroupEntry(int id) {
    return id >= 1 && id <= CHORD_GROUP_COUNT ? &kChordGroups[id - 1] : nullptr;
}

const char* FindMelodicPatternName(int id) {
    return id >= 1 && id <= MELODIC_PATTERN_COUNT ? kMelodicPatterns[id - 1] : nullptr;
}

const char* FindProgressionName(int id) {
    return id >= 0 && id <= PROGRESSION_LAST ? kProgressions[id] : nullptr;
}
