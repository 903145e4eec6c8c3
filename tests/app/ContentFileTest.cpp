#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/ContentFile.h"
#include "foundation/DiskFile.h"
#include "foundation/Random.h"

namespace {

const std::string kFolder = std::string(NOTARA_TEST_DATA) + "/content/";

std::string Fixture(const char* name) {
    return kFolder + name;
}

// A file of bytes in a fresh temporary folder, removed with the object.
class CTempContent {
public:
    explicit CTempContent(const std::string& bytes) {
        char folder[] = "/tmp/notara-content-XXXXXX";
        m_folder = mkdtemp(folder);
        m_path = m_folder + "/Content.txt";
        CCharString error;
        EXPECT_TRUE(CDiskFile::SaveFile(m_path.c_str(), bytes.data(), bytes.size(), error));
    }
    ~CTempContent() {
        std::remove(m_path.c_str());
        rmdir(m_folder.c_str());
    }
    const char* Path() const { return m_path.c_str(); }
    const std::string& Folder() const { return m_folder; }

private:
    std::string m_folder;
    std::string m_path;
};

}  // namespace

TEST(ContentFile, ListsEveryEntryAndALastOneWithoutALineEnd) {
    CContentFile content;
    ASSERT_TRUE(content.Load(Fixture("no-final-line-end.txt").c_str())) << content.GetError();
    const auto& entries = content.GetEntries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].title, "Scales");
    // Documents lie in sub-folders of the content file's folder.
    EXPECT_EQ(entries[0].path.Str(), kFolder + "Scales/C major.txt");
    EXPECT_EQ(entries[1].title, "Treble");
    EXPECT_EQ(entries[1].path.Str(), kFolder + "Lessons/Treble.txt");
    EXPECT_EQ(entries[2].title, "Last");
    EXPECT_EQ(entries[2].path.Str(), kFolder + "Lessons/Last.txt");
}

TEST(ContentFile, ReadsLinesEndedByCarriageReturnsAlone) {
    CContentFile content;
    ASSERT_TRUE(content.Load(Fixture("cr-only.txt").c_str())) << content.GetError();
    const auto& entries = content.GetEntries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].title, "One");
    EXPECT_EQ(entries[0].path.Str(), kFolder + "one.txt");
    EXPECT_EQ(entries[1].path.Str(), kFolder + "Lessons/two.txt");
    EXPECT_EQ(entries[2].title, "Three");
    EXPECT_EQ(entries[2].path.Str(), kFolder + "three.txt");
}

TEST(ContentFile, ReadsEveryKindOfLineEndInOneFile) {
    CContentFile content;
    ASSERT_TRUE(content.Load(Fixture("mixed-line-ends.txt").c_str())) << content.GetError();
    const auto& entries = content.GetEntries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].title, "CR LF");
    EXPECT_EQ(entries[0].path.Str(), kFolder + "a.txt");
    EXPECT_EQ(entries[1].title, "LF");
    EXPECT_EQ(entries[2].title, "CR");
    EXPECT_EQ(entries[2].path.Str(), kFolder + "c.txt");
    EXPECT_EQ(entries[3].title, "Last");
}

TEST(ContentFile, ALineNumberCountsCrLfAsOneLineEnd) {
    CTempContent file("One~one.txt\r\nTwo\r\n");
    CContentFile content;
    EXPECT_FALSE(content.Load(file.Path()));
    EXPECT_NE(std::string(content.GetError()).find("line 2 has no document"), std::string::npos)
        << content.GetError();
}

TEST(ContentFile, AVeryLongPathIsQuotedShortInTheMessage) {
    const std::string path = "/tmp/" + std::string(131 * 1024, 'p') + "/Content.txt";
    CContentFile content;
    EXPECT_FALSE(content.Load(path.c_str()));
    const std::string error = content.GetError();
    EXPECT_EQ(error.rfind("Can't read content file '/tmp/ppp", 0), 0u) << error.substr(0, 200);
    EXPECT_NE(error.find("ppp...ppp"), std::string::npos) << error.substr(0, 200);
    EXPECT_NE(error.find("ppp/Content.txt': "), std::string::npos) << error.substr(0, 200);
    EXPECT_LT(error.size(), 200u) << error.substr(0, 200);
}

