// The exception of the registry layer: a number, a source and a description, with descriptions
// of nested failures joined top to bottom.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace lumo {

class RegistryError : public std::runtime_error {
public:
    RegistryError(int32_t number, std::string source, std::string description, int32_t systemError = 0)
        : std::runtime_error(description),
          Number(number),
          Source(std::move(source)),
          Description(std::move(description)),
          SystemError(systemError) {}

    int32_t Number;
    std::string Source;
    std::string Description;
    // The code the failing registry call returned (2 not found, 5 access denied, ...); 0 when
    // the failure came from no registry call.
    int32_t SystemError;
};

}  // namespace lumo
