// The figure's skeleton and materials, and where its joints lie.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include <glm/gtc/constants.hpp>

#include "human/HumanBuilder.h"

namespace {

// Heights of the trunk's joints, in metres above the floor.
constexpr float kSeatHeight = 0.95f;
constexpr float kSpineHeight = 1.08f;
constexpr float kChestHeight = 1.27f;
constexpr float kNeckHeight = 1.50f;
constexpr float kHeadHeight = 1.60f;

// The arm.
constexpr float kShoulderWidth = 0.185f;  // from the middle
constexpr float kShoulderHeight = 1.44f;
constexpr float kArmSpread = 12.0f;  // degrees away from hanging straight down
constexpr float kUpperArm = 0.28f;
constexpr float kForearm = 0.25f;
constexpr float kPalm = 0.095f;  // wrist to knuckles

// The fingers from the index (2) to the little finger (5): where they sit
// across the palm, how they spread, their three lengths and thickness.
constexpr float kFingerPlace[4] = {0.030f, 0.010f, -0.010f, -0.029f};
constexpr float kFingerSpread[4] = {0.10f, 0.03f, -0.03f, -0.10f};
constexpr float kFingerLengths[4][3] = {{0.045f, 0.027f, 0.021f},
                                        {0.049f, 0.030f, 0.023f},
                                        {0.046f, 0.028f, 0.022f},
                                        {0.036f, 0.022f, 0.019f}};
constexpr float kFingerRadius[4] = {0.0090f, 0.0093f, 0.0088f, 0.0078f};
constexpr float kThumbLength = 0.07f;
constexpr float kThumbRadius = 0.0105f;
constexpr float kNailPlace = 0.55f;  // of the last segment, from its joint

// The leg.
constexpr float kHipWidth = 0.09f;
constexpr float kHipHeight = 0.92f;
constexpr float kKneeHeight = 0.50f;
constexpr float kAnkleHeight = 0.085f;
constexpr float kHeelBack = 0.05f;     // behind the ankle (+z)
constexpr float kToeFront = -0.205f;   // the big toe's nail
constexpr float kToeStep = 0.014f;     // across the foot
constexpr float kToeShorter = 0.012f;  // each toe outwards
constexpr float kToeNailHeight = 0.044f;

// The eyes.
constexpr float kEyeWidth = 0.032f;
constexpr float kEyeHeight = 1.695f;
constexpr float kEyeDepth = -0.081f;
constexpr float kEyeRadius = 0.0125f;

// The torso's half-width and half-depth at heights from the crotch up.
struct TORSO_ROW {
    float y, rx, rz;
};
constexpr TORSO_ROW kTorso[] = {
    {0.86f, 0.120f, 0.095f}, {0.90f, 0.155f, 0.105f}, {0.95f, 0.170f, 0.110f},
    {1.00f, 0.160f, 0.105f}, {1.05f, 0.148f, 0.100f}, {1.10f, 0.142f, 0.098f},
    {1.15f, 0.145f, 0.100f}, {1.20f, 0.152f, 0.105f}, {1.25f, 0.160f, 0.110f},
    {1.30f, 0.166f, 0.112f}, {1.35f, 0.170f, 0.110f}, {1.40f, 0.170f, 0.100f},
    {1.44f, 0.160f, 0.085f}, {1.47f, 0.120f, 0.070f}, {1.49f, 0.070f, 0.055f}};

struct COLOUR {
    const char* name;
    float r, g, b;
    float power;  // specular exponent, 0 for a dull surface
};
constexpr COLOUR kColours[] = {
    {"Body", 0.87f, 0.68f, 0.55f, 20.0f},        {"Lips_color", 0.74f, 0.36f, 0.36f, 30.0f},
    {"Hair", 0.26f, 0.16f, 0.08f, 0.0f},         {"Pants", 0.16f, 0.21f, 0.45f, 0.0f},
    {"R_Foot", 0.87f, 0.68f, 0.55f, 0.0f},       {"L_Foot", 0.87f, 0.68f, 0.55f, 0.0f},
    {"R_Shoe", 0.13f, 0.09f, 0.07f, 40.0f},      {"L_Shoe", 0.13f, 0.09f, 0.07f, 40.0f},
    {"R_Nippel", 0.70f, 0.42f, 0.38f, 0.0f},     {"L_Nippel", 0.70f, 0.42f, 0.38f, 0.0f},
    {"Upper_teeth", 0.95f, 0.93f, 0.85f, 50.0f}, {"Lower_teeth", 0.95f, 0.93f, 0.85f, 50.0f},
    {"Upper_gum", 0.85f, 0.45f, 0.45f, 0.0f},    {"Lower_gum", 0.85f, 0.45f, 0.45f, 0.0f},
    {"Tongue", 0.85f, 0.40f, 0.40f, 20.0f}};
constexpr COLOUR kSideColours[] = {{"%c_Upper_eyelid_edge", 0.80f, 0.52f, 0.46f, 0.0f},
                                   {"%c_Lower_eyelid_edge", 0.80f, 0.52f, 0.46f, 0.0f},
                                   {"%c_Sclera", 0.95f, 0.95f, 0.93f, 60.0f},
                                   {"%c_Iris", 0.22f, 0.42f, 0.70f, 60.0f},
                                   {"%c_Pupil", 0.02f, 0.02f, 0.02f, 60.0f},
                                   {"%c_Upper_eyelash", 0.10f, 0.07f, 0.05f, 0.0f},
                                   {"%c_Lower_eyelash", 0.10f, 0.07f, 0.05f, 0.0f}};
constexpr COLOUR kNail = {"", 0.95f, 0.80f, 0.76f, 40.0f};
constexpr float kSpecular = 0.25f;
constexpr HUMAN_SIDE kSides[] = {{'R', -1.0f}, {'L', 1.0f}};

}  // namespace

