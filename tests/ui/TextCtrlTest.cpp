#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "ui/TextCtrl.h"

namespace {

std::string TempPath(const char* name) {
    return ::testing::TempDir() + name;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
}

}  // namespace

TEST(TextCtrl, LaysOutHeadingsTextGapsAndButtonsInDocumentOrder) {
    CTextCtrl text;
    text.SetText(
        "<1>Title\r\nBody text\n<2>Heading\r\n<3>Small\r\n<b>Go~^Scale=C maj\r\n<z>hidden");
    const auto& blocks = text.GetBlocks();
    ASSERT_EQ(blocks.size(), 5u);
    EXPECT_EQ(blocks[0].style, DocumentStyle::kTitle);
    EXPECT_EQ(blocks[1].style, DocumentStyle::kBody);
    EXPECT_EQ(blocks[1].text, "Body text");
    EXPECT_EQ(blocks[2].style, DocumentStyle::kHeading);
    EXPECT_EQ(blocks[3].style, DocumentStyle::kSubheading);
    EXPECT_EQ(blocks[4].style, DocumentStyle::kButton);
    EXPECT_EQ(blocks[4].text, "Go");
    ASSERT_EQ(text.GetButtonCount(), 1);
    EXPECT_STREQ(text.GetButtonParameters(0), "Scale=C maj");
    EXPECT_EQ(text.GetButtonParameters(1), nullptr);
    EXPECT_EQ(text.GetButtonParameters(-1), nullptr);
}

TEST(TextCtrl, SetTextDropsEmptyLinesAndLoadFileKeepsThemAsGaps) {
    CTextCtrl text;
    text.SetText("\r\n\r\nOne\r\n\r\n\nTwo\r\n\r\n");
    ASSERT_EQ(text.GetBlocks().size(), 2u);
    const std::string path = TempPath("text-ctrl-gaps.txt");
    WriteFile(path, "One\r\n\r\nTwo\r\n");
    ASSERT_TRUE(text.LoadFile(path.c_str())) << text.GetError();
    ASSERT_EQ(text.GetBlocks().size(), 3u);
    EXPECT_EQ(text.GetBlocks()[1].style, DocumentStyle::kGap);
    std::remove(path.c_str());
}

TEST(TextCtrl, AFileThatCannotBeReadLeavesAnEmptyDocumentAndSaysWhy) {
    CTextCtrl text;
    text.SetText("<b>Old~^Scale=C maj");
    EXPECT_FALSE(text.LoadFile("/nonexistent/document.txt"));
    EXPECT_TRUE(text.GetBlocks().empty());
    EXPECT_EQ(text.GetButtonCount(), 0);
    EXPECT_EQ(
        std::string(text.GetError()).rfind("Can't read file '/nonexistent/document.txt': ", 0), 0u);
    EXPECT_FALSE(text.LoadFile(nullptr));
}

TEST(TextCtrl, AFileLargerThanAnyDocumentIsRefused) {
    const std::string path = TempPath("text-ctrl-huge.txt");
    WriteFile(path, std::string(CTextCtrl::kMaxFileSize + 1, 'a'));
    CTextCtrl text;
    EXPECT_FALSE(text.LoadFile(path.c_str()));
    EXPECT_TRUE(text.GetBlocks().empty());
    std::remove(path.c_str());
}

TEST(TextCtrl, BinaryBytesAndLoneMarksAreShownAsText) {
    const std::string path = TempPath("text-ctrl-binary.txt");
    WriteFile(path, std::string("\x01\x02<\xff\xfe\r\n>~^|=\r\n<b>~^\r\n<b\r\n", 25));
    CTextCtrl text;
    ASSERT_TRUE(text.LoadFile(path.c_str())) << text.GetError();
    EXPECT_EQ(text.GetButtonCount(), 1);
    EXPECT_STREQ(text.GetButtonParameters(0), "");
    std::remove(path.c_str());
}

namespace {

const std::string kDocuments = std::string(NOTARA_TEST_DATA) + "/text/foreign/Notara/Lessons/";

std::vector<std::string> TextsOf(const CTextCtrl& text) {
    std::vector<std::string> texts;
    for (const DOCUMENT_BLOCK& block : text.GetBlocks()) {
        texts.push_back(block.text);
    }
    return texts;
}

}  // namespace

