#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "foundation/CharString.h"

class CDirect3D;
class CPrimitive;
class CVertexBuffer;

// Many short texts painted once into one texture, so that every label of a
// picture draws from the same texture and state. Labels are flat quads.
class CTextLabels {
public:
    static constexpr const char* kSource = "TextLabels";

    explicit CTextLabels(CDirect3D* device);
    ~CTextLabels();
    CTextLabels(const CTextLabels&) = delete;
    CTextLabels& operator=(const CTextLabels&) = delete;

    // The index of text, added when it is new.
    int Add(const char* text);
    bool Paint(const char* face, int pixelHeight);
    // A quad of the text facing -z, height units high, centred at center,
    // in colour argb; null before Paint or for an unknown index.
    std::unique_ptr<CPrimitive> MakeLabel(const char* name, CVertexBuffer* buffer, int index,
                                          const glm::vec3& center, float height, uint32_t argb);
    uint32_t GetTexture() const { return m_texture; }
    const char* GetError() const { return m_error; }

private:
    struct LABEL {
        std::string text;
        float u0 = 0, v0 = 0, u1 = 0, v1 = 0;
        float aspect = 1.0f;  // width per height
    };

    CDirect3D* m_device;
    CCharString m_error;
    std::vector<LABEL> m_labels;
    uint32_t m_texture = 0;
};
