#include "editors/LessonDoneDlg.h"

namespace {

constexpr int kWidth = 380;
// Room for the report's four lines, each wrapped once (five missed notes).
constexpr int kHeight = 260;
constexpr int kMargin = 12;
constexpr int kButtonWidth = 110;
constexpr int kButtonHeight = 28;
constexpr int kButtonGap = 8;

}  // namespace

CLessonDoneDlg::CLessonDoneDlg(IWindowSystem& windowSystem, IEventLoop& eventLoop)
    : CBaseWindow(kTypeId, windowSystem, eventLoop) {}

CLessonDoneDlg::~CLessonDoneDlg() {
    Destroy(2);
}

DIALOG_TEMPLATE CLessonDoneDlg::MakeTemplate() {
    DIALOG_TEMPLATE dialog;
    dialog.title = kTitle;
    dialog.width = kWidth;
    dialog.height = kHeight;
    const int buttonTop = kHeight - kMargin - kButtonHeight;
    dialog.items.push_back({ControlKind::kLabel,
                            kReportId,
                            "",
                            {kMargin, kMargin, kWidth - 2 * kMargin, buttonTop - 2 * kMargin},
                            ""});
    int left = kWidth - kMargin - 3 * kButtonWidth - 2 * kButtonGap;
    dialog.items.push_back({ControlKind::kButton,
                            kNextId,
                            "Next lesson",
                            {left, buttonTop, kButtonWidth, kButtonHeight},
                            "Go on to the next lesson of the course"});
    left += kButtonWidth + kButtonGap;
    dialog.items.push_back({ControlKind::kButton,
                            kAgainId,
                            "Again",
                            {left, buttonTop, kButtonWidth, kButtonHeight},
                            "Play this lesson once more"});
    left += kButtonWidth + kButtonGap;
    dialog.items.push_back({ControlKind::kButton,
                            IControlDialog::kIdCancel,
                            "Close",
                            {left, buttonTop, kButtonWidth, kButtonHeight},
                            ""});
    return dialog;
}

bool CLessonDoneDlg::ShowReport(IWindow* owner, const WINDOW_RECT& ownerRect,
                                const std::string& report, bool hasNext) {
    if (m_dialog == nullptr) {
        const DIALOG_TEMPLATE dialog = MakeTemplate();
        m_dialog = AdoptControlDialog(dialog, this, owner);
        if (m_dialog == nullptr) {
            return false;
        }
        WINDOW_RECT rect = m_dialog->GetRect();
        rect.width = kWidth;
        rect.height = kHeight;
        rect.left = ownerRect.left + (ownerRect.width - kWidth) / 2;
        rect.top = ownerRect.top + (ownerRect.height - kHeight) / 2;
        m_dialog->SetRect(rect);
    }
    m_report = report;
    m_dialog->SetItemText(kReportId, report.c_str());
    m_dialog->EnableItem(kNextId, hasNext);
    return Show(true);
}

void CLessonDoneDlg::OnControl(int id, ControlEvent event) {
    if (event != ControlEvent::kClicked) {
        return;
    }
    if (id == kNextId || id == kAgainId) {
        Show(false);
        if (m_receiver) {
            m_receiver(id == kNextId ? CHOICE::kNext : CHOICE::kAgain);
        }
    } else if (id == IControlDialog::kIdCancel) {
        OnClose();
    }
}

void CLessonDoneDlg::OnClose() {
    Show(false);
}

void CLessonDoneDlg::OnDestroy(int) {
    m_dialog = nullptr;
}
