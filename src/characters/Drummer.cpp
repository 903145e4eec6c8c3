#include "characters/Drummer.h"

#include <algorithm>
#include <memory>

#include "characters/DrumSet.h"
#include "characters/Segment.h"
#include "scene/Shapes.h"
#include "theory/Note.h"

namespace {

constexpr float kStickLength = 40.0f;
constexpr float kGrip = 6.0f;  // of the stick behind the hand
constexpr float kHeelBack = 12.0f;
constexpr float kFootLift = 5.0f;
constexpr double kSettle = 0.05;
constexpr uint32_t kStickColour = 0xFFE8D8B0;

int ChooseHand(int piece, int asked) {
    if (asked == THING_LEFT_HAND || asked == THING_RIGHT_HAND) {
        return asked;
    }
    switch (piece) {
        case CDrumSet::kSnare:
        case CDrumSet::kHighTom:
        case CDrumSet::kCrash:
            return THING_LEFT_HAND;
        default:
            return THING_RIGHT_HAND;
    }
}

}  // namespace

CDrummer::CDrummer(const char* name, CDirect3D* device, CVertexBuffer* buffer)
    : CPlayer(name, device, buffer, THING_DRUM_SET) {}

CDrummer::~CDrummer() = default;

bool CDrummer::Build(uint8_t) {
    CHuman::LOOK look;
    look.shirt = 0xFF202020;
    look.hair = 0xFF101010;
    if (!MakeHuman(look)) {
        return false;
    }
    auto drums = std::make_unique<CDrumSet>(m_device, m_buffer);
    if (!drums->Build()) {
        return Fail(__LINE__, "Can't build the drum set: %s", drums->GetError());
    }
    m_drums = static_cast<CDrumSet*>(AddChild(std::move(drums)));
    // A stick in each hand: its own segment, put in the fist at every pose
    // so that it follows whichever figure holds it.
    for (int i = 0; i < 2; ++i) {
        auto stick = std::make_unique<CSegment>("Stick", m_device, m_buffer, glm::vec3(0.0f),
                                                glm::vec3(0, 0, 1), kStickLength);
        stick->AddChild(CShapes::Cylinder("Stick", m_device, m_buffer, glm::vec3(0.0f),
                                          glm::vec3(0, 0, kStickLength), 0.7f, 6, kStickColour));
        m_sticks[i] = static_cast<CSegment*>(AddChild(std::move(stick)));
    }
    m_human->Sit(CDrumSet::kSeatHeight);
    m_human->SetBendHint(THING_LEFT_HAND, m_human->ToWorld(glm::vec3(-50.0f, 70.0f, -10.0f)));
    m_human->SetBendHint(THING_RIGHT_HAND, m_human->ToWorld(glm::vec3(50.0f, 70.0f, -10.0f)));
    m_human->SetBendHint(THING_LEFT_FOOT, m_human->ToWorld(glm::vec3(-15.0f, 90.0f, 80.0f)));
    m_human->SetBendHint(THING_RIGHT_FOOT, m_human->ToWorld(glm::vec3(15.0f, 90.0f, 80.0f)));
    // From the front and high, over the front player's head.
    m_cameraEye = glm::vec3(40.0f, 340.0f, 270.0f);
    m_cameraLookAt = glm::vec3(0.0f, 75.0f, 25.0f);
    m_limbs[kLeftHand].piece = CDrumSet::kSnare;
    m_limbs[kRightHand].piece = CDrumSet::kHiHat;
    m_limbs[kLeftFoot].piece = CDrumSet::kHiHatPedal;
    m_limbs[kRightFoot].piece = CDrumSet::kBassDrum;
    return Rest(0.0);
}

CSegment* CDrummer::GetStick(int hand) const {
    return hand == THING_LEFT_HAND ? m_sticks[0] : hand == THING_RIGHT_HAND ? m_sticks[1] : nullptr;
}

int CDrummer::GetLastPiece(int hand) const {
    return hand == THING_LEFT_HAND ? m_limbs[kLeftHand].piece : m_limbs[kRightHand].piece;
}

