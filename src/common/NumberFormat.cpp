#include "common/NumberFormat.h"

#include <charconv>
#include <climits>
#include <cstring>
#include <system_error>

namespace NumberFormat {

const char* const kDecimalComma = "it is written with a decimal comma, not a point";

namespace {

constexpr const char* kCSpaces = " \t\n\v\f\r";
constexpr const char* kBlanks = " \t";
// Digits of the largest double before the point, and room for the sign.
constexpr size_t kMaxWholeDigits = 310;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool Refuse(std::string_view /*text*/, const char* why, std::string* reason) {
    if (reason != nullptr) {
        *reason = why;
    }
    return false;
}

// The number itself: text without the blanks or space the extras allow.
std::string_view Trim(std::string_view text, unsigned extras) {
    if ((extras & kSurroundingBlanks) != 0) {
        const size_t first = text.find_first_not_of(kBlanks);
        if (first == std::string_view::npos) {
            return std::string_view();
        }
        text = text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
    }
    if ((extras & kSurroundingSpace) != 0) {
        const size_t last = text.find_last_not_of(kCSpaces);
        text = last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
    }
    if ((extras & (kLeadingSpace | kSurroundingSpace)) != 0) {
        const size_t first = text.find_first_not_of(kCSpaces);
        text = first == std::string_view::npos ? std::string_view() : text.substr(first);
    }
    return text;
}

// Takes the sign off number; false when the extras do not allow it.
bool TakeSign(std::string_view& number, unsigned extras, bool& negative) {
    negative = false;
    if (number.empty() || (number[0] != '+' && number[0] != '-')) {
        return true;
    }
    if ((extras & kPlainDecimal) != 0 || (number[0] == '+' && (extras & kPlusSign) == 0)) {
        return false;
    }
    negative = number[0] == '-';
    number.remove_prefix(1);
    return true;
}

// Why a number that from_chars stopped in (at stop) or refused is no number.
bool Explain(std::string_view text, std::string_view number, const char* stop, std::errc code,
             std::string* reason) {
    if (code == std::errc::result_out_of_range) {
        return Refuse(text, "it is out of range", reason);
    }
    const size_t at = code == std::errc() ? static_cast<size_t>(stop - number.data()) : 0;
    const size_t comma = number.find(',');
    if (comma != std::string_view::npos && comma > 0 && IsDigit(number[comma - 1]) &&
        comma + 1 < number.size() && IsDigit(number[comma + 1]) && at <= comma) {
        return Refuse(text, kDecimalComma, reason);
    }
    return Refuse(text, "it is not a number", reason);
}

bool IsPlainDecimal(std::string_view number) {
    bool digit = false;
    bool point = false;
    for (const char c : number) {
        if (c == '.' && !point) {
            point = true;
        } else if (IsDigit(c)) {
            digit = true;
        } else {
            return false;
        }
    }
    return digit;
}

bool IsHex(std::string_view number) {
    return number.size() > 2 && number[0] == '0' && (number[1] == 'x' || number[1] == 'X');
}

}  // namespace

bool ParseDouble(std::string_view text, double& value, unsigned extras, std::string* reason) {
    std::string_view number = Trim(text, extras);
    bool negative = false;
    if (number.empty()) {
        return Refuse(text, "it is empty", reason);
    }
    if (!TakeSign(number, extras, negative) || number.empty() || number[0] == '+' ||
        number[0] == '-') {
        return Refuse(text, "its sign is not allowed", reason);
    }
    const bool hex = (extras & kCNotation) != 0 && IsHex(number);
    const bool digitFirst = IsDigit(number[0]) || number[0] == '.';
    if (!hex && !digitFirst && (extras & kCNotation) == 0) {
        return Refuse(text, "it is not a number", reason);
    }
    if ((extras & kPlainDecimal) != 0 && !IsPlainDecimal(number)) {
        return Explain(text, number, number.data(), std::errc::invalid_argument, reason);
    }
    if (hex) {
        number.remove_prefix(2);
        if (number[0] == '+' || number[0] == '-') {
            return Refuse(text, "it is not a number", reason);
        }
    }
    double parsed = 0.0;
    const std::from_chars_result result =
        std::from_chars(number.data(), number.data() + number.size(), parsed,
                        hex ? std::chars_format::hex : std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != number.data() + number.size()) {
        return Explain(text, number, result.ptr, result.ec, reason);
    }
    value = negative ? -parsed : parsed;
    return true;
}

bool ParseInt(std::string_view text, int64_t& value, unsigned extras, std::string* reason) {
    std::string_view number = Trim(text, extras);
    bool negative = false;
    if (number.empty()) {
        return Refuse(text, "it is empty", reason);
    }
    if (!TakeSign(number, extras, negative) || number.empty() || !IsDigit(number[0])) {
        return Explain(text, number, number.data(), std::errc::invalid_argument, reason);
    }
    // The sign is read with the digits, so that the most negative number
    // is still in range.
    const char* begin = negative ? number.data() - 1 : number.data();
    int64_t parsed = 0;
    const char* end = number.data() + number.size();
    const std::from_chars_result result = std::from_chars(begin, end, parsed);
    if (result.ec != std::errc() || result.ptr != end) {
        return Explain(text, number, result.ptr, result.ec, reason);
    }
    value = parsed;
    return true;
}

bool ParseInt(std::string_view text, int& value, unsigned extras, std::string* reason) {
    int64_t parsed = 0;
    if (!ParseInt(text, parsed, extras, reason)) {
        return false;
    }
    if (parsed < INT_MIN || parsed > INT_MAX) {
        return Refuse(text, "it is out of range", reason);
    }
    value = static_cast<int>(parsed);
    return true;
}

std::string FormatDouble(double value, int decimals) {
    decimals = decimals < 0 ? 0 : decimals;
    std::string text(kMaxWholeDigits + static_cast<size_t>(decimals) + 2, '\0');
    const std::to_chars_result result = std::to_chars(text.data(), text.data() + text.size(), value,
                                                      std::chars_format::fixed, decimals);
    text.resize(result.ec == std::errc() ? static_cast<size_t>(result.ptr - text.data()) : 0);
    return text;
}

std::string FormatDouble(double value) {
    char text[64];
    const std::to_chars_result result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ec == std::errc() ? result.ptr : text);
}

std::string FormatInt(int64_t value) {
    char text[32];
    const std::to_chars_result result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

}  // namespace NumberFormat
