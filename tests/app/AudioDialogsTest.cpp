#include <gtest/gtest.h>

#include <cmath>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "app/Center.h"
#include "app/DeviceLister.h"
#include "app/MainWnd.h"
#include "app/Menus.h"
#include "audio/Sound.h"
#include "capture/DetectorPoster.h"
#include "capture/SoundCapture.h"
#include "editors/AudioSettingsDlg.h"
#include "editors/MixerDlg.h"
#include "midi/MidiKeyboard.h"
#include "midi/MidiPort.h"
#include "platform/GlDevice.h"
#include "platform/null/NullBackend.h"
#include "platform/null/NullControlDialog.h"
#include "platform/null/NullMidiIn.h"
#include "platform/null/NullWindow.h"
#include "songs/Mix.h"
#include "theory/Note.h"

namespace {

constexpr int kBassGuitarPan = 1514;
constexpr int kPianoVolume = 1566;
constexpr int kHiHatVolume = 1527;
constexpr int kHiHatPan = 1528;
constexpr int kSnareVolume = 1531;

// A MIDI system whose ports the test plugs in and pulls out; every input it
// makes sees the ports of that moment. While hanging, it does not answer.
struct MIDI_SYSTEM {
    std::mutex lock;
    std::condition_variable released;
    std::vector<std::string> ports;
    bool hang = false;
    int inside = 0;  // threads in the MIDI system now

    // A thread the program left hanging in the MIDI system is let go and
    // has left it before the system goes.
    ~MIDI_SYSTEM() {
        std::unique_lock<std::mutex> held(lock);
        hang = false;
        released.notify_all();
        released.wait(held, [this] { return inside == 0; });
    }

    PLATFORM Attach(PLATFORM platform) {
        platform.createMidiIn = [this] {
            std::unique_lock<std::mutex> held(lock);
            ++inside;
            released.wait(held, [this] { return !hang; });
            auto input = std::make_unique<CNullMidiIn>();
            for (const std::string& name : ports) {
                input->AddPort(name);
            }
            --inside;
            released.notify_all();
            return input;
        };
        return platform;
    }
    void SetPorts(std::vector<std::string> names) {
        std::lock_guard<std::mutex> held(lock);
        ports = std::move(names);
    }
    void SetHang(bool on) {
        std::lock_guard<std::mutex> held(lock);
        hang = on;
        released.notify_all();
    }
};

// A sound output with a name of its own that tells what it was asked to
// play: how many sounds started and at what level the last one did.
struct SPEAKER_LOG {
    std::atomic<int> plays{0};
    std::atomic<int32_t> lastVolume{0};
};

class CTestSpeakers : public CNullAudioOut {
public:
    static constexpr const char* kName = "Test speakers";

