#pragma once

#include <glm/glm.hpp>

#include "scene/Primitive.h"

// A stage piano of 61 keys (C2 to C7) on its stand, before a seated
// pianist. Built in the pianist's frame (centimetres, facing +z); keys
// go down while their notes sound.
class CStagePiano : public CPrimitive {
public:
    static constexpr int kLowest = 36;
    static constexpr int kHighest = 96;
    static constexpr float kKeyHeight = 74.0f;

    CStagePiano(CDirect3D* device, CVertexBuffer* buffer);

    bool Build();
    bool HasKey(int midiNote) const { return midiNote >= kLowest && midiNote <= kHighest; }
    // Where a finger presses the key, and a point height above it.
    glm::vec3 GetKeyPoint(int midiNote, float height) const;
    // Sets a key down or up; false for a note without a key.
    bool PressKey(int midiNote, bool down);
    bool IsKeyDown(int midiNote) const;
    // The position of the note's key counted in white keys from the
    // middle of the keyboard.
    static float WhitePosition(int midiNote);

private:
    CPrimitive* m_keys[kHighest - kLowest + 1] = {};
    bool m_down[kHighest - kLowest + 1] = {};
};
