#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "midi/GeneralMidi.h"
#include "platform/DebugOutput.h"
#include "songio/Tunesmith.h"
#include "songs/SongPart.h"
#include "theory/NoteManager.h"

namespace {

constexpr double kTempo = 120.0;
constexpr double kSecondsPerBeat = 0.5;
constexpr int kA3 = 57;
constexpr int kMinor = 2;
constexpr int kMajor = 1;
constexpr uint32_t kSeed = 7;

class CDebugRecorder : public IDebugOutput {
public:
    CDebugRecorder() { Platform::SetDebugOutput(this); }
    ~CDebugRecorder() override { Platform::SetDebugOutput(nullptr); }
    void Write(const char* text) override { lines.push_back(text); }
    std::vector<std::string> lines;
};

TUNESMITH_SETTINGS MakeSettings(int progression, int chordCount, int beats = 4, int beatNote = 4) {
    TUNESMITH_SETTINGS settings;
    settings.info.tempo = kTempo;
    settings.info.secondsPerBeat = kSecondsPerBeat;
    settings.info.measureBeats = beats;
    settings.info.beatNote = beatNote;
    settings.progression = progression;
    settings.chordCount = chordCount;
    return settings;
}

std::vector<int> Degrees(const CSongPart& part) {
    std::vector<int> degrees;
    for (const CChord& chord : part.m_chords) {
        degrees.push_back(chord.m_root.GetChord().number);
    }
    return degrees;
}

class TunesmithTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_manager.Init());
        m_part.m_name = "Verse";
    }

    CNoteManager m_manager;
    CTunesmith m_smith{m_manager};
    CSongPart m_part;
};

TEST_F(TunesmithTest, GridStepsAreEighthsPerMeasure) {
    TUNESMITH_GRID grid;
    ASSERT_TRUE(m_smith.ComputeGrid(MakeSettings(1, 1, 6, 8).info, grid));
    EXPECT_EQ(grid.steps, 6);
    ASSERT_TRUE(m_smith.ComputeGrid(MakeSettings(1, 1, 3, 4).info, grid));
    EXPECT_EQ(grid.steps, 6);
    ASSERT_TRUE(m_smith.ComputeGrid(MakeSettings(1, 1, 4, 4).info, grid));
    EXPECT_EQ(grid.steps, 8);
    EXPECT_EQ(grid.halfGrid, 4);
    EXPECT_EQ(grid.tripleGrid, 24);
    EXPECT_DOUBLE_EQ(grid.thirdBeat, kSecondsPerBeat / 3);
    EXPECT_DOUBLE_EQ(grid.sixthBeat, kSecondsPerBeat / 6);
    EXPECT_DOUBLE_EQ(grid.beat, kSecondsPerBeat);
    EXPECT_DOUBLE_EQ(grid.halfBeat, kSecondsPerBeat / 2);
    EXPECT_DOUBLE_EQ(grid.quarterBeat, kSecondsPerBeat / 4);
    EXPECT_DOUBLE_EQ(grid.eighthBeat, kSecondsPerBeat / 8);
    EXPECT_DOUBLE_EQ(grid.sixteenthBeat, kSecondsPerBeat / 16);
    EXPECT_DOUBLE_EQ(grid.measure, 8 * kSecondsPerBeat / 2);
}

TEST_F(TunesmithTest, MakingChordsLeavesTheGridOfThePart) {
    ASSERT_TRUE(m_smith.MakeChords(MakeSettings(1, 4, 6, 8), m_part)) << m_smith.GetError();
    EXPECT_EQ(m_smith.GetGrid().steps, 6);
    for (int i = 0; i < CTunesmith::kRowCount; ++i) {
        EXPECT_EQ(m_smith.GetRow(i).GetCount(), 0);
    }
}

TEST_F(TunesmithTest, AGridNeedsABeatNoteOfAtMostAnEighth) {
    TUNESMITH_GRID grid;
    EXPECT_FALSE(m_smith.ComputeGrid(MakeSettings(1, 1, 4, 0).info, grid));
    EXPECT_STREQ(m_smith.GetError(), "Can't lay a grid over a measure of 4/0");
    EXPECT_FALSE(m_smith.ComputeGrid(MakeSettings(1, 1, 4, 16).info, grid));
    EXPECT_FALSE(m_smith.MakeChords(MakeSettings(1, 4, 0, 4), m_part));
    EXPECT_TRUE(m_part.m_chords.empty());
}

