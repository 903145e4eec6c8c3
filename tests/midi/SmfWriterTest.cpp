#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "midi/SmfReader.h"
#include "midi/SmfWriter.h"

namespace {

SMF_TRACK NoteTrack(int channel) {
    SMF_TRACK track;
    track.events.push_back(MakeSmfMeta(0, Smf::kMetaTrackName, {'P', 'i', 'a', 'n', 'o'}));
    track.events.push_back(
        MakeSmfChannelEvent(0, static_cast<uint8_t>(Smf::kProgram | channel), 5));
    track.events.push_back(
        MakeSmfChannelEvent(0, static_cast<uint8_t>(Smf::kController | channel), 7, 100));
    for (uint32_t i = 0; i < 8; ++i) {
        const auto note = static_cast<uint8_t>(60 + i);
        track.events.push_back(MakeSmfNote(i * 240, channel, note, static_cast<uint8_t>(64 + i)));
        track.events.push_back(MakeSmfNote(i * 240 + 200, channel, note, 0));
    }
    track.events.push_back(
        MakeSmfChannelEvent(2000, static_cast<uint8_t>(Smf::kPitchBend | channel), 0, 64));
    SMF_EVENT sysex;
    sysex.tick = 2000;
    sysex.status = Smf::kSysexStatus;
    sysex.data = {0x7E, 0x7F, 0x09, 0x01, 0xF7};
    track.events.push_back(sysex);
    track.events.push_back(MakeSmfMeta(2100, Smf::kMetaEndOfTrack));
    return track;
}

SMF_FILE RoundTrip(const SMF_FILE& file) {
    CSmfWriter writer;
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(writer.Write(file, bytes)) << writer.GetError();
    CSmfReader reader;
    SMF_FILE read;
    EXPECT_TRUE(reader.Read(bytes, read, "round trip")) << reader.GetError();
    return read;
}

void ExpectSameFile(const SMF_FILE& a, const SMF_FILE& b) {
    EXPECT_EQ(a.format, b.format);
    EXPECT_EQ(a.division, b.division);
    ASSERT_EQ(a.tracks.size(), b.tracks.size());
    for (size_t t = 0; t < a.tracks.size(); ++t) {
        EXPECT_EQ(a.tracks[t].events, b.tracks[t].events) << "track " << t;
    }
}

TEST(SmfWriterTest, FormatZeroReadsBackWithTheSameEvents) {
    SMF_FILE file;
    file.format = 0;
    file.division = 96;
    file.tracks.push_back(NoteTrack(3));
    file.tracks[0].events.insert(file.tracks[0].events.begin(), MakeSmfTempo(0, 400000));
    ExpectSameFile(RoundTrip(file), file);
}

TEST(SmfWriterTest, FormatOneReadsBackWithTheSameEvents) {
    SMF_FILE file;
    file.format = 1;
    file.division = 480;
    SMF_TRACK conductor;
    conductor.events.push_back(MakeSmfTempo(0, 500000));
    conductor.events.push_back(MakeSmfMeta(0, Smf::kMetaTimeSignature, {4, 2, 24, 8}));
    conductor.events.push_back(MakeSmfTempo(960, 250000));
    conductor.events.push_back(MakeSmfMeta(960, Smf::kMetaEndOfTrack));
    file.tracks.push_back(conductor);
    file.tracks.push_back(NoteTrack(0));
    file.tracks.push_back(NoteTrack(Smf::kDrumChannel));
    ExpectSameFile(RoundTrip(file), file);
}

TEST(SmfWriterTest, RepeatedStatusIsWrittenOnceAsRunningStatus) {
    SMF_FILE file;
    file.format = 0;
    file.division = 96;
    SMF_TRACK track;
    track.events.push_back(MakeSmfNote(0, 0, 60, 100));
    track.events.push_back(MakeSmfNote(10, 0, 60, 0));
    track.events.push_back(MakeSmfNote(10, 0, 62, 90));
    file.tracks.push_back(track);
    CSmfWriter writer;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(writer.Write(file, bytes)) << writer.GetError();
    const std::vector<uint8_t> events(bytes.begin() + 22, bytes.end());
    const std::vector<uint8_t> expected = {0x00, 0x90, 60, 100,  0x0A, 60,   0,
                                           0x00, 62,   90, 0x00, 0xFF, 0x2F, 0x00};
    EXPECT_EQ(events, expected);
    EXPECT_EQ(bytes[21], expected.size());
}

TEST(SmfWriterTest, AMetaEventBreaksRunningStatus) {
    SMF_FILE file;
    file.format = 0;
    SMF_TRACK track;
    track.events.push_back(MakeSmfNote(0, 0, 60, 100));
    track.events.push_back(MakeSmfMeta(0, Smf::kMetaMarker, {'A'}));
    track.events.push_back(MakeSmfNote(0, 0, 60, 0));
    file.tracks.push_back(track);
    CSmfWriter writer;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(writer.Write(file, bytes)) << writer.GetError();
    const std::vector<uint8_t> events(bytes.begin() + 22, bytes.end());
    const std::vector<uint8_t> expected = {0x00, 0x90, 60, 100, 0x00, 0xFF, 0x06, 0x01, 'A',
                                           0x00, 0x90, 60, 0,   0x00, 0xFF, 0x2F, 0x00};
    EXPECT_EQ(events, expected);
}

TEST(SmfWriterTest, AddsEndOfTrackWhenMissing) {
    SMF_FILE file;
    file.format = 0;
    SMF_TRACK track;
    track.events.push_back(MakeSmfNote(0, 0, 60, 100));
    track.events.push_back(MakeSmfNote(300, 0, 60, 0));
    file.tracks.push_back(track);
    const SMF_FILE read = RoundTrip(file);
    ASSERT_EQ(read.tracks.size(), 1u);
    ASSERT_EQ(read.tracks[0].events.size(), 3u);
    EXPECT_TRUE(read.tracks[0].events[2].IsEndOfTrack());
    EXPECT_EQ(read.tracks[0].events[2].tick, 300u);
}

TEST(SmfWriterTest, AnEndOfTrackInsideTheTrackMovesToItsEnd) {
    SMF_FILE file;
    file.format = 0;
    SMF_TRACK track;
    track.events.push_back(MakeSmfMeta(0, Smf::kMetaEndOfTrack));
    track.events.push_back(MakeSmfNote(50, 0, 60, 100));
    file.tracks.push_back(track);
    const SMF_FILE read = RoundTrip(file);
    ASSERT_EQ(read.tracks[0].events.size(), 2u);
    EXPECT_TRUE(read.tracks[0].events[0].IsNoteStart());
    EXPECT_TRUE(read.tracks[0].events[1].IsEndOfTrack());
    EXPECT_EQ(read.tracks[0].events[1].tick, 50u);
}

TEST(SmfWriterTest, EventsOutOfOrderAreSortedKeepingEqualTicksInOrder) {
    SMF_FILE file;
    file.format = 0;
    SMF_TRACK track;
    track.events.push_back(MakeSmfNote(100, 0, 60, 0));
    track.events.push_back(MakeSmfNote(0, 0, 60, 100));
    track.events.push_back(MakeSmfNote(100, 0, 62, 90));
    file.tracks.push_back(track);
    const SMF_FILE read = RoundTrip(file);
    const auto& events = read.tracks[0].events;
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0], track.events[1]);
    EXPECT_EQ(events[1], track.events[0]);
    EXPECT_EQ(events[2], track.events[2]);
}

