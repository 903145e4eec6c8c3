#pragma once

#include <vector>

#include "songs/Song.h"
#include "theory/Chord.h"

class CNoteManager;

// A song part: a groove of a few measures played under a list of chords.
// Building it repeats the groove once per chord measure and fits the bass
// line to each chord, giving the arrangement; the arrangement's info holds
// the part's scale, tempo, beat, time signature, measures and length.
class CSongPart {
public:
    CSongPart() = default;
    CSongPart(const CSongPart&) = delete;
    CSongPart& operator=(const CSongPart&) = delete;
    virtual ~CSongPart() = default;

    bool CopyFrom(const CSongPart& other);

    // Builds the arrangement from the groove and the chords, keeping the
    // arrangement's lead-guitar notes. Without chords nothing changes. A
    // failed build leaves the arrangement partly built.
    bool Build(CNoteManager& manager, bool withMarkers);
    // Clears song and gives it the arrangement's tracks and info.
    bool CopyToSong(CSong& song) const;

    // A chord marker carries the chord's info; a measure marker its number.
    static bool AddChordMarker(CTrack& track, const CChord& chord, double start, double duration);
    static bool AddMeasureMarker(CTrack& track, int measure, double start, double duration);

    const char* GetError() const { return m_error; }

    CCharString m_name;  // unique within a song
    CCharString m_description;
    int m_repeat = 1;
    CSong m_groove;
    CSong m_arrangement;
    CCharString m_grooveStyle;
    CCharString m_grooveName;
    CCharString m_grooveFile;
    double m_grooveLength = 0.0;
    std::vector<CChord> m_chords;
    int m_playPosition = 0;  // 1-based place in the song's play list while rendering

private:
    bool SetError(const char* format, ...) NOTARA_PRINTF(2, 3);
    bool PrepareArrangement(int& grooveMeasures);
    bool BuildMeasure(CNoteManager& manager, const CNoteList& scale, const CChord& chord,
                      int counter, int grooveMeasures, bool withMarkers);
    bool FitBassLine(CNoteManager& manager, const CNoteList& scale, const CChord& chord,
                     CSong& work);
    bool RestoreLeadNotes(const CNoteList& saved);

    CCharString m_error;
};