TEST_F(TunesmithTest, APentatonicMinorPartTakesItsChordsFromNaturalMinor) {
    TUNESMITH_SETTINGS settings = MakeSettings(4, 4);  // I-V-IV-V
    settings.info.scale = SCALE_PENTATONIC_MINOR;
    settings.info.scaleRoot = kA3;
    ASSERT_TRUE(m_smith.MakeChords(settings, m_part)) << m_smith.GetError();
    ASSERT_EQ(m_part.m_chords.size(), 4u);
    for (const CChord& chord : m_part.m_chords) {
        EXPECT_EQ(chord.m_root.GetChord().scale, SCALE_NATURAL_MINOR);
        EXPECT_EQ(chord.m_root.GetChord().scaleRoot, kA3);
        // i, v and iv of natural minor are all minor chords.
        EXPECT_EQ(chord.m_root.GetChord().chordType, kMinor);
    }
    EXPECT_EQ(m_part.m_chords[0].m_root.midiNote, kA3);
    EXPECT_EQ(m_part.m_chords[1].m_root.midiNote, kA3 + 7);  // E
    EXPECT_EQ(m_part.m_chords[2].m_root.midiNote, kA3 + 5);  // D
    EXPECT_STREQ(m_part.m_chords[1].m_root.GetChord().name, "Em");
}

TEST_F(TunesmithTest, SixChordsFromProgression3StartTheSequenceAgain) {
    ASSERT_TRUE(m_smith.MakeChords(MakeSettings(3, 6), m_part)) << m_smith.GetError();
    EXPECT_EQ(Degrees(m_part), (std::vector<int>{2, 5, 1, 1, 2, 5}));
}

TEST_F(TunesmithTest, EveryFixedProgressionGivesItsDegrees) {
    const std::vector<std::vector<int>> expected = {
        {5, 1, 5, 1},
        {2, 5, 2, 5},
        {2, 5, 1, 1},
        {1, 5, 4, 5},
        {1, 6, 2, 5},
        {1, 6, 4, 5},
        {1, 2, 4, 5},
        {1, 4, 1, 5},
        {1, 4, 5, 1},
        {1, 5, 6, 3},
        {5, 4, 1, 1},
        {1, 1, 4, 1},
        {1, 3, 4, 6},
        {1, 3, 5, 5},
        {1, 3, 4, 6, 1, 3, 5, 5},
        {1, 3, 4, 6, 1, 5, 1, 5},
        {1, 4, 1, 1, 4, 4, 1, 1, 5, 5, 1, 1},
        {1, 4, 1, 1, 4, 4, 1, 1, 2, 5, 1, 2},
    };
    for (size_t i = 0; i < expected.size(); ++i) {
        const int id = static_cast<int>(i) + 1;
        CSongPart part;
        const int count = static_cast<int>(expected[i].size());
        ASSERT_TRUE(m_smith.MakeChords(MakeSettings(id, count), part)) << m_smith.GetError();
        EXPECT_EQ(Degrees(part), expected[i]) << "progression " << id;
    }
}

TEST_F(TunesmithTest, ChordsInCMajorAreTheTriadsOfTheirDegrees) {
    TUNESMITH_SETTINGS settings = MakeSettings(5, 4);  // I-VI-II-V
    settings.info.tempo = 100.0;
    ASSERT_TRUE(m_smith.MakeChords(settings, m_part)) << m_smith.GetError();
    ASSERT_EQ(m_part.m_chords.size(), 4u);
    const int roots[] = {48, 57, 50, 55};
    const int types[] = {kMajor, kMinor, kMinor, kMajor};
    for (int i = 0; i < 4; ++i) {
        const CChord& chord = m_part.m_chords[i];
        EXPECT_EQ(chord.m_root.midiNote, roots[i]);
        EXPECT_EQ(chord.m_root.GetChord().root, roots[i]);
        EXPECT_EQ(chord.m_root.GetChord().chordType, types[i]);
        EXPECT_EQ(chord.m_root.GetChord().chordGroup, TUNESMITH_SETTINGS::kTriad);
        EXPECT_EQ(chord.m_root.GetChord().position, i + 1);
        EXPECT_EQ(chord.m_notes.GetCount(), 3);
    }
    const SONG_INFO& info = m_part.m_arrangement.m_info;
    EXPECT_DOUBLE_EQ(info.secondsPerBeat, 60.0 / 100.0);
    EXPECT_EQ(info.measures, 4);
    EXPECT_DOUBLE_EQ(info.length, 4 * 4 * 0.6);
    const CTrack* lead = m_part.m_arrangement.FindTrack(THING_LEAD_GUITAR);
    ASSERT_NE(lead, nullptr);
    int chordMarkers = 0;
    int partMarkers = 0;
    for (int i = 0; i < lead->m_notes.GetCount(); ++i) {
        chordMarkers += lead->m_notes.GetAt(i)->eventKind == EVENT_CHORD_MARKER ? 1 : 0;
        partMarkers += lead->m_notes.GetAt(i)->eventKind == EVENT_PART_MARKER ? 1 : 0;
    }
    EXPECT_EQ(chordMarkers, 4);
    EXPECT_EQ(partMarkers, 1);
}

