#pragma once

#include <functional>
#include <vector>

#include "foundation/CharString.h"
#include "theory/NoteList.h"

class CNoteRouter;
class CSound;

// Plays the notes of a groove, a part or a song through the sound engine's
// stream, and sends each note along the note road as a song-playback event
// (source 3) when its time comes, so that the pictures can follow what is
// heard. The exercise does not judge these notes.
class CSongPlayer {
public:
    using SoundGetter = std::function<CSound*()>;
    using Clock = std::function<double()>;  // seconds, steadily rising

    // sound gives the engine when it is open; router and clock must outlive
    // the player.
    CSongPlayer(SoundGetter sound, CNoteRouter& router, Clock clock);

    // Streams notes, repeated repeatCount times every loopLength seconds
    // (once when loopLength is 0 or repeatCount below 2); a playback that
    // runs is stopped first; with recordName the stream is also written
    // into that WAVE file. False with the reason.
    bool Play(const CNoteList& notes, double loopLength, int repeatCount,
              const char* recordName = nullptr);
    // When the playback began, on the clock.
    double GetStartTime() const { return m_start; }
    // Stops the stream; notes still sounding on the road are released.
    bool Stop();
    bool IsPlaying() const { return m_playing; }
    // Sends the notes due by now along the road and ends a playback whose
    // last note is over; called by the owner's timer.
    void OnTimer();
    const char* GetError() const { return m_error; }

private:
    struct EVENT {
        double time;
        int note;
        bool on;
        int thing;
    };
    void Schedule(const CNoteList& notes);
    void Route(int note, bool on, int thing);

    SoundGetter m_sound;
    CNoteRouter& m_router;
    Clock m_clock;
    std::vector<EVENT> m_loop;  // one pass, in time order
    double m_loopLength = 0.0;
    int m_repeats = 1;
    double m_start = 0.0;
    size_t m_next = 0;  // the next event of the current pass
    int m_pass = 0;
    std::vector<EVENT> m_sounding;  // the notes on, with their instruments
    bool m_playing = false;
    CCharString m_error;
};
