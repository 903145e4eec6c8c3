#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "SmfBytes.h"
#include "TempFolder.h"
#include "midi/SmfReader.h"

namespace {

using SmfBytes::AppendChunk;
using SmfBytes::AppendTrack;
using SmfBytes::Header;
using SmfBytes::OneTrack;

const std::vector<uint8_t> kEndOfTrack = {0x00, 0xFF, 0x2F, 0x00};

std::vector<uint8_t> WithEnd(std::vector<uint8_t> events) {
    events.insert(events.end(), kEndOfTrack.begin(), kEndOfTrack.end());
    return events;
}

// Two tracks: a tempo and a name, then notes with running status, a
// controller and a sysex.
std::vector<uint8_t> ValidFile() {
    std::vector<uint8_t> bytes = Header(1, 2, 480);
    AppendTrack(bytes, WithEnd({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  //
                                0x00, 0xFF, 0x03, 0x02, 'H', 'i'}));
    AppendTrack(bytes, WithEnd({0x00, 0xF0, 0x03, 0x7E, 0x09, 0xF7,  //
                                0x00, 0xB0, 0x07, 0x64,              //
                                0x00, 0x90, 0x3C, 0x64,              //
                                0x83, 0x60, 0x3C, 0x00,              //
                                0x00, 0x3E, 0x50,                    //
                                0x83, 0x60, 0x80, 0x3E, 0x40}));
    return bytes;
}

bool ReadBytes(const std::vector<uint8_t>& bytes, SMF_FILE& file, std::string& error) {
    CSmfReader reader;
    const bool ok = reader.Read(bytes, file, "test.mid");
    error = reader.GetError();
    return ok;
}

void ExpectRefused(const std::vector<uint8_t>& bytes, const std::string& reason) {
    SMF_FILE file;
    std::string error;
    EXPECT_FALSE(ReadBytes(bytes, file, error));
    EXPECT_EQ(error.rfind("Can't read MIDI file 'test.mid': offset ", 0), 0u) << error;
    EXPECT_NE(error.find(reason), std::string::npos) << error;
}

TEST(SmfReaderTest, ReadsHeaderTracksAndEventsOfAValidFile) {
    SMF_FILE file;
    std::string error;
    ASSERT_TRUE(ReadBytes(ValidFile(), file, error)) << error;
    EXPECT_EQ(file.format, 1);
    EXPECT_EQ(file.division, 480);
    ASSERT_EQ(file.tracks.size(), 2u);
    const auto& conductor = file.tracks[0].events;
    ASSERT_EQ(conductor.size(), 3u);
    EXPECT_TRUE(conductor[0].IsMeta());
    EXPECT_EQ(conductor[0].metaType, Smf::kMetaTempo);
    EXPECT_EQ(conductor[0].data, (std::vector<uint8_t>{0x07, 0xA1, 0x20}));
    EXPECT_EQ(conductor[1].data, (std::vector<uint8_t>{'H', 'i'}));
    EXPECT_TRUE(conductor[2].IsEndOfTrack());
    const auto& events = file.tracks[1].events;
    ASSERT_EQ(events.size(), 7u);
    EXPECT_TRUE(events[0].IsSysex());
    EXPECT_EQ(events[0].data, (std::vector<uint8_t>{0x7E, 0x09, 0xF7}));
    EXPECT_EQ(events[1].status, 0xB0);
    EXPECT_EQ(events[1].data1, 7);
    EXPECT_EQ(events[1].data2, 100);
}

TEST(SmfReaderTest, RunningStatusReusesTheLastChannelStatus) {
    SMF_FILE file;
    std::string error;
    ASSERT_TRUE(ReadBytes(ValidFile(), file, error)) << error;
    const auto& events = file.tracks[1].events;
    EXPECT_EQ(events[3].status, 0x90);
    EXPECT_EQ(events[3].tick, 480u);
    EXPECT_EQ(events[3].data1, 0x3C);
    EXPECT_EQ(events[4].status, 0x90);
    EXPECT_EQ(events[4].tick, 480u);
    EXPECT_EQ(events[4].data1, 0x3E);
    EXPECT_EQ(events[4].data2, 0x50);
    EXPECT_EQ(events[5].status, 0x80);
    EXPECT_EQ(events[5].tick, 960u);
}

TEST(SmfReaderTest, NoteOnWithVelocityZeroIsKeptRawAndIsANoteEnd) {
    SMF_FILE file;
    std::string error;
    ASSERT_TRUE(ReadBytes(ValidFile(), file, error)) << error;
    const SMF_EVENT& end = file.tracks[1].events[3];
    EXPECT_EQ(end.status, 0x90);
    EXPECT_EQ(end.data2, 0);
    EXPECT_TRUE(end.IsNoteEnd());
    EXPECT_FALSE(end.IsNoteStart());
    EXPECT_TRUE(file.tracks[1].events[2].IsNoteStart());
    EXPECT_TRUE(file.tracks[1].events[5].IsNoteEnd());
}

TEST(SmfReaderTest, RunningStatusAfterProgramChangeTakesOneDataByte) {
    SMF_FILE file;
    std::string error;
    ASSERT_TRUE(ReadBytes(OneTrack(WithEnd({0x00, 0xC2, 0x05, 0x10, 0x06})), file, error)) << error;
    const auto& events = file.tracks[0].events;
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[1].status, 0xC2);
    EXPECT_EQ(events[1].tick, 16u);
    EXPECT_EQ(events[1].data1, 6);
}

