// The wildcard language of item patterns: ? one character, * any run, # one digit, [list],
// [!list] and ranges a-z inside a list; everything else matches itself, letter case ignored,
// and the whole name must match the whole pattern. An unclosed "[" matches itself.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumo {

// Which characters are wildcards: all of the language above, or only * and ? (winapp2.ini
// patterns, where #, [ and ] are ordinary characters of file names).
enum class WildcardSyntax { Full, StarAndQuestion };

class WildcardPattern {
public:
    explicit WildcardPattern(std::string_view pattern, WildcardSyntax syntax = WildcardSyntax::Full);
    bool Matches(std::string_view name) const;

private:
    struct Range {
        char32_t from, to;
    };
    struct Token {
        enum Kind { Literal, AnyOne, AnyRun, Digit, Set, Nothing } kind = Literal;
        char32_t ch = 0;
        bool negated = false;
        std::vector<Range> ranges;
    };
    bool MatchOne(const Token& t, char32_t c) const;

    std::vector<Token> tokens_;
};

// One-off match of a name against a pattern.
bool WildcardMatch(std::string_view name, std::string_view pattern);

}  // namespace lumo
