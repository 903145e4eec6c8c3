#pragma once

#include "scene/Primitive.h"

class CSkinnedMesh;
class CSpacePainter;
class CVertexBuffer;

// The picture of a mesh file (kind 23, "Load mesh..."): the model of any
// format the mesh reader knows, shown as stored, lit like the scene's
// own primitives, scaled to a standard size, centred on the look-at point
// and framed by the camera.
class CMeshPicture : public CPrimitive {
public:
    static constexpr int kKind = 23;
    // The largest side of the model's box, in scene units, once shown.
    static constexpr float kShownSize = 2.0f;

    CMeshPicture(const char* name, CDirect3D* device, CVertexBuffer* list);

    // Loads path and adds the picture to the scene's first list; null with
    // the scene's error set ("Can't load the mesh ...") when it can't.
    static CMeshPicture* Make(CSpacePainter& scene, CVertexBuffer& list, const char* path);

    CSkinnedMesh* GetMesh() const { return m_mesh; }

protected:
    // Loads the mesh as a child, places it and sets the camera.
    bool Create(CSpacePainter& scene, const char* path, bool skinned);
    // Scales and centres the mesh and points the camera at it.
    static void Frame(CSpacePainter& scene, CSkinnedMesh& mesh);

private:
    CSkinnedMesh* m_mesh = nullptr;
};
