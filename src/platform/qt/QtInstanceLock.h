#pragma once

#include <QLockFile>

#include <memory>

#include "platform/InstanceLock.h"

// The single-instance lock as a lock file in the user's runtime folder. A
// lock left by a process that died is recognised by its process id and
// taken over.
class CQtInstanceLock : public IInstanceLock {
public:
    bool TryAcquire(const char* name) override;
    // Where the lock of name lives.
    static QString GetLockPath(const char* name);

private:
    std::unique_ptr<QLockFile> m_lock;
};
