#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

// The looping buffer of a capture device: the device thread writes 16-bit
// frames at the cursor and then moves the cursor past them (a release
// store), so that a reader that loads the cursor (acquire) finds every byte
// before it written. No locks: one device thread writes, user threads read.
class CCaptureBuffer {
public:
    CCaptureBuffer() = default;
    CCaptureBuffer(const CCaptureBuffer&) = delete;
    CCaptureBuffer& operator=(const CCaptureBuffer&) = delete;

    // A silent buffer of bytes for frames of channels, cursor at 0; false
    // when bytes is no whole, non-zero number of frames. Not while the
    // device thread writes.
    bool Reset(int channels, uint32_t bytes);
    void Release();
    uint32_t GetSize() const { return m_size; }
    int GetChannels() const { return m_channels; }

    // The device thread: frames × channels samples go in at the cursor.
    void Write(const int16_t* samples, uint32_t frames);
    void WriteSilence(uint32_t frames);
    // Bytes from the start to where the next frame goes.
    uint32_t GetCursor() const { return m_cursor.load(std::memory_order_acquire); }
    // Copies [offset, offset + count), wrapping at the end; false when
    // offset lies outside the buffer or count exceeds its size.
    bool Read(uint32_t offset, uint32_t count, uint8_t* out) const;

private:
    template <typename Copy>
    void Put(uint32_t bytes, Copy copy);

    std::vector<uint8_t> m_data;
    uint32_t m_size = 0;
    int m_channels = 0;
    std::atomic<uint32_t> m_cursor{0};
};
