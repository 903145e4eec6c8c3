#include "characters/StagePiano.h"

#include <memory>

#include "scene/Shapes.h"

namespace {

constexpr float kWhiteWidth = 2.3f;
constexpr float kWhiteLength = 14.0f;
constexpr float kBlackLength = 9.0f;
constexpr float kFront = 34.0f;  // the keys' front edge
constexpr float kPress = 0.8f;
constexpr uint32_t kWhite = 0xFFF4F4EC;
constexpr uint32_t kBlack = 0xFF141414;
constexpr uint32_t kCase = 0xFF2A2A30;
constexpr bool kIsBlack[12] = {false, true,  false, true,  false, false,
                               true,  false, true,  false, true,  false};
constexpr int kWhiteIndex[12] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};

}  // namespace

CStagePiano::CStagePiano(CDirect3D* device, CVertexBuffer* buffer)
    : CPrimitive("Stage piano", device, buffer) {}

float CStagePiano::WhitePosition(int midiNote) {
    const int octave = midiNote / 12 - kLowest / 12;
    const int step = midiNote % 12;
    const float whites = octave * 7.0f + kWhiteIndex[step] + (kIsBlack[step] ? 0.5f : 0.0f);
    return whites - 17.5f;  // 36 white keys, the middle between the 18th and 19th
}

bool CStagePiano::Build() {
    CDirect3D* device = m_device;
    CVertexBuffer* buffer = m_buffer;
    const float width = 36.0f * kWhiteWidth;
    AddChild(CShapes::Box("Case", device, buffer,
                          glm::vec3(0, kKeyHeight - 3.0f, kFront + kWhiteLength * 0.5f + 2.0f),
                          glm::vec3(width + 6.0f, 5.0f, kWhiteLength + 10.0f), kCase));
    for (const float side : {-1.0f, 1.0f}) {
        AddChild(CShapes::Cylinder("Stand", device, buffer,
                                   glm::vec3(side * width * 0.4f, kKeyHeight - 6.0f, kFront + 8.0f),
                                   glm::vec3(side * width * 0.4f, 0.0f, kFront + 8.0f), 1.5f, 6,
                                   kCase));
    }
    for (int note = kLowest; note <= kHighest; ++note) {
        const bool black = kIsBlack[note % 12];
        const float x = WhitePosition(note) * kWhiteWidth;
        const glm::vec3 centre =
            black ? glm::vec3(x, kKeyHeight + 1.0f, kFront + kWhiteLength - kBlackLength * 0.5f)
                  : glm::vec3(x, kKeyHeight, kFront + kWhiteLength * 0.5f);
        const glm::vec3 size = black ? glm::vec3(1.3f, 1.6f, kBlackLength)
                                     : glm::vec3(kWhiteWidth - 0.2f, 1.6f, kWhiteLength);
        m_keys[note - kLowest] =
            AddChild(CShapes::Box("Key", device, buffer, centre, size, black ? kBlack : kWhite));
    }
    return true;
}

glm::vec3 CStagePiano::GetKeyPoint(int midiNote, float height) const {
    const bool black = kIsBlack[midiNote % 12];
    const float x = WhitePosition(midiNote) * kWhiteWidth;
    const float z = black ? kFront + kWhiteLength - kBlackLength * 0.6f : kFront + 3.0f;
    return ToWorld(glm::vec3(x, kKeyHeight + (black ? 1.8f : 0.8f) + height, z));
}

bool CStagePiano::PressKey(int midiNote, bool down) {
    if (!HasKey(midiNote)) {
        return false;
    }
    bool& isDown = m_down[midiNote - kLowest];
    if (isDown == down) {
        return true;
    }
    isDown = down;
    const glm::vec3 step =
        ToWorld(glm::vec3(0, down ? -kPress : kPress, 0)) - ToWorld(glm::vec3(0));
    return m_keys[midiNote - kLowest]->MoveBy(step);
}

bool CStagePiano::IsKeyDown(int midiNote) const {
    return HasKey(midiNote) && m_down[midiNote - kLowest];
}
