#pragma once

#include <glm/glm.hpp>

#include "scene/Primitive.h"

// One rigid segment of a limb: a primitive whose frame origin is the joint
// it hangs from and whose second axis (y) runs along it to its far end.
// Its solids and whatever hangs from its far end are its children, so
// that pointing the segment carries them along.
class CSegment : public CPrimitive {
public:
    CSegment(const char* name, CDirect3D* device, CVertexBuffer* buffer, const glm::vec3& root,
             const glm::vec3& direction, float length);

    // Turns the segment so that it runs along direction and moves its joint
    // to root; its children follow.
    bool PointAt(const glm::vec3& root, const glm::vec3& direction);

    float GetLength() const { return m_length; }
    glm::vec3 GetRoot() const { return GetOrigin(); }
    glm::vec3 GetDirection() const;
    glm::vec3 GetEnd() const { return GetRoot() + GetDirection() * m_length; }

    // A frame with origin at root and its y axis along direction.
    static glm::mat4 MakeFrame(const glm::vec3& root, const glm::vec3& direction);

protected:
    // A scaled segment keeps its length in step with its solids.
    void OnRewrite(const glm::mat4& matrix) override;

private:
    float m_length;
};
