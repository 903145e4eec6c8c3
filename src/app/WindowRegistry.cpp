#include "app/WindowRegistry.h"

#include "ui/BaseWindow.h"

CWindowRegistry::~CWindowRegistry() {
    CloseAll();
}

CBaseWindow* CWindowRegistry::Find(int typeId) const {
    for (const std::unique_ptr<CBaseWindow>& window : m_windows) {
        if (window->GetTypeId() == typeId) {
            return window.get();
        }
    }
    return nullptr;
}

bool CWindowRegistry::Find(int typeId, CBaseWindow*& window, CCharString& error) const {
    window = Find(typeId);
    if (window == nullptr) {
        error.Format("Can't find open window %d", typeId);
        return false;
    }
    return true;
}

void CWindowRegistry::ForEach(const std::function<void(CBaseWindow&)>& visit) const {
    // By index: a visit may add a window.
    for (size_t i = 0; i < m_windows.size(); ++i) {
        visit(*m_windows[i]);
    }
}

void CWindowRegistry::CloseAll() {
    // Taken out first, so that a window closing never sees a half-closed list.
    std::vector<std::unique_ptr<CBaseWindow>> closing;
    closing.swap(m_windows);
    for (std::unique_ptr<CBaseWindow>& window : closing) {
        window->Destroy(kCloseCode);
    }
}
