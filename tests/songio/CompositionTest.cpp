// The song document: text songs as written by older versions (every line
// ending, broken and hostile ones), MIDI songs saved and opened again, plain
// MIDI files from elsewhere, and export to MIDI (played by a second
// synthesizer) and to WAVE.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include "CommaLocale.h"
#include "TempFolder.h"
#include "audio/BankFolder.h"
#include "audio/Sound.h"
#include "audio/SoundFile.h"
#include "platform/null/NullAudioOut.h"
#include "songio/Composition.h"
#include "songio/MidiFile.h"
#include "theory/NoteManager.h"

namespace {

constexpr double kSecondsPerBeat = 0.5;  // 120 beats per minute
constexpr double kMeasure = 4 * kSecondsPerBeat;
constexpr int kC2 = 36;
constexpr int kC3 = 48;
constexpr int kG2 = 43;

CNote MakeNote(int thing, int midiNote, double time, double duration) {
    CNote note;
    note.thing = thing;
    note.midiNote = static_cast<uint8_t>(midiNote);
    note.time = time;
    note.duration = duration;
    note.eventKind = EVENT_NOTE_START;
    return note;
}

// A one-measure groove in C: a bass note on each beat, a C major chord on
// the rhythm guitar and a kick on beats one and three.
bool WriteGroove(const std::string& path) {
    CSong groove;
    if (!groove.AddNewSongTracks()) {
        return false;
    }
    SONG_INFO& info = groove.m_info;
    info.secondsPerBeat = kSecondsPerBeat;
    info.tempo = 120.0;
    info.measureBeats = 4;
    info.beatNote = 4;
    info.measures = 1;
    for (int beat = 0; beat < 4; ++beat) {
        groove.FindTrack(THING_BASS_GUITAR)
            ->AddNote(MakeNote(THING_BASS_GUITAR, kC2, beat * kSecondsPerBeat, kSecondsPerBeat));
    }
    for (int midiNote : {kC3, kC3 + 4, kC3 + 7}) {
        groove.FindTrack(THING_RHYTHM_GUITAR)
            ->AddNote(MakeNote(THING_RHYTHM_GUITAR, midiNote, 0.0, kMeasure));
    }
    for (double time : {0.0, 2 * kSecondsPerBeat}) {
        groove.FindTrack(THING_DRUM_SET)->AddNote(MakeNote(THING_BASS_DRUM_1, 0, time, 0.1));
    }
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    CMidiFile writer;
    return writer.Write(path.c_str(), groove);
}

void WriteText(const std::string& path, const std::vector<std::string>& lines,
               const char* lineEnd = "\r\n") {
    std::ofstream out(path, std::ios::binary);
    for (const std::string& line : lines) {
        out << line << lineEnd;
    }
}

// A song of two parts as an older version wrote it: section lines with "="
// and a blank, one empty line after each part.
std::vector<std::string> TwoPartSong(const std::string& parts = "Intro~2^Verse~1") {
    return {"Start of Song Info= ",
            "Name=Little Song",
            "Description=Two parts",
            "Tempo=120",
            "Repeat=1",
            "Parts=" + parts,
            "End of Song Info= ",
            "Start of Song Part= ",
            "Name=Intro",
            "Description=Opening",
            "Repeat=2",
            "Groove style=Rock",
            "Groove name=Beat",
            "Groove file=",
            "Scale=Major",
            "Scale root=48",
            "Chords=36/0/1",
            "End of Song Part= ",
            "",
            "Start of Song Part= ",
            "Name=Verse",
            "Groove style=Rock",
            "Groove name=Beat",
            "Scale=Major",
            "Scale root=48",
            "Chords=36/0/1,43/0/1/2/0/5",
            "End of Song Part= ",
            ""};
}

// The pitched and drum notes of a song, track by track, markers aside.
std::vector<std::vector<std::pair<long, int>>> Sounding(const CSong& song) {
    std::vector<std::vector<std::pair<long, int>>> tracks;
    for (int t = 0; t < song.GetTrackCount(); ++t) {
        const CTrack& track = *song.GetTrack(t);
        std::vector<std::pair<long, int>> notes;
        for (int n = 0; n < track.m_notes.GetCount(); ++n) {
            const CNote& note = *track.m_notes.GetAt(n);
            if (!note.IsMarker()) {
                const int pitch = note.IsDrum() ? note.thing : note.midiNote;
                notes.emplace_back(std::lround(note.time * 1000.0), pitch);
            }
        }
        if (!notes.empty()) {
            tracks.push_back(notes);
        }
    }
    return tracks;
}

std::vector<int> BassAt(const CSong& song, double from, double to) {
    std::vector<int> notes;
    const CTrack* bass = song.FindTrack(THING_BASS_GUITAR);
    for (int n = 0; bass != nullptr && n < bass->m_notes.GetCount(); ++n) {
        const CNote& note = *bass->m_notes.GetAt(n);
        if (!note.IsMarker() && note.time >= from - 1e-6 && note.time < to - 1e-6) {
            notes.push_back(note.midiNote);
        }
    }
    return notes;
}

class Composition : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_manager.Init()) << m_manager.GetError();
        ASSERT_FALSE(m_temp.Get().empty());
        ASSERT_TRUE(WriteGroove(m_temp.Path("Grooves/Rock/Beat.mid")));
        m_song.SetGroovesFolder(m_temp.Path("Grooves").c_str());
    }

    bool OpenText(const std::vector<std::string>& lines, const char* lineEnd = "\r\n") {
        const std::string path = m_temp.Path("song.Song");
        WriteText(path, lines, lineEnd);
        return m_song.Open(path.c_str());
    }

    CNoteManager m_manager;
    CTempFolder m_temp{"composition"};
    CComposition m_song{m_manager, nullptr};
};

