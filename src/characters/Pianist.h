#pragma once

#include "characters/Motion.h"
#include "characters/Player.h"

class CStagePiano;

// The pianist: a seated figure at a stage piano. Notes from middle C up
// are the right hand's, those below the left's; the hand moves along the
// keys when a note lies beyond its fingers, and a finger presses the key.
class CPianist : public CPlayer {
public:
    static constexpr double kHandTime = 0.1;
    static constexpr double kFingerTime = 0.04;
    static constexpr int kSplit = 60;

    CPianist(const char* name, CDirect3D* device, CVertexBuffer* buffer);
    ~CPianist() override;

    bool Build(uint8_t flag) override;
    bool PlayNote(const BAND_NOTE& note, double now) override;
    bool Rest(double now) override;
    bool Pose(double now) override;

    CStagePiano* GetPiano() const { return m_piano; }
    // The note under each hand's middle finger.
    int GetHandNote(int hand) const;

private:
    static constexpr int kFingers = 5;
    struct HAND {
        CMotion knuckles;
        CMotion fingers[kFingers];
        float centre = 0.0f;  // in white keys from the keyboard's middle
    };
    void PlaceHand(int side, float centre, double now);
    int FingerFor(int side, int midiNote) const;

    CStagePiano* m_piano = nullptr;
    HAND m_hands[2];  // left, right
    double m_busyUntil = 0.0;
    bool m_posed = false;
};
