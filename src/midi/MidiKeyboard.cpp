#include "midi/MidiKeyboard.h"

#include <cctype>
#include <cstring>

#include "midi/GeneralMidi.h"
#include "songs/Mix.h"

namespace {

constexpr int kRows = 4;
constexpr int kColumns = 12;

// The four rows of keys, twelve positions each ('\0' for an empty one).
const char kLayout[kRows][kColumns + 1] = {
    "1234567890-=",
    "QWERTYUIOP[]",
    "ASDFGHJKL;'",
    "ZXCVBNM,./",
};

const int kGuitarNotes[kRows][kColumns] = {
    {56, 58, 0, 61, 63, 0, 66, 68, 70, 0, 73, 75},
    {57, 59, 60, 62, 64, 65, 67, 69, 71, 72, 74, 76},
    {0, 0, 42, 44, 46, 0, 49, 51, 0, 54, 0, 0},
    {40, 41, 43, 45, 47, 48, 50, 52, 53, 55, 0, 0},
};

const int kMelodicNotes[kRows][kColumns] = {
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 0, 61, 63, 0, 0, 0, 66, 68, 70, 0, 0},
    {0, 60, 62, 64, 0, 0, 65, 67, 69, 71, 0, 0},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
};

// The bass plays the melodic layout an octave down, and only its notes
// below this one.
constexpr int kBassLimit = 62;

struct DRUM_KEYS {
    const char* keys;
    int piece;
};

const DRUM_KEYS kDrumKeys[] = {
    {" LS", THING_BASS_DRUM_1},
    {",X", THING_CRASH_CYMBAL_1},
    {".Z", THING_CRASH_CYMBAL_1 + 1},  // Crash cymbal 2
    {"58", THING_CHINESE_CYMBAL_1},
    {"67", THING_SPLASH_CYMBAL_1},
    {";A", THING_HI_HAT_OPEN},
    {"CM", THING_RIDE_CYMBAL},
    {"DK", THING_SNARE_DRUM},
    {"EO", THING_TOM_1 + 2},  // Tom 3
    {"FJ", THING_HI_HAT_CLOSED},
    {"GH", THING_HI_HAT_FOOT},
    {"IR", THING_TOM_1 + 1},  // Tom 2
    {"NV", THING_RIDE_BELL},
    {"PW", THING_TOM_1 + 3},  // Tom 4
    {"TU", THING_TOM_1},
};

// Keys of the right and the left half of the keyboard, for drum hands.
const char kRightHandKeys[] = ",.0789;HIJKLMNOPU[";
const char kLeftHandKeys[] = "3456ACDEFGQRSTVWXZ";

bool Find(char key, int& row, int& column) {
    for (row = 0; row < kRows; ++row) {
        const char* found = key != '\0' ? std::strchr(kLayout[row], key) : nullptr;
        if (found != nullptr) {
            column = static_cast<int>(found - kLayout[row]);
            return true;
        }
    }
    return false;
}

int DrumPieceOf(char key) {
    for (const DRUM_KEYS& drum : kDrumKeys) {
        if (key != '\0' && std::strchr(drum.keys, key) != nullptr) {
            return drum.piece;
        }
    }
    return THING_NONE;
}

int HandOf(char key, int piece) {
    if (piece == THING_BASS_DRUM_1) {
        return THING_RIGHT_FOOT;
    }
    if (piece == THING_BASS_DRUM_2 || piece == THING_HI_HAT_FOOT) {
        return THING_LEFT_FOOT;
    }
    if (std::strchr(kRightHandKeys, key) != nullptr) {
        return THING_RIGHT_HAND;
    }
    if (std::strchr(kLeftHandKeys, key) != nullptr) {
        return THING_LEFT_HAND;
    }
    return THING_NONE;
}

char Normalize(char key) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
}

}  // namespace

int CMidiKeyboard::MapKey(char key, int instrument) {
    key = Normalize(key);
    if (instrument == THING_DRUM_SET) {
        int note = 0;
        return CGeneralMidi::GetDrumNoteOf(DrumPieceOf(key), note) ? note : 0;
    }
    int row = 0;
    int column = 0;
    if (!Find(key, row, column)) {
        return 0;
    }
    switch (instrument) {
        case THING_RHYTHM_GUITAR:
            return NOTE_CHORD;  // strums the current chord
        case THING_GUITAR:
            return kGuitarNotes[row][column];
        case THING_BASS_GUITAR: {
            const int note = kMelodicNotes[row][column];
            return note != 0 && note < kBassLimit ? note - 12 : 0;
        }
        default:
            return kMelodicNotes[row][column];
    }
}

char CMidiKeyboard::FindKey(int midiNote, int instrument) {
    if (midiNote <= 0) {
        return '\0';
    }
    for (const char* row : kLayout) {
        for (const char* key = row; *key != '\0'; ++key) {
            if (MapKey(*key, instrument) == midiNote) {
                return *key;
            }
        }
    }
    return '\0';
}

bool CMidiKeyboard::MakeNote(char key, float volume, CNote& note) const {
    const int midiNote = MapKey(key, m_instrument);
    if (midiNote == 0) {
        return false;
    }
    MakeSoundingNote(midiNote, volume != 0.0f, note);
    if (m_instrument == THING_DRUM_SET) {
        const char upper = Normalize(key);
        note.hand = HandOf(upper, DrumPieceOf(upper));
    }
    return true;
}

void CMidiKeyboard::MakeSoundingNote(int midiNote, bool on, CNote& note) const {
    note = CNote();
    note.midiNote = static_cast<uint8_t>(midiNote);
    note.source = SOURCE_COMPUTER_KEYBOARD;
    note.thing = m_instrument;
    note.volume = kKeyVolume;
    note.pan = 0.0f;
    if (m_mix != nullptr && m_mix->GetEntries().count(m_instrument) != 0) {
        m_mix->Get(m_instrument, note.volume, note.pan);
    }
    if (!on) {
        note.volume = 0.0f;
    }
    // A press starts the note, a release ends it; a drum's hit rings on.
    note.eventKind = on ? EVENT_NOTE_START : EVENT_NOTE_END;
    if (m_instrument == THING_DRUM_SET) {
        note.duration = kDrumDuration;
        note.eventKind = EVENT_KEEP;
    }
}

bool CMidiKeyboard::KeyDown(char key, bool repeat, CNote& note) const {
    return !repeat && MakeNote(key, kKeyVolume, note);
}

bool CMidiKeyboard::KeyUp(char key, CNote& note) const {
    return MakeNote(key, 0.0f, note);
}
