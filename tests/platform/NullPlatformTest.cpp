#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "PayloadCounter.h"
#include "platform/null/NullBackend.h"
#include "platform/null/NullInstanceLock.h"
#include "platform/null/NullWindow.h"

std::atomic<int> COUNTED::alive{0};

namespace {

class CRecordingHandler : public IWindowHandler {
public:
    void OnMessage(int message, std::unique_ptr<IPayload> payload) override {
        messages.push_back(message);
        if (auto counted = TakePayload<COUNTED>(payload)) {
            values.push_back(counted->value);
        }
    }
    void OnTimer(int timerId) override { timers.push_back(timerId); }
    void OnCommand(int commandId) override { commands.push_back(commandId); }
    void OnCloseRequest() override { ++closeRequests; }

    std::vector<int> messages, values, timers, commands;
    int closeRequests = 0;
};

}  // namespace

TEST(NullPlatform, MessagesArriveInOrderWithTheirPayloads) {
    CNullBackend backend;
    CRecordingHandler handler;
    std::string error;
    auto window = backend.GetWindowSystem().CreateTopLevelWindow(&handler, error);
    ASSERT_TRUE(window);
    for (int i = 0; i < 3; ++i) {
        backend.GetEventLoop().Post(window->GetId(), 1046,
                                    MakePayload(std::make_unique<COUNTED>(i)));
    }
    backend.GetEventLoop().Post(window->GetId(), 1027, nullptr);
    EXPECT_EQ(backend.GetEventLoop().ProcessMessages(), 4);
    EXPECT_EQ(handler.messages, (std::vector<int>{1046, 1046, 1046, 1027}));
    EXPECT_EQ(handler.values, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(COUNTED::alive, 0);
}

TEST(NullPlatform, APayloadForAWindowThatIsGoneIsDeleted) {
    CNullBackend backend;
    CRecordingHandler handler;
    std::string error;
    auto window = backend.GetWindowSystem().CreateTopLevelWindow(&handler, error);
    const WindowId id = window->GetId();
    backend.GetEventLoop().Post(id, 1046, MakePayload(std::make_unique<COUNTED>(1)));
    window.reset();
    EXPECT_EQ(COUNTED::alive, 1);
    backend.GetEventLoop().ProcessMessages();
    EXPECT_EQ(COUNTED::alive, 0);
    EXPECT_TRUE(handler.messages.empty());
    // Also when it is posted after the window went.
    backend.GetEventLoop().Post(id, 1046, MakePayload(std::make_unique<COUNTED>(2)));
    backend.GetEventLoop().ProcessMessages();
    EXPECT_EQ(COUNTED::alive, 0);
}

TEST(NullPlatform, PayloadsStillQueuedWhenTheLoopEndsAreDeleted) {
    {
        CNullBackend backend;
        backend.GetEventLoop().Post(77, 1046, MakePayload(std::make_unique<COUNTED>(1)));
        EXPECT_EQ(COUNTED::alive, 1);
    }
    EXPECT_EQ(COUNTED::alive, 0);
}

TEST(NullPlatform, PostsFromManyThreadsAllArrive) {
    CNullBackend backend;
    CRecordingHandler handler;
    std::string error;
    auto window = backend.GetWindowSystem().CreateTopLevelWindow(&handler, error);
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t) {
        posters.emplace_back([&] {
            for (int i = 0; i < 1000; ++i) {
                backend.GetEventLoop().Post(window->GetId(), 1046,
                                            MakePayload(std::make_unique<COUNTED>(i)));
            }
        });
    }
    for (auto& poster : posters) {
        poster.join();
    }
    EXPECT_EQ(backend.GetEventLoop().ProcessMessages(), 4000);
    EXPECT_EQ(handler.values.size(), 4000u);
    EXPECT_EQ(COUNTED::alive, 0);
}

