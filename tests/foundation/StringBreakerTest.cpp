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

TEST(StringBreaker, EachModeSplitsOnItsKindOfDelimiter) {
    constexpr int kEach = CStringBreaker::kEachDelimiter;
    constexpr int kRun = CStringBreaker::kDelimiterRun;
    constexpr int kWhole = CStringBreaker::kWholeString;
    const struct {
        const char* text;
        const char* delimiters;
        int mode;
        bool returnRest;
        Words tokens;
    } cases[] = {
        {"a,,b", ",", kEach, true, {"a", "", "b"}},
        {"a,,b", ",", kRun, true, {"a", "b"}},
        {"a, ;b", ", ;", kRun, true, {"a", "b"}},
        // Without returnRest the last undelimited token is not returned.
        {"a,,b", ",", kEach, false, {"a", ""}},
        {"a,,b", ",", kRun, false, {"a"}},
        // Trailing delimiters give no empty last token.
        {"a,b,", ",", kEach, true, {"a", "b"}},
        {"a b   ", " ", kRun, true, {"a", "b"}},
        // Text after the last delimiter string is not a token.
        {"Scale=C major~^StartNote=60~^", "~^", kWhole, true, {"Scale=C major", "StartNote=60"}},
        {"x~^y", "~^", kWhole, true, {"x"}},
        {"no delimiter", "~^", kWhole, true, {}},
        {"x", "", kWhole, true, {}},
        {"", ",", kEach, true, {}},
        {nullptr, ",", kEach, true, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Tokens(c.text, c.delimiters, c.mode, c.returnRest), c.tokens)
            << (c.text != nullptr ? c.text : "null") << " mode " << c.mode;
    }
    CStringBreaker breaker("rest of it");
    EXPECT_STREQ(breaker.Next(nullptr), "rest of it");
    EXPECT_EQ(breaker.Next(","), nullptr);
}

TEST(StringBreaker, TheRestPointsIntoTheSourceAndSetTextStartsOver) {
    const char* source = "key=value";
    CStringBreaker breaker(source);
    EXPECT_STREQ(breaker.Next("="), "key");
    EXPECT_EQ(breaker.Next("="), source + 4);
    breaker.SetText("x,y");
    EXPECT_STREQ(breaker.Next(","), "x");
    EXPECT_STREQ(breaker.Next(","), "y");
    EXPECT_EQ(breaker.Next(","), nullptr);
}

TEST(StringBreaker, BreaksAVeryLongTextWithManyTokens) {
    constexpr int kTokens = 100000;
    std::string text;
    for (int i = 0; i < kTokens; ++i) {
        text += "tok ";
    }
    CStringBreaker breaker(text.c_str());
    int count = 0;
    while (breaker.Next(" ", CStringBreaker::kDelimiterRun) != nullptr) {
        ++count;
    }
    EXPECT_EQ(count, kTokens);
}
