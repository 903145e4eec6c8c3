#include <gtest/gtest.h>

#include <string>

#include "foundation/TextEncoding.h"

namespace {

bool Valid(const std::string& text) {
    return IsValidUtf8(text.data(), text.size());
}

std::string FromLatin1(const std::string& text) {
    return Latin1ToUtf8(text.data(), text.size());
}

}  // namespace

TEST(TextEncoding, AcceptsWellFormedUtf8) {
    EXPECT_TRUE(Valid(""));
    EXPECT_TRUE(Valid(std::string("plain\0text", 10)));
    EXPECT_TRUE(Valid("Cl\xC3\xA9 de sol \xE2\x99\xAA \xF0\x9D\x84\x9E"));
    EXPECT_TRUE(Valid("\xF4\x8F\xBF\xBF"));  // U+10FFFF
}

TEST(TextEncoding, RefusesEveryMalformedSequence) {
    EXPECT_FALSE(Valid("Cl\xE9 de sol"));     // Latin-1 e acute
    EXPECT_FALSE(Valid("\x80"));              // a stray continuation byte
    EXPECT_FALSE(Valid("\xC3"));              // cut at the end
    EXPECT_FALSE(Valid("\xE2\x99x"));         // cut in the middle
    EXPECT_FALSE(Valid("\xC0\xAF"));          // overlong "/"
    EXPECT_FALSE(Valid("\xE0\x80\xAF"));      // overlong "/"
    EXPECT_FALSE(Valid("\xED\xA0\x80"));      // a surrogate
    EXPECT_FALSE(Valid("\xF4\x90\x80\x80"));  // past U+10FFFF
    EXPECT_FALSE(Valid("\xFF\xFE"));
}

TEST(TextEncoding, Latin1BecomesUtf8ByteForCharacter) {
    EXPECT_EQ(FromLatin1("Cl\xE9 de sol"), "Cl\xC3\xA9 de sol");
    EXPECT_EQ(FromLatin1("\xA0\xFF"), "\xC2\xA0\xC3\xBF");
    EXPECT_EQ(FromLatin1(std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_TRUE(Valid(FromLatin1("\x80\x9F\xC0\xFF")));
}

TEST(TextEncoding, TellsContinuationBytesFromTheBytesThatStartACharacter) {
    EXPECT_TRUE(IsUtf8Continuation('\x80'));
    EXPECT_TRUE(IsUtf8Continuation('\xBF'));
    EXPECT_FALSE(IsUtf8Continuation('a'));
    EXPECT_FALSE(IsUtf8Continuation('\xC3'));
    EXPECT_FALSE(IsUtf8Continuation('\xF0'));
}
