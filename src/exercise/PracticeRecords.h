#pragma once

#include <string>
#include <vector>

// The records of the learner's practice: what the exercise answers, what the
// practice history keeps and what the drill and the progress pictures read.

// How many of a note's latest results the history gives back.
constexpr int kPracticeRecentResults = 8;

// The clef a note was written in.
enum PRACTICE_CLEF {
    PRACTICE_CLEF_BASS = 0,
    PRACTICE_CLEF_TREBLE = 1,
};

// One judged note of a drill. The source is one of the NOTE_SOURCE values of
// theory/Note.h (computer keyboard, file, microphone, MIDI input).
struct PRACTICE_ROW {
    double time = 0.0;  // Unix seconds when the note was judged
    std::string lesson;
    int expected = 0;      // MIDI note shown
    std::string spelling;  // how it was written, e.g. "F#4"
    int clef = PRACTICE_CLEF_TREBLE;
    int played = 0;  // MIDI note played
    int source = 0;
    bool rightFirstTry = false;
    int wrongPresses = 0;
    double reaction = 0.0;  // seconds from the note shown to the right key

    bool operator==(const PRACTICE_ROW& other) const;
};

// One result of a note, as the drill schedule replays it.
struct PRACTICE_RESULT {
    bool rightFirstTry = false;
    double reaction = 0.0;
};

// What the whole history holds about one expected note.
struct PRACTICE_NOTE_STATS {
    int midiNote = 0;
    int shown = 0;
    int rightFirstTry = 0;
    double meanReaction = 0.0;
    double lastSeen = 0.0;  // Unix seconds
    // The latest results, oldest first, at most kPracticeRecentResults.
    std::vector<PRACTICE_RESULT> recent;
};

// How fast a lesson's notes were answered over the whole history.
struct PRACTICE_LESSON_PACE {
    std::string lesson;
    int notes = 0;
    double meanReaction = 0.0;  // seconds from a note shown to its right answer
    double lastTime = 0.0;      // Unix seconds of its latest note
};

// One day of practice in local time.
struct PRACTICE_DAY {
    std::string day;  // "YYYY-MM-DD"
    int notes = 0;
    double rightFirstTryPercent = 0.0;
    double meanReaction = 0.0;
};
