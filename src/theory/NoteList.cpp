#include "theory/NoteList.h"

#include <algorithm>
#include <vector>

#include "platform/DebugOutput.h"

CNoteList::CNoteList(int growStep, bool pitchOrdered)
    : CVarList<CNote>(growStep), m_pitchOrdered(pitchOrdered) {}

bool CNoteList::InsertInOrder(const CNote& note, int* outIndex) {
    // Searched from the end: notes mostly arrive in order, so adding a song's
    // notes one by one stays linear instead of quadratic.
    const double key = KeyOf(note);
    int at = GetCount();
    while (at > 0 && KeyOf(*GetAt(at - 1)) > key) {
        --at;
    }
    if (!InsertAt(at, note)) {
        return false;
    }
    if (outIndex != nullptr) {
        *outIndex = at;
    }
    return true;
}

void CNoteList::Sort() {
    if (GetCount() < 2) {
        return;
    }
    CNote* begin = GetAt(0);
    std::stable_sort(begin, begin + GetCount(),
                     [this](const CNote& a, const CNote& b) { return KeyOf(a) < KeyOf(b); });
}

void CNoteList::Dump(const char* caption, bool tablature) const {
    CCharString header;
    header.Format("===== Note list (%s), %d notes =====", caption ? caption : "", GetCount());
    Platform::WriteDebugOutput(header);
    for (int i = 0; i < GetCount(); ++i) {
        GetAt(i)->Dump(tablature);
    }
}

void CNoteList::SetDurationsFromSuccessors(INoteTiming& timing) {
    std::fill(std::begin(m_byMidiNote), std::end(m_byMidiNote), nullptr);
    for (int i = 0; i < GetCount(); ++i) {
        CNote& note = *GetAt(i);
        if (note.IsMarker() || note.time == UNSET_TIME) {
            continue;
        }
        CNote*& previous = m_byMidiNote[note.midiNote];
        if (previous != nullptr) {
            previous->duration = note.time - previous->time;
        }
        previous = &note;
    }
    for (CNote*& last : m_byMidiNote) {
        if (last != nullptr) {
            last->duration = timing.GetLastNoteDuration(*last);
            last = nullptr;
        }
    }
}

void CNoteList::CloseGaps(double limit) {
    CNote* previous = nullptr;
    for (int i = 0; i < GetCount(); ++i) {
        CNote& note = *GetAt(i);
        if (note.IsMarker() || note.time == UNSET_TIME) {
            continue;
        }
        if (previous != nullptr && previous->duration != UNSET_TIME) {
            const double gap = note.time - (previous->time + previous->duration);
            if (gap < limit) {
                previous->duration += std::min(limit, previous->duration / 6.0);
            }
        }
        previous = &note;
    }
}

template <typename Pick>
int CNoteList::FindExtreme(int first, int last, bool lowest, Pick pick) const {
    const int end = last < 0 || last >= GetCount() ? GetCount() - 1 : last;
    int best = UNSET;
    for (int i = std::max(first, 0); i <= end; ++i) {
        const CNote& note = *GetAt(i);
        int value = UNSET;
        if (note.IsMarker() || !pick(note, value) || value == UNSET) {
            continue;
        }
        if (best == UNSET || (lowest ? value < best : value > best)) {
            best = value;
        }
    }
    return best;
}

namespace {

bool PickFinger(const CNote& note, int& value) {
    value = note.finger;
    return note.finger != UNSET && note.finger != 0;
}

bool PickFingeredString(const CNote& note, int& value) {
    value = note.guitarString;
    return note.finger != UNSET && note.finger != 0;
}

}  // namespace

int CNoteList::GetLowestFinger() const {
    return FindExtreme(0, -1, true, PickFinger);
}
int CNoteList::GetHighestFinger() const {
    return FindExtreme(0, -1, false, PickFinger);
}
int CNoteList::GetLowestString() const {
    return FindExtreme(0, -1, true, PickFingeredString);
}
int CNoteList::GetHighestString() const {
    return FindExtreme(0, -1, false, PickFingeredString);
}

