#include "capture/DetectorPoster.h"

#include <memory>

#include "platform/Clock.h"
#include "theory/NoteEvent.h"

void CDetectorPoster::OnNote(const CNote& note, double clockTime) {
    const bool on = note.eventKind == EVENT_NOTE_START;
    // Stamped with when the sound began, not when it was recognised: the
    // learner's reaction ends when they played.
    auto event = std::make_unique<NOTE_EVENT>(NOTE_EVENT::Make(
        note.midiNote, on, on ? note.volume : 0.0f, SOURCE_SOUND_DETECTOR, clockTime));
    m_loop.Post(m_window, kNoteMessage, MakePayload(std::move(event)));
    if (!on) {
        OnPitch(0.0, clockTime);  // the tuner readout goes with the note
    }
}

void CDetectorPoster::OnPitch(double frequency, double /*clockTime*/) {
    auto pitch = std::make_unique<SOUND_PITCH>();
    pitch->frequency = frequency;
    m_loop.Post(m_window, kPitchMessage, MakePayload(std::move(pitch)));
}

void CDetectorPoster::OnLevel(const CNote& level) {
    auto update = std::make_unique<SOUND_LEVEL>();
    update->volume = level.volume;
    update->arrival = Platform::GetClock().GetSeconds();
    m_loop.Post(m_window, kLevelMessage, MakePayload(std::move(update)));
}
