#include "app/Center.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "app/AppSettings.h"
#include "app/ContentFile.h"
#include "app/MainWnd.h"
#include "app/Menus.h"
#include "foundation/CritLock.h"
#include "foundation/ErrorReport.h"
#include "foundation/LogFile.h"
#include "foundation/StringBreaker.h"
#include "midi/MidiKeyboard.h"
#include "midi/MidiPort.h"
#include "platform/GlDevice.h"
#include "platform/MidiIn.h"
#include "scene/SpacePainter.h"
#include "songs/Mix.h"
#include "theory/Note.h"
#include "theory/NoteManager.h"
#include "trainer/PianoNotes.h"
#include "ui/LessonSettings.h"
#include "ui/TextDlg.h"

// Steps marked SEAM(<subsystem>) are where the subsystems that are not built
// yet join the start-up and shutdown sequences, in the order they run.

#ifndef NOTARA_VERSION_MAJOR
#define NOTARA_VERSION_MAJOR 0
#define NOTARA_VERSION_MINOR 1
#endif

namespace {
constexpr size_t kHeapBytes = 0x100000;
constexpr int kListGrowStep = 50;
constexpr int kSongEditorType = 13;
}  // namespace

CCenter::CCenter(int kind, const char* commandLine, const PLATFORM& platform,
                 const START_OPTIONS& options)
    : m_commandLine(commandLine), m_kind(kind), m_platform(platform), m_options(options) {}

CCenter::~CCenter() {
    if (m_heap) {
        Close();
    }
    m_mainWindow.reset();
}

bool CCenter::ReportError(const char* source, int line, const char* format, ...) {
    CCharString message;
    va_list args;
    va_start(args, format);
    message.FormatV(format, args);
    va_end(args);
    return ::ReportError(source, line, "%s", message.GetText());
}

bool CCenter::Init() {
    // SEAM(platform): process priority and common controls need nothing here.
    m_heap = std::make_unique<CHeap>(kHeapBytes);
    m_windows = std::make_unique<CVarList<CBaseWindow*>>(kListGrowStep, m_heap.get());
    // SEAM(theory): the working note list, the instrument list and the THING
    // list are created here on the heap.
    m_noteManager = std::make_unique<CNoteManager>();
    // SEAM(songs, midi): CMix and CMidiKeyboard are created here.

    APP_KIND kind;
    if (!FindApplicationKind(m_kind, kind, m_error)) {
        return false;
    }
    m_title = kind.title;
    m_iconId = kind.iconId;
    m_menuId = kind.menuId;
    m_startInTray = kind.startInTray;

    // A false load only means that some settings keep their defaults.
    m_settings = std::make_unique<APP_SETTINGS>();
    m_settingsStore = m_platform.createSettingsStore ? m_platform.createSettingsStore() : nullptr;
    if (m_settingsStore) {
        m_settings->Load(*m_settingsStore, m_title, m_kind);
    } else {
        m_settings->SetProgramFolders();
    }
    m_firstRun = m_settings->mainWindow.rect.left == -1;

    m_mainWindow = std::make_unique<CMainWnd>(*this, *m_platform.windowSystem,
                                              *m_platform.eventLoop, m_options);
    if (!m_mainWindow->CreateMain(kind)) {
        m_error.Format("Can't create main window:\n%s", m_mainWindow->GetError());
        m_mainWindow.reset();
        return false;
    }
    return true;
}

bool CCenter::OpenLog() {
    m_logFile = std::make_unique<CLogFile>();
    if (!m_logFile->Open("", "")) {
        m_error.Format("Can't open log file: %s", m_logFile->GetError());
        ReportError(kSource, __LINE__, "%s", m_error.GetText());
        m_logFile.reset();
        return false;
    }
    m_logFile->Truncate();
    SetErrorLog(m_logFile.get());
    m_logFile->WriteLine("===== Initializing", true);
    return true;
}

