#include "scene/Shapes.h"

#include <algorithm>
#include <cmath>

#include <glm/gtc/constants.hpp>

#include "scene/VertexBuffer.h"

namespace {

VERTEX MakeVertex(const glm::vec3& position, const glm::vec3& normal, uint32_t argb) {
    VERTEX vertex;
    vertex.x = position.x;
    vertex.y = position.y;
    vertex.z = position.z;
    vertex.nx = normal.x;
    vertex.ny = normal.y;
    vertex.nz = normal.z;
    vertex.diffuse = argb;
    return vertex;
}

glm::vec3 PositionOf(CVertexBuffer& buffer, uint32_t i) {
    const VERTEX* v = buffer.GetVertex(static_cast<int>(i));
    return glm::vec3(v->x, v->y, v->z);
}

// Two unit vectors across axis, making a right-handed turn about it.
void Across(const glm::vec3& axis, glm::vec3& u, glm::vec3& v) {
    const glm::vec3 helper = std::fabs(axis.y) < 0.9f ? glm::vec3(0, 1, 0) : glm::vec3(1, 0, 0);
    u = glm::normalize(glm::cross(helper, axis));
    v = glm::cross(axis, u);
}

std::unique_ptr<CPrimitive> Start(const char* name, CDirect3D* device, CVertexBuffer* buffer,
                                  const glm::vec3& center) {
    auto primitive = std::make_unique<CPrimitive>(name, device, buffer);
    glm::mat4 frame(1.0f);
    frame[3] = glm::vec4(center, 1.0f);
    primitive->SetFrame(frame);
    primitive->BeginGeometry();
    return primitive;
}

// A ring of segments vertices around center, facing outward from axis.
uint32_t AddRing(CVertexBuffer& buffer, const glm::vec3& center, const glm::vec3& axis,
                 float radius, int segments, uint32_t argb, bool radialNormals) {
    glm::vec3 u, v;
    Across(axis, u, v);
    const uint32_t first = static_cast<uint32_t>(buffer.GetVertexCount());
    for (int i = 0; i < segments; ++i) {
        const float angle = glm::two_pi<float>() * static_cast<float>(i) / segments;
        const glm::vec3 radial = u * std::cos(angle) + v * std::sin(angle);
        buffer.AddVertex(MakeVertex(center + radial * radius, radialNormals ? radial : axis, argb));
    }
    return first;
}

}  // namespace

bool CShapes::AddFacingTriangle(CVertexBuffer& buffer, uint32_t a, uint32_t b, uint32_t c,
                                const glm::vec3& outward) {
    const glm::vec3 pa = PositionOf(buffer, a);
    const glm::vec3 face = glm::cross(PositionOf(buffer, b) - pa, PositionOf(buffer, c) - pa);
    if (glm::dot(face, outward) < 0.0f) {
        std::swap(b, c);
    }
    return buffer.AddPolygon({a, b, c});
}

std::unique_ptr<CPrimitive> CShapes::Box(const char* name, CDirect3D* device, CVertexBuffer* buffer,
                                         const glm::vec3& center, const glm::vec3& size,
                                         uint32_t argb) {
    auto box = Start(name, device, buffer, center);
    const glm::vec3 half = size * 0.5f;
    const glm::vec3 normals[6] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0},
                                  {1, 0, 0},  {0, 1, 0}, {0, -1, 0}};
    for (const glm::vec3& n : normals) {
        // Seen from outside, looking along -n: up and right of the face.
        const glm::vec3 up = std::fabs(n.y) > 0.5f ? glm::vec3(0, 0, 1) : glm::vec3(0, 1, 0);
        const glm::vec3 right = glm::cross(up, -n);
        const glm::vec3 c = center + n * half;
        const glm::vec3 r = right * half;
        const glm::vec3 u = up * half;
        buffer->AddQuad(MakeVertex(c - r + u, n, argb), MakeVertex(c + r + u, n, argb),
                        MakeVertex(c + r - u, n, argb), MakeVertex(c - r - u, n, argb));
    }
    box->EndGeometry();
    return box;
}

