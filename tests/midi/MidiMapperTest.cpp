#include <gtest/gtest.h>

#include "midi/MidiMapper.h"
#include "platform/null/NullClock.h"
#include "theory/NoteManager.h"

namespace {

class MidiMapperTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(manager.Init()) << manager.GetError();
        mapper.Reset(0.0);
    }

    static CNote Played(int midiNote, float volume, int hand = THING_NONE) {
        CNote note;
        note.midiNote = static_cast<uint8_t>(midiNote);
        note.volume = volume;
        note.hand = hand;
        note.source = SOURCE_MIDI_INPUT;
        return note;
    }

    CNullClock clock;
    CNoteManager manager;
    CMidiMapper mapper{manager, &clock};
};

TEST_F(MidiMapperTest, AStartGetsTheCurrentTimeAndIsCompletedFromTheNoteTable) {
    clock.Advance(1.5);
    CNote note = Played(69, 0.8f);
    ASSERT_TRUE(mapper.Track(note)) << mapper.GetError();
    EXPECT_DOUBLE_EQ(note.time, 1.5);
    EXPECT_NEAR(note.frequency, 440.0, 1e-9);
    EXPECT_EQ(note.GetName(), "A");
    EXPECT_EQ(note.eventKind, EVENT_NOTE_START);
    EXPECT_TRUE(note.mode & MODE_START);
    EXPECT_FALSE(note.mode & MODE_END);
    EXPECT_TRUE(mapper.IsHeld(69, false));
}

TEST_F(MidiMapperTest, AnEndBecomesTheHeldNoteWithItsDuration) {
    clock.Advance(1.0);
    CNote start = Played(60, 0.5f);
    ASSERT_TRUE(mapper.Track(start));
    clock.Advance(0.25);
    CNote end = Played(60, 0.0f);
    bool ended = false;
    ASSERT_TRUE(mapper.Track(end, &ended));
    EXPECT_TRUE(ended);
    EXPECT_DOUBLE_EQ(end.time, 1.0);
    EXPECT_DOUBLE_EQ(end.duration, 0.25);
    EXPECT_EQ(end.volume, 0.0f);
    EXPECT_EQ(end.eventKind, EVENT_NOTE_END);
    EXPECT_TRUE(end.mode & MODE_END);
    EXPECT_FALSE(end.mode & MODE_START);
    EXPECT_EQ(end.GetName(), "C");
    EXPECT_FALSE(mapper.IsHeld(60, false));
}

TEST_F(MidiMapperTest, AnEndWithNothingHeldLeavesTheNoteAlone) {
    CNote end = Played(60, 0.0f);
    end.eventKind = EVENT_NONE;
    bool ended = true;
    ASSERT_TRUE(mapper.Track(end, &ended));
    EXPECT_FALSE(ended);
    EXPECT_EQ(end.time, UNSET_TIME);
    EXPECT_EQ(end.eventKind, EVENT_NONE);
}

TEST_F(MidiMapperTest, TheSameKeyIsHeldApartInTheRightHandAndTheOthers) {
    CNote right = Played(64, 1.0f, THING_RIGHT_HAND);
    CNote left = Played(64, 1.0f, THING_LEFT_HAND);
    ASSERT_TRUE(mapper.Track(right));
    clock.Advance(0.5);
    ASSERT_TRUE(mapper.Track(left));
    CNote endRight = Played(64, 0.0f, THING_RIGHT_HAND);
    clock.Advance(0.5);
    ASSERT_TRUE(mapper.Track(endRight));
    EXPECT_DOUBLE_EQ(endRight.duration, 1.0);
    EXPECT_EQ(endRight.hand, THING_RIGHT_HAND);
    EXPECT_FALSE(mapper.IsHeld(64, true));
    EXPECT_TRUE(mapper.IsHeld(64, false));
}

