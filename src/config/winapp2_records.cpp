// From winapp2.ini's entries to the records of this machine: variables resolved, paths checked,
// detection tried, items made.
#include "config/winapp2_records.h"

#include <unordered_map>
#include <unordered_set>

#include "base/text.h"
#include "cleaner/winapp2_paths.h"
#include "platform/file_system.h"
#include "platform/registry_api.h"
#include "registry/reg_value.h"
#include "registry/registry_access.h"

namespace lumo {

namespace {

using State = Winapp2Outcome::State;

bool IsFullPath(std::string_view p) {
    bool drive = p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
    return drive || (!p.empty() && (p[0] == '\\' || p[0] == '/'));
}

bool Climbs(std::string_view p) {
    for (std::string_view s : PathSegments(p))
        if (s == "." || s == "..")
            return true;
    return false;
}

// Existence of files and folders for detection. Most detections name paths below a few folders
// (the application data folders, Program Files), so each folder on the way is listed once and
// kept: thousands of entries then cost a few dozen listings instead of thousands of calls.
class PathProbe {
public:
    explicit PathProbe(FileSystem& files) : files_(files) {}

    bool Exists(const std::string& path) {
        if (!HasWildcard(path))
            return Listed(path, PathSegments(path).size());
        // Only a path whose folders up to the first wildcard are there is expanded.
        std::vector<std::string_view> segments = PathSegments(path);
        size_t literal = 0;
        while (literal < segments.size() && !HasWildcard(segments[literal]))
            ++literal;
        return Listed(path, literal) && !ExpandWildcardPath(files_, path, true).empty();
    }

private:
    struct Listing {
        bool listed = false;
        std::unordered_set<std::string> names;  // upper case
    };

    const Listing& ListingOf(const std::string& folder) {
        auto [at, fresh] = cache_.try_emplace(UpperCase(folder));
        if (fresh && files_.ListFolder(folder, entries_)) {
            at->second.listed = true;
            for (const FolderEntry& e : entries_)
                at->second.names.insert(UpperCase(e.name));
        }
        return at->second;
    }

    bool Direct(const std::string& path) { return files_.FolderExists(path) || files_.FileExists(path); }

    // Whether the first `count` segments of `path` are there, each found in the listing of the
    // folder above it.
    bool Listed(const std::string& path, size_t count) {
        std::vector<std::string_view> segments = PathSegments(path);
        std::string folder;
        size_t first = 0;
        if (path.size() >= 2 && path[1] == ':' && !segments.empty()) {
            folder = std::string(segments[0]) + "\\";
            first = 1;
        } else if (path.size() >= 2 && (path[0] == '/' || path[0] == '\\') && path[1] != '/' && path[1] != '\\') {
            folder = path.substr(0, 1);
        } else {
            return Direct(path);  // a network path: its shares are not listed
        }
        for (size_t i = first; i < count && i < segments.size(); ++i) {
            const Listing& listing = ListingOf(folder);
            if (!listing.listed) {
                // A folder that refuses listing may still be passed through: ask for the path itself.
                const std::string_view last = segments[count - 1];
                return Direct(path.substr(0, static_cast<size_t>(last.data() - path.data()) + last.size()));
            }
            if (!listing.names.count(UpperCase(segments[i])))
                return false;
            folder = JoinPath(folder, segments[i]);
        }
        return true;
    }

    FileSystem& files_;
    std::unordered_map<std::string, Listing> cache_;
    std::vector<FolderEntry> entries_;
};

// Existence of registry keys for detection, the same way: the subkeys of each key on the way
// are listed once, so a thousand entries below HKCU\Software cost one listing. A key with very
// many subkeys (HKEY_CLASSES_ROOT) is not listed: the path below it is opened instead.
class KeyProbe {
public:
    explicit KeyProbe(RegistryApi& api) : api_(api) {}

    bool Exists(int32_t root, const std::string& path) {
        std::vector<std::string_view> segments = PathSegments(path);
        std::string key;
        for (size_t i = 0; i < segments.size(); ++i) {
            const Listing& listing = ListingOf(root, key);
            if (!listing.listed)
                return Open(root, path);
            if (!listing.names.count(UpperCase(segments[i])))
                return false;
            key += (key.empty() ? "" : "\\") + std::string(segments[i]);
        }
        return Open(root, key);
    }

private:
    static constexpr uint32_t kMostListed = 2000;
    struct Listing {
        bool listed = false;
        std::unordered_set<std::string> names;  // upper case
    };

