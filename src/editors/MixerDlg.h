#pragma once

#include <array>
#include <vector>

#include "foundation/CharString.h"
#include "platform/ControlDialog.h"
#include "ui/BaseWindow.h"
#include "ui/TrackBar.h"

class CMix;

// Where the mixer stands, as it is kept between runs.
using MIXER_PLACEMENT = DIALOG_PLACEMENT;

// The mixer: a volume and a pan slider for each instrument of the mix.
// Every movement goes straight into the mix, which the next note played
// reads. A modeless dialog, hidden and shown by the menu.
class CMixerDlg : public CBaseWindow, private IControlDialogHandler {
public:
    static constexpr int kTypeId = 11;
    static constexpr const char* kTitle = "Mixer";
    static constexpr int kResetId = 1152;
    static constexpr const char* kResetQuestion =
        "This will set the mix to default.\nDo you want to continue?";
    static constexpr const char* kResetTitle = "Reset the mix";
    static constexpr int kVolumePositions = 100;  // 0..100 for 0..1.0
    static constexpr int kPanPositions = 50;      // -50..50 for -1.0..1.0
    static constexpr int kPageSize = 10;
    // The labels beside the sliders that say their values, a row each.
    static constexpr int kFirstVolumeValueId = 1900;
    static constexpr int kFirstPanValueId = 1950;

    // One row of the mixer: the instrument and its items.
    struct ROW {
        int thing;
        const char* label;  // the fixed text; drum rows take their drum's name
        int labelId;        // 0 for a fixed text
        int volumeId;
        int panId;
    };
    static const std::vector<ROW>& GetRows();
    static DIALOG_TEMPLATE MakeTemplate();

    // mix must outlive the dialog.
    CMixerDlg(IWindowSystem& windowSystem, IEventLoop& eventLoop, CMix& mix);
    ~CMixerDlg() override;

    // Makes the dialog, owned by owner; a first run puts it at the owner's
    // top-left corner, ownerRect. False with the reason.
    bool CreateDialog(IWindow* owner, const WINDOW_RECT& ownerRect,
                      const MIXER_PLACEMENT& placement);
    // Sets every slider from the mix.
    void LoadMix();
    // Stores every row's sliders into the mix.
    void ApplyAll();
    MIXER_PLACEMENT GetPlacement() const;
    // What the value labels say: "80 %" for a volume of 0.8, "C" for a
    // centred pan, "L 40" and "R 100" towards and at the ends.
    static CCharString VolumeText(double volume);
    static CCharString PanText(double pan);
    // The row of thing, or -1.
    static int FindRow(int thing);
    const CTrackBar& GetVolumeSlider(int row) const { return m_volume[static_cast<size_t>(row)]; }
    const CTrackBar& GetPanSlider(int row) const { return m_pan[static_cast<size_t>(row)]; }

protected:
    void OnClose() override;
    void OnDestroy(int code) override;

private:
    void OnControl(int id, ControlEvent event) override;
    void SetUpRows();
    void ApplyRow(size_t row);
    void ShowValues(size_t row);
    void Reset();

    CMix& m_mix;
    IControlDialog* m_dialog = nullptr;  // the window the base owns
    std::vector<CTrackBar> m_volume;
    std::vector<CTrackBar> m_pan;
    // The sliders moved since they last showed the mix: only their values
    // go into it, the others' stay exactly as the mix holds them.
    std::vector<bool> m_volumeMoved;
    std::vector<bool> m_panMoved;
    MIXER_PLACEMENT m_placement;
};
