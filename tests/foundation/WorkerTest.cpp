#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "foundation/Worker.h"

namespace {

// Records every command in arrival order; can be held inside DoWork.
class CRecordingWorker : public CWorker {
public:
    explicit CRecordingWorker(const char* name = "Recorder") : CWorker(name, nullptr) {}
    ~CRecordingWorker() override {
        Release();
        Stop(kNoLimit);
    }

    void Hold() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_hold = true;
    }
    void Release() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_hold = false;
        }
        m_released.notify_all();
    }
    // Waits until DoWork is inside a held command.
    void WaitUntilHeld() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_released.wait(lock, [this] { return m_inside; });
    }
    std::vector<uint32_t> GetCommands() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_commands;
    }
    int GetTicks() const { return m_ticks; }
    std::string GetThreadName() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_threadName;
    }
    std::chrono::microseconds workTime{0};

protected:
    void DoWork(uint32_t command) override {
        char name[32] = {};
        pthread_getname_np(pthread_self(), name, sizeof name);
        std::unique_lock<std::mutex> lock(m_mutex);
        m_threadName = name;
        m_commands.push_back(command);
        m_inside = true;
        m_released.notify_all();
        m_released.wait(lock, [this] { return !m_hold; });
        m_inside = false;
        lock.unlock();
        if (workTime.count() > 0) {
            std::this_thread::sleep_for(workTime);
        }
    }
    void OnTick() override { ++m_ticks; }

private:
    std::mutex m_mutex;
    std::condition_variable m_released;
    std::vector<uint32_t> m_commands;
    std::string m_threadName;
    bool m_hold = false;
    bool m_inside = false;
    std::atomic<int> m_ticks{0};
};

}  // namespace

TEST(Worker, CommandsFromFourThreadsArriveOnceEachInPerSenderOrder) {
    CRecordingWorker worker;
    ASSERT_TRUE(worker.Start());
    constexpr uint32_t kPerSender = 2500;
    std::vector<std::thread> senders;
    for (uint32_t sender = 0; sender < 4; ++sender) {
        senders.emplace_back([&worker, sender] {
            for (uint32_t i = 0; i < kPerSender; ++i) {
                EXPECT_TRUE(worker.Post(sender << 24 | i, i % 100 == 99));
            }
        });
    }
    for (auto& sender : senders) {
        sender.join();
    }
    ASSERT_TRUE(worker.Post(0xFFFFFFFF, true));  // everything before it is done
    const std::vector<uint32_t> commands = worker.GetCommands();
    ASSERT_EQ(commands.size(), 4 * kPerSender + 1);
    std::map<uint32_t, uint32_t> next;
    for (size_t i = 0; i + 1 < commands.size(); ++i) {
        const uint32_t sender = commands[i] >> 24;
        const uint32_t sequence = commands[i] & 0xFFFFFF;
        ASSERT_LT(sender, 4u);
        ASSERT_EQ(sequence, next[sender]) << "sender " << sender;
        ++next[sender];
    }
    EXPECT_TRUE(worker.Stop(1000));
}

TEST(Worker, StartingTwiceFailsAndLeavesTheFirstThreadRunning) {
    CRecordingWorker worker;
    ASSERT_TRUE(worker.Start());
    EXPECT_FALSE(worker.Start());
    EXPECT_STREQ(worker.GetError(), "Already started");
    EXPECT_TRUE(worker.IsRunning());
    EXPECT_TRUE(worker.Post(7, true));
    EXPECT_EQ(worker.GetCommands(), std::vector<uint32_t>{7});
}

TEST(Worker, RunsUnderItsOwnName) {
    CRecordingWorker worker("SoundCapture");
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(worker.Post(1, true));
    EXPECT_EQ(worker.GetThreadName(), "SoundCapture");
    EXPECT_NE(worker.GetThreadId(), 0);
}

TEST(Worker, StopWhileBusyDropsTheQueueAndJoins) {
    CRecordingWorker worker;
    worker.workTime = std::chrono::milliseconds(2);
    ASSERT_TRUE(worker.Start());
    for (uint32_t i = 0; i < 1000; ++i) {
        worker.Post(i, false);
    }
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(worker.Stop(5000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_LT(worker.GetCommands().size(), 1000u);
    EXPECT_FALSE(worker.Post(1, false));
}

TEST(Worker, AStuckThreadIsReportedNotKilledAndJoinsOnceFree) {
    CRecordingWorker worker("Stuck");
    ASSERT_TRUE(worker.Start());
    worker.Hold();
    ASSERT_TRUE(worker.Post(1, false));
    worker.WaitUntilHeld();
    EXPECT_FALSE(worker.Stop(50));
    EXPECT_STREQ(worker.GetError(), "Can't stop 'Stuck' thread in 50 ms");
    worker.Release();
    EXPECT_TRUE(worker.Stop(CWorker::kNoLimit));
    EXPECT_FALSE(worker.IsRunning());
}

TEST(Worker, TicksAskedForWhileBusyAreHandledOnce) {
    CRecordingWorker worker;
    ASSERT_TRUE(worker.Start());
    worker.Hold();
    ASSERT_TRUE(worker.Post(1, false));
    worker.WaitUntilHeld();
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(worker.RequestTick());
    }
    worker.Release();
    ASSERT_TRUE(worker.Post(2, true));
    // The tick comes after the queued command, so wait for it briefly.
    for (int i = 0; i < 200 && worker.GetTicks() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(worker.GetTicks(), 1);
}

TEST(Worker, AWaitingPosterIsReleasedWhenTheThreadStops) {
    CRecordingWorker worker;
    ASSERT_TRUE(worker.Start());
    worker.Hold();
    ASSERT_TRUE(worker.Post(1, false));
    worker.WaitUntilHeld();
    std::atomic<bool> returned{false};
    std::thread poster([&] {
        worker.Post(2, true);  // queued behind the held command
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(returned);
    std::thread stopper([&] { worker.Stop(CWorker::kNoLimit); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    worker.Release();
    stopper.join();
    poster.join();
    EXPECT_TRUE(returned);
}

TEST(Worker, StopOnAnIdleWorkerSucceedsAndItCanStartAgain) {
    CRecordingWorker worker;
    EXPECT_TRUE(worker.Stop(10));
    EXPECT_FALSE(worker.Post(1, false));
    ASSERT_TRUE(worker.Start());
    EXPECT_TRUE(worker.Stop(1000));
    ASSERT_TRUE(worker.Start());
    EXPECT_TRUE(worker.Post(3, true));
    EXPECT_EQ(worker.GetCommands().back(), 3u);
}
