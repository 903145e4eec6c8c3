#include "app/LessonCheck.h"

#include "theory/NoteEvent.h"
#include "theory/NoteManager.h"
#include "ui/LessonSettings.h"

bool CheckLesson(const LESSON_SETTINGS& lesson, int& scale, CCharString& error) {
    if (lesson.scale.IsEmpty()) {
        error = "the lesson names no scale";
        return false;
    }
    if (!CNoteManager::FindScale(lesson.scale, scale)) {
        error.Format("the scale \"%s\" is unknown", lesson.scale.GetText());
        return false;
    }
    constexpr int kUnset = LESSON_SETTINGS::kUnset;
    if (lesson.startNote == kUnset || lesson.endNote == kUnset) {
        error = "the lesson names no note range";
        return false;
    }
    if (lesson.startNote < 0 || lesson.endNote > NOTE_EVENT::kMaxNote ||
        lesson.startNote > lesson.endNote) {
        error.Format("the note range %d to %d is empty", lesson.startNote, lesson.endNote);
        return false;
    }
    return true;
}
