#include "scene/SkinnedMeshPicture.h"

#include <memory>

#include "scene/SpacePainter.h"

CSkinnedMeshPicture* CSkinnedMeshPicture::Make(CSpacePainter& scene, CVertexBuffer& list,
                                               const char* path) {
    auto picture =
        std::make_unique<CSkinnedMeshPicture>("Skinned mesh", scene.GetDirect3D(), &list);
    if (!picture->Create(scene, path, true)) {
        scene.SetErrorText(picture->GetError());
        return nullptr;
    }
    return static_cast<CSkinnedMeshPicture*>(scene.AddToList(std::move(picture)));
}
