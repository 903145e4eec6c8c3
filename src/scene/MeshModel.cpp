#include "scene/MeshModel.h"

#include <cstdarg>
#include <cstring>
#include <string>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "foundation/DiskFile.h"
#include "foundation/ErrorReport.h"
#include "platform/DebugOutput.h"
#include "platform/MeshCheck.h"

namespace {

// The extension of path without its dot, as the reader's format hint.
std::string ExtensionOf(const char* path) {
    const char* slash = std::strrchr(path, '/');
    const char* name = slash != nullptr ? slash + 1 : path;
    const char* dot = std::strrchr(name, '.');
    return dot != nullptr ? std::string(dot + 1) : std::string();
}

glm::mat4 MatrixOf(const MESH_MATRIX& matrix) {
    return glm::make_mat4(matrix.m);
}

}  // namespace

bool CMeshModel::Fail(int line, const char* format, ...) {
    va_list args;
    va_start(args, format);
    FailWithV(m_error, kSource, line, format, args);
    va_end(args);
    return false;
}

bool CMeshModel::Load(const char* path) {
    if (path == nullptr || *path == '\0') {
        return Fail(__LINE__, "Can't load the mesh \"%s\": %s", "", "no file named");
    }
    IMeshReader* reader = Platform::GetMeshReader();
    if (reader == nullptr) {
        return Fail(__LINE__, "Can't load the mesh \"%s\": %s", path,
                    "this program has no mesh reader");
    }
    std::vector<char> bytes;
    CDiskFile file;
    if (!file.Read(path, bytes, IMeshReader::kMaxFileSize)) {
        return Fail(__LINE__, "Can't load the mesh \"%s\": %s", path, file.GetError());
    }
    MESH_DATA data;
    std::string reason;
    if (!reader->Read(bytes.data(), bytes.size(), ExtensionOf(path).c_str(), data, reason)) {
        return Fail(__LINE__, "Can't load the mesh \"%s\": %s", path, reason.c_str());
    }
    return SetData(std::move(data), path);
}

bool CMeshModel::SetData(MESH_DATA data, const char* name) {
    m_name = name != nullptr ? name : "";
    std::string reason;
    if (!CMeshCheck::Check(data, reason)) {
        m_data = MESH_DATA();
        Prepare();
        return Fail(__LINE__, "Can't load the mesh \"%s\": %s", m_name.GetText(), reason.c_str());
    }
    m_data = std::move(data);
    return Prepare();
}

bool CMeshModel::Prepare() {
    const size_t frames = m_data.frames.size();
    m_fileLocal.resize(frames);
    for (size_t i = 0; i < frames; ++i) {
        m_fileLocal[i] = MatrixOf(m_data.frames[i].local);
    }
    m_local = m_fileLocal;
    m_combined.assign(frames, glm::mat4(1.0f));
    Update();
    m_offsets.clear();
    m_firstOffset.clear();
    m_boneFrames.clear();
    m_items.clear();
    for (const MESH_PART& part : m_data.meshes) {
        m_firstOffset.push_back(m_offsets.size());
        std::vector<int> boneFrames;
        for (const MESH_BONE& bone : part.bones) {
            const int frame = FindFrame(bone.name.c_str());
            if (frame < 0) {
                return Fail(__LINE__, "Can't load the mesh \"%s\": the bone \"%s\" has no frame",
                            m_name.GetText(), bone.name.c_str());
            }
            boneFrames.push_back(frame);
            m_offsets.push_back(MatrixOf(bone.offset));
        }
        m_boneFrames.push_back(std::move(boneFrames));
    }
    std::vector<bool> placed(m_data.meshes.size(), false);
    for (size_t f = 0; f < frames; ++f) {
        for (int part : m_data.frames[f].meshes) {
            // A skinned mesh is where its bones are, whichever frame holds it.
            if (!placed[part] || m_data.meshes[part].bones.empty()) {
                m_items.push_back(DRAW_ITEM{part, static_cast<int>(f)});
                placed[part] = true;
            }
        }
    }
    for (size_t part = 0; part < placed.size(); ++part) {
        if (!placed[part]) {
            m_items.push_back(DRAW_ITEM{static_cast<int>(part), 0});
        }
    }
    return true;
}

