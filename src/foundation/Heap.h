#pragma once

#include <atomic>
#include <cstddef>

// A heap that an owner gives to its lists so that their storage is counted
// (and can be checked for leaks) in one place. Allocation is thread-safe.
class CHeap {
public:
    // limitBytes 0 means growable without limit.
    explicit CHeap(size_t initialBytes = 0, size_t limitBytes = 0);
    CHeap(const CHeap&) = delete;
    CHeap& operator=(const CHeap&) = delete;
    virtual ~CHeap() = default;

    // The heap of the process, used by lists that are given none; it lives
    // until the process ends, past every static object.
    static CHeap& Process();

    // Null when the heap cannot give size bytes.
    void* Allocate(size_t size);
    void Free(void* block);

    size_t GetBytesInUse() const { return m_bytesInUse; }
    size_t GetBlocksInUse() const { return m_blocksInUse; }
    size_t GetInitialBytes() const { return m_initialBytes; }

private:
    size_t m_initialBytes;
    size_t m_limitBytes;
    std::atomic<size_t> m_bytesInUse{0};
    std::atomic<size_t> m_blocksInUse{0};
};
