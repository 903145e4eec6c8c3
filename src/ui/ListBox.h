#pragma once

#include <vector>

#include "foundation/CharString.h"
#include "ui/DialogItem.h"

// A list of a dialog whose every item carries a data text (a device id, a
// port number, a file's path) beside the text it shows.
class CListBox : public CDialogItem {
public:
    bool Clear();
    bool AddItem(const char* text, const char* data);
    bool Select(int index);
    // Selects the first item whose data is data; false when none is.
    bool SelectByData(const char* data);
    // -1 when nothing is selected.
    int GetSelection() const;
    bool GetSelectionText(CCharString& text) const;
    bool GetSelectionData(CCharString& data) const;
    int GetCount() const { return static_cast<int>(m_items.size()); }
    const char* GetData(int index) const;

private:
    struct ITEM {
        CCharString text;
        CCharString data;
    };
    std::vector<ITEM> m_items;
};
