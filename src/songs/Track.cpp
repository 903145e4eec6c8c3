#include "songs/Track.h"

#include <algorithm>

#include "platform/DebugOutput.h"

void CTrack::Reset() {
    m_instrumentName.Empty();
    m_pan = 0.0f;
    m_volume = 1.0f;
    m_thing = THING_NONE;
    m_number = 0;
    m_notes.RemoveAll();
    m_info.Reset();
    m_chord.Reset();
}

double CTrack::GetLength(bool withDurations) const {
    double length = 0.0;
    for (int i = 0; i < m_notes.GetCount(); ++i) {
        const CNote& note = *m_notes.GetAt(i);
        if (note.time == UNSET_TIME) {
            continue;
        }
        double end = note.time;
        if (withDurations && note.duration != UNSET_TIME) {
            end += note.duration;
        }
        length = std::max(length, end);
    }
    return length;
}

void CTrack::StripNotes() {
    for (int i = m_notes.GetCount() - 1; i >= 0; --i) {
        if (!m_notes.GetAt(i)->IsMarker()) {
            m_notes.RemoveAt(i);
        }
    }
}

void CTrack::Dump() const {
    CCharString line;
    Platform::WriteDebugOutput(line.Format("------- Track %d", m_number));
    Platform::WriteDebugOutput(line.Format("Name: %s", m_info.name.GetText()));
    Platform::WriteDebugOutput(line.Format("Instrument name: %s", m_instrumentName.GetText()));
    Platform::WriteDebugOutput(line.Format("Volume: %0.2f", m_volume));
    Platform::WriteDebugOutput(line.Format("Pan: %0.2f", m_pan));
    if (!m_enabled) {
        Platform::WriteDebugOutput("### Disabled ###");
        return;
    }
    m_notes.Dump("CTrack::Show");
}