bool CCenter::Startup() {
    if (m_kind == 1 && !OpenLog()) {
        return false;
    }
    // SEAM(theory): the 82-entry instrument table with the drum defaults.
    if (!m_noteManager->Init()) {
        m_error.Format("Can't initialize note manager: %s", m_noteManager->GetError());
        ReportError(kSource, __LINE__, "%s", m_error.GetText());
        return false;
    }
    // SEAM(midi): CMidiMapper reset to 0.0.
    // A damaged "Default.mix" is reported, the defaults are used, and the
    // file is kept as it is until the user saves a mix.
    m_mix = std::make_unique<CMix>();
    if (!m_mix->LoadOrDefaults(GetDefaultMixPath())) {
        ReportError(kSource, __LINE__, "%s", m_mix->GetError());
    }
    m_midiKeyboard = std::make_unique<CMidiKeyboard>();
    m_midiKeyboard->SetMix(m_mix.get());
    m_midiKeyboard->SetInstrument(m_kind == 10 || m_kind == 11 ? THING_KEYBOARD
                                                               : THING_LEAD_GUITAR);
    // SEAM(audio, capture, midi): CSound, CSoundCapture and CMidiPort are
    // created here and the devices opened; their failures are shown once in
    // the "Audio Device Error" box and never stop start-up.
    if (m_kind <= 5 || m_kind == 10 || m_kind == 11) {
        // SEAM(audio): the keyboard sound is switched on here.
        m_spacePainter = std::make_unique<CSpacePainter>();
    }
    // SEAM(songs): the composition generator for kinds 1-5.
    // SEAM(audio, scene): CGenerator and the animator.
    // SEAM(ui, editors): the Mixer and Lesson dialogs, the picture window
    // and the kind's other windows are created and listed here.
    if (!CreateTextDialog()) {
        return false;
    }
    // SEAM(ui): on a first run all windows are arranged.
    if (m_spacePainter && !StartScene()) {
        // The rest of the application works without its 3D picture.
        m_spacePainter.reset();
    }
    if (m_spacePainter) {
        m_spacePainter->SetKeyHandler([this](const KEY_EVENT& key) { return OnViewKey(key); });
    }
    OpenMidiInput();
    LoadContent();
    if (m_startInTray) {
        // SEAM(tray): the notification icon is added; the window stays hidden.
    } else {
        m_mainWindow->Show(true);
    }
    // SEAM(theory, audio): the default chord is made and handed to the sound.
    for (int i = 0; i < m_windows->GetCount(); ++i) {
        (*m_windows->GetAt(i))->Update();
    }
    m_showInitErrors = false;
    return true;
}

CCharString CCenter::GetDefaultMixPath() const {
    CCharString path;
    path.Format("%sDefault.mix", m_settings ? m_settings->soundFolder.GetText() : "");
    return path;
}

bool CCenter::OnViewKey(const KEY_EVENT& key) {
    return OnKeyAsNote(key) || (key.down && !key.repeat && OnCommandKey(key.key, key.flags));
}

bool CCenter::OnCommandKey(int key, int flags) {
    const bool control = (flags & kFlagControl) != 0;
    const bool alt = (flags & kFlagAlt) != 0;
    if (key == kKeyEnter && alt && m_spacePainter) {
        if (!m_spacePainter->ToggleFullScreen()) {
            m_error = m_spacePainter->GetError();
        }
        return true;
    }
    if (key == kKeyEscape && m_spacePainter && m_spacePainter->IsFullScreen()) {
        m_spacePainter->ToggleFullScreen();
        return true;
    }
    if (key == kKeyF1) {
        OnCommand(kCommandShowText);
        return true;
    }
    if (control && key == 'A' && m_spacePainter) {
        m_spacePainter->SetDirty();
        return true;
    }
    if (control && key == 'N' && m_spacePainter) {
        m_spacePainter->CreatePicture(0);
        return true;
    }
    // Ctrl with C, T, W, + and - goes on to the scene's own keys.
    return false;
}

