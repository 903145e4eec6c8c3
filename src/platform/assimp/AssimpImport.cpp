#include "platform/assimp/AssimpImport.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>
#include <vector>

#include <assimp/config.h>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/Importer.hpp>

#include "platform/assimp/ReaderProcess.h"

namespace {

// Triangles with shared vertices and at most four bones per vertex; the
// library's right-handed space turned back into the left-handed one of the
// scene (and of the .x format), with clockwise front faces. The vertices
// stay in their meshes' own spaces, so that bones can move them.
// Missing normals are made here (MakeNormals): the library would make them
// after turning the faces, for counter-clockwise ones.
constexpr unsigned kImportSteps = aiProcess_Triangulate | aiProcess_JoinIdenticalVertices |
                                  aiProcess_LimitBoneWeights | aiProcess_ValidateDataStructure |
                                  aiProcess_ConvertToLeftHanded;
constexpr int kTriangleCorners = 3;

void CopyMatrix(const aiMatrix4x4& from, MESH_MATRIX& to) {
    // aiMatrix4x4 is stored row after row for column vectors.
    const float rows[4][4] = {{from.a1, from.a2, from.a3, from.a4},
                              {from.b1, from.b2, from.b3, from.b4},
                              {from.c1, from.c2, from.c3, from.c4},
                              {from.d1, from.d2, from.d3, from.d4}};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            to.m[column * 4 + row] = rows[row][column];
        }
    }
}

// Smooth normals for a mesh without them: each vertex the sum of its
// triangles' normals, weighed by their areas. A clockwise triangle of the
// left-handed space faces the side its cross product points to.
void MakeNormals(MESH_PART& part) {
    std::vector<float>& n = part.normals;
    const std::vector<float>& p = part.positions;
    for (size_t t = 0; t + 2 < part.indices.size(); t += 3) {
        const size_t a = 3 * part.indices[t], b = 3 * part.indices[t + 1];
        const size_t c = 3 * part.indices[t + 2];
        const float u[3] = {p[b] - p[a], p[b + 1] - p[a + 1], p[b + 2] - p[a + 2]};
        const float v[3] = {p[c] - p[a], p[c + 1] - p[a + 1], p[c + 2] - p[a + 2]};
        const float face[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                               u[0] * v[1] - u[1] * v[0]};
        for (size_t corner : {a, b, c}) {
            for (int k = 0; k < 3; ++k) {
                n[corner + k] += face[k];
            }
        }
    }
    for (size_t v = 0; v < n.size(); v += 3) {
        const float length = std::sqrt(n[v] * n[v] + n[v + 1] * n[v + 1] + n[v + 2] * n[v + 2]);
        for (int k = 0; k < 3 && length > 0.0f; ++k) {
            n[v + k] /= length;
        }
    }
}

std::string NameOf(const aiString& name) {
    return std::string(name.C_Str(), std::min<size_t>(name.length, IMeshReader::kMaxNameLength));
}

}  // namespace

bool CAssimpImport::Import(const void* data, size_t size, const char* formatHint, MESH_DATA& mesh,
                           std::string& error) {
    mesh = MESH_DATA();
    Assimp::Importer importer;
    importer.SetPropertyInteger(AI_CONFIG_PP_LBW_MAX_WEIGHTS, MESH_PART::kBonesPerVertex);
    importer.SetPropertyBool(AI_CONFIG_IMPORT_NO_SKELETON_MESHES, true);
    const aiScene* scene = importer.ReadFileFromMemory(data, size, kImportSteps,
                                                       formatHint != nullptr ? formatHint : "");
    if (scene == nullptr) {
        error = importer.GetErrorString();
        if (error == std::bad_alloc().what()) {
            error = CReaderProcess::kNoMemory;  // the library caught it
        }
        if (error.empty()) {
            error = "the file is not a model the reader knows";
        }
        return false;
    }
    if (scene->mRootNode == nullptr) {
        error = "the file has no frames";
        return false;
    }
    if (scene->mNumMeshes > IMeshReader::kMaxMeshes) {
        error = std::to_string(scene->mNumMeshes) + " meshes, more than " +
                std::to_string(IMeshReader::kMaxMeshes);
        return false;
    }
    mesh.meshes.resize(scene->mNumMeshes);
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        if (scene->mMeshes[i] == nullptr ||
            !AddMesh(*scene, *scene->mMeshes[i], mesh.meshes[i], error)) {
            if (error.empty()) {
                error = "mesh " + std::to_string(i) + " is missing";
            }
            return false;
        }
    }
    return AddFrames(*scene, mesh, error);
}

