// The progress window on Qt under Xvfb, painted from a practice history in
// a folder of its own, and on the null platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QCursor>
#include <QHelpEvent>
#include <QImage>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QToolTip>

#include <ctime>
#include <string>
#include <vector>

#include "LocalNoon.h"
#include "TempFolder.h"
#include "editors/ProgressDlg.h"
#include "history/PracticeHistory.h"
#include "platform/null/NullBackend.h"
#include "platform/null/NullControlDialog.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtControlDialog.h"
#include "platform/qt/QtPictureLabel.h"
#include "platform/qt/QtTestApp.h"
#include "ui/ProgressChart.h"

namespace {

constexpr double kDay = 86400.0;
constexpr int kYear = 365;
constexpr int kNotesADay = 30;

// A year of drills, getting better over the year: the bass notes stay
// mostly missed, the high treble notes always right, the middle improves.
bool WriteAYear(CPracticeHistory& history, double now) {
    for (int back = kYear - 1; back >= 0; --back) {
        for (int i = 0; i < kNotesADay; ++i) {
            PRACTICE_ROW row;
            row.time = now - back * kDay - (kNotesADay - i) * 20.0;
            row.lesson = "Year";
            row.expected = 36 + (back * 7 + i * 5) % 49;  // C2..C6
            row.played = row.expected;
            row.clef = row.expected < 60 ? PRACTICE_CLEF_BASS : PRACTICE_CLEF_TREBLE;
            row.spelling = "X";
            const int progress = (kYear - back) * 100 / kYear;  // 0..100 over the year
            if (row.expected < 48) {
                row.rightFirstTry = (i % 10) == 0;
            } else if (row.expected >= 72) {
                row.rightFirstTry = true;
            } else {
                row.rightFirstTry = (i * 37 + back) % 100 < progress;
            }
            row.wrongPresses = row.rightFirstTry ? 0 : 1;
            row.reaction = 0.8 + (100 - progress) * 0.02 + (i % 3) * 0.1;
            if (!history.Add(row)) {
                return false;
            }
        }
    }
    return history.Flush();
}

bool Near(const QColor& color, uint32_t argb) {
    constexpr int kTolerance = 6;
    const QColor want(argb);
    return std::abs(color.red() - want.red()) <= kTolerance &&
           std::abs(color.green() - want.green()) <= kTolerance &&
           std::abs(color.blue() - want.blue()) <= kTolerance;
}

// How many pixels of the shot are near argb.
int CountNear(const QImage& shot, uint32_t argb) {
    int count = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            count += Near(shot.pixelColor(x, y), argb) ? 1 : 0;
        }
    }
    return count;
}

int ColourCount(const QImage& shot) {
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 2) {
        for (int x = 0; x < shot.width(); x += 2) {
            colours.insert(shot.pixel(x, y));
        }
    }
    return colours.size();
}

// Opens the window on Qt with what history holds, saves its picture as
// name and returns it.
QImage Shoot(CPracticeHistory& history, double now, const char* name) {
    App();
    CQtBackend backend;
    CProgressDlg progress(*backend.GetPlatform().windowSystem, *backend.GetPlatform().eventLoop);
    EXPECT_TRUE(progress.CreateDialog(nullptr, WINDOW_RECT{40, 40, 800, 600}, {}))
        << progress.GetError();
    EXPECT_TRUE(progress.Refresh(history, now)) << progress.GetError();
    progress.Show(true);
    auto* dialog = static_cast<CQtControlDialog*>(progress.GetWindow());
    EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog->GetWidget()));
    EXPECT_EQ(dialog->GetWidget()->windowTitle(), QString("Progress"));
    const std::string path = std::string(NOTARA_BINARY_DIR) + "/tests/" + name;
    std::string error;
    EXPECT_TRUE(dialog->SaveScreenshot(path.c_str(), error)) << error;
    return QImage(QString::fromStdString(path));
}

}  // namespace

TEST(ProgressDlg, AnEmptyHistoryShowsNoPracticeYetOnGreyKeys) {
    CTempFolder folder("progress-empty");
    ASSERT_FALSE(folder.Get().empty());
    CPracticeHistory history;
    ASSERT_TRUE(history.Open(folder.Path("history.db").c_str())) << history.GetError();
    const QImage shot = Shoot(history, LocalNoon(), "progress-empty.png");
    ASSERT_FALSE(shot.isNull());
    const DIALOG_TEMPLATE dialog = CProgressDlg::MakeTemplate();
    EXPECT_EQ(shot.size(), QSize(dialog.width, dialog.height));
    EXPECT_GT(ColourCount(shot), 8) << "the chart is not all one colour";
    EXPECT_GT(CountNear(shot, CProgressChart::kNeverWhite), 2000) << "grey keys";
    constexpr int kSwatch = 10 * 10;
    EXPECT_LE(CountNear(shot, CProgressChart::AccuracyColor(1.0)), kSwatch)
        << "only the legend's swatch is green";
    // The "No practice yet" text is dark ink in the middle of the day chart.
    int ink = 0;
    const int middleY = 12 + (CProgressChart::kPlotTop + CProgressChart::kPlotBottom) / 2;
    for (int y = middleY - 20; y < middleY + 5; ++y) {
        for (int x = 250; x < 530; ++x) {
            ink += shot.pixelColor(x, y).lightness() < 100 ? 1 : 0;
        }
    }
    EXPECT_GT(ink, 100) << "no text where the empty chart says so";
}

