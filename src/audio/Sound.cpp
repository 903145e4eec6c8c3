#include "audio/Sound.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "audio/SampleBanks.h"
#include "audio/SampleOps.h"
#include "audio/SoundThread.h"
#include "foundation/CritLock.h"
#include "foundation/ErrorReport.h"

namespace {

constexpr double kSilentLevel = 0.05;
constexpr double kFullLevel = 0.99;
constexpr double kDecibelScale = 3322.0;  // hundredths of a dB per decade of level
constexpr int kValueBytes = 2;            // one 16-bit value

}  // namespace

CSound::CSound(const CNoteList& noteTable, const char* soundFolder, CLogFile* log)
    : m_noteTable(noteTable), m_soundFolder(soundFolder ? soundFolder : ""), m_log(log) {}

CSound::~CSound() {
    Close();
}

void CSound::SetDevice(std::unique_ptr<IAudioOut> device) {
    Close();
    m_device = std::move(device);
}

bool CSound::Fail(int line, const char* format, ...) {
    va_list args;
    va_start(args, format);
    m_error.FormatV(format, args);
    va_end(args);
    ReportError(kSource, line, "%s", m_error.GetText());
    return false;
}

int32_t CSound::ToHundredthsDb(double level) {
    if (!(level >= kSilentLevel)) {  // also NaN
        return IAudioOut::kSilence;
    }
    if (level >= kFullLevel) {
        return 0;
    }
    const double value = std::trunc(kDecibelScale * std::log10(level));
    return static_cast<int32_t>(std::clamp(value, static_cast<double>(IAudioOut::kSilence), 0.0));
}

int32_t CSound::PanToHundredthsDb(double pan) {
    const double level = 1.0 - std::min(std::fabs(pan), 1.0);
    return pan >= 0.0 ? -ToHundredthsDb(level) : ToHundredthsDb(level);
}

bool CSound::EnumerateDevices() {
    m_devices.clear();
    if (!m_device) {
        m_error = "Can't list sound devices: there is no sound output";
        return false;
    }
    if (!m_device->EnumerateDevices(m_devices)) {
        m_error.Format("Can't list sound devices: %s", m_device->GetError());
        return false;
    }
    return true;
}

bool CSound::Open(const std::string& deviceId) {
    Close();
    if (!EnumerateDevices()) {
        return false;
    }
    if (!m_device->Open(deviceId)) {
        m_error = m_device->GetError();  // it names the device
        return false;
    }
    CSampleBanks banks(*this, m_noteTable, m_soundFolder);
    if (!banks.LoadAll()) {
        m_error = banks.GetError();
        Close();
        return false;
    }
    if (!CreateStream(kMaxStreamSeconds) || !CreateChordBuffer(kChordSeconds)) {
        Close();
        return false;
    }
    m_thread = std::make_unique<CSoundThread>(*this, m_log);
    if (!m_thread->Start()) {
        m_error = "Can't start SoundThread";
        Close();
        return false;
    }
    m_thread->SetPriority(-2);
    m_ready = true;
    return true;
}

void CSound::ReleaseBuffer(int& buffer) {
    if (buffer != IAudioOut::kNoBuffer && m_device) {
        m_device->ReleaseBuffer(buffer);
    }
    buffer = IAudioOut::kNoBuffer;
}

bool CSound::Close() {
    m_ready = false;
    if (m_thread) {
        m_thread->Stop(kCloseTimeoutMs);
        m_thread.reset();
    }
    CCritLock lock(m_lock, "CSound::Close");
    m_streaming = false;
    m_instruments.ForEach([this](CSoundInfo& sound) { ReleaseBuffer(sound.buffer); });
    m_instruments.Clear();
    ReleaseBuffer(m_chordBuffer);
    ReleaseBuffer(m_streamBuffer);
    if (m_recording) {
        m_recordFile.Close();
        m_recording = false;
    }
    m_mixBuffer.clear();
    m_mixBuffer.shrink_to_fit();
    m_streamSize = m_segmentSize = m_chordBufferSize = 0;
    m_streamState = 0;
    if (m_device) {
        m_device->Close();
    }
    return true;
}

bool CSound::AddSound(const CSoundInfo& sound) {
    if (sound.note.thing == THING_NONE) {
        m_error = "Can't add sound: the instrument is not set";
        return false;
    }
    CSoundInfo record = sound;
    if (record.buffer == CSoundInfo::kNoBuffer && m_device && m_device->IsOpen()) {
        record.buffer = m_device->CreateSharedBuffer(
            record.format.channels, static_cast<int>(record.format.samplesPerSecond),
            record.GetShared(), record.GetSize());
        if (record.buffer == IAudioOut::kNoBuffer) {
            m_error.Format("Can't create sound buffer: %s", m_device->GetError());
            return false;
        }
    }
    if (!m_instruments.Add(record, m_error)) {
        ReleaseBuffer(record.buffer);
        return false;
    }
    return true;
}

