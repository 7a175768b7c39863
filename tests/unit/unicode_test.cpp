#include "core/unicode.h"

#include <gtest/gtest.h>

using namespace quill::core;

TEST(Unicode, RoundTripsEveryPlaneThroughAllThreeEncodings) {
    const std::u32string text = U"aÄß€\u201E\u4E2D\U0001F600\U0010FFFF";
    EXPECT_EQ(utf8ToUtf32(utf32ToUtf8(text)), text);
    EXPECT_EQ(utf16ToUtf32(utf32ToUtf16(text)), text);
    EXPECT_EQ(utf16ToUtf8(utf8ToUtf16(utf32ToUtf8(text))), utf32ToUtf8(text));
    EXPECT_EQ(utf32ToUtf16(U"\U0001F600"), u"\xD83D\xDE00");
}

TEST(Unicode, BrokenInputBecomesReplacementCharactersNotSilence) {
    EXPECT_EQ(utf8ToUtf32("a\xC3"), U"a\uFFFD");                    // truncated sequence
    EXPECT_EQ(utf8ToUtf32("\xC0\xAF"), U"\uFFFD\uFFFD");            // overlong
    EXPECT_EQ(utf8ToUtf32("\xED\xA0\x80"), U"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
    EXPECT_EQ(utf16ToUtf32(u"\xD800x"), U"\uFFFDx");                // lone high surrogate
    EXPECT_EQ(utf16ToUtf32(u"\xDC00"), U"\uFFFD");                  // lone low surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));                  // above U+10FFFF
    EXPECT_TRUE(isValidUtf8("Grüße \xF0\x9F\x98\x80"));
    EXPECT_EQ(codePointCount("Grüße"), 5u);
}

TEST(Unicode, EveryKindOfLineBreakBecomesCrLf) {
    EXPECT_EQ(withCrLfLineBreaks(U"a\r\nb\nc\rd\u2029e"), U"a\r\nb\r\nc\r\nd\r\ne");
    EXPECT_EQ(withCrLfLineBreaks(U"\r\r\n\n"), U"\r\n\r\n\r\n");
}
