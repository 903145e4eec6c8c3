#pragma once

#include <string>
#include <vector>

#include <glm/glm.hpp>

// Up to four bones that move a vertex, with their weights.
struct HUMAN_WEIGHTS {
    static constexpr int kSlots = 4;
    int bones[kSlots] = {-1, -1, -1, -1};
    float weights[kSlots] = {0.0f, 0.0f, 0.0f, 0.0f};

    static HUMAN_WEIGHTS One(int bone);
    // a alone at t = 0, b alone at t = 1, blended smoothly between.
    static HUMAN_WEIGHTS Blend(int a, int b, float t);
};

struct HUMAN_VERTEX {
    glm::vec3 position{0.0f};
    glm::vec3 normal{0.0f, 1.0f, 0.0f};
    HUMAN_WEIGHTS weights;
};

struct HUMAN_MATERIAL {
    std::string name;
    glm::vec4 diffuse{1.0f};
    float power = 0.0f;
    glm::vec3 specular{0.0f};
};

// A joint of the skeleton where the figure stands in its bind pose.
struct HUMAN_BONE {
    std::string name;
    int parent = -1;
    glm::vec3 position{0.0f};
};

struct HUMAN_TRIANGLE {
    int corners[3] = {0, 0, 0};
    int material = 0;
};

// The figure being made: its skeleton, materials, skinned vertices and
// triangles, in metres in the scene's left-handed space (x right, y up,
// z away from the viewer). Triangles are kept clockwise seen from outside,
// the front faces of the .x format.
class CHumanModel {
public:
    int AddBone(const std::string& name, const std::string& parent, const glm::vec3& position);
    int FindBone(const std::string& name) const;
    int AddMaterial(const std::string& name, const glm::vec4& diffuse, float power = 0.0f,
                    const glm::vec3& specular = glm::vec3(0.0f));
    int FindMaterial(const std::string& name) const;
    int AddVertex(const glm::vec3& position, const glm::vec3& normal, const HUMAN_WEIGHTS& weights);
    // Turned, when needed, to be clockwise seen from the side the corners'
    // normals point to.
    void AddTriangle(int a, int b, int c, int material);

    const std::vector<HUMAN_BONE>& GetBones() const { return m_bones; }
    const std::vector<HUMAN_MATERIAL>& GetMaterials() const { return m_materials; }
    const std::vector<HUMAN_VERTEX>& GetVertices() const { return m_vertices; }
    const std::vector<HUMAN_TRIANGLE>& GetTriangles() const { return m_triangles; }
    // The first problem of the model (a missing bone, a bone without
    // vertices), empty when none.
    const std::string& GetProblem() const { return m_problem; }
    void SetProblem(const std::string& problem);

private:
    std::vector<HUMAN_BONE> m_bones;
    std::vector<HUMAN_MATERIAL> m_materials;
    std::vector<HUMAN_VERTEX> m_vertices;
    std::vector<HUMAN_TRIANGLE> m_triangles;
    std::string m_problem;
};

// One cross-section of a tube: an ellipse about centre with the radii ru
// along u and rv along v, and the bones of its vertices.
struct HUMAN_RING {
    glm::vec3 centre{0.0f};
    glm::vec3 u{1.0f, 0.0f, 0.0f};
    glm::vec3 v{0.0f, 0.0f, 1.0f};
    float ru = 0.0f;
    float rv = 0.0f;
    HUMAN_WEIGHTS weights;
};

// The shapes the figure is made of.
class CHumanShapes {
public:
    // A tube through rings of sides vertices each, closed at its first and
    // its last ring by a point with that ring's weights when asked.
    static void Tube(CHumanModel& model, const std::vector<HUMAN_RING>& rings, int sides,
                     int material, bool capFirst, bool capLast);
    // The part of an ellipsoid from the top (polar angle 0, along up) to
    // the polar angle lastDegrees; front is the direction of longitude 0.
    static void Ellipsoid(CHumanModel& model, const glm::vec3& centre, const glm::vec3& radii,
                          int rows, int columns, float lastDegrees, int material,
                          const HUMAN_WEIGHTS& weights);
    // A flat disk facing along normal.
    static void Disk(CHumanModel& model, const glm::vec3& centre, const glm::vec3& normal,
                     float radius, int sides, int material, const HUMAN_WEIGHTS& weights);
    // A thin tube along a circular arc about centre in the plane of a and
    // b, from angle first to last (degrees, measured from a towards b).
    static void Arc(CHumanModel& model, const glm::vec3& centre, const glm::vec3& a,
                    const glm::vec3& b, float radius, float first, float last, float thickness,
                    int material, const HUMAN_WEIGHTS& weights);
    // Two axes across direction, the first as close to hint as can be.
    static void Across(const glm::vec3& direction, const glm::vec3& hint, glm::vec3& u,
                       glm::vec3& v);
};