TEST_F(Composition, TextSongReadsInfoPartsChordsAndPlayListWithEveryLineEnd) {
    for (const char* lineEnd : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(testing::Message() << "line end " << static_cast<int>(lineEnd[0]));
        ASSERT_TRUE(OpenText(TwoPartSong(), lineEnd)) << m_song.GetError();
        EXPECT_STREQ(m_song.m_info.name, "Little Song");
        EXPECT_STREQ(m_song.m_info.description, "Two parts");
        EXPECT_DOUBLE_EQ(m_song.m_info.tempo, 120.0);
        EXPECT_FALSE(m_song.IsModified());
        ASSERT_EQ(m_song.GetPartCount(), 2);
        const CSongPart& intro = *m_song.GetPart(0);
        EXPECT_STREQ(intro.m_description, "Opening");
        EXPECT_EQ(intro.m_repeat, 2);
        EXPECT_STREQ(intro.m_grooveStyle, "Rock");
        // Intro~2^Verse~1: each entry plays once.
        ASSERT_EQ(m_song.GetPlayListCount(), 2);
        EXPECT_STREQ(m_song.GetPlayListEntry(0)->m_name, "Intro");
        EXPECT_STREQ(m_song.GetPlayListEntry(1)->m_name, "Verse");
        // 36/0/1,43/0/1/2: C major for one measure, G major for two.
        const CSongPart& verse = *m_song.GetPart(1);
        ASSERT_EQ(verse.m_chords.size(), 2u);
        EXPECT_EQ(verse.m_chords[0].m_root.GetChord().root, kC2);
        EXPECT_EQ(verse.m_chords[0].m_repeat, 1);
        EXPECT_STREQ(verse.m_chords[0].m_root.GetChord().name, "C");
        EXPECT_EQ(verse.m_chords[1].m_root.GetChord().root, kG2);
        EXPECT_EQ(verse.m_chords[1].m_repeat, 2);
        EXPECT_EQ(verse.m_chords[1].m_root.GetChord().number, 5);
    }
}

