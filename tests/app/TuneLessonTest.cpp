#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "GrooveFixture.h"
#include "TempFolder.h"
#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "app/Center.h"
#include "app/Menus.h"
#include "app/PracticeKeeper.h"
#include "exercise/Teacher.h"
#include "midi/SmfFile.h"
#include "midi/SmfWriter.h"
#include "platform/null/NullBackend.h"
#include "platform/null/NullDocumentDialog.h"
#include "platform/null/NullWindow.h"
#include "songio/MidiFile.h"
#include "theory/Note.h"
#include "theory/NoteEvent.h"
#include "ui/LessonSettings.h"

namespace {

constexpr int kQuarter = 480;
const std::string kBuiltTutorials = std::string(NOTARA_BINARY_DIR) + "/Tutorials/";

// Writes a two-track file: a named conductor track and the melody.
// keySignature: the sharps or flats and the minor flag of a key signature
// event, none when empty.
std::string WriteTune(const CTempFolder& folder, const std::string& name,
                      const std::vector<int>& notes,
                      const std::vector<uint8_t>& keySignature = {}) {
    SMF_FILE file;
    file.division = kQuarter;
    SMF_TRACK conductor;
    conductor.events.push_back(
        MakeSmfMeta(0, Smf::kMetaTrackName, std::vector<uint8_t>(name.begin(), name.end())));
    if (!keySignature.empty()) {
        conductor.events.push_back(MakeSmfMeta(0, Smf::kMetaKeySignature, keySignature));
    }
    SMF_TRACK melody;
    uint32_t tick = 0;
    for (int note : notes) {
        melody.events.push_back(MakeSmfNote(tick, 0, static_cast<uint8_t>(note), 90));
        melody.events.push_back(MakeSmfNote(tick + kQuarter / 2, 0, static_cast<uint8_t>(note), 0));
        tick += kQuarter;
    }
    file.tracks = {conductor, melody};
    const std::string path = folder.Path(name + ".mid");
    CSmfWriter writer;
    EXPECT_TRUE(writer.WriteFile(file, path.c_str())) << writer.GetError();
    return path;
}

// A song document at 100 beats a minute of one part, "Verse", whose lines
// (groove, scale, chords) are partLines.
std::string WriteVerseSong(const CTempFolder& folder, const std::string& name,
                           const std::string& partLines) {
    const std::string path = folder.Path(name + ".Song");
    std::ofstream(path, std::ios::binary)
        << "Start of Song Info= \r\nName=" << name << "\r\nTempo=100\r\nParts=Verse~1\r\n"
        << "End of Song Info= \r\nStart of Song Part= \r\nName=Verse\r\n"
        << partLines << "End of Song Part= \r\n\r\n";
    return path;
}

// Far longer than any song here takes to read.
constexpr double kReadSeconds = 30.0;

std::unique_ptr<CCenter> Start(CNullBackend& backend, const std::string& commandLine = "") {
    auto center =
        std::make_unique<CCenter>(kNotaraDemoKind, commandLine.c_str(), backend.GetPlatform());
    if (!center->Init()) {
        return nullptr;
    }
    center->GetSettings()->tutorialsFolder = kBuiltTutorials.c_str();
    backend.GetEventLoop().ProcessMessages();  // the start message
    if (!commandLine.empty()) {
        center->WaitForTuneLesson(kReadSeconds);  // the song named is read meanwhile
    }
    return center;
}

// Opens path as the lesson and waits for its reading: whether it plays.
bool OpenTune(CCenter& center, const std::string& path) {
    return center.OpenTuneLesson(path.c_str()) && center.WaitForTuneLesson(kReadSeconds);
}

// Plays note on the MIDI input's road: pressed, then released.
void Play(CCenter& center, int note) {
    center.OnNote(MakePayload(
        std::make_unique<NOTE_EVENT>(NOTE_EVENT::Make(note, true, 1.0f, SOURCE_MIDI_INPUT, 0.0))));
    center.OnNote(MakePayload(
        std::make_unique<NOTE_EVENT>(NOTE_EVENT::Make(note, false, 0.0f, SOURCE_MIDI_INPUT, 0.0))));
}

}  // namespace

