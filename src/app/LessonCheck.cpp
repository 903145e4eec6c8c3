#include "app/LessonCheck.h"

#include "app/StartOptions.h"
#include "theory/NoteManager.h"
#include "trainer/PianoNotes.h"
#include "ui/LessonSettings.h"

namespace {
// A lesson's notes must be keys of the keyboard on show, which also lie on
// its staff.
constexpr int kLowestLessonNote = CPianoNotes::kLowestKey;
constexpr int kHighestLessonNote = CPianoNotes::kKeyAfterHighest - 1;
}  // namespace

bool CheckLesson(const LESSON_SETTINGS& lesson, int& scale, CCharString& error) {
    if (lesson.scale.IsEmpty()) {
        error = "the lesson names no scale";
        return false;
    }
    if (!CNoteManager::FindScale(lesson.scale, scale)) {
        error.Format("the scale \"%s\" is unknown", CutForMessage(lesson.scale).c_str());
        return false;
    }
    constexpr int kUnset = LESSON_SETTINGS::kUnset;
    const int low = lesson.startNote;
    const int high = lesson.endNote;
    if (low == kUnset || high == kUnset) {
        error = "the lesson names no note range";
        return false;
    }
    if (low > high) {
        error.Format("the note range %d to %d is empty", low, high);
        return false;
    }
    if (high < kLowestLessonNote || low > kHighestLessonNote) {
        error.Format("the note range %d to %d lies outside the keyboard (%d to %d)", low, high,
                     kLowestLessonNote, kHighestLessonNote);
        return false;
    }
    if (low < kLowestLessonNote || high > kHighestLessonNote) {
        error.Format("the note range %d to %d reaches outside the keyboard (%d to %d)", low, high,
                     kLowestLessonNote, kHighestLessonNote);
        return false;
    }
    return true;
}
