// The seam between Customize items and the special parsers: an item of type Customize names a
// parser operation in its first seek setting and hands it its arguments; the parser builds the
// item's trace collection and raises AppendValue for every trace it adds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/event.h"
#include "cleaner/privacy_value.h"

namespace lumo {

class PrivacyItem;
struct SeekContext;

// The argument list of a parser call: element 0 the calling item, element 1 the clearing flag,
// elements 2 and on the item's seek settings 2 and on.
struct ParserArguments {
    PrivacyItem* item = nullptr;
    bool clearValue = false;
    std::vector<std::string> settings;  // settings[0] is element 2

    // Element i (from 2) as text; empty when the list is shorter.
    const std::string& Element(size_t i) const {
        static const std::string empty;
        return i >= 2 && i - 2 < settings.size() ? settings[i - 2] : empty;
    }
};

class CustomizeParse {
public:
    virtual ~CustomizeParse() = default;

    // Runs the parser operation named `sName` (letter case ignored) and returns the collection it
    // built, never null for a known name; null when no operation has that name. A parser that
    // fails throws, and the item then keeps its empty collection.
    virtual PrivacyValuesPtr CallParser(std::string_view sName, const ParserArguments& varArgs, SeekContext& ctx) = 0;

    // A trace was found: the calling item (element 0) and the trace just added, status final.
    Event<PrivacyItem&, const PrivacyValuePtr&> AppendValue;
};

}  // namespace lumo
