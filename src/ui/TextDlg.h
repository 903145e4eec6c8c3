#pragma once

#include <functional>
#include <vector>

#include "foundation/CharString.h"
#include "foundation/MessageIds.h"
#include "platform/DocumentDialog.h"
#include "ui/BaseWindow.h"
#include "ui/LessonSettings.h"
#include "ui/TextCtrl.h"

// One entry of the Text dialog's list: its title and its document's path.
struct TEXT_ENTRY {
    CCharString title;
    CCharString path;
};

// Where the Text dialog stands, as it is kept between runs.
struct TEXT_PLACEMENT {
    bool placed = false;  // false: the dialog takes its first-run place
    WINDOW_RECT rect;
    bool visible = true;
    int contentIndex = 0;
    int scrollPosition = 0;
};

// The Text dialog: a list of the lessons of the content file and the
// document display of the chosen one. A click on an action button of the
// document posts its parameter text to the dialog (kActionMessage), which
// parses it into lesson settings and hands them to the lesson receiver.
class CTextDlg : public CBaseWindow, private IDocumentDialogHandler {
public:
    static constexpr int kTypeId = 9;
    static constexpr const char* kTitle = "Lessons";
    static constexpr int kMinWidth = 500;
    static constexpr int kMinHeight = 300;
    static constexpr WINDOW_RECT kFirstRect{0, 0, 400, 500};

    // Starts the lesson or returns false with the reason why it can't: the
    // dialog puts "Can't start the lesson: " before it, unless it starts
    // with a "Can't" of its own.
    using LessonReceiver =
        std::function<bool(const LESSON_SETTINGS&, const DISPLAY_SETTINGS&, CCharString& error)>;

    CTextDlg(IWindowSystem& windowSystem, IEventLoop& eventLoop);
    ~CTextDlg() override;

    // Makes the dialog, owned by owner, at placement; false with the reason.
    bool CreateDialog(IWindow* owner, const TEXT_PLACEMENT& placement);
    void SetLessonReceiver(LessonReceiver receiver) { m_receiver = std::move(receiver); }

    // Fills the list and shows the entry of the placement's content index
    // (scrolled to its scroll position).
    void SetEntries(const std::vector<TEXT_ENTRY>& entries);
    // Shows a message in the document display in place of a document.
    void ShowMessage(const char* text);
    // Shows entry index of the list; false with the reason when its
    // document can't be read (the display then says why).
    bool ChooseEntry(int index);

    // Draws the buttonIndex-th button of the document shown in the accent
    // colour until a button is pressed or another entry shown (-1: none).
    void HighlightButton(int buttonIndex);
    int GetHighlightedButton() const { return m_highlightedButton; }

    // The placement to keep: rectangle, visibility, entry and scroll.
    TEXT_PLACEMENT GetPlacement() const;
    int GetShownIndex() const { return m_shownIndex; }
    int GetEntryCount() const { return static_cast<int>(m_entries.size()); }
    // Starts the first lesson of the document shown, as its first button does.
    void StartShownLesson() { OnDocumentButton(0); }
    // The title of the document shown, empty when none is.
    const char* GetShownTitle() const {
        return m_shownIndex >= 0 && m_shownIndex < static_cast<int>(m_entries.size())
                   ? m_entries[static_cast<size_t>(m_shownIndex)].title.GetText()
                   : "";
    }
    const CTextCtrl& GetTextCtrl() const { return m_text; }
    // The result of the last button click, for the owner's status.
    const char* GetLessonError() const { return m_lessonError; }

protected:
    void OnClose() override;
    void OnDestroy(int code) override;
    void OnPosted(int message, std::unique_ptr<IPayload> payload) override;

private:
    void OnListChoice(int index) override;
    void OnDocumentButton(int buttonIndex) override;
    void OnAction(const char* parameters);
    // The document's blocks as shown, the highlighted button bold.
    std::vector<DOCUMENT_BLOCK> ShownBlocks() const;

    IDocumentDialog* m_dialog = nullptr;  // the window the base owns
    CTextCtrl m_text;
    std::vector<TEXT_ENTRY> m_entries;
    TEXT_PLACEMENT m_placement;
    int m_shownIndex = -1;
    int m_highlightedButton = -1;
    LessonReceiver m_receiver;
    CCharString m_lessonError;
};