    explicit CTestSpeakers(std::shared_ptr<SPEAKER_LOG> log)
        : CNullAudioOut(Clock::kRealTime), m_log(std::move(log)) {}
    bool EnumerateDevices(std::vector<AUDIO_DEVICE>& devices) override {
        devices = {{kDeviceId, kName}};
        return true;
    }
    std::string GetDeviceName() const override { return kName; }
    bool SetVolume(int buffer, int32_t hundredthsDb) override {
        m_volume = hundredthsDb;
        return CNullAudioOut::SetVolume(buffer, hundredthsDb);
    }
    bool Play(int buffer, bool loop) override {
        if (!loop) {
            m_log->lastVolume = m_volume;
            ++m_log->plays;
        }
        return CNullAudioOut::Play(buffer, loop);
    }

private:
    std::shared_ptr<SPEAKER_LOG> m_log;
    int32_t m_volume = 0;
};

std::unique_ptr<CCenter> Start(CNullBackend& backend, const PLATFORM& platform) {
    auto center = std::make_unique<CCenter>(kNotaraDemoKind, "", platform);
    if (!center->Init()) {
        return nullptr;
    }
    backend.GetEventLoop().ProcessMessages();  // the start message
    return center;
}

void Close(CNullBackend& backend) {
    backend.GetWindowSystem().GetWindows().at(0)->RequestClose();
    backend.GetEventLoop().ProcessMessages();
}

CNullControlDialog* Mixer(CNullBackend& backend) {
    return backend.GetWindowSystem().FindControlDialog(CMixerDlg::kTitle);
}

CNullControlDialog* AudioSettings(CNullBackend& backend) {
    return backend.GetWindowSystem().FindControlDialog(CAudioSettingsDlg::kTitle);
}

// The index of the item of list id that reads text, or -1.
int IndexOf(const CNullControlDialog& dialog, int id, const std::string& text) {
    const auto* item = dialog.FindItem(id);
    for (size_t i = 0; item != nullptr && i < item->list.size(); ++i) {
        if (item->list[i] == text) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string Selected(const CNullControlDialog& dialog, int id) {
    const auto* item = dialog.FindItem(id);
    return item != nullptr && item->selection >= 0
               ? item->list[static_cast<size_t>(item->selection)]
               : std::string();
}

// A key of the computer keyboard that plays a note of the piano.
char NoteKey() {
    for (char c = 'A'; c <= 'Z'; ++c) {
        if (CMidiKeyboard::MapKey(c, THING_KEYBOARD) != 0) {
            return c;
        }
    }
    return 0;
}

void PressAndRelease(CCenter& center, char key) {
    KEY_EVENT event;
    event.character = key;
    event.down = true;
    center.OnKeyAsNote(event);
    event.down = false;
    center.OnKeyAsNote(event);
}

}  // namespace

TEST(MixerDialog, MovingTheBassGuitarPanFullyLeftStoresItInTheMixAtOnce) {
    CNullBackend backend;
    auto center = Start(backend, backend.GetPlatform());
    ASSERT_TRUE(center);
    CNullControlDialog* mixer = Mixer(backend);
    ASSERT_NE(mixer, nullptr);
    EXPECT_FALSE(mixer->IsVisible()) << "a first start keeps the mixer out of the way";
    ASSERT_TRUE(center->OnCommand(kCommandShowMixer));
    EXPECT_TRUE(mixer->IsVisible());
    ASSERT_TRUE(mixer->MoveSlider(kBassGuitarPan, -CMixerDlg::kPanPositions));
    float volume = 0.0f;
    float pan = 0.0f;
    center->GetMix()->Get(THING_BASS_GUITAR, volume, pan);
    EXPECT_FLOAT_EQ(pan, -1.0f);
    EXPECT_FLOAT_EQ(volume, 1.0f);
    // The rows of the dialog: every instrument with its label, sliders on
    // their ranges, a tick at the centre of the pans.
    const auto* bassPan = mixer->FindItem(kBassGuitarPan);
    ASSERT_NE(bassPan, nullptr);
    EXPECT_EQ(bassPan->minPosition, -50);
    EXPECT_EQ(bassPan->maxPosition, 50);
    EXPECT_EQ(bassPan->ticks, std::vector<int>{0});
    EXPECT_EQ(mixer->FindItem(1549)->control.text, "Splash 1");
    EXPECT_EQ(mixer->FindItem(1554)->control.text, "Hi-hat");
    EXPECT_EQ(mixer->FindItem(1546)->maxPosition, 100);
    // Each slider says its value beside it, and the pan's ends are marked.
    const int bassRow = CMixerDlg::FindRow(THING_BASS_GUITAR);
    EXPECT_EQ(mixer->FindItem(CMixerDlg::kFirstPanValueId + bassRow)->control.text, "L 100");
    EXPECT_EQ(mixer->FindItem(CMixerDlg::kFirstVolumeValueId + bassRow)->control.text, "100 %");
    ASSERT_TRUE(mixer->MoveSlider(kBassGuitarPan, 10));
    EXPECT_EQ(mixer->FindItem(CMixerDlg::kFirstPanValueId + bassRow)->control.text, "R 20");
    int marks = 0;
    for (const CONTROL_ITEM& item : CMixerDlg::MakeTemplate().items) {
        marks += item.text == "L" || item.text == "R" ? 1 : 0;
    }
    EXPECT_EQ(marks, 2) << "the pan's ends are not marked L and R";
}

TEST(MixerDialog, ValueTextsSayPercentAndSide) {
    EXPECT_STREQ(CMixerDlg::VolumeText(0.8).GetText(), "80 %");
    EXPECT_STREQ(CMixerDlg::VolumeText(0.0).GetText(), "0 %");
    EXPECT_STREQ(CMixerDlg::PanText(0.0).GetText(), "C");
    EXPECT_STREQ(CMixerDlg::PanText(-0.4).GetText(), "L 40");
    EXPECT_STREQ(CMixerDlg::PanText(1.0).GetText(), "R 100");
}

TEST(MixerDialog, ShowsEveryRowOfTheMixAlsoPastAnInstrumentWithoutARow) {
    // The default mix holds the open hi-hat, which has no row of its own:
    // the rows after it must still show their values.
    CNullBackend backend;
    auto center = Start(backend, backend.GetPlatform());
    ASSERT_TRUE(center);
    CNullControlDialog* mixer = Mixer(backend);
    ASSERT_NE(mixer, nullptr);
    EXPECT_EQ(mixer->FindItem(kHiHatVolume)->position, 60);
    EXPECT_EQ(mixer->FindItem(kHiHatPan)->position, -40);
    EXPECT_EQ(mixer->FindItem(kSnareVolume)->position, 70);
    // Moving one slider leaves the other rows' values as the mix has them.
    float volume = 0.0f;
    float pan = 0.0f;
    ASSERT_TRUE(mixer->MoveSlider(kBassGuitarPan, 10));
    center->GetMix()->Get(THING_SNARE_DRUM, volume, pan);
    EXPECT_FLOAT_EQ(volume, 0.7f);
    EXPECT_FLOAT_EQ(pan, -0.2f);
}

TEST(MixerDialog, ResetAnsweredNoChangesNothingAndYesRestoresTheDefaults) {
    CNullBackend backend;
    auto center = Start(backend, backend.GetPlatform());
    ASSERT_TRUE(center);
    CNullControlDialog* mixer = Mixer(backend);
    ASSERT_NE(mixer, nullptr);
    ASSERT_TRUE(mixer->MoveSlider(kBassGuitarPan, -50));
    backend.GetWindowSystem().ScriptAnswer(BoxResult::kNo);
    ASSERT_TRUE(mixer->Click(CMixerDlg::kResetId));
    const BOX_RECORD& box = backend.GetWindowSystem().GetBoxes().back();
    EXPECT_EQ(box.caption, "Reset the mix");
    EXPECT_EQ(box.text, "This will set the mix to default.\nDo you want to continue?");
    EXPECT_EQ(box.buttons, BoxButtons::kYesNo);
    EXPECT_EQ(box.icon, BoxIcon::kExclamation);
    float volume = 0.0f;
    float pan = 0.0f;
    center->GetMix()->Get(THING_BASS_GUITAR, volume, pan);
    EXPECT_FLOAT_EQ(pan, -1.0f);
    EXPECT_EQ(mixer->FindItem(kBassGuitarPan)->position, -50);
    backend.GetWindowSystem().ScriptAnswer(BoxResult::kYes);
    ASSERT_TRUE(mixer->Click(CMixerDlg::kResetId));
    center->GetMix()->Get(THING_BASS_GUITAR, volume, pan);
    EXPECT_FLOAT_EQ(pan, 0.0f);
    EXPECT_EQ(mixer->FindItem(kBassGuitarPan)->position, 0);
}

TEST(MixerDialog, ItsPlaceAndTheMixSurviveARestart) {
    CNullBackend backend;
    {
        auto center = Start(backend, backend.GetPlatform());
        ASSERT_TRUE(center);
        CNullControlDialog* mixer = Mixer(backend);
        ASSERT_NE(mixer, nullptr);
        // A first start puts it at the main window's top-left corner.
        const WINDOW_RECT main = backend.GetWindowSystem().GetWindows().at(0)->GetRect();
        EXPECT_EQ(mixer->GetRect().left, main.left);
        EXPECT_EQ(mixer->GetRect().top, main.top);
        ASSERT_TRUE(center->OnCommand(kCommandShowMixer));
        mixer->SetRect(WINDOW_RECT{210, 120, 999, 999});
        ASSERT_TRUE(mixer->MoveSlider(kBassGuitarPan, -25));
        Close(backend);
        EXPECT_EQ(Mixer(backend), nullptr);
    }
    auto center = Start(backend, backend.GetPlatform());
    ASSERT_TRUE(center);
    CNullControlDialog* mixer = Mixer(backend);
    ASSERT_NE(mixer, nullptr);
    EXPECT_TRUE(mixer->IsVisible());
    EXPECT_EQ(mixer->GetRect().left, 210);
    EXPECT_EQ(mixer->GetRect().top, 120);
    EXPECT_EQ(mixer->GetRect().width, mixer->GetTemplate().width) << "moved, not resized";
    EXPECT_EQ(mixer->FindItem(kBassGuitarPan)->position, -25);
    // Closing hides it, and a restart keeps it hidden.
    mixer->Click(IControlDialog::kIdCancel);
    EXPECT_FALSE(mixer->IsVisible());
    Close(backend);
    auto again = Start(backend, backend.GetPlatform());
    ASSERT_TRUE(again);
    ASSERT_NE(Mixer(backend), nullptr);
    EXPECT_FALSE(Mixer(backend)->IsVisible());
}

// A pan written by hand between the slider's steps stays as written when
// another instrument's slider moves and the mix is saved at the close.
TEST(MixerDialog, AHandWrittenPanOfAnUntouchedInstrumentIsSavedAsRead) {
    CNullBackend backend;
    std::string path;
    {
        auto center = Start(backend, backend.GetPlatform());
        ASSERT_TRUE(center);
        path = std::string(center->GetSettings()->soundFolder.GetText()) + "Default.mix";
        Close(backend);
    }
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    CMix handWritten;
    ASSERT_TRUE(handWritten.SetDefaults());
    ASSERT_TRUE(handWritten.Set(THING_SNARE_DRUM, 0.7f, -0.35f));
    ASSERT_TRUE(handWritten.Save(path.c_str())) << handWritten.GetError();
    const auto countHandPans = [&path] {
        std::ifstream in(path, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        size_t count = 0;
        for (size_t at = text.find("Pan=-0.35\r\n"); at != std::string::npos;
             at = text.find("Pan=-0.35\r\n", at + 1)) {
            ++count;
        }
        return count;
    };
    ASSERT_EQ(countHandPans(), 1u);
    auto center = Start(backend, backend.GetPlatform());
    ASSERT_TRUE(center);
    CNullControlDialog* mixer = Mixer(backend);
    ASSERT_NE(mixer, nullptr);
    ASSERT_TRUE(center->OnCommand(kCommandShowMixer));
    ASSERT_TRUE(mixer->MoveSlider(kBassGuitarPan, 10));
    ASSERT_TRUE(mixer->Click(IControlDialog::kIdOk));
    Close(backend);
    EXPECT_EQ(countHandPans(), 1u) << "the snare's pan as written";
    CMix saved;
    ASSERT_TRUE(saved.Load(path.c_str())) << saved.GetError();
    float volume = 0.0f;
    float pan = 0.0f;
    saved.Get(THING_BASS_GUITAR, volume, pan);
    EXPECT_FLOAT_EQ(pan, 0.2f) << "the moved slider's value";
    saved.Get(THING_SNARE_DRUM, volume, pan);
    EXPECT_FLOAT_EQ(pan, -0.35f);
}

TEST(AudioSettingsDialog, AFirstStartPreselectsTheFirstDevicesAndNoMidiPort) {
    CNullBackend backend;
    backend.EnableSound(CNullAudioOut::Clock::kRealTime);
    backend.EnableCapture("");
    MIDI_SYSTEM midi;
    midi.SetPorts({"Keys A", "Keys B"});
    auto center = Start(backend, midi.Attach(backend.GetPlatform()));
    ASSERT_TRUE(center);
    ASSERT_TRUE(center->OnCommand(kCommandAudioSettings)) << center->GetError();
    CNullControlDialog* dialog = AudioSettings(backend);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->IsVisible());
    EXPECT_TRUE(dialog->IsModal());
    EXPECT_EQ(Selected(*dialog, CAudioSettingsDlg::kInputId), CNullAudioIn::kDescription);
    EXPECT_EQ(Selected(*dialog, CAudioSettingsDlg::kOutputId), CNullAudioOut::kDescription);
    EXPECT_EQ(Selected(*dialog, CAudioSettingsDlg::kMidiId), "--- None ---");
    EXPECT_EQ(dialog->FindItem(CAudioSettingsDlg::kMidiId)->list,
              (std::vector<std::string>{"--- None ---", "Keys A", "Keys B"}));
    EXPECT_FALSE(center->GetMidiPort() != nullptr && center->GetMidiPort()->IsOpen())
        << "two keyboards and none chosen: none opens by itself";
    // Cancel changes nothing and the dialog goes.
    ASSERT_TRUE(dialog->Choose(CAudioSettingsDlg::kMidiId, 2));
    ASSERT_TRUE(dialog->Click(IControlDialog::kIdCancel));
    EXPECT_EQ(center->GetAudioSettings(), nullptr);
    EXPECT_EQ(center->GetSettings()->audio.midiInputPort, AUDIO_INFO::kNoMidiPort);
    EXPECT_FALSE(center->GetSettings()->audio.midiChosen);
}

TEST(AudioSettingsDialog, TheOnlyKeyboardOpensByItselfUntilNoneIsChosenAndThenNoPortOpens) {
    CNullBackend backend;
    MIDI_SYSTEM midi;
    midi.SetPorts({"Midi Through:Midi Through Port-0 14:0", "USB Keys:USB Keys MIDI 1 20:0"});
    const PLATFORM platform = midi.Attach(backend.GetPlatform());
    {
        auto center = Start(backend, platform);
        ASSERT_TRUE(center);
        ASSERT_NE(center->GetMidiPort(), nullptr);
        EXPECT_TRUE(center->GetMidiPort()->IsOpen());
        EXPECT_EQ(center->GetMidiPort()->GetDevice(), 1);
        EXPECT_NE(backend.GetWindowSystem().GetWindows().at(0)->GetStatusText().find(
                      "MIDI keyboard \"USB Keys:USB Keys MIDI 1 20:0\" plays the notes"),
                  std::string::npos);
        ASSERT_TRUE(center->OnCommand(kCommandAudioSettings)) << center->GetError();
        CNullControlDialog* dialog = AudioSettings(backend);
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(dialog->Choose(CAudioSettingsDlg::kMidiId, 0));  // --- None ---
        ASSERT_TRUE(dialog->Click(IControlDialog::kIdOk));
        EXPECT_EQ(center->GetAudioSettings(), nullptr) << "OK ends the dialog";
        EXPECT_EQ(center->GetSettings()->audio.midiInputPort, 0x7FFFFFFF);
        EXPECT_TRUE(center->GetMidiPort() == nullptr || !center->GetMidiPort()->IsOpen());
        Close(backend);
    }
    auto center = Start(backend, platform);
    ASSERT_TRUE(center);
    EXPECT_TRUE(center->GetMidiPort() == nullptr || !center->GetMidiPort()->IsOpen())
        << "None was chosen: no port opens at the next start";
}

TEST(AudioSettingsDialog, AVanishedPortIsToldAndTheDialogStaysWithTheOldPortPlaying) {
    CNullBackend backend;
    MIDI_SYSTEM midi;
    midi.SetPorts({"Keys A", "Keys B"});
    const PLATFORM platform = midi.Attach(backend.GetPlatform());
    auto center = Start(backend, platform);
    ASSERT_TRUE(center);
    // Port 0 chosen and playing.
    ASSERT_TRUE(center->OnCommand(kCommandAudioSettings));
    ASSERT_TRUE(AudioSettings(backend)->Choose(CAudioSettingsDlg::kMidiId, 1));
    ASSERT_TRUE(AudioSettings(backend)->Click(IControlDialog::kIdOk));
    ASSERT_NE(center->GetMidiPort(), nullptr);
    ASSERT_TRUE(center->GetMidiPort()->IsOpen());
    const CMidiPort* playing = center->GetMidiPort();
    backend.GetEventLoop().AdvanceTime(100);
    backend.GetEventLoop().ProcessMessages();
    // Port 1 is listed, then pulled out before OK.
    ASSERT_TRUE(center->OnCommand(kCommandAudioSettings));
    CNullControlDialog* dialog = AudioSettings(backend);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Selected(*dialog, CAudioSettingsDlg::kMidiId), "Keys A");
    ASSERT_TRUE(dialog->Choose(CAudioSettingsDlg::kMidiId, 2));
    midi.SetPorts({"Keys A"});
    const size_t boxesBefore = backend.GetWindowSystem().GetBoxes().size();
    ASSERT_TRUE(dialog->Click(IControlDialog::kIdOk));
    const auto& boxes = backend.GetWindowSystem().GetBoxes();
    ASSERT_EQ(boxes.size(), boxesBefore + 2);
    EXPECT_EQ(boxes[boxesBefore].caption, "Audio Device Error");
    EXPECT_NE(boxes[boxesBefore].text.find("Can't open MIDI input port 1"), std::string::npos)
        << boxes[boxesBefore].text;
    EXPECT_EQ(boxes[boxesBefore + 1].caption, "Init Audio");
    EXPECT_EQ(boxes[boxesBefore + 1].icon, BoxIcon::kError);
    EXPECT_EQ(AudioSettings(backend), dialog);
    EXPECT_TRUE(dialog->IsVisible()) << "the dialog stays for another choice";
    EXPECT_NE(center->GetAudioSettings(), nullptr);
    EXPECT_EQ(center->GetMidiPort(), playing);
    EXPECT_TRUE(center->GetMidiPort()->IsOpen());
    EXPECT_EQ(center->GetMidiPort()->GetDevice(), 0);
    EXPECT_EQ(center->GetSettings()->audio.midiInputPort, 0) << "the port in use stays saved";
}

TEST(AudioSettingsDialog, ChoosingTheSilentOutputAndBackReopensTheEngineAndTheNextKeySounds) {
    CNullBackend backend;
    auto speakers = std::make_shared<SPEAKER_LOG>();
    PLATFORM platform = backend.GetPlatform();
    platform.createAudioOut = [speakers]() -> std::unique_ptr<IAudioOut> {
        return std::make_unique<CTestSpeakers>(speakers);
    };
    platform.createSilentAudioOut = [] {
        return std::make_unique<CNullAudioOut>(CNullAudioOut::Clock::kRealTime);
    };
    auto center = std::make_unique<CCenter>(kNotaraDemoKind, "", platform);
    ASSERT_TRUE(center->Init());
    // The rendered samples, linked into this run's own sound folder.
    std::error_code error;
    std::filesystem::copy(NOTARA_BINARY_DIR "/Sound", center->GetSettings()->soundFolder.Str(),
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::create_hard_links |
                              std::filesystem::copy_options::skip_existing,
                          error);
    ASSERT_FALSE(error) << error.message();
    backend.GetEventLoop().ProcessMessages();
    ASSERT_NE(center->GetSound(), nullptr);
    ASSERT_TRUE(center->GetSound()->IsReady()) << center->GetSound()->GetError();
    EXPECT_EQ(center->GetSound()->GetDevice()->GetDeviceName(), CTestSpeakers::kName);
    const char key = NoteKey();
    ASSERT_NE(key, 0);
    // The piano's level, set in the mixer, is the next key's level.
    ASSERT_TRUE(Mixer(backend)->MoveSlider(kPianoVolume, 30));
    PressAndRelease(*center, key);
    ASSERT_EQ(speakers->plays, 1);
    EXPECT_EQ(speakers->lastVolume, CSound::ToHundredthsDb(0.3));

    ASSERT_TRUE(center->OnCommand(kCommandAudioSettings));
    CNullControlDialog* dialog = AudioSettings(backend);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Selected(*dialog, CAudioSettingsDlg::kOutputId), CTestSpeakers::kName);
    const int silent = IndexOf(*dialog, CAudioSettingsDlg::kOutputId, CNullAudioOut::kDescription);
    ASSERT_GE(silent, 0) << "the silent device is listed under its own name";
    ASSERT_TRUE(dialog->Choose(CAudioSettingsDlg::kOutputId, silent));
    ASSERT_TRUE(dialog->Click(IControlDialog::kIdOk));
    EXPECT_EQ(center->GetAudioSettings(), nullptr);
    ASSERT_NE(center->GetSound(), nullptr);
    EXPECT_EQ(center->GetSound()->GetDevice()->GetDeviceName(), CNullAudioOut::kDescription);
    PressAndRelease(*center, key);
    EXPECT_EQ(speakers->plays, 1) << "the speakers are no longer used";

