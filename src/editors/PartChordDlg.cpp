#include "editors/PartChordDlg.h"

#include <algorithm>

#include "editors/SongPartDlg.h"
#include "theory/NoteManager.h"
#include "ui/EditBox.h"

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 150;

}  // namespace

CPartChordDlg::CPartChordDlg(IWindowSystem& windowSystem, IEventLoop& eventLoop)
    : CModalDlg(kTypeId, windowSystem, eventLoop) {}

DIALOG_TEMPLATE CPartChordDlg::MakeTemplate() {
    DIALOG_TEMPLATE dialog;
    dialog.title = kTitle;
    dialog.width = kWidth;
    dialog.height = kHeight;
    AddRow(dialog, 0, "Root", ControlKind::kComboBox, kRootId);
    AddRow(dialog, 1, "Chord", ControlKind::kComboBox, kTypeListId);
    AddRow(dialog, 2, "Repeat", ControlKind::kEditBox, kRepeatId);
    AddOkCancel(dialog);
    return dialog;
}

bool CPartChordDlg::Ask(IWindow* owner, const PART_CHORD& chord, Receiver receiver) {
    m_receiver = std::move(receiver);
    if (!Open(MakeTemplate(), owner)) {
        return false;
    }
    for (int i = 0; i < CSongPartDlg::kRootCount; ++i) {
        m_dialog->AddListItem(kRootId, CSongPartDlg::RootName(i));
    }
    m_dialog->SelectListItem(kRootId, chord.root % CSongPartDlg::kRootCount);
    m_types.clear();
    int selected = 0;
    for (int type = 1; type <= CHORD_TYPE_COUNT; ++type) {
        CCharString name;
        if (CNoteManager::GetChordTypeName(type, name)) {
            if (type == chord.chordType) {
                selected = static_cast<int>(m_types.size());
            }
            m_types.push_back(type);
            m_dialog->AddListItem(kTypeListId, name);
        }
    }
    m_dialog->SelectListItem(kTypeListId, selected);
    CEditBox repeat;
    repeat.Attach(m_dialog, kRepeatId);
    return repeat.SetInt(chord.repeat);
}

bool CPartChordDlg::OnOk() {
    PART_CHORD chord;
    CEditBox repeat;
    repeat.Attach(m_dialog, kRepeatId);
    if (!repeat.GetInt(chord.repeat) || chord.repeat < 1 || chord.repeat > kMaxRepeat) {
        return Refuse(kBadRepeat, kTitle);
    }
    int root = 0;
    m_dialog->GetListSelection(kRootId, root);
    chord.root = CSongPartDlg::kFirstRoot + std::max(0, root);
    int type = 0;
    m_dialog->GetListSelection(kTypeListId, type);
    if (type >= 0 && type < static_cast<int>(m_types.size())) {
        chord.chordType = m_types[static_cast<size_t>(type)];
    }
    return !m_receiver || m_receiver(chord);
}
