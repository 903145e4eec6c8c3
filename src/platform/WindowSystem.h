#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ControlDialog.h"
#include "platform/DocumentDialog.h"
#include "platform/ImagePainter.h"
#include "platform/Window.h"

class IEventLoop;

enum class BoxIcon { kNone, kInformation, kExclamation, kError, kQuestion };
enum class BoxButtons { kOk, kOkCancel, kYesNo };
enum class BoxResult { kOk, kCancel, kYes, kNo };

// Windows and the dialogs every window may need.
class IWindowSystem {
public:
    virtual ~IWindowSystem() = default;

    // A hidden top-level window whose events go to handler; null with the
    // reason in error when it cannot be made.
    virtual std::unique_ptr<IWindow> CreateTopLevelWindow(IWindowHandler* handler,
                                                          std::string& error) = 0;
    // Modal where a user can answer; the text is also written to the debug
    // output so that unattended runs keep it. owner may be null.
    virtual BoxResult MessageBox(IWindow* owner, const char* text, const char* caption,
                                 BoxIcon icon, BoxButtons buttons) = 0;
    // Ends every message box still open with the answer that changes
    // nothing, as when the system asks the process to end.
    virtual void EndMessageBoxes() {}
    // A hidden document dialog owned by owner (may be null) whose window
    // events go to handler and whose list and button events go to
    // documentHandler; null with the reason in error when it cannot be made.
    virtual std::unique_ptr<IDocumentDialog> CreateDocumentDialog(
        IWindowHandler* handler, IDocumentDialogHandler* documentHandler, IWindow* owner,
        std::string& error) {
        (void)handler;
        (void)documentHandler;
        (void)owner;
        error = "this platform has no document dialogs";
        return nullptr;
    }
    // A hidden dialog of standard controls made from dialog, owned by owner
    // (may be null), whose window events go to handler and whose control
    // events go to controlHandler; null with the reason in error when it
    // cannot be made.
    virtual std::unique_ptr<IControlDialog> CreateControlDialog(
        const DIALOG_TEMPLATE& dialog, IWindowHandler* handler,
        IControlDialogHandler* controlHandler, IWindow* owner, std::string& error) {
        (void)dialog;
        (void)handler;
        (void)controlHandler;
        (void)owner;
        error = "this platform has no control dialogs";
        return nullptr;
    }
    // Asks the user for a file to open, starting in folder and showing the
    // files filter matches ("MIDI files (*.mid)"); false when none was
    // chosen. owner may be null.
    virtual bool ChooseFileToOpen(IWindow* owner, const char* title, const char* folder,
                                  const char* filter, std::string& path) {
        (void)owner;
        (void)title;
        (void)folder;
        (void)filter;
        (void)path;
        return false;
    }
    // Asks where to save a file, starting at suggested (a folder and a
    // name); false when the user cancels.
    virtual bool ChooseFileToSave(IWindow* owner, const char* title, const char* suggested,
                                  const char* filter, std::string& path) {
        (void)owner;
        (void)title;
        (void)suggested;
        (void)filter;
        (void)path;
        return false;
    }
    // Pops up menu at point (in owner's client area, or on the screen when
    // owner is null) and waits for the user: the command id of the item
    // chosen, or 0 when the menu was dismissed.
    virtual int PopupMenu(IWindow* owner, const std::vector<MENU_ITEM>& menu, int x, int y) {
        (void)owner;
        (void)menu;
        (void)x;
        (void)y;
        return 0;
    }
    // A painter of pictures in memory that needs no 3D device, for the
    // pictures of dialogs; null where the platform has none.
    virtual std::unique_ptr<IImagePainter> CreateImagePainter() { return nullptr; }
    // The desktop area not covered by panels.
    virtual WINDOW_RECT GetWorkArea() = 0;
    // The area of every screen not covered by panels; the work area alone
    // where the system knows only one.
    virtual std::vector<WINDOW_RECT> GetScreenAreas() { return {GetWorkArea()}; }
};
