// Reading winapp2.ini's text into entries: one pass over the lines, each key understood as it
// comes, the numbered keys put in order at the end of each entry.
#include "config/winapp2_file.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>

#include "base/text.h"
#include "platform/ansi.h"
#include "registry/reg_value.h"

namespace lumo {

namespace {

bool IsValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        size_t more = 0;
        if (c >= 0x80) {
            if ((c & 0xE0) == 0xC0)
                more = 1;
            else if ((c & 0xF0) == 0xE0)
                more = 2;
            else if ((c & 0xF8) == 0xF0)
                more = 3;
            else
                return false;
            if (i + more >= s.size())
                return false;
            for (size_t k = 1; k <= more; ++k)
                if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                    return false;
        }
        i += more + 1;
    }
    return true;
}

// The text of the file: UTF-8 as it stands (its mark dropped), anything else from the ANSI code page.
std::string Text(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    return IsValidUtf8(bytes) ? std::string(bytes) : FromAnsi(bytes);
}

bool ParseNumber(std::string_view s, int32_t& n) {
    if (s.empty())
        return false;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
    return ec == std::errc() && end == s.data() + s.size() && n >= 0;
}

// "6.1", "10.0", "10.0.22000"; an empty text is none.
bool ParseVersion(std::string_view s, std::optional<OsVersion>& version) {
    s = TrimBlanks(s);
    if (s.empty()) {
        version.reset();
        return true;
    }
    std::vector<std::string> parts = Split(s, ".");
    if (parts.size() > 3)
        return false;
    OsVersion v;
    int32_t* fields[] = {&v.major, &v.minor, &v.build};
    for (size_t i = 0; i < parts.size(); ++i)
        if (!ParseNumber(parts[i], *fields[i]))
            return false;
    v.parts = static_cast<int32_t>(parts.size());
    version = v;
    return true;
}

enum class KeyKind {
    Unknown,
    Detect,
    DetectFile,
    FileKey,
    RegKey,
    ExcludeKey,  // numbered
    LangSecRef,
    Section,
    DetectOs,
    SpecialDetect,
    Warning,
    Default,
};

// The kind of a key name; numbered kinds take an optional number after their word.
KeyKind KindOf(std::string_view name, int32_t& number) {
    size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9')
        --digits;
    std::string word = UpperCase(name.substr(0, digits));
    std::string_view tail = name.substr(digits);
    number = 0;
    if (!tail.empty() && !ParseNumber(tail, number))
        return KeyKind::Unknown;
    static const std::pair<const char*, KeyKind> kNumbered[] = {
        {"DETECT", KeyKind::Detect}, {"DETECTFILE", KeyKind::DetectFile}, {"FILEKEY", KeyKind::FileKey},
        {"REGKEY", KeyKind::RegKey}, {"EXCLUDEKEY", KeyKind::ExcludeKey},
    };
    static const std::pair<const char*, KeyKind> kSingle[] = {
        {"LANGSECREF", KeyKind::LangSecRef},       {"SECTION", KeyKind::Section}, {"DETECTOS", KeyKind::DetectOs},
        {"SPECIALDETECT", KeyKind::SpecialDetect}, {"WARNING", KeyKind::Warning}, {"DEFAULT", KeyKind::Default},
    };
    for (const auto& [w, kind] : kNumbered)
        if (word == w)
            return kind;
    if (tail.empty())
        for (const auto& [w, kind] : kSingle)
            if (word == w)
                return kind;
    return KeyKind::Unknown;
}

// One entry being read, with the numbers of its numbered keys for the final ordering.
struct EntryBuilder {
    Winapp2Entry entry;
    std::vector<int32_t> fileKeyNumbers, regKeyNumbers;
    bool hasSection = false;

    void Fail(size_t line, std::string why) {
        if (entry.problem.empty()) {
            entry.problem = std::move(why);
            entry.problemLine = line;
        }
    }

