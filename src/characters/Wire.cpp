#include "characters/Wire.h"

#include "scene/VertexBuffer.h"

CWire::CWire(const char* name, CDirect3D* device, CVertexBuffer* buffer)
    : CPrimitive(name, device, buffer) {}

bool CWire::Build(const std::vector<glm::vec3>& points, uint32_t argb) {
    if (points.size() < 2) {
        return Fail(__LINE__, "Wire must be at least 2 long");
    }
    if (m_buffer == nullptr) {
        return Fail(__LINE__, "Can't build wire %s without a buffer", GetName());
    }
    const bool lineMode = m_buffer->IsLineMode();
    m_buffer->SetLineMode(true);
    BeginGeometry();
    const uint32_t first = static_cast<uint32_t>(m_buffer->GetVertexCount());
    bool ok = true;
    for (const glm::vec3& point : points) {
        VERTEX vertex;
        vertex.x = point.x;
        vertex.y = point.y;
        vertex.z = point.z;
        vertex.nz = -1.0f;
        vertex.diffuse = argb;
        vertex.specular = argb;  // lit or not, a wire shows its colour
        ok = ok && m_buffer->AddVertex(vertex);
    }
    for (uint32_t i = 1; ok && i < points.size(); ++i) {
        ok = m_buffer->AddLine(first + i - 1, first + i);
    }
    EndGeometry();
    m_buffer->SetLineMode(lineMode);
    m_points = static_cast<int>(points.size());
    if (!ok) {
        return Fail(__LINE__, "Can't build wire %s: %s", GetName(), m_buffer->GetError());
    }
    glm::mat4 frame(1.0f);
    frame[3] = glm::vec4(points.front(), 1.0f);
    SetFrame(frame);
    return true;
}