    backend.GetEventLoop().AdvanceTime(100);
    backend.GetEventLoop().ProcessMessages();
    ASSERT_TRUE(center->OnCommand(kCommandAudioSettings));
    dialog = AudioSettings(backend);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Selected(*dialog, CAudioSettingsDlg::kOutputId), CNullAudioOut::kDescription);
    ASSERT_TRUE(
        dialog->Choose(CAudioSettingsDlg::kOutputId,
                       IndexOf(*dialog, CAudioSettingsDlg::kOutputId, CTestSpeakers::kName)));
    ASSERT_TRUE(dialog->Click(IControlDialog::kIdOk));
    ASSERT_NE(center->GetSound(), nullptr);
    EXPECT_EQ(center->GetSound()->GetDevice()->GetDeviceName(), CTestSpeakers::kName);
    PressAndRelease(*center, key);
    EXPECT_EQ(speakers->plays, 2) << "the next key sounds on the speakers again";
    EXPECT_EQ(center->GetSettings()->audio.outputName, CTestSpeakers::kName);
}

// A steady pitch the microphone hears is read as a tuner does, beside the
// level meter of the window and of the audio settings, and goes when the
// note ends.
TEST(AudioSettingsDialog, ATuneReadoutShowsTheNoteHeardAndHowFarOffItIs) {
    CNullBackend backend;
    backend.EnableSound(CNullAudioOut::Clock::kRealTime);
    backend.EnableCapture("");
    auto center = Start(backend, backend.GetPlatform());
    ASSERT_TRUE(center);
    ASSERT_NE(center->GetCapture(), nullptr);
    ASSERT_TRUE(center->OnCommand(kCommandAudioSettings));
    CNullControlDialog* dialog = AudioSettings(backend);
    ASSERT_NE(dialog, nullptr);
    CNullWindow* main = backend.GetWindowSystem().GetWindows().at(0);
    const auto hear = [&](double frequency) {
        auto pitch = std::make_unique<SOUND_PITCH>();
        pitch->frequency = frequency;
        center->OnPitch(MakePayload(std::move(pitch)));
    };
    hear(440.0 * std::pow(2.0, 20.0 / 1200.0));  // 20 cents sharp of A4
    EXPECT_EQ(main->GetTunerText(), "A4 +20 cents");
    EXPECT_EQ(dialog->FindItem(CAudioSettingsDlg::kTunerId)->control.text, "A4 +20 cents");
    hear(0.0);
    EXPECT_EQ(main->GetTunerText(), "");
    EXPECT_EQ(dialog->FindItem(CAudioSettingsDlg::kTunerId)->control.text, "");
    hear(440.0);
    ASSERT_TRUE(dialog->Click(CAudioSettingsDlg::kMicrophoneId));  // the microphone off
    EXPECT_EQ(main->GetTunerText(), "") << "a readout outlives the microphone";
    EXPECT_EQ(dialog->FindItem(CAudioSettingsDlg::kTunerId)->control.text, "");
}

