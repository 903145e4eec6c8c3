#include <gtest/gtest.h>

#include <string>

#include "foundation/QuotedText.h"

TEST(QuotedText, ShortTextStaysAsItIs) {
    EXPECT_EQ(QuoteForMessage("Lessons/Treble.txt"), "Lessons/Treble.txt");
    EXPECT_EQ(QuoteForMessage(""), "");
    EXPECT_EQ(QuoteForMessage(nullptr), "");
    const std::string sixty(60, 'x');
    EXPECT_EQ(QuoteForMessage(sixty.c_str()), sixty.c_str());
}

TEST(QuotedText, LongTextKeepsItsStartAndEndAroundDots) {
    const std::string path = "/home/" + std::string(131 * 1024, 'a') + "/Lessons/Treble.txt";
    const std::string quoted = QuoteForMessage(path.c_str()).Str();
    EXPECT_EQ(quoted.size(), 60u);
    EXPECT_EQ(quoted.rfind("/home/aaa", 0), 0u) << quoted;
    EXPECT_NE(quoted.find("..."), std::string::npos) << quoted;
    EXPECT_EQ(quoted.substr(quoted.size() - 18), "Lessons/Treble.txt") << quoted;
    EXPECT_EQ(QuoteForMessage("abcdefghij", 7), "ab...ij");
    EXPECT_EQ(QuoteForMessage("abcdefghij", 4), "a...");
    EXPECT_EQ(QuoteForMessage("abcdefghij", 2), "...");
}

TEST(QuotedText, CountsCharactersAndNeverCutsOneInTwo) {
    std::string text;
    for (int i = 0; i < 100; ++i) {
        text += "\xC3\xA9";  // e acute, two bytes
    }
    const std::string quoted = QuoteForMessage(text.c_str(), 10).Str();
    std::string expected;
    for (int i = 0; i < 4; ++i) {
        expected += "\xC3\xA9";
    }
    expected += "...";
    for (int i = 0; i < 3; ++i) {
        expected += "\xC3\xA9";
    }
    EXPECT_EQ(quoted, expected);
    EXPECT_EQ(QuoteForMessage(expected.c_str(), 10).Str(), expected);
}

TEST(QuotedText, ControlCharactersCannotBreakTheMessageIntoLines) {
    EXPECT_EQ(QuoteForMessage("one\r\ntwo\tthree\x7F"), "one??two?three?");
}
