#include "app/Entry.h"

#include "app/Center.h"
#include "app/MainWnd.h"

const char* const kInstanceLockName = "{37750A18-5FF9-4f22-BB8F-46F5877AAA5E}";

namespace {
constexpr const char* kProductTitle = "Notara";
}

int RunApplication(const PLATFORM& platform, int kind, const START_OPTIONS& options) {
    std::unique_ptr<IInstanceLock> instanceLock = platform.createInstanceLock();
    if (!instanceLock->TryAcquire(kInstanceLockName)) {
        platform.windowSystem->MessageBox(nullptr,
                                          "Another instance of\nthis application is running",
                                          kProductTitle, BoxIcon::kExclamation, BoxButtons::kOk);
        return CCenter::kExitFailure;
    }
    CCenter center(kind, options.commandLine.c_str(), platform, options);
    // Logout, a closed terminal and Ctrl+C close the application as its
    // window's close box does, settings saved. The handlers go in before the
    // start, which may take a while: a request that comes meanwhile waits
    // for the window.
    bool endRequested = false;
    const auto close = [&center] {
        CMainWnd* window = center.GetMainWindow();
        if (window != nullptr) {
            window->OnCloseRequest();
        }
        return window != nullptr;
    };
    if (platform.watchEndRequests) {
        platform.watchEndRequests([&close, &endRequested, &platform] {
            // A box waiting for an answer would hold the end up.
            platform.windowSystem->EndMessageBoxes();
            endRequested = !close();
        });
    }
    if (!center.Init()) {
        if (platform.watchEndRequests) {
            platform.watchEndRequests(nullptr);
        }
        CCharString message;
        message.Format("Can't initialize %s:\n%s", kProductTitle, center.GetError());
        platform.windowSystem->MessageBox(nullptr, message, kProductTitle, BoxIcon::kError,
                                          BoxButtons::kOk);
        return CCenter::kExitFailure;
    }
    if (endRequested) {
        close();
    }
    platform.eventLoop->Run();
    if (platform.watchEndRequests) {
        platform.watchEndRequests(nullptr);
    }
    return center.GetExitCode();
}
