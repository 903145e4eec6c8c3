#include "midi/MidiOpener.h"

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "midi/MidiPort.h"

namespace {
// The word in the name of the system's pass-through port, which plays
// nothing by itself.
constexpr const char* kThroughWord = "Through";
}  // namespace

CMidiOpener::~CMidiOpener() = default;

void CMidiOpener::Start(Factory factory, int device) {
    m_state = std::make_shared<STATE>();
    // The thread keeps the state alive: it may outlive the opener when the
    // MIDI system never answers.
    std::thread([state = m_state, factory = std::move(factory), device] {
        Open(factory, device, *state);
    }).detach();
}

void CMidiOpener::Open(const Factory& factory, int device, STATE& state) {
    MIDI_OPENING opening;
    opening.input = factory ? factory() : nullptr;
    if (opening.input != nullptr) {
        opening.port = std::make_unique<CMidiPort>(*opening.input);
        std::vector<CCharString> names;
        opening.port->GetDeviceNames(names);
        for (size_t i = 0; i < names.size() && device == kNoDevice; ++i) {
            if (std::strstr(names[i].GetText(), kThroughWord) == nullptr) {
                device = static_cast<int>(i);
            }
        }
        if (device != kNoDevice) {
            opening.opened = opening.port->Open(device);
            if (!opening.opened) {
                opening.error = opening.port->GetError();  // it names the port
            }
        }
    }
    std::lock_guard<std::mutex> lock(state.lock);
    state.opening = std::move(opening);
    state.done = true;
    state.answered.notify_all();
}

bool CMidiOpener::WaitFor(double seconds) {
    if (m_state == nullptr) {
        return false;
    }
    std::unique_lock<std::mutex> lock(m_state->lock);
    return m_state->answered.wait_for(lock, std::chrono::duration<double>(seconds),
                                      [this] { return m_state->done; });
}

bool CMidiOpener::Take(MIDI_OPENING& opening) {
    if (m_state == nullptr) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_state->lock);
    if (!m_state->done) {
        return false;
    }
    opening = std::move(m_state->opening);
    m_state.reset();
    return true;
}
