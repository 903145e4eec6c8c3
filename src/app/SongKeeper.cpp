#include "app/SongKeeper.h"

#include <strings.h>

#include <filesystem>
#include <string>

#include "app/AppSettings.h"
#include "app/SongPlayer.h"
#include "app/WindowRegistry.h"
#include "audio/Sound.h"
#include "editors/SongEditorDlg.h"
#include "editors/SongEditorLayout.h"
#include "foundation/ErrorReport.h"
#include "platform/WindowSystem.h"
#include "songio/Composition.h"
#include "songs/Mix.h"
#include "ui/LessonSettings.h"

namespace {

using L = CSongEditorLayout;
constexpr const char* kSongFilter = "Songs (*.Song *.mid)";
constexpr const char* kMidiFilter = "MIDI songs (*.mid)";
constexpr const char* kGrooveFilter = "Grooves (*.mid)";

}  // namespace

CSongKeeper::CSongKeeper(const SERVICES& services) : m_services(services) {}

CSongKeeper::~CSongKeeper() = default;

bool CSongKeeper::Create(IWindow* owner) {
    m_owner = owner;
    // The sound engine is taken when a WAVE is rendered: devices open after
    // the editor is made, and may be opened again.
    m_song = std::make_unique<CComposition>(*m_services.notes, nullptr);
    m_song->SetGroovesFolder(GetGroovesFolder());
    auto editor =
        std::make_unique<CSongEditorDlg>(*m_services.windowSystem, *m_services.eventLoop, *this);
    // The exports start in the kind's MIDI and WAVE folders.
    SONG_EDITOR_SETTINGS settings;
    settings.midiFolder = m_services.settings->midiFolder;
    settings.waveFolder = m_services.settings->waveFolder;
    if (!editor->Open(owner, settings)) {
        m_error.Format("Can't create Song Editor: %s", editor->GetError());
        return false;
    }
    m_services.windows->Add(std::move(editor));
    return true;
}

CSongEditorDlg* CSongKeeper::GetEditor() const {
    return m_services.windows != nullptr ? m_services.windows->Find<CSongEditorDlg>() : nullptr;
}

void CSongKeeper::OnFrame() {
    const bool playing = IsPlaying();
    if (m_wasPlaying && !playing) {
        if (CSongEditorDlg* editor = GetEditor()) {
            editor->PlaybackEnded();
        }
    }
    m_wasPlaying = playing;
}

bool CSongKeeper::OnLesson(const LESSON_SETTINGS& lesson, const char* lessonsFolder,
                           CCharString& reason) {
    CSongEditorDlg* editor = GetEditor();
    if (editor == nullptr) {
        reason = "the Song Editor is not there";
        return false;
    }
    if (!lesson.file.IsEmpty()) {
        // Relative names are the course's own files.
        std::filesystem::path path(lesson.file.Str());
        if (path.is_relative()) {
            path = std::filesystem::path(lessonsFolder) / path;
        }
        if (!m_song->Open(path.string().c_str())) {
            reason = m_song->GetError();
            m_song->New();
            editor->SongChanged();
            return false;
        }
        editor->SongChanged();
    }
    editor->Show(true);
    const bool playSong = strcasecmp(lesson.play, "Song") == 0;
    const bool playGroove = strcasecmp(lesson.play, "Groove") == 0;
    if (!lesson.style.IsEmpty() || !lesson.groove.IsEmpty()) {
        CCharString path;
        path.Format("%s/%s/%s.mid", GetGroovesFolder().GetText(), lesson.style.GetText(),
                    lesson.groove.GetText());
        if (!std::filesystem::is_regular_file(path.Str())) {
            reason.Format("there is no groove \"%s\" of the style \"%s\"", lesson.groove.GetText(),
                          lesson.style.GetText());
            return false;
        }
        // A changed groove on the grids is offered for saving first.
        editor->OpenGroove(lesson.style, lesson.groove, playGroove);
    } else if (playGroove && !IsPlaying()) {
        editor->RunCommand(L::kPlayGroove);
    }
    if (playSong && !IsPlaying()) {
        editor->RunCommand(L::kPlaySong);
    }
    return true;
}

bool CSongKeeper::Play(const CNoteList& notes, double /*measureLength*/, double loopLength,
                       int repeatCount, CCharString& error) {
    if (m_services.player == nullptr || !m_services.player->Play(notes, loopLength, repeatCount)) {
        error = m_services.player != nullptr ? m_services.player->GetError() : "Can't play";
        return false;
    }
    m_wasPlaying = true;
    return true;
}

void CSongKeeper::Stop() {
    if (m_services.player != nullptr) {
        m_services.player->Stop();
    }
    m_wasPlaying = false;
}

bool CSongKeeper::IsPlaying() const {
    return m_services.player != nullptr && m_services.player->IsPlaying();
}

