#pragma once

#include "foundation/CharString.h"

// The General MIDI name tables and their translation to and from the
// system's instruments (Things). Every lookup is a pure function of its key
// and writes its result into the caller's strings.
class CGeneralMidi {
public:
    static constexpr int kProgramCount = 128;
    static constexpr int kControllerCount = 128;
    static constexpr int kFirstDrumNote = 27;
    static constexpr int kLastDrumNote = 87;
    static constexpr int kNoDrumNote = 255;

    // Name and Thing of a 0-based program. A number outside 0..127 gives an
    // empty name, Thing 0 and "Unknown program %d (1-128 range)" in error;
    // the lookup still succeeds, so that a file with such a program reads on.
    static bool GetProgram(int program, CCharString& name, int& thing, CCharString& error);

    // Name of a controller. An unnamed controller (3, or outside 0..127) gets
    // the "Unknown conrol %d" text both as its name and in error; the lookup
    // still succeeds.
    static bool GetControllerName(int controller, CCharString& name, CCharString& error);

    // Name and drum piece of a percussion key. True only when the note has a
    // piece; a note of the key map without one gives its name and Thing 0,
    // a note outside 27..87 an empty name.
    static bool GetDrumNote(int note, CCharString& name, int& thing);
    // The drum piece of a percussion key alone; THING_NONE when it has none.
    static int GetDrumThing(int note);

    // The percussion key that plays a drum piece; kNoDrumNote and false for a
    // Thing that is no drum piece with a key. It is the exact reverse of
    // GetDrumNote for every piece, so written drum parts read back unchanged.
    static bool GetDrumNoteOf(int thing, int& note);

    // Compact label of a drum piece ("Snare", "Crash 1"); "Drum %d" with the
    // code for any other Thing, then false.
    static bool GetShortDrumName(int thing, CCharString& name);
};
