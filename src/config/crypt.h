// The line cipher of the configuration file. Every line is enciphered on its own: each byte of
// the line in the ANSI code page is shifted by a byte of a fixed key and written as two
// upper-case hexadecimal digits.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/text.h"
#include "platform/ansi.h"

namespace lumo {

class Crypt {
public:
    // The key: the UTF-16LE bytes of a fixed text of 15 characters.
    static constexpr size_t KeyLength = 30;
    static unsigned char KeyByte(size_t position);

    // UTF-8 text to hexadecimal digits, through the ANSI code page.
    static std::string EnCrypt(std::string_view Password) { return EnCryptBytes(ToAnsi(Password)); }
    // Hexadecimal digits (UTF-8 text) to UTF-8 text. Fewer than 2 characters give "", counted as
    // characters, not bytes. Throws ConfigError 13 on a pair that is not hexadecimal or a lone
    // digit at the end.
    static std::string DeCrypt(std::string_view Password) {
        return CharCount(Password) < 2 ? std::string() : FromAnsi(DeCryptBytes(Password));
    }

    // The same on raw ANSI bytes, for whatever must keep a file byte for byte. This half has no
    // other dependency, so the build can compile it for the build machine as well.
    static std::string EnCryptBytes(std::string_view bytes);
    static std::string DeCryptBytes(std::string_view hexDigits);

    // A whole file, line by line, each line keeping its own line break (CR LF, LF, CR or none at
    // the end), so deciphering an enciphered file gives the plain file back byte for byte.
    // Deciphering trims blanks around each line as the loader does, and throws ConfigError 13
    // naming the line number.
    static std::string EnCryptLines(std::string_view plainFile);
    static std::string DeCryptLines(std::string_view encipheredFile);
};

}  // namespace lumo
