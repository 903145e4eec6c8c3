#include "scene/AbstractShapes.h"

#include "scene/SpacePainter.h"

bool CAbstractShapes::BuildShapes(int kind) {
    if (m_scene != nullptr) {
        m_scene->GetCameraFrame(m_cameraFrame);
    }
    if (kind < 3 || kind > 22) {
        return Fail(__LINE__, "Can't build abstract picture %d", kind);
    }
    // The decorative pictures are not part of this build.
    return Fail(__LINE__, "Abstract picture %d is not available in this build", kind);
}
