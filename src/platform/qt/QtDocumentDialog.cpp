#include "platform/qt/QtDocumentDialog.h"
#include "platform/qt/QtFrameFitter.h"

#include <QComboBox>
#include <QImage>
#include <QPixmap>
#include <QScrollBar>
#include <QTextBrowser>

#include "platform/qt/QtDocumentWidget.h"
#include "platform/qt/QtEventLoop.h"

CQtDocumentDialog::CQtDocumentDialog(CQtEventLoop& loop, IWindowHandler* handler,
                                     IDocumentDialogHandler* documentHandler, QWidget* owner)
    : m_loop(loop),
      m_id(loop.AddWindow(handler)),
      m_widget(new CQtDocumentWidget(owner, handler, documentHandler)) {}

CQtDocumentDialog::~CQtDocumentDialog() {
    m_loop.RemoveWindow(m_id);
    if (m_widget) {
        m_widget->Detach();
        m_widget->hide();
        m_widget->deleteLater();  // we may be inside one of its events
    }
}

void CQtDocumentDialog::SetTitle(const char* title) {
    if (m_widget) {
        m_widget->setWindowTitle(QString::fromUtf8(title != nullptr ? title : ""));
    }
}

void CQtDocumentDialog::SetRect(const WINDOW_RECT& rect) {
    if (m_widget) {
        CQtFrameFitter::Place(m_widget, QRect(rect.left, rect.top, rect.width, rect.height));
    }
}

WINDOW_RECT CQtDocumentDialog::GetRect() const {
    if (!m_widget) {
        return WINDOW_RECT{};
    }
    // move() places the frame and resize() sizes the client area: read the
    // same two back, so that a restored window does not creep by its frame.
    const QPoint at = m_widget->pos();
    const QSize size = m_widget->size();
    return WINDOW_RECT{at.x(), at.y(), size.width(), size.height()};
}

void CQtDocumentDialog::SetMinimumSize(int width, int height) {
    if (m_widget) {
        m_widget->setMinimumSize(width, height);
    }
}

void CQtDocumentDialog::Show(bool show) {
    if (m_widget) {
        m_widget->setVisible(show);
    }
}

bool CQtDocumentDialog::IsVisible() const {
    return m_widget && m_widget->isVisible();
}

void CQtDocumentDialog::BringToFront() {
    if (m_widget) {
        m_widget->raise();
        m_widget->activateWindow();
    }
}

bool CQtDocumentDialog::SaveScreenshot(const char* path, std::string& error) {
    if (!m_widget) {
        error = "the dialog is gone";
        return false;
    }
    if (!m_widget->grab().toImage().save(QString::fromUtf8(path), "PNG")) {
        error = std::string("can't write ") + path;
        return false;
    }
    return true;
}

IGlDevice* CQtDocumentDialog::GetGlView(std::string& error) {
    error = "a dialog has no 3D view";
    return nullptr;
}

void CQtDocumentDialog::SetListItems(const std::vector<std::string>& items) {
    if (!m_widget) {
        return;
    }
    QComboBox* list = m_widget->GetList();
    list->clear();
    for (const std::string& item : items) {
        list->addItem(QString::fromUtf8(item.c_str()));
    }
    list->setCurrentIndex(-1);
}

void CQtDocumentDialog::SelectListItem(int index) {
    if (m_widget) {
        const QSignalBlocker quiet(m_widget->GetList());
        m_widget->GetList()->setCurrentIndex(index < m_widget->GetList()->count() ? index : -1);
    }
}

int CQtDocumentDialog::GetListSelection() const {
    return m_widget ? m_widget->GetList()->currentIndex() : -1;
}

void CQtDocumentDialog::SetDocument(const std::vector<DOCUMENT_BLOCK>& blocks) {
    if (m_widget) {
        m_widget->GetView()->setHtml(CQtDocumentWidget::ToHtml(blocks));
        m_widget->GetView()->verticalScrollBar()->setValue(0);
    }
}

void CQtDocumentDialog::SetScrollPosition(int position) {
    if (m_widget) {
        // The bar clamps the value to the document.
        m_widget->GetView()->verticalScrollBar()->setValue(position * kScrollStep);
    }
}

int CQtDocumentDialog::GetScrollPosition() const {
    if (!m_widget) {
        return 0;
    }
    return m_widget->GetView()->verticalScrollBar()->value() / kScrollStep;
}

void CQtDocumentDialog::FocusDocument() {
    if (m_widget) {
        m_widget->GetView()->setFocus();
    }
}
