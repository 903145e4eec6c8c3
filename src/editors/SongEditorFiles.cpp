#include <cstdio>
#include <ctime>
#include <filesystem>

#include "editors/GrooveInfoDlg.h"
#include "editors/SongEditorDlg.h"
#include "editors/SongEditorHost.h"
#include "editors/SongEditorLayout.h"
#include "foundation/FileInfo.h"
#include "foundation/Paths.h"
#include "songio/Composition.h"

namespace {

using L = CSongEditorLayout;

constexpr size_t kTimeStampChars = 64;

}  // namespace

CCharString CSongEditorDlg::MakeFileName(const char* songName, const char* extension,
                                         bool stamped) {
    CCharString name;
    if (!stamped) {
        name.Format("%s.%s", songName, extension);
        return name;
    }
    char stamp[kTimeStampChars] = "";
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, kTimeStampFormat, &local);
    name.Format("%s (%s).%s", songName, stamp, extension);
    return name;
}

void CSongEditorDlg::QuerySaveChanges(std::function<void()> next) {
    QuerySaveGroove([this, next]() { QuerySaveSong(next); });
}

void CSongEditorDlg::QuerySaveGroove(std::function<void()> next) {
    if (!m_grids.HasGroove() || !m_grids.IsChanged()) {
        if (next) {
            next();
        }
        return;
    }
    if (Box(kGrooveChanged, m_grids.GetName(), BoxButtons::kYesNo) == BoxResult::kNo) {
        m_grids.Show();  // the tracks as they were shown: the edits are gone
        RefreshGridViews();
        if (next) {
            next();
        }
        return;
    }
    SaveGroove(next);
}

// Saves the groove as "<grooves>/<style>/<name>.mid", asking first for a
// style or a name it lacks.
void CSongEditorDlg::SaveGroove(std::function<void()> next) {
    if (!m_grids.HasGroove()) {
        return;
    }
    if (m_grids.GetStyle().IsEmpty()) {
        AskText("Changed groove's style", "", [this, next](const CCharString& style) {
            m_grids.SetPlace(style, m_grids.GetName());
            SaveGroove(next);
            return true;
        });
        return;
    }
    if (m_grids.GetName().IsEmpty()) {
        AskText("Changed groove's name", "", [this, next](const CCharString& name) {
            m_grids.SetPlace(m_grids.GetStyle(), name);
            SaveGroove(next);
            return true;
        });
        return;
    }
    CCharString folder;
    folder.Format("%s/%s", m_host.GetGroovesFolder().GetText(), m_grids.GetStyle().GetText());
    std::error_code ignored;
    std::filesystem::create_directories(folder.GetText(), ignored);
    CCharString path;
    path.Format("%s/%s.mid", folder.GetText(), m_grids.GetName().GetText());
    if (!m_grids.Save(path)) {
        CCharString text;
        text.Format("Can't save groove: %s", m_grids.GetError());
        Box(text, L::kTitle);
        return;
    }
    FillStyles();
    m_styles.SelectByData(m_grids.GetStyle());
    FillGrooves();
    m_grooves.SelectByData(m_grids.GetName());
    if (next) {
        next();
    }
}

void CSongEditorDlg::QuerySaveSong(std::function<void()> next) {
    CComposition& song = m_host.GetSong();
    if (!song.IsModified() ||
        Box(kSongChanged, song.m_name, BoxButtons::kYesNo) == BoxResult::kNo) {
        if (next) {
            next();
        }
        return;
    }
    auto save = [this, next]() {
        m_host.RunCommand(L::kSaveSong);
        if (next) {
            next();
        }
    };
    if (!song.m_name.IsEmpty()) {
        save();
        return;
    }
    AskText("Changed song's name", "", [this, save](const CCharString& name) {
        m_host.GetSong().m_name = name;
        m_host.GetSong().m_info.name = name;
        save();
        return true;
    });
}

