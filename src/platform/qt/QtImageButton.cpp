#include "platform/qt/QtImageButton.h"

#include <QMouseEvent>

namespace {

bool IsButton(const QMouseEvent* event) {
    return event->button() == Qt::LeftButton || event->button() == Qt::RightButton;
}

}  // namespace

CQtImageButton::CQtImageButton(QWidget* parent, Reporter reporter)
    : CQtPictureLabel(parent), m_reporter(std::move(reporter)) {
    setMouseTracking(true);
}

void CQtImageButton::mousePressEvent(QMouseEvent* event) {
    if (IsButton(event) && m_reporter) {
        m_reporter(ControlEvent::kPressed);
    }
    event->accept();
}

void CQtImageButton::mouseReleaseEvent(QMouseEvent* event) {
    if (IsButton(event) && m_reporter) {
        m_reporter(ControlEvent::kReleased);
    }
    event->accept();
}

void CQtImageButton::leaveEvent(QEvent* event) {
    if (m_reporter) {
        m_reporter(ControlEvent::kLeft);
    }
    CQtPictureLabel::leaveEvent(event);
}
