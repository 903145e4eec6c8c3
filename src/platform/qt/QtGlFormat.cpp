#include "platform/qt/QtGlFormat.h"

#include <QKeyEvent>

QSurfaceFormat NotaraGlFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(8);
    format.setSamples(4);
    format.setSwapInterval(0);
    return format;
}

int SceneKeyOf(const QKeyEvent& event) {
    const int key = event.key();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) {
        return key;  // the same codes as the upper-case characters
    }
    switch (key) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            return kKeyPlus;
        case Qt::Key_Minus:
            return kKeyMinus;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return kKeyEnter;
        case Qt::Key_Escape:
            return kKeyEscape;
        case Qt::Key_F1:
            return kKeyF1;
        case Qt::Key_F2:
            return kKeyF2;
        default:
            return 0;
    }
}

int SceneFlagsOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    int flags = 0;
    flags |= modifiers & Qt::ShiftModifier ? kFlagShift : 0;
    flags |= modifiers & Qt::ControlModifier ? kFlagControl : 0;
    flags |= modifiers & Qt::AltModifier ? kFlagAlt : 0;
    flags |= buttons & Qt::LeftButton ? kFlagLeftButton : 0;
    flags |= buttons & Qt::RightButton ? kFlagRightButton : 0;
    flags |= buttons & Qt::MiddleButton ? kFlagMiddleButton : 0;
    return flags;
}

bool CopyRgba(const QImage& picture, std::vector<uint8_t>& rgba, int& width, int& height) {
    const QImage image = picture.convertToFormat(QImage::Format_RGBA8888);
    if (image.isNull()) {
        return false;
    }
    width = image.width();
    height = image.height();
    rgba.resize(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        const uchar* line = image.constScanLine(y);
        std::copy(line, line + width * 4, rgba.begin() + static_cast<size_t>(y) * width * 4);
    }
    return true;
}
