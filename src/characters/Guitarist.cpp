#include "characters/Guitarist.h"

#include <algorithm>
#include <memory>

#include <glm/gtc/matrix_transform.hpp>

#include "characters/Guitars.h"
#include "theory/GuitarFingering.h"
#include "theory/Note.h"

namespace {

constexpr float kNeckAngle = 25.0f;  // degrees above the horizontal
constexpr float kHover = 2.5f;       // a free finger's height over the strings
constexpr int kHandSpan = 4;         // frets under the four fingers
constexpr int kFirstFinger = 2;      // the index finger
constexpr double kSettle = 0.05;

uint32_t BodyColour(int thing) {
    switch (thing) {
        case THING_BASS_GUITAR:
            return 0xFF202020;
        case THING_RHYTHM_GUITAR:
            return 0xFF8A2A1A;
        default:
            return 0xFFC08020;
    }
}

CHuman::LOOK Look(int thing) {
    CHuman::LOOK look;
    switch (thing) {
        case THING_BASS_GUITAR:
            look.shirt = 0xFF306030;
            break;
        case THING_RHYTHM_GUITAR:
            look.shirt = 0xFF7A3070;
            look.hair = 0xFFB08040;
            break;
        default:
            look.shirt = 0xFFB03020;
            break;
    }
    return look;
}

// The guitar held before the belly, the neck to the player's left (-x)
// and rising, the strings facing out.
glm::mat4 HeldPlace() {
    const float angle = glm::radians(kNeckAngle);
    const glm::vec3 x(-std::cos(angle), std::sin(angle), 0.0f);
    const glm::vec3 z(0.0f, 0.0f, 1.0f);
    const glm::vec3 y = glm::cross(z, x);
    glm::mat4 place(1.0f);
    place[0] = glm::vec4(x, 0.0f);
    place[1] = glm::vec4(y, 0.0f);  // string 1 towards the floor
    place[2] = glm::vec4(z, 0.0f);
    place[3] = glm::vec4(9.0f, 100.0f, 13.0f, 1.0f);
    return place;
}

// The fingering's rule without a note manager: the first string, from
// string 1, whose window from low holds the note, else the whole neck.
bool PlaceOnNeck(int thing, int low, CNote& note) {
    int count = 0;
    const int* strings = CGuitarFingering::GetTuning(CGuitarFingering::GetTuningFor(thing), count);
    for (const int first : {low, 0}) {
        const int last = first == 0 ? CGuitarFingering::MAX_FRET : first + kHandSpan;
        for (int i = 0; strings != nullptr && i < count; ++i) {
            if (strings[i] + first <= note.midiNote && note.midiNote <= strings[i] + last) {
                note.guitarString = i + 1;
                note.fret = note.midiNote - strings[i];
                return true;
            }
        }
    }
    return false;
}

}  // namespace

CGuitarist::CGuitarist(const char* name, CDirect3D* device, CVertexBuffer* buffer, int thing,
                       CNoteManager* notes)
    : CPlayer(name, device, buffer, thing) {
    if (notes != nullptr) {
        m_fingering = std::make_unique<CGuitarFingering>(*notes);
    }
}

CGuitarist::~CGuitarist() = default;

bool CGuitarist::Build(uint8_t) {
    if (!MakeHuman(Look(m_thing))) {
        return false;
    }
    auto guitar = std::make_unique<CGuitars>(
        m_thing == THING_BASS_GUITAR ? "Bass guitar" : "Guitar", m_device, m_buffer, m_thing);
    if (!guitar->Build(HeldPlace(), BodyColour(m_thing))) {
        return Fail(__LINE__, "Can't build %s: %s", GetName(), guitar->GetError());
    }
    m_guitar = static_cast<CGuitars*>(AddChild(std::move(guitar)));
    // From the front, high and to the picking hand's side, over the others.
    m_cameraEye = glm::vec3(120.0f, 250.0f, 340.0f);
    m_cameraLookAt = glm::vec3(-10.0f, 105.0f, 0.0f);
    // Elbows out and down, away from the guitar.
    m_human->SetBendHint(THING_LEFT_HAND, m_human->ToWorld(glm::vec3(-45.0f, 95.0f, -20.0f)));
    m_human->SetBendHint(THING_RIGHT_HAND, m_human->ToWorld(glm::vec3(40.0f, 110.0f, -25.0f)));
    return Rest(0.0);
}

