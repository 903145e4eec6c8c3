#include "trainer/NoteRouter.h"

#include "platform/Clock.h"
#include "trainer/HeldKeys.h"

CNoteRouter::CNoteRouter(CHeldKeys& heldKeys, Teacher& teacher)
    : m_heldKeys(heldKeys), m_teacher(teacher) {}

bool CNoteRouter::Route(const NOTE_EVENT& event) {
    if (!event.IsValid()) {
        return false;
    }
    ++m_routed;
    m_heldKeys.Apply(event);
    const NOTE_VERDICT verdict = m_teacher.Judge(event);
    if (m_judgedListener) {
        m_judgedListener(event, verdict, Platform::GetClock().GetSeconds());
    }
    if (m_frameRequest) {
        m_frameRequest();
    }
    return true;
}

bool CNoteRouter::Route(std::unique_ptr<IPayload> payload) {
    const std::unique_ptr<NOTE_EVENT> event = TakePayload<NOTE_EVENT>(payload);
    return event != nullptr && Route(*event);
}
