#include "editors/MixerDlg.h"

#include <cmath>
#include <cstdlib>

#include "foundation/CharString.h"
#include "midi/GeneralMidi.h"
#include "midi/MidiKeyboard.h"
#include "songs/Mix.h"
#include "theory/Note.h"

namespace {

// The dialog's layout, in pixels.
constexpr int kMargin = 12;
constexpr int kLabelWidth = 96;
constexpr int kVolumeX = 116;
constexpr int kVolumeWidth = 150;
constexpr int kValueGap = 4;     // between a slider and its value
constexpr int kValueWidth = 44;  // "100 %", "L 100"
constexpr int kVolumeValueX = kVolumeX + kVolumeWidth + kValueGap;
constexpr int kPanX = kVolumeValueX + kValueWidth + kValueGap;
constexpr int kPanWidth = 110;
constexpr int kPanValueX = kPanX + kPanWidth + kValueGap;
constexpr int kEndMarkWidth = 12;  // the pan's L and R marks
constexpr int kRowHeight = 26;
constexpr int kSliderHeight = 24;
constexpr int kHeadY = 8;
constexpr int kFirstRowY = 30;
constexpr int kGroupCaption = 18;  // room for the group box's caption
constexpr int kGroupPadding = 6;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr int kDialogWidth = kPanValueX + kValueWidth + kMargin;
constexpr size_t kFirstDrumRow = 5;  // rows from here on sit in the drums group

// The instruments of the mixer, in table order. The first row is the
// keyboard this build plays, so that the learner's own notes can be set too.
const std::vector<CMixerDlg::ROW> kRows = {
    {THING_KEYBOARD, "Piano", 0, 1566, 1567},
    {THING_LEAD_GUITAR, "Lead guitar", 0, 1546, 1564},
    {THING_RHYTHM_GUITAR, "Rhythm guitar", 0, 1544, 1548},
    {THING_BASS_GUITAR, "Bass guitar", 0, 1513, 1514},
    {THING_DRUM_SET, "Drum set", 0, 1515, 1516},
    {30, "Splash 1", 1549, 1517, 1518},
    {32, "Chinese 1", 1550, 1519, 1520},
    {27, "Crash 2", 1551, 1521, 1522},
    {26, "Crash 1", 1552, 1523, 1524},
    {24, "Ride", 1553, 1525, 1526},
    {THING_HI_HAT_CLOSED, "Hi-hat", 1554, 1527, 1528},
    {14, "Tom 5", 1555, 1529, 1530},
    {THING_SNARE_DRUM, "Snare", 1556, 1531, 1532},
    {13, "Tom 4", 1557, 1533, 1534},
    {12, "Tom 3", 1558, 1535, 1536},
    {11, "Tom 2", 1559, 1537, 1538},
    {2, "Bass", 1560, 1539, 1540},
    {10, "Tom 1", 1561, 1541, 1542},
};

int VolumeValueId(size_t row) {
    return CMixerDlg::kFirstVolumeValueId + static_cast<int>(row);
}
int PanValueId(size_t row) {
    return CMixerDlg::kFirstPanValueId + static_cast<int>(row);
}

int RowY(size_t row) {
    const int gap = row >= kFirstDrumRow ? kGroupCaption + kGroupPadding : 0;
    return kFirstRowY + static_cast<int>(row) * kRowHeight + gap;
}

CONTROL_ITEM Item(ControlKind kind, int id, const char* text, int x, int y, int width, int height,
                  const char* toolTip = "") {
    return CONTROL_ITEM{kind, id, text, WINDOW_RECT{x, y, width, height}, toolTip};
}

}  // namespace

const std::vector<CMixerDlg::ROW>& CMixerDlg::GetRows() {
    return kRows;
}

