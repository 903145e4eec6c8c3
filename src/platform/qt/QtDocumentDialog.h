#pragma once

#include <QPointer>

#include "platform/DocumentDialog.h"

#include "platform/qt/QtDocumentWidget.h"
class CQtEventLoop;
class QWidget;

// A document dialog on Qt Widgets.
class CQtDocumentDialog : public IDocumentDialog {
public:
    CQtDocumentDialog(CQtEventLoop& loop, IWindowHandler* handler,
                      IDocumentDialogHandler* documentHandler, QWidget* owner);
    ~CQtDocumentDialog() override;

    WindowId GetId() const override { return m_id; }
    void SetTitle(const char* title) override;
    void SetMenu(int, const std::vector<MENU_ITEM>&) override {}
    void SetRect(const WINDOW_RECT& rect) override;
    WINDOW_RECT GetRect() const override;
    void SetMinimumSize(int width, int height) override;
    void Show(bool show) override;
    bool IsVisible() const override;
    void BringToFront() override;
    bool SaveScreenshot(const char* path, std::string& error) override;
    IGlDevice* GetGlView(std::string& error) override;

    void SetListItems(const std::vector<std::string>& items) override;
    void SelectListItem(int index) override;
    int GetListSelection() const override;
    void SetDocument(const std::vector<DOCUMENT_BLOCK>& blocks) override;
    void SetScrollPosition(int position) override;
    int GetScrollPosition() const override;
    void FocusDocument() override;

    CQtDocumentWidget* GetWidget() const { return m_widget; }

private:
    CQtEventLoop& m_loop;
    WindowId m_id;
    QPointer<CQtDocumentWidget> m_widget;
};
