#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "capture/SoundConverter.h"

namespace {

const WAVE_FORMAT kCapture = WAVE_FORMAT::Stream();

// frames of a 16-bit sine of format's channels, as bytes.
std::vector<uint8_t> Sine(const WAVE_FORMAT& format, size_t frames) {
    std::vector<int16_t> values(frames * format.channels);
    for (size_t i = 0; i < values.size(); ++i) {
        const size_t frame = i / format.channels;
        values[i] = static_cast<int16_t>(
            12000.0 * std::sin(2.0 * M_PI * 440.0 * frame / format.samplesPerSecond));
    }
    std::vector<uint8_t> bytes(values.size() * sizeof(int16_t));
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

// The whole sound converted in blocks of blockFrames source frames.
std::vector<int16_t> ConvertInBlocks(const WAVE_FORMAT& format, const std::vector<uint8_t>& bytes,
                                     size_t blockFrames) {
    CSoundConverter converter;
    EXPECT_TRUE(converter.Start(format, kCapture)) << converter.GetError();
    std::vector<int16_t> all;
    std::vector<int16_t> values;
    const size_t block = blockFrames * format.blockAlign;
    for (size_t offset = 0; offset < bytes.size(); offset += block) {
        const size_t count = std::min(block, bytes.size() - offset);
        converter.Add(bytes.data() + offset, static_cast<uint32_t>(count), values);
        all.insert(all.end(), values.begin(), values.end());
    }
    converter.Finish(values);
    all.insert(all.end(), values.begin(), values.end());
    return all;
}

}  // namespace

TEST(SoundConverter, RatesOutsideTheRangeAreRefusedWithTheirReason) {
    for (uint32_t rate : {1u, 3999u, 384001u, 2000000u}) {
        CSoundConverter converter;
        EXPECT_FALSE(converter.Start(WAVE_FORMAT::Pcm(1, rate, 16), kCapture)) << rate;
        EXPECT_EQ(
            std::string(converter.GetError()).rfind("Can't convert the sound: its rate of ", 0), 0u)
            << converter.GetError();
    }
    for (uint32_t rate : {CSoundConverter::kLowestRate, CSoundConverter::kHighestRate}) {
        CSoundConverter converter;
        EXPECT_TRUE(converter.Start(WAVE_FORMAT::Pcm(1, rate, 16), kCapture)) << rate;
    }
}

TEST(SoundConverter, BlocksOfAnySizeGiveTheSameSoundOfTheTargetLength) {
    for (uint32_t rate : {8000u, 22050u, 44100u, 48000u, 96000u}) {
        SCOPED_TRACE(rate);
        for (uint16_t channels : {1, 2}) {
            const WAVE_FORMAT format = WAVE_FORMAT::Pcm(channels, rate, 16);
            const std::vector<uint8_t> bytes = Sine(format, rate);  // one second
            const std::vector<int16_t> whole = ConvertInBlocks(format, bytes, rate);
            // One second at the capture's rate, give or take a frame.
            EXPECT_NEAR(static_cast<double>(whole.size()) / kCapture.channels,
                        kCapture.samplesPerSecond, 1.0);
            for (size_t block : {1, 7, 4096}) {
                EXPECT_EQ(ConvertInBlocks(format, bytes, block), whole) << block;
            }
        }
    }
}

TEST(SoundConverter, WidthsAreScaledAndMonoIsDoubled) {
    // 8-bit mono at the capture's rate: 0x80 is silence, 0xC0 half scale.
    const WAVE_FORMAT format = WAVE_FORMAT::Pcm(1, kCapture.samplesPerSecond, 8);
    CSoundConverter converter;
    ASSERT_TRUE(converter.Start(format, kCapture));
    const uint8_t bytes[] = {0x80, 0xC0};
    std::vector<int16_t> values;
    converter.Add(bytes, sizeof bytes, values);
    EXPECT_EQ(values, (std::vector<int16_t>{0, 0, 0x4000, 0x4000}));
}
