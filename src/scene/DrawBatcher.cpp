#include "scene/DrawBatcher.h"

#include <algorithm>
#include <cstring>

namespace {

bool SameState(const DRAW_STATE& a, const DRAW_STATE& b) {
    return std::memcmp(&a, &b, sizeof(DRAW_STATE)) == 0;
}

}  // namespace

void CDrawBatcher::Add(const DRAW_STATE& state, uint32_t first, uint32_t count) {
    if (count == 0) {
        return;
    }
    DRAW draw;
    draw.state = state;
    draw.range.first = first;
    draw.range.count = count;
    m_draws.push_back(draw);
}

void CDrawBatcher::AddRange(std::vector<INDEX_RANGE>& ranges, DRAW_BATCH& batch,
                            const INDEX_RANGE& range) {
    if (batch.rangeCount > 0) {
        INDEX_RANGE& last = ranges.back();
        if (last.first + last.count == range.first) {
            last.count += range.count;
            return;
        }
    } else {
        batch.firstRange = ranges.size();
    }
    ranges.push_back(range);
    ++batch.rangeCount;
}

const std::vector<DRAW_BATCH>& CDrawBatcher::Take() {
    m_batches.clear();
    m_ranges.clear();
    // The opaque draws sorted by state, each state's draws in their order.
    m_order.clear();
    for (size_t i = 0; i < m_draws.size(); ++i) {
        if (m_draws[i].state.Has(DRAW_STATE::kOpaque)) {
            m_order.push_back(i);
        }
    }
    std::stable_sort(m_order.begin(), m_order.end(), [this](size_t a, size_t b) {
        return std::memcmp(&m_draws[a].state, &m_draws[b].state, sizeof(DRAW_STATE)) < 0;
    });
    m_opaque.clear();
    m_opaqueRanges.clear();
    m_firstDraw.clear();
    for (size_t i : m_order) {
        const DRAW& draw = m_draws[i];
        if (m_opaque.empty() || !SameState(m_opaque.back().state, draw.state)) {
            DRAW_BATCH batch;
            batch.state = draw.state;
            m_opaque.push_back(batch);
            m_firstDraw.push_back(i);
        }
        AddRange(m_opaqueRanges, m_opaque.back(), draw.range);
    }
    // Their batches in the order their first draws came.
    m_opaqueOrder.resize(m_opaque.size());
    for (size_t i = 0; i < m_opaqueOrder.size(); ++i) {
        m_opaqueOrder[i] = i;
    }
    std::sort(m_opaqueOrder.begin(), m_opaqueOrder.end(),
              [this](size_t a, size_t b) { return m_firstDraw[a] < m_firstDraw[b]; });
    for (size_t i : m_opaqueOrder) {
        DRAW_BATCH batch = m_opaque[i];
        batch.firstRange = m_ranges.size();
        m_ranges.insert(m_ranges.end(), m_opaqueRanges.begin() + m_opaque[i].firstRange,
                        m_opaqueRanges.begin() + m_opaque[i].firstRange + m_opaque[i].rangeCount);
        m_batches.push_back(batch);
    }
    // The translucent draws after them, in their order.
    for (const DRAW& draw : m_draws) {
        if (draw.state.Has(DRAW_STATE::kOpaque)) {
            continue;
        }
        if (m_batches.empty() || !SameState(m_batches.back().state, draw.state)) {
            DRAW_BATCH batch;
            batch.state = draw.state;
            m_batches.push_back(batch);
        }
        AddRange(m_ranges, m_batches.back(), draw.range);
    }
    m_draws.clear();
    return m_batches;
}
