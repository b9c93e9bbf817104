#include <gtest/gtest.h>

#include "cleaner/wildcard.h"

namespace lumo {
namespace {

struct MatchCase {
    const char* name;
    const char* pattern;
    bool matches;
};

class WildcardTable : public ::testing::TestWithParam<MatchCase> {};

TEST_P(WildcardTable, MatchesAsTheLanguageSays) {
    const MatchCase& c = GetParam();
    EXPECT_EQ(WildcardMatch(c.name, c.pattern), c.matches) << "name " << c.name << " pattern " << c.pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, WildcardTable,
    ::testing::Values(
        // whole-name match, letter case ignored
        MatchCase{"a.tmp", "*.TMP", true}, MatchCase{"A.TMP", "*.tmp", true}, MatchCase{"a.tmp.bak", "*.tmp", false},
        MatchCase{"xa.tmp", "a.tmp", false}, MatchCase{"", "*", true}, MatchCase{"", "", true},
        MatchCase{"a", "", false}, MatchCase{"abc", "a*c", true}, MatchCase{"ac", "a*c", true},
        MatchCase{"abcbd", "a*b?", true}, MatchCase{"abcbdx", "a*b?", false}, MatchCase{"aaa", "a**a", true},
        // ? and #
        MatchCase{"ab", "a?", true}, MatchCase{"a", "a?", false}, MatchCase{"url5", "url#", true},
        MatchCase{"url9", "url#", true}, MatchCase{"url0", "url#", true}, MatchCase{"urlx", "url#", false},
        MatchCase{"url12", "url#", false}, MatchCase{"url12", "url##", true},
        // lists, negated lists, ranges
        MatchCase{"b", "[abc]", true}, MatchCase{"d", "[abc]", false}, MatchCase{"B", "[a-c]", true},
        MatchCase{"d", "[!a-c]", true}, MatchCase{"b", "[!a-c]", false}, MatchCase{"x5", "[a-z][0-9]", true},
        MatchCase{"-", "[a-]", true}, MatchCase{"!", "[a!]", true}, MatchCase{"mru", "[!0-9]ru", true},
        MatchCase{"*", "[*]", true}, MatchCase{"a", "[*]", false}, MatchCase{"?", "[?]", true},
        MatchCase{"#", "[#]", true}, MatchCase{"ab", "a[]b", true},
        // an unclosed bracket stands for itself
        MatchCase{"[abc", "[abc", true}, MatchCase{"a", "[abc", false}, MatchCase{"x[1", "x[#", true},
        // letters beyond ASCII
        MatchCase{"Été.log", "ÉTÉ.*", true}, MatchCase{"résumé", "R?SUM?", true}, MatchCase{"ñ", "[Ñ]", true},
        MatchCase{"ü", "[à-þ]", true}, MatchCase{"файл", "ФАЙЛ", true}));

TEST(WildcardPattern, CompiledPatternIsReusable) {
    WildcardPattern p("index.dat");
    EXPECT_TRUE(p.Matches("INDEX.DAT"));
    EXPECT_TRUE(p.Matches("index.dat"));
    EXPECT_FALSE(p.Matches("index.dat2"));
}

}  // namespace
}  // namespace lumo
