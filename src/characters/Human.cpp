#include "characters/Human.h"

#include <memory>

#include "characters/Arm.h"
#include "characters/Finger.h"
#include "characters/Leg.h"
#include "characters/Segment.h"
#include "scene/Shapes.h"
#include "theory/Note.h"

namespace {

constexpr int kRound = 12;
constexpr float kHeadHeight = 163.0f;
constexpr float kHeadRadius = 11.0f;

int SideIndex(int thing, int left, int right) {
    return thing == left ? 0 : thing == right ? 1 : -1;
}

std::unique_ptr<CPrimitive> Group(const char* name, CDirect3D* device, CVertexBuffer* buffer,
                                  const glm::vec3& origin) {
    auto group = std::make_unique<CPrimitive>(name, device, buffer);
    glm::mat4 frame(1.0f);
    frame[3] = glm::vec4(origin, 1.0f);
    group->SetFrame(frame);
    return group;
}

}  // namespace

CHuman::CHuman(const char* name, CDirect3D* device, CVertexBuffer* buffer)
    : CPrimitive(name, device, buffer) {}

CHuman::~CHuman() = default;

bool CHuman::Build(const LOOK& look) {
    CDirect3D* device = m_device;
    CVertexBuffer* buffer = m_buffer;
    const float hipY = kHipHeight;
    for (int i = 0; i < 2; ++i) {
        const float side = i == 0 ? -1.0f : 1.0f;
        m_legs[i] = static_cast<CLeg*>(AddChild(std::make_unique<CLeg>(
            i == 0 ? "Left leg" : "Right leg", device, buffer,
            glm::vec3(side * kHipWidth, hipY, 0.0f), look.trousers, look.shoes)));
    }
    CPrimitive* head = AddChild(Group("Head", device, buffer, glm::vec3(0.0f, kHeadHeight, 0.0f)));
    head->AddChild(CShapes::Cylinder("Neck", device, buffer, glm::vec3(0, kShoulderHeight, 0),
                                     glm::vec3(0, kHeadHeight - 6.0f, 0), 5.0f, kRound, look.skin));
    head->AddChild(CShapes::Sphere("Skull", device, buffer, glm::vec3(0, kHeadHeight, 0),
                                   kHeadRadius, kRound, look.skin));
    head->AddChild(CShapes::Sphere("Hair", device, buffer, glm::vec3(0, kHeadHeight + 3.0f, -2.5f),
                                   kHeadRadius * 0.95f, kRound, look.hair));
    head->AddChild(CShapes::Sphere(
        "Nose", device, buffer, glm::vec3(0, kHeadHeight - 1.0f, kHeadRadius), 1.8f, 6, look.skin));
    for (const float side : {1.0f, -1.0f}) {
        head->AddChild(CShapes::Sphere("Eye", device, buffer,
                                       glm::vec3(side * 4.0f, kHeadHeight + 2.5f, 9.5f), 1.5f, 6,
                                       0xFF181818));
    }
    for (int i = 0; i < 2; ++i) {
        const float side = i == 0 ? -1.0f : 1.0f;
        m_arms[i] = static_cast<CArm*>(AddChild(
            std::make_unique<CArm>(i == 0 ? "Left arm" : "Right arm", device, buffer,
                                   glm::vec3(side * kShoulderWidth, kShoulderHeight - 2.0f, 0.0f),
                                   side, look.shirt, look.skin)));
    }
    CPrimitive* pelvis = AddChild(Group("Pelvis", device, buffer, glm::vec3(0, hipY, 0)));
    pelvis->AddChild(CShapes::Box("Pelvis top", device, buffer, glm::vec3(0, hipY + 9.0f, 0),
                                  glm::vec3(30.0f, 6.0f, 17.0f), look.trousers));
    pelvis->AddChild(CShapes::Box("Pelvis middle", device, buffer, glm::vec3(0, hipY + 3.0f, 0),
                                  glm::vec3(32.0f, 6.0f, 18.0f), look.trousers));
    pelvis->AddChild(CShapes::Box("Pelvis bottom", device, buffer, glm::vec3(0, hipY - 2.0f, 0),
                                  glm::vec3(26.0f, 5.0f, 16.0f), look.trousers));
    CPrimitive* torso = AddChild(Group("Torso", device, buffer, glm::vec3(0, hipY + 12.0f, 0)));
    torso->AddChild(CShapes::Sphere("Root sphere", device, buffer, glm::vec3(0, hipY + 12.0f, 0),
                                    8.0f, kRound, look.shirt));
    torso->AddChild(CShapes::Box("Torso bottom", device, buffer, glm::vec3(0, hipY + 20.0f, 0),
                                 glm::vec3(29.0f, 14.0f, 17.0f), look.shirt));
    torso->AddChild(CShapes::Box("Chest", device, buffer, glm::vec3(0, hipY + 37.0f, 0),
                                 glm::vec3(34.0f, 22.0f, 20.0f), look.shirt));
    torso->AddChild(CShapes::Cylinder(
        "Shoulders", device, buffer, glm::vec3(kShoulderWidth, kShoulderHeight - 2.0f, 0),
        glm::vec3(-kShoulderWidth, kShoulderHeight - 2.0f, 0), 5.5f, kRound, look.shirt));
    return true;
}

CArm* CHuman::GetArm(int hand) const {
    const int i = SideIndex(hand, THING_LEFT_HAND, THING_RIGHT_HAND);
    return i < 0 ? nullptr : m_arms[i];
}

CLeg* CHuman::GetLeg(int foot) const {
    const int i = SideIndex(foot, THING_LEFT_FOOT, THING_RIGHT_FOOT);
    return i < 0 ? nullptr : m_legs[i];
}