bool CCenter::OnKeyAsNote(const KEY_EVENT& key) {
    if (!m_midiKeyboard || key.character == 0 || (key.flags & (kFlagControl | kFlagAlt)) != 0) {
        return false;
    }
    if (CMidiKeyboard::MapKey(key.character, m_midiKeyboard->GetInstrument()) == 0) {
        return false;
    }
    auto note = std::make_unique<CNote>();
    // A held key repeats its press and release; only the first press and the
    // real release are notes.
    if (key.repeat || !(key.down ? m_midiKeyboard->KeyDown(key.character, false, *note)
                                 : m_midiKeyboard->KeyUp(key.character, *note))) {
        return true;
    }
    OnNote(MakePayload(std::move(note)));
    return true;
}

void CCenter::OpenMidiInput() {
    if (!m_platform.createMidiIn || !m_mainWindow) {
        return;
    }
    m_midiIn = m_platform.createMidiIn();
    if (!m_midiIn) {
        return;
    }
    m_midiPort = std::make_unique<CMidiPort>(*m_midiIn);
    m_midiPort->PostTo(*m_platform.eventLoop, m_mainWindow->GetId());
    int port = m_settings ? m_settings->audio.midiInputPort : AUDIO_INFO::kNoMidiPort;
    std::vector<CCharString> names;
    m_midiPort->GetDeviceNames(names);
    if (port == AUDIO_INFO::kNoMidiPort) {
        // Nothing chosen yet: the first port that is not the system's
        // pass-through, so that a keyboard plugged in plays at once.
        for (size_t i = 0; i < names.size() && port == AUDIO_INFO::kNoMidiPort; ++i) {
            if (std::strstr(names[i].GetText(), "Through") == nullptr) {
                port = static_cast<int>(i);
            }
        }
    }
    if (port == AUDIO_INFO::kNoMidiPort) {
        return;
    }
    if (!m_midiPort->Open(port)) {
        // A device failure never stops start-up.
        ReportError(kSource, __LINE__, "Can't open MIDI input port %d: %s", port,
                    m_midiPort->GetError());
    }
}

void CCenter::OnMidiDeviceLost(std::unique_ptr<IPayload> payload) {
    const std::unique_ptr<CCharString> reason = TakePayload<CCharString>(payload);
    CCharString text;
    text.Format("The MIDI input device is gone: %s", reason ? reason->GetText() : "");
    ReportError(kSource, __LINE__, "%s", text.GetText());
    if (m_mainWindow) {
        m_platform.windowSystem->MessageBox(m_mainWindow->GetWindow(), text, "Audio Device Error",
                                            BoxIcon::kExclamation, BoxButtons::kOk);
    }
}

bool CCenter::StartScene() {
    std::string reason;
    IGlDevice* view = m_mainWindow->GetWindow()->GetGlView(reason);
    if (view == nullptr || !m_spacePainter->Init(view)) {
        m_error.Format("Can't initialize SpacePainter: %s",
                       view == nullptr ? reason.c_str() : m_spacePainter->GetError());
        ReportError(kSource, __LINE__, "%s", m_error.GetText());
        return false;
    }
    m_spacePainter->SetPictureFactory(
        CPianoNotes::kKind, [this](CSpacePainter& scene, CVertexBuffer& list) {
            CPrimitive* picture = CPianoNotes::Make(scene, list, *m_noteManager);
            // A rebuilt picture goes on with the lesson the learner chose.
            auto* pianoNotes = dynamic_cast<CPianoNotes*>(picture);
            if (pianoNotes != nullptr && m_lesson) {
                pianoNotes->SetLesson(m_lessonScale, m_lesson->startNote, m_lesson->endNote);
            }
            return picture;
        });
    m_pictureKind = (m_kind == 2 || m_kind == 3) ? 17 : 32;
    if (!m_spacePainter->CreatePicture(m_pictureKind)) {
        ReportError(kSource, __LINE__, "Can't create new picture in Space Painter: %s",
                    m_spacePainter->GetError());
        // Until the kind's picture exists the view shows the empty scene
        // with its statistics, so that it still tells what the device does.
        if (m_spacePainter->CreatePicture(18)) {
            m_spacePainter->ShowInfo(true);
        }
    }
    return true;
}

