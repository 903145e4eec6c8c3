#include "theory/NoteManager.h"

#include <cmath>
#include <cstring>

#include "theory/GuitarFingering.h"

namespace {

// Degree of each pitch class in C major; 0 for a black key.
const int kDegreeRow[12] = {1, 0, 2, 0, 3, 4, 0, 5, 0, 6, 0, 7};
// Semitones of each major-scale degree above the root.
const int kMajorDegreeSemitones[7] = {0, 2, 4, 5, 7, 9, 11};

template <typename Lookup>
bool FindByName(const char* name, int first, int last, int& id, Lookup lookup) {
    id = 0;
    if (name == nullptr) {
        return false;
    }
    for (int i = first; i <= last; ++i) {
        const char* candidate = lookup(i);
        if (candidate != nullptr && std::strcmp(candidate, name) == 0) {
            id = i;
            return true;
        }
    }
    return false;
}

bool SetName(const char* text, CCharString& name) {
    if (text == nullptr) {
        name.Empty();
        return false;
    }
    name = text;
    return true;
}

const char* ScaleNameOf(int id) {
    const SCALE_ENTRY* entry = FindScaleEntry(id);
    return entry ? entry->name : nullptr;
}

const char* ChordTypeNameOf(int id) {
    const CHORD_TYPE_ENTRY* entry = FindChordTypeEntry(id);
    return entry ? entry->longName : nullptr;
}

const char* ChordGroupNameOf(int id) {
    const CHORD_GROUP_ENTRY* entry = FindChordGroupEntry(id);
    return entry ? entry->name : nullptr;
}

}  // namespace

CNoteManager::CNoteManager() : m_table(NOTE_COUNT, true) {}

bool CNoteManager::SetError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    m_error.FormatV(format, args);
    va_end(args);
    return false;
}

bool CNoteManager::Init() {
    if (!BuildTable()) {
        m_table.RemoveAll();
        return SetError("Can't get frequencies for all notes");
    }
    return true;
}

bool CNoteManager::BuildTable() {
    m_table.RemoveAll();
    int lastWhiteDegree = 1;
    for (int n = 0; n < NOTE_COUNT; ++n) {
        const int pitchClass = n % 12;
        CNote note;
        note.Reset();
        note.SetTablePitch(n);
        note.midiNote = static_cast<uint8_t>(n);
        note.interval = static_cast<int16_t>(kDegreeRow[pitchClass]);
        if (note.interval == 0) {
            note.interval = static_cast<int16_t>(lastWhiteDegree);
            note.intervalFrets = 1;
            note.accidental = ACCIDENTAL_SHARP;
        } else {
            lastWhiteDegree = note.interval;
        }
        note.ComputeWrittenNote();
        if (!(note.frequency > 0.0) || !m_table.Add(note)) {
            return false;
        }
    }
    return m_table.GetCount() == NOTE_COUNT;
}

bool CNoteManager::FillNote(CNote& note, bool withIntervals) {
    const int midi = note.midiNote;
    if (midi == NOTE_NONE) {
        return true;
    }
    if (midi == NOTE_CHORD || midi == NOTE_CODE) {
        note.SetNames(NOTE_NONE);
        return true;
    }
    if (midi >= NOTE_COUNT) {
        return SetError("MIDI note %d is not in the list", midi);
    }
    const CNote* entry = m_table.GetAt(midi);
    if (entry == nullptr) {
        return SetError("Can't get MIDI note %d from the list", midi);
    }
    note.CopyPitch(*entry, withIntervals);
    return true;
}

bool CNoteManager::FillNames(CNote& note) {
    const int midi = note.midiNote;
    if (midi == NOTE_NONE || midi == NOTE_CHORD || midi == NOTE_CODE) {
        note.SetNames(midi);  // "Chord" for the chord marker, none for the others
        return true;
    }
    if (midi >= NOTE_COUNT) {
        return SetError("MIDI note %d is not in the list", midi);
    }
    const CNote* entry = m_table.GetAt(midi);
    if (entry == nullptr) {
        return SetError("Can't get MIDI note %d from the list", midi);
    }
    note.CopyNames(*entry);
    return true;
}

bool CNoteManager::GetNoteFromFrequency(double frequency, CNote& note) {
    note.ClearOctave();
    note.midiNote = NOTE_NONE;
    note.SetNames(NOTE_NONE);
    const int count = m_table.GetCount();
    if (count == 0 || !(frequency > 0.0) || frequency > m_table.GetAt(count - 1)->frequency) {
        return SetError("Can't find a note for the frequency %.2f Hz", frequency);
    }
    int start = 0;
    for (int block = 0; block < count; block += 12) {
        if (frequency < m_table.GetAt(block)->frequency) {
            break;
        }
        start = block;
    }
    for (int i = start; i < count; ++i) {
        const CNote& entry = *m_table.GetAt(i);
        if (entry.GetBandLow() <= frequency && frequency <= entry.GetBandHigh()) {
            note = entry;
            return true;
        }
    }
    return SetError("Can't find a note for the frequency %.2f Hz", frequency);
}

