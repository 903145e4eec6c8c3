#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "QtTestApp.h"
#include "TempFolder.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtControlDialog.h"
#include "platform/qt/QtControlWidget.h"

namespace {

constexpr int kTempoLabel = 10;
constexpr int kMetronome = 11;
constexpr int kSounds = 12;
constexpr int kTempo = 13;
constexpr int kLevel = 14;
constexpr int kUnknown = 99;

// A tempo dialog with one item of every kind.
DIALOG_TEMPLATE TempoDialog() {
    DIALOG_TEMPLATE dialog;
    dialog.title = "Tempo";
    dialog.width = 320;
    dialog.height = 200;
    dialog.items = {
        {ControlKind::kGroup, 0, "Speed", {5, 5, 310, 120}, ""},
        {ControlKind::kLabel, kTempoLabel, "Tempo", {15, 25, 60, 20}, "How fast"},
        {ControlKind::kTrackBar, kTempo, "", {80, 25, 220, 30}, "Drag to change the tempo"},
        {ControlKind::kCheckBox, kMetronome, "Metronome", {15, 60, 120, 20}, "Clicks"},
        {ControlKind::kComboBox, kSounds, "", {150, 60, 150, 24}, ""},
        {ControlKind::kProgressBar, kLevel, "", {15, 95, 285, 16}, "Input level"},
        {ControlKind::kLabel, 0, "Fixed text", {15, 135, 120, 20}, ""},
        {ControlKind::kButton, IControlDialog::kIdOk, "OK", {150, 165, 75, 25}, ""},
        {ControlKind::kButton, IControlDialog::kIdCancel, "Cancel", {235, 165, 75, 25}, ""},
    };
    return dialog;
}

struct HEARD {
    int id;
    ControlEvent event;
    int sliderPosition;  // read inside the handler
    int listSelection;
};

class CRecordingControlHandler : public IWindowHandler, public IControlDialogHandler {
public:
    void OnMessage(int, std::unique_ptr<IPayload>) override {}
    void OnTimer(int) override {}
    void OnCommand(int) override {}
    void OnCloseRequest() override { ++closeRequests; }
    void OnControl(int id, ControlEvent event) override {
        HEARD heard{id, event, 0, 0};
        if (dialog != nullptr) {
            dialog->GetSliderPosition(kTempo, heard.sliderPosition);
            dialog->GetListSelection(kSounds, heard.listSelection);
        }
        events.push_back(heard);
    }

    IControlDialog* dialog = nullptr;
    std::vector<HEARD> events;
    int closeRequests = 0;
};

std::unique_ptr<IControlDialog> MakeDialog(CQtBackend& backend, CRecordingControlHandler& handler) {
    std::string error;
    auto dialog = backend.GetPlatform().windowSystem->CreateControlDialog(TempoDialog(), &handler,
                                                                          &handler, nullptr, error);
    EXPECT_TRUE(dialog) << error;
    handler.dialog = dialog.get();
    return dialog;
}

CQtControlWidget* WidgetOf(const std::unique_ptr<IControlDialog>& dialog) {
    return static_cast<CQtControlDialog*>(dialog.get())->GetWidget();
}

// Shows the dialog and lets it settle.
void ShowAndSettle(IControlDialog& dialog) {
    dialog.Show(true);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(static_cast<CQtControlDialog&>(dialog).GetWidget()));
}

QRect RectOf(const CONTROL_ITEM& item) {
    return QRect(item.rect.left, item.rect.top, item.rect.width, item.rect.height);
}

// Where a slider's knob is drawn now.
QRect HandleOf(const QSlider* slider) {
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    option.singleStep = slider->singleStep();
    option.pageStep = slider->pageStep();
    option.tickPosition = slider->tickPosition();
    option.tickInterval = slider->tickInterval();
    option.subControls = QStyle::SC_All;
    return slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle,
                                           slider);
}

}  // namespace

