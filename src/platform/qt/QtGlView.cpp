#include "platform/qt/QtGlView.h"

#include <QApplication>

#include <QKeyEvent>

#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QWheelEvent>
#include <algorithm>

#include "platform/qt/QtGlFormat.h"
#include "platform/qt/QtGlyphAtlas.h"
#include "platform/qt/QtImagePainter.h"

namespace {
constexpr unsigned kGlSamples = 0x80A9;  // GL_SAMPLES
}

CQtGlView::CQtGlView(QWidget* parent) : QOpenGLWidget(parent) {
    setFormat(NotaraGlFormat());
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    QApplication::instance()->installEventFilter(this);
}

CQtGlView::~CQtGlView() {
    if (m_ready) {
        makeCurrent();
        OnContextGone();
        doneCurrent();
    }
}

GlProc CQtGlView::GetProcAddress(const char* name) {
    QOpenGLContext* current = context();
    return current != nullptr ? current->getProcAddress(name) : nullptr;
}

int CQtGlView::GetSamples() const {
    // Asked while the context is current and the framebuffer bound.
    QOpenGLContext* current = context();
    if (current == nullptr) {
        return 0;
    }
    int samples = 0;
    current->functions()->glGetIntegerv(kGlSamples, &samples);
    return samples;
}

int CQtGlView::GetWidth() const {
    return static_cast<int>(width() * devicePixelRatio());
}

int CQtGlView::GetHeight() const {
    return static_cast<int>(height() * devicePixelRatio());
}

void CQtGlView::initializeGL() {
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] {
        makeCurrent();
        OnContextGone();
        doneCurrent();
    });
    m_ready = true;
    if (m_handler != nullptr) {
        m_handler->OnGlCreated();
    }
}

void CQtGlView::OnContextGone() {
    if (!m_ready) {
        return;
    }
    m_ready = false;
    if (m_handler != nullptr) {
        m_handler->OnGlLost();
    }
}

void CQtGlView::resizeGL(int width, int height) {
    if (m_handler != nullptr) {
        m_handler->OnGlResize(width, height);
    }
}

void CQtGlView::paintGL() {
    if (m_handler != nullptr) {
        m_handler->OnGlDraw();
    }
}

bool CQtGlView::ReadPixels(std::vector<uint8_t>& rgba, int& width, int& height) {
    return CopyRgba(grabFramebuffer(), rgba, width, height);
}

bool CQtGlView::SetFullScreen(bool on) {
    QWidget* top = window();
    if (on) {
        top->showFullScreen();
    } else {
        top->showNormal();
    }
    return true;
}

bool CQtGlView::MakeGlyphAtlas(const char* face, int pixelHeight, GLYPH_ATLAS& atlas,
                               std::string& error) {
    return CQtGlyphAtlas::Make(face, pixelHeight, atlas, error);
}

void CQtGlView::SendMouse(MouseAction action, QMouseEvent* event) {
    if (m_handler == nullptr) {
        return;
    }
    MOUSE_EVENT mouse;
    mouse.action = action;
    switch (event->button()) {
        case Qt::LeftButton:
            mouse.button = MouseButton::kLeft;
            break;
        case Qt::RightButton:
            mouse.button = MouseButton::kRight;
            break;
        case Qt::MiddleButton:
            mouse.button = MouseButton::kMiddle;
            break;
        default:
            break;
    }
    const QPointF point = event->position() * devicePixelRatio();
    mouse.x = static_cast<int>(point.x());
    mouse.y = static_cast<int>(point.y());
    mouse.flags = SceneFlagsOf(event->modifiers(), event->buttons());
    m_handler->OnGlMouse(mouse);
}

void CQtGlView::mouseMoveEvent(QMouseEvent* event) {
    SendMouse(MouseAction::kMove, event);
}

void CQtGlView::mousePressEvent(QMouseEvent* event) {
    setFocus();
    SendMouse(MouseAction::kDown, event);
}

void CQtGlView::mouseReleaseEvent(QMouseEvent* event) {
    SendMouse(MouseAction::kUp, event);
}

void CQtGlView::mouseDoubleClickEvent(QMouseEvent* event) {
    SendMouse(MouseAction::kDoubleClick, event);
}

void CQtGlView::wheelEvent(QWheelEvent* event) {
    if (m_handler == nullptr) {
        return;
    }
    MOUSE_EVENT mouse;
    mouse.action = MouseAction::kWheel;
    mouse.wheelDelta = event->angleDelta().y();
    mouse.x = static_cast<int>(event->position().x());
    mouse.y = static_cast<int>(event->position().y());
    mouse.flags = SceneFlagsOf(event->modifiers(), event->buttons());
    m_handler->OnGlMouse(mouse);
}

bool CQtGlView::SendKey(QKeyEvent* event, bool down) {
    if (m_handler == nullptr) {
        return false;
    }
    KEY_EVENT key;
    key.down = down;
    key.repeat = event->isAutoRepeat();
    key.key = SceneKeyOf(*event);
    const QString text = event->text();
    if (text.size() == 1 && text[0].unicode() >= 32 && text[0].unicode() < 256) {
        key.character = static_cast<char>(text[0].unicode());
    } else if (key.key >= 'A' && key.key <= 'Z') {
        key.character = static_cast<char>(key.key);  // with Ctrl there is no text
    }
    key.flags = SceneFlagsOf(event->modifiers(), Qt::NoButton);
    return (key.key != 0 || key.character != 0) && m_handler->OnGlKey(key);
}

void CQtGlView::keyPressEvent(QKeyEvent* event) {
    if (!SendKey(event, true)) {
        QOpenGLWidget::keyPressEvent(event);
    }
}

void CQtGlView::keyReleaseEvent(QKeyEvent* event) {
    if (!SendKey(event, false)) {
        QOpenGLWidget::keyReleaseEvent(event);
    }
}

namespace {

// Keys that move through a document or a list; their window keeps them.
bool IsScrollingKey(int key) {
    switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            return true;
        default:
            return false;
    }
}

}  // namespace

bool CQtGlView::eventFilter(QObject* watched, QEvent* event) {
    const bool press = event->type() == QEvent::KeyPress;
    if (!press && event->type() != QEvent::KeyRelease) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    // Taken once, where the key is first delivered, and only from the
    // application's other top-level windows.
    if (widget == nullptr || widget->window() == window() ||
        widget != widget->window()->focusWidget() || QApplication::activeModalWidget() != nullptr) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    if (IsScrollingKey(key->key()) && (key->modifiers() & Qt::AltModifier) == 0) {
        return false;
    }
    return SendKey(key, press);
}

void CQtGlView::focusOutEvent(QFocusEvent* event) {
    if (m_handler != nullptr) {
        m_handler->OnGlFocusLost();
    }
    QOpenGLWidget::focusOutEvent(event);
}

void CQtGlView::showEvent(QShowEvent* event) {
    if (m_handler != nullptr) {
        m_handler->OnGlShown(true);
    }
    QOpenGLWidget::showEvent(event);
}

void CQtGlView::hideEvent(QHideEvent* event) {
    if (m_handler != nullptr) {
        m_handler->OnGlShown(false);
    }
    QOpenGLWidget::hideEvent(event);
}

std::unique_ptr<IImagePainter> CQtGlView::CreateImagePainter() {
    return std::make_unique<CQtImagePainter>();
}