DIALOG_TEMPLATE CMixerDlg::MakeTemplate() {
    DIALOG_TEMPLATE dialog;
    dialog.title = kTitle;
    dialog.width = kDialogWidth;
    dialog.items.push_back(
        Item(ControlKind::kLabel, 0, "Volume", kVolumeX, kHeadY, kVolumeWidth, kGroupCaption));
    // The pan's head marks its ends: left at the slider's left end.
    dialog.items.push_back(Item(ControlKind::kLabel, 0, "L", kPanX, kHeadY, kEndMarkWidth,
                                kGroupCaption, "Fully left"));
    dialog.items.push_back(Item(ControlKind::kLabel, 0, "Pan", kPanX + kPanWidth / 2 - 12, kHeadY,
                                kPanWidth / 2, kGroupCaption));
    dialog.items.push_back(Item(ControlKind::kLabel, 0, "R", kPanX + kPanWidth - kEndMarkWidth,
                                kHeadY, kEndMarkWidth, kGroupCaption, "Fully right"));
    const int groupTop = RowY(kFirstDrumRow) - kGroupCaption;
    const int groupBottom = RowY(kRows.size() - 1) + kRowHeight + kGroupPadding;
    dialog.items.push_back(Item(ControlKind::kGroup, 0, "Drums", kMargin / 2, groupTop,
                                kDialogWidth - kMargin, groupBottom - groupTop));
    for (size_t i = 0; i < kRows.size(); ++i) {
        const ROW& row = kRows[i];
        const int y = RowY(i);
        dialog.items.push_back(Item(ControlKind::kLabel, row.labelId, row.label, kMargin, y + 4,
                                    kLabelWidth, kSliderHeight - 4));
        CCharString volumeTip;
        volumeTip.Format("Volume of the %s", row.label);
        CCharString panTip;
        panTip.Format("Pan of the %s: left or right", row.label);
        dialog.items.push_back(Item(ControlKind::kTrackBar, row.volumeId, "", kVolumeX, y,
                                    kVolumeWidth, kSliderHeight, volumeTip));
        dialog.items.push_back(Item(ControlKind::kTrackBar, row.panId, "", kPanX, y, kPanWidth,
                                    kSliderHeight, panTip));
        dialog.items.push_back(Item(ControlKind::kLabel, VolumeValueId(i), "", kVolumeValueX, y + 4,
                                    kValueWidth, kSliderHeight - 4));
        dialog.items.push_back(Item(ControlKind::kLabel, PanValueId(i), "", kPanValueX, y + 4,
                                    kValueWidth, kSliderHeight - 4));
    }
    const int buttonY = groupBottom + kMargin;
    dialog.items.push_back(Item(ControlKind::kButton, kResetId, "Reset", kMargin, buttonY,
                                kButtonWidth, kButtonHeight, "Set the mix to its defaults"));
    dialog.items.push_back(Item(ControlKind::kButton, IControlDialog::kIdOk, "OK",
                                kDialogWidth - 2 * (kButtonWidth + kMargin), buttonY, kButtonWidth,
                                kButtonHeight));
    dialog.items.push_back(Item(ControlKind::kButton, IControlDialog::kIdCancel, "Close",
                                kDialogWidth - kButtonWidth - kMargin, buttonY, kButtonWidth,
                                kButtonHeight));
    dialog.height = buttonY + kButtonHeight + kMargin;
    return dialog;
}

CMixerDlg::CMixerDlg(IWindowSystem& windowSystem, IEventLoop& eventLoop, CMix& mix)
    : CBaseWindow(kTypeId, windowSystem, eventLoop), m_mix(mix) {}

CMixerDlg::~CMixerDlg() {
    Destroy(2);
}

bool CMixerDlg::CreateDialog(IWindow* owner, const WINDOW_RECT& ownerRect,
                             const MIXER_PLACEMENT& placement) {
    const DIALOG_TEMPLATE dialog = MakeTemplate();
    m_dialog = AdoptControlDialog(dialog, this, owner);
    if (m_dialog == nullptr) {
        return false;
    }
    m_placement = placement;
    // Moved, not resized: the dialog keeps the size of its items.
    WINDOW_RECT rect = m_dialog->GetRect();
    rect.left = placement.placed ? placement.rect.left : ownerRect.left;
    rect.top = placement.placed ? placement.rect.top : ownerRect.top;
    rect.width = dialog.width;
    rect.height = dialog.height;
    m_dialog->SetRect(rect);
    SetUpRows();
    LoadMix();
    // A first run keeps the mixer out of the learner's way until asked for.
    if (placement.placed && placement.visible) {
        Show(true);
    }
    return true;
}

void CMixerDlg::SetUpRows() {
    m_volume.assign(kRows.size(), CTrackBar());
    m_pan.assign(kRows.size(), CTrackBar());
    for (size_t i = 0; i < kRows.size(); ++i) {
        const ROW& row = kRows[i];
        if (row.labelId != 0) {
            // Drum rows show their drum's short name; the closed hi-hat
            // stands for every hi-hat.
            CCharString name = row.label;
            if (row.thing != THING_HI_HAT_CLOSED) {
                CGeneralMidi::GetShortDrumName(row.thing, name);
            }
            m_dialog->SetItemText(row.labelId, name);
        }
        m_volume[i].Attach(m_dialog, row.volumeId);
        m_volume[i].SetRange(0, kVolumePositions, kPageSize, 0.0, 1.0);
        // An instrument the mix leaves out sounds as its player sets it.
        m_volume[i].SetValue(row.thing == THING_KEYBOARD ? CMidiKeyboard::kKeyVolume : 1.0);
        m_pan[i].Attach(m_dialog, row.panId);
        m_pan[i].SetRange(-kPanPositions, kPanPositions, kPageSize, -1.0, 1.0);
        m_pan[i].SetTick(0);
        m_pan[i].SetValue(0.0);
        ShowValues(i);
    }
}

