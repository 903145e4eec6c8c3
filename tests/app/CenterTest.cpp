#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "TempFolder.h"
#include "app/Catalogue.h"
#include "app/Center.h"
#include "app/Entry.h"
#include "app/MainWnd.h"
#include "app/Menus.h"
#include "app/PictureFade.h"
#include "app/StartOptions.h"
#include "foundation/ErrorReport.h"
#include "foundation/LogFile.h"
#include "foundation/Paths.h"
#include "platform/null/NullBackend.h"
#include "platform/null/NullDebugOutput.h"
#include "platform/null/NullInstanceLock.h"
#include "platform/null/NullWindow.h"
#include "songs/Mix.h"

namespace {

// True when every entry of expected appears in entries, in that order.
bool InOrder(const std::vector<std::string>& entries, const std::vector<std::string>& expected) {
    auto at = entries.begin();
    for (const auto& wanted : expected) {
        at = std::find(at, entries.end(), wanted);
        if (at == entries.end()) {
            return false;
        }
        ++at;
    }
    return true;
}

std::string Joined(const std::vector<std::string>& entries) {
    std::string text;
    for (const auto& entry : entries) {
        text += entry + "\n";
    }
    return text;
}

struct COUNTED_NOTE {
    static std::atomic<int> alive;
    COUNTED_NOTE() { ++alive; }
    ~COUNTED_NOTE() { --alive; }
};
std::atomic<int> COUNTED_NOTE::alive{0};

}  // namespace

TEST(Catalogue, KnowsEveryKindAndRefusesOthers) {
    APP_KIND info;
    CCharString error;
    ASSERT_TRUE(FindApplicationKind(11, info, error));
    EXPECT_STREQ(info.title, "Notara Demo");
    EXPECT_EQ(info.iconId, 1593);
    EXPECT_EQ(info.menuId, 1447);
    EXPECT_FALSE(info.startInTray);
    ASSERT_TRUE(FindApplicationKind(1, info, error));
    EXPECT_TRUE(info.startInTray);
    for (int kind = 1; kind <= 13; ++kind) {
        EXPECT_TRUE(FindApplicationKind(kind, info, error)) << kind;
        EXPECT_EQ(info.kind, kind);
    }
    for (int kind : {0, 14, -1, 1000}) {
        EXPECT_FALSE(FindApplicationKind(kind, info, error));
        EXPECT_EQ(error, ("Unknown application " + std::to_string(kind)).c_str());
    }
}

TEST(Center, StartsShowsRunsTimersAndShutsDownInOrder) {
    CNullBackend backend;
    START_OPTIONS options;
    options.quitAfterSeconds = 2.0;
    EXPECT_EQ(RunApplication(backend.GetPlatform(), kNotaraDemoKind, options), 0);
    const auto entries = backend.GetJournal().GetEntries();
    // The destroy handler asks the loop to quit before the window itself goes.
    EXPECT_TRUE(
        InOrder(entries, {"CreateWindow", "SetTitle Notara Demo", "SetMenu 1447", "Show",
                          "SetTimer 1 33", "SetTimer 2 100", "SetTimer 3 1000", "SetTimer 90 2000",
                          "KillTimer 1", "KillTimer 2", "KillTimer 3", "Quit 0", "DestroyWindow"}))
        << Joined(entries);
    // The window shows only after start-up, which the start message runs.
    EXPECT_TRUE(backend.GetWindowSystem().GetBoxes().empty());
    EXPECT_GE(backend.GetEventLoop().GetTimeMs(), 2000);
    EXPECT_TRUE(backend.GetWindowSystem().GetWindows().empty());
}

TEST(Center, TheMainWindowIsPlacedOnTheWorkAreaWithItsMinimumSize) {
    CNullBackend backend;
    backend.GetWindowSystem().SetWorkArea(WINDOW_RECT{10, 20, 1000, 700});
    CCenter center(kNotaraDemoKind, "", backend.GetPlatform());
    ASSERT_TRUE(center.Init());
    auto* window = backend.GetWindowSystem().GetWindows().at(0);
    EXPECT_FALSE(window->IsVisible());  // hidden until start-up ran
    EXPECT_EQ(window->GetRect().left, 10);
    EXPECT_EQ(window->GetRect().width, 1000);
    EXPECT_EQ(window->GetMinimumWidth(), 200);
    EXPECT_EQ(window->GetMinimumHeight(), 200);
    backend.GetEventLoop().ProcessMessages();
    EXPECT_TRUE(window->IsVisible());
    EXPECT_FALSE(center.IsShowingInitErrors());
    EXPECT_TRUE(center.IsFirstRun());
}

