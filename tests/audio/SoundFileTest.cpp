#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "WaveTesting.h"
#include "audio/SoundFile.h"
#include "audio/SoundInfo.h"

namespace {

struct SOX_CASE {
    int channels;
    int bits;
    int rate;
};

const SOX_CASE kSoxCases[] = {
    {1, 8, 22050},  {2, 8, 44100},  {1, 16, 22050}, {2, 16, 44100},
    {1, 16, 48000}, {1, 24, 44100}, {2, 24, 48000}, {2, 16, 22050},
};

const double kSoxSeconds = 0.05;

// A temporary folder of each test's own and files made in it.
class SoundFile : public testing::Test {
protected:
    std::string Path(const char* name) const { return m_folder.Path(name); }

    // A sine written by sox, and its data as raw samples written by sox too.
    std::string MakeWithSox(const SOX_CASE& c, const char* name, Bytes& raw) {
        const std::string path = Path(name);
        const std::string rawPath = path + ".raw";
        const std::string make = "sox -n -r " + std::to_string(c.rate) + " -b " +
                                 std::to_string(c.bits) + " -c " + std::to_string(c.channels) +
                                 " '" + path + "' synth " + std::to_string(kSoxSeconds) +
                                 " sine 1000";
        int status = 0;
        const std::string output = RunCommand(make, status);
        EXPECT_EQ(status, 0) << make << ": " << output;
        const std::string toRaw = "sox '" + path + "' -t raw '" + rawPath + "'";
        EXPECT_EQ((RunCommand(toRaw, status), status), 0) << toRaw;
        raw = ReadBytes(rawPath);
        return path;
    }

    // What soxi says of path with option (-r, -c or -s).
    static long Soxi(const std::string& path, const char* option) {
        int status = 0;
        const std::string output =
            RunCommand(std::string("soxi ") + option + " '" + path + "'", status);
        EXPECT_EQ(status, 0) << output;
        return std::strtol(output.c_str(), nullptr, 10);
    }