TEST_F(Composition, TextSongRendersItsPartsInPlayListOrderWithTheBassOnTheChords) {
    ASSERT_TRUE(OpenText(TwoPartSong())) << m_song.GetError();
    CSong song;
    ASSERT_TRUE(m_song.Render(song, true)) << m_song.GetError();
    // Intro one measure, Verse three.
    EXPECT_EQ(song.m_info.measures, 4);
    EXPECT_NEAR(song.m_info.length, 4 * kMeasure, 1e-6);
    EXPECT_EQ(BassAt(song, 0.0, kMeasure), std::vector<int>(4, kC2));
    EXPECT_EQ(BassAt(song, 2 * kMeasure, 3 * kMeasure), std::vector<int>(4, kG2));
    EXPECT_EQ(BassAt(song, 3 * kMeasure, 4 * kMeasure), std::vector<int>(4, kG2));
    // Every measure keeps its kicks.
    const CTrack* drums = song.FindTrack(THING_DRUM_SET);
    ASSERT_NE(drums, nullptr);
    EXPECT_EQ(drums->m_notes.GetCount(), 8);
    // The repeat of the song plays the play list again.
    m_song.m_info.repeat = 2;
    ASSERT_TRUE(m_song.Render(song, false)) << m_song.GetError();
    EXPECT_EQ(song.m_info.measures, 8);
    EXPECT_NEAR(song.m_info.length, 8 * kMeasure, 1e-6);
}

TEST_F(Composition, BrokenPlayListsSayWhichEntry) {
    EXPECT_FALSE(OpenText(TwoPartSong("Intro")));
    EXPECT_STREQ(m_song.GetError(), "Can't get part's name from (Intro)");
    EXPECT_FALSE(OpenText(TwoPartSong("Intro~1^Verse~")));
    EXPECT_STREQ(m_song.GetError(), "Can't get part's repeat count from (Verse~)");
    EXPECT_FALSE(OpenText(TwoPartSong("Intro~1^Bridge~1")));
    EXPECT_STREQ(m_song.GetError(), "Can't find song part (Bridge)");
    // An empty play list is a song that plays nothing yet.
    ASSERT_TRUE(OpenText(TwoPartSong(""))) << m_song.GetError();
    EXPECT_EQ(m_song.GetPlayListCount(), 0);
}

TEST_F(Composition, InfoEndWithoutEqualsRunsTheInfoToTheEndOfTheFile) {
    std::vector<std::string> lines = TwoPartSong("Intro~1");
    lines[6] = "End of Song Info";
    EXPECT_FALSE(OpenText(lines));
    // The parts' keys went to the info: no part was read.
    EXPECT_STREQ(m_song.GetError(), "Can't find song part (Intro)");
}

TEST_F(Composition, PartWithoutANameIsDiscardedAndTwoOfOneNameAreRefused) {
    std::vector<std::string> lines = TwoPartSong("Verse~1");
    lines[8] = "Title=Intro";  // no Name key
    ASSERT_TRUE(OpenText(lines)) << m_song.GetError();
    ASSERT_EQ(m_song.GetPartCount(), 1);
    EXPECT_STREQ(m_song.GetPart(0)->m_name, "Verse");
    lines[8] = "Name=Verse";
    EXPECT_FALSE(OpenText(lines));
    EXPECT_STREQ(m_song.GetError(), "Can't load part: the song has two parts named Verse");
}

