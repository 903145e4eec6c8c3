#include "ui/TextDlg.h"

#include <cstring>
#include <string>

namespace {

constexpr const char* kLessonContext = "Can't start the lesson: ";
constexpr const char* kWholeMessageStart = "Can't ";

// The message for a refused lesson: a reason gets the dialog's context, a
// reason that already says what can't be done is shown as it is.
CCharString LessonMessage(const char* reason) {
    CCharString message;
    if (std::strncmp(reason, kWholeMessageStart, std::strlen(kWholeMessageStart)) == 0) {
        message = reason;
    } else {
        message.Format("%s%s", kLessonContext, reason);
    }
    return message;
}

}  // namespace

CTextDlg::CTextDlg(IWindowSystem& windowSystem, IEventLoop& eventLoop)
    : CBaseWindow(kTypeId, windowSystem, eventLoop) {}

CTextDlg::~CTextDlg() {
    Destroy(2);
}

bool CTextDlg::CreateDialog(IWindow* owner, const TEXT_PLACEMENT& placement) {
    std::string reason;
    std::unique_ptr<IDocumentDialog> dialog =
        m_windowSystem.CreateDocumentDialog(this, this, owner, reason);
    if (!dialog) {
        m_error.Format("Can't create Text control: %s", reason.c_str());
        return false;
    }
    IDocumentDialog* made = dialog.get();
    if (!Adopt(std::move(dialog), kTitle)) {
        return false;
    }
    m_dialog = made;
    m_placement = placement;
    m_dialog->SetMinimumSize(kMinWidth, kMinHeight);
    const bool sane = placement.placed && placement.rect.width > 0 && placement.rect.height > 0;
    m_dialog->SetRect(sane ? placement.rect : kFirstRect);
    if (placement.visible) {
        Show(true);
    }
    return true;
}

void CTextDlg::SetEntries(const std::vector<TEXT_ENTRY>& entries) {
    m_entries = entries;
    m_shownIndex = -1;
    if (m_dialog == nullptr) {
        return;
    }
    std::vector<std::string> titles;
    for (const TEXT_ENTRY& entry : m_entries) {
        titles.push_back(entry.title.Str());
    }
    m_dialog->SetListItems(titles);
    if (m_entries.empty()) {
        m_text.Clear();
        m_dialog->SetDocument({});
        return;
    }
    // A saved index that no longer names an entry shows the first one.
    int index = m_placement.contentIndex;
    if (index < 0 || index >= static_cast<int>(m_entries.size())) {
        index = 0;
    }
    if (ChooseEntry(index)) {
        m_dialog->SetScrollPosition(m_placement.scrollPosition);
    }
}

void CTextDlg::ShowMessage(const char* text) {
    m_highlightedButton = -1;
    m_text.SetText(text);
    if (m_dialog != nullptr) {
        m_dialog->SetDocument(m_text.GetBlocks());
    }
}

void CTextDlg::HighlightButton(int buttonIndex) {
    if (buttonIndex == m_highlightedButton) {
        return;
    }
    m_highlightedButton = buttonIndex;
    if (m_dialog != nullptr) {
        const int scroll = m_dialog->GetScrollPosition();
        m_dialog->SetDocument(ShownBlocks());
        m_dialog->SetScrollPosition(scroll);
    }
}

std::vector<DOCUMENT_BLOCK> CTextDlg::ShownBlocks() const {
    std::vector<DOCUMENT_BLOCK> blocks = m_text.GetBlocks();
    int button = 0;
    for (DOCUMENT_BLOCK& block : blocks) {
        if (block.style == DocumentStyle::kButton && button++ == m_highlightedButton) {
            block.style = DocumentStyle::kBoldButton;
        }
    }
    return blocks;
}

bool CTextDlg::ChooseEntry(int index) {
    if (m_dialog == nullptr || index < 0 || index >= static_cast<int>(m_entries.size())) {
        m_error.Format("Can't show entry %d: there is no such entry", index);
        return false;
    }
    m_shownIndex = index;
    m_highlightedButton = -1;
    m_dialog->SelectListItem(index);
    if (!m_text.LoadFile(m_entries[static_cast<size_t>(index)].path)) {
        m_error = m_text.GetError();
        ShowMessage(m_error);
        return false;
    }
    m_dialog->SetDocument(m_text.GetBlocks());
    m_dialog->FocusDocument();
    return true;
}

TEXT_PLACEMENT CTextDlg::GetPlacement() const {
    TEXT_PLACEMENT placement = m_placement;
    if (m_dialog != nullptr) {
        placement.placed = true;
        placement.rect = m_dialog->GetRect();
        placement.visible = m_dialog->IsVisible();
        placement.scrollPosition = m_dialog->GetScrollPosition();
    }
    placement.contentIndex = m_shownIndex >= 0 ? m_shownIndex : m_placement.contentIndex;
    return placement;
}

void CTextDlg::OnClose() {
    // Closing only hides the dialog; the lesson list stays at hand.
    Show(false);
}

void CTextDlg::OnDestroy(int) {
    // The last placement outlives the platform window.
    m_placement = GetPlacement();
    m_dialog = nullptr;
}

void CTextDlg::OnListChoice(int index) {
    ChooseEntry(index);
}

void CTextDlg::OnDocumentButton(int buttonIndex) {
    HighlightButton(-1);
    const char* parameters = m_text.GetButtonParameters(buttonIndex);
    if (parameters != nullptr) {
        PostMessage(kActionMessage, MakePayload(std::make_unique<CCharString>(parameters)));
    }
}

void CTextDlg::OnPosted(int message, std::unique_ptr<IPayload> payload) {
    if (message != kActionMessage) {
        return;
    }
    if (std::unique_ptr<CCharString> parameters = TakePayload<CCharString>(payload)) {
        OnAction(*parameters);
    }
}

void CTextDlg::OnAction(const char* parameters) {
    LESSON_SETTINGS lesson;
    DISPLAY_SETTINGS display;
    CCharString reason;
    m_lessonError.Empty();
    if (!ParseActionParameters(parameters, lesson, display, reason)) {
        m_lessonError = LessonMessage(reason);
    } else if (!m_receiver) {
        m_lessonError = LessonMessage("nothing takes lessons");
    } else if (!m_receiver(lesson, display, reason)) {
        m_lessonError = LessonMessage(reason);
    }
    if (!m_lessonError.IsEmpty()) {
        // The lesson that runs stays; the user learns why nothing changed.
        m_windowSystem.MessageBox(GetWindow(), m_lessonError, kTitle, BoxIcon::kExclamation,
                                  BoxButtons::kOk);
    }
}
