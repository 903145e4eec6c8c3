#include "platform/qt/QtImageButton.h"

#include <QMouseEvent>

namespace {

bool IsButton(const QMouseEvent* event) {
    return event->button() == Qt::LeftButton || event->button() == Qt::RightButton;
}

// The button that went down or up, or for a move the one held.
POINTER_EVENT::Button ButtonOf(const QMouseEvent* event) {
    const Qt::MouseButtons buttons =
        event->type() == QEvent::MouseMove ? event->buttons() : Qt::MouseButtons(event->button());
    if (buttons & Qt::LeftButton) {
        return POINTER_EVENT::kLeft;
    }
    if (buttons & Qt::RightButton) {
        return POINTER_EVENT::kRight;
    }
    return POINTER_EVENT::kNone;
}

}  // namespace

CQtImageButton::CQtImageButton(QWidget* parent, Reporter reporter, PointerReporter pointerReporter)
    : CQtPictureLabel(parent),
      m_reporter(std::move(reporter)),
      m_pointerReporter(std::move(pointerReporter)) {
    setMouseTracking(true);
}

void CQtImageButton::ReportPointer(POINTER_EVENT::Kind kind, const QMouseEvent* event) const {
    if (!m_pointerReporter) {
        return;
    }
    POINTER_EVENT pointer;
    pointer.kind = kind;
    // The picture sits at the top left of the label.
    const QPoint at = event->position().toPoint() - contentsRect().topLeft();
    pointer.x = at.x();
    pointer.y = at.y();
    pointer.button = ButtonOf(event);
    pointer.ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    m_pointerReporter(pointer);
}

void CQtImageButton::mousePressEvent(QMouseEvent* event) {
    if (IsButton(event)) {
        if (m_reporter) {
            m_reporter(ControlEvent::kPressed);
        }
        ReportPointer(POINTER_EVENT::kPress, event);
    }
    event->accept();
}

void CQtImageButton::mouseMoveEvent(QMouseEvent* event) {
    ReportPointer(POINTER_EVENT::kMove, event);
    event->accept();
}

void CQtImageButton::mouseReleaseEvent(QMouseEvent* event) {
    if (IsButton(event)) {
        if (m_reporter) {
            m_reporter(ControlEvent::kReleased);
        }
        ReportPointer(POINTER_EVENT::kRelease, event);
    }
    event->accept();
}

void CQtImageButton::leaveEvent(QEvent* event) {
    if (m_reporter) {
        m_reporter(ControlEvent::kLeft);
    }
    if (m_pointerReporter) {
        POINTER_EVENT pointer;
        pointer.kind = POINTER_EVENT::kLeave;
        m_pointerReporter(pointer);
    }
    CQtPictureLabel::leaveEvent(event);
}
