#include "characters/Player.h"

#include <memory>

#include "characters/MeshHuman.h"
#include "foundation/ErrorReport.h"

CPlayer::CPlayer(const char* name, CDirect3D* device, CVertexBuffer* buffer, int thing)
    : CPrimitive(name, device, buffer), m_thing(thing) {}

CPlayer::~CPlayer() = default;

bool CPlayer::MakeHuman(const CHuman::LOOK& look) {
    if (m_figureModel != nullptr) {
        auto skinned = std::make_unique<CMeshHuman>("Human", m_device, m_buffer, *m_figureModel);
        if (skinned->Build(look)) {
            m_human = static_cast<CHuman*>(AddChild(std::move(skinned)));
            return true;
        }
        // The figure of primitives plays as well.
        ReportError(kSource, __LINE__, "%s", skinned->GetError());
    }
    auto human = std::make_unique<CHuman>("Human", m_device, m_buffer);
    if (!human->Build(look)) {
        return Fail(__LINE__, "Can't build the figure of %s: %s", GetName(), human->GetError());
    }
    m_human = static_cast<CHuman*>(AddChild(std::move(human)));
    return true;
}

void CPlayer::GetCameraPlace(glm::vec3& eye, glm::vec3& lookAt) const {
    eye = ToWorld(m_cameraEye);
    lookAt = ToWorld(m_cameraLookAt);
}
