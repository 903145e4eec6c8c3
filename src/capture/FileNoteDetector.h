#pragma once

#include <vector>

#include "audio/SoundInfo.h"
#include "foundation/CharString.h"

// A note the detector found in a whole sound.
struct DETECTED_NOTE {
    double onset = 0.0;     // seconds from the sound's start
    double release = -1.0;  // -1: no end was seen
    int midiNote = 0;
    double frequency = 0.0;
    double postedAt = 0.0;  // the end of the block whose analysis told the start
};

// Runs the live note detector over a sound as if it came from the
// microphone: converted to the capture format and fed in the capture's
// blocks, then a second of silence so the last note ends.
class CFileNoteDetector {
public:
    static constexpr int kBlockFrames = 256;  // as the capture hands them over
    static constexpr double kDefaultTrigger = 0.05;

    // method 1..6; lowRange: the bass range.
    CFileNoteDetector(int method, bool lowRange, double trigger = kDefaultTrigger);

    bool Detect(const CSoundInfo& sound, std::vector<DETECTED_NOTE>& notes);
    const char* GetError() const { return m_error; }

private:
    int m_method;
    bool m_lowRange;
    double m_trigger;
    CCharString m_error;
};
