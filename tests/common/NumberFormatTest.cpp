#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../CommaLocale.h"
#include "common/NumberFormat.h"

namespace {

using NumberFormat::FormatDouble;
using NumberFormat::FormatInt;
using NumberFormat::ParseDouble;
using NumberFormat::ParseInt;

// What "%.*f" writes in the C locale.
std::string PrintfC(double value, int decimals) {
    char text[512];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace

TEST(NumberFormat, FixedDecimalsWriteWhatPrintfWroteInTheCLocale) {
    for (const double value : {0.0, 0.3, -0.25, 0.005, 0.015, 1.0 / 3.0, 120.0, 99.995, -0.001,
                               1e15, 123456.789, 2.675, 0.125, 0.375, 2.5}) {
        for (const int decimals : {0, 1, 2, 3}) {
            EXPECT_EQ(FormatDouble(value, decimals), PrintfC(value, decimals))
                << value << " with " << decimals;
        }
    }
    EXPECT_EQ(FormatDouble(0.3, 2), "0.30");
    EXPECT_EQ(FormatDouble(1e300, 2).size(), 304u);
}

TEST(NumberFormat, ShortestTextReadsBackTheSameValue) {
    for (const double value : {0.1, 0.3, 1.0 / 3.0, 1e-300, 1e300, -2.5, 120.0}) {
        double back = 0.0;
        ASSERT_TRUE(ParseDouble(FormatDouble(value), back)) << FormatDouble(value);
        EXPECT_EQ(back, value);
    }
    EXPECT_EQ(FormatDouble(0.3), "0.3");
    EXPECT_EQ(FormatInt(-42), "-42");
}

TEST(NumberFormat, PlainFormReadsDigitsPointSignAndExponent) {
    double value = 0.0;
    EXPECT_TRUE(ParseDouble("0.30", value));
    EXPECT_EQ(value, 0.3);
    EXPECT_TRUE(ParseDouble("-1.5e2", value));
    EXPECT_EQ(value, -150.0);
    EXPECT_TRUE(ParseDouble(".5", value));
    EXPECT_EQ(value, 0.5);
    for (const char* refused :
         {"", " 1", "1 ", "+1", "inf", "nan", "0x10", "1.2.3", "1,5", "-", "abc", "1e", "--1"}) {
        EXPECT_FALSE(ParseDouble(refused, value)) << "'" << refused << "'";
    }
}

TEST(NumberFormat, CLibraryRulesAcceptWhatStrtodAcceptedInTheCLocale) {
    const unsigned rules = NumberFormat::kLikeStrtod;
    for (const char* text : {"1.5", " \t+1.5", "\n-2", "0x1.8p1", "-0X10", "1e3", "5.", ".25",
                             "inf", "-infinity", "nan"}) {
        char* end = nullptr;
        const double expected = std::strtod(text, &end);
        ASSERT_EQ(*end, '\0') << text;
        double value = 0.0;
        ASSERT_TRUE(ParseDouble(text, value, rules)) << text;
        if (std::isnan(expected)) {
            EXPECT_TRUE(std::isnan(value)) << text;
        } else {
            EXPECT_EQ(value, expected) << text;
        }
    }
    double value = 0.0;
    for (const char* refused : {"1.5 ", "+-1", "0x", "0x-1", "1,5", "1e999", "12abc"}) {
        EXPECT_FALSE(ParseDouble(refused, value, rules)) << refused;
    }
    int64_t whole = 0;
    EXPECT_TRUE(ParseInt(" +12", whole, NumberFormat::kLikeStrtol));
    EXPECT_EQ(whole, 12);
    EXPECT_TRUE(ParseInt("-9223372036854775808", whole));
    EXPECT_EQ(whole, INT64_MIN);
    EXPECT_FALSE(ParseInt("9223372036854775808", whole));
    EXPECT_FALSE(ParseInt("12 ", whole, NumberFormat::kLikeStrtol));
    EXPECT_FALSE(ParseInt("1.0", whole, NumberFormat::kLikeStrtol));
    int small = 0;
    EXPECT_FALSE(ParseInt("2147483648", small));
    EXPECT_TRUE(ParseInt("-2147483648", small));
}

TEST(NumberFormat, BlanksAndSpacesAreTakenOnlyWhereAllowed) {
    double value = 0.0;
    EXPECT_TRUE(ParseDouble(" \t0.5\t ", value, NumberFormat::kSurroundingBlanks));
    EXPECT_EQ(value, 0.5);
    EXPECT_FALSE(ParseDouble("0.5\n", value, NumberFormat::kSurroundingBlanks));
    EXPECT_TRUE(ParseDouble("\n0.5\r\n", value, NumberFormat::kSurroundingSpace));
    EXPECT_FALSE(ParseDouble("   ", value, NumberFormat::kSurroundingSpace));
    EXPECT_TRUE(ParseDouble("12.5", value, NumberFormat::kPlainDecimal));
    for (const char* refused : {"-1", "+1", "1e3", "inf", "1.2.3", "."}) {
        EXPECT_FALSE(ParseDouble(refused, value, NumberFormat::kPlainDecimal)) << refused;
    }
}

TEST(NumberFormat, ADecimalCommaIsRefusedWithItsReason) {
    double value = 7.0;
    std::string reason;
    EXPECT_FALSE(ParseDouble("0,30", value, NumberFormat::kLikeStrtod, &reason));
    EXPECT_EQ(reason, NumberFormat::kDecimalComma);
    EXPECT_EQ(value, 7.0);
    int whole = 0;
    EXPECT_FALSE(ParseInt("120,5", whole, NumberFormat::kLikeStrtol, &reason));
    EXPECT_EQ(reason, NumberFormat::kDecimalComma);
    EXPECT_FALSE(ParseDouble("abc", value, NumberFormat::kPlain, &reason));
    EXPECT_EQ(reason, "it is not a number");
    EXPECT_FALSE(ParseDouble("1e999", value, NumberFormat::kPlain, &reason));
    EXPECT_EQ(reason, "it is out of range");
}

TEST(NumberFormat, TheProcessLocaleChangesNothing) {
    CCommaLocale comma;
    ASSERT_TRUE(comma.IsActive()) << comma.Why();
    const std::string written = FormatDouble(0.3, 2);
    double value = 0.0;
    const bool read = ParseDouble("0.30", value);
    std::string reason;
    double misread = 0.0;
    const bool commaRead = ParseDouble("0,30", misread, NumberFormat::kLikeStrtod, &reason);
    comma.Restore();
    EXPECT_EQ(written, "0.30");
    EXPECT_TRUE(read);
    EXPECT_EQ(value, 0.3);
    EXPECT_FALSE(commaRead);
    EXPECT_EQ(reason, NumberFormat::kDecimalComma);
}
