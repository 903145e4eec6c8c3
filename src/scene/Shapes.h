#pragma once

#include <cstdint>
#include <memory>

#include <glm/glm.hpp>

#include "scene/Primitive.h"

class CDirect3D;
class CVertexBuffer;

// Builders of the simple solids pictures are made of. Each makes one
// primitive whose frame origin is the solid's centre, with its faces wound
// clockwise as seen from outside (the front faces of the scene).
class CShapes {
public:
    static std::unique_ptr<CPrimitive> Box(const char* name, CDirect3D* device,
                                           CVertexBuffer* buffer, const glm::vec3& center,
                                           const glm::vec3& size, uint32_t argb);
    static std::unique_ptr<CPrimitive> Sphere(const char* name, CDirect3D* device,
                                              CVertexBuffer* buffer, const glm::vec3& center,
                                              float radius, int segments, uint32_t argb);
    // A closed cylinder from one end point to the other.
    static std::unique_ptr<CPrimitive> Cylinder(const char* name, CDirect3D* device,
                                                CVertexBuffer* buffer, const glm::vec3& from,
                                                const glm::vec3& to, float radius, int segments,
                                                uint32_t argb);
    // A flat disc facing along normal.
    static std::unique_ptr<CPrimitive> Disc(const char* name, CDirect3D* device,
                                            CVertexBuffer* buffer, const glm::vec3& center,
                                            const glm::vec3& normal, float radius, int segments,
                                            uint32_t argb);
    // "Axes" with the children "X Axis" (red), "Y Axis" (green), "Z Axis" (blue).
    static std::unique_ptr<CPrimitive> Axes(CDirect3D* device, CVertexBuffer* buffer, float length);

    // Adds a triangle wound so that it faces outward.
    static bool AddFacingTriangle(CVertexBuffer& buffer, uint32_t a, uint32_t b, uint32_t c,
                                  const glm::vec3& outward);
};
