// Where the program keeps what the user changes: the configuration file it saves and the activity
// logs. They stay beside the program when its folder can be written (a copy on a USB stick, a
// per-user install); otherwise, as for a standard user running from Program Files, they live in
// the user's own "Sweepkit Lumo" folder of the local application data. Decided once at start-up.
#pragma once

#include <string>
#include <string_view>

namespace lumo {

class FileSystem;

inline constexpr std::string_view kConfigFileName = "PrivacyConfig.dat";
inline constexpr std::string_view kLogsFolderName = "logs";
inline constexpr std::string_view kUserDataFolderName = "Sweepkit Lumo";

// Whether files can be made and removed in `folder`, found out by doing it: a probe file of a
// name no one uses is created and deleted again. Attributes do not tell (Windows ignores the
// read-only attribute of a folder), nor does being an administrator (the program runs without
// elevation); only the attempt answers for the user the program runs as.
bool CanWriteInFolder(FileSystem& files, std::string_view folder);

// The folder for the user's configuration and logs: `programFolder` when it can be written (or
// when `localAppData` is unknown, there being nowhere better), else `localAppData`\Sweepkit Lumo,
// which is created so that the first save of the configuration can write there. The logs make
// their own folder when the first logged run starts.
std::string PrepareDataFolder(FileSystem& files, const std::string& programFolder, std::string_view localAppData);

// The configuration file to read: the user's copy in `dataFolder` once a save has made it, else the
// one beside the program. The first save writes that copy: the lines read from beside the program
// with the user's choices in them.
std::string ConfigFileToLoad(FileSystem& files, std::string_view programFolder, std::string_view dataFolder);

}  // namespace lumo
