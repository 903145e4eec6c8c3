// The Lesson done report on Qt under Xvfb: its lines wrap inside the dialog,
// however many notes it names. Saves its picture in build/tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <string>

#include "editors/LessonDoneDlg.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtControlDialog.h"
#include "platform/qt/QtTestApp.h"

TEST(LessonDoneDlg, AReportWithThreeMissedNotesWrapsInsideTheDialog) {
    App();
    CQtBackend backend;
    CLessonDoneDlg done(*backend.GetPlatform().windowSystem, *backend.GetPlatform().eventLoop);
    const std::string report =
        "Right at first try: 17 of 20 (85%)\nMean time: 1.24 s\n"
        "Slowest: F#3 (2.81 s), B-flat 4 (2.40 s), C#5 (2.12 s)\n"
        "Most missed: F#3 (3 wrong keys), B-flat 4 (2 wrong keys), C#5 (1 wrong key)";
    ASSERT_TRUE(done.ShowReport(nullptr, WINDOW_RECT{0, 0, 1000, 700}, report, true));
    auto* dialog = static_cast<CQtControlDialog*>(done.GetWindow());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog->GetWidget()));
    QLabel* shown = nullptr;
    for (QLabel* label : dialog->GetWidget()->findChildren<QLabel*>()) {
        shown = label->text().startsWith("Right at first try") ? label : shown;
    }
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->wordWrap());
    EXPECT_LE(shown->heightForWidth(shown->width()), shown->height())
        << "the report does not fit its place in the dialog";
    EXPECT_LE(shown->geometry().right(), dialog->GetWidget()->width());
    const std::string path = std::string(NOTARA_BINARY_DIR) + "/tests/lesson-done.png";
    std::string error;
    EXPECT_TRUE(dialog->SaveScreenshot(path.c_str(), error)) << error;
}
