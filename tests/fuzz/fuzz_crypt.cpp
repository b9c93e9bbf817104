// The line cipher: enciphering then deciphering gives every byte back (a zero byte comes back as
// 255, since a plain line never holds one); deciphering any text either fails cleanly or gives
// bytes that encipher back to the same digits in upper case, "00" pairs apart (they decipher to
// what enciphers to "FF").
#include <algorithm>
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
    fuzz::Check(digits.find_first_not_of("0123456789ABCDEF") == std::string::npos,
                "enciphered text is not upper-case hex", digits);
    std::string back = Crypt::DeCryptBytes(digits), expected(bytes);
    std::replace(expected.begin(), expected.end(), '\0', static_cast<char>(255));
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
    for (char& c : canonical)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (size_t i = 0; i + 1 < canonical.size(); i += 2)
        if (canonical.compare(i, 2, "00") == 0)
            canonical.replace(i, 2, "FF");
    fuzz::Check(Crypt::EnCryptBytes(text) == canonical, "deciphered text does not encipher back", canonical);
    try {
        Crypt::DeCrypt(bytes);  // the same on text: must fail cleanly or succeed
    } catch (const ConfigError&) {
    }
    return 0;
}
