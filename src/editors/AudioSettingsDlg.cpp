#include "editors/AudioSettingsDlg.h"

#include <cstdlib>
#include <cstring>

namespace {

// The dialog's layout, in pixels.
constexpr int kMargin = 12;
constexpr int kWidth = 420;
constexpr int kLabelWidth = 60;
constexpr int kComboX = kMargin + kLabelWidth + 8;
constexpr int kComboWidth = kWidth - kComboX - 2 * kMargin;
constexpr int kTunerWidth = 110;  // "C#4 -50 cents"
constexpr int kTunerGap = 8;
constexpr int kRowHeight = 30;
constexpr int kItemHeight = 24;
constexpr int kGroupCaption = 20;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr int kSoundTop = 8;
constexpr int kSoundRows = 4;  // input, output, switch, meter
constexpr int kMidiTop = kSoundTop + kGroupCaption + kSoundRows * kRowHeight + 16;
constexpr int kNoticeTop = kMidiTop + kGroupCaption + kRowHeight + 14;
constexpr int kNoticeHeight = 36;
constexpr int kButtonsTop = kNoticeTop + kNoticeHeight + 8;

CONTROL_ITEM Item(ControlKind kind, int id, const char* text, int x, int y, int width, int height,
                  const char* toolTip = "") {
    return CONTROL_ITEM{kind, id, text, WINDOW_RECT{x, y, width, height}, toolTip};
}

int RowTop(int groupTop, int row) {
    return groupTop + kGroupCaption + row * kRowHeight;
}

}  // namespace

DIALOG_TEMPLATE CAudioSettingsDlg::MakeTemplate() {
    DIALOG_TEMPLATE dialog;
    dialog.title = kTitle;
    dialog.width = kWidth;
    dialog.height = kButtonsTop + kButtonHeight + kMargin;
    auto& items = dialog.items;
    items.push_back(Item(ControlKind::kGroup, 0, "Sound", kMargin / 2, kSoundTop, kWidth - kMargin,
                         kGroupCaption + kSoundRows * kRowHeight + 6));
    items.push_back(Item(ControlKind::kLabel, 0, "Input", kMargin, RowTop(kSoundTop, 0) + 4,
                         kLabelWidth, kItemHeight - 4));
    items.push_back(Item(ControlKind::kComboBox, kInputId, "", kComboX, RowTop(kSoundTop, 0),
                         kComboWidth, kItemHeight, "The microphone or line input that hears you"));
    items.push_back(Item(ControlKind::kLabel, 0, "Output", kMargin, RowTop(kSoundTop, 1) + 4,
                         kLabelWidth, kItemHeight - 4));
    items.push_back(Item(ControlKind::kComboBox, kOutputId, "", kComboX, RowTop(kSoundTop, 1),
                         kComboWidth, kItemHeight, "Where the notes you play are heard"));
    items.push_back(Item(ControlKind::kCheckBox, kMicrophoneId,
                         "Hear notes played or sung into the microphone", kComboX,
                         RowTop(kSoundTop, 2), kComboWidth, kItemHeight,
                         "Switches the microphone on or off at once"));
    items.push_back(Item(ControlKind::kLabel, 0, "Level", kMargin, RowTop(kSoundTop, 3) + 4,
                         kLabelWidth, kItemHeight - 4));
    items.push_back(Item(ControlKind::kProgressBar, kLevelId, "", kComboX, RowTop(kSoundTop, 3) + 4,
                         kComboWidth - kTunerWidth - kTunerGap, kItemHeight - 8,
                         "What the microphone hears now: play or sing to see it move"));
    items.push_back(Item(ControlKind::kLabel, kTunerId, "", kComboX + kComboWidth - kTunerWidth,
                         RowTop(kSoundTop, 3) + 2, kTunerWidth, kItemHeight - 4,
                         "The note the microphone hears and how far off it is"));
    items.push_back(Item(ControlKind::kGroup, 0, "MIDI", kMargin / 2, kMidiTop, kWidth - kMargin,
                         kGroupCaption + kRowHeight + 6));
    items.push_back(Item(ControlKind::kLabel, 0, "Input", kMargin, RowTop(kMidiTop, 0) + 4,
                         kLabelWidth, kItemHeight - 4));
    items.push_back(Item(ControlKind::kComboBox, kMidiId, "", kComboX, RowTop(kMidiTop, 0),
                         kComboWidth, kItemHeight, "The MIDI keyboard you play"));
    items.push_back(Item(ControlKind::kLabel, kNoticeId, "", kMargin, kNoticeTop,
                         kWidth - 2 * kMargin, kNoticeHeight));
    items.push_back(Item(ControlKind::kButton, IControlDialog::kIdOk, "OK",
                         kWidth - 2 * (kButtonWidth + kMargin), kButtonsTop, kButtonWidth,
                         kButtonHeight, "Use these devices now"));
    items.push_back(Item(ControlKind::kButton, IControlDialog::kIdCancel, "Cancel",
                         kWidth - kButtonWidth - kMargin, kButtonsTop, kButtonWidth,
                         kButtonHeight));
    return dialog;
}

