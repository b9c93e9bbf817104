// The exception of the registry layer: a number, a source and a description, with descriptions
// of nested failures joined top to bottom.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace lumo {

class RegistryError : public std::runtime_error {
public:
    RegistryError(int32_t number, std::string source, std::string description)
        : std::runtime_error(description), Number(number), Source(std::move(source)),
          Description(std::move(description)) {}

    int32_t Number;
    std::string Source;
    std::string Description;
};

}  // namespace lumo
