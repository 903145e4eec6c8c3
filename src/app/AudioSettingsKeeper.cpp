#include "app/AudioSettingsKeeper.h"

#include "app/AppSettings.h"
#include "app/DeviceKeeper.h"
#include "app/DeviceLister.h"
#include "editors/AudioSettingsDlg.h"
#include "foundation/ErrorReport.h"
#include "platform/Window.h"
#include "platform/WindowSystem.h"

CAudioSettingsKeeper::CAudioSettingsKeeper(const PLATFORM& platform, CDeviceKeeper& devices,
                                           APP_SETTINGS& settings, IWindow& main, const char* title)
    : m_platform(platform),
      m_devices(devices),
      m_settings(settings),
      m_main(main),
      m_title(title) {}

CAudioSettingsKeeper::~CAudioSettingsKeeper() = default;

CAudioSettingsDlg* CAudioSettingsKeeper::GetDialog() const {
    return m_dialog && !m_dialog->IsFinished() ? m_dialog.get() : nullptr;
}

bool CAudioSettingsKeeper::Show() {
    if (CAudioSettingsDlg* shown = GetDialog()) {
        shown->Show(true);
        return true;
    }
    m_dialog.reset();
    CDeviceLister lister;
    lister.Start(m_platform);
    const DEVICE_LISTS lists = lister.Take(CDeviceLister::kAnswerSeconds);
    if (!lists.error.IsEmpty()) {
        m_error = lists.error;
        ReportError(kSource, __LINE__, "%s", m_error.GetText());
        m_platform.windowSystem->MessageBox(&m_main, m_error, CAudioSettingsDlg::kTitle,
                                            BoxIcon::kExclamation, BoxButtons::kOk);
        return false;
    }
    const AUDIO_INFO& audio = m_settings.audio;
    AUDIO_CHOICE saved;
    saved.inputKey = CDeviceLister::ToKey(audio.inputGuid);
    saved.inputName = audio.inputName;
    saved.outputKey = CDeviceLister::ToKey(audio.outputGuid);
    saved.outputName = audio.outputName;
    saved.midiPort = audio.midiInputPort;
    saved.microphone = audio.microphoneInput;
    auto dialog =
        std::make_unique<CAudioSettingsDlg>(*m_platform.windowSystem, *m_platform.eventLoop);
    dialog->SetApply(
        [this](const AUDIO_CHOICE& choice, CCharString& error) { return Apply(choice, error); });
    dialog->SetMicrophone([this](bool on) {
        if (m_microphone) {
            m_microphone(on);
        }
    });
    if (!dialog->Open(&m_main, m_main.GetRect(), lists.inputs, lists.outputs, lists.midiPorts,
                      saved)) {
        m_error = dialog->GetError();
        ReportError(kSource, __LINE__, "%s", m_error.GetText());
        m_platform.windowSystem->MessageBox(&m_main, m_error, m_title, BoxIcon::kError,
                                            BoxButtons::kOk);
        return false;
    }
    m_dialog = std::move(dialog);
    return true;
}

bool CAudioSettingsKeeper::Apply(const AUDIO_CHOICE& choice, CCharString& error) {
    CCharString problems;
    const bool applied = m_devices.Apply(choice, problems);
    if (m_changed) {
        m_changed();
    }
    if (applied) {
        return true;
    }
    ReportError(kSource, __LINE__, "%s", problems.GetText());
    m_platform.windowSystem->MessageBox(&m_main, problems, CDeviceKeeper::kAudioErrorTitle,
                                        BoxIcon::kExclamation, BoxButtons::kOk);
    error =
        "Can't open every chosen device: choose another one, or Cancel to keep the devices "
        "in use.";
    m_error = error;
    return false;
}

void CAudioSettingsKeeper::OnFrame() {
    if (m_dialog && m_dialog->IsFinished()) {
        m_dialog.reset();
    }
}

void CAudioSettingsKeeper::ShowMicrophoneState(bool on) {
    if (m_dialog) {
        m_dialog->SetMicrophoneState(on);
    }
}

void CAudioSettingsKeeper::ShowTuner(const char* text) {
    if (m_dialog) {
        m_dialog->SetTunerText(text);
    }
}

void CAudioSettingsKeeper::ShowInputLevel(float volume) {
    if (m_dialog) {
        m_dialog->SetInputLevel(volume);
    }
}
