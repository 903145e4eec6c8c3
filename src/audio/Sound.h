#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/InstrumentMap.h"
#include "audio/NoteRenderer.h"
#include "audio/SoundFile.h"
#include "audio/WaveFormat.h"
#include "foundation/CharString.h"
#include "foundation/Crit.h"
#include "platform/AudioOut.h"
#include "theory/NoteList.h"

class CLogFile;
class CSoundThread;

// Turns notes into sound on an output device: single notes at once (live
// keys, auditions) on each sample's own buffer, a strummed chord on the chord
// buffer, and note lists through one looping stream of three segments that
// the "Sound" worker fills a segment ahead of the play cursor. The stream
// can be recorded into a WAVE file, and a note list rendered offline into
// one. All of it is 16-bit stereo PCM at 44100 Hz.
//
// Threads: the owner's thread calls everything but CheckStream, which the
// worker calls. Stream operations take the engine lock for their whole run;
// PlayNote takes none, because the instruments only change in Open and
// Close, which run on the owner's thread too.
class CSound {
public:
    static constexpr const char* kSource = "Sound";
    static constexpr int kMaxStreamSeconds = 15;
    static constexpr int kMinStreamSeconds = 3;
    static constexpr int kChordSeconds = 10;
    static constexpr int kCloseTimeoutMs = 3000;
    // The worker looks at the play cursor this often on its own, so that a
    // busy user-interface thread never starves the stream.
    static constexpr int kCheckPeriodMs = 100;
    static constexpr uint32_t kCheckCommand = 2;
    static constexpr double kChordStrum = 0.01;  // seconds between strummed strings
    static constexpr uint32_t kExportRate = 11025;
    static constexpr double kReleaseSeconds = 0.06;  // a released key's fade

    // noteTable gives the pitch of every MIDI note (the engine keeps a
    // copy); log (may be null) must outlive the engine. soundFolder ends
    // with a path separator.
    CSound(const CNoteList& noteTable, const char* soundFolder, CLogFile* log = nullptr);
    CSound(const CSound&) = delete;
    CSound& operator=(const CSound&) = delete;
    virtual ~CSound();

    // Takes the output device that Open opens (closing first).
    void SetDevice(std::unique_ptr<IAudioOut> device);
    IAudioOut* GetDevice() const { return m_device.get(); }

    // Lists the devices, opens deviceId (empty: the default), loads the
    // sample banks, makes the stream and the chord buffer and starts the
    // worker. May wait on the sound system: call it off the user-interface
    // thread or accept the wait.
    bool Open(const std::string& deviceId);
    bool Close();
    bool IsReady() const { return m_ready; }
    bool IsStreaming() const { return m_streaming; }
    // True when the open device has stopped by itself (its sound server
    // ended): the engine stays, silent and quiet, until another opens.
    bool IsDeviceLost() const;

    bool EnumerateDevices();
    const std::vector<AUDIO_DEVICE>& GetDevices() const { return m_devices; }

    // Puts a record (the instrument set) into the instrument map with an
    // output buffer of its own.
    bool AddSound(const CSoundInfo& sound);
    // The sample that plays note (by MIDI note, or by string and fret).
    bool FindSound(const CNote& note, const CSoundInfo*& sound);
    const CInstrumentMap& GetInstruments() const { return m_instruments; }

    bool CreateStream(int seconds);
    bool SetVolume(float volume);
    float GetVolume() const { return m_volume; }
    bool SetNotes(const CNoteList& notes);
    // Streams notes, repeated repeatCount times every loopLength seconds
    // (loopLength 0 or repeatCount below 2: once); with recordName the
    // stream is also written into that file.
    bool Start(const CNoteList& notes, double loopLength, int repeatCount,
               const char* recordName = nullptr);
    bool CheckStream();
    bool Stop();
    // Plays or, for anything but a note start, stops one note at once.
    bool PlayNote(const CNote& note);
    // Strums chord into the chord buffer; PlayChord then sounds it.
    bool RenderChord(const CNoteList& chord);
    bool PlayChord();
    // Renders notes offline into a WAVE file, at 11025 Hz when reduce is set.
    bool ExportWave(const CNoteList& notes, const char* fileName, bool reduce);
    double GetSoundLength(const CNote& note);

    // The owner's once-a-second tick asks the worker for a stream check.
    void OnTimer();

    // dB conversions of a linear level and of a pan.
    static int32_t ToHundredthsDb(double level);
    static int32_t PanToHundredthsDb(double pan);

    const WAVE_FORMAT& GetFormat() const { return m_format; }
    uint32_t GetSegmentSize() const { return m_segmentSize; }
    uint32_t GetStreamSize() const { return m_streamSize; }
    int GetStreamBuffer() const { return m_streamBuffer; }
    int GetChordBuffer() const { return m_chordBuffer; }
    const char* GetError() const { return m_error; }

private:
    bool Fail(int line, const char* format, ...) NOTARA_PRINTF(3, 4);
    bool StartStream();
    bool PutSilence();
    bool WriteSegment(uint32_t offset);
    bool CopyToStream(const uint8_t* data, uint32_t size, uint32_t offset, bool mix);
    bool CreateChordBuffer(int seconds);
    void ReleaseBuffer(int& buffer);

    const CNoteList m_noteTable;
    CCharString m_soundFolder;
    CLogFile* m_log;
    CCrit m_lock;
    std::unique_ptr<CSoundThread> m_thread;
    CCharString m_error;
    std::unique_ptr<IAudioOut> m_device;
    CInstrumentMap m_instruments;
    int m_streamBuffer = IAudioOut::kNoBuffer;
    int m_chordBuffer = IAudioOut::kNoBuffer;
    uint32_t m_streamSize = 0;
    bool m_streaming = false;
    // Read by the worker under the lock and cleared by Close before it stops the
    // worker, outside the lock.
    std::atomic<bool> m_ready{false};
    std::vector<uint8_t> m_mixBuffer;
    uint32_t m_segmentSize = 0;
    uint32_t m_chordBufferSize = 0;
    std::vector<AUDIO_DEVICE> m_devices;
    int m_streamState = 0;
    float m_volume = 1.0f;
    CSoundFile m_recordFile;
    uint32_t m_bytesWritten = 0;
    WAVE_FORMAT m_format = WAVE_FORMAT::Stream();
    bool m_recording = false;
    CCharString m_recordName;
    CNoteRenderer m_renderer{m_instruments, m_format};  // the stream's notes
};
