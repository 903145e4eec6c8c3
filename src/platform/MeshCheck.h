#pragma once

#include <string>

#include "platform/MeshReader.h"

// Checks that mesh records hold together before anyone draws them: the
// frames form one tree with parents first, every index and bone number
// points inside its lists, every number is finite and the sizes stay within
// the reader's bounds.
class CMeshCheck {
public:
    // False with the first problem found in error.
    static bool Check(const MESH_DATA& mesh, std::string& error);

private:
    static bool CheckFrames(const MESH_DATA& mesh, std::string& error);
    static bool CheckPart(const MESH_PART& part, size_t number, std::string& error);
    static bool CheckBones(const MESH_PART& part, size_t number, std::string& error);
};
