#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "capture/PitchNamer.h"
#include "capture/StepWatcher.h"

namespace {

double At(int midi, double cents = 0.0) {
    return CPitchNamer::FrequencyOf(midi) * std::pow(2.0, cents / 1200.0);
}

// Feeds the readings; returns how many were read before a step was heard
// (0 for none) and the step's pitch.
int Feed(CStepWatcher& steps, int noteMidi, const std::vector<double>& readings, double& named) {
    for (size_t i = 0; i < readings.size(); ++i) {
        if (steps.Add(readings[i], noteMidi, named)) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

}  // namespace

TEST(StepWatcher, HearsASteadyPitchAToneAwayAfterFiveReadings) {
    CStepWatcher steps;
    double named = 0.0;
    EXPECT_EQ(Feed(steps, 60, {At(62, 5), At(62, -5), At(62), At(62, 8), At(62, -3)}, named), 5);
    EXPECT_EQ(CPitchNamer::MidiOf(named), 62);
    EXPECT_NEAR(CPitchNamer::Cents(named, At(62)), 0.0, 0.01);
}

TEST(StepWatcher, WaitsOutAVoiceGlidingIntoItsNote) {
    CStepWatcher steps;
    double named = 0.0;
    // Scooping up from 70 cents under D4 and settling on it: the readings
    // a semitone under are not named.
    std::vector<double> readings;
    for (double cents : {-70.0, -60.0, -50.0, -40.0, -30.0, -20.0, -10.0}) {
        readings.push_back(At(62, cents));
    }
    for (int i = 0; i < 10; ++i) {
        readings.push_back(At(62, i % 2 == 0 ? -5.0 : 5.0));
    }
    const int heard = Feed(steps, 58, readings, named);
    EXPECT_GT(heard, 7);
    EXPECT_LE(heard, 14);
    EXPECT_EQ(CPitchNamer::MidiOf(named), 62);
}

TEST(StepWatcher, HearsNoStepToTheNotesOwnOctaveOrNeighbourhood) {
    CStepWatcher steps;
    double named = 0.0;
    std::vector<double> octave(8, At(72));
    EXPECT_EQ(Feed(steps, 60, octave, named), 0);
    std::vector<double> near(8, At(60, 60.0));  // within the note's hold
    EXPECT_EQ(Feed(steps, 60, near, named), 0);
}

TEST(StepWatcher, NamesAVoiceReadAnOctaveHighNowAndThenInItsLowerOctave) {
    CStepWatcher steps;
    double named = 0.0;
    EXPECT_EQ(Feed(steps, 60, {At(64), At(76), At(64), At(64), At(76)}, named), 5);
    EXPECT_EQ(CPitchNamer::MidiOf(named), 64);
}

TEST(StepWatcher, KeepsTheFirstLossUntilReset) {
    CStepWatcher steps;
    EXPECT_EQ(steps.GetLostIndex(), -1);
    steps.Lost(1000, 0.5);
    steps.Lost(1128, 0.6);
    EXPECT_EQ(steps.GetLostIndex(), 1000);
    EXPECT_DOUBLE_EQ(steps.GetLostTime(), 0.5);
    steps.Reset();
    EXPECT_EQ(steps.GetLostIndex(), -1);
    // An unclear hop starts the count again.
    double named = 0.0;
    EXPECT_EQ(Feed(steps, 60, {At(62), At(62), At(62), At(62)}, named), 0);
    steps.Unclear();
    EXPECT_EQ(Feed(steps, 60, {At(62), At(62), At(62), At(62)}, named), 0);
    EXPECT_EQ(Feed(steps, 60, {At(62)}, named), 1);
}
