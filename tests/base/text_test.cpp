#include <gtest/gtest.h>

#include "base/date_time.h"
#include "base/event.h"
#include "base/text.h"
#include "base/windows1252.h"
#include "platform/ansi.h"

namespace lumo {
namespace {

TEST(Text, UpperCaseCoversLatinLettersBeyondAscii) {
    struct Case {
        const char* in;
        const char* upper;
    };
    for (const Case& c :
         {Case{"abc xyz", "ABC XYZ"}, Case{"é", "É"}, Case{"àçñöþ", "ÀÇÑÖÞ"}, Case{"ÿ", "Ÿ"}, Case{"ß÷", "ß÷"},
          Case{"łódź", "ŁÓDŹ"}, Case{"привет", "ПРИВЕТ"}, Case{"αβγ", "ΑΒΓ"}, Case{"a1-_[]", "A1-_[]"}}) {
        EXPECT_EQ(UpperCase(c.in), c.upper) << c.in;
        EXPECT_EQ(LowerCase(c.upper), std::string(c.in) == "ß÷" ? "ß÷" : c.in) << c.upper;
    }
    EXPECT_TRUE(EqualsIgnoreCase("Café", "CAFÉ"));
    EXPECT_FALSE(EqualsIgnoreCase("Cafe", "CAFÉ"));
}

TEST(Text, SplitKeepsEmptyPiecesAndJoinRestoresTheText) {
    EXPECT_EQ(Split("a<><>b<>", "<>"), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_EQ(Split("", "<>"), (std::vector<std::string>{""}));
    EXPECT_EQ(Join(Split("x<>y<>", "<>"), "<>"), "x<>y<>");
    EXPECT_EQ(TrimSpaces("  a b \t "), "a b \t");
    EXPECT_EQ(TrimBlanks("\t a b \r\n"), "a b");
}

TEST(Ansi, Windows1252RoundTripsEveryAssignedByte) {
    for (int b = 1; b < 256; ++b) {
        std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(byte)), byte) << b;
    }
    EXPECT_EQ(Windows1252ToUtf8("\x80\xE9"), "€é");
    EXPECT_EQ(Utf8ToWindows1252("甲"), "?");
}

TEST(Ansi, SystemCodePageKeepsLatinText) {
    // The system code page here (Wine's default and the native stand-in) holds Latin-1 letters.
    EXPECT_EQ(FromAnsi(ToAnsi("Crème brûlée")), "Crème brûlée");
    EXPECT_EQ(ToAnsi("é").size(), 1u);
}

TEST(DateTime, CalendarPartsAndArithmetic) {
    DateTime t = DateTime::FromParts(2004, 2, 29, 23, 59, 30);
    EXPECT_EQ(t.Year(), 2004);
    EXPECT_EQ(t.Month(), 2);
    EXPECT_EQ(t.Day(), 29);
    EXPECT_EQ(t.Hour(), 23);
    EXPECT_EQ(t.Minute(), 59);
    EXPECT_EQ(t.Second(), 30);
    DateTime next = t.AddSeconds(30);
    EXPECT_EQ(next.Month(), 3);
    EXPECT_EQ(next.Day(), 1);
    EXPECT_EQ(next.Hour(), 0);
    EXPECT_EQ(t.AddDays(-1).Day(), 28);
    EXPECT_EQ(t.Date(), DateTime::FromParts(2004, 2, 29));
    EXPECT_EQ(DateTime::FromParts(1969, 12, 31, 23, 59, 59).WholeMinutes(), -1);
}

TEST(Event, HandlersRunInOrderAndEndWithTheirSubscription) {
    Event<int> e;
    std::vector<int> seen;
    auto a = e.Subscribe([&](int v) { seen.push_back(v); });
    {
        auto b = e.Subscribe([&](int v) { seen.push_back(v * 10); });
        e(1);
    }
    e(2);
    a = Subscription();
    e(3);
    EXPECT_EQ(seen, (std::vector<int>{1, 10, 2}));
}

TEST(Event, SubscriptionMayOutliveItsSource) {
    Subscription s;
    {
        Event<> e;
        s = e.Subscribe([] {});
    }
    EXPECT_TRUE(s.Active());
    s.Reset();  // must not touch the destroyed event
    EXPECT_FALSE(s.Active());
}

}  // namespace
}  // namespace lumo
