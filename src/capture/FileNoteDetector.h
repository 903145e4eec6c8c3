#pragma once

#include <cstdint>
#include <functional>
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
// blocks, then a second of silence so the last note ends. A file is read,
// converted and detected a block at a time, so its length costs time but
// not memory; running out of memory all the same is a failure like any
// other, with its text.
class CFileNoteDetector {
public:
    static constexpr int kBlockFrames = 256;           // as the capture hands them over
    static constexpr uint32_t kReadBytes = 64 * 1024;  // of a file at a time
    static constexpr double kDefaultTrigger = 0.05;

    // method 1..7; lowRange: the bass range; trigger: the level a note rises
    // through, which the note tracker (method 7) only uses when
    // automaticTrigger is false (it follows the noise floor otherwise).
    CFileNoteDetector(int method, bool lowRange, double trigger = kDefaultTrigger,
                      bool automaticTrigger = true);

    // The notes of the WAVE file at path.
    bool DetectFile(const char* path, std::vector<DETECTED_NOTE>& notes);
    // The notes of a sound in memory.
    bool Detect(const CSoundInfo& sound, std::vector<DETECTED_NOTE>& notes);
    const char* GetError() const { return m_error; }

private:
    // Gives up to count bytes of the sound's data that follow those given
    // before (got 0 at its end); false with m_error set when it can't.
    using READ = std::function<bool(uint8_t* bytes, uint32_t count, uint32_t& got)>;

    bool Run(const WAVE_FORMAT& format, const READ& read, std::vector<DETECTED_NOTE>& notes);
    bool RunBlocks(const WAVE_FORMAT& format, const READ& read, std::vector<DETECTED_NOTE>& notes);

    int m_method;
    bool m_lowRange;
    double m_trigger;
    bool m_automaticTrigger;
    CCharString m_error;
};
