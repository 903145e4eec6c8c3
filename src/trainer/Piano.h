#pragma once

#include <cstdint>
#include <vector>

#include "exercise/PracticeRecords.h"
#include "foundation/CharString.h"
#include "trainer/PianoKey.h"

class CNoteManager;
class CTextLabels;

// A keyboard of 60 keys from firstNote, centred on its origin, with the
// case "Main body" behind the keys. The front of the keys faces -z. Keys
// show the letters of the computer keys that play them, where those keys
// play in the running lesson.
class CPiano : public CPrimitive {
public:
    static constexpr int kKeyCount = 60;
    // The computer keyboard plays the piano's layout on the keys.
    static constexpr int kLetterInstrument = THING_KEYBOARD;

    CPiano(const char* name, CDirect3D* device, CVertexBuffer* buffer);

    void SetColors(const KEYBOARD_COLORS& colors) { m_colors = colors; }
    bool Build(int firstNote, CNoteManager& noteManager, CTextLabels* labels);
    // Both refuse notes outside the keys with false, changing nothing.
    bool MarkKey(int midiNote, bool on);
    bool PressKey(int midiNote, bool on);
    bool ShowNames(bool on);
    // Colours each key whose note stats holds by its share of right answers
    // at the first try, red through yellow to green; keys never practised
    // keep their colour. Off gives every key its own colour back.
    bool ShowAccuracy(const std::vector<PRACTICE_NOTE_STATS>& stats, bool on);
    // Shows the letters on the keys that the computer keys play when their
    // notes move by keyShift semitones, and hides the others.
    bool ShowLetters(int keyShift);
    // Turns the letters off altogether (a hint the learner may not want) or
    // back on for the shift last given.
    void SetLettersShown(bool on);

    // The upper-case character of the computer key that plays the note name
    // of midiNote in some octave, as text; empty when none does.
    static CCharString GetLetter(int midiNote);

    CPianoKey* GetKey(int midiNote) const;
    int GetFirstNote() const { return m_firstNote; }
    int GetEndNote() const { return m_endNote; }
    float GetKeysWidth() const { return m_keysWidth; }
    float GetKeyHeight() const { return m_keyHeight; }
    int GetKeyShift() const { return m_keyShift; }

private:
    std::vector<CPianoKey*> m_keys;
    int m_firstNote = 36;
    int m_endNote = 96;
    int m_keyShift = 0;
    KEYBOARD_COLORS m_colors;
    float m_keysWidth = 0.0f;
    float m_keyHeight = 3.5f;
    CPrimitive* m_body = nullptr;
    bool m_lettersShown = true;
};