void CCenter::Close() {
    if (!m_heap) {
        return;
    }
    StoreTextPlacement();
    CloseAllWindows();
    if (m_midiPort) {
        m_midiPort->Close();
    }
    m_midiPort.reset();
    m_midiIn.reset();
    m_spacePainter.reset();
    m_noteManager.reset();
    if (m_mix && !m_mix->SaveUnlessDamaged(GetDefaultMixPath())) {
        ReportError(kSource, __LINE__, "%s", m_mix->GetError());
    }
    if (m_settingsStore && m_settings) {
        m_settings->Save(*m_settingsStore, m_title, m_kind);
    }
    // SEAM: the engines are deleted here in this order: painter, composition
    // generator, animator, sound engine (stopped first), capture, default
    // chord, CGenerator, CNoteManager, CMidiMapper, CMix, CMidiKeyboard,
    // CMidiPort.
    if (m_logFile) {
        m_logFile->WriteLine("===== Closing", true);
        SetErrorLog(nullptr);
        m_logFile->Close();
        m_logFile.reset();
    }
    m_settings.reset();
    m_settingsStore.reset();
    m_windows.reset();
    m_heap.reset();
}

bool CCenter::FindWindow(int typeId, CBaseWindow*& window) {
    window = nullptr;
    for (int i = 0; m_windows && i < m_windows->GetCount(); ++i) {
        CBaseWindow* candidate = *m_windows->GetAt(i);
        if (candidate->GetTypeId() == typeId) {
            window = candidate;
            return true;
        }
    }
    m_error.Format("Can't find open window %d", typeId);
    return false;
}

void CCenter::CloseAllWindows() {
    if (!m_windows) {
        return;
    }
    for (int i = 0; i < m_windows->GetCount(); ++i) {
        CBaseWindow* window = *m_windows->GetAt(i);
        window->Destroy(2);
        delete window;
    }
    m_windows->RemoveAll();
}

void CCenter::OnTimer(int timerId) {
    CCritLock lock(m_lock, "CCenter::OnTimer");
    // SEAM(audio, capture, scene): the tick goes to the sound engine, the
    // capture and the painter.
    if (timerId == CMainWnd::kSceneTimer) {
        if (m_spacePainter) {
            m_spacePainter->Step();
        }
        return;
    }
    if (timerId == CMainWnd::kFrameTimer) {
        // SEAM(songs): playing time limits; SEAM(scene): the animator step.
        StepFade();
    } else if (timerId == CMainWnd::kSecondTimer) {
        // SEAM(scene): marker blink; the animator's once-a-second work.
        if (m_logFile) {
            m_logFile->Flush();
        }
    }
    for (int i = 0; m_windows && i < m_windows->GetCount(); ++i) {
        (*m_windows->GetAt(i))->OnTimer(timerId);
    }
}

void CCenter::StepFade() {
    switch (m_fadeState) {
        case 3:
            m_fadeLevel -= m_fadeStep;
            if (m_fadeLevel <= 0.0f) {
                m_fadeLevel = 0.0f;
                m_fadeState = 2;
            }
            break;
        case 2:
            // SEAM(scene): CSpacePainter::CreatePicture(0) rebuilds the picture.
            m_fadeState = 1;
            break;
        case 1:
            m_fadeLevel += m_fadeStep;
            if (m_fadeLevel >= 1.0f) {
                m_fadeLevel = 1.0f;
                m_fadeState = 0;
            }
            break;
        default:
            return;
    }
    // SEAM(scene): the painter receives m_fadeLevel.
}

void CCenter::OnIdle() {
    // SEAM(scene): the painter renders a frame.
}

CPianoNotes* CCenter::GetPianoNotes() const {
    if (!m_spacePainter || m_spacePainter->GetCurrentKind() != CPianoNotes::kKind) {
        return nullptr;
    }
    return dynamic_cast<CPianoNotes*>(m_spacePainter->GetPicture());
}

