#include "editors/ModalDlg.h"

namespace {

constexpr int kMargin = 10;
constexpr int kLabelWidth = 80;
constexpr int kRow = 30;
constexpr int kItemHeight = 24;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;

}  // namespace

void CModalDlg::AddRow(DIALOG_TEMPLATE& dialog, int row, const char* label, ControlKind kind,
                       int id) {
    const int y = kMargin + row * kRow;
    dialog.items.push_back({ControlKind::kLabel, 0, label, {kMargin, y + 4, kLabelWidth, 20}, ""});
    dialog.items.push_back(
        {kind,
         id,
         "",
         {kMargin + kLabelWidth, y, dialog.width - 2 * kMargin - kLabelWidth, kItemHeight},
         ""});
}

void CModalDlg::AddOkCancel(DIALOG_TEMPLATE& dialog) {
    const int top = dialog.height - kMargin - kButtonHeight;
    const int okLeft = dialog.width - 2 * (kButtonWidth + kMargin);
    dialog.items.push_back({ControlKind::kButton,
                            IControlDialog::kIdOk,
                            "OK",
                            {okLeft, top, kButtonWidth, kButtonHeight},
                            ""});
    dialog.items.push_back(
        {ControlKind::kButton,
         IControlDialog::kIdCancel,
         "Cancel",
         {dialog.width - kButtonWidth - kMargin, top, kButtonWidth, kButtonHeight},
         ""});
}

CModalDlg::CModalDlg(int typeId, IWindowSystem& windowSystem, IEventLoop& eventLoop)
    : CBaseWindow(typeId, windowSystem, eventLoop) {}

CModalDlg::~CModalDlg() {
    Destroy(2);
}

bool CModalDlg::Open(const DIALOG_TEMPLATE& dialog, IWindow* owner) {
    m_dialog = AdoptControlDialog(dialog, this, owner);
    if (m_dialog == nullptr) {
        return false;
    }
    WINDOW_RECT rect = m_dialog->GetRect();
    rect.width = dialog.width;
    rect.height = dialog.height;
    if (owner != nullptr) {
        const WINDOW_RECT around = owner->GetRect();
        rect.left = around.left + (around.width - dialog.width) / 2;
        rect.top = around.top + (around.height - dialog.height) / 2;
    }
    m_dialog->SetRect(rect);
    m_dialog->SetModal(true);
    return Show(true);
}

bool CModalDlg::Refuse(const char* text, const char* caption) {
    m_windowSystem.MessageBox(GetWindow(), text, caption, BoxIcon::kExclamation, BoxButtons::kOk);
    return false;
}

void CModalDlg::OnControl(int id, ControlEvent event) {
    if (event != ControlEvent::kClicked || m_finished) {
        return;
    }
    if (id == IControlDialog::kIdOk) {
        if (OnOk()) {
            Finish(true);
        }
    } else if (id == IControlDialog::kIdCancel) {
        Finish(false);
    }
}

void CModalDlg::OnClose() {
    if (!m_finished) {
        Finish(false);
    }
}

void CModalDlg::OnDestroy(int) {
    m_dialog = nullptr;
}

void CModalDlg::Finish(bool accepted) {
    m_finished = true;
    m_accepted = accepted;
    Show(false);
}
