#pragma once

#include "theory/Note.h"

// One answered note: the first right key for the note on show.
struct NOTE_JUDGEMENT {
    const CNote* expected = nullptr;  // the note as it was written
    int played = 0;                   // MIDI note of the right key
    int source = 0;                   // the input it came from
    bool rightFirstTry = false;       // no wrong key before it
    int wrongPresses = 0;
    double reaction = 0.0;  // seconds from the note shown to the right key
};

// What a view of the exercise hears of it (the staff, the keyboard). Called
// on the user-interface thread; a view shows, it never judges.
class ITeacherView {
public:
    virtual ~ITeacherView() = default;
    // A new note to play; previousNote is the MIDI note of the one it
    // replaces, or NOTE_NONE.
    virtual void OnNoteShown(const CNote& expected, int previousNote) = 0;
    // A wrong note pressed (on) or released, as it is written on the staff.
    virtual void OnWrongNote(const CNote& written, bool on) = 0;
    // The expected note was played.
    virtual void OnRightNote(const CNote& expected) = 0;
    // What the picture shows beside the note changed (Teacher::GetHints).
    virtual void OnHintsChanged() {}
    // The lesson reached its goal: no further note is shown.
    virtual void OnLessonFinished() {}
    // No lesson runs yet (a first start): nothing is shown on the staff.
    virtual void OnStandBy() {}
};
