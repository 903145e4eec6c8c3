#pragma once

#include "ui/DialogItem.h"

// A radio button of a dialog: checking it unchecks the others of its group.
class CRadioButton : public CDialogItem {
public:
    bool SetCheck(bool checked) {
        return m_dialog != nullptr && m_dialog->SetChecked(m_id, checked);
    }
    // False, whatever the state, when the item is missing.
    bool GetCheck() const {
        bool checked = false;
        return m_dialog != nullptr && m_dialog->GetChecked(m_id, checked) && checked;
    }
};
