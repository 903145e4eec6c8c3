#pragma once

#include <QPointer>

#include "platform/ControlDialog.h"

#include "platform/qt/QtControlWidget.h"
class CQtEventLoop;
class QWidget;

// A dialog of standard controls on Qt Widgets, made from a template.
class CQtControlDialog : public IControlDialog {
public:
    CQtControlDialog(CQtEventLoop& loop, const DIALOG_TEMPLATE& dialog, IWindowHandler* handler,
                     IControlDialogHandler* controlHandler, QWidget* owner);
    ~CQtControlDialog() override;

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

    bool SetItemText(int id, const char* text) override;
    bool GetItemText(int id, std::string& text) const override;
    bool EnableItem(int id, bool enabled) override;
    bool SetChecked(int id, bool checked) override;
    bool GetChecked(int id, bool& checked) const override;
    bool ClearList(int id) override;
    bool AddListItem(int id, const char* text) override;
    bool SelectListItem(int id, int index) override;
    bool GetListSelection(int id, int& index) const override;
    bool SetSliderRange(int id, int minPosition, int maxPosition, int page) override;
    bool SetSliderPosition(int id, int position) override;
    bool GetSliderPosition(int id, int& position) const override;
    bool SetSliderTick(int id, int position) override;
    bool SetMeterRange(int id, int minPosition, int maxPosition) override;
    bool SetMeterPosition(int id, int position) override;
    bool SetMeterColor(int id, uint32_t color) override;
    bool SetPicture(int id, int width, int height, const std::vector<uint32_t>& argb) override;
    bool SetPictureTips(int id, const std::vector<PICTURE_TIP>& tips) override;
    void SetModal(bool modal) override;
    void SetBusy(bool busy) override;

    CQtControlWidget* GetWidget() const { return m_widget; }

    // The most ticks a slider gets before its tick interval falls back to
    // the distance from its start to the tick asked for.
    static constexpr int kMostTicks = 50;

private:
    // The item with id when it is a T, else null.
    template <class T>
    T* Find(int id) const {
        return m_widget ? m_widget->Find<T>(id) : nullptr;
    }

    CQtEventLoop& m_loop;
    WindowId m_id;
    QPointer<CQtControlWidget> m_widget;
};
