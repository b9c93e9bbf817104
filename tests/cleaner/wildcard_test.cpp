// The wildcard language of item patterns.
#include <gtest/gtest.h>

#include "cleaner/wildcard.h"

namespace lumo {
namespace {

// Whole names, letter case ignored (beyond ASCII too); ? * # lists, negated lists and ranges; an
// unclosed bracket stands for itself. A compiled pattern matches alike every time.
TEST(Wildcard, MatchesAsTheLanguageSays) {
    // Pairs of name and pattern.
    const char* const matching[] = {"a.tmp", "*.TMP",      "A.TMP", "*.tmp", "",        "*",     "",       "",
                                    "abc",   "a*c",        "ac",    "a*c",   "abcbd",   "a*b?",  "aaa",    "a**a",
                                    "ab",    "a?",         "url5",  "url#",  "url9",    "url#",  "url0",   "url#",
                                    "url12", "url##",      "b",     "[abc]", "B",       "[a-c]", "d",      "[!a-c]",
                                    "x5",    "[a-z][0-9]", "-",     "[a-]",  "!",       "[a!]",  "mru",    "[!0-9]ru",
                                    "*",     "[*]",        "?",     "[?]",   "#",       "[#]",   "ab",     "a[]b",
                                    "[abc",  "[abc",       "x[1",   "x[#",   "Été.log", "ÉTÉ.*", "résumé", "R?SUM?",
                                    "ñ",     "[Ñ]",        "ü",     "[à-þ]", "файл",    "ФАЙЛ"};
    const char* const failing[] = {"a.tmp.bak", "*.tmp",  "xa.tmp", "a.tmp", "a",     "",     "abcbdx", "a*b?",
                                   "a",         "a?",     "urlx",   "url#",  "url12", "url#", "d",      "[abc]",
                                   "b",         "[!a-c]", "a",      "[*]",   "a",     "[abc"};
    for (size_t i = 0; i < std::size(matching); i += 2) {
        WildcardPattern p(matching[i + 1]);
        EXPECT_TRUE(WildcardMatch(matching[i], matching[i + 1]) && p.Matches(matching[i]) && p.Matches(matching[i]))
            << matching[i] << " " << matching[i + 1];
    }
    for (size_t i = 0; i < std::size(failing); i += 2)
        EXPECT_FALSE(WildcardMatch(failing[i], failing[i + 1])) << failing[i] << " " << failing[i + 1];
}

}  // namespace
}  // namespace lumo
