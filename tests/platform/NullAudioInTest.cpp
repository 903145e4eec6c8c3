#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "TempFolder.h"
#include "WaitFor.h"
#include "platform/null/NullAudioIn.h"
#include "platform/null/NullBackend.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kRate = 44100;

void PutLittle(std::vector<uint8_t>& bytes, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) {
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

void PutText(std::vector<uint8_t>& bytes, const char* text) {
    bytes.insert(bytes.end(), text, text + 4);
}

struct WAVE_FORMAT {
    uint16_t tag = 1;
    uint16_t channels = 1;
    uint32_t rate = kRate;
    uint16_t bits = 16;
};

// A WAVE file's bytes: a chunk the reader skips, the format, the samples.
std::vector<uint8_t> MakeWave(const WAVE_FORMAT& format, const std::vector<int16_t>& samples) {
    std::vector<uint8_t> bytes;
    const auto dataBytes = static_cast<uint32_t>(samples.size() * sizeof(int16_t));
    PutText(bytes, "RIFF");
    PutLittle(bytes, 4 + 8 + 3 + 1 + 8 + 16 + 8 + dataBytes, 4);
    PutText(bytes, "WAVE");
    PutText(bytes, "LIST");
    PutLittle(bytes, 3, 4);
    bytes.insert(bytes.end(), {'a', 'b', 'c', 0});  // padded to an even size
    PutText(bytes, "fmt ");
    PutLittle(bytes, 16, 4);
    PutLittle(bytes, format.tag, 2);
    PutLittle(bytes, format.channels, 2);
    PutLittle(bytes, format.rate, 4);
    PutLittle(bytes, format.rate * format.channels * format.bits / 8, 4);
    PutLittle(bytes, format.channels * format.bits / 8, 2);
    PutLittle(bytes, format.bits, 2);
    PutText(bytes, "data");
    PutLittle(bytes, dataBytes, 4);
    for (const int16_t sample : samples) {
        PutLittle(bytes, static_cast<uint16_t>(sample), 2);
    }
    return bytes;
}

std::string Save(const CTempFolder& folder, const char* name, const std::vector<uint8_t>& bytes) {
    const std::string path = folder.Path(name);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::vector<int16_t> Ramp(size_t count) {
    std::vector<int16_t> values(count);
    for (size_t i = 0; i < count; ++i) {
        values[i] = static_cast<int16_t>(static_cast<int>(i * 37 % 60000) - 30000);
    }
    return values;
}

std::vector<int16_t> ReadSamples(IAudioIn& in, uint32_t offset, uint32_t bytes) {
    std::vector<int16_t> values(bytes / sizeof(int16_t));
    EXPECT_TRUE(in.Read(offset, bytes, reinterpret_cast<uint8_t*>(values.data()))) << in.GetError();
    return values;
}

uint32_t Cursor(IAudioIn& in) {
    uint32_t cursor = 0xFFFFFFFFu;
    EXPECT_TRUE(in.GetPosition(cursor)) << in.GetError();
    return cursor;
}

TEST(NullAudioInTest, ListsOneDeviceAndRefusesOthers) {
    CNullAudioIn in(CNullAudioIn::Clock::kStepped);
    std::vector<AUDIO_DEVICE> devices;
    ASSERT_TRUE(in.EnumerateDevices(devices));
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].id, "null");
    EXPECT_EQ(devices[0].description, "Sound file");
    EXPECT_FALSE(in.Open("microphone", 1, kRate, 1024));
    EXPECT_STREQ(in.GetError(),
                 "Can't open sound input device \"microphone\": there is no such device");
    EXPECT_FALSE(in.Open("", 1, kRate, 1023));
    EXPECT_NE(std::string(in.GetError()).find("no whole number of frames"), std::string::npos);
    EXPECT_FALSE(in.IsOpen());
    EXPECT_FALSE(in.Start());
    ASSERT_TRUE(in.Open("", 2, kRate, 1024)) << in.GetError();
    EXPECT_EQ(in.GetDeviceName(), "Sound file");
    EXPECT_FALSE(in.IsCapturing());
    EXPECT_EQ(Cursor(in), 0u);
}

