#pragma once

#include <string>
#include <vector>

#include "platform/DebugOutput.h"

// Keeps what is written to the debug output while it lives.
class CDebugRecorder : public IDebugOutput {
public:
    CDebugRecorder() { Platform::SetDebugOutput(this); }
    ~CDebugRecorder() override { Platform::SetDebugOutput(nullptr); }
    void Write(const char* text) override { lines.push_back(text); }
    int Count(const std::string& text) const {
        int count = 0;
        for (const std::string& line : lines) {
            count += line.find(text) != std::string::npos ? 1 : 0;
        }
        return count;
    }
    std::vector<std::string> lines;
};
