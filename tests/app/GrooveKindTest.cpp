// The groove kind on the null platform: its Song Editor is made at the
// start and shown at the first one, its menu's song commands reach it, and
// a file that is no song is told and leaves an empty song to edit.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "TempFolder.h"
#include "app/AppSettings.h"
#include "app/Center.h"
#include "app/MainWnd.h"
#include "app/Menus.h"
#include "app/SongKeeper.h"
#include "app/SongRecovery.h"
#include "audio/SoundFile.h"
#include "audio/SoundInfo.h"
#include "capture/SoundCapture.h"
#include "editors/GridPicture.h"
#include "editors/SongEditorDlg.h"
#include "editors/SongEditorLayout.h"
#include "grids/NoteGrid.h"
#include "platform/null/NullAudioIn.h"
#include "platform/null/NullAudioOut.h"
#include "platform/null/NullBackend.h"
#include "platform/null/NullControlDialog.h"
#include "songio/Composition.h"
#include "ui/LessonSettings.h"

namespace {

constexpr int kGrooveKind = 3;

std::unique_ptr<CCenter> StartGrooveKind(CNullBackend& backend) {
    auto center = std::make_unique<CCenter>(kGrooveKind, "", backend.GetPlatform());
    if (!center->Init()) {
        ADD_FAILURE() << center->GetError();
        return nullptr;
    }
    backend.GetEventLoop().ProcessMessages();  // the start message
    return center;
}

TEST(GrooveKind, TheSongEditorIsMadeAtTheStartAndShownAtTheFirst) {
    CNullBackend backend;
    auto center = StartGrooveKind(backend);
    ASSERT_TRUE(center);
    ASSERT_NE(center->GetSongs(), nullptr) << "the groove kind has no song keeper";
    CSongEditorDlg* editor = center->GetSongs()->GetEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(editor->GetWindow(), nullptr);
    EXPECT_TRUE(editor->GetWindow()->IsVisible()) << "a first start hides the editor";
    // The first start puts the editor first, at the top left, the picture
    // to its right.
    const WINDOW_RECT area = backend.GetWindowSystem().GetWorkArea();
    const WINDOW_RECT placed = editor->GetWindow()->GetRect();
    EXPECT_EQ(placed.left, area.left);
    EXPECT_EQ(placed.top, area.top);
    EXPECT_GE(center->GetMainWindow()->GetWindow()->GetRect().left, placed.left + 1);
    editor->Show(false);
    ASSERT_TRUE(center->OnCommand(kCommandShowSong));
    EXPECT_TRUE(editor->GetWindow()->IsVisible());
    EXPECT_FALSE(center->GetSongs()->IsPlaying());
}

TEST(GrooveKind, ASongCommandOfTheMenuReachesTheEditorAndABadFileIsTold) {
    CNullBackend backend;
    auto center = StartGrooveKind(backend);
    ASSERT_TRUE(center);
    ASSERT_NE(center->GetSongs(), nullptr);
    const CTempFolder folder("groove-kind");
    const std::string path = folder.Path("not a song.mid");
    std::ofstream(path) << "this is text";
    backend.GetWindowSystem().ScriptFileToOpen(path);
    const size_t boxes = backend.GetWindowSystem().GetBoxes().size();
    ASSERT_TRUE(center->OnCommand(kCommandOpenSong));
    ASSERT_GT(backend.GetWindowSystem().GetBoxes().size(), boxes) << "the bad file was not told";
    EXPECT_EQ(backend.GetWindowSystem().GetBoxes().back().text.rfind("Can't open song file (", 0),
              0u)
        << backend.GetWindowSystem().GetBoxes().back().text;
    EXPECT_STREQ(center->GetSongs()->GetSong().GetFileName(), "") << "a half-read song stays";
    ASSERT_TRUE(center->OnCommand(kCommandNewSong));
    EXPECT_STREQ(center->GetSongs()->GetSong().GetFileName(), "");
}

// A course button shows the groove it names (the one on the grids offered
// for saving first) and plays it; a groove that is not there is told.
TEST(GrooveKind, ALessonButtonShowsAndPlaysItsGrooveAndAMissingOneIsTold) {
    CNullBackend backend;
    backend.EnableSound(CNullAudioOut::Clock::kStepped);
    auto center = std::make_unique<CCenter>(kGrooveKind, "", backend.GetPlatform());
    ASSERT_TRUE(center->Init()) << center->GetError();
    center->GetSettings()->grooveRoot = NOTARA_BINARY_DIR "/Grooves/";
    backend.GetEventLoop().ProcessMessages();
    ASSERT_NE(center->GetSongs(), nullptr);
    LESSON_SETTINGS lesson;
    DISPLAY_SETTINGS display;
    CCharString reason;
    ASSERT_TRUE(ParseActionParameters("Style=Rock|Groove=Straight Eight|Play=Groove", lesson,
                                      display, reason));
    ASSERT_TRUE(center->GetSongs()->OnLesson(lesson, display, "", reason)) << reason;
    CSongEditorDlg* editor = center->GetSongs()->GetEditor();
    EXPECT_TRUE(editor->GetGrids().HasGroove());
    EXPECT_EQ(editor->GetGrids().GetName(), "Straight Eight");
    ASSERT_TRUE(ParseActionParameters("Style=Rock|Groove=Polka", lesson, display, reason));
    EXPECT_FALSE(center->GetSongs()->OnLesson(lesson, display, "", reason));
    EXPECT_EQ(reason, "there is no groove \"Polka\" of the style \"Rock\"");
    EXPECT_EQ(editor->GetGrids().GetName(), "Straight Eight") << "the groove on show went";
}

// The song renders as WAVE through the sound engine that is open when the
// export runs, not the one (or none) there was when the editor was made.
TEST(GrooveKind, ASongExportsAsWaveThroughTheSoundEngineOpenNow) {
    CNullBackend backend;
    backend.EnableSound(CNullAudioOut::Clock::kStepped);
    auto center = std::make_unique<CCenter>(kGrooveKind, "", backend.GetPlatform());
    ASSERT_TRUE(center->Init()) << center->GetError();
    center->GetSettings()->grooveRoot = NOTARA_BINARY_DIR "/Grooves/";
    center->GetSettings()->soundFolder = NOTARA_BINARY_DIR "/Sound/";
    backend.GetEventLoop().ProcessMessages();
    ASSERT_NE(center->GetSongs(), nullptr);
    ASSERT_NE(center->GetSound(), nullptr);
    CComposition& song = center->GetSongs()->GetSong();
    ASSERT_TRUE(song.Open(NOTARA_BINARY_DIR "/Tutorials/Grooves/Songs/Example Song.Song"))
        << song.GetError();
    const CTempFolder folder("groove-kind-wave");
    const std::string wave = folder.Path("Example Song.wav");
    CCharString error;
    EXPECT_TRUE(center->GetSongs()->SaveWave(wave.c_str(), 1, error)) << error;
    EXPECT_TRUE(std::ifstream(wave).good());
}

// Starts the groove kind with the shipped grooves and lets the start run
// (the questions at the start take the answers scripted before).
// Changes an earlier test left are dropped unless kept is set.
std::unique_ptr<CCenter> StartWithGrooves(CNullBackend& backend, bool kept = false) {
    auto center = std::make_unique<CCenter>(kGrooveKind, "", backend.GetPlatform());
    if (!center->Init()) {
        ADD_FAILURE() << center->GetError();
        return nullptr;
    }
    if (!kept) {
        CSongRecovery(center->GetUserFolder()).Discard();
    }
    center->GetSettings()->grooveRoot = NOTARA_BINARY_DIR "/Grooves/";
    center->GetSettings()->soundFolder = NOTARA_BINARY_DIR "/Sound/";
    backend.GetEventLoop().ProcessMessages();
    if (center->GetSongs() == nullptr) {
        ADD_FAILURE() << "the groove kind has no song keeper";
        return nullptr;
    }
    return center;
}

size_t CountBoxesStarting(CNullBackend& backend, const std::string& start) {
    size_t count = 0;
    for (const BOX_RECORD& box : backend.GetWindowSystem().GetBoxes()) {
        count += box.text.rfind(start, 0) == 0 ? 1 : 0;
    }
    return count;
}

// The program ended by the system (logout, a signal) with a changed song
// and groove asks nothing and keeps both; the next start offers them once:
// taken back they are changed again under their own names; a user's close
// that answers No keeps nothing for a third start.
TEST(GrooveKind, ChangesLeftAtAnEndWithoutQuestionsAreOfferedOnceAtTheNextStart) {
    constexpr const char* kOffer = "Rumblo ended last time with changes";
    CNullBackend backend;
    std::string folder;
    int measures = 0;
    {
        auto center = StartWithGrooves(backend);
        ASSERT_TRUE(center);
        folder = center->GetSettings()->dataFolder.Str();
        CSongEditorDlg& editor = *center->GetSongs()->GetEditor();
        ASSERT_TRUE(editor.SelectGroove("Rock", "Straight Eight"));
        measures = editor.GetGrids().GetMeasures();
        ASSERT_TRUE(editor.GetGrids().AddMeasure()) << editor.GetGrids().GetError();
        ASSERT_EQ(editor.GetGrids().GetMeasures(), measures + 1);
        CComposition& song = center->GetSongs()->GetSong();
        ASSERT_TRUE(song.Open(NOTARA_BINARY_DIR "/Tutorials/Grooves/Songs/Example Song.Song"))
            << song.GetError();
        song.m_name = "Sketch";
        song.SetModified();
        const size_t boxes = backend.GetWindowSystem().GetBoxes().size();
        center->GetMainWindow()->EndNow();
        backend.GetEventLoop().ProcessMessages();
        EXPECT_EQ(backend.GetWindowSystem().GetBoxes().size(), boxes) << "the end asked";
    }
    const std::filesystem::path kept = std::filesystem::path(folder) / CSongRecovery::kFolderName;
    ASSERT_TRUE(std::filesystem::exists(kept / CSongRecovery::kIndexName));
    EXPECT_TRUE(std::filesystem::exists(kept / CSongRecovery::kSongName));
    EXPECT_TRUE(std::filesystem::exists(kept / CSongRecovery::kGrooveName));

    // The next start: offered, taken back.
    backend.GetWindowSystem().ScriptAnswer(BoxResult::kYes);
    {
        auto center = StartWithGrooves(backend, true);
        ASSERT_TRUE(center);
        ASSERT_EQ(CountBoxesStarting(backend, kOffer), 1u);
        const std::string offer = backend.GetWindowSystem().GetBoxes().back().text;
        EXPECT_NE(offer.find("the song \"Sketch\""), std::string::npos) << offer;
        EXPECT_NE(offer.find("the groove \"Straight Eight\" of the style \"Rock\""),
                  std::string::npos)
            << offer;
        EXPECT_FALSE(std::filesystem::exists(kept / CSongRecovery::kIndexName))
            << "the copies stay after they were offered";
        CComposition& song = center->GetSongs()->GetSong();
        EXPECT_EQ(song.m_name, "Sketch");
        EXPECT_TRUE(song.IsModified());
        EXPECT_STREQ(song.GetFileName(),
                     NOTARA_BINARY_DIR "/Tutorials/Grooves/Songs/Example Song.Song");
        CGrooveGrids& grids = center->GetSongs()->GetEditor()->GetGrids();
        EXPECT_EQ(grids.GetName(), "Straight Eight");
        EXPECT_EQ(grids.GetStyle(), "Rock");
        EXPECT_TRUE(grids.IsChanged());
        EXPECT_EQ(grids.GetMeasures(), measures + 1);
        // The user closes and drops both changes.
        backend.GetWindowSystem().ScriptAnswer(BoxResult::kNo);
        backend.GetWindowSystem().ScriptAnswer(BoxResult::kNo);
        static_cast<IWindowHandler*>(center->GetMainWindow())->OnCloseRequest();
        backend.GetEventLoop().ProcessMessages();
        EXPECT_FALSE(center->GetMainWindow()->Exists()) << "the close did not end the program";
    }
    EXPECT_FALSE(std::filesystem::exists(kept / CSongRecovery::kIndexName))
        << "changes the user dropped were kept";
    {
        auto center = StartWithGrooves(backend, true);
        ASSERT_TRUE(center);
        EXPECT_EQ(CountBoxesStarting(backend, kOffer), 1u) << "offered twice";
    }
}

// A piano note heard at a time of a take.
struct HEARD_NOTE {
    const char* sample;  // below the build's Sound/Piano folder
    double time;
};

// Writes what the microphone hears: silence of seconds with the first
// kHold seconds of each note's sample at its time.
bool WriteHeard(const std::string& path, double seconds, const std::vector<HEARD_NOTE>& notes) {
    constexpr double kHold = 0.4;
    std::vector<int16_t> values;
    WAVE_FORMAT format;
    for (const HEARD_NOTE& heard : notes) {
        CSoundInfo sample;
        const std::string samplePath =
            std::string(NOTARA_BINARY_DIR "/Sound/Piano/") + heard.sample;
        if (!CSoundFile().ReadInfo(samplePath.c_str(), sample) || sample.format.channels != 1 ||
            sample.format.bitsPerSample != 16) {
            return false;
        }
        format = sample.format;
        const double rate = format.samplesPerSecond;
        values.resize(static_cast<size_t>(seconds * rate), 0);
        const size_t from = static_cast<size_t>(heard.time * rate);
        const size_t count =
            std::min<size_t>(sample.GetSize() / 2, static_cast<size_t>(kHold * rate));
        for (size_t i = 0; i < count && from + i < values.size(); ++i) {
            values[from + i] = sample.GetValues()[i];
        }
    }
    CSoundInfo sound;
    sound.format = format;
    const auto* bytes = reinterpret_cast<const uint8_t*>(values.data());
    sound.SetData(std::vector<uint8_t>(bytes, bytes + values.size() * sizeof(int16_t)));
    return CSoundFile().Save(path.c_str(), sound);
}

bool PumpUntil(CNullBackend& backend, const std::function<bool()>& done, int timeoutMs = 10000) {
    for (int waited = 0; waited < timeoutMs; waited += 5) {
        backend.GetEventLoop().ProcessMessages();
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

// The stepped microphone hears frames at the pace of the playback: the
// detector dates what it hears by when it arrives.
void HearAtPlaybackPace(CNullBackend& backend, CNullAudioIn& device, int rate, int frames) {
    constexpr int kStep = CNullAudioIn::kBlockFrames * 4;
    const auto begun = std::chrono::steady_clock::now();
    for (int heard = 0; heard < frames; heard += kStep) {
        std::this_thread::sleep_until(
            begun + std::chrono::microseconds(static_cast<int64_t>(1e6 * heard / rate)));
        device.Step(kStep);
        backend.GetEventLoop().ProcessMessages();
    }
}

// Chooses the row a take goes to and whether it is emptied first.
void ChooseTakeRow(CSongEditorDlg& editor, int row, bool clear) {
    for (int i = 0; i < CSongEditorLayout::kInstrumentCount; ++i) {
        editor.GetDialog()->SetChecked(CSongEditorLayout::kRecordRadios[i], i == row);
        editor.GetDialog()->SetChecked(CSongEditorLayout::kClearBoxes[i], i == row && clear);
    }
}

// A bass line played into the microphone while the groove plays lands in
// the bass row, each note at its beat, after a count-in that hears nothing.
TEST(GrooveKind, ABassLinePlayedIntoTheMicrophoneLandsInTheBassRow) {
    constexpr double kMeasure = 2.0;           // 4/4 at 120 beats a minute
    constexpr double kCountIn = 2 * kMeasure;  // a silent measure and one of drums
    constexpr int kBassRow = 2;
    const CTempFolder folder("groove-take");
    const std::string heard = folder.Path("bass line.wav");
    // A note in the count-in is not taken; three after it are.
    ASSERT_TRUE(WriteHeard(heard, kCountIn + 3.0,
                           {{"Piano-C3.wav", 1.0},
                            {"Piano-C3.wav", kCountIn},
                            {"Piano-A2.wav", kCountIn + 0.5},
                            {"Piano-F#2.wav", kCountIn + 1.0}}));
    CNullBackend backend;
    backend.EnableSound(CNullAudioOut::Clock::kStepped);
    backend.EnableCapture(heard, CNullAudioIn::Clock::kStepped);
    auto center = StartWithGrooves(backend);
    ASSERT_TRUE(center);
    if (!center->IsMicrophoneOn()) {
        center->OnCommand(kCommandMicrophone);
    }
    ASSERT_TRUE(PumpUntil(backend, [&] { return center->GetCapture() != nullptr; }))
        << "the microphone never opened: " << center->GetError();
    CSongEditorDlg& editor = *center->GetSongs()->GetEditor();
    ASSERT_TRUE(editor.SelectGroove("Rock", "Straight Eight"));
    ASSERT_DOUBLE_EQ(editor.GetGrids().GetMeasureLength(), kMeasure);
    ChooseTakeRow(editor, kBassRow, true);
    editor.RunCommand(CSongEditorLayout::kRecordGroove);
    ASSERT_TRUE(editor.IsPlaying()) << "the take did not start";
    auto* device = dynamic_cast<CNullAudioIn*>(center->GetCapture()->GetDevice());
    ASSERT_NE(device, nullptr);
    const CNoteGrid& bass = editor.GetGrids().GetGrid(CGrooveGrids::kBass);
    const int rate = static_cast<int>(center->GetCapture()->GetFormat().samplesPerSecond);
    const int total = static_cast<int>((kCountIn + 3.0) * rate);
    HearAtPlaybackPace(backend, *device, rate, total);
    EXPECT_TRUE(PumpUntil(backend, [&] { return bass.GetNoteCount() >= 3; }))
        << "only " << bass.GetNoteCount() << " notes reached the bass row";
    editor.RunCommand(CSongEditorLayout::kRecordGroove);  // the second click ends it
    EXPECT_FALSE(editor.IsPlaying());
    std::set<std::pair<int, double>> taken;
    for (int i = 0; i < bass.GetNoteCount(); ++i) {
        taken.insert({bass.GetNote(i).note.midiNote, bass.GetNote(i).note.time});
    }
    const std::set<std::pair<int, double>> played = {{48, 0.0}, {45, 0.5}, {42, 1.0}};
    EXPECT_EQ(taken, played);
    EXPECT_TRUE(editor.GetGrids().IsChanged());
    // One step takes the whole take back, another the emptied row.
    EXPECT_TRUE(editor.GetGrids().Undo());
    EXPECT_LT(bass.GetNoteCount(), 3);
}

// A take over the song records the microphone beside the playback; ended,
// the two are mixed from the end of the count-in and offered for saving in
// the WAVE folder, and the temporary files go.
TEST(GrooveKind, AnAudioTakeOverTheSongIsMixedAndOfferedForSaving) {
    constexpr double kTakeSeconds = 5.0;  // past the count-in of 4 s
    const CTempFolder folder("groove-audio-take");
    const std::string heard = folder.Path("sung.wav");
    ASSERT_TRUE(WriteHeard(heard, kTakeSeconds, {{"Piano-C4.wav", 4.2}}));
    CNullBackend backend;
    backend.EnableSound(CNullAudioOut::Clock::kRealTime);
    backend.EnableCapture(heard, CNullAudioIn::Clock::kStepped);
    auto center = StartWithGrooves(backend);
    ASSERT_TRUE(center);
    if (!center->IsMicrophoneOn()) {
        center->OnCommand(kCommandMicrophone);
    }
    ASSERT_TRUE(PumpUntil(backend, [&] { return center->GetCapture() != nullptr; }));
    center->GetSettings()->tempFolder = folder.Path("temp/").c_str();
    center->GetSettings()->waveFolder = folder.Path("waves/").c_str();
    CComposition& song = center->GetSongs()->GetSong();
    ASSERT_TRUE(song.Open(NOTARA_BINARY_DIR "/Tutorials/Grooves/Songs/Example Song.Song"))
        << song.GetError();
    CSongEditorDlg& editor = *center->GetSongs()->GetEditor();
    editor.RunCommand(CSongEditorLayout::kRecordSong);
    ASSERT_TRUE(editor.IsPlaying()) << "the take did not start";
    auto* device = dynamic_cast<CNullAudioIn*>(center->GetCapture()->GetDevice());
    ASSERT_NE(device, nullptr);
    const int rate = static_cast<int>(center->GetCapture()->GetFormat().samplesPerSecond);
    HearAtPlaybackPace(backend, *device, rate, static_cast<int>(kTakeSeconds * rate));
    const std::string kept = folder.Path("my take.wav");
    backend.GetWindowSystem().ScriptFileToSave(kept);
    editor.RunCommand(CSongEditorLayout::kRecordSong);  // the second click ends it
    EXPECT_FALSE(editor.IsPlaying());
    CSoundInfo mixed;
    ASSERT_TRUE(CSoundFile().ReadInfo(kept.c_str(), mixed)) << "the mixed take was not kept";
    const double seconds =
        static_cast<double>(mixed.GetSize()) / mixed.format.averageBytesPerSecond;
    EXPECT_GT(seconds, 0.3) << "the take after the count-in is missing";
    EXPECT_LT(seconds, 2.0) << "the count-in was kept";
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path("temp")))
        << "the take's temporary files stayed";
    EXPECT_EQ(center->GetSettings()->waveFolder, (folder.Get() + "/").c_str());
}

TEST(GrooveKind, ATakeWithoutTheMicrophoneIsRefusedWithItsReason) {
    CNullBackend backend;
    backend.EnableSound(CNullAudioOut::Clock::kStepped);
    auto center = StartWithGrooves(backend);
    ASSERT_TRUE(center);
    ASSERT_EQ(center->GetCapture(), nullptr);
    CSongEditorDlg& editor = *center->GetSongs()->GetEditor();
    ASSERT_TRUE(editor.SelectGroove("Rock", "Straight Eight"));
    editor.RunCommand(CSongEditorLayout::kRecordGroove);
    EXPECT_FALSE(editor.IsPlaying());
    ASSERT_FALSE(backend.GetWindowSystem().GetBoxes().empty());
    EXPECT_EQ(
        backend.GetWindowSystem().GetBoxes().back().text.rfind("Can't record: the microphone", 0),
        0u)
        << backend.GetWindowSystem().GetBoxes().back().text;
}

// A course button's tempo plays the groove at it, its notes on their beats,
// and leaves the groove unchanged; a tempo out of range is told.
TEST(GrooveKind, ALessonButtonsTempoAndShowNotesTakeEffectAndABadTempoIsTold) {
    CNullBackend backend;
    backend.EnableSound(CNullAudioOut::Clock::kStepped);
    auto center = StartWithGrooves(backend);
    ASSERT_TRUE(center);
    LESSON_SETTINGS lesson;
    DISPLAY_SETTINGS display;
    CCharString reason;
    ASSERT_TRUE(ParseActionParameters("Style=Rock|Groove=Straight Eight|Tempo=90|Play=Groove",
                                      lesson, display, reason));
    ASSERT_TRUE(center->GetSongs()->OnLesson(lesson, display, "", reason)) << reason;
    CGrooveGrids& grids = center->GetSongs()->GetEditor()->GetGrids();
    EXPECT_DOUBLE_EQ(grids.GetGroove().m_info.tempo, 90.0);
    EXPECT_DOUBLE_EQ(grids.GetMeasureLength(), 4 * 60.0 / 90.0);
    EXPECT_FALSE(grids.IsChanged()) << "the course's tempo counts as an edit";
    ASSERT_TRUE(ParseActionParameters("ShowNotes=N", lesson, display, reason));
    ASSERT_TRUE(center->GetSongs()->OnLesson(lesson, display, "", reason)) << reason;
    EXPECT_FALSE(grids.ShowsNoteNames()) << "ShowNotes=N left the note names";
    ASSERT_TRUE(ParseActionParameters("Style=Rock|Groove=Straight Eight", lesson, display, reason));
    ASSERT_TRUE(center->GetSongs()->OnLesson(lesson, display, "", reason)) << reason;
    EXPECT_FALSE(grids.ShowsNoteNames()) << "a button without ShowNotes changed them";
    ASSERT_TRUE(ParseActionParameters("ShowNotes=Y", lesson, display, reason));
    ASSERT_TRUE(center->GetSongs()->OnLesson(lesson, display, "", reason)) << reason;
    EXPECT_TRUE(grids.ShowsNoteNames()) << "ShowNotes=Y showed no note names";
    EXPECT_TRUE(center->GetSongs()->IsPlaying());
    // Another tempo for the groove that plays starts it again at that tempo.
    ASSERT_TRUE(ParseActionParameters("Style=Rock|Groove=Straight Eight|Tempo=120|Play=Groove",
                                      lesson, display, reason));
    ASSERT_TRUE(center->GetSongs()->OnLesson(lesson, display, "", reason)) << reason;
    EXPECT_DOUBLE_EQ(grids.GetMeasureLength(), 2.0);
    EXPECT_TRUE(center->GetSongs()->IsPlaying()) << "the groove stopped at the new tempo";
    ASSERT_TRUE(ParseActionParameters("Style=Rock|Groove=Straight Eight|Tempo=90|Play=Groove",
                                      lesson, display, reason));
    ASSERT_TRUE(center->GetSongs()->OnLesson(lesson, display, "", reason)) << reason;
    const CNoteGrid& drums = grids.GetGrid(CGrooveGrids::kDrums);
    ASSERT_GT(drums.GetNoteCount(), 1);
    for (int i = 0; i < drums.GetNoteCount(); ++i) {
        EXPECT_GE(drums.GetNote(i).first, 0) << "a note fell off the grid at the new tempo";
    }
    ASSERT_TRUE(ParseActionParameters("Tempo=5", lesson, display, reason));
    EXPECT_FALSE(center->GetSongs()->OnLesson(lesson, display, "", reason));
    EXPECT_EQ(reason.Str().rfind("Can't set the tempo 5", 0), 0u) << reason;
}

// The seconds another tool finds in a sound file, from the first line it
// prints; -1 when it can't read the file.
double RunForSeconds(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return -1.0;
    }
    char line[256] = {};
    const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
    const int status = pclose(pipe);
    return read && status == 0 ? std::atof(line) : -1.0;
}

