// The figure's surfaces: tubes for the trunk and limbs, ellipsoids for the
// head and its parts, disks for eyes, nipples and nails. Vertices near a
// joint are moved by the bones on both sides of it.
#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "human/HumanBuilder.h"

namespace {

constexpr int kTorsoSides = 24;
constexpr int kNeckSides = 12;
constexpr int kLimbSides = 16;
constexpr int kArmSides = 14;
constexpr int kHandSides = 12;
constexpr int kFingerSides = 6;
constexpr int kFootSides = 12;
constexpr float kPantsTop = 1.0f;
constexpr glm::vec3 kRight(1.0f, 0.0f, 0.0f);
constexpr glm::vec3 kUp(0.0f, 1.0f, 0.0f);
constexpr glm::vec3 kFront(0.0f, 0.0f, -1.0f);  // towards the viewer

int Bone(CHumanModel& model, const std::string& name) {
    const int bone = model.FindBone(name);
    if (bone < 0) {
        model.SetProblem("the bone \"" + name + "\" is missing");
    }
    return std::max(bone, 0);
}

int Material(CHumanModel& model, const std::string& name) {
    const int material = model.FindMaterial(name);
    if (material < 0) {
        model.SetProblem("the material \"" + name + "\" is missing");
    }
    return std::max(material, 0);
}

HUMAN_WEIGHTS One(CHumanModel& model, const std::string& name) {
    return HUMAN_WEIGHTS::One(Bone(model, name));
}

HUMAN_WEIGHTS Blend(CHumanModel& model, const std::string& a, const std::string& b, float t) {
    return HUMAN_WEIGHTS::Blend(Bone(model, a), Bone(model, b), t);
}

HUMAN_RING Ring(const glm::vec3& centre, const glm::vec3& u, const glm::vec3& v, float ru, float rv,
                const HUMAN_WEIGHTS& weights) {
    HUMAN_RING ring;
    ring.centre = centre;
    ring.u = u;
    ring.v = v;
    ring.ru = ru;
    ring.rv = rv;
    ring.weights = weights;
    return ring;
}

// The trunk's bones by height: the seat, the spine, the chest, the neck.
HUMAN_WEIGHTS TorsoWeights(CHumanModel& model, float y) {
    if (y < 1.12f) {
        return Blend(model, "Sitting", "Spine", (y - 0.98f) / 0.08f);
    }
    if (y < 1.40f) {
        return Blend(model, "Spine", "Chest", (y - 1.16f) / 0.10f);
    }
    return Blend(model, "Chest", "Neck", (y - 1.46f) / 0.04f);
}

}  // namespace

void CHumanBuilder::AddTorso(CHumanModel& model) {
    const float pants[] = {0.86f, 0.90f, 0.95f, kPantsTop};
    const float skin[] = {kPantsTop, 1.05f, 1.10f, 1.15f, 1.20f, 1.25f,
                          1.30f,     1.35f, 1.40f, 1.44f, 1.47f, 1.49f};
    const auto rings = [&](const float* heights, size_t count) {
        std::vector<HUMAN_RING> list;
        for (size_t i = 0; i < count; ++i) {
            const glm::vec2 r = TorsoRadii(heights[i]);
            list.push_back(Ring(glm::vec3(0.0f, heights[i], 0.0f), kRight, kFront * -1.0f, r.x, r.y,
                                TorsoWeights(model, heights[i])));
        }
        return list;
    };
    CHumanShapes::Tube(model, rings(pants, std::size(pants)), kTorsoSides, Material(model, "Pants"),
                       true, false);
    CHumanShapes::Tube(model, rings(skin, std::size(skin)), kTorsoSides, Material(model, "Body"),
                       false, true);
    for (const HUMAN_SIDE side : {HUMAN_SIDE{'R', -1.0f}, HUMAN_SIDE{'L', 1.0f}}) {
        const float y = 1.31f;
        const float x = side.x * 0.085f;
        const glm::vec2 r = TorsoRadii(y);
        const float z = -r.y * std::sqrt(1.0f - (x / r.x) * (x / r.x));
        const glm::vec3 normal = glm::normalize(glm::vec3(x / (r.x * r.x), 0.0f, z / (r.y * r.y)));
        CHumanShapes::Disk(model, glm::vec3(x, y, z) + normal * 0.0015f, normal, 0.008f, 10,
                           Material(model, Name("%c_Nippel", side.letter)), One(model, "Chest"));
    }
    std::vector<HUMAN_RING> neck;
    const float heights[] = {1.45f, 1.52f, 1.58f, 1.64f};
    for (float y : heights) {
        neck.push_back(Ring(glm::vec3(0.0f, y, 0.005f), kRight, -kFront, 0.052f, 0.055f,
                            Blend(model, "Neck", "Head", (y - 1.55f) / 0.06f)));
    }
    CHumanShapes::Tube(model, neck, kNeckSides, Material(model, "Body"), false, false);
}

