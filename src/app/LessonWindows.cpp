#include "app/LessonWindows.h"

#include <memory>

#include "app/StartOptions.h"
#include "app/WindowRegistry.h"
#include "editors/LessonDoneDlg.h"
#include "foundation/ErrorReport.h"
#include "platform/Window.h"
#include "platform/WindowSystem.h"
#include "ui/TextDlg.h"

namespace {
constexpr size_t kLongestErrorChars = 400;
}  // namespace

CLessonWindows::CLessonWindows(IWindowSystem& windowSystem, IEventLoop& eventLoop,
                               CWindowRegistry& windows, IWindow* main)
    : m_windowSystem(windowSystem), m_eventLoop(eventLoop), m_windows(windows), m_main(main) {}

void CLessonWindows::SetStatus(const char* text) {
    if (m_main != nullptr) {
        m_main->SetStatusText(text);
    }
}

void CLessonWindows::FocusPicture() {
    if (m_main != nullptr) {
        m_main->FocusView();
    }
}

// A box stays readable whatever the file or the lesson quoted.
void CLessonWindows::TellError(const char* text) {
    m_windowSystem.MessageBox(m_main, CutForMessage(text, kLongestErrorChars).c_str(), "Error",
                              BoxIcon::kExclamation, BoxButtons::kOk);
}

void CLessonWindows::ShowHints(const HINTS& hints) {
    if (m_hints) {
        m_hints(hints);
    }
}

void CLessonWindows::RequestFrame() {
    if (m_frame) {
        m_frame();
    }
}

const char* CLessonWindows::GetShownLessonTitle() const {
    const CTextDlg* text = m_windows.Find<CTextDlg>();
    return text != nullptr ? text->GetShownTitle() : nullptr;
}

bool CLessonWindows::HasNextLesson() const {
    const CTextDlg* text = m_windows.Find<CTextDlg>();
    return text != nullptr && text->GetShownIndex() >= 0 &&
           text->GetShownIndex() + 1 < text->GetEntryCount();
}

bool CLessonWindows::StartNextLesson() {
    CTextDlg* text = m_windows.Find<CTextDlg>();
    if (text == nullptr || !text->ChooseEntry(text->GetShownIndex() + 1)) {
        return false;
    }
    text->StartShownLesson();
    return true;
}

void CLessonWindows::ShowReport(const char* report, bool hasNext) {
    if (m_main == nullptr) {
        return;
    }
    CLessonDoneDlg* dialog = m_windows.Find<CLessonDoneDlg>();
    if (dialog == nullptr) {
        auto made = std::make_unique<CLessonDoneDlg>(m_windowSystem, m_eventLoop);
        made->SetChoiceReceiver([this](CLessonDoneDlg::CHOICE choice) {
            if (m_choice) {
                m_choice(choice == CLessonDoneDlg::CHOICE::kNext);
            }
        });
        dialog = m_windows.Add(std::move(made));
    }
    if (!dialog->ShowReport(m_main, m_main->GetRect(), report, hasNext)) {
        ReportError(kSource, __LINE__, "%s", dialog->GetError());
    }
}
