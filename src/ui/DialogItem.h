#pragma once

#include "platform/ControlDialog.h"

// The base of the controls: an item of a control dialog, attached by its
// id. Every operation of an unattached control, or of one whose item is
// missing, returns false.
class CDialogItem {
public:
    CDialogItem() = default;
    virtual ~CDialogItem() = default;

    // dialog must outlive the control, or the control be attached anew.
    void Attach(IControlDialog* dialog, int id) {
        m_dialog = dialog;
        m_id = id;
    }
    bool IsAttached() const { return m_dialog != nullptr; }
    int GetId() const { return m_id; }
    bool Enable(bool enabled) {
        m_enabled = enabled;
        return m_dialog != nullptr && m_dialog->EnableItem(m_id, enabled);
    }
    bool IsEnabled() const { return m_enabled; }
    bool SetText(const char* text) {
        return m_dialog != nullptr && m_dialog->SetItemText(m_id, text);
    }

protected:
    IControlDialog* m_dialog = nullptr;
    int m_id = 0;
    bool m_enabled = true;
};
