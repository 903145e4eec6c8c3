#include "app/SongKeeper.h"

#include <strings.h>

#include <filesystem>
#include <string>

#include "app/AppSettings.h"
#include "app/SongPlayer.h"
#include "app/SongRecovery.h"
#include "app/SongTake.h"
#include "app/WindowRegistry.h"
#include "audio/Sound.h"
#include "editors/SongEditorDlg.h"
#include "editors/SongEditorLayout.h"
#include "foundation/ErrorReport.h"
#include "platform/Clock.h"
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

CSongKeeper::CSongKeeper(const SERVICES& services)
    : m_services(services), m_take(std::make_unique<CSongTake>()) {}

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
    if (CSongEditorDlg* editor = GetEditor(); editor != nullptr && m_services.player != nullptr) {
        editor->ShowPlayTime(
            playing ? Platform::GetClock().GetSeconds() - m_services.player->GetStartTime() : -1.0);
    }
    if (m_wasPlaying && !playing) {
        FinishTake();
        if (CSongEditorDlg* editor = GetEditor()) {
            editor->PlaybackEnded();
        }
    }
    m_wasPlaying = playing;
}

bool CSongKeeper::OnLesson(const LESSON_SETTINGS& lesson, const DISPLAY_SETTINGS& display,
                           const char* lessonsFolder, CCharString& reason) {
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
    if (display.showNotesGiven) {
        editor->ShowNoteNames(display.showNotes);
    }
    const bool playSong = strcasecmp(lesson.play, "Song") == 0;
    const bool playGroove = strcasecmp(lesson.play, "Groove") == 0;
    const bool hasTempo = lesson.tempo != LESSON_SETTINGS().tempo;
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
        editor->OpenGroove(lesson.style, lesson.groove, playGroove && !hasTempo);
    }
    if (hasTempo && playGroove && IsPlaying()) {
        // What plays starts again at the new tempo.
        Stop();
        editor->PlaybackEnded();
    }
    if (hasTempo) {
        // The course's tempo is a way to hear the groove, not an edit of it.
        const bool changed = editor->GetGrids().IsChanged();
        if (!editor->SetTempo(lesson.tempo)) {
            reason = editor->GetError();
            return false;
        }
        if (!changed) {
            editor->GetGrids().ClearChanged();
        }
    }
    if (playGroove && !IsPlaying()) {
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
    FinishTake();
    m_wasPlaying = false;
}

bool CSongKeeper::IsPlaying() const {
    return m_services.player != nullptr && m_services.player->IsPlaying();
}

bool CSongKeeper::Record(const CNoteList& notes, const RECORD_REQUEST& request,
                         CCharString& error) {
    CSoundCapture* capture = m_services.capture ? m_services.capture() : nullptr;
    if (capture == nullptr || m_services.player == nullptr) {
        error =
            "Can't record: the microphone is off. Turn on Settings > Microphone input and "
            "record again.";
        return false;
    }
    Stop();
    CSongTake::SERVICES take;
    take.capture = capture;
    take.player = m_services.player;
    take.router = m_services.router;
    take.liveMethod = m_services.pitchMethod ? m_services.pitchMethod() : 0;
    take.tempFolder = GetTempFolder().Str();
    take.sink = [this](int thing, const CNote& note, CCharString& reason) {
        CSongEditorDlg* editor = GetEditor();
        if (editor == nullptr || !editor->AddTakeNote(thing, note)) {
            reason = editor != nullptr ? editor->GetError() : "the Song Editor is not there";
            return false;
        }
        return true;
    };
    std::error_code ignored;
    std::filesystem::create_directories(take.tempFolder, ignored);
    if (!m_take->Start(notes, request, take, error)) {
        return false;
    }
    m_wasPlaying = true;
    return true;
}

void CSongKeeper::FinishTake() {
    if (!m_take->IsRunning()) {
        return;
    }
    std::string mixed;
    CCharString error;
    if (!m_take->Finish(mixed, error)) {
        Tell(error, L::kTitle);
        return;
    }
    if (!mixed.empty()) {
        SaveFileAs(mixed, std::filesystem::path(m_take->GetRecordName().Str()).filename().string());
    }
}

