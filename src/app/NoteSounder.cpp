#include "app/NoteSounder.h"

#include "audio/Sound.h"
#include "foundation/ErrorReport.h"
#include "midi/MidiKeyboard.h"

CNoteSounder::CNoteSounder(const CMidiKeyboard& keyboard, SoundGetter sound)
    : m_keyboard(keyboard), m_sound(std::move(sound)) {}

bool CNoteSounder::OnNote(ROUTED_NOTE& routed) {
    const NOTE_EVENT& event = routed.event;
    CSound* sound = m_sound ? m_sound() : nullptr;
    if (event.source != SOURCE_COMPUTER_KEYBOARD || sound == nullptr || !sound->IsReady()) {
        return true;
    }
    CNote note;
    m_keyboard.MakeSoundingNote(event.note, event.IsOn(), note);
    if (!sound->PlayNote(note) && event.IsOn()) {
        ReportError(kSource, __LINE__, "Can't play note %d: %s", event.note, sound->GetError());
    }
    return true;
}
