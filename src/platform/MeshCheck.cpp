#include "platform/MeshCheck.h"

#include <cmath>

namespace {

bool AllFinite(const float* values, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (!std::isfinite(values[i])) {
            return false;
        }
    }
    return true;
}

bool Fail(std::string& error, const std::string& text) {
    error = text;
    return false;
}

}  // namespace

bool CMeshCheck::Check(const MESH_DATA& mesh, std::string& error) {
    if (!CheckFrames(mesh, error)) {
        return false;
    }
    if (mesh.meshes.size() > IMeshReader::kMaxMeshes) {
        return Fail(error, std::to_string(mesh.meshes.size()) + " meshes, more than " +
                               std::to_string(IMeshReader::kMaxMeshes));
    }
    size_t vertices = 0;
    size_t triangles = 0;
    for (size_t i = 0; i < mesh.meshes.size(); ++i) {
        const MESH_PART& part = mesh.meshes[i];
        if (!CheckPart(part, i, error)) {
            return false;
        }
        vertices += part.GetVertexCount();
        triangles += part.indices.size() / 3;
    }
    if (vertices > IMeshReader::kMaxVertices) {
        return Fail(error, std::to_string(vertices) + " vertices, more than " +
                               std::to_string(IMeshReader::kMaxVertices));
    }
    if (triangles > IMeshReader::kMaxTriangles) {
        return Fail(error, std::to_string(triangles) + " triangles, more than " +
                               std::to_string(IMeshReader::kMaxTriangles));
    }
    return true;
}

bool CMeshCheck::CheckFrames(const MESH_DATA& mesh, std::string& error) {
    const size_t count = mesh.frames.size();
    if (count == 0) {
        return Fail(error, "no frames");
    }
    if (count > IMeshReader::kMaxFrames) {
        return Fail(error, std::to_string(count) + " frames, more than " +
                               std::to_string(IMeshReader::kMaxFrames));
    }
    size_t children = 0;
    for (size_t i = 0; i < count; ++i) {
        const MESH_FRAME& frame = mesh.frames[i];
        const std::string which = "frame " + std::to_string(i);
        if (frame.name.size() > IMeshReader::kMaxNameLength) {
            return Fail(error, which + " has a name longer than " +
                                   std::to_string(IMeshReader::kMaxNameLength));
        }
        if (i == 0 ? frame.parent != -1
                   : frame.parent < 0 || static_cast<size_t>(frame.parent) >= i) {
            return Fail(error, which + " has the parent " + std::to_string(frame.parent));
        }
        if (!AllFinite(frame.local.m, 16)) {
            return Fail(error, which + " has a matrix that is not finite");
        }
        for (int child : frame.children) {
            if (child <= static_cast<int>(i) || static_cast<size_t>(child) >= count ||
                mesh.frames[child].parent != static_cast<int>(i)) {
                return Fail(error, which + " has the child " + std::to_string(child));
            }
        }
        children += frame.children.size();
        for (int part : frame.meshes) {
            if (part < 0 || static_cast<size_t>(part) >= mesh.meshes.size()) {
                return Fail(error, which + " draws the mesh " + std::to_string(part) + " of " +
                                       std::to_string(mesh.meshes.size()));
            }
        }
    }
    if (children != count - 1) {
        return Fail(error, "the frames' children do not match their parents");
    }
    return true;
}

bool CMeshCheck::CheckPart(const MESH_PART& part, size_t number, std::string& error) {
    const std::string which = "mesh " + std::to_string(number);
    if (part.name.size() > IMeshReader::kMaxNameLength ||
        part.material.size() > IMeshReader::kMaxNameLength) {
        return Fail(error, which + " has a name longer than " +
                               std::to_string(IMeshReader::kMaxNameLength));
    }
    if (part.positions.size() % 3 != 0 || part.normals.size() != part.positions.size()) {
        return Fail(error, which + " has " + std::to_string(part.positions.size()) +
                               " coordinates and " + std::to_string(part.normals.size()) +
                               " normal coordinates");
    }
    if (part.GetVertexCount() > IMeshReader::kMaxVertices) {
        return Fail(error, which + " has too many vertices");
    }
    if (!AllFinite(part.positions.data(), part.positions.size()) ||
        !AllFinite(part.normals.data(), part.normals.size()) || !AllFinite(part.diffuse, 4) ||
        !AllFinite(part.specular, 3) || !AllFinite(part.emissive, 3) ||
        !std::isfinite(part.power)) {
        return Fail(error, which + " has numbers that are not finite");
    }
    if (part.indices.size() % 3 != 0) {
        return Fail(error, which + " has " + std::to_string(part.indices.size()) +
                               " indices, not whole triangles");
    }
    const size_t vertices = part.GetVertexCount();
    for (uint32_t index : part.indices) {
        if (index >= vertices) {
            return Fail(error, which + " has the index " + std::to_string(index) + " of " +
                                   std::to_string(vertices) + " vertices");
        }
    }
    return CheckBones(part, number, error);
}

bool CMeshCheck::CheckBones(const MESH_PART& part, size_t number, std::string& error) {
    const std::string which = "mesh " + std::to_string(number);
    const size_t slots = part.GetVertexCount() * MESH_PART::kBonesPerVertex;
    if (part.bones.empty()) {
        if (!part.boneIndices.empty() || !part.boneWeights.empty()) {
            return Fail(error, which + " has bone weights but no bones");
        }
        return true;
    }
    if (part.bones.size() > IMeshReader::kMaxBones) {
        return Fail(error, which + " has " + std::to_string(part.bones.size()) +
                               " bones, more than " + std::to_string(IMeshReader::kMaxBones));
    }
    if (part.boneIndices.size() != slots || part.boneWeights.size() != slots) {
        return Fail(error, which + " has bone weights for " +
                               std::to_string(part.boneWeights.size()) + " of " +
                               std::to_string(slots) + " slots");
    }
    for (size_t i = 0; i < slots; ++i) {
        const float weight = part.boneWeights[i];
        if (!std::isfinite(weight) || weight < 0.0f || weight > 1.0f) {
            return Fail(error, which + " has a bone weight outside 0 to 1");
        }
        if (part.boneIndices[i] >= part.bones.size()) {
            return Fail(error, which + " weighs the bone " + std::to_string(part.boneIndices[i]) +
                                   " of " + std::to_string(part.bones.size()));
        }
    }
    for (const MESH_BONE& bone : part.bones) {
        if (bone.name.size() > IMeshReader::kMaxNameLength) {
            return Fail(error, which + " has a bone name longer than " +
                                   std::to_string(IMeshReader::kMaxNameLength));
        }
        if (!AllFinite(bone.offset.m, 16)) {
            return Fail(error, which + " has the bone \"" + bone.name +
                                   "\" with a matrix that is not finite");
        }
    }
    return true;
}