TEST(NullAudioInTest, WithoutASourceItHearsSilenceAndTheCursorMovesByWholeFrames) {
    CNullAudioIn in(CNullAudioIn::Clock::kStepped);
    ASSERT_TRUE(in.Open("null", 2, kRate, 4000));
    EXPECT_FALSE(in.Step(10));
    ASSERT_TRUE(in.Start());
    EXPECT_TRUE(in.IsCapturing());
    ASSERT_TRUE(in.Step(300));
    EXPECT_EQ(Cursor(in), 1200u);
    ASSERT_TRUE(in.Step(1));
    EXPECT_EQ(Cursor(in), 1204u);
    ASSERT_TRUE(in.Step(700));  // 2800 bytes more: past the end, to byte 4
    EXPECT_EQ(Cursor(in), 4u);
    EXPECT_EQ(in.GetFramesCaptured(), 1001u);
    for (const int16_t value : ReadSamples(in, 0, 4000)) {
        ASSERT_EQ(value, 0);
    }
}

TEST(NullAudioInTest, HearsAMonoFileValueForValueWrappingAtTheEnd) {
    CTempFolder folder("null-in");
    const std::vector<int16_t> samples = Ramp(1000);
    CNullAudioIn in(CNullAudioIn::Clock::kStepped);
    ASSERT_TRUE(in.SetSource(Save(folder, "mono.wav", MakeWave({}, samples))));
    constexpr uint32_t kBytes = 1200;  // 600 frames
    ASSERT_TRUE(in.Open("", 1, kRate, kBytes)) << in.GetError();
    ASSERT_TRUE(in.Start());
    ASSERT_TRUE(in.Step(500));
    EXPECT_EQ(ReadSamples(in, 0, 1000),
              std::vector<int16_t>(samples.begin(), samples.begin() + 500));
    ASSERT_TRUE(in.Step(300));  // frames 500..799: 500..599 at the end, 600..799 from the start
    EXPECT_EQ(Cursor(in), 400u);
    // Read across the end: the last 300 frames in order.
    EXPECT_EQ(ReadSamples(in, 1000, 600),
              std::vector<int16_t>(samples.begin() + 500, samples.begin() + 800));
    ASSERT_TRUE(in.Step(300));  // frames 800..999, then 100 of silence
    const std::vector<int16_t> last = ReadSamples(in, 0, 400);  // frames 600..799 stay
    EXPECT_EQ(Cursor(in), 1000u);
    const std::vector<int16_t> tail = ReadSamples(in, 400, 600);
    EXPECT_EQ(std::vector<int16_t>(tail.begin(), tail.begin() + 200),
              std::vector<int16_t>(samples.begin() + 800, samples.end()));
    for (size_t i = 200; i < tail.size(); ++i) {
        ASSERT_EQ(tail[i], 0) << i;
    }
    EXPECT_EQ(last, std::vector<int16_t>(samples.begin() + 600, samples.begin() + 800));
    std::vector<uint8_t> out(kBytes + 2);
    EXPECT_FALSE(in.Read(0, kBytes + 2, out.data()));
    EXPECT_NE(std::string(in.GetError()).find("Can't read"), std::string::npos);
    EXPECT_FALSE(in.Read(kBytes, 2, out.data()));
}

