#pragma once

#include <cstdint>
#include <vector>

#include "audio/WaveFormat.h"
#include "foundation/CharString.h"

// Estimates the fundamental frequency of a short block of captured PCM: the
// block is low-pass filtered with a moving average one period of the highest
// frequency wide (which also mixes it to one channel), then one of several
// methods runs on it. A frequency of 0.0 with success means no usable pitch.
//
// Ranges: normal 65 Hz .. 1976 Hz (the keyboard's highest note, B6), low
// (bass) 35 Hz .. 200 Hz.
class CPitchDetector {
public:
    enum METHOD {
        kZeroCrossings = 1,
        kBlockExtremes = 2,
        kThresholdPeaks = 3,
        kFastAutoCorr = 4,  // the live method
        kNormalisedDifference = 5,
        kNoMethod = 6,
    };
    static constexpr int kCapacity = 0x200000;  // filtered values
    static constexpr double kNormalHighest = 1976.0;
    static constexpr double kNormalLowest = 65.0;
    static constexpr double kLowHighest = 200.0;
    static constexpr double kLowLowest = 35.0;

    CPitchDetector();
    virtual ~CPitchDetector() = default;

    // Stores the capture format (16-bit PCM), the method and the range.
    bool SetUp(const WAVE_FORMAT& format, int method, bool lowRange);
    // Samples per block of the block-extremes method.
    void SetBlockLength(int samples) { m_blockLength = samples; }
    // Filters count bytes of whole frames and runs the method.
    bool Detect(const uint8_t* bytes, uint32_t count, double& frequency);
    // The live method on filtered values at rate.
    bool FastAutoCorr(const int16_t* values, int count, int rate, double& frequency);

    bool IsLowRange() const { return m_lowRange; }
    int GetMethod() const { return m_method; }
    const char* GetError() const { return m_error; }

    // (further members: the implementer's choice)

private:
    CCharString m_error;
    bool m_lowRange = false;
    std::vector<int16_t> m_work;
    int m_count = 0;
    WAVE_FORMAT m_format;
    int m_method = kFastAutoCorr;
    int m_blockLength = 0;
};