void CMixerDlg::LoadMix() {
    if (m_dialog == nullptr) {
        return;
    }
    m_volumeMoved.assign(kRows.size(), false);
    m_panMoved.assign(kRows.size(), false);
    // An instrument without a row is passed over: the rows after it must
    // still show what the mix holds, or the next movement would overwrite
    // their values with the sliders' defaults.
    for (const auto& [thing, entry] : m_mix.GetEntries()) {
        const int row = FindRow(thing);
        if (row >= 0) {
            m_volume[static_cast<size_t>(row)].SetValue(entry.volume);
            m_pan[static_cast<size_t>(row)].SetValue(entry.pan);
            ShowValues(static_cast<size_t>(row));
        }
    }
}

CCharString CMixerDlg::VolumeText(double volume) {
    CCharString text;
    text.Format("%d %%", static_cast<int>(std::lround(volume * kVolumePositions)));
    return text;
}

CCharString CMixerDlg::PanText(double pan) {
    const int position = static_cast<int>(std::lround(pan * kPanPositions * 2));
    CCharString text;
    if (position == 0) {
        text = "C";
    } else {
        text.Format("%s %d", position < 0 ? "L" : "R", std::abs(position));
    }
    return text;
}

void CMixerDlg::ShowValues(size_t row) {
    m_dialog->SetItemText(VolumeValueId(row), VolumeText(m_volume[row].GetValue()));
    m_dialog->SetItemText(PanValueId(row), PanText(m_pan[row].GetValue()));
}

int CMixerDlg::FindRow(int thing) {
    for (size_t i = 0; i < kRows.size(); ++i) {
        if (kRows[i].thing == thing) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// A slider's position is the mix value rounded to its step, so only a
// moved slider's value is taken; an instrument the mix leaves out takes
// both sliders as they show.
void CMixerDlg::ApplyRow(size_t row) {
    const int thing = kRows[row].thing;
    const bool known = m_mix.GetEntries().count(thing) != 0;
    if (!m_volumeMoved[row] && !m_panMoved[row]) {
        return;
    }
    float volume = 0.0f;
    float pan = 0.0f;
    m_mix.Get(thing, volume, pan);
    if (m_volumeMoved[row] || !known) {
        volume = static_cast<float>(m_volume[row].GetValue());
    }
    if (m_panMoved[row] || !known) {
        pan = static_cast<float>(m_pan[row].GetValue());
    }
    m_mix.Set(thing, volume, pan);
}

void CMixerDlg::ApplyAll() {
    if (m_dialog == nullptr) {
        return;
    }
    for (size_t i = 0; i < kRows.size(); ++i) {
        ApplyRow(i);
    }
}

void CMixerDlg::Reset() {
    const BoxResult answer = m_windowSystem.MessageBox(GetWindow(), kResetQuestion, kResetTitle,
                                                       BoxIcon::kExclamation, BoxButtons::kYesNo);
    if (answer != BoxResult::kYes) {
        return;
    }
    m_mix.SetDefaults();
    // Rows the defaults leave out go back to full volume, centred.
    SetUpRows();
    LoadMix();
}

void CMixerDlg::OnControl(int id, ControlEvent event) {
    if (event == ControlEvent::kMoved) {
        // Only the moved slider's row changes: the others keep the exact
        // values of the mix, which the slider steps might round.
        for (size_t i = 0; i < kRows.size(); ++i) {
            if (kRows[i].volumeId == id || kRows[i].panId == id) {
                m_volumeMoved[i] = m_volumeMoved[i] || kRows[i].volumeId == id;
                m_panMoved[i] = m_panMoved[i] || kRows[i].panId == id;
                ApplyRow(i);
                ShowValues(i);
            }
        }
        return;
    }
    if (event != ControlEvent::kClicked) {
        return;
    }
    if (id == kResetId) {
        Reset();
    } else if (id == IControlDialog::kIdOk) {
        ApplyAll();
        Show(false);
    } else if (id == IControlDialog::kIdCancel) {
        OnClose();
    }
}

MIXER_PLACEMENT CMixerDlg::GetPlacement() const {
    return PlacementOf(m_dialog, m_placement);
}

void CMixerDlg::OnClose() {
    // Closing only hides the mixer; what was set stays in the mix.
    Show(false);
}

void CMixerDlg::OnDestroy(int) {
    m_placement = GetPlacement();
    m_dialog = nullptr;
}
