#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "foundation/CharString.h"
#include "grids/GridMouse.h"
#include "platform/ControlDialog.h"
#include "platform/Window.h"

class CGridPicture;
class CNoteGrid;
class IWindowSystem;

// One note grid of the Song Editor shown in an image button of its dialog:
// paints the grid, draws, moves and stretches notes with the left button
// (Ctrl deletes) and opens the grid's menu with the right one. Tells its
// owner each completed edit, and hands on the menu's commands that change
// the whole groove. Failures keep a "Can't ..." text for GetError.
class CNoteGridView {
public:
    // A completed edit of the grid.
    using EditedHandler = std::function<void()>;
    // A menu command for the whole groove (CGridMenu::IsGrooveCommand).
    using GrooveCommandHandler = std::function<void(int commandId)>;

    // grid and windowSystem must outlive the view.
    CNoteGridView(IWindowSystem& windowSystem, CNoteGrid& grid);
    ~CNoteGridView();
    CNoteGridView(const CNoteGridView&) = delete;
    CNoteGridView& operator=(const CNoteGridView&) = delete;

    // Shows the grid in the image button id of dialog, which lies at rect
    // of the dialog's client area.
    void Attach(IControlDialog* dialog, int id, const WINDOW_RECT& rect);
    void SetHandlers(EditedHandler edited, GrooveCommandHandler grooveCommand);
    int GetId() const { return m_id; }

    // Paints the grid again and shows it; false with the reason.
    bool Refresh();
    void ShowNoteNames(bool show) { m_noteNames = show; }
    // Where the play-head stands, in seconds of the groove
    // (CGridPicture::kNoPlayHead: none); shown at the next Refresh.
    void SetPlayTime(double seconds) { m_playTime = seconds; }
    double GetPlayTime() const { return m_playTime; }

    // The cell under a point of the picture and the point's place across
    // it; false off the cells.
    bool HitTest(int x, int y, GRID_CELL& cell, double& fraction) const;
    // The pointer on the view's picture.
    void OnPointer(const POINTER_EVENT& event);

    // The pixels shown last, width x height, top row first.
    const std::vector<uint32_t>& GetPixels() const { return m_pixels; }
    int GetWidth() const { return m_rect.width; }
    int GetHeight() const { return m_rect.height; }
    const char* GetError() const { return m_error; }

private:
    void Press(const POINTER_EVENT& event);
    void Drag(const POINTER_EVENT& event);
    void Release(const POINTER_EVENT& event);
    void PopupMenu(const POINTER_EVENT& event);
    void Edited();

    IWindowSystem& m_windowSystem;
    CNoteGrid& m_grid;
    CGridMouse m_mouse;
    IControlDialog* m_dialog = nullptr;
    int m_id = 0;
    WINDOW_RECT m_rect;
    EditedHandler m_edited;
    GrooveCommandHandler m_grooveCommand;
    std::vector<uint32_t> m_pixels;
    bool m_noteNames = false;
    double m_playTime = -1.0;
    bool m_dragging = false;
    CCharString m_error;
};
