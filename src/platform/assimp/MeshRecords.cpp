#include "platform/assimp/MeshRecords.h"

#include <cstring>

#include "platform/MeshCheck.h"

namespace {

constexpr uint32_t kMagic = 0x48534D4E;  // "NMSH"
constexpr uint32_t kVersion = 1;

class CWriter {
public:
    explicit CWriter(std::vector<uint8_t>& block) : m_block(block) {}
    void Bytes(const void* data, size_t size) {
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        m_block.insert(m_block.end(), bytes, bytes + size);
    }
    void U32(uint32_t value) { Bytes(&value, sizeof value); }
    void I32(int32_t value) { Bytes(&value, sizeof value); }
    void Text(const std::string& text) {
        U32(static_cast<uint32_t>(text.size()));
        Bytes(text.data(), text.size());
    }
    template <typename T>
    void List(const std::vector<T>& values) {
        U32(static_cast<uint32_t>(values.size()));
        Bytes(values.data(), values.size() * sizeof(T));
    }

private:
    std::vector<uint8_t>& m_block;
};

// Reads from a block; every read is bounded by what is left, and the first
// failure names its offset.
class CReader {
public:
    CReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool Bytes(void* out, size_t size) {
        if (size > m_size - m_offset) {
            return Fail("a record runs past the end");
        }
        if (size > 0) {
            std::memcpy(out, m_data + m_offset, size);
        }
        m_offset += size;
        return true;
    }
    bool U32(uint32_t& value) { return Bytes(&value, sizeof value); }
    bool I32(int32_t& value) { return Bytes(&value, sizeof value); }
    bool Text(std::string& text) {
        uint32_t length = 0;
        if (!U32(length)) {
            return false;
        }
        if (length > IMeshReader::kMaxNameLength) {
            return Fail("a name is too long");
        }
        text.resize(length);
        return Bytes(text.data(), length);
    }
    // A list of at most limit values.
    template <typename T>
    bool List(std::vector<T>& values, size_t limit) {
        uint32_t count = 0;
        if (!U32(count)) {
            return false;
        }
        if (count > limit || count > (m_size - m_offset) / sizeof(T)) {
            return Fail("a list is longer than the block");
        }
        values.resize(count);
        return Bytes(values.data(), count * sizeof(T));
    }
    bool Fail(const char* what) {
        if (m_error.empty()) {
            m_error = "offset " + std::to_string(m_offset) + ": " + what;
        }
        return false;
    }
    size_t GetLeft() const { return m_size - m_offset; }
    const std::string& GetError() const { return m_error; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_offset = 0;
    std::string m_error;
};

bool DecodeFrame(CReader& in, MESH_FRAME& frame) {
    int32_t parent = 0;
    if (!in.Text(frame.name) || !in.Bytes(frame.local.m, sizeof frame.local.m) || !in.I32(parent)) {
        return false;
    }
    frame.parent = parent;
    return in.List(frame.meshes, IMeshReader::kMaxMeshes);
}

bool DecodePart(CReader& in, MESH_PART& part) {
    constexpr size_t kCoordinates = IMeshReader::kMaxVertices * 3;
    constexpr size_t kSlots = IMeshReader::kMaxVertices * MESH_PART::kBonesPerVertex;
    if (!in.Text(part.name) || !in.Text(part.material) ||
        !in.Bytes(part.diffuse, sizeof part.diffuse) ||
        !in.Bytes(part.specular, sizeof part.specular) ||
        !in.Bytes(part.emissive, sizeof part.emissive) || !in.Bytes(&part.power, sizeof(float)) ||
        !in.List(part.positions, kCoordinates) || !in.List(part.normals, kCoordinates) ||
        !in.List(part.indices, IMeshReader::kMaxTriangles * 3) ||
        !in.List(part.boneIndices, kSlots) || !in.List(part.boneWeights, kSlots)) {
        return false;
    }
    uint32_t bones = 0;
    if (!in.U32(bones)) {
        return false;
    }
    if (bones > IMeshReader::kMaxBones || bones > in.GetLeft() / sizeof(MESH_MATRIX)) {
        return in.Fail("too many bones");
    }
    part.bones.resize(bones);
    for (MESH_BONE& bone : part.bones) {
        if (!in.Text(bone.name) || !in.Bytes(bone.offset.m, sizeof bone.offset.m)) {
            return false;
        }
    }
    return true;
}

}  // namespace

void CMeshRecords::Encode(const MESH_DATA& mesh, std::vector<uint8_t>& block) {
    block.clear();
    CWriter out(block);
    out.U32(kMagic);
    out.U32(kVersion);
    out.U32(static_cast<uint32_t>(mesh.frames.size()));
    for (const MESH_FRAME& frame : mesh.frames) {
        out.Text(frame.name);
        out.Bytes(frame.local.m, sizeof frame.local.m);
        out.I32(frame.parent);
        out.List(frame.meshes);
    }
    out.U32(static_cast<uint32_t>(mesh.meshes.size()));
    for (const MESH_PART& part : mesh.meshes) {
        out.Text(part.name);
        out.Text(part.material);
        out.Bytes(part.diffuse, sizeof part.diffuse);
        out.Bytes(part.specular, sizeof part.specular);
        out.Bytes(part.emissive, sizeof part.emissive);
        out.Bytes(&part.power, sizeof part.power);
        out.List(part.positions);
        out.List(part.normals);
        out.List(part.indices);
        out.List(part.boneIndices);
        out.List(part.boneWeights);
        out.U32(static_cast<uint32_t>(part.bones.size()));
        for (const MESH_BONE& bone : part.bones) {
            out.Text(bone.name);
            out.Bytes(bone.offset.m, sizeof bone.offset.m);
        }
    }
}

bool CMeshRecords::Decode(const uint8_t* data, size_t size, MESH_DATA& mesh, std::string& error) {
    mesh = MESH_DATA();
    if (size > kMaxBlockSize) {
        error = "the mesh records are too large";
        return false;
    }
    CReader in(data, size);
    uint32_t magic = 0, version = 0, frames = 0, meshes = 0;
    if (!in.U32(magic) || !in.U32(version) || magic != kMagic || version != kVersion) {
        error = "the mesh records are not of this program";
        return false;
    }
    bool ok = in.U32(frames);
    if (ok && (frames > IMeshReader::kMaxFrames || frames > in.GetLeft())) {
        ok = in.Fail("too many frames");
    }
    if (ok) {
        mesh.frames.resize(frames);
    }
    for (size_t i = 0; ok && i < mesh.frames.size(); ++i) {
        ok = DecodeFrame(in, mesh.frames[i]);
        const int parent = mesh.frames[i].parent;
        if (ok && parent >= 0 && static_cast<size_t>(parent) < i) {
            mesh.frames[parent].children.push_back(static_cast<int>(i));
        }
    }
    ok = ok && in.U32(meshes);
    if (ok && (meshes > IMeshReader::kMaxMeshes || meshes > in.GetLeft())) {
        ok = in.Fail("too many meshes");
    }
    if (ok) {
        mesh.meshes.resize(meshes);
    }
    for (size_t i = 0; ok && i < mesh.meshes.size(); ++i) {
        ok = DecodePart(in, mesh.meshes[i]);
    }
    if (ok && in.GetLeft() != 0) {
        ok = in.Fail("bytes after the last record");
    }
    if (!ok) {
        error = in.GetError();
        mesh = MESH_DATA();
        return false;
    }
    if (!CMeshCheck::Check(mesh, error)) {
        mesh = MESH_DATA();
        return false;
    }
    return true;
}