TEST_F(MidiMapperTest, AGivenTimeIsKeptAndANegativeOneBecomesZero) {
    CNote given = Played(50, 1.0f);
    given.time = 7.0;
    ASSERT_TRUE(mapper.Track(given));
    EXPECT_DOUBLE_EQ(given.time, 7.0);
    CNote negative = Played(51, 1.0f);
    negative.time = -3.0;
    ASSERT_TRUE(mapper.Track(negative));
    EXPECT_DOUBLE_EQ(negative.time, 0.0);
    // The held note starts later than now: its end lasts 0, never less.
    CNote end = Played(50, 0.0f);
    ASSERT_TRUE(mapper.Track(end));
    EXPECT_DOUBLE_EQ(end.duration, 0.0);
}

TEST_F(MidiMapperTest, DrumHitsKeepTheirEventKindAndDuration) {
    CNote hit = Played(36, 1.0f);
    hit.eventKind = EVENT_KEEP;
    hit.duration = 10.0;
    ASSERT_TRUE(mapper.Track(hit));
    EXPECT_EQ(hit.eventKind, EVENT_KEEP);
    clock.Advance(0.1);
    CNote end = Played(36, 0.0f);
    ASSERT_TRUE(mapper.Track(end));
    EXPECT_EQ(end.eventKind, EVENT_KEEP);
    EXPECT_DOUBLE_EQ(end.duration, 10.0);
}

TEST_F(MidiMapperTest, ANoteOutsideTheTableFailsWithTheTableText) {
    for (int midi : {132, 200, 252}) {
        CNote note = Played(midi, 1.0f);
        EXPECT_FALSE(mapper.Track(note));
        EXPECT_NE(std::string(mapper.GetError()).find(std::to_string(midi)), std::string::npos);
        EXPECT_FALSE(mapper.IsHeld(midi, false));
    }
}

TEST_F(MidiMapperTest, TheStartTimeIsSubtractedAndTheTimeNeverGoesBelowZero) {
    mapper.Reset(2.0);
    clock.Advance(1.0);
    EXPECT_DOUBLE_EQ(mapper.GetCurrentTime(), 0.0);
    clock.Advance(2.5);
    EXPECT_DOUBLE_EQ(mapper.GetCurrentTime(), 1.5);
}

TEST_F(MidiMapperTest, ResetForgetsHeldNotes) {
    CNote note = Played(60, 1.0f);
    ASSERT_TRUE(mapper.Track(note));
    mapper.Reset(0.0);
    EXPECT_FALSE(mapper.IsHeld(60, false));
    CNote end = Played(60, 0.0f);
    bool ended = true;
    ASSERT_TRUE(mapper.Track(end, &ended));
    EXPECT_FALSE(ended);
}

TEST_F(MidiMapperTest, BadIndicesAreNotHeld) {
    EXPECT_FALSE(mapper.IsHeld(-1, false));
    EXPECT_FALSE(mapper.IsHeld(256, true));
}

}  // namespace

namespace {

TEST_F(MidiMapperTest, OnTheRoadItTracksEveryNoteFromTheTimeItsSoundBegan) {
    clock.Advance(4.0);  // the note was detected late: its sound began at 2.5
    ROUTED_NOTE routed;
    routed.event = NOTE_EVENT{69, 100, SOURCE_SOUND_DETECTOR, clock.GetSeconds() - 1.5};
    ASSERT_TRUE(mapper.OnNote(routed)) << mapper.GetError();
    EXPECT_DOUBLE_EQ(mapper.GetLastTracked().time, 2.5);
    EXPECT_EQ(mapper.GetLastTracked().eventKind, EVENT_NOTE_START);
    EXPECT_EQ(mapper.GetLastTracked().source, SOURCE_SOUND_DETECTOR);
    EXPECT_TRUE(mapper.IsHeld(69, false));
    routed.event = NOTE_EVENT{69, 0, SOURCE_SOUND_DETECTOR, clock.GetSeconds()};
    ASSERT_TRUE(mapper.OnNote(routed));
    EXPECT_EQ(mapper.GetLastTracked().eventKind, EVENT_NOTE_END);
    EXPECT_DOUBLE_EQ(mapper.GetLastTracked().duration, 1.5);
    EXPECT_FALSE(mapper.IsHeld(69, false));
    routed.event = NOTE_EVENT{128, 100, SOURCE_MIDI_INPUT, 0.0};
    EXPECT_FALSE(mapper.OnNote(routed)) << "no note: the road stops it";
}

}  // namespace
