#include "human/XFileWriter.h"

#include <algorithm>
#include <vector>

#include "common/NumberFormat.h"

namespace {

constexpr int kDecimals = 6;

std::string Number(float value) {
    return NumberFormat::FormatDouble(value, kDecimals);
}

std::string Indent(int depth) {
    return std::string(static_cast<size_t>(depth) * 1, ' ');
}

// A translation for row vectors: the offset in the last row.
std::string Translation(const glm::vec3& offset) {
    return "1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,0.000000,"
           "0.000000,0.000000,1.000000,0.000000," +
           Number(offset.x) + "," + Number(offset.y) + "," + Number(offset.z) + ",1.000000;;";
}

void FrameMatrix(const glm::vec3& offset, int depth, std::string& out) {
    out += Indent(depth) + "FrameTransformMatrix {\n" + Indent(depth + 1) + Translation(offset) +
           "\n" + Indent(depth) + "}\n";
}

// count items written by item(i), separated by "," and ended by ";".
template <typename ITEM>
void List(size_t count, int depth, std::string& out, ITEM item) {
    for (size_t i = 0; i < count; ++i) {
        out += Indent(depth) + item(i) + (i + 1 < count ? ",\n" : ";\n");
    }
}

std::string Vector(const glm::vec3& v) {
    return Number(v.x) + ";" + Number(v.y) + ";" + Number(v.z) + ";";
}

}  // namespace

std::string CXFileWriter::Write(const CHumanModel& model) {
    std::string out = "xof 0303txt 0032\n\n";
    out += "Frame Root {\n";
    FrameMatrix(glm::vec3(0.0f), 1, out);
    out += Indent(1) + "Frame Deformers {\n";
    FrameMatrix(glm::vec3(0.0f), 2, out);
    for (size_t i = 0; i < model.GetBones().size(); ++i) {
        if (model.GetBones()[i].parent < 0) {
            WriteFrames(model, static_cast<int>(i), 2, out);
        }
    }
    out += Indent(1) + "}\n";
    out += Indent(1) + "Frame Body {\n";
    FrameMatrix(glm::vec3(0.0f), 2, out);
    WriteMesh(model, out);
    out += Indent(1) + "}\n";
    out += "}\n";
    return out;
}

void CXFileWriter::WriteFrames(const CHumanModel& model, int bone, int depth, std::string& out) {
    const std::vector<HUMAN_BONE>& bones = model.GetBones();
    const HUMAN_BONE& frame = bones[bone];
    const glm::vec3 parent = frame.parent >= 0 ? bones[frame.parent].position : glm::vec3(0.0f);
    out += Indent(depth) + "Frame " + frame.name + " {\n";
    FrameMatrix(frame.position - parent, depth + 1, out);
    for (size_t i = 0; i < bones.size(); ++i) {
        if (bones[i].parent == bone) {
            WriteFrames(model, static_cast<int>(i), depth + 1, out);
        }
    }
    out += Indent(depth) + "}\n";
}

void CXFileWriter::WriteMesh(const CHumanModel& model, std::string& out) {
    const std::vector<HUMAN_VERTEX>& vertices = model.GetVertices();
    const std::vector<HUMAN_TRIANGLE>& triangles = model.GetTriangles();
    const int d = 3;
    out += Indent(2) + "Mesh Body {\n";
    out += Indent(d) + std::to_string(vertices.size()) + ";\n";
    List(vertices.size(), d, out, [&](size_t i) { return Vector(vertices[i].position); });
    const auto faces = [&](int depth) {
        out += Indent(depth) + std::to_string(triangles.size()) + ";\n";
        List(triangles.size(), depth, out, [&](size_t i) {
            const int* c = triangles[i].corners;
            return "3;" + std::to_string(c[0]) + "," + std::to_string(c[1]) + "," +
                   std::to_string(c[2]) + ";";
        });
    };
    faces(d);
    out += Indent(d) + "MeshNormals {\n";
    out += Indent(d + 1) + std::to_string(vertices.size()) + ";\n";
    List(vertices.size(), d + 1, out, [&](size_t i) { return Vector(vertices[i].normal); });
    faces(d + 1);
    out += Indent(d) + "}\n";
    WriteMaterials(model, out);
    WriteSkin(model, out);
    out += Indent(2) + "}\n";
}

