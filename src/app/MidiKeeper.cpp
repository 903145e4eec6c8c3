#include "app/MidiKeeper.h"

#include "app/AppSettings.h"
#include "foundation/ErrorReport.h"
#include "midi/MidiOpener.h"
#include "midi/MidiPort.h"
#include "platform/MidiIn.h"
#include "platform/Window.h"

namespace {
constexpr const char* kSource = "Devices";
}  // namespace

CMidiKeeper::CMidiKeeper(const PLATFORM& platform, IWindow& window, APP_SETTINGS* settings)
    : m_platform(platform), m_window(window), m_settings(settings) {}

CMidiKeeper::~CMidiKeeper() {
    CloseOld();
    m_opener.reset();  // an input that never answered is left to its thread
}

bool CMidiKeeper::Start() {
    if (!m_platform.createMidiIn) {
        return false;
    }
    const int port = m_settings ? m_settings->audio.midiInputPort : AUDIO_INFO::kNoMidiPort;
    m_opener = std::make_unique<CMidiOpener>();
    // Until the learner chooses, the only keyboard plugged in plays.
    const bool chosen = m_settings != nullptr && m_settings->audio.midiChosen;
    m_opener->Start(m_platform.createMidiIn,
                    port == AUDIO_INFO::kNoMidiPort ? CMidiOpener::kNoDevice : port, !chosen);
    return true;
}

void CMidiKeeper::WaitFor(double seconds) {
    if (m_opener) {
        m_opener->WaitFor(seconds);
    }
}

void CMidiKeeper::Take(CCharString& notice) {
    MIDI_OPENING opening;
    if (!m_opener || !m_opener->Take(opening)) {
        return;
    }
    m_opener.reset();
    m_input = std::move(opening.input);
    m_port = std::move(opening.port);
    if (m_port) {
        m_port->PostTo(*m_platform.eventLoop, m_window.GetId());
    }
    if (!opening.error.IsEmpty()) {
        // A device failure never stops start-up: a keyboard is seldom
        // plugged in, so it is only logged.
        ReportError(kSource, __LINE__, "%s", opening.error.GetText());
    }
    if (opening.soleKeyboard) {
        notice.Format("MIDI keyboard \"%s\" plays the notes: choose another in Settings > Audio",
                      opening.deviceName.GetText());
    }
}

bool CMidiKeeper::IsOpen() const {
    return m_port && m_port->IsOpen() && !m_port->IsDeviceLost();
}

void CMidiKeeper::CloseOld() {
    if (m_port) {
        m_port->Close();
    }
    m_port.reset();
    m_input.reset();
}

bool CMidiKeeper::Reopen(int port, CCharString& problem) {
    m_opener.reset();  // an answer still due from start-up is not wanted now
    if (port == AUDIO_INFO::kNoMidiPort || !m_platform.createMidiIn) {
        CloseOld();
        return true;
    }
    // The new port opens before the old one closes: when it can't, the old
    // one goes on playing.
    CMidiOpener opener;
    opener.Start(m_platform.createMidiIn, port);
    MIDI_OPENING opening;
    if (!opener.WaitFor(kAnswerSeconds) || !opener.Take(opening)) {
        problem.Format("Can't open MIDI input: the MIDI system did not answer within %.0f s",
                       kAnswerSeconds);
        return false;
    }
    if (!opening.opened) {
        problem = opening.error;
        return false;
    }
    CloseOld();
    m_input = std::move(opening.input);
    m_port = std::move(opening.port);
    m_port->PostTo(*m_platform.eventLoop, m_window.GetId());
    return true;
}
