#include "human/HumanModel.h"

#include <algorithm>
#include <cmath>

#include <glm/gtc/constants.hpp>

namespace {

constexpr float kTinyArea = 1e-14f;

float Smooth(float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

}  // namespace

HUMAN_WEIGHTS HUMAN_WEIGHTS::One(int bone) {
    HUMAN_WEIGHTS w;
    w.bones[0] = bone;
    w.weights[0] = 1.0f;
    return w;
}

HUMAN_WEIGHTS HUMAN_WEIGHTS::Blend(int a, int b, float t) {
    const float s = Smooth(t);
    if (s <= 0.0f || a == b) {
        return One(a);
    }
    if (s >= 1.0f) {
        return One(b);
    }
    HUMAN_WEIGHTS w;
    w.bones[0] = a;
    w.weights[0] = 1.0f - s;
    w.bones[1] = b;
    w.weights[1] = s;
    return w;
}

int CHumanModel::AddBone(const std::string& name, const std::string& parent,
                         const glm::vec3& position) {
    const int parentIndex = parent.empty() ? -1 : FindBone(parent);
    if (!parent.empty() && parentIndex < 0) {
        SetProblem("the bone \"" + name + "\" hangs from \"" + parent + "\", which is missing");
    }
    m_bones.push_back(HUMAN_BONE{name, parentIndex, position});
    return static_cast<int>(m_bones.size()) - 1;
}

int CHumanModel::FindBone(const std::string& name) const {
    for (size_t i = 0; i < m_bones.size(); ++i) {
        if (m_bones[i].name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int CHumanModel::AddMaterial(const std::string& name, const glm::vec4& diffuse, float power,
                             const glm::vec3& specular) {
    m_materials.push_back(HUMAN_MATERIAL{name, diffuse, power, specular});
    return static_cast<int>(m_materials.size()) - 1;
}

int CHumanModel::FindMaterial(const std::string& name) const {
    for (size_t i = 0; i < m_materials.size(); ++i) {
        if (m_materials[i].name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int CHumanModel::AddVertex(const glm::vec3& position, const glm::vec3& normal,
                           const HUMAN_WEIGHTS& weights) {
    for (int bone : weights.bones) {
        if (bone >= static_cast<int>(m_bones.size())) {
            SetProblem("a vertex weighs a bone that does not exist");
        }
    }
    const float length = glm::length(normal);
    m_vertices.push_back(HUMAN_VERTEX{position, length > 0.0f ? normal / length : normal, weights});
    return static_cast<int>(m_vertices.size()) - 1;
}

void CHumanModel::AddTriangle(int a, int b, int c, int material) {
    const HUMAN_VERTEX& va = m_vertices[a];
    const HUMAN_VERTEX& vb = m_vertices[b];
    const HUMAN_VERTEX& vc = m_vertices[c];
    const glm::vec3 face = glm::cross(vb.position - va.position, vc.position - va.position);
    if (glm::dot(face, face) < kTinyArea) {
        return;  // nothing to see
    }
    // In the left-handed space a triangle is clockwise seen from the side
    // its cross product points to.
    if (glm::dot(face, va.normal + vb.normal + vc.normal) < 0.0f) {
        std::swap(b, c);
    }
    m_triangles.push_back(HUMAN_TRIANGLE{{a, b, c}, material});
}

void CHumanModel::SetProblem(const std::string& problem) {
    if (m_problem.empty()) {
        m_problem = problem;
    }
}

void CHumanShapes::Across(const glm::vec3& direction, const glm::vec3& hint, glm::vec3& u,
                          glm::vec3& v) {
    const glm::vec3 d = glm::normalize(direction);
    glm::vec3 side = hint - d * glm::dot(hint, d);
    if (glm::length(side) < 1e-6f) {
        side = std::fabs(d.x) < 0.9f ? glm::vec3(1, 0, 0) : glm::vec3(0, 1, 0);
        side -= d * glm::dot(side, d);
    }
    u = glm::normalize(side);
    v = glm::cross(d, u);
}

void CHumanShapes::Tube(CHumanModel& model, const std::vector<HUMAN_RING>& rings, int sides,
                        int material, bool capFirst, bool capLast) {
    std::vector<int> first(rings.size());
    for (size_t r = 0; r < rings.size(); ++r) {
        const HUMAN_RING& ring = rings[r];
        for (int s = 0; s < sides; ++s) {
            const float angle = glm::two_pi<float>() * static_cast<float>(s) / sides;
            const float c = std::cos(angle), n = std::sin(angle);
            const glm::vec3 position =
                ring.centre + ring.u * (ring.ru * c) + ring.v * (ring.rv * n);
            const glm::vec3 normal =
                ring.u * (c / std::max(ring.ru, 1e-6f)) + ring.v * (n / std::max(ring.rv, 1e-6f));
            const int index = model.AddVertex(position, normal, ring.weights);
            if (s == 0) {
                first[r] = index;
            }
        }
    }
    for (size_t r = 0; r + 1 < rings.size(); ++r) {
        for (int s = 0; s < sides; ++s) {
            const int a = first[r] + s, b = first[r] + (s + 1) % sides;
            const int c = first[r + 1] + (s + 1) % sides, d = first[r + 1] + s;
            model.AddTriangle(a, b, c, material);
            model.AddTriangle(a, c, d, material);
        }
    }
    if (rings.size() < 2) {
        return;
    }
    for (size_t end : {size_t{0}, rings.size() - 1}) {
        if (!(end == 0 ? capFirst : capLast)) {
            continue;
        }
        const size_t inner = end == 0 ? 1 : rings.size() - 2;
        const glm::vec3 outward = glm::normalize(rings[end].centre - rings[inner].centre);
        const int tip = model.AddVertex(rings[end].centre, outward, rings[end].weights);
        for (int s = 0; s < sides; ++s) {
            model.AddTriangle(tip, first[end] + s, first[end] + (s + 1) % sides, material);
        }
    }
}

void CHumanShapes::Ellipsoid(CHumanModel& model, const glm::vec3& centre, const glm::vec3& radii,
                             int rows, int columns, float lastDegrees, int material,
                             const HUMAN_WEIGHTS& weights) {
    const float last = glm::radians(lastDegrees);
    const glm::vec3 inverse2 = 1.0f / (radii * radii);
    const auto point = [&](float polar, float azimuth, glm::vec3& normal) {
        // Longitude 0 faces the viewer (-z); x grows to the right.
        const glm::vec3 unit(std::sin(polar) * std::sin(azimuth), std::cos(polar),
                             -std::sin(polar) * std::cos(azimuth));
        const glm::vec3 offset = unit * radii;
        normal = offset * inverse2;
        return centre + offset;
    };
    glm::vec3 normal;
    const glm::vec3 north = point(0.0f, 0.0f, normal);
    const int top = model.AddVertex(north, normal, weights);
    // A closed ellipsoid ends in a point at the bottom instead of a last ring.
    const bool closed = lastDegrees >= 179.9f;
    const int ringCount = closed ? rows - 1 : rows;
    std::vector<int> rowStart(ringCount + 1, top);
    for (int r = 1; r <= ringCount; ++r) {
        const float polar = last * static_cast<float>(r) / rows;
        rowStart[r] = static_cast<int>(model.GetVertices().size());
        for (int c = 0; c < columns; ++c) {
            const float azimuth = glm::two_pi<float>() * static_cast<float>(c) / columns;
            const glm::vec3 p = point(polar, azimuth, normal);
            model.AddVertex(p, normal, weights);
        }
    }
    for (int c = 0; c < columns; ++c) {
        model.AddTriangle(top, rowStart[1] + c, rowStart[1] + (c + 1) % columns, material);
    }
    for (int r = 1; r < ringCount; ++r) {
        for (int c = 0; c < columns; ++c) {
            const int a = rowStart[r] + c, b = rowStart[r] + (c + 1) % columns;
            const int d = rowStart[r + 1] + c, e = rowStart[r + 1] + (c + 1) % columns;
            model.AddTriangle(a, b, e, material);
            model.AddTriangle(a, e, d, material);
        }
    }
    if (closed) {
        const glm::vec3 south = point(glm::pi<float>(), 0.0f, normal);
        const int bottom = model.AddVertex(south, normal, weights);
        for (int c = 0; c < columns; ++c) {
            model.AddTriangle(bottom, rowStart[ringCount] + c,
                              rowStart[ringCount] + (c + 1) % columns, material);
        }
    }
}

void CHumanShapes::Disk(CHumanModel& model, const glm::vec3& centre, const glm::vec3& normal,
                        float radius, int sides, int material, const HUMAN_WEIGHTS& weights) {
    glm::vec3 u, v;
    Across(normal, glm::vec3(1, 0, 0), u, v);
    const int middle = model.AddVertex(centre, normal, weights);
    for (int s = 0; s < sides; ++s) {
        const float angle = glm::two_pi<float>() * static_cast<float>(s) / sides;
        model.AddVertex(centre + (u * std::cos(angle) + v * std::sin(angle)) * radius, normal,
                        weights);
    }
    for (int s = 0; s < sides; ++s) {
        model.AddTriangle(middle, middle + 1 + s, middle + 1 + (s + 1) % sides, material);
    }
}

void CHumanShapes::Arc(CHumanModel& model, const glm::vec3& centre, const glm::vec3& a,
                       const glm::vec3& b, float radius, float first, float last, float thickness,
                       int material, const HUMAN_WEIGHTS& weights) {
    constexpr int kPieces = 8;
    constexpr int kSides = 4;
    std::vector<HUMAN_RING> rings;
    for (int i = 0; i <= kPieces; ++i) {
        const float angle = glm::radians(first + (last - first) * static_cast<float>(i) / kPieces);
        HUMAN_RING ring;
        ring.centre = centre + (a * std::cos(angle) + b * std::sin(angle)) * radius;
        const glm::vec3 along = -a * std::sin(angle) + b * std::cos(angle);
        Across(along, glm::cross(a, b), ring.u, ring.v);
        ring.ru = ring.rv = thickness;
        ring.weights = weights;
        rings.push_back(ring);
    }
    Tube(model, rings, kSides, material, true, true);
}