    void Key(std::string_view name, std::string_view value, size_t line) {
        int32_t number = 0;
        KeyKind kind = KindOf(name, number);
        std::string quoted = "\"" + std::string(name) + "\"";
        switch (kind) {
        case KeyKind::Unknown:
            ++entry.unknownKeys;
            break;
        case KeyKind::Default:
            break;
        case KeyKind::LangSecRef: {
            int32_t n = 0;
            if (!ParseNumber(value, n))
                return Fail(line, "LangSecRef is not a number");
            if (!hasSection)
                entry.group = LangSecRefGroup(n);
            break;
        }
        case KeyKind::Section:
            if (value.empty())
                return Fail(line, "Section names no group");
            entry.group = value;
            hasSection = true;
            break;
        case KeyKind::Warning:
            entry.warning = value;
            break;
        case KeyKind::Detect: {
            int32_t root = 0;
            std::string path;
            if (!SplitWinapp2Key(value, root, path))
                return Fail(line, quoted + " names no registry root (HKCU, HKLM, HKU or HKCR)");
            entry.detectKeys.push_back({std::string(value), line});
            break;
        }
        case KeyKind::DetectFile:
            if (value.empty())
                return Fail(line, quoted + " names no file or folder");
            entry.detectFiles.push_back({std::string(value), line});
            break;
        case KeyKind::DetectOs: {
            size_t bar = value.find('|');
            if (bar == std::string_view::npos || value.find('|', bar + 1) != std::string_view::npos ||
                !ParseVersion(value.substr(0, bar), entry.osMin) || !ParseVersion(value.substr(bar + 1), entry.osMax))
                return Fail(line, "DetectOS is not \"min|max\" with Windows versions such as 6.1 or 10.0");
            entry.hasDetectOs = true;
            break;
        }
        case KeyKind::SpecialDetect: {
            std::string word = UpperCase(value);
            static const char* const kKnown[] = {"DET_CHROME", "DET_MOZILLA", "DET_THUNDERBIRD", "DET_OPERA",
                                                 "DET_WINDOWS"};
            if (std::find(std::begin(kKnown), std::end(kKnown), word) == std::end(kKnown))
                return Fail(line, "SpecialDetect names an unknown detection \"" + std::string(value) + "\"");
            entry.specialDetects.push_back({word, line});
            break;
        }
        case KeyKind::FileKey: {
            std::vector<std::string> parts = Split(value, "|");
            Winapp2Entry::FileKey fk;
            fk.name = "FileKey" + std::string(name.substr(7));
            fk.line = line;
            fk.path = TrimBlanks(parts[0]);
            if (fk.path.empty())
                return Fail(line, quoted + " names no folder");
            if (parts.size() > 3 || (parts.size() == 3 && !FileKeyReachFromWord(parts[2], fk.reach)))
                return Fail(line, quoted + " ends with something other than RECURSE or REMOVESELF");
            if (parts.size() > 1) {
                fk.patterns = TrimBlanks(parts[1]);
                if (fk.patterns.find_first_of("\\/") != std::string::npos)
                    return Fail(line, quoted + " has a pattern with a folder in it; patterns name files only");
            }
            entry.fileKeys.push_back(std::move(fk));
            fileKeyNumbers.push_back(number);
            break;
        }
        case KeyKind::RegKey: {
            size_t bar = value.find('|');
            Winapp2Entry::RegKey rk;
            rk.name = "RegKey" + std::string(name.substr(6));
            rk.line = line;
            rk.key = TrimBlanks(value.substr(0, bar));
            if (bar != std::string_view::npos)
                rk.value = std::string(value.substr(bar + 1));
            int32_t root = 0;
            std::string path;
            if (!SplitWinapp2Key(rk.key, root, path))
                return Fail(line, quoted + " names no registry root (HKCU, HKLM, HKU or HKCR)");
            entry.regKeys.push_back(std::move(rk));
            regKeyNumbers.push_back(number);
            break;
        }
        case KeyKind::ExcludeKey: {
            size_t bar = value.find('|');
            std::string kind = UpperCase(TrimBlanks(value.substr(0, bar)));
            Winapp2Entry::Exclude ex;
            ex.line = line;
            if (kind == "FILE")
                ex.kind = Winapp2Entry::ExcludeKind::File;
            else if (kind == "PATH")
                ex.kind = Winapp2Entry::ExcludeKind::Path;
            else if (kind == "REG")
                ex.kind = Winapp2Entry::ExcludeKind::Reg;
            else
                return Fail(line, quoted + " is not FILE|, PATH| or REG| followed by what to keep");
            std::string_view rest = bar == std::string_view::npos ? std::string_view() : value.substr(bar + 1);
            size_t second = rest.find('|');
            ex.where = TrimBlanks(rest.substr(0, second));
            if (second != std::string_view::npos)
                ex.patterns = std::string(rest.substr(second + 1));
            int32_t root = 0;
            std::string path;
            if (ex.where.empty() ||
                (ex.kind == Winapp2Entry::ExcludeKind::Reg && !SplitWinapp2Key(ex.where, root, path)))
                return Fail(line, quoted + " names nothing to keep");
            entry.excludes.push_back(std::move(ex));
            break;
        }
        }
    }