TEST(SmfReaderTest, EveryPrefixIsRefusedWithATextOrReadsAsAShorterFile) {
    const std::vector<uint8_t> whole = ValidFile();
    SMF_FILE full;
    std::string error;
    ASSERT_TRUE(ReadBytes(whole, full, error)) << error;
    for (size_t size = 0; size < whole.size(); ++size) {
        const std::vector<uint8_t> prefix(whole.begin(), whole.begin() + size);
        SMF_FILE file;
        if (ReadBytes(prefix, file, error)) {
            // Only a cut at a chunk boundary (or within the next chunk head) reads.
            EXPECT_LT(file.tracks.size(), full.tracks.size()) << size;
            for (size_t t = 0; t < file.tracks.size(); ++t) {
                EXPECT_EQ(file.tracks[t].events, full.tracks[t].events) << size;
            }
        } else {
            EXPECT_EQ(error.rfind("Can't read MIDI file 'test.mid': ", 0), 0u) << error;
        }
    }
}

TEST(SmfReaderTest, EveryCutOfATrackChunkWithItsLengthFixedIsRefusedOrShorter) {
    const std::vector<uint8_t> events = ValidFile();
    const std::vector<uint8_t> content(events.begin() + 14 + 8 + 17, events.end());
    const std::vector<uint8_t> trackTwo(content.begin() + 8, content.end());
    for (size_t size = 0; size < trackTwo.size(); ++size) {
        const std::vector<uint8_t> cut(trackTwo.begin(), trackTwo.begin() + size);
        SMF_FILE file;
        std::string error;
        if (ReadBytes(OneTrack(cut), file, error)) {
            ASSERT_EQ(file.tracks.size(), 1u);
            EXPECT_LE(file.tracks[0].events.size(), 7u);
        } else {
            EXPECT_EQ(error.rfind("Can't read MIDI file 'test.mid': offset ", 0), 0u) << error;
        }
    }
}

TEST(SmfReaderTest, RefusesAZeroLengthFile) {
    ExpectRefused({}, "offset 0: the file is empty");
}

// A text file named ".mid" is first of all no MIDI file: the learner is told
// so, without the offset that only the log needs.
TEST(SmfReaderTest, AFileThatDoesNotStartWithAHeaderIsNoMidiFile) {
    for (const std::string& text : {std::string("x,y\nTempo=120\r\nSome notes\n"),
                                    std::string("MTrk\0\0\0\4\0\xff\x2f\0", 12)}) {
        SMF_FILE file;
        std::string error;
        EXPECT_FALSE(ReadBytes(std::vector<uint8_t>(text.begin(), text.end()), file, error));
        EXPECT_EQ(error, "Can't read MIDI file 'test.mid': it is not a MIDI file");
    }
}

TEST(SmfReaderTest, RefusesAChunkLengthPastTheEnd) {
    std::vector<uint8_t> bytes = Header(0, 1, 96);
    AppendChunk(bytes, "MTrk", kEndOfTrack, 5);
    ExpectRefused(bytes,
                  "offset 18: Not enought data in the file for the chunk data: need 5, have only 4 "
                  "left");
}

TEST(SmfReaderTest, RefusesATrackLengthOf0xFFFFFFFF) {
    std::vector<uint8_t> bytes = Header(0, 1, 96);
    AppendChunk(bytes, "MTrk", kEndOfTrack, 0xFFFFFFFFu);
    ExpectRefused(bytes, "need 4294967295, have only 4 left");
}

TEST(SmfReaderTest, RefusesAHeaderLengthOtherThanSix) {
    std::vector<uint8_t> bytes = Header(0, 1, 96);
    bytes[7] = 4;
    ExpectRefused(bytes, "offset 4: header chunk length is 4, not 6");
}

