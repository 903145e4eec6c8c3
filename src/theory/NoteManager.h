#pragma once

#include <vector>

#include "theory/Chord.h"
#include "theory/NoteList.h"
#include "theory/TheoryTables.h"

// The music-theory service: owns the note table (MIDI 0..131) and answers
// questions about keys, scales, chords and intervals over the fixed tables.
// Operations return false and leave a text for GetError.
class CNoteManager {
public:
    CNoteManager();
    virtual ~CNoteManager() = default;

    // Builds the note table; "Can't get frequencies for all notes" on failure.
    bool Init();
    const char* GetError() const { return m_error; }
    const CNoteList& GetNoteTable() const { return m_table; }

    // Note table.
    bool FillNote(CNote& note, bool withIntervals = false);
    bool FillNames(CNote& note);
    bool GetNoteFromFrequency(double frequency, CNote& note);
    bool GetFirstNoteAtOrAbove(int midiNote, CNote& note);
    bool RepitchNotes(CNoteList& notes);

    // Name <-> id of every table; unknown ids give an empty name and false,
    // unknown names id 0 and false. Names compare exactly.
    static bool GetScaleName(int id, CCharString& name);  // keys 1..30, scales 31..52
    static bool FindScale(const char* name, int& id);
    static bool GetChordTypeName(int id, CCharString& longName);
    static bool FindChordType(const char* longName, int& id);
    static bool GetChordGroupName(int id, CCharString& name);
    static bool FindChordGroup(const char* name, int& id);
    static bool GetMelodicPatternName(int id, CCharString& name);
    static bool FindMelodicPattern(const char* name, int& id);
    static bool GetProgressionName(int id, CCharString& name);
    static bool FindProgression(const char* name, int& id);

    // Chords.
    bool GetChordFromType(int chordType, CChord& chord, bool setNotes = true);
    static bool GetChordName(int chordType, int root, CCharString& name);
    static bool GetScaleCaption(int root, int id, CCharString& caption);
    static bool GetChordCaption(const char* rootName, int chordType, CCharString& caption);
    // The type of a chord whose notes are in interval order, root first;
    // 0 when no type matches. Fails for an empty list.
    bool GetChordType(const CNoteList& notes, int& chordType);

    // Intervals, keys and scales.
    bool GetSemitones(int root, int note, int& semitones);
    bool GetScaleSteps(int id, std::vector<int>& steps);
    bool GetModeStart(int id, int& degree, int& semitones);
    static int GetParentScale(int id);
    static bool GetKeyRoot(int keyId, int& midiNote, int& accidental);
    // Sharps (positive) or flats (negative) of a key, and the names of its
    // seven scale notes from the root, spelled with one letter each.
    static bool GetKeySignature(int keyId, int& accidentals);
    static bool GetKeySpelling(int keyId, std::vector<CCharString>& names);

    // Twelve entries, one per semitone above the root, with their degree and
    // semitones above the degree.
    bool GetScaleList(int id, CNoteList& list);
    // The scale laid over the whole table from a root, sorted by MIDI note.
    bool GetScaleOverRange(int id, int root, CNoteList& list);
    bool GetNoteAtDegree(const CNoteList& scale, int lowest, int degree, int semitonesAbove,
                         CNote& note);
    bool StepByDegrees(const CNoteList& scale, int midiNote, int steps, CNote& note);

    // Guitar fingering: a position for one note on a tuning (1 guitar,
    // 2 bass) within a fret window, searching from string 1 toward the low
    // strings or the other way; the same for an instrument with the whole
    // neck as fallback; and whole chords.
    bool GetNotePosition(int tuning, int lowestFret, int highestFret, CNote& note,
                         bool fromLowStrings);
    bool GetNotePositionFor(int thing, int lowestFret, int highestFret, CNote& note,
                            bool fromLowStrings);
    bool MakeChordFingering(CChord& chord);
    bool MakeBarreChord(CChord& chord);
    bool GetChordDescription(const CChord& chord, CCharString& text);

private:
    bool BuildTable();
    bool SetError(const char* format, ...) NOTARA_PRINTF(2, 3);

    CNoteList m_table;
    CCharString m_error;
};
