#include "scene/VertexBuffer.h"

#include <algorithm>
#include <new>

#include "foundation/ErrorReport.h"
#include "scene/D3DResult.h"
#include "scene/Direct3D.h"
#include "scene/Primitive.h"

CVertexBuffer::CVertexBuffer(CDirect3D* device, int capacity, bool secondList)
    : m_device(device), m_secondList(secondList) {
    Reserve(capacity);
}

CVertexBuffer::~CVertexBuffer() {
    ReleaseDevice();
}

bool CVertexBuffer::Reserve(int vertices) {
    if (vertices <= m_vertexCapacity) {
        return true;
    }
    const int capacity = std::max(vertices, m_vertexCapacity + kGrowStep);
    try {
        m_vertices.resize(capacity);
        m_extra1.resize(capacity);
        m_extra2.resize(capacity);
    } catch (const std::bad_alloc&) {
        return FailWith(m_error, kSource, __LINE__, "Can't allocate %d vertices", capacity);
    }
    m_vertexCapacity = capacity;
    return true;
}

void CVertexBuffer::SetCurrent(CPrimitive* primitive) {
    m_current = primitive;
    if (primitive != nullptr) {
        PRIMITIVE_RANGE& range = primitive->GetRange();
        range.firstVertex = m_vertexCount;
        range.vertexCount = 0;
        range.firstIndex = GetIndexCount();
        range.indexCount = 0;
        range.primitiveCount = 0;
        range.lines = m_lineMode;
    }
}

void CVertexBuffer::CountIndices(int indices, int primitives) {
    m_primitiveCount += primitives;
    if (m_current != nullptr) {
        m_current->GetRange().indexCount += indices;
        m_current->GetRange().primitiveCount += primitives;
    }
}

bool CVertexBuffer::AddVertex(const VERTEX& vertex, uint32_t extra1, uint32_t extra2) {
    if (m_vertexCount >= m_vertexCapacity && !Reserve(m_vertexCount + 1)) {
        return false;
    }
    m_vertices[m_vertexCount] = vertex;
    if ((vertex.diffuse >> 24) != 0xFF) {
        m_translucent.push_back(m_vertexCount);  // appended in order
    }
    m_extra1[m_vertexCount] = extra1;
    m_extra2[m_vertexCount] = extra2;
    ++m_vertexCount;
    if (m_current != nullptr) {
        ++m_current->GetRange().vertexCount;
    }
    return true;
}

bool CVertexBuffer::AddIndex(uint32_t index) {
    m_indices.push_back(index);
    return true;
}

bool CVertexBuffer::AddLine(uint32_t a, uint32_t b) {
    if (!m_lineMode || a >= static_cast<uint32_t>(m_vertexCount) ||
        b >= static_cast<uint32_t>(m_vertexCount)) {
        return FailWith(m_error, kSource, __LINE__, "Can't add line %u-%u of %d vertices", a, b,
                        m_vertexCount);
    }
    m_indices.insert(m_indices.end(), {a, b});
    CountIndices(2, 1);
    return true;
}

bool CVertexBuffer::AddTriangle(const VERTEX& a, const VERTEX& b, const VERTEX& c) {
    const uint32_t n = static_cast<uint32_t>(m_vertexCount);
    if (!AddVertex(a) || !AddVertex(b) || !AddVertex(c)) {
        return false;
    }
    if (m_lineMode) {
        m_indices.insert(m_indices.end(), {n, n + 1, n + 1, n + 2, n + 2, n});
        CountIndices(6, 3);
    } else {
        m_indices.insert(m_indices.end(), {n, n + 1, n + 2});
        CountIndices(3, 1);
    }
    return true;
}

bool CVertexBuffer::AddQuad(const VERTEX& a, const VERTEX& b, const VERTEX& c, const VERTEX& d) {
    const uint32_t n = static_cast<uint32_t>(m_vertexCount);
    if (!AddVertex(a) || !AddVertex(b) || !AddVertex(c) || !AddVertex(d)) {
        return false;
    }
    if (m_lineMode) {
        m_indices.insert(m_indices.end(), {n, n + 1, n + 1, n + 2, n + 2, n + 3, n + 3, n});
        CountIndices(8, 4);
    } else {
        m_indices.insert(m_indices.end(), {n, n + 1, n + 3, n + 1, n + 2, n + 3});
        CountIndices(6, 2);
    }
    return true;
}

bool CVertexBuffer::AddPolygon(const std::vector<uint32_t>& indices) {
    const int size = static_cast<int>(indices.size());
    if (size > 4) {
        return FailWith(m_error, kSource, __LINE__, "Can't add: size=%d", size);
    }
    if (size < 3) {
        return true;
    }
    for (uint32_t index : indices) {
        if (index >= static_cast<uint32_t>(m_vertexCount)) {
            return FailWith(m_error, kSource, __LINE__, "Can't add: index %u of %d vertices", index,
                            m_vertexCount);
        }
    }
    m_indices.insert(m_indices.end(), {indices[0], indices[1], indices[2]});
    CountIndices(3, 1);
    if (size == 4) {
        m_indices.insert(m_indices.end(), {indices[0], indices[2], indices[3]});
        CountIndices(3, 1);
    }
    return true;
}

