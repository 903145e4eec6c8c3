#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Payload.h"
#include "theory/NoteSubscriber.h"

// The note road: every played note of every input passes through here, on
// the user-interface thread, in one direction. Each input turns what it got
// into a NOTE_EVENT at its edge (already in the octave it sounds, stamped
// with the time the sound began); the router hands it to its subscribers in
// the order of their stages, and then asks for a frame at once so that the
// learner sees the verdict without waiting for the next frame step. Inputs
// on other threads post their notes to the main window as kNoteMessage with
// a NOTE_EVENT payload. Adding a subscriber touches no other.
class CNoteRouter {
public:
    CNoteRouter() = default;
    CNoteRouter(const CNoteRouter&) = delete;
    CNoteRouter& operator=(const CNoteRouter&) = delete;

    // subscriber must stay until it is unsubscribed or the router goes.
    void Subscribe(ROAD_STAGE stage, INoteSubscriber& subscriber);
    void Unsubscribe(INoteSubscriber& subscriber);
    void SetFrameRequest(std::function<void()> request) { m_frameRequest = std::move(request); }

    // Routes one note; false for an event that is no note, or that a
    // subscriber stopped.
    bool Route(const NOTE_EVENT& event);
    // Routes the note of a posted kNoteMessage; its payload is deleted here,
    // also when it carries no note.
    bool Route(std::unique_ptr<IPayload> payload);

    // The verdict on the last note routed.
    NOTE_VERDICT GetLastVerdict() const { return m_lastVerdict; }
    uint32_t GetRoutedCount() const { return m_routed; }

private:
    struct STOP {
        ROAD_STAGE stage;
        INoteSubscriber* subscriber;
    };

    std::vector<STOP> m_stops;  // ordered by stage, then by subscription
    std::function<void()> m_frameRequest;
    NOTE_VERDICT m_lastVerdict = NOTE_VERDICT::kIgnored;
    uint32_t m_routed = 0;
};
