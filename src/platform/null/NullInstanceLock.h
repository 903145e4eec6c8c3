#pragma once

#include <string>

#include "platform/InstanceLock.h"

// Instance locks among the objects of one process: enough to test refusal
// of a second instance without starting a second process.
class CNullInstanceLock : public IInstanceLock {
public:
    ~CNullInstanceLock() override;
    bool TryAcquire(const char* name) override;

private:
    std::string m_name;
};
