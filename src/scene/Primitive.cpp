#include "scene/Primitive.h"

#include <cstdarg>
#include <cstring>

#include <glm/gtc/matrix_transform.hpp>

#include "foundation/ErrorReport.h"
#include "platform/DebugOutput.h"
#include "scene/SpacePainter.h"
#include "scene/VertexBuffer.h"

CPrimitive::CPrimitive(const char* name, CDirect3D* device, CVertexBuffer* buffer)
    : m_name(name != nullptr ? name : ""), m_device(device), m_buffer(buffer) {}

CPrimitive::~CPrimitive() {
    if (m_buffer != nullptr && m_buffer->GetCurrent() == this) {
        m_buffer->SetCurrent(nullptr);
    }
}

bool CPrimitive::Fail(int line, const char* format, ...) {
    va_list args;
    va_start(args, format);
    FailWithV(m_error, kSource, line, format, args);
    va_end(args);
    return false;
}

void CPrimitive::BeginGeometry() {
    if (m_buffer != nullptr) {
        m_buffer->SetCurrent(this);
    }
}

void CPrimitive::EndGeometry() {
    if (m_buffer != nullptr && m_buffer->GetCurrent() == this) {
        m_buffer->SetCurrent(nullptr);
    }
}

CPrimitive* CPrimitive::AddChild(std::unique_ptr<CPrimitive> child) {
    if (child == nullptr) {
        return nullptr;
    }
    child->m_scene = m_scene;
    m_children.push_back(std::move(child));
    return m_children.back().get();
}

bool CPrimitive::RewriteVertices(const glm::mat4& matrix, bool moveAxes) {
    if (m_buffer != nullptr && m_range.vertexCount > 0) {
        const glm::mat3 normals = glm::transpose(glm::inverse(glm::mat3(matrix)));
        for (int i = m_range.firstVertex; i < m_range.firstVertex + m_range.vertexCount; ++i) {
            VERTEX* vertex = m_buffer->GetVertex(i);
            if (vertex == nullptr) {
                return Fail(__LINE__, "Can't move vertex %d of %d", i, m_buffer->GetVertexCount());
            }
            const glm::vec4 position = matrix * glm::vec4(vertex->x, vertex->y, vertex->z, 1.0f);
            vertex->x = position.x;
            vertex->y = position.y;
            vertex->z = position.z;
            glm::vec3 normal = normals * glm::vec3(vertex->nx, vertex->ny, vertex->nz);
            const float length = glm::length(normal);
            if (length > 1e-12f) {
                normal /= length;
            }
            vertex->nx = normal.x;
            vertex->ny = normal.y;
            vertex->nz = normal.z;
        }
        if (!m_buffer->Refresh(m_range.firstVertex, m_range.vertexCount)) {
            return Fail(__LINE__, "Can't move vertices: %s", m_buffer->GetError());
        }
    }
    const glm::vec4 origin = matrix * m_frame[3];
    if (moveAxes) {
        m_frame = matrix * m_frame;
    }
    m_frame[3] = origin;
    m_inverse = glm::inverse(m_frame);
    m_placement = matrix * m_placement;
    OnRewrite(matrix);
    for (auto& child : m_children) {
        if (!child->RewriteVertices(matrix, moveAxes)) {
            return false;
        }
    }
    return true;
}

bool CPrimitive::Transform(const glm::mat4& matrix) {
    return RewriteVertices(matrix, true);
}

bool CPrimitive::SetFrame(const glm::mat4& frame) {
    m_frame = frame;
    m_inverse = glm::inverse(frame);
    return true;
}

bool CPrimitive::SetPosition(float x, float y, float z) {
    return MoveBy(glm::vec3(x, y, z) - GetOrigin());
}

bool CPrimitive::MoveBy(const glm::vec3& delta) {
    return Transform(glm::translate(glm::mat4(1.0f), delta));
}