std::string CHumanBuilder::Name(const char* format, char side, int number) {
    std::string name;
    for (const char* p = format; *p != '\0'; ++p) {
        if (p[0] == '%' && p[1] == 'c') {
            name += side;
            ++p;
        } else if (p[0] == '%' && p[1] == 'd') {
            name += std::to_string(number);
            ++p;
        } else {
            name += *p;
        }
    }
    return name;
}

ARM_LAYOUT CHumanBuilder::Arm(const HUMAN_SIDE& side) {
    ARM_LAYOUT arm;
    const float spread = glm::radians(kArmSpread);
    arm.along = glm::vec3(side.x * std::sin(spread), -std::cos(spread), 0.0f);
    arm.forward = glm::vec3(0.0f, 0.0f, -1.0f);
    arm.inward = glm::normalize(-side.x * glm::cross(arm.along, arm.forward));
    arm.shoulder = glm::vec3(side.x * kShoulderWidth, kShoulderHeight, 0.0f);
    arm.elbow = arm.shoulder + arm.along * kUpperArm;
    arm.wrist = arm.elbow + arm.along * kForearm;
    // The thumb: from the heel of the hand, forwards and a little inwards.
    const glm::vec3 thumbBase =
        arm.wrist + arm.along * 0.030f + arm.forward * 0.030f + arm.inward * 0.010f;
    const glm::vec3 thumbWay =
        glm::normalize(arm.along * 0.6f + arm.forward * 0.7f + arm.inward * 0.25f);
    arm.joints[0][0] = thumbBase;
    arm.joints[0][1] = thumbBase + thumbWay * kThumbLength;
    arm.jointCount[0] = 2;
    arm.fingerRadius[0] = kThumbRadius;
    arm.nails[0] = thumbBase + thumbWay * (kThumbLength * 0.8f) - arm.inward * kThumbRadius;
    for (int f = 1; f < ARM_LAYOUT::kFingers; ++f) {
        const glm::vec3 way = glm::normalize(arm.along + arm.forward * kFingerSpread[f - 1]);
        glm::vec3 joint = arm.wrist + arm.along * kPalm + arm.forward * kFingerPlace[f - 1];
        arm.joints[f][0] = joint;
        for (int j = 0; j < 3; ++j) {
            joint += way * kFingerLengths[f - 1][j];
            arm.joints[f][j + 1] = joint;
        }
        arm.jointCount[f] = ARM_LAYOUT::kJoints;
        arm.fingerRadius[f] = kFingerRadius[f - 1];
        arm.nails[f] = glm::mix(arm.joints[f][2], arm.joints[f][3], kNailPlace) -
                       arm.inward * kFingerRadius[f - 1];
    }
    return arm;
}

