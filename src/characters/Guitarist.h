#pragma once

#include <memory>

#include "characters/Motion.h"
#include "characters/Player.h"

class CGuitars;
class CGuitarFingering;
class CNoteManager;

// A lead, rhythm or bass guitarist: a standing figure with a guitar (a
// bass for Thing 36). The fretting hand goes to the fret the guitar
// fingering gives for each note, a finger stops the string there, and the
// picking hand strikes the string.
class CGuitarist : public CPlayer {
public:
    static constexpr double kReachTime = 0.12;   // seconds for the hand to a new fret
    static constexpr double kFingerTime = 0.05;  // for a finger onto its string
    static constexpr double kStrokeTime = 0.06;  // the picking stroke

    CGuitarist(const char* name, CDirect3D* device, CVertexBuffer* buffer, int thing,
               CNoteManager* notes);
    ~CGuitarist() override;

    bool Build(uint8_t flag) override;
    bool PlayNote(const BAND_NOTE& note, double now) override;
    bool Rest(double now) override;
    bool Pose(double now) override;

    CGuitars* GetGuitar() const { return m_guitar; }
    // The fret the fretting hand is around and the string and fret of the
    // last note placed (0 when none).
    int GetHandFret() const { return m_handFret; }
    int GetLastString() const { return m_lastString; }
    int GetLastFret() const { return m_lastFret; }

private:
    static constexpr int kFingers = 5;
    bool FindPlace(int midiNote, int& string, int& fret);
    void MoveHandTo(int fret, double now, double time);

    std::unique_ptr<CGuitarFingering> m_fingering;
    CGuitars* m_guitar = nullptr;
    CMotion m_fretKnuckles;
    CMotion m_pickWrist;
    CMotion m_fingers[kFingers];  // of the fretting hand, the thumb first
    int m_handFret = 3;
    int m_lastString = 0;
    int m_lastFret = 0;
    int m_pickString = 3;
    glm::vec3 m_pickTarget{0.0f};
    double m_strokeEnd = 0.0;
    bool m_posed = false;
    double m_busyUntil = 0.0;
};
