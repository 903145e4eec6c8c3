#include "scene/SkinnedMesh.h"

#include <cstddef>
#include <string>

#include "scene/D3DResult.h"
#include "scene/Direct3D.h"
#include "scene/SkinProgram.h"
#include "scene/VertexBuffer.h"

CSkinnedMesh::CSkinnedMesh(const char* name, CDirect3D* device, CVertexBuffer* list)
    : CPrimitive(name, device, list), m_model(std::make_unique<CMeshModel>()) {}

CSkinnedMesh::~CSkinnedMesh() {
    ReleaseDeviceObjects();
}

bool CSkinnedMesh::Load(const char* path, bool skinned) {
    auto model = std::make_unique<CMeshModel>();
    if (!model->Load(path)) {
        m_error = model->GetError();
        return false;
    }
    return SetModel(std::move(model), skinned);
}

bool CSkinnedMesh::SetModel(std::unique_ptr<CMeshModel> model, bool skinned) {
    if (model == nullptr) {
        return Fail(__LINE__, "Can't show the mesh: %s", "no model");
    }
    ReleaseDeviceObjects();
    m_model = std::move(model);
    m_model->SetSkinned(skinned);
    m_model->Update();
    m_partShown.assign(m_model->GetData().meshes.size(), true);
    m_batches.clear();
    return true;
}

int CSkinnedMesh::GetPaletteSize() const {
    return m_program != nullptr ? m_program->GetPaletteSize() : 0;
}

bool CSkinnedMesh::CreateDeviceObjects() {
    ReleaseDeviceObjects();
    if (m_device == nullptr || !m_device->IsCreated()) {
        return Fail(__LINE__, "Can't show the mesh \"%s\": %s", m_model->GetName(), "no device");
    }
    const CGlApi& gl = m_device->GetApi();
    m_program = std::make_unique<CSkinProgram>(gl);
    if (!m_program->Link()) {
        return Fail(__LINE__, "Can't show the mesh \"%s\": %s", m_model->GetName(),
                    m_program->GetError());
    }
    std::string reason;
    if (!CMeshBatches::Build(*m_model, m_program->GetPaletteSize(), m_vertices, m_indices,
                             m_batches, reason)) {
        return Fail(__LINE__, "Can't show the mesh \"%s\": %s", m_model->GetName(), reason.c_str());
    }
    m_device->Flush();
    gl.GenVertexArrays(1, &m_vertexArray);
    gl.BindVertexArray(m_vertexArray);
    gl.GenBuffers(1, &m_vertexBuffer);
    gl.BindBuffer(GL_ARRAY_BUFFER, m_vertexBuffer);
    gl.BufferData(
        GL_ARRAY_BUFFER,
        static_cast<GLsizeiptr>(std::max<size_t>(1, m_vertices.size())) * sizeof(SKIN_VERTEX),
        m_vertices.empty() ? nullptr : m_vertices.data(), GL_STATIC_DRAW);
    const size_t offsets[] = {offsetof(SKIN_VERTEX, position), offsetof(SKIN_VERTEX, normal),
                              offsetof(SKIN_VERTEX, bones), offsetof(SKIN_VERTEX, weights)};
    const GLint sizes[] = {3, 3, 4, 4};
    for (GLuint a = 0; a < 4; ++a) {
        gl.EnableVertexAttribArray(a);
        gl.VertexAttribPointer(a, sizes[a], GL_FLOAT, GL_FALSE, sizeof(SKIN_VERTEX),
                               reinterpret_cast<const void*>(offsets[a]));
    }
    gl.GenBuffers(1, &m_indexBuffer);
    gl.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indexBuffer);
    gl.BufferData(GL_ELEMENT_ARRAY_BUFFER,
                  static_cast<GLsizeiptr>(std::max<size_t>(1, m_indices.size())) * 4,
                  m_indices.empty() ? nullptr : m_indices.data(), GL_STATIC_DRAW);
    gl.BindVertexArray(0);
    m_contextSerial = m_device->GetContextSerial();
    m_created = true;
    // The program of the scene is the one drawing expects.
    m_device->RestoreSceneProgram();
    CCharString name;
    if (m_device->TakeResult(name) != D3D_OK) {
        ReleaseDeviceObjects();
        return Fail(__LINE__, "Can't show the mesh \"%s\": %s", m_model->GetName(), name.GetText());
    }
    return true;
}