bool CAssimpImport::AddFrames(const aiScene& scene, MESH_DATA& mesh, std::string& error) {
    // Parents first, without recursion: the tree may be deep.
    std::vector<std::pair<const aiNode*, int>> pending = {{scene.mRootNode, -1}};
    while (!pending.empty()) {
        const auto [node, parent] = pending.back();
        pending.pop_back();
        if (mesh.frames.size() >= IMeshReader::kMaxFrames) {
            error = "more than " + std::to_string(IMeshReader::kMaxFrames) + " frames";
            return false;
        }
        const int index = static_cast<int>(mesh.frames.size());
        mesh.frames.emplace_back();
        MESH_FRAME& frame = mesh.frames.back();
        frame.name = NameOf(node->mName);
        frame.parent = parent;
        CopyMatrix(node->mTransformation, frame.local);
        for (unsigned i = 0; i < node->mNumMeshes; ++i) {
            if (node->mMeshes[i] >= scene.mNumMeshes) {
                error = "frame \"" + frame.name + "\" draws a mesh that does not exist";
                return false;
            }
            frame.meshes.push_back(static_cast<int>(node->mMeshes[i]));
        }
        if (parent >= 0) {
            mesh.frames[parent].children.push_back(index);
        }
        // Children go on the stack last first, so that they come out in order.
        for (unsigned i = node->mNumChildren; i-- > 0;) {
            if (node->mChildren[i] != nullptr) {
                pending.emplace_back(node->mChildren[i], index);
            }
        }
    }
    return true;
}

bool CAssimpImport::AddMesh(const aiScene& scene, const aiMesh& source, MESH_PART& part,
                            std::string& error) {
    part.name = NameOf(source.mName);
    const unsigned vertices = source.mNumVertices;
    if (vertices > IMeshReader::kMaxVertices || source.mVertices == nullptr) {
        error = "mesh \"" + part.name + "\" has " + std::to_string(vertices) + " vertices";
        return false;
    }
    part.positions.resize(static_cast<size_t>(vertices) * 3);
    part.normals.assign(static_cast<size_t>(vertices) * 3, 0.0f);
    for (unsigned i = 0; i < vertices; ++i) {
        const aiVector3D& p = source.mVertices[i];
        part.positions[3 * i] = p.x;
        part.positions[3 * i + 1] = p.y;
        part.positions[3 * i + 2] = p.z;
        if (source.mNormals != nullptr) {
            const aiVector3D& n = source.mNormals[i];
            part.normals[3 * i] = n.x;
            part.normals[3 * i + 1] = n.y;
            part.normals[3 * i + 2] = n.z;
        }
    }
    if (source.mNumFaces > IMeshReader::kMaxTriangles) {
        error = "mesh \"" + part.name + "\" has " + std::to_string(source.mNumFaces) + " faces";
        return false;
    }
    for (unsigned i = 0; i < source.mNumFaces; ++i) {
        const aiFace& face = source.mFaces[i];
        if (face.mNumIndices != kTriangleCorners) {
            continue;  // points and lines are not drawn
        }
        for (int corner = 0; corner < kTriangleCorners; ++corner) {
            if (face.mIndices[corner] >= vertices) {
                error = "mesh \"" + part.name + "\" has a face outside its vertices";
                return false;
            }
            part.indices.push_back(face.mIndices[corner]);
        }
    }
    if (source.mNormals == nullptr) {
        MakeNormals(part);
    }
    SetMaterial(scene, source, part);
    return AddBones(source, part, error);
}

