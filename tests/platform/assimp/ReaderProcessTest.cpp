// The child process a reader runs in: whatever the reader does there -
// answering, failing, crashing, hanging, swelling or throwing - the caller
// gets an answer or a reason.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <new>
#include <stdexcept>
#include <thread>

#include "platform/assimp/ReaderProcess.h"

namespace {

CReaderProcess::LIMITS Limits(int seconds) {
    CReaderProcess::LIMITS limits;
    limits.seconds = seconds;
    return limits;
}

TEST(ReaderProcess, HandsBackTheChildsAnswer) {
    std::vector<uint8_t> result;
    std::string error;
    const auto work = [](std::vector<uint8_t>& answer, std::string&) {
        answer.assign(200000, 7);  // more than a pipe holds at once
        answer[0] = 1;
        return true;
    };
    ASSERT_TRUE(CReaderProcess::Run(work, Limits(30), result, error)) << error;
    ASSERT_EQ(result.size(), 200000u);
    EXPECT_EQ(result[0], 1);
    EXPECT_EQ(result.back(), 7);
}

TEST(ReaderProcess, HandsBackTheChildsReason) {
    std::vector<uint8_t> result;
    std::string error;
    const auto work = [](std::vector<uint8_t>&, std::string& reason) {
        reason = "Line 3: Closing brace expected.";
        return false;
    };
    EXPECT_FALSE(CReaderProcess::Run(work, Limits(30), result, error));
    EXPECT_EQ(error, "Line 3: Closing brace expected.");
    const auto thrower = [](std::vector<uint8_t>&, std::string&) -> bool {
        throw std::runtime_error("thrown by the reader");
    };
    EXPECT_FALSE(CReaderProcess::Run(thrower, Limits(30), result, error));
    EXPECT_EQ(error, "thrown by the reader");
}

TEST(ReaderProcess, NamesTheSignalOfAChildThatCrashed) {
    std::vector<uint8_t> result;
    std::string error;
    const auto work = [](std::vector<uint8_t>&, std::string&) -> bool {
        raise(SIGSEGV);
        return true;
    };
    EXPECT_FALSE(CReaderProcess::Run(work, Limits(30), result, error));
    EXPECT_EQ(error, "the reader stopped on signal 11 (Segmentation fault)");
    EXPECT_TRUE(result.empty());
}

TEST(ReaderProcess, KillsAChildThatTakesTooLong) {
    std::vector<uint8_t> result;
    std::string error;
    const auto work = [](std::vector<uint8_t>&, std::string&) {
        for (;;) {
            pause();  // a reader caught in a loop
        }
        return true;
    };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(CReaderProcess::Run(work, Limits(1), result, error));
    EXPECT_EQ(error, "the reader took longer than 1 seconds");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST(ReaderProcess, RefusesAnAnswerLargerThanItsLimit) {
    CReaderProcess::LIMITS limits = Limits(30);
    limits.resultSize = 1000;
    std::vector<uint8_t> result;
    std::string error;
    const auto work = [](std::vector<uint8_t>& answer, std::string&) {
        answer.assign(5000, 1);
        return true;
    };
    EXPECT_FALSE(CReaderProcess::Run(work, limits, result, error));
    EXPECT_EQ(error, "the reader's answer is larger than 0 MB");
}

TEST(ReaderProcess, StopsAChildThatSwellsPastItsMemory) {
    CReaderProcess::LIMITS limits = Limits(30);
    limits.memory = 256u << 20;
    std::vector<uint8_t> result;
    std::string error;
    const auto work = [](std::vector<uint8_t>& answer, std::string&) {
        std::vector<std::vector<uint8_t>> blocks;
        for (int i = 0; i < 64; ++i) {
            blocks.emplace_back(64u << 20, 1);  // 4 GB in all
        }
        answer.push_back(static_cast<uint8_t>(blocks.size()));
        return true;
    };
    EXPECT_FALSE(CReaderProcess::Run(work, limits, result, error));
    // Refused memory, or stopped by the sanitizers' allocator.
    EXPECT_TRUE(error == CReaderProcess::kNoMemory ||
                error.rfind("the reader failed with exit code", 0) == 0)
        << error;
}

}  // namespace
