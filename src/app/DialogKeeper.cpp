#include "app/DialogKeeper.h"

#include <chrono>
#include <memory>
#include <vector>

#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "app/ContentFile.h"
#include "app/WindowPlacement.h"
#include "app/WindowRegistry.h"
#include "editors/MixerDlg.h"
#include "editors/ProgressDlg.h"
#include "foundation/ErrorReport.h"
#include "platform/Window.h"
#include "platform/WindowSystem.h"
#include "ui/TextDlg.h"

CDialogKeeper::CDialogKeeper(const PLATFORM& platform, CWindowRegistry& windows,
                             APP_SETTINGS& settings, IWindow& main)
    : m_platform(platform), m_windows(windows), m_settings(settings), m_main(main) {}

bool CDialogKeeper::CreateTextDialog(LessonReceiver receiver) {
    const TEXT_INFO& saved = m_settings.text;
    TEXT_PLACEMENT placement;
    placement.placed = IsPlaced(saved.rect);
    placement.rect = ToWindowRect(saved.rect);
    placement.visible = saved.visible != 0;
    placement.contentIndex = saved.contentIndex;
    placement.scrollPosition = saved.scrollPosition;
    auto dialog = std::make_unique<CTextDlg>(*m_platform.windowSystem, *m_platform.eventLoop);
    if (!dialog->CreateDialog(&m_main, placement)) {
        m_error.Format("Can't create Text dialog: %s", dialog->GetError());
        return false;
    }
    dialog->SetLessonReceiver(
        [receiver](const LESSON_SETTINGS& lesson, const DISPLAY_SETTINGS& display,
                   CCharString& reason) { return receiver && receiver(lesson, display, reason); });
    m_windows.Add(std::move(dialog));
    return true;
}

CTextDlg* CDialogKeeper::GetTextDialog() const {
    return m_windows.Find<CTextDlg>();
}

void CDialogKeeper::LoadContent(const APP_KIND& kind) {
    CTextDlg* dialog = GetTextDialog();
    if (dialog == nullptr) {
        return;
    }
    std::vector<TEXT_ENTRY> entries;
    for (const char* name : kind.contentFiles) {
        if (name == nullptr) {
            continue;
        }
        CContentFile content;
        if (!content.Load(CContentFile::MakePath(m_settings.tutorialsFolder, name))) {
            // Without its lessons the rest of the application still works;
            // the dialog says what is missing.
            ReportError(kSource, __LINE__, "%s", content.GetError());
            dialog->SetEntries({});
            dialog->ShowMessage(content.GetError());
            return;
        }
        for (const CONTENT_ENTRY& entry : content.GetEntries()) {
            entries.push_back(TEXT_ENTRY{entry.title, entry.path});
        }
    }
    dialog->SetEntries(entries);
}

bool CDialogKeeper::CreateMixerDialog(CMix& mix) {
    const WINDOW_INFO& saved = m_settings.mixer;
    MIXER_PLACEMENT placement;
    placement.placed = IsPlaced(saved.rect);
    placement.rect = ToWindowRect(saved.rect);
    placement.visible = saved.visible != 0;
    auto dialog = std::make_unique<CMixerDlg>(*m_platform.windowSystem, *m_platform.eventLoop, mix);
    if (!dialog->CreateDialog(&m_main, m_main.GetRect(), placement)) {
        m_error = dialog->GetError();
        return false;
    }
    m_windows.Add(std::move(dialog));
    return true;
}

CMixerDlg* CDialogKeeper::GetMixerDialog() const {
    return m_windows.Find<CMixerDlg>();
}

void CDialogKeeper::StorePlacements() {
    StoreTextPlacement();
    StoreMixerPlacement();
}

void CDialogKeeper::StoreTextPlacement() {
    const CTextDlg* dialog = GetTextDialog();
    if (dialog == nullptr) {
        return;
    }
    const TEXT_PLACEMENT placement = dialog->GetPlacement();
    TEXT_INFO& saved = m_settings.text;
    if (placement.placed) {
        saved.rect = ToSettingsRect(placement.rect);
    }
    saved.visible = placement.visible ? 1 : 0;
    saved.contentIndex = placement.contentIndex;
    saved.scrollPosition = placement.scrollPosition;
}

void CDialogKeeper::StoreMixerPlacement() {
    const CMixerDlg* dialog = GetMixerDialog();
    if (dialog == nullptr) {
        return;
    }
    const MIXER_PLACEMENT placement = dialog->GetPlacement();
    if (placement.placed) {
        m_settings.mixer.rect = ToSettingsRect(placement.rect);
    }
    m_settings.mixer.visible = placement.visible ? 1 : 0;
}

bool CDialogKeeper::ShowWindowOfType(int typeId) {
    CBaseWindow* window = m_windows.Find(typeId);
    if (window == nullptr) {
        m_error.Format("Can't find window %d to show", typeId);
        return false;
    }
    if (!window->Show(true)) {
        m_error.Format("Can't show window %d", typeId);
        return false;
    }
    if (IWindow* shown = window->GetWindow()) {
        CWindowPlacement::BringBack(*shown, m_main.GetRect(),
                                    m_platform.windowSystem->GetScreenAreas());
    }
    return true;
}

void CDialogKeeper::Arrange(IWindow* songEditor) {
    CTextDlg* lessons = GetTextDialog();
    if (lessons == nullptr || lessons->GetWindow() == nullptr) {
        return;
    }
    WINDOW_RECT picture;
    WINDOW_RECT text;
    const WINDOW_RECT area = m_platform.windowSystem->GetWorkArea();
    if (songEditor != nullptr && songEditor->IsVisible()) {
        WINDOW_RECT editor = songEditor->GetRect();
        CWindowPlacement::ArrangeAroundEditor(area, CTextDlg::kMinWidth, CTextDlg::kMinHeight,
                                              editor, picture, text);
        songEditor->SetRect(editor);
    } else {
        const int side = area.height > area.width ? CTextDlg::kMinHeight : CTextDlg::kMinWidth;
        CWindowPlacement::Arrange(area, side, picture, text);
    }
    m_main.SetRect(picture);
    lessons->GetWindow()->SetRect(text);
    lessons->Show(true);
    if (songEditor != nullptr && songEditor->IsVisible()) {
        songEditor->BringToFront();
    }
    lessons->GetWindow()->BringToFront();
}

bool CDialogKeeper::ShowProgress(CPracticeHistory* history) {
    CProgressDlg* dialog = m_windows.Find<CProgressDlg>();
    if (dialog == nullptr) {
        auto made = std::make_unique<CProgressDlg>(*m_platform.windowSystem, *m_platform.eventLoop);
        if (!made->CreateDialog(&m_main, m_main.GetRect(), PROGRESS_PLACEMENT())) {
            m_error.Format("Can't create Progress dialog: %s", made->GetError());
            return false;
        }
        dialog = m_windows.Add(std::move(made));
    }
    const double now =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    const bool painted =
        history != nullptr ? dialog->Refresh(*history, now) : dialog->Paint({}, {}, now);
    if (!painted) {
        ReportError(kSource, __LINE__, "%s", dialog->GetError());
    }
    return dialog->Show(true);
}
