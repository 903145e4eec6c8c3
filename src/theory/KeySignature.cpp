#include "theory/KeySignature.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "theory/NoteManager.h"

namespace {

constexpr int kOctave = 12;
constexpr int kHalfOctave = 6;
// Semitones of the naturals C D E F G A B above C.
constexpr int kNaturalPitch[CKeySignature::kLetterCount] = {0, 2, 4, 5, 7, 9, 11};
// Letters in the order sharps are added, F C G D A E B; flats go backwards.
constexpr int kSharpOrder[CKeySignature::kLetterCount] = {3, 0, 4, 1, 5, 2, 6};
// The naturals of the sharps (F5 C5 G5 D5 A4 E5 B4) and of the flats (B4
// E5 A4 D5 G4 C5 F4) on the treble staff; the bass staff's lie two octaves
// lower.
constexpr int kTrebleSharps[CKeySignature::kMaxAccidentals] = {77, 72, 79, 74, 69, 76, 71};
constexpr int kTrebleFlats[CKeySignature::kMaxAccidentals] = {71, 76, 69, 74, 67, 72, 65};
constexpr int kBassBelowTreble = 2 * kOctave;
// The heptatonic scales lay seven degrees with six steps.
constexpr int kHeptatonicSteps = 6;

// Scales written in a key, by name, and whether the key is minor.
struct KEYED_SCALE {
    const char* name;
    bool minor;
};
const KEYED_SCALE kKeyedScales[] = {
    {"Major", false},        {"Ionian", false},          {"Pentatonic major", false},
    {"Natural minor", true}, {"Aeolian", true},          {"Harmonic minor", true},
    {"Melodic minor", true}, {"Pentatonic minor", true}, {"Melodic minor (descending)", true},
};

int PitchClass(int midiNote) {
    return ((midiNote % kOctave) + kOctave) % kOctave;
}

// Semitones from a to b, the shortest way round the octave (-6..5).
int Distance(int a, int b) {
    const int up = PitchClass(b - a);
    return up >= kHalfOctave ? up - kOctave : up;
}

bool FindKeyMode(int scaleId, bool& minor) {
    CCharString name;
    if (!CNoteManager::GetScaleName(scaleId, name)) {
        return false;
    }
    for (const KEYED_SCALE& scale : kKeyedScales) {
        if (std::strcmp(name.GetText(), scale.name) == 0) {
            minor = scale.minor;
            return true;
        }
    }
    return false;
}

bool IsMinorKey(int keyId) {
    return keyId % 2 == 0;  // the key table alternates major and minor
}

// The key of a tonic with the fewest accidentals; 0 for none.
int KeyOfRoot(int root, bool minor) {
    int best = 0, fewest = CKeySignature::kMaxAccidentals + 1;
    for (int id = KEY_FIRST; id <= KEY_LAST; ++id) {
        const KEY_ENTRY* key = FindKeyEntry(id);
        int accidentals = 0;
        if (IsMinorKey(id) == minor && PitchClass(key->root) == PitchClass(root) &&
            CNoteManager::GetKeySignature(id, accidentals) && std::abs(accidentals) < fewest) {
            best = id;
            fewest = std::abs(accidentals);
        }
    }
    return best;
}

// The letter of the natural a key's tonic is written on.
int TonicLetter(const KEY_ENTRY& key) {
    const int written = key.accidental == ACCIDENTAL_SHARP  ? key.root - 1
                        : key.accidental == ACCIDENTAL_FLAT ? key.root + 1
                                                            : key.root;
    return CKeySignature::GetLetter(written);
}

}  // namespace

void CKeySignature::Reset() {
    m_keyId = 0;
    m_accidentals = 0;
    m_spelling.fill(SPELLING());
}

bool CKeySignature::SetScale(int scaleId, int root) {
    Reset();
    if (root < 0 || root >= NOTE_COUNT) {
        return false;
    }
    int keyId = 0;
    bool minor = false;
    if (FindKeyEntry(scaleId) != nullptr) {
        keyId = scaleId;
    } else if (FindKeyMode(scaleId, minor)) {
        keyId = KeyOfRoot(root, minor);
    }
    if (keyId == 0 || !SetKey(keyId)) {
        Reset();
        return false;
    }
    const int tonicLetter = TonicLetter(*FindKeyEntry(keyId));
    if (tonicLetter < 0) {
        Reset();
        return false;
    }
    SpellDegrees(scaleId, root, tonicLetter);
    return true;
}

