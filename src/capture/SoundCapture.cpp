#include "capture/SoundCapture.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>

#include "audio/SampleOps.h"
#include "audio/SoundInfo.h"
#include "capture/SoundCaptureThread.h"
#include "capture/SoundDetector.h"
#include "foundation/CritLock.h"
#include "foundation/ErrorReport.h"
#include "platform/Clock.h"

namespace {

const char* const kNotInitialized =
    "Device is not initialized.\nPlease go to Audio Settings and select the device";

double Now() {
    return Platform::GetClock().GetSeconds();
}

}  // namespace

CSoundCapture::CSoundCapture(const CNoteList& noteTable, float triggerLevel,
                             ISoundDetectorSink* sink, CLogFile* log)
    : m_noteTable(noteTable), m_triggerLevel(triggerLevel), m_sink(sink), m_log(log) {}

CSoundCapture::~CSoundCapture() {
    Close();
}

bool CSoundCapture::Fail(int line, const char* format, ...) {
    va_list args;
    va_start(args, format);
    m_error.FormatV(format, args);
    va_end(args);
    ReportError(kSource, line, "%s", m_error.GetText());
    return false;
}

void CSoundCapture::SetDevice(std::unique_ptr<IAudioIn> device) {
    Close();
    m_device = std::move(device);
}

bool CSoundCapture::EnumerateDevices() {
    m_devices.clear();
    if (!m_device) {
        m_error = "Can't list sound input devices: there is no sound input";
        return false;
    }
    if (!m_device->EnumerateDevices(m_devices)) {
        m_error.Format("Can't list sound input devices: %s", m_device->GetError());
        return false;
    }
    return true;
}

bool CSoundCapture::Open(const std::string& deviceId, uint32_t rate, uint16_t bits,
                         uint16_t channels) {
    Close();
    if (bits != WAVE_FORMAT::kStreamBits || channels < 1 || channels > 2 || rate == 0) {
        m_error = "Can't open sound input: only 16-bit mono or stereo is captured";
        return false;
    }
    m_format = WAVE_FORMAT::Pcm(channels, rate, bits);
    if (!m_device) {
        m_error = "Can't open sound input: there is none";
        return false;
    }
    m_bufferSize = kBufferSeconds * m_format.averageBytesPerSecond;
    m_bufferSize -= m_bufferSize % m_format.blockAlign;
    if (!m_device->Open(deviceId, channels, static_cast<int>(rate), m_bufferSize)) {
        m_error = m_device->GetError();  // it names the device
        return false;
    }
    m_local.assign(m_bufferSize, 0);
    m_detector =
        std::make_unique<CSoundDetector>(m_noteTable, m_format, m_triggerLevel, m_sink, m_log);
    m_thread = std::make_unique<CSoundCaptureThread>(*this, m_log);
    m_readPosition = 0;
    m_localCount = 0;
    m_ready = true;
    return true;
}

bool CSoundCapture::GetReady(const char* recordName, double mixOffset, double detectorArgument) {
    CCritLock lock(m_lock, "CSoundCapture::GetReady");
    m_mixOffset = mixOffset;
    m_detectorArgument = detectorArgument;
    if (!m_ready) {
        m_error = kNotInitialized;
        return false;
    }
    lock.Release();  // Stop joins the worker, which takes the lock
    if (!Stop()) {
        return Fail(__LINE__, "%s", m_error.GetText());
    }
    CCritLock again(m_lock, "CSoundCapture::GetReady");
    m_recordName = recordName != nullptr ? recordName : "";
    m_recording = !m_recordName.IsEmpty();
    if (m_recording) {
        WAVE_FORMAT format = m_format;
        if (!m_recordFile.Open(m_recordName, format, CSoundFile::kWrite)) {
            m_recording = false;
            m_error.Format("Can't record into %s: %s", m_recordName.GetText(),
                           m_recordFile.GetError());
            return false;
        }
    }
    if (!m_fileMode && !m_thread->IsRunning() && !m_thread->Start()) {
        m_error = "Can't start SoundCaptureThread";
        return false;
    }
    m_localCount = 0;
    m_totalCaptured = 0;
    m_firstDataTime = 0.0;
    m_measuredRate = 0;
    if (!m_fileMode && !m_device->GetPosition(m_readPosition)) {
        Fail(__LINE__, "Can't get the capture buffer position: %s", m_device->GetError());
        again.Release();
        Close();
        return false;
    }
    m_prepared = true;
    return true;
}

