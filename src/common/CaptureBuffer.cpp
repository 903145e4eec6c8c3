#include "common/CaptureBuffer.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kSampleBytes = sizeof(int16_t);

}  // namespace

bool CCaptureBuffer::Reset(int channels, uint32_t bytes) {
    const uint32_t frameBytes = channels > 0 ? static_cast<uint32_t>(channels) * kSampleBytes : 0;
    if (frameBytes == 0 || bytes == 0 || bytes % frameBytes != 0) {
        return false;
    }
    m_data.assign(bytes, 0);
    m_size = bytes;
    m_channels = channels;
    m_cursor.store(0, std::memory_order_release);
    return true;
}

void CCaptureBuffer::Release() {
    m_data.clear();
    m_data.shrink_to_fit();
    m_size = 0;
    m_channels = 0;
    m_cursor.store(0, std::memory_order_release);
}

// Writes bytes in pieces that end at the buffer's end at the latest; the
// cursor moves once all of them are in.
template <typename Copy>
void CCaptureBuffer::Put(uint32_t bytes, Copy copy) {
    if (m_size == 0) {
        return;
    }
    uint32_t cursor = m_cursor.load(std::memory_order_relaxed);
    uint32_t done = 0;
    while (done < bytes) {
        const uint32_t piece = std::min(bytes - done, m_size - cursor);
        copy(m_data.data() + cursor, done, piece);
        done += piece;
        cursor = (cursor + piece) % m_size;
    }
    m_cursor.store(cursor, std::memory_order_release);
}

void CCaptureBuffer::Write(const int16_t* samples, uint32_t frames) {
    const auto* from = reinterpret_cast<const uint8_t*>(samples);
    Put(frames * static_cast<uint32_t>(m_channels) * kSampleBytes,
        [from](uint8_t* to, uint32_t done, uint32_t piece) {
            std::memcpy(to, from + done, piece);
        });
}

void CCaptureBuffer::WriteSilence(uint32_t frames) {
    Put(frames * static_cast<uint32_t>(m_channels) * kSampleBytes,
        [](uint8_t* to, uint32_t, uint32_t piece) { std::memset(to, 0, piece); });
}

bool CCaptureBuffer::Read(uint32_t offset, uint32_t count, uint8_t* out) const {
    if (offset >= m_size || count > m_size || (count > 0 && out == nullptr)) {
        return false;
    }
    const uint32_t first = std::min(count, m_size - offset);
    std::memcpy(out, m_data.data() + offset, first);
    std::memcpy(out + first, m_data.data(), count - first);
    return true;
}
