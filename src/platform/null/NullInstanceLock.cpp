#include "platform/null/NullInstanceLock.h"

#include <map>
#include <mutex>

namespace {
std::mutex g_mutex;
// The receivers of the held names; an empty one while the holder does not
// listen.
std::map<std::string, IInstanceLock::MessageReceiver> g_held;
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
    m_wanted = wanted;
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_held.emplace(wanted, MessageReceiver()).second) {
        return false;
    }
    m_name = wanted;
    return true;
}

bool CNullInstanceLock::ListenForMessages(MessageReceiver receiver) {
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto held = g_held.find(m_name);
    if (m_name.empty() || held == g_held.end()) {
        return false;
    }
    held->second = std::move(receiver);
    return true;
}

bool CNullInstanceLock::SendToHolder(const std::string& message) {
    MessageReceiver receiver;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        const auto held = g_held.find(m_wanted);
        if (!m_name.empty() || held == g_held.end() || !held->second ||
            message.size() > kMaxMessage) {
            return false;
        }
        receiver = held->second;
    }
    receiver(message);
    return true;
}
