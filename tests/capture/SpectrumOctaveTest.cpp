#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <utility>
#include <vector>

#include "capture/SpectrumOctave.h"

namespace {

constexpr double kRate = 22050.0;
constexpr double kPi = 3.14159265358979323846;

// Partials given as (multiple of frequency, amplitude), over seconds.
std::vector<float> Tone(double frequency, std::initializer_list<std::pair<double, double>> partials,
                        double seconds = 0.1) {
    std::vector<float> values(static_cast<size_t>(seconds * kRate));
    for (size_t i = 0; i < values.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        double value = 0.0;
        for (const auto& [multiple, amplitude] : partials) {
            value += amplitude * std::sin(2.0 * kPi * multiple * frequency * t + multiple);
        }
        values[i] = static_cast<float>(0.2 * value);
    }
    return values;
}

bool OctaveLow(const std::vector<float>& values, double frequency) {
    return CSpectrumOctave(kRate).IsOctaveLow(values.data(), static_cast<int>(values.size()),
                                              frequency);
}

}  // namespace

// The key's partials and a quint a fifth over the octave below: the period
// found is the octave below, which has nothing of its own.
TEST(SpectrumOctave, FindsTheOctaveBelowAnOrgansQuintStopHollow) {
    const double key = 659.3;
    const std::vector<float> organ =
        Tone(key, {{1.0, 0.8}, {1.5, 0.35}, {2.0, 0.9}, {3.0, 0.5}, {4.0, 0.4}});
    EXPECT_TRUE(OctaveLow(organ, key / 2.0));
    EXPECT_FALSE(OctaveLow(organ, key));
}

// Real notes keep their pitch: a weak fundamental, a hollow reed with odd
// partials only, a strong second partial.
TEST(SpectrumOctave, LeavesNotesThatSoundTheirOwnFundamental) {
    for (double f : {262.0, 440.0, 880.0}) {
        EXPECT_FALSE(OctaveLow(Tone(f, {{1.0, 0.2}, {2.0, 1.0}, {3.0, 0.8}, {4.0, 0.3}}), f)) << f;
        EXPECT_FALSE(OctaveLow(Tone(f, {{1.0, 1.0}, {3.0, 0.6}, {5.0, 0.4}}), f)) << f;
        EXPECT_FALSE(OctaveLow(Tone(f, {{1.0, 0.3}, {2.0, 1.0}}), f)) << f;
    }
}

// Below the middle of the keyboard a microphone may lose the fundamental
// itself, so no pitch there is moved.
TEST(SpectrumOctave, LeavesLowPitchesAlone) {
    EXPECT_FALSE(OctaveLow(Tone(130.8, {{2.0, 1.0}, {3.0, 0.2}, {4.0, 0.5}}), 130.8));
}

// Two notes a semitone apart repeat together at a long common period with
// nothing at its own frequency; a note's own period has its fundamental.
TEST(SpectrumOctave, TellsAMixturesCommonPeriodHasNoFundamental) {
    const double f = 698.5;
    const std::vector<float> mixture = Tone(f / 15.0, {{15.0, 1.0}, {16.0, 0.8}, {30.0, 0.4}}, 0.3);
    const CSpectrumOctave check(kRate);
    EXPECT_TRUE(check.LacksFundamental(mixture.data(), static_cast<int>(mixture.size()), f / 15.0));
    const std::vector<float> note = Tone(f, {{1.0, 1.0}, {2.0, 0.5}});
    EXPECT_FALSE(check.LacksFundamental(note.data(), static_cast<int>(note.size()), f));
}

TEST(SpectrumOctave, AnswersNothingWithoutEnoughValues) {
    const std::vector<float> organ = Tone(659.3, {{1.0, 0.8}, {1.5, 0.35}, {2.0, 0.9}}, 0.005);
    EXPECT_FALSE(OctaveLow(organ, 659.3 / 2.0));
    PARTIAL_SHARES shares;
    EXPECT_FALSE(CSpectrumOctave(kRate).Measure(organ.data(), static_cast<int>(organ.size()),
                                                659.3 / 2.0, shares));
    EXPECT_FALSE(CSpectrumOctave(kRate).Measure(nullptr, 0, 440.0, shares));
}
