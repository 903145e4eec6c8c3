#include "platform/qt/QtWindowSystem.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include "platform/DebugOutput.h"
#include "platform/qt/QtControlDialog.h"
#include "platform/qt/QtControlWidget.h"
#include "platform/qt/QtDocumentDialog.h"
#include "platform/qt/QtDocumentWidget.h"
#include "platform/qt/QtEventLoop.h"
#include "platform/qt/QtFrameWidget.h"
#include "platform/qt/QtImagePainter.h"
#include "platform/qt/QtWindow.h"

CQtWindowSystem::CQtWindowSystem(CQtEventLoop& loop) : m_loop(loop) {}

std::unique_ptr<IWindow> CQtWindowSystem::CreateTopLevelWindow(IWindowHandler* handler,
                                                               std::string& error) {
    if (QGuiApplication::instance() == nullptr) {
        error = "no application object";
        return nullptr;
    }
    return std::make_unique<CQtWindow>(m_loop, handler);
}

std::unique_ptr<IDocumentDialog> CQtWindowSystem::CreateDocumentDialog(
    IWindowHandler* handler, IDocumentDialogHandler* documentHandler, IWindow* owner,
    std::string& error) {
    if (QGuiApplication::instance() == nullptr) {
        error = "no application object";
        return nullptr;
    }
    if (handler == nullptr || documentHandler == nullptr) {
        error = "a dialog needs its handlers";
        return nullptr;
    }
    QWidget* parent = nullptr;
    if (auto* window = dynamic_cast<CQtWindow*>(owner)) {
        parent = window->GetWidget();
    }
    return std::make_unique<CQtDocumentDialog>(m_loop, handler, documentHandler, parent);
}

std::unique_ptr<IControlDialog> CQtWindowSystem::CreateControlDialog(
    const DIALOG_TEMPLATE& dialog, IWindowHandler* handler, IControlDialogHandler* controlHandler,
    IWindow* owner, std::string& error) {
    if (QGuiApplication::instance() == nullptr) {
        error = "no application object";
        return nullptr;
    }
    if (handler == nullptr || controlHandler == nullptr) {
        error = "a dialog needs its handlers";
        return nullptr;
    }
    QWidget* parent = nullptr;
    if (auto* window = dynamic_cast<CQtWindow*>(owner)) {
        parent = window->GetWidget();
    }
    return std::make_unique<CQtControlDialog>(m_loop, dialog, handler, controlHandler, parent);
}

namespace {

QMessageBox::Icon ToQtIcon(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::kInformation:
            return QMessageBox::Information;
        case BoxIcon::kExclamation:
            return QMessageBox::Warning;
        case BoxIcon::kError:
            return QMessageBox::Critical;
        case BoxIcon::kQuestion:
            return QMessageBox::Question;
        default:
            return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons ToQtButtons(BoxButtons buttons) {
    switch (buttons) {
        case BoxButtons::kOkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case BoxButtons::kYesNo:
            return QMessageBox::Yes | QMessageBox::No;
        default:
            return QMessageBox::Ok;
    }
}

BoxResult FromQtButton(int button) {
    switch (button) {
        case QMessageBox::Yes:
            return BoxResult::kYes;
        case QMessageBox::No:
            return BoxResult::kNo;
        case QMessageBox::Cancel:
            return BoxResult::kCancel;
        default:
            return BoxResult::kOk;
    }
}

}  // namespace

BoxResult CQtWindowSystem::MessageBox(IWindow* owner, const char* text, const char* caption,
                                      BoxIcon icon, BoxButtons buttons) {
    const QString qtText = QString::fromUtf8(text != nullptr ? text : "");
    const QString qtCaption = QString::fromUtf8(caption != nullptr ? caption : "");
    Platform::WriteDebugOutput(
        QString("Message box \"%1\": %2").arg(qtCaption, qtText).toUtf8().constData());
    QWidget* parent = nullptr;
    if (auto* window = dynamic_cast<CQtWindow*>(owner)) {
        parent = window->GetWidget();
    }
    QMessageBox box(ToQtIcon(icon), qtCaption, qtText, ToQtButtons(buttons), parent);
    // The answer that changes nothing.
    const int answer = buttons == BoxButtons::kYesNo      ? QMessageBox::No
                       : buttons == BoxButtons::kOkCancel ? QMessageBox::Cancel
                                                          : QMessageBox::Ok;
    if (m_ending) {
        return FromQtButton(answer);  // the process ends: nobody answers now
    }
    if (m_boxTimeoutMs >= 0) {
        // An unattended run gives it.
        QTimer::singleShot(m_boxTimeoutMs, &box, [&box, answer] { box.done(answer); });
    }
    m_openBoxes.emplace_back(&box, answer);
    const int result = box.exec();
    m_openBoxes.pop_back();
    return FromQtButton(result);
}

void CQtWindowSystem::EndMessageBoxes() {
    m_ending = true;
    for (auto& [box, answer] : m_openBoxes) {
        box->done(answer);
    }
}

std::unique_ptr<IImagePainter> CQtWindowSystem::CreateImagePainter() {
    return std::make_unique<CQtImagePainter>();
}

WINDOW_RECT CQtWindowSystem::GetWorkArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return WINDOW_RECT{};
    }
    const QRect area = screen->availableGeometry();
    return WINDOW_RECT{area.x(), area.y(), area.width(), area.height()};
}

