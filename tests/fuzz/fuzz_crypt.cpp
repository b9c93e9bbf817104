// The line cipher: enciphering then deciphering gives every byte back (a zero byte comes back as
// 255, since a plain line never holds one); deciphering any text either fails cleanly or gives
// bytes that encipher back to the same digits in upper case, "00" pairs apart (they decipher to
// what enciphers to "FF").
#include <cctype>
#include <cstdint>
#include <string>

#include "config/config_error.h"
#include "config/crypt.h"
#include "fuzz_support.h"

using namespace lumo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    std::string digits = Crypt::EnCryptBytes(bytes);
    fuzz::Check(digits.size() == 2 * size, "enciphered length is not twice the line");
    for (char c : digits)
        fuzz::Check((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'), "enciphered text is not upper-case hex", digits);
    std::string back = Crypt::DeCryptBytes(digits);
    std::string expected(bytes);
    for (char& c : expected)
        if (c == 0)
            c = static_cast<char>(255);
    fuzz::Check(back == expected, "deciphering does not give the line back");

    std::string text;
    try {
        text = Crypt::DeCryptBytes(bytes);
    } catch (const ConfigError&) {
        return 0;
    }
    if (size < 2)
        return 0;
    std::string canonical(bytes);
    for (size_t i = 0; i + 1 < canonical.size(); i += 2) {
        canonical[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(canonical[i])));
        canonical[i + 1] = static_cast<char>(std::toupper(static_cast<unsigned char>(canonical[i + 1])));
        if (canonical[i] == '0' && canonical[i + 1] == '0')
            canonical[i] = canonical[i + 1] = 'F';
    }
    fuzz::Check(Crypt::EnCryptBytes(text) == canonical, "deciphered text does not encipher back", canonical);
    try {
        Crypt::DeCrypt(bytes);  // the same on text: must fail cleanly or succeed
    } catch (const ConfigError&) {
    }
    return 0;
}
