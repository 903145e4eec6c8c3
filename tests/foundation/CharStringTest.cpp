#include <gtest/gtest.h>

#include <string>

#include "foundation/CharString.h"

TEST(CharString, FormatsTextsLongerThanAnyFixedBuffer) {
    CCharString text;
    const std::string line(100000, 'x');
    ASSERT_NE(text.Format("%s|%d", line.c_str(), 42), nullptr);
    EXPECT_EQ(text.GetLength(), 100003u);
    EXPECT_EQ(text.GetAt(100000), '|');
    EXPECT_STREQ(text.Format("%s", ""), "");
}

TEST(CharString, AssignAppendAndJoinTreatNullAsEmptyOrFailure) {
    CCharString text("abc");
    EXPECT_TRUE(text.Append(nullptr));
    EXPECT_TRUE(text.Append(""));
    EXPECT_EQ(text, "abc");
    EXPECT_TRUE(text.AssignN("abcdef", 4));
    EXPECT_EQ(text, "abcd");
    EXPECT_TRUE(text.AssignN("ab", 10));
    EXPECT_EQ(text, "ab");
    EXPECT_FALSE(text.Join(nullptr, 0, "x", 1));
    EXPECT_EQ(text, "ab");
    EXPECT_TRUE(text.Join("left", 4, "right", 3));
    EXPECT_EQ(text, "leftrig");
    EXPECT_TRUE(text.Assign(nullptr));
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_STREQ(CCharString(static_cast<const char*>(nullptr)).GetText(), "");
    EXPECT_STREQ(CCharString(0, 0).GetText(), "");
}

TEST(CharString, TrimReplaceAndConcatenateEditOnlyTheirOwnText) {
    const struct {
        const char* text;
        const char* trimmed;
    } trims[] = {{"//a/b//", "a/b"}, {"////", ""}, {"", ""}};
    for (const auto& c : trims) {
        CCharString text(c.text);
        text.Trim('/');
        EXPECT_EQ(text, c.trimmed) << c.text;
    }
    CCharString path("a\\b\\c");
    path.ReplaceChar('\\', '/');
    EXPECT_EQ(path, "a/b/c");
    EXPECT_EQ(path.GetAt(4), 'c');
    EXPECT_EQ(path.GetAt(5), '\0');  // beyond the end reads as zero
    EXPECT_EQ(path.GetAt(1000000), '\0');
    const CCharString more = path + 's';
    EXPECT_EQ(more, "a/b/cs");
    EXPECT_EQ(path, "a/b/c");
}

TEST(CharString, CopiesAndMovesAreIndependent) {
    CCharString a("first");
    CCharString b(a);
    b.Append("!");
    EXPECT_EQ(a, "first");
    CCharString c(std::move(b));
    EXPECT_EQ(c, "first!");
    a = c;
    c.Assign("changed");
    EXPECT_EQ(a, "first!");
    a = a;  // self-assignment keeps the text
    EXPECT_EQ(a, "first!");
}

TEST(CharString, FormatsTimesAndFailsCleanlyOnBadFormats) {
    CCharString text;
    EXPECT_TRUE(text.FormatTime("%Y-%m-%d %H:%M:%S", 0, false));
    EXPECT_EQ(text, "1970-01-01 00:00:00");
    EXPECT_TRUE(text.FormatTime("%Y", 86400LL * 365 * 40, false));
    EXPECT_EQ(text, "2009");
    EXPECT_FALSE(text.FormatTime("", 0, false));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(text.FormatTime(nullptr, 0, true));
}
