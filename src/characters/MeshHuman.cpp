#include "characters/MeshHuman.h"

#include <cmath>
#include <cstring>
#include <memory>

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include "characters/Limb.h"
#include "platform/DebugOutput.h"
#include "scene/MeshModel.h"
#include "scene/SkinnedMesh.h"
#include "theory/Note.h"

namespace {

constexpr float kCentimetres = 100.0f;  // the model is in metres
constexpr float kTiny = 1e-6f;
const char* const kChains[4][3] = {{"%c_Shoulder", "%c_Elbow", "%c_Wrist"},
                                   {"%c_Shoulder", "%c_Elbow", "%c_Wrist"},
                                   {"%c_Hip", "%c_Knee", "%c_Ankle"},
                                   {"%c_Hip", "%c_Knee", "%c_Ankle"}};

char SideLetter(int index) {
    return index % 2 == 0 ? 'L' : 'R';
}

}  // namespace

CMeshHuman::CMeshHuman(const char* name, CDirect3D* device, CVertexBuffer* buffer,
                       const char* modelPath)
    : CHuman(name, device, buffer), m_modelPath(modelPath != nullptr ? modelPath : "") {}

CMeshHuman::CMeshHuman(const char* name, CDirect3D* device, CVertexBuffer* buffer,
                       const CMeshModel& model)
    : CHuman(name, device, buffer), m_model(&model) {}

CMeshHuman::~CMeshHuman() = default;

bool CMeshHuman::ListBones(std::vector<CCharString>& names) {
    names.clear();
    for (int limb = 0; limb < 4; ++limb) {
        for (const char* format : kChains[limb]) {
            CCharString name;
            name.Format(format, SideLetter(limb));
            names.push_back(name);
        }
    }
    for (const char side : {'L', 'R'}) {
        for (int finger = 1; finger <= kFingers; ++finger) {
            // The thumb has a first joint and a tip, the others a second
            // joint between.
            for (const char* joint : {"%c_Finger%d_1", "%c_Finger%d_2", "%c_Finger%d_tip"}) {
                CCharString name;
                name.Format(joint, side, finger);
                if (finger > 1 || std::strstr(joint, "_2") == nullptr) {
                    names.push_back(name);
                }
            }
        }
    }
    names.push_back("Sitting");
    return true;
}

bool CMeshHuman::Build(const LOOK&) {
    auto mesh = std::make_unique<CSkinnedMesh>("Skinned human", m_device, m_buffer);
    const bool loaded = m_model != nullptr
                            ? mesh->SetModel(std::make_unique<CMeshModel>(*m_model), true)
                            : mesh->Load(m_modelPath, true);
    if (!loaded) {
        return Fail(__LINE__, "Can't build the figure %s: %s", GetName(), mesh->GetError());
    }
    // Metres facing -z into centimetres facing +z, standing where the
    // figure stands.
    glm::mat4 place = glm::rotate(glm::mat4(1.0f), glm::pi<float>(), glm::vec3(0, 1, 0));
    place = glm::scale(place, glm::vec3(kCentimetres));
    mesh->Transform(GetPlacement() * place);
    m_mesh = static_cast<CSkinnedMesh*>(AddChild(std::move(mesh)));
    return FindBones();
}

int CMeshHuman::Bone(const char* format, char side, int finger) {
    CCharString name;
    if (finger > 0) {
        name.Format(format, side, finger);
    } else {
        name.Format(format, side);
    }
    return m_mesh->GetModel().FindBone(name);
}

bool CMeshHuman::FindBones() {
    for (int limb = 0; limb < kLimbs; ++limb) {
        CHAIN& chain = m_limbs[limb];
        const char side = SideLetter(limb);
        chain.upper = Bone(kChains[limb][0], side);
        chain.lower = Bone(kChains[limb][1], side);
        chain.end = Bone(kChains[limb][2], side);
        if (chain.upper < 0 || chain.lower < 0 || chain.end < 0) {
            return Fail(__LINE__, "Can't build the figure %s: %s", GetName(),
                        m_mesh->GetModel().GetError());
        }
    }
    for (int hand = 0; hand < 2; ++hand) {
        const char side = hand == 0 ? 'L' : 'R';
        for (int finger = 1; finger <= kFingers; ++finger) {
            CHAIN& chain = m_fingers[hand][finger - 1];
            chain.upper = Bone("%c_Finger%d_1", side, finger);
            chain.lower = finger == 1 ? -1 : Bone("%c_Finger%d_2", side, finger);
            chain.end = Bone("%c_Finger%d_tip", side, finger);
            if (chain.upper < 0 || chain.end < 0 || (finger > 1 && chain.lower < 0)) {
                return Fail(__LINE__, "Can't build the figure %s: %s", GetName(),
                            m_mesh->GetModel().GetError());
            }
        }
    }
    m_sitting = m_mesh->GetModel().FindBone("Sitting");
    if (m_sitting < 0) {
        return Fail(__LINE__, "Can't build the figure %s: %s", GetName(),
                    m_mesh->GetModel().GetError());
    }
    return true;
}

