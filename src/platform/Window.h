#pragma once

#include <string>
#include <vector>

#include "platform/WindowHandler.h"

class IGlDevice;

// One entry of a menu bar: a popup when it has items, a separator when it
// has neither text nor command.
struct MENU_ITEM {
    std::string text;  // "&" marks the mnemonic
    int commandId = 0;
    std::vector<MENU_ITEM> items;
    bool enabled = true;     // a greyed item does nothing
    std::string shortcut;    // "Ctrl+Q", "F1": sends the command from any window
    bool checkable = false;  // shown with a tick that is on when checked
    bool checked = false;
};

struct WINDOW_RECT {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A top-level window. Destroying the object destroys the window.
class IWindow {
public:
    virtual ~IWindow() = default;
    virtual WindowId GetId() const = 0;
    virtual void SetTitle(const char* title) = 0;
    virtual void SetMenu(int menuId, const std::vector<MENU_ITEM>& menu) = 0;
    virtual void SetRect(const WINDOW_RECT& rect) = 0;
    virtual WINDOW_RECT GetRect() const = 0;
    virtual void SetMinimumSize(int width, int height) = 0;
    virtual void Show(bool show) = 0;
    virtual bool IsVisible() const = 0;
    virtual void BringToFront() = 0;
    // The line at the window's foot that confirms what the user just did;
    // windows without one ignore it.
    virtual void SetStatusText(const char* text) { (void)text; }
    // Brings the window to the front with the keyboard focus on its 3D view,
    // where the learner plays.
    virtual void FocusView() { BringToFront(); }
    // The input meter under the picture: a level 0..1 shows it, below 0
    // hides it.
    virtual void SetInputLevel(float level) { (void)level; }
    // The note and cents a tuner reads from the input, beside its level;
    // empty hides it.
    virtual void SetTunerText(const char* text) { (void)text; }
    // Saves what the window shows as a PNG file.
    virtual bool SaveScreenshot(const char* path, std::string& error) = 0;
    // The window's 3D view, filling its client area; made on the first call
    // and owned by the window. Null with the reason in error when the
    // backend has none.
    virtual IGlDevice* GetGlView(std::string& error) = 0;
};
