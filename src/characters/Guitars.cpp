#include "characters/Guitars.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "characters/Wire.h"
#include "scene/Shapes.h"
#include "theory/Note.h"

namespace {

constexpr int kRound = 16;
constexpr float kGuitarScale = 65.0f;
constexpr float kBassScale = 86.0f;
constexpr float kNeckThickness = 2.5f;
constexpr float kStringHeight = 0.6f;  // over the fretboard
constexpr uint32_t kNeckColour = 0xFF4A2A12;
constexpr uint32_t kFretColour = 0xFFC8C8C8;
constexpr uint32_t kStringColour = 0xFFA8A090;
constexpr float kPickX = 12.0f;

}  // namespace

CGuitars::CGuitars(const char* name, CDirect3D* device, CVertexBuffer* buffer, int thing)
    : CPrimitive(name, device, buffer),
      m_strings(thing == THING_BASS_GUITAR ? 4 : 6),
      m_scale(thing == THING_BASS_GUITAR ? kBassScale : kGuitarScale),
      m_spacing(thing == THING_BASS_GUITAR ? 1.4f : 0.95f) {}

float CGuitars::FretX(int fret) const {
    return m_scale * std::pow(2.0f, -static_cast<float>(fret) / 12.0f);
}

float CGuitars::StringY(int string) const {
    // String 1 on +y: once held with the neck to the left, that side is
    // the floor's.
    return ((m_strings + 1) * 0.5f - static_cast<float>(string)) * m_spacing;
}

bool CGuitars::Build(const glm::mat4& place, uint32_t bodyColour) {
    CDirect3D* device = m_device;
    CVertexBuffer* buffer = m_buffer;
    const float neckWidth = m_spacing * m_strings + 1.2f;
    const float bodyEnd = m_scale * 0.38f;  // where the neck leaves the body
    const float bodyDepth = 4.0f;
    m_top = kNeckThickness * 0.5f + kStringHeight;
    // The body: a larger lower bout around the bridge and a smaller upper one.
    AddChild(CShapes::Cylinder("Lower bout", device, buffer, glm::vec3(-2.0f, 0, -bodyDepth - 1.0f),
                               glm::vec3(-2.0f, 0, -1.0f), m_scale * 0.27f, kRound, bodyColour));
    AddChild(CShapes::Cylinder(
        "Upper bout", device, buffer, glm::vec3(bodyEnd - m_scale * 0.12f, 0, -bodyDepth - 1.0f),
        glm::vec3(bodyEnd - m_scale * 0.12f, 0, -1.0f), m_scale * 0.2f, kRound, bodyColour));
    AddChild(CShapes::Box("Bridge", device, buffer, glm::vec3(0, 0, -0.5f),
                          glm::vec3(2.0f, neckWidth + 1.0f, 1.0f), kNeckColour));
    AddChild(CShapes::Box("Neck", device, buffer, glm::vec3((bodyEnd + m_scale) * 0.5f, 0, 0),
                          glm::vec3(m_scale - bodyEnd + 1.0f, neckWidth, kNeckThickness),
                          kNeckColour));
    AddChild(CShapes::Box("Head", device, buffer, glm::vec3(m_scale + 8.0f, 0, -0.5f),
                          glm::vec3(16.0f, neckWidth + 2.0f, 1.5f), kNeckColour));
    for (int fret = 1; fret <= kFrets && FretX(fret) > bodyEnd - 1.0f; ++fret) {
        AddChild(CShapes::Box("Fret", device, buffer,
                              glm::vec3(FretX(fret), 0, kNeckThickness * 0.5f),
                              glm::vec3(0.25f, neckWidth, 0.3f), kFretColour));
    }
    for (int string = 1; string <= m_strings; ++string) {
        auto wire = std::make_unique<CWire>("String", device, buffer);
        const float y = StringY(string);
        if (!wire->Build({glm::vec3(0, y, m_top), glm::vec3(m_scale, y, m_top)}, kStringColour)) {
            return Fail(__LINE__, "Can't build the strings of %s: %s", GetName(), wire->GetError());
        }
        AddChild(std::move(wire));
    }
    return Transform(place);
}

glm::vec3 CGuitars::GetStopPoint(int string, int fret) const {
    const float behind =
        fret <= 0 ? FretX(0) : FretX(fret) + (FretX(fret - 1) - FretX(fret)) * 0.3f;
    return Local(behind, StringY(string), m_top);
}

glm::vec3 CGuitars::GetHoverPoint(int fret, float height) const {
    const float x = fret <= 0 ? FretX(0) - 1.0f : (FretX(fret) + FretX(fret - 1)) * 0.5f;
    return Local(x, 0.0f, m_top + height);
}

glm::vec3 CGuitars::GetKnucklePoint(int fret) const {
    const float x = (FretX(fret) + FretX(std::max(fret - 1, 0))) * 0.5f;
    return Local(x, m_spacing * m_strings * 0.5f + 2.0f, m_top + 2.5f);
}

glm::vec3 CGuitars::GetPickPoint(int string, float height) const {
    return Local(kPickX, StringY(string), m_top + height);
}