TEST(SmfWriterTest, RefusesADataByteAbove127) {
    SMF_FILE file;
    file.format = 0;
    SMF_TRACK track;
    track.events.push_back(MakeSmfNote(0, 0, 200, 100));
    file.tracks.push_back(track);
    CSmfWriter writer;
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(writer.Write(file, bytes));
    EXPECT_STREQ(writer.GetError(),
                 "Can't write MIDI data: track 0: the event at tick 0 has a data byte above 127");
    EXPECT_TRUE(bytes.empty());
}

TEST(SmfWriterTest, RefusesAFormatZeroFileOfTwoTracks) {
    SMF_FILE file;
    file.format = 0;
    file.tracks.resize(2);
    CSmfWriter writer;
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(writer.Write(file, bytes));
    EXPECT_STREQ(writer.GetError(),
                 "Can't write MIDI data: a format 0 file holds one track, not 2");
}

TEST(SmfWriterTest, RefusesADivisionThatWouldReadAsSmpte) {
    SMF_FILE file;
    file.division = 0x8000;
    CSmfWriter writer;
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(writer.Write(file, bytes));
    EXPECT_NE(std::string(writer.GetError()).find("outside 1 to 32767"), std::string::npos);
}

TEST(SmfWriterTest, WritesLongVariableLengthNumbers) {
    SMF_FILE file;
    file.format = 0;
    SMF_TRACK track;
    track.events.push_back(MakeSmfNote(0x0FFFFFFF, 0, 60, 100));
    track.events.push_back(MakeSmfMeta(0x0FFFFFFF, Smf::kMetaText, std::vector<uint8_t>(300, 'x')));
    file.tracks.push_back(track);
    const SMF_FILE read = RoundTrip(file);
    ASSERT_EQ(read.tracks[0].events.size(), 3u);
    EXPECT_EQ(read.tracks[0].events[0], track.events[0]);
    EXPECT_EQ(read.tracks[0].events[1], track.events[1]);
}

TEST(SmfWriterTest, SavesAFileThatReadsBack) {
    CTempFolder folder("smf-write");
    const std::string path = folder.Path("song.mid");
    SMF_FILE file;
    file.tracks.push_back(NoteTrack(1));
    CSmfWriter writer;
    ASSERT_TRUE(writer.WriteFile(file, path.c_str())) << writer.GetError();
    CSmfReader reader;
    SMF_FILE read;
    ASSERT_TRUE(reader.ReadFile(path.c_str(), read)) << reader.GetError();
    ExpectSameFile(read, file);
}

TEST(SmfWriterTest, AFailedSaveKeepsTheOldFile) {
    CTempFolder folder("smf-keep");
    const std::string path = folder.Path("song.mid");
    std::ofstream(path) << "old";
    SMF_FILE file;
    file.format = 0;
    CSmfWriter writer;
    EXPECT_FALSE(writer.WriteFile(file, path.c_str()));
    EXPECT_EQ(std::string(writer.GetError()),
              "Can't write MIDI file '" + path + "': a format 0 file holds one track, not 0");
    std::ifstream in(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old");
}

TEST(SmfWriterTest, RefusesToSaveOverAFolder) {
    CTempFolder folder("smf-folder");
    SMF_FILE file;
    file.tracks.push_back(NoteTrack(0));
    CSmfWriter writer;
    EXPECT_FALSE(writer.WriteFile(file, folder.Get().c_str()));
    EXPECT_EQ(std::string(writer.GetError()).rfind("Can't write MIDI file '", 0), 0u);
}

}  // namespace
