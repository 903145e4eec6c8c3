#include "theory/PitchTable.h"

#include <array>
#include <cmath>

#include "theory/Note.h"

namespace {

constexpr int kSemitonesPerOctave = 12;
constexpr int kA4 = 69;
constexpr double kA4Frequency = 440.0;
constexpr int kMiddleC = 60;
// Each band reaches half a semitone (50 cents) either side of its note, so a
// tone is always given the nearest note.
constexpr double kHalfBand = 0.5;
// Black keys in C major; each is spelled as the sharp of the white key below.
constexpr bool kBlackKey[kSemitonesPerOctave] = {false, true,  false, true,  false, false,
                                                 true,  false, true,  false, true,  false};

double NominalFrequency(double semitonesFromA4) {
    return static_cast<float>(kA4Frequency * std::pow(2.0, semitonesFromA4 / kSemitonesPerOctave));
}

using TABLE = std::array<CPitchTable::ENTRY, NOTE_COUNT>;

void AssignFrequencies(TABLE& table) {
    for (int n = 0; n < NOTE_COUNT; ++n) {
        CPitchTable::ENTRY& entry = table[n];
        const int pitchClass = n % kSemitonesPerOctave;
        const double semitones = n - kA4;
        entry.frequency = NominalFrequency(semitones);
        // Neighbouring bands touch: the low bound of a note is the high bound
        // of the note below.
        entry.bandLow = n == 0 ? NominalFrequency(semitones - kHalfBand) : table[n - 1].bandHigh;
        entry.bandHigh = NominalFrequency(semitones + kHalfBand);
        entry.octave = n / kSemitonesPerOctave - 1;
        entry.black = kBlackKey[pitchClass];
        entry.name = GetSharpName(pitchClass);
        entry.flatName = GetFlatName(pitchClass);
    }
}

// Middle C and above on the treble staff, the rest on the bass staff; each
// white key half a line above the one below, a black key in the place of
// the natural below it on the treble staff and above it on the bass staff.
void AssignStaffPositions(TABLE& table) {
    float position = -1.5f;
    for (int n = kMiddleC; n < NOTE_COUNT; ++n) {
        if (!table[n].black) {
            position += 0.5f;
        }
        table[n].staff = 1;
        table[n].staffPosition = position;
    }
    position = 5.0f;
    for (int n = kMiddleC - 1; n >= 0; --n) {
        if (!table[n].black) {
            position -= 0.5f;
        } else {
            position = table[n + 1].staffPosition;
        }
        table[n].staff = 0;
        table[n].staffPosition = position;
    }
}

const TABLE& Table() {
    static const TABLE table = [] {
        TABLE built;
        AssignFrequencies(built);
        AssignStaffPositions(built);
        return built;
    }();
    return table;
}

}  // namespace

const CPitchTable::ENTRY* CPitchTable::Get(int midiNote) {
    return midiNote >= 0 && midiNote < NOTE_COUNT ? &Table()[midiNote] : nullptr;
}

const CCharString& CPitchTable::GetName(int code) {
    static const CCharString none;
    static const CCharString chord("Chord");
    if (const ENTRY* entry = Get(code)) {
        return entry->name;
    }
    return code == NOTE_CHORD ? chord : none;
}

const CCharString& CPitchTable::GetFlatName(int code) {
    static const CCharString none;
    static const CCharString chord("Chord");
    if (const ENTRY* entry = Get(code)) {
        return entry->flatName;
    }
    return code == NOTE_CHORD ? chord : none;
}
