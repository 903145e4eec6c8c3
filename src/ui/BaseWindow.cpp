#include "ui/BaseWindow.h"

#include <string>

CBaseWindow::CBaseWindow(int typeId, IWindowSystem& windowSystem, IEventLoop& eventLoop)
    : m_windowSystem(windowSystem), m_eventLoop(eventLoop), m_typeId(typeId) {}

CBaseWindow::~CBaseWindow() = default;

bool CBaseWindow::Create(const char* title, int menuId, const std::vector<MENU_ITEM>& menu) {
    if (m_window) {
        m_error = "Window already exists";
        return false;
    }
    std::string reason;
    m_window = m_windowSystem.CreateTopLevelWindow(this, reason);
    if (!m_window) {
        m_error.Format("Can't create window: %s", reason.c_str());
        return false;
    }
    m_window->SetTitle(title);
    if (!menu.empty()) {
        m_window->SetMenu(menuId, menu);
    }
    if (!OnCreate()) {
        m_window.reset();
        return false;
    }
    return true;
}

DIALOG_PLACEMENT CBaseWindow::PlacementOf(const IWindow* window, DIALOG_PLACEMENT kept) {
    if (window != nullptr) {
        kept.placed = true;
        kept.rect = window->GetRect();
        kept.visible = window->IsVisible();
    }
    return kept;
}

IControlDialog* CBaseWindow::AdoptControlDialog(const DIALOG_TEMPLATE& dialog,
                                                IControlDialogHandler* handler, IWindow* owner) {
    std::string reason;
    std::unique_ptr<IControlDialog> made =
        m_windowSystem.CreateControlDialog(dialog, this, handler, owner, reason);
    if (!made) {
        m_error.Format("Can't create %s dialog: %s", dialog.title.c_str(), reason.c_str());
        return nullptr;
    }
    IControlDialog* window = made.get();
    return Adopt(std::move(made), dialog.title.c_str()) ? window : nullptr;
}

bool CBaseWindow::Adopt(std::unique_ptr<IWindow> window, const char* title) {
    if (m_window) {
        m_error = "Window already exists";
        return false;
    }
    if (!window) {
        m_error = "Can't create window: none was made";
        return false;
    }
    m_window = std::move(window);
    m_window->SetTitle(title);
    if (!OnCreate()) {
        m_window.reset();
        return false;
    }
    return true;
}

void CBaseWindow::Destroy(int code) {
    if (!m_window) {
        return;
    }
    OnDestroy(code);
    m_window.reset();
}

bool CBaseWindow::PostMessage(int message, std::unique_ptr<IPayload> payload) {
    if (!m_window) {
        m_error.Format("Can't post message %d: the window is gone", message);
        return false;
    }
    m_eventLoop.Post(m_window->GetId(), message, std::move(payload));
    return true;
}

bool CBaseWindow::SetTimer(int timerId, int periodMs) {
    if (!m_window || !m_eventLoop.SetTimer(m_window->GetId(), timerId, periodMs)) {
        m_error.Format("Can't set timer %d", timerId);
        return false;
    }
    return true;
}

void CBaseWindow::KillTimer(int timerId) {
    if (m_window) {
        m_eventLoop.KillTimer(m_window->GetId(), timerId);
    }
}

bool CBaseWindow::Show(bool show) {
    if (!m_window) {
        return false;
    }
    m_window->Show(show);
    if (show) {
        m_window->BringToFront();
    }
    return true;
}

void CBaseWindow::OnMessage(int message, std::unique_ptr<IPayload> payload) {
    OnPosted(message, std::move(payload));
}

void CBaseWindow::OnTimer(int timerId) {
    OnTick(timerId);
}

void CBaseWindow::OnCommand(int commandId) {
    OnMenuCommand(commandId);
}
