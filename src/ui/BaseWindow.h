#pragma once

#include <memory>
#include <vector>

#include "foundation/CharString.h"
#include "platform/ControlDialog.h"
#include "platform/EventLoop.h"
#include "platform/Window.h"
#include "platform/WindowSystem.h"

// Where a modeless dialog stands and whether it shows, kept across runs.
struct DIALOG_PLACEMENT {
    bool placed = false;  // false: the dialog takes its first-run place
    WINDOW_RECT rect;
    bool visible = false;
};

// Base of every window of the system: it owns the platform window, knows its
// window type id (which the central object finds windows by) and turns the
// platform's events into its virtual operations.
class CBaseWindow : public IWindowHandler {
public:
    CBaseWindow(int typeId, IWindowSystem& windowSystem, IEventLoop& eventLoop);
    CBaseWindow(const CBaseWindow&) = delete;
    CBaseWindow& operator=(const CBaseWindow&) = delete;
    ~CBaseWindow() override;

    // Makes the (hidden) platform window, sets its title and menu, then
    // runs OnCreate; false with the reason in GetError.
    bool Create(const char* title, int menuId, const std::vector<MENU_ITEM>& menu);
    // Runs OnDestroy with code and destroys the platform window.
    void Destroy(int code);
    // Asks the window for a refresh of what it shows.
    virtual void Update() {}

    bool PostMessage(int message, std::unique_ptr<IPayload> payload = nullptr);
    bool SetTimer(int timerId, int periodMs);
    void KillTimer(int timerId);
    bool Show(bool show);

    int GetTypeId() const { return m_typeId; }
    IWindow* GetWindow() const { return m_window.get(); }
    WindowId GetId() const { return m_window ? m_window->GetId() : kNoWindow; }
    bool Exists() const { return m_window != nullptr; }
    const char* GetError() const { return m_error; }

    // IWindowHandler: dispatch to the virtual operations below.
    void OnMessage(int message, std::unique_ptr<IPayload> payload) override;
    void OnTimer(int timerId) override;
    void OnCommand(int commandId) override;
    void OnCloseRequest() override { OnClose(); }

protected:
    // kept, with the place and state of window while it exists.
    static DIALOG_PLACEMENT PlacementOf(const IWindow* window, DIALOG_PLACEMENT kept);
    // Takes a platform window that the derived class made (a dialog, say),
    // sets its title and runs OnCreate, as Create does.
    bool Adopt(std::unique_ptr<IWindow> window, const char* title);
    // Makes the control dialog of dialog, owned by owner, telling its items
    // to handler, and adopts it under the dialog's title. Null with
    // "Can't create <title> dialog: <reason>" in the error text.
    IControlDialog* AdoptControlDialog(const DIALOG_TEMPLATE& dialog,
                                       IControlDialogHandler* handler, IWindow* owner);

    virtual bool OnCreate() { return true; }
    virtual void OnDestroy(int code) { (void)code; }
    virtual void OnClose() { Destroy(0); }
    virtual void OnPosted(int message, std::unique_ptr<IPayload> payload) {
        (void)message;
        (void)payload;
    }
    virtual void OnTick(int timerId) { (void)timerId; }
    virtual void OnMenuCommand(int commandId) { (void)commandId; }

    IWindowSystem& m_windowSystem;
    IEventLoop& m_eventLoop;
    CCharString m_error;

private:
    int m_typeId;
    std::unique_ptr<IWindow> m_window;
};
