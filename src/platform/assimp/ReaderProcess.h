#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Runs a reader in a child process of its own, so that a reader that
// crashes, hangs or swells on a hostile file takes only the child with it:
// the caller gets a "Can't" reason instead. The child is a copy of the
// calling process that runs work alone and ends without running any of the
// process's exit handlers; its answer comes back through a pipe.
class CReaderProcess {
public:
    // Fills result (true) or error (false), in the child.
    using Work = std::function<bool(std::vector<uint8_t>& result, std::string& error)>;

    struct LIMITS {
        int seconds = 30;                // wall-clock time, then the child is killed
        size_t memory = 2048u << 20;     // more address space than the caller has
        size_t resultSize = 512u << 20;  // largest answer taken
    };

    // The reason given when the child runs out of the memory it may use.
    static constexpr const char* kNoMemory = "the model needs more memory than the reader may use";

    // True with the child's result; false with its error, or with what
    // became of a child that did not answer.
    static bool Run(const Work& work, const LIMITS& limits, std::vector<uint8_t>& result,
                    std::string& error);

private:
    [[noreturn]] static void RunChild(const Work& work, const LIMITS& limits, int output);
    static bool ReadAnswer(int input, int pid, const LIMITS& limits, std::vector<uint8_t>& answer,
                           std::string& error);
    static bool WaitForChild(int pid, bool answered, std::string& error);
};