// The example song of three parts, exported as MIDI, renders in another
// synthesizer for the song's length; exported as WAVE, another tool reads
// the same length.
TEST(GrooveKind, ASongOfThreePartsExportsAsMidiAndWaveThatOtherToolsRead) {
    constexpr const char* kSoundFont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
    constexpr double kReleaseSeconds = 3.0;  // the last notes' tails
    CNullBackend backend;
    backend.EnableSound(CNullAudioOut::Clock::kStepped);
    auto center = StartWithGrooves(backend);
    ASSERT_TRUE(center);
    CComposition& song = center->GetSongs()->GetSong();
    ASSERT_TRUE(song.Open(NOTARA_BINARY_DIR "/Tutorials/Grooves/Songs/Example Song.Song"))
        << song.GetError();
    ASSERT_EQ(song.GetPlayListCount(), 3);
    CSong rendered;
    ASSERT_TRUE(song.Render(rendered, false)) << song.GetError();
    const double length = rendered.m_info.length;
    ASSERT_GT(length, 1.0);
    const CTempFolder folder("groove-export");
    const std::string midi = folder.Path("Example Song.mid");
    ASSERT_TRUE(song.SaveMidi(midi.c_str(), center->GetSongs()->GetMix())) << song.GetError();
    const std::string synthesized = folder.Path("synthesized.wav");
    const std::string render = "fluidsynth -ni -g 0.5 -r 22050 -F '" + synthesized + "' " +
                               kSoundFont + " '" + midi + "' >/dev/null 2>&1 && soxi -D '" +
                               synthesized + "'";
    const double synthesizedSeconds = RunForSeconds(render);
    EXPECT_GE(synthesizedSeconds, length - 0.1) << "another synthesizer cut the song short";
    EXPECT_LE(synthesizedSeconds, length + kReleaseSeconds);
    const std::string wave = folder.Path("Example Song.wav");
    CCharString error;
    ASSERT_TRUE(center->GetSongs()->SaveWave(wave.c_str(), 1, error)) << error;
    const double waveSeconds = RunForSeconds("soxi -D '" + wave + "'");
    EXPECT_GE(waveSeconds, length - 0.1) << "soxi can't read the WAVE or finds it short";
    EXPECT_LE(waveSeconds, length + kReleaseSeconds);
}

