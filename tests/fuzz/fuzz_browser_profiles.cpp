// The profile lists of today's browsers on any input: the first byte chooses whether the rest is
// a Chromium "Local State" file or a Firefox profiles.ini; either way the rest also goes through
// the JSON reader. Checked: a Chromium profile is the user data folder itself or one of its own
// subfolders; a Firefox profile reached through a relative path stays below the Firefox folder
// (no ".." part) with its cache at the same place below the local folder, and any other profile
// is an absolute path the file itself names.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/text.h"
#include "cleaner/browser_profiles.h"
#include "cleaner/json_reader.h"
#include "fuzz_support.h"
#include "platform/portable/portable_file_system.h"

namespace {

using namespace lumo;
namespace fs = std::filesystem;

bool HasDotDotPart(std::string_view relative) {
    const std::vector<std::string> parts = Split(std::string(relative), "/");
    return std::find(parts.begin(), parts.end(), "..") != parts.end();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const bool firefox = data[0] & 1;
    const std::string text = fuzz::Text(data, size, 1);
    ParseJson(text);

    static const fs::path root = [] {
        fs::path r = fuzz::Scratch() / "b";
        for (const char* folder : {"u/Default", "u/Profile 3", "u/Work", "f/Profiles/a", "f/Profiles/b", "outside/c"})
            fs::create_directories(r / folder);
        return r;
    }();
    PortableFileSystem files;
    std::vector<std::string> notes;
    if (!firefox) {
        const std::string userData = (root / "u").string(), local = (root / "lu").string();
        fuzz::Write(root / "u" / "Local State", text);
        for (const BrowserProfile& p : ChromiumProfiles(files, userData, local, notes)) {
            fuzz::Check(p.folder == userData ||
                            (p.name != "." && p.name != ".." && p.folder == JoinPath(userData, p.name) &&
                             p.localFolder == JoinPath(local, p.name)),
                        "a Chromium profile outside its user data folder", p.folder);
        }
        return 0;
    }
    const std::string app = (root / "f").string(), local = (root / "lf").string();
    fuzz::Write(root / "f" / "profiles.ini", text);
    for (const BrowserProfile& p : FirefoxProfiles(files, app, local, notes)) {
        if (StartsWith(p.folder, app + "/")) {
            std::string relative = p.folder.substr(app.size() + 1);
            if (!HasDotDotPart(relative) && p.localFolder == JoinPath(local, relative))
                continue;
        }
        fuzz::Check(text.find(p.folder) != std::string::npos, "a Firefox profile the file does not name", p.folder);
    }
    return 0;
}