bool CSound::FindSound(const CNote& note, const CSoundInfo*& sound) {
    return m_instruments.Find(note, sound, m_error);
}

bool CSound::CreateStream(int seconds) {
    CCritLock lock(m_lock, "CSound::CreateStream");
    ReleaseBuffer(m_streamBuffer);
    m_mixBuffer.clear();
    seconds = seconds >= kMaxStreamSeconds      ? kMaxStreamSeconds
              : seconds < kMinStreamSeconds + 1 ? kMinStreamSeconds
                                                : seconds;
    m_streamSize = m_format.averageBytesPerSecond * static_cast<uint32_t>(seconds);
    m_segmentSize = m_streamSize / 3;
    if (m_device) {
        m_streamBuffer = m_device->CreateBuffer(
            m_format.channels, static_cast<int>(m_format.samplesPerSecond), m_streamSize);
    }
    if (m_streamBuffer == IAudioOut::kNoBuffer) {
        return Fail(__LINE__, "Can't create stream buffer%s%s", m_device ? ": " : "",
                    m_device ? m_device->GetError() : "");
    }
    m_mixBuffer.assign(2 * static_cast<size_t>(m_segmentSize), 0);
    return true;
}

bool CSound::CreateChordBuffer(int seconds) {
    ReleaseBuffer(m_chordBuffer);
    m_chordBufferSize = m_format.averageBytesPerSecond * static_cast<uint32_t>(seconds);
    m_chordBuffer = m_device->CreateBuffer(
        m_format.channels, static_cast<int>(m_format.samplesPerSecond), m_chordBufferSize);
    if (m_chordBuffer == IAudioOut::kNoBuffer) {
        m_error.Format("Can't create chord buffer: %s", m_device->GetError());
        return false;
    }
    return true;
}

bool CSound::SetVolume(float volume) {
    CCritLock lock(m_lock, "CSound::SetVolume");
    m_volume = std::clamp(volume, 0.0f, 1.0f);
    if (m_streamBuffer != IAudioOut::kNoBuffer &&
        !m_device->SetVolume(m_streamBuffer, ToHundredthsDb(m_volume))) {
        return Fail(__LINE__, "Can't set volume: %s", m_device->GetError());
    }
    return true;
}

bool CSound::SetNotes(const CNoteList& notes) {
    CCritLock lock(m_lock, "CSound::SetNotes");
    m_renderer.ReplaceNotes(notes);
    return true;
}

bool CSound::Start(const CNoteList& notes, double loopLength, int repeatCount,
                   const char* recordName) {
    CCritLock lock(m_lock, "CSound::Start");
    // Nothing is opened for a stream that can't start.
    if (!m_ready) {
        m_error = "Device is not initialized.\nPlease go to Audio Settings and select the device";
        return false;
    }
    if (m_recording) {
        m_recordFile.Close();
    }
    m_recording = recordName != nullptr && *recordName != '\0';
    if (m_recording) {
        m_recordName = recordName;
        WAVE_FORMAT format = m_format;
        if (!m_recordFile.Open(recordName, format, CSoundFile::kWrite)) {
            m_recording = false;
            m_error.Format("Can't record into %s: %s", recordName, m_recordFile.GetError());
            return false;
        }
    }
    m_renderer.SetNotes(notes, loopLength, repeatCount);
    return StartStream();
}

bool CSound::StartStream() {
    CCritLock lock(m_lock, "CSound::StartStream");
    m_bytesWritten = 0;
    m_device->Stop(m_streamBuffer);
    if (!PutSilence() || !m_device->SetPosition(m_streamBuffer, 0) || !WriteSegment(0)) {
        return false;
    }
    m_streamState = 1;
    if (!m_device->Play(m_streamBuffer, true)) {
        return Fail(__LINE__, "Can't play the stream: %s", m_device->GetError());
    }
    m_streaming = true;
    return SetVolume(m_volume);
}

bool CSound::PutSilence() {
    uint8_t* data = nullptr;
    uint32_t locked = 0;
    if (!m_device->Lock(m_streamBuffer, 0, m_streamSize, data, locked)) {
        return Fail(__LINE__, "Can't lock the stream buffer: %s", m_device->GetError());
    }
    std::memset(data, 0, locked);
    if (!m_device->Unlock(m_streamBuffer)) {
        return Fail(__LINE__, "Can't unlock the stream buffer: %s", m_device->GetError());
    }
    return true;
}

