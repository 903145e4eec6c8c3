#pragma once

#include <string>
#include <vector>

#include "platform/Window.h"

// How one laid-out piece of a document is shown.
enum class DocumentStyle {
    kBody,        // 16 pixels, regular, black, indented 5, word-wrapped
    kTitle,       // 24 pixels, bold, blue, centred, word-wrapped
    kHeading,     // 20 pixels, bold, blue, indented 10, one line
    kSubheading,  // 16 pixels, bold, blue, one line
    kButton,      // a push button, 130 by 22 pixels, captioned with text
    kBoldButton,  // a button the learner is invited to press: drawn in the accent colour
    kGap,         // an empty line
};

struct DOCUMENT_BLOCK {
    DocumentStyle style = DocumentStyle::kBody;
    std::string text;  // plain text; never markup
};

// What a document dialog's owner hears besides the window events.
class IDocumentDialogHandler {
public:
    virtual ~IDocumentDialogHandler() = default;
    // The user chose entry index of the list.
    virtual void OnListChoice(int index) = 0;
    // The user clicked the buttonIndex-th button block of the document.
    virtual void OnDocumentButton(int buttonIndex) = 0;
};

// A modeless dialog with a drop-down list above a scrolling document
// display. Destroying the object destroys the dialog.
class IDocumentDialog : public IWindow {
public:
    static constexpr int kScrollStep = 30;  // pixels per scroll position

    virtual void SetListItems(const std::vector<std::string>& items) = 0;
    // Selects without telling the handler; -1 selects nothing.
    virtual void SelectListItem(int index) = 0;
    virtual int GetListSelection() const = 0;
    // Replaces the document and scrolls to its top.
    virtual void SetDocument(const std::vector<DOCUMENT_BLOCK>& blocks) = 0;
    // In steps of kScrollStep pixels, clamped to the document.
    virtual void SetScrollPosition(int position) = 0;
    virtual int GetScrollPosition() const = 0;
    virtual void FocusDocument() = 0;
};