TEST(SmfReaderTest, RefusesAFiveByteDeltaTime) {
    ExpectRefused(OneTrack(WithEnd({0x81, 0x82, 0x83, 0x84, 0x05, 0x90, 0x3C, 0x64})),
                  "offset 22: delta time longer than 4 bytes");
}

TEST(SmfReaderTest, ReadsTheLargestFourByteDeltaTime) {
    SMF_FILE file;
    std::string error;
    ASSERT_TRUE(
        ReadBytes(OneTrack(WithEnd({0xFF, 0xFF, 0xFF, 0x7F, 0x90, 0x3C, 0x64})), file, error))
        << error;
    EXPECT_EQ(file.tracks[0].events[0].tick, 0x0FFFFFFFu);
}

TEST(SmfReaderTest, RefusesAFiveByteMetaLength) {
    ExpectRefused(OneTrack({0x00, 0xFF, 0x01, 0x80, 0x80, 0x80, 0x80, 0x01}),
                  "offset 25: meta event length longer than 4 bytes");
}

TEST(SmfReaderTest, RefusesAMetaLengthPastTheTrack) {
    ExpectRefused(OneTrack({0x00, 0xFF, 0x01, 0x10, 'a', 'b'}),
                  "offset 26: meta event length 16 exceeds the 2 bytes left in the track");
}

TEST(SmfReaderTest, RefusesAMetaLengthPastTheTrackEvenWhenTheFileGoesOn) {
    std::vector<uint8_t> bytes = OneTrack({0x00, 0xFF, 0x01, 0x04, 'a'});
    AppendTrack(bytes, kEndOfTrack);
    ExpectRefused(bytes, "meta event length 4 exceeds the 1 bytes left in the track");
}

TEST(SmfReaderTest, RefusesASysexLengthPastTheTrack) {
    ExpectRefused(OneTrack({0x00, 0xF0, 0x83, 0x00, 0x7E, 0xF7}),
                  "offset 26: sysex length 384 exceeds the 2 bytes left in the track");
}

TEST(SmfReaderTest, RefusesADataByteBeforeAnyStatus) {
    ExpectRefused(OneTrack(WithEnd({0x00, 0x3C, 0x64})), "offset 23: Unknown MIDI type 00");
}

TEST(SmfReaderTest, RunningStatusStartsAgainInEachTrack) {
    std::vector<uint8_t> bytes = Header(1, 2, 96);
    AppendTrack(bytes, WithEnd({0x00, 0x90, 0x3C, 0x64}));
    AppendTrack(bytes, WithEnd({0x00, 0x3C, 0x00}));
    ExpectRefused(bytes, "Unknown MIDI type 00");
}

TEST(SmfReaderTest, RefusesASystemCommonStatus) {
    ExpectRefused(OneTrack(WithEnd({0x00, 0xF2, 0x00, 0x00})), "offset 23: Unknown MIDI type F2");
}

TEST(SmfReaderTest, RefusesANoteCutShortByTheTrackEnd) {
    ExpectRefused(OneTrack({0x00, 0x90, 0x3C}), "offset 25: Not enough data for a note: 0");
}

TEST(SmfReaderTest, RefusesADeltaTimeCutShortByTheTrackEnd) {
    ExpectRefused(OneTrack({0x00, 0x90, 0x3C, 0x40, 0x81}),
                  "offset 26: delta time past the end of the track");
}

TEST(SmfReaderTest, RefusesSmpteDivision) {
    std::vector<uint8_t> bytes = Header(1, 1, 0xE728);
    AppendTrack(bytes, kEndOfTrack);
    ExpectRefused(bytes, "offset 12: SMPTE time division is not supported");
}

TEST(SmfReaderTest, RefusesAnUnknownFormat) {
    std::vector<uint8_t> bytes = Header(3, 1, 96);
    AppendTrack(bytes, kEndOfTrack);
    ExpectRefused(bytes, "offset 8: unknown format 3");
}

TEST(SmfReaderTest, ReadsFormatTwoLikeFormatOne) {
    std::vector<uint8_t> bytes = Header(2, 2, 96);
    AppendTrack(bytes, WithEnd({0x00, 0x90, 0x3C, 0x64}));
    AppendTrack(bytes, WithEnd({0x00, 0x91, 0x3D, 0x64}));
    SMF_FILE file;
    std::string error;
    ASSERT_TRUE(ReadBytes(bytes, file, error)) << error;
    EXPECT_EQ(file.format, 2);
    EXPECT_EQ(file.tracks.size(), 2u);
}

