#include <gtest/gtest.h>

#include <cfloat>
#include <string>

#include "CommaLocale.h"
#include "ui/LessonSettings.h"

TEST(LessonSettings, ReadsTheLessonOfAButton) {
    LESSON_SETTINGS lesson;
    DISPLAY_SETTINGS display;
    CCharString error;
    ASSERT_TRUE(ParseActionParameters("Scale=C maj|StartNote=60|EndNote=72|Octaves=2", lesson,
                                      display, error))
        << error;
    EXPECT_EQ(lesson.scale, "C maj");
    EXPECT_EQ(lesson.startNote, 60);
    EXPECT_EQ(lesson.endNote, 72);
    EXPECT_EQ(lesson.octaves, 2);
    EXPECT_EQ(lesson.position, LESSON_SETTINGS::kUnset);
    EXPECT_EQ(lesson.tempo, DBL_MAX);
    EXPECT_EQ(display.chordNumber, LESSON_SETTINGS::kUnset);
    EXPECT_TRUE(display.showNotes);
}

TEST(LessonSettings, KeysIgnoreCaseAndBlanksAroundThem) {
    LESSON_SETTINGS lesson;
    DISPLAY_SETTINGS display;
    CCharString error;
    ASSERT_TRUE(ParseActionParameters(" scale = Bb maj |STARTNOTE= 58||endnote =77 |", lesson,
                                      display, error));
    EXPECT_EQ(lesson.scale, "Bb maj");
    EXPECT_EQ(lesson.startNote, 58);
    EXPECT_EQ(lesson.endNote, 77);
}

TEST(LessonSettings, ReadsEveryOtherKey) {
    LESSON_SETTINGS lesson;
    DISPLAY_SETTINGS display;
    CCharString error;
    ASSERT_TRUE(ParseActionParameters(
        "File=Songs/a.mid|Root=D|Position=5|FromNote=1|ToNote=6|Style=Rock|Groove=Beat 1|"
        "Tempo=96.5|NoteLength=4|ChordProg=V-I-V-I|Walk=1-3-5-8|Play=Groove|ChordNumber=3|"
        "ChordGroup=sus4|LookAt=Drum set|ShowNotes=N|Show=Neck|Unknown=kept out",
        lesson, display, error))
        << error;
    EXPECT_EQ(lesson.file, "Songs/a.mid");
    EXPECT_EQ(lesson.root, "D");
    EXPECT_EQ(lesson.position, 5);
    EXPECT_EQ(lesson.fromNote, 1);
    EXPECT_EQ(lesson.toNote, 6);
    EXPECT_EQ(lesson.style, "Rock");
    EXPECT_EQ(lesson.groove, "Beat 1");
    EXPECT_DOUBLE_EQ(lesson.tempo, 96.5);
    EXPECT_EQ(lesson.noteLength, 4);
    EXPECT_EQ(lesson.chordProg, "V-I-V-I");
    EXPECT_EQ(lesson.walk, "1-3-5-8");
    EXPECT_EQ(lesson.play, "Groove");
    EXPECT_EQ(display.chordNumber, 3);
    EXPECT_EQ(display.chordGroup, "sus4");
    EXPECT_EQ(display.lookAt, "Drum set");
    EXPECT_FALSE(display.showNotes);
    EXPECT_EQ(display.show, "Neck");
    EXPECT_TRUE(IsKnownActionKey("chordnumber"));
    EXPECT_FALSE(IsKnownActionKey("Unknown"));
}

TEST(LessonSettings, AValueThatIsNoNumberEndsTheParsing) {
    LESSON_SETTINGS lesson;
    DISPLAY_SETTINGS display;
    CCharString error;
    for (const char* text : {"StartNote=sixty", "StartNote=", "EndNote=60x", "Tempo=fast",
                             "Octaves=99999999999", "Tempo=1e999", "Scale=C maj|StartNote"}) {
        EXPECT_FALSE(ParseActionParameters(text, lesson, display, error)) << text;
        EXPECT_EQ(error.Str().rfind("the action parameter '", 0), 0u) << error;
    }
    EXPECT_TRUE(ParseActionParameters("", lesson, display, error));
    EXPECT_TRUE(ParseActionParameters(nullptr, lesson, display, error));
}

TEST(LessonSettings, AReasonQuotesTheParameterOnceAndCutsALongOne) {
    LESSON_SETTINGS lesson;
    DISPLAY_SETTINGS display;
    CCharString error;
    EXPECT_FALSE(ParseActionParameters("Scale=C maj|StartNote=six", lesson, display, error));
    EXPECT_EQ(error, "the action parameter 'StartNote' can't be parsed: 'six' is no value for it");
    EXPECT_FALSE(ParseActionParameters("Scale=C maj| StartNote ", lesson, display, error));
    EXPECT_EQ(error, "the action parameter 'StartNote' can't be parsed: it has no \"=\"");
    const std::string huge = "EndNote=" + std::string(1000, '7') + "x";
    EXPECT_FALSE(ParseActionParameters(huge.c_str(), lesson, display, error));
    EXPECT_EQ(error.Str(), "the action parameter 'EndNote' can't be parsed: '" +
                               std::string(60, '7') + "...' is no value for it");
    std::string accents;
    for (int i = 0; i < 70; ++i) {
        accents += "\xC3\xA9";  // "é": two bytes, one character
    }
    EXPECT_FALSE(ParseActionParameters(("Octaves=" + accents).c_str(), lesson, display, error));
    EXPECT_EQ(error.Str(), "the action parameter 'Octaves' can't be parsed: '" +
                               accents.substr(0, 120) + "...' is no value for it");
    EXPECT_FALSE(ParseActionParameters("Tempo=\x1B[2J", lesson, display, error));
    EXPECT_EQ(error, "the action parameter 'Tempo' can't be parsed: '?[2J' is no value for it");
}

TEST(LessonSettings, ATempoReadsWithAPointUnderADecimalCommaLocale) {
    LESSON_SETTINGS lesson;
    DISPLAY_SETTINGS display;
    CCharString error;
    CCommaLocale comma;
    ASSERT_TRUE(comma.IsActive()) << comma.Why();
    const bool parsed = ParseActionParameters("Tempo=72.5|Notes=+30", lesson, display, error);
    comma.Restore();
    ASSERT_TRUE(parsed) << error;
    EXPECT_EQ(lesson.tempo, 72.5);
    EXPECT_EQ(lesson.notes, 30);
}

TEST(LessonSettings, ATempoWithADecimalCommaIsRefusedWithItsReason) {
    LESSON_SETTINGS lesson;
    DISPLAY_SETTINGS display;
    CCharString error;
    EXPECT_FALSE(ParseActionParameters("Tempo=72,5", lesson, display, error));
    EXPECT_EQ(std::string(error.GetText()),
              "the action parameter 'Tempo' can't be parsed: '72,5' is no value for it (it is "
              "written with a decimal comma, not a point)");
    EXPECT_EQ(lesson.tempo, DBL_MAX);
}
