#pragma once

#include <string>
#include <vector>

#include "platform/DocumentDialog.h"
#include "platform/null/NullWindow.h"

// A document dialog that is a record of what it shows; tests act as its
// user with ChooseListItem and ClickButton.
class CNullDocumentDialog : public IDocumentDialog {
public:
    CNullDocumentDialog(IEventLoop& loop, IWindowHandler* handler,
                        IDocumentDialogHandler* documentHandler, CNullJournal* journal);
    ~CNullDocumentDialog() override;

    WindowId GetId() const override { return m_frame.GetId(); }
    void SetTitle(const char* title) override { m_frame.SetTitle(title); }
    void SetMenu(int menuId, const std::vector<MENU_ITEM>& menu) override {
        m_frame.SetMenu(menuId, menu);
    }
    void SetRect(const WINDOW_RECT& rect) override { m_frame.SetRect(rect); }
    WINDOW_RECT GetRect() const override { return m_frame.GetRect(); }
    void SetMinimumSize(int width, int height) override { m_frame.SetMinimumSize(width, height); }
    void Show(bool show) override { m_frame.Show(show); }
    bool IsVisible() const override { return m_frame.IsVisible(); }
    void BringToFront() override { m_frame.BringToFront(); }
    bool SaveScreenshot(const char* path, std::string& error) override {
        return m_frame.SaveScreenshot(path, error);
    }
    IGlDevice* GetGlView(std::string& error) override;

    void SetListItems(const std::vector<std::string>& items) override;
    void SelectListItem(int index) override;
    int GetListSelection() const override { return m_selection; }
    void SetDocument(const std::vector<DOCUMENT_BLOCK>& blocks) override;
    void SetScrollPosition(int position) override;
    int GetScrollPosition() const override { return m_scroll; }
    void FocusDocument() override { m_documentFocused = true; }

    // What a user would do; false when there is no such item or button.
    bool ChooseListItem(int index);
    bool ClickButton(int buttonIndex);
    void RequestClose() { m_frame.RequestClose(); }

    const std::vector<std::string>& GetListItems() const { return m_items; }
    const std::vector<DOCUMENT_BLOCK>& GetDocument() const { return m_blocks; }
    int GetButtonCount() const;
    bool IsDocumentFocused() const { return m_documentFocused; }
    int GetMinimumWidth() const { return m_frame.GetMinimumWidth(); }
    int GetMinimumHeight() const { return m_frame.GetMinimumHeight(); }
    const std::string& GetTitle() const { return m_frame.GetTitle(); }

private:
    void Record(const std::string& entry);

    CNullWindow m_frame;
    IDocumentDialogHandler* m_documentHandler;
    CNullJournal* m_journal;
    std::vector<std::string> m_items;
    int m_selection = -1;
    std::vector<DOCUMENT_BLOCK> m_blocks;
    int m_scroll = 0;
    bool m_documentFocused = false;
};
