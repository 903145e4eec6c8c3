#include "trainer/NoteShapes.h"

#include <cmath>

#include <glm/gtc/constants.hpp>

#include "scene/Shapes.h"
#include "scene/VertexBuffer.h"

namespace {

VERTEX Flat(const glm::vec2& p, uint32_t argb) {
    VERTEX v;
    v.x = p.x;
    v.y = p.y;
    v.nz = -1.0f;
    v.diffuse = argb;
    return v;
}

// The point of a turned ellipse at angle a.
glm::vec2 Ellipse(float a, float rx, float ry, float turn) {
    const glm::vec2 p(std::cos(a) * rx, std::sin(a) * ry);
    return glm::vec2(p.x * std::cos(turn) - p.y * std::sin(turn),
                     p.x * std::sin(turn) + p.y * std::cos(turn));
}

}  // namespace

CNoteShapes::CNoteShapes(const char* name, CDirect3D* device, CVertexBuffer* buffer)
    : CPrimitive(name, device, buffer) {}

void CNoteShapes::AddHead(bool hollow, uint32_t argb) {
    auto head = std::make_unique<CPrimitive>(hollow ? "Hollow head" : "Head", m_device, m_buffer);
    head->BeginGeometry();
    constexpr int kSegments = 16;
    const float turn = glm::radians(kHeadAngle);
    const float rx = kHeadSize, ry = kHeadSize * kHeadHeightRatio;
    for (int i = 0; i < kSegments; ++i) {
        const float a0 = glm::two_pi<float>() * i / kSegments;
        const float a1 = glm::two_pi<float>() * (i + 1) / kSegments;
        const glm::vec2 o0 = Ellipse(a0, rx, ry, turn), o1 = Ellipse(a1, rx, ry, turn);
        if (hollow) {
            // A ring: the inner ellipse is narrower than it is high.
            const glm::vec2 i0 = Ellipse(a0, rx * 0.55f, ry * 0.7f, -turn);
            const glm::vec2 i1 = Ellipse(a1, rx * 0.55f, ry * 0.7f, -turn);
            m_buffer->AddQuad(Flat(o1, argb), Flat(o0, argb), Flat(i0, argb), Flat(i1, argb));
        } else {
            m_buffer->AddTriangle(Flat(glm::vec2(0), argb), Flat(o1, argb), Flat(o0, argb));
        }
    }
    head->EndGeometry();
    AddChild(std::move(head));
}

void CNoteShapes::AddBar(const char* name, const glm::vec2& from, const glm::vec2& to, float width,
                         uint32_t argb) {
    const glm::vec2 along = to - from;
    const float length = glm::length(along);
    if (length <= 0.0f) {
        return;
    }
    const glm::vec2 side = glm::vec2(-along.y, along.x) / length * (width / 2);
    auto bar = std::make_unique<CPrimitive>(name, m_device, m_buffer);
    bar->BeginGeometry();
    m_buffer->AddQuad(Flat(from + side, argb), Flat(to + side, argb), Flat(to - side, argb),
                      Flat(from - side, argb));
    bar->EndGeometry();
    AddChild(std::move(bar));
}

bool CNoteShapes::SetLength(int length, float stemLength, uint32_t argb) {
    int flags = 0;
    switch (length) {
        case 0:
        case 1:
        case 2:
        case 4:
            break;
        case 8:
            flags = 1;
            break;
        case 16:
            flags = 2;
            break;
        case 32:
            flags = 3;
            break;
        case 64:
            flags = 4;
            break;
        default:
            return Fail(__LINE__, "Can't make a glyph of length %d", length);
    }
    m_kind = kNote;
    m_length = length;
    if (stemLength <= 0.0f) {
        stemLength = kStemLength;
    }
    AddHead(length == 1 || length == 2, argb);
    if (length == 0 || length == 1) {
        return true;
    }
    const float stemX = kHeadSize * 0.95f;
    const float stemWidth = kHeadSize * 0.18f;
    AddBar("Stem", glm::vec2(stemX, 0.0f), glm::vec2(stemX, stemLength), stemWidth, argb);
    const float flagX = kLineWidth * 0.85f + stemX;
    const float flagY = stemLength + kHeadSize * 0.18f;
    for (int i = 0; i < flags; ++i) {
        const float y = flagY - i * kFlagStep;
        AddBar("WireFlag", glm::vec2(flagX, y),
               glm::vec2(flagX + kFlagLength * 0.5f, y - kFlagLength), kLineWidth * 1.5f, argb);
    }
    return true;
}

bool CNoteShapes::MakeSign(Kind kind, uint32_t argb) {
    m_kind = kind;
    const float w = kLineWidth;
    if (kind == kSharp) {
        AddBar("SharpLeft", glm::vec2(-0.35f, -1.5f), glm::vec2(-0.35f, 1.7f), w, argb);
        AddBar("SharpRight", glm::vec2(0.35f, -1.7f), glm::vec2(0.35f, 1.5f), w, argb);
        AddBar("SharpTop", glm::vec2(-0.8f, 0.45f), glm::vec2(0.8f, 0.85f), w * 2.2f, argb);
        AddBar("SharpBottom", glm::vec2(-0.8f, -0.85f), glm::vec2(0.8f, -0.45f), w * 2.2f, argb);
        return true;
    }
    if (kind == kFlat) {
        AddBar("FlatStem", glm::vec2(-0.45f, -0.7f), glm::vec2(-0.45f, 2.4f), w, argb);
        // The bowl: a ring of bars around the lower part of the stem.
        constexpr int kSegments = 10;
        for (int i = 0; i < kSegments; ++i) {
            const float a0 = -glm::half_pi<float>() + glm::pi<float>() * i / kSegments;
            const float a1 = -glm::half_pi<float>() + glm::pi<float>() * (i + 1) / kSegments;
            const glm::vec2 c(-0.45f, 0.0f);
            AddBar("FlatBowl", c + glm::vec2(std::cos(a0) * 0.9f, std::sin(a0) * 0.7f),
                   c + glm::vec2(std::cos(a1) * 0.9f, std::sin(a1) * 0.7f), w * 1.2f, argb);
        }
        return true;
    }
    if (kind == kNatural) {
        // Two uprights shifted against each other, joined by two slanted bars.
        AddBar("NaturalLeft", glm::vec2(-0.4f, -0.7f), glm::vec2(-0.4f, 1.9f), w, argb);
        AddBar("NaturalRight", glm::vec2(0.4f, -1.9f), glm::vec2(0.4f, 0.7f), w, argb);
        AddBar("NaturalTop", glm::vec2(-0.4f, 0.3f), glm::vec2(0.4f, 0.7f), w * 2.2f, argb);
        AddBar("NaturalBottom", glm::vec2(-0.4f, -0.7f), glm::vec2(0.4f, -0.3f), w * 2.2f, argb);
        return true;
    }
    return Fail(__LINE__, "Can't make sign %d", static_cast<int>(kind));
}
