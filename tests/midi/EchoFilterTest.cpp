#include <gtest/gtest.h>

#include "midi/EchoFilter.h"
#include "theory/Note.h"

namespace {

bool Passes(CEchoFilter& filter, int note, bool on, int source, double time) {
    ROUTED_NOTE routed;
    routed.event = NOTE_EVENT::Make(note, on, on ? 0.8f : 0.0f, source, time);
    return filter.OnNote(routed);
}

}  // namespace

// The microphone hears the program sound a computer key: the same pitch
// class shortly after is an echo, with its release; everything else passes.
TEST(EchoFilter, DropsTheMicrophonesEchoOfAKeyTheProgramSoundedAndNothingElse) {
    CEchoFilter filter;
    EXPECT_TRUE(Passes(filter, 60, true, SOURCE_COMPUTER_KEYBOARD, 10.0));
    EXPECT_FALSE(Passes(filter, 60, true, SOURCE_SOUND_DETECTOR, 10.12)) << "the echo";
    EXPECT_FALSE(Passes(filter, 60, false, SOURCE_SOUND_DETECTOR, 10.4)) << "its release";
    EXPECT_FALSE(Passes(filter, 72, true, SOURCE_SOUND_DETECTOR, 10.2)) << "an octave above";
    EXPECT_FALSE(Passes(filter, 72, false, SOURCE_SOUND_DETECTOR, 10.5));
    EXPECT_TRUE(Passes(filter, 64, true, SOURCE_SOUND_DETECTOR, 10.1)) << "another note sung";
    EXPECT_TRUE(Passes(filter, 64, false, SOURCE_SOUND_DETECTOR, 10.3));
    EXPECT_TRUE(Passes(filter, 60, true, SOURCE_SOUND_DETECTOR, 10.45)) << "too late for an echo";
    EXPECT_TRUE(Passes(filter, 60, false, SOURCE_SOUND_DETECTOR, 10.6));
    EXPECT_EQ(filter.GetEchoCount(), 2);
    // Dated a little before the key, as the detector dates a rising sound.
    EXPECT_TRUE(Passes(filter, 67, true, SOURCE_COMPUTER_KEYBOARD, 20.0));
    EXPECT_FALSE(Passes(filter, 67, true, SOURCE_SOUND_DETECTOR, 19.97));
    EXPECT_TRUE(Passes(filter, 67, true, SOURCE_SOUND_DETECTOR, 19.8)) << "well before the key";
    // A MIDI keyboard makes its own sound, which the program does not play.
    EXPECT_TRUE(Passes(filter, 62, true, SOURCE_MIDI_INPUT, 30.0));
    EXPECT_TRUE(Passes(filter, 62, true, SOURCE_SOUND_DETECTOR, 30.1));
    EXPECT_TRUE(Passes(filter, 62, false, SOURCE_MIDI_INPUT, 30.2));
}
