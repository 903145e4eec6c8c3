#include "app/DeviceKeeper.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "app/DeviceLister.h"
#include "app/MidiKeeper.h"
#include "audio/Sound.h"
#include "audio/SoundOpener.h"
#include "capture/DetectorPoster.h"
#include "capture/PitchDetector.h"
#include "capture/SoundCapture.h"
#include "capture/SoundDetector.h"
#include "editors/AudioSettingsDlg.h"
#include "foundation/ErrorReport.h"
#include "foundation/MessageIds.h"
#include "platform/Clock.h"
#include "platform/Window.h"
#include "theory/NoteManager.h"

namespace {
// What each device's silence costs the learner, told with its problem.
constexpr const char* kMidiLoss = "Notes played on a MIDI keyboard are not heard.";
constexpr const char* kSoundLoss = "Notes you play are not heard.";
constexpr const char* kCaptureLoss = "Notes played or sung into a microphone are not heard.";
constexpr const char* kSoundStopped = "The sound output has stopped";
constexpr const char* kCaptureStopped = "The sound input has stopped";
constexpr const char* kWhenBack = "It is opened again as soon as the sound system answers.";

CCharString WithLoss(const char* problem, const char* loss) {
    CCharString text;
    text.Format("%s\n%s", problem, loss);
    return text;
}
}  // namespace

CDeviceKeeper::CDeviceKeeper(const PLATFORM& platform, IWindow& window, const CNoteManager& notes,
                             APP_SETTINGS* settings)
    : m_platform(platform),
      m_window(window),
      m_notes(notes),
      m_settings(settings),
      m_midi(std::make_unique<CMidiKeeper>(platform, window, settings)) {}

CDeviceKeeper::~CDeviceKeeper() {
    m_midi.reset();
    m_sound.reset();
    m_soundOpener.reset();
    if (m_capture) {
        m_capture->Close();
    }
    m_capture.reset();
    m_captureTask.reset();
}

CMidiPort* CDeviceKeeper::GetMidiPort() const {
    return m_midi->GetPort();
}

double CDeviceKeeper::Now() const {
    return Platform::GetClock().GetSeconds();
}

void CDeviceKeeper::Start() {
    m_started = std::chrono::steady_clock::now();
    if (m_midi->Start()) {
        m_midiWait = WAIT{Now(), false};
    }
    StartSound();
    StartCapture();
}

void CDeviceKeeper::WaitForStart() {
    // A real wait: it counts on the steady clock whatever clock is installed.
    const auto remaining = [this] {
        const std::chrono::duration<double> waited = std::chrono::steady_clock::now() - m_started;
        return std::max(0.0, kStartWaitSeconds - waited.count());
    };
    m_midi->WaitFor(remaining());
    if (m_soundOpener) {
        m_soundOpener->WaitFor(remaining());
    }
    if (m_captureTask) {
        m_captureTask->WaitFor(remaining());
    }
    TakeMidiInput();
    TakeSound();
    TakeCapture();
}

void CDeviceKeeper::OnSecond() {
    TakeMidiInput();
    TakeSound();
    TakeCapture();
    GiveUpLateDevices();
    // A server that ends stops every device of it within a moment: what
    // stopped is told a second later, in one box.
    const bool soundStopped = WatchSound();
    const bool captureStopped = WatchCapture();
    if (soundStopped || captureStopped) {
        m_stopsHeld = true;
    } else if (m_stopsHeld) {
        m_stopsHeld = false;
        if (m_showing) {
            ShowLater();
        }
    }
    if (m_sound) {
        m_sound->OnTimer();
    }
}

// --- Devices that stop by themselves ------------------------------------

void CDeviceKeeper::TellStop(const char* stopped, const char* deviceError, const char* loss) {
    const bool own =
        deviceError != nullptr && std::strncmp(deviceError, stopped, std::strlen(stopped)) == 0;
    const char* problem = own ? deviceError : stopped;
    ReportError(kSource, __LINE__, "%s", problem);
    CCharString text;
    text.Format("%s\n%s\n%s", problem, loss, kWhenBack);
    AddProblem(text);
}

