#include "midi/EchoFilter.h"

#include "theory/Note.h"

namespace {

constexpr int kNotesPerOctave = 12;

}  // namespace

bool CEchoFilter::OnNote(ROUTED_NOTE& note) {
    const NOTE_EVENT& event = note.event;
    if (event.source == SOURCE_COMPUTER_KEYBOARD && event.IsOn() && event.IsValid()) {
        // Only the computer keyboard's notes sound through the speakers.
        m_sounded.push_back({event.note % kNotesPerOctave, event.arrival});
        return true;
    }
    if (event.source != SOURCE_SOUND_DETECTOR || !event.IsValid()) {
        return true;
    }
    if (!event.IsOn()) {
        // The release of an echo is an echo too.
        return m_droppedNotes.erase(event.note) == 0;
    }
    if (!IsEcho(event)) {
        return true;
    }
    m_droppedNotes.insert(event.note);
    ++m_echoes;
    return false;
}

bool CEchoFilter::IsEcho(const NOTE_EVENT& event) {
    while (!m_sounded.empty() && m_sounded.front().time < event.arrival - kEchoSeconds) {
        m_sounded.pop_front();
    }
    const int pitchClass = event.note % kNotesPerOctave;
    for (const SOUNDED& sounded : m_sounded) {
        const double after = event.arrival - sounded.time;
        if (sounded.pitchClass == pitchClass && after >= -kEarlySeconds && after <= kEchoSeconds) {
            return true;
        }
    }
    return false;
}