TEST(NullPlatform, TimersFireInVirtualTimeInOrder) {
    CNullBackend backend;
    CRecordingHandler handler;
    std::string error;
    auto window = backend.GetWindowSystem().CreateTopLevelWindow(&handler, error);
    CNullEventLoop& loop = backend.GetEventLoop();
    ASSERT_TRUE(loop.SetTimer(window->GetId(), 1, 33));
    ASSERT_TRUE(loop.SetTimer(window->GetId(), 3, 100));
    EXPECT_FALSE(loop.SetTimer(window->GetId(), 4, 0));
    EXPECT_FALSE(loop.SetTimer(999, 1, 10));
    loop.AdvanceTime(100);
    EXPECT_EQ(handler.timers, (std::vector<int>{1, 1, 1, 3}));
    loop.KillTimer(window->GetId(), 1);
    loop.AdvanceTime(100);
    EXPECT_EQ(handler.timers, (std::vector<int>{1, 1, 1, 3, 3}));
    window.reset();
    EXPECT_FALSE(loop.HasTimer(1, 3));
}

TEST(NullPlatform, RunEndsOnQuitOrWhenNothingCanHappen) {
    CNullBackend backend;
    EXPECT_EQ(backend.GetEventLoop().Run(), -1);
    backend.GetEventLoop().Quit(5);
    EXPECT_EQ(backend.GetEventLoop().Run(), 5);
}

TEST(NullPlatform, MessageBoxesAreRecordedAndAnsweredFromTheScript) {
    CNullBackend backend;
    CNullWindowSystem& windows = backend.GetWindowSystem();
    EXPECT_EQ(windows.MessageBox(nullptr, "text", "Caption", BoxIcon::kError, BoxButtons::kOk),
              BoxResult::kOk);
    windows.ScriptAnswer(BoxResult::kNo);
    EXPECT_EQ(windows.MessageBox(nullptr, "overwrite?", "Save File", BoxIcon::kQuestion,
                                 BoxButtons::kYesNo),
              BoxResult::kNo);
    ASSERT_EQ(windows.GetBoxes().size(), 2u);
    EXPECT_EQ(windows.GetBoxes()[0].caption, "Caption");
    EXPECT_EQ(windows.GetBoxes()[1].icon, BoxIcon::kQuestion);
}

TEST(NullPlatform, WindowsRecordTitleMenuAndUserActions) {
    CNullBackend backend;
    CRecordingHandler handler;
    std::string error;
    auto window = backend.GetWindowSystem().CreateTopLevelWindow(&handler, error);
    window->SetTitle("Notara Demo");
    window->SetMenu(1447, {MENU_ITEM{"&File",
                                     0,
                                     {MENU_ITEM{"Open song", 1365, {}, true, "", false, false}},
                                     true,
                                     "",
                                     false,
                                     false}});
    auto* record = backend.GetWindowSystem().GetWindows().at(0);
    EXPECT_EQ(record->GetTitle(), "Notara Demo");
    EXPECT_EQ(record->GetMenuId(), 1447);
    record->ChooseCommand(1365);
    record->RequestClose();
    EXPECT_EQ(handler.commands, std::vector<int>{1365});
    EXPECT_EQ(handler.closeRequests, 1);
    window.reset();
    EXPECT_TRUE(backend.GetWindowSystem().GetWindows().empty());
    backend.GetWindowSystem().FailWindowCreation("no screen");
    EXPECT_FALSE(backend.GetWindowSystem().CreateTopLevelWindow(&handler, error));
    EXPECT_EQ(error, "no screen");
}

TEST(NullPlatform, AnInstanceLockIsHeldByOneObjectAtATime) {
    auto first = std::make_unique<CNullInstanceLock>();
    CNullInstanceLock second;
    EXPECT_TRUE(first->TryAcquire("{lock}"));
    EXPECT_TRUE(first->TryAcquire("{lock}"));
    EXPECT_FALSE(second.TryAcquire("{lock}"));
    first.reset();
    EXPECT_TRUE(second.TryAcquire("{lock}"));
}