bool CDeviceKeeper::WatchSound() {
    const double now = Now();
    const bool stopped = m_sound && m_sound->IsDeviceLost() && m_soundRevival.OnStopped(now);
    if (stopped) {
        TellStop(kSoundStopped, m_sound->GetDevice()->GetError(), kSoundLoss);
    }
    if (m_soundRevival.IsTryOverdue(now)) {
        m_soundOpener.reset();  // a try that never answered is left to its thread
        m_soundRevival.OnAnswer(false, now);
    }
    if (!m_soundOpener && m_soundRevival.TakeTry(now)) {
        StartSound();
        m_soundWait.givenUp = true;  // a quiet try: its silence is not told
    }
    return stopped;
}

void CDeviceKeeper::TakeSoundRevival(SOUND_OPENING& opening) {
    const bool opened = opening.error.IsEmpty() && opening.sound && opening.sound->IsReady() &&
                        !opening.sound->IsDeviceLost();
    if (!m_soundRevival.OnAnswer(opened, Now())) {
        if (m_soundRevival.GetFailedTries() == 1) {
            ReportError(kSource, __LINE__, "The sound output is still gone: %s",
                        opening.error.GetText());
        }
        return;  // the stopped engine stays until a try opens
    }
    m_sound = std::move(opening.sound);
    m_sound->SetVolume(m_settings ? m_settings->audio.masterVolume : 1.0f);
    ReportError(kSource, __LINE__, "The sound output works again");
    m_window.SetStatusText("The sound output works again.");
}

bool CDeviceKeeper::WatchCapture() {
    const double now = Now();
    bool stopped = false;
    if (m_capture && m_capture->IsDeviceLost()) {
        const CCharString reason = m_capture->GetDevice()->GetError();
        CloseCapture();  // nothing more is read from it
        stopped = m_captureRevival.OnStopped(now);
        if (stopped) {
            TellStop(kCaptureStopped, reason, kCaptureLoss);
        }
    }
    if (m_captureRevival.IsTryOverdue(now)) {
        m_captureTask.reset();  // a try that never answered is left to its thread
        m_captureRevival.OnAnswer(false, now);
    }
    if (IsMicrophoneOn() && !m_captureTask && !m_capture && m_captureRevival.TakeTry(now)) {
        StartCapture();
        m_captureWait.givenUp = true;  // a quiet try: its silence is not told
    }
    return stopped;
}

void CDeviceKeeper::TakeCaptureRevival(CAPTURE_OPENING& opening) {
    if (!m_captureRevival.OnAnswer(opening.error.IsEmpty() && opening.capture, Now())) {
        if (m_captureRevival.GetFailedTries() == 1) {
            ReportError(kSource, __LINE__, "The sound input is still gone: %s",
                        opening.error.GetText());
        }
        return;
    }
    m_capture = std::move(opening.capture);
    ReportError(kSource, __LINE__, "The microphone works again");
    m_window.SetStatusText("The microphone works again.");
}

bool CDeviceKeeper::IsLate(WAIT& wait) {
    if (wait.givenUp || Now() - wait.since < kLateAnswerSeconds) {
        return false;
    }
    wait.givenUp = true;
    return true;
}

void CDeviceKeeper::GiveUpLateDevices() {
    CCharString problem;
    // Each is told in the one box; a late answer is still taken.
    if (m_soundOpener && IsLate(m_soundWait)) {
        problem.Format("Can't open sound output: the sound system did not answer within %.0f s",
                       kLateAnswerSeconds);
        ReportError(kSource, __LINE__, "%s", problem.GetText());
        AddProblem(WithLoss(problem, kSoundLoss));
    }
    if (m_captureTask && IsLate(m_captureWait)) {
        problem.Format("Can't open sound input: the sound system did not answer within %.0f s",
                       kLateAnswerSeconds);
        ReportError(kSource, __LINE__, "%s", problem.GetText());
        AddProblem(WithLoss(problem, kCaptureLoss));
    }
    if (m_midi->IsOpening() && IsLate(m_midiWait)) {
        problem.Format("Can't open MIDI input: the MIDI system did not answer within %.0f s",
                       kLateAnswerSeconds);
        ReportError(kSource, __LINE__, "%s", problem.GetText());
        AddProblem(WithLoss(problem, kMidiLoss));
    }
    if (m_showing) {
        ShowLater();
    }
}

