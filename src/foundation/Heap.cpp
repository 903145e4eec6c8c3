#include "foundation/Heap.h"

#include <cstdlib>
#include <cstring>

namespace {
// Each block starts with its size, padded so the caller's part stays aligned.
constexpr size_t kHeader = alignof(std::max_align_t);
}  // namespace

CHeap::CHeap(size_t initialBytes, size_t limitBytes)
    : m_initialBytes(initialBytes), m_limitBytes(limitBytes) {}

CHeap& CHeap::Process() {
    // Never destroyed: a list with static storage that first used the heap
    // after it was made is destroyed after it at exit, and still frees
    // its block into it then.
    static CHeap* const heap = new CHeap;
    return *heap;
}

void* CHeap::Allocate(size_t size) {
    if (size > SIZE_MAX - kHeader) {
        return nullptr;
    }
    if (m_limitBytes != 0 && m_bytesInUse + size > m_limitBytes) {
        return nullptr;
    }
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (block == nullptr) {
        return nullptr;
    }
    std::memcpy(block, &size, sizeof size);
    m_bytesInUse += size;
    ++m_blocksInUse;
    return block + kHeader;
}

void CHeap::Free(void* pointer) {
    if (pointer == nullptr) {
        return;
    }
    auto* block = static_cast<unsigned char*>(pointer) - kHeader;
    size_t size = 0;
    std::memcpy(&size, block, sizeof size);
    m_bytesInUse -= size;
    --m_blocksInUse;
    std::free(block);
}