TEST(TuneLesson, ASongDocumentPlaysTheMelodyOfItsParts) {
    const CTempFolder folder("tune-song");
    const std::vector<int> beats = {48, 52, 55, 60};
    std::filesystem::create_directories(folder.Path("Grooves/Easy"));
    ASSERT_TRUE(WriteGroove(folder.Path("Grooves/Easy/Climb.mid"), beats));
    const std::string song = WriteVerseSong(folder, "Climbing",
                                            "Groove style=Easy\r\nGroove name=Climb\r\n"
                                            "Chords=48/0/1,55/0/1\r\n");
    CNullBackend backend;
    auto center = Start(backend);
    ASSERT_TRUE(center);
    center->GetSettings()->grooveRoot = (folder.Path("Grooves") + "/").c_str();
    ASSERT_TRUE(OpenTune(*center, song)) << center->GetError();
    Teacher& teacher = *center->GetTeacher();
    ASSERT_TRUE(teacher.IsTune());
    for (int measure = 0; measure < 2; ++measure) {
        for (size_t i = 0; i < beats.size(); ++i) {
            ASSERT_EQ(teacher.GetExpected()->midiNote, beats[i]) << "measure " << measure + 1;
            Play(*center, beats[i]);
        }
    }
    EXPECT_EQ(teacher.GetTuneRuns(), 1);
    // A song whose groove is gone says so and the tune stays.
    std::filesystem::remove(folder.Path("Grooves/Easy/Climb.mid"));
    EXPECT_FALSE(OpenTune(*center, song));
    const auto& boxes = backend.GetWindowSystem().GetBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_NE(boxes.back().text.find("Can't load part: Can't load groove from ("),
              std::string::npos)
        << boxes.back().text;
    EXPECT_TRUE(teacher.IsTune());
}

TEST(TuneLesson, AMidiFileOnTheCommandLineIsPlayedInOrderToItsEnd) {
    const CTempFolder folder("tune");
    const std::vector<int> notes = {60, 62, 64, 60, 67};
    const std::string path = WriteTune(folder, "Five Steps", notes);
    CNullBackend backend;
    auto center = Start(backend, path);
    ASSERT_TRUE(center);
    EXPECT_TRUE(backend.GetWindowSystem().GetBoxes().empty()) << center->GetError();
    Teacher& teacher = *center->GetTeacher();
    ASSERT_TRUE(teacher.IsTune());
    EXPECT_EQ(backend.GetWindowSystem().GetWindows().at(0)->GetStatusText(),
              "Five Steps: play the notes of the tune in order");
    for (size_t i = 0; i < notes.size(); ++i) {
        ASSERT_EQ(teacher.GetExpected()->midiNote, notes[i]) << "note " << i + 1;
        EXPECT_EQ(std::string(teacher.GetStatusLine().GetText()).substr(0, 21),
                  "Five Steps: note " + std::to_string(i + 1) + " of");
        Play(*center, notes[i]);
    }
    EXPECT_EQ(teacher.GetTuneRuns(), 1);
    EXPECT_NE(std::string(teacher.GetStatusLine().GetText()).find("Right at first try: 100% of 5"),
              std::string::npos)
        << teacher.GetStatusLine();
}

