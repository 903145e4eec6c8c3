#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "audio/WaveFormat.h"
#include "foundation/CharString.h"
#include "theory/Note.h"

// One sound in memory: its PCM format and bytes, where it was read from, the
// note it plays and, once it joins the sound engine, its own output buffer.
//
// Copying a record (constructor or assignment) shares its bytes, which suits
// working records; Duplicate gives a record with bytes of its own.
class CSoundInfo {
public:
    static constexpr int kNoBuffer = -1;

    CSoundInfo() = default;
    CSoundInfo(const CSoundInfo&) = default;
    CSoundInfo& operator=(const CSoundInfo&) = default;
    virtual ~CSoundInfo() = default;

    // A full copy whose bytes are its own; the buffer is not copied.
    CSoundInfo Duplicate() const;
    // Frees the bytes, forgets the buffer and zeroes the format.
    void Clear();

    // Replaces the bytes with count zeroed ones (size = count); false when
    // they can't be allocated.
    bool Allocate(uint32_t count);
    // Takes bytes as the data (size = their count).
    void SetData(std::vector<uint8_t> bytes);

    uint8_t* GetData() { return m_data ? m_data->data() : nullptr; }
    const uint8_t* GetData() const { return m_data ? m_data->data() : nullptr; }
    // The 16-bit values of the data (meaningful for 16-bit formats).
    int16_t* GetValues() { return reinterpret_cast<int16_t*>(GetData()); }
    const int16_t* GetValues() const { return reinterpret_cast<const int16_t*>(GetData()); }
    // Bytes in use; the allocation may be larger after a resample down.
    uint32_t GetSize() const { return m_size; }
    // Shortens the data in use; a size beyond the allocation is refused.
    bool SetSize(uint32_t size);
    // The shared bytes, for an output buffer that plays them in place.
    std::shared_ptr<const std::vector<uint8_t>> GetShared() const { return m_data; }

    // Length in seconds: frames (size / block align) over the rate, for mono
    // and stereo alike; 0 for an empty format.
    double GetLength() const;

    CCharString name;
    WAVE_FORMAT format;
    CCharString fileName;
    CNote note;
    int buffer = kNoBuffer;

private:
    std::shared_ptr<std::vector<uint8_t>> m_data;
    uint32_t m_size = 0;
};
