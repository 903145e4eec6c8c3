#include "platform/qt/QtFrameFitter.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace {

constexpr const char* kFitterName = "frame fitter";

// The free area of the screen that holds most of rect's top-left corner,
// or of the primary screen when none does.
QRect AreaFor(const QRect& frame) {
    const QScreen* screen = QGuiApplication::screenAt(frame.topLeft() + QPoint(1, 1));
    if (screen == nullptr) {
        screen = QGuiApplication::screenAt(frame.center());
    }
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

bool HasFrame(const QWidget* window) {
    return window->frameGeometry() != window->geometry();
}

}  // namespace

CQtFrameFitter::CQtFrameFitter(QWidget* window) : QObject(window), m_window(window) {
    setObjectName(kFitterName);
    window->installEventFilter(this);
}

void CQtFrameFitter::Place(QWidget* window, const QRect& rect) {
    // move() places the frame, resize() sizes the client area.
    window->move(rect.topLeft());
    window->resize(rect.size());
    auto* fitter = window->findChild<CQtFrameFitter*>(kFitterName, Qt::FindDirectChildrenOnly);
    if (fitter == nullptr) {
        fitter = new CQtFrameFitter(window);  // the window owns it
    }
    fitter->Watch();
}

bool CQtFrameFitter::FitFrame(QWidget* window, const QRect& area) {
    const QRect frame = window->frameGeometry();
    if (area.isEmpty() || area.contains(frame) || window->isMaximized() || window->isFullScreen()) {
        return false;
    }
    const QRect client = window->geometry();
    const int extraWidth = frame.width() - client.width();
    const int extraHeight = frame.height() - client.height();
    const int width = std::min(frame.width(), area.width());
    const int height = std::min(frame.height(), area.height());
    const int x = std::clamp(frame.x(), area.left(), area.left() + area.width() - width);
    const int y = std::clamp(frame.y(), area.top(), area.top() + area.height() - height);
    window->move(x, y);
    window->resize(width - extraWidth, height - extraHeight);
    return true;
}

void CQtFrameFitter::Watch() {
    m_pending = true;
    if (m_window->isVisible()) {
        m_shown.start();
        Check();
    }
}

bool CQtFrameFitter::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window && m_pending) {
        switch (event->type()) {
            case QEvent::Show:
                m_shown.start();
                [[fallthrough]];
            case QEvent::Move:
            case QEvent::Resize:
                // The frame's size is settled after the event: look then.
                QTimer::singleShot(0, this, [this] { Check(); });
                break;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void CQtFrameFitter::Check() {
    if (!m_pending || !m_window->isVisible()) {
        return;
    }
    FitFrame(m_window, AreaFor(m_window->frameGeometry()));
    const bool settled =
        HasFrame(m_window) || !m_shown.isValid() || m_shown.elapsed() >= kFrameWaitMs;
    if (settled) {
        m_pending = false;
    } else {
        QTimer::singleShot(kRecheckMs, this, [this] { Check(); });
    }
}