TEST(QtControlDialog, AMadeDialogHasEveryItemAtItsPlaceWithItsTextAndToolTip) {
    App();
    CQtBackend backend;
    CRecordingControlHandler handler;
    auto dialog = MakeDialog(backend, handler);
    ASSERT_TRUE(dialog);
    CQtControlWidget* widget = WidgetOf(dialog);
    EXPECT_EQ(widget->windowTitle(), "Tempo");
    EXPECT_EQ(widget->size(), QSize(320, 200));
    EXPECT_TRUE(widget->windowFlags() & Qt::Dialog);
    EXPECT_FALSE(dialog->IsVisible());
    const std::vector<CONTROL_ITEM> items = TempoDialog().items;

    QLabel* label = widget->Find<QLabel>(kTempoLabel);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->geometry(), RectOf(items[1]));
    EXPECT_EQ(label->text(), "Tempo");
    EXPECT_EQ(label->toolTip(), "How fast");

    QSlider* slider = widget->Find<QSlider>(kTempo);
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->geometry(), RectOf(items[2]));
    EXPECT_EQ(slider->orientation(), Qt::Horizontal);
    EXPECT_EQ(slider->tickPosition(), QSlider::TicksBelow);
    EXPECT_EQ(slider->toolTip(), "Drag to change the tempo");

    QCheckBox* box = widget->Find<QCheckBox>(kMetronome);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->geometry(), RectOf(items[3]));
    EXPECT_EQ(box->text(), "Metronome");
    EXPECT_EQ(box->toolTip(), "Clicks");

    QComboBox* list = widget->Find<QComboBox>(kSounds);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->geometry(), RectOf(items[4]));

    QProgressBar* meter = widget->Find<QProgressBar>(kLevel);
    ASSERT_NE(meter, nullptr);
    EXPECT_EQ(meter->geometry(), RectOf(items[5]));
    EXPECT_FALSE(meter->isTextVisible());
    EXPECT_EQ(meter->toolTip(), "Input level");

    QPushButton* ok = widget->Find<QPushButton>(IControlDialog::kIdOk);
    QPushButton* cancel = widget->Find<QPushButton>(IControlDialog::kIdCancel);
    ASSERT_NE(ok, nullptr);
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(ok->geometry(), RectOf(items[7]));
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(cancel->text(), "Cancel");
    EXPECT_FALSE(cancel->isDefault());

    // The items without an id are there all the same.
    const QList<QGroupBox*> groups = widget->findChildren<QGroupBox*>();
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(groups[0]->title(), "Speed");
    EXPECT_EQ(groups[0]->geometry(), RectOf(items[0]));
    bool fixedTextFound = false;
    for (const QLabel* each : widget->findChildren<QLabel*>()) {
        fixedTextFound = fixedTextFound ||
                         (each->text() == "Fixed text" && each->geometry() == RectOf(items[6]));
    }
    EXPECT_TRUE(fixedTextFound);
}

