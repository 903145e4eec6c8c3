#include "app/DeviceLister.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "editors/AudioSettingsDlg.h"

namespace {

constexpr uint64_t kHashBasis = 14695981039346656037ull;
constexpr uint64_t kHashPrime = 1099511628211ull;
constexpr uint64_t kSecondSeed = 0x9E3779B97F4A7C15ull;

uint64_t Hash(const std::string& text, uint64_t seed) {
    uint64_t hash = kHashBasis ^ seed;
    for (const char c : text) {
        hash = (hash ^ static_cast<uint8_t>(c)) * kHashPrime;
    }
    return hash;
}

// Adds the devices a sound system lists; false with the system's reason.
template <class DEVICE>
bool AddDevices(DEVICE& device, DEVICE_LIST& list, CCharString& reason) {
    std::vector<AUDIO_DEVICE> devices;
    if (!device.EnumerateDevices(devices)) {
        reason = device.GetError();
        return false;
    }
    for (const AUDIO_DEVICE& found : devices) {
        list.items.push_back(DEVICE_ITEM{found.description.c_str(),
                                         CDeviceLister::ToKey(CDeviceLister::MakeGuid(found.id))});
    }
    return true;
}

template <class FACTORY>
DEVICE_LIST ListSound(const FACTORY& real, const FACTORY& standIn, const char* failure) {
    DEVICE_LIST list;
    CCharString reason;
    if (real) {
        if (auto device = real(); device && !AddDevices(*device, list, reason)) {
            list.problem.Format(failure, reason.GetText());
        }
    }
    if (standIn) {
        if (auto device = standIn()) {
            AddDevices(*device, list, reason);
        }
    }
    return list;
}

DEVICE_LIST ListMidi(const std::function<std::unique_ptr<IMidiIn>()>& factory) {
    DEVICE_LIST list;
    std::unique_ptr<IMidiIn> input = factory ? factory() : nullptr;
    if (input == nullptr) {
        return list;
    }
    const int count = input->GetPortCount();
    for (int port = 0; port < count; ++port) {
        std::string name;
        if (!input->GetPortName(port, name)) {
            break;  // the ports changed while they were listed
        }
        list.items.push_back(DEVICE_ITEM{name.c_str(), CAudioSettingsDlg::MidiKey(port)});
    }
    return list;
}

// The list a task answered with, or an empty one that says it did not.
DEVICE_LIST TakeList(CBackgroundTask<DEVICE_LIST>& task, const char* what) {
    DEVICE_LIST list;
    if (!task.IsStarted() || task.Take(list)) {
        return list;
    }
    list = DEVICE_LIST();
    list.answered = false;
    list.problem.Format("The %s did not answer in time: the one chosen before stays.", what);
    return list;
}

}  // namespace

void CDeviceLister::Start(const PLATFORM& platform) {
    m_inputs.Start([real = platform.createAudioIn, standIn = platform.createStandInAudioIn] {
        return ListSound(real, standIn, "Can't enumerate audio input devices: %s");
    });
    m_outputs.Start([real = platform.createAudioOut, silent = platform.createSilentAudioOut] {
        return ListSound(real, silent, "Can't enumerate audio output devices: %s");
    });
    m_midiPorts.Start([factory = platform.createMidiIn] { return ListMidi(factory); });
}

DEVICE_LISTS CDeviceLister::Take(double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (CBackgroundTask<DEVICE_LIST>* task : {&m_inputs, &m_outputs, &m_midiPorts}) {
        const std::chrono::duration<double> left = deadline - std::chrono::steady_clock::now();
        task->WaitFor(left.count() > 0.0 ? left.count() : 0.0);
    }
    DEVICE_LISTS lists;
    lists.inputs = TakeList(m_inputs, "sound input");
    lists.outputs = TakeList(m_outputs, "sound output");
    lists.midiPorts = TakeList(m_midiPorts, "MIDI system");
    // A system that could not list at all stops the command.
    for (DEVICE_LIST* list : {&lists.inputs, &lists.outputs}) {
        if (list->answered && !list->problem.IsEmpty() && lists.error.IsEmpty()) {
            lists.error = list->problem;
        }
    }
    return lists;
}

SETTINGS_GUID CDeviceLister::MakeGuid(const std::string& id) {
    SETTINGS_GUID guid{};
    const uint64_t halves[] = {Hash(id, 0), Hash(id, kSecondSeed)};
    std::memcpy(guid.data(), halves, guid.size());
    // An all-zero GUID means "nothing chosen": no device may have it.
    guid[0] |= 1;
    return guid;
}

CCharString CDeviceLister::ToKey(const SETTINGS_GUID& guid) {
    bool zero = true;
    for (const uint8_t byte : guid) {
        zero = zero && byte == 0;
    }
    CCharString key;
    if (zero) {
        return key;
    }
    for (const uint8_t byte : guid) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", byte);
        key.Append(digits);
    }
    return key;
}

SETTINGS_GUID CDeviceLister::ToGuid(const char* key) {
    SETTINGS_GUID guid{};
    if (key == nullptr || std::strlen(key) != 2 * guid.size()) {
        return guid;
    }
    for (size_t i = 0; i < guid.size(); ++i) {
        unsigned int byte = 0;
        if (std::sscanf(key + 2 * i, "%2x", &byte) != 1) {
            return SETTINGS_GUID{};
        }
        guid[i] = static_cast<uint8_t>(byte);
    }
    return guid;
}