TEST_F(Composition, BadChordsUnknownScalesAndMissingGroovesAreNamed) {
    std::vector<std::string> lines = TwoPartSong();
    lines[25] = "Chords=36/0";
    EXPECT_FALSE(OpenText(lines));
    EXPECT_NE(
        std::string(m_song.GetError()).find("Can't load part: Can't read chord (36/0) of Verse"),
        std::string::npos)
        << m_song.GetError();
    for (const char* chords : {"Chords=60/0/99", "Chords=x/0/1", "Chords=60/0/1/0",
                               "Chords=60/0/1/1/0/0/7", "Chords=,", "Chords=999/0/1"}) {
        lines[25] = chords;
        EXPECT_FALSE(OpenText(lines)) << chords;
    }
    lines = TwoPartSong();
    lines[23] = "Scale=Martian";
    EXPECT_FALSE(OpenText(lines));
    EXPECT_STREQ(m_song.GetError(), "Can't load part: there is no key or scale named (Martian)");
    lines = TwoPartSong();
    lines[22] = "Groove name=Missing";
    EXPECT_FALSE(OpenText(lines));
    const std::string error = m_song.GetError();
    EXPECT_EQ(error.rfind("Can't load part: Can't load groove from (" +
                              m_temp.Path("Grooves/Rock/Missing.mid") + "): ",
                          0),
              0u)
        << error;
    lines = TwoPartSong();
    lines[3] = "Tempo=fast";
    EXPECT_FALSE(OpenText(lines));
    EXPECT_NE(std::string(m_song.GetError()).find("tempo (fast)"), std::string::npos);
}

TEST_F(Composition, OnlyTheExactExtensionsOpenAndAMissingFileSaysWhy) {
    const std::string upper = m_temp.Path("song.SONG");
    WriteText(upper, TwoPartSong());
    EXPECT_FALSE(m_song.Open(upper.c_str()));
    EXPECT_FALSE(m_song.Open(m_temp.Path("song.txt").c_str()));
    EXPECT_FALSE(m_song.Open(m_temp.Path("song").c_str()));
    const std::string missing = m_temp.Path("missing.Song");
    EXPECT_FALSE(m_song.Open(missing.c_str()));
    EXPECT_EQ(std::string(m_song.GetError()).rfind("Can't open song file (" + missing + "): ", 0),
              0u)
        << m_song.GetError();
    EXPECT_FALSE(m_song.Open(m_temp.Path("missing.mid").c_str()));
    EXPECT_FALSE(m_song.Open(m_temp.Get().c_str()));
}

TEST_F(Composition, HugeLinesAndEndlessRepeatsAreBounded) {
    std::vector<std::string> lines = TwoPartSong();
    lines[2] = "Description=" + std::string(10u << 20, 'x');
    ASSERT_TRUE(OpenText(lines)) << m_song.GetError();
    EXPECT_EQ(m_song.m_info.description.GetLength(), 10u << 20);
    // Ten megabytes of chords: refused before they fill the memory.
    std::string chords = "Chords=36/0/1";
    while (chords.size() < (10u << 20)) {
        chords += ",36/0/1";
    }
    lines = TwoPartSong();
    lines[25] = chords;
    EXPECT_FALSE(OpenText(lines));
    EXPECT_STREQ(m_song.GetError(), "Can't load part: Verse has more than 4096 chords");
    // Chords that would play for weeks: read, but not rendered.
    chords = "Chords=36/0/1/256";
    for (int i = 0; i < 100; ++i) {
        chords += ",36/0/1/256";
    }
    lines[25] = chords;
    ASSERT_TRUE(OpenText(lines)) << m_song.GetError();
    CSong song;
    EXPECT_FALSE(m_song.Render(song, true));
    EXPECT_NE(std::string(m_song.GetError()).find("more than"), std::string::npos);
    lines = TwoPartSong();
    lines[4] = "Repeat=100000";
    EXPECT_FALSE(OpenText(lines));
    // Garbage lines in between are skipped.
    lines = TwoPartSong();
    lines.insert(lines.begin() + 9,
                 {"no equals sign here", "Key=", "=value", std::string(4096, '=')});
    ASSERT_TRUE(OpenText(lines)) << m_song.GetError();
    EXPECT_EQ(m_song.GetPartCount(), 2);
}

TEST_F(Composition, ASongCutOffAnywhereOpensOrSaysWhyNot) {
    std::string text;
    for (const std::string& line : TwoPartSong()) {
        text += line + "\r\n";
    }
    const std::string path = m_temp.Path("cut.Song");
    for (size_t length = 0; length < text.size(); ++length) {
        SCOPED_TRACE(testing::Message() << "cut after " << length << " bytes");
        std::ofstream(path, std::ios::binary | std::ios::trunc).write(text.data(), length);
        CComposition song(m_manager, nullptr);
        if (!song.Open(path.c_str())) {
            EXPECT_EQ(std::string(song.GetError()).rfind("Can't ", 0), 0u) << song.GetError();
        }
    }
}

