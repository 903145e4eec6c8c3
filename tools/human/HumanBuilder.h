#pragma once

#include <string>

#include <glm/glm.hpp>

#include "human/HumanModel.h"

// One side of the figure: 'R' for its right, which is at negative x since
// the figure faces the viewer (-z), 'L' for its left at positive x.
struct HUMAN_SIDE {
    char letter = 'R';
    float x = -1.0f;
};

// Where the joints of an arm and its hand lie in the bind pose: arms hang
// a little away from the body, palms turned towards it, thumbs forward.
// Fingers are numbered from the thumb (1) to the little finger (5); the
// thumb has a base joint and a tip only.
struct ARM_LAYOUT {
    static constexpr int kFingers = 5;
    static constexpr int kJoints = 4;  // "_1", "_2", "_3", "_tip"
    glm::vec3 shoulder{0.0f}, elbow{0.0f}, wrist{0.0f};
    glm::vec3 along{0.0f};    // down the arm
    glm::vec3 forward{0.0f};  // where the thumb points to
    glm::vec3 inward{0.0f};   // out of the palm, towards the body
    glm::vec3 joints[kFingers][kJoints] = {};
    int jointCount[kFingers] = {};  // the tip is the last joint
    glm::vec3 nails[kFingers] = {};
    float fingerRadius[kFingers] = {};
};

struct LEG_LAYOUT {
    static constexpr int kToes = 5;  // from the big toe (1) outwards
    glm::vec3 hip{0.0f}, knee{0.0f}, ankle{0.0f}, heel{0.0f};
    glm::vec3 toeNails[kToes] = {};
};

struct EYE_LAYOUT {
    glm::vec3 centre{0.0f}, iris{0.0f}, pupil{0.0f}, upperLash{0.0f}, lowerLash{0.0f};
    float radius = 0.0f;
};

// Makes the figure: a parametric human 1.8 m tall standing on y = 0,
// facing -z, arms hanging. Its skeleton hangs from "Sitting" at the seat;
// the spine, neck and head bones ("Spine", "Chest", "Neck", "Head") join
// the joints the players move by name.
class CHumanBuilder {
public:
    // False with the first problem of the model in error.
    static bool Build(CHumanModel& model, std::string& error);

    // A name from a format with %c for the side and %d for a number.
    static std::string Name(const char* format, char side, int number = 0);
    static ARM_LAYOUT Arm(const HUMAN_SIDE& side);
    static LEG_LAYOUT Leg(const HUMAN_SIDE& side);
    static EYE_LAYOUT Eye(const HUMAN_SIDE& side);
    // The torso's half-width and half-depth at a height.
    static glm::vec2 TorsoRadii(float y);

private:
    static void AddSkeleton(CHumanModel& model);
    static void AddMaterials(CHumanModel& model);
    static void AddTorso(CHumanModel& model);
    static void AddHead(CHumanModel& model);
    static void AddFace(CHumanModel& model, const HUMAN_SIDE& side);
    static void AddArm(CHumanModel& model, const HUMAN_SIDE& side);
    static void AddHand(CHumanModel& model, const HUMAN_SIDE& side);
    static void AddLeg(CHumanModel& model, const HUMAN_SIDE& side);
    static void AddFoot(CHumanModel& model, const HUMAN_SIDE& side);
    static bool CheckBones(const CHumanModel& model, std::string& error);
};
