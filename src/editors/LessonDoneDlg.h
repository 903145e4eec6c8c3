#pragma once

#include <functional>
#include <string>

#include "platform/ControlDialog.h"
#include "ui/BaseWindow.h"

// Shown when a lesson reaches its goal: the report of the run and a choice
// of the next lesson of the course, the same lesson again, or neither. A
// modeless dialog, so that the picture and the keys go on working.
class CLessonDoneDlg : public CBaseWindow, private IControlDialogHandler {
public:
    static constexpr int kTypeId = 19;
    static constexpr const char* kTitle = "Lesson done";
    static constexpr int kReportId = 1901;
    static constexpr int kNextId = 1902;
    static constexpr int kAgainId = 1903;

    enum class CHOICE { kNext, kAgain };
    using ChoiceReceiver = std::function<void(CHOICE)>;

    CLessonDoneDlg(IWindowSystem& windowSystem, IEventLoop& eventLoop);
    ~CLessonDoneDlg() override;

    static DIALOG_TEMPLATE MakeTemplate();
    // Makes the dialog (once) and shows report in it, centred on ownerRect.
    // hasNext offers the next lesson. False with the reason.
    bool ShowReport(IWindow* owner, const WINDOW_RECT& ownerRect, const std::string& report,
                    bool hasNext);
    void SetChoiceReceiver(ChoiceReceiver receiver) { m_receiver = std::move(receiver); }
    const std::string& GetReport() const { return m_report; }

protected:
    void OnClose() override;
    void OnDestroy(int code) override;

private:
    void OnControl(int id, ControlEvent event) override;

    IControlDialog* m_dialog = nullptr;  // the window the base owns
    ChoiceReceiver m_receiver;
    std::string m_report;
};
