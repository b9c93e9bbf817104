// ProfileApi: the two INI-file functions the program uses, with the system's results byte for
// byte. Section, key and value text are ANSI bytes (the INI format); file paths are UTF-8.
#pragma once

#include <cstdint>
#include <string_view>

namespace lumo {

class ProfileApi {
public:
    virtual ~ProfileApi() = default;

    // GetPrivateProfileSectionA: the entries of the first section named `section` (letter case
    // ignored) as zero-ended strings followed by one more zero byte, comment lines left out,
    // lines without "=" kept. Returns the bytes written without the last zero; when they do not
    // fit, the text is cut, ended by two zero bytes, and the count is `size` - 2.
    virtual uint32_t GetSection(std::string_view section, char* buffer, uint32_t size, std::string_view fileName) = 0;

    // WritePrivateProfileStringA: sets `key` of `section` to `value`, adding the key or the
    // section when missing and creating the file when missing. False when it cannot be written.
    virtual bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                             std::string_view fileName) = 0;
};

}  // namespace lumo