    const Listing& ListingOf(int32_t root, const std::string& key) {
        auto [at, fresh] = cache_.try_emplace(std::to_string(root) + "\\" + UpperCase(key));
        if (!fresh)
            return at->second;
        registry_access::KeyHandle handle(api_);
        RegKeyInfo info;
        if (api_.OpenKey(RootHandle(root), key, keyQueryValue | keyEnumerateSubKeys, handle.Out()) != regOk ||
            api_.QueryInfoKey(handle.get(), info) != regOk || info.subKeys > kMostListed)
            return at->second;
        std::string name;
        int32_t rc = regOk;
        for (uint32_t index = 0; (rc = api_.EnumKey(handle.get(), index, name, info.maxSubKeyLen * 2 + 2)) == regOk;
             ++index)
            at->second.names.insert(UpperCase(name));
        // A listing cut short would say that keys are missing: such a key is asked for itself.
        at->second.listed = rc == regNoMoreItems;
        if (!at->second.listed)
            at->second.names.clear();
        return at->second;
    }

    bool Open(int32_t root, const std::string& path) {
        registry_access::KeyHandle key(api_);
        return api_.OpenKey(RootHandle(root), path, keyQueryValue, key.Out()) == regOk;
    }

    RegistryApi& api_;
    std::unordered_map<std::string, Listing> cache_;
};

// What SpecialDetect stands for: the usual places of each application.
struct SpecialPlaces {
    const char* word;
    std::vector<const char*> keys;
    std::vector<const char*> files;
};

const std::vector<SpecialPlaces>& SpecialDetections() {
    static const std::vector<SpecialPlaces> kTable = {
        {"DET_CHROME", {"HKCU\\Software\\Google\\Chrome"}, {"%LocalAppData%\\Google\\Chrome"}},
        {"DET_MOZILLA", {"HKLM\\Software\\Mozilla\\Mozilla Firefox"}, {"%AppData%\\Mozilla\\Firefox"}},
        {"DET_THUNDERBIRD", {"HKLM\\Software\\Mozilla\\Mozilla Thunderbird"}, {"%AppData%\\Thunderbird"}},
        {"DET_OPERA", {"HKCU\\Software\\Opera Software"}, {"%AppData%\\Opera Software"}},
        {"DET_WINDOWS", {}, {}},  // Windows itself: always there
    };
    return kTable;
}

class Reader {
public:
    Reader(FileSystem& files, RegistryApi* registry, const Winapp2Places& places) : places_(places), probe_(files) {
        if (registry)
            keys_.emplace(*registry);
    }

    // Decides one entry; makes its record when it is present (or wanted without detection).
    Winapp2Outcome Decide(const Winapp2Entry& e, bool detect, std::unique_ptr<PrivacyConfig>& record) {
        Winapp2Outcome out;
        out.name = e.name;
        auto skip = [&out](std::string why, size_t line) {
            out.state = State::Skipped;
            out.why = std::move(why);
            out.line = line;
            return out;
        };
        if (!e.problem.empty())
            return skip(e.problem, e.problemLine);

        auto made = std::make_unique<PrivacyConfig>();
        made->Software = e.name;
        made->SoftwareType = stPlugins;
        made->Origin = RecordOrigin::Winapp2;
        made->Group = e.group;
        made->Warning = e.warning;

        std::vector<std::string> exclusions;
        for (const Winapp2Entry::Exclude& ex : e.excludes) {
            std::string why;
            if (!Exclusion(ex, exclusions, why))
                return skip(why, ex.line);
        }
        for (const Winapp2Entry::FileKey& fk : e.fileKeys) {
            Resolved folders = ResolveWinapp2Variables(fk.path, places_);
            if (!folders.unknown.empty())
                return skip(fk.name + " uses the unknown variable " + folders.unknown, fk.line);
            for (const std::string& folder : folders.texts) {
                if (!IsFullPath(folder))
                    return skip(fk.name + " does not name a full folder path (" + folder + ")", fk.line);
                if (Climbs(folder))
                    return skip("dangerous: " + fk.name + " climbs out of its folder with \"..\" (" + folder + ")",
                                fk.line);
                std::string refusal = places_.protectedFolders.Refusal(folder, fk.reach);
                if (!refusal.empty())
                    return skip("dangerous: " + fk.name + " names " + refusal + " (" + folder + ")", fk.line);
                AddItem(*made, fk.name, pitWinapp2Files, {folder, fk.patterns, FileKeyReachWord(fk.reach)}, exclusions);
            }
        }
        for (const Winapp2Entry::RegKey& rk : e.regKeys) {
            int32_t root = 0;
            std::string path;
            SplitWinapp2Key(rk.key, root, path);
            if (!rk.value) {
                std::string refusal = RegistryKeyRefusal(root, path);
                if (!refusal.empty())
                    return skip("dangerous: " + rk.name + " names " + refusal + " (" + rk.key + ")", rk.line);
                AddItem(*made, rk.name, pitWinapp2Registry, {RootKeyLongName(root), path}, exclusions);
            } else {
                if (TrimBlanks(path).empty())
                    return skip(rk.name + " names a value of a whole root key", rk.line);
                AddItem(*made, rk.name, pitWinapp2Registry, {RootKeyLongName(root), path, *rk.value}, exclusions);
            }
        }

        if (detect) {
            std::string why;
            size_t line = 0;
            std::optional<bool> present = Present(e, why, line);
            if (!present)
                return skip(why, line);
            if (!*present) {
                out.state = State::Absent;
                return out;
            }
        }
        out.state = State::Present;
        record = std::move(made);
        return out;
    }

private:
    static void AddItem(PrivacyConfig& record, const std::string& title, int32_t type, std::vector<std::string> seek,
                        const std::vector<std::string>& exclusions) {
        auto item = std::make_unique<PrivacyItem>();
        item->Software = record.Software;
        item->Title = title;
        item->Selected = true;
        item->ItemType = type;
        item->SeekSettings = std::move(seek);
        item->HoldSettings = exclusions;
        item->HoldFlag = !exclusions.empty();
        record.Items.Add(std::move(item));
    }

