#include <gtest/gtest.h>

#include <QComboBox>
#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>

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
                                          {DocumentStyle::kButton, "Start"},
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
    ASSERT_GT(widget->GetView()->verticalScrollBar()->maximum(), 3 * IDocumentDialog::kScrollStep);
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
