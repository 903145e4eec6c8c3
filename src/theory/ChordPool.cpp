#include "theory/ChordPool.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>

#include "theory/Note.h"

namespace {

constexpr int kChunkBits = 8;
constexpr int kChunkSize = 1 << kChunkBits;
constexpr int kChunks = CChordPool::kFull / kChunkSize + 1;

using KEY = std::tuple<int, int, int, int, int, int, int, int, int, std::string>;

KEY KeyOf(const CHORD_INFO& info) {
    return KEY(info.root, info.pitch, info.chordType, info.scale, info.scaleRoot, info.chordGroup,
               info.baseFret, info.number, info.position, info.name.Str());
}

// Entries live in chunks that never move; a chunk's pointer is published
// before any index into it is handed out.
struct POOL {
    std::mutex lock;
    std::map<KEY, uint16_t> indexes;
    std::atomic<CHORD_INFO*> chunks[kChunks] = {};
    int count = 1;  // index 0 is the empty info

    ~POOL() {
        for (auto& chunk : chunks) {
            delete[] chunk.load();
        }
    }
};

POOL& Pool() {
    static POOL pool;
    return pool;
}

const CHORD_INFO& Empty() {
    static const CHORD_INFO empty;
    return empty;
}

}  // namespace

uint16_t CChordPool::Add(const CHORD_INFO& info) {
    KEY key = KeyOf(info);
    if (key == KeyOf(Empty())) {
        return kEmpty;
    }
    POOL& pool = Pool();
    const std::lock_guard<std::mutex> guard(pool.lock);
    const auto found = pool.indexes.find(key);
    if (found != pool.indexes.end()) {
        return found->second;
    }
    if (pool.count >= kFull) {
        return kFull;
    }
    const int index = pool.count;
    std::atomic<CHORD_INFO*>& chunk = pool.chunks[index >> kChunkBits];
    if (chunk.load(std::memory_order_relaxed) == nullptr) {
        chunk.store(new CHORD_INFO[kChunkSize], std::memory_order_release);
    }
    chunk.load(std::memory_order_relaxed)[index & (kChunkSize - 1)] = info;
    pool.indexes.emplace(std::move(key), static_cast<uint16_t>(index));
    ++pool.count;
    return static_cast<uint16_t>(index);
}

const CHORD_INFO& CChordPool::Get(uint16_t index) {
    if (index == kEmpty || index == kFull) {
        return Empty();
    }
    const CHORD_INFO* chunk = Pool().chunks[index >> kChunkBits].load(std::memory_order_acquire);
    return chunk != nullptr ? chunk[index & (kChunkSize - 1)] : Empty();
}
