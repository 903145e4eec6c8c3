#pragma once

#include <cstdint>
#include <vector>

#include "trainer/PianoKey.h"

class CNoteManager;
class CTextLabels;

// A keyboard of 60 keys from firstNote, centred on its origin, with the
// case "Main body" behind the keys. The front of the keys faces -z.
class CPiano : public CPrimitive {
public:
    static constexpr int kKeyCount = 60;

    CPiano(const char* name, CDirect3D* device, CVertexBuffer* buffer);

    void SetColors(const KEYBOARD_COLORS& colors) { m_colors = colors; }
    bool Build(int firstNote, CNoteManager& noteManager, CTextLabels* labels);
    // Both refuse notes outside the keys with false, changing nothing.
    bool MarkKey(int midiNote, bool on);
    bool PressKey(int midiNote, bool on);
    bool ShowNames(bool on);

    CPianoKey* GetKey(int midiNote) const;
    int GetFirstNote() const { return m_firstNote; }
    int GetEndNote() const { return m_endNote; }
    float GetKeysWidth() const { return m_keysWidth; }
    float GetKeyHeight() const { return m_keyHeight; }

private:
    std::vector<CPianoKey*> m_keys;
    int m_firstNote = 36;
    int m_endNote = 96;
    KEYBOARD_COLORS m_colors;
    float m_keysWidth = 0.0f;
    float m_keyHeight = 3.5f;
    CPrimitive* m_body = nullptr;
};