    // Puts the numbered keys in the order of their numbers, keys of one number in file order.
    Winapp2Entry Finish() {
        auto order = [](auto& keys, const std::vector<int32_t>& numbers) {
            std::vector<size_t> index(keys.size());
            for (size_t i = 0; i < index.size(); ++i)
                index[i] = i;
            std::stable_sort(index.begin(), index.end(), [&](size_t a, size_t b) { return numbers[a] < numbers[b]; });
            std::remove_reference_t<decltype(keys)> sorted;
            for (size_t i : index)
                sorted.push_back(std::move(keys[i]));
            keys = std::move(sorted);
        };
        order(entry.fileKeys, fileKeyNumbers);
        order(entry.regKeys, regKeyNumbers);
        if (entry.fileKeys.empty() && entry.regKeys.empty())
            Fail(entry.line, "it names nothing to clean (no FileKey or RegKey)");
        if (entry.group.empty())
            entry.group = LangSecRefGroup(0);
        return std::move(entry);
    }
};

}  // namespace

bool OsVersionInRange(const OsVersion& running, const std::optional<OsVersion>& min,
                      const std::optional<OsVersion>& max) {
    auto compare = [&running](const OsVersion& bound) {
        const int32_t have[] = {running.major, running.minor, running.build};
        const int32_t want[] = {bound.major, bound.minor, bound.build};
        for (int32_t i = 0; i < bound.parts; ++i)
            if (have[i] != want[i])
                return have[i] < want[i] ? -1 : 1;
        return 0;
    };
    return (!min || compare(*min) >= 0) && (!max || compare(*max) <= 0);
}

bool SplitWinapp2Key(std::string_view text, int32_t& root, std::string& path) {
    static const std::pair<const char*, int32_t> kRoots[] = {
        {"HKCU", rkCurrentUser},  {"HKEY_CURRENT_USER", rkCurrentUser},
        {"HKLM", rkLocalMachine}, {"HKEY_LOCAL_MACHINE", rkLocalMachine},
        {"HKU", rkUsers},         {"HKEY_USERS", rkUsers},
        {"HKCR", rkClassesRoot},  {"HKEY_CLASSES_ROOT", rkClassesRoot},
    };
    text = TrimBlanks(text);
    size_t cut = text.find('\\');
    std::string word = UpperCase(text.substr(0, cut));
    for (const auto& [name, value] : kRoots)
        if (word == name) {
            root = value;
            path = cut == std::string_view::npos ? std::string() : std::string(text.substr(cut + 1));
            while (!path.empty() && path.back() == '\\')
                path.pop_back();
            return true;
        }
    return false;
}

const char* RootKeyLongName(int32_t root) {
    switch (root) {
    case rkCurrentUser:
        return "HKEY_CURRENT_USER";
    case rkLocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case rkUsers:
        return "HKEY_USERS";
    case rkClassesRoot:
        return "HKEY_CLASSES_ROOT";
    default:
        return "";
    }
}

std::string LangSecRefGroup(int32_t number) {
    switch (number) {
    case 3021:
        return "Applications";
    case 3022:
        return "Internet";
    case 3023:
        return "Multimedia";
    case 3024:
        return "Utilities";
    case 3025:
        return "Windows";
    case 3026:
        return "Firefox";
    case 3027:
        return "Opera";
    case 3028:
        return "Chromium-based";
    case 3029:
        return "Edge";
    default:
        return "Other";
    }
}

Winapp2Definitions ParseWinapp2(std::string_view bytes) {
    const std::string text = Text(bytes);
    Winapp2Definitions out;
    std::optional<EntryBuilder> current;
    // Names compare without regard to case: a second entry of a name is not used.
    std::unordered_map<std::string, size_t> lineOfName;
    auto finish = [&] {
        if (!current)
            return;
        out.unknownKeys += current->entry.unknownKeys;
        out.entries.push_back(current->Finish());
        current.reset();
    };

    size_t lineNumber = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line = TrimBlanks(std::string_view(text).substr(start, end - start));
        start = end + 1;
        ++lineNumber;
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            finish();
            if (line.back() != ']' || line.size() < 2) {
                out.badLines.push_back({lineNumber, "an entry name without its closing \"]\""});
                continue;
            }
            current.emplace();
            current->entry.name = line.substr(1, line.size() - 2);
            current->entry.line = lineNumber;
            if (TrimBlanks(current->entry.name).empty())
                current->Fail(lineNumber, "the entry has no name");
            auto [at, fresh] = lineOfName.emplace(UpperCase(current->entry.name), lineNumber);
            if (!fresh)
                current->Fail(lineNumber, "an entry of this name stands at line " + std::to_string(at->second));
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string_view::npos || TrimBlanks(line.substr(0, eq)).empty()) {
            out.badLines.push_back({lineNumber, "neither a comment, an entry name nor a key=value line"});
            continue;
        }
        if (!current) {
            out.badLines.push_back({lineNumber, "a key before the first entry"});
            continue;
        }
        current->Key(TrimBlanks(line.substr(0, eq)), TrimBlanks(line.substr(eq + 1)), lineNumber);
    }
    finish();
    return out;
}

}  // namespace lumo
