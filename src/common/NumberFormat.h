#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The one number format of every file the program writes and every text it
// parses: a point before the decimals, whatever the process locale, so a
// file written on one machine reads the same on any other. A value written
// with a decimal comma (by an older build under such a locale) is refused
// with a reason, never read as another number.
namespace NumberFormat {

// What a parser takes besides the plain form: an optional '-', digits, at
// most one point among them and, for a double, an exponent ("1.5e3").
enum Extra : unsigned {
    kPlain = 0,
    // White space before the number, as strtod and strtol skip it.
    kLeadingSpace = 1u << 0,
    // Blanks and tabs before and after the number.
    kSurroundingBlanks = 1u << 1,
    // A '+' before the number.
    kPlusSign = 1u << 2,
    // What strtod also takes: hexadecimal ("0x1.8p1"), "inf" and "nan".
    kCNotation = 1u << 3,
    // Neither sign nor exponent: digits with at most one point.
    kPlainDecimal = 1u << 4,
    // White space before and after the number.
    kSurroundingSpace = 1u << 5,
};
// The reason a number written with a decimal comma is refused.
extern const char* const kDecimalComma;

// Everything strtod and strtol took in the C locale.
constexpr unsigned kLikeStrtod = kLeadingSpace | kPlusSign | kCNotation;
constexpr unsigned kLikeStrtol = kLeadingSpace | kPlusSign;

// Reads all of text as a number. False when text is anything else, also
// when the number is out of the type's range, with reason set to why, for
// the caller's own "Can't read ..." text ("it is not a number").
bool ParseDouble(std::string_view text, double& value, unsigned extras = kPlain,
                 std::string* reason = nullptr);
bool ParseInt(std::string_view text, int64_t& value, unsigned extras = kPlain,
              std::string* reason = nullptr);
bool ParseInt(std::string_view text, int& value, unsigned extras = kPlain,
              std::string* reason = nullptr);

// value with exactly decimals digits after the point, as "%.*f" writes it
// in the C locale ("0.30", "-1.250", "12").
std::string FormatDouble(double value, int decimals);
// The shortest text that reads back as value ("0.3", "1e+300").
std::string FormatDouble(double value);
std::string FormatInt(int64_t value);

}  // namespace NumberFormat
