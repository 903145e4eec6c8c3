#include "scene/D3DResult.h"

#include "scene/GlApi.h"

namespace {

struct RESULT_NAME {
    uint32_t result;
    const char* name;
};

#define NOTARA_RESULT(name) \
    { name, #name }
constexpr RESULT_NAME kNames[] = {
    NOTARA_RESULT(D3D_OK),
    NOTARA_RESULT(D3DERR_WRONGTEXTUREFORMAT),
    NOTARA_RESULT(D3DERR_OUTOFVIDEOMEMORY),
    NOTARA_RESULT(D3DERR_UNSUPPORTEDCOLOROPERATION),
    NOTARA_RESULT(D3DERR_UNSUPPORTEDCOLORARG),
    NOTARA_RESULT(D3DERR_UNSUPPORTEDALPHAOPERATION),
    NOTARA_RESULT(D3DERR_UNSUPPORTEDALPHAARG),
    NOTARA_RESULT(D3DERR_TOOMANYOPERATIONS),
    NOTARA_RESULT(D3DERR_CONFLICTINGTEXTUREFILTER),
    NOTARA_RESULT(D3DERR_UNSUPPORTEDFACTORVALUE),
    NOTARA_RESULT(D3DERR_CONFLICTINGRENDERSTATE),
    NOTARA_RESULT(D3DERR_UNSUPPORTEDTEXTUREFILTER),
    NOTARA_RESULT(D3DERR_CONFLICTINGTEXTUREPALETTE),
    NOTARA_RESULT(D3DERR_DRIVERINTERNALERROR),
    NOTARA_RESULT(D3DERR_NOTFOUND),
    NOTARA_RESULT(D3DERR_MOREDATA),
    NOTARA_RESULT(D3DERR_DEVICELOST),
    NOTARA_RESULT(D3DERR_DEVICENOTRESET),
    NOTARA_RESULT(D3DERR_NOTAVAILABLE),
    NOTARA_RESULT(D3DERR_INVALIDDEVICE),
    NOTARA_RESULT(D3DERR_INVALIDCALL),
    NOTARA_RESULT(D3DERR_DRIVERINVALIDCALL),
};
#undef NOTARA_RESULT

}  // namespace

const char* D3DResultName(uint32_t result, CCharString& text) {
    for (const RESULT_NAME& entry : kNames) {
        if (entry.result == result) {
            text = entry.name;
            return text;
        }
    }
    return text.Format("Unknown result %08X", result);
}

uint32_t D3DResultOfGlError(uint32_t glError) {
    switch (glError) {
        case 0:
            return D3D_OK;
        case 0x0505:  // GL_OUT_OF_MEMORY
            return D3DERR_OUTOFVIDEOMEMORY;
        case 0x0506:  // GL_INVALID_FRAMEBUFFER_OPERATION
            return D3DERR_NOTAVAILABLE;
        case 0x0507:  // GL_CONTEXT_LOST
            return D3DERR_DEVICELOST;
        default:  // invalid enum, value or operation
            return D3DERR_INVALIDCALL;
    }
}

uint32_t TakeGlResult(const CGlApi& gl, CCharString& name) {
    uint32_t result = D3D_OK;
    if (gl.IsLoaded()) {
        for (GLenum error = gl.GetError(); error != GL_NO_ERROR; error = gl.GetError()) {
            if (result == D3D_OK) {
                result = D3DResultOfGlError(error);
            }
        }
    }
    D3DResultName(result, name);
    return result;
}