bool CAssimpImport::AddBones(const aiMesh& source, MESH_PART& part, std::string& error) {
    if (source.mNumBones == 0 || source.mBones == nullptr) {
        return true;
    }
    if (source.mNumBones > IMeshReader::kMaxBones) {
        error = "mesh \"" + part.name + "\" has " + std::to_string(source.mNumBones) +
                " bones, more than " + std::to_string(IMeshReader::kMaxBones);
        return false;
    }
    constexpr int kSlots = MESH_PART::kBonesPerVertex;
    const size_t vertices = part.GetVertexCount();
    part.boneIndices.assign(vertices * kSlots, 0);
    part.boneWeights.assign(vertices * kSlots, 0.0f);
    part.bones.resize(source.mNumBones);
    for (unsigned b = 0; b < source.mNumBones; ++b) {
        const aiBone* bone = source.mBones[b];
        if (bone == nullptr) {
            error = "mesh \"" + part.name + "\" has a bone that is missing";
            return false;
        }
        part.bones[b].name = NameOf(bone->mName);
        CopyMatrix(bone->mOffsetMatrix, part.bones[b].offset);
        for (unsigned w = 0; w < bone->mNumWeights; ++w) {
            const aiVertexWeight& weight = bone->mWeights[w];
            if (weight.mVertexId >= vertices || !(weight.mWeight > 0.0f)) {
                continue;
            }
            // The heaviest bones of the vertex keep their slots.
            uint16_t* indices = &part.boneIndices[weight.mVertexId * kSlots];
            float* weights = &part.boneWeights[weight.mVertexId * kSlots];
            const int lightest =
                static_cast<int>(std::min_element(weights, weights + kSlots) - weights);
            if (weights[lightest] < weight.mWeight) {
                weights[lightest] = weight.mWeight;
                indices[lightest] = static_cast<uint16_t>(b);
            }
        }
    }
    for (size_t v = 0; v < vertices; ++v) {
        float* weights = &part.boneWeights[v * kSlots];
        float sum = 0.0f;
        for (int i = 0; i < kSlots; ++i) {
            sum += weights[i];
        }
        for (int i = 0; i < kSlots && sum > 0.0f; ++i) {
            weights[i] = std::min(1.0f, weights[i] / sum);
        }
    }
    return true;
}

void CAssimpImport::SetMaterial(const aiScene& scene, const aiMesh& source, MESH_PART& part) {
    if (source.mMaterialIndex >= scene.mNumMaterials || scene.mMaterials == nullptr ||
        scene.mMaterials[source.mMaterialIndex] == nullptr) {
        return;
    }
    const aiMaterial& material = *scene.mMaterials[source.mMaterialIndex];
    aiString name;
    if (material.Get(AI_MATKEY_NAME, name) == AI_SUCCESS) {
        part.material = NameOf(name);
    }
    aiColor4D colour;
    if (material.Get(AI_MATKEY_COLOR_DIFFUSE, colour) == AI_SUCCESS) {
        part.diffuse[0] = colour.r;
        part.diffuse[1] = colour.g;
        part.diffuse[2] = colour.b;
        part.diffuse[3] = colour.a;
    }
    float opacity = 1.0f;
    if (material.Get(AI_MATKEY_OPACITY, opacity) == AI_SUCCESS) {
        part.diffuse[3] = std::clamp(opacity, 0.0f, 1.0f);
    }
    if (material.Get(AI_MATKEY_COLOR_SPECULAR, colour) == AI_SUCCESS) {
        part.specular[0] = colour.r;
        part.specular[1] = colour.g;
        part.specular[2] = colour.b;
    }
    if (material.Get(AI_MATKEY_COLOR_EMISSIVE, colour) == AI_SUCCESS) {
        part.emissive[0] = colour.r;
        part.emissive[1] = colour.g;
        part.emissive[2] = colour.b;
    }
    float power = 0.0f;
    if (material.Get(AI_MATKEY_SHININESS, power) == AI_SUCCESS) {
        part.power = std::max(0.0f, power);
    }
}
