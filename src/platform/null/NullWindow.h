#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Window.h"

class CNullGlDevice;

class CNullJournal;
class IEventLoop;

// A window that exists only as a record: what it was asked to show.
class CNullWindow : public IWindow {
public:
    CNullWindow(IEventLoop& loop, IWindowHandler* handler, CNullJournal* journal);
    ~CNullWindow() override;

    WindowId GetId() const override { return m_id; }
    void SetTitle(const char* title) override;
    void SetMenu(int menuId, const std::vector<MENU_ITEM>& menu) override;
    void SetRect(const WINDOW_RECT& rect) override { m_rect = rect; }
    WINDOW_RECT GetRect() const override { return m_rect; }
    void SetMinimumSize(int width, int height) override;
    void Show(bool show) override;
    bool IsVisible() const override { return m_visible; }
    void BringToFront() override;
    void SetStatusText(const char* text) override { m_statusText = text != nullptr ? text : ""; }
    void SetTunerText(const char* text) override { m_tunerText = text != nullptr ? text : ""; }
    const std::string& GetTunerText() const { return m_tunerText; }
    void FocusView() override {
        BringToFront();
        ++m_viewFocusCount;
    }
    const std::string& GetStatusText() const { return m_statusText; }
    int GetViewFocusCount() const { return m_viewFocusCount; }
    bool SaveScreenshot(const char* path, std::string& error) override;
    // A view that never gets a context: the scene waits and draws nothing.
    IGlDevice* GetGlView(std::string& error) override;

    // Called from the destructor, so that the window's maker can forget it.
    void SetDestroyNotice(std::function<void(CNullWindow*)> notice) {
        m_destroyNotice = std::move(notice);
    }

    // What a user would do.
    void ChooseCommand(int commandId) { m_handler->OnCommand(commandId); }
    void RequestClose() { m_handler->OnCloseRequest(); }

    const std::string& GetTitle() const { return m_title; }
    int GetMenuId() const { return m_menuId; }
    const std::vector<MENU_ITEM>& GetMenu() const { return m_menu; }
    int GetMinimumWidth() const { return m_minimumWidth; }
    int GetMinimumHeight() const { return m_minimumHeight; }

private:
    void Record(const std::string& entry);

    IEventLoop& m_loop;
    IWindowHandler* m_handler;
    CNullJournal* m_journal;
    WindowId m_id;
    std::string m_title;
    int m_menuId = 0;
    std::vector<MENU_ITEM> m_menu;
    std::string m_statusText;
    std::string m_tunerText;
    int m_viewFocusCount = 0;
    WINDOW_RECT m_rect;
    int m_minimumWidth = 0;
    int m_minimumHeight = 0;
    bool m_visible = false;
    std::function<void(CNullWindow*)> m_destroyNotice;
    std::unique_ptr<CNullGlDevice> m_glView;
};
