#pragma once

// A lock that at most one process of the system holds per name. Released
// when the object is destroyed or the process ends, however it ends.
class IInstanceLock {
public:
    virtual ~IInstanceLock() = default;
    // False when another process (or another lock object) holds name.
    virtual bool TryAcquire(const char* name) = 0;
};