bool CGuitarist::Rest(double now) {
    // At the build the hands are put in place at once.
    const double time = now <= 0.0 ? 0.0 : kReachTime;
    MoveHandTo(m_handFret, now, time);
    m_pickWrist.MoveTo(m_guitar->GetPickPoint(m_pickString, 7.0f), now, time);
    m_busyUntil = now + kReachTime;
    if (now <= 0.0) {
        m_posed = false;
        Pose(now);
    }
    return true;
}

void CGuitarist::MoveHandTo(int fret, double now, double time) {
    m_handFret = std::clamp(fret, 1, CGuitars::kFrets - kHandSpan);
    m_fretKnuckles.MoveTo(m_guitar->GetKnucklePoint(m_handFret + 1), now, time);
    for (int i = 0; i < kFingers; ++i) {
        // The thumb waits beside the neck's edge, the others over their frets.
        const glm::vec3 hover = i == 0 ? m_guitar->GetKnucklePoint(m_handFret)
                                       : m_guitar->GetHoverPoint(m_handFret + i - 1, kHover);
        m_fingers[i].MoveTo(hover, now, time);
    }
}

bool CGuitarist::FindPlace(int midiNote, int& string, int& fret) {
    CNote note;
    note.midiNote = static_cast<uint8_t>(midiNote);
    const int low = std::max(m_handFret - 1, 0);
    const bool found = m_fingering != nullptr ? m_fingering->GetNotePositionFor(
                                                    m_thing, low, low + kHandSpan, note, false)
                                              : PlaceOnNeck(m_thing, low, note);
    if (!found || note.fret > CGuitars::kFrets || note.guitarString > m_guitar->GetStringCount()) {
        return false;
    }
    string = note.guitarString;
    fret = note.fret;
    return true;
}

bool CGuitarist::PlayNote(const BAND_NOTE& note, double now) {
    int string = 0;
    int fret = 0;
    if (!FindPlace(note.midiNote, string, fret)) {
        return false;
    }
    ++m_notesPlayed;
    if (!note.on) {
        // The finger lets go of the string it stopped.
        if (string == m_lastString && fret == m_lastFret && fret > 0) {
            const int finger = std::clamp(kFirstFinger + fret - m_handFret, kFirstFinger, kFingers);
            m_fingers[finger - 1].MoveTo(m_guitar->GetHoverPoint(fret, kHover), now, kFingerTime);
        }
        return true;
    }
    if (fret > 0 && (fret < m_handFret || fret > m_handFret + kHandSpan - 1)) {
        MoveHandTo(fret, now, kReachTime);
    }
    if (fret > 0) {
        const int finger = std::clamp(kFirstFinger + fret - m_handFret, kFirstFinger, kFingers);
        m_fingers[finger - 1].MoveTo(m_guitar->GetStopPoint(string, fret), now, kFingerTime);
    }
    // The picking hand comes down through the string.
    m_pickString = string;
    const glm::vec3 above = m_guitar->GetPickPoint(string, 5.0f);
    const glm::vec3 through =
        m_guitar->GetPickPoint(std::min(string + 1, m_guitar->GetStringCount()), 3.0f);
    m_pickWrist.MoveTo(above, now, kStrokeTime * 0.5);
    m_strokeEnd = now + kStrokeTime * 0.5;
    m_pickTarget = through;
    m_lastString = string;
    m_lastFret = fret;
    m_busyUntil = now + kReachTime + kSettle;
    return true;
}

bool CGuitarist::Pose(double now) {
    if (m_strokeEnd > 0.0 && now >= m_strokeEnd) {
        m_pickWrist.MoveTo(m_pickTarget, now, kStrokeTime);
        m_strokeEnd = 0.0;
        m_busyUntil = std::max(m_busyUntil, now + kStrokeTime + kSettle);
    }
    const bool moving = now <= m_busyUntil;
    if (!moving && m_posed) {
        return false;
    }
    m_human->ReachKnuckles(THING_LEFT_HAND, m_fretKnuckles.At(now));
    m_human->ReachHandToward(THING_RIGHT_HAND, m_pickWrist.At(now));
    for (int i = 0; i < kFingers; ++i) {
        m_human->ReachFingerToward(THING_LEFT_HAND, i + 1, m_fingers[i].At(now));
    }
    m_posed = true;
    return true;
}