void CHumanBuilder::AddHead(CHumanModel& model) {
    const HUMAN_WEIGHTS head = One(model, "Head");
    const int body = Material(model, "Body");
    const glm::vec3 centre(0.0f, 1.695f, -0.005f);
    CHumanShapes::Ellipsoid(model, centre, glm::vec3(0.076f, 0.105f, 0.092f), 14, 24, 180.0f, body,
                            head);
    CHumanShapes::Ellipsoid(model, centre + glm::vec3(0.0f, 0.004f, 0.005f),
                            glm::vec3(0.0806f, 0.1113f, 0.0975f), 8, 24, 72.0f,
                            Material(model, "Hair"), head);
    CHumanShapes::Ellipsoid(model, glm::vec3(0.0f, 1.662f, -0.092f),
                            glm::vec3(0.011f, 0.02f, 0.013f), 6, 10, 180.0f, body, head);
    for (float x : {-0.076f, 0.076f}) {
        CHumanShapes::Ellipsoid(model, glm::vec3(x, 1.69f, 0.0f), glm::vec3(0.012f, 0.03f, 0.02f),
                                6, 10, 180.0f, body, head);
    }
    struct MOUTH_PART {
        const char* material;
        glm::vec3 centre, radii;
    };
    const MOUTH_PART mouth[] = {{"Lips_color", {0.0f, 1.628f, -0.079f}, {0.022f, 0.0065f, 0.009f}},
                                {"Upper_teeth", {0.0f, 1.632f, -0.071f}, {0.018f, 0.004f, 0.006f}},
                                {"Lower_teeth", {0.0f, 1.623f, -0.070f}, {0.017f, 0.004f, 0.006f}},
                                {"Upper_gum", {0.0f, 1.637f, -0.066f}, {0.019f, 0.004f, 0.007f}},
                                {"Lower_gum", {0.0f, 1.618f, -0.065f}, {0.018f, 0.004f, 0.007f}},
                                {"Tongue", {0.0f, 1.626f, -0.055f}, {0.014f, 0.004f, 0.020f}}};
    for (const MOUTH_PART& part : mouth) {
        CHumanShapes::Ellipsoid(model, part.centre, part.radii, 6, 12, 180.0f,
                                Material(model, part.material), head);
    }
}

void CHumanBuilder::AddFace(CHumanModel& model, const HUMAN_SIDE& side) {
    const char c = side.letter;
    const EYE_LAYOUT eye = Eye(side);
    CHumanShapes::Ellipsoid(model, eye.centre, glm::vec3(eye.radius), 8, 12, 180.0f,
                            Material(model, Name("%c_Sclera", c)),
                            One(model, Name("%c_Sclera", c)));
    CHumanShapes::Disk(model, eye.iris, kFront, eye.radius * 0.5f, 12,
                       Material(model, Name("%c_Iris", c)), One(model, Name("%c_Iris", c)));
    CHumanShapes::Disk(model, eye.pupil, kFront, eye.radius * 0.22f, 10,
                       Material(model, Name("%c_Pupil", c)), One(model, Name("%c_Pupil", c)));
    const HUMAN_WEIGHTS head = One(model, "Head");
    const glm::vec3 lids = eye.centre + kFront * 0.005f;
    CHumanShapes::Arc(model, lids, kRight, kUp, eye.radius * 1.05f, 15.0f, 165.0f, 0.0011f,
                      Material(model, Name("%c_Upper_eyelid_edge", c)), head);
    CHumanShapes::Arc(model, lids, kRight, kUp, eye.radius * 1.05f, 195.0f, 345.0f, 0.0011f,
                      Material(model, Name("%c_Lower_eyelid_edge", c)), head);
    const glm::vec3 lashes = eye.centre + kFront * 0.008f;
    CHumanShapes::Arc(model, lashes, kRight, kUp, eye.radius * 1.15f, 30.0f, 150.0f, 0.0006f,
                      Material(model, Name("%c_Upper_eyelash", c)),
                      One(model, Name("%c_Upper_eyelash", c)));
    CHumanShapes::Arc(model, lashes, kRight, kUp, eye.radius * 1.12f, 215.0f, 325.0f, 0.0006f,
                      Material(model, Name("%c_Lower_eyelash", c)),
                      One(model, Name("%c_Lower_eyelash", c)));
}

