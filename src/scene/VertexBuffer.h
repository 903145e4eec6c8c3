#pragma once

#include <cstdint>
#include <vector>

#include "foundation/CharString.h"
#include "foundation/VarList.h"

class CDirect3D;
class CPrimitive;

// One vertex of the shared buffer: 44 bytes.
struct VERTEX {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    float blendWeight = 0.0f;
    float nx = 0.0f, ny = 0.0f, nz = 0.0f;
    uint32_t diffuse = 0xFFFFFFFF;  // ARGB: ambient and diffuse reflection
    uint32_t specular = 0;          // ARGB: emissive colour
    float u = 0.0f, v = 0.0f;
};
static_assert(sizeof(VERTEX) == 44, "the vertex record is 44 bytes");

// The vertices and indices of a whole picture in one system copy and one
// device copy, and the list of primitives drawn from them in order.
// Primitives own contiguous stretches; geometry added while a primitive is
// current is counted into it. Stretches refreshed between two frames go to
// the device together when the list is bound for the next one, neighbours
// in one upload. The list knows which vertices have a translucent diffuse
// colour, so that draws of opaque ones can be batched freely.
class CVertexBuffer {
public:
    static constexpr const char* kSource = "VertexBuffer";
    static constexpr int kGrowStep = 10000;
    enum ColorKind { kDiffuse, kSpecular };

    CVertexBuffer(CDirect3D* device, int capacity, bool secondList = false);
    CVertexBuffer(const CVertexBuffer&) = delete;
    CVertexBuffer& operator=(const CVertexBuffer&) = delete;
    virtual ~CVertexBuffer();

    bool Reserve(int vertices);
    // The primitive that receives what is added next (null for none): its
    // first vertex and index become the buffer's current ends.
    void SetCurrent(CPrimitive* primitive);
    CPrimitive* GetCurrent() const { return m_current; }
    void SetLineMode(bool on) { m_lineMode = on; }
    bool IsLineMode() const { return m_lineMode; }

    bool AddVertex(const VERTEX& vertex, uint32_t extra1 = 0, uint32_t extra2 = 0);
    bool AddTriangle(const VERTEX& a, const VERTEX& b, const VERTEX& c);
    bool AddQuad(const VERTEX& a, const VERTEX& b, const VERTEX& c, const VERTEX& d);
    // Triangles over already added vertices: 3 or 4 indices.
    bool AddPolygon(const std::vector<uint32_t>& indices);
    bool AddIndex(uint32_t index);
    // One line between two added vertices; the buffer must be in line mode.
    bool AddLine(uint32_t a, uint32_t b);
    bool ToLines();

    bool Upload();
    void ReleaseDevice();
    bool IsUploaded() const { return m_vertexBuffer != 0; }
    // Binds the list for drawing, after sending the refreshed stretches.
    bool Bind();
    bool DrawPrimitive(const CPrimitive& primitive);
    // Marks vertices [first, first + count) for the device copy, which
    // receives them at the next Bind (or UploadChanges).
    bool Refresh(int first, int count);
    // Sends the stretches refreshed since the last upload; false when the
    // device copy could not take them.
    bool UploadChanges();
    int GetPendingStretches() const { return static_cast<int>(m_refreshed.size()); }
    // The stretches the last UploadChanges sent and the uploads it took.
    int GetSentStretches() const { return m_sentStretches; }
    int GetUploads() const { return m_uploads; }
    // Some vertex of [first, first + count) has a diffuse alpha below 255,
    // as the vertices were at the last upload, refresh or colour change.
    bool IsTranslucent(int first, int count) const;
    bool SetColour(int first, int count, uint32_t argb, ColorKind which, bool refresh);

    bool AddPrimitive(CPrimitive* primitive) { return m_primitives.Add(primitive); }
    CVarList<CPrimitive*>& GetPrimitives() { return m_primitives; }

    VERTEX* GetVertex(int i) { return i >= 0 && i < m_vertexCount ? &m_vertices[i] : nullptr; }
    int GetVertexCount() const { return m_vertexCount; }
    int GetVertexCapacity() const { return m_vertexCapacity; }
    int GetIndexCount() const { return static_cast<int>(m_indices.size()); }
    int GetPrimitiveCount() const { return m_primitiveCount; }
    const std::vector<uint32_t>& GetIndices() const { return m_indices; }
    uint32_t GetExtra1(int i) const { return m_extra1[i]; }
    uint32_t GetExtra2(int i) const { return m_extra2[i]; }
    bool IsSecondList() const { return m_secondList; }
    CDirect3D* GetDevice() const { return m_device; }
    const char* GetError() const { return m_error; }

private:
    // Two refreshed stretches closer than this many vertices go to the
    // device as one.
    static constexpr int kUploadGap = 256;
    // More stretches than this waiting (no frame drawn for a while) become
    // the one stretch that covers them.
    static constexpr int kMaxPendingStretches = 4096;
    struct STRETCH {
        int first;
        int end;
    };
    void CountIndices(int indices, int primitives);
    // Notes which vertices of [first, first + count) are translucent.
    void CheckAlpha(int first, int count);

    CDirect3D* m_device;
    bool m_secondList;
    CCharString m_error;
    CVarList<CPrimitive*> m_primitives{64};
    std::vector<VERTEX> m_vertices;
    std::vector<uint32_t> m_extra1;
    std::vector<uint32_t> m_extra2;
    std::vector<uint32_t> m_indices;
    int m_vertexCapacity = 0;
    int m_vertexCount = 0;
    int m_primitiveCount = 0;
    int m_deviceVertexCapacity = 0;
    bool m_lineMode = false;
    CPrimitive* m_current = nullptr;
    uint32_t m_vertexArray = 0;
    uint32_t m_vertexBuffer = 0;
    uint32_t m_indexBuffer = 0;
    std::vector<STRETCH> m_refreshed;
    int m_sentStretches = 0;
    int m_uploads = 0;
    std::vector<int> m_translucent;  // vertices, ascending
};
