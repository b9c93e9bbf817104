// The line cipher. Kept free of everything but the standard library and the error type: the
// cross builds compile this file for the build machine to encipher the shipped configuration.
#include "config/crypt.h"

#include <array>

#include "config/config_error.h"

namespace lumo {

namespace {

constexpr std::u16string_view kKeyText = u"甲乙丙丁戊己庚辛壬癸，子丑寅！";

constexpr std::array<unsigned char, Crypt::KeyLength> MakeKey() {
    std::array<unsigned char, Crypt::KeyLength> key{};
    for (size_t i = 0; i < kKeyText.size(); ++i) {
        key[2 * i] = static_cast<unsigned char>(kKeyText[i] & 0xFF);
        key[2 * i + 1] = static_cast<unsigned char>(kKeyText[i] >> 8);
    }
    return key;
}

constexpr auto kKey = MakeKey();
static_assert(kKeyText.size() * 2 == Crypt::KeyLength);

constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Calls `line(text, lineBreak)` for every line of a file.
template <class LineFn>
void ForEachLine(std::string_view file, LineFn line) {
    size_t start = 0;
    while (start < file.size()) {
        size_t end = file.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            line(file.substr(start), std::string_view());
            return;
        }
        size_t breakLength = file[end] == '\r' && end + 1 < file.size() && file[end + 1] == '\n' ? 2 : 1;
        line(file.substr(start, end - start), file.substr(end, breakLength));
        start = end + breakLength;
    }
}

std::string_view TrimBlanksOf(std::string_view s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string_view::npos)
        return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

}  // namespace

unsigned char Crypt::KeyByte(size_t position) { return kKey[position % KeyLength]; }

std::string Crypt::EnCryptBytes(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
        int c = static_cast<unsigned char>(bytes[i]) + kKey[i % KeyLength];
        // 255, not 256: files written this way must keep reading the same everywhere.
        if (c > 255)
            c -= 255;
        out.push_back(kHexDigits[c >> 4]);
        out.push_back(kHexDigits[c & 0x0F]);
    }
    return out;
}

std::string Crypt::DeCryptBytes(std::string_view hexDigits) {
    if (hexDigits.size() < 2)
        return {};
    if (hexDigits.size() % 2 != 0)
        throw ConfigError(ceTypeMismatch, "Crypt",
                          "Type mismatch: the enciphered text ends in a lone digit \"" +
                              std::string(hexDigits.substr(hexDigits.size() - 1)) + "\"");
    std::string out;
    out.reserve(hexDigits.size() / 2);
    for (size_t i = 0; i < hexDigits.size() / 2; ++i) {
        int hi = HexValue(hexDigits[2 * i]);
        int lo = HexValue(hexDigits[2 * i + 1]);
        if (hi < 0 || lo < 0)
            throw ConfigError(ceTypeMismatch, "Crypt",
                              "Type mismatch: \"" + std::string(hexDigits.substr(2 * i, 2)) +
                                  "\" is not a hexadecimal pair");
        int d = hi * 16 + lo - kKey[i % KeyLength];
        if (d < 0)
            d += 255;
        // The shift by 255 sends a plain byte 255 to 0; a plain line never holds a zero byte,
        // so a 0 here can only have been 255.
        if (d == 0)
            d = 255;
        out.push_back(static_cast<char>(d));
    }
    return out;
}

std::string Crypt::EnCryptLines(std::string_view plainFile) {
    std::string out;
    out.reserve(plainFile.size() * 2);
    ForEachLine(plainFile, [&](std::string_view text, std::string_view lineBreak) {
        out += EnCryptBytes(text);
        out += lineBreak;
    });
    return out;
}

std::string Crypt::DeCryptLines(std::string_view encipheredFile) {
    std::string out;
    out.reserve(encipheredFile.size() / 2);
    size_t lineNumber = 0;
    ForEachLine(encipheredFile, [&](std::string_view text, std::string_view lineBreak) {
        ++lineNumber;
        try {
            out += DeCryptBytes(TrimBlanksOf(text));
        } catch (const ConfigError& e) {
            throw ConfigError(e.Number, e.Source, e.Description + " in line " + std::to_string(lineNumber));
        }
        out += lineBreak;
    });
    return out;
}

}  // namespace lumo