bool CNoteManager::GetFirstNoteAtOrAbove(int midiNote, CNote& note) {
    for (int i = 0; i < m_table.GetCount(); ++i) {
        const CNote& entry = *m_table.GetAt(i);
        if (entry.midiNote >= midiNote) {
            if (entry.midiNote == NOTE_NONE) {
                break;
            }
            note = entry;
            return true;
        }
    }
    return SetError("Can't get MIDI note %d from the list", midiNote);
}

bool CNoteManager::RepitchNotes(CNoteList& notes) {
    for (int i = 0; i < notes.GetCount(); ++i) {
        CNote& note = *notes.GetAt(i);
        if (note.IsMarker() || note.midiNote == NOTE_CHORD || note.midiNote == NOTE_CODE) {
            continue;
        }
        if (!FillNote(note, true)) {
            return false;
        }
    }
    return true;
}

bool CNoteManager::GetScaleName(int id, CCharString& name) {
    return SetName(ScaleNameOf(id), name);
}

bool CNoteManager::FindScale(const char* name, int& id) {
    return FindByName(name, KEY_FIRST, SCALE_LAST, id, ScaleNameOf);
}

bool CNoteManager::GetChordTypeName(int id, CCharString& longName) {
    return SetName(ChordTypeNameOf(id), longName);
}

bool CNoteManager::FindChordType(const char* longName, int& id) {
    return FindByName(longName, 1, CHORD_TYPE_COUNT, id, ChordTypeNameOf);
}

bool CNoteManager::GetChordGroupName(int id, CCharString& name) {
    return SetName(ChordGroupNameOf(id), name);
}

bool CNoteManager::FindChordGroup(const char* name, int& id) {
    return FindByName(name, 1, CHORD_GROUP_COUNT, id, ChordGroupNameOf);
}

bool CNoteManager::GetMelodicPatternName(int id, CCharString& name) {
    return SetName(FindMelodicPatternName(id), name);
}

bool CNoteManager::FindMelodicPattern(const char* name, int& id) {
    return FindByName(name, 1, MELODIC_PATTERN_COUNT, id, FindMelodicPatternName);
}

bool CNoteManager::GetProgressionName(int id, CCharString& name) {
    return SetName(FindProgressionName(id), name);
}

bool CNoteManager::FindProgression(const char* name, int& id) {
    return FindByName(name, 0, PROGRESSION_LAST, id, FindProgressionName);
}

bool CNoteManager::GetChordFromType(int chordType, CChord& chord, bool setNotes) {
    const CHORD_TYPE_ENTRY* entry = FindChordTypeEntry(chordType);
    if (entry == nullptr) {
        chord.m_longName.Empty();
        chord.m_formula.Empty();
        chord.m_shortName.Empty();
        return SetError("Unknown chord type: %d", chordType);
    }
    chord.m_longName = entry->longName;
    chord.m_formula = entry->formula;
    chord.m_shortName = entry->shortName;
    if (!setNotes) {
        return true;
    }
    chord.m_notes.RemoveAll();
    for (int i = 0; i < entry->intervalCount; ++i) {
        CNote note;
        note.rootFrets = entry->intervals[i].semitones;
        note.interval = entry->intervals[i].degree;
        note.intervalFrets = 0;
        note.accidental = entry->intervals[i].alteration;
        if (!chord.m_notes.Add(note)) {
            return SetError("Can't add interval %d of chord type %d", i + 1, chordType);
        }
    }
    return true;
}

bool CNoteManager::GetChordName(int chordType, int root, CCharString& name) {
    const CHORD_TYPE_ENTRY* entry = FindChordTypeEntry(chordType);
    if (entry == nullptr || root < 0 || root >= NOTE_COUNT) {
        name.Empty();
        return false;
    }
    name = GetSharpName(root % 12);
    name.Append(entry->shortName);
    return true;
}

bool CNoteManager::GetScaleCaption(int root, int id, CCharString& caption) {
    const char* scaleName = ScaleNameOf(id);
    if (scaleName == nullptr || root < 0 || root >= NOTE_COUNT) {
        caption.Empty();
        return false;
    }
    caption.Format("%s %s", GetSharpName(root % 12), scaleName);
    return true;
}

bool CNoteManager::GetChordCaption(const char* rootName, int chordType, CCharString& caption) {
    const CHORD_TYPE_ENTRY* entry = FindChordTypeEntry(chordType);
    if (entry == nullptr) {
        caption.Empty();
        return false;
    }
    caption.Format("%s%s", rootName ? rootName : "", entry->shortName);
    return true;
}