glm::vec3 CMeshHuman::Point(int frame) const {
    if (m_mesh == nullptr || frame < 0) {
        return GetOrigin();
    }
    const glm::vec4 model = m_mesh->GetModel().GetCombined(frame)[3];
    return glm::vec3(m_mesh->GetPlacement() * model);
}

bool CMeshHuman::Aim(int frame, int child, const glm::vec3& direction) {
    CMeshModel& model = m_mesh->GetModel();
    const glm::vec3 from = Point(child) - Point(frame);
    if (glm::length(from) < kTiny || glm::length(direction) < kTiny) {
        return true;  // a bone without length points nowhere
    }
    const glm::vec3 a = glm::normalize(from);
    const glm::vec3 b = glm::normalize(direction);
    const glm::vec3 across = glm::cross(a, b);
    const float sine = glm::length(across);
    const float angle = std::atan2(sine, glm::dot(a, b));
    if (sine < kTiny) {
        return true;  // already there (a bone turned right round is left be)
    }
    // The turn in the model's own space: the placement only turns, scales
    // evenly and moves, so the axis keeps its direction through its inverse.
    const glm::mat3 toModel = glm::inverse(glm::mat3(m_mesh->GetPlacement()));
    const glm::vec3 axis = glm::normalize(toModel * across);
    const glm::mat4& combined = model.GetCombined(frame);
    const glm::vec3 origin(combined[3]);
    glm::mat4 turn = glm::translate(glm::mat4(1.0f), origin);
    turn = glm::rotate(turn, angle, axis);
    turn = glm::translate(turn, -origin);
    const int parent = model.GetData().frames[frame].parent;
    const glm::mat4 parentCombined = parent >= 0 ? model.GetCombined(parent) : glm::mat4(1.0f);
    const glm::mat4 local =
        glm::inverse(parentCombined) * turn * parentCombined * model.GetLocal(frame);
    if (!model.SetLocal(frame, local)) {
        return Fail(__LINE__, "%s", model.GetError());
    }
    model.Update();
    return true;
}

bool CMeshHuman::Put(CHAIN& chain, const glm::vec3& target, bool finger) {
    const char* what = m_mesh->GetModel().GetFrameName(chain.upper);
    const glm::vec3 root = Point(chain.upper);
    if (chain.lower < 0) {
        // One bone (a thumb): it points at the target.
        const float length = glm::distance(Point(chain.end), root);
        const float distance = glm::distance(target, root);
        if (distance > length + 1e-4f * length) {
            CCharString line;
            line.Format("######### Can't put finger '%s' of '%s', short by %0.3f", what, GetName(),
                        distance - length);
            Platform::WriteDebugOutput(line);
            return false;
        }
        return Aim(chain.upper, chain.end, target - root);
    }
    const float upper = glm::distance(Point(chain.lower), root);
    const float lower = glm::distance(Point(chain.end), Point(chain.lower));
    const float distance = glm::distance(target, root);
    if (distance > upper + lower) {
        CCharString line;
        if (finger) {
            line.Format("######### Can't put finger '%s' of '%s', short by %0.3f", what, GetName(),
                        distance - upper - lower);
        } else {
            line.Format("Can't put bones '%s', short by %0.3f\n", what, distance - upper - lower);
        }
        Platform::WriteDebugOutput(line);
        return false;
    }
    glm::vec3 upperDirection, lowerDirection;
    CLimb::Bend(root, target, chain.hasHint ? &chain.hint : nullptr, upper, lower,
                Point(chain.lower) - root, upperDirection, lowerDirection);
    return Aim(chain.upper, chain.lower, upperDirection) &&
           Aim(chain.lower, chain.end, lowerDirection);
}

int CMeshHuman::ArmOf(int hand) const {
    return hand == THING_LEFT_HAND ? kLeftArm : hand == THING_RIGHT_HAND ? kRightArm : -1;
}

int CMeshHuman::LegOf(int foot) const {
    return foot == THING_LEFT_FOOT ? kLeftLeg : foot == THING_RIGHT_FOOT ? kRightLeg : -1;
}

