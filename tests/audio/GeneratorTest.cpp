#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "TempFolder.h"
#include "audio/Generator.h"
#include "audio/SoundFile.h"
#include "audio/SoundInfo.h"

namespace {

// A 100 Hz tone: 0.1 s attack to full level, 0.1 s decay to half, 0.2 s
// sustain at half and 0.1 s release.
GEN_SOUND_INFO BaseTone() {
    GEN_SOUND_INFO tone;
    tone.frequency = 100.0;
    tone.peak = 1.0;
    tone.attack = 0.1;
    tone.decay = 0.1;
    tone.sustain = 0.2;
    tone.release = 0.1;
    tone.sustainStart = 0.5;
    tone.sustainEnd = 0.5;
    return tone;
}

// The largest magnitude of the left values within a period around frame.
int PeakAround(const CSoundInfo& sound, uint32_t frame, uint32_t span = 441) {
    const uint32_t frames = sound.GetSize() / sound.format.blockAlign;
    int peak = 0;
    for (uint32_t f = frame > span ? frame - span : 0; f < std::min(frames, frame + 1); ++f) {
        peak = std::max(peak, std::abs(static_cast<int>(sound.GetValues()[f * 2])));
    }
    return peak;
}

class Generator : public testing::Test {
protected:
    CCharString Folder() const { return (m_folder.Get() + "/wave/").c_str(); }
    CTempFolder m_folder{"generator"};
};

TEST_F(Generator, EmptyListFails) {
    CGenerator generator(Folder());
    CVarList<GEN_SOUND_INFO> tones(CGenerator::kToneGrowStep);
    CSoundInfo out;
    EXPECT_FALSE(generator.Generate(tones, out));
    EXPECT_EQ(std::string(generator.GetError()).rfind("Can't", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(generator.GetFileName().GetText()));
}

TEST_F(Generator, AttackReachesThePeakAtItsEndAndTheFileIsWritten) {
    CGenerator generator(Folder());
    CVarList<GEN_SOUND_INFO> tones(CGenerator::kToneGrowStep);
    ASSERT_TRUE(tones.Add(BaseTone()));
    CSoundInfo out;
    out.format = WAVE_FORMAT::Stream();
    ASSERT_TRUE(generator.Generate(tones, out)) << generator.GetError();
    EXPECT_EQ(generator.GetFileName(), (Folder().Str() + "Generated.wav").c_str());
    // 0.5 s rounded to whole frames.
    EXPECT_EQ(out.GetSize(), 22050u * 4);
    // The level rises linearly: half at 0.05 s, about 1.0 at 0.1 s, then
    // down to the sustain level of 0.5.
    EXPECT_NEAR(PeakAround(out, 2205), 16384, 400);
    EXPECT_NEAR(PeakAround(out, 4409), 32767, 100);
    EXPECT_NEAR(PeakAround(out, 13230), 16384, 200);
    EXPECT_LT(PeakAround(out, 22049, 50), 400);

    CSoundFile file;
    CSoundInfo written;
    ASSERT_TRUE(file.ReadInfo(generator.GetFileName(), written)) << file.GetError();
    EXPECT_TRUE(written.format.SameLayout(WAVE_FORMAT::Stream()));
    EXPECT_EQ(written.GetSize(), out.GetSize());
}

TEST_F(Generator, PanAndHarmonicsShapeTheChannels) {
    CGenerator generator(Folder());
    CVarList<GEN_SOUND_INFO> tones(CGenerator::kToneGrowStep);
    GEN_SOUND_INFO base = BaseTone();
    base.pan = 1.0;  // right only
    ASSERT_TRUE(tones.Add(base));
    const GEN_SOUND_INFO harmonic = CGenerator::MakeHarmonic(base, 2.0, 0.5, 1.0);
    EXPECT_DOUBLE_EQ(harmonic.frequency, 200.0);
    EXPECT_DOUBLE_EQ(harmonic.peak, 0.5);
    EXPECT_DOUBLE_EQ(harmonic.sustainStart, 0.25);
    ASSERT_TRUE(tones.Add(harmonic));
    CSoundInfo out;  // an unset format takes the stream's
    ASSERT_TRUE(generator.Generate(tones, out)) << generator.GetError();
    EXPECT_TRUE(out.format.SameLayout(WAVE_FORMAT::Stream()));
    int left = 0;
    int right = 0;
    const uint32_t frames = out.GetSize() / 4;
    for (uint32_t f = 0; f < frames; ++f) {
        left = std::max(left, std::abs(static_cast<int>(out.GetValues()[f * 2])));
        right = std::max(right, std::abs(static_cast<int>(out.GetValues()[f * 2 + 1])));
    }
    EXPECT_EQ(left, 0);
    EXPECT_GT(right, 32000);
}

TEST_F(Generator, ToneWithoutFrequencyOrLengthIsRefused) {
    CGenerator generator(Folder());
    CSoundInfo out;
    for (const double frequency : {0.0, -5.0}) {
        CVarList<GEN_SOUND_INFO> tones(CGenerator::kToneGrowStep);
        GEN_SOUND_INFO tone = BaseTone();
        tone.frequency = frequency;
        ASSERT_TRUE(tones.Add(tone));
        EXPECT_FALSE(generator.Generate(tones, out));
        EXPECT_EQ(std::string(generator.GetError()).rfind("Can't", 0), 0u);
    }
    CVarList<GEN_SOUND_INFO> silent(CGenerator::kToneGrowStep);
    GEN_SOUND_INFO tone = BaseTone();
    tone.attack = tone.decay = tone.sustain = tone.release = 0.0;
    ASSERT_TRUE(silent.Add(tone));
    EXPECT_FALSE(generator.Generate(silent, out));
    EXPECT_EQ(std::string(generator.GetError()).rfind("Can't", 0), 0u);
    tone.attack = -1.0;
    ASSERT_TRUE(silent.RemoveAll() && silent.Add(tone));
    EXPECT_FALSE(generator.Generate(silent, out));
    // Stages of no length are skipped without dividing by zero.
    tone = BaseTone();
    tone.attack = 0.0;
    tone.release = 0.0;
    ASSERT_TRUE(silent.RemoveAll() && silent.Add(tone));
    EXPECT_TRUE(generator.Generate(silent, out)) << generator.GetError();
}

}  // namespace
