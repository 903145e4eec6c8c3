#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempFolder.h"
#include "WaveTesting.h"
#include "audio/SoundFile.h"
#include "audio/SoundInfo.h"

namespace {

// The texts a refused file may give: a "Can't ..." reason or one of the
// format's own verdicts.
bool IsRefusal(const std::string& error) {
    for (const char* start : {"Can't ", "Not a valid wave file", "Not a PCM wave format",
                              "'fmt' chunk size is less then PCMWAVEFORMAT"}) {
        if (error.rfind(start, 0) == 0) {
            return true;
        }
    }
    return false;
}

// Reads path whole and streamed: either both succeed with a sound that fits
// its format and the file, or both refuse it with a reason.
void ExpectReadOrRefused(const std::string& path, size_t fileSize) {
    CSoundFile file;
    CSoundInfo sound;
    if (file.ReadInfo(path.c_str(), sound)) {
        EXPECT_EQ(sound.format.formatTag, WAVE_FORMAT::kPcm);
        ASSERT_GT(sound.format.blockAlign, 0);
        EXPECT_EQ(sound.GetSize() % sound.format.blockAlign, 0u);
        EXPECT_LE(sound.GetSize(), fileSize);
    } else {
        EXPECT_TRUE(IsRefusal(file.GetError())) << file.GetError();
    }
    EXPECT_FALSE(file.IsOpen());

    CSoundFile stream;
    WAVE_FORMAT format;
    if (stream.Open(path.c_str(), format, CSoundFile::kRead)) {
        std::vector<uint8_t> buffer(stream.GetDataSize() + 16);
        uint32_t got = 0;
        EXPECT_TRUE(stream.Read(static_cast<uint32_t>(buffer.size()), buffer.data(), got))
            << stream.GetError();
        EXPECT_EQ(got, stream.GetDataSize());
        EXPECT_EQ(got, sound.GetSize());
    } else {
        EXPECT_TRUE(IsRefusal(stream.GetError())) << stream.GetError();
    }
}

class HostileWave : public testing::Test {
protected:
    CTempFolder m_folder{"hostile-wave"};
};

// A valid file with an odd-sized LIST chunk before the data, cut at every
// byte and with every size field and every header byte spoiled.
TEST_F(HostileWave, EveryTruncationAndCorruptionIsReadOrRefusedWithAReason) {
    Bytes data;
    for (int i = 0; i < 12; ++i) {
        Put16(data, static_cast<uint16_t>(i * 1111));
    }
    const Bytes valid = Riff({Chunk("fmt ", FormatBody(1, 2, 44100, 16)),
                              Chunk("LIST", {'I', 'N', 'F', 'O', 'x'}), Chunk("data", data)});
    const std::string path = m_folder.Path("corpus.wav");
    // Offsets of the RIFF, fmt, LIST and data sizes.
    const size_t sizeFields[] = {4, 16, 40, 54};
    const size_t header = valid.size() - data.size();

    for (size_t cut = 0; cut < valid.size(); ++cut) {
        SCOPED_TRACE(testing::Message() << "cut at " << cut);
        WriteBytes(path, Bytes(valid.begin(), valid.begin() + cut));
        ExpectReadOrRefused(path, cut);
    }
    const uint32_t hostileSizes[] = {
        0xFFFFFFFFu, 0xFFFFFFFEu, 0x80000000u, static_cast<uint32_t>(valid.size()) + 1, 0, 1, 13,
        14,          15,          17};
    for (const size_t field : sizeFields) {
        for (const uint32_t size : hostileSizes) {
            SCOPED_TRACE(testing::Message() << "size " << size << " at " << field);
            Bytes bytes = valid;
            Set32(bytes, field, size);
            WriteBytes(path, bytes);
            ExpectReadOrRefused(path, bytes.size());
        }
    }
    for (size_t at = 0; at < header; ++at) {
        for (const uint8_t value : {0x00, 0x01, 0x03, 0x7F, 0x80, 0xFE, 0xFF}) {
            SCOPED_TRACE(testing::Message() << "byte " << int(value) << " at " << at);
            Bytes bytes = valid;
            bytes[at] = value;
            WriteBytes(path, bytes);
            ExpectReadOrRefused(path, bytes.size());
        }
    }
    WriteBytes(path, valid);
    CSoundFile file;
    CSoundInfo sound;
    ASSERT_TRUE(file.ReadInfo(path.c_str(), sound)) << file.GetError();
    EXPECT_EQ(Bytes(sound.GetData(), sound.GetData() + sound.GetSize()), data);
}

struct FIXTURE {
    const char* name;
    const char* error;  // the start of the refusal; null: read
    uint32_t size;      // data bytes when read
};

const FIXTURE kFixtures[] = {
    {"block-align-zero.wav", "Can't read 'fmt'", 0},
    {"data-before-fmt-odd-junk.wav", nullptr, 8},
    {"data-size-beyond-file.wav", "Can't descend to the data: the data chunk at offset 36", 0},
    {"data-size-ffffffff.wav",
     "Can't descend to the data: the data chunk at offset 36 claims "
     "4294967295 bytes, the file has 52",
     0},
    {"empty.wav", "Can't read MMIO", 0},
    {"float-tag-3.wav", "Not a PCM wave format", 0},
    {"fmt-14-bytes.wav", "'fmt' chunk size is less then PCMWAVEFORMAT", 0},
    {"fmt-size-ffffffff.wav", "Can't read 'fmt': the fmt chunk at offset 12", 0},
    {"fmt-zero-size.wav", "'fmt' chunk size is less then PCMWAVEFORMAT", 0},
    {"header-only-7-bytes.wav", "Can't read MMIO", 0},
    {"junk-chunk-beyond-file.wav", "Can't find 'fmt': the 'junk' chunk at offset 12", 0},
    {"no-data-chunk.wav", "Can't descend to the data", 0},
    {"no-fmt-chunk.wav", "Can't find 'fmt'", 0},
    {"not-riff.wav", "Not a valid wave file", 0},
    {"partial-frame.wav", nullptr, 8},
    {"rate-1-hz.wav", nullptr, 2000},  // read; the note detector refuses the rate
    {"riff-size-beyond-file.wav", nullptr, 8},
    {"truncated-in-fmt.wav", "Can't read 'fmt'", 0},
    {"zero-channels.wav", "Can't read 'fmt'", 0},
};

TEST(HostileWaveFixtures, EachFixtureIsRefusedWithItsReasonOrRead) {
    for (const FIXTURE& fixture : kFixtures) {
        SCOPED_TRACE(fixture.name);
        const std::string path = std::string(NOTARA_TEST_DATA) + "/wav/" + fixture.name;
        CSoundFile file;
        CSoundInfo sound;
        const bool read = file.ReadInfo(path.c_str(), sound);
        if (fixture.error == nullptr) {
            ASSERT_TRUE(read) << file.GetError();
            EXPECT_EQ(sound.GetSize(), fixture.size);
        } else {
            EXPECT_FALSE(read);
            EXPECT_EQ(std::string(file.GetError()).rfind(fixture.error, 0), 0u) << file.GetError();
        }
        ExpectReadOrRefused(path, ReadBytes(path).size());
    }
}

}  // namespace
