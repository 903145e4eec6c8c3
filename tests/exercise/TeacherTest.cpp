// The exercise judged through its interface with scripted notes; expected
// notes and lessons are worked out here from the rules of the staff.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "exercise/Teacher.h"
#include "exercise/TeacherView.h"
#include "midi/MidiKeyboard.h"
#include "platform/Clock.h"
#include "platform/null/NullClock.h"
#include "theory/NoteManager.h"

namespace {

class CTeacherTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_manager.Init()) << m_manager.GetError(); }

    // Draws until the expected note is midiNote.
    void ShowNote(Teacher& teacher, int midiNote) {
        for (int i = 0; i < 10000; ++i) {
            if (teacher.GetExpected()->midiNote == midiNote && !teacher.IsRightHeld()) {
                return;
            }
            teacher.NextNote();
        }
        FAIL() << "note " << midiNote << " never drawn";
    }

    // A note played now on an input.
    static NOTE_EVENT Played(int midiNote, int source, bool on) {
        return NOTE_EVENT::Make(midiNote, on, 0.7f, source, Platform::GetClock().GetSeconds());
    }
    // A computer key's note as the key input sends it: moved to the lesson.
    static NOTE_EVENT Key(const Teacher& teacher, int midiNote, bool on) {
        return Played(midiNote + teacher.GetKeyShift(), SOURCE_COMPUTER_KEYBOARD, on);
    }

    CNoteManager m_manager;
};

// The wrong notes the exercise writes on the staff.
class CWrongNotes : public ITeacherView {
public:
    void OnNoteShown(const CNote&, int) override {}
    void OnWrongNote(const CNote& written, bool on) override {
        if (on) {
            written_.push_back(written.midiNote);
        }
    }
    void OnRightNote(const CNote&) override {}

    std::vector<int> written_;
};

std::vector<int> MidiNotes(const CNoteList& list) {
    std::vector<int> notes;
    for (int i = 0; i < list.GetCount(); ++i) {
        notes.push_back(list.GetAt(i)->midiNote);
    }
    return notes;
}

TEST_F(CTeacherTest, StartsWithTheTwelveNotesFromMiddleC) {
    Teacher teacher(&m_manager);
    EXPECT_EQ(MidiNotes(teacher.GetNotes()),
              (std::vector<int>{60, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70, 71}));
    EXPECT_EQ(teacher.GetLow(), 60);
    EXPECT_EQ(teacher.GetHigh(), 71);
    ASSERT_NE(teacher.GetExpected(), nullptr);
    EXPECT_EQ(teacher.GetExpected()->thing, THING_KEYBOARD);
}

TEST_F(CTeacherTest, NeverDrawsTheSameNoteTwiceInARowAndDrawsThemAll) {
    Teacher teacher(&m_manager);
    std::set<int> seen;
    int last = teacher.GetLastIndex();
    for (int i = 0; i < 10000; ++i) {
        teacher.NextNote();
        ASSERT_NE(teacher.GetLastIndex(), last);
        last = teacher.GetLastIndex();
        seen.insert(teacher.GetExpected()->midiNote);
    }
    EXPECT_EQ(seen.size(), 12u);
}

TEST_F(CTeacherTest, LaysAKeyOverItsRangeAndWritesItsBlackKeyAsTheKeyDoes) {
    int fMajor = 0;
    ASSERT_TRUE(CNoteManager::FindScale("F maj", fMajor));
    Teacher teacher(&m_manager);
    ASSERT_TRUE(teacher.SetLesson(fMajor, 60, 72));
    EXPECT_EQ(MidiNotes(teacher.GetNotes()), (std::vector<int>{60, 62, 64, 65, 67, 69, 70, 72}));
    EXPECT_EQ(teacher.GetKey().GetAccidentals(), -1);
    for (int i = 0; i < 50; ++i) {
        ShowNote(teacher, 70);
        EXPECT_EQ(teacher.GetExpected()->writtenNote, 71) << "B flat, never A sharp";
        EXPECT_EQ(teacher.GetExpected()->accidental, ACCIDENTAL_FLAT);
        teacher.NextNote();
    }
}