void CCenter::OnNote(std::unique_ptr<IPayload> payload) {
    // The note is deleted when this returns, also when it is dropped.
    const std::unique_ptr<CNote> note = TakePayload<CNote>(payload);
    if (!note || note->midiNote >= NOTE_NONE) {
        return;
    }
    // SEAM(midi, audio): the MIDI mapper's check, the note manager's record
    // and the sound of computer-keyboard notes come here.
    if (m_spacePainter) {
        m_spacePainter->OnNote(*note, note->volume > 0.0f);
        if (CPianoNotes* pianoNotes = GetPianoNotes()) {
            pianoNotes->InputNote(*note);
        }
        m_spacePainter->SetDirty();
    }
}

bool CCenter::CreateTextDialog() {
    const TEXT_INFO& saved = m_settings->text;
    TEXT_PLACEMENT placement;
    placement.placed = IsPlaced(saved.rect);
    placement.rect = ToWindowRect(saved.rect);
    placement.visible = saved.visible != 0;
    placement.contentIndex = saved.contentIndex;
    placement.scrollPosition = saved.scrollPosition;
    auto dialog = std::make_unique<CTextDlg>(*m_platform.windowSystem, *m_platform.eventLoop);
    if (!dialog->CreateDialog(m_mainWindow->GetWindow(), placement)) {
        m_error.Format("Can't create Text dialog: %s", dialog->GetError());
        return false;
    }
    dialog->SetLessonReceiver(
        [this](const LESSON_SETTINGS& lesson, const DISPLAY_SETTINGS&, CCharString& reason) {
            const bool started = OnLesson(lesson);
            reason = m_error;
            return started;
        });
    if (!m_windows->Add(dialog.get())) {
        m_error = "Can't create Text dialog: the window list is full";
        return false;
    }
    dialog.release();  // the window list owns it now
    return true;
}

CTextDlg* CCenter::GetTextDialog() const {
    for (int i = 0; m_windows && i < m_windows->GetCount(); ++i) {
        CBaseWindow* window = *m_windows->GetAt(i);
        if (window->GetTypeId() == CTextDlg::kTypeId) {
            return static_cast<CTextDlg*>(window);
        }
    }
    return nullptr;
}