TEST_F(Composition, SavedAsMidiItOpensAgainAsTheSameSong) {
    ASSERT_TRUE(OpenText(TwoPartSong())) << m_song.GetError();
    CSong before;
    ASSERT_TRUE(m_song.Render(before, false)) << m_song.GetError();
    CMix mix;
    const std::string path = m_temp.Path("saved.mid");
    ASSERT_TRUE(m_song.SaveMidi(path.c_str(), mix)) << m_song.GetError();

    CComposition reopened(m_manager, nullptr);
    reopened.SetGroovesFolder(m_temp.Path("Grooves").c_str());
    ASSERT_TRUE(reopened.Open(path.c_str())) << reopened.GetError();
    EXPECT_FALSE(reopened.IsPlainSong());
    EXPECT_STREQ(reopened.GetFileName(), path.c_str());
    EXPECT_STREQ(reopened.m_info.description, "Two parts");
    ASSERT_EQ(reopened.GetPartCount(), 2);
    ASSERT_EQ(reopened.GetPlayListCount(), 2);
    EXPECT_STREQ(reopened.GetPlayListEntry(0)->m_name, "Intro");
    EXPECT_STREQ(reopened.GetPlayListEntry(1)->m_name, "Verse");
    // One chord marker per measure: the G major of two measures comes back
    // as two measures of G major.
    EXPECT_EQ(reopened.FindPart("Verse")->m_chords.size(), 3u);
    CSong after;
    ASSERT_TRUE(reopened.Render(after, false)) << reopened.GetError();
    EXPECT_EQ(Sounding(after), Sounding(before));
    EXPECT_NEAR(after.m_info.length, before.m_info.length, 1e-6);

    // Without its groove file the part takes its groove from the song itself.
    std::filesystem::remove(m_temp.Path("Grooves/Rock/Beat.mid"));
    CComposition orphan(m_manager, nullptr);
    orphan.SetGroovesFolder(m_temp.Path("Grooves").c_str());
    ASSERT_TRUE(orphan.Open(path.c_str())) << orphan.GetError();
    ASSERT_TRUE(orphan.Render(after, false)) << orphan.GetError();
    EXPECT_EQ(Sounding(after), Sounding(before));
}

TEST_F(Composition, APlainMidiFileOpensAsItsNotes) {
    CSong plain;
    ASSERT_TRUE(plain.AddNewSongTracks());
    plain.m_info.secondsPerBeat = kSecondsPerBeat;
    plain.m_info.measureBeats = 4;
    plain.m_info.beatNote = 4;
    for (int i = 0; i < 8; ++i) {
        plain.FindTrack(THING_LEAD_GUITAR)
            ->AddNote(MakeNote(THING_LEAD_GUITAR, 60 + i, i * kSecondsPerBeat, kSecondsPerBeat));
    }
    const std::string path = m_temp.Path("plain.mid");
    CMidiFile writer;
    ASSERT_TRUE(writer.Write(path.c_str(), plain)) << writer.GetError();
    ASSERT_TRUE(m_song.Open(path.c_str())) << m_song.GetError();
    EXPECT_TRUE(m_song.IsPlainSong());
    CSong song;
    ASSERT_TRUE(m_song.Render(song, true)) << m_song.GetError();
    EXPECT_EQ(Sounding(song), Sounding(plain));
    // New forgets it.
    m_song.New();
    EXPECT_FALSE(m_song.IsPlainSong());
    ASSERT_TRUE(m_song.Render(song, true));
    EXPECT_EQ(song.GetLength(), 0.0);
}

