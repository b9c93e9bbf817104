// The special parsers. Every operation builds its own collection (with the activity log of the
// run, so each trace gets its log line) and raises AppendValue with the calling item for every
// trace it adds, except the AutoComplete parser, whose traces come from autocomplete_stores.cpp.
#include "cleaner/customize_parsers.h"

#include <array>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "cleaner/browser_parsers.h"
#include "cleaner/file_clearing.h"
#include "cleaner/item_processing.h"
#include "cleaner/seek_context.h"
#include "platform/ansi.h"
#include "platform/file_system.h"
#include "platform/system_info.h"
#include "registry/user_identity.h"

namespace lumo {

namespace {

using Operation = PrivacyValuesPtr (SpecialParser::*)(const ParserArguments&, SeekContext&);

struct NamedOperation {
    std::string_view name;
    Operation operation;
};

constexpr std::array<NamedOperation, 6> kOperations{{
    {"ParseRecycleBin", &SpecialParser::ParseRecycleBin},
    {"ParseIEAutoComplete", &SpecialParser::ParseIEAutoComplete},
    {"ParseMozillaAddressHistory", &SpecialParser::ParseMozillaAddressHistory},
    {"ParseMozillaHistoryFile", &SpecialParser::ParseMozillaHistoryFile},
    {"ParseMozillaCacheFiles", &SpecialParser::ParseMozillaCacheFiles},
    {"ParseMozillaCookies", &SpecialParser::ParseMozillaCookies},
}};

bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

// The position of `tag` (ASCII) in `line` without regard to letter case. The rdf file is bytes
// in whatever encoding it was written, so only ASCII letters are folded: that keeps positions
// in the line and the line as read in step.
size_t FindNoCase(std::string_view line, std::string_view tag) {
    if (tag.size() > line.size())
        return std::string_view::npos;
    for (size_t i = 0; i + tag.size() <= line.size(); ++i)
        if (EqualsAsciiNoCase(line.substr(i, tag.size()), tag))
            return i;
    return std::string_view::npos;
}

std::string TextOf(std::string_view bytes) {
    // Mozilla writes its rdf files in UTF-8; anything that is not valid UTF-8 is taken as ANSI.
    return EncodeUtf8(DecodeUtf8(bytes)) == bytes ? std::string(bytes) : FromAnsi(bytes);
}

// One call of one operation: the collection it builds and the events it raises.
class Run {
public:
    Run(SpecialParser& parser, const ParserArguments& args, SeekContext& ctx)
        : parser(parser), args(args), ctx(ctx), result(std::make_shared<PrivacyValues>(ctx.log)) {}

    SpecialParser& parser;
    const ParserArguments& args;
    SeekContext& ctx;
    PrivacyValuesPtr result;

