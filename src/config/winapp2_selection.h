// The user's choice of winapp2.ini entries: the names of the selected entries, one a line, in a
// small UTF-8 file in the user's folder beside the user's configuration (so a copy of the program
// on a USB stick keeps it with its own winapp2.ini). Names compare without regard to case, so a
// newer winapp2.ini keeps the choice of every entry whose name it keeps; the choice of an entry
// that is absent for now (the application removed, the file replaced) is kept for when it returns.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumo {

class FileSystem;
class PrivacyConfigs;

inline constexpr std::string_view kWinapp2SelectionFileName = "winapp2 selection.txt";

class Winapp2Selection {
public:
    // The names in `file`; a missing file is an empty choice. False when the file exists but
    // cannot be read (the choice is then empty too).
    bool Load(FileSystem& files, const std::string& file);
    bool Contains(std::string_view name) const;
    const std::vector<std::string>& Names() const { return names_; }

    // Takes the choice of the winapp2.ini records of `set`; names of entries not among them stay.
    void TakeFrom(const PrivacyConfigs& set);

    // Writes the file through a temporary one swapped in at the end; on failure the old file
    // stays as it was and a ConfigError names the file.
    void Save(FileSystem& files, const std::string& file) const;

private:
    std::vector<std::string> names_;
};

// Loads the choice in `file`, takes that of `set`'s winapp2.ini records and saves it: what OK
// and Apply of Items Settings do for these records. Throws ConfigError when it cannot be saved.
void SaveWinapp2Selection(FileSystem& files, const std::string& file, const PrivacyConfigs& set);

}  // namespace lumo
