#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include "scene/DrawBatcher.h"

namespace {

DRAW_STATE Opaque(uint32_t extra = 0) {
    DRAW_STATE state;
    state.flags = DRAW_STATE::kOpaque | DRAW_STATE::kDepthWrite | extra;
    return state;
}

DRAW_STATE Textured(uint32_t texture) {
    DRAW_STATE state;
    state.texture = texture;
    state.flags = DRAW_STATE::kDepthWrite;
    return state;
}

// The ranges of a batch as (first, count) pairs.
std::vector<std::pair<uint32_t, uint32_t>> RangesOf(const CDrawBatcher& batcher,
                                                    const DRAW_BATCH& batch) {
    std::vector<std::pair<uint32_t, uint32_t>> ranges;
    for (size_t i = batch.firstRange; i < batch.firstRange + batch.rangeCount; ++i) {
        ranges.emplace_back(batcher.GetRanges()[i].first, batcher.GetRanges()[i].count);
    }
    return ranges;
}

using Ranges = std::vector<std::pair<uint32_t, uint32_t>>;

TEST(DrawBatcher, DrawsOpaquePrimitivesOfOneStateInOneBatchJoiningNeighbours) {
    CDrawBatcher batcher;
    batcher.Add(Opaque(), 0, 36);
    batcher.Add(Opaque(), 36, 36);  // adjoins the first
    batcher.Add(Opaque(), 120, 6);  // a hidden primitive lies between
    batcher.Add(Opaque(), 126, 0);  // nothing to draw
    const std::vector<DRAW_BATCH>& batches = batcher.Take();
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(RangesOf(batcher, batches[0]), (Ranges{{0, 72}, {120, 6}}));
    EXPECT_TRUE(batcher.IsEmpty());
    EXPECT_TRUE(batcher.Take().empty());
}

TEST(DrawBatcher, GroupsOpaqueDrawsByStateInTheOrderEachStateFirstCame) {
    CDrawBatcher batcher;
    DRAW_STATE turned = Opaque();
    turned.world = glm::rotate(glm::mat4(1.0f), 0.5f, glm::vec3(0, 1, 0));
    batcher.Add(Opaque(), 0, 6);
    batcher.Add(turned, 6, 6);
    batcher.Add(Opaque(DRAW_STATE::kWireframe), 12, 6);
    batcher.Add(Opaque(), 18, 6);
    batcher.Add(turned, 30, 6);
    const std::vector<DRAW_BATCH>& batches = batcher.Take();
    ASSERT_EQ(batches.size(), 3u);
    EXPECT_EQ(RangesOf(batcher, batches[0]), (Ranges{{0, 6}, {18, 6}}));
    EXPECT_EQ(batches[1].state.world, turned.world);
    EXPECT_EQ(RangesOf(batcher, batches[1]), (Ranges{{6, 6}, {30, 6}}));
    EXPECT_TRUE(batches[2].state.Has(DRAW_STATE::kWireframe));
    EXPECT_EQ(RangesOf(batcher, batches[2]), (Ranges{{12, 6}}));
}

TEST(DrawBatcher, DrawsTranslucentPrimitivesAfterTheOpaqueOnesInTheirOwnOrder) {
    CDrawBatcher batcher;
    batcher.Add(Opaque(), 0, 36);
    batcher.Add(Textured(7), 36, 6);  // a label on the key
    batcher.Add(Opaque(), 42, 36);
    batcher.Add(Textured(7), 78, 6);
    batcher.Add(Textured(7), 90, 6);
    batcher.Add(Textured(9), 96, 6);  // a clef of its own texture
    batcher.Add(Textured(7), 102, 6);
    const std::vector<DRAW_BATCH>& batches = batcher.Take();
    ASSERT_EQ(batches.size(), 4u);
    EXPECT_TRUE(batches[0].state.Has(DRAW_STATE::kOpaque));
    EXPECT_EQ(RangesOf(batcher, batches[0]), (Ranges{{0, 36}, {42, 36}}));
    // Neighbours of one state go together; a state between keeps them apart.
    EXPECT_EQ(batches[1].state.texture, 7u);
    EXPECT_EQ(RangesOf(batcher, batches[1]), (Ranges{{36, 6}, {78, 6}, {90, 6}}));
    EXPECT_EQ(batches[2].state.texture, 9u);
    EXPECT_EQ(batches[3].state.texture, 7u);
    EXPECT_EQ(RangesOf(batcher, batches[3]), (Ranges{{102, 6}}));
}

TEST(DrawBatcher, KeepsBothPassesOfADoubleSidedTranslucentPrimitiveInTurn) {
    CDrawBatcher batcher;
    DRAW_STATE back = Textured(3);
    back.flags |= 1u << DRAW_STATE::kCullShift;
    DRAW_STATE front = Textured(3);
    front.flags |= 2u << DRAW_STATE::kCullShift;
    batcher.Add(back, 0, 6);
    batcher.Add(front, 0, 6);
    batcher.Add(back, 6, 6);
    batcher.Add(front, 6, 6);
    const std::vector<DRAW_BATCH>& batches = batcher.Take();
    ASSERT_EQ(batches.size(), 4u);
    EXPECT_EQ(batches[0].state.GetCull(), 1);
    EXPECT_EQ(batches[1].state.GetCull(), 2);
    EXPECT_EQ(RangesOf(batcher, batches[2]), (Ranges{{6, 6}}));
}

}  // namespace