int CountColour(const std::vector<uint32_t>& pixels, uint32_t argb) {
    return static_cast<int>(std::count(pixels.begin(), pixels.end(), argb));
}

// While a groove plays a play-head line stands over every grid, moving with
// the time; it goes when the groove stops.
TEST(GrooveKind, APlayHeadMovesOverTheGridsWhileTheGroovePlays) {
    CNullBackend backend;
    backend.EnableSound(CNullAudioOut::Clock::kStepped);
    auto center = StartWithGrooves(backend);
    ASSERT_TRUE(center);
    CSongEditorDlg& editor = *center->GetSongs()->GetEditor();
    ASSERT_TRUE(editor.SelectGroove("Rock", "Straight Eight"));
    const CNoteGridView& drums = editor.GetGridView(CGrooveGrids::kDrums);
    EXPECT_EQ(CountColour(drums.GetPixels(), CGridPicture::kPlayHeadColor), 0);
    editor.RunCommand(CSongEditorLayout::kPlayGroove);
    ASSERT_TRUE(editor.IsPlaying());
    const double measure = editor.GetGrids().GetMeasureLength();
    const auto headColumn = [&]() {
        const std::vector<uint32_t>& pixels = drums.GetPixels();
        for (int x = 0; x < drums.GetWidth(); ++x) {
            if (pixels[static_cast<size_t>(x)] == CGridPicture::kPlayHeadColor) {
                return x;
            }
        }
        return -1;
    };
    editor.ShowPlayTime(0.1 * measure);
    const int early = headColumn();
    editor.ShowPlayTime(0.6 * measure);
    const int later = headColumn();
    EXPECT_GT(early, CGridPicture::kLabelWidth) << "no play-head over the cells";
    EXPECT_GT(later, early) << "the play-head did not move on";
    for (int grid = CGrooveGrids::kTop; grid < CGrooveGrids::kGridCount; ++grid) {
        EXPECT_GT(CountColour(editor.GetGridView(grid).GetPixels(), CGridPicture::kPlayHeadColor),
                  0)
            << "grid " << grid << " has no play-head";
    }
    editor.RunCommand(CSongEditorLayout::kPlayGroove);  // stops
    center->GetSongs()->OnFrame();
    EXPECT_EQ(CountColour(drums.GetPixels(), CGridPicture::kPlayHeadColor), 0)
        << "the play-head stayed after the groove stopped";
}

