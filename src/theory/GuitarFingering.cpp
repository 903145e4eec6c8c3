#include "theory/GuitarFingering.h"

#include "foundation/ErrorReport.h"
#include "theory/NoteManager.h"

namespace {

const int GUITAR_TUNING[] = {64, 59, 55, 50, 45, 40};
const int BASS_TUNING[] = {43, 38, 33, 28};

// One barre shape on the six guitar strings, string 1 first.
struct BARRE_SHAPE {
    int chordType;
    int shape;
    int rootString;
    int offsets[6];
    int fingers[6];
    bool barre[6];
    int further[6];
};

constexpr bool O = false;
constexpr bool X = true;

const BARRE_SHAPE BARRE_SHAPES[] = {
    {1, 1, 5, {0, 2, 2, 2, 0, 0}, {1, 4, 3, 2, 1, 0}, {X, O, O, O, X, O}, {0, 0, 1, 2, 0, 0}},
    {1, 2, 6, {0, 0, 1, 2, 2, 0}, {1, 1, 2, 4, 3, 1}, {X, X, O, O, O, X}, {0, 0, 0, 0, 1, 0}},
    {2, 1, 5, {0, 1, 2, 2, 0, 0}, {1, 2, 4, 3, 1, 0}, {X, O, O, O, X, O}, {0, 0, 0, 1, 0, 0}},
    {2, 2, 6, {0, 0, 0, 2, 2, 0}, {1, 1, 1, 4, 3, 1}, {X, X, X, O, O, X}, {0, 0, 0, 0, 1, 0}},
    {3, 1, 5, {0, 2, 0, 2, 0, 0}, {1, 4, 1, 3, 1, 0}, {X, O, X, O, X, O}, {0, 0, 0, 2, 0, 0}},
    {3, 2, 6, {0, 0, 1, 0, 2, 0}, {1, 1, 2, 1, 3, 1}, {X, X, O, X, O, X}, {0, 0, 0, 0, 0, 0}},
    {4, 1, 5, {0, 1, 0, 2, 0, 0}, {1, 2, 1, 3, 1, 0}, {X, O, X, O, X, O}, {0, 0, 0, 0, 0, 0}},
    {4, 2, 6, {0, 3, 0, 0, 2, 0}, {1, 4, 1, 1, 3, 1}, {X, O, X, X, O, X}, {0, 0, 0, 0, 0, 0}},
    {5, 1, 5, {0, 2, 1, 2, 0, 0}, {1, 4, 2, 3, 1, 0}, {X, O, O, O, X, O}, {0, 0, 0, 1, 0, 0}},
    {5, 2, 6, {0, 0, 1, 1, 2, 0}, {1, 1, 3, 2, 4, 1}, {X, X, O, O, O, X}, {0, 0, 0, 2, 0, 0}},
    {7, 1, 2, {1, 0, 1, 0, 0, 0}, {4, 2, 3, 1, 0, 0}, {O, O, O, O, O, O}, {0, 0, 2, 2, 0, 0}},
    {7, 2, 4, {0, 2, 0, 2, 1, 0}, {0, 4, 1, 3, 2, 0}, {O, O, O, O, O, O}, {0, 0, 0, 2, 0, 0}},
    {8, 1, 5, {0, 1, 1, 2, 0, 0}, {1, 3, 2, 4, 1, 0}, {X, O, O, O, X, O}, {0, 0, 1, 0, 0, 0}},
    {8, 2, 6, {0, 0, 0, 1, 2, 0}, {1, 1, 1, 2, 3, 1}, {X, X, X, O, O, X}, {0, 0, 0, 0, 0, 0}},
    {12, 1, 2, {1, 0, 2, 0, 0, 0}, {2, 1, 3, 1, 1, 0}, {O, X, O, X, X, O}, {0, 0, 0, 0, 0, 0}},
    {12, 2, 5, {0, 1, 0, 1, 0, 0}, {0, 4, 2, 3, 1, 0}, {O, O, O, O, O, O}, {0, 0, 0, 2, 2, 0}},
    {13, 1, 5, {0, 0, 0, 1, 2, 0}, {0, 1, 2, 3, 4, 0}, {O, O, O, O, O, O}, {0, 1, 0, 0, 0, 0}},
    {13, 2, 3, {0, 1, 1, 2, 0, 0}, {1, 2, 3, 4, 0, 0}, {O, O, O, O, O, O}, {0, 1, 0, 0, 0, 0}},
    {14, 1, 5, {0, 1, 2, 1, 0, 0}, {0, 3, 4, 2, 1, 0}, {O, O, O, O, X, O}, {0, 0, 0, 2, 0, 0}},
    {14, 2, 4, {1, 3, 1, 0, 0, 0}, {3, 4, 2, 1, 0, 0}, {O, O, O, X, O, O}, {0, 0, 2, 0, 0, 0}},
    {15, 1, 5, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 2, 1}, {O, O, O, O, O, O}, {0, 0, 0, 0, 0, 2}},
    {15, 2, 6, {0, 0, 0, 0, 2, 0}, {0, 0, 0, 0, 3, 1}, {O, O, O, O, O, O}, {0, 0, 0, 0, 0, 0}},
    {16, 1, 5, {0, 0, 0, 0, 1, 0}, {0, 0, 0, 0, 2, 1}, {O, O, O, O, O, O}, {0, 0, 0, 0, 0, 0}},
    {16, 2, 6, {0, 0, 0, 0, 1, 0}, {0, 0, 0, 0, 2, 1}, {O, O, O, O, O, O}, {0, 0, 0, 0, 0, 0}},
    {17, 1, 5, {0, 3, 2, 2, 0, 0}, {1, 4, 3, 2, 1, 0}, {X, O, O, O, X, O}, {0, 0, 0, 1, 0, 0}},
    {17, 2, 6, {0, 0, 2, 2, 0, 0}, {1, 1, 4, 3, 1, 1}, {X, X, O, O, X, X}, {0, 0, 0, 1, 0, 0}},
    {18, 1, 5, {0, 0, 2, 2, 0, 0}, {1, 1, 4, 3, 1, 0}, {X, X, O, O, X, O}, {0, 0, 0, 1, 0, 0}},
    {18, 2, 4, {0, 3, 2, 0, 0, 0}, {1, 4, 3, 1, 0, 0}, {X, O, O, X, O, O}, {0, 0, 0, 0, 0, 0}},
};

