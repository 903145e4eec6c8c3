#include "audio/SoundInfo.h"

#include <new>
#include <utility>

CSoundInfo CSoundInfo::Duplicate() const {
    CSoundInfo copy(*this);
    copy.buffer = kNoBuffer;
    if (m_data) {
        copy.m_data = std::make_shared<std::vector<uint8_t>>(*m_data);
    }
    return copy;
}

void CSoundInfo::Clear() {
    m_data.reset();
    m_size = 0;
    buffer = kNoBuffer;
    format = WAVE_FORMAT();
}

bool CSoundInfo::Allocate(uint32_t count) {
    try {
        m_data = std::make_shared<std::vector<uint8_t>>(count, uint8_t{0});
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_size = count;
    return true;
}

void CSoundInfo::SetData(std::vector<uint8_t> bytes) {
    m_size = static_cast<uint32_t>(bytes.size());
    m_data = std::make_shared<std::vector<uint8_t>>(std::move(bytes));
}

bool CSoundInfo::SetSize(uint32_t size) {
    const size_t allocated = m_data ? m_data->size() : 0;
    if (size > allocated) {
        return false;
    }
    m_size = size;
    return true;
}

double CSoundInfo::GetLength() const {
    if (format.blockAlign == 0 || format.samplesPerSecond == 0) {
        return 0.0;
    }
    // Frames over rate: a frame already holds every channel's value.
    const double frames = static_cast<double>(m_size / format.blockAlign);
    return frames / format.samplesPerSecond;
}
