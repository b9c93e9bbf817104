// A small JSON reader for the browsers' own files (Chromium's "Local State" and "Bookmarks"):
// the whole text into a tree, or nothing when the text is not sound JSON.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumo {

struct JsonMember;

struct JsonValue {
    enum class Kind { Null, Boolean, Number, String, Array, Object };
    Kind kind = Kind::Null;
    std::string text;  // a string's text (UTF-8), or a number as written
    bool boolean = false;
    std::vector<JsonValue> items;  // an array's elements
    std::vector<JsonMember> members;  // an object's members, in file order

    // The member named `key` of an object; null when there is none or this is no object.
    const JsonValue* Member(std::string_view key) const;
};

struct JsonMember {
    std::string name;
    JsonValue value;
};

// The value `text` holds; none when it is malformed, has anything but blanks after the value,
// or nests deeper than a browser's file ever does (256 levels), so no input can exhaust the stack.
std::optional<JsonValue> ParseJson(std::string_view text);

}  // namespace lumo
