#pragma once

#include <cstdint>

#include "foundation/CharString.h"

// What an action button of a tutorial document asks for, parsed from its
// parameter text: "Key=Value" pairs separated by "|", keys compared without
// regard to case, blanks around keys and values ignored. Unset numbers hold
// kUnset (tempo the largest double).
struct LESSON_SETTINGS {
    static constexpr int kUnset = 0x7FFFFFFF;

    CCharString scale;  // "Scale": a scale or key name of the note manager
    int octaves = kUnset;
    int startNote = kUnset;  // "StartNote", "EndNote": MIDI note range
    int endNote = kUnset;
    CCharString file;
    CCharString root;
    int position = kUnset;
    int fromNote = kUnset;  // "FromNote", "ToNote"
    int toNote = kUnset;
    CCharString style;
    CCharString groove;
    double tempo;
    int noteLength = kUnset;
    CCharString chordProg;
    CCharString walk;
    CCharString play;  // "Groove" or "Song"
    // "NoteNames", "KeyMark", "KeyLetters": 1 or 0 turns that hint on or off
    // for the lesson (a review lesson turns them off); kUnset leaves the
    // learner's choice.
    int noteNames = kUnset;
    int keyMark = kUnset;
    int keyLetters = kUnset;
    // "Notes": how many notes the lesson runs for (0: it never ends);
    // kUnset takes the default.
    int notes = kUnset;
    // "Mode": "Drill" draws the notes the learner misses most often.
    CCharString mode;

    LESSON_SETTINGS();
};

// How the chosen lesson is to be shown.
struct DISPLAY_SETTINGS {
    int chordNumber = LESSON_SETTINGS::kUnset;  // none
    CCharString chordGroup;
    CCharString lookAt;
    bool showNotes = true;        // "ShowNotes": "Y" for yes, anything else no
    bool showNotesGiven = false;  // the key was there
    CCharString show;             // "Position" or "Neck"
};

// Parses parameter text into the two records (which start from their
// defaults). A pair without "=" or with a number that is not one ends the
// parsing with false and the reason in error (which quotes the pair and
// leaves the "Can't" to its caller); empty pairs are skipped and unknown
// keys ignored.
bool ParseActionParameters(const char* text, LESSON_SETTINGS& lesson, DISPLAY_SETTINGS& display,
                           CCharString& error);
// True when key is one of the keys that ParseActionParameters knows.
bool IsKnownActionKey(const char* key);