LEG_LAYOUT CHumanBuilder::Leg(const HUMAN_SIDE& side) {
    LEG_LAYOUT leg;
    const float x = side.x * kHipWidth;
    leg.hip = glm::vec3(x, kHipHeight, 0.0f);
    leg.knee = glm::vec3(x, kKneeHeight, -0.005f);
    leg.ankle = glm::vec3(x, kAnkleHeight, 0.005f);
    leg.heel = glm::vec3(x, 0.0f, kHeelBack);
    for (int t = 0; t < LEG_LAYOUT::kToes; ++t) {
        leg.toeNails[t] = glm::vec3(side.x * (kHipWidth - 0.028f + t * kToeStep),
                                    kToeNailHeight - t * 0.002f, kToeFront + t * kToeShorter);
    }
    return leg;
}

EYE_LAYOUT CHumanBuilder::Eye(const HUMAN_SIDE& side) {
    EYE_LAYOUT eye;
    eye.radius = kEyeRadius;
    eye.centre = glm::vec3(side.x * kEyeWidth, kEyeHeight, kEyeDepth);
    eye.iris = eye.centre + glm::vec3(0.0f, 0.0f, -kEyeRadius * 1.02f);
    eye.pupil = eye.centre + glm::vec3(0.0f, 0.0f, -kEyeRadius * 1.04f);
    eye.upperLash = eye.centre + glm::vec3(0.0f, kEyeRadius * 1.15f, -0.008f);
    eye.lowerLash = eye.centre + glm::vec3(0.0f, -kEyeRadius * 1.1f, -0.008f);
    return eye;
}

glm::vec2 CHumanBuilder::TorsoRadii(float y) {
    constexpr size_t kRows = sizeof kTorso / sizeof kTorso[0];
    if (y <= kTorso[0].y) {
        return glm::vec2(kTorso[0].rx, kTorso[0].rz);
    }
    for (size_t i = 1; i < kRows; ++i) {
        if (y <= kTorso[i].y) {
            const float t = (y - kTorso[i - 1].y) / (kTorso[i].y - kTorso[i - 1].y);
            return glm::mix(glm::vec2(kTorso[i - 1].rx, kTorso[i - 1].rz),
                            glm::vec2(kTorso[i].rx, kTorso[i].rz), t);
        }
    }
    return glm::vec2(kTorso[kRows - 1].rx, kTorso[kRows - 1].rz);
}