bool CSongKeeper::Record(const CNoteList&, const RECORD_REQUEST&, CCharString& error) {
    error = "Can't record yet: takes join the Song Editor in a later version";
    return false;
}

bool CSongKeeper::SaveWave(const char* path, int repeatCount, CCharString& error) {
    const CMix* mix = m_services.mix();
    if (mix == nullptr) {
        error = "Can't save song as WAVE: there is no mix";
        return false;
    }
    m_song->m_info.repeat = repeatCount;
    m_song->SetSound(m_services.sound());
    const bool saved = m_song->SaveWave(path, *mix, false);
    m_song->SetSound(nullptr);  // no engine is kept past its use
    if (!saved) {
        error = m_song->GetError();
        return false;
    }
    return true;
}

void CSongKeeper::RunCommand(int commandId) {
    switch (commandId) {
        case L::kNewSong:
            m_song->New();
            break;
        case L::kOpenSong:
            OpenSong();
            break;
        case L::kSaveSong:
            SaveSong(false);
            break;
        case L::kSaveSongAs:
            SaveSong(true);
            break;
        case L::kOpenGroove:
            OpenGroove();
            break;
        case L::kMixer:
            if (m_services.showMixer) {
                m_services.showMixer();
            }
            break;
        default:
            break;
    }
}

void CSongKeeper::OpenSong() {
    std::string path;
    if (!m_services.windowSystem->ChooseFileToOpen(
            m_owner, "Open song", m_services.settings->songPath, kSongFilter, path)) {
        return;
    }
    if (!m_song->Open(path.c_str())) {
        // The song's reason says what could not be opened.
        const CCharString message = m_song->GetError();
        m_song->New();  // a song half read is no song to edit
        Tell(message, "Open song");
    }
}

// Songs are kept as MIDI files with their parts and chords as markers, which
// open again as they were.
void CSongKeeper::SaveSong(bool askName) {
    const std::string current = m_song->GetFileName();
    std::string path = current;
    const bool midi = std::filesystem::path(current).extension() == ".mid";
    // A shipped song (the course's example) is saved as a song of the user's.
    const CCharString& shippedFolder = m_services.settings->tutorialsFolder;
    const bool shipped = !shippedFolder.IsEmpty() && current.rfind(shippedFolder.Str(), 0) == 0;
    if (askName || current.empty() || !midi || shipped) {
        const std::string suggested =
            std::string(m_services.settings->songPath.GetText()) +
            (current.empty()
                 ? "Song.mid"
                 : std::filesystem::path(current).replace_extension(".mid").filename().string());
        if (!m_services.windowSystem->ChooseFileToSave(m_owner, "Save song as", suggested.c_str(),
                                                       kMidiFilter, path)) {
            return;
        }
    }
    const CMix* mix = m_services.mix();
    if (mix == nullptr || !m_song->SaveMidi(path.c_str(), *mix)) {
        CCharString message;
        message.Format("Can't save song: %s",
                       mix == nullptr ? "there is no mix" : m_song->GetError());
        Tell(message, "Save song");
    }
}

void CSongKeeper::OpenGroove() {
    std::string path;
    if (!m_services.windowSystem->ChooseFileToOpen(m_owner, "Open groove", GetGroovesFolder(),
                                                   kGrooveFilter, path)) {
        return;
    }
    // "<grooves>/<style>/<name>.mid"
    const std::filesystem::path file(path);
    const std::string style = file.parent_path().filename().string();
    const std::string name = file.stem().string();
    CSongEditorDlg* editor = GetEditor();
    const std::filesystem::path expected =
        std::filesystem::path(GetGroovesFolder().Str()) / style / (name + ".mid");
    std::error_code error;
    if (!std::filesystem::equivalent(expected, file, error)) {
        CCharString message;
        message.Format("Can't open groove '%s': it is not in a style folder of '%s'", path.c_str(),
                       GetGroovesFolder().GetText());
        Tell(message, "Open groove");
        return;
    }
    if (editor != nullptr) {
        editor->OpenGroove(style.c_str(), name.c_str(), false);
    }
}

void CSongKeeper::Tell(const char* message, const char* title) {
    ReportError(kSource, __LINE__, "%s", message);
    m_services.windowSystem->MessageBox(m_owner, message, title, BoxIcon::kExclamation,
                                        BoxButtons::kOk);
}

CCharString CSongKeeper::GetGroovesFolder() const {
    return m_services.settings->grooveRoot;
}

CCharString CSongKeeper::GetTempFolder() const {
    return m_services.settings->tempFolder;
}

float CSongKeeper::GetMasterVolume() const {
    const CSound* sound = m_services.sound();
    return sound != nullptr ? sound->GetVolume() : 1.0f;
}

void CSongKeeper::SetMasterVolume(float volume) {
    if (CSound* sound = m_services.sound()) {
        sound->SetVolume(volume);
    }
}
