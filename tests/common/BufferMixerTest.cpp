#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "common/BufferMixer.h"

namespace {

constexpr int kRate = 44100;

// Stereo frames whose values tell where they came from.
std::vector<int16_t> Pattern(int frames, int channels = 2) {
    std::vector<int16_t> values(static_cast<size_t>(frames) * channels);
    for (size_t i = 0; i < values.size(); ++i) {
        values[i] = static_cast<int16_t>(static_cast<int>(i % 20000) - 10000 + 7);
    }
    return values;
}

std::vector<int16_t> Constant(int frames, int16_t value, int channels = 2) {
    return std::vector<int16_t>(static_cast<size_t>(frames) * channels, value);
}

uint32_t BytesOf(const std::vector<int16_t>& values) {
    return static_cast<uint32_t>(values.size() * sizeof(int16_t));
}

// A writable buffer filled with values through Lock.
int MakeBuffer(CBufferMixer& mixer, const std::vector<int16_t>& values, int channels = 2,
               int rate = kRate) {
    const int buffer = mixer.CreateBuffer(channels, rate, BytesOf(values));
    EXPECT_NE(buffer, IAudioOut::kNoBuffer) << mixer.GetError();
    uint8_t* data = nullptr;
    uint32_t locked = 0;
    EXPECT_TRUE(mixer.Lock(buffer, 0, BytesOf(values), data, locked)) << mixer.GetError();
    EXPECT_EQ(locked, BytesOf(values));
    std::memcpy(data, values.data(), locked);
    EXPECT_TRUE(mixer.Unlock(buffer));
    return buffer;
}

std::vector<int16_t> MixFrames(CBufferMixer& mixer, int frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2, 12345);
    mixer.Mix(out.data(), frames);
    return out;
}

TEST(BufferMixerTest, ASingleBufferAtFullVolumeComesOutBitForBit) {
    CBufferMixer mixer;
    std::vector<int16_t> values(2 * 512);
    std::mt19937 random(7);
    for (auto& value : values) {
        value = static_cast<int16_t>(static_cast<int>(random() % 65536) - 32768);
    }
    values[0] = -32768;
    values[1] = 32767;
    const int buffer = MakeBuffer(mixer, values);
    ASSERT_TRUE(mixer.SetVolume(buffer, 0));
    ASSERT_TRUE(mixer.SetPan(buffer, 0));
    ASSERT_TRUE(mixer.Play(buffer, false));
    std::vector<int16_t> out = MixFrames(mixer, 256);
    std::vector<int16_t> more = MixFrames(mixer, 256);
    out.insert(out.end(), more.begin(), more.end());
    EXPECT_EQ(out, values);
}

TEST(BufferMixerTest, APlayedOnceBufferStopsAtItsEndWithItsCursorThere) {
    CBufferMixer mixer;
    const std::vector<int16_t> values = Pattern(1000);
    const int buffer = MakeBuffer(mixer, values);
    ASSERT_TRUE(mixer.Play(buffer, false));
    EXPECT_TRUE(mixer.IsPlaying(buffer));
    std::vector<int16_t> out;
    for (int block = 0; block < 4; ++block) {
        const std::vector<int16_t> part = MixFrames(mixer, 256);
        out.insert(out.end(), part.begin(), part.end());
    }
    EXPECT_FALSE(mixer.IsPlaying(buffer));
    uint32_t position = 0;
    ASSERT_TRUE(mixer.GetPosition(buffer, position));
    EXPECT_EQ(position, BytesOf(values));
    EXPECT_TRUE(std::equal(values.begin(), values.end(), out.begin()));
    for (size_t i = values.size(); i < out.size(); ++i) {
        ASSERT_EQ(out[i], 0) << i;
    }
    // Played again from its end it stops at once.
    ASSERT_TRUE(mixer.Play(buffer, false));
    EXPECT_EQ(MixFrames(mixer, 16), Constant(16, 0));
    EXPECT_FALSE(mixer.IsPlaying(buffer));
}

TEST(BufferMixerTest, ABufferThatEndsWithTheBlockIsStoppedAfterIt) {
    CBufferMixer mixer;
    const int buffer = MakeBuffer(mixer, Pattern(256));
    ASSERT_TRUE(mixer.Play(buffer, false));
    MixFrames(mixer, 256);
    EXPECT_FALSE(mixer.IsPlaying(buffer));
}

