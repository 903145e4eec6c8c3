#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "FileTesting.h"
#include "foundation/Worker.h"

namespace {

constexpr auto kPatience = std::chrono::seconds(10);
constexpr uint32_t kTick = 0xFFFFFFFE;  // recorded for each OnTick

// Whether condition holds within kPatience, checked as things change.
template <typename Condition>
bool Eventually(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Records every command and tick in arrival order; can be held inside DoWork.
class CRecordingWorker : public CWorker {
public:
    explicit CRecordingWorker(const char* name = "Recorder") : CWorker(name, nullptr) {}
    ~CRecordingWorker() override {
        Hold(false);
        Stop(kNoLimit);
    }

    // While held, DoWork waits inside the command it was given.
    void Hold(bool hold) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_hold = hold;
        m_changed.notify_all();
    }
    // Waits until the record holds count entries (DoWork may still be held).
    bool WaitForRecords(size_t count) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, kPatience, [&] { return m_record.size() >= count; });
    }
    std::vector<uint32_t> GetRecord() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_record;
    }
    int GetFinished() const { return m_finished; }

protected:
    void DoWork(uint32_t command) override {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_record.push_back(command);
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return !m_hold; });
        ++m_finished;
    }
    void OnTick() override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_record.push_back(kTick);
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<uint32_t> m_record;
    bool m_hold = false;
    std::atomic<int> m_finished{0};
};

}  // namespace

TEST(Worker, CommandsFromFourThreadsArriveOnceEachInPerSenderOrder) {
    constexpr uint32_t kSenders = 4;
    constexpr uint32_t kPerSender = 2500;
    constexpr uint32_t kLast = 0xFFFFFFFF;
    CRecordingWorker worker;
    ASSERT_TRUE(worker.Start());
    std::vector<std::thread> senders;
    for (uint32_t sender = 0; sender < kSenders; ++sender) {
        senders.emplace_back([&worker, sender] {
            for (uint32_t i = 0; i < kPerSender; ++i) {
                EXPECT_TRUE(worker.Post(sender << 24 | i, i % 100 == 99));
            }
        });
    }
    for (auto& sender : senders) {
        sender.join();
    }
    ASSERT_TRUE(worker.Post(kLast, true));  // everything before it is done
    const std::vector<uint32_t> record = worker.GetRecord();
    ASSERT_EQ(record.size(), kSenders * kPerSender + 1);
    std::map<uint32_t, uint32_t> next;
    for (size_t i = 0; i + 1 < record.size(); ++i) {
        const uint32_t sender = record[i] >> 24;
        ASSERT_LT(sender, kSenders);
        ASSERT_EQ(record[i] & 0xFFFFFF, next[sender]) << "sender " << sender;
        ++next[sender];
    }
    EXPECT_TRUE(worker.Stop(1000));
}

TEST(Worker, StartRunsOneThreadUnderTheWorkersNameAndAStoppedWorkerStartsAgain) {
    CRecordingWorker worker("SoundCapture");
    EXPECT_TRUE(worker.Stop(10));  // never started
    EXPECT_FALSE(worker.Post(1, false));
    ASSERT_TRUE(worker.Start());
    EXPECT_FALSE(worker.Start());
    EXPECT_STREQ(worker.GetError(), "Already started");
    ASSERT_TRUE(worker.Post(7, true));
    const std::string task = "/proc/self/task/" + std::to_string(worker.GetThreadId());
    EXPECT_EQ(ReadFile(task + "/comm"), "SoundCapture\n");
    EXPECT_TRUE(worker.Stop(1000));
    EXPECT_FALSE(worker.IsRunning());
    ASSERT_TRUE(worker.Start());
    EXPECT_TRUE(worker.Post(3, true));
    EXPECT_EQ(worker.GetRecord(), (std::vector<uint32_t>{7, 3}));
}

TEST(Worker, AWorkerStoppedWhileBusyFinishesItsItemAndEnds) {
    constexpr uint32_t kQueued = 1000;
    constexpr int kShortWaitMs = 50;
    CRecordingWorker worker("Busy");
    ASSERT_TRUE(worker.Start());
    worker.Hold(true);
    for (uint32_t i = 0; i < kQueued; ++i) {
        ASSERT_TRUE(worker.Post(i, false));
    }
    ASSERT_TRUE(worker.WaitForRecords(1));
    // Still inside its item: reported, not killed.
    EXPECT_FALSE(worker.Stop(kShortWaitMs));
    EXPECT_STREQ(worker.GetError(), "Can't stop 'Busy' thread in 50 ms");
    EXPECT_TRUE(worker.IsRunning());
    EXPECT_FALSE(worker.Post(1, false));
    worker.Hold(false);
    EXPECT_TRUE(worker.Stop(CWorker::kNoLimit));
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(worker.GetRecord(), std::vector<uint32_t>{0});  // the queue is dropped
    EXPECT_EQ(worker.GetFinished(), 1);
}

TEST(Worker, TicksAskedForWhileBusyAreHandledOnceAfterTheQueuedCommands) {
    CRecordingWorker worker;
    ASSERT_TRUE(worker.Start());
    worker.Hold(true);
    ASSERT_TRUE(worker.Post(1, false));
    ASSERT_TRUE(worker.WaitForRecords(1));
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(worker.RequestTick());
    }
    ASSERT_TRUE(worker.Post(2, false));
    worker.Hold(false);
    ASSERT_TRUE(worker.WaitForRecords(3));
    ASSERT_TRUE(worker.Post(3, true));
    EXPECT_EQ(worker.GetRecord(), (std::vector<uint32_t>{1, 2, kTick, 3}));
}

TEST(Worker, AWaitingPosterIsReleasedWhenTheThreadStops) {
    CRecordingWorker worker;
    ASSERT_TRUE(worker.Start());
    worker.Hold(true);
    ASSERT_TRUE(worker.Post(1, false));
    ASSERT_TRUE(worker.WaitForRecords(1));
    bool handled = true;
    std::thread poster([&] { handled = worker.Post(2, true); });  // queued behind the held one
    ASSERT_TRUE(Eventually([&] { return worker.GetPendingCount() == 1; }));
    std::thread stopper([&] { worker.Stop(CWorker::kNoLimit); });
    ASSERT_TRUE(Eventually([&] { return worker.IsStopping(); }));
    worker.Hold(false);
    stopper.join();
    poster.join();
    EXPECT_FALSE(handled);
    EXPECT_EQ(worker.GetRecord(), std::vector<uint32_t>{1});
}

TEST(Worker, ATickPeriodTicksAnIdleWorkerWithoutRequestsAndZeroEndsIt) {
    CRecordingWorker worker;
    worker.SetTickPeriod(5);
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(worker.WaitForRecords(3));  // three ticks nobody asked for
    worker.SetTickPeriod(0);
    const size_t mark = worker.GetRecord().size();
    ASSERT_TRUE(worker.Post(7, true));
    // Twenty periods without one: at most the tick already due when the
    // period ended arrives.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const std::vector<uint32_t> record = worker.GetRecord();
    const auto ticks = std::count(record.begin() + static_cast<long>(mark), record.end(), kTick);
    EXPECT_LE(ticks, 1);
}
