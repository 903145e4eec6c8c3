#pragma once

#include "app/StartOptions.h"
#include "foundation/MessageIds.h"
#include "ui/BaseWindow.h"

class CCenter;
struct APP_KIND;

// The frame window: carries the kind's menu, owns the periodic timers and
// receives what other threads post to the application.
class CMainWnd : public CBaseWindow {
public:
    static constexpr int kTypeId = 1;

    enum Timer : int {
        kFrameTimer = 1,        // every 33 ms
        kTenthTimer = 2,        // every 100 ms
        kSecondTimer = 3,       // every 1000 ms
        kSceneTimer = 4,        // every 25 ms: the 3D scene's frame step
        kQuitTimer = 90,        // --quit-after
        kScreenshotTimer = 91,  // --screenshot, shortly after the window shows
    };
    // How long after start-up the window is pictured for --screenshot.
    static constexpr int kScreenshotDelayMs = 200;

    CMainWnd(CCenter& center, IWindowSystem& windowSystem, IEventLoop& eventLoop,
             const START_OPTIONS& options);

    bool CreateMain(const APP_KIND& kind);
    bool IsClosing() const { return m_closing; }
    // The close box and File > Quit: what the kind edits is offered for
    // saving first; a cancelled question keeps the program open.
    void OnCloseRequest() override;
    // The system asks the program to end (logout, a signal): it closes
    // without a question, and changes left unsaved are kept for the next
    // start.
    void EndNow() { OnClose(); }

protected:
    bool OnCreate() override;
    void OnDestroy(int code) override;
    void OnClose() override;
    void OnPosted(int message, std::unique_ptr<IPayload> payload) override;
    void OnTick(int timerId) override;
    void OnMenuCommand(int commandId) override;

private:
    void OnStart();
    void OnShutdown();
    // Ends a stretch of start-up or timer work; a shutdown asked for meanwhile
    // is posted again.
    void EndBusy();
    void SaveScreenshot();

    CCenter& m_center;
    START_OPTIONS m_options;
    bool m_closing = false;
    int m_busy = 0;  // start-up or a timer's work is running
    bool m_shutdownDeferred = false;
    bool m_screenshotPending = false;     // --screenshot not yet taken
    bool m_closeAfterScreenshot = false;  // --quit-after ends before it
};
