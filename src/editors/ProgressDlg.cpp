#include "editors/ProgressDlg.h"

#include <memory>
#include <string>

#include "exercise/PracticeSummary.h"
#include "platform/ImagePainter.h"
#include "platform/WindowSystem.h"

namespace {

// The dialog's layout, in pixels.
constexpr int kMargin = 12;
constexpr int kGap = 10;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr int kDialogWidth = CProgressChart::kWidth + 2 * kMargin;
constexpr int kNotesY = kMargin + CProgressChart::kDaysHeight + kGap;
constexpr int kButtonY = kNotesY + CProgressChart::kNotesHeight + kGap;

CONTROL_ITEM Item(ControlKind kind, int id, const char* text, int x, int y, int width, int height) {
    return CONTROL_ITEM{kind, id, text, WINDOW_RECT{x, y, width, height}, ""};
}

}  // namespace

DIALOG_TEMPLATE CProgressDlg::MakeTemplate() {
    DIALOG_TEMPLATE dialog;
    dialog.title = kTitle;
    dialog.width = kDialogWidth;
    dialog.height = kButtonY + kButtonHeight + kMargin;
    dialog.items.push_back(Item(ControlKind::kPicture, kDaysPictureId, "", kMargin, kMargin,
                                CProgressChart::kWidth, CProgressChart::kDaysHeight));
    dialog.items.push_back(Item(ControlKind::kPicture, kNotesPictureId, "", kMargin, kNotesY,
                                CProgressChart::kWidth, CProgressChart::kNotesHeight));
    dialog.items.push_back(Item(ControlKind::kLabel, kSummaryId, "", kMargin, kButtonY,
                                kDialogWidth - 2 * kMargin - kButtonWidth - kGap, kButtonHeight));
    dialog.items.push_back(Item(ControlKind::kButton, IControlDialog::kIdCancel, "Close",
                                kDialogWidth - kButtonWidth - kMargin, kButtonY, kButtonWidth,
                                kButtonHeight));
    return dialog;
}

CProgressDlg::CProgressDlg(IWindowSystem& windowSystem, IEventLoop& eventLoop)
    : CBaseWindow(kTypeId, windowSystem, eventLoop) {}

CProgressDlg::~CProgressDlg() {
    Destroy(2);
}

bool CProgressDlg::CreateDialog(IWindow* owner, const WINDOW_RECT& ownerRect,
                                const PROGRESS_PLACEMENT& placement) {
    const DIALOG_TEMPLATE dialog = MakeTemplate();
    m_dialog = AdoptControlDialog(dialog, this, owner);
    if (m_dialog == nullptr) {
        return false;
    }
    m_placement = placement;
    // Moved, not resized: the dialog keeps the size of its pictures.
    WINDOW_RECT rect = m_dialog->GetRect();
    rect.left = placement.placed ? placement.rect.left : ownerRect.left;
    rect.top = placement.placed ? placement.rect.top : ownerRect.top;
    rect.width = dialog.width;
    rect.height = dialog.height;
    m_dialog->SetRect(rect);
    if (placement.placed && placement.visible) {
        Show(true);
    }
    return true;
}

bool CProgressDlg::Refresh(CPracticeHistory& history, double now) {
    std::vector<PRACTICE_DAY> days;
    std::vector<PRACTICE_NOTE_STATS> notes;
    std::vector<PRACTICE_LESSON_PACE> paces;
    if (!history.GetDays(CProgressChart::kDays, now, days) || !history.GetNoteStats(notes) ||
        !history.GetLessonPaces(paces)) {
        m_error.Format("Can't read the practice history: %s", history.GetError());
        return false;
    }
    return Paint(days, notes, now, paces);
}

bool CProgressDlg::Paint(const std::vector<PRACTICE_DAY>& days,
                         const std::vector<PRACTICE_NOTE_STATS>& notes, double now,
                         const std::vector<PRACTICE_LESSON_PACE>& paces) {
    if (m_dialog == nullptr) {
        m_error = "Can't paint the progress: the dialog is not made";
        return false;
    }
    std::unique_ptr<IImagePainter> painter = m_windowSystem.CreateImagePainter();
    if (!painter) {
        m_error = "Can't paint the progress: this platform paints no pictures";
        return false;
    }
    std::vector<uint32_t> pixels;
    if (!m_chart.PaintDays(*painter, days, now, pixels) ||
        !m_dialog->SetPicture(kDaysPictureId, CProgressChart::kWidth, CProgressChart::kDaysHeight,
                              pixels) ||
        !m_chart.PaintNotes(*painter, notes, pixels) ||
        !m_dialog->SetPicture(kNotesPictureId, CProgressChart::kWidth, CProgressChart::kNotesHeight,
                              pixels)) {
        m_error =
            *m_chart.GetError() != '\0' ? m_chart.GetError() : "Can't show the progress pictures";
        return false;
    }
    // Each note's figures show when the pointer rests on its dot or key.
    m_dialog->SetPictureTips(kNotesPictureId, CProgressChart::NoteTips(notes));
    const std::string pace = CPracticeSummary::DescribePaces(paces);
    std::string summary = CPracticeSummary::Describe(days, now, CProgressChart::kDays);
    if (days.empty() && !pace.empty()) {
        // Practice older than the chart's days is still practice.
        summary = "No practice in the last " + std::to_string(CProgressChart::kDays) + " days.";
    }
    if (!pace.empty()) {
        summary += " " + pace;
    }
    m_dialog->SetItemText(kSummaryId, summary.c_str());
    return true;
}

void CProgressDlg::OnControl(int id, ControlEvent event) {
    if (event == ControlEvent::kClicked && id == IControlDialog::kIdCancel) {
        OnClose();
    }
}

PROGRESS_PLACEMENT CProgressDlg::GetPlacement() const {
    return PlacementOf(m_dialog, m_placement);
}

void CProgressDlg::OnClose() {
    // Closing only hides the window; its owner refreshes it when shown again.
    Show(false);
}

void CProgressDlg::OnDestroy(int) {
    m_placement = GetPlacement();
    m_dialog = nullptr;
}