TEST_F(CTeacherTest, WritesFSharpInGMajorAndBFlatInBFlatMajor) {
    int gMajor = 0, bFlatMajor = 0;
    ASSERT_TRUE(CNoteManager::FindScale("G maj", gMajor));
    ASSERT_TRUE(CNoteManager::FindScale("Bb maj", bFlatMajor));
    Teacher teacher(&m_manager);
    ASSERT_TRUE(teacher.SetLesson(gMajor, 62, 79));  // as the shipped lesson
    for (int i = 0; i < 50; ++i) {
        ShowNote(teacher, 66);
        EXPECT_EQ(teacher.GetExpected()->writtenNote, 65) << "F sharp, never G flat";
        EXPECT_EQ(teacher.GetExpected()->accidental, ACCIDENTAL_SHARP);
        ShowNote(teacher, 67);
        EXPECT_EQ(teacher.GetExpected()->writtenNote, 67);
        EXPECT_EQ(teacher.GetExpected()->accidental, ACCIDENTAL_NOT_SET);
    }
    ASSERT_TRUE(teacher.SetLesson(bFlatMajor, 46, 70));
    for (int i = 0; i < 50; ++i) {
        ShowNote(teacher, 46);
        EXPECT_EQ(teacher.GetExpected()->writtenNote, 47) << "B flat, never A sharp";
        EXPECT_EQ(teacher.GetExpected()->accidental, ACCIDENTAL_FLAT);
        ShowNote(teacher, 63);
        EXPECT_EQ(teacher.GetExpected()->writtenNote, 64) << "E flat, never D sharp";
        EXPECT_EQ(teacher.GetExpected()->accidental, ACCIDENTAL_FLAT);
    }
}

// Keeps the wrong notes the exercise tells its views of.
class CWrittenWrongNotes : public ITeacherView {
public:
    void OnNoteShown(const CNote&, int) override {}
    void OnWrongNote(const CNote& written, bool on) override {
        if (on) {
            notes.push_back(written);
        }
    }
    void OnRightNote(const CNote&) override {}
    std::vector<CNote> notes;
};

TEST_F(CTeacherTest, WritesWrongNotesAsTheLessonsKeyDoes) {
    int gMajor = 0, bFlatMajor = 0;
    ASSERT_TRUE(CNoteManager::FindScale("G maj", gMajor));
    ASSERT_TRUE(CNoteManager::FindScale("Bb maj", bFlatMajor));
    Teacher teacher(&m_manager);
    CWrittenWrongNotes wrong;
    teacher.AddView(&wrong);
    ASSERT_TRUE(teacher.SetLesson(gMajor, 67, 67));
    for (int played : {66, 70}) {
        teacher.Judge(Played(played, SOURCE_MIDI_INPUT, true));
        teacher.Judge(Played(played, SOURCE_MIDI_INPUT, false));
    }
    ASSERT_TRUE(teacher.SetLesson(bFlatMajor, 70, 70));
    for (int played : {70 - 12, 63, 66, 71}) {
        teacher.Judge(Played(played, SOURCE_MIDI_INPUT, true));
        teacher.Judge(Played(played, SOURCE_MIDI_INPUT, false));
    }
    ASSERT_EQ(wrong.notes.size(), 6u);
    const int written[6] = {65, 69, 59, 64, 67, 71};  // F#, A#; Bb, Eb, Gb, B
    const int accidentals[6] = {ACCIDENTAL_SHARP, ACCIDENTAL_SHARP, ACCIDENTAL_FLAT,
                                ACCIDENTAL_FLAT,  ACCIDENTAL_FLAT,  ACCIDENTAL_NOT_SET};
    for (size_t i = 0; i < wrong.notes.size(); ++i) {
        EXPECT_EQ(wrong.notes[i].writtenNote, written[i]) << i;
        EXPECT_EQ(wrong.notes[i].accidental, accidentals[i]) << i;
    }
    teacher.RemoveView(&wrong);
}