TEST(NullAudioInTest, TurnsMonoIntoStereoAndStereoIntoMono) {
    CTempFolder folder("null-in");
    const std::vector<int16_t> mono = {100, -200, 32767, -32768};
    const std::vector<int16_t> stereo = {100, 300, -200, -201, 32767, 32767, -32768, -32768};
    const std::string monoPath = Save(folder, "mono.wav", MakeWave({}, mono));
    WAVE_FORMAT two;
    two.channels = 2;
    const std::string stereoPath = Save(folder, "stereo.wav", MakeWave(two, stereo));

    CNullAudioIn in(CNullAudioIn::Clock::kStepped);
    ASSERT_TRUE(in.SetSource(monoPath));
    ASSERT_TRUE(in.Open("", 2, kRate, 64));
    ASSERT_TRUE(in.Start());
    ASSERT_TRUE(in.Step(4));
    EXPECT_EQ(ReadSamples(in, 0, 16),
              (std::vector<int16_t>{100, 100, -200, -200, 32767, 32767, -32768, -32768}));
    in.Close();

    ASSERT_TRUE(in.SetSource(stereoPath));
    ASSERT_TRUE(in.Open("", 1, kRate, 64));
    ASSERT_TRUE(in.Start());
    ASSERT_TRUE(in.Step(4));
    EXPECT_EQ(ReadSamples(in, 0, 8), (std::vector<int16_t>{200, -200, 32767, -32768}));
    in.Close();

    ASSERT_TRUE(in.Open("", 2, kRate, 64));
    ASSERT_TRUE(in.Start());
    ASSERT_TRUE(in.Step(4));
    EXPECT_EQ(ReadSamples(in, 0, 16), stereo);
}

TEST(NullAudioInTest, RefusesARateOtherThanTheFiles) {
    CTempFolder folder("null-in");
    WAVE_FORMAT format;
    format.rate = 22050;
    CNullAudioIn in(CNullAudioIn::Clock::kStepped);
    const std::string path = Save(folder, "slow.wav", MakeWave(format, Ramp(10)));
    ASSERT_TRUE(in.SetSource(path));
    EXPECT_FALSE(in.Open("", 1, kRate, 64));
    EXPECT_EQ(std::string(in.GetError()),
              "Can't open sound input device \"null\": the sound file \"" + path +
                  "\" is at 22050 Hz, not 44100 Hz");
    EXPECT_FALSE(in.IsOpen());
    EXPECT_TRUE(in.Open("", 1, 22050, 64)) << in.GetError();
    EXPECT_FALSE(in.SetSource(""));
}