TEST_F(Composition, ALibraryRefusesTwinsAndThePlayListTakesOnlyItsParts) {
    CSongPart part;
    part.m_name = "Chorus";
    ASSERT_TRUE(m_song.AddPart(part));
    EXPECT_TRUE(m_song.IsModified());
    EXPECT_FALSE(m_song.AddPart(part));
    ASSERT_TRUE(m_song.AppendToPlayList(0));
    ASSERT_TRUE(m_song.AppendToPlayList(m_song.FindPart("Chorus")));
    EXPECT_EQ(m_song.GetPlayListCount(), 2);
    EXPECT_FALSE(m_song.AppendToPlayList(1));
    EXPECT_FALSE(m_song.AppendToPlayList(&part));  // a copy outside the library
    EXPECT_EQ(m_song.GetPlayListEntry(2), nullptr);
}

// The exported file plays in a second synthesizer for as long as the song.
TEST_F(Composition, ExportedMidiRendersInAnotherSynthesizerForTheSongsLength) {
    const char* soundFont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
    if (std::system("command -v fluidsynth >/dev/null 2>&1") != 0 ||
        !std::filesystem::exists(soundFont)) {
        GTEST_SKIP() << "fluidsynth or its General MIDI sound font is missing";
    }
    ASSERT_TRUE(OpenText(TwoPartSong())) << m_song.GetError();
    CSong song;
    ASSERT_TRUE(m_song.Render(song, false));
    CMix mix;
    const std::string midi = m_temp.Path("export.mid");
    const std::string wave = m_temp.Path("export.wav");
    ASSERT_TRUE(m_song.SaveMidi(midi.c_str(), mix)) << m_song.GetError();
    const std::string log = m_temp.Path("fluidsynth.log");
    const std::string command = "fluidsynth -q -n -i -R 0 -C 0 -r 44100 -O s16 -T wav -F '" + wave +
                                "' '" + soundFont + "' '" + midi + "' >'" + log + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream messages(log);
    const std::string text((std::istreambuf_iterator<char>(messages)), {});
    EXPECT_EQ(text.find("error"), std::string::npos) << text;
    CSoundFile reader;
    CSoundInfo rendered;
    ASSERT_TRUE(reader.ReadInfo(wave.c_str(), rendered)) << reader.GetError();
    const double seconds = rendered.GetLength();
    // The file ends half a second after the song; the synthesizer lets the
    // last notes ring out for a moment after that.
    constexpr double kRingOut = 3.0;
    EXPECT_GE(seconds, song.m_info.length);
    EXPECT_LE(seconds, song.m_info.length + CMidiFile::kTailSeconds + kRingOut);
}

TEST_F(Composition, SavedAsWaveItSoundsForTheSongsLength) {
    CBankFolder bank(m_temp.Path("Sound"));
    std::vector<int> frets(13);
    std::iota(frets.begin(), frets.end(), 0);
    ASSERT_TRUE(bank.WritePiano() && bank.WriteDrums());
    ASSERT_TRUE(bank.WriteStrings("Clean Guitar", {64, 59, 55, 50, 45, 40}, frets));
    ASSERT_TRUE(bank.WriteStrings("Finger Bass", {43, 38, 33, 28}, frets));
    CSound sound(m_manager.GetNoteTable(), bank.GetRoot().c_str());
    sound.SetDevice(std::make_unique<CNullAudioOut>(CNullAudioOut::Clock::kStepped));
    ASSERT_TRUE(sound.Open("")) << sound.GetError();
    CComposition song(m_manager, &sound);
    song.SetGroovesFolder(m_temp.Path("Grooves").c_str());
    const std::string text = m_temp.Path("song.Song");
    WriteText(text, TwoPartSong());
    ASSERT_TRUE(song.Open(text.c_str())) << song.GetError();
    CMix mix;
    const std::string wave = m_temp.Path("song.wav");
    ASSERT_TRUE(song.SaveWave(wave.c_str(), mix, false)) << song.GetError();
    CSoundFile reader;
    CSoundInfo rendered;
    ASSERT_TRUE(reader.ReadInfo(wave.c_str(), rendered)) << reader.GetError();
    const double seconds = rendered.GetLength();
    // The last notes start in the fourth measure and ring for the sample.
    EXPECT_GT(seconds, 3 * kMeasure);
    EXPECT_LT(seconds, 4 * kMeasure + 1.0);
    // Without an engine it says so.
    EXPECT_FALSE(m_song.SaveWave(wave.c_str(), mix, false));
    EXPECT_NE(std::string(m_song.GetError()).find("no sound engine"), std::string::npos);
}

}  // namespace