void CDeviceKeeper::AddProblem(const char* problem) {
    m_problem.Append(m_problem.IsEmpty() ? "" : "\n\n");
    m_problem.Append(problem);
}

void CDeviceKeeper::ShowLater() {
    if (m_showPosted || m_problem.IsEmpty()) {
        return;
    }
    // Shown from a message of its own: a box opened in the second timer
    // would hold that timer, and with it the devices' tries, until answered.
    m_showPosted = true;
    m_platform.eventLoop->Post(m_window.GetId(), kDeviceProblemsMessage, nullptr);
}

void CDeviceKeeper::OnProblemsMessage() {
    m_showPosted = false;
    ShowProblems();
}

void CDeviceKeeper::ShowProblems() {
    m_showing = true;
    ShowMidiNotice();
    if (m_problem.IsEmpty()) {
        return;
    }
    CCharString text = m_problem;
    text.Append("\n\nChoose the devices in Settings > Audio.");
    m_problem.Empty();
    m_platform.windowSystem->MessageBox(&m_window, text, kAudioErrorTitle, BoxIcon::kExclamation,
                                        BoxButtons::kOk);
}

void CDeviceKeeper::TakeMidiInput() {
    m_midi->Take(m_midiNotice);
    if (m_showing) {
        ShowMidiNotice();
    }
}

void CDeviceKeeper::ShowMidiNotice() {
    if (m_midiNotice.IsEmpty()) {
        return;
    }
    m_window.SetStatusText(m_midiNotice);
    m_midiNotice.Empty();
}

// --- Sound output -------------------------------------------------------

void CDeviceKeeper::StartSound() {
    if (!m_platform.createAudioOut && !m_platform.createSilentAudioOut) {
        return;
    }
    CSoundOpener::REQUEST request;
    request.device = m_platform.createAudioOut;
    request.silentDevice = m_platform.createSilentAudioOut;
    request.noteTable = m_notes.GetNoteTable();
    request.soundFolder = m_settings ? m_settings->soundFolder : CCharString();
    request.deviceName = m_settings ? m_settings->audio.outputName : CCharString();
    m_soundOpener = std::make_unique<CSoundOpener>();
    m_soundWait = WAIT{Now(), false};
    m_soundOpener->Start(std::move(request));
}

void CDeviceKeeper::TakeSound() {
    SOUND_OPENING opening;
    if (!m_soundOpener || !m_soundOpener->Take(opening)) {
        return;
    }
    m_soundOpener.reset();
    if (m_soundRevival.IsTrying()) {
        TakeSoundRevival(opening);
        return;
    }
    m_sound = std::move(opening.sound);
    if (m_sound && m_sound->IsReady()) {
        m_sound->SetVolume(m_settings ? m_settings->audio.masterVolume : 1.0f);
    }
    if (opening.error.IsEmpty()) {
        return;
    }
    ReportError(kSource, __LINE__, "%s", opening.error.GetText());
    if (m_soundWait.givenUp) {
        return;  // its silence was told already
    }
    // Told once; the rest of the application works without sound.
    AddProblem(WithLoss(opening.error, kSoundLoss));
    if (m_showing) {
        ShowLater();
    }
}

