#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/WindowSystem.h"

class CNullJournal;
class CNullWindow;
class CNullDocumentDialog;
class CNullControlDialog;

// A popup menu the program showed, and where.
struct POPUP_RECORD {
    std::vector<MENU_ITEM> menu;
    int x = 0;
    int y = 0;
    bool hasOwner = false;
};

struct BOX_RECORD {
    std::string text;
    std::string caption;
    BoxIcon icon = BoxIcon::kNone;
    BoxButtons buttons = BoxButtons::kOk;
    bool hasOwner = false;
};

// Windows that are records, and message boxes that never block: each box is
// recorded and answered from a script (OK or Yes when the script is empty).
class CNullWindowSystem : public IWindowSystem {
public:
    CNullWindowSystem(IEventLoop& loop, CNullJournal* journal = nullptr);

    std::unique_ptr<IWindow> CreateTopLevelWindow(IWindowHandler* handler,
                                                  std::string& error) override;
    std::unique_ptr<IDocumentDialog> CreateDocumentDialog(IWindowHandler* handler,
                                                          IDocumentDialogHandler* documentHandler,
                                                          IWindow* owner,
                                                          std::string& error) override;
    std::unique_ptr<IControlDialog> CreateControlDialog(const DIALOG_TEMPLATE& dialog,
                                                        IWindowHandler* handler,
                                                        IControlDialogHandler* controlHandler,
                                                        IWindow* owner,
                                                        std::string& error) override;
    BoxResult MessageBox(IWindow* owner, const char* text, const char* caption, BoxIcon icon,
                         BoxButtons buttons) override;
    // A software painter of shapes; its text is measured, never drawn.
    std::unique_ptr<IImagePainter> CreateImagePainter() override;
    WINDOW_RECT GetWorkArea() override { return m_workArea; }
    // Answers from the files scripted with ScriptFileToOpen (none: cancelled).
    bool ChooseFileToOpen(IWindow* owner, const char* title, const char* folder, const char* filter,
                          std::string& path) override;
    void ScriptFileToOpen(const std::string& path) { m_files.push_back(path); }
    // Answers from the files scripted with ScriptFileToSave (none: cancelled).
    bool ChooseFileToSave(IWindow* owner, const char* title, const char* suggested,
                          const char* filter, std::string& path) override;
    void ScriptFileToSave(const std::string& path) { m_saveFiles.push_back(path); }
    const std::string& GetLastSuggestedFile() const { return m_lastSuggested; }
    // The folder the last file question started in.
    const std::string& GetLastFileFolder() const { return m_lastFileFolder; }

    void ScriptAnswer(BoxResult answer) { m_answers.push_back(answer); }
    // Popup menus are recorded and answered from the commands scripted with
    // ScriptMenuChoice (none: dismissed). A scripted command that the menu
    // does not hold, or holds greyed, dismisses it too.
    int PopupMenu(IWindow* owner, const std::vector<MENU_ITEM>& menu, int x, int y) override;
    void ScriptMenuChoice(int commandId) { m_menuChoices.push_back(commandId); }
    const std::vector<POPUP_RECORD>& GetPopups() const { return m_popups; }
    // Makes the next window creations fail with error.
    void FailWindowCreation(const std::string& error) { m_creationError = error; }
    void SetWorkArea(const WINDOW_RECT& area) { m_workArea = area; }

    const std::vector<BOX_RECORD>& GetBoxes() const { return m_boxes; }
    // The windows made so far that still exist, oldest first.
    std::vector<CNullWindow*> GetWindows() const;
    // The document dialogs made so far that still exist, oldest first.
    std::vector<CNullDocumentDialog*> GetDocumentDialogs() const { return m_dialogs; }
    // The control dialog titled title that still exists, or null.
    CNullControlDialog* FindControlDialog(const std::string& title) const;

private:
    IEventLoop& m_loop;
    CNullJournal* m_journal;
    std::vector<BOX_RECORD> m_boxes;
    std::deque<BoxResult> m_answers;
    std::vector<POPUP_RECORD> m_popups;
    std::deque<int> m_menuChoices;
    std::deque<std::string> m_files;
    std::string m_lastFileFolder;
    std::deque<std::string> m_saveFiles;
    std::string m_lastSuggested;
    std::string m_creationError;
    WINDOW_RECT m_workArea{0, 0, 1280, 800};
    std::vector<CNullWindow*> m_windows;
    std::vector<CNullDocumentDialog*> m_dialogs;
    std::vector<CNullControlDialog*> m_controlDialogs;
};
