#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "app/ContentFile.h"
#include "app/LessonCheck.h"
#include "foundation/DiskFile.h"
#include "midi/SmfReader.h"
#include "songio/Melody.h"
#include "theory/NoteManager.h"
#include "ui/DocumentLine.h"
#include "ui/LessonSettings.h"

namespace {

constexpr int kLowestKey = 36;  // the keyboard of the note-reading picture
constexpr int kHighestKey = 95;

const std::string kBuiltTutorials = std::string(NOTARA_BINARY_DIR) + "/Tutorials";
const std::string kShippedTutorials = std::string(NOTARA_TEST_DATA) + "/../../data/Tutorials";

std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The content of the note-reading kinds as the build tree holds it.
bool LoadNotaraContent(CContentFile& content) {
    const std::vector<const char*> names = CContentFile::GetContentNames(11);
    return names.size() == 1 &&
           content.Load(CContentFile::MakePath(kBuiltTutorials.c_str(), names[0]));
}

// How many notes a lesson of scale over [low, high] draws from, as the
// lesson logic picks them: the scale's own notes laid from its root.
int CountLessonNotes(CNoteManager& notes, int scale, int low, int high) {
    // Keys start on their own root, the other scales on middle C.
    int root = 60;
    int accidental = 0;
    if (!CNoteManager::GetKeyRoot(scale, root, accidental)) {
        root = 60;
    }
    CNoteList laid;
    if (!notes.GetScaleOverRange(scale, root, laid)) {
        return 0;
    }
    int count = 0;
    for (int i = 0; i < laid.GetCount(); ++i) {
        const CNote& note = *laid.GetAt(i);
        count += note.midiNote >= low && note.midiNote <= high && note.intervalFrets == 0;
    }
    return count;
}

// Every action button of the course: its document, its line and the lesson
// it starts; false when a document or a button can't be read.
struct BUTTON {
    std::string path;
    std::string line;
    LESSON_SETTINGS lesson;
};

bool ReadButtons(std::vector<BUTTON>& buttons, std::string& problem) {
    CContentFile content;
    if (!LoadNotaraContent(content)) {
        problem = content.GetError();
        return false;
    }
    for (const CONTENT_ENTRY& entry : content.GetEntries()) {
        std::vector<CCharString> lines;
        CDiskFile file;
        if (!file.ReadLines(entry.path, lines)) {
            problem = file.GetError();
            return false;
        }
        for (const CCharString& text : lines) {
            DOCUMENT_LINE line;
            line.Parse(text);
            if (!line.IsButton()) {
                continue;
            }
            BUTTON button{entry.path.Str(), text.Str(), {}};
            DISPLAY_SETTINGS display;
            CCharString error;
            if (!ParseActionParameters(line.parameters, button.lesson, display, error)) {
                problem = button.path + ": " + button.line + ": " + error.Str();
                return false;
            }
            buttons.push_back(button);
        }
    }
    return true;
}

}  // namespace

TEST(TutorialContent, TheBuildTreeHoldsTheShippedTutorials) {
    CContentFile content;
    ASSERT_TRUE(LoadNotaraContent(content)) << content.GetError();
    const std::string relative = "/Notara/Notara Content.txt";
    EXPECT_EQ(ReadBytes(kBuiltTutorials + relative), ReadBytes(kShippedTutorials + relative));
    for (const CONTENT_ENTRY& entry : content.GetEntries()) {
        const std::string built = entry.path.Str();
        const std::string shipped = kShippedTutorials + built.substr(kBuiltTutorials.size());
        EXPECT_EQ(ReadBytes(built), ReadBytes(shipped)) << built;
    }
}

TEST(TutorialContent, EveryLineOfTheContentFileListsADocumentThatExists) {
    CContentFile content;
    ASSERT_TRUE(LoadNotaraContent(content)) << content.GetError();
    const std::string bytes = ReadBytes(kBuiltTutorials + "/Notara/Notara Content.txt");
    // Every line ends with CR LF, so that none is left out.
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    size_t lines = 0;
    for (size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 2)) {
        ++lines;
    }
    EXPECT_EQ(content.GetEntries().size(), lines);
    EXPECT_GE(content.GetEntries().size(), 12u);
    std::set<std::string> titles;
    for (const CONTENT_ENTRY& entry : content.GetEntries()) {
        EXPECT_TRUE(titles.insert(entry.title.Str()).second) << "twice: " << entry.title;
        std::vector<CCharString> documentLines;
        CDiskFile file;
        EXPECT_TRUE(file.ReadLines(entry.path, documentLines)) << file.GetError();
        EXPECT_FALSE(documentLines.empty()) << entry.path;
    }
}

