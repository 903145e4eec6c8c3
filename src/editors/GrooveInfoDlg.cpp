#include "editors/GrooveInfoDlg.h"

#include "ui/EditBox.h"

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 210;
constexpr int kBeatNotes[] = {4, 8};

// A whole number of an edit box; 0 when it holds none.
int ReadInt(IControlDialog* dialog, int id) {
    CEditBox edit;
    edit.Attach(dialog, id);
    int value = 0;
    return edit.GetInt(value) ? value : 0;
}

}  // namespace

CGrooveInfoDlg::CGrooveInfoDlg(IWindowSystem& windowSystem, IEventLoop& eventLoop)
    : CModalDlg(kTypeId, windowSystem, eventLoop) {}

DIALOG_TEMPLATE CGrooveInfoDlg::MakeTemplate() {
    DIALOG_TEMPLATE dialog;
    dialog.title = kTitle;
    dialog.width = kWidth;
    dialog.height = kHeight;
    AddRow(dialog, 0, "Style", ControlKind::kComboBox, kStyleId);
    AddRow(dialog, 1, "Name", ControlKind::kEditBox, kNameId);
    AddRow(dialog, 2, "Time sign.", ControlKind::kEditBox, kNumeratorId);
    AddRow(dialog, 3, "/", ControlKind::kEditBox, kDenominatorId);
    AddRow(dialog, 4, "Bars", ControlKind::kEditBox, kBarsId);
    AddOkCancel(dialog);
    return dialog;
}

bool CGrooveInfoDlg::Ask(IWindow* owner, const std::vector<CCharString>& styles,
                         const GROOVE_INFO& info, Receiver receiver) {
    m_receiver = std::move(receiver);
    m_styles = styles;
    if (!Open(MakeTemplate(), owner)) {
        return false;
    }
    int selected = -1;
    for (size_t i = 0; i < styles.size(); ++i) {
        m_dialog->AddListItem(kStyleId, styles[i]);
        if (styles[i] == info.style.GetText()) {
            selected = static_cast<int>(i);
        }
    }
    m_dialog->SelectListItem(kStyleId, selected);
    m_dialog->SetItemText(kNameId, info.name);
    CEditBox edit;
    for (const auto& [id, value] : {std::pair<int, int>{kNumeratorId, info.measureBeats},
                                    {kDenominatorId, info.beatNote},
                                    {kBarsId, info.measures}}) {
        edit.Attach(m_dialog, id);
        edit.SetInt(value);
    }
    return true;
}

bool CGrooveInfoDlg::OnOk() {
    GROOVE_INFO info;
    info.measures = ReadInt(m_dialog, kBarsId);
    if (info.measures > kMaxBars) {
        return Refuse(kTooManyBars, kRefusalTitle);
    }
    info.beatNote = ReadInt(m_dialog, kDenominatorId);
    if (info.beatNote != kBeatNotes[0] && info.beatNote != kBeatNotes[1]) {
        return Refuse(kBadDenominator, kRefusalTitle);
    }
    int style = -1;
    m_dialog->GetListSelection(kStyleId, style);
    if (style < 0 || style >= static_cast<int>(m_styles.size()) ||
        m_styles[static_cast<size_t>(style)].IsEmpty()) {
        return Refuse(kNoStyle, kRefusalTitle);
    }
    info.style = m_styles[static_cast<size_t>(style)];
    CEditBox name;
    name.Attach(m_dialog, kNameId);
    name.GetText(info.name);
    if (info.name.IsEmpty()) {
        return Refuse(kNoName, kRefusalTitle);
    }
    // A groove lasts a measure at least, of a beat at least.
    info.measures = info.measures < 1 ? 1 : info.measures;
    info.measureBeats = ReadInt(m_dialog, kNumeratorId);
    info.measureBeats = info.measureBeats < 1 ? 1 : info.measureBeats;
    return !m_receiver || m_receiver(info);
}