TEST(ProgressDlg, AYearOfHistoryShowsGreenAndRedNotesAndTheLastFourWeeks) {
    CTempFolder folder("progress-year");
    ASSERT_FALSE(folder.Get().empty());
    CPracticeHistory history;
    ASSERT_TRUE(history.Open(folder.Path("history.db").c_str())) << history.GetError();
    const double now = LocalNoon();
    ASSERT_TRUE(WriteAYear(history, now)) << history.GetError();
    std::vector<PRACTICE_DAY> days;
    ASSERT_TRUE(history.GetDays(CProgressChart::kDays, now, days));
    EXPECT_EQ(days.size(), static_cast<size_t>(CProgressChart::kDays));

    const QImage shot = Shoot(history, now, "progress-year.png");
    ASSERT_FALSE(shot.isNull());
    EXPECT_GT(ColourCount(shot), 16);
    EXPECT_GT(CountNear(shot, CProgressChart::AccuracyColor(1.0)), 500) << "green keys";
    EXPECT_GT(CountNear(shot, CProgressChart::AccuracyColor(0.1)) +
                  CountNear(shot, CProgressChart::AccuracyColor(0.0)),
              300)
        << "red keys";
}

TEST(ProgressDlg, RefreshPaintsBothPicturesAndCloseHides) {
    CNullBackend backend;
    CProgressDlg progress(backend.GetWindowSystem(), backend.GetEventLoop());
    ASSERT_TRUE(progress.CreateDialog(nullptr, WINDOW_RECT{10, 20, 800, 600}, {}))
        << progress.GetError();
    CNullControlDialog* dialog = backend.GetWindowSystem().FindControlDialog("Progress");
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->IsVisible()) << "a first run keeps it hidden";
    EXPECT_EQ(dialog->GetRect().left, 10);
    ASSERT_TRUE(progress.Paint({}, {}, LocalNoon())) << progress.GetError();
    ASSERT_NE(dialog->FindItem(CProgressDlg::kSummaryId), nullptr);
    EXPECT_EQ(dialog->FindItem(CProgressDlg::kSummaryId)->control.text, "No practice yet");
    int width = 0, height = 0;
    std::vector<uint32_t> argb;
    ASSERT_TRUE(dialog->GetPicture(CProgressDlg::kDaysPictureId, width, height, argb));
    EXPECT_EQ(width, CProgressChart::kWidth);
    EXPECT_EQ(height, CProgressChart::kDaysHeight);
    ASSERT_TRUE(dialog->GetPicture(CProgressDlg::kNotesPictureId, width, height, argb));
    EXPECT_EQ(height, CProgressChart::kNotesHeight);

    CPracticeHistory closed;
    EXPECT_FALSE(progress.Refresh(closed, LocalNoon()));
    EXPECT_NE(std::string(progress.GetError()).find("Can't"), std::string::npos);

    progress.Show(true);
    ASSERT_TRUE(dialog->Click(IControlDialog::kIdCancel));
    EXPECT_FALSE(dialog->IsVisible());
    const PROGRESS_PLACEMENT placement = progress.GetPlacement();
    EXPECT_TRUE(placement.placed);
    EXPECT_FALSE(placement.visible);
}