bool CKeySignature::SetSignature(int accidentals, bool minor) {
    Reset();
    int keyId = 0;
    for (int id = KEY_FIRST; id <= KEY_LAST && keyId == 0; ++id) {
        int signature = 0;
        if (IsMinorKey(id) == minor && CNoteManager::GetKeySignature(id, signature) &&
            signature == accidentals) {
            keyId = id;
        }
    }
    if (keyId == 0 || !SetKey(keyId)) {
        Reset();
        return false;
    }
    if (minor) {
        // The leading note a semitone under the tonic, on the letter below
        // the tonic's.
        const KEY_ENTRY& key = *FindKeyEntry(keyId);
        const int letter = (TonicLetter(key) + kLetterCount - 1) % kLetterCount;
        const int leading = key.root - 1;
        const int alteration = Distance(kNaturalPitch[letter], leading);
        if (std::abs(alteration) <= 1) {
            m_spelling[static_cast<size_t>(PitchClass(leading))] = {letter, alteration};
        }
    }
    return true;
}

int CKeySignature::FitSignature(const std::vector<int>& midiNotes) {
    constexpr int kMajorSteps[kLetterCount] = {0, 2, 4, 5, 7, 9, 11};
    constexpr int kFifth = 7;
    constexpr int kWidest = 6;
    int best = 0, bestCount = -1;
    // Fewer accidentals first, so that the first best is the simplest.
    for (int size = 0; size <= kWidest; ++size) {
        for (const int accidentals : {size, -size}) {
            const int root = PitchClass(accidentals * kFifth);
            int count = 0;
            for (const int note : midiNotes) {
                const int step = PitchClass(note - root);
                count += std::find(std::begin(kMajorSteps), std::end(kMajorSteps), step) !=
                                 std::end(kMajorSteps)
                             ? 1
                             : 0;
            }
            if (count > bestCount) {
                best = accidentals;
                bestCount = count;
            }
        }
    }
    return best;
}

bool CKeySignature::SetKey(int keyId) {
    if (!CNoteManager::GetKeySignature(keyId, m_accidentals)) {
        return false;
    }
    m_keyId = keyId;
    for (int pc = 0; pc < kOctave; ++pc) {
        SPELLING& spelling = m_spelling[static_cast<size_t>(pc)];
        const int letter = GetLetter(pc);
        if (letter >= 0) {
            spelling = {letter, 0};
        } else if (m_accidentals >= 0) {
            spelling = {GetLetter(pc - 1), 1};
        } else {
            spelling = {GetLetter(pc + 1), -1};
        }
    }
    // The key's own seven notes, as its signature writes them.
    for (int letter = 0; letter < kLetterCount; ++letter) {
        const int alteration = GetLetterAlteration(m_accidentals, letter);
        m_spelling[static_cast<size_t>(PitchClass(kNaturalPitch[letter] + alteration))] = {
            letter, alteration};
    }
    return true;
}

void CKeySignature::SpellDegrees(int scaleId, int root, int rootLetter) {
    const SCALE_ENTRY* scale = FindScaleEntry(scaleId);
    if (scale == nullptr || scale->stepCount != kHeptatonicSteps) {
        return;  // a pentatonic scale keeps the spelling of its key
    }
    // Each degree takes the next letter; a raised or lowered degree (the
    // leading note of harmonic minor) keeps it with its accidental.
    int pitch = root;
    for (int degree = 0; degree <= kHeptatonicSteps; ++degree) {
        const int letter = (rootLetter + degree) % kLetterCount;
        const int alteration = Distance(kNaturalPitch[letter], pitch);
        if (std::abs(alteration) <= 1) {
            m_spelling[static_cast<size_t>(PitchClass(pitch))] = {letter, alteration};
        }
        if (degree < kHeptatonicSteps) {
            pitch += scale->steps[degree];
        }
    }
}

bool CKeySignature::Spell(int midiNote, int& writtenNote, int& alteration) const {
    if (!IsSet()) {
        return false;
    }
    alteration = m_spelling[static_cast<size_t>(PitchClass(midiNote))].alteration;
    writtenNote = midiNote - alteration;
    return true;
}

int CKeySignature::GetLetterAlteration(int accidentals, int letter) {
    const int* at = std::find(kSharpOrder, kSharpOrder + kLetterCount, letter);
    if (at == kSharpOrder + kLetterCount) {
        return 0;
    }
    const int sharpPlace = static_cast<int>(at - kSharpOrder);
    if (accidentals > 0 && sharpPlace < accidentals) {
        return 1;
    }
    if (accidentals < 0 && kLetterCount - 1 - sharpPlace < -accidentals) {
        return -1;
    }
    return 0;
}

int CKeySignature::GetLetter(int midiNote) {
    const int pc = PitchClass(midiNote);
    for (int letter = 0; letter < kLetterCount; ++letter) {
        if (kNaturalPitch[letter] == pc) {
            return letter;
        }
    }
    return -1;
}

std::vector<int> CKeySignature::GetSignatureNotes(int accidentals, bool treble) {
    const int count = std::min(std::abs(accidentals), kMaxAccidentals);
    const int* naturals = accidentals > 0 ? kTrebleSharps : kTrebleFlats;
    std::vector<int> notes;
    for (int i = 0; i < count; ++i) {
        notes.push_back(naturals[i] - (treble ? 0 : kBassBelowTreble));
    }
    return notes;
}
