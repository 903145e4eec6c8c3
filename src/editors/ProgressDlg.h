#pragma once

#include <vector>

#include "history/PracticeHistory.h"
#include "platform/ControlDialog.h"
#include "ui/BaseWindow.h"
#include "ui/ProgressChart.h"

// Where the progress window stands, as it is kept between runs.
using PROGRESS_PLACEMENT = DIALOG_PLACEMENT;

// The learner's progress: the last four weeks and the map of the notes,
// painted from the practice history when asked. A modeless dialog, hidden
// and shown by the menu.
class CProgressDlg : public CBaseWindow, private IControlDialogHandler {
public:
    static constexpr int kTypeId = 12;
    static constexpr const char* kTitle = "Progress";
    static constexpr int kDaysPictureId = 1601;
    static constexpr int kNotesPictureId = 1602;
    static constexpr int kSummaryId = 1603;  // the streak and the last week

    static DIALOG_TEMPLATE MakeTemplate();

    CProgressDlg(IWindowSystem& windowSystem, IEventLoop& eventLoop);
    ~CProgressDlg() override;

    // Makes the dialog, owned by owner; a first run puts it at the owner's
    // top-left corner, ownerRect. False with the reason.
    bool CreateDialog(IWindow* owner, const WINDOW_RECT& ownerRect,
                      const PROGRESS_PLACEMENT& placement);
    // Reads the last days up to now (Unix seconds) and the notes' statistics
    // from history and paints them; false with the reason.
    bool Refresh(CPracticeHistory& history, double now);
    // Paints the statistics given; false with the reason.
    bool Paint(const std::vector<PRACTICE_DAY>& days, const std::vector<PRACTICE_NOTE_STATS>& notes,
               double now, const std::vector<PRACTICE_LESSON_PACE>& paces = {});
    PROGRESS_PLACEMENT GetPlacement() const;

protected:
    void OnClose() override;
    void OnDestroy(int code) override;

private:
    void OnControl(int id, ControlEvent event) override;

    IControlDialog* m_dialog = nullptr;  // the window the base owns
    CProgressChart m_chart;
    PROGRESS_PLACEMENT m_placement;
};
