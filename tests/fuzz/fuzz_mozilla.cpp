// The Mozilla file parsers on a profile built from the input: localstore.rdf holds the input's
// text, and the input's first byte decides what history.dat, cookies.txt and the Cache folder
// are (plain files, links to a file outside, a hard link to it, a link to a folder outside) and
// which of them refuse deletion. Checked after a scan and after a clear: nothing outside the
// profiles folder changes; a scan changes nothing at all; every file traced and still there is
// last named in the log by a line other than "Find" or "Delete"; a cleared rdf file keeps every
// line but the list's entries, and a failed one is left as it was.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cleaner/customize_parsers.h"
#include "cleaner/engine_test_support.h"
#include "cleaner/seek_context.h"
#include "fuzz_support.h"
#include "platform/portable/portable_file_system.h"

namespace {

using namespace lumo;
namespace fs = std::filesystem;

using fuzz::Read;
using fuzz::Write;

// Every file below `root` with its bytes (links as "link:" and their target).
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        out[it->path().string()] = it->is_symlink()        ? "link:" + fs::read_symlink(it->path()).string()
                                   : it->is_regular_file() ? Read(it->path())
                                                           : "folder";
    }
    return out;
}

// Lines of `text` with their line breaks, as the parser splits them.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    for (size_t start = 0, next; start < text.size(); start = next) {
        next = std::min(text.find('\n', start), text.size() - 1) + 1;
        out.push_back(text.substr(start, next - start));
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const unsigned shape = data[0];
    const std::string rdfText = fuzz::Text(data, size, 1);

    const fs::path root = fuzz::Scratch() / "m";
    std::error_code ec;
    fs::remove_all(root, ec);
    const fs::path outside = root / "outside", profile = root / "Profiles" / "a" / "p";
    Write(outside / "victim.txt", "precious bytes");
    Write(outside / "folder" / "inner.txt", "precious too");
    Write(profile / "localstore.rdf", rdfText);
    // Two bits each for history.dat and cookies.txt: a file, a link to the victim, a hard link
    // to it, or nothing.
    for (auto [name, bits] : {std::pair<const char*, unsigned>{"history.dat", shape & 3},
                              std::pair<const char*, unsigned>{"cookies.txt", (shape >> 2) & 3}}) {
        fs::path p = profile / name;
        if (bits == 0)
            Write(p, "own bytes");
        else if (bits == 1)
            fs::create_symlink(outside / "victim.txt", p, ec);
        else if (bits == 2)
            fs::create_hard_link(outside / "victim.txt", p, ec);
    }
    if (shape & 16)
        fs::create_directory_symlink(outside / "folder", profile / "Cache", ec);
    else
        Write(profile / "Cache" / "c1", "cached");

    PortableFileSystem real;
    lumo::testing::InjectingFileSystem files(real);
    files.reverseListings = false;
    // Deletion refused, as in a folder that cannot be changed: the files are overwritten instead.
    if (shape & 32)
        for (const char* name : {"history.dat", "cookies.txt", "Cache/c1"})
            files.locked.insert((profile / name).string());
    if (shape & 64)
        files.refuseWriting.insert((profile / "localstore.rdf.tmp").string());  // the rewrite fails

    const auto outsideBefore = Snapshot(outside);
    const auto profilesBefore = Snapshot(root / "Profiles");
    SpecialParser parser;
    PrivacyItem item;
    for (bool clear : {false, true}) {
        lumo::testing::RecordingLog log;
        SeekContext ctx{.files = &files, .log = &log};
        ParserArguments args{.item = &item, .clearValue = clear, .settings = {(root / "Profiles").string()}};
        std::vector<PrivacyValuePtr> traces;
        for (const char* name : {"ParseMozillaAddressHistory", "ParseMozillaHistoryFile", "ParseMozillaCookies",
                                 "ParseMozillaCacheFiles"}) {
            PrivacyValuesPtr found = parser.CallParser(name, args, ctx);
            fuzz::Check(found != nullptr, "a parser gave no collection");
            for (const PrivacyValuePtr& pv : *found)
                traces.push_back(pv);
        }
        fuzz::Check(Snapshot(outside) == outsideBefore, "something outside the profiles folder changed");
        if (!clear) {
            fuzz::Check(Snapshot(root / "Profiles") == profilesBefore, "a scan changed a profile");
            continue;
        }
        // Entry lines are the status word followed by the path.
        std::map<std::string, std::string> lastLine;
        for (const std::string& line : log.lines)
            if (size_t at = line.find(root.string()); at != std::string::npos)
                lastLine[line.substr(at)] = line.substr(0, at);
        for (const PrivacyValuePtr& pv : traces) {
            if (pv->ValueType != 4)
                continue;
            bool there = fs::exists(fs::symlink_status(pv->Path, ec));
            const std::string& word = lastLine[pv->Path];
            fuzz::Check(!there || (word != "Find " && word != "Delete "), "a file that stays was last logged as gone",
                        word + pv->Path);
            fuzz::Check(pv->ValueStatus != vsDelete || !there, "a file marked deleted is still there", pv->Path);
        }
        // The rdf file: the list's entry lines gone after a clean parse, untouched after a failed one.
        std::vector<std::string> before = Lines(rdfText), after = Lines(Read(profile / "localstore.rdf"));
        auto isEntry = [](const PrivacyValuePtr& pv) { return pv->ValueType == 7; };
        const auto entries = static_cast<size_t>(std::count_if(traces.begin(), traces.end(), isEntry));
        const bool failed = std::any_of(traces.begin(), traces.end(), [&](const PrivacyValuePtr& pv) {
            return isEntry(pv) && pv->ValueStatus == vsUnknown;
        });
        if (failed || entries == 0) {
            fuzz::Check(after == before, "a failed or empty address list changed the rdf file");
        } else {
            fuzz::Check(after.size() + entries == before.size(), "the rewritten rdf file lost or kept other lines");
            size_t j = 0;
            for (const std::string& line : before)
                if (j < after.size() && line == after[j])
                    ++j;
            fuzz::Check(j == after.size(), "the rewritten rdf file is not the old one without its entries");
        }
    }
    return 0;
}
