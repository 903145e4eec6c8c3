// The groove kind on Qt ended by SIGTERM (logout) with a changed groove:
// the end asks nothing, the changes are kept beside the settings, and the
// next start offers them once.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "RunUntil.h"
#include "app/AppSettings.h"
#include "app/Center.h"
#include "app/MainWnd.h"
#include "app/SongKeeper.h"
#include "app/SongRecovery.h"
#include "editors/SongEditorDlg.h"
#include "platform/qt/QtBackend.h"

namespace {

constexpr int kGrooveKind = 3;

// The program's own wiring of end requests: the main window ends at once.
void WatchEnd(const PLATFORM& platform, CCenter& center) {
    platform.watchEndRequests([&center, &platform] {
        platform.windowSystem->EndMessageBoxes();
        if (CMainWnd* window = center.GetMainWindow()) {
            window->EndNow();
        }
    });
}

TEST(SongRecovery, ChangesSurviveSigtermAndAreOfferedOnceAtTheNextStart) {
    std::filesystem::path kept;
    {
        CQtBackend backend;
        backend.SetMessageBoxTimeout(100);
        PLATFORM platform = backend.GetPlatform();
        CCenter center(kGrooveKind, "", platform);
        WatchEnd(platform, center);
        ASSERT_TRUE(center.Init()) << center.GetError();
        center.GetSettings()->grooveRoot = NOTARA_BINARY_DIR "/Grooves/";
        ASSERT_TRUE(RunUntil([&] {
            return center.GetSongs() != nullptr && center.GetSongs()->GetEditor() != nullptr;
        }));
        kept = std::filesystem::path(center.GetUserFolder()) / CSongRecovery::kFolderName;
        CSongEditorDlg& editor = *center.GetSongs()->GetEditor();
        ASSERT_TRUE(editor.SelectGroove("Rock", "Straight Eight"));
        ASSERT_TRUE(editor.GetGrids().AddMeasure());
        kill(getpid(), SIGTERM);
        EXPECT_TRUE(RunUntil([&] { return !center.GetMainWindow()->Exists(); }))
            << "SIGTERM did not end the program";
        platform.watchEndRequests(nullptr);
        // The process would end here; the test goes on without the alarm
        // that ends a close that hangs, and with the signals as they were.
        alarm(0);
        signal(SIGTERM, SIG_DFL);
        signal(SIGINT, SIG_DFL);
        signal(SIGHUP, SIG_DFL);
    }
    ASSERT_TRUE(std::filesystem::exists(kept / CSongRecovery::kIndexName))
        << "nothing was kept in " << kept;
    ASSERT_TRUE(std::filesystem::exists(kept / CSongRecovery::kGrooveName));
    EXPECT_FALSE(std::filesystem::exists(kept / CSongRecovery::kSongName))
        << "an unchanged song was kept";
    // The next start offers them (nobody answers: No), and they are gone.
    {
        CQtBackend backend;
        backend.SetMessageBoxTimeout(100);
        CCenter center(kGrooveKind, "", backend.GetPlatform());
        ASSERT_TRUE(center.Init()) << center.GetError();
        ASSERT_TRUE(RunUntil([&] { return !std::filesystem::exists(kept); }))
            << "the kept changes were not offered";
        EXPECT_FALSE(center.GetSongs()->GetEditor()->GetGrids().IsChanged());
        static_cast<IWindowHandler*>(center.GetMainWindow())->OnCloseRequest();
        RunUntil([&] { return !center.GetMainWindow()->Exists(); }, 3000);
    }
    EXPECT_FALSE(std::filesystem::exists(kept)) << "the changes were kept again";
}

}  // namespace