TEST_F(TunesmithTest, ASeventhChordGroupGivesFourNoteChords) {
    TUNESMITH_SETTINGS settings = MakeSettings(1, 2);  // V-I
    settings.chordGroup = 7;                           // "7"
    ASSERT_TRUE(m_smith.MakeChords(settings, m_part)) << m_smith.GetError();
    EXPECT_STREQ(m_part.m_chords[0].m_longName, "Seventh");
    EXPECT_STREQ(m_part.m_chords[1].m_longName, "Major seventh");
    EXPECT_EQ(m_part.m_chords[0].m_notes.GetCount(), 4);
}

TEST_F(TunesmithTest, GeneratedProgressionsHaveTheRequestedLength) {
    for (const int id : {CTunesmith::kProgressionGenerate, CTunesmith::kProgressionRandom}) {
        for (const int count : {1, 2, 3, 7, 16}) {
            CSongPart part;
            ASSERT_TRUE(m_smith.MakeChords(MakeSettings(id, count), part)) << m_smith.GetError();
            const std::vector<int> degrees = Degrees(part);
            ASSERT_EQ(degrees.size(), static_cast<size_t>(count)) << id;
            EXPECT_EQ(degrees.front(), 1);
            if (count > 1) {
                EXPECT_TRUE(degrees.back() == 1 || degrees.back() == 5) << id << " " << count;
            }
            for (const int degree : degrees) {
                EXPECT_TRUE(degree >= 1 && degree <= 7);
            }
        }
    }
}

TEST_F(TunesmithTest, ARandomProgressionRepeatsWithItsSeed) {
    std::vector<int> first;
    ASSERT_TRUE(m_smith.GetProgressionDegrees(CTunesmith::kProgressionRandom, 12, first));
    m_smith.SetSeed(kSeed);
    ASSERT_TRUE(m_smith.GetProgressionDegrees(CTunesmith::kProgressionRandom, 12, first));
    std::vector<int> second;
    m_smith.SetSeed(kSeed);
    ASSERT_TRUE(m_smith.GetProgressionDegrees(CTunesmith::kProgressionRandom, 12, second));
    EXPECT_EQ(first, second);
}

TEST_F(TunesmithTest, NoneAndUnknownProgressionsFail) {
    EXPECT_FALSE(m_smith.MakeChords(MakeSettings(0, 4), m_part));
    EXPECT_STREQ(m_smith.GetError(), "Can't make chords from progression 0: None");
    EXPECT_FALSE(m_smith.MakeChords(MakeSettings(21, 4), m_part));
    EXPECT_STREQ(m_smith.GetError(), "Can't make chords from progression 21");
    EXPECT_FALSE(m_smith.MakeChords(MakeSettings(-1, 4), m_part));
    EXPECT_TRUE(m_part.m_chords.empty());
    EXPECT_FALSE(m_smith.MakeChords(MakeSettings(CTunesmith::kProgressionGenerate, 0), m_part));
    EXPECT_STREQ(m_smith.GetError(), "Can't make 0 chords");
}

TEST_F(TunesmithTest, AnUnknownScaleFailsWithItsNoteScaleText) {
    TUNESMITH_SETTINGS settings = MakeSettings(1, 4);
    settings.info.scale = 99;
    EXPECT_FALSE(m_smith.MakeChords(settings, m_part));
    EXPECT_STREQ(m_smith.GetError(), "Can't get note scale 99: Unknown scale 99");
    settings.info.scale = 0;
    EXPECT_FALSE(m_smith.MakeChords(settings, m_part));
    EXPECT_STREQ(m_smith.GetError(), "Can't get note scale 0: Unknown scale 0");
    EXPECT_TRUE(m_part.m_chords.empty());
}

