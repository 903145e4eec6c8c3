#include "characters/Pianist.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "characters/StagePiano.h"
#include "theory/Note.h"

namespace {

constexpr float kHover = 2.0f;
constexpr float kSpan = 2.0f;  // white keys either side of the middle finger
constexpr float kSeatHeight = 50.0f;
constexpr double kSettle = 0.05;
constexpr float kLeftHome = -5.0f;  // white keys: around C3 and C5
constexpr float kRightHome = 5.0f;

}  // namespace

CPianist::CPianist(const char* name, CDirect3D* device, CVertexBuffer* buffer)
    : CPlayer(name, device, buffer, THING_KEYBOARD) {}

CPianist::~CPianist() = default;

bool CPianist::Build(uint8_t) {
    CHuman::LOOK look;
    look.shirt = 0xFF1E2A60;
    if (!MakeHuman(look)) {
        return false;
    }
    auto piano = std::make_unique<CStagePiano>(m_device, m_buffer);
    if (!piano->Build()) {
        return Fail(__LINE__, "Can't build the piano: %s", piano->GetError());
    }
    m_piano = static_cast<CStagePiano*>(AddChild(std::move(piano)));
    m_human->Sit(kSeatHeight);
    m_human->SetBendHint(THING_LEFT_HAND, m_human->ToWorld(glm::vec3(-45.0f, 70.0f, -10.0f)));
    m_human->SetBendHint(THING_RIGHT_HAND, m_human->ToWorld(glm::vec3(45.0f, 70.0f, -10.0f)));
    m_cameraEye = glm::vec3(120.0f, 250.0f, 340.0f);
    m_cameraLookAt = glm::vec3(0.0f, 85.0f, 30.0f);
    m_hands[0].centre = kLeftHome;
    m_hands[1].centre = kRightHome;
    return Rest(0.0);
}

int CPianist::GetHandNote(int hand) const {
    const float centre = m_hands[hand == THING_LEFT_HAND ? 0 : 1].centre;
    for (int note = CStagePiano::kLowest; note <= CStagePiano::kHighest; ++note) {
        if (std::fabs(CStagePiano::WhitePosition(note) - centre) < 0.26f) {
            return note;
        }
    }
    return NOTE_NONE;
}

void CPianist::PlaceHand(int side, float centre, double now) {
    HAND& hand = m_hands[side];
    hand.centre = centre;
    // The knuckles over the keys' front, the fingers curved down onto them.
    const glm::vec3 key = m_piano->GetKeyPoint(CStagePiano::kLowest, 0.0f);
    const glm::vec3 along =
        m_piano->ToWorld(glm::vec3(2.3f, 0, 0)) - m_piano->ToWorld(glm::vec3(0));
    const glm::vec3 back =
        m_piano->ToWorld(glm::vec3(0, 4.0f, -1.0f)) - m_piano->ToWorld(glm::vec3(0));
    const float fromLowest = centre - CStagePiano::WhitePosition(CStagePiano::kLowest);
    hand.knuckles.MoveTo(key + along * fromLowest + back, now, now <= 0.0 ? 0.0 : kHandTime);
    for (int i = 0; i < kFingers; ++i) {
        // The thumb towards the middle of the keyboard.
        const float offset = (side == 0 ? 2.0f - i : i - 2.0f);
        const glm::vec3 over =
            key + along * (fromLowest + offset) +
            (m_piano->ToWorld(glm::vec3(0, kHover, 0)) - m_piano->ToWorld(glm::vec3(0)));
        hand.fingers[i].MoveTo(over, now, now <= 0.0 ? 0.0 : kHandTime);
    }
}

int CPianist::FingerFor(int side, int midiNote) const {
    const float offset = CStagePiano::WhitePosition(midiNote) - m_hands[side].centre;
    const int finger = static_cast<int>(std::lround(side == 0 ? 2.0f - offset : offset + 2.0f));
    return std::clamp(finger, 0, kFingers - 1);
}

bool CPianist::Rest(double now) {
    for (int note = CStagePiano::kLowest; note <= CStagePiano::kHighest; ++note) {
        m_piano->PressKey(note, false);
    }
    PlaceHand(0, kLeftHome, now);
    PlaceHand(1, kRightHome, now);
    m_busyUntil = now + kHandTime + kSettle;
    m_posed = false;
    if (now <= 0.0) {
        Pose(now);
    }
    return true;
}

bool CPianist::PlayNote(const BAND_NOTE& note, double now) {
    if (!m_piano->HasKey(note.midiNote)) {
        return false;
    }
    const int side = note.hand == THING_LEFT_HAND    ? 0
                     : note.hand == THING_RIGHT_HAND ? 1
                     : note.midiNote < kSplit        ? 0
                                                     : 1;
    HAND& hand = m_hands[side];
    m_piano->PressKey(note.midiNote, note.on);
    m_busyUntil = std::max(m_busyUntil, now + kHandTime + kSettle);
    const int finger = FingerFor(side, note.midiNote);
    if (!note.on) {
        hand.fingers[finger].MoveTo(m_piano->GetKeyPoint(note.midiNote, kHover), now, kFingerTime);
        return true;
    }
    ++m_notesPlayed;
    const float position = CStagePiano::WhitePosition(note.midiNote);
    if (std::fabs(position - hand.centre) > kSpan) {
        PlaceHand(side, position, now);
    }
    hand.fingers[FingerFor(side, note.midiNote)].MoveTo(m_piano->GetKeyPoint(note.midiNote, 0.0f),
                                                        now, kFingerTime);
    return true;
}

bool CPianist::Pose(double now) {
    if (now > m_busyUntil && m_posed) {
        return false;
    }
    for (int side = 0; side < 2; ++side) {
        const int thing = side == 0 ? THING_LEFT_HAND : THING_RIGHT_HAND;
        m_human->ReachKnuckles(thing, m_hands[side].knuckles.At(now));
        for (int i = 0; i < kFingers; ++i) {
            m_human->ReachFingerToward(thing, i + 1, m_hands[side].fingers[i].At(now));
        }
    }
    m_posed = true;
    return true;
}