    bool Clear() const { return args.clearValue; }
    // A free line of the activity log.
    void Note(const std::string& text) {
        if (ctx.log)
            ctx.log->AppendString(ctx.log->DateTimeText() + "--" + text);
    }
    bool Stop() const { return ctx.StopRequested(); }
    void Report(const PrivacyValuePtr& pv) {
        if (args.item)
            parser.AppendValue(*args.item, pv);
    }
};

// The words of a failed removal, for the log.
const char* Why(FileResult r) {
    switch (r) {
    case FileResult::DeniedOrInUse:
        return "access denied or in use";
    case FileResult::OtherFailure:
        return "it is not empty, or the system refused";
    default:
        return "unknown";
    }
}

// One Recycle Bin folder: the walk, then, when clearing, the folder itself with whatever is
// still in it. A folder that is a link is not entered and stays.
void RecycleFolder(Run& run, const std::string& folder) {
    FileSystem& files = *run.ctx.files;
    if (run.Stop() || !files.FolderExists(folder))
        return;
    std::function<void(const PrivacyValuePtr&)> report = [&run](const PrivacyValuePtr& pv) { run.Report(pv); };
    WalkFolderWithoutHolds(*run.result, report, run.ctx, folder, run.Clear());
    if (!run.Clear() || run.Stop() || files.IsLink(folder))
        return;
    FileResult r = files.DeleteFolderTree(folder);
    if (r != FileResult::Deleted && r != FileResult::NotFound)
        run.Note("The Recycle Bin folder " + folder + " could not be removed (" + Why(r) + ")");
}

// The subfolders of a folder, links left out; none when it cannot be listed.
std::vector<std::string> SubfoldersOf(FileSystem& files, const std::string& folder) {
    std::vector<FolderEntry> entries;
    std::vector<std::string> folders;
    if (!files.ListFolder(folder, entries))
        return folders;
    for (const FolderEntry& e : entries)
        if (e.isFolder && !e.isLink)
            folders.push_back(JoinPath(folder, e.name));
    return folders;
}

// Calls `visit` with each profile folder (two levels below the profiles folder, in listing
// order) until it returns false.
template <class Visit>
void ForEachProfile(FileSystem& files, const std::string& profilesFolder, Visit&& visit) {
    for (const std::string& a : SubfoldersOf(files, profilesFolder))
        for (const std::string& b : SubfoldersOf(files, a))
            if (!visit(b))
                return;
}

bool HasProfilesFolder(const Run& run) {
    const std::string& folder = run.args.Element(2);
    return run.ctx.files && !folder.empty() && run.ctx.files->FolderExists(folder);
}

// One file found in a profile: its trace, and when clearing its deletion or overwriting.
void ProfileFile(Run& run, std::string path, std::optional<int64_t> listedSize, bool mayFill) {
    PrivacyValuePtr pv = listedSize ? run.result->AddFile(std::move(path), *listedSize, vsFind)
                                    : run.result->AddFile(*run.ctx.files, std::move(path), vsFind);
    if (run.Clear()) {
        int16_t r = DeleteFileOrFill(*run.ctx.files, pv->Path, mayFill, run.ctx.securityFillTimes);
        if (r == 0)
            pv->ValueStatus = vsDelete;
        else
            run.result->Settle(*pv, r == 1 ? vsFillBlank : vsUnknown);  // the file stays: its last line says so
    }
    run.Report(pv);
}

PrivacyValuesPtr ProfileFiles(Run& run, std::string_view fileName) {
    if (!HasProfilesFolder(run))
        return run.result;
    FileSystem& files = *run.ctx.files;
    ForEachProfile(files, run.args.Element(2), [&](const std::string& profile) {
        std::string path = JoinPath(profile, fileName);
        if (!files.FileExists(path))
            return true;
        if (run.Stop())
            return false;
        ProfileFile(run, std::move(path), std::nullopt, true);
        return true;
    });
    return run.result;
}

// One line of a text file with its line break as read ("\r\n", "\n", or none at the end).
struct Line {
    std::string_view text;
    std::string_view whole;
};

std::vector<Line> SplitLines(std::string_view content) {
    std::vector<Line> lines;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        size_t next = end == std::string_view::npos ? content.size() : end + 1;
        std::string_view whole = content.substr(start, next - start);
        std::string_view text = whole;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.remove_suffix(1);
        lines.push_back({text, whole});
        start = next;
    }
    return lines;
}

constexpr std::string_view kListOpening = "<RDF:Seq about=\"nc:urlbar-history\">";
constexpr std::string_view kListClosing = "</RDF:Seq>";
constexpr std::string_view kEntryOpening = "<RDF:li>";
constexpr std::string_view kEntryClosing = "</RDF:li>";

// One localstore.rdf: its entries as traces, and when clearing the file rewritten without them.
// False when the parse must end; the file is then as it was and no temporary file is left.
bool AddressHistoryFile(Run& run, const std::string& rdf) {
    FileSystem& files = *run.ctx.files;
    std::optional<std::string> content = files.ReadFile(rdf);
    if (!content)
        return false;
    std::string kept;
    if (run.Clear())
        kept.reserve(content->size());
    std::vector<PrivacyValuePtr> found;
    bool inList = false;
    bool failed = false;
    for (const Line& line : SplitLines(*content)) {
        std::string_view trimmed = TrimSpaces(line.text);
        if (FindNoCase(trimmed, kListClosing) != std::string_view::npos)
            inList = false;
        if (inList) {
            size_t open = FindNoCase(line.text, kEntryOpening);
            size_t close = FindNoCase(line.text, kEntryClosing);
            if (open == std::string_view::npos || close == std::string_view::npos ||
                close < open + kEntryOpening.size()) {
                failed = true;
                break;
            }
            std::string_view entry = line.text.substr(open + kEntryOpening.size(), close - open - kEntryOpening.size());
            PrivacyValuePtr pv =
                run.result->AddIniFileItem(rdf, "URL:", TextOf(entry), run.Clear() ? vsDelete : vsFind);
            found.push_back(pv);
            run.Report(pv);
        } else if (run.Clear()) {
            kept.append(line.whole);
        }
        if (FindNoCase(trimmed, kListOpening) != std::string_view::npos)
            inList = true;
    }
    if (!run.Clear())
        return !failed;
    if (!failed && !found.empty()) {
        std::string tmp = rdf + ".tmp";
        bool written = false;
        if (auto out = files.OpenForWrite(tmp, WriteMode::Create)) {
            written = out->Write(kept.data(), kept.size());
            written = out->Close() && written;
            written = written && files.ReplaceAtomically(tmp, rdf);
        }
        if (!written) {
            files.RemoveFile(tmp);
            failed = true;
        }
    }
    if (failed)
        for (const PrivacyValuePtr& pv : found)
            run.result->Settle(*pv, vsUnknown);
    return !failed;
}

}  // namespace