TEST(Center, AnUnknownKindIsShownAsAnInitializationError) {
    CNullBackend backend;
    EXPECT_EQ(RunApplication(backend.GetPlatform(), 0, START_OPTIONS()), CCenter::kExitFailure);
    const auto& boxes = backend.GetWindowSystem().GetBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Can't initialize Notara:\nUnknown application 0");
    EXPECT_EQ(boxes[0].caption, "Notara");
    EXPECT_EQ(boxes[0].icon, BoxIcon::kError);
    EXPECT_FALSE(boxes[0].hasOwner);
    EXPECT_TRUE(backend.GetJournal().GetEntries("CreateWindow").empty());
}

TEST(Center, AMainWindowThatCannotBeMadeIsShownAsAnInitializationError) {
    CNullBackend backend;
    backend.GetWindowSystem().FailWindowCreation("no screen");
    EXPECT_EQ(RunApplication(backend.GetPlatform(), kNotaraDemoKind, START_OPTIONS()),
              CCenter::kExitFailure);
    const auto& boxes = backend.GetWindowSystem().GetBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(
        boxes[0].text,
        "Can't initialize Notara:\nCan't create main window:\nCan't create window: no screen");
}

TEST(Center, ASecondInstanceIsRefusedAndLeavesTheFirstAlone) {
    CNullBackend backend;
    CNullInstanceLock first;
    ASSERT_TRUE(first.TryAcquire(kInstanceLockName));
    EXPECT_EQ(RunApplication(backend.GetPlatform(), kNotaraDemoKind, START_OPTIONS()),
              CCenter::kExitFailure);
    const auto& boxes = backend.GetWindowSystem().GetBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Another instance of\nthis application is running");
    EXPECT_EQ(boxes[0].caption, "Notara");
    EXPECT_EQ(boxes[0].icon, BoxIcon::kExclamation);
    EXPECT_TRUE(backend.GetJournal().GetEntries("CreateWindow").empty());
    CNullInstanceLock again;
    EXPECT_FALSE(again.TryAcquire(kInstanceLockName));
}

// A second start given a song hands it, with its path made absolute, to the
// program that runs, and ends without a box; one given nothing says that
// another instance runs, as before.
TEST(Center, ASecondStartHandsItsSongToTheRunningProgram) {
    CNullBackend backend;
    CNullInstanceLock first;
    ASSERT_TRUE(first.TryAcquire(kInstanceLockName));
    std::vector<std::string> handed;
    ASSERT_TRUE(first.ListenForMessages(
        [&handed](const std::string& message) { handed.push_back(message); }));
    const CTempFolder folder("handed-song");
    std::ofstream(folder.Path("Handed.mid")) << "MThd";
    START_OPTIONS options;
    options.commandLine = "Handed.mid";
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder.Get());
    const int code = RunApplication(backend.GetPlatform(), kNotaraDemoKind, options);
    std::filesystem::current_path(before);
    EXPECT_EQ(code, 0);
    ASSERT_EQ(handed.size(), 1u);
    EXPECT_EQ(handed[0], std::string(CCenter::kOpenSongMessage) + folder.Path("Handed.mid"));
    EXPECT_TRUE(backend.GetWindowSystem().GetBoxes().empty());
    EXPECT_TRUE(backend.GetJournal().GetEntries("CreateWindow").empty());
}