std::unique_ptr<CPrimitive> CShapes::Sphere(const char* name, CDirect3D* device,
                                            CVertexBuffer* buffer, const glm::vec3& center,
                                            float radius, int segments, uint32_t argb) {
    segments = std::max(4, segments);
    auto sphere = Start(name, device, buffer, center);
    const int rings = segments / 2;
    const uint32_t first = static_cast<uint32_t>(buffer->GetVertexCount());
    for (int ring = 0; ring <= rings; ++ring) {
        const float theta = glm::pi<float>() * static_cast<float>(ring) / rings;
        for (int i = 0; i <= segments; ++i) {
            const float phi = glm::two_pi<float>() * static_cast<float>(i) / segments;
            const glm::vec3 n(std::sin(theta) * std::cos(phi), std::cos(theta),
                              std::sin(theta) * std::sin(phi));
            buffer->AddVertex(MakeVertex(center + n * radius, n, argb));
        }
    }
    const uint32_t row = static_cast<uint32_t>(segments + 1);
    for (int ring = 0; ring < rings; ++ring) {
        for (int i = 0; i < segments; ++i) {
            const uint32_t a = first + ring * row + i;
            const uint32_t b = a + 1;
            const uint32_t c = a + row;
            const uint32_t d = c + 1;
            const glm::vec3 outward =
                (PositionOf(*buffer, a) + PositionOf(*buffer, d)) * 0.5f - center;
            if (ring > 0) {
                AddFacingTriangle(*buffer, a, b, d, outward);
            }
            if (ring < rings - 1) {
                AddFacingTriangle(*buffer, a, d, c, outward);
            }
        }
    }
    sphere->EndGeometry();
    return sphere;
}

std::unique_ptr<CPrimitive> CShapes::Cylinder(const char* name, CDirect3D* device,
                                              CVertexBuffer* buffer, const glm::vec3& from,
                                              const glm::vec3& to, float radius, int segments,
                                              uint32_t argb) {
    segments = std::max(3, segments);
    const glm::vec3 center = (from + to) * 0.5f;
    auto cylinder = Start(name != nullptr ? name : "Cylinder", device, buffer, center);
    glm::vec3 axis = to - from;
    if (glm::length(axis) < 1e-6f) {
        axis = glm::vec3(0, 1, 0);
    }
    axis = glm::normalize(axis);
    const uint32_t bottom = AddRing(*buffer, from, axis, radius, segments, argb, true);
    const uint32_t top = AddRing(*buffer, to, axis, radius, segments, argb, true);
    for (int i = 0; i < segments; ++i) {
        const uint32_t j = static_cast<uint32_t>((i + 1) % segments);
        const glm::vec3 outward = PositionOf(*buffer, bottom + i) - from;
        AddFacingTriangle(*buffer, bottom + i, bottom + j, top + j, outward);
        AddFacingTriangle(*buffer, bottom + i, top + j, top + i, outward);
    }
    for (int end = 0; end < 2; ++end) {
        const glm::vec3 normal = end == 0 ? -axis : axis;
        const glm::vec3 middle = end == 0 ? from : to;
        const uint32_t cap = AddRing(*buffer, middle, normal, radius, segments, argb, false);
        for (int i = 1; i + 1 < segments; ++i) {
            AddFacingTriangle(*buffer, cap, cap + i, cap + i + 1, normal);
        }
    }
    cylinder->EndGeometry();
    return cylinder;
}

std::unique_ptr<CPrimitive> CShapes::Disc(const char* name, CDirect3D* device,
                                          CVertexBuffer* buffer, const glm::vec3& center,
                                          const glm::vec3& normal, float radius, int segments,
                                          uint32_t argb) {
    segments = std::max(3, segments);
    auto disc = Start(name, device, buffer, center);
    const glm::vec3 n = glm::normalize(normal);
    const uint32_t ring = AddRing(*buffer, center, n, radius, segments, argb, false);
    for (int i = 1; i + 1 < segments; ++i) {
        AddFacingTriangle(*buffer, ring, ring + i, ring + i + 1, n);
    }
    disc->EndGeometry();
    return disc;
}

std::unique_ptr<CPrimitive> CShapes::Axes(CDirect3D* device, CVertexBuffer* buffer, float length) {
    auto axes = std::make_unique<CPrimitive>("Axes", device, buffer);
    const float radius = length * 0.01f;
    axes->AddChild(Cylinder("X Axis", device, buffer, glm::vec3(0), glm::vec3(length, 0, 0), radius,
                            8, 0xFFFF0000));
    axes->AddChild(Cylinder("Y Axis", device, buffer, glm::vec3(0), glm::vec3(0, length, 0), radius,
                            8, 0xFF00FF00));
    axes->AddChild(Cylinder("Z Axis", device, buffer, glm::vec3(0), glm::vec3(0, 0, length), radius,
                            8, 0xFF0000FF));
    return axes;
}
