#pragma once

#include "theory/Note.h"

// What a view of the exercise hears of it (the staff, the keyboard, later a
// practice history). Called on the user-interface thread; a view shows, it
// never judges.
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
};
