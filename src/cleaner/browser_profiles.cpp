// Finding browser profiles.
#include "cleaner/browser_profiles.h"

#include <algorithm>
#include <optional>
#include <set>

#include "base/text.h"
#include "cleaner/json_reader.h"
#include "platform/file_system.h"

namespace lumo {

namespace {

bool IsProfileFolderName(std::string_view name) {
    if (name == "Default")
        return true;
    if (!StartsWith(name, "Profile "))
        return false;
    std::string_view number = name.substr(8);
    return !number.empty() && std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The profile folder names "Local State" lists under profile.info_cache.
std::set<std::string> ListedProfiles(FileSystem& files, const std::string& userData) {
    std::set<std::string> names;
    std::optional<std::string> text = files.ReadFile(JoinPath(userData, "Local State"));
    if (!text)
        return names;
    std::optional<JsonValue> state = ParseJson(*text);
    const JsonValue* profile = state ? state->Member("profile") : nullptr;
    const JsonValue* cache = profile ? profile->Member("info_cache") : nullptr;
    if (cache)
        for (const auto& [name, info] : cache->members)
            // A name that could leave the user data folder is no profile of it.
            if (!name.empty() && name != "." && name != ".." && name.find_first_of("\\/:") == std::string::npos)
                names.insert(name);
    return names;
}

void NoteLink(std::vector<std::string>& notes, const std::string& folder) {
    notes.push_back("The folder " + folder + " is a link (symbolic link, junction or mount point) and was not entered");
}

// A relative path of profiles.ini ("Profiles/abc.default") with this platform's separators.
std::string NativePath(std::string_view relative) {
    std::string out(relative);
    for (char& c : out)
        if (c == '/' || c == '\\')
            c = kPathSeparator;
    return out;
}

// A path that names one place whatever the current folder and drive: "C:\..." or "\\server\..."
// on Windows, "/..." elsewhere.
bool IsFullPath(std::string_view path) {
#ifdef _WIN32
    bool drive = path.size() > 2 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                 path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    return drive || StartsWith(path, "\\\\") || StartsWith(path, "//");
#else
    return !path.empty() && path[0] == '/';
#endif
}

bool ClimbsOut(std::string_view relative) {
    for (const std::string& part : Split(NativePath(relative), std::string(1, kPathSeparator)))
        if (part == "..")
            return true;
    return false;
}

}  // namespace

std::vector<BrowserProfile> ChromiumProfiles(FileSystem& files, const std::string& userData,
                                             const std::string& localUserData, std::vector<std::string>& notes) {
    std::vector<BrowserProfile> profiles;
    if (userData.empty() || !files.FolderExists(userData))
        return profiles;
    if (files.IsLink(userData)) {
        NoteLink(notes, userData);
        return profiles;
    }
    const std::string& local = localUserData.empty() ? userData : localUserData;
    std::vector<FolderEntry> entries;
    if (!files.ListFolder(userData, entries))
        return profiles;
    bool holdsProfile = false;
    for (const FolderEntry& e : entries)
        if (!e.isFolder && (e.name == "Preferences" || e.name == "History"))
            holdsProfile = true;
    if (holdsProfile)
        profiles.push_back(
            {FileNameOf(userData).empty() ? userData : std::string(FileNameOf(userData)), userData, local});

    std::set<std::string> listed = ListedProfiles(files, userData);
    for (const FolderEntry& e : entries) {
        if (!e.isFolder || (!IsProfileFolderName(e.name) && !listed.count(e.name)))
            continue;
        std::string folder = JoinPath(userData, e.name);
        if (e.isLink) {
            NoteLink(notes, folder);
            continue;
        }
        profiles.push_back({e.name, folder, JoinPath(local, e.name)});
    }
    return profiles;
}

std::vector<BrowserProfile> FirefoxProfiles(FileSystem& files, const std::string& appFolder,
                                            const std::string& localAppFolder, std::vector<std::string>& notes) {
    std::vector<BrowserProfile> profiles;
    if (appFolder.empty())
        return profiles;
    std::optional<std::string> ini = files.ReadFile(JoinPath(appFolder, "profiles.ini"));
    if (!ini)
        return profiles;

    struct Section {
        std::string name, path;
        std::optional<bool> relative;
    };
    std::vector<Section> sections;
    bool inProfile = false;
    for (const std::string& raw : Split(*ini, "\n")) {
        std::string_view line = TrimBlanks(raw);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line.front() == '[') {
            inProfile = StartsWith(UpperCase(line), "[PROFILE");
            if (inProfile)
                sections.emplace_back();
            continue;
        }
        size_t eq = line.find('=');
        if (!inProfile || eq == std::string_view::npos)
            continue;
        std::string key = UpperCase(TrimBlanks(line.substr(0, eq)));
        std::string value(TrimBlanks(line.substr(eq + 1)));
        if (key == "NAME")
            sections.back().name = value;
        else if (key == "PATH")
            sections.back().path = value;
        else if (key == "ISRELATIVE")
            sections.back().relative = value != "0";
    }

    std::set<std::string> seen;
    for (const Section& s : sections) {
        if (s.path.empty())
            continue;
        bool looksAbsolute = s.path[0] == '/' || s.path[0] == '\\' || (s.path.size() > 1 && s.path[1] == ':');
        bool relative = s.relative.value_or(!looksAbsolute);
        // A relative path that climbs out of the Firefox folder is not followed, nor an absolute
        // one that is no full path: the program's current folder would complete it.
        if (relative ? looksAbsolute || ClimbsOut(s.path) : !IsFullPath(s.path))
            continue;
        BrowserProfile p;
        p.name = s.name.empty() ? s.path : s.name;
        p.folder = relative ? JoinPath(appFolder, NativePath(s.path)) : s.path;
        p.localFolder = relative && !localAppFolder.empty() ? JoinPath(localAppFolder, NativePath(s.path)) : p.folder;
        if (!seen.insert(UpperCase(p.folder)).second || !files.FolderExists(p.folder))
            continue;
        if (files.IsLink(p.folder)) {
            NoteLink(notes, p.folder);
            continue;
        }
        profiles.push_back(std::move(p));
    }
    return profiles;
}

}  // namespace lumo
