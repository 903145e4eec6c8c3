#pragma once

#include <functional>

#include <glm/glm.hpp>

#include "foundation/VarList.h"

class CPrimitive;

// One key point: at time (seconds after the list's start) the target's
// channel matrix and, when set, its vertex colours take these values.
struct ANIMATION_POINT {
    double time = 0.0;
    CPrimitive* target = nullptr;
    float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    float diffuse[4] = {};
    uint32_t diffuseSet = 0;
    float specular[4] = {};
    uint32_t specularSet = 0;
};

// A time-ordered list of key points. Advancing applies every point that has
// fallen due at once, without blending between points.
class CAnimationList : public CVarList<ANIMATION_POINT> {
public:
    static constexpr int kGrowStep = 64;

    explicit CAnimationList(int channel = 0);

    int Compare(const ANIMATION_POINT& a, const ANIMATION_POINT& b) const override;

    bool Start(double now);
    // False when not running, finished or without a next point; changed
    // tells whether a point was applied by this call.
    bool Advance(double now, bool& changed);
    bool IsOrdered() const;
    // Samples path at 30 points per second of duration; the path gets the
    // fraction 0..1 of the way and gives a position, to which offset is added.
    bool AddPath(CPrimitive* target, const std::function<glm::vec3(double)>& path,
                 const glm::vec3& offset, double duration);

    void SetLoop(bool on) { m_loop = on; }
    void SetHideAtEnd(bool on) { m_hideAtEnd = on; }
    void SetApplyMatrix(bool on) { m_applyMatrix = on; }
    void SetRandomStart(bool on) { m_randomStart = on; }
    void SetResetColours(bool on) { m_resetColours = on; }
    bool IsRunning() const { return m_running; }
    bool IsFinished() const { return m_finished; }
    int GetChannel() const { return m_channel; }
    int GetIndex() const { return m_index; }
    double GetStartTime() const { return m_startTime; }
    double GetTimeOffset() const { return m_timeOffset; }
    const ANIMATION_POINT* GetLast() const { return m_last; }

private:
    void Apply(const ANIMATION_POINT& point);
    void Finish();

    int m_index = -1;
    double m_timeOffset = 0.0;
    int m_channel;
    const ANIMATION_POINT* m_next = nullptr;
    const ANIMATION_POINT* m_current = nullptr;
    const ANIMATION_POINT* m_last = nullptr;
    bool m_running = false;
    bool m_applyMatrix = true;
    bool m_loop = false;
    bool m_hideAtEnd = false;
    bool m_finished = false;
    bool m_resetColours = false;
    double m_startTime = 0.0;
    bool m_randomStart = false;
};