TEST(Center, TheWorkbenchKindLogsItsRunAndStaysInTheTray) {
    CCharString folder, name;
    ASSERT_TRUE(GetProgramFolder(folder));
    ASSERT_TRUE(GetProgramName(name));
    const std::string logPath = std::string(folder.GetText()) + "/" + name.GetText() + ".log";
    {
        std::ofstream old(logPath);
        old << "a line of an earlier run\r\n";
    }
    CNullDebugOutput debug;
    CNullBackend backend;
    {
        CCenter center(1, "", backend.GetPlatform());
        ASSERT_TRUE(center.Init());
        backend.GetEventLoop().ProcessMessages();
        ASSERT_NE(center.GetLogFile(), nullptr);
        EXPECT_FALSE(backend.GetWindowSystem().GetWindows().at(0)->IsVisible());
        CCenter::ReportError("Center", 123, "Can't open %s", "a device");
        center.GetMainWindow()->OnCloseRequest();
        backend.GetEventLoop().ProcessMessages();
        EXPECT_EQ(center.GetLogFile(), nullptr);
    }
    std::ifstream log(logPath);
    std::stringstream text;
    text << log.rdbuf();
    const std::string content = text.str();
    EXPECT_EQ(content.find("earlier run"), std::string::npos);  // one run per log
    const size_t init = content.find("===== Initializing\r\n");
    const size_t error = content.find("######### ERROR (Center 123): Can't open a device\r\n");
    const size_t closing = content.find("===== Closing\r\n");
    EXPECT_NE(init, std::string::npos) << content;
    EXPECT_NE(error, std::string::npos) << content;
    EXPECT_NE(closing, std::string::npos) << content;
    EXPECT_LT(init, error);
    EXPECT_LT(error, closing);
    EXPECT_TRUE(debug.Contains("######### ERROR (Center 123): Can't open a device"));
    unlink(logPath.c_str());
}

TEST(Center, MenuCommandsReachTheCenter) {
    CNullBackend backend;
    CCenter center(kNotaraDemoKind, "", backend.GetPlatform());
    ASSERT_TRUE(center.Init());
    backend.GetEventLoop().ProcessMessages();
    auto* window = backend.GetWindowSystem().GetWindows().at(0);
    window->ChooseCommand(1369);  // Save song: this kind has no Song Editor
    EXPECT_STREQ(center.GetError(), "Can't find open window 13");
    window->ChooseCommand(1161);
    ASSERT_EQ(backend.GetWindowSystem().GetBoxes().size(), 1u);
    EXPECT_EQ(backend.GetWindowSystem().GetBoxes()[0].caption, "About");
    EXPECT_TRUE(backend.GetWindowSystem().GetBoxes()[0].hasOwner);
}

// Nothing in the menus pretends to work: what this build lacks is greyed,
// Show > Lessons (F1) and File > Quit (Ctrl+Q) are there and act.
TEST(Center, TheMenusGreyWhatThisBuildLacksAndQuitCloses) {
    CNullBackend backend;
    CCenter center(kNotaraDemoKind, "", backend.GetPlatform());
    ASSERT_TRUE(center.Init());
    backend.GetEventLoop().ProcessMessages();
    auto* window = backend.GetWindowSystem().GetWindows().at(0);
    std::vector<std::string> live;
    for (const MENU_ITEM& popup : window->GetMenu()) {
        for (const MENU_ITEM& item : popup.items) {
            if (item.commandId != 0 && item.enabled) {
                live.push_back(item.text + (item.shortcut.empty() ? "" : " " + item.shortcut));
            }
        }
    }
    EXPECT_EQ(live,
              (std::vector<std::string>{
                  "Open song as &lesson... Ctrl+O", "Practise my &weakest notes Ctrl+D",
                  "&Export practice history...", "&Quit Ctrl+Q", "&Lessons F1", "&Mixer",
                  "&Progress Ctrl+P", "Arrange all windows", "&Reset view Ctrl+0",
                  "Colour keys by &accuracy", "Note &names on the staff", "&Mark the expected key",
                  "&Letters on the keys", "&Audio...", "&Microphone input", "About..."}));
    window->ChooseCommand(kCommandQuit);
    backend.GetEventLoop().ProcessMessages();
    EXPECT_EQ(backend.GetJournal().GetEntries("Quit").size(), 1u);
}

