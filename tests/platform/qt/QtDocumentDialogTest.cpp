#include <gtest/gtest.h>

#include <QComboBox>
#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "QtTestApp.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtDocumentDialog.h"
#include "platform/qt/QtDocumentWidget.h"

namespace {

class CRecordingDocumentHandler : public IWindowHandler, public IDocumentDialogHandler {
public:
    void OnMessage(int, std::unique_ptr<IPayload>) override {}
    void OnTimer(int) override {}
    void OnCommand(int) override {}
    void OnCloseRequest() override { ++closeRequests; }
    void OnListChoice(int index) override { choices.push_back(index); }
    void OnDocumentButton(int index) override { buttons.push_back(index); }

    std::vector<int> choices, buttons;
    int closeRequests = 0;
};

std::vector<DOCUMENT_BLOCK> Lesson() {
    std::vector<DOCUMENT_BLOCK> blocks = {{DocumentStyle::kTitle, "Lesson <1> & more"},
                                          {DocumentStyle::kBody, "Play <b>these</b> notes."},
                                          {DocumentStyle::kBoldButton, "Start"},
                                          {DocumentStyle::kGap, ""},
                                          {DocumentStyle::kButton, "Again"}};
    for (int i = 0; i < 200; ++i) {
        blocks.push_back({DocumentStyle::kBody, "A long document scrolls in steps."});
    }
    return blocks;
}

std::unique_ptr<IDocumentDialog> MakeDialog(CQtBackend& backend,
                                            CRecordingDocumentHandler& handler) {
    std::string error;
    auto dialog = backend.GetPlatform().windowSystem->CreateDocumentDialog(&handler, &handler,
                                                                           nullptr, error);
    EXPECT_TRUE(dialog) << error;
    return dialog;
}

}  // namespace

TEST(QtDocumentDialog, ListsItemsAndReportsOnlyTheUsersChoice) {
    App();
    CQtBackend backend;
    CRecordingDocumentHandler handler;
    auto dialog = MakeDialog(backend, handler);
    ASSERT_TRUE(dialog);
    dialog->SetListItems({"Welcome", "Treble clef", "Bass clef"});
    dialog->SelectListItem(1);
    EXPECT_EQ(dialog->GetListSelection(), 1);
    EXPECT_TRUE(handler.choices.empty());
    auto* widget = static_cast<CQtDocumentDialog*>(dialog.get())->GetWidget();
    ASSERT_EQ(widget->GetList()->count(), 3);
    EXPECT_EQ(widget->GetList()->itemText(2), "Bass clef");
    emit widget->GetList()->activated(2);
    EXPECT_EQ(handler.choices, std::vector<int>{2});
}

TEST(QtDocumentDialog, ShowsTextAsTextAndButtonsAsLinksThatReachTheHandler) {
    App();
    CQtBackend backend;
    CRecordingDocumentHandler handler;
    auto dialog = MakeDialog(backend, handler);
    ASSERT_TRUE(dialog);
    dialog->SetDocument(Lesson());
    auto* widget = static_cast<CQtDocumentDialog*>(dialog.get())->GetWidget();
    const QString shown = widget->GetView()->toPlainText();
    EXPECT_TRUE(shown.contains("Lesson <1> & more"));
    EXPECT_TRUE(shown.contains("Play <b>these</b> notes."));
    EXPECT_TRUE(shown.contains("Start"));
    const QString html = CQtDocumentWidget::ToHtml(Lesson());
    EXPECT_TRUE(html.contains("href=\"button:0\""));
    EXPECT_TRUE(html.contains("href=\"button:1\""));
    EXPECT_FALSE(html.contains("<b>these"));
    emit widget->GetView()->anchorClicked(QUrl("button:1"));
    emit widget->GetView()->anchorClicked(QUrl("http://example.invalid/"));
    emit widget->GetView()->anchorClicked(QUrl("button:x"));
    EXPECT_EQ(handler.buttons, std::vector<int>{1});
}