TEST(ContentFile, ReadsLinesEndedByLineFeedsAlone) {
    CContentFile content;
    ASSERT_TRUE(content.Load(Fixture("lf-only.txt").c_str())) << content.GetError();
    ASSERT_EQ(content.GetEntries().size(), 2u);
    EXPECT_EQ(content.GetEntries()[1].title, "Two");
    EXPECT_EQ(content.GetEntries()[1].path.Str(), kFolder + "two.txt");
}

TEST(ContentFile, ALineWithoutADocumentEndsTheLoad) {
    for (const char* name : {"missing-tilde.txt", "empty-document.txt"}) {
        CContentFile content;
        const std::string path = Fixture(name);
        EXPECT_FALSE(content.Load(path.c_str())) << name;
        EXPECT_TRUE(content.GetEntries().empty()) << name;
        EXPECT_EQ(std::string(content.GetError()),
                  "Can't read content file '" + path + "': line 2 has no document after a \"~\"");
    }
}

TEST(ContentFile, SkipsTildesBeforeTheTitleAndKeepsThemInTheDocument) {
    CContentFile content;
    ASSERT_TRUE(content.Load(Fixture("leading-tildes.txt").c_str())) << content.GetError();
    ASSERT_EQ(content.GetEntries().size(), 1u);
    EXPECT_EQ(content.GetEntries()[0].title, "Title");
    EXPECT_EQ(content.GetEntries()[0].path.Str(), kFolder + "doc~with~tildes.txt");
}

TEST(ContentFile, RefusesDocumentsOutsideItsFolder) {
    for (const char* name : {"leaves-folder.txt", "absolute-document.txt"}) {
        CContentFile content;
        const std::string path = Fixture(name);
        EXPECT_FALSE(content.Load(path.c_str())) << name;
        EXPECT_TRUE(content.GetEntries().empty());
        EXPECT_EQ(std::string(content.GetError()),
                  "Can't read content file '" + path +
                      "': line 2 names a document outside the content file's folder");
    }
}

TEST(ContentFile, RefusesALineWithANulByte) {
    CContentFile content;
    EXPECT_FALSE(content.Load(Fixture("nul-byte.txt").c_str()));
    EXPECT_NE(std::string(content.GetError()).find("line 2 holds a NUL byte"), std::string::npos)
        << content.GetError();
}

TEST(ContentFile, IgnoresAByteOrderMarkAndBlankLines) {
    CContentFile content;
    ASSERT_TRUE(content.Load(Fixture("bom-and-blank.txt").c_str())) << content.GetError();
    ASSERT_EQ(content.GetEntries().size(), 2u);
    EXPECT_EQ(content.GetEntries()[0].title, "First");
    EXPECT_EQ(content.GetEntries()[1].title, "Second");
}

TEST(ContentFile, ALineOfTildesHasNoDocument) {
    CContentFile content;
    EXPECT_FALSE(content.Load(Fixture("only-tildes.txt").c_str()));
    EXPECT_NE(std::string(content.GetError()).find("line 1 has no document"), std::string::npos);
}

TEST(ContentFile, AnEmptyFileListsNothing) {
    CContentFile content;
    EXPECT_TRUE(content.Load(Fixture("empty.txt").c_str()));
    EXPECT_TRUE(content.GetEntries().empty());
    EXPECT_EQ(content.GetShownIndex(3), -1);
}

TEST(ContentFile, AMissingFileIsReportedWithItsPathAndTheSystemsReason) {
    CContentFile content;
    const std::string path = kFolder + "no such file.txt";
    EXPECT_FALSE(content.Load(path.c_str()));
    const std::string error = content.GetError();
    EXPECT_EQ(error.rfind("Can't read content file '" + path + "': ", 0), 0u) << error;
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    EXPECT_FALSE(content.Load(kFolder.c_str()));  // a folder is no content file
    EXPECT_NE(std::string(content.GetError()).find("Can't read content file"), std::string::npos);
    EXPECT_FALSE(content.Load(nullptr));
}