    CTempFolder m_folder{"wave-file"};
};

TEST_F(SoundFile, ReadsEverySoxFormatWithItsExactSamples) {
    SKIP_WITHOUT_SOX();
    for (const SOX_CASE& c : kSoxCases) {
        SCOPED_TRACE(testing::Message() << c.channels << " ch, " << c.bits << " bit, " << c.rate);
        Bytes raw;
        const std::string path = MakeWithSox(c, "sox.wav", raw);
        CSoundFile file;
        CSoundInfo sound;
        ASSERT_TRUE(file.ReadInfo(path.c_str(), sound)) << file.GetError();
        EXPECT_EQ(sound.format.formatTag, WAVE_FORMAT::kPcm);
        EXPECT_EQ(sound.format.channels, c.channels);
        EXPECT_EQ(sound.format.bitsPerSample, c.bits);
        EXPECT_EQ(sound.format.samplesPerSecond, static_cast<uint32_t>(c.rate));
        EXPECT_EQ(sound.format.blockAlign, c.channels * c.bits / 8);
        EXPECT_EQ(sound.GetSize() / sound.format.blockAlign, Soxi(path, "-s"));
        EXPECT_NEAR(sound.GetLength(), kSoxSeconds, 1.0 / c.rate);
        EXPECT_EQ(Bytes(sound.GetData(), sound.GetData() + sound.GetSize()), raw);
        EXPECT_EQ(sound.fileName, path.c_str());
        EXPECT_FALSE(file.IsOpen());
    }
}

// Writers put LIST, cue and their own chunks around the two that matter, in
// any order, odd-sized ones padded.
TEST_F(SoundFile, ReadsSoxFilesWithExtraChunksInAnyOrder) {
    SKIP_WITHOUT_SOX();
    Bytes raw;
    const std::string path = MakeWithSox({2, 16, 44100}, "sox.wav", raw);
    CSoundFile file;
    CSoundInfo plain;
    ASSERT_TRUE(file.ReadInfo(path.c_str(), plain)) << file.GetError();

    const Bytes format = FormatBody(1, 2, 44100, 16);
    const Bytes list =
        Chunk("LIST", {'I', 'N', 'F', 'O', 'I', 'C', 'M', 'T', 5, 0, 0, 0, 'n', 'o', 't', 'e', 0});
    const Bytes odd = Chunk("junk", {1, 2, 3});
    const std::vector<std::vector<Bytes>> layouts = {
        {Chunk("fmt ", format), list, Chunk("data", raw)},
        {list, odd, Chunk("fmt ", format), odd, Chunk("data", raw), list},
        {Chunk("data", raw), odd, Chunk("fmt ", format)},
    };
    for (size_t i = 0; i < layouts.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string extra = Path("extra.wav");
        WriteBytes(extra, Riff(layouts[i]));
        CSoundInfo sound;
        ASSERT_TRUE(file.ReadInfo(extra.c_str(), sound)) << file.GetError();
        EXPECT_TRUE(sound.format.SameLayout(plain.format));
        EXPECT_EQ(Bytes(sound.GetData(), sound.GetData() + sound.GetSize()), raw);
        // sox itself wants the format before the data.
        if (i < 2) {
            EXPECT_EQ(Soxi(extra, "-s"), static_cast<long>(raw.size() / 4));
        }
    }
}

TEST_F(SoundFile, WrittenFilesPassSoxiWithTheirRateChannelsAndLength) {
    SKIP_WITHOUT_SOX();
    for (const SOX_CASE& c : kSoxCases) {
        SCOPED_TRACE(testing::Message() << c.channels << " ch, " << c.bits << " bit, " << c.rate);
        Bytes raw;
        const std::string source = MakeWithSox(c, "sox.wav", raw);
        CSoundFile file;
        CSoundInfo sound;
        ASSERT_TRUE(file.ReadInfo(source.c_str(), sound)) << file.GetError();
        const std::string copy = Path("copy.wav");
        ASSERT_TRUE(file.Save(copy.c_str(), sound)) << file.GetError();
        EXPECT_EQ(Soxi(copy, "-r"), c.rate);
        EXPECT_EQ(Soxi(copy, "-c"), c.channels);
        EXPECT_EQ(Soxi(copy, "-s"), static_cast<long>(raw.size() / sound.format.blockAlign));
        // Bit-exact both ways: as this reader and as sox read it.
        CSoundInfo again;
        ASSERT_TRUE(file.ReadInfo(copy.c_str(), again)) << file.GetError();
        EXPECT_TRUE(again.format.SameLayout(sound.format));
        EXPECT_EQ(again.format.blockAlign, sound.format.blockAlign);
        EXPECT_EQ(Bytes(again.GetData(), again.GetData() + again.GetSize()), raw);
        int status = 0;
        RunCommand("sox '" + copy + "' -t raw '" + copy + ".raw'", status);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(ReadBytes(copy + ".raw"), raw);
    }
}

TEST_F(SoundFile, WrittenFileHasTheFiftySixByteHeaderAndFactZero) {
    const std::vector<int16_t> values = {1, -1, 1000, -1000, 32767, -32768};
    CSoundInfo sound;
    sound.format = WAVE_FORMAT::Stream();
    sound.SetData(Bytes(reinterpret_cast<const uint8_t*>(values.data()),
                        reinterpret_cast<const uint8_t*>(values.data()) + 12));
    CSoundFile file;
    const std::string path = Path("out.wav");
    ASSERT_TRUE(file.Save(path.c_str(), sound)) << file.GetError();
    const Bytes bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 56u + 12u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(Get32(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(Get32(bytes, 16), 16u);
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "fact");
    EXPECT_EQ(Get32(bytes, 40), 4u);
    EXPECT_EQ(Get32(bytes, 44), 0u);
    EXPECT_EQ(std::string(bytes.begin() + 48, bytes.begin() + 52), "data");
    EXPECT_EQ(Get32(bytes, 52), 12u);
    EXPECT_EQ(Bytes(bytes.begin() + 56, bytes.end()), Bytes(sound.GetData(), sound.GetData() + 12));
}

TEST_F(SoundFile, StreamedWritingTakesItsNameOnlyAtClose) {
    const std::string path = Path("a/b/streamed.wav");
    WAVE_FORMAT format = WAVE_FORMAT::Pcm(1, 22050, 16);
    CSoundFile file;
    ASSERT_TRUE(file.Open(path.c_str(), format, CSoundFile::kWrite)) << file.GetError();
    const int16_t values[] = {5, 6, 7};
    uint32_t written = 0;
    ASSERT_TRUE(file.Write(sizeof values, values, &written));
    EXPECT_EQ(written, sizeof values);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(file.Write(0, values));
    EXPECT_STRNE(file.GetError(), "");
    ASSERT_TRUE(file.Write(sizeof values, values));
    ASSERT_TRUE(file.Close()) << file.GetError();
    EXPECT_TRUE(file.Close());
    const Bytes bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 56u + 12u);
    EXPECT_EQ(Get32(bytes, 52), 12u);
    EXPECT_EQ(Get32(bytes, 44), 0u);
    // Only the finished file is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Path("a/b")),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(SoundFile, OddDataIsPaddedAndCountedInTheRiffSize) {
    CSoundInfo sound;
    sound.format = WAVE_FORMAT::Pcm(1, 8000, 8);
    sound.SetData({0x80, 0x90, 0xA0});
    CSoundFile file;
    const std::string path = Path("odd.wav");
    ASSERT_TRUE(file.Save(path.c_str(), sound)) << file.GetError();
    const Bytes bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 56u + 4u);
    EXPECT_EQ(Get32(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(Get32(bytes, 52), 3u);
    CSoundInfo again;
    ASSERT_TRUE(file.ReadInfo(path.c_str(), again)) << file.GetError();
    EXPECT_EQ(again.GetSize(), 3u);
}

TEST_F(SoundFile, DestructorFinishesAFileOpenForWriting) {
    const std::string path = Path("left-open.wav");
    {
        WAVE_FORMAT format = WAVE_FORMAT::Stream();
        CSoundFile file;
        ASSERT_TRUE(file.Open(path.c_str(), format, CSoundFile::kWrite));
        const int16_t frame[] = {100, -100};
        ASSERT_TRUE(file.Write(sizeof frame, frame));
    }
    CSoundFile reader;
    CSoundInfo sound;
    ASSERT_TRUE(reader.ReadInfo(path.c_str(), sound)) << reader.GetError();
    EXPECT_EQ(sound.GetSize(), 4u);
}

TEST_F(SoundFile, StreamedReadingDeliversTheDataChunkInPieces) {
    Bytes expected;
    for (int i = 0; i < 1000; ++i) {
        Put32(expected, static_cast<uint32_t>(i * 7919));
    }
    const std::string path = Path("stream.wav");
    WriteBytes(path, Riff({Chunk("LIST", {1, 2, 3, 4}), Chunk("fmt ", FormatBody(1, 2, 44100, 16)),
                           Chunk("data", expected)}));
    CSoundFile file;
    WAVE_FORMAT format;
    ASSERT_TRUE(file.Open(path.c_str(), format, CSoundFile::kRead)) << file.GetError();
    EXPECT_EQ(format.channels, 2);
    EXPECT_EQ(file.GetDataSize(), expected.size());
    Bytes got;
    uint8_t piece[333];
    uint32_t n = 0;
    do {
        ASSERT_TRUE(file.Read(sizeof piece, piece, n)) << file.GetError();
        got.insert(got.end(), piece, piece + n);
    } while (n > 0);
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(file.Read(sizeof piece, piece, n));
}

TEST_F(SoundFile, PartialLastFrameIsCut) {
    Bytes data = {1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6};
    const std::string path = Path("partial.wav");
    WriteBytes(path, Riff({Chunk("fmt ", FormatBody(1, 2, 44100, 16)), Chunk("data", data)}));
    CSoundFile file;
    CSoundInfo sound;
    ASSERT_TRUE(file.ReadInfo(path.c_str(), sound)) << file.GetError();
    EXPECT_EQ(sound.GetSize(), 8u);
}

TEST_F(SoundFile, FourteenByteFormatIsRefused) {
    Bytes format = FormatBody(1, 1, 44100, 16);
    format.resize(14);
    const std::string path = Path("fmt14.wav");
    WriteBytes(path, Riff({Chunk("fmt ", format), Chunk("data", {0, 0})}));
    CSoundFile file;
    CSoundInfo sound;
    EXPECT_FALSE(file.ReadInfo(path.c_str(), sound));
    EXPECT_STREQ(file.GetError(), "'fmt' chunk size is less then PCMWAVEFORMAT");
}

TEST_F(SoundFile, FloatFormatIsRefused) {
    const std::string path = Path("float.wav");
    WriteBytes(path,
               Riff({Chunk("fmt ", FormatBody(3, 1, 44100, 32)), Chunk("data", {0, 0, 0, 0})}));
    CSoundFile file;
    CSoundInfo sound;
    EXPECT_FALSE(file.ReadInfo(path.c_str(), sound));
    EXPECT_EQ(std::string(file.GetError()).rfind("Not a PCM wave format", 0), 0u)
        << file.GetError();
    EXPECT_EQ(sound.GetSize(), 0u);
}

TEST_F(SoundFile, DataSizeBeyondTheFileNamesOffsetAndSizes) {
    Bytes bytes = PcmFile(1, 44100, {1, 2, 3});
    Set32(bytes, 40, 0xFFFFFFFFu);
    const std::string path = Path("huge.wav");
    WriteBytes(path, bytes);
    CSoundFile file;
    CSoundInfo sound;
    EXPECT_FALSE(file.ReadInfo(path.c_str(), sound));
    EXPECT_STREQ(file.GetError(),
                 "Can't descend to the data: the data chunk at offset 36 claims 4294967295 "
                 "bytes, the file has 50");
}

TEST_F(SoundFile, MissingFileAndFolderAreRefused) {
    CSoundFile file;
    CSoundInfo sound;
    EXPECT_FALSE(file.ReadInfo(Path("none.wav").c_str(), sound));
    EXPECT_EQ(std::string(file.GetError()).rfind("Can't open file", 0), 0u);
    EXPECT_FALSE(file.ReadInfo(m_folder.Get().c_str(), sound));
    EXPECT_EQ(std::string(file.GetError()).rfind("Can't open file", 0), 0u);
}

TEST_F(SoundFile, FifoIsRefusedWithoutWaiting) {
    const std::string path = Path("fifo.wav");
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    CSoundFile file;
    CSoundInfo sound;
    EXPECT_FALSE(file.ReadInfo(path.c_str(), sound));
    EXPECT_EQ(std::string(file.GetError()).rfind("Can't open file", 0), 0u);
}

TEST_F(SoundFile, FileAboveTheSizeLimitIsRefused) {
    const std::string path = Path("big.wav");
    WriteBytes(path, PcmFile(1, 44100, {1, 2}));
    std::filesystem::resize_file(path, CSoundFile::kMaxReadSize + 1);
    CSoundFile file;
    CSoundInfo sound;
    EXPECT_FALSE(file.ReadInfo(path.c_str(), sound));
    EXPECT_NE(std::string(file.GetError()).find("more than the"), std::string::npos)
        << file.GetError();
}

TEST_F(SoundFile, FolderThatCannotBeMadeIsReported) {
    const std::string blocker = Path("plain-file");
    WriteBytes(blocker, {1});
    const std::string path = blocker + "/sub/x.wav";
    CSoundFile file;
    CSoundInfo sound;
    sound.format = WAVE_FORMAT::Stream();
    EXPECT_FALSE(file.Save(path.c_str(), sound));
    EXPECT_EQ(std::string(file.GetError()), "Can't make file directory (" + path + ")");
}

TEST_F(SoundFile, EmptySoundSavesAHeaderOnly) {
    CSoundInfo sound;
    sound.format = WAVE_FORMAT::Stream();
    CSoundFile file;
    const std::string path = Path("empty.wav");
    ASSERT_TRUE(file.Save(path.c_str(), sound)) << file.GetError();
    EXPECT_EQ(ReadBytes(path).size(), 56u);
    CSoundInfo again;
    ASSERT_TRUE(file.ReadInfo(path.c_str(), again)) << file.GetError();
    EXPECT_EQ(again.GetSize(), 0u);
}

TEST_F(SoundFile, ExtensiblePcmIsReadAsPcmAndOtherSubFormatsAreRefused) {
    Bytes format = FormatBody(0xFFFE, 1, 44100, 16);
    Put16(format, 22);
    Put16(format, 16);
    Put32(format, 4);
    const uint8_t pcm[16] = {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    format.insert(format.end(), pcm, pcm + 16);
    const std::string path = Path("extensible.wav");
    WriteBytes(path, Riff({Chunk("fmt ", format), Chunk("data", {1, 0, 2, 0})}));
    CSoundFile file;
    CSoundInfo sound;
    ASSERT_TRUE(file.ReadInfo(path.c_str(), sound)) << file.GetError();
    EXPECT_EQ(sound.format.formatTag, WAVE_FORMAT::kPcm);
    EXPECT_EQ(sound.format.extraSize, 0);
    format[24] = 3;  // the float sub-format
    WriteBytes(path, Riff({Chunk("fmt ", format), Chunk("data", {1, 0, 2, 0})}));
    EXPECT_FALSE(file.ReadInfo(path.c_str(), sound));
    EXPECT_EQ(std::string(file.GetError()).rfind("Not a PCM wave format", 0), 0u);
}

TEST_F(SoundFile, WrongUseOfAnOpenFileIsRefused) {
    const std::string path = Path("use.wav");
    WriteBytes(path, PcmFile(1, 8000, {1, 2, 3}));
    CSoundFile file;
    WAVE_FORMAT format;
    ASSERT_TRUE(file.Open(path.c_str(), format, CSoundFile::kRead));
    EXPECT_EQ(file.GetDataSize(), 6u);
    EXPECT_FALSE(file.Open(path.c_str(), format, CSoundFile::kRead));
    EXPECT_FALSE(file.Write(2, "ab"));
    EXPECT_EQ(std::string(file.GetError()).rfind("Can't", 0), 0u);
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(file.GetDataSize(), 0u);
    EXPECT_FALSE(file.Open(path.c_str(), format, 3));
    EXPECT_FALSE(file.Open(nullptr, format, CSoundFile::kRead));
    WAVE_FORMAT none;
    EXPECT_FALSE(file.Open(Path("none.wav").c_str(), none, CSoundFile::kWrite));
    EXPECT_FALSE(std::filesystem::exists(Path("none.wav")));
}

TEST_F(SoundFile, SaveOverAnOlderFileReplacesItWhole) {
    const std::string path = Path("replace.wav");
    WriteBytes(path, PcmFile(1, 8000, {1, 2, 3, 4, 5, 6, 7, 8}));
    CSoundInfo sound;
    sound.format = WAVE_FORMAT::Pcm(1, 8000, 16);
    sound.SetData({9, 0});
    CSoundFile file;
    ASSERT_TRUE(file.Save(path.c_str(), sound)) << file.GetError();
    EXPECT_EQ(ReadBytes(path).size(), 58u);
    chmod(path.c_str(), 0444);
    EXPECT_FALSE(file.Save(path.c_str(), sound));
    EXPECT_EQ(std::string(file.GetError()).rfind("Can't open file", 0), 0u);
    EXPECT_EQ(ReadBytes(path).size(), 58u);
}

TEST(SoundInfo, CopiesShareBytesAndDuplicatesOwnThem) {
    CSoundInfo sound;
    sound.format = WAVE_FORMAT::Stream();
    ASSERT_TRUE(sound.Allocate(8));
    sound.buffer = 3;
    CSoundInfo shared = sound;
    CSoundInfo own = sound.Duplicate();
    sound.GetData()[0] = 9;
    EXPECT_EQ(shared.GetData()[0], 9);
    EXPECT_EQ(own.GetData()[0], 0);
    EXPECT_EQ(own.buffer, CSoundInfo::kNoBuffer);
    EXPECT_FALSE(sound.SetSize(9));
    EXPECT_TRUE(sound.SetSize(4));
    sound.Clear();
    EXPECT_EQ(sound.GetSize(), 0u);
    EXPECT_EQ(sound.GetData(), nullptr);
    EXPECT_EQ(sound.format.blockAlign, 0);
    EXPECT_EQ(sound.GetLength(), 0.0);
}

TEST(SoundInfo, LengthIsFramesOverRateForMonoAndStereo) {
    CSoundInfo stereo;
    stereo.format = WAVE_FORMAT::Stream();
    ASSERT_TRUE(stereo.Allocate(44100 * 4));
    EXPECT_DOUBLE_EQ(stereo.GetLength(), 1.0);
    CSoundInfo mono;
    mono.format = WAVE_FORMAT::Pcm(1, 22050, 16);
    ASSERT_TRUE(mono.Allocate(22050));
    EXPECT_DOUBLE_EQ(mono.GetLength(), 0.5);
}

}  // namespace
