// The portable INI functions on any file: a read through a buffer too small gives the start of
// the whole list and the count the system gives; emptying a key reaches its first entry in the
// section and changes nothing else a read can see. Input: the section name, a zero byte, a
// buffer size byte, the file.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/portable/portable_profile_api.h"

namespace {

using namespace lumo;

std::string Section(PortableProfileApi& api, const std::string& section, const std::string& file, uint32_t size) {
    std::vector<char> buffer(size + 1, '#');
    uint32_t n = api.GetSection(section, buffer.data(), size, file);
    fuzz::Check(buffer[size] == '#', "the read wrote past the buffer");
    fuzz::Check(n <= size - 2 || size < 2, "the count does not fit the buffer");
    // A list that fits ends with its last entry's zero and one more (the count leaves the last
    // out); a cut one has two zeros after the count, which is then size - 2 (as is the count of
    // a list that fits exactly).
    if (size >= 2)
        fuzz::Check(buffer[n] == 0 &&
                        (n == 0 ? buffer[1] == 0 : buffer[n - 1] == 0 || (n == size - 2 && buffer[n + 1] == 0)),
                    "the list does not end in two zero bytes");
    return std::string(buffer.data(), n);
}

// The entries of a list that fits (each ends with a zero byte).
std::vector<std::string> Entries(const std::string& list) {
    std::vector<std::string> out;
    for (size_t start = 0, end; start < list.size(); start = end + 1) {
        end = list.find('\0', start);
        out.push_back(list.substr(start, end - start));
    }
    return out;
}

bool SameName(std::string_view a, std::string_view b) {
    auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return up(x) == up(y); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    size_t cut = input.find('\0');
    if (cut == std::string_view::npos || cut + 2 > size || cut > 40)
        return 0;
    const std::string section(input.substr(0, cut));
    const uint32_t small = static_cast<uint8_t>(input[cut + 1]);
    const std::string file = fuzz::ScratchPath("f.ini");
    fuzz::Write(file, input.substr(cut + 2));

    PortableProfileApi api;
    const std::string whole = Section(api, section, file, 1u << 13);
    const std::string part = Section(api, section, file, small);
    if (whole.size() + 2 > small && small >= 2) {
        fuzz::Check(part.size() == small - 2, "a cut read does not give size - 2");
        fuzz::Check(whole.compare(0, part.size(), part) == 0, "a cut read is not the start of the list");
    } else if (small >= 2) {
        fuzz::Check(part == whole, "a read that fits differs from the whole list");
    }

    // Empty the first entry whose name no entry before it has, and read again. A zero byte in a
    // line ends its value before the blanks at its end are taken off, as the system does, so a
    // rewrite may change such a value: files with one only take the reads above.
    if (input.find('\0', cut + 2) != std::string_view::npos)
        return 0;
    std::vector<std::string> before = Entries(whole);
    auto nameOf = [](const std::string& entry) { return std::string_view(entry).substr(0, entry.find('=')); };
    for (size_t i = 0; i < before.size(); ++i) {
        std::string key(nameOf(before[i]));
        if (key.empty() || std::any_of(before.begin(), before.begin() + static_cast<std::ptrdiff_t>(i),
                                       [&](const std::string& e) { return SameName(nameOf(e), key); }))
            continue;
        fuzz::Check(api.WriteString(section, key, "", file), "an existing file refused the write");
        std::vector<std::string> after = Entries(Section(api, section, file, 1u << 13));
        fuzz::Check(after.size() == before.size(), "emptying a key changed the number of entries");
        for (size_t j = 0; j < before.size() && j < after.size(); ++j)
            fuzz::Check(after[j] == (j == i ? key + "=" : before[j]),
                        j == i ? "the key was not emptied" : "another entry changed", before[j] + " -> " + after[j]);
        break;
    }
    return 0;
}