bool CSoundCapture::Start(int method, bool lowRange) {
    CCritLock lock(m_lock, "CSoundCapture::Start");
    if (m_detector && method != 0 && !m_detector->Start(m_detectorArgument, method, lowRange)) {
        m_error = m_detector->GetError();
        return false;
    }
    if (!m_prepared) {
        m_error = "Not ready, call GetReady";
        return false;
    }
    if (!m_ready) {
        m_error = kNotInitialized;
        return false;
    }
    if (!m_fileMode && !m_device->Start()) {
        return Fail(__LINE__, "Can't start recording: %s", m_device->GetError());
    }
    m_capturing = true;
    m_startTime = Now();
    return true;
}

bool CSoundCapture::CheckBuffer(bool final) {
    CCritLock lock(m_lock, "CSoundCapture::CheckBuffer");
    if (!m_ready) {
        return false;
    }
    if (!m_capturing || m_fileMode) {
        return true;
    }
    if (!m_device->IsOpen()) {
        return false;  // stopped by itself: told once by the owner, not at every check
    }
    uint32_t cursor = 0;
    if (!m_device->GetPosition(cursor)) {
        return Fail(__LINE__, "Can't get the capture buffer position: %s", m_device->GetError());
    }
    int64_t available = static_cast<int64_t>(cursor) - m_readPosition;
    if (available < 0) {
        available += m_bufferSize;
    }
    const auto count = static_cast<uint32_t>(available - available % m_format.blockAlign);
    if (count == 0) {
        // The last check still writes what earlier ones kept back.
        return !final || WriteKept();
    }
    if (m_localCount + count > m_local.size()) {
        return Fail(__LINE__, "Can't keep the captured sound: %u bytes wait", m_localCount + count);
    }
    if (!m_device->Read(m_readPosition, count, m_local.data() + m_localCount)) {
        return Fail(__LINE__, "Can't lock the capture buffer: %s", m_device->GetError());
    }
    if (m_totalCaptured == 0) {
        // When the first of these bytes was recorded.
        m_firstDataTime = Now() - CSampleOps::BytesToSeconds(m_format, count);
    }
    m_readPosition = (m_readPosition + count) % m_bufferSize;
    m_localCount += count;
    m_totalCaptured += count;
    return Deliver(count, final);
}

bool CSoundCapture::Deliver(uint32_t count, bool final) {
    if (!m_detector->AddData(m_local.data() + m_localCount - count, count)) {
        m_error = m_detector->GetError();
        return false;
    }
    if (m_localCount <= m_format.averageBytesPerSecond && !final) {
        return true;  // the record file is written about once a second
    }
    return WriteKept();
}

bool CSoundCapture::WriteKept() {
    if (m_recording && m_localCount > 0) {
        CorrectRate();
        if (!m_recordFile.Write(m_localCount, m_local.data())) {
            return Fail(__LINE__, "Can't record: %s", m_recordFile.GetError());
        }
    }
    m_localCount = 0;
    return true;
}

