#pragma once

#include <array>
#include <functional>

struct KEY_EVENT;
class CMidiKeyboard;
class CNoteRouter;

// The computer keyboard as a note input: a note key becomes a NOTE_EVENT at
// once, in the octave it plays in the lesson, and takes the note road. The
// lesson moves the keys by whole octaves (the shift); the shift is applied
// here and only here, and a key's release ends the note its press started
// even when the lesson changed in between.
class CKeyInput {
public:
    // Semitones the keys move by in the running lesson.
    using ShiftGetter = std::function<int()>;

    // keyboard and router must outlive the input.
    CKeyInput(const CMidiKeyboard& keyboard, CNoteRouter& router, ShiftGetter shift);

    // True when key is a note key of the keyboard's instrument (also a
    // repeat, which plays nothing); a key with Ctrl or Alt is never one.
    bool OnKey(const KEY_EVENT& key);
    // The note a held key plays, or -1 when the key is up.
    int GetSounding(char key) const;

private:
    static constexpr int kNoNote = -1;
    static constexpr int kMaxNote = 127;

    static int IndexOf(char key);

    const CMidiKeyboard& m_keyboard;
    CNoteRouter& m_router;
    ShiftGetter m_shift;
    std::array<int, 256> m_sounding;  // by upper-case character
};