TEST(QtDocumentDialog, ScrollsInThirtyPixelStepsAndClosingIsOnlyARequest) {
    App();
    CQtBackend backend;
    CRecordingDocumentHandler handler;
    auto dialog = MakeDialog(backend, handler);
    ASSERT_TRUE(dialog);
    dialog->SetRect(WINDOW_RECT{10, 20, 500, 300});
    dialog->Show(true);
    dialog->SetDocument(Lesson());
    QApplication::processEvents();
    auto* widget = static_cast<CQtDocumentDialog*>(dialog.get())->GetWidget();
    QScrollBar* bar = widget->GetView()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 3 * IDocumentDialog::kScrollStep);
    // A new document shows its top with the thumb at the top, and the bar
    // runs the usual way: down the bar is down the text.
    EXPECT_EQ(bar->value(), bar->minimum());
    EXPECT_EQ(dialog->GetScrollPosition(), 0);
    EXPECT_FALSE(bar->invertedAppearance());
    dialog->SetScrollPosition(3);
    EXPECT_EQ(dialog->GetScrollPosition(), 3);
    EXPECT_EQ(widget->GetView()->verticalScrollBar()->value(), 90);
    dialog->SetScrollPosition(1000000);
    EXPECT_LE(widget->GetView()->verticalScrollBar()->value(),
              widget->GetView()->verticalScrollBar()->maximum());
    widget->close();
    EXPECT_EQ(handler.closeRequests, 1);
    EXPECT_TRUE(dialog->IsVisible());
    const WINDOW_RECT rect = dialog->GetRect();
    EXPECT_EQ(rect.width, 500);
    EXPECT_EQ(rect.height, 300);
}

namespace {

// The longest stretch of text without a space or a break opportunity.
int LongestUnbrokenRun(const QString& text) {
    int longest = 0;
    int run = 0;
    for (const QChar c : text) {
        run = c.isSpace() || c == QChar(CQtDocumentWidget::kZeroWidthSpace) ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

QString WithoutBreaks(QString text) {
    return text.remove(QChar(CQtDocumentWidget::kZeroWidthSpace));
}

}  // namespace

TEST(QtDocumentDialog, ALongRunWithoutSpacesGetsBreakOpportunitiesAndWordsNone) {
    const QString run(100000, QChar('a'));
    const QString broken = CQtDocumentWidget::WithBreakOpportunities(run);
    EXPECT_EQ(WithoutBreaks(broken), run);
    EXPECT_LE(LongestUnbrokenRun(broken), CQtDocumentWidget::kBreakStep);
    const QString words = "Play the notes of the C major scale, " +
                          QString(CQtDocumentWidget::kLongestRun - 1, QChar('b')) + ".";
    EXPECT_EQ(CQtDocumentWidget::WithBreakOpportunities(words).toStdString(), words.toStdString());
    const QString html = CQtDocumentWidget::ToHtml({{DocumentStyle::kBody, run.toStdString()}});
    EXPECT_TRUE(html.contains(QChar(CQtDocumentWidget::kZeroWidthSpace)));
}

TEST(QtDocumentDialog, ABreakOpportunityNeverPartsACharacterFromItsOtherHalfOrItsMarks) {
    const QString clef = QString::fromUtf8("\xF0\x9D\x84\x9E");  // two UTF-16 units
    const QString accented = QString::fromUtf8("e\xCC\x81");     // e and a combining acute
    QString run;
    for (int i = 0; i < 100; ++i) {
        run += i % 2 == 0 ? clef : accented;
    }
    const QString broken = CQtDocumentWidget::WithBreakOpportunities(run);
    EXPECT_EQ(WithoutBreaks(broken), run);
    EXPECT_GT(broken.size(), run.size());
    for (int i = 0; i + 1 < broken.size(); ++i) {
        if (broken[i] == QChar(CQtDocumentWidget::kZeroWidthSpace)) {
            EXPECT_FALSE(broken[i + 1].isLowSurrogate()) << i;
            EXPECT_FALSE(broken[i + 1].isMark()) << i;
        }
    }
}

TEST(QtDocumentDialog, ALongUnbrokenLineIsShownWhole) {
    App();
    CQtBackend backend;
    CRecordingDocumentHandler handler;
    auto dialog = MakeDialog(backend, handler);
    ASSERT_TRUE(dialog);
    const std::string line(20000, 'x');
    dialog->SetDocument({{DocumentStyle::kBody, line}, {DocumentStyle::kBody, "after"}});
    auto* widget = static_cast<CQtDocumentDialog*>(dialog.get())->GetWidget();
    const QString shown = WithoutBreaks(widget->GetView()->toPlainText());
    EXPECT_TRUE(shown.contains(QString::fromStdString(line))) << shown.size();
    EXPECT_TRUE(shown.contains("after"));
}