void CCenter::LoadContent() {
    CTextDlg* dialog = GetTextDialog();
    if (dialog == nullptr) {
        return;
    }
    std::vector<TEXT_ENTRY> entries;
    for (const char* name : CContentFile::GetContentNames(m_kind)) {
        CContentFile content;
        if (!content.Load(CContentFile::MakePath(m_settings->tutorialsFolder, name))) {
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

void CCenter::StoreTextPlacement() {
    const CTextDlg* dialog = GetTextDialog();
    if (!m_settings || dialog == nullptr) {
        return;
    }
    const TEXT_PLACEMENT placement = dialog->GetPlacement();
    TEXT_INFO& saved = m_settings->text;
    if (placement.placed) {
        saved.rect = ToSettingsRect(placement.rect);
    }
    saved.visible = placement.visible ? 1 : 0;
    saved.contentIndex = placement.contentIndex;
    saved.scrollPosition = placement.scrollPosition;
}

bool CCenter::OnLesson(const LESSON_SETTINGS& lesson) {
    int scale = 0;
    if (lesson.scale.IsEmpty()) {
        m_error = "the lesson names no scale";
        return false;
    }
    if (!CNoteManager::FindScale(lesson.scale, scale)) {
        m_error.Format("the scale \"%s\" is unknown", lesson.scale.GetText());
        return false;
    }
    constexpr int kUnset = LESSON_SETTINGS::kUnset;
    if (lesson.startNote == kUnset || lesson.endNote == kUnset) {
        m_error = "the lesson names no note range";
        return false;
    }
    if (lesson.startNote < 0 || lesson.endNote > 127 || lesson.startNote > lesson.endNote) {
        m_error.Format("the note range %d to %d is empty", lesson.startNote, lesson.endNote);
        return false;
    }
    // Without the note-reading picture there is nothing to teach yet; the
    // lesson is kept and given to the picture when it is built.
    CPianoNotes* pianoNotes = GetPianoNotes();
    if (pianoNotes != nullptr && !pianoNotes->SetLesson(scale, lesson.startNote, lesson.endNote)) {
        m_error = pianoNotes->GetError();
        return false;
    }
    m_lesson = std::make_unique<LESSON_SETTINGS>(lesson);
    m_lessonScale = scale;
    return true;
}

bool CCenter::OnCommand(int commandId) {
    CBaseWindow* window = nullptr;
    switch (commandId) {
        case kCommandNewSong:
        case kCommandOpenSong:
        case kCommandSaveSong:
        case kCommandSaveSongAs:
        case kCommandSaveSongToMidi:
        case kCommandSaveSongToWave:
        case kCommandNewGroove:
        case kCommandOpenGroove:
        case kCommandSaveGroove:
        case kCommandSaveGrooveAs:
            // Every song and groove command needs the Song Editor first.
            return FindWindow(kSongEditorType, window);
        case kCommandShowSong:
            return ShowWindowOfType(13);
        case kCommandShowMixer:
            return ShowWindowOfType(11);
        case kCommandShowPicture:
            return ShowWindowOfType(16);
        case kCommandShowColors:
            return ShowWindowOfType(5);
        case kCommandShowText:
            return ShowWindowOfType(9);
        case kCommandArrangeAll:
            // SEAM(ui): arranging needs the Mixer and the Text dialog.
            return true;
        case kCommandAudioSettings:
            // SEAM(editors): the audio settings dialog.
            return true;
        case kCommandAbout:
            ShowAbout();
            return true;
        default:
            return false;
    }
}

bool CCenter::ShowWindowOfType(int typeId) {
    CBaseWindow* window = nullptr;
    if (!FindWindow(typeId, window)) {
        m_error.Format("Can't find window %d to show", typeId);
        return false;
    }
    if (!window->Show(true)) {
        m_error.Format("Can't show window %d", typeId);
        return false;
    }
    // A window left off the main window (a screen that is gone) or shrunk
    // to nothing is brought back over the main window's centre.
    IWindow* shown = window->GetWindow();
    if (m_mainWindow && m_mainWindow->GetWindow() && shown != nullptr) {
        const WINDOW_RECT main = m_mainWindow->GetWindow()->GetRect();
        WINDOW_RECT rect = shown->GetRect();
        const bool meets = rect.left < main.left + main.width &&
                           main.left < rect.left + rect.width &&
                           rect.top < main.top + main.height && main.top < rect.top + rect.height;
        if (!meets || rect.width < 60 || rect.height < 60) {
            rect.left = std::max(0, main.left + (main.width - rect.width) / 2);
            rect.top = std::max(0, main.top + (main.height - rect.height) / 2);
            shown->SetRect(rect);
        }
    }
    return true;
}

void CCenter::ShowAbout() {
    CCharString text;
    text.Format("%s\nVersion %d.%d", m_title.GetText(), NOTARA_VERSION_MAJOR, NOTARA_VERSION_MINOR);
    m_platform.windowSystem->MessageBox(m_mainWindow ? m_mainWindow->GetWindow() : nullptr, text,
                                        "About", BoxIcon::kInformation, BoxButtons::kOk);
}

bool CCenter::GetCommandLineSong(const char* commandLine, CCharString& path) {
    path.Empty();
    if (commandLine == nullptr || *commandLine == '\0') {
        return false;
    }
    CStringBreaker words(commandLine);
    const char* first = words.Next(" ", CStringBreaker::kDelimiterRun);
    if (first == nullptr || strcasecmp(first, "SomeCommand") == 0) {
        return false;
    }
    const char* dot = std::strrchr(commandLine, '.');
    const char* slash = std::strrchr(commandLine, '/');
    if (dot == nullptr || (slash != nullptr && slash > dot)) {
        return false;
    }
    if (std::strcmp(dot, ".mid") != 0 && std::strcmp(dot, ".Song") != 0) {
        return false;
    }
    path = commandLine;
    return true;
}

bool CCenter::HandleCommandLine() {
    CCharString path;
    if (!GetCommandLineSong(m_commandLine, path)) {
        return false;
    }
    // SEAM(songs): playback stops and the song is loaded from path.
    m_error.Format("Can't load song: %s: songs can't be opened in this build", path.GetText());
    return false;
}
