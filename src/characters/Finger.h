#pragma once

#include <glm/glm.hpp>

#include "characters/Limb.h"

// A finger of three phalanges ("Phalange 1" to "Phalange 3"): the first
// two are the limb's segments, the third hangs from the second, so that
// reaching places the second joint and the tip follows.
class CFinger : public CLimb {
public:
    static constexpr float kFirst = 4.2f;
    static constexpr float kSecond = 2.8f;
    static constexpr float kThird = 2.0f;

    // scale shortens the thumb; the finger is built along direction.
    CFinger(const char* name, CDirect3D* device, CVertexBuffer* buffer, const glm::vec3& root,
            const glm::vec3& direction, float scale, uint32_t skin);
};
