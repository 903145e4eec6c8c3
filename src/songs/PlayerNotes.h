#pragma once

#include "foundation/CharString.h"

class CNoteManager;
class CNoteList;
class CSong;
class CTrack;

// Readies a built arrangement for the band's players: fretboard positions,
// fingers and picking directions for the lead and bass guitars, hands for
// the drum set. The rhythm guitar plays chords and is left alone.
class CPlayerNotes {
public:
    // Fret windows the neck positions are searched in first.
    static constexpr int kLeadLowestFret = 5;
    static constexpr int kLeadHighestFret = 10;
    static constexpr int kBassLowestFret = 0;
    static constexpr int kBassHighestFret = 12;
    // A measure whose frets span this many or more is placed again lower.
    static constexpr int kWideSpan = 4;

    explicit CPlayerNotes(CNoteManager& manager) : m_manager(manager) {}

    bool Prepare(CSong& song);
    const char* GetError() const { return m_error; }

private:
    void PlaceTrack(CTrack& track, int lowestFret, int highestFret);
    void PlaceMeasure(CNoteList& notes, int first, int last, int thing, int lowestFret,
                      int highestFret);
    static void SetFingers(CNoteList& notes, int first, int last);
    static void SetPicking(CNoteList& notes);
    // The index after the last note starting before end, from first on.
    static int FindMeasureEnd(const CNoteList& notes, int first, double end);

    CNoteManager& m_manager;
    CCharString m_error;
};
