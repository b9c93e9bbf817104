// The failure of loading or saving the configuration file: a number in the classic numbering and
// a description that names the file and the line, so the start-up message says what to fix.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace lumo {

enum ConfigErrorNumber : int32_t {
    ceSubscriptOutOfRange = 9,  // an item header with fewer than four fields, or no "><"
    ceTypeMismatch = 13,  // a pair of characters that is not hexadecimal
    ceFileNotFound = 53,
    ceFileAccess = 75,  // the file exists but cannot be read, written or replaced
    ceNoObject = 91,  // a line that needs a record before the first "[Config]", or an
                      // item line whose title names no item when saving
};

class ConfigError : public std::runtime_error {
public:
    ConfigError(int32_t number, std::string source, std::string description)
        : std::runtime_error(description),
          Number(number),
          Source(std::move(source)),
          Description(std::move(description)) {}

    int32_t Number;
    std::string Source;
    std::string Description;
};

}  // namespace lumo
