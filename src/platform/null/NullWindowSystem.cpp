#include "platform/null/NullWindowSystem.h"

#include <algorithm>

#include "platform/DebugOutput.h"
#include "platform/null/NullControlDialog.h"
#include "platform/null/NullDocumentDialog.h"
#include "platform/null/NullImagePainter.h"
#include "platform/null/NullJournal.h"
#include "platform/null/NullWindow.h"

CNullWindowSystem::CNullWindowSystem(IEventLoop& loop, CNullJournal* journal)
    : m_loop(loop), m_journal(journal) {}

std::unique_ptr<IWindow> CNullWindowSystem::CreateTopLevelWindow(IWindowHandler* handler,
                                                                 std::string& error) {
    if (!m_creationError.empty()) {
        error = m_creationError;
        return nullptr;
    }
    auto window = std::make_unique<CNullWindow>(m_loop, handler, m_journal);
    m_windows.push_back(window.get());
    window->SetDestroyNotice([this](CNullWindow* gone) {
        m_windows.erase(std::remove(m_windows.begin(), m_windows.end(), gone), m_windows.end());
    });
    return window;
}

namespace {

// Forgets a dialog of the list when it goes.
class CListedDocumentDialog : public CNullDocumentDialog {
public:
    CListedDocumentDialog(IEventLoop& loop, IWindowHandler* handler,
                          IDocumentDialogHandler* documentHandler, CNullJournal* journal,
                          std::vector<CNullDocumentDialog*>& list)
        : CNullDocumentDialog(loop, handler, documentHandler, journal), m_list(list) {
        m_list.push_back(this);
    }
    ~CListedDocumentDialog() override {
        m_list.erase(std::remove(m_list.begin(), m_list.end(), this), m_list.end());
    }

private:
    std::vector<CNullDocumentDialog*>& m_list;
};

}  // namespace

std::unique_ptr<IDocumentDialog> CNullWindowSystem::CreateDocumentDialog(
    IWindowHandler* handler, IDocumentDialogHandler* documentHandler, IWindow*,
    std::string& error) {
    if (!m_creationError.empty()) {
        error = m_creationError;
        return nullptr;
    }
    if (handler == nullptr || documentHandler == nullptr) {
        error = "a dialog needs its handlers";
        return nullptr;
    }
    return std::make_unique<CListedDocumentDialog>(m_loop, handler, documentHandler, m_journal,
                                                   m_dialogs);
}

namespace {

// Forgets a dialog of the list when it goes.
class CListedControlDialog : public CNullControlDialog {
public:
    CListedControlDialog(const DIALOG_TEMPLATE& dialog, IEventLoop& loop, IWindowHandler* handler,
                         IControlDialogHandler* controlHandler, CNullJournal* journal,
                         std::vector<CNullControlDialog*>& list)
        : CNullControlDialog(dialog, loop, handler, controlHandler, journal), m_list(list) {
        m_list.push_back(this);
    }
    ~CListedControlDialog() override {
        m_list.erase(std::remove(m_list.begin(), m_list.end(), this), m_list.end());
    }

private:
    std::vector<CNullControlDialog*>& m_list;
};

}  // namespace

std::unique_ptr<IControlDialog> CNullWindowSystem::CreateControlDialog(
    const DIALOG_TEMPLATE& dialog, IWindowHandler* handler, IControlDialogHandler* controlHandler,
    IWindow*, std::string& error) {
    if (!m_creationError.empty()) {
        error = m_creationError;
        return nullptr;
    }
    if (handler == nullptr || controlHandler == nullptr) {
        error = "a dialog needs its handlers";
        return nullptr;
    }
    return std::make_unique<CListedControlDialog>(dialog, m_loop, handler, controlHandler,
                                                  m_journal, m_controlDialogs);
}

CNullControlDialog* CNullWindowSystem::FindControlDialog(const std::string& title) const {
    for (CNullControlDialog* dialog : m_controlDialogs) {
        if (dialog->GetTemplate().title == title) {
            return dialog;
        }
    }
    return nullptr;
}

BoxResult CNullWindowSystem::MessageBox(IWindow* owner, const char* text, const char* caption,
                                        BoxIcon icon, BoxButtons buttons) {
    BOX_RECORD box;
    box.text = text != nullptr ? text : "";
    box.caption = caption != nullptr ? caption : "";
    box.icon = icon;
    box.buttons = buttons;
    box.hasOwner = owner != nullptr;
    m_boxes.push_back(box);
    if (m_journal != nullptr) {
        m_journal->Add("MessageBox " + box.caption);
    }
    Platform::WriteDebugOutput(("Message box \"" + box.caption + "\": " + box.text).c_str());
    if (!m_answers.empty()) {
        const BoxResult answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    return buttons == BoxButtons::kYesNo ? BoxResult::kYes : BoxResult::kOk;
}

std::unique_ptr<IImagePainter> CNullWindowSystem::CreateImagePainter() {
    return std::make_unique<CNullImagePainter>();
}

std::vector<CNullWindow*> CNullWindowSystem::GetWindows() const {
    return m_windows;
}

bool CNullWindowSystem::ChooseFileToSave(IWindow*, const char*, const char* suggested, const char*,
                                         std::string& path) {
    m_lastSuggested = suggested != nullptr ? suggested : "";
    if (m_saveFiles.empty()) {
        return false;
    }
    path = m_saveFiles.front();
    m_saveFiles.pop_front();
    return true;
}

bool CNullWindowSystem::ChooseFileToOpen(IWindow*, const char*, const char* folder, const char*,
                                         std::string& path) {
    m_lastFileFolder = folder != nullptr ? folder : "";
    if (m_files.empty()) {
        return false;
    }
    path = m_files.front();
    m_files.pop_front();
    return true;
}

namespace {

// Whether menu (or one of its submenus) holds an enabled item of command.
bool HoldsEnabled(const std::vector<MENU_ITEM>& menu, int commandId) {
    for (const MENU_ITEM& item : menu) {
        if ((item.enabled && item.items.empty() && item.commandId == commandId) ||
            (item.enabled && HoldsEnabled(item.items, commandId))) {
            return true;
        }
    }
    return false;
}

}  // namespace

int CNullWindowSystem::PopupMenu(IWindow* owner, const std::vector<MENU_ITEM>& menu, int x, int y) {
    m_popups.push_back(POPUP_RECORD{menu, x, y, owner != nullptr});
    if (m_menuChoices.empty()) {
        return 0;
    }
    const int chosen = m_menuChoices.front();
    m_menuChoices.pop_front();
    return chosen != 0 && HoldsEnabled(menu, chosen) ? chosen : 0;
}
