#pragma once

#include <string>

#include "scene/AbstractShapes.h"

class CSpacePainter;
class CVertexBuffer;

// A picture that is not built yet: an empty scene whose status line says
// so, in place of an error, until the picture of its kind exists.
class CWaitingPicture : public CAbstractShapes {
public:
    CWaitingPicture(CDirect3D* device, CVertexBuffer* list, const char* text);

    bool GetStatusText(CCharString& text) const override;

    // Adds the picture to the scene's first list; null with the scene's
    // error when it can't.
    static CWaitingPicture* Make(CSpacePainter& scene, CVertexBuffer& list, const char* text);

private:
    std::string m_text;
};
