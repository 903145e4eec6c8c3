#pragma once

#include <functional>
#include <string>

// A lock that at most one process of the system holds per name. Released
// when the object is destroyed or the process ends, however it ends. The
// holder can take short messages from a process that found the lock held
// (a second start handing over the file it was given).
class IInstanceLock {
public:
    using MessageReceiver = std::function<void(const std::string& message)>;
    // The longest message handed over, in bytes.
    static constexpr size_t kMaxMessage = 4096;

    virtual ~IInstanceLock() = default;
    // False when another process (or another lock object) holds name.
    virtual bool TryAcquire(const char* name) = 0;
    // After TryAcquire succeeded: messages handed over come to receiver on
    // the user-interface thread. False when none can be taken.
    virtual bool ListenForMessages(MessageReceiver receiver) = 0;
    // After TryAcquire failed: hands message to the holder of the lock,
    // waiting a moment at most. False when no holder took it.
    virtual bool SendToHolder(const std::string& message) = 0;
};