bool CNoteManager::GetChordType(const CNoteList& notes, int& chordType) {
    chordType = 0;
    if (notes.GetCount() == 0) {
        return SetError("Can't find the chord type of an empty note list");
    }
    const int root = notes.GetAt(0)->midiNote;
    for (int type = 1; type <= CHORD_TYPE_COUNT; ++type) {
        const CHORD_TYPE_ENTRY& entry = *FindChordTypeEntry(type);
        if (entry.intervalCount != notes.GetCount()) {
            continue;
        }
        bool matches = true;
        for (int i = 0; i < entry.intervalCount && matches; ++i) {
            matches = notes.GetAt(i)->midiNote - root == entry.intervals[i].semitones;
        }
        if (matches) {
            chordType = type;
            return true;
        }
    }
    notes.Dump("CNoteManager::GetChordType");
    return true;
}

bool CNoteManager::GetSemitones(int root, int note, int& semitones) {
    if (note > 200 || note < 0 || root < 0 || root > 200) {
        return SetError("Can't find the interval from %d to %d", root, note);
    }
    while (note < root) {
        note += 12;
    }
    while (note > root + 12) {
        note -= 12;
    }
    semitones = note - root;
    return true;
}

bool CNoteManager::GetScaleSteps(int id, std::vector<int>& steps) {
    const SCALE_ENTRY* entry = FindScaleEntry(id);
    steps.clear();
    if (entry == nullptr) {
        return SetError("Unknown scale %d", id);
    }
    steps.assign(entry->steps, entry->steps + entry->stepCount);
    return true;
}

bool CNoteManager::GetModeStart(int id, int& degree, int& semitones) {
    const SCALE_ENTRY* entry = FindScaleEntry(id);
    degree = 0;
    semitones = 0;
    if (entry == nullptr) {
        return SetError("Unknown scale %d", id);
    }
    degree = entry->modeStart;
    semitones = kMajorDegreeSemitones[degree - 1];
    return true;
}

int CNoteManager::GetParentScale(int id) {
    if (id == SCALE_PENTATONIC_MAJOR) {
        return SCALE_MAJOR;
    }
    if (id == SCALE_PENTATONIC_MINOR) {
        return SCALE_NATURAL_MINOR;
    }
    return id;
}

bool CNoteManager::GetKeyRoot(int keyId, int& midiNote, int& accidental) {
    const KEY_ENTRY* entry = FindKeyEntry(keyId);
    midiNote = entry ? entry->root : 60;
    accidental = entry ? entry->accidental : ACCIDENTAL_NOT_SET;
    return entry != nullptr;
}

bool CNoteManager::GetKeySignature(int keyId, int& accidentals) {
    const KEY_ENTRY* entry = FindKeyEntry(keyId);
    accidentals = 0;
    if (entry == nullptr) {
        return false;
    }
    // The major key of the signature (the relative major of a minor key)
    // lies 7 × s semitones above C for s sharps, or below for flats.
    const bool minor = keyId % 2 == 0;
    const int majorTonic = (entry->root + (minor ? 3 : 0)) % 12;
    const int sharps = (majorTonic * 7) % 12;
    const bool flatSide = keyId > 16;
    accidentals = flatSide && sharps != 0 ? sharps - 12 : sharps;
    return true;
}

bool CNoteManager::GetKeySpelling(int keyId, std::vector<CCharString>& names) {
    static const char kLetters[] = "CDEFGAB";
    static const int kLetterPitch[7] = {0, 2, 4, 5, 7, 9, 11};
    static const char kSharpOrder[] = "FCGDAEB";
    names.clear();
    int signature = 0;
    const KEY_ENTRY* entry = FindKeyEntry(keyId);
    if (entry == nullptr || !GetKeySignature(keyId, signature)) {
        return false;
    }
    // The letter of the tonic is the natural the root is written on.
    CNote root;
    root.midiNote = static_cast<uint8_t>(entry->root);
    root.accidental = entry->accidental;
    root.ComputeWrittenNote();
    int letter = 0;
    while (kLetterPitch[letter] != root.writtenNote % 12) {
        ++letter;
    }
    for (int degree = 0; degree < 7; ++degree) {
        const char name = kLetters[(letter + degree) % 7];
        const int place = static_cast<int>(std::strchr(kSharpOrder, name) - kSharpOrder);
        CCharString text;
        text.AppendChar(name);
        if (signature > 0 && place < signature) {
            text.AppendChar('#');
        } else if (signature < 0 && 6 - place < -signature) {
            text.AppendChar('b');
        }
        names.push_back(text);
    }
    return true;
}

