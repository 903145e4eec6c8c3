#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Payload.h"
#include "theory/NoteEvent.h"
#include "trainer/Teacher.h"

class CHeldKeys;

// The note road: every played note of every input passes through here, on
// the user-interface thread, in one direction. The held keys take it, the
// exercise judges it, and the views, which observe those two, change; then a
// frame is asked for at once so that the learner sees the verdict without
// waiting for the next frame step. Inputs on other threads post their notes
// to the main window as kNoteMessage with a NOTE_EVENT payload.
class CNoteRouter {
public:
    static constexpr int kNoteMessage = 1046;

    // Hears each routed note once it is judged, with the clock's time then.
    using JudgedListener =
        std::function<void(const NOTE_EVENT& event, NOTE_VERDICT verdict, double judgedAt)>;

    // heldKeys and teacher must outlive the router.
    CNoteRouter(CHeldKeys& heldKeys, Teacher& teacher);
    CNoteRouter(const CNoteRouter&) = delete;
    CNoteRouter& operator=(const CNoteRouter&) = delete;

    void SetFrameRequest(std::function<void()> request) { m_frameRequest = std::move(request); }
    void SetJudgedListener(JudgedListener listener) { m_judgedListener = std::move(listener); }

    // Routes one note; false for an event that is no note (nothing changes).
    bool Route(const NOTE_EVENT& event);
    // Routes the note of a posted kNoteMessage; its payload is deleted here,
    // also when it carries no note.
    bool Route(std::unique_ptr<IPayload> payload);

    uint32_t GetRoutedCount() const { return m_routed; }

private:
    CHeldKeys& m_heldKeys;
    Teacher& m_teacher;
    std::function<void()> m_frameRequest;
    JudgedListener m_judgedListener;
    uint32_t m_routed = 0;
};