CCharString CAudioSettingsDlg::MidiKey(int port) {
    CCharString key;
    key.Format("%d", port);
    return key;
}

CAudioSettingsDlg::CAudioSettingsDlg(IWindowSystem& windowSystem, IEventLoop& eventLoop)
    : CBaseWindow(kTypeId, windowSystem, eventLoop) {}

CAudioSettingsDlg::~CAudioSettingsDlg() {
    Destroy(2);
}

bool CAudioSettingsDlg::Open(IWindow* owner, const WINDOW_RECT& ownerRect,
                             const DEVICE_LIST& inputs, const DEVICE_LIST& outputs,
                             const DEVICE_LIST& midiPorts, const AUDIO_CHOICE& saved) {
    const DIALOG_TEMPLATE dialog = MakeTemplate();
    m_dialog = AdoptControlDialog(dialog, this, owner);
    if (m_dialog == nullptr) {
        return false;
    }
    m_saved = saved;
    m_input.Attach(m_dialog, kInputId);
    m_output.Attach(m_dialog, kOutputId);
    m_midi.Attach(m_dialog, kMidiId);
    m_microphoneBox.Attach(m_dialog, kMicrophoneId);
    m_level.Attach(m_dialog, kLevelId);
    Fill(m_input, inputs, saved.inputKey, saved.inputName);
    Fill(m_output, outputs, saved.outputKey, saved.outputName);
    FillMidi(midiPorts, saved.midiPort);
    m_microphoneBox.SetCheck(saved.microphone);
    m_level.SetLevelMeter();
    m_level.SetValue(0.0);
    CCharString notice;
    for (const DEVICE_LIST* list : {&inputs, &outputs, &midiPorts}) {
        if (!list->problem.IsEmpty()) {
            notice.Append(notice.IsEmpty() ? "" : "\n");
            notice.Append(list->problem);
        }
    }
    m_dialog->SetItemText(kNoticeId, notice);
    // Centred on the main window.
    m_dialog->SetRect(WINDOW_RECT{ownerRect.left + (ownerRect.width - dialog.width) / 2,
                                  ownerRect.top + (ownerRect.height - dialog.height) / 2,
                                  dialog.width, dialog.height});
    m_dialog->SetModal(true);
    return Show(true);
}

void CAudioSettingsDlg::Fill(CComboBox& combo, const DEVICE_LIST& list, const CCharString& savedKey,
                             const CCharString& savedName) {
    combo.Clear();
    if (!list.answered) {
        // Nothing to choose from: OK keeps what was chosen before.
        combo.AddItem(savedName.IsEmpty() ? kNoAnswerText : savedName.GetText(), savedKey);
        combo.Select(0);
        combo.Enable(false);
        return;
    }
    if (list.items.empty()) {
        // Nothing to choose: OK still works, and changes nothing here.
        combo.AddItem(kNoDeviceText, savedKey);
        combo.Select(0);
        return;
    }
    int selection = -1;
    for (const DEVICE_ITEM& device : list.items) {
        combo.AddItem(device.name, device.key);
        const int index = combo.GetCount() - 1;
        // The saved device by its key; by its name when no key matches.
        if (!savedKey.IsEmpty() && std::strcmp(device.key, savedKey) == 0) {
            selection = index;
        } else if (selection < 0 && !savedName.IsEmpty() &&
                   std::strcmp(device.name, savedName) == 0) {
            selection = index;
        }
    }
    combo.Select(selection >= 0 ? selection : 0);
}

