#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

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
