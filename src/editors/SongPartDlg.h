#pragma once

#include <functional>

#include "editors/ModalDlg.h"
#include "foundation/CharString.h"

// What a song part is asked for: its name, scale and root.
struct PART_SETTINGS {
    CCharString name;
    int scale = 0;  // scale id of the theory tables
    int root = 0;   // MIDI note of the root
};

// The song part's name, scale and root ("Part's name", "Scale", "Root").
class CSongPartDlg : public CModalDlg {
public:
    static constexpr int kTypeId = 0;
    static constexpr const char* kTitle = "Song Part";
    static constexpr int kNameId = 1001;
    static constexpr int kScaleId = 1002;
    static constexpr int kRootId = 1003;
    // The roots offered: the octave from the C below middle C.
    static constexpr int kFirstRoot = 48;
    static constexpr int kRootCount = 12;
    static constexpr const char* kEmptyName = "Please enter the part's name.";

    // Receives what the user chose; false keeps the dialog open.
    using Receiver = std::function<bool(const PART_SETTINGS& settings)>;

    CSongPartDlg(IWindowSystem& windowSystem, IEventLoop& eventLoop);

    static DIALOG_TEMPLATE MakeTemplate();
    // The name of each root offered, "C" .. "B".
    static const char* RootName(int index);
    bool Ask(IWindow* owner, const PART_SETTINGS& settings, Receiver receiver);

protected:
    bool OnOk() override;

private:
    Receiver m_receiver;
    std::vector<int> m_scales;  // the scale id of each item of the list
};
