#include "app/MainWnd.h"

#include <algorithm>
#include <string>

#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "app/Center.h"
#include "app/Menus.h"
#include "app/WindowPlacement.h"
#include "foundation/ErrorReport.h"

CMainWnd::CMainWnd(CCenter& center, IWindowSystem& windowSystem, IEventLoop& eventLoop,
                   const START_OPTIONS& options)
    : CBaseWindow(kTypeId, windowSystem, eventLoop), m_center(center), m_options(options) {}

bool CMainWnd::CreateMain(const APP_KIND& kind) {
    const APP_SETTINGS* settings = m_center.GetSettings();
    return Create(kind.title, kind.menuId,
                  GetMenuBar(kind.menuId, settings != nullptr ? settings->hints : HINTS(),
                             settings == nullptr || settings->audio.microphoneInput));
}

bool CMainWnd::OnCreate() {
    // The saved main rectangle, or on a first run the desktop work area.
    const APP_SETTINGS* settings = m_center.GetSettings();
    WINDOW_RECT place;
    if (settings != nullptr && IsPlaced(settings->mainWindow.rect)) {
        // A rectangle left on a screen that is gone comes back onto one.
        place = CWindowPlacement::PlaceMain(ToWindowRect(settings->mainWindow.rect),
                                            m_windowSystem.GetScreenAreas(),
                                            m_windowSystem.GetWorkArea());
    } else {
        place = m_windowSystem.GetWorkArea();
        if (place.width <= 0 || place.height <= 0) {
            m_error = "Can't get desktop size for the main window";
            ReportError("MainWnd", __LINE__, "%s", m_error.GetText());
            return false;
        }
    }
    GetWindow()->SetMinimumSize(200, 200);
    GetWindow()->SetRect(place);
    return PostMessage(kStartMessage);
}

void CMainWnd::OnPosted(int message, std::unique_ptr<IPayload> payload) {
    switch (message) {
        case kStartMessage:
            OnStart();
            break;
        case kShutdownMessage:
            // A box shown by start-up or a timer runs a loop of its own that
            // takes this message too: the shutdown waits until that work
            // has returned, which posts it again.
            if (m_busy > 0) {
                m_shutdownDeferred = true;
            } else {
                OnShutdown();
            }
            break;
        case kNoteMessage:
            m_center.OnNote(std::move(payload));
            break;
        case kLevelMessage:
            m_center.OnLevel(std::move(payload));
            break;
        case kPitchMessage:
            m_center.OnPitch(std::move(payload));
            break;
        case kMidiDeviceLostMessage:
            m_center.OnMidiDeviceLost(std::move(payload));
            break;
        case kDeviceProblemsMessage:
            // Its box runs a loop of its own: a shutdown waits for it.
            ++m_busy;
            m_center.OnDeviceProblems();
            EndBusy();
            break;
        default:
            // 1025, 1041, 1047 and the notices of other windows: their
            // receivers arrive with later subsystems; the payload is deleted.
            break;
    }
}

void CMainWnd::EndBusy() {
    if (--m_busy == 0 && m_shutdownDeferred) {
        m_shutdownDeferred = false;
        PostMessage(kShutdownMessage);
    }
}

void CMainWnd::OnStart() {
    ++m_busy;
    const bool started = m_center.Startup();
    EndBusy();
    if (m_closing) {
        return;  // asked to end while starting
    }
    if (!started) {
        if (m_center.IsShowingInitErrors()) {
            m_windowSystem.MessageBox(GetWindow(), m_center.GetError(), "Error", BoxIcon::kError,
                                      BoxButtons::kOk);
        }
        OnClose();
        return;
    }
    SetTimer(kFrameTimer, 33);
    SetTimer(kTenthTimer, 100);
    SetTimer(kSecondTimer, 1000);
    SetTimer(kSceneTimer, 25);
    // What the command line names is answered before the quit timer runs,
    // so that its message box never outlives the window.
    m_center.HandleCommandLine();
    m_screenshotPending = !m_options.screenshotPath.empty();
    if (m_screenshotPending) {
        SetTimer(kScreenshotTimer, kScreenshotDelayMs);
    }
    if (m_options.quitAfterSeconds >= 0.0) {
        const int quitMs = ToMilliseconds(m_options.quitAfterSeconds);
        // A run that ends before the window could be pictured ends after it.
        m_closeAfterScreenshot = m_screenshotPending && quitMs <= kScreenshotDelayMs;
        if (!m_closeAfterScreenshot) {
            SetTimer(kQuitTimer, std::max(1, quitMs));
        }
    }
}

void CMainWnd::OnTick(int timerId) {
    switch (timerId) {
        case kQuitTimer:
            if (m_screenshotPending) {
                SaveScreenshot();  // the picture asked for comes before the end
            }
            OnClose();
            break;
        case kScreenshotTimer:
            SaveScreenshot();
            if (m_closeAfterScreenshot) {
                OnClose();
            }
            break;
        default:
            ++m_busy;
            m_center.OnTimer(timerId);
            EndBusy();
            break;
    }
}

void CMainWnd::SaveScreenshot() {
    KillTimer(kScreenshotTimer);
    m_screenshotPending = false;
    std::string reason;
    if (!GetWindow()->SaveScreenshot(m_options.screenshotPath.c_str(), reason)) {
        ReportError("MainWnd", __LINE__, "Can't save screenshot (%s): %s",
                    CutForMessage(m_options.screenshotPath.c_str()).c_str(), reason.c_str());
        m_center.SetExitFailure();
    }
}

void CMainWnd::OnMenuCommand(int commandId) {
    m_center.OnCommand(commandId);
}

void CMainWnd::OnCloseRequest() {
    if (m_closing) {
        return;
    }
    m_center.QueryClose([this]() { OnClose(); });
}

void CMainWnd::OnClose() {
    if (m_closing) {
        return;
    }
    m_closing = true;
    if (APP_SETTINGS* settings = m_center.GetSettings(); settings && GetWindow()) {
        settings->mainWindow.rect = ToSettingsRect(GetWindow()->GetRect());
    }
    for (int timer :
         {kFrameTimer, kTenthTimer, kSecondTimer, kSceneTimer, kQuitTimer, kScreenshotTimer}) {
        KillTimer(timer);
    }
    PostMessage(kShutdownMessage);
}

void CMainWnd::OnShutdown() {
    m_center.Close();
    Destroy(0);
}

void CMainWnd::OnDestroy(int) {
    m_eventLoop.Quit(0);
}
