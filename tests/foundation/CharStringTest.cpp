#include <gtest/gtest.h>

#include <string>

#include "foundation/CharString.h"

TEST(CharString, GrowsByItsStepWhenTheRequestIsSmallerThanTheStep) {
    CCharString text(10, 64);
    EXPECT_TRUE(text.Reserve(20));
    EXPECT_EQ(text.GetCapacity(), 74);
    CCharString other(10, 64);
    EXPECT_TRUE(other.Reserve(100));
    EXPECT_EQ(other.GetCapacity(), 100);
    EXPECT_TRUE(other.Reserve(50));  // never shrinks
    EXPECT_EQ(other.GetCapacity(), 100);
}

TEST(CharString, StartsEmptyWithCapacityOfAtLeastOne) {
    CCharString text(0, 0);
    EXPECT_EQ(text.GetCapacity(), 1);
    EXPECT_STREQ(text.GetText(), "");
    EXPECT_EQ(text.GetLength(), 0u);
    CCharString fromNull(static_cast<const char*>(nullptr));
    EXPECT_STREQ(fromNull.GetText(), "");
}

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
}

TEST(CharString, TrimRemovesEveryLeadingAndTrailingOccurrence) {
    CCharString text("//a/b//");
    text.Trim('/');
    EXPECT_EQ(text, "a/b");
    CCharString only("////");
    only.Trim('/');
    EXPECT_EQ(only, "");
    CCharString empty("");
    empty.Trim('x');
    EXPECT_EQ(empty, "");
}

TEST(CharString, ReplacesCharactersAndReadsBeyondTheEndAsZero) {
    CCharString text("a\\b\\c");
    text.ReplaceChar('\\', '/');
    EXPECT_EQ(text, "a/b/c");
    EXPECT_EQ(text.GetAt(4), 'c');
    EXPECT_EQ(text.GetAt(5), '\0');
    EXPECT_EQ(text.GetAt(1000000), '\0');
}

TEST(CharString, ConcatenationWithACharacterLeavesTheOriginal) {
    const CCharString text("note");
    const CCharString more = text + 's';
    EXPECT_EQ(more, "notes");
    EXPECT_EQ(text, "note");
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
