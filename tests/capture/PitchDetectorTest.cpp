#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

#include "capture/PitchDetector.h"
#include "platform/null/NullDebugOutput.h"

namespace {

constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;
constexpr double kAmplitude = 16000.0;
constexpr double kTolerance = 0.01;  // of the frequency
constexpr int kNormalLongest = 678;  // 44100 / 65
constexpr int kLowLongest = 1260;    // 44100 / 35
constexpr int kFilterSlack = 2 * 220;

const WAVE_FORMAT kStereo = WAVE_FORMAT::Stream();
const WAVE_FORMAT kMono = WAVE_FORMAT::Pcm(1, 44100, 16);

using Wave = std::function<double(double)>;  // value at a time in samples

double MidiFrequency(int note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

double Cents(double measured, double expected) {
    return 1200.0 * std::log2(measured / expected);
}

int16_t Clamp16(double value) {
    return static_cast<int16_t>(std::clamp(std::lround(value), -32768L, 32767L));
}

// Frames of a stereo 16-bit block; each channel has its own wave.
std::vector<uint8_t> StereoBlock(int frames, const Wave& left, const Wave& right) {
    std::vector<uint8_t> bytes(static_cast<size_t>(frames) * 4);
    for (int i = 0; i < frames; ++i) {
        const int16_t values[2] = {Clamp16(left(i)), Clamp16(right(i))};
        std::copy_n(reinterpret_cast<const uint8_t*>(values), 4, bytes.begin() + i * 4);
    }
    return bytes;
}

std::vector<uint8_t> StereoBlock(int frames, const Wave& wave) {
    return StereoBlock(frames, wave, wave);
}

std::vector<uint8_t> MonoBlock(const std::vector<int16_t>& values) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(values.data());
    return std::vector<uint8_t>(bytes, bytes + values.size() * 2);
}

int BlockFrames(bool lowRange) {
    return 3 * (lowRange ? kLowLongest : kNormalLongest) + kFilterSlack;
}

Wave Sine(double frequency, double amplitude = kAmplitude) {
    return [=](double t) { return amplitude * std::sin(2.0 * kPi * frequency * t / kRate + 0.3); };
}

// A sine whose values repeat exactly every period samples.
Wave PeriodicSine(int period) {
    return [period](double t) { return Sine(kRate / period)(std::fmod(t, period)); };
}

struct RESULT {
    bool ok = false;
    double frequency = -1.0;
};

RESULT DetectBlock(int method, bool lowRange, const std::vector<uint8_t>& block,
                   const WAVE_FORMAT& format = kStereo) {
    CPitchDetector detector;
    EXPECT_TRUE(detector.SetUp(format, method, lowRange)) << detector.GetError();
    RESULT result;
    result.ok =
        detector.Detect(block.data(), static_cast<uint32_t>(block.size()), result.frequency);
    return result;
}

RESULT DetectWave(int method, bool lowRange, const Wave& wave) {
    return DetectBlock(method, lowRange, StereoBlock(BlockFrames(lowRange), wave));
}

// Largest error in cents over the notes; every note within the tolerance.
double SweepNotes(int method, bool lowRange, int firstNote, int lastNote) {
    double worst = 0.0;
    for (int note = firstNote; note <= lastNote; ++note) {
        const double expected = MidiFrequency(note);
        const RESULT result = DetectWave(method, lowRange, Sine(expected));
        EXPECT_TRUE(result.ok) << "note " << note;
        EXPECT_NEAR(result.frequency, expected, expected * kTolerance) << "note " << note;
        if (result.ok && result.frequency > 0.0) {
            worst = std::max(worst, std::abs(Cents(result.frequency, expected)));
        }
    }
    return worst;
}

const int kLagMethods[] = {CPitchDetector::kFastAutoCorr, CPitchDetector::kNormalisedDifference};

TEST(PitchSetUp, RefusesAnythingButSixteenBit) {
    CPitchDetector detector;
    EXPECT_FALSE(detector.SetUp(WAVE_FORMAT::Pcm(2, 44100, 8), 4, false));
    EXPECT_STREQ(detector.GetError(), "Can't detect pitch in 8-bit sound, only in 16-bit");
    EXPECT_FALSE(detector.SetUp(WAVE_FORMAT::Pcm(2, 44100, 24), 4, false));
    EXPECT_FALSE(detector.SetUp(WAVE_FORMAT::Pcm(0, 44100, 16), 4, false));
    EXPECT_EQ(std::string(detector.GetError()).rfind("Can't ", 0), 0u);
    ASSERT_TRUE(detector.SetUp(kStereo, 5, true));
    EXPECT_TRUE(detector.IsLowRange());
    EXPECT_EQ(detector.GetMethod(), 5);
}

TEST(PitchSetUp, DetectingBeforeSetUpFails) {
    CPitchDetector detector;
    const std::vector<uint8_t> block = StereoBlock(BlockFrames(false), Sine(440.0));
    double frequency = -1.0;
    EXPECT_FALSE(detector.Detect(block.data(), static_cast<uint32_t>(block.size()), frequency));
    EXPECT_EQ(frequency, 0.0);
}

TEST(PitchNoPitch, SilenceGivesZeroWithSuccess) {
    for (int method : kLagMethods) {
        for (bool low : {false, true}) {
            const RESULT result = DetectWave(method, low, [](double) { return 0.0; });
            EXPECT_TRUE(result.ok) << method;
            EXPECT_EQ(result.frequency, 0.0) << method;
        }
    }
}

TEST(PitchNoPitch, ConstantOffsetGivesZero) {
    for (int method : kLagMethods) {
        const RESULT result = DetectWave(method, false, [](double) { return 5000.0; });
        EXPECT_TRUE(result.ok) << method;
        EXPECT_EQ(result.frequency, 0.0) << method;
    }
}

TEST(PitchNoPitch, MethodSixAndBlockExtremesGiveZero) {
    for (int method : {CPitchDetector::kBlockExtremes, CPitchDetector::kNoMethod}) {
        const RESULT result = DetectWave(method, false, Sine(220.0));
        EXPECT_TRUE(result.ok) << method;
        EXPECT_EQ(result.frequency, 0.0) << method;
    }
}

TEST(PitchFailures, UnknownMethodFailsWithoutText) {
    for (int method : {0, 7, -1}) {
        CPitchDetector detector;
        ASSERT_TRUE(detector.SetUp(kStereo, method, false));
        const std::vector<uint8_t> block = StereoBlock(BlockFrames(false), Sine(220.0));
        double frequency = -1.0;
        EXPECT_FALSE(detector.Detect(block.data(), static_cast<uint32_t>(block.size()), frequency));
        EXPECT_EQ(frequency, 0.0);
        EXPECT_STREQ(detector.GetError(), "");
    }
}

TEST(PitchFailures, BlockTooShortFailsWithZeroAndNoText) {
    const int width = 22;
    for (int method : kLagMethods) {
        CPitchDetector detector;
        ASSERT_TRUE(detector.SetUp(kStereo, method, false));
        const std::vector<uint8_t> block = StereoBlock(3 * kNormalLongest + width - 1, Sine(220.0));
        double frequency = -1.0;
        EXPECT_FALSE(detector.Detect(block.data(), static_cast<uint32_t>(block.size()), frequency));
        EXPECT_EQ(frequency, 0.0);
        EXPECT_STREQ(detector.GetError(), "");
        const std::vector<uint8_t> enough = StereoBlock(3 * kNormalLongest + width, Sine(220.0));
        EXPECT_TRUE(
            detector.Detect(enough.data(), static_cast<uint32_t>(enough.size()), frequency));
        EXPECT_NEAR(frequency, 220.0, 220.0 * kTolerance);
    }
}

TEST(PitchFailures, FewerFramesThanTheFilterFail) {
    CPitchDetector detector;
    ASSERT_TRUE(detector.SetUp(kStereo, CPitchDetector::kFastAutoCorr, false));
    const std::vector<uint8_t> block = StereoBlock(10, Sine(220.0));
    double frequency = -1.0;
    EXPECT_FALSE(detector.Detect(block.data(), static_cast<uint32_t>(block.size()), frequency));
    EXPECT_FALSE(detector.Detect(block.data(), 0, frequency));
    EXPECT_FALSE(detector.Detect(nullptr, 4000, frequency));
    EXPECT_EQ(frequency, 0.0);
}

TEST(PitchFailures, BlockBeyondTheCapacityFails) {
    CPitchDetector detector;
    ASSERT_TRUE(detector.SetUp(kStereo, CPitchDetector::kNoMethod, false));
    const int frames = CPitchDetector::kCapacity / 2 + 22 + 1;
    const std::vector<uint8_t> block(static_cast<size_t>(frames) * 4, 0);
    double frequency = -1.0;
    EXPECT_FALSE(detector.Detect(block.data(), static_cast<uint32_t>(block.size()), frequency));
    EXPECT_EQ(frequency, 0.0);
    EXPECT_TRUE(detector.Detect(block.data(), static_cast<uint32_t>(block.size() - 4), frequency));
}

TEST(PitchFailures, OddByteCountsUseWholeFramesOnly) {
    const std::vector<uint8_t> block = StereoBlock(BlockFrames(false), Sine(330.0));
    for (uint32_t trim : {1u, 2u, 3u}) {
        CPitchDetector detector;
        ASSERT_TRUE(detector.SetUp(kStereo, CPitchDetector::kFastAutoCorr, false));
        double frequency = 0.0;
        ASSERT_TRUE(
            detector.Detect(block.data(), static_cast<uint32_t>(block.size()) - trim, frequency));
        EXPECT_NEAR(frequency, 330.0, 330.0 * kTolerance);
    }
}

TEST(PitchFastAutoCorr, DirectCallNeedsThreeLongestLags) {
    CPitchDetector detector;
    ASSERT_TRUE(detector.SetUp(kMono, CPitchDetector::kFastAutoCorr, false));
    std::vector<int16_t> values(3 * kNormalLongest);
    for (size_t i = 0; i < values.size(); ++i) {
        values[i] = Clamp16(PeriodicSine(100)(static_cast<double>(i)));
    }
    double frequency = -1.0;
    EXPECT_FALSE(detector.FastAutoCorr(values.data(), static_cast<int>(values.size()) - 1, 44100,
                                       frequency));
    EXPECT_EQ(frequency, 0.0);
    EXPECT_FALSE(detector.FastAutoCorr(nullptr, 5000, 44100, frequency));
    ASSERT_TRUE(
        detector.FastAutoCorr(values.data(), static_cast<int>(values.size()), 44100, frequency));
    EXPECT_DOUBLE_EQ(frequency, 441.0);
}

TEST(PitchFastAutoCorr, RateBelowTheHighestFrequencyHasNoLagsToSearch) {
    CNullDebugOutput debug;
    CPitchDetector detector;
    const std::vector<int16_t> values(100, 1000);
    double frequency = -1.0;
    ASSERT_TRUE(detector.FastAutoCorr(values.data(), 100, 1000, frequency));
    EXPECT_EQ(frequency, 0.0);
    // Said in the log only: it may come many times a second.
    EXPECT_FALSE(debug.Contains("No best samples in CPitchDetector::FastAutoCorr"));
}

TEST(PitchRates, LowerRateStillRight) {
    const WAVE_FORMAT format = WAVE_FORMAT::Pcm(1, 8000, 16);
    std::vector<int16_t> values(1000);
    for (size_t i = 0; i < values.size(); ++i) {
        values[i] = Clamp16(kAmplitude * std::sin(2.0 * kPi * 440.0 * i / 8000.0));
    }
    for (int method : kLagMethods) {
        const RESULT result = DetectBlock(method, false, MonoBlock(values), format);
        ASSERT_TRUE(result.ok);
        EXPECT_NEAR(result.frequency, 440.0, 440.0 * kTolerance) << "method " << method;
    }
}

TEST(PitchSweeps, EveryNoteOfTheNormalRange) {
    for (int method : kLagMethods) {
        const double worst = SweepNotes(method, false, 36, 95);
        std::printf("method %d, normal range, MIDI 36..95: max error %.2f cents\n", method, worst);
    }
}

TEST(PitchSweeps, EveryNoteOfTheLowRange) {
    for (int method : kLagMethods) {
        const double worst = SweepNotes(method, true, 28, 55);
        std::printf("method %d, low range, MIDI 28..55: max error %.2f cents\n", method, worst);
    }
}

TEST(PitchSweeps, ExactlyPeriodicToneGivesItsPeriod) {
    const double frequencies[] = {441.0, 220.5, 110.25, 882.0, 1764.0, 147.0};
    for (int method : kLagMethods) {
        for (double f : frequencies) {
            const RESULT result = DetectWave(method, false, Sine(f));
            ASSERT_TRUE(result.ok);
            EXPECT_NEAR(result.frequency, f, f * kTolerance) << method;
        }
    }
    // Exactly repeating values: the difference at the period is 0 and wins.
    EXPECT_DOUBLE_EQ(DetectWave(CPitchDetector::kFastAutoCorr, false, PeriodicSine(100)).frequency,
                     441.0);
    EXPECT_DOUBLE_EQ(DetectWave(CPitchDetector::kFastAutoCorr, false, PeriodicSine(25)).frequency,
                     1764.0);
    EXPECT_DOUBLE_EQ(DetectWave(CPitchDetector::kFastAutoCorr, true, PeriodicSine(400)).frequency,
                     110.25);
    const RESULT nsdf = DetectWave(CPitchDetector::kNormalisedDifference, false, PeriodicSine(100));
    EXPECT_NEAR(nsdf.frequency, 441.0, 0.01);
}

TEST(PitchHarmonics, WeakFundamentalStillGivesTheFundamental) {
    for (int method : kLagMethods) {
        for (double f : {82.4, 110.0, 220.0, 330.0, 440.0}) {
            const Wave wave = [f](double t) { return 0.3 * Sine(f)(t) + 1.0 * Sine(2.0 * f)(t); };
            const RESULT result = DetectWave(method, false, wave);
            ASSERT_TRUE(result.ok);
            EXPECT_NEAR(result.frequency, f, f * kTolerance) << "method " << method;
        }
    }
}

// Largest error in cents of a wave built for each note; every note within
// the tolerance.
double SweepWaves(int method, int firstNote, int lastNote,
                  const std::function<Wave(double)>& waveOf) {
    double worst = 0.0;
    for (int note = firstNote; note <= lastNote; ++note) {
        const double expected = MidiFrequency(note);
        const RESULT result = DetectWave(method, false, waveOf(expected));
        EXPECT_TRUE(result.ok) << "note " << note;
        EXPECT_NEAR(result.frequency, expected, expected * kTolerance)
            << "method " << method << " note " << note;
        if (result.ok && result.frequency > 0.0) {
            worst = std::max(worst, std::abs(Cents(result.frequency, expected)));
        }
    }
    return worst;
}

TEST(PitchHarmonics, WeakFundamentalOverTheNotes) {
    // The second harmonic stays at or below the highest frequency.
    for (int method : kLagMethods) {
        const double worst = SweepWaves(method, 36, 83, [](double f) {
            return [f](double t) { return 0.3 * Sine(f)(t) + 1.0 * Sine(2.0 * f)(t); };
        });
        std::printf("method %d, fundamental 0.3 under harmonic 1.0: max error %.2f cents\n", method,
                    worst);
    }
}

TEST(PitchHarmonics, RichToneOverTheNotes) {
    // Five harmonics falling as 1 / k, like a plucked string.
    for (int method : kLagMethods) {
        const double worst = SweepWaves(method, 36, 95, [](double f) {
            return [f](double t) {
                double sum = 0.0;
                for (int k = 1; k <= 5; ++k) {
                    sum += Sine(k * f, kAmplitude / (k + 1))(t);
                }
                return sum;
            };
        });
        std::printf("method %d, five harmonics: max error %.2f cents\n", method, worst);
    }
}

TEST(PitchDistortion, NoisySineStillRight) {
    for (int method : kLagMethods) {
        uint32_t seed = 12345;
        const double worst = SweepWaves(method, 36, 95, [&seed](double f) {
            return [f, &seed](double t) {
                seed = seed * 1664525u + 1013904223u;
                const double noise = (static_cast<double>(seed >> 8) / (1u << 24) - 0.5) * 1600.0;
                return Sine(f)(t) + noise;
            };
        });
        std::printf("method %d, sine with 5 %% noise: max error %.2f cents\n", method, worst);
    }
}

TEST(PitchDistortion, OffsetSineStillRight) {
    for (int method : kLagMethods) {
        for (double f : {65.4, 220.0, 880.0}) {
            const Wave wave = [f](double t) { return 8000.0 + Sine(f, 12000.0)(t); };
            const RESULT result = DetectWave(method, false, wave);
            ASSERT_TRUE(result.ok);
            EXPECT_NEAR(result.frequency, f, f * kTolerance) << "method " << method;
        }
    }
}

TEST(PitchDistortion, HalfClippedSineStillRight) {
    for (int method : kLagMethods) {
        for (double f : {98.0, 261.6, 523.3, 1046.5}) {
            const Wave clipped = [f](double t) {
                return std::clamp(Sine(f, 32000.0)(t), -16000.0, 16000.0);
            };
            const RESULT result = DetectWave(method, false, clipped);
            ASSERT_TRUE(result.ok);
            EXPECT_NEAR(result.frequency, f, f * kTolerance) << "method " << method;
        }
    }
}

TEST(PitchChannels, StereoWithASilentChannel) {
    for (int method : kLagMethods) {
        const std::vector<uint8_t> block =
            StereoBlock(BlockFrames(false), Sine(196.0), [](double) { return 0.0; });
        const RESULT result = DetectBlock(method, false, block);
        ASSERT_TRUE(result.ok);
        EXPECT_NEAR(result.frequency, 196.0, 196.0 * kTolerance) << "method " << method;
    }
}

TEST(PitchChannels, MonoBlock) {
    std::vector<int16_t> values(static_cast<size_t>(BlockFrames(true)));
    for (size_t i = 0; i < values.size(); ++i) {
        values[i] = Clamp16(Sine(55.0)(static_cast<double>(i)));
    }
    for (int method : kLagMethods) {
        const RESULT result = DetectBlock(method, true, MonoBlock(values), kMono);
        ASSERT_TRUE(result.ok);
        EXPECT_NEAR(result.frequency, 55.0, 55.0 * kTolerance) << "method " << method;
    }
}

TEST(PitchThresholdPeaks, LargerNegativeSwingUsesNegativePeaks) {
    // Negative half a full sine; positive half two small bumps, so positive
    // peaks would give twice the frequency.
    const double f = 220.0;
    const Wave wave = [f](double t) {
        const double s = std::sin(2.0 * kPi * f * t / kRate);
        return s < 0.0 ? 20000.0 * s : 10000.0 * std::abs(std::sin(4.0 * kPi * f * t / kRate));
    };
    const RESULT result = DetectWave(CPitchDetector::kThresholdPeaks, false, wave);
    ASSERT_TRUE(result.ok);
    EXPECT_NEAR(result.frequency, f, f * kTolerance);
    const Wave flipped = [wave](double t) { return -wave(t); };
    const RESULT positive = DetectWave(CPitchDetector::kThresholdPeaks, false, flipped);
    ASSERT_TRUE(positive.ok);
    EXPECT_NEAR(positive.frequency, f, f * kTolerance);
}

TEST(PitchThresholdPeaks, SilenceHasNoPeaks) {
    CPitchDetector detector;
    ASSERT_TRUE(detector.SetUp(kStereo, CPitchDetector::kThresholdPeaks, false));
    const std::vector<uint8_t> block(static_cast<size_t>(BlockFrames(false)) * 4, 0);
    double frequency = -1.0;
    EXPECT_FALSE(detector.Detect(block.data(), static_cast<uint32_t>(block.size()), frequency));
    EXPECT_STREQ(detector.GetError(), "Can't find any peaks");
    EXPECT_EQ(frequency, 0.0);
}

TEST(PitchZeroCrossings, SineGivesItsFrequency) {
    const RESULT result = DetectWave(CPitchDetector::kZeroCrossings, false, Sine(330.0));
    ASSERT_TRUE(result.ok);
    EXPECT_NEAR(result.frequency, 330.0, 330.0 * kTolerance);
}

TEST(PitchZeroCrossings, LongOutlierIntervalIsDropped) {
    // Cycles of 100, 101, 99 and 200 samples between rising crossings: the
    // spread exceeds 5 % of the mean 125, so only 100, 101 and 99 count.
    const int cycles[] = {100, 100, 101, 99, 200, 100};
    std::vector<int16_t> values;
    for (int length : cycles) {
        for (int i = 0; i < length; ++i) {
            values.push_back(Clamp16(kAmplitude * std::sin(2.0 * kPi * i / length)));
        }
    }
    const RESULT result =
        DetectBlock(CPitchDetector::kZeroCrossings, false, MonoBlock(values), kMono);
    ASSERT_TRUE(result.ok);
    EXPECT_NEAR(result.frequency, 441.0, 441.0 * kTolerance);
}

TEST(PitchZeroCrossings, SilenceGivesZero) {
    const RESULT result =
        DetectWave(CPitchDetector::kZeroCrossings, false, [](double) { return 0.0; });
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.frequency, 0.0);
}

TEST(PitchSpeed, TimePerDetectOnALiveBlock) {
    // Method 6 times the filter alone.
    for (int method : {CPitchDetector::kFastAutoCorr, CPitchDetector::kNormalisedDifference,
                       CPitchDetector::kNoMethod}) {
        CPitchDetector detector;
        ASSERT_TRUE(detector.SetUp(kStereo, method, false));
        const std::vector<uint8_t> block = StereoBlock(BlockFrames(false), Sine(220.0));
        constexpr int kRuns = 50;
        double frequency = 0.0;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kRuns; ++i) {
            ASSERT_TRUE(
                detector.Detect(block.data(), static_cast<uint32_t>(block.size()), frequency));
        }
        const std::chrono::duration<double, std::micro> spent =
            std::chrono::steady_clock::now() - start;
        std::printf("method %d: %.1f us per Detect of %d frames\n", method, spent.count() / kRuns,
                    BlockFrames(false));
    }
}

}  // namespace