bool CSound::CheckStream() {
    CCritLock lock(m_lock, "CSound::CheckStream");
    if (!m_ready) {
        return false;
    }
    if (!m_streaming) {
        return true;
    }
    if (!m_device->IsOpen()) {
        return false;  // stopped by itself: told once by the owner, not at every check
    }
    uint32_t cursor = 0;
    if (!m_device->GetPosition(m_streamBuffer, cursor)) {
        return Fail(__LINE__, "Can't get buffer position: %s", m_device->GetError());
    }
    // The segment after the one being played.
    const uint32_t s = m_segmentSize;
    const int target = cursor < s ? 2 : cursor < 2 * s ? 3 : 1;
    if (target == m_streamState) {
        return true;
    }
    if (!WriteSegment(static_cast<uint32_t>(target - 1) * s)) {
        return false;
    }
    m_streamState = target;
    return true;
}

bool CSound::WriteSegment(uint32_t offset) {
    const uint32_t s = m_segmentSize;
    bool mixed = false;
    bool finished = true;
    if (!m_renderer.FillSegment(m_mixBuffer.data(), s, s, mixed, finished)) {
        return Fail(__LINE__, "%s", m_renderer.GetError());
    }
    if (mixed && !CopyToStream(m_mixBuffer.data(), s, offset, true)) {
        return false;
    }
    m_bytesWritten += s;
    if (m_recording) {
        // The segment as it sounds: the tail of the previous fill with this
        // fill's notes mixed in.
        uint8_t* data = nullptr;
        uint32_t locked = 0;
        if (m_device->Lock(m_streamBuffer, offset, s, data, locked)) {
            m_recordFile.Write(locked, data);
            m_device->Unlock(m_streamBuffer);
        }
    }
    const uint32_t next = offset + s >= m_streamSize ? 0 : offset + s;
    return CopyToStream(m_mixBuffer.data() + s, s, next, false);
}

bool CSound::CopyToStream(const uint8_t* data, uint32_t size, uint32_t offset, bool mix) {
    uint8_t* target = nullptr;
    uint32_t locked = 0;
    if (!m_device->Lock(m_streamBuffer, offset, size, target, locked)) {
        return Fail(__LINE__, "Can't lock the stream buffer: offset=%u, size=%u", offset, size);
    }
    if (locked < size) {
        m_device->Unlock(m_streamBuffer);
        return Fail(__LINE__, "Can't lock enough buffer data");
    }
    if (mix) {
        CSampleOps::MixValues(reinterpret_cast<int16_t*>(target),
                              reinterpret_cast<const int16_t*>(data), size / kValueBytes, m_error);
    } else {
        std::memcpy(target, data, size);
    }
    if (!m_device->Unlock(m_streamBuffer)) {
        return Fail(__LINE__, "Can't unlock the stream buffer: offset=%u, size=%u", offset, size);
    }
    return true;
}

bool CSound::Stop() {
    CCritLock lock(m_lock, "CSound::Stop");
    if (m_streamBuffer != IAudioOut::kNoBuffer) {
        // Silenced at once; the master volume is kept for the next start.
        m_device->SetVolume(m_streamBuffer, IAudioOut::kSilence);
        m_device->Stop(m_streamBuffer);
    }
    if (m_recording) {
        m_recording = false;
        if (!m_recordFile.Close()) {
            m_streaming = false;
            return Fail(__LINE__, "Can't save the recording %s: %s", m_recordName.GetText(),
                        m_recordFile.GetError());
        }
    }
    m_streaming = false;
    return true;
}

bool CSound::PlayNote(const CNote& note) {
    const CSoundInfo* sample = nullptr;
    if (!FindSound(note, sample)) {
        return false;
    }
    if (CNote::IsDrumThing(note.thing) && note.volume == 0.0f) {
        return true;  // a drum rings on when its key is let go
    }
    if (!m_device || sample->buffer == CSoundInfo::kNoBuffer) {
        m_error = "Can't play sound buffer: the device is not open";
        return false;
    }
    const int buffer = sample->buffer;
    if (note.eventKind != EVENT_NOTE_START && note.eventKind != EVENT_KEEP) {
        // A released key dies away quickly, as a damped string does, instead
        // of being cut off with a click.
        const auto frames = static_cast<uint32_t>(kReleaseSeconds * m_device->GetRate());
        if (!m_device->FadeOut(buffer, frames)) {
            m_error.Format("Can't stop sound buffer: %s", m_device->GetError());
            return false;
        }
        return true;
    }
    if (!m_device->SetVolume(buffer, IAudioOut::kSilence) || !m_device->Stop(buffer)) {
        m_error.Format("Can't stop sound buffer: %s", m_device->GetError());
        return false;
    }
    if (!m_device->SetVolume(buffer, ToHundredthsDb(note.volume)) ||
        !m_device->SetPan(buffer, PanToHundredthsDb(note.pan)) ||
        !m_device->SetPosition(buffer, 0) || !m_device->Play(buffer, false)) {
        m_error.Format("Can't play sound buffer: %s", m_device->GetError());
        return false;
    }
    return true;
}

