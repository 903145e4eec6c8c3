#include "midi/GeneralMidi.h"

#include "theory/Note.h"

namespace {

// Things of the drum pieces that the theory enumeration leaves unnamed.
constexpr int kTom2 = THING_TOM_1 + 1;
constexpr int kTom3 = THING_TOM_1 + 2;
constexpr int kTom4 = THING_TOM_1 + 3;
constexpr int kTom5 = THING_TOM_1 + 4;
constexpr int kTom6 = THING_TOM_1 + 5;
constexpr int kCrashCymbal2 = THING_CRASH_CYMBAL_1 + 1;

const char* const kProgramNames[CGeneralMidi::kProgramCount] = {
    "Acoustic Grand Piano",
    "Bright Acoustic Piano",
    "Electric Grand Piano",
    "Honky-tonk Piano",
    "Electric Piano 1",
    "Electric Piano 2",
    "Harpsichord",
    "Clavi",
    "Celesta",
    "Glockenspiel",
    "Music Box",
    "Vibraphone",
    "Marimba",
    "Xylophone",
    "Tubular Bells",
    "Dulcimer",
    "Drawbar Organ",
    "Percussive Organ",
    "Rock Organ",
    "Church Organ",
    "Reed Organ",
    "Accordion",
    "Harmonica",
    "Tango Accordion",
    "Acoustic Guitar (nylon)",
    "Acoustic Guitar (steel)",
    "Electric Guitar (jazz)",
    "Electric Guitar (clean)",
    "Electric Guitar (muted)",
    "Overdriven Guitar",
    "Distortion Guitar",
    "Guitar harmonics",
    "Acoustic Bass",
    "Electric Bass (finger)",
    "Electric Bass (pick)",
    "Fretless Bass",
    "Slap Bass 1",
    "Slap Bass 2",
    "Synth Bass 1",
    "Synth Bass 2",
    "Violin",
    "Viola",
    "Cello",
    "Contrabass",
    "Tremolo Strings",
    "Pizzicato Strings",
    "Orchestral Harp",
    "Timpani",
    "String Ensemble 1",
    "String Ensemble 2",
    "SynthStrings 1",
    "SynthStrings 2",
    "Choir Aahs",
    "Voice Oohs",
    "Synth Voice",
    "Orchestra Hit",
    "Trumpet",
    "Trombone",
    "Tuba",
    "Muted Trumpet",
    "French Horn",
    "Brass Section",
    "SynthBrass 1",
    "SynthBrass 2",
    "Soprano Sax",
    "Alto Sax",
    "Tenor Sax",
    "Baritone Sax",
    "Oboe",
    "English Horn",
    "Bassoon",
    "Clarinet",
    "Piccolo",
    "Flute",
    "Recorder",
    "Pan Flute",
    "Blown Bottle",
    "Shakuhachi",
    "Whistle",
    "Ocarina",
    "Lead 1 (square)",
    "Lead 2 (sawtooth)",
    "Lead 3 (calliope)",
    "Lead 4 (chiff)",
    "Lead 5 (charang)",
    "Lead 6 (voice)",
    "Lead 7 (fifths)",
    "Lead 8 (bass + lead)",
    "Pad 1 (new age)",
    "Pad 2 (warm)",
    "Pad 3 (polysynth)",
    "Pad 4 (choir)",
    "Pad 5 (bowed)",
    "Pad 6 (metallic)",
    "Pad 7 (halo)",
    "Pad 8 (sweep)",
    "FX 1 (rain)",
    "FX 2 (soundtrack)",
    "FX 3 (crystal)",
    "FX 4 (atmosphere)",
    "FX 5 (brightness)",
    "FX 6 (goblins)",
    "FX 7 (echoes)",
    "FX 8 (sci-fi)",
    "Sitar",
    "Banjo",
    "Shamisen",
    "Koto",
    "Kalimba",
    "Bag pipe",
    "Fiddle",
    "Shanai",
    "Tinkle Bell",
    "Agogo",
    "Steel Drums",
    "Woodblock",
    "Taiko Drum",
    "Melodic Tom",
    "Synth Drum",
    "Reverse Cymbal",
    "Guitar Fret Noise",
    "Breath Noise",
    "Seashore",
    "Bird Tweet",
    "Telephone Ring",
    "Helicopter",
    "Applause",
    "Gunshot",
};

struct DRUM_KEY {
    const char* name;
    int thing;
};

// Indexed by note - kFirstDrumNote.
const DRUM_KEY kDrumKeys[] = {
    {"High Q", THING_NONE},                      // 27
    {"Slap", THING_NONE},                        // 28
    {"Scratch1", THING_NONE},                    // 29
    {"Scratch2", THING_NONE},                    // 30
    {"Sticks", THING_NONE},                      // 31
    {"Square", THING_NONE},                      // 32
    {"Metronome1", THING_NONE},                  // 33
    {"Metronome2", THING_NONE},                  // 34
    {"Bass Drum 2", THING_BASS_DRUM_2},          // 35
    {"Bass Drum 1", THING_BASS_DRUM_1},          // 36
    {"Side Stick", THING_NONE},                  // 37
    {"Snare 1", THING_SNARE_DRUM},               // 38
    {"Hand Clap", THING_NONE},                   // 39
    {"Snare 2", THING_SNARE_DRUM},               // 40
    {"Low Tom 2", kTom6},                        // 41
    {"Closed Hi-Hat", THING_HI_HAT_CLOSED},      // 42
    {"Low Tom 1", kTom5},                        // 43
    {"Pedal Hi-Hat", THING_HI_HAT_FOOT},         // 44
    {"Mid Tom 2", kTom4},                        // 45
    {"Open Hi-Hat", THING_HI_HAT_OPEN},          // 46
    {"Mid Tom 1", kTom3},                        // 47
    {"High Tom 2", kTom2},                       // 48
    {"Crash Cymbal 1", THING_CRASH_CYMBAL_1},    // 49
    {"High Tom 1", THING_TOM_1},                 // 50
    {"Ride Cymbal 1", THING_RIDE_CYMBAL},        // 51
    {"Chinese Cymbal", THING_CHINESE_CYMBAL_1},  // 52
    {"Ride Bell", THING_RIDE_BELL},              // 53
    {"Tambourine", THING_NONE},                  // 54
    {"Splash Cymbal", THING_SPLASH_CYMBAL_1},    // 55
    {"Cowbell", THING_NONE},                     // 56
    {"Crash Cymbal 2", kCrashCymbal2},           // 57
    {"Vibra Slap", THING_NONE},                  // 58
    {"Ride Cymbal 2", THING_NONE},               // 59
    {"Hi Bongo", THING_NONE},                    // 60
    {"Low Bongo", THING_NONE},                   // 61
    {"Mute Hi Conga", THING_NONE},               // 62
    {"Open Hi Conga", THING_NONE},               // 63
    {"Low Conga", THING_NONE},                   // 64
    {"High Timbale", THING_NONE},                // 65
    {"Low Timbale", THING_NONE},                 // 66
    {"High Agogo", THING_NONE},                  // 67
    {"Low Agogo", THING_NONE},                   // 68
    {"Cabasa", THING_NONE},                      // 69
    {"Maracas", THING_NONE},                     // 70
    {"Short Whistle", THING_NONE},               // 71
    {"Long Whistle", THING_NONE},                // 72
    {"Short Guiro", THING_NONE},                 // 73
    {"Long Guiro", THING_NONE},                  // 74
    {"Claves", THING_NONE},                      // 75
    {"Hi Wood Block", THING_NONE},               // 76
    {"Low Wood Block", THING_NONE},              // 77
    {"Mute Cuica", THING_NONE},                  // 78
    {"Open Cuica", THING_NONE},                  // 79
    {"Mute Triangle", THING_NONE},               // 80
    {"Open Triangle", THING_NONE},               // 81
    {"Shaker", THING_NONE},                      // 82
    {"Jingle Bell", THING_NONE},                 // 83
    {"Belltree", THING_NONE},                    // 84
    {"Castanets", THING_NONE},                   // 85
    {"Mute Surdo", THING_NONE},                  // 86
    {"Open Surdo", THING_NONE},                  // 87
};

struct NAMED {
    int key;
    const char* name;
};

// Controllers with a name of their own; the others from 9 to 120 are
// "Control <n> (0-127)", and 3 has none.
const NAMED kControllerNames[] = {
    {0, "Bank Select"},
    {1, "Modulation"},
    {2, "Breath Controller"},
    {4, "Foot Controller"},
    {5, "Portamento Time"},
    {6, "Data Entry (MSB)"},
    {7, "Main Volume"},
    {8, "Balance"},
    {10, "Pan"},
    {11, "Expression Controller"},
    {12, "Effect Control 1"},
    {13, "Effect Control 2"},
    {16, "Guitar tab - string number"},
    {17, "Guitar tab - fret number"},
    {18, "Guitar tab - finger number"},
    {19, "Guitar tab - playing mode"},
    {64, "Damper pedal (sustain)"},
    {65, "Portamento"},
    {66, "Sostenuto"},
    {67, "Soft Pedal"},
    {68, "Legato Footswitch"},
    {69, "Hold 2"},
    {70, "Sound Controller 1 (Timber Variation)"},
    {71, "Sound Controller 2 (Timber/Harmonic Content)"},
    {72, "Sound Controller 3 (Release Time)"},
    {73, "Sound Controller 4 (Attack Time)"},
    {74, "Sound Controller 5"},
    {75, "Sound Controller 6"},
    {76, "Sound Controller 7"},
    {77, "Sound Controller 8"},
    {78, "Sound Controller 9"},
    {79, "Sound Controller 10"},
    {80, "Chord type"},
    {81, "Chord root"},
    {82, "General-Purpose Controller 7"},
    {83, "General-Purpose Controller 8"},
    {84, "Portamento Control"},
    {91, "Effects 1 Depth"},
    {92, "Effects 2 Depth"},
    {93, "Effects 3 Depth"},
    {94, "Effects 4 Depth"},
    {95, "Effects 5 Depth"},
    {96, "Data Increment"},
    {97, "Data Decrement"},
    {98, "Non-Registered Parameter Number (LSB)"},
    {99, "Non-Registered Parameter Number (MSB)"},
    {100, "Registered Parameter Number (LSB)"},
    {101, "Registered Parameter Number (MSB)"},
    {121, "Channel Mode Message: Reset All Controllers"},
    {122, "Channel Mode Message: Local Control"},
    {123, "Channel Mode Message: All Notes Off"},
    {124, "Channel Mode Message: Omni Off"},
    {125, "Channel Mode Message: Omni On"},
    {126, "Channel Mode Message: Mono On (Poly Off)"},
    {127, "Channel Mode Message: Poly On (Mono Off)"},
};

const NAMED kShortDrumNames[] = {
    {THING_BASS_DRUM_1, "Bass"},
    {THING_BASS_DRUM_2, "Bass"},
    {THING_HI_HAT_OPEN, "Hi-hat"},
    {THING_HI_HAT_CLOSED, "Hi-hat"},
    {THING_HI_HAT_BOTTOM, "Hi-hat"},
    {THING_HI_HAT_FOOT, "Foot Hat"},
    {THING_SNARE_DRUM, "Snare"},
    {THING_TOM_1, "Tom 1"},
    {kTom2, "Tom 2"},
    {kTom3, "Tom 3"},
    {kTom4, "Tom 4"},
    {kTom5, "Tom 5"},
    {kTom6, "Tom 6"},
    {THING_OCTOBAN_1, "Octoban 1"},
    {THING_OCTOBAN_1 + 1, "Octoban 2"},
    {THING_OCTOBAN_1 + 2, "Octoban 3"},
    {THING_OCTOBAN_1 + 3, "Octoban 4"},
    {THING_OCTOBAN_1 + 4, "Octoban 5"},
    {THING_OCTOBAN_1 + 5, "Octoban 6"},
    {THING_RIDE_CYMBAL, "Ride"},
    {THING_RIDE_BELL, "Ride (bell)"},
    {THING_CRASH_CYMBAL_1, "Crash 1"},
    {kCrashCymbal2, "Crash 2"},
    {THING_CRASH_CYMBAL_1 + 2, "Crash 3"},
    {THING_CRASH_CYMBAL_1 + 3, "Crash 4"},
    {THING_SPLASH_CYMBAL_1, "Splash 1"},
    {THING_SPLASH_CYMBAL_1 + 1, "Splash 2"},
    {THING_CHINESE_CYMBAL_1, "Chinese 1"},
    {THING_CHINESE_CYMBAL_2, "Chinese 2"},
};

int ProgramThing(int program) {
    if (program >= 24 && program <= 28) {
        return THING_RHYTHM_GUITAR;
    }
    if (program == 29 || program == 31) {
        return THING_LEAD_GUITAR;
    }
    if (program == 30) {
        return THING_SOLO_GUITAR;
    }
    if (program >= 32 && program <= 39) {
        return THING_BASS_GUITAR;
    }
    return THING_NONE;
}

const char* FindName(const NAMED* table, size_t count, int key) {
    for (size_t i = 0; i < count; ++i) {
        if (table[i].key == key) {
            return table[i].name;
        }
    }
    return nullptr;
}

template <size_t N>
const char* FindName(const NAMED (&table)[N], int key) {
    return FindName(table, N, key);
}

}  // namespace

