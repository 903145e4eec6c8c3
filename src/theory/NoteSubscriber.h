#pragma once

#include "theory/NoteEvent.h"

// How the exercise took a routed note.
enum class NOTE_VERDICT {
    kIgnored,   // not an answer: a detector level, a song's note, no lesson
    kRight,     // the expected note, pressed
    kWrong,     // another note, pressed or released
    kReleased,  // the expected note let go: the next note is on show
};

// One note on the road, as the subscribers before a subscriber left it.
struct ROUTED_NOTE {
    NOTE_EVENT event;
    NOTE_VERDICT verdict = NOTE_VERDICT::kIgnored;  // set by the exercise
};

// The places on the note road, in the order a note passes them. Subscribers
// of one stage hear the note in the order they subscribed.
enum class ROAD_STAGE : int {
    kFilter,    // drops what the road must not carry
    kHeldKeys,  // the keys held now
    kExercise,  // judges the note
    kSounder,   // plays what the rules say
    kHistory,   // keeps the answers
    kRecorder,  // records into a song
    kBand,      // the players of the picture
};

// A stop on the note road. Called on the user-interface thread only.
class INoteSubscriber {
public:
    virtual ~INoteSubscriber() = default;
    // False stops the note here: the later stages never hear it.
    virtual bool OnNote(ROUTED_NOTE& note) = 0;
};
