// The running application under a desktop locale that writes a decimal
// comma: a lesson button's and a song document's numbers read as they are
// written, with a point, whatever the locale; a comma is refused and told.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "CommaLocale.h"
#include "GrooveFixture.h"
#include "TempFolder.h"
#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "app/Center.h"
#include "exercise/Teacher.h"
#include "platform/null/NullBackend.h"
#include "platform/null/NullDocumentDialog.h"
#include "songio/MidiFile.h"
#include "songs/Song.h"
#include "ui/LessonSettings.h"

namespace fs = std::filesystem;

namespace {

// Far longer than any song here takes to read.
constexpr double kReadSeconds = 30.0;

// A course of one document with two buttons: a tempo with a point, and the
// same tempo with a comma.
std::string WriteCourse(const CTempFolder& folder) {
    fs::create_directories(folder.Path("Tutorials/Notara/Lessons"));
    std::ofstream(folder.Path("Tutorials/Notara/Notara Content.txt"))
        << "Tempo~Lessons/tempo.txt\n";
    std::ofstream(folder.Path("Tutorials/Notara/Lessons/tempo.txt"))
        << "<1>Tempo\n"
        << "<b>Point~^Scale=C maj|StartNote=60|EndNote=72|Tempo=1.5\n"
        << "<b>Comma~^Scale=C maj|StartNote=60|EndNote=72|Tempo=1,5\n";
    return folder.Path("Tutorials") + "/";
}

std::string WriteSong(const CTempFolder& folder, const std::string& name, const char* tempo) {
    const std::string path = folder.Path(name + ".Song");
    std::ofstream(path, std::ios::binary)
        << "Start of Song Info= \r\nName=" << name << "\r\nTempo=" << tempo
        << "\r\nParts=Verse~1\r\nEnd of Song Info= \r\nStart of Song Part= \r\nName=Verse\r\n"
           "Groove style=Easy\r\nGroove name=Climb\r\nChords=48/0/1,55/0/1\r\n"
           "End of Song Part= \r\n\r\n";
    return path;
}

TEST(CommaLocaleRun, ALessonButtonsTempoReadsWithAPointAndACommaIsRefused) {
    const CTempFolder folder("comma-lesson");
    const std::string tutorials = WriteCourse(folder);
    CCommaLocale locale;
    ASSERT_TRUE(locale.IsActive()) << locale.Why();
    CNullBackend backend;
    auto center = std::make_unique<CCenter>(kNotaraDemoKind, "", backend.GetPlatform());
    ASSERT_TRUE(center->Init()) << center->GetError();
    center->GetSettings()->tutorialsFolder = tutorials.c_str();
    backend.GetEventLoop().ProcessMessages();  // start-up
    const auto dialogs = backend.GetWindowSystem().GetDocumentDialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    CNullDocumentDialog& dialog = *dialogs[0];
    ASSERT_TRUE(dialog.ChooseListItem(0));
    ASSERT_TRUE(dialog.ClickButton(0));
    backend.GetEventLoop().ProcessMessages();
    ASSERT_NE(center->GetLesson(), nullptr) << center->GetError();
    EXPECT_DOUBLE_EQ(center->GetLesson()->tempo, 1.5);
    const size_t boxes = backend.GetWindowSystem().GetBoxes().size();
    ASSERT_TRUE(dialog.ClickButton(1));
    backend.GetEventLoop().ProcessMessages();
    EXPECT_DOUBLE_EQ(center->GetLesson()->tempo, 1.5) << "the comma's lesson did not start";
    const auto& told = backend.GetWindowSystem().GetBoxes();
    ASSERT_GT(told.size(), boxes);
    EXPECT_NE(told.back().text.find("decimal comma"), std::string::npos) << told.back().text;
}

TEST(CommaLocaleRun, ASongDocumentsTempoReadsWithAPointAndACommaIsRefused) {
    const CTempFolder folder("comma-song");
    fs::create_directories(folder.Path("Grooves/Easy"));
    ASSERT_TRUE(WriteGroove(folder.Path("Grooves/Easy/Climb.mid"), {48, 52, 55, 60}));
    const std::string point = WriteSong(folder, "Point", "100.5");
    const std::string comma = WriteSong(folder, "Comma", "100,5");
    CCommaLocale locale;
    ASSERT_TRUE(locale.IsActive()) << locale.Why();
    CNullBackend backend;
    auto center = std::make_unique<CCenter>(kNotaraDemoKind, "", backend.GetPlatform());
    ASSERT_TRUE(center->Init()) << center->GetError();
    backend.GetEventLoop().ProcessMessages();  // start-up
    center->GetSettings()->grooveRoot = (folder.Path("Grooves") + "/").c_str();
    ASSERT_TRUE(center->OpenTuneLesson(point.c_str()));
    EXPECT_TRUE(center->WaitForTuneLesson(kReadSeconds)) << center->GetError();
    EXPECT_TRUE(center->GetTeacher()->IsTune());
    ASSERT_TRUE(center->OpenTuneLesson(comma.c_str()));
    EXPECT_FALSE(center->WaitForTuneLesson(kReadSeconds));
    EXPECT_NE(std::string(center->GetError()).find("written with a decimal point"),
              std::string::npos)
        << center->GetError();
}

}  // namespace