// A tune is written in its key: the signature on the staff, and a B flat is
// a B flat, never an A sharp.
TEST(TuneLesson, ATuneIsWrittenInTheKeyOfItsFileOrOfItsNotes) {
    const CTempFolder folder("tune-key");
    // Brother John's notes, without a key signature in the file.
    const std::string john =
        WriteTune(folder, "Brother John", {53, 55, 57, 53, 57, 58, 60, 62, 60, 58, 57, 53});
    const std::string signed_ = WriteTune(folder, "In D", {62, 64, 66, 62}, {2, 0});
    CNullBackend backend;
    auto center = Start(backend, john);
    ASSERT_TRUE(center);
    Teacher& teacher = *center->GetTeacher();
    ASSERT_TRUE(teacher.IsTune());
    EXPECT_EQ(teacher.GetKey().GetAccidentals(), -1) << "F major: one flat";
    int flats = 0;
    for (int i = 0; i < 12; ++i) {
        const CNote& shown = *teacher.GetExpected();
        if (shown.midiNote == 58) {
            EXPECT_EQ(shown.accidental, ACCIDENTAL_FLAT) << "note " << i + 1;
            ++flats;
        }
        Play(*center, shown.midiNote);
    }
    EXPECT_EQ(flats, 2);
    ASSERT_TRUE(OpenTune(*center, signed_)) << center->GetError();
    EXPECT_EQ(teacher.GetKey().GetAccidentals(), 2) << "the file's own signature";
}

TEST(TuneLesson, ABrokenFileIsToldAndTheLessonThatRunsStays) {
    const CTempFolder folder("tune-broken");
    const std::string good = WriteTune(folder, "Good", {60, 64, 67});
    CNullBackend backend;
    auto center = Start(backend, good);
    ASSERT_TRUE(center);
    const std::string broken = folder.Path("broken.mid");
    // A header, then a track that claims more bytes than the file holds.
    std::ofstream(broken, std::ios::binary)
        << std::string("MThd\0\0\0\6\0\1\0\1\1\xe0MTrk\0\0\1\0\0\x90\x3c\x40", 26);
    EXPECT_FALSE(OpenTune(*center, broken));
    const auto& boxes = backend.GetWindowSystem().GetBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().caption, "Error");
    EXPECT_EQ(boxes.back().text.rfind("Can't read MIDI file '" + broken + "'", 0), 0u)
        << boxes.back().text;
    EXPECT_TRUE(center->GetTeacher()->IsTune());
    EXPECT_EQ(center->GetTeacher()->GetExpected()->midiNote, 60) << "the tune that ran stays";
}

TEST(TuneLesson, TheMenuAndTheCoursesButtonsOpenTunes) {
    const CTempFolder folder("tune-menu");
    const std::string path = WriteTune(folder, "Chosen", {65, 67});
    CNullBackend backend;
    auto center = Start(backend);
    ASSERT_TRUE(center);
    backend.GetWindowSystem().ScriptFileToOpen(path);
    backend.GetWindowSystem().GetWindows().at(0)->ChooseCommand(kCommandOpenTune);
    ASSERT_TRUE(center->WaitForTuneLesson(kReadSeconds)) << center->GetError();
    ASSERT_TRUE(center->GetTeacher()->IsTune()) << center->GetError();
    EXPECT_EQ(center->GetTeacher()->GetExpected()->midiNote, 65);
    EXPECT_EQ(backend.GetWindowSystem().GetLastFileFolder(), kBuiltTutorials + "Notara/Tunes/");
    // A cancelled question changes nothing.
    backend.GetWindowSystem().GetWindows().at(0)->ChooseCommand(kCommandOpenTune);
    EXPECT_EQ(center->GetTeacher()->GetExpected()->midiNote, 65);
    // The course's tune document: each button opens its tune.
    CNullDocumentDialog* dialog = backend.GetWindowSystem().GetDocumentDialogs().at(0);
    const auto& items = dialog->GetListItems();
    int entry = -1;
    for (size_t i = 0; i < items.size(); ++i) {
        entry = items[i] == "Play a Tune" ? static_cast<int>(i) : entry;
    }
    ASSERT_GE(entry, 0);
    ASSERT_TRUE(dialog->ChooseListItem(entry));
    ASSERT_EQ(dialog->GetButtonCount(), 3);
    ASSERT_TRUE(dialog->ClickButton(0));
    backend.GetEventLoop().ProcessMessages();
    ASSERT_TRUE(center->WaitForTuneLesson(kReadSeconds)) << center->GetError();
    EXPECT_TRUE(backend.GetWindowSystem().GetBoxes().empty() ||
                backend.GetWindowSystem().GetBoxes().back().caption != "Error");
    ASSERT_TRUE(center->GetTeacher()->IsTune());
    EXPECT_EQ(center->GetTeacher()->GetExpected()->midiNote, 60) << "Twinkle starts on C4";
    EXPECT_EQ(std::string(center->GetTeacher()->GetStatusLine().GetText()).substr(0, 30),
              "Twinkle Twinkle Little Star: n");
}

