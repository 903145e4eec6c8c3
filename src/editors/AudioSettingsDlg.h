#pragma once

#include <functional>
#include <vector>

#include "foundation/CharString.h"
#include "platform/ControlDialog.h"
#include "ui/BaseWindow.h"
#include "ui/CheckBox.h"
#include "ui/ComboBox.h"
#include "ui/ProgressBar.h"

// One device of a list: the name shown and the key the choice keeps (a
// device's GUID as text, a MIDI port's number).
struct DEVICE_ITEM {
    CCharString name;
    CCharString key;
};

// The devices a sound or MIDI system listed. A system that did not answer
// in time, or could not list, has no items and says why in problem.
struct DEVICE_LIST {
    std::vector<DEVICE_ITEM> items;
    bool answered = true;
    CCharString problem;
};

// What the learner chose.
struct AUDIO_CHOICE {
    static constexpr int kNoMidiPort = 0x7FFFFFFF;

    CCharString inputKey;
    CCharString inputName;
    CCharString outputKey;
    CCharString outputName;
    int midiPort = kNoMidiPort;
    bool midiListed = true;  // false: the MIDI system did not answer, leave it as it is
    bool microphone = true;
};

// The audio settings: the sound input (the microphone), the sound output
// and the MIDI input, chosen from what the systems list, with the
// microphone switch and its level meter. A modal dialog made on demand: OK
// hands the choice to the owner, which re-opens the devices; when that
// fails the owner's reason is shown and the dialog stays, so another device
// can be chosen.
class CAudioSettingsDlg : public CBaseWindow, private IControlDialogHandler {
public:
    static constexpr int kTypeId = 0;
    static constexpr const char* kTitle = "Audio Settings";
    static constexpr const char* kFailureTitle = "Init Audio";
    static constexpr const char* kNoDeviceText = "--- None ---";
    static constexpr const char* kNoAnswerText = "(kept: the system did not answer)";
    static constexpr int kInputId = 1204;
    static constexpr int kOutputId = 1208;
    static constexpr int kMidiId = 1211;
    static constexpr int kMicrophoneId = 1212;
    static constexpr int kLevelId = 1213;
    static constexpr int kTunerId = 1214;  // the tuner readout beside the meter
    static constexpr int kNoticeId = 1214;

    // Re-opens the devices of choice; false with the reason in error.
    using Apply = std::function<bool(const AUDIO_CHOICE& choice, CCharString& error)>;
    // The microphone switch, turned over by the learner.
    using Microphone = std::function<void(bool on)>;

    static DIALOG_TEMPLATE MakeTemplate();
    // The key of MIDI port (its number as text).
    static CCharString MidiKey(int port);

    CAudioSettingsDlg(IWindowSystem& windowSystem, IEventLoop& eventLoop);
    ~CAudioSettingsDlg() override;

    void SetApply(Apply apply) { m_apply = std::move(apply); }
    void SetMicrophone(Microphone microphone) { m_microphone = std::move(microphone); }

    // Makes and shows the dialog, centred on ownerRect, with the lists and
    // the saved choice selected; false with the reason.
    bool Open(IWindow* owner, const WINDOW_RECT& ownerRect, const DEVICE_LIST& inputs,
              const DEVICE_LIST& outputs, const DEVICE_LIST& midiPorts, const AUDIO_CHOICE& saved);
    // The input meter: a level 0..1; below 0 (no sound input) shows 0.
    void SetInputLevel(float level);
    // "A4 +20 cents" while a steady pitch is heard; empty when none is.
    void SetTunerText(const char* text);
    // The microphone's state changed elsewhere (the menu).
    void SetMicrophoneState(bool on);
    // True once OK succeeded or the dialog was cancelled: the owner may
    // then destroy it.
    bool IsFinished() const { return m_finished; }
    // The choice the items show; false when a list has no selection.
    bool GetChoice(AUDIO_CHOICE& choice) const;
    const CProgressBar& GetLevelMeter() const { return m_level; }

protected:
    void OnClose() override;

private:
    void OnControl(int id, ControlEvent event) override;
    void Fill(CComboBox& combo, const DEVICE_LIST& list, const CCharString& savedKey,
              const CCharString& savedName);
    void FillMidi(const DEVICE_LIST& list, int savedPort);
    void OnOk();
    void Cancel();
    void Finish();

    IControlDialog* m_dialog = nullptr;  // the window the base owns
    CComboBox m_input;
    CComboBox m_output;
    CComboBox m_midi;
    CCheckBox m_microphoneBox;
    CProgressBar m_level;
    AUDIO_CHOICE m_saved;
    Apply m_apply;
    Microphone m_microphone;
    bool m_finished = false;
};