// A right click on the grooves list pops up the "Song Grooves" menu; its
// "Delete" asks before deleting the groove (No keeps it).
TEST(GrooveKind, TheGrooveListsMenuOffersToDeleteTheGroove) {
    CNullBackend backend;
    auto center = StartWithGrooves(backend);
    ASSERT_TRUE(center);
    CSongEditorDlg& editor = *center->GetSongs()->GetEditor();
    ASSERT_TRUE(editor.SelectGroove("Rock", "Straight Eight"));
    auto* dialog = dynamic_cast<CNullControlDialog*>(editor.GetDialog());
    ASSERT_NE(dialog, nullptr);
    backend.GetWindowSystem().ScriptMenuChoice(CSongEditorLayout::kDeleteSongGroove);
    backend.GetWindowSystem().ScriptAnswer(BoxResult::kNo);
    const size_t boxes = backend.GetWindowSystem().GetBoxes().size();
    ASSERT_TRUE(dialog->RequestMenu(CSongEditorLayout::kGrooves));
    ASSERT_GT(backend.GetWindowSystem().GetBoxes().size(), boxes) << "Delete asked nothing";
    EXPECT_EQ(backend.GetWindowSystem().GetBoxes().back().text, CSongEditorDlg::kDeleteGroove);
    EXPECT_TRUE(std::filesystem::exists(NOTARA_BINARY_DIR "/Grooves/Rock/Straight Eight.mid"));
}

