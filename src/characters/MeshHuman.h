#pragma once

#include <vector>

#include <glm/glm.hpp>

#include "characters/Human.h"

class CMeshModel;
class CSkinnedMesh;

// A human figure that is a skinned mesh loaded from a model file: the
// limb operations turn the mesh's bones, found by name ("R_Shoulder",
// "L_Elbow", "R_Wrist", "L_Hip", "R_Knee", "L_Ankle", "Sitting", the
// fingers "L_Finger2" with their joints "_1", "_2", "_3" and "_tip"), by
// the same reaching as the limbs of primitives. The model (metres, facing
// -z) is turned and scaled into the figure's frame: centimetres, facing +z.
class CMeshHuman : public CHuman {
public:
    static constexpr const char* kSource = "MeshHuman";

    // The figure of the model file at modelPath.
    CMeshHuman(const char* name, CDirect3D* device, CVertexBuffer* buffer, const char* modelPath);
    // The figure of a copy of model, read before; model must live until Build.
    CMeshHuman(const char* name, CDirect3D* device, CVertexBuffer* buffer, const CMeshModel& model);
    ~CMeshHuman() override;

    // Loads the model; false with the reason (a missing file, a bone the
    // limbs need that the model lacks).
    bool Build(const LOOK& look) override;

    bool ReachHand(int hand, const glm::vec3& target) override;
    bool ReachFinger(int hand, int finger, const glm::vec3& target) override;
    bool ReachFoot(int foot, const glm::vec3& target) override;
    bool SetBendHint(int limb, const glm::vec3& point) override;
    bool Sit(float seatHeight) override;
    glm::vec3 GetShoulder(int hand) const override;
    glm::vec3 GetWrist(int hand) const override;
    glm::vec3 GetFingerTip(int hand, int finger) const override;
    glm::vec3 GetKnuckles(int hand) const override;
    glm::vec3 GetAnkle(int foot) const override;
    glm::vec3 GetFingerRoot(int hand, int finger) const override;
    float GetFingerReach(int hand, int finger) const override;
    float GetArmReach(int hand) const override;

    CSkinnedMesh* GetMesh() const { return m_mesh; }

    // The bones every limb operation needs, by name.
    static bool ListBones(std::vector<CCharString>& names);

private:
    struct CHAIN {
        int upper = -1;
        int lower = -1;
        int end = -1;
        glm::vec3 hint{0.0f};
        bool hasHint = false;
    };
    enum { kLeftArm, kRightArm, kLeftLeg, kRightLeg, kLimbs };
    static constexpr int kFingers = 5;

    bool FindBones();
    int Bone(const char* format, char side, int finger = 0);
    // Where a frame's origin is in the scene.
    glm::vec3 Point(int frame) const;
    // Turns frame about its origin so that its child's origin lies along
    // direction from it.
    bool Aim(int frame, int child, const glm::vec3& direction);
    // Places a chain's end on target; false, traced, when it can't reach.
    bool Put(CHAIN& chain, const glm::vec3& target, bool finger);
    int ArmOf(int hand) const;
    int LegOf(int foot) const;

    CCharString m_modelPath;
    const CMeshModel* m_model = nullptr;  // to copy in place of reading m_modelPath
    CSkinnedMesh* m_mesh = nullptr;
    CHAIN m_limbs[kLimbs];
    CHAIN m_fingers[2][kFingers];  // first joint, second joint, tip
    int m_sitting = -1;
    float m_seat = 0.0f;  // how far the body went down to sit
};
