#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

#include "midi/GeneralMidi.h"
#include "theory/Note.h"

namespace {

std::string Program(int number, int* thing = nullptr) {
    CCharString name;
    CCharString error;
    int programThing = -1;
    EXPECT_TRUE(CGeneralMidi::GetProgram(number, name, programThing, error));
    if (thing != nullptr) {
        *thing = programThing;
    }
    return name.GetText();
}

std::string Controller(int number) {
    CCharString name;
    CCharString error;
    EXPECT_TRUE(CGeneralMidi::GetControllerName(number, name, error));
    return name.GetText();
}

int PieceOf(int note) {
    CCharString name;
    int thing = -1;
    CGeneralMidi::GetDrumNote(note, name, thing);
    return thing;
}

int Thing(const char* name) {
    int thing = 0;
    EXPECT_TRUE(FindThing(name, thing)) << name;
    return thing;
}

TEST(GeneralMidiTest, NamesWellKnownProgramsOfTheSoundSet) {
    EXPECT_EQ(Program(0), "Acoustic Grand Piano");
    EXPECT_EQ(Program(19), "Church Organ");
    EXPECT_EQ(Program(40), "Violin");
    EXPECT_EQ(Program(56), "Trumpet");
    EXPECT_EQ(Program(73), "Flute");
    EXPECT_EQ(Program(127), "Gunshot");
}

TEST(GeneralMidiTest, EveryProgramFamilyOfEightCarriesItsFamilyWord) {
    // The sound set groups programs in families of eight.
    const struct {
        int first;
        const char* word;
    } families[] = {{24, "Guitar"}, {80, "Lead"}, {88, "Pad"}, {96, "FX"}};
    for (const auto& family : families) {
        for (int p = family.first; p < family.first + 8; ++p) {
            EXPECT_NE(Program(p).find(family.word), std::string::npos) << p;
        }
    }
    for (int p = 32; p < 40; ++p) {
        EXPECT_NE(Program(p).find("Bass"), std::string::npos) << p;
    }
}

TEST(GeneralMidiTest, AllProgramNamesAreDistinctAndPresent) {
    std::set<std::string> names;
    for (int p = 0; p < 128; ++p) {
        const std::string name = Program(p);
        EXPECT_FALSE(name.empty()) << p;
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 128u);
}

TEST(GeneralMidiTest, GuitarAndBassProgramsMapToTheirInstruments) {
    for (int p = 0; p < 128; ++p) {
        int thing = -1;
        Program(p, &thing);
        int expected = THING_NONE;
        if (p >= 24 && p <= 28) {
            expected = Thing("Rhythm guitar");
        } else if (p == 29 || p == 31) {
            expected = Thing("Lead guitar");
        } else if (p == 30) {
            expected = Thing("Solo guitar");
        } else if (p >= 32 && p <= 39) {
            expected = Thing("Bass guitar");
        }
        EXPECT_EQ(thing, expected) << p;
    }
}

TEST(GeneralMidiTest, ProgramOutsideTheSetGivesEmptyNameAndAnErrorButSucceeds) {
    for (int p : {128, 255, 100000, -1, INT_MIN, INT_MAX}) {
        CCharString name = "old";
        CCharString error;
        int thing = 5;
        EXPECT_TRUE(CGeneralMidi::GetProgram(p, name, thing, error));
        EXPECT_TRUE(name.IsEmpty());
        EXPECT_EQ(thing, THING_NONE);
        CCharString expected;
        expected.Format("Unknown program %d (1-128 range)", p);
        EXPECT_EQ(error, expected);
    }
}

TEST(GeneralMidiTest, NamesTheStandardControllers) {
    EXPECT_EQ(Controller(0), "Bank Select");
    EXPECT_EQ(Controller(1), "Modulation");
    EXPECT_EQ(Controller(7), "Main Volume");
    EXPECT_EQ(Controller(10), "Pan");
    EXPECT_EQ(Controller(64), "Damper pedal (sustain)");
    EXPECT_EQ(Controller(76), "Sound Controller 7");
    EXPECT_EQ(Controller(93), "Effects 3 Depth");
    EXPECT_EQ(Controller(121), "Channel Mode Message: Reset All Controllers");
    EXPECT_EQ(Controller(123), "Channel Mode Message: All Notes Off");
}

TEST(GeneralMidiTest, UnnamedControllersGetTheirNumberInTheName) {
    EXPECT_EQ(Controller(9), "Control 9 (0-127)");
    EXPECT_EQ(Controller(50), "Control 50 (0-127)");
    EXPECT_EQ(Controller(120), "Control 120 (0-127)");
    for (int c = 0; c < 128; ++c) {
        EXPECT_FALSE(Controller(c).empty()) << c;
    }
}

TEST(GeneralMidiTest, ControllerThreeAndOutOfRangeNumbersAreUnknownButSucceed) {
    for (int c : {3, 128, -1, INT_MIN}) {
        CCharString name;
        CCharString error;
        EXPECT_TRUE(CGeneralMidi::GetControllerName(c, name, error));
        CCharString expected;
        expected.Format("Unknown conrol %d", c);
        EXPECT_EQ(name, expected);
        EXPECT_EQ(error, expected);
    }
    CCharString name;
    CCharString error;
    CGeneralMidi::GetControllerName(7, name, error);
    EXPECT_TRUE(error.IsEmpty());
}

TEST(GeneralMidiTest, NamesThePercussionKeys) {
    CCharString name;
    int thing = 0;
    EXPECT_TRUE(CGeneralMidi::GetDrumNote(36, name, thing));
    EXPECT_EQ(name, "Bass Drum 1");
    EXPECT_EQ(thing, Thing("Bass drum 1"));
    EXPECT_TRUE(CGeneralMidi::GetDrumNote(38, name, thing));
    EXPECT_EQ(thing, Thing("Snare drum"));
    EXPECT_TRUE(CGeneralMidi::GetDrumNote(40, name, thing));
    EXPECT_EQ(thing, Thing("Snare drum"));
    EXPECT_TRUE(CGeneralMidi::GetDrumNote(42, name, thing));
    EXPECT_EQ(name, "Closed Hi-Hat");
    EXPECT_EQ(PieceOf(44), Thing("Hi-hat foot"));
    EXPECT_EQ(PieceOf(46), Thing("Hi-hat, open"));
    EXPECT_EQ(PieceOf(49), Thing("Crash cymbal 1"));
    EXPECT_EQ(PieceOf(51), Thing("Ride cymbal"));
    EXPECT_EQ(PieceOf(41), Thing("Tom 6"));
    EXPECT_EQ(PieceOf(50), Thing("Tom 1"));
}

TEST(GeneralMidiTest, KeysWithoutAPieceGiveTheirNameAndFail) {
    CCharString name;
    int thing = 7;
    EXPECT_FALSE(CGeneralMidi::GetDrumNote(56, name, thing));
    EXPECT_EQ(name, "Cowbell");
    EXPECT_EQ(thing, THING_NONE);
    EXPECT_FALSE(CGeneralMidi::GetDrumNote(27, name, thing));
    EXPECT_EQ(name, "High Q");
    EXPECT_FALSE(CGeneralMidi::GetDrumNote(87, name, thing));
    EXPECT_EQ(name, "Open Surdo");
}

TEST(GeneralMidiTest, NotesOutsideTheKeyMapGiveAnEmptyNameAndFail) {
    for (int note : {26, 88, 0, 127, -1, INT_MAX, INT_MIN}) {
        CCharString name = "old";
        int thing = 7;
        EXPECT_FALSE(CGeneralMidi::GetDrumNote(note, name, thing)) << note;
        EXPECT_TRUE(name.IsEmpty());
        EXPECT_EQ(thing, THING_NONE);
    }
}

TEST(GeneralMidiTest, TomsRunFromHighestKeyToLowest) {
    // In the key map the high tom (50) is the highest and the low floor tom
    // (41) the lowest; Tom 1 is the highest-pitched tom of the kit.
    int previous = 128;
    for (int tom = 1; tom <= 6; ++tom) {
        CCharString name;
        name.Format("Tom %d", tom);
        int note = 0;
        ASSERT_TRUE(CGeneralMidi::GetDrumNoteOf(Thing(name), note)) << tom;
        EXPECT_LT(note, previous) << tom;
        previous = note;
    }
    int note = 0;
    CGeneralMidi::GetDrumNoteOf(Thing("Tom 1"), note);
    EXPECT_EQ(note, 50);
    CGeneralMidi::GetDrumNoteOf(Thing("Tom 6"), note);
    EXPECT_EQ(note, 41);
}

TEST(GeneralMidiTest, EveryDrumPieceWrittenAsAKeyReadsBackAsTheSamePiece) {
    int pieces = 0;
    for (int thing = 0; thing < THING_COUNT; ++thing) {
        int note = 0;
        if (!CGeneralMidi::GetDrumNoteOf(thing, note)) {
            EXPECT_EQ(note, CGeneralMidi::kNoDrumNote);
            continue;
        }
        ++pieces;
        EXPECT_EQ(PieceOf(note), thing) << thing;
    }
    EXPECT_EQ(pieces, 18);
}

TEST(GeneralMidiTest, WritesTheStandardKeysOfTheCommonPieces) {
    const struct {
        const char* piece;
        int note;
    } keys[] = {{"Bass drum 1", 36},        {"Bass drum 2", 35},     {"Snare drum", 38},
                {"Hi-hat, closed", 42},     {"Hi-hat foot", 44},     {"Hi-hat, open", 46},
                {"Crash cymbal 1", 49},     {"Crash cymbal 2", 57},  {"Ride cymbal", 51},
                {"Ride cymbal (bell)", 53}, {"Splash cymbal 1", 55}, {"Chinese cymbal 1", 52}};
    for (const auto& key : keys) {
        int note = 0;
        EXPECT_TRUE(CGeneralMidi::GetDrumNoteOf(Thing(key.piece), note)) << key.piece;
        EXPECT_EQ(note, key.note) << key.piece;
    }
}

TEST(GeneralMidiTest, PiecesWithoutAKeyGiveNone) {
    for (const char* piece : {"Drum set", "Hi-hat bottom", "Octoban 1", "Crash cymbal 3",
                              "Chinese cymbal 2", "Lead guitar", "NoThing"}) {
        int note = 0;
        EXPECT_FALSE(CGeneralMidi::GetDrumNoteOf(Thing(piece), note)) << piece;
        EXPECT_EQ(note, 255);
    }
    int note = 0;
    EXPECT_FALSE(CGeneralMidi::GetDrumNoteOf(-1, note));
    EXPECT_FALSE(CGeneralMidi::GetDrumNoteOf(INT_MAX, note));
}

TEST(GeneralMidiTest, ShortDrumNames) {
    const struct {
        const char* piece;
        const char* label;
    } labels[] = {{"Bass drum 1", "Bass"},          {"Bass drum 2", "Bass"},
                  {"Hi-hat bottom", "Hi-hat"},      {"Hi-hat foot", "Foot Hat"},
                  {"Snare drum", "Snare"},          {"Tom 4", "Tom 4"},
                  {"Octoban 6", "Octoban 6"},       {"Ride cymbal (bell)", "Ride (bell)"},
                  {"Crash cymbal 4", "Crash 4"},    {"Splash cymbal 2", "Splash 2"},
                  {"Chinese cymbal 1", "Chinese 1"}};
    for (const auto& label : labels) {
        CCharString name;
        EXPECT_TRUE(CGeneralMidi::GetShortDrumName(Thing(label.piece), name));
        EXPECT_EQ(name, label.label);
    }
    CCharString name;
    EXPECT_FALSE(CGeneralMidi::GetShortDrumName(Thing("Lead guitar"), name));
    EXPECT_EQ(name, "Drum 39");
    EXPECT_FALSE(CGeneralMidi::GetShortDrumName(-5, name));
    EXPECT_EQ(name, "Drum -5");
}

TEST(GeneralMidiTest, ThingNamesAreFoundOnlyByTheirExactSpelling) {
    int thing = 0;
    EXPECT_TRUE(FindThing("Band", thing));
    EXPECT_EQ(thing, 62);
    EXPECT_FALSE(FindThing("band", thing));
    EXPECT_FALSE(FindThing("Snare Drum", thing));
}

}  // namespace
