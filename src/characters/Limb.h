#pragma once

#include <glm/glm.hpp>

#include "scene/Primitive.h"

class CSegment;

// A limb of two segments (upper and lower) hung from a root joint, placed
// by reaching for a target point: the arm, the leg and the finger. The
// far end of the lower segment is the limb's end (wrist, ankle, finger
// tip); what hangs there is a child of the lower segment.
class CLimb : public CPrimitive {
public:
    // failTrace is the line the debug output gets for an unreachable target.
    CLimb(const char* name, CDirect3D* device, CVertexBuffer* buffer, const char* failTrace);

    // Makes the two segments from root along direction, upper first; the
    // solids of each are added by the caller to the returned segments.
    void MakeSegments(const char* upperName, const char* lowerName, const glm::vec3& root,
                      const glm::vec3& direction, float upperLength, float lowerLength);

    // Places the segments so that the limb's end meets target, the joint
    // bending towards the bend hint when one is set (else downwards, away
    // from the y axis). A target beyond the reach is traced once and
    // leaves the limb as it was (false).
    bool Reach(const glm::vec3& target);
    void SetBendHint(const glm::vec3& point) {
        m_hint = point;
        m_hasHint = true;
    }
    void ClearBendHint() { m_hasHint = false; }

    float GetReach() const;
    // The directions of the two segments (lengths upper and lower) from
    // root that put the end on target, bending towards hint when given,
    // else downwards; along is the upper direction to keep when the target
    // lies on the root. The target must lie within reach.
    static void Bend(const glm::vec3& root, const glm::vec3& target, const glm::vec3* hint,
                     float upper, float lower, const glm::vec3& along, glm::vec3& upperDirection,
                     glm::vec3& lowerDirection);
    glm::vec3 GetRoot() const;
    glm::vec3 GetJoint() const;
    glm::vec3 GetEnd() const;
    CSegment* GetUpper() const { return m_upper; }
    CSegment* GetLower() const { return m_lower; }

private:
    const char* m_failTrace;
    CSegment* m_upper = nullptr;
    CSegment* m_lower = nullptr;
    glm::vec3 m_hint{0.0f};
    bool m_hasHint = false;
};