TEST(AudioSettingsDialog, ChoicesAndTheMicrophoneSwitchSurviveARestart) {
    CNullBackend backend;
    backend.EnableSound(CNullAudioOut::Clock::kRealTime);
    backend.EnableCapture("");
    MIDI_SYSTEM midi;
    midi.SetPorts({"Keys A", "Keys B"});
    const PLATFORM platform = midi.Attach(backend.GetPlatform());
    {
        auto center = Start(backend, platform);
        ASSERT_TRUE(center);
        ASSERT_NE(center->GetCapture(), nullptr);
        ASSERT_TRUE(center->OnCommand(kCommandAudioSettings));
        CNullControlDialog* dialog = AudioSettings(backend);
        ASSERT_NE(dialog, nullptr);
        // The switch acts at once; the meter follows the levels heard.
        auto level = std::make_unique<SOUND_LEVEL>();
        level->volume = 0.95f;
        center->OnLevel(MakePayload(std::move(level)));
        EXPECT_EQ(dialog->FindItem(CAudioSettingsDlg::kLevelId)->position, 19);
        EXPECT_EQ(dialog->FindItem(CAudioSettingsDlg::kLevelId)->color, 192u) << "alarm colour";
        ASSERT_TRUE(dialog->Click(CAudioSettingsDlg::kMicrophoneId));
        EXPECT_EQ(center->GetCapture(), nullptr);
        EXPECT_EQ(dialog->FindItem(CAudioSettingsDlg::kLevelId)->position, 0);
        ASSERT_TRUE(dialog->Choose(CAudioSettingsDlg::kMidiId, 2));
        ASSERT_TRUE(dialog->Click(IControlDialog::kIdOk));
        EXPECT_EQ(center->GetMidiPort()->GetDevice(), 1);
        Close(backend);
    }
    auto center = Start(backend, platform);
    ASSERT_TRUE(center);
    EXPECT_EQ(center->GetCapture(), nullptr) << "the microphone stays off";
    ASSERT_NE(center->GetMidiPort(), nullptr);
    EXPECT_EQ(center->GetMidiPort()->GetDevice(), 1);
    ASSERT_TRUE(center->OnCommand(kCommandAudioSettings));
    CNullControlDialog* dialog = AudioSettings(backend);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Selected(*dialog, CAudioSettingsDlg::kMidiId), "Keys B");
    EXPECT_FALSE(dialog->FindItem(CAudioSettingsDlg::kMicrophoneId)->checked);
    // Cancel after turning it on puts it back off.
    ASSERT_TRUE(dialog->Click(CAudioSettingsDlg::kMicrophoneId));
    EXPECT_TRUE(center->IsMicrophoneOn());
    ASSERT_TRUE(dialog->Click(IControlDialog::kIdCancel));
    EXPECT_FALSE(center->IsMicrophoneOn());
    EXPECT_EQ(center->GetCapture(), nullptr);
}