bool HasShapes(int chordType) {
    for (const BARRE_SHAPE& entry : BARRE_SHAPES) {
        if (entry.chordType == chordType) {
            return true;
        }
    }
    return false;
}

const BARRE_SHAPE* FindShape(int chordType, int shape) {
    for (const BARRE_SHAPE& entry : BARRE_SHAPES) {
        if (entry.chordType == chordType && entry.shape == shape) {
            return &entry;
        }
    }
    return nullptr;
}

// Whether a note is one of the chord's tones, by its semitones above the root.
bool IsChordTone(const CChord& chord, int semitones) {
    for (int i = 0; i < chord.m_notes.GetCount(); ++i) {
        if (chord.m_notes.GetAt(i)->rootFrets % 12 == semitones % 12) {
            return true;
        }
    }
    return semitones % 12 == 0;
}

}  // namespace

const int* CGuitarFingering::GetTuning(int tuning, int& stringCount) {
    switch (tuning) {
        case 1:
            stringCount = 6;
            return GUITAR_TUNING;
        case 2:
            stringCount = 4;
            return BASS_TUNING;
        default:
            stringCount = 0;
            return nullptr;
    }
}

int CGuitarFingering::GetTuningFor(int thing) {
    switch (thing) {
        case THING_BASS_GUITAR:
            return 2;
        case THING_RHYTHM_GUITAR:
        case THING_LEAD_GUITAR:
            return 1;
        default:
            return 0;
    }
}

bool CGuitarFingering::GetNotePosition(int tuning, int lowestFret, int highestFret, CNote& note,
                                       bool fromLastString) {
    int count = 0;
    const int* strings = GetTuning(tuning, count);
    if (strings == nullptr || lowestFret < 0 || lowestFret > MAX_FRET || highestFret > MAX_FRET ||
        highestFret < lowestFret || note.midiNote >= NOTE_COUNT) {
        return false;
    }
    for (int step = 0; step < count; ++step) {
        const int index = fromLastString ? count - 1 - step : step;
        const int open = strings[index];
        if (open + lowestFret <= note.midiNote && note.midiNote <= open + highestFret) {
            note.guitarString = index + 1;
            note.fret = note.midiNote - open;
            return true;
        }
    }
    return false;
}

