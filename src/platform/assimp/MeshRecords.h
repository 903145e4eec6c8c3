#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/MeshReader.h"

// Mesh records as one block of bytes, for handing them from the reading
// process to its parent. The block is made and read by the same program,
// so numbers keep the machine's own layout; reading still trusts no count
// and checks the records it makes.
class CMeshRecords {
public:
    // Largest block that is read.
    static constexpr size_t kMaxBlockSize = 512u << 20;

    static void Encode(const MESH_DATA& mesh, std::vector<uint8_t>& block);
    // False with the reason in error; every count is bounded by what is
    // left of the block.
    static bool Decode(const uint8_t* data, size_t size, MESH_DATA& mesh, std::string& error);
};