TEST(NullAudioInTest, HostileOrTruncatedFilesAreRefusedWithAClearText) {
    CTempFolder folder("null-in");
    const std::vector<uint8_t> good = MakeWave({}, Ramp(100));
    WAVE_FORMAT floats;
    floats.tag = 3;
    WAVE_FORMAT eight;
    eight.bits = 8;
    WAVE_FORMAT many;
    many.channels = 6;
    std::vector<uint8_t> huge = good;
    huge[16] = 0xFF;  // the skipped chunk's size: 4 GB
    huge[17] = huge[18] = huge[19] = 0xFF;
    std::vector<uint8_t> shortFormat = good;
    shortFormat[28] = 4;  // the format chunk's size
    struct CASE {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* text;
    };
    const CASE cases[] = {
        {"empty.wav", {}, "it is no WAVE file"},
        {"text.wav",
         {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!'},
         "it is no WAVE file"},
        {"header.wav", std::vector<uint8_t>(good.begin(), good.begin() + 12),
         "it ends before its samples"},
        {"truncated.wav", std::vector<uint8_t>(good.begin(), good.end() - 10),
         "is longer than the rest of the file"},
        {"cut-format.wav", std::vector<uint8_t>(good.begin(), good.begin() + 40),
         "is longer than the rest of the file"},
        {"huge-chunk.wav", huge, "is longer than the rest of the file"},
        {"short-format.wav", shortFormat, "too short"},
        {"float.wav", MakeWave(floats, Ramp(100)), "not PCM"},
        {"8-bit.wav", MakeWave(eight, Ramp(100)), "8 bits, not 16"},
        {"6-channels.wav", MakeWave(many, Ramp(96)), "6 channels, not 1 or 2"},
    };
    CNullAudioIn in(CNullAudioIn::Clock::kStepped);
    for (const CASE& test : cases) {
        const std::string path = Save(folder, test.name, test.bytes);
        ASSERT_TRUE(in.SetSource(path));
        EXPECT_FALSE(in.Open("", 1, kRate, 64)) << test.name;
        const std::string error = in.GetError();
        EXPECT_EQ(
            error.rfind("Can't open sound input device \"null\": Can't read the sound file \"" +
                            path + "\": ",
                        0),
            0u)
            << error;
        EXPECT_NE(error.find(test.text), std::string::npos) << test.name << ": " << error;
        EXPECT_FALSE(in.IsOpen());
    }
    ASSERT_TRUE(in.SetSource(folder.Path("missing.wav")));
    EXPECT_FALSE(in.Open("", 1, kRate, 64));
    EXPECT_NE(std::string(in.GetError()).find("it can't be opened"), std::string::npos);
}

TEST(NullAudioInTest, StopKeepsTheCursorAndOpeningAgainStartsAfresh) {
    CTempFolder folder("null-in");
    const std::vector<int16_t> samples = Ramp(100);
    CNullAudioIn in(CNullAudioIn::Clock::kStepped);
    ASSERT_TRUE(in.SetSource(Save(folder, "mono.wav", MakeWave({}, samples))));
    ASSERT_TRUE(in.Open("", 1, kRate, 400));
    ASSERT_TRUE(in.Start());
    ASSERT_TRUE(in.Step(30));
    ASSERT_TRUE(in.Stop());
    EXPECT_FALSE(in.IsCapturing());
    EXPECT_FALSE(in.Step(1));
    EXPECT_EQ(Cursor(in), 60u);
    ASSERT_TRUE(in.Start());
    ASSERT_TRUE(in.Step(10));
    EXPECT_EQ(Cursor(in), 80u);
    EXPECT_EQ(ReadSamples(in, 0, 80), std::vector<int16_t>(samples.begin(), samples.begin() + 40));

    in.Close();
    EXPECT_FALSE(in.IsOpen());
    uint32_t cursor = 0;
    EXPECT_FALSE(in.GetPosition(cursor));
    EXPECT_FALSE(in.Read(0, 2, reinterpret_cast<uint8_t*>(&cursor)));
    ASSERT_TRUE(in.Open("", 1, kRate, 400));
    EXPECT_EQ(Cursor(in), 0u);
    ASSERT_TRUE(in.Start());
    ASSERT_TRUE(in.Step(5));
    EXPECT_EQ(ReadSamples(in, 0, 10), std::vector<int16_t>(samples.begin(), samples.begin() + 5));
}

TEST(NullAudioInTest, TheRealTimeClockCapturesAtTheRate) {
    CNullAudioIn in(CNullAudioIn::Clock::kRealTime);
    ASSERT_TRUE(in.Open("", 1, kRate, 2 * kRate));
    EXPECT_FALSE(in.Step(10));
    const auto start = Clock::now();
    ASSERT_TRUE(in.Start());
    constexpr uint64_t kFrames = kRate / 4;
    ASSERT_TRUE(WaitFor([&] { return in.GetFramesCaptured() >= kFrames; }));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    // A quarter second, give or take a loaded machine; never much faster.
    EXPECT_GT(seconds, 0.2);
    EXPECT_LT(seconds, 2.0);
    ASSERT_TRUE(in.Stop());
    const uint64_t frames = in.GetFramesCaptured();
    EXPECT_EQ(frames % CNullAudioIn::kBlockFrames, 0u);
    EXPECT_EQ(Cursor(in), static_cast<uint32_t>(frames * 2 % (2 * kRate)));
    in.Close();
}

TEST(NullAudioInTest, TheNullPlatformGivesACaptureDeviceWhenAsked) {
    CNullBackend backend;
    EXPECT_FALSE(backend.GetPlatform().createAudioIn);
    backend.EnableCapture("");
    ASSERT_TRUE(backend.GetPlatform().createAudioIn);
    std::unique_ptr<IAudioIn> in = backend.GetPlatform().createAudioIn();
    ASSERT_TRUE(in->Open("", 1, kRate, 64)) << in->GetError();
    EXPECT_EQ(in->GetDeviceName(), "Sound file");
    ASSERT_TRUE(in->Start());
    ASSERT_TRUE(static_cast<CNullAudioIn&>(*in).Step(8));
    EXPECT_EQ(Cursor(*in), 16u);
}

}  // namespace
