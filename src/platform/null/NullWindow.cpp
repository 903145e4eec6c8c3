#include "platform/null/NullWindow.h"

#include "platform/null/NullGlDevice.h"

#include "platform/EventLoop.h"
#include "platform/null/NullJournal.h"

CNullWindow::CNullWindow(IEventLoop& loop, IWindowHandler* handler, CNullJournal* journal)
    : m_loop(loop), m_handler(handler), m_journal(journal), m_id(loop.AddWindow(handler)) {
    Record("CreateWindow");
}

CNullWindow::~CNullWindow() {
    if (m_destroyNotice) {
        m_destroyNotice(this);
    }
    m_loop.RemoveWindow(m_id);
    Record("DestroyWindow");
}

void CNullWindow::Record(const std::string& entry) {
    if (m_journal != nullptr) {
        m_journal->Add(entry);
    }
}

void CNullWindow::SetTitle(const char* title) {
    m_title = title != nullptr ? title : "";
    Record("SetTitle " + m_title);
}

void CNullWindow::SetMenu(int menuId, const std::vector<MENU_ITEM>& menu) {
    m_menuId = menuId;
    m_menu = menu;
    Record("SetMenu " + std::to_string(menuId));
}

void CNullWindow::SetMinimumSize(int width, int height) {
    m_minimumWidth = width;
    m_minimumHeight = height;
}

void CNullWindow::Show(bool show) {
    m_visible = show;
    Record(show ? "Show" : "Hide");
}

void CNullWindow::BringToFront() {
    Record("BringToFront");
}

bool CNullWindow::SaveScreenshot(const char* path, std::string& error) {
    Record(std::string("SaveScreenshot ") + (path != nullptr ? path : ""));
    error = "Can't take a screenshot: the null backend has no screen";
    return false;
}

IGlDevice* CNullWindow::GetGlView(std::string&) {
    if (m_glView == nullptr) {
        Record("GetGlView");
        m_glView = std::make_unique<CNullGlDevice>();
    }
    return m_glView.get();
}