TEST(QtControlDialog, SetAndGetRoundTripOnCheckBoxListSliderAndMeter) {
    App();
    CQtBackend backend;
    CRecordingControlHandler handler;
    auto dialog = MakeDialog(backend, handler);
    ASSERT_TRUE(dialog);
    CQtControlWidget* widget = WidgetOf(dialog);

    bool checked = true;
    ASSERT_TRUE(dialog->GetChecked(kMetronome, checked));
    EXPECT_FALSE(checked);
    ASSERT_TRUE(dialog->SetChecked(kMetronome, true));
    ASSERT_TRUE(dialog->GetChecked(kMetronome, checked));
    EXPECT_TRUE(checked);

    int index = 0;
    ASSERT_TRUE(dialog->AddListItem(kSounds, "Click"));
    ASSERT_TRUE(dialog->AddListItem(kSounds, "Wood block"));
    ASSERT_TRUE(dialog->AddListItem(kSounds, "Cowbell"));
    ASSERT_TRUE(dialog->GetListSelection(kSounds, index));
    EXPECT_EQ(index, -1);  // adding items selects nothing
    ASSERT_TRUE(dialog->SelectListItem(kSounds, 2));
    ASSERT_TRUE(dialog->GetListSelection(kSounds, index));
    EXPECT_EQ(index, 2);
    EXPECT_EQ(widget->Find<QComboBox>(kSounds)->currentText(), "Cowbell");
    ASSERT_TRUE(dialog->SelectListItem(kSounds, -1));
    ASSERT_TRUE(dialog->GetListSelection(kSounds, index));
    EXPECT_EQ(index, -1);
    EXPECT_FALSE(dialog->SelectListItem(kSounds, 3));
    ASSERT_TRUE(dialog->ClearList(kSounds));
    EXPECT_EQ(widget->Find<QComboBox>(kSounds)->count(), 0);

    int position = 0;
    ASSERT_TRUE(dialog->SetSliderRange(kTempo, 50, 200, 25));
    ASSERT_TRUE(dialog->SetSliderPosition(kTempo, 120));
    ASSERT_TRUE(dialog->GetSliderPosition(kTempo, position));
    EXPECT_EQ(position, 120);
    ASSERT_TRUE(dialog->SetSliderPosition(kTempo, 500));
    ASSERT_TRUE(dialog->GetSliderPosition(kTempo, position));
    EXPECT_EQ(position, 200);  // kept in its range
    QSlider* slider = widget->Find<QSlider>(kTempo);
    EXPECT_EQ(slider->minimum(), 50);
    EXPECT_EQ(slider->maximum(), 200);
    EXPECT_EQ(slider->pageStep(), 25);
    // Ticks at 50, 100, 150 and 200: one at the position asked for and at
    // both ends.
    ASSERT_TRUE(dialog->SetSliderTick(kTempo, 100));
    EXPECT_EQ(slider->tickInterval(), 50);

    ASSERT_TRUE(dialog->SetMeterRange(kLevel, 0, 1000));
    ASSERT_TRUE(dialog->SetMeterPosition(kLevel, 250));
    QProgressBar* meter = widget->Find<QProgressBar>(kLevel);
    EXPECT_EQ(meter->minimum(), 0);
    EXPECT_EQ(meter->maximum(), 1000);
    EXPECT_EQ(meter->value(), 250);

    ASSERT_TRUE(dialog->SetItemText(kTempoLabel, "Speed %"));
    EXPECT_EQ(widget->Find<QLabel>(kTempoLabel)->text(), "Speed %");
    ASSERT_TRUE(dialog->SetItemText(kMetronome, "Ticks"));
    EXPECT_EQ(widget->Find<QCheckBox>(kMetronome)->text(), "Ticks");
    ASSERT_TRUE(dialog->SetItemText(IControlDialog::kIdOk, "Done"));
    EXPECT_EQ(widget->Find<QPushButton>(IControlDialog::kIdOk)->text(), "Done");
    ASSERT_TRUE(dialog->EnableItem(kTempo, false));
    EXPECT_FALSE(slider->isEnabled());
    ASSERT_TRUE(dialog->EnableItem(kTempo, true));
    EXPECT_TRUE(slider->isEnabled());
}

