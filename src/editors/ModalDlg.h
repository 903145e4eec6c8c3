#pragma once

#include "platform/ControlDialog.h"
#include "ui/BaseWindow.h"

// Base of the Song Editor's small questions (a name, a song part, a chord,
// a groove's info): a modal dialog made on demand that calls its owner
// back when OK holds and hides itself when it is done. OK that the owner
// refuses keeps it open. The owner destroys it after it is finished.
class CModalDlg : public CBaseWindow, protected IControlDialogHandler {
public:
    CModalDlg(int typeId, IWindowSystem& windowSystem, IEventLoop& eventLoop);
    ~CModalDlg() override;

    // True once OK held or the dialog was cancelled.
    bool IsFinished() const { return m_finished; }
    bool WasAccepted() const { return m_accepted; }
    IControlDialog* GetDialog() const { return m_dialog; }

    // Template helpers: a labelled item on a row of a dialog width wide,
    // and OK and Cancel at the dialog's foot (its height set).
    static void AddRow(DIALOG_TEMPLATE& dialog, int row, const char* label, ControlKind kind,
                       int id);
    static void AddOkCancel(DIALOG_TEMPLATE& dialog);

protected:
    // Makes the dialog from dialog, centred on owner, and shows it; false
    // with the reason.
    bool Open(const DIALOG_TEMPLATE& dialog, IWindow* owner);
    // Reads and checks the items; true when the dialog may close.
    virtual bool OnOk() = 0;
    // Shows a refusal in a box titled caption; always false.
    bool Refuse(const char* text, const char* caption);
    void OnControl(int id, ControlEvent event) override;
    void OnClose() override;
    void OnDestroy(int code) override;

    IControlDialog* m_dialog = nullptr;  // the window the base owns

private:
    void Finish(bool accepted);

    bool m_finished = false;
    bool m_accepted = false;
};