TEST_F(CTeacherTest, HasNoKeyInAChromaticLesson) {
    Teacher teacher(&m_manager);
    EXPECT_FALSE(teacher.GetKey().IsSet());
    int gMajor = 0;
    ASSERT_TRUE(CNoteManager::FindScale("G maj", gMajor));
    ASSERT_TRUE(teacher.SetLesson(gMajor, 62, 79));
    EXPECT_TRUE(teacher.GetKey().IsSet());
    ASSERT_TRUE(teacher.SetLesson(Teacher::kDefaultScale, 60, 72));
    EXPECT_FALSE(teacher.GetKey().IsSet());
}

TEST_F(CTeacherTest, WritesTheFirstNoteAsAFlatAndTheLastAsASharp) {
    Teacher teacher(&m_manager);
    ASSERT_TRUE(teacher.SetLesson(Teacher::kDefaultScale, 61, 70, 60));
    for (int i = 0; i < 50; ++i) {
        ShowNote(teacher, 61);
        EXPECT_EQ(teacher.GetExpected()->writtenNote, 62);  // D flat
        EXPECT_EQ(teacher.GetExpected()->accidental, ACCIDENTAL_FLAT);
        ShowNote(teacher, 70);
        EXPECT_EQ(teacher.GetExpected()->writtenNote, 69);  // A sharp
        EXPECT_EQ(teacher.GetExpected()->accidental, ACCIDENTAL_SHARP);
    }
}

TEST_F(CTeacherTest, MovesComputerKeysToTheLessonAndMatchesAnyOctaveInsideIt) {
    Teacher teacher(&m_manager);
    ASSERT_TRUE(teacher.SetLesson(Teacher::kDefaultScale, 48, 59, 60));
    ShowNote(teacher, 48);
    teacher.Judge(Key(teacher, 60, true));
    EXPECT_TRUE(teacher.IsRightHeld());
    teacher.Judge(Key(teacher, 60, false));
    ShowNote(teacher, 55);
    teacher.Judge(Key(teacher, 60, true));
    EXPECT_FALSE(teacher.IsRightHeld());
    EXPECT_EQ(teacher.GetWrongCount(), 1);

    ASSERT_TRUE(teacher.SetLesson(Teacher::kDefaultScale, 60, 84, 60));
    ShowNote(teacher, 60);
    teacher.Judge(Played(72, SOURCE_MIDI_INPUT, true));
    EXPECT_FALSE(teacher.IsRightHeld()) << "MIDI notes match exactly";
    teacher.Judge(Played(72, SOURCE_MIDI_INPUT, false));
    teacher.Judge(Key(teacher, 72, true));
    EXPECT_TRUE(teacher.IsRightHeld()) << "one octave down stays inside the lesson";
}

TEST_F(CTeacherTest, ShiftsComputerKeysByTheOctaveNearestTheLesson) {
    Teacher teacher(&m_manager);
    EXPECT_EQ(teacher.GetKeyShift(), 0) << "the first lesson starts at middle C";
    const struct {
        int low, high, shift;
    } lessons[] = {{64, 76, 0},  {48, 59, -12}, {36, 59, -24}, {53, 64, -12}, {55, 66, 0},
                   {67, 79, 12}, {66, 77, 12},  {84, 95, 24},  {0, 11, -60}};
    for (const auto& lesson : lessons) {
        ASSERT_TRUE(teacher.SetLesson(Teacher::kDefaultScale, lesson.low, lesson.high, 60));
        EXPECT_EQ(teacher.GetKeyShift(), lesson.shift) << lesson.low;
    }
    EXPECT_FALSE(teacher.SetLesson(99, 60, 72));
    EXPECT_EQ(teacher.GetKeyShift(), -60) << "a refused lesson keeps the shift";
}

