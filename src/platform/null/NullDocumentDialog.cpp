#include "platform/null/NullDocumentDialog.h"

#include <algorithm>

#include "platform/null/NullJournal.h"

CNullDocumentDialog::CNullDocumentDialog(IEventLoop& loop, IWindowHandler* handler,
                                         IDocumentDialogHandler* documentHandler,
                                         CNullJournal* journal)
    // The frame keeps no journal of its own: the journal tells the dialog's
    // life apart from the top-level windows'.
    : m_frame(loop, handler, nullptr), m_documentHandler(documentHandler), m_journal(journal) {
    Record("CreateDocumentDialog");
}

CNullDocumentDialog::~CNullDocumentDialog() {
    Record("DestroyDocumentDialog");
}

void CNullDocumentDialog::Record(const std::string& entry) {
    if (m_journal != nullptr) {
        m_journal->Add(entry);
    }
}

IGlDevice* CNullDocumentDialog::GetGlView(std::string& error) {
    error = "a dialog has no 3D view";
    return nullptr;
}

void CNullDocumentDialog::SetListItems(const std::vector<std::string>& items) {
    m_items = items;
    m_selection = -1;
}

void CNullDocumentDialog::SelectListItem(int index) {
    m_selection = index >= 0 && index < static_cast<int>(m_items.size()) ? index : -1;
}

void CNullDocumentDialog::SetDocument(const std::vector<DOCUMENT_BLOCK>& blocks) {
    m_blocks = blocks;
    m_scroll = 0;
}

void CNullDocumentDialog::SetScrollPosition(int position) {
    // Without a screen every block counts as one scroll position.
    const int last = std::max(0, static_cast<int>(m_blocks.size()) - 1);
    m_scroll = std::clamp(position, 0, last);
}

int CNullDocumentDialog::GetButtonCount() const {
    return static_cast<int>(std::count_if(m_blocks.begin(), m_blocks.end(), [](const auto& b) {
        return b.style == DocumentStyle::kButton || b.style == DocumentStyle::kBoldButton;
    }));
}

bool CNullDocumentDialog::ChooseListItem(int index) {
    if (index < 0 || index >= static_cast<int>(m_items.size())) {
        return false;
    }
    m_selection = index;
    m_documentHandler->OnListChoice(index);
    return true;
}

bool CNullDocumentDialog::ClickButton(int buttonIndex) {
    if (buttonIndex < 0 || buttonIndex >= GetButtonCount()) {
        return false;
    }
    m_documentHandler->OnDocumentButton(buttonIndex);
    return true;
}