TEST(BufferMixerTest, ALoopedBufferWrapsToItsStart) {
    CBufferMixer mixer;
    const std::vector<int16_t> values = Pattern(300);
    const int buffer = MakeBuffer(mixer, values);
    ASSERT_TRUE(mixer.Play(buffer, true));
    const std::vector<int16_t> out = MixFrames(mixer, 1000);
    for (size_t i = 0; i < out.size(); ++i) {
        ASSERT_EQ(out[i], values[i % values.size()]) << i;
    }
    EXPECT_TRUE(mixer.IsPlaying(buffer));
    uint32_t position = 0;
    ASSERT_TRUE(mixer.GetPosition(buffer, position));
    EXPECT_EQ(position, (1000 % 300) * 4u);
}

TEST(BufferMixerTest, StopSetPositionAndPlayBetweenTwoBlocksRestartFromTheStart) {
    CBufferMixer mixer;
    const std::vector<int16_t> values = Pattern(2000);
    const int buffer = MakeBuffer(mixer, values);
    ASSERT_TRUE(mixer.Play(buffer, true));
    MixFrames(mixer, 256);
    ASSERT_TRUE(mixer.Stop(buffer));
    ASSERT_TRUE(mixer.SetPosition(buffer, 0));
    ASSERT_TRUE(mixer.Play(buffer, false));
    uint32_t position = 99;
    ASSERT_TRUE(mixer.GetPosition(buffer, position));
    EXPECT_EQ(position, 0u);  // the request answers before the mixer took it
    EXPECT_TRUE(mixer.IsPlaying(buffer));
    const std::vector<int16_t> out = MixFrames(mixer, 256);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), values.begin()));
    ASSERT_TRUE(mixer.GetPosition(buffer, position));
    EXPECT_EQ(position, 256 * 4u);
}

TEST(BufferMixerTest, AFadeFallsToSilenceOverItsFramesThenStopsAndPlayRestoresTheLevel) {
    CBufferMixer mixer;
    const std::vector<int16_t> values = Constant(4000, 10000);
    const int buffer = MakeBuffer(mixer, values);
    ASSERT_TRUE(mixer.Play(buffer, true));
    MixFrames(mixer, 100);
    ASSERT_TRUE(mixer.FadeOut(buffer, 200));
    EXPECT_TRUE(mixer.IsPlaying(buffer));  // until the fade ends
    std::vector<int16_t> out = MixFrames(mixer, 300);
    EXPECT_EQ(out[0], 10000);
    EXPECT_NEAR(out[2 * 100], 5000, 60);  // half way
    for (int i = 1; i < 200; ++i) {
        ASSERT_LE(out[2 * i], out[2 * (i - 1)]) << i;  // falling all the way
    }
    EXPECT_TRUE(std::all_of(out.begin() + 2 * 200, out.end(), [](int16_t v) { return v == 0; }));
    EXPECT_FALSE(mixer.IsPlaying(buffer));
    // A fade of a stopped buffer changes nothing; Play sounds at full level.
    ASSERT_TRUE(mixer.FadeOut(buffer, 200));
    out = MixFrames(mixer, 10);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t v) { return v == 0; }));
    ASSERT_TRUE(mixer.Play(buffer, false));
    out = MixFrames(mixer, 10);
    EXPECT_EQ(out[0], 10000);
    // A fade cut short by Stop, SetPosition and Play restarts cleanly.
    ASSERT_TRUE(mixer.FadeOut(buffer, 1000));
    MixFrames(mixer, 10);
    ASSERT_TRUE(mixer.Stop(buffer));
    ASSERT_TRUE(mixer.SetPosition(buffer, 0));
    ASSERT_TRUE(mixer.Play(buffer, false));
    out = MixFrames(mixer, 10);
    EXPECT_EQ(out[18], 10000);
}