    // The exclusion in the walks' form, once per folder it stands for here (none when its
    // variable has no folder here). False, with why, when it cannot be understood: an entry is
    // never run without what it says to keep.
    bool Exclusion(const Winapp2Entry::Exclude& ex, std::vector<std::string>& into, std::string& why) {
        if (ex.kind == Winapp2Entry::ExcludeKind::Reg) {
            int32_t root = 0;
            std::string path;
            SplitWinapp2Key(ex.where, root, path);
            std::string text = "REG|" + std::string(RootKeyLongName(root)) + (path.empty() ? "" : "\\" + path);
            into.push_back(ex.patterns ? text + "|" + *ex.patterns : text);
            return true;
        }
        Resolved where = ResolveWinapp2Variables(ex.where, places_);
        if (!where.unknown.empty()) {
            why = "an ExcludeKey uses the unknown variable " + where.unknown;
            return false;
        }
        const bool file = ex.kind == Winapp2Entry::ExcludeKind::File;
        for (std::string text : where.texts) {
            if (!IsFullPath(text) || Climbs(text)) {
                why = "an ExcludeKey does not name a full path (" + text + ")";
                return false;
            }
            std::string patterns = ex.patterns.value_or("");
            if (file && TrimBlanks(patterns).empty()) {
                // FILE with a file's path and no patterns: that one file.
                size_t cut = text.find_last_of("\\/");
                patterns = text.substr(cut + 1);
                text = text.substr(0, cut);
            }
            into.push_back(std::string(file ? "FILE|" : "PATH|") + text +
                           (TrimBlanks(patterns).empty() ? "" : "|" + patterns));
        }
        return true;
    }

    // Present, absent, or none with why (a detection that cannot be understood).
    std::optional<bool> Present(const Winapp2Entry& e, std::string& why, size_t& line) {
        if (e.hasDetectOs && !OsVersionInRange(places_.os, e.osMin, e.osMax))
            return false;
        if (!e.HasDetection())
            return true;
        for (const Winapp2Entry::Located& key : e.detectKeys)
            if (KeyFound(key.text))
                return true;
        for (const Winapp2Entry::Located& file : e.detectFiles) {
            std::optional<bool> found = FileFound(file.text);
            if (!found) {
                why = "DetectFile uses the unknown variable " + lastUnknown_;
                line = file.line;
                return std::nullopt;
            }
            if (*found)
                return true;
        }
        for (const Winapp2Entry::Located& special : e.specialDetects)
            for (const SpecialPlaces& places : SpecialDetections())
                if (special.text == places.word) {
                    if (places.keys.empty() && places.files.empty())
                        return true;
                    for (const char* key : places.keys)
                        if (KeyFound(key))
                            return true;
                    for (const char* file : places.files)
                        if (FileFound(file).value_or(false))
                            return true;
                }
        return false;
    }

    bool KeyFound(const std::string& text) {
        int32_t root = 0;
        std::string path;
        if (!keys_ || !SplitWinapp2Key(text, root, path))
            return false;
        return keys_->Exists(root, path);
    }

    std::optional<bool> FileFound(const std::string& text) {
        Resolved paths = ResolveWinapp2Variables(text, places_);
        if (!paths.unknown.empty()) {
            lastUnknown_ = paths.unknown;
            return std::nullopt;
        }
        for (const std::string& p : paths.texts)
            if (IsFullPath(p) && probe_.Exists(p))
                return true;
        return false;
    }