TEST(QtControlDialog, ACallOnAnUnknownIdOrAnItemOfAnotherKindReturnsFalse) {
    App();
    CQtBackend backend;
    CRecordingControlHandler handler;
    auto dialog = MakeDialog(backend, handler);
    ASSERT_TRUE(dialog);
    bool checked = false;
    int value = 0;
    EXPECT_FALSE(dialog->SetItemText(kUnknown, "x"));
    EXPECT_FALSE(dialog->SetItemText(0, "x"));
    EXPECT_FALSE(dialog->EnableItem(kUnknown, false));
    EXPECT_FALSE(dialog->SetChecked(kUnknown, true));
    EXPECT_FALSE(dialog->SetChecked(IControlDialog::kIdOk, true));
    EXPECT_FALSE(dialog->GetChecked(kSounds, checked));
    EXPECT_FALSE(dialog->ClearList(kTempo));
    EXPECT_FALSE(dialog->AddListItem(kMetronome, "x"));
    EXPECT_FALSE(dialog->SelectListItem(kLevel, 0));
    EXPECT_FALSE(dialog->GetListSelection(kTempoLabel, value));
    EXPECT_FALSE(dialog->SetSliderRange(kLevel, 0, 10, 1));
    EXPECT_FALSE(dialog->SetSliderPosition(kSounds, 1));
    EXPECT_FALSE(dialog->GetSliderPosition(kLevel, value));
    EXPECT_FALSE(dialog->SetSliderTick(kMetronome, 1));
    EXPECT_FALSE(dialog->SetMeterRange(kTempo, 0, 10));
    EXPECT_FALSE(dialog->SetMeterPosition(kTempo, 1));
    EXPECT_FALSE(dialog->SetMeterColor(kUnknown, 0));
    EXPECT_FALSE(dialog->SetItemText(kSounds, "x"));
    // Nothing was changed by the failed calls.
    CQtControlWidget* widget = WidgetOf(dialog);
    EXPECT_EQ(widget->Find<QPushButton>(IControlDialog::kIdOk)->text(), "OK");
    EXPECT_EQ(widget->Find<QComboBox>(kSounds)->count(), 0);
    EXPECT_EQ(widget->Find<QProgressBar>(kLevel)->maximum(), 100);
}

TEST(QtControlDialog, TheOwnersSetCallsTellTheHandlerNothing) {
    App();
    CQtBackend backend;
    CRecordingControlHandler handler;
    auto dialog = MakeDialog(backend, handler);
    ASSERT_TRUE(dialog);
    ShowAndSettle(*dialog);
    dialog->SetChecked(kMetronome, true);
    dialog->SetChecked(kMetronome, false);
    dialog->AddListItem(kSounds, "Click");
    dialog->AddListItem(kSounds, "Cowbell");
    dialog->SelectListItem(kSounds, 1);
    dialog->ClearList(kSounds);
    dialog->SetSliderPosition(kTempo, 80);
    dialog->SetSliderRange(kTempo, 0, 10, 2);  // moves the knob into the range
    dialog->SetSliderTick(kTempo, 5);
    dialog->SetMeterRange(kLevel, 0, 10);
    dialog->SetMeterPosition(kLevel, 7);
    dialog->SetItemText(kMetronome, "Ticks");
    QCoreApplication::processEvents();
    EXPECT_TRUE(handler.events.empty());
}

TEST(QtControlDialog, KeysAndClicksOnTheSliderReportMovesWithTheNewPositionReadable) {
    App();
    CQtBackend backend;
    CRecordingControlHandler handler;
    auto dialog = MakeDialog(backend, handler);
    ASSERT_TRUE(dialog);
    dialog->SetSliderRange(kTempo, 0, 200, 20);
    dialog->SetSliderPosition(kTempo, 100);
    ShowAndSettle(*dialog);
    QSlider* slider = WidgetOf(dialog)->Find<QSlider>(kTempo);
    slider->setFocus();

    QTest::keyClick(slider, Qt::Key_Left);
    QTest::keyClick(slider, Qt::Key_Home);
    QTest::keyClick(slider, Qt::Key_PageUp);
    ASSERT_EQ(handler.events.size(), 3u);
    const int expected[] = {99, 0, 20};
    for (size_t i = 0; i < handler.events.size(); ++i) {
        EXPECT_EQ(handler.events[i].id, kTempo);
        EXPECT_EQ(handler.events[i].event, ControlEvent::kMoved);
        EXPECT_EQ(handler.events[i].sliderPosition, expected[i]);
    }

    // A click in the groove far right of the knob moves it that way; the
    // groove runs level with the knob's middle.
    handler.events.clear();
    const int grooveY = HandleOf(slider).center().y();
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() - 3, grooveY));
    ASSERT_FALSE(handler.events.empty());
    int position = 0;
    dialog->GetSliderPosition(kTempo, position);
    EXPECT_GT(position, 20);
    EXPECT_EQ(handler.events.back().event, ControlEvent::kMoved);
    EXPECT_EQ(handler.events.back().sliderPosition, position);

    // Dragging the knob reports every step on the way.
    handler.events.clear();
    dialog->SetSliderPosition(kTempo, 0);
    const QPoint knob = HandleOf(slider).center();
    QTest::mousePress(slider, Qt::LeftButton, {}, knob);
    QTest::mouseMove(slider, knob + QPoint(slider->width() / 2, 0));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, knob + QPoint(slider->width() / 2, 0));
    ASSERT_FALSE(handler.events.empty());
    dialog->GetSliderPosition(kTempo, position);
    EXPECT_GT(position, 0);
    EXPECT_EQ(handler.events.back().sliderPosition, position);
}

