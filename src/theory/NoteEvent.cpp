#include "theory/NoteEvent.h"

#include <algorithm>
#include <cmath>

NOTE_EVENT NOTE_EVENT::Make(int note, bool on, float volume, int source, double arrival) {
    NOTE_EVENT event;
    event.note = note;
    event.source = source;
    event.arrival = arrival;
    if (on) {
        const long scaled = std::lround(std::clamp(volume, 0.0f, 1.0f) * kMaxVelocity);
        event.velocity = std::max(1, static_cast<int>(scaled));
    }
    return event;
}
