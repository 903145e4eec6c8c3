#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <thread>
#include <vector>

#include "QtTestApp.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtEventLoop.h"
#include "platform/qt/QtFrameWidget.h"
#include "platform/qt/QtInstanceLock.h"
#include "platform/qt/QtStatusLabel.h"
#include "platform/qt/QtWindow.h"

namespace {

struct COUNTED {
    static std::atomic<int> alive;
    int value;
    explicit COUNTED(int v) : value(v) { ++alive; }
    ~COUNTED() { --alive; }
};
std::atomic<int> COUNTED::alive{0};

class CRecordingHandler : public IWindowHandler {
public:
    void OnMessage(int message, std::unique_ptr<IPayload> payload) override {
        threads.push_back(std::this_thread::get_id());
        if (auto counted = TakePayload<COUNTED>(payload)) {
            values.push_back(counted->value);
        }
        if (message == 99) {
            QCoreApplication::exit(0);
        }
    }
    void OnTimer(int timerId) override {
        timers.push_back(timerId);
        if (timers.size() == 3) {
            QCoreApplication::exit(0);
        }
    }
    void OnCommand(int commandId) override { commands.push_back(commandId); }
    void OnCloseRequest() override { ++closeRequests; }

    std::vector<std::thread::id> threads;
    std::vector<int> values, timers, commands;
    int closeRequests = 0;
};

}  // namespace

TEST(QtPlatform, MessagesPostedFromOtherThreadsArriveOnTheUiThread) {
    App();
    CQtBackend backend;
    CRecordingHandler handler;
    std::string error;
    auto window = backend.GetPlatform().windowSystem->CreateTopLevelWindow(&handler, error);
    ASSERT_TRUE(window);
    IEventLoop& loop = *backend.GetPlatform().eventLoop;
    std::thread poster([&] {
        for (int i = 0; i < 500; ++i) {
            loop.Post(window->GetId(), 1046, MakePayload(std::make_unique<COUNTED>(i)));
        }
        loop.Post(window->GetId(), 99, nullptr);
    });
    QCoreApplication::exec();
    poster.join();
    ASSERT_EQ(handler.values.size(), 500u);
    for (int i = 0; i < 500; ++i) {
        ASSERT_EQ(handler.values[i], i);
    }
    for (auto id : handler.threads) {
        ASSERT_EQ(id, std::this_thread::get_id());
    }
    EXPECT_EQ(COUNTED::alive, 0);
}

TEST(QtPlatform, APayloadForAWindowThatIsGoneIsDeleted) {
    App();
    CQtBackend backend;
    CRecordingHandler handler;
    std::string error;
    auto window = backend.GetPlatform().windowSystem->CreateTopLevelWindow(&handler, error);
    const WindowId id = window->GetId();
    backend.GetPlatform().eventLoop->Post(id, 1046, MakePayload(std::make_unique<COUNTED>(1)));
    window.reset();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(COUNTED::alive, 0);
    EXPECT_TRUE(handler.values.empty());
}

TEST(QtPlatform, TimersFireByIdAndStopWithTheirWindow) {
    App();
    CQtBackend backend;
    CRecordingHandler handler;
    std::string error;
    auto window = backend.GetPlatform().windowSystem->CreateTopLevelWindow(&handler, error);
    IEventLoop& loop = *backend.GetPlatform().eventLoop;
    ASSERT_TRUE(loop.SetTimer(window->GetId(), 2, 5));
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });  // guard
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_EQ(handler.timers, (std::vector<int>{2, 2, 2}));
    loop.KillTimer(window->GetId(), 2);
    EXPECT_FALSE(loop.SetTimer(12345, 1, 5));
}

TEST(QtPlatform, MenuCommandsAndCloseRequestsReachTheHandler) {
    App();
    CQtBackend backend;
    CRecordingHandler handler;
    std::string error;
    auto window = backend.GetPlatform().windowSystem->CreateTopLevelWindow(&handler, error);
    window->SetTitle("Notara Demo");
    window->SetMenu(
        1447, {MENU_ITEM{"&File",
                         0,
                         {MENU_ITEM{"Open song", 1365, {}, true, "", false, false}, MENU_ITEM{},
                          MENU_ITEM{"Save song", 1369, {}, true, "", false, false}},
                         true,
                         "",
                         false,
                         false}});
    auto* qtWindow = static_cast<CQtWindow*>(window.get());
    QMenuBar* bar = qtWindow->GetWidget()->menuBar();
    ASSERT_EQ(bar->actions().size(), 1);
    QMenu* file = bar->actions().at(0)->menu();
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->actions().size(), 3);
    EXPECT_TRUE(file->actions().at(1)->isSeparator());
    file->actions().at(2)->trigger();
    EXPECT_EQ(handler.commands, std::vector<int>{1369});
    window->Show(true);
    qtWindow->GetWidget()->close();  // the owner decides; the window stays
    EXPECT_EQ(handler.closeRequests, 1);
    EXPECT_TRUE(window->IsVisible());
}