int CMeshModel::FindFrame(const char* name) const {
    if (name == nullptr) {
        return -1;
    }
    for (size_t i = 0; i < m_data.frames.size(); ++i) {
        if (m_data.frames[i].name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

const char* CMeshModel::GetFrameName(int frame) const {
    return frame >= 0 && frame < GetFrameCount() ? m_data.frames[frame].name.c_str() : "";
}

int CMeshModel::FindBone(const char* name) {
    const int frame = FindFrame(name);
    if (frame < 0) {
        Fail(__LINE__, "Can't find the bone \"%s\" in \"%s\"", name != nullptr ? name : "",
             m_name.GetText());
    }
    return frame;
}

bool CMeshModel::SetLocal(int frame, const glm::mat4& local) {
    if (frame < 0 || frame >= GetFrameCount()) {
        return Fail(__LINE__, "Can't set frame %d of %d", frame, GetFrameCount());
    }
    m_local[frame] = local;
    return true;
}

bool CMeshModel::SetBoneLocal(const char* name, const glm::mat4& local) {
    const int frame = FindBone(name);
    return frame >= 0 && SetLocal(frame, local);
}

bool CMeshModel::TurnBone(const char* name, float degrees, const glm::vec3& axis) {
    if (glm::length(axis) <= 0.0f) {
        return Fail(__LINE__, "Can't turn the bone \"%s\" about a null axis",
                    name != nullptr ? name : "");
    }
    const int frame = FindBone(name);
    if (frame < 0) {
        return false;
    }
    // The turn acts in the parent's space about the bone's origin: the
    // file's place is kept, its axes turn.
    const glm::mat4& file = m_fileLocal[frame];
    const glm::vec3 origin(file[3]);
    const glm::mat4 turn =
        glm::translate(glm::mat4(1.0f), origin) *
        glm::rotate(glm::mat4(1.0f), glm::radians(degrees), glm::normalize(axis)) *
        glm::translate(glm::mat4(1.0f), -origin);
    return SetLocal(frame, turn * file);
}

void CMeshModel::ResetPose() {
    m_local = m_fileLocal;
}

void CMeshModel::Update() {
    for (size_t i = 0; i < m_local.size(); ++i) {
        const int parent = m_data.frames[i].parent;
        m_combined[i] = parent >= 0 ? m_combined[parent] * m_local[i] : m_local[i];
    }
}

bool CMeshModel::IsSkinnedPart(int part) const {
    return m_skinned && part >= 0 && static_cast<size_t>(part) < m_data.meshes.size() &&
           !m_data.meshes[part].bones.empty();
}

glm::mat4 CMeshModel::GetEntryMatrix(const DRAW_ITEM& item, int entry) const {
    if (entry == kFrameEntry || !IsSkinnedPart(item.part)) {
        return m_combined[item.frame];
    }
    return m_combined[m_boneFrames[item.part][entry]] * m_offsets[m_firstOffset[item.part] + entry];
}

glm::vec3 CMeshModel::GetVertexPosition(const DRAW_ITEM& item, int vertex) const {
    const MESH_PART& part = m_data.meshes[item.part];
    const glm::vec4 p(part.positions[3 * vertex], part.positions[3 * vertex + 1],
                      part.positions[3 * vertex + 2], 1.0f);
    if (!IsSkinnedPart(item.part)) {
        return glm::vec3(m_combined[item.frame] * p);
    }
    glm::vec4 sum(0.0f);
    float total = 0.0f;
    for (int s = 0; s < MESH_PART::kBonesPerVertex; ++s) {
        const float weight = part.boneWeights[vertex * MESH_PART::kBonesPerVertex + s];
        if (weight > 0.0f) {
            sum += GetEntryMatrix(item, part.boneIndices[vertex * MESH_PART::kBonesPerVertex + s]) *
                   p * weight;
            total += weight;
        }
    }
    return total > 0.0f ? glm::vec3(sum) : glm::vec3(m_combined[item.frame] * p);
}

bool CMeshModel::GetBounds(const glm::mat4& placement, const std::vector<bool>& shown,
                           glm::vec3& low, glm::vec3& high) const {
    bool any = false;
    for (const DRAW_ITEM& item : m_items) {
        if (static_cast<size_t>(item.part) < shown.size() && !shown[item.part]) {
            continue;
        }
        const int vertices = static_cast<int>(m_data.meshes[item.part].GetVertexCount());
        for (int v = 0; v < vertices; ++v) {
            const glm::vec3 p = glm::vec3(placement * glm::vec4(GetVertexPosition(item, v), 1.0f));
            low = any ? glm::min(low, p) : p;
            high = any ? glm::max(high, p) : p;
            any = true;
        }
    }
    return any;
}

std::vector<int> CMeshModel::FindParts(const char* name) const {
    std::vector<int> parts;
    if (name == nullptr) {
        return parts;
    }
    for (size_t i = 0; i < m_data.meshes.size(); ++i) {
        if (m_data.meshes[i].material == name) {
            parts.push_back(static_cast<int>(i));
        }
    }
    for (size_t i = 0; parts.empty() && i < m_data.meshes.size(); ++i) {
        if (m_data.meshes[i].name == name) {
            parts.push_back(static_cast<int>(i));
        }
    }
    return parts;
}

void CMeshModel::Dump() const {
    Platform::WriteDebugOutput(m_skinned ? "LoadSkin ==========" : "LoadMesh ==========");
    CCharString line;
    Platform::WriteDebugOutput(line.Format("================== File: %s", m_name.GetText()));
    for (int f = 0; f < GetFrameCount(); ++f) {
        const MESH_FRAME& frame = m_data.frames[f];
        int vertices = 0;
        glm::vec3 low(0.0f), high(0.0f);
        for (int part : frame.meshes) {
            const MESH_PART& mesh = m_data.meshes[part];
            for (size_t v = 0; v < mesh.GetVertexCount(); ++v) {
                const glm::vec3 p(mesh.positions[3 * v], mesh.positions[3 * v + 1],
                                  mesh.positions[3 * v + 2]);
                low = vertices == 0 ? p : glm::min(low, p);
                high = vertices == 0 ? p : glm::max(high, p);
                ++vertices;
            }
        }
        CCharString box;
        box.Format("(%.3f, %.3f, %.3f) - (%.3f, %.3f, %.3f)", low.x, low.y, low.z, high.x, high.y,
                   high.z);
        Platform::WriteDebugOutput(
            line.Format("Frame: %s (child of %s), %d vertices %s", frame.name.c_str(),
                        frame.parent >= 0 ? m_data.frames[frame.parent].name.c_str() : "none",
                        vertices, box.GetText()));
    }
}