TEST(Center, APostedNoteIsDeletedAfterHandling) {
    CNullBackend backend;
    CCenter center(kNotaraDemoKind, "", backend.GetPlatform());
    ASSERT_TRUE(center.Init());
    for (int message : {1046, 1047, 1041, 1031}) {
        center.GetMainWindow()->PostMessage(message, MakePayload(std::make_unique<COUNTED_NOTE>()));
    }
    EXPECT_EQ(COUNTED_NOTE::alive, 4);
    backend.GetEventLoop().ProcessMessages();
    EXPECT_EQ(COUNTED_NOTE::alive, 0);
}

TEST(Center, ClosingTwiceShutsDownOnce) {
    CNullBackend backend;
    CCenter center(kNotaraDemoKind, "", backend.GetPlatform());
    ASSERT_TRUE(center.Init());
    backend.GetEventLoop().ProcessMessages();
    auto* window = backend.GetWindowSystem().GetWindows().at(0);
    window->RequestClose();
    window->RequestClose();
    backend.GetEventLoop().ProcessMessages();
    EXPECT_EQ(backend.GetJournal().GetEntries("Quit").size(), 1u);
    EXPECT_EQ(backend.GetJournal().GetEntries("DestroyWindow").size(), 1u);
}

TEST(Center, TheCommandLineNamesAFileUnlessItIsACommand) {
    CCharString path;
    EXPECT_FALSE(FindCommandLineSong("", path));
    EXPECT_FALSE(FindCommandLineSong(nullptr, path));
    EXPECT_FALSE(FindCommandLineSong("SomeCommand tune.mid", path));
    EXPECT_FALSE(FindCommandLineSong("somecommand", path));
    EXPECT_TRUE(FindCommandLineSong("/home/me/my tune.mid", path));
    EXPECT_EQ(path, "/home/me/my tune.mid");
    EXPECT_TRUE(FindCommandLineSong("Blues.Song", path));
    // Every other file is answered too, if only to say it is no song.
    for (const char* other : {"take.wav", "tune.MID", "folder.mid/readme", "README"}) {
        EXPECT_TRUE(FindCommandLineSong(other, path)) << other;
        EXPECT_EQ(path, other);
    }
}

TEST(Center, SaysWhyTheSongFileCanNotBeOpened) {
    const CTempFolder folder("song-path");
    const std::string song = folder.Path("tune.mid");
    const std::string other = folder.Path("take.wav");
    const std::string fifo = folder.Path("pipe.mid");
    std::ofstream(song) << "MThd";
    std::ofstream(other) << "RIFF";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);  // opening it would block
    const auto error = [](const std::string& path) { return GetSongOpenError(path.c_str()).Str(); };
    EXPECT_EQ(error(song), "") << "a MIDI file is read";
    std::ofstream(folder.Path("Here.Song")) << "[Info]";
    EXPECT_EQ(error(folder.Path("Here.Song")), "") << "a song document is read";
    EXPECT_EQ(error(folder.Path("Blues.Song")),
              "Can't open song (" + folder.Path("Blues.Song") + "): the file does not exist");
    EXPECT_EQ(error(song + "/inner.mid"),
              "Can't open song (" + song + "/inner.mid): the file does not exist");
    EXPECT_EQ(error(folder.Get()),
              "Can't open song (" + folder.Get() + "): it is a folder, not a file");
    EXPECT_EQ(error(other),
              "Can't open song (" + other + "): the file is not a song (\".mid\" or \".Song\")");
    EXPECT_EQ(error(fifo), "Can't open song (" + fifo + "): it is not a file");
    const std::string longPath = "/" + std::string(200, 'n') + "/" + std::string(200, 'n') + ".mid";
    EXPECT_EQ(error(longPath), "Can't open song (/" + std::string(kMessageQuoteChars - 1, 'n') +
                                   "...): the file does not exist");
}