TEST_F(Composition, ATempoIsReadWithAPointUnderADecimalCommaLocale) {
    std::vector<std::string> lines = TwoPartSong();
    lines[3] = "Tempo=127.5";
    CCommaLocale comma;
    ASSERT_TRUE(comma.IsActive()) << comma.Why();
    const bool opened = OpenText(lines);
    comma.Restore();
    ASSERT_TRUE(opened) << m_song.GetError();
    EXPECT_DOUBLE_EQ(m_song.m_info.tempo, 127.5);
}

TEST_F(Composition, ATempoWithADecimalCommaIsRefusedWithItsReason) {
    std::vector<std::string> lines = TwoPartSong();
    lines[3] = "Tempo=127,5";
    EXPECT_FALSE(OpenText(lines));
    EXPECT_NE(std::string(m_song.GetError())
                  .find("tempo (127,5): it must be 10 to 1000 beats per minute, written with a "
                        "decimal point"),
              std::string::npos)
        << m_song.GetError();
}

// The song's parts and their tempo ride in MIDI markers: written under a
// decimal-comma locale they read the same under C, and the other way round.
TEST_F(Composition, SavedAsMidiUnderEitherLocaleItOpensTheSameUnderTheOther) {
    std::vector<std::string> lines = TwoPartSong();
    lines[3] = "Tempo=127.5";
    ASSERT_TRUE(OpenText(lines)) << m_song.GetError();
    CCommaLocale comma;
    ASSERT_TRUE(comma.IsActive()) << comma.Why();
    comma.Restore();
    for (const bool writeWithComma : {true, false}) {
        SCOPED_TRACE(writeWithComma ? "written with a comma locale" : "read with a comma locale");
        CMix mix;
        mix.Set(THING_BASS_GUITAR, 0.3f, -0.25f);
        const std::string path = m_temp.Path(writeWithComma ? "comma.mid" : "c.mid");
        if (writeWithComma) {
            comma.Apply();
        }
        const bool saved = m_song.SaveMidi(path.c_str(), mix);
        comma.Restore();
        ASSERT_TRUE(saved) << m_song.GetError();
        CComposition reopened(m_manager, nullptr);
        reopened.SetGroovesFolder(m_temp.Path("Grooves").c_str());
        if (!writeWithComma) {
            comma.Apply();
        }
        const bool opened = reopened.Open(path.c_str());
        comma.Restore();
        ASSERT_TRUE(opened) << reopened.GetError();
        ASSERT_EQ(reopened.GetPartCount(), 2);
        for (int part = 0; part < 2; ++part) {
            const SONG_INFO& before = m_song.GetPart(part)->m_arrangement.m_info;
            const SONG_INFO& after = reopened.GetPart(part)->m_arrangement.m_info;
            EXPECT_NEAR(after.tempo, before.tempo, 0.005);
            EXPECT_NEAR(after.secondsPerBeat, before.secondsPerBeat, 0.0005);
        }
    }
}

