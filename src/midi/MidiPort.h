#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "foundation/CharString.h"
#include "foundation/Crit.h"
#include "foundation/MessageIds.h"
#include "midi/MidiDecoder.h"
#include "platform/EventLoop.h"
#include "platform/MidiIn.h"
#include "theory/NoteEvent.h"

// A MIDI input device as a source of played notes. Every note-on and
// note-off of the open device becomes a NOTE_EVENT (source 7, the velocity,
// 0 for an end, stamped with the time the bytes arrived) handed to the
// owner's receiver on the input's thread; the usual receiver posts it to the
// main window as message 1046. When the open device goes away the owner
// hears of it once.
class CMidiPort : public IMidiInSink {
public:
    static constexpr int kNoDevice = 0x7FFFFFFF;

    using NoteReceiver = std::function<void(const NOTE_EVENT& note)>;
    using LostReceiver = std::function<void(const CCharString& text)>;

    // input must outlive the port.
    explicit CMidiPort(IMidiIn& input);
    CMidiPort(const CMidiPort&) = delete;
    CMidiPort& operator=(const CMidiPort&) = delete;
    ~CMidiPort() override;

    // Where notes and the lost notice go; both are called on the input's
    // thread. PostTo sends them to window as kNoteMessage (a NOTE_EVENT payload)
    // and kMidiDeviceLostMessage (a CCharString payload holding the
    // "Can't ..." text). Without a receiver the notes are dropped.
    void SetReceivers(NoteReceiver notes, LostReceiver lost);
    void PostTo(IEventLoop& loop, WindowId window);

    // The names of the devices present, in device-number order; the first
    // name that cannot be read ends the list.
    bool GetDeviceNames(std::vector<CCharString>& names);
    // Opens a device, closing the open one first. kNoDevice fails with no
    // text; other failures leave the input's own text. A device that was
    // lost can be opened again.
    bool Open(int device);
    bool Close();
    bool IsOpen() const { return m_device != kNoDevice; }
    int GetDevice() const { return m_device; }
    bool IsDeviceLost() const { return m_lost; }
    const char* GetError() const { return m_error; }

    // Writes a debug line for every channel message received.
    void SetTrace(bool trace) { m_trace = trace; }
    uint32_t GetNoteCount() const { return m_notes; }

private:
    void OnMidiBytes(const uint8_t* bytes, size_t count, double seconds) override;
    void OnPortLost(const char* reason) override;
    // The input's failure to open or close device ("open", "close") as
    // this port's error.
    void TakeInputError(const char* action, int device);
    void Handle(const MIDI_MESSAGE& message, double arrival);
    void Trace(const MIDI_MESSAGE& message) const;

    IMidiIn& m_input;
    CCharString m_error;
    std::atomic<int> m_device{kNoDevice};  // read on the input thread too
    CMidiDecoder m_decoder;                // used on the input thread only
    CCrit m_receiverLock;
    NoteReceiver m_noteReceiver;
    LostReceiver m_lostReceiver;
    std::atomic<bool> m_lost{false};
    std::atomic<bool> m_trace{false};
    std::atomic<uint32_t> m_notes{0};
};