    const Winapp2Places& places_;
    PathProbe probe_;
    std::optional<KeyProbe> keys_;
    std::string lastUnknown_;
};

}  // namespace

int32_t Winapp2Read::Count(Winapp2Outcome::State state) const {
    int32_t n = 0;
    for (const Winapp2Outcome& o : outcomes)
        n += o.state == state ? 1 : 0;
    return n;
}

std::string Winapp2FileToRead(FileSystem& files, std::string_view programFolder, std::string_view userFolder) {
    for (std::string_view folder : {userFolder, programFolder}) {
        if (folder.empty())
            continue;
        std::string file = JoinPath(folder, kWinapp2FileName);
        if (files.FileExists(file))
            return file;
    }
    return {};
}

std::vector<std::string> Winapp2ReportLines(const Winapp2Read& read, size_t maxProblems) {
    std::vector<std::string> lines;
    if (read.file.empty())
        return lines;
    if (!read.failure.empty()) {
        lines.push_back("winapp2.ini was not read: " + read.file + " " + read.failure + ".");
        return lines;
    }
    const int32_t skipped = read.Count(State::Skipped);
    lines.push_back("winapp2.ini: " + std::to_string(read.outcomes.size()) + " entries, " +
                    std::to_string(read.Count(State::Present)) + " present on this computer, " +
                    std::to_string(skipped) + " skipped (" + read.file + ").");
    std::vector<std::string> problems;
    for (const Winapp2Outcome& o : read.outcomes)
        if (o.state == State::Skipped)
            problems.push_back("winapp2.ini line " + std::to_string(o.line) + ": the entry \"" + o.name +
                               "\" was skipped: " + o.why + ".");
    for (const Winapp2BadLine& bad : read.badLines)
        problems.push_back("winapp2.ini line " + std::to_string(bad.line) + " was skipped: " + bad.why + ".");
    for (size_t i = 0; i < problems.size() && i < maxProblems; ++i)
        lines.push_back(problems[i]);
    if (problems.size() > maxProblems)
        lines.push_back("... and " + std::to_string(problems.size() - maxProblems) +
                        " more; \"lumo winapp2\" lists them all.");
    return lines;
}

std::string RegistryKeyRefusal(int32_t root, std::string_view path) {
    std::vector<std::string_view> segments = PathSegments(path);
    if (segments.empty())
        return "a whole root key";
    size_t user = root == rkUsers ? 1 : 0;  // below HKEY_USERS a key per user comes first
    if (segments.size() == user)
        return "a whole user's registry";
    if (segments.size() == user + 1)
        return "a top-level key";
    std::string rest;
    for (size_t i = user; i < segments.size(); ++i)
        rest += (rest.empty() ? "" : "\\") + UpperCase(segments[i]);
    static const char* const kShared[] = {
        "SOFTWARE\\MICROSOFT",
        "SOFTWARE\\CLASSES",
        "SOFTWARE\\POLICIES",
        "SOFTWARE\\WOW6432NODE",
        "SOFTWARE\\MICROSOFT\\WINDOWS",
        "SOFTWARE\\MICROSOFT\\WINDOWS NT",
        "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION",
        "SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION",
        "SYSTEM\\CURRENTCONTROLSET",
    };
    for (const char* shared : kShared)
        if (rest == shared)
            return "a key that holds the settings of many programs";
    return {};
}

Winapp2Read InterpretWinapp2(std::string_view bytes, FileSystem& files, RegistryApi* registry,
                             const Winapp2Places& places, const Winapp2ReadOptions& options) {
    Winapp2Definitions definitions = ParseWinapp2(bytes);
    Winapp2Read read;
    read.badLines = std::move(definitions.badLines);
    read.unknownKeys = definitions.unknownKeys;
    std::unordered_set<std::string> wanted;
    for (const std::string& name : options.only)
        wanted.insert(UpperCase(name));
    Reader reader(files, registry, places);
    for (const Winapp2Entry& e : definitions.entries) {
        if (!wanted.empty() && !wanted.count(UpperCase(e.name)))
            continue;
        std::unique_ptr<PrivacyConfig> record;
        read.outcomes.push_back(reader.Decide(e, wanted.empty(), record));
        if (record)
            read.records.push_back(std::move(record));
    }
    return read;
}

Winapp2Read ReadWinapp2(FileSystem& files, RegistryApi* registry, const Winapp2Places& places, const std::string& file,
                        const Winapp2ReadOptions& options) {
    std::optional<std::string> bytes = files.ReadFile(file);
    if (!bytes) {
        Winapp2Read read;
        read.file = file;
        read.failure = files.FileExists(file) ? "it cannot be read" : "it does not exist";
        return read;
    }
    Winapp2Read read = InterpretWinapp2(*bytes, files, registry, places, options);
    read.file = file;
    return read;
}

}  // namespace lumo