// The note map on Qt: the staves begin with their clefs, and the pointer
// resting on a note's dot tells the note, its count and its accuracy.
TEST(ProgressDlg, HoveringANoteTellsItsFiguresBesideTheClefs) {
    CTempFolder folder("progress-hover");
    ASSERT_FALSE(folder.Get().empty());
    CPracticeHistory history;
    ASSERT_TRUE(history.Open(folder.Path("history.db").c_str())) << history.GetError();
    const double now = LocalNoon();
    ASSERT_TRUE(WriteAYear(history, now)) << history.GetError();
    App();
    CQtBackend backend;
    CProgressDlg progress(*backend.GetPlatform().windowSystem, *backend.GetPlatform().eventLoop);
    ASSERT_TRUE(progress.CreateDialog(nullptr, WINDOW_RECT{40, 40, 800, 600}, {}));
    ASSERT_TRUE(progress.Refresh(history, now)) << progress.GetError();
    progress.Show(true);
    auto* dialog = static_cast<CQtControlDialog*>(progress.GetWindow());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog->GetWidget()));
    CQtPictureLabel* notes = nullptr;
    for (CQtPictureLabel* label : dialog->GetWidget()->findChildren<CQtPictureLabel*>()) {
        if (label->pixmap().height() == CProgressChart::kNotesHeight) {
            notes = label;
        }
    }
    ASSERT_NE(notes, nullptr);
    // The clefs: ink at the start of each staff, where there are only lines
    // without them.
    const QImage map = notes->pixmap().toImage();
    const auto inkIn = [&map](const WINDOW_RECT& r) {
        int ink = 0;
        for (int y = r.top; y < r.top + r.height; ++y) {
            for (int x = r.left; x < r.left + r.width; ++x) {
                ink += map.pixelColor(x, y).lightness() < 90 ? 1 : 0;
            }
        }
        return ink;
    };
    const WINDOW_RECT c4 = CProgressChart::DotRect(60);
    const WINDOW_RECT e4 = CProgressChart::DotRect(64);
    const WINDOW_RECT a3 = CProgressChart::DotRect(57);
    EXPECT_GT(inkIn({CProgressChart::kKeysLeft + 3, e4.top - 40, 22, 50}), 80) << "no treble clef";
    EXPECT_GT(inkIn({CProgressChart::kKeysLeft + 3, a3.top, 22, 30}), 50) << "no bass clef";

    const QPoint at(c4.left + c4.width / 2, c4.top + c4.height / 2);
    QHelpEvent hover(QEvent::ToolTip, at, notes->mapToGlobal(at));
    QApplication::sendEvent(notes, &hover);
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 3000)) << "no tip";
    EXPECT_TRUE(QToolTip::text().startsWith("C4: ")) << QToolTip::text().toStdString();
    EXPECT_TRUE(QToolTip::text().contains("right at the first try"));
    QTest::qWait(200);  // the tip fades in
    const QRect area = dialog->GetWidget()->frameGeometry().united(QRect(QCursor::pos(), QSize()));
    QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width() + 320, area.height())
        .save(NOTARA_BINARY_DIR "/tests/progress-hover.png");
    // Away from every note there is no tip.
    const QPoint empty(5, 5);
    QHelpEvent away(QEvent::ToolTip, empty, notes->mapToGlobal(empty));
    QApplication::sendEvent(notes, &away);
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000));
}

TEST(ProgressDlg, TipsNameEveryNotePractisedOverItsDotAndKey) {
    CNullBackend backend;
    CProgressDlg progress(backend.GetWindowSystem(), backend.GetEventLoop());
    ASSERT_TRUE(progress.CreateDialog(nullptr, WINDOW_RECT{10, 20, 800, 600}, {}));
    CNullControlDialog* dialog = backend.GetWindowSystem().FindControlDialog("Progress");
    ASSERT_NE(dialog, nullptr);
    std::vector<PRACTICE_NOTE_STATS> notes(2);
    notes[0].midiNote = 61;  // C sharp 4: a black key over the white ones
    notes[0].shown = 4;
    notes[0].rightFirstTry = 3;
    notes[0].meanReaction = 1.25;
    notes[1].midiNote = 60;
    notes[1].shown = 1;
    notes[1].meanReaction = 2.0;
    std::vector<PRACTICE_LESSON_PACE> paces(2);
    paces[0].lesson = "Bass clef";
    paces[0].notes = 10;
    paces[0].meanReaction = 2.0;
    paces[1].lesson = "Welcome";
    paces[1].notes = 40;
    paces[1].meanReaction = 1.5;
    ASSERT_TRUE(progress.Paint({}, notes, LocalNoon(), paces)) << progress.GetError();
    const auto centre = [&](const WINDOW_RECT& r) {
        return dialog->GetPictureTip(CProgressDlg::kNotesPictureId, r.left + r.width / 2,
                                     r.top + r.height / 2);
    };
    EXPECT_EQ(centre(CProgressChart::DotRect(61)),
              "C#4: 4 notes, 75% right at the first try, 1.2 s on average");
    EXPECT_EQ(centre(CProgressChart::KeyRect(61)), centre(CProgressChart::DotRect(61)));
    EXPECT_EQ(centre(CProgressChart::DotRect(60)),
              "C4: 1 note, 0% right at the first try, 2.0 s on average");
    // The white key's lower part, below the black keys, is its own.
    const WINDOW_RECT white = CProgressChart::KeyRect(60);
    EXPECT_EQ(dialog
                  ->GetPictureTip(CProgressDlg::kNotesPictureId, white.left + 1,
                                  white.top + white.height - 3)
                  .substr(0, 4),
              "C4: ");
    EXPECT_EQ(centre(CProgressChart::DotRect(72)), "") << "a note never practised has no tip";
    EXPECT_EQ(dialog->FindItem(CProgressDlg::kSummaryId)->control.text,
              "No practice in the last 28 days. Notes per minute: Bass clef 30, Welcome 40.");
}
