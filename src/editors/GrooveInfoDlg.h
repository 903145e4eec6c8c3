#pragma once

#include <functional>
#include <vector>

#include "editors/ModalDlg.h"
#include "foundation/CharString.h"

// What a groove is made with: where it is kept and its time.
struct GROOVE_INFO {
    CCharString style;
    CCharString name;
    int measureBeats = 4;  // time-signature numerator
    int beatNote = 4;      // time-signature denominator
    int measures = 1;
};

// The style, name, time signature and bars of a groove ("Groove Info").
// OK checks, in this order, the bars, the denominator, the style and the
// name; a refusal is shown titled "Required Field" and keeps the dialog.
class CGrooveInfoDlg : public CModalDlg {
public:
    static constexpr int kTypeId = 0;
    static constexpr const char* kTitle = "Groove Info";
    static constexpr const char* kRefusalTitle = "Required Field";
    static constexpr const char* kTooManyBars = "The maximum number of measures is 8";
    static constexpr const char* kBadDenominator =
        "Denominator in the time signature\ncan be only 4 or 8:\n4/4, 3/4, 7/8, etc.";
    static constexpr const char* kNoStyle = "Groove style is required.";
    static constexpr const char* kNoName = "Groove name is required.";
    static constexpr int kMaxBars = 8;
    static constexpr int kStyleId = 1021;
    static constexpr int kNameId = 1022;
    static constexpr int kNumeratorId = 1023;
    static constexpr int kDenominatorId = 1024;
    static constexpr int kBarsId = 1025;

    using Receiver = std::function<bool(const GROOVE_INFO& info)>;

    CGrooveInfoDlg(IWindowSystem& windowSystem, IEventLoop& eventLoop);

    static DIALOG_TEMPLATE MakeTemplate();
    // styles fill the style list; info's style is selected when listed.
    bool Ask(IWindow* owner, const std::vector<CCharString>& styles, const GROOVE_INFO& info,
             Receiver receiver);

protected:
    bool OnOk() override;

private:
    Receiver m_receiver;
    std::vector<CCharString> m_styles;
};
