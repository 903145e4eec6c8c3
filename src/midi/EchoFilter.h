#pragma once

#include <deque>
#include <set>

#include "theory/NoteSubscriber.h"

// Keeps the program's own sound, heard again by the microphone, off the
// note road. A learner who plays the computer keyboard with the microphone
// on hears each key through the speakers, and so does the microphone: a
// detected note of the same pitch class whose sound began within the time
// the output and the room can explain after a key the program sounded is an
// echo and goes no further, its release with it. Any other detected note,
// sung or played, goes on as always.
class CEchoFilter : public INoteSubscriber {
public:
    static constexpr double kEchoSeconds = 0.3;  // output latency plus the room, at most
    // A detected start stamped a little before the key (the detector dates
    // a note back to where its sound rose) is still the key's echo.
    static constexpr double kEarlySeconds = 0.05;

    bool OnNote(ROUTED_NOTE& note) override;
    int GetEchoCount() const { return m_echoes; }

private:
    struct SOUNDED {
        int pitchClass;
        double time;
    };
    bool IsEcho(const NOTE_EVENT& event);

    std::deque<SOUNDED> m_sounded;  // the program's notes of the last kEchoSeconds
    std::set<int> m_droppedNotes;   // echoes whose release must go too
    int m_echoes = 0;
};
