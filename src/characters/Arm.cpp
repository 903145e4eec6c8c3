#include "characters/Arm.h"

#include <memory>

#include "characters/Finger.h"
#include "characters/Segment.h"
#include "scene/Shapes.h"

namespace {

constexpr const char* kTrace = "############## Can't reach the hand point\n";
constexpr int kRound = 10;
constexpr float kUpperRadius = 4.5f;
constexpr float kLowerRadius = 3.6f;
const glm::vec3 kDown(0.0f, -1.0f, 0.0f);

}  // namespace

CArm::CArm(const char* name, CDirect3D* device, CVertexBuffer* buffer, const glm::vec3& shoulder,
           float side, uint32_t sleeve, uint32_t skin)
    : CLimb(name, device, buffer, kTrace) {
    MakeSegments("Arm part", "Arm part", shoulder, kDown, kUpperLength, kLowerLength);
    CSegment* upper = GetUpper();
    CSegment* lower = GetLower();
    const glm::vec3 elbow = upper->GetEnd();
    const glm::vec3 wrist = lower->GetEnd();
    upper->AddChild(
        CShapes::Sphere("Shoulder joint", device, buffer, shoulder, kUpperRadius, kRound, sleeve));
    upper->AddChild(CShapes::Cylinder("Upper arm", device, buffer, shoulder, elbow, kUpperRadius,
                                      kRound, sleeve));
    lower->AddChild(
        CShapes::Sphere("Elbow joint", device, buffer, elbow, kLowerRadius, kRound, skin));
    lower->AddChild(
        CShapes::Cylinder("Forearm", device, buffer, elbow, wrist, kLowerRadius, kRound, skin));
    // The hand: palm towards the body, the fingers hanging on from it.
    const glm::vec3 palm = wrist + kDown * (kHandLength * 0.5f);
    m_hand = lower->AddChild(
        CShapes::Box("Hand", device, buffer, palm, glm::vec3(2.4f, kHandLength, 8.0f), skin));
    const glm::vec3 knuckles = wrist + kDown * kHandLength;
    for (int i = 0; i < kFingers; ++i) {
        const bool thumb = i == 0;
        // Fingers side by side across the palm, the index finger in front
        // (the figure faces +z), the thumb before them and out of the palm.
        const float across = 3.0f - (i - 1) * 2.0f;
        const glm::vec3 root = thumb ? wrist + glm::vec3(-side * 1.5f, -3.0f, 4.5f)
                                     : knuckles + glm::vec3(0, 0, across);
        CCharString fingerName;
        fingerName.Format("Finger %d", i + 1);
        m_fingers[i] = static_cast<CFinger*>(m_hand->AddChild(std::make_unique<CFinger>(
            fingerName, device, buffer, root, thumb ? glm::vec3(0.0f, -1.0f, 0.6f) : kDown,
            thumb ? 0.85f : 1.0f, skin)));
    }
}

CFinger* CArm::GetFinger(int finger) const {
    return finger >= 1 && finger <= kFingers ? m_fingers[finger - 1] : nullptr;
}