bool CSound::RenderChord(const CNoteList& chord) {
    if (m_chordBuffer == IAudioOut::kNoBuffer) {
        return true;
    }
    m_device->Stop(m_chordBuffer);
    uint8_t* data = nullptr;
    uint32_t locked = 0;
    if (!m_device->Lock(m_chordBuffer, 0, m_chordBufferSize, data, locked)) {
        m_error = "Can't lock sound buffer";
        return false;
    }
    std::memset(data, 0, locked);
    bool result = true;
    double strum = 0.0;
    for (int i = chord.GetCount() - 1; i >= 0; --i) {
        const CNote& note = *chord.GetAt(i);
        if (note.finger == UNSET) {
            continue;
        }
        const CSoundInfo* sample = nullptr;
        if (!FindSound(note, sample)) {
            result = false;
            break;
        }
        const uint32_t offset = CSampleOps::SecondsToBytes(m_format, strum);
        if (offset >= locked) {
            break;
        }
        CNoteRenderer::MixNote(m_format, data + offset, locked - offset, *sample, note);
        strum += kChordStrum;
    }
    m_device->Unlock(m_chordBuffer);
    return result;
}

bool CSound::PlayChord() {
    if (m_chordBuffer == IAudioOut::kNoBuffer) {
        m_error = "Can't play the chord: the device is not open";
        return false;
    }
    if (!m_device->SetPosition(m_chordBuffer, 0) || !m_device->Play(m_chordBuffer, false)) {
        m_error.Format("Can't play the chord: %s", m_device->GetError());
        return false;
    }
    return true;
}

bool CSound::ExportWave(const CNoteList& notes, const char* fileName, bool reduce) {
    // A renderer of its own: the stream, if one plays, goes on undisturbed.
    WAVE_FORMAT format = m_format;
    if (reduce) {
        format.samplesPerSecond = kExportRate;
        format.averageBytesPerSecond = format.blockAlign * kExportRate;
    }
    CSoundFile file;
    if (!file.Open(fileName, format, CSoundFile::kWrite)) {
        m_error.Format("Can't export to %s: %s", fileName, file.GetError());
        return false;
    }
    const uint32_t s =
        m_segmentSize != 0 ? m_segmentSize : m_format.averageBytesPerSecond * kMaxStreamSeconds / 3;
    std::vector<uint8_t> mix(2 * static_cast<size_t>(s));
    std::vector<uint8_t> carry(2 * static_cast<size_t>(s), 0);
    CNoteRenderer renderer(m_instruments, m_format);
    renderer.SetNotes(notes);
    for (bool finished = false; !finished;) {
        bool mixed = false;
        if (!renderer.FillSegment(mix.data(), s, s, mixed, finished)) {
            m_error = renderer.GetError();
            file.Discard();
            return false;
        }
        CSampleOps::MixValues(reinterpret_cast<int16_t*>(carry.data()),
                              reinterpret_cast<const int16_t*>(mix.data()), s / kValueBytes,
                              m_error);
        CSoundInfo block;
        block.format = m_format;
        if (finished) {
            // The last block rings on into the tail, without trailing silence.
            std::vector<uint8_t> bytes(carry.begin(), carry.begin() + s);
            bytes.insert(bytes.end(), mix.begin() + s, mix.end());
            size_t frames = bytes.size() / m_format.blockAlign;
            const int16_t* values = reinterpret_cast<const int16_t*>(bytes.data());
            while (frames > 0 && values[2 * frames - 2] == 0 && values[2 * frames - 1] == 0) {
                --frames;
            }
            bytes.resize(frames * m_format.blockAlign);
            block.SetData(std::move(bytes));
        } else {
            block.SetData(std::vector<uint8_t>(carry.begin(), carry.begin() + s));
            std::copy(mix.begin() + s, mix.end(), carry.begin());
            std::fill(carry.begin() + s, carry.end(), 0);
        }
        if (reduce && block.GetSize() > 0 &&
            !CSampleOps::ResampleDown(block, kExportRate, m_error)) {
            file.Discard();
            return false;
        }
        if (block.GetSize() > 0 && !file.Write(block.GetSize(), block.GetData())) {
            m_error.Format("Can't export to %s: %s", fileName, file.GetError());
            file.Discard();
            return false;
        }
    }
    if (!file.Close()) {
        m_error.Format("Can't export to %s: %s", fileName, file.GetError());
        return false;
    }
    return true;
}

double CSound::GetSoundLength(const CNote& note) {
    const CSoundInfo* sample = nullptr;
    return FindSound(note, sample) ? sample->GetLength() : 0.0;
}

bool CSound::IsDeviceLost() const {
    return m_ready && m_device != nullptr && !m_device->IsOpen();
}

void CSound::OnTimer() {
    if (m_thread) {
        m_thread->Post(kCheckCommand, false);
    }
}