TEST(BufferMixerTest, AStoppedBufferKeepsItsCursorAndAPositionIsRoundedToAFrame) {
    CBufferMixer mixer;
    const std::vector<int16_t> values = Pattern(1000);
    const int buffer = MakeBuffer(mixer, values);
    ASSERT_TRUE(mixer.SetPosition(buffer, 403));
    uint32_t position = 0;
    ASSERT_TRUE(mixer.GetPosition(buffer, position));
    EXPECT_EQ(position, 400u);
    ASSERT_TRUE(mixer.Play(buffer, false));
    const std::vector<int16_t> out = MixFrames(mixer, 10);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), values.begin() + 200));
    ASSERT_TRUE(mixer.Stop(buffer));
    EXPECT_FALSE(mixer.IsPlaying(buffer));
    EXPECT_EQ(MixFrames(mixer, 10), Constant(10, 0));
    ASSERT_TRUE(mixer.GetPosition(buffer, position));
    EXPECT_EQ(position, 440u);
}

TEST(BufferMixerTest, SilenceIsSilentAndMinusSixDecibelsIsAboutHalf) {
    CBufferMixer mixer;
    const int buffer = MakeBuffer(mixer, Constant(256, 20000));
    ASSERT_TRUE(mixer.SetVolume(buffer, IAudioOut::kSilence));
    ASSERT_TRUE(mixer.Play(buffer, true));
    EXPECT_EQ(MixFrames(mixer, 64), Constant(64, 0));
    ASSERT_TRUE(mixer.SetVolume(buffer, -600));
    for (int16_t value : MixFrames(mixer, 64)) {
        ASSERT_NEAR(value, 20000 * std::pow(10.0, -0.3), 1.0);
    }
    EXPECT_FALSE(mixer.SetVolume(buffer, 1));
    EXPECT_FALSE(mixer.SetVolume(buffer, -10001));
    EXPECT_NE(std::string(mixer.GetError()).find("Can't set the volume"), std::string::npos);
}

TEST(BufferMixerTest, APanAttenuatesTheOtherSide) {
    CBufferMixer mixer;
    const int buffer = MakeBuffer(mixer, Constant(256, 10000));
    ASSERT_TRUE(mixer.Play(buffer, true));
    ASSERT_TRUE(mixer.SetPan(buffer, 2000));  // to the right: the left loses 20 dB
    std::vector<int16_t> out = MixFrames(mixer, 8);
    EXPECT_NEAR(out[0], 1000, 1);
    EXPECT_EQ(out[1], 10000);
    ASSERT_TRUE(mixer.SetPan(buffer, IAudioOut::kFullLeft));
    out = MixFrames(mixer, 8);
    EXPECT_EQ(out[0], 10000);
    EXPECT_EQ(out[1], 0);
    ASSERT_TRUE(mixer.SetVolume(buffer, -600));
    ASSERT_TRUE(mixer.SetPan(buffer, -600));
    out = MixFrames(mixer, 8);
    EXPECT_NEAR(out[0], 10000 * std::pow(10.0, -0.3), 1.0);
    EXPECT_NEAR(out[1], 10000 * std::pow(10.0, -0.6), 1.0);
    EXPECT_FALSE(mixer.SetPan(buffer, 10001));
}

TEST(BufferMixerTest, TwoBuffersAreAddedAndTheSumIsClamped) {
    CBufferMixer mixer;
    std::vector<int16_t> first(2 * 4);
    std::vector<int16_t> second(2 * 4);
    const int16_t a[] = {20000, -20000, 1000, -1000, 32767, -32768, 0, 5};
    const int16_t b[] = {20000, -20000, 2000, 3000, 1, -1, 0, -5};
    std::copy(std::begin(a), std::end(a), first.begin());
    std::copy(std::begin(b), std::end(b), second.begin());
    const int one = MakeBuffer(mixer, first);
    const int two = MakeBuffer(mixer, second);
    ASSERT_TRUE(mixer.Play(one, false));
    ASSERT_TRUE(mixer.Play(two, false));
    const std::vector<int16_t> out = MixFrames(mixer, 4);
    EXPECT_EQ(out, (std::vector<int16_t>{32767, -32768, 3000, 2000, 32767, -32768, 0, 0}));
}

TEST(BufferMixerTest, AMonoBufferSoundsOnBothSides) {
    CBufferMixer mixer;
    const std::vector<int16_t> values = Pattern(100, 1);
    const int buffer = MakeBuffer(mixer, values, 1);
    ASSERT_TRUE(mixer.Play(buffer, false));
    const std::vector<int16_t> out = MixFrames(mixer, 100);
    for (size_t i = 0; i < values.size(); ++i) {
        ASSERT_EQ(out[2 * i], values[i]);
        ASSERT_EQ(out[2 * i + 1], values[i]);
    }
    uint32_t position = 0;
    ASSERT_TRUE(mixer.GetPosition(buffer, position));
    EXPECT_EQ(position, 200u);
}