TEST_F(TunesmithTest, AnUnknownChordGroupOrTempoFails) {
    TUNESMITH_SETTINGS settings = MakeSettings(1, 4);
    settings.chordGroup = 0;
    EXPECT_FALSE(m_smith.MakeChords(settings, m_part));
    EXPECT_STREQ(m_smith.GetError(), "Can't build a chord of chord group 0");
    settings = MakeSettings(1, 4);
    settings.info.tempo = 0.0;
    EXPECT_FALSE(m_smith.MakeChords(settings, m_part));
}

TEST_F(TunesmithTest, AMissingGrooveCannotBeLoaded) {
    CTempFolder folder("missing-groove");
    EXPECT_FALSE(m_smith.LoadGroove(folder.Get().c_str(), "Rock", "Nothing", m_part));
    const std::string prefix = "Can't load groove from (" + folder.Get() + "/Rock/Nothing.mid): ";
    EXPECT_EQ(std::string(m_smith.GetError()).rfind(prefix, 0), 0u) << m_smith.GetError();
}

TEST_F(TunesmithTest, AGarbledGrooveCannotBeLoadedAndNothingBreaks) {
    CTempFolder folder("garbled-groove");
    std::filesystem::create_directory(folder.Path("Rock"));
    // A header that promises two tracks, then a track cut short.
    static const char kCutShort[] = "MThd\0\0\0\6\0\1\0\2\1\xE0MTrk\0\0\0\xFF\0\xFF";
    const std::vector<std::string> contents = {
        "", "MThd", std::string(kCutShort, sizeof kCutShort - 1), "not a MIDI file at all"};
    for (const std::string& content : contents) {
        std::ofstream(folder.Path("Rock/Bad.mid"), std::ios::binary) << content;
        EXPECT_FALSE(m_smith.LoadGroove(folder.Get().c_str(), "Rock", "Bad", m_part));
        const std::string prefix = "Can't load groove from (" + folder.Get() + "/Rock/Bad.mid): ";
        EXPECT_EQ(std::string(m_smith.GetError()).rfind(prefix, 0), 0u) << m_smith.GetError();
    }
    // Chords made over what is left of the groove fail or succeed, but hold.
    CSongPart part;
    m_smith.MakeChords(MakeSettings(1, 4), part);
}

TEST_F(TunesmithTest, AFillHitsOnlyGridStepsWithGeneralMidiDrumNotes) {
    CDebugRecorder recorder;
    const TUNESMITH_SETTINGS settings = MakeSettings(1, 1);
    constexpr double kStart = 6.0;
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        CSong output;
        m_smith.SetSeed(seed);
        ASSERT_TRUE(m_smith.MakeFill(settings, kStart, output)) << m_smith.GetError();
        const CTrack* drums = output.FindTrack(THING_DRUM_SET);
        ASSERT_NE(drums, nullptr);
        ASSERT_GT(drums->m_notes.GetCount(), 0);
        const double step = kSecondsPerBeat / 2;
        for (int i = 0; i < drums->m_notes.GetCount(); ++i) {
            const CNote& hit = *drums->m_notes.GetAt(i);
            const double steps = (hit.time - kStart) / step;
            EXPECT_NEAR(steps, static_cast<int>(steps + 0.5), 1e-9);
            EXPECT_GE(steps, 0.0);
            EXPECT_LT(steps, m_smith.GetGrid().steps);
            int midiNote = 0;
            ASSERT_TRUE(CGeneralMidi::GetDrumNoteOf(hit.thing, midiNote)) << hit.thing;
            EXPECT_EQ(hit.midiNote, midiNote);
            EXPECT_FLOAT_EQ(hit.volume, CTunesmith::kFillVolume);
            EXPECT_DOUBLE_EQ(hit.duration, step);
        }
    }
    EXPECT_NE(std::find(recorder.lines.begin(), recorder.lines.end(), "CTunesmith::MakeFill"),
              recorder.lines.end());
}

