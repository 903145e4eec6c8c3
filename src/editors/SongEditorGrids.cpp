// The Song Editor's five grid views: painting them and what their pointer
// gestures and menus do to the groove.
#include "editors/SongEditorDlg.h"
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