bool CGeneralMidi::GetProgram(int program, CCharString& name, int& thing, CCharString& error) {
    if (program < 0 || program >= kProgramCount) {
        name.Empty();
        thing = THING_NONE;
        error.Format("Unknown program %d (1-128 range)", program);
        return true;
    }
    name = kProgramNames[program];
    thing = ProgramThing(program);
    return true;
}

bool CGeneralMidi::GetControllerName(int controller, CCharString& name, CCharString& error) {
    const char* known = nullptr;
    if (controller >= 0 && controller < kControllerCount) {
        known = FindName(kControllerNames, controller);
    }
    if (known != nullptr) {
        name = known;
    } else if (controller >= 9 && controller <= 120) {
        name.Format("Control %d (0-127)", controller);
    } else {
        name.Format("Unknown conrol %d", controller);
        error = name;
    }
    return true;
}

bool CGeneralMidi::GetDrumNote(int note, CCharString& name, int& thing) {
    thing = THING_NONE;
    if (note < kFirstDrumNote || note > kLastDrumNote) {
        name.Empty();
        return false;
    }
    const DRUM_KEY& key = kDrumKeys[note - kFirstDrumNote];
    name = key.name;
    thing = key.thing;
    return thing != THING_NONE;
}

int CGeneralMidi::GetDrumThing(int note) {
    if (note < kFirstDrumNote || note > kLastDrumNote) {
        return THING_NONE;
    }
    return kDrumKeys[note - kFirstDrumNote].thing;
}

bool CGeneralMidi::GetDrumNoteOf(int thing, int& note) {
    note = kNoDrumNote;
    if (thing == THING_NONE) {
        return false;
    }
    // The first key of a piece wins: the snare drum (38 and 40) writes as 38.
    for (int key = kFirstDrumNote; key <= kLastDrumNote; ++key) {
        if (kDrumKeys[key - kFirstDrumNote].thing == thing) {
            note = key;
            return true;
        }
    }
    return false;
}

bool CGeneralMidi::GetShortDrumName(int thing, CCharString& name) {
    const char* known = FindName(kShortDrumNames, thing);
    if (known == nullptr) {
        name.Format("Drum %d", thing);
        return false;
    }
    name = known;
    return true;
}
