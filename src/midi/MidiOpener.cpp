#include "midi/MidiOpener.h"

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "midi/MidiPort.h"

namespace {
// Words in the names of ports that no player plays: the system's
// pass-through and the ports other programs make.
constexpr const char* kSoftwareWords[] = {"Through", "RtMidi", "Notara"};
}  // namespace

bool CMidiOpener::IsKeyboardName(const char* name) {
    for (const char* word : kSoftwareWords) {
        if (std::strstr(name, word) != nullptr) {
            return false;
        }
    }
    return true;
}

CMidiOpener::~CMidiOpener() = default;

void CMidiOpener::Start(Factory factory, int device, bool openSoleKeyboard) {
    m_state = std::make_shared<STATE>();
    // The thread keeps the state alive: it may outlive the opener when the
    // MIDI system never answers.
    std::thread([state = m_state, factory = std::move(factory), device, openSoleKeyboard] {
        Open(factory, device, openSoleKeyboard, *state);
    }).detach();
}

void CMidiOpener::Open(const Factory& factory, int device, bool openSoleKeyboard, STATE& state) {
    MIDI_OPENING opening;
    opening.input = factory ? factory() : nullptr;
    if (opening.input != nullptr) {
        opening.port = std::make_unique<CMidiPort>(*opening.input);
        std::vector<CCharString> names;
        opening.port->GetDeviceNames(names);
        if (device == kNoDevice && openSoleKeyboard) {
            int keyboards = 0;
            for (size_t i = 0; i < names.size(); ++i) {
                if (IsKeyboardName(names[i])) {
                    ++keyboards;
                    device = static_cast<int>(i);
                }
            }
            opening.soleKeyboard = keyboards == 1;
            device = opening.soleKeyboard ? device : kNoDevice;
        }
        if (device != kNoDevice) {
            opening.opened = opening.port->Open(device);
            if (!opening.opened) {
                opening.error = opening.port->GetError();  // it names the port
                opening.soleKeyboard = false;
            } else if (device >= 0 && device < static_cast<int>(names.size())) {
                opening.deviceName = names[static_cast<size_t>(device)];
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
    // The state may die with m_state below: it must outlive the lock.
    const std::shared_ptr<STATE> state = m_state;
    std::lock_guard<std::mutex> lock(state->lock);
    if (!state->done) {
        return false;
    }
    opening = std::move(state->opening);
    m_state.reset();
    return true;
}