namespace {

// Songs far longer or larger than any tune: each is opened or refused well
// within this, and a refusal's box stays short.
constexpr double kHostileSongSeconds = 10.0;
constexpr size_t kLongestBox = 500;

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

// 2 KB of text: one part of 199 chords played 100 times at 1000 beats per
// minute, 19,900 measures.
TEST(TuneLesson, AFastSongOfManyMeasuresOpensQuickly) {
    const CTempFolder folder("tune-fast");
    std::filesystem::create_directories(folder.Path("Grooves/Easy"));
    ASSERT_TRUE(WriteGroove(folder.Path("Grooves/Easy/Climb.mid"), {48, 52, 55, 60}));
    std::string chords = "48/0/1";
    for (int i = 1; i < 199; ++i) {
        chords += ",48/0/1";
    }
    const std::string song = folder.Path("Fast.Song");
    std::ofstream(song, std::ios::binary)
        << "Start of Song Info= \r\nName=Fast\r\nTempo=1000\r\nRepeat=100\r\nParts=Verse~1\r\n"
           "End of Song Info= \r\nStart of Song Part= \r\nName=Verse\r\n"
           "Groove style=Easy\r\nGroove name=Climb\r\nChords="
        << chords << "\r\nEnd of Song Part= \r\n\r\n";
    CNullBackend backend;
    auto center = Start(backend);
    ASSERT_TRUE(center);
    center->GetSettings()->grooveRoot = (folder.Path("Grooves") + "/").c_str();
    const auto start = std::chrono::steady_clock::now();
    const bool opened = OpenTune(*center, song);
    EXPECT_LT(SecondsSince(start), kHostileSongSeconds);
    const auto& boxes = backend.GetWindowSystem().GetBoxes();
    if (opened) {
        EXPECT_TRUE(center->GetTeacher()->IsTune());
    } else {
        ASSERT_FALSE(boxes.empty());
        EXPECT_LT(boxes.back().text.size(), kLongestBox);
    }
}

// 20,000 parts in 2.5 MB: refused soon, in a box of a few lines.
TEST(TuneLesson, ASongOfTwentyThousandPartsIsRefusedInAShortBox) {
    const CTempFolder folder("tune-parts");
    std::filesystem::create_directories(folder.Path("Grooves/Easy"));
    ASSERT_TRUE(WriteGroove(folder.Path("Grooves/Easy/Climb.mid"), {48, 52, 55, 60}));
    constexpr int kParts = 20000;
    const std::string song = folder.Path("Parts.Song");
    {
        std::ofstream out(song, std::ios::binary);
        out << "Start of Song Info= \r\nName=Parts\r\nTempo=120\r\nParts=";
        for (int i = 0; i < kParts; ++i) {
            out << (i == 0 ? "" : "^") << "Part number " << i << "~1";
        }
        out << "\r\nEnd of Song Info= \r\n";
        for (int i = 0; i < kParts; ++i) {
            out << "Start of Song Part= \r\nName=Part number " << i
                << "\r\nGroove style=Easy\r\nGroove name=Climb\r\nScale=Major\r\n"
                   "Chords=48/0/1\r\nEnd of Song Part= \r\n";
        }
    }
    CNullBackend backend;
    auto center = Start(backend);
    ASSERT_TRUE(center);
    center->GetSettings()->grooveRoot = (folder.Path("Grooves") + "/").c_str();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(OpenTune(*center, song));
    EXPECT_LT(SecondsSince(start), kHostileSongSeconds);
    const auto& boxes = backend.GetWindowSystem().GetBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text.rfind("Can't ", 0), 0u) << boxes.back().text.substr(0, kLongestBox);
    EXPECT_LT(boxes.back().text.size(), kLongestBox) << boxes.back().text.substr(0, kLongestBox);
}

