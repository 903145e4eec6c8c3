#pragma once

#include <memory>

#include "foundation/CharString.h"
#include "theory/Note.h"
#include "theory/NoteSubscriber.h"

class CNoteManager;
class IClock;

// The held-note tracker: turns the starts and ends of played notes into notes
// with a time and a duration. Right-hand notes and all others are held apart,
// so that the same key may sound in both hands. Used on one thread only.
// On the note road it is the filter: it takes every played note and stops
// one it cannot place.
class CMidiMapper : public INoteSubscriber {
public:
    static constexpr int kSlots = 256;

    // manager fills started notes from the note table; clock measures the
    // time (the process clock when null). Both must outlive the mapper.
    explicit CMidiMapper(CNoteManager& manager, IClock* clock = nullptr);
    CMidiMapper(const CMidiMapper&) = delete;
    CMidiMapper& operator=(const CMidiMapper&) = delete;
    ~CMidiMapper() override;

    // Forgets every held note, restarts the clock and stores the time that
    // Track subtracts from the clock's reading.
    void Reset(double startTime);

    // A note with a volume above 0 starts: it gets the current time when it
    // has none, is completed from the note table, marked as a start and
    // held. A note with volume 0 (or less) ends its held note: it becomes a
    // copy of the held note with volume 0, marked as an end, with the held
    // time as its duration when the held note has none. An end with nothing
    // held leaves the note as it is and sets *ended false.
    bool Track(CNote& note, bool* ended = nullptr);
    // The road's filter: the event tracked as a note that starts or ends at
    // its arrival on the clock; false (the note stops) when it can't be.
    bool OnNote(ROUTED_NOTE& note) override;
    // The last note the road's filter tracked.
    const CNote& GetLastTracked() const { return m_lastTracked; }

    // Seconds since Reset minus the start time, never below 0.
    double GetCurrentTime() const;
    bool IsHeld(int midiNote, bool rightHand) const;
    const char* GetError() const { return m_error; }

private:
    CNote& SlotOf(const CNote& note);

    CNoteManager& m_manager;
    IClock* m_clock;
    std::unique_ptr<CNote[]> m_rightHand;
    std::unique_ptr<CNote[]> m_others;
    CNote m_lastTracked;
    double m_clockOrigin = 0.0;
    double m_startTime = 0.0;
    CCharString m_error;
};
