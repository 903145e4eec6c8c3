#pragma once

#include "scene/MeshPicture.h"

// The picture of a skinned mesh file (kind 24, "Load skinned mesh..."): the
// mesh moved by its bones, in the pose of the file (the bind pose) until
// its bones are turned through GetMesh; lit, centred and framed like kind 23.
class CSkinnedMeshPicture : public CMeshPicture {
public:
    static constexpr int kKind = 24;

    using CMeshPicture::CMeshPicture;

    static CSkinnedMeshPicture* Make(CSpacePainter& scene, CVertexBuffer& list, const char* path);
};