TEST_F(CTeacherTest, ComputerKeysKeepTheirNoteNamesInEveryLesson) {
    // The key that plays E at the start plays an E in a lesson from E4.
    const int eKey = CMidiKeyboard::MapKey('F', THING_KEYBOARD);
    ASSERT_EQ(eKey, 64);
    Teacher teacher(&m_manager);
    ASSERT_TRUE(teacher.SetLesson(Teacher::kDefaultScale, 64, 76, 60));
    ShowNote(teacher, 64);
    teacher.Judge(Key(teacher, eKey, true));
    EXPECT_TRUE(teacher.IsRightHeld()) << "F plays the E at the bottom of the lesson";
    teacher.Judge(Key(teacher, eKey, false));
    ShowNote(teacher, 76);
    teacher.Judge(Key(teacher, eKey, true));
    EXPECT_TRUE(teacher.IsRightHeld()) << "and the E an octave up inside the lesson";
    teacher.Judge(Key(teacher, eKey, false));
    ShowNote(teacher, 68);
    teacher.Judge(Key(teacher, eKey, true));
    EXPECT_FALSE(teacher.IsRightHeld()) << "but never a G sharp";
    for (int low = 0; low <= 116; low += 7) {
        ASSERT_TRUE(teacher.SetLesson(Teacher::kDefaultScale, low, low + 11, 60));
        EXPECT_EQ(teacher.GetKeyShift() % 12, 0) << low;
    }
}

TEST_F(CTeacherTest, WritesAWrongComputerKeyWhereItPlaysInTheLesson) {
    CWrongNotes view;
    Teacher teacher(&m_manager);
    teacher.AddView(&view);
    ASSERT_TRUE(teacher.SetLesson(Teacher::kDefaultScale, 64, 76, 60));
    ShowNote(teacher, 64);
    teacher.Judge(Key(teacher, CMidiKeyboard::MapKey('J', THING_KEYBOARD), true));
    ASSERT_TRUE(teacher.SetLesson(Teacher::kDefaultScale, 43, 55, 60));
    ShowNote(teacher, 43);
    teacher.Judge(Key(teacher, CMidiKeyboard::MapKey('L', THING_KEYBOARD), true));
    EXPECT_EQ(view.written_, (std::vector<int>{65, 57})) << "F4 and A3";
    teacher.RemoveView(&view);
}

TEST_F(CTeacherTest, ANoteBelowTheMidiRangeIsNoAnswer) {
    // Key 5 moved down by 24 is below every note; as a byte it would wrap
    // round to 237, whose octaves reach an A.
    Teacher teacher(&m_manager);
    ASSERT_TRUE(teacher.SetLesson(Teacher::kDefaultScale, 36, 59, 60));
    ShowNote(teacher, 57);  // an A
    EXPECT_EQ(teacher.Judge(Key(teacher, 5, true)), NOTE_VERDICT::kIgnored);
    EXPECT_FALSE(teacher.IsRightHeld());
    EXPECT_EQ(teacher.GetWrongCount(), 0);
    ShowNote(teacher, 53);  // an F: the same pitch class as key 5
    EXPECT_EQ(teacher.Judge(Key(teacher, 5 + 48, true)), NOTE_VERDICT::kRight);
}

TEST_F(CTeacherTest, DrawsTheNextNoteOnlyWhenTheRightKeyIsReleased) {
    Teacher teacher(&m_manager);
    const int expected = teacher.GetExpected()->midiNote;
    const int index = teacher.GetLastIndex();
    teacher.Judge(Played(expected, SOURCE_MIDI_INPUT, true));
    EXPECT_TRUE(teacher.IsRightHeld());
    EXPECT_EQ(teacher.GetLastIndex(), index);
    teacher.Judge(Played(expected == 60 ? 61 : 60, SOURCE_MIDI_INPUT, true));
    EXPECT_EQ(teacher.GetWrongCount(), 1) << "a wrong note while the right one is held counts";
    teacher.Judge(Played(expected, SOURCE_MIDI_INPUT, false));
    EXPECT_FALSE(teacher.IsRightHeld());
    EXPECT_NE(teacher.GetLastIndex(), index);
    EXPECT_EQ(teacher.GetWrongCount(), 0);
}