TEST(QtControlDialog, ClicksOnACheckBoxAndAButtonReportClickedWithTheirIds) {
    App();
    CQtBackend backend;
    CRecordingControlHandler handler;
    auto dialog = MakeDialog(backend, handler);
    ASSERT_TRUE(dialog);
    ShowAndSettle(*dialog);
    CQtControlWidget* widget = WidgetOf(dialog);
    QCheckBox* box = widget->Find<QCheckBox>(kMetronome);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->height() / 2, box->height() / 2));
    ASSERT_EQ(handler.events.size(), 1u);
    EXPECT_EQ(handler.events[0].id, kMetronome);
    EXPECT_EQ(handler.events[0].event, ControlEvent::kClicked);
    bool checked = false;
    ASSERT_TRUE(dialog->GetChecked(kMetronome, checked));
    EXPECT_TRUE(checked);

    QPushButton* cancel = widget->Find<QPushButton>(IControlDialog::kIdCancel);
    QTest::mouseClick(cancel, Qt::LeftButton);
    ASSERT_EQ(handler.events.size(), 2u);
    EXPECT_EQ(handler.events[1].id, IControlDialog::kIdCancel);
    EXPECT_EQ(handler.events[1].event, ControlEvent::kClicked);
    EXPECT_EQ(handler.closeRequests, 0);  // a button press is only an event
    EXPECT_TRUE(dialog->IsVisible());
}

TEST(QtControlDialog, ChoosingAListItemByKeyboardReportsTheSelectionChange) {
    App();
    CQtBackend backend;
    CRecordingControlHandler handler;
    auto dialog = MakeDialog(backend, handler);
    ASSERT_TRUE(dialog);
    dialog->AddListItem(kSounds, "Click");
    dialog->AddListItem(kSounds, "Wood block");
    dialog->SelectListItem(kSounds, 0);
    ShowAndSettle(*dialog);
    QComboBox* list = WidgetOf(dialog)->Find<QComboBox>(kSounds);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    ASSERT_EQ(handler.events.size(), 1u);
    EXPECT_EQ(handler.events[0].id, kSounds);
    EXPECT_EQ(handler.events[0].event, ControlEvent::kSelectionChanged);
    EXPECT_EQ(handler.events[0].listSelection, 1);
}

TEST(QtControlDialog, EnterPressesOkWhileEscAndTheCloseBoxAskToCloseAndTheDialogStays) {
    App();
    CQtBackend backend;
    CRecordingControlHandler handler;
    auto dialog = MakeDialog(backend, handler);
    ASSERT_TRUE(dialog);
    ShowAndSettle(*dialog);
    CQtControlWidget* widget = WidgetOf(dialog);
    WidgetOf(dialog)->Find<QSlider>(kTempo)->setFocus();

    QTest::keyClick(widget, Qt::Key_Return);
    ASSERT_EQ(handler.events.size(), 1u);
    EXPECT_EQ(handler.events[0].id, IControlDialog::kIdOk);
    EXPECT_EQ(handler.events[0].event, ControlEvent::kClicked);

    QTest::keyClick(widget, Qt::Key_Escape);
    EXPECT_EQ(handler.closeRequests, 1);
    widget->close();
    EXPECT_EQ(handler.closeRequests, 2);
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog->IsVisible());
    EXPECT_EQ(handler.events.size(), 1u);
}

