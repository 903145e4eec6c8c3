#include "editors/SongPartDlg.h"

#include <algorithm>

#include "theory/NoteManager.h"
#include "ui/EditBox.h"

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 150;
// The scales of the theory tables follow the keys.
constexpr int kFirstScale = 31;
constexpr int kLastScale = 52;

const char* const kRootNames[CSongPartDlg::kRootCount] = {"C",  "C#", "D",  "D#", "E",  "F",
                                                          "F#", "G",  "G#", "A",  "A#", "B"};

}  // namespace

CSongPartDlg::CSongPartDlg(IWindowSystem& windowSystem, IEventLoop& eventLoop)
    : CModalDlg(kTypeId, windowSystem, eventLoop) {}

const char* CSongPartDlg::RootName(int index) {
    return index >= 0 && index < kRootCount ? kRootNames[index] : "";
}

DIALOG_TEMPLATE CSongPartDlg::MakeTemplate() {
    DIALOG_TEMPLATE dialog;
    dialog.title = kTitle;
    dialog.width = kWidth;
    dialog.height = kHeight;
    AddRow(dialog, 0, "Part's name", ControlKind::kEditBox, kNameId);
    AddRow(dialog, 1, "Scale", ControlKind::kComboBox, kScaleId);
    AddRow(dialog, 2, "Root", ControlKind::kComboBox, kRootId);
    AddOkCancel(dialog);
    return dialog;
}

bool CSongPartDlg::Ask(IWindow* owner, const PART_SETTINGS& settings, Receiver receiver) {
    m_receiver = std::move(receiver);
    if (!Open(MakeTemplate(), owner)) {
        return false;
    }
    m_dialog->SetItemText(kNameId, settings.name);
    m_scales.clear();
    int selected = 0;
    for (int id = kFirstScale; id <= kLastScale; ++id) {
        CCharString name;
        if (CNoteManager::GetScaleName(id, name)) {
            if (id == settings.scale) {
                selected = static_cast<int>(m_scales.size());
            }
            m_scales.push_back(id);
            m_dialog->AddListItem(kScaleId, name);
        }
    }
    m_dialog->SelectListItem(kScaleId, selected);
    for (const char* root : kRootNames) {
        m_dialog->AddListItem(kRootId, root);
    }
    const int rootIndex = ((settings.root % kRootCount) + kRootCount) % kRootCount;
    m_dialog->SelectListItem(kRootId, rootIndex);
    return true;
}

bool CSongPartDlg::OnOk() {
    CEditBox name;
    name.Attach(m_dialog, kNameId);
    PART_SETTINGS settings;
    name.GetText(settings.name);
    if (settings.name.IsEmpty()) {
        return Refuse(kEmptyName, kTitle);
    }
    int scale = 0;
    m_dialog->GetListSelection(kScaleId, scale);
    settings.scale = scale >= 0 && scale < static_cast<int>(m_scales.size())
                         ? m_scales[static_cast<size_t>(scale)]
                         : SCALE_MAJOR;
    int root = 0;
    m_dialog->GetListSelection(kRootId, root);
    settings.root = kFirstRoot + std::max(0, root);
    return !m_receiver || m_receiver(settings);
}