bool CDeviceKeeper::ReopenSound(CCharString& problem) {
    if (!m_platform.createAudioOut && !m_platform.createSilentAudioOut) {
        return true;
    }
    m_soundOpener.reset();
    CSoundOpener::REQUEST request;
    request.device = m_platform.createAudioOut;
    request.silentDevice = m_platform.createSilentAudioOut;
    request.noteTable = m_notes.GetNoteTable();
    request.soundFolder = m_settings->soundFolder;
    request.deviceName = m_settings->audio.outputName;
    CSoundOpener opener;
    opener.Start(std::move(request));
    SOUND_OPENING opening;
    if (!opener.WaitFor(kSoundAnswerSeconds) || !opener.Take(opening)) {
        problem.Format("Can't open sound output: the sound system did not answer within %.0f s",
                       kSoundAnswerSeconds);
        return false;
    }
    if (!opening.error.IsEmpty()) {
        problem = opening.error;
        // The engine in use goes on; without one, the stand-in keeps the
        // rest working.
        if (!m_sound && opening.sound) {
            m_sound = std::move(opening.sound);
        }
        return false;
    }
    m_sound = std::move(opening.sound);
    if (m_sound && m_sound->IsReady()) {
        m_sound->SetVolume(m_settings->audio.masterVolume);
    }
    return true;
}

// --- Sound input --------------------------------------------------------

bool CDeviceKeeper::IsMicrophoneOn() const {
    return m_settings == nullptr || m_settings->audio.microphoneInput;
}

void CDeviceKeeper::SetMicrophone(bool on) {
    if (!m_settings) {
        return;
    }
    m_settings->audio.microphoneInput = on;
    m_captureRevival.Reset();
    if (on) {
        StartCapture();
    } else {
        CloseCapture();
    }
}

void CDeviceKeeper::ShowInputLevel(float volume) {
    if (m_capture) {
        m_window.SetInputLevel(volume);
    }
}

void CDeviceKeeper::ShowTuner(const char* text) {
    if (m_capture) {
        m_window.SetTunerText(text);
    }
}

int CDeviceKeeper::GetPitchMethod() const {
    return m_settings && m_settings->audio.pitchMethod != 0 ? m_settings->audio.pitchMethod
                                                            : CSoundDetector::kLiveMethod;
}

void CDeviceKeeper::StartCapture() {
    if (!m_platform.createAudioIn || !IsMicrophoneOn() || m_captureTask || m_capture) {
        return;
    }
    auto poster = std::make_shared<CDetectorPoster>(*m_platform.eventLoop, m_window.GetId());
    m_detectorPoster = poster;
    const CNoteList table = m_notes.GetNoteTable();
    const std::string name = m_settings ? m_settings->audio.inputName.GetText() : "";
    const int method = GetPitchMethod();
    const bool fixedTrigger = m_settings && m_settings->audio.fixedTrigger;
    m_captureTask = std::make_unique<CBackgroundTask<CAPTURE_OPENING>>();
    m_captureWait = WAIT{Now(), false};
    m_captureTask->Start([factory = m_platform.createAudioIn,
                          standIn = m_platform.createStandInAudioIn, poster, table, name, method,
                          fixedTrigger] {
        CAPTURE_OPENING opening;
        opening.poster = poster;
        opening.capture = std::make_unique<CSoundCapture>(table, kTriggerLevel, poster.get());
        CSoundCapture& capture = *opening.capture;
        capture.SetDevice(factory());
        // The stand-in chosen by its name takes the microphone's place.
        if (standIn && !name.empty()) {
            std::unique_ptr<IAudioIn> device = standIn();
            std::vector<AUDIO_DEVICE> devices;
            if (device && device->EnumerateDevices(devices) && !devices.empty() &&
                devices.front().description == name) {
                capture.SetDevice(std::move(device));
            }
        }
        std::string id;
        if (!name.empty() && capture.EnumerateDevices()) {
            for (const AUDIO_DEVICE& device : capture.GetDevices()) {
                id = device.description == name ? device.id : id;
            }
        }
        // Live detection from the start, with the live method unless the
        // settings chose another; the trigger follows the room unless fixed.
        const bool opened = capture.Open(id);
        if (opened && capture.GetDetector() != nullptr) {
            capture.GetDetector()->SetAutomaticTrigger(!fixedTrigger);
        }
        if (!opened || !capture.GetReady(nullptr, 0.0, 0.0) || !capture.Start(method, false)) {
            opening.error = capture.GetError();
            opening.capture.reset();
        }
        return opening;
    });
}

