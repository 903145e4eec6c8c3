#include "ui/ListBox.h"

#include <cstring>

bool CListBox::Clear() {
    m_items.clear();
    return m_dialog != nullptr && m_dialog->ClearList(m_id);
}

bool CListBox::AddItem(const char* text, const char* data) {
    if (m_dialog == nullptr || !m_dialog->AddListItem(m_id, text)) {
        return false;
    }
    m_items.push_back(ITEM{text, data});
    return true;
}

bool CListBox::Select(int index) {
    return m_dialog != nullptr && index < GetCount() && m_dialog->SelectListItem(m_id, index);
}

bool CListBox::SelectByData(const char* data) {
    for (int i = 0; i < GetCount(); ++i) {
        if (std::strcmp(m_items[static_cast<size_t>(i)].data.GetText(), data) == 0) {
            return Select(i);
        }
    }
    return false;
}

int CListBox::GetSelection() const {
    int index = -1;
    if (m_dialog == nullptr || !m_dialog->GetListSelection(m_id, index) || index >= GetCount()) {
        return -1;
    }
    return index;
}

bool CListBox::GetSelectionText(CCharString& text) const {
    const int index = GetSelection();
    if (index < 0) {
        return false;
    }
    text = m_items[static_cast<size_t>(index)].text;
    return true;
}

bool CListBox::GetSelectionData(CCharString& data) const {
    const int index = GetSelection();
    if (index < 0) {
        return false;
    }
    data = m_items[static_cast<size_t>(index)].data;
    return true;
}

const char* CListBox::GetData(int index) const {
    return index >= 0 && index < GetCount() ? m_items[static_cast<size_t>(index)].data.GetText()
                                            : "";
}
