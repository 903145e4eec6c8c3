#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/DebugOutput.h"

// Keeps every debug line for the test to read; installs itself for its
// lifetime and restores stderr afterwards.
class CNullDebugOutput : public IDebugOutput {
public:
    CNullDebugOutput();
    ~CNullDebugOutput() override;

    void Write(const char* text) override;
    std::vector<std::string> GetLines() const;
    bool Contains(const std::string& part) const;

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
};
