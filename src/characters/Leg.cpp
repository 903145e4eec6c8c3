#include "characters/Leg.h"

#include "characters/Segment.h"
#include "scene/Shapes.h"

namespace {

constexpr const char* kTrace = "############## Can't reach the foot point\n";
constexpr int kRound = 10;
constexpr float kThigh = 6.5f;
constexpr float kShin = 5.0f;
const glm::vec3 kDown(0.0f, -1.0f, 0.0f);

}  // namespace

CLeg::CLeg(const char* name, CDirect3D* device, CVertexBuffer* buffer, const glm::vec3& hip,
           uint32_t trousers, uint32_t shoe)
    : CLimb(name, device, buffer, kTrace) {
    MakeSegments("Leg part", "Leg part", hip, kDown, kUpperLength, kLowerLength);
    CSegment* upper = GetUpper();
    CSegment* lower = GetLower();
    const glm::vec3 knee = upper->GetEnd();
    const glm::vec3 ankle = lower->GetEnd();
    upper->AddChild(CShapes::Sphere("Hip joint", device, buffer, hip, kThigh, kRound, trousers));
    upper->AddChild(
        CShapes::Cylinder("Thigh", device, buffer, hip, knee, kThigh, kRound, trousers));
    lower->AddChild(CShapes::Sphere("Knee joint", device, buffer, knee, kShin, kRound, trousers));
    lower->AddChild(
        CShapes::Cylinder("Shin", device, buffer, knee, ankle, kShin, kRound, trousers));
    // The foot lies on the floor under the ankle, reaching forward.
    m_foot = lower->AddChild(CShapes::Box("Foot", device, buffer, ankle + glm::vec3(0, -3.0f, 6.0f),
                                          glm::vec3(9.0f, 6.0f, 25.0f), shoe));
}
