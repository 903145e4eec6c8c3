#include "scene/AnimationList.h"

#include <algorithm>
#include <cmath>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "foundation/Random.h"
#include "scene/Primitive.h"

namespace {

uint32_t ArgbOf(const float rgba[4]) {
    auto channel = [](float value) {
        return static_cast<uint32_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
    };
    return channel(rgba[3]) << 24 | channel(rgba[0]) << 16 | channel(rgba[1]) << 8 |
           channel(rgba[2]);
}

}  // namespace

CAnimationList::CAnimationList(int channel)
    : CVarList<ANIMATION_POINT>(kGrowStep), m_channel(channel & 1) {}

int CAnimationList::Compare(const ANIMATION_POINT& a, const ANIMATION_POINT& b) const {
    return a.time < b.time ? -1 : (a.time > b.time ? 1 : 0);
}

bool CAnimationList::Start(double now) {
    if (GetCount() == 0) {
        return false;
    }
    if (m_randomStart) {
        m_index = Random(0, GetCount() - 1);
        m_timeOffset = -GetAt(m_index)->time;
    } else {
        m_index = 0;
        m_timeOffset = 0.0;
    }
    m_next = GetAt(m_index);
    m_current = nullptr;
    m_last = nullptr;
    m_finished = false;
    m_startTime = now;
    m_running = true;
    if (CPrimitive* target = GetAt(0)->target) {
        target->SetChannel(m_channel, glm::mat4(1.0f), false);
    }
    return true;
}

void CAnimationList::Apply(const ANIMATION_POINT& point) {
    CPrimitive* target = point.target;
    if (target == nullptr) {
        return;
    }
    if (m_applyMatrix) {
        target->SetChannel(m_channel, glm::make_mat4(point.matrix), true);
    }
    if (point.diffuseSet) {
        target->SetColour(ArgbOf(point.diffuse), false, true);
    }
    if (point.specularSet) {
        target->SetColour(ArgbOf(point.specular), true, true);
    }
}

void CAnimationList::Finish() {
    m_finished = true;
    m_running = false;
    m_next = nullptr;
    m_index = -1;
    CPrimitive* target = m_last != nullptr ? m_last->target : nullptr;
    if (target == nullptr) {
        return;
    }
    if (m_resetColours) {
        target->RestoreColours(true);
    }
    if (m_hideAtEnd && m_channel == 0) {
        target->SetVisible(false, true);
    } else {
        target->SetChannel(m_channel, target->GetChannel(m_channel), true);
    }
}

bool CAnimationList::Advance(double now, bool& changed) {
    changed = false;
    if (!m_running || m_finished || m_next == nullptr) {
        return false;
    }
    const double elapsed = now - m_startTime;
    while (elapsed >= m_next->time + m_timeOffset) {
        changed = true;
        m_current = m_next;
        Apply(*m_current);
        m_last = m_current;
        ++m_index;
        if (m_index >= GetCount()) {
            if (!m_loop) {
                Finish();
                return true;
            }
            const double period = GetAt(GetCount() - 1)->time;
            if (period <= 0.0) {
                // A loop of no length would never let time pass.
                Finish();
                return true;
            }
            m_timeOffset += period;
            m_index = 0;
        }
        m_next = GetAt(m_index);
    }
    return true;
}

bool CAnimationList::IsOrdered() const {
    for (int i = 1; i < GetCount(); ++i) {
        if (GetAt(i)->time < GetAt(i - 1)->time) {
            return false;
        }
    }
    return true;
}

bool CAnimationList::AddPath(CPrimitive* target, const std::function<glm::vec3(double)>& path,
                             const glm::vec3& offset, double duration) {
    if (!path || !(duration > 0.0)) {
        return false;
    }
    const int steps = std::max(1, static_cast<int>(std::lround(duration / (1.0 / 30.0))));
    const double stepTime = duration / steps;
    for (int i = 0; i < steps; ++i) {
        // The last point lands on the path's end, so a motion ends where it
        // is meant to.
        const double fraction = steps > 1 ? static_cast<double>(i) / (steps - 1) : 1.0;
        ANIMATION_POINT point;
        point.time = i * stepTime;
        point.target = target;
        const glm::mat4 matrix = glm::translate(glm::mat4(1.0f), path(fraction) + offset);
        std::copy(glm::value_ptr(matrix), glm::value_ptr(matrix) + 16, point.matrix);
        if (!Add(point)) {
            return false;
        }
    }
    return true;
}