bool CPrimitive::Move(float distance, int axis) {
    if (axis < 0 || axis > 2) {
        return Fail(__LINE__, "Can't move along axis %d", axis);
    }
    return MoveBy(glm::normalize(glm::vec3(m_frame[axis])) * distance);
}

bool CPrimitive::TurnAbout(float degrees, const glm::vec3& axis, const glm::vec3& point) {
    if (glm::length(axis) < 1e-12f) {
        return Fail(__LINE__, "Can't turn about a null axis");
    }
    glm::mat4 matrix = glm::translate(glm::mat4(1.0f), point);
    matrix = glm::rotate(matrix, glm::radians(degrees), glm::normalize(axis));
    matrix = glm::translate(matrix, -point);
    return Transform(matrix);
}

bool CPrimitive::Turn(float degrees, int axis) {
    if (axis < 0 || axis > 2) {
        return Fail(__LINE__, "Can't turn about axis %d", axis);
    }
    return TurnAbout(degrees, glm::vec3(m_frame[axis]), GetOrigin());
}

bool CPrimitive::Scale(float s, bool refresh) {
    return Scale(s, s, s, refresh);
}

bool CPrimitive::Scale(float x, float y, float z, bool) {
    // Scaling along the frame's own axes, about its origin; the axes keep
    // their unit length.
    glm::mat4 axes = m_frame;
    for (int i = 0; i < 3; ++i) {
        axes[i] = glm::vec4(glm::normalize(glm::vec3(m_frame[i])), 0.0f);
    }
    const glm::mat4 matrix =
        axes * glm::scale(glm::mat4(1.0f), glm::vec3(x, y, z)) * glm::inverse(axes);
    return RewriteVertices(matrix, false);
}

bool CPrimitive::SetVisible(bool on, bool recursive) {
    m_visible = on;
    if (recursive) {
        for (auto& child : m_children) {
            child->SetVisible(on, true);
        }
    }
    return true;
}

void CPrimitive::SetChannel(int channel, const glm::mat4& matrix, bool set) {
    m_channel[channel & 1] = matrix;
    m_channelSet[channel & 1] = set;
}

glm::mat4 CPrimitive::GetDrawTransform() const {
    if (m_channelSet[0] && m_channelSet[1]) {
        return m_channel[1] * m_channel[0];
    }
    if (m_channelSet[0]) {
        return m_channel[0];
    }
    return m_channelSet[1] ? m_channel[1] : glm::mat4(1.0f);
}

void CPrimitive::SetMaterial(const MATERIAL& material) {
    m_material = material;
    m_materialSet = true;
}

bool CPrimitive::Draw() {
    if (!m_visible) {
        return true;
    }
    const bool transformed = m_channelSet[0] || m_channelSet[1];
    const glm::mat4 old = m_device->GetTransform(CDirect3D::kWorld);
    if (transformed) {
        m_device->SetTransform(CDirect3D::kWorld, old * GetDrawTransform());
    }
    bool ok = DrawSelf();
    for (size_t i = 0; ok && i < m_children.size(); ++i) {
        ok = m_children[i]->Draw();
        if (!ok) {
            m_error = m_children[i]->GetError();
        }
    }
    if (transformed) {
        m_device->SetTransform(CDirect3D::kWorld, old);
    }
    return ok;
}

bool CPrimitive::DrawSelf() {
    if (m_buffer == nullptr) {
        return Fail(__LINE__, "No vertex buffer");
    }
    if (m_range.indexCount == 0) {
        return true;
    }
    // Every primitive sets all the state it draws with, so that neighbours
    // drawn alike stay one draw of the device.
    m_device->SetMaterial(m_materialSet ? m_material : MATERIAL());
    m_device->SetTexture(m_texture, m_textureWrap);
    m_device->SetDepthWrite(!m_pointSprite);
    m_device->SetAdditiveBlend(m_pointSprite);
    m_device->SetPointSprite(m_pointSprite);
    m_device->SetWireframe(m_device->IsSceneWireframe() || m_wireframe);
    bool ok = true;
    if (m_doubleSided) {
        m_device->SetCull(CDirect3D::kCullClockwise);
        ok = m_buffer->DrawPrimitive(*this);
    }
    m_device->SetCull(CDirect3D::kCullCounterClockwise);
    ok = ok && m_buffer->DrawPrimitive(*this);
    return ok || Fail(__LINE__, "%s", m_buffer->GetError());
}