void CHumanBuilder::AddArm(CHumanModel& model, const HUMAN_SIDE& side) {
    const char c = side.letter;
    const ARM_LAYOUT arm = Arm(side);
    const std::string shoulder = Name("%c_Shoulder", c), elbow = Name("%c_Elbow", c);
    const std::string wrist = Name("%c_Wrist", c);
    // Distances down the arm from the shoulder joint, and the radii there.
    const float at[] = {-0.02f, 0.0f, 0.07f, 0.14f, 0.21f, 0.28f, 0.34f, 0.40f, 0.46f, 0.53f};
    const float radius[] = {0.050f, 0.050f, 0.047f, 0.043f, 0.040f,
                            0.036f, 0.040f, 0.037f, 0.032f, 0.026f};
    std::vector<HUMAN_RING> rings;
    for (size_t i = 0; i < std::size(at); ++i) {
        const float d = at[i];
        HUMAN_WEIGHTS weights = d < 0.05f   ? Blend(model, "Chest", shoulder, (d + 0.06f) / 0.08f)
                                : d < 0.40f ? Blend(model, shoulder, elbow, (d - 0.24f) / 0.08f)
                                            : Blend(model, elbow, wrist, (d - 0.49f) / 0.06f);
        const float flat = d > 0.42f ? 1.2f : 1.0f;  // the wrist is wider than thick
        rings.push_back(Ring(arm.shoulder + arm.along * d, arm.inward, arm.forward,
                             radius[i] / flat, radius[i] * flat, weights));
    }
    CHumanShapes::Tube(model, rings, kArmSides, Material(model, "Body"), false, false);
    // A round shoulder over the arm's open end; centred on the joint, it
    // keeps its place whichever way the arm turns.
    CHumanShapes::Ellipsoid(model, arm.shoulder, glm::vec3(0.058f), 8, 14, 180.0f,
                            Material(model, "Body"), Blend(model, "Chest", shoulder, 0.5f));
}

void CHumanBuilder::AddHand(CHumanModel& model, const HUMAN_SIDE& side) {
    const char c = side.letter;
    const ARM_LAYOUT arm = Arm(side);
    const int body = Material(model, "Body");
    const float at[] = {-0.012f, 0.02f, 0.06f, 0.095f, 0.105f};
    const float thick[] = {0.016f, 0.016f, 0.015f, 0.013f, 0.010f};
    const float wide[] = {0.026f, 0.038f, 0.042f, 0.041f, 0.036f};
    std::vector<HUMAN_RING> palm;
    for (size_t i = 0; i < std::size(at); ++i) {
        palm.push_back(Ring(arm.wrist + arm.along * at[i] + arm.forward * 0.004f, arm.inward,
                            arm.forward, thick[i], wide[i], One(model, Name("%c_Wrist", c))));
    }
    CHumanShapes::Tube(model, palm, kHandSides, body, true, true);
    static const char* const kJointNames[] = {"_1", "_2", "_3", "_tip"};
    for (int f = 0; f < ARM_LAYOUT::kFingers; ++f) {
        const std::string finger = Name("%c_Finger%d", c, f + 1);
        const int count = arm.jointCount[f];
        const glm::vec3* j = arm.joints[f];
        const glm::vec3 way = glm::normalize(j[count - 1] - j[0]);
        glm::vec3 u, v;
        CHumanShapes::Across(way, arm.inward, u, v);
        const float r = arm.fingerRadius[f];
        std::vector<HUMAN_RING> rings;
        rings.push_back(
            Ring(j[0] - way * 0.010f, u, v, r * 1.05f, r * 1.05f, One(model, finger + "_1")));
        for (int k = 0; k + 1 < count; ++k) {
            const std::string bone = finger + kJointNames[k];
            const float taper = 1.0f - 0.07f * k;
            // On a joint between two segments both bones move the vertices.
            const HUMAN_WEIGHTS onJoint =
                k == 0 ? One(model, bone) : Blend(model, finger + kJointNames[k - 1], bone, 0.5f);
            rings.push_back(Ring(j[k], u, v, r * taper, r * taper, onJoint));
            rings.push_back(Ring(glm::mix(j[k], j[k + 1], 0.5f), u, v, r * (taper - 0.03f),
                                 r * (taper - 0.03f), One(model, bone)));
        }
        const std::string last = finger + kJointNames[count == 2 ? 0 : 2];
        rings.push_back(
            Ring(j[count - 1] - way * 0.004f, u, v, r * 0.75f, r * 0.75f, One(model, last)));
        rings.push_back(
            Ring(j[count - 1], u, v, r * 0.35f, r * 0.35f, One(model, finger + "_tip")));
        CHumanShapes::Tube(model, rings, kFingerSides, body, true, true);
        CHumanShapes::Disk(model, arm.nails[f] - arm.inward * 0.0006f, -arm.inward, r * 0.62f, 8,
                           Material(model, finger + "_nail"), One(model, finger + "_nail"));
    }
}

