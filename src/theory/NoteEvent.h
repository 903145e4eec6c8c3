#pragma once

#include "theory/Note.h"

// One played note on its way through the application: what every input
// (computer keyboard, MIDI port, sound detector, song playback) hands the
// note road. The arrival time is taken where the note arrived (the key
// event, the MIDI callback), on the process clock, so that what is measured
// from it leaves out the queues and frames it passes afterwards.
struct NOTE_EVENT {
    static constexpr int kMaxVelocity = 127;
    static constexpr int kMaxNote = 127;

    int note = NOTE_NONE;  // MIDI note 0..127
    int velocity = 0;      // 1..127 for a press, 0 for its release
    int source = SOURCE_NONE;
    double arrival = 0.0;    // seconds on Platform::GetClock()
    int thing = THING_NONE;  // the instrument, when the input knows it (a song's notes)

    bool IsOn() const { return velocity > 0; }
    bool IsValid() const { return note >= 0 && note <= kMaxNote; }
    float GetVolume() const { return static_cast<float>(velocity) / kMaxVelocity; }

    // A press of loudness volume (0..1; any press is at least velocity 1 so
    // that a quiet key is never taken for a release) or a release.
    static NOTE_EVENT Make(int note, bool on, float volume, int source, double arrival);
};