// A returning learner (the window's place is remembered, so this is no first
// run) names a tune on the command line: the tune runs, not the lesson the
// Lessons window showed last time, and the answers are kept under its name.
TEST(TuneLesson, ATuneOnTheCommandLineWinsOverTheRememberedLesson) {
    const CTempFolder folder("tune-returning");
    const std::vector<int> notes = {62, 65, 69};
    const std::string path = WriteTune(folder, "Returning", notes);
    CNullBackend backend;
    {
        auto first = Start(backend);
        ASSERT_TRUE(first);
        ASSERT_TRUE(first->IsFirstRun());
        first->Close();
        // The window's place, as a shown window leaves it.
        APP_SETTINGS settings;
        auto store = backend.GetPlatform().createSettingsStore();
        ASSERT_TRUE(settings.Load(*store, "Notara Demo", kNotaraDemoKind));
        settings.mainWindow.rect = {5, 6, 700, 500};
        ASSERT_TRUE(settings.Save(*store, "Notara Demo", kNotaraDemoKind));
    }
    // The history is shared by the tests of this run: only this run's rows.
    const double since =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    auto center = Start(backend, path);
    ASSERT_TRUE(center);
    ASSERT_FALSE(center->IsFirstRun());
    backend.GetEventLoop().ProcessMessages();  // whatever the windows posted
    Teacher& teacher = *center->GetTeacher();
    ASSERT_TRUE(teacher.IsTune());
    EXPECT_EQ(backend.GetWindowSystem().GetWindows().at(0)->GetStatusText(),
              "Returning: play the notes of the tune in order");
    for (int note : notes) {
        ASSERT_EQ(teacher.GetExpected()->midiNote, note);
        Play(*center, note);
    }
    std::vector<PRACTICE_ROW> rows;
    CPracticeHistory& history = center->GetPractice()->GetHistory();
    ASSERT_TRUE(history.Flush()) << history.GetError();
    ASSERT_TRUE(history.GetRowsSince(since, rows)) << history.GetError();
    ASSERT_EQ(rows.size(), notes.size());
    for (const PRACTICE_ROW& row : rows) {
        EXPECT_EQ(row.lesson, "Returning");
    }
}

// A tune that ran at the close goes on at its note at the next start; one
// whose file is gone gives way to the lesson without a box.
TEST(TuneLesson, ATuneThatRanAtTheCloseIsResumedAtItsNote) {
    const CTempFolder folder("tune-resumed");
    const std::vector<int> notes = {60, 62, 64, 65, 67};
    const std::string path = WriteTune(folder, "Resumed", notes);
    CNullBackend backend;
    {
        auto first = Start(backend);
        ASSERT_TRUE(first);
        first->Close();
        APP_SETTINGS settings;  // a returning learner: the window was placed
        auto store = backend.GetPlatform().createSettingsStore();
        ASSERT_TRUE(settings.Load(*store, "Notara Demo", kNotaraDemoKind));
        settings.mainWindow.rect = {5, 6, 700, 500};
        ASSERT_TRUE(settings.Save(*store, "Notara Demo", kNotaraDemoKind));
    }
    {
        auto center = Start(backend);
        ASSERT_TRUE(center);
        ASSERT_TRUE(OpenTune(*center, path)) << center->GetError();
        Play(*center, 60);
        Play(*center, 62);
        ASSERT_EQ(center->GetTeacher()->GetTunePosition(), 3);
        center->Close();
    }
    const size_t boxes = backend.GetWindowSystem().GetBoxes().size();
    {
        auto center = Start(backend);
        ASSERT_TRUE(center);
        ASSERT_TRUE(center->WaitForTuneLesson(kReadSeconds)) << center->GetError();
        Teacher& teacher = *center->GetTeacher();
        ASSERT_TRUE(teacher.IsTune());
        EXPECT_EQ(teacher.GetTunePosition(), 3);
        EXPECT_EQ(teacher.GetExpected()->midiNote, 64);
        center->Close();
    }
    std::filesystem::remove(path);
    auto center = Start(backend);
    ASSERT_TRUE(center);
    EXPECT_FALSE(center->GetTeacher()->IsTune());
    EXPECT_FALSE(center->GetTeacher()->IsStandingBy()) << "the lesson left open runs";
    EXPECT_EQ(backend.GetWindowSystem().GetBoxes().size(), boxes) << "no box for it";
}