void CSongEditorDlg::NewGroove() {
    auto dialog = std::make_unique<CGrooveInfoDlg>(m_windowSystem, m_eventLoop);
    std::vector<CCharString> styles;
    for (int i = 0; i < m_styles.GetCount(); ++i) {
        styles.emplace_back(m_styles.GetData(i));
    }
    GROOVE_INFO info;
    m_styles.GetSelectionData(info.style);
    auto receiver = [this](const GROOVE_INFO& chosen) {
        if (!m_grids.MakeNew(chosen)) {
            Box(m_grids.GetError(), CGrooveInfoDlg::kTitle);
            return false;
        }
        m_tempo.SetReal(CGrooveGrids::kNewTempo, 0);
        RefreshGridViews();
        SaveGroove(nullptr);
        return true;
    };
    if (dialog->Ask(GetWindow(), styles, info, receiver)) {
        Keep(std::move(dialog));
    }
}

void CSongEditorDlg::DeleteGroove() {
    CCharString style;
    CCharString name;
    if (!m_styles.GetSelectionData(style) || !m_grooves.GetSelectionData(name)) {
        return;
    }
    if (Box(kDeleteGroove, name, BoxButtons::kYesNo) != BoxResult::kYes) {
        return;
    }
    CCharString path;
    path.Format("%s/%s/%s.mid", m_host.GetGroovesFolder().GetText(), style.GetText(),
                name.GetText());
    std::remove(path.GetText());
    m_grooves.Select(-1);
    FillStyles();
}

void CSongEditorDlg::DeleteLastMeasure() {
    if (!m_grids.HasGroove()) {
        return;
    }
    if (m_grids.GetMeasures() <= 1) {
        Box(kOnlyMeasure, kDeleteMeasureTitle);
        return;
    }
    if (Box(kDeleteMeasure, kDeleteMeasureTitle, BoxButtons::kYesNo) != BoxResult::kYes) {
        return;
    }
    if (!m_grids.DeleteLastMeasure()) {
        Box(m_grids.GetError(), kDeleteMeasureTitle);
    }
    RefreshGridViews();
}

// The song's name first: a song without one is asked for it.
void CSongEditorDlg::WithSongName(std::function<void()> next) {
    CComposition& song = m_host.GetSong();
    if (!song.m_name.IsEmpty()) {
        next();
        return;
    }
    AskText("Song's name", "", [this, next](const CCharString& name) {
        m_host.GetSong().m_name = name;
        m_host.GetSong().m_info.name = name;
        next();
        return true;
    });
}

bool CSongEditorDlg::ChooseExportPath(const char* extension, const char* filter,
                                      CCharString& folder, CCharString& path) {
    const CCharString name = MakeFileName(m_host.GetSong().m_name, extension, false);
    CCharString suggested;
    const size_t length = folder.GetLength();
    if (folder.IsEmpty()) {
        suggested = name;
    } else if (folder.GetText()[length - 1] == '/') {
        suggested.Format("%s%s", folder.GetText(), name.GetText());
    } else {
        suggested.Format("%s/%s", folder.GetText(), name.GetText());
    }
    std::string chosen;
    if (!m_windowSystem.ChooseFileToSave(GetWindow(), L::kTitle, suggested, filter, chosen)) {
        return false;
    }
    path = chosen.c_str();
    FILE_INFO info;
    if (!SplitPath(path, info)) {
        CCharString text;
        text.Format("Can't split path '%s'", path.GetText());
        Box(text, L::kTitle);
        return false;
    }
    folder = info.folder;
    return true;
}

bool CSongEditorDlg::ExportMidi() {
    WithSongName([this]() {
        CCharString path;
        if (!ChooseExportPath("mid", "*.mid", m_settings.midiFolder, path)) {
            return;
        }
        if (!m_host.GetSong().SaveMidi(path, m_host.GetMix())) {
            CCharString text;
            text.Format("Can't save song as MIDI: %s", m_host.GetSong().GetError());
            Box(text, L::kTitle);
        }
    });
    return true;
}

bool CSongEditorDlg::ExportWave() {
    WithSongName([this]() {
        CCharString path;
        if (!ChooseExportPath("wav", "*.wav", m_settings.waveFolder, path)) {
            return;
        }
        CCharString error;
        if (!m_host.SaveWave(path, GetRepeatCount(), error)) {
            CCharString text;
            text.Format("Can't save song as WAVE: %s", error.GetText());
            Box(text, L::kTitle);
        }
    });
    return true;
}
