#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "WaveTesting.h"
#include "audio/SampleOps.h"
#include "audio/SoundFile.h"
#include "audio/SoundInfo.h"

namespace {

CSoundInfo SoundOf(const WAVE_FORMAT& format, const std::vector<int16_t>& values) {
    CSoundInfo sound;
    sound.format = format;
    const auto* bytes = reinterpret_cast<const uint8_t*>(values.data());
    sound.SetData(Bytes(bytes, bytes + values.size() * 2));
    return sound;
}

std::vector<int16_t> ValuesOf(const CSoundInfo& sound) {
    return std::vector<int16_t>(sound.GetValues(), sound.GetValues() + sound.GetSize() / 2);
}

const WAVE_FORMAT kMono = WAVE_FORMAT::Pcm(1, 44100, 16);

TEST(SampleConversions, SecondsToBytesRoundsDownToWholeFrames) {
    const WAVE_FORMAT stereo = WAVE_FORMAT::Stream();
    EXPECT_EQ(CSampleOps::SecondsToBytes(stereo, 0.5), 88200u);
    EXPECT_EQ(CSampleOps::SecondsToBytes(stereo, 0.00001), 0u);
    EXPECT_EQ(CSampleOps::SecondsToBytes(stereo, 0.0), 0u);
    EXPECT_EQ(CSampleOps::SecondsToBytes(stereo, -1.0), 0u);
    EXPECT_EQ(CSampleOps::SecondsToBytes(stereo, 1.0 / 44100 * 1.5), 4u);
    EXPECT_EQ(CSampleOps::SecondsToBytes(WAVE_FORMAT(), 1.0), 0u);
    EXPECT_EQ(CSampleOps::SecondsToBytes(stereo, 1e12) % 4, 0u);
    EXPECT_DOUBLE_EQ(CSampleOps::BytesToSeconds(stereo, 88200), 0.5);
    EXPECT_EQ(CSampleOps::BytesToSeconds(WAVE_FORMAT(), 88200), 0.0);
}

TEST(SampleMixing, MixingRuleAtItsCorners) {
    EXPECT_EQ(CSampleOps::Mix(20000, 20000), 27793);
    EXPECT_EQ(CSampleOps::Mix(-20000, -20000), -27793);
    EXPECT_EQ(CSampleOps::Mix(20000, -20000), 0);
    EXPECT_EQ(CSampleOps::Mix(32767, 32767), 32767);
    EXPECT_EQ(CSampleOps::Mix(-32768, -32768), -32768);
    EXPECT_EQ(CSampleOps::Mix(0, 0), 0);
    EXPECT_EQ(CSampleOps::Mix(0, 1234), 1234);
    EXPECT_EQ(CSampleOps::Mix(-1234, 0), -1234);
    EXPECT_EQ(CSampleOps::Mix(32767, -32768), -1);
}

TEST(SampleMixing, MixingZeroValuesFails) {
    int16_t dest[2] = {100, -100};
    const int16_t add[2] = {100, -100};
    CCharString error;
    EXPECT_FALSE(CSampleOps::MixValues(dest, add, 0, error));
    EXPECT_STREQ(error, "Mixng zero sizes");
    ASSERT_TRUE(CSampleOps::MixValues(dest, add, 2, error));
    EXPECT_EQ(dest[0], CSampleOps::Mix(100, 100));
    EXPECT_EQ(dest[1], CSampleOps::Mix(-100, -100));
}

TEST(SampleMixing, PanLawKeepsTheNearSideWhole) {
    int16_t left = 0;
    int16_t right = 0;
    CSampleOps::SplitByPan(1000, 0.5f, left, right);
    EXPECT_EQ(left, 500);
    EXPECT_EQ(right, 1000);
    CSampleOps::SplitByPan(1000, -0.25f, left, right);
    EXPECT_EQ(left, 1000);
    EXPECT_EQ(right, 750);
    CSampleOps::SplitByPan(-1000, 0.0f, left, right);
    EXPECT_EQ(left, -1000);
    EXPECT_EQ(right, -1000);
    CSampleOps::SplitByPan(1000, 1.0f, left, right);
    EXPECT_EQ(left, 0);
    CSampleOps::SplitByPan(1000, 7.0f, left, right);  // beyond the right edge
    EXPECT_EQ(left, 0);
    EXPECT_EQ(right, 1000);
}

TEST(SampleLevel, NormaliseScalesEveryValueToThePeak) {
    CSoundInfo stereo = SoundOf(WAVE_FORMAT::Stream(), {1000, -2000, 500, 0, 0, 100, -100, 2000});
    CSampleOps::Normalise(stereo, 0.5);
    const std::vector<int16_t> values = ValuesOf(stereo);
    EXPECT_NEAR(values[1], -16383, 1);
    EXPECT_NEAR(values[7], 16383, 1);
    EXPECT_NEAR(values[0], 8191, 1);
    EXPECT_NEAR(values[5], 819, 1);  // the last frames are scaled too
}

TEST(SampleLevel, NormalisingSilenceChangesNothing) {
    const std::vector<int16_t> quiet = {0, 10, -20, 0, 5};
    CSoundInfo sound = SoundOf(kMono, quiet);
    CSampleOps::Normalise(sound, 1.0);
    EXPECT_EQ(ValuesOf(sound), quiet);
    CSoundInfo empty;
    empty.format = kMono;
    CSampleOps::Normalise(empty, 1.0);
    EXPECT_EQ(empty.GetSize(), 0u);
}

TEST(SampleLength, TrimStartsAtTheCrossingBeforeTheThresholdAndEndsAtACrossing) {
    // Quiet, then a wave that reaches half scale, then a tail.
    CSoundInfo sound = SoundOf(kMono, {0, 10, -10, -5, 3, 8000, 20000, 5000, -5000, -100, 50, 60});
    ASSERT_TRUE(CSampleOps::Trim(sound, 0.5, 10.0));
    // Starts at the crossing (3 after -5) and ends before the last crossing (50).
    EXPECT_EQ(ValuesOf(sound), (std::vector<int16_t>{3, 8000, 20000, 5000, -5000, -100}));
}

TEST(SampleLength, TrimCutsToTheMaximumLength) {
    CSoundInfo sound = Sine(1000, 44100, 1.0);
    ASSERT_TRUE(CSampleOps::Trim(sound, 0.1, 0.5));
    EXPECT_LE(sound.GetSize(), 44100u);
    EXPECT_GT(sound.GetSize(), 44100u - 2 * 45u);
    // Nothing reaches the threshold: nothing changes.
    CSoundInfo quiet = SoundOf(kMono, {1, 2, 3});
    ASSERT_TRUE(CSampleOps::Trim(quiet, 0.5, 0.0001));
    EXPECT_EQ(quiet.GetSize(), 6u);
    CSoundInfo empty;
    empty.format = kMono;
    EXPECT_TRUE(CSampleOps::Trim(empty, 0.5, 1.0));
}

TEST(SampleRate, ResamplingAnOctaveUpHalvesTheValues) {
    CSoundInfo source = Sine(110, 44100, 0.5);
    CSoundInfo target;
    target.note.frequency = 220;
    CCharString error;
    ASSERT_TRUE(CSampleOps::ResampleUp(source, target, error)) << error.GetText();
    EXPECT_EQ(target.GetSize() / 2, (source.GetSize() / 2 + 1) / 2);
    EXPECT_TRUE(target.format.SameLayout(source.format));
    EXPECT_EQ(target.GetValues()[10], source.GetValues()[20]);
}

TEST(SampleRate, ResamplingToTheSameOrALowerFrequencyFails) {
    CSoundInfo source = Sine(110, 44100, 0.1);
    CSoundInfo target;
    target.note.frequency = 110;
    CCharString error;
    EXPECT_FALSE(CSampleOps::ResampleUp(source, target, error));
    EXPECT_STREQ(error, "Can only resample up, not from 110.00 to 110.00");
    source.note.frequency = 0;
    target.note.frequency = 220;
    EXPECT_FALSE(CSampleOps::ResampleUp(source, target, error));
    EXPECT_EQ(std::string(error).rfind("Can't", 0), 0u);
}

TEST(SampleRate, ResamplingUpKeepsTheExpectedFrequency) {
    CSoundInfo source = Sine(1000, 44100, 1.0);
    CSoundInfo target;
    target.note.frequency = 1500;
    CCharString error;
    ASSERT_TRUE(CSampleOps::ResampleUp(source, target, error)) << error.GetText();
    const double measured = MeasureFrequency(target.GetValues(), target.GetSize() / 2, 44100);
    EXPECT_NEAR(measured, 1500.0, 1500.0 * 0.005);
}

TEST(SampleRate, ResamplingUpTinySoundsStaysInside) {
    for (const std::vector<int16_t>& values :
         {std::vector<int16_t>{}, std::vector<int16_t>{7}, std::vector<int16_t>{7, 9}}) {
        CSoundInfo source = SoundOf(kMono, values);
        source.note.frequency = 100;
        CSoundInfo target;
        target.note.frequency = 150;
        CCharString error;
        EXPECT_TRUE(CSampleOps::ResampleUp(source, target, error)) << error.GetText();
        EXPECT_LE(target.GetSize(), source.GetSize());
    }
}

TEST(SampleRate, ResamplingDownKeepsTheExpectedFrequency) {
    CSoundInfo sound = Sine(1000, 44100, 1.0);
    const uint32_t before = sound.GetSize();
    CCharString error;
    ASSERT_TRUE(CSampleOps::ResampleDown(sound, 11025, error)) << error.GetText();
    EXPECT_EQ(sound.format.samplesPerSecond, 11025u);
    EXPECT_EQ(sound.format.averageBytesPerSecond, 22050u);
    EXPECT_NEAR(sound.GetSize(), before / 4, 2);
    const double measured = MeasureFrequency(sound.GetValues(), sound.GetSize() / 2, 11025);
    EXPECT_NEAR(measured, 1000.0, 1000.0 * 0.005);
}

TEST(SampleRate, ResamplingDownAveragesEachChannel) {
    CSoundInfo sound =
        SoundOf(WAVE_FORMAT::Pcm(2, 4, 16), {10, -10, 20, -20, 30, -30, 40, -40, 50, -50});
    CCharString error;
    ASSERT_TRUE(CSampleOps::ResampleDown(sound, 2, error)) << error.GetText();
    EXPECT_EQ(ValuesOf(sound), (std::vector<int16_t>{15, -15, 35, -35, 50, -50}));
    EXPECT_FALSE(CSampleOps::ResampleDown(sound, 2, error));
    EXPECT_FALSE(CSampleOps::ResampleDown(sound, 0, error));
    CSoundInfo empty;
    empty.format = kMono;
    EXPECT_TRUE(CSampleOps::ResampleDown(empty, 11025, error));
}

class SampleFiles : public testing::Test {
protected:
    std::string Save(const char* name, const CSoundInfo& sound) {
        const std::string path = m_folder.Path(name);
        CSoundFile file;
        EXPECT_TRUE(file.Save(path.c_str(), sound)) << file.GetError();
        return path;
    }
    CTempFolder m_folder{"sample-files"};
};

TEST_F(SampleFiles, MixFilesMixesFromTheOffset) {
    const WAVE_FORMAT stereo = WAVE_FORMAT::Pcm(2, 4, 16);
    const std::string a = Save("a.wav", SoundOf(stereo, {100, 200, 20000, -20000, 5, 6}));
    const std::string b = Save("b.wav", SoundOf(stereo, {1, 2, 20000, -20000}));
    const std::string out = m_folder.Path("out/Mixed.wav");
    CCharString error;
    ASSERT_TRUE(CSampleOps::MixFiles(a.c_str(), b.c_str(), 0.25, out.c_str(), error))
        << error.GetText();
    CSoundFile file;
    CSoundInfo mixed;
    ASSERT_TRUE(file.ReadInfo(out.c_str(), mixed)) << file.GetError();
    EXPECT_EQ(ValuesOf(mixed), (std::vector<int16_t>{27793, -27793}));
}

TEST_F(SampleFiles, MixFilesWithAnOffsetBeyondBothWritesNothing) {
    const std::string a = Save("a.wav", SoundOf(kMono, {1, 2, 3}));
    const std::string b = Save("b.wav", SoundOf(kMono, {1, 2}));
    const std::string out = m_folder.Path("Mixed.wav");
    CCharString error;
    EXPECT_TRUE(CSampleOps::MixFiles(a.c_str(), b.c_str(), 10.0, out.c_str(), error));
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(SampleFiles, MixFilesRefusesMissingFilesAndOtherFormats) {
    const std::string a = Save("a.wav", SoundOf(kMono, {1, 2, 3}));
    const std::string b = Save("b.wav", SoundOf(WAVE_FORMAT::Stream(), {1, 2}));
    const std::string out = m_folder.Path("Mixed.wav");
    CCharString error;
    EXPECT_FALSE(CSampleOps::MixFiles(a.c_str(), b.c_str(), 0.0, out.c_str(), error));
    EXPECT_STREQ(error, "Formats don't match");
    const std::string missing = m_folder.Path("none.wav");
    EXPECT_FALSE(CSampleOps::MixFiles(a.c_str(), missing.c_str(), 0.0, out.c_str(), error));
    EXPECT_EQ(std::string(error).rfind("Can't read file (" + missing + "): Can't open file", 0), 0u)
        << error.GetText();
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(SampleFiles, ScaleAndTrimFilesSaveTheChangedSound) {
    const std::string path = Save("s.wav", SoundOf(kMono, {0, 100, -50, 0}));
    CCharString error;
    ASSERT_TRUE(CSampleOps::ScaleFile(path.c_str(), 1.0, error)) << error.GetText();
    CSoundFile file;
    CSoundInfo sound;
    ASSERT_TRUE(file.ReadInfo(path.c_str(), sound));
    EXPECT_EQ(ValuesOf(sound), (std::vector<int16_t>{0, 32767, -16383, 0}));

    const std::string trimmed = m_folder.Path("t.wav");
    ASSERT_TRUE(CSampleOps::TrimFile(path.c_str(), 0.5, 10.0, trimmed.c_str(), error))
        << error.GetText();
    ASSERT_TRUE(file.ReadInfo(trimmed.c_str(), sound));
    EXPECT_EQ(ValuesOf(sound).front(), 32767);

    const std::string missing = m_folder.Path("none.wav");
    EXPECT_FALSE(CSampleOps::ScaleFile(missing.c_str(), 1.0, error));
    EXPECT_EQ(std::string(error).rfind("Can't read file (", 0), 0u);
    EXPECT_FALSE(CSampleOps::TrimFile(missing.c_str(), 0.5, 1.0, nullptr, error));
    EXPECT_EQ(std::string(error).rfind("Can't read file (", 0), 0u);
}

TEST_F(SampleFiles, EightBitFilesAreNotScaledOrTrimmed) {
    CSoundInfo sound;
    sound.format = WAVE_FORMAT::Pcm(1, 8000, 8);
    sound.SetData({0x80, 0xFF, 0x00, 0x80});
    const std::string path = Save("eight.wav", sound);
    CCharString error;
    EXPECT_FALSE(CSampleOps::ScaleFile(path.c_str(), 1.0, error));
    EXPECT_STREQ(error, "Can't scale the volume");
    EXPECT_FALSE(CSampleOps::TrimFile(path.c_str(), 0.5, 1.0, "", error));
    EXPECT_STREQ(error, "Can't trim the sound");
}

}  // namespace