void CHumanBuilder::AddSkeleton(CHumanModel& model) {
    model.AddBone("Sitting", "", glm::vec3(0.0f, kSeatHeight, 0.0f));
    model.AddBone("Spine", "Sitting", glm::vec3(0.0f, kSpineHeight, 0.0f));
    model.AddBone("Chest", "Spine", glm::vec3(0.0f, kChestHeight, 0.0f));
    model.AddBone("Neck", "Chest", glm::vec3(0.0f, kNeckHeight, 0.0f));
    model.AddBone("Head", "Neck", glm::vec3(0.0f, kHeadHeight, 0.0f));
    static const char* const kJointNames[] = {"_1", "_2", "_3", "_tip"};
    for (const HUMAN_SIDE& side : kSides) {
        const char c = side.letter;
        const ARM_LAYOUT arm = Arm(side);
        model.AddBone(Name("%c_Shoulder", c), "Chest", arm.shoulder);
        model.AddBone(Name("%c_Elbow", c), Name("%c_Shoulder", c), arm.elbow);
        model.AddBone(Name("%c_Wrist", c), Name("%c_Elbow", c), arm.wrist);
        for (int f = 0; f < ARM_LAYOUT::kFingers; ++f) {
            const std::string finger = Name("%c_Finger%d", c, f + 1);
            std::string parent = Name("%c_Wrist", c);
            for (int j = 0; j < arm.jointCount[f]; ++j) {
                const bool tip = j == arm.jointCount[f] - 1;
                const std::string joint = finger + kJointNames[tip ? 3 : j];
                model.AddBone(joint, parent, arm.joints[f][j]);
                parent = joint;
            }
            // The nail hangs from the last segment's joint.
            const std::string last = finger + kJointNames[arm.jointCount[f] == 2 ? 0 : 2];
            model.AddBone(finger + "_nail", last, arm.nails[f]);
        }
        const LEG_LAYOUT leg = Leg(side);
        model.AddBone(Name("%c_Hip", c), "Sitting", leg.hip);
        model.AddBone(Name("%c_Knee", c), Name("%c_Hip", c), leg.knee);
        model.AddBone(Name("%c_Ankle", c), Name("%c_Knee", c), leg.ankle);
        model.AddBone(Name("%c_Heel_tip", c), Name("%c_Ankle", c), leg.heel);
        for (int t = 0; t < LEG_LAYOUT::kToes; ++t) {
            model.AddBone(Name("%c_Toe%d_nail", c, t + 1), Name("%c_Ankle", c), leg.toeNails[t]);
        }
        const EYE_LAYOUT eye = Eye(side);
        model.AddBone(Name("%c_Sclera", c), "Head", eye.centre);
        model.AddBone(Name("%c_Iris", c), Name("%c_Sclera", c), eye.iris);
        model.AddBone(Name("%c_Pupil", c), Name("%c_Iris", c), eye.pupil);
        model.AddBone(Name("%c_Upper_eyelash", c), "Head", eye.upperLash);
        model.AddBone(Name("%c_Lower_eyelash", c), "Head", eye.lowerLash);
    }
}

void CHumanBuilder::AddMaterials(CHumanModel& model) {
    const auto add = [&](const std::string& name, const COLOUR& colour) {
        model.AddMaterial(name, glm::vec4(colour.r, colour.g, colour.b, 1.0f), colour.power,
                          glm::vec3(colour.power > 0.0f ? kSpecular : 0.0f));
    };
    for (const COLOUR& colour : kColours) {
        add(colour.name, colour);
    }
    for (const HUMAN_SIDE& side : kSides) {
        for (const COLOUR& colour : kSideColours) {
            add(Name(colour.name, side.letter), colour);
        }
        for (int f = 1; f <= ARM_LAYOUT::kFingers; ++f) {
            add(Name("%c_Finger%d_nail", side.letter, f), kNail);
        }
        for (int t = 1; t <= LEG_LAYOUT::kToes; ++t) {
            add(Name("%c_Toe%d_nail", side.letter, t), kNail);
        }
    }
}

bool CHumanBuilder::CheckBones(const CHumanModel& model, std::string& error) {
    std::vector<int> weighed(model.GetBones().size(), 0);
    for (const HUMAN_VERTEX& vertex : model.GetVertices()) {
        for (int i = 0; i < HUMAN_WEIGHTS::kSlots; ++i) {
            if (vertex.weights.bones[i] >= 0 && vertex.weights.weights[i] > 0.0f) {
                ++weighed[vertex.weights.bones[i]];
            }
        }
    }
    for (size_t i = 0; i < weighed.size(); ++i) {
        if (weighed[i] == 0) {
            error = "the bone \"" + model.GetBones()[i].name + "\" moves no vertex";
            return false;
        }
    }
    return true;
}

bool CHumanBuilder::Build(CHumanModel& model, std::string& error) {
    AddSkeleton(model);
    AddMaterials(model);
    AddTorso(model);
    AddHead(model);
    for (const HUMAN_SIDE& side : kSides) {
        AddFace(model, side);
        AddArm(model, side);
        AddHand(model, side);
        AddLeg(model, side);
        AddFoot(model, side);
    }
    if (!model.GetProblem().empty()) {
        error = model.GetProblem();
        return false;
    }
    return CheckBones(model, error);
}