TEST(TutorialContent, EveryDocumentExplainsItsNotesBeforeItsButtons) {
    CContentFile content;
    ASSERT_TRUE(LoadNotaraContent(content)) << content.GetError();
    for (const CONTENT_ENTRY& entry : content.GetEntries()) {
        const std::string bytes = ReadBytes(entry.path.Str());
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << entry.path;
        std::vector<CCharString> lines;
        CDiskFile file;
        ASSERT_TRUE(file.ReadLines(entry.path, lines)) << file.GetError();
        ASSERT_FALSE(lines.empty());
        DOCUMENT_LINE line;
        line.Parse(lines[0]);
        EXPECT_EQ(line.tag, "1") << entry.path << ": starts with its title";
        size_t wordsBeforeButton = 0;
        int buttons = 0;
        for (const CCharString& text : lines) {
            line.Parse(text);
            EXPECT_TRUE(line.IsShown() || line.IsButton()) << entry.path << ": " << text;
            EXPECT_EQ(text.Str().find('\r'), std::string::npos) << entry.path;
            if (line.IsButton()) {
                EXPECT_FALSE(line.caption.IsEmpty()) << entry.path;
                EXPECT_LE(line.caption.GetLength(), 16u) << "fits its button: " << line.caption;
                ++buttons;
            } else if (buttons == 0 && line.tag.IsEmpty()) {
                wordsBeforeButton += line.content.GetLength();
            }
        }
        EXPECT_GE(buttons, 1) << entry.path;
        EXPECT_GE(wordsBeforeButton, 200u) << entry.path << ": too little explanation";
    }
}

TEST(TutorialContent, EveryButtonStartsALessonOnTheKeyboard) {
    CNoteManager notes;
    ASSERT_TRUE(notes.Init()) << notes.GetError();
    std::vector<BUTTON> buttons;
    std::string problem;
    ASSERT_TRUE(ReadButtons(buttons, problem)) << problem;
    std::set<std::string> scales;
    int tunes = 0;
    for (BUTTON& button : buttons) {
        const std::string where = button.path + ": " + button.line;
        LESSON_SETTINGS& lesson = button.lesson;
        if (!lesson.file.IsEmpty()) {
            // A tune: the file the build wrote beside the content file is
            // a melody of notes to read.
            const std::string path = kBuiltTutorials + "/Notara/" + lesson.file.Str();
            CSmfReader reader;
            SMF_FILE file;
            CMelody melody;
            ASSERT_TRUE(reader.ReadFile(path.c_str(), file)) << where << ": " << reader.GetError();
            ASSERT_TRUE(melody.Take(file)) << where << ": " << melody.GetError();
            EXPECT_GE(melody.GetNotes().size(), 16u) << where;
            for (int note : melody.GetNotes()) {
                EXPECT_GE(note, kLowestKey) << where;
                EXPECT_LE(note, kHighestKey) << where;
            }
            ++tunes;
            continue;
        }
        CCharString error;
        int scale = 0;
        EXPECT_TRUE(CNoteManager::FindScale(lesson.scale, scale)) << where;
        int checked = 0;
        EXPECT_TRUE(CheckLesson(lesson, checked, error)) << where << ": " << error;
        ASSERT_NE(lesson.startNote, LESSON_SETTINGS::kUnset) << where;
        ASSERT_NE(lesson.endNote, LESSON_SETTINGS::kUnset) << where;
        EXPECT_GE(lesson.startNote, kLowestKey) << where;
        EXPECT_LE(lesson.endNote, kHighestKey) << where;
        EXPECT_LT(lesson.startNote, lesson.endNote) << where;
        // At least two notes, so that a new note follows each right one.
        EXPECT_GE(CountLessonNotes(notes, scale, lesson.startNote, lesson.endNote), 2) << where;
        scales.insert(lesson.scale.Str());
    }
    EXPECT_EQ(tunes, 3) << "the tunes of the course";
    // The course reaches the keys it promises.
    for (const char* key : {"C maj", "G maj", "F maj", "D maj", "Bb maj", "Chromatic"}) {
        EXPECT_EQ(scales.count(key), 1u) << key;
    }
}

TEST(TutorialContent, TheLessonNoteCountsAreThoseOfTheirScales) {
    CNoteManager notes;
    ASSERT_TRUE(notes.Init());
    int scale = 0;
    ASSERT_TRUE(CNoteManager::FindScale("C maj", scale));
    EXPECT_EQ(CountLessonNotes(notes, scale, 64, 77), 9);  // the treble staff
    ASSERT_TRUE(CNoteManager::FindScale("F maj", scale));
    EXPECT_EQ(CountLessonNotes(notes, scale, 60, 72), 8);
    ASSERT_TRUE(CNoteManager::FindScale("Chromatic", scale));
    EXPECT_EQ(CountLessonNotes(notes, scale, 60, 72), 13);
}

// The review lessons hide the two hints that give the answer away; the
// others leave the hints as the learner chose them.
TEST(TutorialContent, TheReviewLessonsTurnTheNoteNamesAndTheKeyMarkOff) {
    std::vector<BUTTON> buttons;
    std::string problem;
    ASSERT_TRUE(ReadButtons(buttons, problem)) << problem;
    std::set<std::string> reviews;
    for (const BUTTON& button : buttons) {
        const bool review = button.path.find("Review") != std::string::npos ||
                            button.path.find("Lines and Spaces") != std::string::npos;
        if (review) {
            reviews.insert(button.path);
        }
        const std::string where = button.path + ": " + button.line;
        EXPECT_EQ(button.lesson.noteNames, review ? 0 : LESSON_SETTINGS::kUnset) << where;
        EXPECT_EQ(button.lesson.keyMark, review ? 0 : LESSON_SETTINGS::kUnset) << where;
        EXPECT_EQ(button.lesson.keyLetters, LESSON_SETTINGS::kUnset) << where;
    }
    EXPECT_EQ(reviews.size(), 3u) << "the treble and bass clef reviews and the final review";
}
