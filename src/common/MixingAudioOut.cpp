#include "common/MixingAudioOut.h"

int CMixingAudioOut::CreateBuffer(int channels, int rate, uint32_t bytes) {
    if (!IsOpen()) {
        Fail("Can't create a sound buffer: the device is not open");
        return kNoBuffer;
    }
    return m_mixer.CreateBuffer(channels, rate, bytes);
}

int CMixingAudioOut::CreateSharedBuffer(int channels, int rate,
                                        std::shared_ptr<const std::vector<uint8_t>> data,
                                        uint32_t bytes) {
    if (!IsOpen()) {
        Fail("Can't create a shared sound buffer: the device is not open");
        return kNoBuffer;
    }
    return m_mixer.CreateSharedBuffer(channels, rate, std::move(data), bytes);
}