TEST(SmfReaderTest, AHugeTrackCountReadsTheTracksThatArePresent) {
    std::vector<uint8_t> bytes = Header(1, 65535, 96);
    AppendTrack(bytes, WithEnd({0x00, 0x90, 0x3C, 0x64}));
    SMF_FILE file;
    std::string error;
    ASSERT_TRUE(ReadBytes(bytes, file, error)) << error;
    ASSERT_EQ(file.tracks.size(), 1u);
    EXPECT_EQ(file.tracks[0].events.size(), 2u);
}

TEST(SmfReaderTest, SkipsUnknownChunks) {
    std::vector<uint8_t> bytes = Header(0, 1, 96);
    AppendChunk(bytes, "XYZW", {1, 2, 3, 4, 5}, 5);
    AppendTrack(bytes, WithEnd({0x00, 0x90, 0x3C, 0x64}));
    SMF_FILE file;
    std::string error;
    ASSERT_TRUE(ReadBytes(bytes, file, error)) << error;
    ASSERT_EQ(file.tracks.size(), 1u);
    EXPECT_EQ(file.tracks[0].events.size(), 2u);
}

TEST(SmfReaderTest, BytesAfterTheEndOfTrackEventAreIgnored) {
    SMF_FILE file;
    std::string error;
    ASSERT_TRUE(ReadBytes(OneTrack({0x00, 0x90, 0x3C, 0x64, 0x00, 0xFF, 0x2F, 0x00, 0xF3, 0xF4}),
                          file, error))
        << error;
    ASSERT_EQ(file.tracks.size(), 1u);
    ASSERT_EQ(file.tracks[0].events.size(), 2u);
    EXPECT_TRUE(file.tracks[0].events[1].IsEndOfTrack());
}

TEST(SmfReaderTest, ATrackWithoutEndOfTrackEndsWithItsChunk) {
    SMF_FILE file;
    std::string error;
    ASSERT_TRUE(ReadBytes(OneTrack({0x00, 0x90, 0x3C, 0x64, 0x10, 0x3C, 0x00}), file, error))
        << error;
    ASSERT_EQ(file.tracks[0].events.size(), 2u);
    EXPECT_FALSE(file.tracks[0].events.back().IsEndOfTrack());
}

TEST(SmfReaderTest, AFailedReadLeavesTheFileAsItWas) {
    SMF_FILE file;
    file.division = 123;
    file.tracks.resize(3);
    std::string error;
    EXPECT_FALSE(ReadBytes(OneTrack({0x00, 0x3C}), file, error));
    EXPECT_EQ(file.division, 123);
    EXPECT_EQ(file.tracks.size(), 3u);
}

TEST(SmfReaderTest, RandomBytesAfterAValidHeaderNeverCrash) {
    uint32_t seed = 12345;
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> events;
        const int size = round % 64;
        for (int i = 0; i < size; ++i) {
            seed = seed * 1664525u + 1013904223u;
            events.push_back(static_cast<uint8_t>(seed >> 24));
        }
        SMF_FILE file;
        std::string error;
        if (!ReadBytes(OneTrack(events), file, error)) {
            EXPECT_FALSE(error.empty());
        }
    }
}

TEST(SmfReaderTest, ReadsAFileFromDisk) {
    CTempFolder folder("smf-read");
    const std::string path = folder.Path("song.mid");
    const std::vector<uint8_t> bytes = ValidFile();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    CSmfReader reader;
    SMF_FILE file;
    ASSERT_TRUE(reader.ReadFile(path.c_str(), file)) << reader.GetError();
    EXPECT_EQ(file.tracks.size(), 2u);
}

TEST(SmfReaderTest, RefusesAFileAboveTheSizeLimit) {
    CTempFolder folder("smf-limit");
    const std::string path = folder.Path("song.mid");
    const std::vector<uint8_t> bytes = ValidFile();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    CSmfReader reader;
    SMF_FILE file;
    EXPECT_FALSE(reader.ReadFile(path.c_str(), file, 16));
    EXPECT_EQ(std::string(reader.GetError()).rfind("Can't read file '" + path + "': ", 0), 0u)
        << reader.GetError();
}

TEST(SmfReaderTest, RefusesAMissingFile) {
    CSmfReader reader;
    SMF_FILE file;
    EXPECT_FALSE(reader.ReadFile("/nonexistent/notara/song.mid", file));
    EXPECT_EQ(
        std::string(reader.GetError()).rfind("Can't read file '/nonexistent/notara/song.mid': ", 0),
        0u)
        << reader.GetError();
}

}  // namespace
