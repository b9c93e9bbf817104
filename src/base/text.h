// Text helpers on UTF-8 strings: letter case for name comparison, trimming, splitting.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumo {

// Upper-case form used wherever names are compared without regard to letter case. Covers ASCII,
// Latin-1, Latin Extended-A, Greek and Cyrillic letters, so "é" and "É" compare equal.
std::string UpperCase(std::string_view utf8);
std::string LowerCase(std::string_view utf8);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// Blanks (spaces only) removed at both ends, as the configuration reader trims its lines.
std::string_view TrimSpaces(std::string_view s);
// Spaces, tabs, CR and LF removed at both ends.
std::string_view TrimBlanks(std::string_view s);

// Cuts `s` at every occurrence of `separator`; an empty `s` gives one empty piece.
std::vector<std::string> Split(std::string_view s, std::string_view separator);
std::string Join(const std::vector<std::string>& pieces, std::string_view separator);

bool StartsWith(std::string_view s, std::string_view prefix);

// Number of characters (code points) of a UTF-8 string.
size_t CharCount(std::string_view utf8);

// Decodes the code points of a UTF-8 string; invalid bytes come back as U+FFFD.
std::u32string DecodeUtf8(std::string_view utf8);
std::string EncodeUtf8(std::u32string_view codePoints);
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace lumo