TEST(AudioSettingsDialog, AMidiSystemThatHangsWhileListingHoldsTheWindowOnlyAMoment) {
    CNullBackend backend;
    MIDI_SYSTEM midi;
    midi.SetPorts({"Keys A"});
    auto center = Start(backend, midi.Attach(backend.GetPlatform()));
    ASSERT_TRUE(center);
    midi.SetHang(true);
    const auto before = std::chrono::steady_clock::now();
    const bool shown = center->OnCommand(kCommandAudioSettings);
    const double waited =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - before).count();
    midi.SetHang(false);  // the listing thread ends before the test does
    ASSERT_TRUE(shown) << center->GetError();
    EXPECT_LT(waited, CDeviceLister::kAnswerSeconds + 1.0);
    CNullControlDialog* dialog = AudioSettings(backend);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->FindItem(CAudioSettingsDlg::kMidiId)->enabled);
    EXPECT_NE(dialog->FindItem(CAudioSettingsDlg::kNoticeId)
                  ->control.text.find("The MIDI system did not answer in time"),
              std::string::npos);
    // OK leaves the MIDI input as it was: the only keyboard, opened by itself.
    ASSERT_TRUE(dialog->Click(IControlDialog::kIdOk));
    EXPECT_EQ(center->GetSettings()->audio.midiInputPort, AUDIO_INFO::kNoMidiPort);
    ASSERT_NE(center->GetMidiPort(), nullptr);
    EXPECT_TRUE(center->GetMidiPort()->IsOpen());
}
