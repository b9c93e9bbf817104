// Path placeholders of seek strings: "%word%" for a special folder, and
// "%root<>key path<>value name%" for the text of a registry value.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

#include "config/system_folders.h"

namespace lumo {

class RegistryApi;

// Where placeholders are looked up. Without folders every folder word gives ""; without a
// registry every registry placeholder counts as naming a missing key.
struct PlaceholderContext {
    const SpecialFolders* folders = nullptr;
    RegistryApi* registry = nullptr;
};

// The seek string with its placeholders replaced. A registry placeholder naming a missing key
// makes the whole result "". Registry failures other than a missing key pass to the caller.
std::string ResolvePlaceholders(std::string_view s, const PlaceholderContext& context);

// The same for many strings in a row: each registry value is read once per resolver, since a
// configuration names the same few values again and again.
class PlaceholderResolver {
public:
    explicit PlaceholderResolver(const PlaceholderContext& context) : context_(context) {}
    std::string Resolve(std::string_view s);

private:
    // The value's text, or none when its key is missing.
    std::optional<std::string> RegistryText(const std::string& root, const std::string& path,
                                            const std::string& valueName);

    PlaceholderContext context_;
    std::map<std::tuple<std::string, std::string, std::string>, std::optional<std::string>> cache_;
};

}  // namespace lumo