TEST(BufferMixerTest, ABufferAtHalfTheRatePlaysTwiceAsLong) {
    CBufferMixer mixer;
    std::vector<int16_t> values(2 * 100);
    for (int i = 0; i < 100; ++i) {
        values[2 * i] = static_cast<int16_t>(100 * i);
        values[2 * i + 1] = static_cast<int16_t>(-100 * i);
    }
    const int buffer = MakeBuffer(mixer, values, 2, kRate / 2);
    ASSERT_TRUE(mixer.Play(buffer, false));
    const std::vector<int16_t> out = MixFrames(mixer, 199);
    EXPECT_TRUE(mixer.IsPlaying(buffer));
    for (int i = 0; i < 99; ++i) {
        ASSERT_EQ(out[4 * i], 100 * i);           // on a source frame
        ASSERT_EQ(out[4 * i + 2], 100 * i + 50);  // half way to the next
        ASSERT_EQ(out[4 * i + 3], -100 * i - 50);
    }
    MixFrames(mixer, 1);
    EXPECT_FALSE(mixer.IsPlaying(buffer));
}

TEST(BufferMixerTest, ASharedBufferPlaysItsDataAndCannotBeLocked) {
    CBufferMixer mixer;
    const std::vector<int16_t> values = Pattern(64);
    auto data = std::make_shared<std::vector<uint8_t>>(BytesOf(values));
    std::memcpy(data->data(), values.data(), data->size());
    const int buffer = mixer.CreateSharedBuffer(2, kRate, data, BytesOf(values));
    ASSERT_NE(buffer, IAudioOut::kNoBuffer) << mixer.GetError();
    uint8_t* bytes = nullptr;
    uint32_t locked = 0;
    EXPECT_FALSE(mixer.Lock(buffer, 0, 4, bytes, locked));
    EXPECT_NE(std::string(mixer.GetError()).find("read-only"), std::string::npos);
    ASSERT_TRUE(mixer.Play(buffer, false));
    EXPECT_EQ(MixFrames(mixer, 64), values);
    EXPECT_EQ(mixer.CreateSharedBuffer(2, kRate, data, BytesOf(values) + 4), IAudioOut::kNoBuffer);
    EXPECT_EQ(mixer.CreateSharedBuffer(2, kRate, nullptr, 4), IAudioOut::kNoBuffer);
}

TEST(BufferMixerTest, ALockReachesNoFurtherThanTheBufferEnd) {
    CBufferMixer mixer;
    const int buffer = mixer.CreateBuffer(2, kRate, 400);
    ASSERT_NE(buffer, IAudioOut::kNoBuffer);
    uint8_t* data = nullptr;
    uint32_t locked = 0;
    ASSERT_TRUE(mixer.Lock(buffer, 300, 400, data, locked));
    EXPECT_EQ(locked, 100u);
    for (uint32_t i = 0; i < locked; ++i) {
        ASSERT_EQ(data[i], 0);  // a new buffer is silent
    }
    EXPECT_FALSE(mixer.Lock(buffer, 0, 4, data, locked));  // locked already
    EXPECT_TRUE(mixer.Unlock(buffer));
    EXPECT_FALSE(mixer.Unlock(buffer));
    EXPECT_FALSE(mixer.Lock(buffer, 400, 4, data, locked));
    EXPECT_NE(std::string(mixer.GetError()).find("Can't lock sound buffer"), std::string::npos);
}

TEST(BufferMixerTest, BadFormatsAndUnknownBuffersAreRefusedWithAText) {
    CBufferMixer mixer;
    EXPECT_EQ(mixer.CreateBuffer(3, kRate, 600), IAudioOut::kNoBuffer);
    EXPECT_EQ(mixer.CreateBuffer(2, 10, 400), IAudioOut::kNoBuffer);
    EXPECT_EQ(mixer.CreateBuffer(2, kRate, 6), IAudioOut::kNoBuffer);
    EXPECT_EQ(mixer.CreateBuffer(1, kRate, 0), IAudioOut::kNoBuffer);
    EXPECT_NE(std::string(mixer.GetError()).find("Can't create"), std::string::npos);
    EXPECT_FALSE(mixer.Play(17, false));
    EXPECT_STREQ(mixer.GetError(), "Can't play sound buffer 17: there is no such buffer");
    EXPECT_FALSE(mixer.ReleaseBuffer(-1));
    const int buffer = mixer.CreateBuffer(1, kRate, 2);
    ASSERT_TRUE(mixer.ReleaseBuffer(buffer));
    EXPECT_FALSE(mixer.ReleaseBuffer(buffer));
    EXPECT_FALSE(mixer.IsPlaying(buffer));
}

