#pragma once

#include <gtest/gtest.h>
#include <regex.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Clock.h"

// Helpers shared by the tests of files written and read on disk.

inline void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

inline std::vector<std::string> FolderEntries(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

// A clock whose local time moves stepMs milliseconds each time it is read
// (0: it stands still); installs itself for its lifetime.
class CTestClock : public IClock {
public:
    explicit CTestClock(const LOCAL_TIME& start, int stepMs = 0) : m_time(start), m_step(stepMs) {
        Platform::SetClock(this);
    }
    ~CTestClock() override { Platform::SetClock(nullptr); }
    double GetSeconds() override { return 0.0; }
    LOCAL_TIME GetLocalTime() override {
        const LOCAL_TIME now = m_time;
        m_time.millisecond += m_step;
        m_time.second += m_time.millisecond / 1000;
        m_time.millisecond %= 1000;
        return now;
    }

private:
    LOCAL_TIME m_time;
    int m_step;
};

// The "MM/DD/YY hh:mm:ss.mmm  " stamp in front of a logged line.
inline const std::string kStampPattern =
    "[0-9]{2}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3}  ";

// A POSIX extended regular expression. (std::regex trips a false
// uninitialised-use warning of GCC 12 under the sanitizers.)
class CPattern {
public:
    static constexpr size_t kMaxGroups = 3;

    explicit CPattern(const std::string& pattern) {
        m_valid = regcomp(&m_compiled, pattern.c_str(), REG_EXTENDED) == 0;
        EXPECT_TRUE(m_valid) << "bad pattern " << pattern;
    }
    CPattern(const CPattern&) = delete;
    CPattern& operator=(const CPattern&) = delete;
    ~CPattern() {
        if (m_valid) {
            regfree(&m_compiled);
        }
    }
    // Whether text matches; groups receives the parenthesised sub-matches.
    bool Matches(const std::string& text, std::vector<std::string>* groups = nullptr) const {
        regmatch_t matches[kMaxGroups + 1];
        if (!m_valid || regexec(&m_compiled, text.c_str(), kMaxGroups + 1, matches, 0) != 0) {
            return false;
        }
        for (size_t i = 1; groups != nullptr && i <= kMaxGroups && matches[i].rm_so >= 0; ++i) {
            const auto start = static_cast<size_t>(matches[i].rm_so);
            groups->push_back(text.substr(start, static_cast<size_t>(matches[i].rm_eo) - start));
        }
        return true;
    }

private:
    regex_t m_compiled{};
    bool m_valid = false;
};
