#include "scene/WaitingPicture.h"

#include <memory>

#include "scene/SpacePainter.h"

CWaitingPicture::CWaitingPicture(CDirect3D* device, CVertexBuffer* list, const char* text)
    : CAbstractShapes("WaitingPicture", device, list), m_text(text != nullptr ? text : "") {}

bool CWaitingPicture::GetStatusText(CCharString& text) const {
    text = m_text.c_str();
    return true;
}

CWaitingPicture* CWaitingPicture::Make(CSpacePainter& scene, CVertexBuffer& list,
                                       const char* text) {
    auto picture = std::make_unique<CWaitingPicture>(scene.GetDirect3D(), &list, text);
    return static_cast<CWaitingPicture*>(scene.AddToList(std::move(picture)));
}