TEST(QtControlDialog, AScreenshotShowsTheMeterInItsColourWhereTheMeterIs) {
    App();
    CQtBackend backend;
    CRecordingControlHandler handler;
    auto dialog = MakeDialog(backend, handler);
    ASSERT_TRUE(dialog);
    constexpr uint32_t kRed = 0x000000C0;  // 0x00BBGGRR
    constexpr int kRedLevel = 0xC0;
    constexpr int kTolerance = 16;
    dialog->SetMeterRange(kLevel, 0, 100);
    dialog->SetMeterPosition(kLevel, 100);
    ASSERT_TRUE(dialog->SetMeterColor(kLevel, kRed));
    ShowAndSettle(*dialog);

    CTempFolder folder("control-dialog-shot");
    ASSERT_FALSE(folder.Get().empty());
    const std::string path = folder.Path("dialog.png");
    std::string error;
    ASSERT_TRUE(dialog->SaveScreenshot(path.c_str(), error)) << error;
    QImage shot(QString::fromStdString(path));
    ASSERT_FALSE(shot.isNull());
    ASSERT_EQ(shot.size(), QSize(320, 200));

    const QRect meter = RectOf(TempoDialog().items[5]);
    const QColor middle = shot.pixelColor(meter.center());
    EXPECT_NEAR(middle.red(), kRedLevel, kTolerance);
    EXPECT_LT(middle.green(), kTolerance);
    EXPECT_LT(middle.blue(), kTolerance);
    // The rest of the dialog is not the meter's colour: the picture has
    // more than a few colours.
    constexpr int kFewColours = 4;
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 2) {
        for (int x = 0; x < shot.width(); x += 2) {
            colours.insert(shot.pixel(x, y));
        }
    }
    EXPECT_GT(colours.size(), kFewColours);

    EXPECT_FALSE(dialog->SaveScreenshot(folder.Path("no/such/folder/x.png").c_str(), error));
    EXPECT_FALSE(error.empty());
}

TEST(QtControlDialog, APictureItemShowsThePixmapItWasGivenAtItsSize) {
    App();
    CQtBackend backend;
    CRecordingControlHandler handler;
    constexpr int kPicture = 30;
    constexpr int kWidth = 24;
    constexpr int kHeight = 10;
    constexpr uint32_t kGreen = 0xFF20C040;
    constexpr uint32_t kHalfRed = 0x80FF0000;
    DIALOG_TEMPLATE dialog = TempoDialog();
    dialog.items.push_back({ControlKind::kPicture, kPicture, "", {15, 135, 60, 20}, ""});
    std::string error;
    auto made = backend.GetPlatform().windowSystem->CreateControlDialog(dialog, &handler, &handler,
                                                                        nullptr, error);
    ASSERT_TRUE(made) << error;
    std::vector<uint32_t> pixels(kWidth * kHeight, kGreen);
    pixels[0] = kHalfRed;
    ASSERT_TRUE(made->SetPicture(kPicture, kWidth, kHeight, pixels));
    EXPECT_FALSE(made->SetPicture(kPicture, kWidth + 1, kHeight, pixels));
    EXPECT_FALSE(made->SetPicture(kTempoLabel, kWidth, kHeight, pixels)) << "a text label";
    EXPECT_FALSE(made->SetItemText(kPicture, "text")) << "a picture takes no text";

    auto* label = WidgetOf(made)->findChild<QLabel*>(QString("item%1").arg(kPicture));
    ASSERT_NE(label, nullptr);
    const QPixmap shown = label->pixmap();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.size(), QSize(kWidth, kHeight));
    const QImage image = shown.toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(image.pixel(5, 5), kGreen);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0x80) << "straight alpha kept";
    EXPECT_EQ(qRed(image.pixel(0, 0)), 0xFF);

    ShowAndSettle(*made);
    const QImage shot = WidgetOf(made)->grab().toImage();
    EXPECT_EQ(shot.pixelColor(15 + 5, 135 + 5), QColor(kGreen)) << "drawn at the item's corner";
}