bool CPrimitive::Animate(double, double) {
    return true;
}

bool CPrimitive::StartAnimation(double start) {
    m_animationStart = start;
    return true;
}

bool CPrimitive::OnMouseMove(int, int, int) {
    return false;
}

bool CPrimitive::OnFocusLost() {
    return false;
}

bool CPrimitive::OnMouseWheel(int, int) {
    return false;
}

bool CPrimitive::OnButtonDown(MouseButton, int, int, int) {
    return false;
}

bool CPrimitive::OnButtonUp(MouseButton, int, int, int) {
    return false;
}

bool CPrimitive::OnDoubleClick(MouseButton, int, int, int) {
    return false;
}

bool CPrimitive::OnKey(int, int) {
    return false;
}

bool CPrimitive::SetColour(uint32_t argb, bool specular, bool recursive) {
    if (m_buffer != nullptr && m_range.vertexCount > 0) {
        if (m_savedColours.empty()) {
            for (int i = 0; i < m_range.vertexCount; ++i) {
                const VERTEX* vertex = m_buffer->GetVertex(m_range.firstVertex + i);
                m_savedColours.push_back(vertex != nullptr ? vertex->diffuse : 0);
                m_savedColours.push_back(vertex != nullptr ? vertex->specular : 0);
            }
        }
        if (!m_buffer->SetColour(m_range.firstVertex, m_range.vertexCount, argb,
                                 specular ? CVertexBuffer::kSpecular : CVertexBuffer::kDiffuse,
                                 true)) {
            return Fail(__LINE__, "%s", m_buffer->GetError());
        }
    }
    if (recursive) {
        for (auto& child : m_children) {
            if (!child->SetColour(argb, specular, true)) {
                return false;
            }
        }
    }
    return true;
}

bool CPrimitive::RestoreColours(bool recursive) {
    if (!m_savedColours.empty() && m_buffer != nullptr) {
        for (int i = 0; i < m_range.vertexCount; ++i) {
            VERTEX* vertex = m_buffer->GetVertex(m_range.firstVertex + i);
            if (vertex != nullptr) {
                vertex->diffuse = m_savedColours[2 * i];
                vertex->specular = m_savedColours[2 * i + 1];
            }
        }
        m_savedColours.clear();
        m_buffer->Refresh(m_range.firstVertex, m_range.vertexCount);
    }
    if (recursive) {
        for (auto& child : m_children) {
            child->RestoreColours(true);
        }
    }
    return true;
}

void CPrimitive::ForEach(const std::function<void(CPrimitive&)>& visit) {
    visit(*this);
    for (auto& child : m_children) {
        child->ForEach(visit);
    }
}

CPrimitive* CPrimitive::Find(const char* name) {
    if (name != nullptr && m_name == name) {
        return this;
    }
    for (auto& child : m_children) {
        if (CPrimitive* found = child->Find(name)) {
            return found;
        }
    }
    return nullptr;
}

void CPrimitive::Dump(int depth) const {
    const glm::vec3 origin = GetOrigin();
    CCharString line;
    line.Format(
        "%*sPrimitive '%s': vertices %d (%d), indices %d (%d), %d primitives, at "
        "(%.2f, %.2f, %.2f)%s, %d children",
        depth * 2, "", m_name.GetText(), m_range.firstVertex, m_range.vertexCount,
        m_range.firstIndex, m_range.indexCount, m_range.primitiveCount, origin.x, origin.y,
        origin.z, m_visible ? "" : ", hidden", static_cast<int>(m_children.size()));
    Platform::WriteDebugOutput(line);
    for (const auto& child : m_children) {
        child->Dump(depth + 1);
    }
}
