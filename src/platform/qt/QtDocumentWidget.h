#pragma once

#include <QDialog>
#include <QString>
#include <vector>

#include "platform/DocumentDialog.h"

class QComboBox;
class QTextBrowser;
class IWindowHandler;

// The widget of a document dialog: a drop-down list above a rich-text view
// in which action buttons are links. A title-bar close becomes a close
// request for the owner; list choices and button clicks go to the handler.
class CQtDocumentWidget : public QDialog {
    Q_OBJECT

public:
    CQtDocumentWidget(QWidget* parent, IWindowHandler* handler,
                      IDocumentDialogHandler* documentHandler);
    // Stops events from reaching the owner; used while the dialog goes away.
    void Detach();

    QComboBox* GetList() const { return m_list; }
    QTextBrowser* GetView() const { return m_view; }

    // The rich text of blocks; every text is escaped, buttons are links
    // "button:<n>" numbered in document order.
    static QString ToHtml(const std::vector<DOCUMENT_BLOCK>& blocks);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;  // Esc: a close request as well

private:
    IWindowHandler* m_handler;
    IDocumentDialogHandler* m_documentHandler;
    QComboBox* m_list;
    QTextBrowser* m_view;
};
