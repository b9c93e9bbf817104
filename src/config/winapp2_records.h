// winapp2.ini on this machine: which entries are present, which are skipped and why, and the
// software records of the present ones. The records are of their own: Plugins records with
// RecordOrigin::Winapp2, one item per FileKey folder and per RegKey, the entry's exclusions as
// every item's hold settings (cleaner/winapp2_walks.h). Nothing is selected here; the user's
// choice is kept in a file of its own (config/winapp2_selection.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/privacy_config.h"
#include "config/winapp2_file.h"
#include "config/winapp2_places.h"

namespace lumo {

class FileSystem;
class RegistryApi;

inline constexpr std::string_view kWinapp2FileName = "winapp2.ini";

// What became of one entry.
struct Winapp2Outcome {
    enum class State { Present, Absent, Skipped };
    State state = State::Absent;
    std::string name;
    std::string why;  // Skipped: the reason
    size_t line = 0;  // Skipped: the line that gives it
};

struct Winapp2Read {
    std::string file;
    std::string failure;  // why the file could not be read; empty when it was
    std::vector<Winapp2Outcome> outcomes;  // one per entry, in file order
    std::vector<Winapp2BadLine> badLines;
    int32_t unknownKeys = 0;
    std::vector<std::unique_ptr<PrivacyConfig>> records;  // of the present entries, in file order

    int32_t Count(Winapp2Outcome::State state) const;
};

struct Winapp2ReadOptions {
    // The entries wanted, by name (without regard to case); empty: every entry, each detected.
    // Entries named here are taken present or not: only what would make them unsafe or
    // unreadable skips them.
    std::vector<std::string> only;
};

// The file to read: the user's copy in `userFolder` (which wins), else the one beside the
// program; empty when there is neither.
std::string Winapp2FileToRead(FileSystem& files, std::string_view programFolder, std::string_view userFolder);

// Reads `file` and decides each entry on this machine: detection through `files` and `registry`
// (null: registry detections find nothing).
Winapp2Read ReadWinapp2(FileSystem& files, RegistryApi* registry, const Winapp2Places& places, const std::string& file,
                        const Winapp2ReadOptions& options = {});
// The same over the file's bytes.
Winapp2Read InterpretWinapp2(std::string_view bytes, FileSystem& files, RegistryApi* registry,
                             const Winapp2Places& places, const Winapp2ReadOptions& options = {});

// What the main window's text log says after a read: the file with its counts, then each skipped
// entry and line with its line number, at most `maxProblems` of them and then how many more. No
// line when no file was read.
std::vector<std::string> Winapp2ReportLines(const Winapp2Read& read, size_t maxProblems);

// Why a whole registry key may not be removed ("a root key", "a key that holds all ..."); empty
// when it may.
std::string RegistryKeyRefusal(int32_t root, std::string_view path);

}  // namespace lumo