std::vector<WINDOW_RECT> CQtWindowSystem::GetScreenAreas() {
    std::vector<WINDOW_RECT> areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        areas.push_back(WINDOW_RECT{area.x(), area.y(), area.width(), area.height()});
    }
    return areas;
}

bool CQtWindowSystem::ChooseFileToSave(IWindow* owner, const char* title, const char* suggested,
                                       const char* filter, std::string& path) {
    QWidget* parent = nullptr;
    if (auto* window = dynamic_cast<CQtWindow*>(owner)) {
        parent = window->GetWidget();
    }
    const QString chosen = QFileDialog::getSaveFileName(
        parent, QString::fromUtf8(title), QString::fromUtf8(suggested), QString::fromUtf8(filter));
    if (chosen.isEmpty()) {
        return false;
    }
    path = chosen.toStdString();
    return true;
}

bool CQtWindowSystem::ChooseFileToOpen(IWindow* owner, const char* title, const char* folder,
                                       const char* filter, std::string& path) {
    QWidget* parent = nullptr;
    if (auto* window = dynamic_cast<CQtWindow*>(owner)) {
        parent = window->GetWidget();
    }
    const QString chosen = QFileDialog::getOpenFileName(
        parent, QString::fromUtf8(title), QString::fromUtf8(folder), QString::fromUtf8(filter));
    if (chosen.isEmpty()) {
        return false;
    }
    path = chosen.toStdString();
    return true;
}

namespace {

// The widget whose top left is the owner's client point (0, 0), or null.
QWidget* ClientWidgetOf(IWindow* owner) {
    if (auto* window = dynamic_cast<CQtWindow*>(owner)) {
        QMainWindow* frame = window->GetWidget();
        return frame->centralWidget() != nullptr ? frame->centralWidget() : frame;
    }
    if (auto* dialog = dynamic_cast<CQtControlDialog*>(owner)) {
        return dialog->GetWidget();
    }
    if (auto* dialog = dynamic_cast<CQtDocumentDialog*>(owner)) {
        return dialog->GetWidget();
    }
    return nullptr;
}

// Adds the items to menu; each chosen action carries its command id.
void AddPopupItems(QMenu* menu, const std::vector<MENU_ITEM>& items) {
    for (const MENU_ITEM& item : items) {
        const QString text = QString::fromStdString(item.text);
        if (!item.items.empty()) {
            QMenu* submenu = menu->addMenu(text);
            submenu->setEnabled(item.enabled);
            AddPopupItems(submenu, item.items);
        } else if (item.text.empty() && item.commandId == 0) {
            menu->addSeparator();
        } else {
            QAction* action = menu->addAction(text);
            action->setData(item.commandId);
            action->setEnabled(item.enabled);
            action->setCheckable(item.checkable || item.checked);
            action->setChecked(item.checked);
        }
    }
}

}  // namespace

int CQtWindowSystem::PopupMenu(IWindow* owner, const std::vector<MENU_ITEM>& menu, int x, int y) {
    if (QGuiApplication::instance() == nullptr || menu.empty()) {
        return 0;
    }
    QWidget* client = ClientWidgetOf(owner);
    QMenu popup(client);
    AddPopupItems(&popup, menu);
    const QPoint at = client != nullptr ? client->mapToGlobal(QPoint(x, y)) : QPoint(x, y);
    // A submenu's item comes back through the signal, not always from exec.
    int chosen = 0;
    QObject::connect(&popup, &QMenu::triggered,
                     [&chosen](const QAction* action) { chosen = action->data().toInt(); });
    if (const QAction* action = popup.exec(at)) {
        chosen = action->data().toInt();
    }
    return chosen;
}
