#pragma once

#include <functional>

#include "editors/ModalDlg.h"
#include "foundation/CharString.h"

// Asks for one line of text (a song's or a groove's name) under a title;
// empty text is refused.
class CEditDlg : public CModalDlg {
public:
    static constexpr int kTypeId = 0;
    static constexpr int kTextId = 1000;
    static constexpr const char* kEmptyText = "Please enter some text\nor press 'Cancel' to exit.";

    // Receives the text; false keeps the dialog open.
    using Receiver = std::function<bool(const CCharString& text)>;

    CEditDlg(IWindowSystem& windowSystem, IEventLoop& eventLoop);

    static DIALOG_TEMPLATE MakeTemplate(const char* title);
    // Shows the dialog titled title with text in its edit box.
    bool Ask(IWindow* owner, const char* title, const char* text, Receiver receiver);

protected:
    bool OnOk() override;

private:
    Receiver m_receiver;
    CCharString m_title;
};
