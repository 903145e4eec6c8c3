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
    // text with a zero-width space after every kBreakStep characters of each
    // run of more than kLongestRun characters without a space: Qt's line
    // breaker takes time quadratic in the length of a run it has to cut,
    // and seconds for one of a hundred thousand characters.
    static QString WithBreakOpportunities(const QString& text);
    static constexpr int kLongestRun = 64;
    static constexpr int kBreakStep = 8;
    static constexpr char16_t kZeroWidthSpace = 0x200B;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;  // Esc: a close request as well

private:
    IWindowHandler* m_handler;
    IDocumentDialogHandler* m_documentHandler;
    QComboBox* m_list;
    QTextBrowser* m_view;
};
