#pragma once

#include <functional>
#include <vector>

#include "editors/ModalDlg.h"

// A chord of a song part as the user gives it.
struct PART_CHORD {
    int root = 48;      // MIDI note
    int chordType = 1;  // chord type id of the theory tables
    int repeat = 1;     // measures the chord lasts
};

// The root, type and length of one chord of a song part ("Song Part's
// Chord").
class CPartChordDlg : public CModalDlg {
public:
    static constexpr int kTypeId = 0;
    static constexpr const char* kTitle = "Song Part's Chord";
    static constexpr int kRootId = 1011;
    static constexpr int kTypeListId = 1012;
    static constexpr int kRepeatId = 1013;
    static constexpr int kMaxRepeat = 256;
    static constexpr const char* kBadRepeat = "The chord lasts 1 to 256 measures.";

    using Receiver = std::function<bool(const PART_CHORD& chord)>;

    CPartChordDlg(IWindowSystem& windowSystem, IEventLoop& eventLoop);

    static DIALOG_TEMPLATE MakeTemplate();
    bool Ask(IWindow* owner, const PART_CHORD& chord, Receiver receiver);

protected:
    bool OnOk() override;

private:
    Receiver m_receiver;
    std::vector<int> m_types;  // the chord type of each item of the list
};