bool CNoteManager::GetScaleList(int id, CNoteList& list) {
    std::vector<int> steps;
    if (!GetScaleSteps(id, steps)) {
        return false;
    }
    list.RemoveAll();
    int degree = 0;
    int laid = 0;
    const int count = static_cast<int>(steps.size());
    for (int i = 0; i <= count; ++i) {
        ++degree;
        int aboveDegree = 0;
        const int step = i < count ? steps[i] : 12 - laid;
        for (int s = 0; s < step; ++s) {
            CNote entry;
            entry.interval = degree;
            entry.intervalFrets = aboveDegree;
            entry.rootFrets = laid;
            if (!list.Add(entry)) {
                return SetError("Can't build the list of scale %d", id);
            }
            ++aboveDegree;
            ++laid;
        }
    }
    return true;
}

bool CNoteManager::GetScaleOverRange(int id, int root, CNoteList& list) {
    CNoteList octave(12);
    if (!GetScaleList(id, octave)) {
        return false;
    }
    if (root < 0 || root >= NOTE_COUNT) {
        return SetError("MIDI note %d is not in the list", root);
    }
    list.RemoveAll();
    list.SetPitchOrdered(true);
    auto addOctave = [&](int base) {
        for (int i = 0; i < octave.GetCount(); ++i) {
            const CNote& entry = *octave.GetAt(i);
            const int n = base + entry.rootFrets;
            if (n >= NOTE_COUNT) {
                return false;
            }
            if (n < 0) {
                continue;
            }
            CNote note = *m_table.GetAt(n);
            note.interval = entry.interval;
            note.intervalFrets = entry.intervalFrets;
            note.rootFrets = entry.rootFrets;
            list.Add(note);
        }
        return true;
    };
    for (int base = root; addOctave(base); base += 12) {
    }
    for (int base = root - 12; base >= -12; base -= 12) {
        addOctave(base);
    }
    list.Sort();
    return true;
}

bool CNoteManager::GetNoteAtDegree(const CNoteList& scale, int lowest, int degree,
                                   int semitonesAbove, CNote& note) {
    int degrees = 0;
    for (int i = 0; i < scale.GetCount(); ++i) {
        degrees = std::max<int>(degrees, scale.GetAt(i)->interval);
    }
    if (degrees > 0) {
        // Degree 0 and below count down from the octave below.
        while (degree < 1) {
            degree += degrees;
            lowest -= 12;
        }
        if (degree > degrees) {
            degree -= degrees;
            while (degree > degrees) {
                degree -= degrees;
                lowest += 12;
            }
        }
        for (int i = 0; i < scale.GetCount(); ++i) {
            const CNote& entry = *scale.GetAt(i);
            if (entry.midiNote != NOTE_NONE && entry.midiNote >= lowest &&
                entry.interval == degree && entry.intervalFrets == semitonesAbove) {
                note = entry;
                return true;
            }
        }
    }
    scale.Dump("Can't find interval");
    return SetError("Can't find interval");
}

bool CNoteManager::StepByDegrees(const CNoteList& scale, int midiNote, int steps, CNote& note) {
    int at = -1;
    for (int i = 0; i < scale.GetCount() && at < 0; ++i) {
        if (scale.GetAt(i)->midiNote == midiNote) {
            at = i;
        }
    }
    const int direction = steps < 1 ? -1 : 1;
    int remaining = steps < 0 ? -steps : steps;
    while (at >= 0 && remaining > 0) {
        at += direction;
        if (at >= scale.GetCount()) {
            at = -1;
        } else if (at >= 0 && scale.GetAt(at)->intervalFrets == 0) {
            --remaining;
        }
    }
    if (at < 0) {
        return SetError("Can't find interval");
    }
    note = *scale.GetAt(at);
    return true;
}

bool CNoteManager::GetNotePosition(int tuning, int lowestFret, int highestFret, CNote& note,
                                   bool fromLowStrings) {
    return CGuitarFingering(*this).GetNotePosition(tuning, lowestFret, highestFret, note,
                                                   fromLowStrings);
}

bool CNoteManager::GetNotePositionFor(int thing, int lowestFret, int highestFret, CNote& note,
                                      bool fromLowStrings) {
    return CGuitarFingering(*this).GetNotePositionFor(thing, lowestFret, highestFret, note,
                                                      fromLowStrings);
}

bool CNoteManager::MakeChordFingering(CChord& chord) {
    return CGuitarFingering(*this).MakeChordFingering(chord);
}

bool CNoteManager::MakeBarreChord(CChord& chord) {
    return CGuitarFingering(*this).MakeBarreChord(chord);
}

bool CNoteManager::GetChordDescription(const CChord& chord, CCharString& text) {
    return CGuitarFingering(*this).GetChordDescription(chord, text);
}