TEST(ContentFile, AFileTooLargeToBeAListIsRefused) {
    std::string bytes;
    while (bytes.size() <= CContentFile::kMaxFileSize) {
        bytes += "Entry~document.txt\r\n";
    }
    CTempContent file(bytes);
    CContentFile content;
    EXPECT_FALSE(content.Load(file.Path()));
    EXPECT_NE(std::string(content.GetError()).find("more than the 1048576 allowed"),
              std::string::npos)
        << content.GetError();
}

TEST(ContentFile, LoadingAgainReplacesTheEntries) {
    CContentFile content;
    ASSERT_TRUE(content.Load(Fixture("lf-only.txt").c_str()));
    ASSERT_TRUE(content.Load(Fixture("leading-tildes.txt").c_str()));
    EXPECT_EQ(content.GetEntries().size(), 1u);
    EXPECT_FALSE(content.Load(Fixture("missing-tilde.txt").c_str()));
    EXPECT_TRUE(content.GetEntries().empty());
}

TEST(ContentFile, GarbledBytesNeverCrashAndEveryEntryHasATitleAndAPath) {
    SeedRandom(1234);
    const char alphabet[] = {'~', '\r', '\n', 'a', '.', '/', '\\', ' ', '\0', '\xFF'};
    for (int round = 0; round < 200; ++round) {
        std::string bytes;
        const int length = Random(0, 400);
        for (int i = 0; i < length; ++i) {
            bytes += alphabet[Random(0, static_cast<int>(sizeof alphabet) - 1)];
        }
        CTempContent file(bytes);
        CContentFile content;
        if (content.Load(file.Path())) {
            for (const CONTENT_ENTRY& entry : content.GetEntries()) {
                EXPECT_EQ(entry.path.Str().rfind(file.Folder() + "/", 0), 0u) << entry.path;
                const std::string document = entry.path.Str().substr(file.Folder().size());
                EXPECT_EQ((document + "/").find("/../"), std::string::npos) << entry.path;
            }
        } else {
            EXPECT_EQ(std::string(content.GetError()).rfind("Can't read content file '", 0), 0u);
        }
    }
}

TEST(ContentFile, TheShownEntryOfASavedIndex) {
    CContentFile content;
    ASSERT_TRUE(content.Load(Fixture("no-final-line-end.txt").c_str()));
    EXPECT_EQ(content.GetShownIndex(-5), 0);
    EXPECT_EQ(content.GetShownIndex(2), 2);
    EXPECT_EQ(content.GetShownIndex(3), 0);
}

TEST(ContentFile, EachKindNamesItsContentFiles) {
    ASSERT_EQ(CContentFile::GetContentNames(11).size(), 1u);
    EXPECT_STREQ(CContentFile::GetContentNames(11)[0], "Notara/Notara Content.txt");
    EXPECT_EQ(CContentFile::GetContentNames(10).size(), 1u);
    EXPECT_EQ(CContentFile::GetContentNames(1).size(), 1u);
    EXPECT_STREQ(CContentFile::GetContentNames(3)[0], "Grooves/Grooves Content.txt");
    ASSERT_EQ(CContentFile::GetContentNames(4).size(), 2u);
    EXPECT_STREQ(CContentFile::GetContentNames(5)[0], "Scales/Scales Content.txt");
    EXPECT_TRUE(CContentFile::GetContentNames(12).empty());
    EXPECT_EQ(CContentFile::MakePath("/x/Tutorials/", "Notara/Notara Content.txt"),
              "/x/Tutorials/Notara/Notara Content.txt");
    EXPECT_EQ(CContentFile::MakePath("/x/Tutorials", "a.txt"), "/x/Tutorials/a.txt");
}
