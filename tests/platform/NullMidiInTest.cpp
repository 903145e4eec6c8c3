#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/null/NullMidiIn.h"

namespace {

// Records what the input delivers, and on which thread.
class CRecorder : public IMidiInSink {
public:
    void OnMidiBytes(const uint8_t* bytes, size_t count, double seconds) override {
        std::lock_guard<std::mutex> lock(mutex);
        data.insert(data.end(), bytes, bytes + count);
        lastSeconds = seconds;
        thread = std::this_thread::get_id();
    }
    void OnPortLost(const char*) override { ++lost; }

    std::mutex mutex;
    std::vector<uint8_t> data;
    double lastSeconds = 0.0;
    std::thread::id thread;
    std::atomic<int> lost{0};
};

TEST(NullMidiInTest, ListsItsPortsByNumber) {
    CNullMidiIn input;
    input.AddPort("One");
    input.AddPort("Two");
    EXPECT_EQ(input.GetPortCount(), 2);
    std::string name;
    EXPECT_TRUE(input.GetPortName(1, name));
    EXPECT_EQ(name, "Two");
    EXPECT_FALSE(input.GetPortName(2, name));
    EXPECT_FALSE(input.GetPortName(-1, name));
    EXPECT_TRUE(name.empty());
}

TEST(NullMidiInTest, DeliversInjectedBytesOnItsOwnThreadInOrder) {
    CNullMidiIn input;
    input.AddPort("One");
    CRecorder recorder;
    ASSERT_TRUE(input.Open(0, &recorder)) << input.GetError();
    ASSERT_TRUE(input.Inject({0x90, 60}, 1.0));
    ASSERT_TRUE(input.Inject({100}, 2.5));
    ASSERT_TRUE(input.WaitUntilDelivered(5000));
    EXPECT_EQ(recorder.data, (std::vector<uint8_t>{0x90, 60, 100}));
    EXPECT_EQ(recorder.lastSeconds, 2.5);
    EXPECT_NE(recorder.thread, std::this_thread::get_id());
}

TEST(NullMidiInTest, RefusesBadOpensAndBytesWhenClosed) {
    CNullMidiIn input;
    CRecorder recorder;
    EXPECT_FALSE(input.Open(0, &recorder));
    input.AddPort("One");
    EXPECT_FALSE(input.Open(0, nullptr));
    input.FailNextOpen("busy");
    EXPECT_FALSE(input.Open(0, &recorder));
    EXPECT_NE(std::string(input.GetError()).find("busy"), std::string::npos);
    EXPECT_FALSE(input.Inject({0x90, 60, 1}));
    EXPECT_TRUE(input.Close());
}

TEST(NullMidiInTest, RemovingTheOpenPortReportsItLostOnce) {
    CNullMidiIn input;
    input.AddPort("One");
    input.AddPort("Two");
    CRecorder recorder;
    ASSERT_TRUE(input.Open(1, &recorder));
    EXPECT_TRUE(input.RemovePort("One"));  // not the open one
    EXPECT_EQ(input.GetOpenPort(), 0);     // numbers move down
    EXPECT_TRUE(input.RemovePort("Two"));
    EXPECT_FALSE(input.RemovePort("Two"));
    ASSERT_TRUE(input.WaitUntilDelivered(5000));
    EXPECT_EQ(recorder.lost, 1);
    EXPECT_FALSE(input.Inject({0x90, 60, 1}));
}

TEST(NullMidiInTest, CloseWhileBytesPourInStopsDeliveryForGood) {
    CNullMidiIn input;
    input.AddPort("One");
    for (int round = 0; round < 20; ++round) {
        CRecorder recorder;
        ASSERT_TRUE(input.Open(0, &recorder));
        std::atomic<bool> stop{false};
        std::thread pourer([&] {
            while (!stop) {
                input.Inject({0xF8});
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ASSERT_TRUE(input.Close());
        size_t delivered = 0;
        {
            std::lock_guard<std::mutex> lock(recorder.mutex);
            delivered = recorder.data.size();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        stop = true;
        pourer.join();
        std::lock_guard<std::mutex> lock(recorder.mutex);
        EXPECT_EQ(recorder.data.size(), delivered);
    }
}

}  // namespace
