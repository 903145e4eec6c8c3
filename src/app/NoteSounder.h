#pragma once

#include <functional>

#include "theory/NoteSubscriber.h"

class CMidiKeyboard;
class CSound;

// The note road's sounder: plays what the rules say is heard. Only the
// computer keyboard's notes sound, on the keyboard's instrument with the
// mix's volume and pan; a MIDI keyboard and the microphone make their own
// sound. Every note goes on.
class CNoteSounder : public INoteSubscriber {
public:
    static constexpr const char* kSource = "NoteSounder";
    // The sound engine when it is open, else null.
    using SoundGetter = std::function<CSound*()>;

    // keyboard must outlive the sounder.
    CNoteSounder(const CMidiKeyboard& keyboard, SoundGetter sound);

    bool OnNote(ROUTED_NOTE& note) override;

private:
    const CMidiKeyboard& m_keyboard;
    SoundGetter m_sound;
};