// The running program takes the song a second start handed over: it comes
// to the front and plays the song; anything else handed over is ignored.
// A lesson started while a tune is still being read is the one that runs:
// the tune's answer, when it comes, is dropped.
TEST(TuneLesson, ALessonStartedWhileATuneIsReadWinsOverTheTune) {
    const CTempFolder folder("tune-then-lesson");
    const std::string path = WriteTune(folder, "Late Tune", {60, 62, 64});
    CNullBackend backend;
    auto center = Start(backend);
    ASSERT_TRUE(center);
    ASSERT_TRUE(center->OpenTuneLesson(path.c_str())) << center->GetError();
    LESSON_SETTINGS lesson;
    DISPLAY_SETTINGS display;
    CCharString error;
    ASSERT_TRUE(ParseActionParameters("Scale=C maj|StartNote=60|EndNote=72|Notes=7", lesson,
                                      display, error));
    ASSERT_TRUE(center->OnLesson(lesson)) << center->GetError();
    EXPECT_FALSE(center->WaitForTuneLesson(kReadSeconds)) << "the tune took over the lesson";
    Teacher& teacher = *center->GetTeacher();
    EXPECT_FALSE(teacher.IsTune());
    EXPECT_EQ(teacher.GetGoal(), 7);
}

TEST(TuneLesson, ASongHandedOverByASecondStartIsOpenedAndTheWindowComesToTheFront) {
    const CTempFolder folder("tune-handed");
    const std::string path = WriteTune(folder, "Handed", {64, 67, 72});
    CNullBackend backend;
    auto center = Start(backend);
    ASSERT_TRUE(center);
    for (const std::string& hostile :
         {std::string("rm -rf /"), std::string("open relative.mid"), std::string("open "),
          std::string(CCenter::kOpenSongMessage) + std::string(5000, '/')}) {
        center->OnHandedOver(hostile);
    }
    EXPECT_FALSE(center->GetTeacher()->IsTune());
    const size_t raised = backend.GetJournal().GetEntries("BringToFront").size();
    center->OnHandedOver(CCenter::kOpenSongMessage + path);
    center->WaitForTuneLesson(kReadSeconds);  // taken already when it read in a moment
    ASSERT_TRUE(center->GetTeacher()->IsTune()) << center->GetError();
    EXPECT_EQ(center->GetTeacher()->GetExpected()->midiNote, 64);
    EXPECT_GT(backend.GetJournal().GetEntries("BringToFront").size(), raised);
}

// A song document is written in the key of its first part's scale.
TEST(TuneLesson, ASongDocumentIsWrittenInTheKeyOfItsFirstPart) {
    const CTempFolder folder("tune-song-key");
    std::filesystem::create_directories(folder.Path("Grooves/Easy"));
    ASSERT_TRUE(WriteGroove(folder.Path("Grooves/Easy/Climb.mid"), {48, 52, 55, 60}));
    const std::string song =
        WriteVerseSong(folder, "In D",
                       "Groove style=Easy\r\nGroove name=Climb\r\nScale=Major\r\nScale root=50\r\n"
                       "Chords=50/0/1\r\n");
    CNullBackend backend;
    auto center = Start(backend);
    ASSERT_TRUE(center);
    center->GetSettings()->grooveRoot = (folder.Path("Grooves") + "/").c_str();
    ASSERT_TRUE(OpenTune(*center, song)) << center->GetError();
    EXPECT_EQ(center->GetTeacher()->GetKey().GetAccidentals(), 2) << "D major: two sharps";
}
