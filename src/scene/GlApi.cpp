#include "scene/GlApi.h"

bool CGlApi::Load(IGlDevice& device, const char*& missing) {
    missing = nullptr;
#define NOTARA_GL_LOAD(type, name)                                    \
    name = reinterpret_cast<type>(device.GetProcAddress("gl" #name)); \
    if (name == nullptr && missing == nullptr) {                      \
        missing = "gl" #name;                                         \
    }
    NOTARA_GL_FUNCTIONS(NOTARA_GL_LOAD)
#undef NOTARA_GL_LOAD
    if (missing != nullptr) {
        GetError = nullptr;
        return false;
    }
    return true;
}