TEST_F(CTeacherTest, CountsWrongPressesButNotTheirReleases) {
    Teacher teacher(&m_manager);
    ShowNote(teacher, 64);
    for (int i = 0; i < 3; ++i) {
        teacher.Judge(Played(65, SOURCE_MIDI_INPUT, true));
        teacher.Judge(Played(65, SOURCE_MIDI_INPUT, false));
    }
    EXPECT_EQ(teacher.GetWrongCount(), 3);
    teacher.Judge(Played(64, SOURCE_SOUND_DETECTOR, true));
    EXPECT_TRUE(teacher.IsRightHeld());
    teacher.Judge(Played(40, SOURCE_DETECTOR_LEVEL, true));
    EXPECT_EQ(teacher.GetWrongCount(), 3) << "level updates are no answers";
}

TEST_F(CTeacherTest, RefusesUnknownScalesAndEmptyRangesKeepingTheLesson) {
    Teacher teacher(&m_manager);
    EXPECT_FALSE(teacher.SetLesson(99, 60, 72));
    EXPECT_NE(std::string(teacher.GetError()).find("Can't set lesson"), std::string::npos);
    EXPECT_FALSE(teacher.SetLesson(Teacher::kDefaultScale, 72, 60));
    EXPECT_FALSE(teacher.SetLesson(Teacher::kDefaultScale, 200, 255));
    int cMajor = 0;
    ASSERT_TRUE(CNoteManager::FindScale("C maj", cMajor));
    EXPECT_FALSE(teacher.SetLesson(cMajor, 61, 61)) << "no note of C major in the range";
    EXPECT_EQ(teacher.GetLow(), 60);
    EXPECT_EQ(teacher.GetHigh(), 71);
    EXPECT_EQ(teacher.GetNotes().GetCount(), 12);
    ASSERT_TRUE(teacher.SetLesson(Teacher::kDefaultScale, 62, 62, 60));
    teacher.NextNote();  // a lesson of one note shows it again
    EXPECT_EQ(teacher.GetExpected()->midiNote, 62);
}

TEST_F(CTeacherTest, KeepsTheShareRightAtFirstTryAndTheMeanReactionTime) {
    CNullClock clock;
    Teacher teacher(&m_manager);
    double percent = 0, mean = 0;
    int answered = 0;
    EXPECT_FALSE(teacher.GetSummary(percent, mean, answered));
    for (int i = 0; i < 4; ++i) {
        const int expected = teacher.GetExpected()->midiNote;
        clock.Advance(1.0 + i);  // 1, 2, 3 and 4 seconds
        if (i == 3) {
            teacher.Judge(Played(expected == 60 ? 61 : 60, SOURCE_MIDI_INPUT, true));
            teacher.Judge(Played(expected == 60 ? 61 : 60, SOURCE_MIDI_INPUT, false));
        }
        teacher.Judge(Played(expected, SOURCE_MIDI_INPUT, true));
        teacher.Judge(Played(expected, SOURCE_MIDI_INPUT, false));
    }
    ASSERT_TRUE(teacher.GetSummary(percent, mean, answered));
    EXPECT_EQ(answered, 4);
    EXPECT_DOUBLE_EQ(percent, 75.0);
    EXPECT_DOUBLE_EQ(mean, 2.5);
    EXPECT_STREQ(teacher.GetStatusLine(), "Right at first try: 75% of 4, mean time 2.5 s");
}

