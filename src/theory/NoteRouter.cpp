#include "theory/NoteRouter.h"

#include <algorithm>

void CNoteRouter::Subscribe(ROAD_STAGE stage, INoteSubscriber& subscriber) {
    // After every stop of the same or an earlier stage.
    const auto place = std::find_if(m_stops.begin(), m_stops.end(),
                                    [stage](const STOP& stop) { return stop.stage > stage; });
    m_stops.insert(place, STOP{stage, &subscriber});
}

void CNoteRouter::Unsubscribe(INoteSubscriber& subscriber) {
    m_stops.erase(
        std::remove_if(m_stops.begin(), m_stops.end(),
                       [&subscriber](const STOP& stop) { return stop.subscriber == &subscriber; }),
        m_stops.end());
}

bool CNoteRouter::Route(const NOTE_EVENT& event) {
    m_lastVerdict = NOTE_VERDICT::kIgnored;
    if (!event.IsValid()) {
        return false;
    }
    ++m_routed;
    ROUTED_NOTE note;
    note.event = event;
    bool passed = true;
    // A subscriber may leave the road while a note is on it (a view that
    // closes): the walk goes by index over what is there now.
    for (size_t i = 0; i < m_stops.size() && passed; ++i) {
        passed = m_stops[i].subscriber->OnNote(note);
    }
    m_lastVerdict = note.verdict;
    if (m_frameRequest) {
        m_frameRequest();
    }
    return passed;
}

bool CNoteRouter::Route(std::unique_ptr<IPayload> payload) {
    const std::unique_ptr<NOTE_EVENT> event = TakePayload<NOTE_EVENT>(payload);
    return event != nullptr && Route(*event);
}