TEST_F(TunesmithTest, AFillRepeatsWithItsSeedAndJoinsTheDrumTrack) {
    CDebugRecorder recorder;
    CSong first;
    ASSERT_TRUE(first.AddNewSongTracks());
    CSong second;
    m_smith.SetSeed(kSeed);
    ASSERT_TRUE(m_smith.MakeFill(MakeSettings(1, 1, 3, 4), 0.0, first));
    m_smith.SetSeed(kSeed);
    ASSERT_TRUE(m_smith.MakeFill(MakeSettings(1, 1, 3, 4), 0.0, second));
    EXPECT_EQ(first.GetTrackCount(), 4);
    EXPECT_EQ(second.GetTrackCount(), 1);
    const CNoteList& a = first.FindTrack(THING_DRUM_SET)->m_notes;
    const CNoteList& b = second.FindTrack(THING_DRUM_SET)->m_notes;
    ASSERT_EQ(a.GetCount(), b.GetCount());
    for (int i = 0; i < a.GetCount(); ++i) {
        EXPECT_EQ(a.GetAt(i)->thing, b.GetAt(i)->thing);
        EXPECT_DOUBLE_EQ(a.GetAt(i)->time, b.GetAt(i)->time);
    }
    EXPECT_EQ(m_smith.GetRow(CTunesmith::kDrumRow).GetCount(), a.GetCount());
}

// Every groove written from tools/grooves loads, plays drums and bass and
// carries a part of chords.
TEST_F(TunesmithTest, EveryShippedGrooveLoadsAndBuildsAPart) {
    const std::filesystem::path folder = std::filesystem::path(NOTARA_BINARY_DIR) / "Grooves";
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
    int grooves = 0;
    int styles = 0;
    for (const auto& style : std::filesystem::directory_iterator(folder)) {
        if (!style.is_directory()) {
            continue;
        }
        ++styles;
        for (const auto& file : std::filesystem::directory_iterator(style.path())) {
            if (file.path().extension() != ".mid") {
                continue;
            }
            ++grooves;
            const std::string styleName = style.path().filename().string();
            const std::string name = file.path().stem().string();
            SCOPED_TRACE(styleName + "/" + name);
            CSongPart part;
            part.m_name = name.c_str();
            ASSERT_TRUE(m_smith.LoadGroove(folder.c_str(), styleName.c_str(), name.c_str(), part))
                << m_smith.GetError();
            const CSong& groove = part.m_groove;
            ASSERT_NE(groove.FindTrack(THING_DRUM_SET), nullptr);
            ASSERT_NE(groove.FindTrack(THING_BASS_GUITAR), nullptr);
            EXPECT_GT(groove.FindTrack(THING_DRUM_SET)->m_notes.GetCount(), 0);
            EXPECT_GT(groove.FindTrack(THING_BASS_GUITAR)->m_notes.GetCount(), 0);
            EXPECT_GT(groove.m_info.measures, 0);
            EXPECT_EQ(groove.m_info.scale, SCALE_MAJOR);
            TUNESMITH_SETTINGS settings =
                MakeSettings(17, 12, groove.m_info.measureBeats, groove.m_info.beatNote);
            settings.info.tempo = groove.m_info.tempo;
            ASSERT_TRUE(m_smith.MakeChords(settings, part)) << m_smith.GetError();
            const SONG_INFO& info = part.m_arrangement.m_info;
            EXPECT_EQ(info.measures, 12);
            EXPECT_NEAR(info.length, 12 * info.GetMeasureLength(), 1e-9);
            // The groove's measures repeat under the twelve chord measures.
            const int bassNotes = groove.FindTrack(THING_BASS_GUITAR)->m_notes.GetCount();
            EXPECT_EQ(part.m_arrangement.FindTrack(THING_BASS_GUITAR)->m_notes.GetCount(),
                      bassNotes * 12 / groove.m_info.measures);
        }
    }
    EXPECT_GE(styles, 4);
    EXPECT_GE(grooves, 6);
}

TEST_F(TunesmithTest, TheWaltzGrooveIsInThreeFour) {
    CSongPart part;
    const std::string folder = std::string(NOTARA_BINARY_DIR) + "/Grooves";
    ASSERT_TRUE(m_smith.LoadGroove(folder.c_str(), "Waltz", "Simple Waltz", part))
        << m_smith.GetError();
    EXPECT_EQ(part.m_groove.m_info.measureBeats, 3);
    EXPECT_EQ(part.m_groove.m_info.beatNote, 4);
    EXPECT_EQ(part.m_grooveStyle, "Waltz");
    EXPECT_EQ(part.m_grooveName, "Simple Waltz");
    const CTrack* lead = part.m_groove.FindTrack(THING_LEAD_GUITAR);
    ASSERT_NE(lead, nullptr);
    EXPECT_EQ(lead->m_notes.GetCount(), 0);
}

}  // namespace