bool CVertexBuffer::ToLines() {
    if (m_indices.size() < static_cast<size_t>(m_primitiveCount) * 3) {
        return FailWith(m_error, kSource, __LINE__, "%d indices for %d triangles", GetIndexCount(),
                        m_primitiveCount);
    }
    std::vector<uint32_t> lines;
    lines.reserve(m_indices.size() * 2);
    for (size_t i = 0; i + 2 < m_indices.size(); i += 3) {
        const uint32_t a = m_indices[i], b = m_indices[i + 1], c = m_indices[i + 2];
        lines.insert(lines.end(), {a, b, b, c, c, a});
    }
    for (int i = 0; i < m_primitives.GetCount(); ++i) {
        (*m_primitives.GetAt(i))->ForEach([](CPrimitive& primitive) {
            PRIMITIVE_RANGE& range = primitive.GetRange();
            range.firstIndex *= 2;
            range.indexCount *= 2;
            range.primitiveCount *= 3;
            range.lines = true;
        });
    }
    m_indices.swap(lines);
    m_primitiveCount *= 3;
    m_lineMode = true;
    return true;
}

bool CVertexBuffer::Upload() {
    if (m_device == nullptr || !m_device->IsCreated()) {
        return FailWith(m_error, kSource, __LINE__, "No device for the vertex buffer");
    }
    m_device->Flush();  // draws that wait use the device copy that goes
    ReleaseDevice();
    m_translucent.clear();
    CheckAlpha(0, m_vertexCount);
    const CGlApi& gl = m_device->GetApi();
    gl.GenVertexArrays(1, &m_vertexArray);
    gl.BindVertexArray(m_vertexArray);
    gl.GenBuffers(1, &m_vertexBuffer);
    gl.BindBuffer(GL_ARRAY_BUFFER, m_vertexBuffer);
    gl.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(m_vertexCapacity) * sizeof(VERTEX),
                  nullptr, GL_DYNAMIC_DRAW);
    gl.BufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(m_vertexCount) * sizeof(VERTEX),
                     m_vertices.data());
    CCharString name;
    if (m_device->TakeResult(name) != D3D_OK) {
        ReleaseDevice();
        return FailWith(m_error, kSource, __LINE__,
                        "Can't create device vertex buffer for %d vertices: %s", m_vertexCapacity,
                        name.GetText());
    }
    m_deviceVertexCapacity = m_vertexCapacity;
    struct ATTRIBUTE {
        GLuint index;
        GLint size;
        GLenum type;
        GLboolean normalized;
        size_t offset;
    };
    const ATTRIBUTE attributes[] = {
        {0, 3, GL_FLOAT, GL_FALSE, offsetof(VERTEX, x)},
        {1, 1, GL_FLOAT, GL_FALSE, offsetof(VERTEX, blendWeight)},
        {2, 3, GL_FLOAT, GL_FALSE, offsetof(VERTEX, nx)},
        {3, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, offsetof(VERTEX, diffuse)},
        {4, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, offsetof(VERTEX, specular)},
        {5, 2, GL_FLOAT, GL_FALSE, offsetof(VERTEX, u)},
    };
    for (const ATTRIBUTE& a : attributes) {
        gl.EnableVertexAttribArray(a.index);
        gl.VertexAttribPointer(a.index, a.size, a.type, a.normalized, sizeof(VERTEX),
                               reinterpret_cast<const void*>(a.offset));
    }
    gl.GenBuffers(1, &m_indexBuffer);
    gl.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indexBuffer);
    gl.BufferData(GL_ELEMENT_ARRAY_BUFFER,
                  static_cast<GLsizeiptr>(std::max<size_t>(1, m_indices.size())) * 4,
                  m_indices.empty() ? nullptr : m_indices.data(), GL_STATIC_DRAW);
    gl.BindVertexArray(0);
    if (m_device->TakeResult(name) != D3D_OK) {
        ReleaseDevice();
        return FailWith(m_error, kSource, __LINE__,
                        "Can't create device index buffer for %d indices: %s", GetIndexCount(),
                        name.GetText());
    }
    return true;
}

void CVertexBuffer::ReleaseDevice() {
    if (m_vertexArray != 0 || m_vertexBuffer != 0 || m_indexBuffer != 0) {
        if (m_device != nullptr && m_device->GetDevice() != nullptr &&
            m_device->GetDevice()->IsReady() && m_device->GetApi().IsLoaded()) {
            const CGlApi& gl = m_device->GetApi();
            gl.DeleteVertexArrays(1, &m_vertexArray);
            gl.DeleteBuffers(1, &m_vertexBuffer);
            gl.DeleteBuffers(1, &m_indexBuffer);
        }
    }
    m_vertexArray = m_vertexBuffer = m_indexBuffer = 0;
    m_deviceVertexCapacity = 0;
    m_refreshed.clear();  // the next upload copies everything
}

