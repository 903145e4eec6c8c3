#include <gtest/gtest.h>

#include <string>

#include "app/LessonCheck.h"
#include "ui/LessonSettings.h"

namespace {

// The reason CheckLesson gives for a C major lesson from low to high; empty
// when it is taken.
std::string Check(int low, int high, const char* scale = "C maj") {
    LESSON_SETTINGS lesson;
    lesson.scale = scale;
    lesson.startNote = low;
    lesson.endNote = high;
    int number = -1;
    CCharString error;
    return CheckLesson(lesson, number, error) ? std::string() : error.Str();
}

}  // namespace

TEST(LessonCheck, TakesRangesOnTheKeyboardUpToItsEnds) {
    EXPECT_EQ(Check(36, 95), "");
    EXPECT_EQ(Check(60, 72), "");
    EXPECT_EQ(Check(60, 60), "");
}

TEST(LessonCheck, RefusesRangesOffTheKeyboardAndSaysSo) {
    EXPECT_EQ(Check(0, 10), "the note range 0 to 10 lies outside the keyboard (36 to 95)");
    EXPECT_EQ(Check(120, 127), "the note range 120 to 127 lies outside the keyboard (36 to 95)");
    EXPECT_EQ(Check(96, 96), "the note range 96 to 96 lies outside the keyboard (36 to 95)");
    EXPECT_EQ(Check(35, 60), "the note range 35 to 60 reaches outside the keyboard (36 to 95)");
    EXPECT_EQ(Check(60, 96), "the note range 60 to 96 reaches outside the keyboard (36 to 95)");
    EXPECT_EQ(Check(-5, 999999),
              "the note range -5 to 999999 reaches outside the keyboard (36 to 95)");
    EXPECT_EQ(Check(72, 60), "the note range 72 to 60 is empty");
}

TEST(LessonCheck, QuotesALongScaleNameCut) {
    const std::string name(1000, 'Q');
    EXPECT_EQ(Check(60, 72, name.c_str()),
              "the scale \"" + std::string(60, 'Q') + "...\" is unknown");
    EXPECT_EQ(Check(60, 72, ""), "the lesson names no scale");
}