bool CGuitarFingering::GetNotePositionFor(int thing, int lowestFret, int highestFret, CNote& note,
                                          bool fromLastString) {
    const int tuning = GetTuningFor(thing);
    if (tuning == 0) {
        return false;
    }
    return GetNotePosition(tuning, lowestFret, highestFret, note, fromLastString) ||
           GetNotePosition(tuning, 0, MAX_FRET, note, fromLastString);
}

bool CGuitarFingering::PlaceInterval(const CNote& interval, int root, int base, int tuning,
                                     int thing, const CChord& chord, bool used[], int& rootString,
                                     CNoteList& result) {
    for (int offset = -3; offset <= 2; ++offset) {
        const int midi = root + interval.rootFrets + 12 * offset;
        if (midi < 0 || midi >= NOTE_COUNT) {
            continue;
        }
        CNote candidate;
        candidate.midiNote = static_cast<uint8_t>(midi);
        if (!GetNotePosition(tuning, base, base + 4, candidate, true)) {
            continue;
        }
        const int string = candidate.guitarString;
        if (used[string] || (rootString != 0 && string > rootString)) {
            continue;
        }
        if (!m_manager.FillNote(candidate)) {
            continue;
        }
        candidate.interval = interval.interval;
        candidate.intervalFrets = interval.intervalFrets;
        candidate.rootFrets = interval.rootFrets;
        candidate.thing = thing;
        candidate.EditChord([&](CHORD_INFO& info) {
            info.chordType = chord.m_root.GetChord().chordType;
            info.root = static_cast<uint8_t>(root);
        });
        used[string] = true;
        if (interval.rootFrets == 0) {
            rootString = string;
        }
        return result.Add(candidate);
    }
    return false;
}

bool CGuitarFingering::MakeChordFingering(CChord& chord) {
    CHORD_INFO info = chord.m_root.GetChord();
    CNoteManager::GetChordName(info.chordType, chord.m_root.midiNote, info.name);
    chord.m_root.SetChord(info);
    const int tuning = GetTuningFor(chord.m_thing);
    if (tuning == 0 || chord.m_root.midiNote >= NOTE_COUNT) {
        chord.SetError("Can't finger a chord for this instrument");
        return false;
    }
    int root = chord.m_root.midiNote;
    if (root <= 41) {
        root += 12;
    }
    int base = 0;
    if (info.baseFret != 0) {
        CNote rootNote;
        rootNote.midiNote = static_cast<uint8_t>(root);
        if (!GetNotePosition(tuning, info.baseFret, info.baseFret + 4, rootNote, true)) {
            chord.SetError("Can't place the chord root at the base fret");
            return false;
        }
        base = rootNote.fret;
    }
    bool used[STRING_COUNT + 1] = {};
    int rootString = 0;
    CNoteList result(16, false);
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < chord.m_notes.GetCount(); ++i) {
            PlaceInterval(*chord.m_notes.GetAt(i), root, base, tuning, chord.m_thing, chord, used,
                          rootString, result);
        }
    }
    chord.m_notes = result;
    chord.m_root.midiNote = static_cast<uint8_t>(root);
    m_manager.FillNote(chord.m_root);
    info.root = static_cast<uint8_t>(root);
    info.baseFret = base;
    result.Dump("CNoteManager::MakeChordFingering", true);
    if (result.GetCount() == 0) {
        chord.SetError("Can't place any note of the chord on the neck");
        return false;
    }
    return true;
}

bool CGuitarFingering::BuildShape(int chordType, int shape, const CChord& chord, CNoteList& notes,
                                  int& rootString, int& rootOffset) {
    const BARRE_SHAPE* entry = FindShape(chordType, shape);
    if (entry == nullptr) {
        if (!HasShapes(chordType)) {
            ReportError("NoteManager", __LINE__, "Unknown chord type: %d", chordType);
        } else {
            ReportError("NoteManager", __LINE__, "Unknown shape for type %d: shape %d", chordType,
                        shape);
        }
        return false;
    }
    notes.RemoveAll();
    for (int i = 0; i < STRING_COUNT; ++i) {
        CNote note;
        note.guitarString = i + 1;
        note.fret = entry->offsets[i];
        note.shapeValue = entry->further[i];
        note.finger = entry->fingers[i] == 0 ? UNSET : entry->fingers[i];
        note.volume = entry->fingers[i] == 0 ? 0.0f : 1.0f;
        note.mode = entry->barre[i] ? MODE_BARRE : 0;
        if (i + 1 == entry->rootString) {
            note.mode |= MODE_ROOT_STRING;
        }
        note.thing = chord.m_thing;
        note.EditChord([&](CHORD_INFO& info) {
            info.chordType = chordType;
            info.root = chord.m_root.midiNote;
        });
        if (!notes.Add(note)) {
            return false;
        }
    }
    rootString = entry->rootString;
    rootOffset = entry->offsets[rootString - 1];
    if (notes.GetCount() == 0) {
        ReportError("NoteManager", __LINE__, "No notes in chord for type %d, shape %d", chordType,
                    shape);
        return false;
    }
    return true;
}

