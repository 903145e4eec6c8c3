#include <gtest/gtest.h>

#include <string>

#include "midi/MidiKeyboard.h"
#include "songs/Mix.h"

namespace {

int Thing(const char* name) {
    int thing = 0;
    EXPECT_TRUE(FindThing(name, thing)) << name;
    return thing;
}

CNote Down(CMidiKeyboard& keyboard, char key) {
    CNote note;
    EXPECT_TRUE(keyboard.KeyDown(key, false, note)) << key;
    return note;
}

TEST(MidiKeyboardTest, GuitarRowsFollowTheStrings) {
    CMidiKeyboard keyboard;
    keyboard.SetInstrument(Thing("Guitar"));
    EXPECT_EQ(Down(keyboard, 'Q').midiNote, 57);
    EXPECT_EQ(Down(keyboard, 'Z').midiNote, 40);  // low E
    EXPECT_EQ(Down(keyboard, '=').midiNote, 75);
    CNote note;
    EXPECT_FALSE(keyboard.KeyDown('A', false, note));  // an empty position
}

TEST(MidiKeyboardTest, MelodicInstrumentsPlayAPianoLayout) {
    CMidiKeyboard keyboard;
    keyboard.SetInstrument(Thing("Lead guitar"));
    // S D F = C D E, E R = C# D#, J K L ; = F G A B.
    const std::string keys = "SEDRFJIKOLP;";
    for (size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(Down(keyboard, keys[i]).midiNote, 60 + static_cast<int>(i)) << keys[i];
    }
    CNote note;
    EXPECT_FALSE(keyboard.KeyDown('Z', false, note));
    EXPECT_FALSE(keyboard.KeyDown('1', false, note));
}

TEST(MidiKeyboardTest, FindsTheKeyThatPlaysANote) {
    const int piano = THING_KEYBOARD;
    const std::string keys = "SEDRFJIKOLP;";
    for (size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(CMidiKeyboard::FindKey(60 + static_cast<int>(i), piano), keys[i]);
    }
    EXPECT_EQ(CMidiKeyboard::FindKey(59, piano), '\0');
    EXPECT_EQ(CMidiKeyboard::FindKey(72, piano), '\0');
    EXPECT_EQ(CMidiKeyboard::FindKey(0, piano), '\0') << "0 is no note";
    EXPECT_EQ(CMidiKeyboard::FindKey(40, Thing("Guitar")), 'Z');
}

TEST(MidiKeyboardTest, TheBassPlaysAnOctaveDownAndOnlyTheLowKeys) {
    CMidiKeyboard keyboard;
    keyboard.SetInstrument(Thing("Bass guitar"));
    EXPECT_EQ(Down(keyboard, 'S').midiNote, 48);
    CNote note;
    EXPECT_FALSE(keyboard.KeyDown('L', false, note));
    EXPECT_FALSE(keyboard.KeyDown('D', false, note));
}

TEST(MidiKeyboardTest, TheRhythmGuitarStrumsTheChordOnEveryKey) {
    CMidiKeyboard keyboard;
    keyboard.SetInstrument(Thing("Rhythm guitar"));
    for (char key : std::string("1QAZ=/'")) {
        EXPECT_EQ(Down(keyboard, key).midiNote, NOTE_CHORD) << key;
    }
}

TEST(MidiKeyboardTest, DrumKeysPlayTheirPiecesWithTheirHands) {
    CMidiKeyboard keyboard;
    keyboard.SetInstrument(Thing("Drum set"));
    CNote kick = Down(keyboard, 'S');
    EXPECT_EQ(kick.midiNote, 36);
    EXPECT_EQ(kick.hand, THING_RIGHT_FOOT);
    EXPECT_EQ(kick.eventKind, EVENT_KEEP);
    EXPECT_DOUBLE_EQ(kick.duration, 10.0);
    EXPECT_EQ(Down(keyboard, ' ').midiNote, 36);
    CNote snare = Down(keyboard, 'D');
    EXPECT_EQ(snare.midiNote, 38);
    EXPECT_EQ(snare.hand, THING_LEFT_HAND);
    CNote pedal = Down(keyboard, 'H');
    EXPECT_EQ(pedal.midiNote, 44);
    EXPECT_EQ(pedal.hand, THING_LEFT_FOOT);
    CNote ride = Down(keyboard, 'M');
    EXPECT_EQ(ride.midiNote, 51);
    EXPECT_EQ(ride.hand, THING_RIGHT_HAND);
    EXPECT_EQ(Down(keyboard, 'T').midiNote, 50);  // Tom 1, the high tom
    CNote note;
    EXPECT_FALSE(keyboard.KeyDown('Q', false, note));
}

TEST(MidiKeyboardTest, NotesComeFromTheComputerKeyboardAndTheInstrument) {
    CMidiKeyboard keyboard;
    keyboard.SetInstrument(Thing("Lead guitar"));
    CNote note = Down(keyboard, 's');  // lower case works too
    EXPECT_EQ(note.midiNote, 60);
    EXPECT_EQ(note.source, SOURCE_COMPUTER_KEYBOARD);
    EXPECT_EQ(note.thing, Thing("Lead guitar"));
    EXPECT_FLOAT_EQ(note.volume, 0.7f);
    EXPECT_EQ(note.time, UNSET_TIME);
}

TEST(MidiKeyboardTest, TheMixGivesVolumeAndPan) {
    CMix mix;
    mix.Set(Thing("Lead guitar"), 0.4f, -0.5f);
    CMidiKeyboard keyboard;
    keyboard.SetMix(&mix);
    keyboard.SetInstrument(Thing("Lead guitar"));
    CNote note = Down(keyboard, 'S');
    EXPECT_FLOAT_EQ(note.volume, 0.4f);
    EXPECT_FLOAT_EQ(note.pan, -0.5f);
    keyboard.SetInstrument(Thing("Guitar"));  // no entry: the key volume
    EXPECT_FLOAT_EQ(Down(keyboard, 'Q').volume, 0.7f);
}

TEST(MidiKeyboardTest, RepeatsAreIgnoredAndKeyUpEndsTheNote) {
    CMidiKeyboard keyboard;
    keyboard.SetInstrument(Thing("Lead guitar"));
    CNote note;
    EXPECT_FALSE(keyboard.KeyDown('S', true, note));
    ASSERT_TRUE(keyboard.KeyUp('S', note));
    EXPECT_EQ(note.midiNote, 60);
    EXPECT_EQ(note.volume, 0.0f);
    EXPECT_FALSE(keyboard.KeyUp('Z', note));
}

TEST(MidiKeyboardTest, UnmappedCharactersGiveNoNote) {
    CMidiKeyboard keyboard;
    for (int instrument : {THING_DRUM_SET, THING_GUITAR, THING_BASS_GUITAR, THING_RHYTHM_GUITAR,
                           THING_LEAD_GUITAR}) {
        for (char key : {'\0', '\n', '\x7f', '\xff', '~', '`'}) {
            EXPECT_EQ(CMidiKeyboard::MapKey(key, instrument), 0) << instrument << " " << int(key);
        }
    }
}

}  // namespace
