#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/ControlDialog.h"
#include "platform/null/NullWindow.h"

// A control dialog that is a record of what its items show; tests act as
// its user with Click, Choose and MoveSlider, which tell the handler as a
// user's action would.
class CNullControlDialog : public IControlDialog {
public:
    struct ITEM {
        CONTROL_ITEM control;
        bool enabled = true;
        bool checked = false;
        std::vector<std::string> list;
        int selection = -1;
        int minPosition = 0;
        int maxPosition = 100;
        int page = 10;
        int position = 0;
        std::vector<int> ticks;
        uint32_t color = 0;
        int pictureWidth = 0;  // the last picture set, none at first
        int pictureHeight = 0;
        std::vector<uint32_t> picture;
        std::vector<PICTURE_TIP> tips;
    };

    CNullControlDialog(const DIALOG_TEMPLATE& dialog, IEventLoop& loop, IWindowHandler* handler,
                       IControlDialogHandler* controlHandler, CNullJournal* journal);
    ~CNullControlDialog() override;

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
    // The tip shown with the pointer at (x, y) of the picture, empty for none.
    std::string GetPictureTip(int id, int x, int y) const;
    void SetModal(bool modal) override { m_modal = modal; }
    void SetBusy(bool busy) override { m_busyCount += busy ? 1 : 0; }

    // What a user would do; false when there is no such item, or it is
    // greyed. A click on a check box turns it over first.
    bool Click(int id);
    bool Choose(int id, int index);
    bool MoveSlider(int id, int position);
    // A right click on a list box: asks for its menu.
    bool RequestMenu(int id);
    // Types text into an edit box in place of what it held.
    bool Type(int id, const char* text);
    // A mouse button going down (kPressed) or up (kReleased) on an image
    // button, or the pointer leaving it (kLeft).
    bool Press(int id, ControlEvent event);
    // The pointer pressing, moving, releasing or leaving at a point of an
    // image button's picture.
    bool Point(int id, const POINTER_EVENT& event);
    void RequestClose() { m_frame.RequestClose(); }

    // The last picture set on the picture item id; false when there is no
    // such item or nothing was set yet.
    bool GetPicture(int id, int& width, int& height, std::vector<uint32_t>& argb) const;
    // The item with id, or null.
    const ITEM* FindItem(int id) const;
    const DIALOG_TEMPLATE& GetTemplate() const { return m_template; }
    const std::string& GetTitle() const { return m_frame.GetTitle(); }
    bool IsModal() const { return m_modal; }
    int GetBusyCount() const { return m_busyCount; }

private:
    ITEM* Find(int id, ControlKind kind);
    const ITEM* Find(int id, ControlKind kind) const;
    // An item of either kind.
    ITEM* Find(int id, ControlKind kind, ControlKind other);
    const ITEM* Find(int id, ControlKind kind, ControlKind other) const;
    // Checks radio and unchecks the others of its group.
    void CheckRadio(ITEM& radio);

    CNullWindow m_frame;
    IControlDialogHandler* m_controlHandler;
    CNullJournal* m_journal;
    DIALOG_TEMPLATE m_template;
    std::map<int, ITEM> m_items;
    bool m_modal = false;
    int m_busyCount = 0;
};
