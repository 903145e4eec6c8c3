#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/TextLines.h"

namespace {

using Lines = std::vector<std::string>;

Lines Split(const std::string& text) {
    return SplitLines(text.data(), text.size());
}

}  // namespace

TEST(TextLines, CrLfLfAndCrAloneEachEndOneLine) {
    EXPECT_EQ(Split("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(Split("a\r\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(Split("a\n\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(Split("a\r\n\r\nb\r\n"), (Lines{"a", "", "b"}));
}

TEST(TextLines, ALastLineWithoutALineEndIsALine) {
    EXPECT_EQ(Split("only"), (Lines{"only"}));
    EXPECT_EQ(Split("a\rlast"), (Lines{"a", "last"}));
    EXPECT_EQ(Split("a\r"), (Lines{"a"}));
    EXPECT_EQ(Split("\r"), (Lines{""}));
    EXPECT_EQ(Split(""), (Lines{}));
}

TEST(TextLines, NulBytesStayInsideTheirLine) {
    EXPECT_EQ(Split(std::string("a\0b\rc", 5)), (Lines{std::string("a\0b", 3), "c"}));
}

TEST(TextLines, FindLineEndGivesTheStartOfTheNextLine) {
    const std::string text = "ab\r\ncd\ref";
    size_t next = 0;
    EXPECT_EQ(FindLineEnd(text.data(), text.size(), 0, next), 2u);
    EXPECT_EQ(next, 4u);
    EXPECT_EQ(FindLineEnd(text.data(), text.size(), next, next), 6u);
    EXPECT_EQ(next, 7u);
    EXPECT_EQ(FindLineEnd(text.data(), text.size(), next, next), text.size());
    EXPECT_EQ(next, text.size());
}