// The first note is drawn when the exercise is made, long before a picture
// shows it: its time counts from when a view first shows it.
TEST_F(CTeacherTest, ANoteIsTimedFromWhenAViewFirstShowsIt) {
    CNullClock clock;
    Teacher teacher(&m_manager);
    clock.Advance(30.0);  // start-up: the window and the picture are made
    struct CQuietView : ITeacherView {
        void OnNoteShown(const CNote&, int) override {}
        void OnWrongNote(const CNote&, bool) override {}
        void OnRightNote(const CNote&) override {}
    } view;
    teacher.AddView(&view);
    clock.Advance(2.0);
    const int expected = teacher.GetExpected()->midiNote;
    teacher.Judge(Played(expected, SOURCE_MIDI_INPUT, true));
    teacher.Judge(Played(expected, SOURCE_MIDI_INPUT, false));
    double percent = 0, mean = 0;
    int answered = 0;
    ASSERT_TRUE(teacher.GetSummary(percent, mean, answered));
    EXPECT_DOUBLE_EQ(mean, 2.0);
    teacher.RemoveView(&view);
}

}  // namespace

// A tune as the lesson: its notes in order, judged as a lesson's.
TEST_F(CTeacherTest, ATuneShowsItsNotesInOrderAndStartsAgainWithTheResultsOfTheRun) {
    Teacher teacher(&m_manager);
    const std::vector<int> tune = {64, 62, 60, 62, 64, 64, 64};
    ASSERT_TRUE(teacher.SetTune("Little tune", tune));
    EXPECT_TRUE(teacher.IsTune());
    EXPECT_EQ(std::string(teacher.GetStatusLine().GetText()), "Little tune: note 1 of 7");
    for (size_t i = 0; i < tune.size(); ++i) {
        ASSERT_NE(teacher.GetExpected(), nullptr);
        EXPECT_EQ(teacher.GetExpected()->midiNote, tune[i]) << "note " << i + 1;
        EXPECT_EQ(teacher.GetTunePosition(), static_cast<int>(i) + 1);
        if (i == 1) {
            teacher.Judge(Played(61, SOURCE_MIDI_INPUT, true));  // one wrong note
            teacher.Judge(Played(61, SOURCE_MIDI_INPUT, false));
        }
        teacher.Judge(Played(tune[i], SOURCE_MIDI_INPUT, true));
        teacher.Judge(Played(tune[i], SOURCE_MIDI_INPUT, false));
    }
    // Played through: the first note again, and the results of the run.
    EXPECT_EQ(teacher.GetTuneRuns(), 1);
    EXPECT_EQ(teacher.GetTunePosition(), 1);
    EXPECT_EQ(teacher.GetExpected()->midiNote, 64);
    const std::string status = teacher.GetStatusLine().GetText();
    EXPECT_NE(status.find("Little tune: note 1 of 7 (played through; last time: Right at first "
                          "try: 86% of 7"),
              std::string::npos)
        << status;
    // A lesson ends the tune.
    ASSERT_TRUE(teacher.SetLesson(Teacher::kDefaultScale, 60, 72));
    EXPECT_FALSE(teacher.IsTune());
}

TEST_F(CTeacherTest, ATuneOffTheStaffMovesByOctavesAndAnEmptyOneKeepsTheLesson) {
    Teacher teacher(&m_manager);
    ASSERT_TRUE(teacher.SetTune("Far", {20, 110, 60}));
    EXPECT_EQ(teacher.GetExpected()->midiNote, 44);  // 20 up two octaves
    teacher.Judge(Played(44, SOURCE_MIDI_INPUT, true));
    teacher.Judge(Played(44, SOURCE_MIDI_INPUT, false));
    EXPECT_EQ(teacher.GetExpected()->midiNote, 86);  // 110 down two octaves
    EXPECT_FALSE(teacher.SetTune("Empty", {}));
    EXPECT_NE(std::string(teacher.GetError()).find("Can't play the tune Empty"), std::string::npos);
    EXPECT_TRUE(teacher.IsTune());
    EXPECT_EQ(teacher.GetExpected()->midiNote, 86);
}
