// The portable INI functions. The file is read as the system reads it: lines end at any run of
// CR and LF, blanks around a line and around "=" go, blank lines are dropped, a zero byte ends a
// name or a value (a line that is empty up to it is no entry), a line starting
// with "[" and holding a "]" opens a section (name up to the last "]", trimmed), anything else is
// an entry, with or without "=". A read gives the first section of that name; a write that
// changes something rewrites the whole file in that normalised form with CRLF line ends, and a
// write that changes nothing leaves the file alone.
#include "platform/portable/portable_profile_api.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace lumo {

namespace {

struct Entry {
    std::string name;
    std::optional<std::string> value;  // none: the line had no "="
};

struct Section {
    std::string name;  // empty for the lines before the first section header
    std::vector<Entry> entries;
};

fs::path ToPath(std::string_view path) {
#ifdef _WIN32
    return fs::path(std::u8string(path.begin(), path.end()));
#else
    std::string text(path);
    for (char& c : text)
        if (c == '\\')
            c = '/';
    return fs::path(text);
#endif
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == 0x1a; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The system keeps names and values as zero-ended strings: a zero byte ends them.
std::string_view UpToZero(std::string_view s) { return s.substr(0, s.find('\0')); }

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i]))
            return false;
    return true;
}

std::optional<std::string> ReadBytes(std::string_view fileName) {
    std::ifstream in(ToPath(fileName), std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<Section> Parse(std::string_view text) {
    std::vector<Section> sections(1);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = Trim(text.substr(pos, end - pos));
        pos = text.find_first_not_of("\r\n", end);
        if (pos == std::string_view::npos)
            pos = text.size();
        if (line.empty())
            continue;
        if (line.front() == '[') {
            size_t close = line.rfind(']');
            if (close != std::string_view::npos) {
                sections.push_back(Section{std::string(Trim(line.substr(1, close - 1))), {}});
                continue;
            }
        }
        Entry e;
        size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            e.name = UpToZero(line);
        } else {
            e.name = UpToZero(Trim(line.substr(0, eq)));
            e.value = std::string(UpToZero(Trim(line.substr(eq + 1))));
        }
        sections.back().entries.push_back(std::move(e));
    }
    return sections;
}

Section* FindSection(std::vector<Section>& sections, std::string_view name) {
    // The lines before the first header form a section of their own only when there are any.
    for (Section& s : sections)
        if (SameName(s.name, name) && (&s != &sections.front() || !s.entries.empty()))
            return &s;
    return nullptr;
}

std::string Format(const std::vector<Section>& sections) {
    std::string out;
    for (const Section& s : sections) {
        if (&s == &sections.front() && s.entries.empty())
            continue;
        if (&s != &sections.front())
            out.append("[").append(s.name).append("]\r\n");
        for (const Entry& e : s.entries) {
            out.append(e.name);
            if (e.value)
                out.append("=").append(*e.value);
            out.append("\r\n");
        }
    }
    return out;
}

}  // namespace

uint32_t PortableProfileApi::GetSection(std::string_view section, char* buffer, uint32_t size,
                                        std::string_view fileName) {
    if (!buffer || size == 0)
        return 0;
    auto finishEmpty = [&] {
        buffer[0] = 0;
        if (size > 1)
            buffer[1] = 0;
        return 0u;
    };
    auto text = ReadBytes(fileName);
    if (!text)
        return finishEmpty();
    std::vector<Section> sections = Parse(*text);
    const Section* found = FindSection(sections, section);
    if (!found)
        return finishEmpty();

    std::string list;
    for (const Entry& e : found->entries) {
        if (!e.name.empty() && e.name.front() == ';')
            continue;
        if (e.name.empty() && !e.value)
            continue;  // a line that held only a zero byte and what followed it
        list.append(e.name);
        if (e.value)
            list.append("=").append(*e.value);
        list.push_back('\0');
    }
    if (list.size() + 1 < size) {
        std::memcpy(buffer, list.data(), list.size());
        buffer[list.size()] = 0;
        if (list.empty() && size > 1)
            buffer[1] = 0;
        return static_cast<uint32_t>(list.size());
    }
    // Too small: as much as fits before two closing zero bytes.
    if (size < 2)
        return finishEmpty();
    std::memcpy(buffer, list.data(), size - 2);
    buffer[size - 2] = 0;
    buffer[size - 1] = 0;
    return size - 2;
}

bool PortableProfileApi::WriteString(std::string_view section, std::string_view key, std::string_view value,
                                     std::string_view fileName) {
    auto text = ReadBytes(fileName);
    std::vector<Section> sections = Parse(text ? std::string_view(*text) : std::string_view());
    Section* target = FindSection(sections, section);
    if (!target) {
        sections.push_back(Section{std::string(Trim(section)), {}});
        target = &sections.back();
    }
    std::string newValue(Trim(value));
    Entry* entry = nullptr;
    for (Entry& e : target->entries)
        if (SameName(e.name, Trim(key))) {
            entry = &e;
            break;
        }
    if (entry) {
        if (entry->value && *entry->value == newValue && text)
            return true;
        entry->value = std::move(newValue);
    } else {
        target->entries.push_back(Entry{std::string(Trim(key)), std::move(newValue)});
    }
    std::string out = Format(sections);
    std::ofstream file(ToPath(fileName), std::ios::binary | std::ios::trunc);
    if (!file)
        return false;
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file.flush());
}

}  // namespace lumo
