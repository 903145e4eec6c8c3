#pragma once

#include <cstdint>
#include <vector>

#include <glm/glm.hpp>

// What a draw of the scene is made with, besides its indices. Every member
// is four bytes wide, so that two states compare as bytes.
struct DRAW_STATE {
    enum Flag : uint32_t {
        kTextureWrap = 1u << 0,
        kWireframe = 1u << 1,
        kDepthWrite = 1u << 2,
        kAdditive = 1u << 3,
        kPointSprite = 1u << 4,
        // Blending changes nothing: no texture, opaque vertex colours.
        kOpaque = 1u << 5,
        kCullShift = 6,      // two bits of CDirect3D::Cull
        kTopologyShift = 8,  // two bits of CDirect3D::Topology
    };
    uint32_t texture = 0;
    uint32_t flags = 0;
    glm::vec4 specular{0.0f};  // the material's
    float power = 0.0f;
    glm::mat4 world{1.0f};

    bool Has(Flag flag) const { return (flags & flag) != 0; }
    int GetCull() const { return static_cast<int>((flags >> kCullShift) & 3u); }
    int GetTopology() const { return static_cast<int>((flags >> kTopologyShift) & 3u); }
};
static_assert(sizeof(DRAW_STATE) == 23 * 4, "a draw state has no padding to compare");

// One range of the bound index buffer.
struct INDEX_RANGE {
    uint32_t first = 0;
    uint32_t count = 0;
};

// Draws of one state that go to the driver as one call.
struct DRAW_BATCH {
    DRAW_STATE state;
    size_t firstRange = 0;  // in CDrawBatcher::GetRanges
    size_t rangeCount = 0;
};

// Collects the draws of a frame and hands them back grouped by state, so
// that the driver gets one call per state instead of one per primitive.
// Opaque draws (depth-tested, written and blended to nothing) come first,
// one batch per state in the order its first draw came: the depth test
// makes their order free. Translucent draws come after them in the order
// they came, draws of the same state next to each other going together.
// Within a batch the ranges keep their order; adjoining ones become one.
class CDrawBatcher {
public:
    void Add(const DRAW_STATE& state, uint32_t first, uint32_t count);
    bool IsEmpty() const { return m_draws.empty(); }
    // The batches of the draws added since the last Take, in drawing order;
    // valid until the next Add.
    const std::vector<DRAW_BATCH>& Take();
    const std::vector<INDEX_RANGE>& GetRanges() const { return m_ranges; }

private:
    struct DRAW {
        DRAW_STATE state;
        INDEX_RANGE range;
    };
    // Appends range to batch, whose ranges are the last of ranges.
    static void AddRange(std::vector<INDEX_RANGE>& ranges, DRAW_BATCH& batch,
                         const INDEX_RANGE& range);

    std::vector<DRAW> m_draws;
    std::vector<size_t> m_order;
    std::vector<DRAW_BATCH> m_opaque;
    std::vector<size_t> m_firstDraw;  // of each opaque batch
    std::vector<size_t> m_opaqueOrder;
    std::vector<DRAW_BATCH> m_batches;
    std::vector<INDEX_RANGE> m_ranges;
    std::vector<INDEX_RANGE> m_opaqueRanges;
};
