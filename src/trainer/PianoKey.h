#pragma once

#include <cstdint>

#include <glm/glm.hpp>

#include "scene/Primitive.h"
#include "theory/Note.h"

class CTextLabels;

// The colours of a keyboard, in this order.
struct KEYBOARD_COLORS {
    uint32_t frame = 0xFF40321E;
    uint32_t frameEdge = 0xFF808080;
    uint32_t whiteKey = 0xFFFFFFFF;
    uint32_t blackKey = 0xFF404040;
    uint32_t nameText = 0xFF2A2A90;
    uint32_t keyMark = 0xFF40FF40;
    uint32_t keyLight = 0xFFFF4000;
    uint32_t blackNameText = 0xFFA8D0FF;
    uint32_t whiteLetter = 0xFF181818;
    uint32_t blackLetter = 0xFFF4F4F4;
};

// One key: its box, the "Note mark" of the expected key, the "Note
// highlight" of a pressed key, its "Note name" labels and the "Key letter"
// of the computer key that plays it. The key's origin is the middle of its
// front edge on the floor; it reaches back along +z. A pressed key is drawn
// with its top lower by kPressDepth, along its own down axis however the
// piano is turned, its floor staying where it is.
class CPianoKey : public CPrimitive {
public:
    static constexpr float kWhiteWidth = 2.0f;
    static constexpr float kBlackWidth = 1.0f;
    static constexpr float kPressDepth = 1.0f;

    CPianoKey(const CNote& note, CDirect3D* device, CVertexBuffer* buffer);

    // letter is the label text of the computer key (null for none); it is
    // hidden until ShowLetter.
    bool Build(const KEYBOARD_COLORS& colors, CTextLabels* labels, const char* letter = nullptr);
    bool IsBlack() const { return m_black; }
    float GetWidth() const { return m_black ? kBlackWidth : kWhiteWidth; }
    int GetMidiNote() const { return m_note.midiNote; }
    const CNote& GetNote() const { return m_note; }
    bool ShowMark(bool on);
    bool ShowHighlight(bool on);
    bool ShowNames(bool on);
    // False when the key has no letter.
    bool ShowLetter(bool on);
    bool ShowPressed(bool on);
    // Colours the key by how well its note is known (opaque ARGB), or puts
    // its own colour back; a black key takes a darker shade so that it
    // still reads as one.
    bool ShowAccuracy(uint32_t argb, bool on);
    bool IsAccuracyShown() const { return m_accuracyShown; }
    bool IsMarked() const { return m_mark != nullptr && m_mark->IsVisible(); }
    bool IsHighlighted() const { return m_highlight != nullptr && m_highlight->IsVisible(); }
    bool IsLetterShown() const { return m_letter != nullptr && m_letter->IsVisible(); }
    bool IsPressed() const { return m_pressed; }
    bool IsLit() const { return m_highlight != nullptr && m_highlight->IsVisible(); }
    // How far a press moves the key's top, in the coordinates it is drawn in.
    const glm::vec3& GetPressDrop() const { return m_pressDrop; }
    // The drawing transform of a pressed key's box: heights above its floor
    // shrunk so that the top is lower by the drop.
    glm::mat4 GetSquash() const;

protected:
    void OnRewrite(const glm::mat4& matrix) override;

private:
    void AddNames(const KEYBOARD_COLORS& colors, CTextLabels& labels, float top);
    void AddLetter(const KEYBOARD_COLORS& colors, CTextLabels& labels, const char* letter,
                   float top);

    CNote m_note;
    bool m_black;
    bool m_pressed = false;
    bool m_accuracyShown = false;
    glm::vec3 m_pressDrop{0.0f, -kPressDepth, 0.0f};
    CPrimitive* m_box = nullptr;
    CPrimitive* m_mark = nullptr;
    CPrimitive* m_markRim = nullptr;  // drawn under the mark
    CPrimitive* m_highlight = nullptr;
    CPrimitive* m_names[2] = {nullptr, nullptr};
    CPrimitive* m_letter = nullptr;
};
