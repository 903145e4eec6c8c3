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

    // Whole frames a block needs for the lag methods to look over every lag
    // of the range: the filter's width and three longest lags.
    uint32_t GetMinimumFrames() const;

    bool IsLowRange() const { return m_lowRange; }
    int GetMethod() const { return m_method; }
    const char* GetError() const { return m_error; }

private:
    // One extreme of the block-extremes method.
    struct PEAK_INFO {
        int32_t index = 0;
        int32_t value = 0;
    };
    // A move between two extremes of the zero-crossing method.
    struct MOVE_INFO {
        static constexpr int32_t kNone = 0x7FFFFFFF;
        int32_t start = kNone;     // index of the previous extreme
        int32_t end = 0;           // index of this extreme
        int32_t height = 0;        // value at end minus value at start
        int32_t crossing = kNone;  // last zero crossing before end
    };
    // Shortest and longest lag in samples at a rate.
    struct LAG_RANGE {
        int shortest = 0;
        int longest = 0;
    };

    LAG_RANGE LagsAt(int rate) const;
    int FilterWidth() const;
    bool Filter(const uint8_t* bytes, uint32_t count);
    bool RunMethod(double& frequency);
    bool ZeroCrossingMoves(const int16_t* values, int count, int rate, double& frequency);
    void BuildMoves(const int16_t* values, int count);
    void MoveIntervals(std::vector<int32_t>& intervals) const;
    bool EvaluateIntervals(const std::vector<int32_t>& intervals, int rate, double& frequency);
    bool BlockExtremes(const int16_t* values, int count, double& frequency);
    bool ThresholdPeaks(const int16_t* values, int count, int rate, double& frequency);
    bool NormalisedDifference(const int16_t* values, int count, int rate, double& frequency);
    void ComputeDifferences(const int16_t* values, int count, int first, int last, int window);
    int ChooseDifferenceLag(int first, int shortest, int longest) const;
    void ComputeNsdf(const int16_t* values, int window, int last);
    int ChooseNsdfLag(int shortest, int longest) const;

    CCharString m_error;
    std::vector<PEAK_INFO> m_peaks;
    std::vector<MOVE_INFO> m_moves;
    std::vector<double> m_curve;     // difference or NSDF values by lag
    std::vector<int32_t> m_centred;  // NSDF window less its mean
    bool m_lowRange = false;
    std::vector<int16_t> m_work;
    int m_count = 0;
    WAVE_FORMAT m_format;
    int m_method = kFastAutoCorr;
    int m_blockLength = 0;
};
