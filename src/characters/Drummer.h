#pragma once

#include "characters/Motion.h"
#include "characters/Player.h"

class CDrumSet;
class CSegment;

// The drummer: a seated figure behind the drum set with a stick in each
// hand. Each drum note sends a stick down onto its piece and back up, the
// right foot works the bass drum pedal and the left foot the hi-hat's.
class CDrummer : public CPlayer {
public:
    static constexpr double kDownTime = 0.05;  // the stick onto the piece
    static constexpr double kUpTime = 0.14;    // and back up
    static constexpr float kLift = 16.0f;      // how high a stick waits over its piece

    CDrummer(const char* name, CDirect3D* device, CVertexBuffer* buffer);
    ~CDrummer() override;

    bool Build(uint8_t flag) override;
    bool PlayNote(const BAND_NOTE& note, double now) override;
    bool Rest(double now) override;
    bool Pose(double now) override;

    CDrumSet* GetDrumSet() const { return m_drums; }
    // The stick held by hand (THING_LEFT_HAND or THING_RIGHT_HAND).
    CSegment* GetStick(int hand) const;
    // The piece each hand played last.
    int GetLastPiece(int hand) const;

private:
    struct LIMB_STROKE {
        CMotion motion;
        int piece = -1;
        glm::vec3 rest{0.0f};  // where it goes back up to
        double upAt = 0.0;     // when the stroke turns back; 0 when it has
    };
    enum { kLeftHand, kRightHand, kLeftFoot, kRightFoot, kLimbCount };

    glm::vec3 HandPoint(int piece, int side, float lift) const;
    glm::vec3 FootPoint(int piece, float lift) const;
    void Strike(int limb, const glm::vec3& down, const glm::vec3& up, double now);

    CDrumSet* m_drums = nullptr;
    CSegment* m_sticks[2] = {};
    LIMB_STROKE m_limbs[kLimbCount];
    double m_busyUntil = 0.0;
    bool m_posed = false;
};
