#include "platform/null/NullDebugOutput.h"

CNullDebugOutput::CNullDebugOutput() {
    Platform::SetDebugOutput(this);
}

CNullDebugOutput::~CNullDebugOutput() {
    Platform::SetDebugOutput(nullptr);
}

void CNullDebugOutput::Write(const char* text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lines.emplace_back(text != nullptr ? text : "");
}

std::vector<std::string> CNullDebugOutput::GetLines() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lines;
}

bool CNullDebugOutput::Contains(const std::string& part) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& line : m_lines) {
        if (line.find(part) != std::string::npos) {
            return true;
        }
    }
    return false;
}