void CHumanBuilder::AddLeg(CHumanModel& model, const HUMAN_SIDE& side) {
    const char c = side.letter;
    const LEG_LAYOUT leg = Leg(side);
    const std::string hip = Name("%c_Hip", c), knee = Name("%c_Knee", c);
    const std::string ankle = Name("%c_Ankle", c);
    const float heights[] = {0.93f, 0.85f, 0.75f, 0.65f, 0.56f, 0.50f,
                             0.44f, 0.36f, 0.28f, 0.20f, 0.13f, 0.09f};
    const float radius[] = {0.078f, 0.075f, 0.068f, 0.060f, 0.052f, 0.049f,
                            0.050f, 0.053f, 0.048f, 0.040f, 0.034f, 0.032f};
    std::vector<HUMAN_RING> rings;
    for (size_t i = 0; i < std::size(heights); ++i) {
        const float y = heights[i];
        const glm::vec3 centre =
            y > leg.knee.y
                ? glm::mix(leg.knee, leg.hip, (y - leg.knee.y) / (leg.hip.y - leg.knee.y))
                : glm::mix(leg.ankle, leg.knee, (y - leg.ankle.y) / (leg.knee.y - leg.ankle.y));
        const HUMAN_WEIGHTS weights = y > 0.30f ? Blend(model, hip, knee, (0.55f - y) / 0.09f)
                                                : Blend(model, knee, ankle, (0.14f - y) / 0.06f);
        rings.push_back(Ring(centre, kRight, -kFront, radius[i], radius[i] * 0.95f, weights));
    }
    CHumanShapes::Tube(model, rings, kLimbSides, Material(model, "Pants"), false, true);
}

void CHumanBuilder::AddFoot(CHumanModel& model, const HUMAN_SIDE& side) {
    const char c = side.letter;
    const LEG_LAYOUT leg = Leg(side);
    const std::string ankle = Name("%c_Ankle", c), heel = Name("%c_Heel_tip", c);
    // Rings from the heel to the toes: depth, height of the middle, half
    // width and half height.
    const float z[] = {0.055f, 0.04f, 0.0f, -0.05f, -0.10f, -0.15f, -0.19f, -0.215f};
    const float y[] = {0.040f, 0.045f, 0.050f, 0.045f, 0.038f, 0.030f, 0.025f, 0.022f};
    const float rx[] = {0.030f, 0.038f, 0.040f, 0.043f, 0.046f, 0.047f, 0.044f, 0.030f};
    const float ry[] = {0.035f, 0.042f, 0.048f, 0.040f, 0.030f, 0.022f, 0.018f, 0.012f};
    const auto rings = [&](float grow, float longer) {
        std::vector<HUMAN_RING> list;
        for (size_t i = 0; i < std::size(z); ++i) {
            const float depth = i == 0                  ? z[i] + longer
                                : i + 1 == std::size(z) ? z[i] - longer
                                                        : z[i];
            const HUMAN_WEIGHTS weights = Blend(model, ankle, heel,
                                                z[i] > 0.05f   ? 0.8f
                                                : z[i] > 0.03f ? 0.5f
                                                               : 0.0f);
            list.push_back(Ring(glm::vec3(leg.ankle.x, y[i] + grow * 0.3f, depth), kRight, kUp,
                                rx[i] + grow, ry[i] + grow, weights));
        }
        return list;
    };
    CHumanShapes::Tube(model, rings(0.0f, 0.0f), kFootSides, Material(model, Name("%c_Foot", c)),
                       true, true);
    CHumanShapes::Tube(model, rings(0.009f, 0.012f), kFootSides,
                       Material(model, Name("%c_Shoe", c)), true, true);
    for (int t = 0; t < LEG_LAYOUT::kToes; ++t) {
        const std::string nail = Name("%c_Toe%d_nail", c, t + 1);
        CHumanShapes::Disk(model, leg.toeNails[t], kUp, 0.0055f - t * 0.0006f, 8,
                           Material(model, nail), One(model, nail));
    }
}
