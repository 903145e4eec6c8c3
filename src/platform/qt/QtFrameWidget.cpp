#include "platform/qt/QtFrameWidget.h"

#include <QCloseEvent>

#include "platform/WindowHandler.h"

CQtFrameWidget::CQtFrameWidget(IWindowHandler* handler) : m_handler(handler) {}

void CQtFrameWidget::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (m_handler != nullptr) {
        m_handler->OnCloseRequest();
    }
}