TEST(BufferMixerTest, EveryBufferSlotCanBeUsedAndNoMore) {
    CBufferMixer mixer;
    std::vector<int> buffers;
    for (int i = 0; i < CBufferMixer::kMaxBuffers; ++i) {
        buffers.push_back(mixer.CreateBuffer(1, kRate, 2));
        ASSERT_NE(buffers.back(), IAudioOut::kNoBuffer) << i;
    }
    EXPECT_EQ(mixer.CreateBuffer(1, kRate, 2), IAudioOut::kNoBuffer);
    EXPECT_NE(std::string(mixer.GetError()).find("in use"), std::string::npos);
    ASSERT_TRUE(mixer.ReleaseBuffer(buffers[100]));
    EXPECT_EQ(mixer.CreateBuffer(1, kRate, 2), buffers[100]);
    mixer.ReleaseAll();
    EXPECT_EQ(mixer.GetBufferCount(), 0);
}

class CCountingTap : public IAudioTap {
public:
    void OnBlock(const int16_t* values, int frames, double) override {
        blocks++;
        total += frames;
        first = values[0];
    }
    std::atomic<int> blocks{0};
    std::atomic<int> total{0};
    std::atomic<int> first{0};
};

TEST(BufferMixerTest, ATapSeesEveryMixedBlockUntilItIsRemoved) {
    CBufferMixer mixer;
    const int buffer = MakeBuffer(mixer, Constant(1000, 321));
    ASSERT_TRUE(mixer.Play(buffer, true));
    CCountingTap tap;
    mixer.SetTap(&tap);
    MixFrames(mixer, 256);
    MixFrames(mixer, 100);
    mixer.SetTap(nullptr);
    MixFrames(mixer, 256);
    EXPECT_EQ(tap.blocks, 2);
    EXPECT_EQ(tap.total, 356);
    EXPECT_EQ(tap.first, 321);
}

// Many threads create, fill, play and release buffers while another mixes
// without a pause: a released buffer must never be read after it is freed
// (the sanitizer build checks).
TEST(BufferMixerTest, BuffersReleasedWhileTheyAreMixedAreNeverReadAfterTheyAreFreed) {
    CBufferMixer mixer;
    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0};
    std::thread device([&] {
        std::vector<int16_t> out(2 * 64);
        while (!stop) {
            mixer.Mix(out.data(), 64);
            ++blocks;
        }
    });
    constexpr int kThreads = 6;
    constexpr int kRounds = 2000;
    std::atomic<int> failures{0};
    std::vector<std::thread> users;
    for (int t = 0; t < kThreads; ++t) {
        users.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) {
                const int channels = 1 + (round + t) % 2;
                const int buffer = mixer.CreateBuffer(channels, kRate / (1 + round % 3),
                                                      static_cast<uint32_t>(channels) * 2 * 64);
                uint8_t* data = nullptr;
                uint32_t locked = 0;
                if (buffer == IAudioOut::kNoBuffer || !mixer.Lock(buffer, 0, 64, data, locked)) {
                    ++failures;
                    continue;
                }
                std::memset(data, 0x11, locked);
                const bool ok = mixer.Unlock(buffer) && mixer.SetVolume(buffer, -300) &&
                                mixer.Play(buffer, round % 2 == 0);
                if (round % 5 == 0) {
                    std::this_thread::yield();
                }
                if (!ok || !mixer.ReleaseBuffer(buffer)) {
                    ++failures;
                }
            }
        });
    }
    for (auto& user : users) {
        user.join();
    }
    stop = true;
    device.join();
    EXPECT_EQ(failures, 0) << mixer.GetError();
    EXPECT_EQ(mixer.GetBufferCount(), 0);
    EXPECT_GT(blocks, 0);
}

}  // namespace
