#include "platform/null/NullJournal.h"

void CNullJournal::Add(std::string entry) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.push_back(std::move(entry));
}

std::vector<std::string> CNullJournal::GetEntries() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_entries;
}

std::vector<std::string> CNullJournal::GetEntries(const std::string& prefix) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> matching;
    for (const auto& entry : m_entries) {
        if (entry.compare(0, prefix.size(), prefix) == 0) {
            matching.push_back(entry);
        }
    }
    return matching;
}

void CNullJournal::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.clear();
}
