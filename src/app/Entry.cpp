#include "app/Entry.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "app/Catalogue.h"
#include "app/Center.h"
#include "app/MainWnd.h"
#include "app/StartOptions.h"

const char* const kInstanceLockName = "{37750A18-5FF9-4f22-BB8F-46F5877AAA5E}";

namespace {
constexpr const char* kProductTitle = "Notara";

// One lock for each product: the trainer keeps the lock of its first
// version, another product (the groove kind) takes its own, so that two
// kinds run at once and two copies of one kind do not.
std::string LockNameOf(const APP_KIND& kind) {
    const std::string product = kind.productWord;
    return product.empty() || product == kProductTitle
               ? kInstanceLockName
               : std::string(kInstanceLockName) + "-" + product;
}

// The box captions name the product that runs.
const char* TitleOf(const APP_KIND& kind) {
    return *kind.productWord != '\0' ? kind.productWord : kProductTitle;
}

// Hands the song file a second start was given to the running program,
// with its path made absolute: that program's folder is another. False when
// there is no file or nobody took it.
bool HandOverSong(IInstanceLock& lock, const START_OPTIONS& options) {
    CCharString song;
    if (!FindCommandLineSong(options.commandLine.c_str(), song)) {
        return false;
    }
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(song.Str(), error);
    return !error && lock.SendToHolder(CCenter::kOpenSongMessage + path.string());
}
}  // namespace

int RunApplication(const PLATFORM& platform, int kind, const START_OPTIONS& options) {
    APP_KIND appKind;
    CCharString unknown;
    FindApplicationKind(kind, appKind, unknown);  // an unknown kind fails in Init, told there
    const char* const title = TitleOf(appKind);
    std::unique_ptr<IInstanceLock> instanceLock = platform.createInstanceLock();
    if (!instanceLock->TryAcquire(LockNameOf(appKind).c_str())) {
        // A song given to a second start opens in the program that runs.
        if (HandOverSong(*instanceLock, options)) {
            return 0;
        }
        platform.windowSystem->MessageBox(nullptr,
                                          "Another instance of\nthis application is running", title,
                                          BoxIcon::kExclamation, BoxButtons::kOk);
        return CCenter::kExitFailure;
    }
    CCenter center(kind, options.commandLine.c_str(), platform, options);
    // Logout, a closed terminal and Ctrl+C close the application as its
    // window's close box does, settings saved, but ask nothing: changes
    // left unsaved are kept for the next start. The handlers go in before the
    // start, which may take a while: a request that comes meanwhile waits
    // for the window.
    bool endRequested = false;
    const auto close = [&center] {
        CMainWnd* window = center.GetMainWindow();
        if (window != nullptr) {
            window->EndNow();
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
        message.Format("Can't initialize %s:\n%s", title, center.GetError());
        platform.windowSystem->MessageBox(nullptr, message, title, BoxIcon::kError,
                                          BoxButtons::kOk);
        return CCenter::kExitFailure;
    }
    if (endRequested) {
        close();
    }
    instanceLock->ListenForMessages(
        [&center](const std::string& message) { center.OnHandedOver(message); });
    platform.eventLoop->Run();
    if (platform.watchEndRequests) {
        platform.watchEndRequests(nullptr);
    }
    return center.GetExitCode();
}