void CAudioSettingsDlg::FillMidi(const DEVICE_LIST& list, int savedPort) {
    m_midi.Clear();
    m_midi.AddItem(kNoDeviceText, MidiKey(AUDIO_CHOICE::kNoMidiPort));
    m_midi.Select(0);
    if (!list.answered) {
        if (savedPort != AUDIO_CHOICE::kNoMidiPort) {
            m_midi.AddItem(kNoAnswerText, MidiKey(savedPort));
            m_midi.Select(1);
        }
        m_midi.Enable(false);
        return;
    }
    for (const DEVICE_ITEM& port : list.items) {
        m_midi.AddItem(port.name, port.key);
    }
    m_midi.SelectByData(MidiKey(savedPort));
}

bool CAudioSettingsDlg::GetChoice(AUDIO_CHOICE& choice) const {
    CCharString midiKey;
    if (!m_input.GetSelectionData(choice.inputKey) || !m_input.GetSelectionText(choice.inputName) ||
        !m_output.GetSelectionData(choice.outputKey) ||
        !m_output.GetSelectionText(choice.outputName) || !m_midi.GetSelectionData(midiKey)) {
        return false;
    }
    // A list that did not answer shows a placeholder: the saved name stays.
    if (!m_input.IsEnabled() || m_input.GetCount() == 0 || choice.inputName == kNoDeviceText) {
        choice.inputName = m_saved.inputName;
    }
    if (!m_output.IsEnabled() || choice.outputName == kNoDeviceText) {
        choice.outputName = m_saved.outputName;
    }
    choice.midiPort = static_cast<int>(std::strtol(midiKey, nullptr, 10));
    choice.midiListed = m_midi.IsEnabled();
    choice.microphone = m_microphoneBox.GetCheck();
    return true;
}

void CAudioSettingsDlg::SetInputLevel(float level) {
    m_level.SetValue(level > 0.0f ? level : 0.0);
}

void CAudioSettingsDlg::SetTunerText(const char* text) {
    if (m_dialog != nullptr) {
        m_dialog->SetItemText(kTunerId, text != nullptr ? text : "");
    }
}

void CAudioSettingsDlg::SetMicrophoneState(bool on) {
    m_microphoneBox.SetCheck(on);
    if (!on) {
        SetInputLevel(0.0f);
        SetTunerText("");
    }
}

void CAudioSettingsDlg::OnControl(int id, ControlEvent event) {
    if (id == kMicrophoneId && event == ControlEvent::kClicked) {
        // At once, so that the meter shows what the microphone hears.
        const bool on = m_microphoneBox.GetCheck();
        if (!on) {
            SetInputLevel(0.0f);
            SetTunerText("");
        }
        if (m_microphone) {
            m_microphone(on);
        }
    } else if (id == IControlDialog::kIdOk && event == ControlEvent::kClicked) {
        OnOk();
    } else if (id == IControlDialog::kIdCancel && event == ControlEvent::kClicked) {
        Cancel();
    }
}

void CAudioSettingsDlg::OnOk() {
    AUDIO_CHOICE choice;
    if (!GetChoice(choice) || !m_apply) {
        return;
    }
    CCharString reason;
    m_dialog->SetBusy(true);
    const bool applied = m_apply(choice, reason);
    if (m_dialog != nullptr) {
        m_dialog->SetBusy(false);
    }
    if (!applied) {
        // The device's own box has told what failed; this one says the
        // choice did not take, and the dialog stays for another.
        m_windowSystem.MessageBox(GetWindow(), reason, kFailureTitle, BoxIcon::kError,
                                  BoxButtons::kOk);
        return;
    }
    m_saved = choice;
    Finish();
}

void CAudioSettingsDlg::Cancel() {
    // Nothing changes: the microphone goes back to how it was.
    if (m_microphoneBox.GetCheck() != m_saved.microphone && m_microphone) {
        m_microphone(m_saved.microphone);
    }
    Finish();
}

void CAudioSettingsDlg::OnClose() {
    Cancel();
}

void CAudioSettingsDlg::Finish() {
    m_finished = true;
    Show(false);
}
