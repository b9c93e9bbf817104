// The names of the browser parser operations.
#include "cleaner/browser_parsers.h"

#include <array>

#include "base/text.h"

namespace lumo {

namespace {

struct NamedBrowserOperation {
    std::string_view name;
    BrowserOperation operation;
};

constexpr std::array<NamedBrowserOperation, 10> kBrowserOperations{{
    {"ParseChromiumHistory", &ParseChromiumHistory},
    {"ParseChromiumCookies", &ParseChromiumCookies},
    {"ParseChromiumFormData", &ParseChromiumFormData},
    {"ParseChromiumSessions", &ParseChromiumSessions},
    {"ParseChromiumCache", &ParseChromiumCache},
    {"ParseFirefoxHistory", &ParseFirefoxHistory},
    {"ParseFirefoxCookies", &ParseFirefoxCookies},
    {"ParseFirefoxFormData", &ParseFirefoxFormData},
    {"ParseFirefoxSessions", &ParseFirefoxSessions},
    {"ParseFirefoxCache", &ParseFirefoxCache},
}};

}  // namespace

BrowserOperation FindBrowserParser(std::string_view name) {
    for (const NamedBrowserOperation& op : kBrowserOperations)
        if (EqualsIgnoreCase(op.name, name))
            return op.operation;
    return nullptr;
}

}  // namespace lumo
