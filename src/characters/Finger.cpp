#include "characters/Finger.h"

#include "characters/Segment.h"
#include "scene/Shapes.h"

namespace {

constexpr const char* kTrace = "############## Can't reach the finger point\n";
constexpr int kRound = 6;
constexpr float kRadius = 0.8f;

}  // namespace

CFinger::CFinger(const char* name, CDirect3D* device, CVertexBuffer* buffer, const glm::vec3& root,
                 const glm::vec3& direction, float scale, uint32_t skin)
    : CLimb(name, device, buffer, kTrace) {
    const glm::vec3 along = glm::normalize(direction);
    MakeSegments("Phalange 1", "Phalange 2", root, along, kFirst * scale, kSecond * scale);
    CSegment* first = GetUpper();
    CSegment* second = GetLower();
    first->AddChild(CShapes::Cylinder("Phalange 1", device, buffer, first->GetRoot(),
                                      first->GetEnd(), kRadius, kRound, skin));
    second->AddChild(CShapes::Cylinder("Phalange 2", device, buffer, second->GetRoot(),
                                       second->GetEnd(), kRadius * 0.9f, kRound, skin));
    const glm::vec3 tip = second->GetEnd() + along * (kThird * scale);
    second->AddChild(CShapes::Cylinder("Phalange 3", device, buffer, second->GetEnd(), tip,
                                       kRadius * 0.8f, kRound, skin));
}
