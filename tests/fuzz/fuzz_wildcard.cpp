// Wildcard patterns against a plain backtracking matcher written from the language's rules:
// ? one character, * any run, # one digit, [list] / [!list] with ranges a-z, "[]" the empty
// run, an unclosed "[" itself, everything else itself, letter case ignored, whole name.
// Input: the pattern, a zero byte, the name.
#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"
#include "cleaner/wildcard.h"
#include "fuzz_support.h"

namespace {

using namespace lumo;

struct Reference {
    std::u32string p, s;
    std::vector<signed char> memo;  // (pattern position, name position) -> -1 unknown, 0, 1

    bool Match(size_t pi, size_t si) {
        signed char& m = memo[pi * (s.size() + 1) + si];
        return m >= 0 ? m : (m = Compute(pi, si));
    }

    bool Compute(size_t pi, size_t si) {
        if (pi == p.size())
            return si == s.size();
        const char32_t c = p[pi];
        if (c == U'*')
            return Match(pi + 1, si) || (si < s.size() && Match(pi, si + 1));
        if (size_t close = p.find(U']', pi + 1); c == U'[' && close != std::u32string::npos) {
            if (close == pi + 1)
                return Match(close + 1, si);
            if (si == s.size())
                return false;
            const bool negated = p[pi + 1] == U'!';
            bool in = false;
            for (size_t k = pi + 1 + negated; k < close;) {
                const bool range = k + 2 < close && p[k + 1] == U'-';
                in = in || (range ? s[si] >= p[k] && s[si] <= p[k + 2] : s[si] == p[k]);
                k += range ? 3 : 1;
            }
            return in != negated && Match(close + 1, si + 1);
        }
        if (si == s.size())
            return false;
        return (c == U'?' || (c == U'#' ? s[si] >= U'0' && s[si] <= U'9' : s[si] == c)) && Match(pi + 1, si + 1);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    size_t cut = input.find('\0');
    if (cut == std::string_view::npos || size > 200)
        return 0;
    std::string_view pattern = input.substr(0, cut), name = input.substr(cut + 1);
    Reference ref{DecodeUtf8(UpperCase(pattern)), DecodeUtf8(UpperCase(name)), {}};
    ref.memo.assign((ref.p.size() + 1) * (ref.s.size() + 1), -1);
    bool expected = ref.Match(0, 0);
    bool got = WildcardPattern(pattern).Matches(name);
    fuzz::Check(got == expected, expected ? "a matching name is refused" : "a name that does not match is taken",
                std::string(pattern) + " / " + std::string(name));
    return 0;
}
