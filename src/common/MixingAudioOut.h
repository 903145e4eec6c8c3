#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/BufferMixer.h"
#include "platform/AudioOut.h"

// The buffer side of an output device, the same for every backend: the
// calls go to a CBufferMixer, whose Mix the backend calls from its device's
// thread. Buffers are made only while the device is open.
class CMixingAudioOut : public IAudioOut {
public:
    int CreateBuffer(int channels, int rate, uint32_t bytes) override;
    int CreateSharedBuffer(int channels, int rate, std::shared_ptr<const std::vector<uint8_t>> data,
                           uint32_t bytes) override;
    bool ReleaseBuffer(int buffer) override { return m_mixer.ReleaseBuffer(buffer); }
    bool Lock(int buffer, uint32_t offset, uint32_t bytes, uint8_t*& data,
              uint32_t& locked) override {
        return m_mixer.Lock(buffer, offset, bytes, data, locked);
    }
    bool Unlock(int buffer) override { return m_mixer.Unlock(buffer); }
    bool Play(int buffer, bool loop) override { return m_mixer.Play(buffer, loop); }
    bool Stop(int buffer) override { return m_mixer.Stop(buffer); }
    bool FadeOut(int buffer, uint32_t frames) override { return m_mixer.FadeOut(buffer, frames); }
    bool SetPosition(int buffer, uint32_t offset) override {
        return m_mixer.SetPosition(buffer, offset);
    }
    bool GetPosition(int buffer, uint32_t& offset) override {
        return m_mixer.GetPosition(buffer, offset);
    }
    bool IsPlaying(int buffer) override { return m_mixer.IsPlaying(buffer); }
    bool SetVolume(int buffer, int32_t hundredthsDb) override {
        return m_mixer.SetVolume(buffer, hundredthsDb);
    }
    bool SetPan(int buffer, int32_t hundredthsDb) override {
        return m_mixer.SetPan(buffer, hundredthsDb);
    }
    void SetTap(IAudioTap* tap) override { m_mixer.SetTap(tap); }
    const char* GetError() const override { return m_mixer.GetError(); }

protected:
    explicit CMixingAudioOut(int deviceRate) : m_mixer(deviceRate) {}

    CBufferMixer& GetMixer() { return m_mixer; }
    bool Fail(const std::string& text) { return m_mixer.Fail(text); }

private:
    CBufferMixer m_mixer;
};