PrivacyValuesPtr SpecialParser::CallParser(std::string_view sName, const ParserArguments& varArgs, SeekContext& ctx) {
    for (const NamedOperation& op : kOperations)
        if (EqualsAsciiNoCase(op.name, sName))
            return (this->*op.operation)(varArgs, ctx);
    if (BrowserOperation op = FindBrowserParser(sName))
        return op(*this, varArgs, ctx);
    return nullptr;
}

PrivacyValuesPtr SpecialParser::ParseRecycleBin(const ParserArguments& varArgs, SeekContext& ctx) {
    Run run(*this, varArgs, ctx);
    if (!ctx.files || !ctx.system)
        return run.result;
    std::string sid;
    for (const DriveInfo& drive : ctx.system->Drives()) {
        if (drive.type != DriveType::Fixed)
            continue;
        if (drive.fileSystem == "NTFS") {
            if (sid.empty())
                sid = GetUserSidString(*ctx.system);
            // Without the SID the folder would be the whole Recycler, every user's deleted files.
            if (!sid.empty())
                for (std::string_view bin : {"Recycler", "$Recycle.Bin"})
                    RecycleFolder(run, JoinPath(JoinPath(drive.path, bin), sid));
        }
        RecycleFolder(run, JoinPath(drive.path, "Recycled"));
    }
    return run.result;
}

PrivacyValuesPtr SpecialParser::ParseIEAutoComplete(const ParserArguments& varArgs, SeekContext& ctx) {
    if (!ctx.registry || !ctx.system)
        return std::make_shared<PrivacyValues>(ctx.log);
    RegKey tool(*ctx.registry);
    PrivacyValuesPtr found;
    if (varArgs.clearValue) {
        found = ClearAutoCompleteForms(tool, *ctx.system, ctx.log, autoCompleteLocations);
        ClearAutoCompletePasswords(tool, autoCompleteLocations);
    } else {
        found = GetAutoCompleteForms(tool, *ctx.system, ctx.log, autoCompleteLocations);
    }
    return found ? found : std::make_shared<PrivacyValues>(ctx.log);
}

PrivacyValuesPtr SpecialParser::ParseMozillaAddressHistory(const ParserArguments& varArgs, SeekContext& ctx) {
    Run run(*this, varArgs, ctx);
    try {
        if (!HasProfilesFolder(run))
            return run.result;
        FileSystem& files = *ctx.files;
        ForEachProfile(files, varArgs.Element(2), [&](const std::string& profile) {
            std::string rdf = JoinPath(profile, "localstore.rdf");
            if (!files.FileExists(rdf))
                return true;
            if (run.Stop())
                return false;
            return AddressHistoryFile(run, rdf);
        });
    } catch (const std::exception&) {
    }
    return run.result;
}

PrivacyValuesPtr SpecialParser::ParseMozillaHistoryFile(const ParserArguments& varArgs, SeekContext& ctx) {
    Run run(*this, varArgs, ctx);
    return ProfileFiles(run, "history.dat");
}

PrivacyValuesPtr SpecialParser::ParseMozillaCookies(const ParserArguments& varArgs, SeekContext& ctx) {
    Run run(*this, varArgs, ctx);
    return ProfileFiles(run, "cookies.txt");
}

PrivacyValuesPtr SpecialParser::ParseMozillaCacheFiles(const ParserArguments& varArgs, SeekContext& ctx) {
    Run run(*this, varArgs, ctx);
    if (!HasProfilesFolder(run))
        return run.result;
    FileSystem& files = *ctx.files;
    ForEachProfile(files, varArgs.Element(2), [&](const std::string& profile) {
        std::string cache = JoinPath(profile, "Cache");
        std::vector<FolderEntry> entries;
        if (!files.FolderExists(cache))
            return true;
        // A Cache folder that is a link is not entered: its files would lie elsewhere.
        if (files.IsLink(cache)) {
            run.Note("The folder " + cache + " is a link (symbolic link, junction or mount point) and was not entered");
            return true;
        }
        if (!files.ListFolder(cache, entries)) {
            run.Note("The folder " + cache + " could not be listed; nothing in it was sought");
            return true;
        }
        for (const FolderEntry& e : entries) {
            if (e.isFolder)
                continue;
            if (run.Stop())
                return false;
            // A link is removed as itself; overwriting it would write into what it points to.
            ProfileFile(run, JoinPath(cache, e.name), e.size, !e.isLink);
        }
        return true;
    });
    return run.result;
}

}  // namespace lumo
