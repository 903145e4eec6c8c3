#pragma once

#include <cstdint>

// The PCM format of a sound, as a WAVE file's "fmt " chunk holds it.
struct WAVE_FORMAT {
    static constexpr uint16_t kPcm = 1;
    static constexpr uint32_t kStreamRate = 44100;
    static constexpr uint16_t kStreamChannels = 2;
    static constexpr uint16_t kStreamBits = 16;

    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSecond = 0;
    uint32_t averageBytesPerSecond = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;

    // PCM with block align and average bytes worked out.
    static WAVE_FORMAT Pcm(uint16_t channels, uint32_t rate, uint16_t bits) {
        WAVE_FORMAT format;
        format.formatTag = kPcm;
        format.channels = channels;
        format.samplesPerSecond = rate;
        format.bitsPerSample = bits;
        format.blockAlign = static_cast<uint16_t>(bits / 8 * channels);
        format.averageBytesPerSecond = format.blockAlign * rate;
        return format;
    }
    // What the sound engine plays and writes: 44100 Hz, 16-bit, stereo.
    static WAVE_FORMAT Stream() { return Pcm(kStreamChannels, kStreamRate, kStreamBits); }

    bool SameLayout(const WAVE_FORMAT& other) const {
        return channels == other.channels && samplesPerSecond == other.samplesPerSecond &&
               bitsPerSample == other.bitsPerSample;
    }
};
