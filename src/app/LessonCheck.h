#pragma once

#include "foundation/CharString.h"

struct LESSON_SETTINGS;

// Whether a lesson chosen with an action button can be taught: it names a
// known scale (its number goes to scale) and a note range that is not
// empty. False with the reason in error.
bool CheckLesson(const LESSON_SETTINGS& lesson, int& scale, CCharString& error);
