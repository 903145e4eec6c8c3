#pragma once

#include <cstdint>
#include <vector>

#include "audio/WaveFormat.h"
#include "foundation/CharString.h"

// Brings a PCM sound of any rate, channel count and width (8, 16, 24 or 32
// bits) into another 16-bit format, block by block, so that a sound of any
// length is converted in little memory: widths are scaled to 16 bits, mono
// is doubled to both sides and more channels keep their first two, and the
// rate is averaged down or interpolated up. Only source rates from
// kLowestRate to kHighestRate are taken: a rate far below or above them would
// make every source byte a great many target bytes, or stand for no real
// recording.
class CSoundConverter {
public:
    static constexpr uint32_t kLowestRate = 4000;
    static constexpr uint32_t kHighestRate = 384000;

    // Checks both formats and starts a conversion; false with a "Can't ..."
    // text read with GetError.
    bool Start(const WAVE_FORMAT& source, const WAVE_FORMAT& target);
    // Converts count bytes of whole source frames (a partial frame at the
    // end is left out), replacing values with the target frames they make.
    // A frame that is still needed to interpolate the next one is held back
    // until the following block or Finish.
    void Add(const uint8_t* bytes, uint32_t count, std::vector<int16_t>& values);
    // The frames held back at the end of the sound, replacing values.
    void Finish(std::vector<int16_t>& values);

    const char* GetError() const { return m_error; }

private:
    // One source frame in the target's channels.
    struct FRAME {
        int16_t left = 0;
        int16_t right = 0;
    };

    FRAME ReadFrame(const uint8_t* frame) const;
    void Put(int left, int right, std::vector<int16_t>& values) const;
    void Interpolate(const FRAME& frame, std::vector<int16_t>& values);
    void Average(const FRAME& frame, std::vector<int16_t>& values);

    CCharString m_error;
    WAVE_FORMAT m_source;
    WAVE_FORMAT m_target;
    int m_width = 0;              // bytes per source sample
    uint64_t m_sourceFrames = 0;  // source frames taken so far
    uint64_t m_targetFrames = 0;  // target frames made so far
    FRAME m_previous;             // the last source frame, when interpolating
    int64_t m_sumLeft = 0;        // the frames of the average being gathered
    int64_t m_sumRight = 0;
    uint32_t m_summed = 0;
};
