// Text handling: letter case, malformed bytes, and the ANSI code page.
#include <gtest/gtest.h>

#include "base/text.h"
#include "base/windows1252.h"
#include "platform/ansi.h"

namespace lumo {
namespace {

// Each row holds the same letters in both cases; the first and last letter of every mapped range
// are among them, and the letters each range leaves alone map to themselves both ways.
TEST(Text, LetterCaseMapsEachRangeUpToItsBoundaries) {
    struct Case {
        const char* lower;
        const char* upper;
    };
    for (const Case& c : {Case{"abc xyz a1-_[]", "ABC XYZ A1-_[]"}, Case{"àçñöþé", "ÀÇÑÖÞÉ"}, Case{"ÿ", "Ÿ"},
                          Case{"āĺňŋźžłódź", "ĀĹŇŊŹŽŁÓDŹ"}, Case{"αβγως", "ΑΒΓΩς"}, Case{"аяѐџпривет", "АЯЀЏПРИВЕТ"},
                          Case{"ß÷×ıĸŉſİ", "ß÷×ıĸŉſİ"}}) {
        EXPECT_EQ(UpperCase(c.lower), c.upper) << c.lower;
        EXPECT_EQ(LowerCase(c.upper), c.lower) << c.upper;
    }
    EXPECT_TRUE(EqualsIgnoreCase("Café", "CAFÉ"));
    EXPECT_FALSE(EqualsIgnoreCase("Cafe", "CAFÉ"));
}

// Bytes that do not make a whole UTF-8 character go through the case mapping untouched; code
// points at each encoding length's limits round-trip.
TEST(Text, MalformedBytesKeepTheirPlaceAndCodePointsAtTheLimitsRoundTrip) {
    EXPECT_EQ(UpperCase("g\x80g\xBF\xC3z\xE2\x82z"), "G\x80G\xBF\xC3Z\xE2\x82Z");
    EXPECT_EQ(UpperCase(std::string_view("\xC3\xA9", 1)), "\xC3");  // cut at the end of the text
    EXPECT_EQ(DecodeUtf8("z\x80\xC3z\xC3"), U"z\uFFFD\uFFFDz\uFFFD");
    const std::u32string points = U"\x7F\x80\x7FF\x800\xFFFF\x10000\x10FFFF";
    const std::string utf8 = "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
    EXPECT_EQ(EncodeUtf8(points), utf8);
    EXPECT_EQ(DecodeUtf8(utf8), points);
    EXPECT_EQ(UpperCase(utf8), utf8);
    EXPECT_EQ(CharCount(utf8), points.size());
}

TEST(Ansi, Windows1252RoundTripsEveryAssignedByteAndTheSystemCodePageKeepsLatinText) {
    for (int b = 1; b < 256; ++b) {
        std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(byte)), byte) << b;
    }
    EXPECT_EQ(Windows1252ToUtf8("\x80\xE9"), "€é");
    EXPECT_EQ(Utf8ToWindows1252("甲"), "?");
    // The system code page here (Wine's default and the native stand-in) holds Latin-1 letters.
    EXPECT_EQ(FromAnsi(ToAnsi("Crème brûlée")), "Crème brûlée");
    EXPECT_EQ(ToAnsi("é").size(), 1u);
}

}  // namespace
}  // namespace lumo
