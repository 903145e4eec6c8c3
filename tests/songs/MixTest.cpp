#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <thread>

#include "CommaLocale.h"
#include "TempFolder.h"
#include "songs/Mix.h"
#include "theory/Note.h"

namespace {

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << content;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

std::string Fixture(const char* name) {
    return std::string(NOTARA_TEST_DATA) + "/mix/" + name;
}

int Thing(const char* name) {
    int thing = 0;
    EXPECT_TRUE(FindThing(name, thing)) << name;
    return thing;
}

void ExpectEntry(const CMix& mix, const char* instrument, float volume, float pan) {
    const auto found = mix.GetEntries().find(Thing(instrument));
    ASSERT_NE(found, mix.GetEntries().end()) << instrument;
    EXPECT_FLOAT_EQ(found->second.volume, volume) << instrument;
    EXPECT_FLOAT_EQ(found->second.pan, pan) << instrument;
}

bool SameEntries(const CMix& a, const CMix& b) {
    if (a.GetCount() != b.GetCount()) {
        return false;
    }
    for (const auto& item : a.GetEntries()) {
        const auto other = b.GetEntries().find(item.first);
        if (other == b.GetEntries().end() || other->second.volume != item.second.volume ||
            other->second.pan != item.second.pan ||
            other->second.soundFile != item.second.soundFile) {
            return false;
        }
    }
    return true;
}

TEST(MixTest, TheDefaultMixHoldsTheBandAndTheKit) {
    CMix mix;
    ASSERT_TRUE(mix.SetDefaults());
    EXPECT_EQ(mix.GetCount(), 18u);
    ExpectEntry(mix, "Lead guitar", 1.0f, -0.2f);
    ExpectEntry(mix, "Rhythm guitar", 1.0f, 0.2f);
    ExpectEntry(mix, "Hi-hat, closed", 0.6f, -0.8f);
    ExpectEntry(mix, "Snare drum", 0.7f, -0.2f);
    ExpectEntry(mix, "Splash cymbal 1", 0.6f, -0.3f);
    int previous = -1;
    for (const auto& item : mix.GetEntries()) {
        EXPECT_GT(item.first, previous);  // ordered by Thing
        EXPECT_EQ(item.first, item.second.thing);
        EXPECT_TRUE(item.second.soundFile.IsEmpty());
        previous = item.first;
    }
}

TEST(MixTest, GetOnAnEmptyMixGivesFullVolumeInTheCentre) {
    CMix mix;
    float volume = 0.0f;
    float pan = 1.0f;
    mix.Get(Thing("Lead guitar"), volume, pan);
    EXPECT_EQ(volume, 1.0f);
    EXPECT_EQ(pan, 0.0f);
}

TEST(MixTest, SetUpdatesAnEntryOrAddsOne) {
    CMix mix;
    ASSERT_TRUE(mix.Set(Thing("Bass guitar"), 0.5f, -0.25f));
    ASSERT_TRUE(mix.SetSoundFile(Thing("Bass guitar"), "Bass.wav"));
    ASSERT_TRUE(mix.Set(Thing("Bass guitar"), 0.75f, 0.25f));
    EXPECT_EQ(mix.GetCount(), 1u);
    ExpectEntry(mix, "Bass guitar", 0.75f, 0.25f);
    CCharString soundFile;
    EXPECT_TRUE(mix.GetSoundFile(Thing("Bass guitar"), soundFile));
    EXPECT_EQ(soundFile, "Bass.wav");
}

TEST(MixTest, SetClampsValuesAndRefusesNanAndUnknownInstruments) {
    CMix mix;
    ASSERT_TRUE(mix.Set(Thing("Tom 1"), 7.0f, -3.0f));
    ExpectEntry(mix, "Tom 1", 1.0f, -1.0f);
    ASSERT_TRUE(mix.Set(Thing("Tom 1"), -1.0f, std::numeric_limits<float>::infinity()));
    ExpectEntry(mix, "Tom 1", 0.0f, 1.0f);
    EXPECT_FALSE(mix.Set(Thing("Tom 1"), std::nanf(""), 0.0f));
    EXPECT_EQ(std::string(mix.GetError()).rfind("Can't", 0), 0u);
    for (int bad : {8, 63, 100, -1, THING_COUNT + 1}) {
        EXPECT_FALSE(mix.Set(bad, 1.0f, 0.0f)) << bad;
    }
    EXPECT_EQ(mix.GetCount(), 1u);
}

TEST(MixTest, SoundFileNamesThatWouldBreakTheFileAreRefused) {
    CMix mix;
    ASSERT_TRUE(mix.Set(Thing("Guitar"), 1.0f, 0.0f));
    EXPECT_FALSE(mix.SetSoundFile(Thing("Guitar"), "a.wav\r\nInstrument=Drum set"));
    EXPECT_FALSE(mix.SetSoundFile(Thing("Lead guitar"), "not in the mix.wav"));
    CCharString soundFile;
    mix.GetSoundFile(Thing("Guitar"), soundFile);
    EXPECT_TRUE(soundFile.IsEmpty());
}

TEST(MixTest, WritesEachEntryAsAFixedBlockOfLines) {
    CTempFolder folder("mix");
    CMix mix;
    ASSERT_TRUE(mix.Set(Thing("Lead guitar"), 1.0f, -0.2f));
    ASSERT_TRUE(mix.Set(Thing("Drum set"), 0.6f, 0.0f));
    ASSERT_TRUE(mix.SetSoundFile(Thing("Drum set"), "Kit.wav"));
    const std::string path = folder.Path("Two.mix");
    ASSERT_TRUE(mix.Save(path.c_str())) << mix.GetError();
    EXPECT_EQ(ReadFile(path),
              "Mix start= \r\nInstrument=Drum set\r\nVolume=0.60\r\nPan=0.00\r\n"
              "Sound file=Kit.wav\r\nMix end= \r\n\r\n"
              "Mix start= \r\nInstrument=Lead guitar\r\nVolume=1.00\r\nPan=-0.20\r\n"
              "Sound file=\r\nMix end= \r\n\r\n");
    EXPECT_EQ(std::string(mix.GetFileName()), path);
}

TEST(MixTest, ASavedMixReadsBackTheSame) {
    CTempFolder folder("mix");
    CMix mix;
    ASSERT_TRUE(mix.SetDefaults());
    ASSERT_TRUE(mix.Set(Thing("Band"), 0.25f, 1.0f));
    ASSERT_TRUE(mix.Set(Thing("Keyboard"), 0.3f, -0.5f));
    ASSERT_TRUE(mix.SetSoundFile(Thing("Snare drum"), "Snare (soft) = 2.wav"));
    ASSERT_TRUE(mix.SetSoundFile(Thing("Band"), "Bänd.wav"));
    const std::string path = folder.Path("Round.mix");
    ASSERT_TRUE(mix.Save(path.c_str())) << mix.GetError();
    CMix loaded;
    ASSERT_TRUE(loaded.Load(path.c_str())) << loaded.GetError();
    EXPECT_TRUE(SameEntries(mix, loaded));
    EXPECT_EQ(std::string(loaded.GetFileName()), path);
}

TEST(MixTest, AMixSavedUnderADecimalCommaLocaleReadsBackTheSameUnderC) {
    CCommaLocale comma;
    ASSERT_TRUE(comma.IsActive()) << comma.Why();
    CTempFolder folder("mix-locale");
    CMix mix;
    mix.Set(Thing("Lead guitar"), 0.5f, -0.25f);
    const std::string path = folder.Path("Locale.mix");
    const bool savedOk = mix.Save(path.c_str());
    comma.Restore();
    ASSERT_TRUE(savedOk) << mix.GetError();
    EXPECT_NE(ReadFile(path).find("Volume=0.50\r\n"), std::string::npos);
    EXPECT_NE(ReadFile(path).find("Pan=-0.25\r\n"), std::string::npos);
    CMix loaded;
    ASSERT_TRUE(loaded.Load(path.c_str())) << loaded.GetError();
    ExpectEntry(loaded, "Lead guitar", 0.5f, -0.25f);
}

TEST(MixTest, AMixSavedUnderCReadsBackTheSameUnderADecimalCommaLocale) {
    CTempFolder folder("mix-locale-back");
    CMix mix;
    mix.Set(Thing("Lead guitar"), 0.3f, 0.75f);
    const std::string path = folder.Path("Locale.mix");
    ASSERT_TRUE(mix.Save(path.c_str())) << mix.GetError();
    CCommaLocale comma;
    ASSERT_TRUE(comma.IsActive()) << comma.Why();
    CMix loaded;
    const bool loadedOk = loaded.Load(path.c_str());
    comma.Restore();
    ASSERT_TRUE(loadedOk) << loaded.GetError();
    ExpectEntry(loaded, "Lead guitar", 0.3f, 0.75f);
}

TEST(MixTest, AValueWithADecimalCommaIsRefusedNotMisread) {
    CTempFolder folder("mix-comma");
    const std::string path = folder.Path("Comma.mix");
    std::ofstream(path, std::ios::binary)
        << "Mix start= \r\nInstrument=Lead guitar\r\nVolume=0,30\r\nPan=0.00\r\nMix end= \r\n";
    CMix mix;
    EXPECT_FALSE(mix.Load(path.c_str()));
    EXPECT_NE(std::string(mix.GetError())
                  .find("bad Volume value '0,30': it is written with a decimal comma"),
              std::string::npos)
        << mix.GetError();
}

TEST(MixTest, TwoBlocksForOneInstrumentFailToLoad) {
    CMix mix;
    EXPECT_FALSE(mix.Load(Fixture("duplicate-instrument.mix").c_str()));
    EXPECT_NE(std::string(mix.GetError()).find("Can't insert into mix map"), std::string::npos);
    EXPECT_NE(std::string(mix.GetError()).find("at line 21:"), std::string::npos) << mix.GetError();
}

TEST(MixTest, AFailedLoadLeavesTheMixAsItWas) {
    CMix mix;
    mix.Set(Thing("Guitar"), 0.3f, 0.3f);
    for (const char* name : {"duplicate-instrument.mix", "huge-numbers.mix", "not-a-number.mix",
                             "trailing-junk.mix", "unknown-instrument.mix", "binary-garbage.mix"}) {
        EXPECT_FALSE(mix.Load(Fixture(name).c_str())) << name;
        EXPECT_EQ(std::string(mix.GetError()).rfind("Can't read mix (", 0), 0u) << mix.GetError();
        EXPECT_EQ(mix.GetCount(), 1u) << name;
        ExpectEntry(mix, "Guitar", 0.3f, 0.3f);
        EXPECT_TRUE(mix.IsDamaged(Fixture(name).c_str()));
    }
}

TEST(MixTest, NumbersBeyondEveryFloatingPointTypeAreRefused) {
    CMix mix;
    EXPECT_FALSE(mix.Load(Fixture("huge-numbers.mix").c_str()));
    EXPECT_NE(std::string(mix.GetError()).find("bad Volume value '1e99999'"), std::string::npos)
        << mix.GetError();
}

TEST(MixTest, AFinitePanFarOutOfRangeIsClamped) {
    CMix mix;
    ASSERT_TRUE(mix.Load(Fixture("huge-pan.mix").c_str())) << mix.GetError();
    ExpectEntry(mix, "Lead guitar", 0.5f, -1.0f);
}

TEST(MixTest, BinaryGarbageIsReportedAsNotText) {
    CMix mix;
    EXPECT_FALSE(mix.Load(Fixture("binary-garbage.mix").c_str()));
    EXPECT_NE(std::string(mix.GetError()).find("binary data"), std::string::npos) << mix.GetError();
}

TEST(MixTest, MissingLinesTakeTheirDefaults) {
    CMix mix;
    ASSERT_TRUE(mix.Load(Fixture("missing-fields.mix").c_str())) << mix.GetError();
    EXPECT_EQ(mix.GetCount(), 3u);
    ExpectEntry(mix, "Bass guitar", 1.0f, 0.3f);
    ExpectEntry(mix, "Tom 2", 0.4f, 0.0f);
    ExpectEntry(mix, "Snare drum", 1.0f, 0.0f);
}

TEST(MixTest, SectionLinesReadWithOrWithoutTheirBlankOrEquals) {
    CMix mix;
    ASSERT_TRUE(mix.Load(Fixture("mix-end-without-equals.mix").c_str())) << mix.GetError();
    EXPECT_EQ(mix.GetCount(), 2u);
    ExpectEntry(mix, "Bass guitar", 0.3f, 0.3f);
    ExpectEntry(mix, "Tom 2", 0.4f, 0.3f);
    ASSERT_TRUE(mix.Load(Fixture("trimmed-section-lines.mix").c_str())) << mix.GetError();
    EXPECT_EQ(mix.GetCount(), 2u);
    ExpectEntry(mix, "Snare drum", 0.5f, -0.25f);
    CCharString soundFile;
    ASSERT_TRUE(mix.GetSoundFile(Thing("Crash cymbal 1"), soundFile));
    EXPECT_EQ(soundFile, "Sounds/Crash.wav");  // the last block had no end line
    EXPECT_FALSE(mix.IsChanged());
}

TEST(MixTest, ATruncatedFileKeepsEveryBlockThatNamesItsInstrument) {
    CMix mix;
    ASSERT_TRUE(mix.Load(Fixture("truncated.mix").c_str())) << mix.GetError();
    EXPECT_EQ(mix.GetCount(), 2u);
    ExpectEntry(mix, "Snare drum", 0.25f, 0.0f);
    ExpectEntry(mix, "Bass guitar", 1.0f, 0.0f);
}

TEST(MixTest, CrOnlyLineEndsReadLikeAnyOther) {
    CMix mix;
    ASSERT_TRUE(mix.Load(Fixture("cr-only.mix").c_str())) << mix.GetError();
    EXPECT_EQ(mix.GetCount(), 2u);
    ExpectEntry(mix, "Ride cymbal", 0.25f, 0.5f);
    ExpectEntry(mix, "Tom 1", 0.75f, -0.5f);
}

TEST(MixTest, ReadsLfLineEndsBlanksAroundNumbersAndUnknownKeys) {
    CMix mix;
    ASSERT_TRUE(mix.Load(Fixture("lf-only-unknown-keys.mix").c_str())) << mix.GetError();
    ExpectEntry(mix, "Ride cymbal", 0.25f, 0.5f);
    CCharString soundFile;
    mix.GetSoundFile(Thing("Ride cymbal"), soundFile);
    EXPECT_EQ(soundFile, "Ride.wav");
}

// A file with no block at all (emptied, or every section line lost) is
// damaged: the defaults are used and the file is kept, never replaced.
TEST(MixTest, AFileWithoutAnyEntryIsDamagedAndKept) {
    CTempFolder folder("mix");
    for (const std::string content : {"", "Mix start=\r\nVolume=0.5\r\nMix end=\r\n"}) {
        const std::string path = folder.Path("Default.mix");
        WriteFile(path, content);
        CMix mix;
        EXPECT_FALSE(mix.LoadOrDefaults(path.c_str()));
        EXPECT_EQ(std::string(mix.GetError()),
                  "Can't read mix (" + path + "): the file holds no mix entry");
        EXPECT_EQ(mix.GetCount(), 18u);
        EXPECT_TRUE(mix.IsDamaged(path.c_str()));
        mix.Set(Thing("Guitar"), 0.5f, 0.5f);
        ASSERT_TRUE(mix.SaveUnlessDamaged(path.c_str()));
        EXPECT_EQ(ReadFile(path), content);
    }
}

TEST(MixTest, AnOversizedFileIsRefusedWithoutReadingIt) {
    CTempFolder folder("mix");
    const std::string path = folder.Path("Huge.mix");
    WriteFile(path, std::string(CMix::kMaxFileSize + 1, 'x'));
    CMix mix;
    EXPECT_FALSE(mix.Load(path.c_str()));
    EXPECT_NE(std::string(mix.GetError()).find("more than the 1048576 allowed"), std::string::npos)
        << mix.GetError();
}

TEST(MixTest, AMissingFileIsNotDamagedAndItsDefaultsAreNotWritten) {
    CTempFolder folder("mix");
    const std::string path = folder.Path("Missing.mix");
    CMix mix;
    EXPECT_FALSE(mix.LoadOrDefaults(path.c_str()));
    EXPECT_EQ(std::string(mix.GetError()),
              "Can't open mix (" + path + "): the file does not exist");
    EXPECT_EQ(mix.GetCount(), 18u);
    EXPECT_FALSE(mix.IsDamaged(path.c_str()));
    EXPECT_FALSE(mix.IsChanged());
    ASSERT_TRUE(mix.SaveUnlessDamaged(path.c_str()));
    EXPECT_FALSE(std::filesystem::exists(path));
    mix.Set(Thing("Guitar"), 0.5f, 0.5f);
    ASSERT_TRUE(mix.SaveUnlessDamaged(path.c_str())) << mix.GetError();
    EXPECT_TRUE(std::filesystem::exists(path));
}

// A file that is there but can't be read is not missing: the defaults must
// not replace it at close.
TEST(MixTest, AnUnreadableFileIsDamagedAndKept) {
    CTempFolder folder("mix");
    const std::string fifo = folder.Path("Fifo.mix");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string unreadable = folder.Path("Default.mix");
    WriteFile(unreadable, ReadFile(Fixture("lf-only-unknown-keys.mix")));
    ASSERT_EQ(chmod(unreadable.c_str(), 0), 0);
    const bool rootReadsAnyway = access(unreadable.c_str(), R_OK) == 0;
    for (const std::string& path : {fifo, unreadable}) {
        if (path == unreadable && rootReadsAnyway) {
            continue;
        }
        CMix mix;
        EXPECT_FALSE(mix.LoadOrDefaults(path.c_str())) << path;
        EXPECT_EQ(std::string(mix.GetError()).rfind("Can't read mix (" + path + "): ", 0), 0u)
            << mix.GetError();
        EXPECT_TRUE(mix.IsDamaged(path.c_str()));
        mix.Set(Thing("Guitar"), 0.5f, 0.5f);
        ASSERT_TRUE(mix.SaveUnlessDamaged(path.c_str()));
    }
    struct stat status {};
    ASSERT_EQ(stat(fifo.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    chmod(unreadable.c_str(), 0600);
    EXPECT_EQ(ReadFile(unreadable), ReadFile(Fixture("lf-only-unknown-keys.mix")));
}

// An unchanged mix is never written back: comments, unknown keys and a
// read-only file stay as they are; a changed one in a read-only file fails
// with the reason.
TEST(MixTest, OnlyAChangedMixIsWrittenAtClose) {
    CTempFolder folder("mix");
    const std::string path = folder.Path("Default.mix");
    const std::string original = ReadFile(Fixture("lf-only-unknown-keys.mix"));
    WriteFile(path, original);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    CMix mix;
    ASSERT_TRUE(mix.Load(path.c_str())) << mix.GetError();
    mix.Set(Thing("Ride cymbal"), 0.25f, 0.5f);  // the values it holds
    EXPECT_FALSE(mix.IsChanged());
    ASSERT_TRUE(mix.SaveUnlessDamaged(path.c_str())) << mix.GetError();
    EXPECT_EQ(ReadFile(path), original);
    mix.Set(Thing("Ride cymbal"), 0.5f, 0.5f);
    EXPECT_FALSE(mix.SaveUnlessDamaged(path.c_str()));
    EXPECT_EQ(std::string(mix.GetError()), "Can't save " + path + ": the file is read-only");
    EXPECT_EQ(ReadFile(path), original);
}

TEST(MixTest, SavingWhereNoFileCanBeMadeFails) {
    CTempFolder folder("mix");
    const std::string blocker = folder.Path("file");
    WriteFile(blocker, "x");
    CMix mix;
    mix.SetDefaults();
    const std::string path = blocker + "/Default.mix";
    EXPECT_FALSE(mix.Save(path.c_str()));
    EXPECT_EQ(std::string(mix.GetError()).rfind("Can't save " + path + ": ", 0), 0u)
        << mix.GetError();
    EXPECT_EQ(ReadFile(blocker), "x");
}

TEST(MixTest, CopyReplacesTheEntries) {
    CMix source;
    source.SetDefaults();
    CMix copy;
    copy.Set(Thing("Guitar"), 0.1f, 0.1f);
    ASSERT_TRUE(copy.CopyFrom(source));
    EXPECT_TRUE(SameEntries(copy, source));
}

TEST(MixTest, AKillDuringALoopOfSavesLeavesAReadableFile) {
    CTempFolder folder("mix");
    const std::string path = folder.Path("Default.mix");
    CMix quiet;
    quiet.SetDefaults();
    CMix loud;
    for (const auto& item : quiet.GetEntries()) {
        loud.Set(item.first, 1.0f, -item.second.pan);
        loud.SetSoundFile(item.first, std::string(200, 'w').c_str());
    }
    ASSERT_TRUE(quiet.Save(path.c_str()));
    for (int round = 0; round < 12; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i) {
                (i % 2 == 0 ? loud : quiet).Save(path.c_str());
            }
        }
        // Kill only once the child is seen replacing the file, at a moment
        // that differs from round to round.
        const std::string before = ReadFile(path);
        bool saving = false;
        for (int wait = 0; wait < 5000 && !saving; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            saving = ReadFile(path) != before;
        }
        EXPECT_TRUE(saving) << "the child never saved";
        std::this_thread::sleep_for(std::chrono::milliseconds(1 + 3 * round));
        ASSERT_EQ(kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status));
        CMix after;
        ASSERT_TRUE(after.Load(path.c_str())) << after.GetError();
        EXPECT_TRUE(SameEntries(after, quiet) || SameEntries(after, loud)) << round;
    }
}

}  // namespace
