#pragma once

#include <mutex>
#include <string>
#include <vector>

// The ordered record of what the application asked of the null backend, so
// that tests can check sequences (window made, timers set, quit) as a whole.
class CNullJournal {
public:
    void Add(std::string entry);
    std::vector<std::string> GetEntries() const;
    // Entries that start with prefix, in order.
    std::vector<std::string> GetEntries(const std::string& prefix) const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_entries;
};
