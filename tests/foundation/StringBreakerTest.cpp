#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/StringBreaker.h"

namespace {

std::vector<std::string> Tokens(const char* text, const char* delimiters, int mode,
                                bool returnRest = true) {
    CStringBreaker breaker(text, returnRest);
    std::vector<std::string> tokens;
    while (const char* token = breaker.Next(delimiters, mode)) {
        tokens.emplace_back(token);
        if (tokens.size() > 1000) {
            break;  // a breaker that never ends fails the test, not the run
        }
    }
    return tokens;
}

using Words = std::vector<std::string>;

}  // namespace

TEST(StringBreaker, EachDelimiterEndsOneTokenInModeOne) {
    EXPECT_EQ(Tokens("a,,b", ",", CStringBreaker::kEachDelimiter), (Words{"a", "", "b"}));
}

TEST(StringBreaker, ARunOfDelimitersCountsAsOneInModeTwo) {
    EXPECT_EQ(Tokens("a,,b", ",", CStringBreaker::kDelimiterRun), (Words{"a", "b"}));
    EXPECT_EQ(Tokens("a, ;b", ", ;", CStringBreaker::kDelimiterRun), (Words{"a", "b"}));
}

TEST(StringBreaker, WithoutReturnRestTheLastUndelimitedTokenIsNotReturned) {
    EXPECT_EQ(Tokens("a,,b", ",", CStringBreaker::kEachDelimiter, false), (Words{"a", ""}));
    EXPECT_EQ(Tokens("a,,b", ",", CStringBreaker::kDelimiterRun, false), (Words{"a"}));
}

TEST(StringBreaker, TrailingDelimitersGiveNoEmptyLastToken) {
    EXPECT_EQ(Tokens("a,b,", ",", CStringBreaker::kEachDelimiter), (Words{"a", "b"}));
    EXPECT_EQ(Tokens("a b   ", " ", CStringBreaker::kDelimiterRun), (Words{"a", "b"}));
}

TEST(StringBreaker, WholeStringDelimiterSplitsOnTheString) {
    EXPECT_EQ(Tokens("Scale=C major~^StartNote=60~^", "~^", CStringBreaker::kWholeString),
              (Words{"Scale=C major", "StartNote=60"}));
    // Text after the last delimiter string is not a token.
    EXPECT_EQ(Tokens("x~^y", "~^", CStringBreaker::kWholeString), (Words{"x"}));
    EXPECT_EQ(Tokens("no delimiter", "~^", CStringBreaker::kWholeString), (Words{}));
    EXPECT_EQ(Tokens("x", "", CStringBreaker::kWholeString), (Words{}));
}

TEST(StringBreaker, EmptyNullAndNullDelimitersAreHandled) {
    EXPECT_EQ(Tokens("", ",", CStringBreaker::kEachDelimiter), (Words{}));
    EXPECT_EQ(Tokens(nullptr, ",", CStringBreaker::kEachDelimiter), (Words{}));
    CStringBreaker breaker("rest of it");
    EXPECT_STREQ(breaker.Next(nullptr), "rest of it");
    EXPECT_EQ(breaker.Next(","), nullptr);
}

TEST(StringBreaker, TheRestIsReturnedAsAPointerIntoTheSource) {
    const char* source = "key=value";
    CStringBreaker breaker(source);
    EXPECT_STREQ(breaker.Next("="), "key");
    const char* rest = breaker.Next("=");
    EXPECT_EQ(rest, source + 4);
}

TEST(StringBreaker, SetTextRestartsOnANewText) {
    CStringBreaker breaker("a b");
    EXPECT_STREQ(breaker.Next(" "), "a");
    breaker.SetText("x,y");
    EXPECT_STREQ(breaker.Next(","), "x");
    EXPECT_STREQ(breaker.Next(","), "y");
    EXPECT_EQ(breaker.Next(","), nullptr);
}

TEST(StringBreaker, BreaksAVeryLongTextWithManyTokens) {
    std::string text;
    for (int i = 0; i < 100000; ++i) {
        text += "tok ";
    }
    CStringBreaker breaker(text.c_str());
    int count = 0;
    while (breaker.Next(" ", CStringBreaker::kDelimiterRun) != nullptr) {
        ++count;
    }
    EXPECT_EQ(count, 100000);
}
