// Matching of names against item patterns; both sides are compared in upper case.
#include "cleaner/wildcard.h"

#include "base/text.h"

namespace lumo {

WildcardPattern::WildcardPattern(std::string_view pattern, WildcardSyntax syntax) {
    const bool full = syntax == WildcardSyntax::Full;
    std::u32string p = DecodeUtf8(UpperCase(pattern));
    for (size_t i = 0; i < p.size(); ++i) {
        char32_t c = p[i];
        Token t;
        t.kind = Token::Literal;
        if (c == U'?') {
            t.kind = Token::AnyOne;
        } else if (c == U'*') {
            if (!tokens_.empty() && tokens_.back().kind == Token::AnyRun)
                continue;
            t.kind = Token::AnyRun;
        } else if (c == U'#' && full) {
            t.kind = Token::Digit;
        } else if (c == U'[' && full) {
            size_t close = p.find(U']', i + 1);
            if (close == std::u32string::npos) {
                t.ch = c;  // unclosed: the bracket stands for itself
            } else {
                std::u32string_view body(p.data() + i + 1, close - i - 1);
                if (body.empty()) {
                    t.kind = Token::Nothing;  // "[]" matches the empty run
                } else {
                    t.kind = Token::Set;
                    if (body[0] == U'!') {
                        t.negated = true;
                        body.remove_prefix(1);
                    }
                    for (size_t k = 0; k < body.size(); ++k) {
                        if (k + 2 < body.size() && body[k + 1] == U'-') {
                            t.ranges.push_back({body[k], body[k + 2]});
                            k += 2;
                        } else {
                            t.ranges.push_back({body[k], body[k]});
                        }
                    }
                }
                i = close;
            }
        } else {
            t.ch = c;
        }
        if (t.kind != Token::Nothing)
            tokens_.push_back(std::move(t));
    }
}

bool WildcardPattern::MatchOne(const Token& t, char32_t c) const {
    switch (t.kind) {
    case Token::Literal:
        return t.ch == c;
    case Token::AnyOne:
        return true;
    case Token::Digit:
        return c >= U'0' && c <= U'9';
    case Token::Set: {
        bool in = false;
        for (const Range& r : t.ranges)
            if (c >= r.from && c <= r.to) {
                in = true;
                break;
            }
        return in != t.negated;
    }
    default:
        return false;
    }
}

bool WildcardPattern::Matches(std::string_view name) const {
    std::u32string s = DecodeUtf8(UpperCase(name));
    // Greedy match with one backtrack point at the last "*": enough, since every other token
    // matches exactly one character.
    size_t si = 0, ti = 0;
    size_t starToken = std::string::npos, starPos = 0;
    while (si < s.size()) {
        if (ti < tokens_.size() && tokens_[ti].kind == Token::AnyRun) {
            starToken = ti++;
            starPos = si;
        } else if (ti < tokens_.size() && MatchOne(tokens_[ti], s[si])) {
            ++ti;
            ++si;
        } else if (starToken != std::string::npos) {
            ti = starToken + 1;
            si = ++starPos;
        } else {
            return false;
        }
    }
    while (ti < tokens_.size() && tokens_[ti].kind == Token::AnyRun)
        ++ti;
    return ti == tokens_.size();
}

bool WildcardMatch(std::string_view name, std::string_view pattern) { return WildcardPattern(pattern).Matches(name); }

}  // namespace lumo
