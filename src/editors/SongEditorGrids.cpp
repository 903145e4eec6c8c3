// The Song Editor's five grid views: painting them and what their pointer
// gestures and menus do to the groove.
#include "editors/SongEditorDlg.h"

#include <cmath>

#include "editors/GridPicture.h"
#include "editors/SongEditorLayout.h"
#include "grids/GridMenu.h"

namespace {

using L = CSongEditorLayout;

}  // namespace

void CSongEditorDlg::AttachGridViews() {
    m_views.clear();
    for (int i = 0; i < CGrooveGrids::kGridCount; ++i) {
        auto view = std::make_unique<CNoteGridView>(m_windowSystem, m_grids.GetGrid(i));
        view->Attach(m_dialog, L::kGridViews[i], L::GetItemRect(L::kGridViews[i]));
        view->SetHandlers(
            [this, i]() {
                m_grids.GridEdited(i);
                RefreshGridViews();
            },
            [this](int commandId) { RunGrooveCommand(commandId); });
        m_views.push_back(std::move(view));
    }
}

void CSongEditorDlg::RefreshGridViews() {
    for (const auto& view : m_views) {
        view->ShowNoteNames(m_grids.ShowsNoteNames());
        view->Refresh();
    }
}

// The play-head follows a groove that plays (after a take's count-in) and
// is repainted only when it enters another cell.
void CSongEditorDlg::ShowPlayTime(double elapsed) {
    const double grooveLength = m_grids.GetMeasureLength() * m_grids.GetMeasures();
    double time = CGridPicture::kNoPlayHead;
    const bool groovePlays = m_playing == kGroove || (m_playing == kRecording && m_takeIntoGroove);
    if (groovePlays && elapsed >= m_playLead && grooveLength > 0.0 && m_grids.HasGroove()) {
        time = std::fmod(elapsed - m_playLead, grooveLength);
    }
    const int column = time == CGridPicture::kNoPlayHead
                           ? -1
                           : m_grids.GetGrid(CGrooveGrids::kTop).GetLayout().FindColumn(time);
    if (column == m_playColumn) {
        return;
    }
    m_playColumn = column;
    for (const auto& view : m_views) {
        view->SetPlayTime(column < 0 ? CGridPicture::kNoPlayHead : time);
        view->Refresh();
    }
}

void CSongEditorDlg::OnPointer(int id, const POINTER_EVENT& event) {
    for (const auto& view : m_views) {
        if (view->GetId() == id && m_grids.HasGroove()) {
            view->OnPointer(event);
        }
    }
}

void CSongEditorDlg::RunGrooveCommand(int commandId) {
    if (commandId == CGridMenu::kDeleteLastMeasure) {
        DeleteLastMeasure();
    } else if (commandId == CGridMenu::kAddMeasure && !m_grids.AddMeasure()) {
        Box(m_grids.GetError(), L::kTitle);
    }
    RefreshGridViews();
}
