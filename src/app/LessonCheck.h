#pragma once

#include "foundation/CharString.h"

struct LESSON_SETTINGS;

// Whether a lesson chosen with an action button can be taught: it names a
// known scale (its number goes to scale) and a note range that is not
// empty and lies on the keyboard (36 to 95). False with the reason in error,
// which names what is wrong without a "Can't" of its own.
bool CheckLesson(const LESSON_SETTINGS& lesson, int& scale, CCharString& error);
