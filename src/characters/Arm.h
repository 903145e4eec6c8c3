#pragma once

#include <glm/glm.hpp>

#include "characters/Limb.h"

class CFinger;

// An arm hung from its shoulder: "Arm part" for the upper arm and the
// forearm, a "Hand" at the wrist and five fingers on the hand, the thumb
// first. Built hanging down, the palm towards the body.
class CArm : public CLimb {
public:
    static constexpr int kFingers = 5;
    static constexpr float kUpperLength = 30.0f;
    static constexpr float kLowerLength = 27.0f;
    static constexpr float kHandLength = 9.0f;

    // side is -1 for the left arm (on the figure's -x side), +1 for the right.
    CArm(const char* name, CDirect3D* device, CVertexBuffer* buffer, const glm::vec3& shoulder,
         float side, uint32_t sleeve, uint32_t skin);

    CPrimitive* GetHand() const { return m_hand; }
    // finger 1 is the thumb, 5 the little finger; null outside 1..5.
    CFinger* GetFinger(int finger) const;

private:
    CPrimitive* m_hand = nullptr;
    CFinger* m_fingers[kFingers] = {};
};