TEST(Center, AFileOnTheCommandLineIsAnsweredWithABoxAndTheRunGoesOn) {
    const CTempFolder folder("song-box");
    for (const std::string& path :
         {folder.Path("missing.mid"), folder.Get(), folder.Path("missing.wav")}) {
        CNullBackend backend;
        CCenter center(kNotaraDemoKind, path.c_str(), backend.GetPlatform());
        ASSERT_TRUE(center.Init());
        backend.GetEventLoop().ProcessMessages();
        const auto& boxes = backend.GetWindowSystem().GetBoxes();
        ASSERT_EQ(boxes.size(), 1u) << path;
        EXPECT_EQ(boxes[0].text, GetSongOpenError(path.c_str()).Str());
        EXPECT_TRUE(boxes[0].hasOwner);
        EXPECT_EQ(boxes[0].text, center.GetError());
        EXPECT_TRUE(backend.GetWindowSystem().GetWindows().at(0)->IsVisible());
        EXPECT_TRUE(backend.GetJournal().GetEntries("Quit").empty());
    }
}

TEST(Center, ACommandOnTheCommandLineIsNoFile) {
    CNullBackend backend;
    CCenter center(kNotaraDemoKind, "SomeCommand tune.mid", backend.GetPlatform());
    ASSERT_TRUE(center.Init());
    backend.GetEventLoop().ProcessMessages();
    EXPECT_TRUE(backend.GetWindowSystem().GetBoxes().empty());
    EXPECT_STREQ(center.GetError(), "");
}

TEST(Center, ThePictureCrossFadeGoesOutRebuildsAndComesBack) {
    CPictureFade fade;
    EXPECT_FALSE(fade.Step()) << "an idle fade changes nothing";
    fade.Start();
    int steps = 0;
    while (fade.GetState() == CPictureFade::kFadingOut && steps < 100) {
        fade.Step();
        ++steps;
    }
    EXPECT_EQ(steps, 10);
    EXPECT_FLOAT_EQ(fade.GetLevel(), 0.0f);
    fade.Step();  // rebuild
    EXPECT_EQ(fade.GetState(), CPictureFade::kFadingIn);
    steps = 0;
    while (fade.GetState() == CPictureFade::kFadingIn && steps < 100) {
        fade.Step();
        ++steps;
    }
    EXPECT_EQ(steps, 10);
    EXPECT_FLOAT_EQ(fade.GetLevel(), 1.0f);
    EXPECT_EQ(fade.GetState(), CPictureFade::kIdle);
}

TEST(Center, KeepsADamagedDefaultMixAndWritesOnlyAChangedOneAtClose) {
    CCharString folder;
    ASSERT_TRUE(GetProgramFolder(folder));
    const std::string sound = std::string(folder.GetText()) + "/Sound";
    std::filesystem::create_directories(sound);
    const std::string path = sound + "/Default.mix";
    const std::string garbage = "\x01\x02 not a mix \xff\n";
    {
        std::ofstream file(path, std::ios::binary);
        file << garbage;
    }
    for (int run = 0; run < 2; ++run) {
        CNullBackend backend;
        START_OPTIONS options;
        options.quitAfterSeconds = 0.5;
        EXPECT_EQ(RunApplication(backend.GetPlatform(), kNotaraDemoKind, options), 0);
        std::ifstream file(path, std::ios::binary);
        const std::string kept((std::istreambuf_iterator<char>(file)), {});
        EXPECT_EQ(kept, garbage) << "the damaged mix was overwritten at close";
    }
    // Without a file the defaults are used and, unchanged, not written.
    std::filesystem::remove(path);
    CNullBackend backend;
    START_OPTIONS options;
    options.quitAfterSeconds = 0.5;
    EXPECT_EQ(RunApplication(backend.GetPlatform(), kNotaraDemoKind, options), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    // A changed mix is written at close.
    {
        CNullBackend changing;
        CCenter center(kNotaraDemoKind, "", changing.GetPlatform());
        ASSERT_TRUE(center.Init());
        changing.GetEventLoop().ProcessMessages();
        ASSERT_NE(center.GetMix(), nullptr);
        ASSERT_TRUE(center.GetMix()->Set(1, 0.5f, 0.25f));
        center.Close();
    }
    CMix mix;
    ASSERT_TRUE(mix.Load(path.c_str()))
        << "no readable Default.mix after a run: " << mix.GetError();
    float volume = 0.0f, pan = 0.0f;
    mix.Get(1, volume, pan);
    EXPECT_FLOAT_EQ(volume, 0.5f);
    std::filesystem::remove(path);
}