int CNoteList::GetLowestFret(int first, int last, int string) const {
    return FindExtreme(first, last, true, [string](const CNote& note, int& value) {
        value = note.fret;
        return string == 0 || note.guitarString == string;
    });
}

int CNoteList::GetHighestFret(int first, int last, int string) const {
    return FindExtreme(first, last, false, [string](const CNote& note, int& value) {
        value = note.fret;
        return string == 0 || note.guitarString == string;
    });
}

int CNoteList::GetHighestStringNote() const {
    int found = -1;
    for (int i = 0; i < GetCount(); ++i) {
        const CNote& note = *GetAt(i);
        int string = 0;
        if (note.IsMarker() || !PickFingeredString(note, string) || string == UNSET) {
            continue;
        }
        if (found < 0 || string > GetAt(found)->guitarString) {
            found = i;
        }
    }
    return found;
}

bool CNoteList::UsesFinger(int finger) const {
    for (int i = 0; i < GetCount(); ++i) {
        const CNote& note = *GetAt(i);
        if (!note.IsMarker() && note.finger == finger) {
            return true;
        }
    }
    return false;
}

void CNoteList::SetFingersFromFrets(int string, int preferredFret, int lowestFret,
                                    int highestFret) {
    int base = lowestFret;
    if (highestFret - lowestFret < 3) {
        base = std::min(lowestFret, preferredFret);
    }
    for (int i = 0; i < GetCount(); ++i) {
        CNote& note = *GetAt(i);
        if (note.IsMarker() || note.guitarString != string) {
            continue;
        }
        if (note.fret == UNSET || note.fret == 0) {
            note.finger = UNSET;
            continue;
        }
        note.finger = std::clamp(note.fret - base + 1, 1, 4);
    }
}

bool CNoteList::AssignHands(const KitPosition& position) {
    double previous = 0.0;
    for (int i = 0; i < GetCount(); ++i) {
        CNote& note = *GetAt(i);
        if (note.IsMarker() || !note.IsDrum()) {
            continue;
        }
        int hand = THING_NONE;
        if (note.thing == THING_BASS_DRUM_2 || note.thing == THING_HI_HAT_FOOT) {
            hand = THING_LEFT_FOOT;
        } else if (note.thing == THING_BASS_DRUM_1) {
            hand = THING_RIGHT_FOOT;
        } else {
            double place = 0.0;
            if (!position || !position(note.thing, place)) {
                return false;
            }
            if (note.thing == THING_SNARE_DRUM) {
                hand = THING_LEFT_HAND;
            } else if (note.thing == THING_HI_HAT_OPEN || note.thing == THING_HI_HAT_CLOSED) {
                hand = THING_RIGHT_HAND;
            } else {
                hand = previous < place ? THING_RIGHT_HAND : THING_LEFT_HAND;
            }
            previous = place;
        }
        if (note.hand == THING_NONE) {
            note.hand = hand;
        }
    }
    return true;
}

bool CNoteList::GetDefaultKitPosition(int thing, double& position) {
    // Left to right from the drummer's seat: hi-hat, crashes on the left,
    // snare, the toms running round to the floor toms, octobans above them,
    // ride, splash and china on the right.
    if (thing >= THING_HI_HAT_OPEN && thing <= THING_HI_HAT_BOTTOM) {
        position = 0.0;
    } else if (thing >= THING_CRASH_CYMBAL_1 && thing <= 29) {
        position = 0.5 + (thing - THING_CRASH_CYMBAL_1) * 2.0;
    } else if (thing == THING_SNARE_DRUM) {
        position = 1.0;
    } else if (thing >= THING_TOM_1 && thing <= 15) {
        position = 2.0 + (thing - THING_TOM_1);
    } else if (thing >= THING_OCTOBAN_1 && thing <= 21) {
        position = 2.5 + (thing - THING_OCTOBAN_1);
    } else if (thing == THING_RIDE_CYMBAL || thing == THING_RIDE_BELL) {
        position = 8.0;
    } else if (thing >= THING_SPLASH_CYMBAL_1 && thing <= THING_CHINESE_CYMBAL_2) {
        position = 9.0 + (thing - THING_SPLASH_CYMBAL_1);
    } else {
        return false;
    }
    return true;
}