bool CHuman::ReachHand(int hand, const glm::vec3& target) {
    CArm* arm = GetArm(hand);
    if (arm == nullptr) {
        return Fail(__LINE__, "Can't reach with hand %d of %s", hand, GetName());
    }
    return arm->Reach(target);
}

bool CHuman::ReachFinger(int hand, int finger, const glm::vec3& target) {
    CArm* arm = GetArm(hand);
    CFinger* limb = arm != nullptr ? arm->GetFinger(finger) : nullptr;
    if (limb == nullptr) {
        return Fail(__LINE__, "Can't reach with finger %d of hand %d of %s", finger, hand,
                    GetName());
    }
    return limb->Reach(target);
}

bool CHuman::ReachFoot(int foot, const glm::vec3& target) {
    CLeg* leg = GetLeg(foot);
    if (leg == nullptr) {
        return Fail(__LINE__, "Can't reach with foot %d of %s", foot, GetName());
    }
    return leg->Reach(target);
}

bool CHuman::ReachFingerToward(int hand, int finger, const glm::vec3& target) {
    return ReachFinger(hand, finger,
                       Within(GetFingerRoot(hand, finger), target, GetFingerReach(hand, finger)));
}

bool CHuman::ReachHandToward(int hand, const glm::vec3& target) {
    return ReachHand(hand, Within(GetShoulder(hand), target, GetArmReach(hand)));
}

glm::vec3 CHuman::Within(const glm::vec3& root, const glm::vec3& target, float reach) {
    constexpr float kStretch = 0.999f;
    const glm::vec3 d = target - root;
    const float distance = glm::length(d);
    return distance > reach * kStretch ? root + d * (reach * kStretch / distance) : target;
}

bool CHuman::ReachKnuckles(int hand, const glm::vec3& target) {
    // The hand turns with the forearm, so the wrist's place follows from
    // where the knuckles land: two corrections are enough by far.
    constexpr int kCorrections = 2;
    glm::vec3 wrist = target + (GetWrist(hand) - GetKnuckles(hand));
    bool ok = ReachHandToward(hand, wrist);
    for (int i = 0; ok && i < kCorrections; ++i) {
        wrist += target - GetKnuckles(hand);
        ok = ReachHandToward(hand, wrist);
    }
    return ok;
}

bool CHuman::SetBendHint(int limb, const glm::vec3& point) {
    CLimb* found = GetArm(limb);
    if (found == nullptr) {
        found = GetLeg(limb);
    }
    if (found == nullptr) {
        return Fail(__LINE__, "Can't bend limb %d of %s", limb, GetName());
    }
    found->SetBendHint(point);
    return true;
}

bool CHuman::Sit(float seatHeight) {
    // Everything goes down to the seat; then the feet go forward onto the
    // floor, the knees bending up and forward.
    const glm::vec3 down =
        ToWorld(glm::vec3(0, seatHeight - kHipHeight, 0)) - ToWorld(glm::vec3(0));
    for (int i = 0; i < GetChildCount(); ++i) {
        if (!GetChild(i)->MoveBy(down)) {
            return false;
        }
    }
    return PutFeetForward(seatHeight);
}

bool CHuman::PutFeetForward(float seatHeight) {
    bool ok = true;
    for (int i = 0; i < 2; ++i) {
        const float side = i == 0 ? -1.0f : 1.0f;
        const int foot = i == 0 ? THING_LEFT_FOOT : THING_RIGHT_FOOT;
        SetBendHint(foot, ToWorld(glm::vec3(side * kHipWidth, seatHeight + 40.0f, 80.0f)));
        ok = ReachFoot(foot, ToWorld(glm::vec3(side * (kHipWidth + 3.0f), 9.0f, 38.0f))) && ok;
    }
    return ok;
}

glm::vec3 CHuman::GetShoulder(int hand) const {
    const CArm* arm = GetArm(hand);
    return arm != nullptr ? arm->GetRoot() : GetOrigin();
}

glm::vec3 CHuman::GetWrist(int hand) const {
    const CArm* arm = GetArm(hand);
    return arm != nullptr ? arm->GetEnd() : GetOrigin();
}

glm::vec3 CHuman::GetFingerTip(int hand, int finger) const {
    const CArm* arm = GetArm(hand);
    const CFinger* limb = arm != nullptr ? arm->GetFinger(finger) : nullptr;
    return limb != nullptr ? limb->GetEnd() : GetOrigin();
}

glm::vec3 CHuman::GetKnuckles(int hand) const {
    const CArm* arm = GetArm(hand);
    if (arm == nullptr) {
        return GetOrigin();
    }
    return arm->GetEnd() + arm->GetLower()->GetDirection() * (CArm::kHandLength * GetScale());
}

glm::vec3 CHuman::GetFingerRoot(int hand, int finger) const {
    const CArm* arm = GetArm(hand);
    const CFinger* limb = arm != nullptr ? arm->GetFinger(finger) : nullptr;
    return limb != nullptr ? limb->GetRoot() : GetOrigin();
}

float CHuman::GetArmReach(int hand) const {
    const CArm* arm = GetArm(hand);
    return arm != nullptr ? arm->GetReach() : 0.0f;
}

float CHuman::GetFingerReach(int hand, int finger) const {
    const CArm* arm = GetArm(hand);
    const CFinger* limb = arm != nullptr ? arm->GetFinger(finger) : nullptr;
    return limb != nullptr ? limb->GetReach() : 0.0f;
}

glm::vec3 CHuman::GetAnkle(int foot) const {
    const CLeg* leg = GetLeg(foot);
    return leg != nullptr ? leg->GetEnd() : GetOrigin();
}

float CHuman::GetScale() const {
    return glm::length(glm::vec3(GetPlacement()[0]));
}
