#pragma once

#include <cstdint>
#include <vector>

#include <glm/glm.hpp>

#include "scene/Primitive.h"

// A line through a list of points, drawn in its own colour whatever the
// light: a string of an instrument, a cable.
class CWire : public CPrimitive {
public:
    CWire(const char* name, CDirect3D* device, CVertexBuffer* buffer);

    // Adds the line's vertices to the buffer; fewer than two points fail
    // with "Wire must be at least 2 long".
    bool Build(const std::vector<glm::vec3>& points, uint32_t argb);
    int GetPointCount() const { return m_points; }

private:
    int m_points = 0;
};
