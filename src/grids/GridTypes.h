#pragma once

#include <vector>

#include "foundation/CharString.h"
#include "theory/Note.h"

// What a grid shows; a pitch or string row carries the display of its grid.
enum GRID_DISPLAY {
    DISPLAY_TABS = 2,
    DISPLAY_NOTES = 4,
    DISPLAY_MARKERS = 7,  // the top grid
};

// Kinds of rows beside the pitch and string rows.
enum GRID_ROW_KIND {
    ROW_TAB = DISPLAY_TABS,    // a string of the tab display
    ROW_NOTE = DISPLAY_NOTES,  // a pitch or a drum of the note display
    ROW_FINGER = 5,            // the fingers above the strings
    ROW_RHYTHM = 6,            // chord strums
    ROW_MEASURE = 7,           // measure markers
    ROW_SONG_PART = 8,         // song-part markers
    ROW_CHORD = 9,             // chord markers
};

// The label of the finger row and its note code.
constexpr int FINGER_ROW_NOTE = NOTE_CODE;

// One row of a grid, top first: what it holds and how its label reads.
struct GRID_ROW {
    int kind = ROW_NOTE;
    int midiNote = NOTE_NONE;                       // pitch, open string, drum key or note code
    int instruments[2] = {THING_NONE, THING_NONE};  // drum rows: the piece and its alternative
    int guitarString = UNSET;                       // tab rows: 1 the highest string
    CCharString label;
    bool highlight = false;  // scale degree 1, 3 or 5
    std::vector<int> cells;  // per column: the note covering it, or -1
};

// A cell: a row and a column of the grid.
struct GRID_CELL {
    int row = -1;
    int column = -1;
};

// One note of the grid with the place it takes.
struct GRID_NOTE {
    CNote note;
    int row = -1;    // the row the note belongs to
    int first = -1;  // the columns it covers; -1 when it lies past the last measure
    int last = -1;
    bool offGrid = false;  // its start is not the start of a cell
    // In tab display the fret shown: the note's own on its string, or the
    // one its pitch takes on the row's string. The note itself keeps no
    // string until one is given to it.
    int fret = UNSET;
};