bool CSongKeeper::SaveFileAs(const std::string& source, const std::string& suggestedName) {
    APP_SETTINGS& settings = *m_services.settings;
    std::string suggested = std::string(settings.waveFolder.GetText()) + suggestedName;
    for (;;) {
        std::string path;
        if (!m_services.windowSystem->ChooseFileToSave(m_owner, "Save the take", suggested.c_str(),
                                                       "WAVE files (*.wav)", path)) {
            std::error_code ignored;
            std::filesystem::remove(source, ignored);
            return false;
        }
        suggested = path;
        std::error_code error;
        if (std::filesystem::exists(path, error) &&
            m_services.windowSystem->MessageBox(
                m_owner, "Another file with this name already exists.\nDo you want to overwrite?",
                "Save File", BoxIcon::kQuestion, BoxButtons::kYesNo) == BoxResult::kNo) {
            continue;
        }
        std::filesystem::rename(source, path, error);
        if (error) {
            // Another file system: copied, then the source goes.
            error.clear();
            std::filesystem::copy_file(source, path,
                                       std::filesystem::copy_options::overwrite_existing, error);
            if (!error) {
                std::filesystem::remove(source, error);
                error.clear();
            }
        }
        if (error) {
            m_services.windowSystem->MessageBox(m_owner,
                                                "Can not save the file.\nTry another name.",
                                                "Save File", BoxIcon::kError, BoxButtons::kOk);
            continue;
        }
        settings.waveFolder = (std::filesystem::path(path).parent_path() / "").string().c_str();
        return true;
    }
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
        return;
    }
    RememberSongFolder(path);
}

// The folder of the song opened or saved last is where the next opens.
void CSongKeeper::RememberSongFolder(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) {
        m_services.settings->songPath = (folder / "").string().c_str();
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
        return;
    }
    // The song is the saved file from now on, unchanged.
    m_song->SetFileName(path.c_str(), false);
    RememberSongFolder(path);
}

void CSongKeeper::QueryClose(std::function<void()> proceed) {
    CSongEditorDlg* editor = GetEditor();
    if (editor == nullptr) {
        proceed();
        return;
    }
    editor->QuerySaveChanges([this, proceed]() {
        m_closeAnswered = true;
        proceed();
    });
}

void CSongKeeper::KeepUnsaved() {
    CSongEditorDlg* editor = GetEditor();
    const CMix* mix = m_services.mix();
    if (m_closeAnswered || editor == nullptr || mix == nullptr || m_services.keepFolder.empty()) {
        return;
    }
    CSongRecovery recovery(m_services.keepFolder);
    if (!recovery.Keep(*m_song, *mix, editor->GetGrids())) {
        ReportError(kSource, __LINE__, "%s", recovery.GetError());
    }
}

void CSongKeeper::OfferRecovery() {
    CSongEditorDlg* editor = GetEditor();
    if (editor == nullptr || m_services.keepFolder.empty()) {
        return;
    }
    CSongRecovery recovery(m_services.keepFolder);
    CSongRecovery::KEPT kept;
    if (!recovery.Find(kept)) {
        recovery.Discard();  // an index without its copies is no use
        return;
    }
    const BoxResult answer = m_services.windowSystem->MessageBox(
        m_owner, CSongRecovery::Describe(kept, m_services.title), m_services.title,
        BoxIcon::kQuestion, BoxButtons::kYesNo);
    if (answer == BoxResult::kYes) {
        if (kept.song && !recovery.RestoreSong(kept, *m_song)) {
            Tell(recovery.GetError(), m_services.title);
        }
        editor->SongChanged();
        if (kept.groove) {
            editor->RestoreGroove(recovery.GetGroovePath().c_str(), kept.grooveStyle.c_str(),
                                  kept.grooveName.c_str());
        }
        editor->Show(true);
    }
    recovery.Discard();
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
