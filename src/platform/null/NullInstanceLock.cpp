#include "platform/null/NullInstanceLock.h"

#include <mutex>
#include <set>

namespace {
std::mutex g_mutex;
std::set<std::string> g_held;
}  // namespace

CNullInstanceLock::~CNullInstanceLock() {
    if (!m_name.empty()) {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_held.erase(m_name);
    }
}

bool CNullInstanceLock::TryAcquire(const char* name) {
    const std::string wanted = name != nullptr ? name : "";
    if (!m_name.empty()) {
        return m_name == wanted;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_held.insert(wanted).second) {
        return false;
    }
    m_name = wanted;
    return true;
}