// A device that delivers faster than it says is averaged down to its
// nominal rate, so that the take lines up with the song it is mixed with.
void CSoundCapture::CorrectRate() {
    const double elapsed = Now() - m_firstDataTime;
    if (!(elapsed > 0.0)) {
        return;
    }
    m_measuredRate = static_cast<int>(
        static_cast<double>(m_totalCaptured) / m_format.blockAlign / elapsed + 0.5);
    const auto nominal = static_cast<int>(m_format.samplesPerSecond);
    if (m_measuredRate <= nominal) {
        return;  // the stretch ratio nominal / measured is 1 above half the rate
    }
    CSoundInfo block;
    block.format = m_format;
    block.format.samplesPerSecond = static_cast<uint32_t>(m_measuredRate);
    block.format.averageBytesPerSecond = m_format.blockAlign * block.format.samplesPerSecond;
    block.SetData(std::vector<uint8_t>(m_local.begin(), m_local.begin() + m_localCount));
    CCharString error;
    if (CSampleOps::ResampleDown(block, m_format.samplesPerSecond, error)) {
        std::memcpy(m_local.data(), block.GetData(), block.GetSize());
        m_localCount = block.GetSize();
    }
}

bool CSoundCapture::Stop() {
    if (!m_ready || !m_capturing) {
        return true;
    }
    if (m_thread && !m_thread->Stop(kCloseTimeoutMs)) {
        m_error = "Can't stop SoundCaptureThread";
        return false;
    }
    bool result = true;
    if (!m_fileMode && !m_device->Stop()) {
        result = Fail(__LINE__, "Can't stop recording: %s", m_device->GetError());
    }
    CheckBuffer(true);  // what is left
    CCritLock lock(m_lock, "CSoundCapture::Stop");
    m_capturing = false;
    if (m_recording && !m_recordFile.Close()) {
        result = Fail(__LINE__, "Can't save the take %s: %s", m_recordName.GetText(),
                      m_recordFile.GetError());
    }
    m_recording = false;
    m_prepared = false;
    if (m_detector) {
        m_detector->Stop();
    }
    return result;
}

bool CSoundCapture::Close() {
    m_ready = false;
    if (m_thread) {
        m_thread->Stop(kCloseTimeoutMs);
        m_thread.reset();
    }
    CCritLock lock(m_lock, "CSoundCapture::Close");
    m_capturing = false;
    m_prepared = false;
    if (m_device) {
        m_device->Stop();
        m_device->Close();
    }
    m_local.clear();
    m_local.shrink_to_fit();
    m_detector.reset();
    if (m_recording) {
        m_recordFile.Close();
        m_recording = false;
    }
    m_testData.clear();
    m_fileMode = false;
    return true;
}

bool CSoundCapture::PlayFile(const char* path) {
    m_fileMode = true;
    Stop();
    if (!GetReady(nullptr, 0.0, 0.0)) {
        m_fileMode = false;
        return false;
    }
    CSoundFile file;
    CSoundInfo sound;
    if (!file.ReadInfo(path, sound)) {
        m_error.Format("Can't play %s: %s", path, file.GetError());
        m_fileMode = false;
        return false;
    }
    if (!sound.format.SameLayout(m_format)) {
        m_error.Format("Can't play %s: it is %u Hz, %u channels, %u bits, not as captured", path,
                       sound.format.samplesPerSecond, sound.format.channels,
                       sound.format.bitsPerSample);
        m_fileMode = false;
        return false;
    }
    m_testData.assign(sound.GetData(), sound.GetData() + sound.GetSize());
    m_testPosition = 0;
    return Start(4, false);
}

bool CSoundCapture::IsDeviceLost() const {
    return m_ready && !m_fileMode && m_device != nullptr && !m_device->IsOpen();
}

void CSoundCapture::OnTimer() {
    if (m_fileMode) {
        FeedFile();
    } else if (m_thread && m_capturing) {
        m_thread->Post(kCheckCommand, false);
    }
}

void CSoundCapture::FeedFile() {
    CCritLock lock(m_lock, "CSoundCapture::FeedFile");
    if (!m_capturing || !m_detector) {
        return;
    }
    const uint32_t wanted =
        std::min<uint32_t>(CSampleOps::SecondsToBytes(m_format, Now() - m_startTime),
                           static_cast<uint32_t>(m_testData.size()));
    if (wanted > m_testPosition) {
        m_detector->AddData(m_testData.data() + m_testPosition, wanted - m_testPosition);
        m_testPosition = wanted;
    }
}