// Every button of the shipped groove course does what it says: its song
// opens, its groove shows, its tempo and note names take effect.
TEST(GrooveKind, EveryButtonOfTheGrooveCourseWorks) {
    const std::filesystem::path course = NOTARA_BINARY_DIR "/Tutorials/Grooves";
    CNullBackend backend;
    backend.EnableSound(CNullAudioOut::Clock::kStepped);
    auto center = StartWithGrooves(backend);
    ASSERT_TRUE(center);
    int buttons = 0;
    for (const auto& entry : std::filesystem::directory_iterator(course / "Lessons")) {
        std::ifstream document(entry.path());
        std::string line;
        while (std::getline(document, line)) {
            const size_t mark = line.find("~^");
            if (line.rfind("<b>", 0) != 0 || mark == std::string::npos) {
                continue;
            }
            LESSON_SETTINGS lesson;
            DISPLAY_SETTINGS display;
            CCharString reason;
            ASSERT_TRUE(ParseActionParameters(line.c_str() + mark + 2, lesson, display, reason))
                << entry.path().filename() << ": " << line << ": " << reason;
            EXPECT_TRUE(center->GetSongs()->OnLesson(lesson, display,
                                                     (course.string() + "/").c_str(), reason))
                << entry.path().filename() << ": " << line << ": " << reason;
            center->GetSongs()->Stop();
            ++buttons;
        }
    }
    EXPECT_GE(buttons, 8);
}