TEST(TextCtrl, ReadsADocumentWithCarriageReturnsAlone) {
    CTextCtrl text;
    ASSERT_TRUE(text.LoadFile((kDocuments + "cr-only.txt").c_str())) << text.GetError();
    EXPECT_EQ(TextsOf(text),
              (std::vector<std::string>{"Lines end with CR", "", "The line above is empty.", "Play",
                                        "Last line"}));
    EXPECT_EQ(text.GetBlocks()[0].style, DocumentStyle::kTitle);
    EXPECT_EQ(text.GetBlocks()[1].style, DocumentStyle::kGap);
    ASSERT_EQ(text.GetButtonCount(), 1);
    EXPECT_STREQ(text.GetButtonParameters(0), "Scale=C maj");
}

TEST(TextCtrl, ADocumentThatIsNotUtf8IsReadAsLatin1) {
    CTextCtrl text;
    ASSERT_TRUE(text.LoadFile((kDocuments + "latin1.txt").c_str())) << text.GetError();
    EXPECT_EQ(TextsOf(text), (std::vector<std::string>{"Cl\xC3\xA9 de sol",
                                                       "La cl\xC3\xA9 de fa, \xC3\xA0 gauche."}));
}

TEST(TextCtrl, ANulByteIsShownAndKeepsTheRestOfItsLine) {
    CTextCtrl text;
    ASSERT_TRUE(text.LoadFile((kDocuments + "nul-byte.txt").c_str())) << text.GetError();
    ASSERT_EQ(text.GetBlocks().size(), 2u);
    EXPECT_EQ(text.GetBlocks()[1].text,
              std::string("before") + CTextCtrl::kNulStandIn + "after the NUL");
}

TEST(TextCtrl, ALineLongerThanTheLimitIsCutAndANoteSaysSo) {
    constexpr size_t kLongLine = 900 * 1000;
    CTempFolder folder("text-ctrl-long-line");
    const std::string path = folder.Path("long.txt");
    WriteFile(path, "<1>Long\r\n" + std::string(kLongLine, 'a') + "\r\nAfter\r\n");
    CTextCtrl text;
    ASSERT_TRUE(text.LoadFile(path.c_str())) << text.GetError();
    const std::vector<std::string> texts = TextsOf(text);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[1], std::string(CTextCtrl::kMaxLineLength, 'a'));
    EXPECT_EQ(texts[2], CTextCtrl::MakeCutNote(kLongLine));
    EXPECT_NE(texts[2].find("900000 bytes long and was cut"), std::string::npos) << texts[2];
    EXPECT_EQ(text.GetBlocks()[2].style, DocumentStyle::kBody);
    EXPECT_EQ(texts[3], "After");
}

TEST(TextCtrl, ACutNeverSplitsACharacterAndAppliesToShownTextToo) {
    // Two-byte characters after a three-byte tag: the limit falls inside one.
    std::string line;
    while (line.size() <= CTextCtrl::kMaxLineLength) {
        line += "\xC3\xA9";
    }
    CTextCtrl text;
    text.SetText(("<2>" + line).c_str());
    ASSERT_EQ(text.GetBlocks().size(), 2u);
    const std::string& shown = text.GetBlocks()[0].text;
    EXPECT_EQ(text.GetBlocks()[0].style, DocumentStyle::kHeading);
    EXPECT_EQ(shown.size(), CTextCtrl::kMaxLineLength - 4);
    EXPECT_EQ(shown.substr(shown.size() - 2), "\xC3\xA9");
    EXPECT_EQ(text.GetBlocks()[1].text, CTextCtrl::MakeCutNote(line.size() + 3));
}

TEST(TextCtrl, AVeryLongPathIsQuotedShortInTheMessage) {
    const std::string path = "/tmp/" + std::string(131 * 1024, 'd') + "/document.txt";
    CTextCtrl text;
    EXPECT_FALSE(text.LoadFile(path.c_str()));
    const std::string error = text.GetError();
    EXPECT_EQ(error.rfind("Can't read file '/tmp/ddd", 0), 0u) << error.substr(0, 200);
    EXPECT_NE(error.find("ddd...ddd"), std::string::npos) << error.substr(0, 200);
    EXPECT_NE(error.find("ddd/document.txt': "), std::string::npos) << error.substr(0, 200);
    EXPECT_LT(error.size(), 200u) << error.substr(0, 200);
}
