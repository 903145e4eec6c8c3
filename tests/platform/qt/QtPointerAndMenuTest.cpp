// Image buttons telling the pointer's place and buttons, and popup menus,
// on Qt.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "QtTestApp.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtControlDialog.h"
#include "platform/qt/QtControlWidget.h"

namespace {

constexpr int kGrid = 40;
constexpr int kCommandA = 501;
constexpr int kCommandB = 502;
constexpr int kGreyed = 503;
constexpr int kTicked = 504;

DIALOG_TEMPLATE GridDialog() {
    DIALOG_TEMPLATE dialog;
    dialog.title = "Grid";
    dialog.width = 300;
    dialog.height = 200;
    dialog.items = {{ControlKind::kImageButton, kGrid, "", {20, 30, 200, 100}, ""}};
    return dialog;
}

class CPointerHandler : public IWindowHandler, public IControlDialogHandler {
public:
    void OnMessage(int, std::unique_ptr<IPayload>) override {}
    void OnTimer(int) override {}
    void OnCommand(int) override {}
    void OnCloseRequest() override {}
    void OnControl(int id, ControlEvent event) override {
        if (id == kGrid) {
            controls.push_back(event);
        }
    }
    void OnPointer(int id, const POINTER_EVENT& event) override {
        if (id == kGrid) {
            pointers.push_back(event);
        }
    }

    std::vector<ControlEvent> controls;
    std::vector<POINTER_EVENT> pointers;
};

std::vector<MENU_ITEM> MakeMenu() {
    std::vector<MENU_ITEM> menu(4);
    menu[0].text = "First";
    menu[0].commandId = kCommandA;
    menu[1].text = "Greyed";
    menu[1].commandId = kGreyed;
    menu[1].enabled = false;
    menu[2].text = "Ticked";
    menu[2].commandId = kTicked;
    menu[2].checked = true;
    menu[3].text = "More";
    menu[3].items.resize(1);
    menu[3].items[0].text = "Second";
    menu[3].items[0].commandId = kCommandB;
    return menu;
}

// The action of the open popup menu (or its submenus) for command, or null.
QAction* FindAction(QMenu* menu, int command) {
    for (QAction* action : menu->actions()) {
        if (action->menu() != nullptr) {
            if (QAction* inner = FindAction(action->menu(), command)) {
                return inner;
            }
        } else if (action->data().toInt() == command) {
            return action;
        }
    }
    return nullptr;
}

// Presses Return in the submenu that parent opened, once it is up.
void PressReturnInSubmenu(QWidget* parent) {
    QWidget* popup = QApplication::activePopupWidget();
    if (popup == nullptr || popup == parent) {
        QTimer::singleShot(1, [parent] { PressReturnInSubmenu(parent); });
        return;
    }
    QTest::keyClick(popup, Qt::Key_Return);
}

}  // namespace

TEST(QtPointer, AnImageButtonTellsWherePressMoveAndReleaseHappen) {
    App();
    CQtBackend backend;
    CPointerHandler handler;
    std::string error;
    auto dialog = backend.GetPlatform().windowSystem->CreateControlDialog(GridDialog(), &handler,
                                                                          &handler, nullptr, error);
    ASSERT_TRUE(dialog) << error;
    dialog->Show(true);
    auto* widget = static_cast<CQtControlDialog*>(dialog.get())->GetWidget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
    QLabel* grid = widget->Find<QLabel>(kGrid);
    ASSERT_NE(grid, nullptr);

    QTest::mousePress(grid, Qt::LeftButton, Qt::ControlModifier, QPoint(10, 20));
    QTest::mouseMove(grid, QPoint(50, 25));
    QTest::mouseRelease(grid, Qt::LeftButton, Qt::NoModifier, QPoint(60, 30));
    QTest::mouseClick(grid, Qt::RightButton, Qt::NoModifier, QPoint(70, 40));

    ASSERT_GE(handler.pointers.size(), 5u);
    const POINTER_EVENT& press = handler.pointers.front();
    EXPECT_EQ(press.kind, POINTER_EVENT::kPress);
    EXPECT_EQ(press.button, POINTER_EVENT::kLeft);
    EXPECT_EQ(press.x, 10);
    EXPECT_EQ(press.y, 20);
    EXPECT_TRUE(press.ctrl);
    bool movedHeld = false;
    for (const POINTER_EVENT& event : handler.pointers) {
        movedHeld = movedHeld || (event.kind == POINTER_EVENT::kMove && event.x == 50 &&
                                  event.y == 25 && event.button == POINTER_EVENT::kLeft);
    }
    EXPECT_TRUE(movedHeld) << "a move with the left button held";
    const auto release =
        std::find_if(handler.pointers.begin(), handler.pointers.end(),
                     [](const POINTER_EVENT& e) { return e.kind == POINTER_EVENT::kRelease; });
    ASSERT_NE(release, handler.pointers.end());
    EXPECT_EQ(release->x, 60);
    EXPECT_EQ(release->button, POINTER_EVENT::kLeft);
    EXPECT_FALSE(release->ctrl);
    const POINTER_EVENT& right = handler.pointers.back();
    EXPECT_EQ(right.kind, POINTER_EVENT::kRelease);
    EXPECT_EQ(right.button, POINTER_EVENT::kRight);
    EXPECT_EQ(right.x, 70);
    // The button events are still told.
    ASSERT_GE(handler.controls.size(), 4u);
    EXPECT_EQ(handler.controls[0], ControlEvent::kPressed);
    EXPECT_EQ(handler.controls[1], ControlEvent::kReleased);
}

TEST(QtPopupMenu, TheChosenItemsCommandComesBackAndGreyedAndTickedItemsShowSo) {
    App();
    CQtBackend backend;
    CPointerHandler handler;
    std::string error;
    auto dialog = backend.GetPlatform().windowSystem->CreateControlDialog(GridDialog(), &handler,
                                                                          &handler, nullptr, error);
    ASSERT_TRUE(dialog) << error;
    dialog->Show(true);
    auto* widget = static_cast<CQtControlDialog*>(dialog.get())->GetWidget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));

    bool greyed = false;
    bool ticked = false;
    QPoint shownAt;
    // The user goes down to "More" (passing the greyed item), opens it and
    // takes its item.
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        shownAt = menu->pos();
        greyed = !FindAction(menu, kGreyed)->isEnabled();
        ticked = FindAction(menu, kTicked)->isChecked();
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(menu, Qt::Key_Down);
        }
        QTest::keyClick(menu, Qt::Key_Right);
        PressReturnInSubmenu(menu);
    });
    const int chosen =
        backend.GetPlatform().windowSystem->PopupMenu(dialog.get(), MakeMenu(), 30, 40);
    EXPECT_EQ(chosen, kCommandB);
    EXPECT_TRUE(greyed);
    EXPECT_TRUE(ticked);
    EXPECT_EQ(shownAt, widget->mapToGlobal(QPoint(30, 40)));

    QTimer::singleShot(0, [] {
        auto* menu = QApplication::activePopupWidget();
        ASSERT_NE(menu, nullptr);
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    EXPECT_EQ(backend.GetPlatform().windowSystem->PopupMenu(dialog.get(), MakeMenu(), 5, 5),
              kCommandA);

    QTimer::singleShot(0, [] {
        if (QWidget* menu = QApplication::activePopupWidget()) {
            menu->close();
        }
    });
    EXPECT_EQ(backend.GetPlatform().windowSystem->PopupMenu(dialog.get(), MakeMenu(), 5, 5), 0)
        << "a dismissed menu";
}