namespace {

// One part of the given number of one-measure chords, played by the whole
// play list the given number of times at the given tempo.
std::vector<std::string> OnePartSong(int chords, const std::string& tempo, int repeat) {
    std::string list = "Chords=36/0/1";
    for (int i = 1; i < chords; ++i) {
        list += ",36/0/1";
    }
    return {"Start of Song Info= ",
            "Name=Long Song",
            "Tempo=" + tempo,
            "Repeat=" + std::to_string(repeat),
            "Parts=Loop~1",
            "End of Song Info= ",
            "Start of Song Part= ",
            "Name=Loop",
            "Groove style=Rock",
            "Groove name=Beat",
            "Scale=Major",
            "Scale root=48",
            list,
            "End of Song Part= ",
            ""};
}

// Many small parts, listed in a play list whose entries are separated by
// commas rather than carets, so that the whole list reads as one entry.
std::vector<std::string> ManyPartSong(int parts) {
    std::vector<std::string> lines = {"Start of Song Info= ", "Name=Many Parts", "Tempo=120",
                                      "Repeat=1"};
    std::string list = "Parts=";
    for (int i = 0; i < parts; ++i) {
        list += (i == 0 ? "P" : ",P") + std::to_string(i) + "~1";
    }
    lines.push_back(list);
    lines.emplace_back("End of Song Info= ");
    for (int i = 0; i < parts; ++i) {
        lines.insert(lines.end(), {"Start of Song Part= ", "Name=P" + std::to_string(i),
                                   "Groove style=Rock", "Groove name=Beat", "Scale=Major",
                                   "Scale root=48", "Chords=36/0/1", "End of Song Part= "});
    }
    return lines;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Far more than either song needs on any machine, far less than a quadratic
// rendering takes.
constexpr double kHostileSongSeconds = 10.0;
constexpr size_t kLongestMessage = 500;

}  // namespace

// A 2 KB song of 19,900 fast measures (an hour and a quarter) renders in
// time linear in its notes.
TEST_F(Composition, AFastSongOfManyMeasuresRendersQuickly) {
    const std::vector<std::string> lines = OnePartSong(199, "1000", 100);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(OpenText(lines)) << m_song.GetError();
    CSong song;
    ASSERT_TRUE(m_song.Render(song, true)) << m_song.GetError();
    EXPECT_LT(SecondsSince(start), kHostileSongSeconds);
    EXPECT_EQ(song.m_info.measures, 19900);
    const CTrack* bass = song.FindTrack(THING_BASS_GUITAR);
    ASSERT_NE(bass, nullptr);
    for (int n = 1; n < bass->m_notes.GetCount(); ++n) {
        ASSERT_LE(bass->m_notes.GetAt(n - 1)->time, bass->m_notes.GetAt(n)->time) << n;
    }
}

// A slow song of as many measures would play for days: refused, saying how
// long it would play.
TEST_F(Composition, ASongOfMoreThanFourHoursIsRefusedWithItsLength) {
    ASSERT_TRUE(OpenText(OnePartSong(199, "10", 100))) << m_song.GetError();
    CSong song;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(m_song.Render(song, true));
    EXPECT_LT(SecondsSince(start), kHostileSongSeconds);
    const std::string error = m_song.GetError();
    EXPECT_EQ(error.rfind("Can't render song Long Song: it would play for ", 0), 0u) << error;
    EXPECT_NE(error.find("longer than 4 hours"), std::string::npos) << error;
}

TEST_F(Composition, ASongOfTwentyThousandPartsIsRefusedQuicklyInAShortMessage) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(OpenText(ManyPartSong(20000)));
    EXPECT_LT(SecondsSince(start), kHostileSongSeconds);
    const std::string error = m_song.GetError();
    EXPECT_EQ(error.rfind("Can't ", 0), 0u) << error.substr(0, kLongestMessage);
    EXPECT_LT(error.size(), kLongestMessage) << error.substr(0, kLongestMessage);
}

// Each message quotes at most a readable piece of what the file says.
TEST_F(Composition, APlayListReadAsOneHugeEntryIsQuotedShort) {
    std::vector<std::string> lines = TwoPartSong();
    lines[5] = "Parts=Intro~1";
    for (int i = 0; i < 20000; ++i) {
        lines[5] += ",Verse~1";
    }
    EXPECT_FALSE(OpenText(lines));
    const std::string error = m_song.GetError();
    EXPECT_EQ(error.rfind("Can't get part's repeat count from (Intro~1,Verse~1,", 0), 0u)
        << error.substr(0, kLongestMessage);
    EXPECT_LT(error.size(), kLongestMessage) << error.substr(0, kLongestMessage);
}
