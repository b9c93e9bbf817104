// Where today's browsers keep their profiles: every profile of a Chromium-based browser (Chrome,
// Edge, Brave, Vivaldi, Opera) under its user data folder, and every Firefox profile that
// profiles.ini lists. A browser that is not installed has no profiles.
#pragma once

#include <string>
#include <vector>

namespace lumo {

class FileSystem;

struct BrowserProfile {
    std::string name;  // for messages: the folder name, or the name profiles.ini gives
    std::string folder;  // databases, sessions, site data
    std::string localFolder;  // the cache: the local counterpart of `folder`, or `folder` itself
};

// The profiles of a Chromium-based browser: "Default", "Profile N" and every profile the
// "Local State" file lists, each a folder of `userData`; and `userData` itself when it holds a
// profile's files directly (as Opera keeps its one profile). `localUserData` is where the
// browser keeps the caches (Opera's local folder); empty when they stay with the profiles.
// Folders that are links are not entered: each adds a line to `notes`.
std::vector<BrowserProfile> ChromiumProfiles(FileSystem& files, const std::string& userData,
                                             const std::string& localUserData, std::vector<std::string>& notes);

// The Firefox profiles that `appFolder`\profiles.ini lists, relative paths taken from
// `appFolder` (their caches from the same path under `localAppFolder` when given) and absolute
// paths as they stand (cache included). Missing folders are left out, links noted as above.
std::vector<BrowserProfile> FirefoxProfiles(FileSystem& files, const std::string& appFolder,
                                            const std::string& localAppFolder, std::vector<std::string>& notes);

}  // namespace lumo
