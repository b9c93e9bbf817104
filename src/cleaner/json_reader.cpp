// The JSON reader: recursive descent with a depth limit.
#include "cleaner/json_reader.h"

#include "base/text.h"

namespace lumo {

namespace {

constexpr int kMaxDepth = 256;

class Reader {
public:
    explicit Reader(std::string_view text) : s_(text) {}

    bool Document(JsonValue& out) {
        if (!Value(out, 0))
            return false;
        Blanks();
        return pos_ == s_.size();
    }

private:
    void Blanks() {
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r'))
            ++pos_;
    }
    bool Take(char c) {
        Blanks();
        if (pos_ < s_.size() && s_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool Word(std::string_view w) {
        if (s_.substr(pos_, w.size()) != w)
            return false;
        pos_ += w.size();
        return true;
    }

    bool Value(JsonValue& out, int depth) {
        if (depth > kMaxDepth)
            return false;
        Blanks();
        if (pos_ >= s_.size())
            return false;
        char c = s_[pos_];
        if (c == '{')
            return Object(out, depth);
        if (c == '[')
            return Array(out, depth);
        if (c == '"') {
            out.kind = JsonValue::Kind::String;
            return String(out.text);
        }
        if (Word("true") || Word("false")) {
            out.kind = JsonValue::Kind::Boolean;
            out.boolean = c == 't';
            return true;
        }
        if (Word("null"))
            return true;
        return Number(out);
    }

    bool Object(JsonValue& out, int depth) {
        out.kind = JsonValue::Kind::Object;
        ++pos_;
        if (Take('}'))
            return true;
        do {
            Blanks();
            std::string key;
            if (pos_ >= s_.size() || s_[pos_] != '"' || !String(key) || !Take(':'))
                return false;
            out.members.push_back({std::move(key), JsonValue{}});
            if (!Value(out.members.back().value, depth + 1))
                return false;
        } while (Take(','));
        return Take('}');
    }

    bool Array(JsonValue& out, int depth) {
        out.kind = JsonValue::Kind::Array;
        ++pos_;
        if (Take(']'))
            return true;
        do {
            out.items.emplace_back();
            if (!Value(out.items.back(), depth + 1))
                return false;
        } while (Take(','));
        return Take(']');
    }

    bool Number(JsonValue& out) {
        size_t start = pos_;
        if (pos_ < s_.size() && s_[pos_] == '-')
            ++pos_;
        size_t digits = pos_;
        while (pos_ < s_.size() && ((s_[pos_] >= '0' && s_[pos_] <= '9') || s_[pos_] == '.' || s_[pos_] == 'e' ||
                                    s_[pos_] == 'E' || s_[pos_] == '+' || s_[pos_] == '-'))
            ++pos_;
        if (pos_ == digits || s_[digits] < '0' || s_[digits] > '9')
            return false;
        out.kind = JsonValue::Kind::Number;
        out.text = std::string(s_.substr(start, pos_ - start));
        return true;
    }

    bool Hex4(char32_t& cp) {
        if (pos_ + 4 > s_.size())
            return false;
        cp = 0;
        for (int i = 0; i < 4; ++i) {
            char h = s_[pos_++];
            int v = h >= '0' && h <= '9'   ? h - '0'
                    : h >= 'a' && h <= 'f' ? h - 'a' + 10
                    : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                           : -1;
            if (v < 0)
                return false;
            cp = cp * 16 + static_cast<char32_t>(v);
        }
        return true;
    }

    bool String(std::string& out) {
        ++pos_;  // the opening quote
        while (pos_ < s_.size()) {
            char c = s_[pos_++];
            if (c == '"')
                return true;
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= s_.size())
                return false;
            char e = s_[pos_++];
            switch (e) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case '/':
                out += '/';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                char32_t cp;
                if (!Hex4(cp))
                    return false;
                if (cp >= 0xD800 && cp < 0xDC00 && s_.substr(pos_, 2) == "\\u") {
                    size_t back = pos_;
                    pos_ += 2;
                    char32_t low;
                    if (Hex4(low) && low >= 0xDC00 && low < 0xE000)
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    else
                        pos_ = back;
                }
                AppendUtf8(out, cp >= 0xD800 && cp < 0xE000 ? U'\uFFFD' : cp);
                break;
            }
            default:
                return false;
            }
        }
        return false;
    }

    std::string_view s_;
    size_t pos_ = 0;
};

}  // namespace

const JsonValue* JsonValue::Member(std::string_view key) const {
    if (kind != Kind::Object)
        return nullptr;
    for (const auto& [name, value] : members)
        if (name == key)
            return &value;
    return nullptr;
}

std::optional<JsonValue> ParseJson(std::string_view text) {
    // A byte-order mark, which some editors write, is not part of the document.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    JsonValue value;
    if (!Reader(text).Document(value))
        return std::nullopt;
    return value;
}

}  // namespace lumo
