#pragma once

#include <glm/glm.hpp>

#include "characters/Limb.h"

// A leg hung from its hip: "Leg part" for the thigh and the shin, and the
// foot at the ankle, its toes to the front (+z). Built standing straight.
class CLeg : public CLimb {
public:
    static constexpr float kUpperLength = 44.0f;
    static constexpr float kLowerLength = 43.0f;

    CLeg(const char* name, CDirect3D* device, CVertexBuffer* buffer, const glm::vec3& hip,
         uint32_t trousers, uint32_t shoe);

    CPrimitive* GetFoot() const { return m_foot; }

private:
    CPrimitive* m_foot = nullptr;
};