// Where the wrist goes for the stick's tip to meet the piece: back from
// the strike point towards the drummer by the stick's reach, lift higher.
glm::vec3 CDrummer::HandPoint(int piece, int side, float lift) const {
    const glm::vec3 strike = m_drums->GetStrikePoint(piece);
    const glm::vec3 back = m_human->ToWorld(glm::vec3(side * 6.0f, 0.0f, -kStickLength * 0.8f)) -
                           m_human->ToWorld(glm::vec3(0.0f));
    const glm::vec3 up =
        m_human->ToWorld(glm::vec3(0.0f, 8.0f + lift, 0.0f)) - m_human->ToWorld(glm::vec3(0.0f));
    return strike + back + up;
}

glm::vec3 CDrummer::FootPoint(int piece, float lift) const {
    const glm::vec3 pedal = m_drums->GetStrikePoint(piece);
    const glm::vec3 offset = m_human->ToWorld(glm::vec3(0.0f, 6.0f + lift, -kHeelBack)) -
                             m_human->ToWorld(glm::vec3(0.0f));
    return pedal + offset;
}

bool CDrummer::Rest(double now) {
    for (int limb = 0; limb < kLimbCount; ++limb) {
        LIMB_STROKE& stroke = m_limbs[limb];
        const bool foot = limb >= kLeftFoot;
        stroke.rest = foot ? FootPoint(stroke.piece, kFootLift)
                           : HandPoint(stroke.piece, limb == kLeftHand ? -1 : 1, kLift);
        stroke.motion.MoveTo(stroke.rest, now, now <= 0.0 ? 0.0 : kUpTime);
        stroke.upAt = 0.0;
    }
    m_busyUntil = now + kUpTime + kSettle;
    m_posed = false;
    if (now <= 0.0) {
        Pose(now);
    }
    return true;
}

void CDrummer::Strike(int limb, const glm::vec3& down, const glm::vec3& up, double now) {
    LIMB_STROKE& stroke = m_limbs[limb];
    stroke.rest = up;
    stroke.motion.MoveTo(down, now, kDownTime);
    stroke.upAt = now + kDownTime;
    m_busyUntil = std::max(m_busyUntil, now + kDownTime + kUpTime + kSettle);
}

bool CDrummer::PlayNote(const BAND_NOTE& note, double now) {
    const int piece = CDrumSet::FindPiece(note.thing);
    if (piece == CDrumSet::kNoPiece) {
        return false;
    }
    if (!note.on) {
        return true;  // a stroke ends by itself
    }
    ++m_notesPlayed;
    if (CDrumSet::IsFootPiece(piece)) {
        const int limb = piece == CDrumSet::kBassDrum ? kRightFoot : kLeftFoot;
        m_limbs[limb].piece = piece;
        // The foot presses the pedal down and comes back up to wait.
        Strike(limb, FootPoint(piece, 0.0f), FootPoint(piece, kFootLift), now);
        return true;
    }
    const int hand = ChooseHand(piece, note.hand);
    const int limb = hand == THING_LEFT_HAND ? kLeftHand : kRightHand;
    const int side = hand == THING_LEFT_HAND ? -1 : 1;
    m_limbs[limb].piece = piece;
    Strike(limb, HandPoint(piece, side, 0.0f), HandPoint(piece, side, kLift), now);
    return true;
}

bool CDrummer::Pose(double now) {
    for (LIMB_STROKE& stroke : m_limbs) {
        if (stroke.upAt > 0.0 && now >= stroke.upAt) {
            stroke.motion.MoveTo(stroke.rest, now, kUpTime);
            stroke.upAt = 0.0;
        }
    }
    if (now > m_busyUntil && m_posed) {
        return false;
    }
    m_human->ReachHandToward(THING_LEFT_HAND, m_limbs[kLeftHand].motion.At(now));
    m_human->ReachHandToward(THING_RIGHT_HAND, m_limbs[kRightHand].motion.At(now));
    m_human->ReachFoot(THING_LEFT_FOOT, m_limbs[kLeftFoot].motion.At(now));
    m_human->ReachFoot(THING_RIGHT_FOOT, m_limbs[kRightFoot].motion.At(now));
    for (const int hand : {THING_LEFT_HAND, THING_RIGHT_HAND}) {
        // The stick runs on from the forearm, held a little behind the knuckles.
        const glm::vec3 knuckles = m_human->GetKnuckles(hand);
        const glm::vec3 along = knuckles - m_human->GetWrist(hand);
        if (glm::length(along) > 0.0f) {
            const glm::vec3 direction = glm::normalize(along);
            GetStick(hand)->PointAt(knuckles - direction * (kGrip * m_human->GetScale()),
                                    direction);
        }
    }
    m_posed = true;
    return true;
}
