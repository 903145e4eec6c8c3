#pragma once

#include "exercise/Hints.h"

// What the lesson controller asks of the windows around it: the status
// line, the picture's focus, boxes, the lesson list and the lesson report.
// The application's windows answer it; a test answers it without any.
class ILessonHost {
public:
    virtual ~ILessonHost() = default;

    // The status line under the picture.
    virtual void SetStatus(const char* text) = 0;
    // The learner's keys go back to the picture.
    virtual void FocusPicture() = 0;
    // A request of the learner's that could not be done, told in a box.
    virtual void TellError(const char* text) = 0;
    // The hints in force changed: the menu's ticks and the picture follow.
    virtual void ShowHints(const HINTS& hints) = 0;
    // The picture changed and is drawn again soon.
    virtual void RequestFrame() = 0;

    // The title of the lesson document on show; null without a lesson list.
    virtual const char* GetShownLessonTitle() const = 0;
    // Whether the lesson list has a lesson after the one on show.
    virtual bool HasNextLesson() const = 0;
    // Starts the lesson after the one on show; false when there is none.
    virtual bool StartNextLesson() = 0;
    // Shows the report of a lesson that reached its goal, with a choice of
    // the next lesson when hasNext; the learner's choice comes back through
    // CLessonController::OnLessonChoice.
    virtual void ShowReport(const char* report, bool hasNext) = 0;
};