TEST(QtControlDialog, TheWindowSystemPaintsPicturesWithoutA3DView) {
    App();
    CQtBackend backend;
    std::unique_ptr<IImagePainter> painter =
        backend.GetPlatform().windowSystem->CreateImagePainter();
    ASSERT_TRUE(painter);
    std::string error;
    ASSERT_TRUE(painter->Begin(20, 20, error)) << error;
    painter->FillRect(0, 0, 20, 20, 0xFF0000FF);
    EXPECT_GT(painter->MeasureText("Sans", 12, "Progress"), 10.0f);
    std::vector<uint32_t> argb;
    ASSERT_TRUE(painter->End(argb, error)) << error;
    ASSERT_EQ(argb.size(), 400u);
    EXPECT_EQ(argb[210], 0xFF0000FFu);
}

TEST(QtControlDialog, ModalBusyRectAndNoGlView) {
    App();
    CQtBackend backend;
    CRecordingControlHandler handler;
    auto dialog = MakeDialog(backend, handler);
    ASSERT_TRUE(dialog);
    CQtControlWidget* widget = WidgetOf(dialog);
    dialog->SetModal(true);
    dialog->Show(true);  // returns at once
    EXPECT_TRUE(dialog->IsVisible());
    EXPECT_EQ(widget->windowModality(), Qt::ApplicationModal);
    dialog->SetBusy(true);
    EXPECT_EQ(widget->cursor().shape(), Qt::WaitCursor);
    dialog->SetBusy(false);
    EXPECT_EQ(widget->cursor().shape(), Qt::ArrowCursor);

    dialog->SetRect(WINDOW_RECT{30, 40, 360, 240});
    const WINDOW_RECT rect = dialog->GetRect();
    EXPECT_EQ(rect.width, 360);
    EXPECT_EQ(rect.height, 240);
    dialog->SetMinimumSize(200, 150);
    EXPECT_EQ(widget->minimumSize(), QSize(200, 150));
    dialog->SetTitle("Metronome");
    EXPECT_EQ(widget->windowTitle(), "Metronome");
    dialog->BringToFront();
    dialog->Show(false);
    EXPECT_FALSE(dialog->IsVisible());

    std::string error;
    EXPECT_EQ(dialog->GetGlView(error), nullptr);
    EXPECT_EQ(error, "a dialog has no 3D view");
}

