#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "foundation/CharString.h"

class CBaseWindow;

// The application's free-standing windows (dialogs and picture windows),
// owned here from the moment they are added until they are closed. A window
// is found by its type id; a dialog class T by its kTypeId.
class CWindowRegistry {
public:
    CWindowRegistry() = default;
    ~CWindowRegistry();
    CWindowRegistry(const CWindowRegistry&) = delete;
    CWindowRegistry& operator=(const CWindowRegistry&) = delete;

    // Takes window over and returns it; null for no window.
    template <class T>
    T* Add(std::unique_ptr<T> window) {
        T* added = window.get();
        if (added != nullptr) {
            m_windows.push_back(std::move(window));
        }
        return added;
    }
    // The window of typeId, or null.
    CBaseWindow* Find(int typeId) const;
    // As Find, with "Can't find open window %d" in error when it is absent.
    bool Find(int typeId, CBaseWindow*& window, CCharString& error) const;
    template <class T>
    T* Find() const {
        return static_cast<T*>(Find(T::kTypeId));
    }
    // Every window, in the order they were added.
    void ForEach(const std::function<void(CBaseWindow&)>& visit) const;
    int GetCount() const { return static_cast<int>(m_windows.size()); }
    // Destroys every window (destroy code 2) and forgets it.
    void CloseAll();

private:
    static constexpr int kCloseCode = 2;

    std::vector<std::unique_ptr<CBaseWindow>> m_windows;
};
