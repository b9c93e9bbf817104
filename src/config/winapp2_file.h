// winapp2.ini as text: its entries with their keys understood, and what cannot be used, named by
// line. Nothing here looks at the machine: variables stay in the paths, detection is not tried.
//
// The file is an INI file; ";" starts a comment line. Each "[Entry name]" section is one
// application; its key names compare without regard to case, numbered keys (Detect2, FileKey7)
// need not be contiguous and are taken in the order of their numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cleaner/winapp2_walks.h"

namespace lumo {

// A Windows version as DetectOS writes it ("6.1", "10.0"); parts not written are none.
struct OsVersion {
    int32_t major = 0;
    int32_t minor = 0;
    int32_t build = 0;
    int32_t parts = 0;  // how many were written (1 to 3)
};

// Whether `running` lies within [min, max]; each bound compares only the parts it gives.
bool OsVersionInRange(const OsVersion& running, const std::optional<OsVersion>& min,
                      const std::optional<OsVersion>& max);

// A registry key as winapp2.ini writes it: a root (HKCU, HKLM, HKU, HKCR or their long names) and
// a path. False when the root is none of those.
bool SplitWinapp2Key(std::string_view text, int32_t& root, std::string& path);
// The long name of a root key ("HKEY_CURRENT_USER").
const char* RootKeyLongName(int32_t root);

struct Winapp2Entry {
    struct Located {
        std::string text;
        size_t line = 0;
    };
    struct FileKey {
        std::string name;  // as numbered in the file, "FileKey3"
        size_t line = 0;
        std::string path;
        std::string patterns;  // ";"-separated; empty for every file
        FileKeyReach reach = FileKeyReach::Files;
    };
    struct RegKey {
        std::string name;
        size_t line = 0;
        std::string key;
        std::optional<std::string> value;  // none: the whole key
    };
    enum class ExcludeKind { File, Path, Reg };
    struct Exclude {
        size_t line = 0;
        ExcludeKind kind = ExcludeKind::File;
        std::string where;  // folder, file or key as written
        std::optional<std::string> patterns;  // patterns (FILE, PATH) or value name (REG)
    };

    std::string name;  // as written between the brackets
    size_t line = 0;  // of the "[name]" line
    std::string group;
    std::string warning;
    std::vector<Located> detectKeys;
    std::vector<Located> detectFiles;
    bool hasDetectOs = false;
    std::optional<OsVersion> osMin, osMax;
    std::vector<Located> specialDetects;  // DET_CHROME and its kind, in upper case
    std::vector<FileKey> fileKeys;
    std::vector<RegKey> regKeys;
    std::vector<Exclude> excludes;
    int32_t unknownKeys = 0;

    // Why the entry cannot be used as written, and the line that says so; empty when it can.
    std::string problem;
    size_t problemLine = 0;

    bool HasDetection() const { return !detectKeys.empty() || !detectFiles.empty() || !specialDetects.empty(); }
};

// A line that is neither a comment, an entry name nor a key of an entry.
struct Winapp2BadLine {
    size_t line = 0;
    std::string why;
};

struct Winapp2Definitions {
    std::vector<Winapp2Entry> entries;
    std::vector<Winapp2BadLine> badLines;
    int32_t unknownKeys = 0;  // over all entries
};

// The group an entry with LangSecRef=`number` is listed under ("Other" for unknown numbers).
std::string LangSecRefGroup(int32_t number);

// Reads the file's bytes (UTF-8, with or without its mark; other bytes are read in the system's
// ANSI code page). Never fails: what cannot be used is named in the result.
Winapp2Definitions ParseWinapp2(std::string_view bytes);

}  // namespace lumo