void CDeviceKeeper::TakeCapture() {
    CAPTURE_OPENING opening;
    if (!m_captureTask || !m_captureTask->Take(opening)) {
        return;
    }
    m_captureTask.reset();
    if (m_captureRevival.IsTrying()) {
        TakeCaptureRevival(opening);
        return;
    }
    m_capture = std::move(opening.capture);
    if (opening.error.IsEmpty()) {
        return;
    }
    ReportError(kSource, __LINE__, "%s", opening.error.GetText());
    if (m_captureWait.givenUp) {
        return;  // its silence was told already
    }
    AddProblem(WithLoss(opening.error, kCaptureLoss));
    if (m_showing) {
        ShowLater();
    }
}

void CDeviceKeeper::CloseCapture() {
    if (m_capture) {
        m_capture->Close();
    }
    m_capture.reset();
    m_captureTask.reset();  // a device that never answered is left to its thread
    m_window.SetInputLevel(-1.0f);
    m_window.SetTunerText("");
}

bool CDeviceKeeper::ReopenCapture(CCharString& problem) {
    // One device can seldom be opened twice: the old capture closes first.
    CloseCapture();
    StartCapture();
    if (!m_captureTask) {
        return true;  // no sound input, or the microphone is off
    }
    if (!m_captureTask->WaitFor(kSoundAnswerSeconds)) {
        // A late answer is taken by the second timer.
        problem.Format("Can't open sound input: the sound system did not answer within %.0f s",
                       kSoundAnswerSeconds);
        return false;
    }
    CAPTURE_OPENING opening;
    m_captureTask->Take(opening);
    m_captureTask.reset();
    m_capture = std::move(opening.capture);
    if (!opening.error.IsEmpty()) {
        problem = opening.error;
        return false;
    }
    return true;
}

// --- A new choice -------------------------------------------------------

bool CDeviceKeeper::Apply(const AUDIO_CHOICE& choice, CCharString& problems) {
    AUDIO_INFO& audio = m_settings->audio;
    const AUDIO_INFO before = audio;
    const auto note = [&problems](const CCharString& problem) {
        problems.Append(problems.IsEmpty() ? "" : "\n\n");
        problems.Append(problem);
    };
    CCharString problem;
    // MIDI: a changed port, or one that is closed or was unplugged.
    const bool midiOpen = m_midi->IsOpen();
    if (!choice.midiListed) {
        // Nothing was listed to choose from: the MIDI input stays as it is.
    } else if (choice.midiPort != before.midiInputPort ||
               (!midiOpen && choice.midiPort != AUDIO_INFO::kNoMidiPort) ||
               (midiOpen && choice.midiPort == AUDIO_INFO::kNoMidiPort)) {
        if (m_midi->Reopen(choice.midiPort, problem)) {
            audio.midiInputPort = choice.midiPort;
            audio.midiChosen = true;
        } else {
            note(problem);
        }
    } else {
        audio.midiChosen = true;
    }
    // The sound output.
    if (choice.outputName != before.outputName || !m_sound || !m_sound->IsReady() ||
        m_sound->IsDeviceLost()) {
        audio.outputName = choice.outputName;
        audio.outputGuid = CDeviceLister::ToGuid(choice.outputKey);
        if (ReopenSound(problem)) {
            m_soundRevival.Reset();
        } else {
            audio.outputName = before.outputName;
            audio.outputGuid = before.outputGuid;
            note(problem);
        }
    }
    // The sound input, while the microphone is on.
    audio.microphoneInput = choice.microphone;
    if (choice.inputName != before.inputName || (choice.microphone && !m_capture)) {
        audio.inputName = choice.inputName;
        audio.inputGuid = CDeviceLister::ToGuid(choice.inputKey);
        if (ReopenCapture(problem)) {
            m_captureRevival.Reset();
        } else {
            note(problem);
        }
    } else if (!choice.microphone) {
        CloseCapture();
    }
    return problems.IsEmpty();
}
