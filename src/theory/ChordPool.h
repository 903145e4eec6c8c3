#pragma once

#include <cstdint>

struct CHORD_INFO;

// The chord values of the process's notes, each distinct value kept once and
// never removed, so a note holds a two-byte index instead of the values.
// Index 0 is the empty chord info. Adding is serialised; reading an index
// needs no lock, since an entry never changes once its index is handed out.
class CChordPool {
public:
    static constexpr uint16_t kEmpty = 0;
    static constexpr uint16_t kFull = 0xFFFF;  // the pool has no room left

    // The index of info, adding it when new; kFull when the pool is full.
    static uint16_t Add(const CHORD_INFO& info);
    // The info at index; the empty chord info for kEmpty or an unknown index.
    static const CHORD_INFO& Get(uint16_t index);
};
