#include "editors/EditDlg.h"

#include "ui/EditBox.h"

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 100;
constexpr int kMargin = 10;

}  // namespace

CEditDlg::CEditDlg(IWindowSystem& windowSystem, IEventLoop& eventLoop)
    : CModalDlg(kTypeId, windowSystem, eventLoop) {}

DIALOG_TEMPLATE CEditDlg::MakeTemplate(const char* title) {
    DIALOG_TEMPLATE dialog;
    dialog.title = title;
    dialog.width = kWidth;
    dialog.height = kHeight;
    dialog.items.push_back(
        {ControlKind::kEditBox, kTextId, "", {kMargin, kMargin, kWidth - 2 * kMargin, 24}, ""});
    AddOkCancel(dialog);
    return dialog;
}

bool CEditDlg::Ask(IWindow* owner, const char* title, const char* text, Receiver receiver) {
    m_title = title;
    m_receiver = std::move(receiver);
    if (!Open(MakeTemplate(title), owner)) {
        return false;
    }
    return m_dialog->SetItemText(kTextId, text);
}

bool CEditDlg::OnOk() {
    CEditBox edit;
    edit.Attach(m_dialog, kTextId);
    CCharString text;
    edit.GetText(text);
    if (text.IsEmpty()) {
        return Refuse(kEmptyText, m_title);
    }
    return !m_receiver || m_receiver(text);
}
