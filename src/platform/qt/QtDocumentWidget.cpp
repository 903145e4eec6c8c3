#include "platform/qt/QtDocumentWidget.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/WindowHandler.h"

CQtDocumentWidget::CQtDocumentWidget(QWidget* parent, IWindowHandler* handler,
                                     IDocumentDialogHandler* documentHandler)
    : QDialog(parent, Qt::Window),
      m_handler(handler),
      m_documentHandler(documentHandler),
      m_list(new QComboBox(this)),
      m_view(new QTextBrowser(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(7, 7, 7, 7);
    layout->addWidget(m_list);
    layout->addWidget(m_view, 1);
    m_view->setOpenLinks(false);
    m_view->setOpenExternalLinks(false);
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_view->verticalScrollBar()->setSingleStep(IDocumentDialog::kScrollStep);
    connect(m_list, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        if (m_documentHandler != nullptr) {
            m_documentHandler->OnListChoice(index);
        }
    });
    connect(m_view, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
        bool number = false;
        const int index = link.path().toInt(&number);
        if (m_documentHandler != nullptr && link.scheme() == "button" && number) {
            m_documentHandler->OnDocumentButton(index);
        }
    });
}

void CQtDocumentWidget::Detach() {
    m_handler = nullptr;
    m_documentHandler = nullptr;
}

void CQtDocumentWidget::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (m_handler != nullptr) {
        m_handler->OnCloseRequest();
    }
}

void CQtDocumentWidget::reject() {
    if (m_handler != nullptr) {
        m_handler->OnCloseRequest();
    }
}

namespace {

// The length of the run of characters other than white space at text[from].
int RunLength(const QString& text, int from) {
    int end = from;
    while (end < text.size() && !text[end].isSpace()) {
        ++end;
    }
    return end - from;
}

// A break may go before c without parting a character from its surrogate
// half or its combining marks.
bool CanBreakBefore(QChar c) {
    return !c.isLowSurrogate() && !c.isMark();
}

}  // namespace

QString CQtDocumentWidget::WithBreakOpportunities(const QString& text) {
    QString broken;
    broken.reserve(text.size() + text.size() / kBreakStep);
    int at = 0;
    while (at < text.size()) {
        const int run = RunLength(text, at);
        if (run <= kLongestRun) {
            broken += text.mid(at, run > 0 ? run : 1);
            at += run > 0 ? run : 1;
            continue;
        }
        int sinceBreak = 0;
        for (const int end = at + run; at < end; ++at) {
            if (sinceBreak >= kBreakStep && CanBreakBefore(text[at])) {
                broken += QChar(kZeroWidthSpace);
                sinceBreak = 0;
            }
            broken += text[at];
            ++sinceBreak;
        }
    }
    return broken;
}

QString CQtDocumentWidget::ToHtml(const std::vector<DOCUMENT_BLOCK>& blocks) {
    QString html = "<html><body style=\"font-family: Arial; color: black;\">";
    int button = 0;
    for (const DOCUMENT_BLOCK& block : blocks) {
        const QString text =
            WithBreakOpportunities(QString::fromUtf8(block.text.c_str())).toHtmlEscaped();
        switch (block.style) {
            case DocumentStyle::kTitle:
                html +=
                    "<p align=\"center\" style=\"font-size: 24px; font-weight: bold; "
                    "color: blue; margin: 0;\">" +
                    text + "</p>";
                break;
            case DocumentStyle::kHeading:
                html +=
                    "<p style=\"font-size: 20px; font-weight: bold; color: blue; "
                    "margin: 0 0 0 10px; white-space: pre;\">" +
                    text + "</p>";
                break;
            case DocumentStyle::kSubheading:
                html +=
                    "<p style=\"font-size: 16px; font-weight: bold; color: blue; "
                    "margin: 0; white-space: pre;\">" +
                    text + "</p>";
                break;
            case DocumentStyle::kButton:
                html += QString(
                            "<table cellpadding=\"3\" border=\"1\" "
                            "style=\"margin: 5px 1px; border-style: outset; "
                            "background-color: #e0e0e0;\"><tr><td width=\"130\" "
                            "align=\"center\"><a href=\"button:%1\" style=\"color: black; "
                            "text-decoration: none;\">%2</a></td></tr></table>")
                            .arg(button++)
                            .arg(text);
                break;
            case DocumentStyle::kBoldButton:
                html += QString(
                            "<table cellpadding=\"5\" border=\"2\" "
                            "style=\"margin: 5px 1px; border-style: outset; border-color: #1040c0; "
                            "background-color: #2060e0;\"><tr><td width=\"130\" "
                            "align=\"center\"><a href=\"button:%1\" style=\"color: white; "
                            "font-weight: bold; text-decoration: none;\">%2</a></td></tr></table>")
                            .arg(button++)
                            .arg(text);
                break;
            case DocumentStyle::kGap:
                html += "<p style=\"font-size: 10px; margin: 0;\">&nbsp;</p>";
                break;
            default:
                html += "<p style=\"font-size: 16px; margin: 0 0 0 5px;\">" + text + "</p>";
                break;
        }
    }
    return html + "</body></html>";
}