TEST(QtPlatform, AScreenshotIsAPngThatCarriesTheTitle) {
    App();
    CQtBackend backend;
    CRecordingHandler handler;
    std::string error;
    auto window = backend.GetPlatform().windowSystem->CreateTopLevelWindow(&handler, error);
    window->SetTitle("Notara Demo");
    window->SetRect(WINDOW_RECT{0, 0, 320, 240});
    window->Show(true);
    QTemporaryDir folder;
    const QString path = folder.filePath("shot.png");
    ASSERT_TRUE(window->SaveScreenshot(path.toUtf8().constData(), error)) << error;
    QImage image(path);
    EXPECT_EQ(image.width(), 320);
    EXPECT_EQ(image.text("Title"), "Notara Demo");
    EXPECT_FALSE(window->SaveScreenshot("/nonexistent-folder/x.png", error));
}

// A status longer than a small window is cut with an ellipsis, the whole of
// it in the tooltip; the window keeps its size and nothing runs past it.
TEST(QtPlatform, ALongStatusIsCutToTheWindowWithTheWholeTextInItsTooltip) {
    App();
    CQtBackend backend;
    CRecordingHandler handler;
    std::string error;
    auto window = backend.GetPlatform().windowSystem->CreateTopLevelWindow(&handler, error);
    window->SetRect(WINDOW_RECT{0, 0, 320, 240});
    window->Show(true);
    const std::string status =
        "Twinkle Twinkle Little Star: note 14 of 42. Right at first try: 93% of 14, "
        "mean reaction 0.82 s; the last run: 97% of 42";
    window->SetStatusText(status.c_str());
    QCoreApplication::processEvents();
    auto* qtWindow = static_cast<CQtWindow*>(window.get());
    CQtStatusLabel* label = qtWindow->GetStatusLabel();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(window->GetRect().width, 320) << "a long status does not widen the window";
    EXPECT_LE(label->geometry().right(), qtWindow->GetWidget()->width());
    EXPECT_TRUE(label->text().endsWith(QChar(0x2026))) << label->text().toStdString();
    EXPECT_EQ(label->toolTip().toStdString(), status);
    EXPECT_EQ(qtWindow->GetStatusText().toStdString(), status);
    // A short one shows whole, without a tooltip.
    window->SetStatusText("Play the note shown");
    EXPECT_EQ(label->text(), QStringLiteral("Play the note shown"));
    EXPECT_TRUE(label->toolTip().isEmpty());
}

// A second holder of the lock hands a message to the first over its socket;
// nothing listens before the first asks, and a message too long is refused.
TEST(QtPlatform, AnInstanceLockHandsAMessageToItsHolder) {
    App();
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    CQtInstanceLock first;
    ASSERT_TRUE(first.TryAcquire("message-test"));
    CQtInstanceLock second;
    ASSERT_FALSE(second.TryAcquire("message-test"));
    EXPECT_FALSE(second.SendToHolder("open /nowhere.mid")) << "the holder does not listen yet";
    std::vector<std::string> taken;
    ASSERT_TRUE(first.ListenForMessages(
        [&taken](const std::string& message) { taken.push_back(message); }));
    ASSERT_TRUE(second.SendToHolder("open /home/learner/Brother John.mid"));
    EXPECT_FALSE(second.SendToHolder(std::string(IInstanceLock::kMaxMessage + 1, 'x')));
    for (int i = 0; i < 200 && taken.empty(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0], "open /home/learner/Brother John.mid");
    EXPECT_FALSE(first.SendToHolder("x")) << "the holder sends to no one";
}

// The lock lies beside the user's settings and is the user's own: two
// sessions with different runtime folders share it, and when the settings
// folder takes no file the runtime folder does.
TEST(QtPlatform, AnInstanceLockRefusesASecondHolderOfTheSameSettings) {
    App();
    QTemporaryDir config;
    QTemporaryDir runtime;
    QTemporaryDir otherRuntime;
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    auto first = std::make_unique<CQtInstanceLock>();
    EXPECT_TRUE(first->TryAcquire("{test-lock}"));
    qputenv("XDG_RUNTIME_DIR", otherRuntime.path().toUtf8());
    CQtInstanceLock second;
    EXPECT_FALSE(second.TryAcquire("{test-lock}"));
    first.reset();
    EXPECT_TRUE(second.TryAcquire("{test-lock}"));
    const QString path = CQtInstanceLock::GetLockPath(config.path(), "{test-lock}");
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_TRUE(path.contains(QString("notara-%1-").arg(getuid()))) << path.toStdString();

    // A configuration folder below a plain file can't take the lock.
    QFile blocker(config.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_CONFIG_HOME", config.filePath("file/config").toUtf8());
    CQtInstanceLock fallback;
    EXPECT_TRUE(fallback.TryAcquire("{test-lock-2}"));
    EXPECT_TRUE(QFile::exists(CQtInstanceLock::GetLockPath(otherRuntime.path(), "{test-lock-2}")));
    if (oldConfig.isNull()) {
        qunsetenv("XDG_CONFIG_HOME");
    } else {
        qputenv("XDG_CONFIG_HOME", oldConfig);
    }
}