bool CMeshHuman::ReachHand(int hand, const glm::vec3& target) {
    const int arm = ArmOf(hand);
    if (arm < 0 || m_mesh == nullptr) {
        return Fail(__LINE__, "Can't reach with hand %d of %s", hand, GetName());
    }
    return Put(m_limbs[arm], target, false);
}

bool CMeshHuman::ReachFoot(int foot, const glm::vec3& target) {
    const int leg = LegOf(foot);
    if (leg < 0 || m_mesh == nullptr) {
        return Fail(__LINE__, "Can't reach with foot %d of %s", foot, GetName());
    }
    return Put(m_limbs[leg], target, false);
}

bool CMeshHuman::ReachFinger(int hand, int finger, const glm::vec3& target) {
    const int arm = ArmOf(hand);
    if (arm < 0 || finger < 1 || finger > kFingers || m_mesh == nullptr) {
        return Fail(__LINE__, "Can't reach with finger %d of hand %d of %s", finger, hand,
                    GetName());
    }
    return Put(m_fingers[arm][finger - 1], target, true);
}

bool CMeshHuman::SetBendHint(int limb, const glm::vec3& point) {
    int index = ArmOf(limb);
    if (index < 0) {
        index = LegOf(limb);
    }
    if (index < 0) {
        return Fail(__LINE__, "Can't bend limb %d of %s", limb, GetName());
    }
    m_limbs[index].hint = point;
    m_limbs[index].hasHint = true;
    return true;
}

bool CMeshHuman::Sit(float seatHeight) {
    if (m_mesh == nullptr) {
        return Fail(__LINE__, "Can't sit %s: it has no model", GetName());
    }
    // The body goes down with the seat's bone; then the feet go forward
    // onto the floor, the knees up and forward.
    const float hips = (Point(m_limbs[kLeftLeg].upper).y - ToWorld(glm::vec3(0)).y) / GetScale();
    const float down = hips - seatHeight;
    CMeshModel& model = m_mesh->GetModel();
    const glm::mat4 lowered =
        glm::translate(glm::mat4(1.0f), glm::vec3(0, -down / kCentimetres, 0));
    if (!model.SetLocal(m_sitting, lowered * model.GetLocal(m_sitting))) {
        return Fail(__LINE__, "%s", model.GetError());
    }
    model.Update();
    return PutFeetForward(seatHeight);
}

glm::vec3 CMeshHuman::GetShoulder(int hand) const {
    const int arm = ArmOf(hand);
    return arm < 0 ? GetOrigin() : Point(m_limbs[arm].upper);
}

glm::vec3 CMeshHuman::GetWrist(int hand) const {
    const int arm = ArmOf(hand);
    return arm < 0 ? GetOrigin() : Point(m_limbs[arm].end);
}

glm::vec3 CMeshHuman::GetKnuckles(int hand) const {
    const int arm = ArmOf(hand);
    return arm < 0 ? GetOrigin() : Point(m_fingers[arm][2].upper);
}

glm::vec3 CMeshHuman::GetFingerTip(int hand, int finger) const {
    const int arm = ArmOf(hand);
    if (arm < 0 || finger < 1 || finger > kFingers) {
        return GetOrigin();
    }
    return Point(m_fingers[arm][finger - 1].end);
}

glm::vec3 CMeshHuman::GetAnkle(int foot) const {
    const int leg = LegOf(foot);
    return leg < 0 ? GetOrigin() : Point(m_limbs[leg].end);
}

glm::vec3 CMeshHuman::GetFingerRoot(int hand, int finger) const {
    const int arm = ArmOf(hand);
    if (arm < 0 || finger < 1 || finger > kFingers) {
        return GetOrigin();
    }
    return Point(m_fingers[arm][finger - 1].upper);
}

float CMeshHuman::GetFingerReach(int hand, int finger) const {
    const int arm = ArmOf(hand);
    if (arm < 0 || finger < 1 || finger > kFingers) {
        return 0.0f;
    }
    const CHAIN& chain = m_fingers[arm][finger - 1];
    if (chain.lower < 0) {
        return glm::distance(Point(chain.end), Point(chain.upper));
    }
    return glm::distance(Point(chain.lower), Point(chain.upper)) +
           glm::distance(Point(chain.end), Point(chain.lower));
}

float CMeshHuman::GetArmReach(int hand) const {
    const int arm = ArmOf(hand);
    if (arm < 0) {
        return 0.0f;
    }
    const CHAIN& chain = m_limbs[arm];
    return glm::distance(Point(chain.lower), Point(chain.upper)) +
           glm::distance(Point(chain.end), Point(chain.lower));
}
