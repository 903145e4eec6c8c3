#pragma once

// What the picture shows beside the note to read. Each can be turned off so
// that the learner reads the staff alone.
struct HINTS {
    bool noteNames = false;   // the note name beside every staff line and space
    bool expectedKey = true;  // the mark on the key that plays the expected note
    bool keyLetters = true;   // the computer key's letter on each piano key
};

inline bool operator==(const HINTS& a, const HINTS& b) {
    return a.noteNames == b.noteNames && a.expectedKey == b.expectedKey &&
           a.keyLetters == b.keyLetters;
}
inline bool operator!=(const HINTS& a, const HINTS& b) {
    return !(a == b);
}
