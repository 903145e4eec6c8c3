#pragma once

#include <functional>

#include "foundation/CharString.h"
#include "platform/Platform.h"

struct APP_KIND;
struct APP_SETTINGS;
struct DISPLAY_SETTINGS;
struct LESSON_SETTINGS;
class CMix;
class CMixerDlg;
class CPracticeHistory;
class CTextDlg;
class CWindowRegistry;
class IWindow;

// The application's free-standing dialogs: makes the Text (lessons) dialog,
// the Mixer and the Progress window, places them where the settings say,
// keeps their placement back in the settings at close, fills the lesson
// list from the kind's content files, and shows, brings back or arranges
// them beside the main window.
class CDialogKeeper {
public:
    static constexpr const char* kSource = "Dialogs";
    // A lesson button was clicked: true when its lesson started, else false
    // with the reason.
    using LessonReceiver =
        std::function<bool(const LESSON_SETTINGS&, const DISPLAY_SETTINGS&, CCharString& reason)>;

    // Everything given must outlive the keeper; main is the main window.
    CDialogKeeper(const PLATFORM& platform, CWindowRegistry& windows, APP_SETTINGS& settings,
                  IWindow& main);

    bool CreateTextDialog(LessonReceiver receiver);
    // Without the mixer the rest of the application works: false with the
    // reason in GetError.
    bool CreateMixerDialog(CMix& mix);
    // The lesson list of the kind's content files; a file that can't be
    // read is reported and told in the dialog.
    void LoadContent(const APP_KIND& kind);
    // Keeps the dialogs' places in the settings.
    void StorePlacements();

    // Shows the window of typeId, brought back beside the main window.
    bool ShowWindowOfType(int typeId);
    // The picture and the lessons side by side on the work area.
    // The picture beside the lessons; with the groove kind's Song Editor
    // (its window, when shown) the editor first, at the top left.
    void Arrange(IWindow* songEditor = nullptr);
    // Show > Progress: the history's days and notes (none: empty pictures).
    bool ShowProgress(CPracticeHistory* history);

    CTextDlg* GetTextDialog() const;
    CMixerDlg* GetMixerDialog() const;
    const char* GetError() const { return m_error; }

private:
    void StoreTextPlacement();
    void StoreMixerPlacement();

    PLATFORM m_platform;
    CWindowRegistry& m_windows;
    APP_SETTINGS& m_settings;
    IWindow& m_main;
    CCharString m_error;
};