void CSkinnedMesh::ReleaseDeviceObjects() {
    // Objects of a context that is gone are only forgotten: their numbers
    // may name another's objects in the new one.
    if (m_created && m_device != nullptr && m_device->GetContextSerial() == m_contextSerial &&
        m_device->GetDevice() != nullptr && m_device->GetDevice()->IsReady() &&
        m_device->GetApi().IsLoaded()) {
        const CGlApi& gl = m_device->GetApi();
        gl.DeleteVertexArrays(1, &m_vertexArray);
        gl.DeleteBuffers(1, &m_vertexBuffer);
        gl.DeleteBuffers(1, &m_indexBuffer);
        if (m_program != nullptr) {
            m_program->Release(true);
        }
    }
    m_program.reset();
    m_vertexArray = m_vertexBuffer = m_indexBuffer = 0;
    m_created = false;
}

int CSkinnedMesh::FindBone(const char* name) {
    const int bone = m_model->FindBone(name);
    if (bone < 0) {
        m_error = m_model->GetError();
    }
    return bone;
}

bool CSkinnedMesh::SetBoneLocal(const char* name, const glm::mat4& local) {
    if (!m_model->SetBoneLocal(name, local)) {
        m_error = m_model->GetError();
        return false;
    }
    m_model->Update();
    return true;
}

bool CSkinnedMesh::TurnBone(const char* name, float degrees, const glm::vec3& axis) {
    if (!m_model->TurnBone(name, degrees, axis)) {
        m_error = m_model->GetError();
        return false;
    }
    m_model->Update();
    return true;
}

void CSkinnedMesh::ResetPose() {
    m_model->ResetPose();
    m_model->Update();
}

bool CSkinnedMesh::SetVisible(const char* part, bool on) {
    const std::vector<int> parts = m_model->FindParts(part);
    if (parts.empty()) {
        return Fail(__LINE__, "Can't find the part \"%s\" in \"%s\"", part != nullptr ? part : "",
                    m_model->GetName());
    }
    for (int p : parts) {
        m_partShown[p] = on;
    }
    return true;
}

bool CSkinnedMesh::GetBounds(glm::vec3& low, glm::vec3& high) const {
    return m_model->GetBounds(m_placement, m_partShown, low, high);
}

bool CSkinnedMesh::DrawSelf() {
    if (!m_created || m_device->GetContextSerial() != m_contextSerial) {
        if (!CreateDeviceObjects()) {
            return false;
        }
    }
    // Draws waiting in the scene's program go first.
    m_device->Flush();
    const bool ok = DrawBatches();
    m_device->RestoreSceneProgram();
    if (m_buffer != nullptr && m_buffer->IsUploaded()) {
        m_buffer->Bind();  // the list's vertices again for the primitives after this one
    }
    return ok;
}

bool CSkinnedMesh::DrawBatches() {
    const CGlApi& gl = m_device->GetApi();
    const glm::mat4 world = m_device->GetTransform(CDirect3D::kWorld) * m_placement;
    if (!m_program->Begin(*m_device, world)) {
        return Fail(__LINE__, "%s", m_program->GetError());
    }
    // The scene's render state: clockwise front faces, depth test and
    // writes, alpha blending.
    gl.Enable(GL_CULL_FACE);
    gl.CullFace(GL_BACK);
    gl.FrontFace(GL_CW);
    gl.Enable(GL_DEPTH_TEST);
    gl.DepthMask(GL_TRUE);
    gl.Enable(GL_BLEND);
    gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const bool wireframe = m_device->IsSceneWireframe() || m_wireframe;
    gl.PolygonMode(GL_FRONT_AND_BACK, wireframe ? GL_LINE : GL_FILL);
    gl.BindVertexArray(m_vertexArray);
    const std::vector<CMeshModel::DRAW_ITEM>& items = m_model->GetDrawItems();
    for (const MESH_BATCH& batch : m_batches) {
        if (!m_partShown[batch.part]) {
            continue;
        }
        m_palette.resize(batch.palette.size());
        for (size_t i = 0; i < batch.palette.size(); ++i) {
            m_palette[i] = m_model->GetEntryMatrix(items[batch.item], batch.palette[i]);
        }
        m_program->SetPalette(m_palette.data(), static_cast<int>(m_palette.size()));
        m_program->SetMaterial(m_model->GetData().meshes[batch.part]);
        gl.DrawElements(
            GL_TRIANGLES, static_cast<GLsizei>(batch.indexCount), GL_UNSIGNED_INT,
            reinterpret_cast<const void*>(static_cast<uintptr_t>(batch.firstIndex) * 4));
    }
    gl.BindVertexArray(0);
    CCharString name;
    if (m_device->TakeResult(name) != D3D_OK) {
        return Fail(__LINE__, "Can't draw the mesh \"%s\": %s", m_model->GetName(), name.GetText());
    }
    return true;
}
