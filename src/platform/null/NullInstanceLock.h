#pragma once

#include <string>

#include "platform/InstanceLock.h"

// Instance locks among the objects of one process: enough to test refusal
// of a second instance, and its handing over of a message, without starting
// a second process. A message reaches the holder's receiver at once, on the
// sender's thread.
class CNullInstanceLock : public IInstanceLock {
public:
    ~CNullInstanceLock() override;
    bool TryAcquire(const char* name) override;
    bool ListenForMessages(MessageReceiver receiver) override;
    bool SendToHolder(const std::string& message) override;

private:
    std::string m_name;    // held
    std::string m_wanted;  // asked for, held or not
};