void CXFileWriter::WriteMaterials(const CHumanModel& model, std::string& out) {
    const int d = 3;
    const std::vector<HUMAN_TRIANGLE>& triangles = model.GetTriangles();
    out += Indent(d) + "MeshMaterialList {\n";
    out += Indent(d + 1) + std::to_string(model.GetMaterials().size()) + ";\n";
    out += Indent(d + 1) + std::to_string(triangles.size()) + ";\n";
    // The index list ends the list and its record: ";;".
    List(triangles.size(), d + 1, out, [&](size_t i) {
        return std::to_string(triangles[i].material) + (i + 1 == triangles.size() ? ";" : "");
    });
    for (const HUMAN_MATERIAL& material : model.GetMaterials()) {
        const glm::vec4& c = material.diffuse;
        out += Indent(d + 1) + "Material " + material.name + " {\n";
        out += Indent(d + 2) + Number(c.r) + ";" + Number(c.g) + ";" + Number(c.b) + ";" +
               Number(c.a) + ";;\n";
        out += Indent(d + 2) + Number(material.power) + ";\n";
        out += Indent(d + 2) + Vector(material.specular) + ";\n";
        out += Indent(d + 2) + Vector(glm::vec3(0.0f)) + ";\n";
        out += Indent(d + 1) + "}\n";
    }
    out += Indent(d) + "}\n";
}

void CXFileWriter::WriteSkin(const CHumanModel& model, std::string& out) {
    const int d = 3;
    const std::vector<HUMAN_BONE>& bones = model.GetBones();
    const std::vector<HUMAN_VERTEX>& vertices = model.GetVertices();
    // Each bone's vertices and weights.
    std::vector<std::vector<std::pair<size_t, float>>> weighed(bones.size());
    int perVertex = 0;
    for (size_t v = 0; v < vertices.size(); ++v) {
        int used = 0;
        for (int s = 0; s < HUMAN_WEIGHTS::kSlots; ++s) {
            const int bone = vertices[v].weights.bones[s];
            const float weight = vertices[v].weights.weights[s];
            if (bone >= 0 && weight > 0.0f) {
                weighed[bone].emplace_back(v, weight);
                ++used;
            }
        }
        perVertex = std::max(perVertex, used);
    }
    int perFace = 0;
    for (const HUMAN_TRIANGLE& triangle : model.GetTriangles()) {
        std::vector<int> used;
        for (int corner : triangle.corners) {
            for (int s = 0; s < HUMAN_WEIGHTS::kSlots; ++s) {
                const int bone = vertices[corner].weights.bones[s];
                if (bone >= 0 && std::find(used.begin(), used.end(), bone) == used.end()) {
                    used.push_back(bone);
                }
            }
        }
        perFace = std::max(perFace, static_cast<int>(used.size()));
    }
    out += Indent(d) + "XSkinMeshHeader {\n";
    out += Indent(d + 1) + std::to_string(perVertex) + ";\n";
    out += Indent(d + 1) + std::to_string(perFace) + ";\n";
    out += Indent(d + 1) + std::to_string(bones.size()) + ";\n";
    out += Indent(d) + "}\n";
    for (size_t b = 0; b < bones.size(); ++b) {
        const auto& list = weighed[b];
        out += Indent(d) + "SkinWeights {\n";
        out += Indent(d + 1) + "\"" + bones[b].name + "\";\n";
        out += Indent(d + 1) + std::to_string(list.size()) + ";\n";
        List(list.size(), d + 1, out, [&](size_t i) { return std::to_string(list[i].first); });
        List(list.size(), d + 1, out, [&](size_t i) { return Number(list[i].second); });
        // The offset takes the bind pose's vertices into the bone's space.
        out += Indent(d + 1) + Translation(-bones[b].position) + "\n";
        out += Indent(d) + "}\n";
    }
}
