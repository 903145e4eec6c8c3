#include "editors/NoteGridView.h"

#include <string>

#include "editors/GridPicture.h"
#include "grids/GridMenu.h"
#include "grids/NoteGrid.h"
#include "platform/WindowSystem.h"

namespace {

std::vector<MENU_ITEM> ToMenu(const std::vector<GRID_MENU_ITEM>& items) {
    std::vector<MENU_ITEM> menu;
    menu.reserve(items.size());
    for (const GRID_MENU_ITEM& item : items) {
        MENU_ITEM entry;
        entry.text = item.text.GetText();
        entry.commandId = item.items.empty() ? item.id : 0;
        entry.enabled = item.enabled;
        entry.checkable = item.checked;
        entry.checked = item.checked;
        entry.items = ToMenu(item.items);
        menu.push_back(std::move(entry));
    }
    return menu;
}

}  // namespace

CNoteGridView::CNoteGridView(IWindowSystem& windowSystem, CNoteGrid& grid)
    : m_windowSystem(windowSystem), m_grid(grid), m_mouse(grid) {}

CNoteGridView::~CNoteGridView() = default;

void CNoteGridView::Attach(IControlDialog* dialog, int id, const WINDOW_RECT& rect) {
    m_dialog = dialog;
    m_id = id;
    m_rect = rect;
}

void CNoteGridView::SetHandlers(EditedHandler edited, GrooveCommandHandler grooveCommand) {
    m_edited = std::move(edited);
    m_grooveCommand = std::move(grooveCommand);
}

bool CNoteGridView::Refresh() {
    if (m_dialog == nullptr) {
        return false;
    }
    std::unique_ptr<IImagePainter> painter = m_windowSystem.CreateImagePainter();
    if (painter == nullptr) {
        m_error = "Can't paint the grid: no painter";
        return false;
    }
    const CGridPicture picture(m_grid, m_rect.width, m_rect.height);
    std::string reason;
    if (!picture.Paint(*painter, m_noteNames, reason, m_playTime) ||
        !painter->End(m_pixels, reason)) {
        m_error.Format("Can't paint the grid: %s", reason.c_str());
        return false;
    }
    if (!m_dialog->SetPicture(m_id, picture.GetWidth(), picture.GetHeight(), m_pixels)) {
        m_error = "Can't show the grid's picture";
        return false;
    }
    return true;
}

bool CNoteGridView::HitTest(int x, int y, GRID_CELL& cell, double& fraction) const {
    return CGridPicture(m_grid, m_rect.width, m_rect.height).HitTest(x, y, cell, fraction);
}

void CNoteGridView::OnPointer(const POINTER_EVENT& event) {
    switch (event.kind) {
        case POINTER_EVENT::kPress:
            if (event.button == POINTER_EVENT::kLeft) {
                Press(event);
            } else if (event.button == POINTER_EVENT::kRight && !m_dragging) {
                PopupMenu(event);
            }
            break;
        case POINTER_EVENT::kMove:
            Drag(event);
            break;
        case POINTER_EVENT::kRelease:
            if (event.button == POINTER_EVENT::kLeft) {
                Release(event);
            }
            break;
        case POINTER_EVENT::kLeave:
            break;  // the gesture goes on: a held button keeps the pointer
    }
}

void CNoteGridView::Press(const POINTER_EVENT& event) {
    GRID_CELL cell;
    double fraction = 0.0;
    if (!HitTest(event.x, event.y, cell, fraction)) {
        return;
    }
    if (!m_mouse.Press(cell, fraction, event.ctrl)) {
        return;
    }
    if (m_mouse.GetGesture() == GESTURE_NONE) {
        Edited();  // Ctrl deleted a note
        return;
    }
    m_dragging = true;
    Refresh();
}

void CNoteGridView::Drag(const POINTER_EVENT& event) {
    if (!m_dragging) {
        return;
    }
    if (event.button != POINTER_EVENT::kLeft) {
        // The button came up where we did not hear it.
        m_mouse.Cancel();
        m_dragging = false;
        Refresh();
        return;
    }
    GRID_CELL cell;
    double fraction = 0.0;
    HitTest(event.x, event.y, cell, fraction);
    if (m_mouse.Drag(cell, fraction)) {
        Refresh();
    }
}

void CNoteGridView::Release(const POINTER_EVENT& event) {
    if (!m_dragging) {
        return;
    }
    m_dragging = false;
    GRID_CELL cell;
    double fraction = 0.0;
    HitTest(event.x, event.y, cell, fraction);
    if (m_mouse.Release(cell, fraction)) {
        Edited();
    }
}

void CNoteGridView::PopupMenu(const POINTER_EVENT& event) {
    GRID_CELL cell;
    double fraction = 0.0;
    if (m_dialog == nullptr || !HitTest(event.x, event.y, cell, fraction)) {
        return;
    }
    const std::vector<GRID_MENU_ITEM> items = CGridMenu::Build(m_grid, cell);
    if (items.empty()) {
        return;
    }
    const int chosen = m_windowSystem.PopupMenu(m_dialog, ToMenu(items), m_rect.left + event.x,
                                                m_rect.top + event.y);
    if (chosen == 0) {
        return;
    }
    if (CGridMenu::IsGrooveCommand(chosen)) {
        if (m_grooveCommand) {
            m_grooveCommand(chosen);
        }
        return;
    }
    if (!CGridMenu::Run(m_grid, chosen, cell)) {
        m_error = m_grid.GetError();
        return;
    }
    // The display is no edit: nothing to undo.
    if (chosen == CGridMenu::kShowNotes || chosen == CGridMenu::kShowTabs) {
        Refresh();
    } else {
        Edited();
    }
}

void CNoteGridView::Edited() {
    if (m_edited) {
        m_edited();
    }
    Refresh();
}
