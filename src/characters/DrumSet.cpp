#include "characters/DrumSet.h"

#include <memory>

#include "scene/Shapes.h"
#include "theory/Note.h"

namespace {

constexpr int kRound = 20;
constexpr uint32_t kShell = 0xFF9A1A24;
constexpr uint32_t kHead = 0xFFF0EEE0;
constexpr uint32_t kBrass = 0xFFD8B040;
constexpr uint32_t kChrome = 0xFFB8B8C0;
constexpr uint32_t kThrone = 0xFF181818;

struct PIECE_INFO {
    const char* name;
    glm::vec3 centre;  // of the top face for drums and cymbals
    float radius;
    float depth;       // shell depth; 0 for a cymbal
    glm::vec3 strike;  // where it is struck
};

const PIECE_INFO kPieces[CDrumSet::kPieceCount] = {
    {"Bass drum", {0, 28, 62}, 27, 0, {6, 4, 30}},  // struck through its pedal
    {"Snare drum", {-20, 64, 34}, 17, 14, {-18, 65, 32}},
    {"Hi-hat", {-46, 90, 36}, 18, 0, {-40, 91, 30}},
    {"Hi-hat pedal", {-34, 2, 28}, 5, 0, {-32, 4, 26}},
    {"Tom 1", {-14, 82, 58}, 13, 12, {-12, 83, 54}},
    {"Tom 2", {16, 82, 58}, 14, 13, {14, 83, 54}},
    {"Floor tom", {40, 56, 32}, 19, 30, {36, 57, 30}},
    {"Ride cymbal", {50, 98, 56}, 26, 0, {42, 99, 48}},
    {"Crash cymbal", {-36, 114, 66}, 21, 0, {-30, 115, 56}},
    {"Splash cymbal", {22, 116, 74}, 13, 0, {20, 117, 66}},
    {"China cymbal", {60, 114, 72}, 22, 0, {52, 115, 62}},
};

}  // namespace

CDrumSet::CDrumSet(CDirect3D* device, CVertexBuffer* buffer)
    : CPrimitive("Drum set", device, buffer) {}

const char* CDrumSet::GetPieceName(int piece) {
    return piece >= 0 && piece < kPieceCount ? kPieces[piece].name : "";
}

int CDrumSet::FindPiece(int thing) {
    if (thing == THING_BASS_DRUM_1 || thing == THING_BASS_DRUM_2) {
        return kBassDrum;
    }
    if (thing == THING_HI_HAT_FOOT) {
        return kHiHatPedal;
    }
    if (thing >= THING_HI_HAT_OPEN && thing <= THING_HI_HAT_BOTTOM) {
        return kHiHat;
    }
    if (thing == THING_SNARE_DRUM || thing == 8) {
        return kSnare;
    }
    if (thing >= THING_TOM_1 && thing <= 23) {
        // Toms and octobans, high to low.
        const int step = (thing - THING_TOM_1) % 6;
        return step < 2 ? kHighTom : step < 4 ? kMiddleTom : kFloorTom;
    }
    if (thing == THING_RIDE_CYMBAL || thing == THING_RIDE_BELL) {
        return kRide;
    }
    if (thing >= THING_CRASH_CYMBAL_1 && thing < THING_SPLASH_CYMBAL_1) {
        return kCrash;
    }
    if (thing >= THING_SPLASH_CYMBAL_1 && thing < THING_CHINESE_CYMBAL_1) {
        return kSplash;
    }
    if (thing == THING_CHINESE_CYMBAL_1 || thing == THING_CHINESE_CYMBAL_2) {
        return kChina;
    }
    return kNoPiece;
}

bool CDrumSet::Build() {
    CDirect3D* device = m_device;
    CVertexBuffer* buffer = m_buffer;
    for (int i = 0; i < kPieceCount; ++i) {
        const PIECE_INFO& info = kPieces[i];
        auto piece = std::make_unique<CPrimitive>(info.name, device, buffer);
        if (i == kBassDrum) {
            // Lying on its side, the head towards the drummer.
            const glm::vec3 c = info.centre;
            piece->AddChild(CShapes::Cylinder("Shell", device, buffer, c + glm::vec3(0, 0, 18),
                                              c - glm::vec3(0, 0, 18), info.radius, kRound,
                                              kShell));
            piece->AddChild(CShapes::Disc("Head", device, buffer, c - glm::vec3(0, 0, 18.2f),
                                          glm::vec3(0, 0, -1), info.radius * 0.96f, kRound, kHead));
        } else if (i == kHiHatPedal) {
            piece->AddChild(
                CShapes::Box("Pedal", device, buffer, info.centre, glm::vec3(8, 2, 22), kChrome));
        } else if (info.depth > 0.0f) {
            const glm::vec3 top = info.centre;
            const glm::vec3 bottom = top - glm::vec3(0, info.depth, 0);
            piece->AddChild(CShapes::Cylinder("Shell", device, buffer, top, bottom, info.radius,
                                              kRound, kShell));
            piece->AddChild(CShapes::Disc("Head", device, buffer, top + glm::vec3(0, 0.1f, 0),
                                          glm::vec3(0, 1, 0), info.radius * 0.96f, kRound, kHead));
            piece->AddChild(CShapes::Cylinder("Stand", device, buffer, bottom,
                                              glm::vec3(bottom.x, 0, bottom.z), 1.0f, 6, kChrome));
        } else {
            const glm::vec3 top = info.centre;
            piece->AddChild(CShapes::Cylinder("Cymbal", device, buffer, top,
                                              top - glm::vec3(0, 1.2f, 0), info.radius, kRound,
                                              kBrass));
            piece->AddChild(CShapes::Cylinder("Stand", device, buffer, top - glm::vec3(0, 1.2f, 0),
                                              glm::vec3(top.x, 0, top.z), 1.0f, 6, kChrome));
        }
        m_pieces[i] = AddChild(std::move(piece));
    }
    const glm::vec3 pedal = kPieces[kBassDrum].strike;
    AddChild(CShapes::Box("Bass drum pedal", device, buffer, pedal - glm::vec3(0, 2, 0),
                          glm::vec3(8, 2, 22), kChrome));
    AddChild(CShapes::Cylinder("Throne", device, buffer, glm::vec3(0, kSeatHeight - 4.0f, -6.0f),
                               glm::vec3(0, kSeatHeight - 10.0f, -6.0f), 18.0f, kRound, kThrone));
    AddChild(CShapes::Cylinder("Throne stand", device, buffer,
                               glm::vec3(0, kSeatHeight - 10.0f, -6.0f), glm::vec3(0, 0, -6.0f),
                               2.0f, 6, kChrome));
    return true;
}

glm::vec3 CDrumSet::GetStrikePoint(int piece) const {
    return piece >= 0 && piece < kPieceCount ? ToWorld(kPieces[piece].strike) : GetOrigin();
}

glm::vec3 CDrumSet::GetSeat() const {
    return ToWorld(glm::vec3(0, kSeatHeight, -6.0f));
}

CPrimitive* CDrumSet::GetPiece(int piece) const {
    return piece >= 0 && piece < kPieceCount ? m_pieces[piece] : nullptr;
}