bool CVertexBuffer::Bind() {
    if (m_vertexArray == 0) {
        return FailWith(m_error, kSource, __LINE__, "Can't set vertices: %s", "D3DERR_INVALIDCALL");
    }
    m_device->Flush();
    if (!UploadChanges()) {
        return false;
    }
    m_device->GetApi().BindVertexArray(m_vertexArray);
    return true;
}

bool CVertexBuffer::DrawPrimitive(const CPrimitive& primitive) {
    const PRIMITIVE_RANGE& range = primitive.GetRange();
    if (range.indexCount == 0) {
        return true;
    }
    const CDirect3D::Topology topology = primitive.IsPointSprite() ? CDirect3D::kPoints
                                         : range.lines             ? CDirect3D::kLines
                                                                   : CDirect3D::kTriangles;
    return m_device->DrawIndexed(topology, static_cast<uint32_t>(range.firstIndex),
                                 static_cast<uint32_t>(range.indexCount),
                                 IsTranslucent(range.firstVertex, range.vertexCount)) ||
           FailWith(m_error, kSource, __LINE__, "Can't draw: %s", m_device->GetError());
}

bool CVertexBuffer::Refresh(int first, int count) {
    first = std::max(0, first);
    count = std::min(count, m_vertexCount - first);
    if (count <= 0) {
        return true;
    }
    CheckAlpha(first, count);
    if (m_vertexBuffer == 0) {
        return true;  // the next upload copies everything
    }
    if (first + count > m_deviceVertexCapacity) {
        return Upload();
    }
    if (static_cast<int>(m_refreshed.size()) >= kMaxPendingStretches) {
        STRETCH all = m_refreshed.front();
        for (const STRETCH& stretch : m_refreshed) {
            all.first = std::min(all.first, stretch.first);
            all.end = std::max(all.end, stretch.end);
        }
        m_refreshed.assign(1, all);
    }
    m_refreshed.push_back(STRETCH{first, first + count});
    return true;
}

bool CVertexBuffer::UploadChanges() {
    m_sentStretches = m_uploads = 0;
    if (m_refreshed.empty() || m_vertexBuffer == 0) {
        m_refreshed.clear();
        return true;
    }
    m_sentStretches = static_cast<int>(m_refreshed.size());
    std::sort(m_refreshed.begin(), m_refreshed.end(),
              [](const STRETCH& a, const STRETCH& b) { return a.first < b.first; });
    // Draws that wait read the vertices as they are when they are issued.
    m_device->Flush();
    const CGlApi& gl = m_device->GetApi();
    gl.BindBuffer(GL_ARRAY_BUFFER, m_vertexBuffer);
    STRETCH upload = m_refreshed.front();
    for (size_t i = 1; i <= m_refreshed.size(); ++i) {
        if (i < m_refreshed.size() && m_refreshed[i].first <= upload.end + kUploadGap) {
            upload.end = std::max(upload.end, m_refreshed[i].end);
            continue;
        }
        gl.BufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(upload.first) * sizeof(VERTEX),
                         static_cast<GLsizeiptr>(upload.end - upload.first) * sizeof(VERTEX),
                         &m_vertices[static_cast<size_t>(upload.first)]);
        ++m_uploads;
        if (i < m_refreshed.size()) {
            upload = m_refreshed[i];
        }
    }
    m_refreshed.clear();
    CCharString name;
    if (m_device->TakeResult(name) != D3D_OK) {
        return FailWith(m_error, kSource, __LINE__, "Can't lock device vertex buffer: %s",
                        name.GetText());
    }
    return true;
}

void CVertexBuffer::CheckAlpha(int first, int count) {
    const auto begin = std::lower_bound(m_translucent.begin(), m_translucent.end(), first);
    const auto end = std::lower_bound(begin, m_translucent.end(), first + count);
    std::vector<int> found;
    for (int i = first; i < first + count; ++i) {
        if ((m_vertices[static_cast<size_t>(i)].diffuse >> 24) != 0xFF) {
            found.push_back(i);
        }
    }
    if (found.empty() && begin == end) {
        return;
    }
    const auto at = m_translucent.erase(begin, end);
    m_translucent.insert(at, found.begin(), found.end());
}

bool CVertexBuffer::IsTranslucent(int first, int count) const {
    const auto at = std::lower_bound(m_translucent.begin(), m_translucent.end(), first);
    return at != m_translucent.end() && *at < first + count;
}

bool CVertexBuffer::SetColour(int first, int count, uint32_t argb, ColorKind which, bool refresh) {
    if (first < 0 || count < 0 || first + count > m_vertexCount) {
        return FailWith(m_error, kSource, __LINE__, "Can't set colours of vertices %d to %d of %d",
                        first, first + count, m_vertexCount);
    }
    for (int i = first; i < first + count; ++i) {
        (which == kDiffuse ? m_vertices[i].diffuse : m_vertices[i].specular) = argb;
    }
    if (which == kDiffuse) {
        CheckAlpha(first, count);
    }
    return !refresh || Refresh(first, count);
}
