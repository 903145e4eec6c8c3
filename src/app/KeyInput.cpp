#include "app/KeyInput.h"

#include <cctype>

#include "midi/MidiKeyboard.h"
#include "platform/Clock.h"
#include "platform/GlDevice.h"
#include "theory/NoteRouter.h"

CKeyInput::CKeyInput(const CMidiKeyboard& keyboard, CNoteRouter& router, ShiftGetter shift)
    : m_keyboard(keyboard), m_router(router), m_shift(std::move(shift)) {
    m_sounding.fill(kNoNote);
}

int CKeyInput::IndexOf(char key) {
    return std::toupper(static_cast<unsigned char>(key));
}

int CKeyInput::GetSounding(char key) const {
    return m_sounding[static_cast<size_t>(IndexOf(key))];
}

bool CKeyInput::OnKey(const KEY_EVENT& key) {
    if (key.character == 0 || (key.flags & (kFlagControl | kFlagAlt)) != 0) {
        return false;
    }
    const int instrument = m_keyboard.GetInstrument();
    const int mapped = CMidiKeyboard::MapKey(key.character, instrument);
    if (mapped == 0) {
        return false;
    }
    const double arrival = Platform::GetClock().GetSeconds();
    int& sounding = m_sounding[static_cast<size_t>(IndexOf(key.character))];
    // A held key repeats its press; only the first press and the release
    // are notes.
    if (key.repeat || (key.down && sounding != kNoNote) || (!key.down && sounding == kNoNote)) {
        return true;
    }
    CNote made;
    if (!(key.down ? m_keyboard.KeyDown(key.character, false, made)
                   : m_keyboard.KeyUp(key.character, made))) {
        return true;
    }
    int note = sounding;
    if (key.down) {
        // A drum key names its piece; the melodic keys move with the lesson.
        const int shift = instrument == THING_DRUM_SET || !m_shift ? 0 : m_shift();
        note = mapped + shift;
        if (note < 0 || note > kMaxNote) {
            return true;
        }
        sounding = note;
    } else {
        sounding = kNoNote;
    }
    m_router.Route(
        NOTE_EVENT::Make(note, key.down, made.volume, SOURCE_COMPUTER_KEYBOARD, arrival));
    return true;
}
