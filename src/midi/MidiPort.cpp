#include "midi/MidiPort.h"

#include <string>
#include <utility>

#include "foundation/CritLock.h"
#include "foundation/ErrorReport.h"
#include "platform/Clock.h"

namespace {
constexpr int kNoteOff = 0x80;
constexpr int kNoteOn = 0x90;
}  // namespace

CMidiPort::CMidiPort(IMidiIn& input) : m_input(input) {}

CMidiPort::~CMidiPort() {
    Close();
}

void CMidiPort::SetReceivers(NoteReceiver notes, LostReceiver lost) {
    CCritLock lock(m_receiverLock, "CMidiPort::SetReceivers");
    m_noteReceiver = std::move(notes);
    m_lostReceiver = std::move(lost);
}

void CMidiPort::PostTo(IEventLoop& loop, WindowId window) {
    IEventLoop* target = &loop;
    SetReceivers(
        [target, window](const NOTE_EVENT& note) {
            target->Post(window, kNoteMessage, MakePayload(std::make_unique<NOTE_EVENT>(note)));
        },
        [target, window](const CCharString& text) {
            target->Post(window, kMidiDeviceLostMessage,
                         MakePayload(std::make_unique<CCharString>(text)));
        });
}

bool CMidiPort::GetDeviceNames(std::vector<CCharString>& names) {
    names.clear();
    const int count = m_input.GetPortCount();
    for (int i = 0; i < count; ++i) {
        std::string name;
        if (!m_input.GetPortName(i, name)) {
            break;
        }
        names.emplace_back(name.c_str());
    }
    return true;
}

bool CMidiPort::Open(int device) {
    if (device == kNoDevice) {
        Close();
        m_error.Empty();  // choosing no device is no failure worth a text
        return false;
    }
    if (!Close()) {
        return false;
    }
    m_decoder.Reset();  // the input thread is stopped: safe to touch here
    m_lost = false;
    if (!m_input.Open(device, this)) {
        TakeInputError("open", device);
        return false;
    }
    m_device = device;
    return true;
}

bool CMidiPort::Close() {
    if (m_device == kNoDevice) {
        return true;
    }
    const int device = m_device;
    m_device = kNoDevice;
    if (!m_input.Close()) {
        TakeInputError("close", device);
        return false;
    }
    return true;
}

void CMidiPort::TakeInputError(const char* action, int device) {
    // The input's text names the port and the reason: it is passed on as it
    // is, and only an input that says nothing is spoken for.
    m_error = m_input.GetError();
    if (m_error.IsEmpty()) {
        m_error.Format("Can't %s MIDI input port %d", action, device);
    }
}

void CMidiPort::OnMidiBytes(const uint8_t* bytes, size_t count, double /*seconds*/) {
    // The process clock, not the input's own, so that the time can be set
    // against the moment the note is judged and drawn.
    const double arrival = Platform::GetClock().GetSeconds();
    MIDI_MESSAGE message;
    for (size_t i = 0; i < count; ++i) {
        if (m_decoder.Feed(bytes[i], message)) {
            Handle(message, arrival);
        }
    }
}

void CMidiPort::Handle(const MIDI_MESSAGE& message, double arrival) {
    if (m_trace) {
        Trace(message);
    }
    const int kind = message.GetKind();
    if (kind != kNoteOff && kind != kNoteOn) {
        return;
    }
    NOTE_EVENT note;
    note.note = message.data1;
    note.velocity = kind == kNoteOn ? message.data2 : 0;  // a note-on of velocity 0 ends it
    note.source = SOURCE_MIDI_INPUT;
    note.arrival = arrival;
    ++m_notes;
    CCritLock lock(m_receiverLock, "CMidiPort::Handle");
    if (m_noteReceiver) {
        m_noteReceiver(note);
    }
}

void CMidiPort::Trace(const MIDI_MESSAGE& message) const {
    const int channel = message.GetChannel() + 1;
    CCharString line;
    switch (message.GetKind()) {
        case kNoteOff:
            line.Format("Note off: chan=%2d, note=%3d, vel=%3d", channel, message.data1,
                        message.data2);
            break;
        case kNoteOn:
            line.Format("Note  on: chan=%2d, note=%3d, vel=%3d", channel, message.data1,
                        message.data2);
            break;
        case 0xA0:
            line.Format("Poly aft: chan=%2d, amount=%3d", channel, message.data2);
            break;
        case 0xB0:
            line.Format("Control: chan=%2d, %3d, %3d", channel, message.data1, message.data2);
            break;
        case 0xC0:
            line.Format("Program: chan=%2d, program=%3d", channel, message.data1);
            break;
        case 0xD0:
            line.Format("Chnl aft: chan=%2d, amount=%3d", channel, message.data1);
            break;
        default:
            line.Format("Ptch wheel: chan=%2d, %3d", channel, message.data1 | (message.data2 << 7));
            break;
    }
    WriteTraceLine(line);
}

void CMidiPort::OnPortLost(const char* reason) {
    if (m_lost.exchange(true)) {
        return;  // reported once
    }
    CCharString text;
    text.Format("Can't go on reading input device %d: %s", m_device.load(),
                reason != nullptr ? reason : "it is gone");
    CCritLock lock(m_receiverLock, "CMidiPort::OnPortLost");
    if (m_lostReceiver) {
        m_lostReceiver(text);
    }
}
