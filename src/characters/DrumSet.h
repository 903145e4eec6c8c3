#pragma once

#include <glm/glm.hpp>

#include "scene/Primitive.h"

// The drum set before a seated drummer: bass drum with its pedal, snare,
// hi-hat with its pedal, two rack toms and a floor tom, ride, crash,
// splash and china cymbals, and the throne. Built in the drummer's frame
// (centimetres, the drummer facing +z); every point it gives is a scene
// point.
class CDrumSet : public CPrimitive {
public:
    enum PIECE {
        kBassDrum,
        kSnare,
        kHiHat,
        kHiHatPedal,
        kHighTom,
        kMiddleTom,
        kFloorTom,
        kRide,
        kCrash,
        kSplash,
        kChina,
        kPieceCount,
        kNoPiece = -1,
    };

    CDrumSet(CDirect3D* device, CVertexBuffer* buffer);

    bool Build();
    // The piece a drum Thing (1 to 33) is played on; kNoPiece for others.
    static int FindPiece(int thing);
    // Where a stick or a foot strikes the piece.
    glm::vec3 GetStrikePoint(int piece) const;
    // Where the seated drummer's hips are.
    glm::vec3 GetSeat() const;
    CPrimitive* GetPiece(int piece) const;
    static const char* GetPieceName(int piece);
    static bool IsFootPiece(int piece) { return piece == kBassDrum || piece == kHiHatPedal; }

    static constexpr float kSeatHeight = 52.0f;

private:
    CPrimitive* m_pieces[kPieceCount] = {};
};