// A song saved is the song's file from then on, unchanged, and its folder is
// where the next song is saved or opened.
TEST(GrooveKind, ASavedSongIsUnchangedAndItsFolderIsRemembered) {
    CNullBackend backend;
    auto center = StartWithGrooves(backend);
    ASSERT_TRUE(center);
    CComposition& song = center->GetSongs()->GetSong();
    ASSERT_TRUE(song.Open(NOTARA_BINARY_DIR "/Tutorials/Grooves/Songs/Example Song.Song"))
        << song.GetError();
    song.SetModified();
    const CTempFolder folder("groove-save-song");
    const std::string path = folder.Path("Mine.mid");
    backend.GetWindowSystem().ScriptFileToSave(path);
    ASSERT_TRUE(center->OnCommand(kCommandSaveSongAs));
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_STREQ(song.GetFileName(), path.c_str());
    EXPECT_FALSE(song.IsModified());
    EXPECT_EQ(center->GetSettings()->songPath, (folder.Get() + "/").c_str());
}

TEST(GrooveKind, TheTrainerHasNoSongEditor) {
    CNullBackend backend;
    auto center = std::make_unique<CCenter>(11, "", backend.GetPlatform());
    ASSERT_TRUE(center->Init()) << center->GetError();
    backend.GetEventLoop().ProcessMessages();
    EXPECT_EQ(center->GetSongs(), nullptr);
    EXPECT_FALSE(center->OnCommand(kCommandNewSong));
}

}  // namespace
