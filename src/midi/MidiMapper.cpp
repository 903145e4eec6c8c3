#include "midi/MidiMapper.h"

#include "platform/Clock.h"
#include "theory/NoteManager.h"

CMidiMapper::CMidiMapper(CNoteManager& manager, IClock* clock)
    : m_manager(manager),
      m_clock(clock),
      m_rightHand(new CNote[kSlots]),
      m_others(new CNote[kSlots]) {
    Reset(0.0);
}

CMidiMapper::~CMidiMapper() = default;

void CMidiMapper::Reset(double startTime) {
    for (int i = 0; i < kSlots; ++i) {
        m_rightHand[i] = CNote();
        m_others[i] = CNote();
    }
    m_startTime = startTime;
    IClock& clock = m_clock != nullptr ? *m_clock : Platform::GetClock();
    m_clockOrigin = clock.GetSeconds();
}

double CMidiMapper::GetCurrentTime() const {
    IClock& clock = m_clock != nullptr ? *m_clock : Platform::GetClock();
    const double now = clock.GetSeconds() - m_clockOrigin - m_startTime;
    return now > 0.0 ? now : 0.0;
}

bool CMidiMapper::IsHeld(int midiNote, bool rightHand) const {
    if (midiNote < 0 || midiNote >= kSlots) {
        return false;
    }
    const CNote& held = rightHand ? m_rightHand[midiNote] : m_others[midiNote];
    return held.eventKind != EVENT_NONE;
}

bool CMidiMapper::OnNote(ROUTED_NOTE& routed) {
    const NOTE_EVENT& event = routed.event;
    if (!event.IsValid()) {
        return false;
    }
    CNote& note = m_lastTracked;
    note = CNote();
    note.midiNote = static_cast<uint8_t>(event.note);
    note.source = event.source;
    note.volume = event.GetVolume();
    if (event.IsOn()) {
        // The time of the song that the sound began at; Track takes a time
        // before the start as 0.
        note.time = event.arrival - m_clockOrigin - m_startTime;
    }
    return Track(note);
}

CNote& CMidiMapper::SlotOf(const CNote& note) {
    return note.hand == THING_RIGHT_HAND ? m_rightHand[note.midiNote] : m_others[note.midiNote];
}

bool CMidiMapper::Track(CNote& note, bool* ended) {
    if (ended != nullptr) {
        *ended = false;
    }
    const double now = GetCurrentTime();
    CNote& held = SlotOf(note);
    if (note.volume > 0.0f) {
        if (note.time == UNSET_TIME) {
            note.time = now;
        } else if (note.time < 0.0) {
            note.time = 0.0;
        }
        if (!m_manager.FillNote(note, true)) {
            m_error = m_manager.GetError();
            return false;
        }
        note.mode = (note.mode | MODE_START) & ~MODE_END;
        if (note.eventKind != EVENT_KEEP) {
            note.eventKind = EVENT_NOTE_START;
        }
        held = note;
        return true;
    }
    if (held.eventKind == EVENT_NONE) {
        return true;
    }
    note = held;
    note.volume = 0.0f;
    note.mode = (note.mode | MODE_END) & ~MODE_START;
    if (note.eventKind != EVENT_KEEP) {
        note.eventKind = EVENT_NOTE_END;
    }
    if (held.duration == UNSET_TIME || held.duration == 0.0) {
        // A note stamped later than now (a time given by its sender) lasts 0.
        note.duration = now > held.time ? now - held.time : 0.0;
    }
    held = CNote();  // CNote::Reset keeps the event kind, which marks a held slot
    if (ended != nullptr) {
        *ended = true;
    }
    return true;
}
