#pragma once

#include <cstdint>

#include "scene/Primitive.h"

// The glyph of one written note (head, "Stem", "WireFlag" flags) or of an
// accidental sign, built once, lying in the plane z = 0 and facing -z. The
// origin is the centre of the head (of the sign).
class CNoteShapes : public CPrimitive {
public:
    enum Kind { kNote, kSharp, kFlat, kNatural };
    static constexpr float kLineWidth = 0.2f;
    static constexpr float kHeadSize = 1.0f;
    static constexpr float kHeadHeightRatio = 0.8f;
    static constexpr float kHeadAngle = 20.0f;
    static constexpr float kFlagStep = 1.0f;
    static constexpr float kFlagLength = 3.0f;
    static constexpr float kStemLength = 6.0f;

    CNoteShapes(const char* name, CDirect3D* device, CVertexBuffer* buffer);

    // A note glyph of length 0, 1, 2, 4, 8, 16, 32 or 64 (stem length 0:
    // the default).
    bool SetLength(int length, float stemLength, uint32_t argb);
    bool MakeSign(Kind kind, uint32_t argb);
    int GetLength() const { return m_length; }
    Kind GetKind() const { return m_kind; }

private:
    void AddHead(bool hollow, uint32_t argb);
    void AddBar(const char* name, const glm::vec2& from, const glm::vec2& to, float width,
                uint32_t argb);

    int m_length = 0;
    Kind m_kind = kNote;
};
