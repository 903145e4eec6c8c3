#pragma once

#include <QPointer>
#include <QString>

#include "platform/Window.h"

class CQtEventLoop;
class CQtFrameWidget;
class CQtGlView;
class CQtStatusLabel;
class QLabel;
class QMenu;

// A top-level window on Qt Widgets.
class QProgressBar;

class CQtWindow : public IWindow {
public:
    CQtWindow(CQtEventLoop& loop, IWindowHandler* handler);
    ~CQtWindow() override;

    WindowId GetId() const override { return m_id; }
    void SetTitle(const char* title) override;
    void SetMenu(int menuId, const std::vector<MENU_ITEM>& menu) override;
    void SetRect(const WINDOW_RECT& rect) override;
    WINDOW_RECT GetRect() const override;
    void SetMinimumSize(int width, int height) override;
    void Show(bool show) override;
    bool IsVisible() const override;
    void BringToFront() override;
    void SetStatusText(const char* text) override;
    void SetInputLevel(float level) override;
    void SetTunerText(const char* text) override;
    QString GetTunerText() const;
    void FocusView() override;
    bool SaveScreenshot(const char* path, std::string& error) override;
    IGlDevice* GetGlView(std::string& error) override;

    CQtFrameWidget* GetWidget() const { return m_widget; }
    // The whole status text, however much of it shows.
    QString GetStatusText() const;
    CQtStatusLabel* GetStatusLabel() const { return m_statusLabel; }

private:
    void AddItems(QMenu* menu, const std::vector<MENU_ITEM>& items);

    CQtEventLoop& m_loop;
    WindowId m_id;
    QPointer<CQtFrameWidget> m_widget;
    QPointer<CQtGlView> m_glView;
    QProgressBar* m_inputMeter = nullptr;     // in the status bar, made when first needed
    QLabel* m_tuner = nullptr;                // beside the meter, made when first needed
    CQtStatusLabel* m_statusLabel = nullptr;  // in the status bar, made when first needed
};