TEST(QtControlDialog, ADialogNeedsBothHandlers) {
    App();
    CQtBackend backend;
    CRecordingControlHandler handler;
    std::string error;
    EXPECT_FALSE(backend.GetPlatform().windowSystem->CreateControlDialog(TempoDialog(), nullptr,
                                                                         &handler, nullptr, error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(backend.GetPlatform().windowSystem->CreateControlDialog(TempoDialog(), &handler,
                                                                         nullptr, nullptr, error));
    EXPECT_FALSE(error.empty());
}

TEST(QtControlDialog, ADialogOfAWindowIsItsChildAndGoesAwayWithItsObject) {
    App();
    CQtBackend backend;
    CRecordingControlHandler handler;
    std::string error;
    auto window = backend.GetPlatform().windowSystem->CreateTopLevelWindow(&handler, error);
    ASSERT_TRUE(window) << error;
    auto dialog = backend.GetPlatform().windowSystem->CreateControlDialog(
        TempoDialog(), &handler, &handler, window.get(), error);
    ASSERT_TRUE(dialog) << error;
    QPointer<CQtControlWidget> widget = WidgetOf(dialog);
    EXPECT_NE(widget->parentWidget(), nullptr);
    EXPECT_TRUE(widget->isWindow());
    EXPECT_NE(dialog->GetId(), window->GetId());
    dialog.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(widget.isNull());
}

// The items the editors need beyond the first dialogs: radio groups, an
// edit line, a list and an image button, each telling what the user did.
TEST(QtControlDialog, RadioGroupsEditLinesListsAndImageButtonsTellWhatTheUserDid) {
    App();
    CQtBackend backend;
    CRecordingControlHandler handler;
    DIALOG_TEMPLATE dialog;
    dialog.title = "Groove";
    dialog.width = 320;
    dialog.height = 220;
    constexpr int kSlow = 20, kFast = 21, kSwing = 22, kName = 23, kStyles = 24, kPlay = 25;
    CONTROL_ITEM slow{ControlKind::kRadioButton, kSlow, "Slow", {10, 10, 80, 20}, ""};
    CONTROL_ITEM fast{ControlKind::kRadioButton, kFast, "Fast", {10, 35, 80, 20}, ""};
    CONTROL_ITEM swing{ControlKind::kRadioButton, kSwing, "Swing", {110, 10, 80, 20}, ""};
    slow.group = fast.group = 1;
    swing.group = 2;
    dialog.items = {slow,
                    fast,
                    swing,
                    {ControlKind::kEditBox, kName, "Blues", {10, 60, 150, 24}, ""},
                    {ControlKind::kListBox, kStyles, "", {10, 90, 150, 80}, ""},
                    {ControlKind::kImageButton, kPlay, "", {200, 90, 32, 32}, "Play"}};
    std::string error;
    auto made = backend.GetPlatform().windowSystem->CreateControlDialog(dialog, &handler, &handler,
                                                                        nullptr, error);
    ASSERT_TRUE(made) << error;
    ShowAndSettle(*made);
    CQtControlWidget* widget = WidgetOf(made);
    ASSERT_TRUE(made->SetChecked(kSlow, true));
    ASSERT_TRUE(made->SetChecked(kSwing, true));
    EXPECT_TRUE(handler.events.empty()) << "the owner's own Set calls tell nothing";
    QTest::mouseClick(widget->findChild<QWidget*>("item21"), Qt::LeftButton);
    bool checked = true;
    ASSERT_TRUE(made->GetChecked(kSlow, checked));
    EXPECT_FALSE(checked) << "two choices of one group at once";
    ASSERT_TRUE(made->GetChecked(kSwing, checked));
    EXPECT_TRUE(checked) << "a choice of another group was taken away";
    ASSERT_FALSE(handler.events.empty());
    EXPECT_EQ(handler.events.back().id, kFast);
    EXPECT_EQ(handler.events.back().event, ControlEvent::kClicked);

    QWidget* name = widget->findChild<QWidget*>("item23");
    name->setFocus();
    QTest::keyClicks(name, " Shuffle");
    EXPECT_EQ(handler.events.back().event, ControlEvent::kEdited);
    std::string text;
    ASSERT_TRUE(made->GetItemText(kName, text));
    EXPECT_EQ(text, "Blues Shuffle");
    ASSERT_TRUE(made->SetItemText(kName, "Rock"));
    ASSERT_TRUE(made->GetItemText(kName, text));
    EXPECT_EQ(text, "Rock");

    ASSERT_TRUE(made->AddListItem(kStyles, "Blues"));
    ASSERT_TRUE(made->AddListItem(kStyles, "Rock"));
    ASSERT_TRUE(made->SelectListItem(kStyles, 0));
    const size_t heard = handler.events.size();
    auto* list = widget->findChild<QListWidget*>("item24");
    ASSERT_NE(list, nullptr);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    ASSERT_GT(handler.events.size(), heard);
    EXPECT_EQ(handler.events.back().event, ControlEvent::kSelectionChanged);
    int index = -1;
    ASSERT_TRUE(made->GetListSelection(kStyles, index));
    EXPECT_EQ(index, 1);

    const std::vector<uint32_t> face(32 * 32, 0xFF2060E0);
    ASSERT_TRUE(made->SetPicture(kPlay, 32, 32, face));
    QWidget* play = widget->findChild<QWidget*>("item25");
    QTest::mousePress(play, Qt::LeftButton);
    EXPECT_EQ(handler.events.back().event, ControlEvent::kPressed);
    QTest::mouseRelease(play, Qt::LeftButton);
    EXPECT_EQ(handler.events.back().event, ControlEvent::kReleased);
    EXPECT_EQ(handler.events.back().id, kPlay);
    EXPECT_EQ(widget->findChild<QLabel*>("item25")->pixmap().toImage().pixel(5, 5), 0xFF2060E0u);
}