bool CGuitarFingering::MakeBarreChord(CChord& chord) {
    const int chordType = chord.m_root.GetChord().chordType;
    if (chord.m_root.midiNote >= NOTE_COUNT) {
        chord.SetError("Can't place a barre chord without a root");
        return false;
    }
    CNoteList notes(8, false);
    int bestBase = MAX_FRET;
    int bestShape = 0;
    for (int shape = 1; shape <= 2; ++shape) {
        int rootString = 0;
        int rootOffset = 0;
        if (!BuildShape(chordType, shape, chord, notes, rootString, rootOffset)) {
            return false;
        }
        int semitones = 0;
        if (!m_manager.GetSemitones(GUITAR_TUNING[rootString - 1], chord.m_root.midiNote,
                                    semitones)) {
            return false;
        }
        const int base = semitones - rootOffset;
        if (base >= 3 && base <= 9 && base < bestBase) {
            bestBase = base;
            bestShape = shape;
        }
    }
    if (bestShape == 0) {
        chord.SetError("Can't place the barre shapes between frets 3 and 9");
        return false;
    }
    chord.m_root.EditChord([&](CHORD_INFO& edited) { edited.baseFret = bestBase; });
    int rootString = 0;
    int rootOffset = 0;
    if (!BuildShape(chordType, bestShape, chord, notes, rootString, rootOffset)) {
        return false;
    }
    const int rootMidi = GUITAR_TUNING[rootString - 1] + bestBase + rootOffset;
    CChord tones;
    m_manager.GetChordFromType(chordType, tones);
    for (int i = 0; i < notes.GetCount(); ++i) {
        CNote& note = *notes.GetAt(i);
        note.fret = bestBase + note.fret;
        note.midiNote = static_cast<uint8_t>(GUITAR_TUNING[note.guitarString - 1] + note.fret);
        m_manager.FillNote(note);
        note.thing = chord.m_root.thing;
        note.pan = chord.m_root.pan;
        // An open finger on a string sounds only when its pitch belongs to the
        // chord; otherwise the string is damped.
        const bool sounds =
            note.finger != UNSET || IsChordTone(tones, note.midiNote - rootMidi + 120);
        note.volume = sounds ? chord.m_root.volume : 0.0f;
    }
    chord.m_notes = notes;
    return true;
}

bool CGuitarFingering::GetChordDescription(const CChord& chord, CCharString& text) const {
    const CHORD_INFO& info = chord.m_root.GetChord();
    CCharString name;
    CNoteManager::GetChordName(info.chordType, chord.m_root.midiNote, name);
    text.Format("(%d/%d) %s (%s) %s", chord.m_root.midiNote, info.chordType, name.GetText(),
                chord.m_longName.GetText(), chord.m_formula.GetText());
    CCharString part;
    text.Append(",  Notes:");
    for (int i = 0; i < chord.m_notes.GetCount(); ++i) {
        const CNote& note = *chord.m_notes.GetAt(i);
        part.Format(" %s%d", note.GetName().GetText(),
                    note.GetOctave() == UNSET ? 0 : note.GetOctave());
        text.Append(part);
    }
    text.Append(",  Tabs:");
    for (int i = 0; i < chord.m_notes.GetCount(); ++i) {
        const CNote& note = *chord.m_notes.GetAt(i);
        if (note.guitarString == UNSET || note.fret == UNSET) {
            text.Append(" None");
        } else {
            part.Format(" %d-%d", note.guitarString, note.fret);
            text.Append(part);
        }
    }
    return true;
}
