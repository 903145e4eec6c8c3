#pragma once

#include "capture/SoundDetector.h"
#include "foundation/MessageIds.h"
#include "platform/EventLoop.h"

// The input level the detector heard, posted to the main window.
struct SOUND_LEVEL {
    float volume = 0.0f;   // 0..1
    double arrival = 0.0;  // seconds on the platform clock
};

// The steady pitch the detector hears, for a tuner readout; 0 when the
// note ended and nothing steady is heard.
struct SOUND_PITCH {
    double frequency = 0.0;  // Hz
};

// Hands what the note detector finds to the user-interface thread as posted
// messages: a note event as a NOTE_EVENT (source 5) in message 1046, like
// every other input's notes, a level update as a SOUND_LEVEL in 1047 and
// the steady pitch of a sounding note in 1050.
class CDetectorPoster : public ISoundDetectorSink {
public:
    // loop must outlive the poster.
    CDetectorPoster(IEventLoop& loop, WindowId window) : m_loop(loop), m_window(window) {}

    void OnNote(const CNote& note, double clockTime) override;
    void OnLevel(const CNote& level) override;
    // A steady pitch as a SOUND_PITCH in message 1050, and a pitch of 0
    // when a note ends.
    void OnPitch(double frequency, double clockTime) override;

private:
    IEventLoop& m_loop;
    WindowId m_window;
};
