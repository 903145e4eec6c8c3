#pragma once

#include <cstdint>

#include <glm/glm.hpp>

#include "scene/Primitive.h"

class CArm;
class CLeg;

// A human figure built from primitives. Its parts are children made in
// this order: "Left leg" and "Right leg" (hung from the pelvis), "Head",
// "Left arm" and "Right arm" (hung from the shoulders), "Pelvis" and
// "Torso". The figure is built in centimetres standing on the floor at its
// origin, facing +z, its left side on -x; where it stands later follows
// from its placement. Players move it only through the limb operations,
// which a skinned figure implements on its bones.
class CHuman : public CPrimitive {
public:
    // The colours a player dresses its figure in.
    struct LOOK {
        uint32_t skin = 0xFFE0B090;
        uint32_t shirt = 0xFF3060A0;
        uint32_t trousers = 0xFF303848;
        uint32_t shoes = 0xFF202020;
        uint32_t hair = 0xFF402810;
    };

    static constexpr float kHipHeight = 93.0f;
    static constexpr float kShoulderHeight = 146.0f;
    static constexpr float kShoulderWidth = 19.0f;
    static constexpr float kHipWidth = 9.0f;

    CHuman(const char* name, CDirect3D* device, CVertexBuffer* buffer);
    ~CHuman() override;

    virtual bool Build(const LOOK& look);

    // The limb operations. hand is THING_LEFT_HAND or THING_RIGHT_HAND,
    // foot THING_LEFT_FOOT or THING_RIGHT_FOOT, finger 1 (thumb) to 5;
    // targets are scene points. An unreachable target leaves the limb as
    // it was and returns false.
    virtual bool ReachHand(int hand, const glm::vec3& target);
    virtual bool ReachFinger(int hand, int finger, const glm::vec3& target);
    virtual bool ReachFoot(int foot, const glm::vec3& target);
    // Reaches for target, or as near as the finger goes when it lies
    // beyond: a finger that waits over a far fret stretches towards it.
    bool ReachFingerToward(int hand, int finger, const glm::vec3& target);
    // Reaches for target, or as far towards it as the arm goes: a player's
    // hand that follows a stroke never asks beyond its arm.
    bool ReachHandToward(int hand, const glm::vec3& target);
    // Places the hand so that its knuckles, not the wrist, meet target:
    // where a hand goes whose fingers must reach on from there.
    bool ReachKnuckles(int hand, const glm::vec3& target);
    // The point the elbow or knee bends towards from now on.
    virtual bool SetBendHint(int limb, const glm::vec3& point);
    // Lowers the body onto a seat seatHeight above the floor (built
    // centimetres) with the feet put forward on the floor.
    virtual bool Sit(float seatHeight);
    virtual glm::vec3 GetShoulder(int hand) const;
    virtual glm::vec3 GetWrist(int hand) const;
    virtual glm::vec3 GetFingerTip(int hand, int finger) const;
    virtual glm::vec3 GetKnuckles(int hand) const;
    // Where a finger's first joint is and how far its end reaches from there.
    virtual glm::vec3 GetFingerRoot(int hand, int finger) const;
    virtual float GetFingerReach(int hand, int finger) const;
    virtual float GetArmReach(int hand) const;
    virtual glm::vec3 GetAnkle(int foot) const;
    virtual float GetScale() const;

    CArm* GetArm(int hand) const;
    CLeg* GetLeg(int foot) const;

protected:
    // Sets both feet forward on the floor before a seat seatHeight high,
    // the knees bending up and forward.
    bool PutFeetForward(float seatHeight);
    // target, or the point towards it at reach from root.
    static glm::vec3 Within(const glm::vec3& root, const glm::vec3& target, float reach);

    CArm* m_arms[2] = {};  // left, right
    CLeg* m_legs[2] = {};
};
