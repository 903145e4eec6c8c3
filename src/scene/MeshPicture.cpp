#include "scene/MeshPicture.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include <glm/gtc/matrix_transform.hpp>

#include "scene/Angles.h"
#include "scene/SkinnedMesh.h"
#include "scene/SpacePainter.h"

namespace {

constexpr float kMargin = 1.15f;       // room round the model in the view
constexpr float kWidestAspect = 2.0f;  // a wider box is fitted by its width
constexpr float kTiny = 1e-6f;

}  // namespace

CMeshPicture::CMeshPicture(const char* name, CDirect3D* device, CVertexBuffer* list)
    : CPrimitive(name, device, list) {}

CMeshPicture* CMeshPicture::Make(CSpacePainter& scene, CVertexBuffer& list, const char* path) {
    auto picture = std::make_unique<CMeshPicture>("Mesh", scene.GetDirect3D(), &list);
    if (!picture->Create(scene, path, false)) {
        scene.SetErrorText(picture->GetError());
        return nullptr;
    }
    return static_cast<CMeshPicture*>(scene.AddToList(std::move(picture)));
}

bool CMeshPicture::Create(CSpacePainter& scene, const char* path, bool skinned) {
    auto mesh = std::make_unique<CSkinnedMesh>("Mesh file", m_device, m_buffer);
    if (!mesh->Load(path, skinned) || !mesh->CreateDeviceObjects()) {
        m_error = mesh->GetError();
        return false;
    }
    mesh->GetModel().Dump();
    m_mesh = static_cast<CSkinnedMesh*>(AddChild(std::move(mesh)));
    Frame(scene, *m_mesh);
    return true;
}

void CMeshPicture::Frame(CSpacePainter& scene, CSkinnedMesh& mesh) {
    glm::vec3 low(0.0f), high(0.0f);
    if (mesh.GetBounds(low, high)) {
        const glm::vec3 size = high - low;
        const float largest = std::max({size.x, size.y, size.z});
        const float scale = largest > kTiny ? kShownSize / largest : 1.0f;
        mesh.Transform(glm::scale(glm::mat4(1.0f), glm::vec3(scale)) *
                       glm::translate(glm::mat4(1.0f), -(low + high) * 0.5f));
        mesh.GetBounds(low, high);
    }
    // Far enough back for the box's height, in front of its near side; a
    // view narrower than the box moves the eye further back (the scene's
    // widest aspect), so that its sides stay in the view too.
    const glm::vec3 half = (high - low) * 0.5f;
    const float slope = std::tan(scene.GetFovAngle() * kRadiansPerDegree / 2.0f);
    const float fitted = std::max({half.y, half.x / kWidestAspect, kTiny});
    const float distance = half.z + fitted * kMargin / slope;
    scene.SetCamera(glm::vec3(0.0f, 0.0f, -distance), glm::vec3(0.0f), glm::vec3(0.0f, 1.0f, 0.0f),
                    180.0f, 90.0f, distance);
    scene.SetWidestAspect(half.x / fitted);
}
