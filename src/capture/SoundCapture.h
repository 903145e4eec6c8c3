#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/SoundFile.h"
#include "audio/WaveFormat.h"
#include "foundation/CharString.h"
#include "foundation/Crit.h"
#include "platform/AudioIn.h"
#include "theory/NoteList.h"

class CLogFile;
class CSoundCaptureThread;
class CSoundDetector;
class ISoundDetectorSink;

// Records the microphone: the "SoundCapture" worker reads what the input
// device wrote into its looping buffer (60 seconds long, so the worker may
// fall far behind without losing sound) and hands every block to the note
// detector; a take can also be written to a WAVE file. In file mode a WAVE
// file is fed to the detector in real time instead.
//
// Threads: the owner's thread calls everything but CheckBuffer, which the
// worker calls; the capture lock serialises them. The detector runs on the
// worker, under the lock.
class CSoundCapture {
public:
    static constexpr const char* kSource = "SoundCapture";
    static constexpr int kBufferSeconds = 60;
    static constexpr int kCloseTimeoutMs = 3000;
    static constexpr int kCheckPeriodMs = 10;  // the worker looks this often on its own
    static constexpr uint32_t kCheckCommand = 2;

    // noteTable (copied by the detector) names the notes; triggerLevel is
    // the level a note rises through; sink and log (may be null) must
    // outlive the capture.
    CSoundCapture(const CNoteList& noteTable, float triggerLevel, ISoundDetectorSink* sink,
                  CLogFile* log = nullptr);
    CSoundCapture(const CSoundCapture&) = delete;
    CSoundCapture& operator=(const CSoundCapture&) = delete;
    virtual ~CSoundCapture();

    void SetDevice(std::unique_ptr<IAudioIn> device);
    IAudioIn* GetDevice() const { return m_device.get(); }
    bool EnumerateDevices();
    const std::vector<AUDIO_DEVICE>& GetDevices() const { return m_devices; }

    // Opens deviceId (empty: the default) for the format.
    bool Open(const std::string& deviceId, uint32_t rate = WAVE_FORMAT::kStreamRate,
              uint16_t bits = WAVE_FORMAT::kStreamBits,
              uint16_t channels = WAVE_FORMAT::kStreamChannels);
    // Prepares a take: a record file when recordName is given; the detector
    // argument is the time offset of its notes.
    bool GetReady(const char* recordName, double mixOffset, double detectorArgument);
    // Starts the detector with a pitch method (0: without) and the bass
    // range flag, and the capture.
    bool Start(int method, bool lowRange);
    bool CheckBuffer(bool final);
    bool Stop();
    bool Close();
    // File mode: feeds a WAVE file of the capture format through the
    // detector in real time, on the owner's timer.
    bool PlayFile(const char* path);
    // The owner's 33 ms tick: feeds the file, or nudges the worker.
    void OnTimer();

    bool IsReady() const { return m_ready; }
    bool IsCapturing() const { return m_capturing; }
    // True when the open device has stopped by itself (its sound server
    // ended): nothing more is read from it, and nothing is logged for it.
    bool IsDeviceLost() const;
    const WAVE_FORMAT& GetFormat() const { return m_format; }
    const CCharString& GetRecordName() const { return m_recordName; }
    double GetMixOffset() const { return m_mixOffset; }
    int GetMeasuredRate() const { return m_measuredRate; }
    CSoundDetector* GetDetector() const { return m_detector.get(); }
    const char* GetError() const { return m_error; }

private:
    bool Fail(int line, const char* format, ...) NOTARA_PRINTF(3, 4);
    bool Deliver(uint32_t count, bool final);
    // Writes the sound kept since the last write to the take, if one is
    // recorded.
    bool WriteKept();
    void CorrectRate();
    void FeedFile();

    const CNoteList m_noteTable;
    float m_triggerLevel;
    ISoundDetectorSink* m_sink;
    CLogFile* m_log;
    std::unique_ptr<IAudioIn> m_device;
    std::unique_ptr<CSoundCaptureThread> m_thread;
    CCharString m_error;
    WAVE_FORMAT m_format;
    uint32_t m_bufferSize = 0;
    CCrit m_lock;
    uint32_t m_readPosition = 0;
    std::vector<uint8_t> m_local;
    uint32_t m_localCount = 0;
    std::unique_ptr<CSoundDetector> m_detector;
    std::vector<AUDIO_DEVICE> m_devices;
    CSoundFile m_recordFile;
    std::vector<uint8_t> m_testData;
    uint32_t m_testPosition = 0;
    uint64_t m_totalCaptured = 0;
    bool m_ready = false;
    double m_firstDataTime = 0.0;
    bool m_recording = false;
    bool m_prepared = false;
    double m_startTime = 0.0;
    bool m_fileMode = false;
    CCharString m_recordName;
    bool m_capturing = false;
    int m_measuredRate = 0;
    double m_mixOffset = 0.0;
    double m_detectorArgument = 0.0;
};
