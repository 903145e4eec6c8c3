#pragma once

#include <cstdint>

#include "scene/Primitive.h"
#include "theory/Note.h"

class CTextLabels;

// The colours of a keyboard, in this order.
struct KEYBOARD_COLORS {
    uint32_t frame = 0xFF40321E;
    uint32_t frameEdge = 0xFF808080;
    uint32_t whiteKey = 0xFFFFFFFF;
    uint32_t blackKey = 0xFF404040;
    uint32_t nameText = 0xFF4040C0;
    uint32_t keyMark = 0xFF40FF40;
    uint32_t keyLight = 0xFFFF4000;
};

// One key: its box, the "Note mark" of the expected key, the "Note
// highlight" of a pressed key and its "Note name" labels. The key's origin
// is the middle of its front edge on the floor; it reaches back along +z.
class CPianoKey : public CPrimitive {
public:
    static constexpr float kWhiteWidth = 2.0f;
    static constexpr float kBlackWidth = 1.0f;

    CPianoKey(const CNote& note, CDirect3D* device, CVertexBuffer* buffer);

    bool Build(const KEYBOARD_COLORS& colors, CTextLabels* labels);
    bool IsBlack() const { return m_black; }
    float GetWidth() const { return m_black ? kBlackWidth : kWhiteWidth; }
    int GetMidiNote() const { return m_note.midiNote; }
    const CNote& GetNote() const { return m_note; }
    bool ShowMark(bool on);
    bool ShowHighlight(bool on);
    bool ShowNames(bool on);
    bool IsMarked() const { return m_mark != nullptr && m_mark->IsVisible(); }
    bool IsHighlighted() const { return m_highlight != nullptr && m_highlight->IsVisible(); }

private:
    CNote m_note;
    bool m_black;
    CPrimitive* m_mark = nullptr;
    CPrimitive* m_highlight = nullptr;
    CPrimitive* m_names[2] = {nullptr, nullptr};
};
