#pragma once

#include <cstdint>

#include "foundation/CharString.h"

class CGlApi;

// Result codes of the device, with the published names that error texts
// carry. GL errors are mapped onto the nearest of them.
enum D3DResult : uint32_t {
    D3D_OK = 0,
    D3DERR_WRONGTEXTUREFORMAT = 0x88760818,
    D3DERR_UNSUPPORTEDCOLOROPERATION = 0x88760819,
    D3DERR_UNSUPPORTEDCOLORARG = 0x8876081A,
    D3DERR_UNSUPPORTEDALPHAOPERATION = 0x8876081B,
    D3DERR_UNSUPPORTEDALPHAARG = 0x8876081C,
    D3DERR_TOOMANYOPERATIONS = 0x8876081D,
    D3DERR_CONFLICTINGTEXTUREFILTER = 0x8876081E,
    D3DERR_UNSUPPORTEDFACTORVALUE = 0x8876081F,
    D3DERR_CONFLICTINGRENDERSTATE = 0x88760821,
    D3DERR_UNSUPPORTEDTEXTUREFILTER = 0x88760822,
    D3DERR_CONFLICTINGTEXTUREPALETTE = 0x88760826,
    D3DERR_DRIVERINTERNALERROR = 0x88760827,
    D3DERR_NOTFOUND = 0x88760866,
    D3DERR_MOREDATA = 0x88760867,
    D3DERR_DEVICELOST = 0x88760868,
    D3DERR_DEVICENOTRESET = 0x88760869,
    D3DERR_NOTAVAILABLE = 0x8876086A,
    D3DERR_OUTOFVIDEOMEMORY = 0x8876017C,
    D3DERR_INVALIDDEVICE = 0x8876086B,
    D3DERR_INVALIDCALL = 0x8876086C,
    D3DERR_DRIVERINVALIDCALL = 0x8876086D,
};

// The published name of result, or "Unknown result %08X".
const char* D3DResultName(uint32_t result, CCharString& text);

// The result a GL error code stands for.
uint32_t D3DResultOfGlError(uint32_t glError);

// Drains the GL error state of gl (when loaded): the result of the first
// error, or D3D_OK, with its name.
uint32_t TakeGlResult(const CGlApi& gl, CCharString& name);
