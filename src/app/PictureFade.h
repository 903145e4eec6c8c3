#pragma once

// The cross-fade of the 3D picture when it changes: the light goes down,
// the picture is rebuilt in the dark, and the light comes up again, one
// step per frame tick.
class CPictureFade {
public:
    enum STATE { kIdle = 0, kFadingIn = 1, kRebuild = 2, kFadingOut = 3 };
    static constexpr float kStep = 0.1f;

    void Start() { m_state = kFadingOut; }
    // One frame tick; true when the level changed or the picture is due to
    // be rebuilt (state kRebuild before the step).
    bool Step();
    float GetLevel() const { return m_level; }
    int GetState() const { return m_state; }

private:
    int m_state = kIdle;
    float m_level = 1.0f;
};
