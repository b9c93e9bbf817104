// The walks of winapp2.ini items on real folders (and, under Wine, the real file system) and on
// the registries: every FileKey form, exclusions, REMOVESELF, links, failures and refusals, each
// checked by the traces it reports and what is left on disk.
#include <gtest/gtest.h>

#include <filesystem>

#include "cleaner/winapp2_walks.h"
#include "engine_test_support.h"
#include "platform/portable/portable_file_system.h"
#include "support/scratch_folder.h"
#include "registry/reg_key.h"
#include "support/registry_fixture.h"
#ifdef _WIN32
#include "platform/win32/win32_file_system.h"
#endif

namespace lumo {
namespace {

using testing::InjectingFileSystem;
using testing::MakeItem;
using testing::RecordingLog;
using testing::ScratchFolder;
namespace fs = std::filesystem;

#ifdef _WIN32
using RealFileSystem = Win32FileSystem;
#else
using RealFileSystem = PortableFileSystem;
#endif

std::string Word(int32_t status) {
    switch (status) {
    case vsFind:
        return "Find";
    case vsDelete:
        return "Delete";
    case vsKeepLocked:
        return "Keep";
    case vsUnknown:
        return "Unknown";
    default:
        return "?" + std::to_string(status);
    }
}

class Winapp2Files : public ::testing::Test {
protected:
    ScratchFolder dir;
    RealFileSystem realFiles;
    InjectingFileSystem files{realFiles};  // listings in descending name order: a fixed order everywhere
    RecordingLog log;
    bool stop = false;
    SeekContext ctx;

    Winapp2Files() {
        ctx.files = &files;
        ctx.log = &log;
        ctx.stopRequested = &stop;
        for (const char* f : {"Foo/a.log", "Foo/b.txt", "Foo/C.LOG", "Foo/noext", "Foo/sub/d.log", "Foo/sub/deep/e.log",
                              "Foo/sub/keep/f.log", "Bar/sub/g.log"})
            dir.Write(f, "data");
    }

    std::string P(std::string_view relative) const { return dir.Path(relative); }

    // "<status> <path below the scratch folder>" per trace.
    std::vector<std::string> Seek(PrivacyItem& item, bool clear) {
        std::vector<std::string> out;
        PrivacyValuesPtr found = item.GetPrivacyValue(ctx, true, clear);
        for (const PrivacyValuePtr& pv : *found) {
            std::string path = pv->Path.substr(P("").size() + 1);
            std::replace(path.begin(), path.end(), '\\', '/');
            out.push_back(Word(pv->ValueStatus) + " " + path);
        }
        return out;
    }

    // The files and folders left below the scratch folder.
    std::vector<std::string> Left() const {
        std::vector<std::string> out;
        for (const auto& e : fs::recursive_directory_iterator(dir.FsPath()))
            out.push_back(e.path().lexically_relative(dir.FsPath()).generic_string());
        std::sort(out.begin(), out.end());
        return out;
    }
};

using Lines = std::vector<std::string>;

TEST_F(Winapp2Files, EachFileKeyFormFindsAndRemovesExactlyItsFiles) {
    const Lines all = Left();
    auto without = [&all](const Lines& gone) {
        Lines out;
        for (const std::string& p : all)
            if (std::find(gone.begin(), gone.end(), p) == gone.end())
                out.push_back(p);
        return out;
    };
    const std::string sep(1, kPathSeparator);
    struct Case {
        const char* name;
        std::vector<std::string> seek;
        std::vector<std::string> exclusions;
        Lines traces;
        Lines gone;
    };
    const Case cases[] = {
        {"patterns ignore letter case",
         {P("Foo"), "*.log", ""},
         {},
         {"Delete Foo/a.log", "Delete Foo/C.LOG"},
         {"Foo/a.log", "Foo/C.LOG"}},
        {"*.* is every name, as Windows reads it",
         {P("Foo"), "*.*", ""},
         {},
         {"Delete Foo/noext", "Delete Foo/b.txt", "Delete Foo/a.log", "Delete Foo/C.LOG"},
         {"Foo/noext", "Foo/b.txt", "Foo/a.log", "Foo/C.LOG"}},
        {"a list of patterns",
         {P("Foo"), "*.txt; noext", ""},
         {},
         {"Delete Foo/noext", "Delete Foo/b.txt"},
         {"Foo/noext", "Foo/b.txt"}},
        {"RECURSE takes every level and leaves the folders",
         {P("Foo"), "", "recurse"},
         {},
         {"Delete Foo/noext", "Delete Foo/b.txt", "Delete Foo/a.log", "Delete Foo/C.LOG", "Delete Foo/sub/d.log",
          "Delete Foo/sub/keep/f.log", "Delete Foo/sub/deep/e.log"},
         {"Foo/noext", "Foo/b.txt", "Foo/a.log", "Foo/C.LOG", "Foo/sub/d.log", "Foo/sub/keep/f.log",
          "Foo/sub/deep/e.log"}},
        {"a wildcard folder segment",
         {P("") + sep + "*" + sep + "sub", "*.log", ""},
         {},
         {"Delete Foo/sub/d.log", "Delete Bar/sub/g.log"},
         {"Foo/sub/d.log", "Bar/sub/g.log"}},
        {"REMOVESELF removes the emptied folders and the named one last",
         {P("Foo/sub"), "*.*", "REMOVESELF"},
         {},
         {"Delete Foo/sub/d.log", "Delete Foo/sub/keep/f.log", "Delete Foo/sub/keep", "Delete Foo/sub/deep/e.log",
          "Delete Foo/sub/deep", "Delete Foo/sub"},
         {"Foo/sub", "Foo/sub/d.log", "Foo/sub/keep", "Foo/sub/keep/f.log", "Foo/sub/deep", "Foo/sub/deep/e.log"}},
        {"REMOVESELF keeps a folder that holds an excluded one, and says so",
         {P("Foo/sub"), "*.log", "REMOVESELF"},
         {"PATH|" + P("Foo/sub/keep")},
         {"Delete Foo/sub/d.log", "Keep Foo/sub/keep", "Delete Foo/sub/deep/e.log", "Delete Foo/sub/deep",
          "Keep Foo/sub"},
         {"Foo/sub/d.log", "Foo/sub/deep", "Foo/sub/deep/e.log"}},
        {"REMOVESELF keeps the folder of a file its patterns leave",
         {P("Foo"), "*.log", "REMOVESELF"},
         {"PATH|" + P("Foo/sub")},
         {"Delete Foo/a.log", "Delete Foo/C.LOG", "Keep Foo/sub", "Keep Foo"},
         {"Foo/a.log", "Foo/C.LOG"}},
        {"FILE and PATH exclusions keep their files",
         {P("Foo"), "", ""},
         {"FILE|" + P("Foo") + sep + "|a.log;NOEXT", "PATH|" + P("") + sep + "F*|*.txt"},
         {"Keep Foo/noext", "Keep Foo/b.txt", "Keep Foo/a.log", "Delete Foo/C.LOG"},
         {"Foo/C.LOG"}},
        {"a folder that is not there", {P("Nothing"), "", "RECURSE"}, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir.FsPath());
        fs::create_directories(dir.FsPath());
        for (const char* f : {"Foo/a.log", "Foo/b.txt", "Foo/C.LOG", "Foo/noext", "Foo/sub/d.log", "Foo/sub/deep/e.log",
                              "Foo/sub/keep/f.log", "Bar/sub/g.log"})
            dir.Write(f, "data");
        auto scan = MakeItem(pitWinapp2Files, c.seek, c.exclusions);
        Lines found = Seek(*scan, false);
        Lines asFound;
        for (const std::string& t : c.traces)
            asFound.push_back(t.rfind("Keep ", 0) == 0 ? t : "Find" + t.substr(t.find(' ')));
        EXPECT_EQ(found, asFound) << "a scan finds what a clear removes";
        EXPECT_EQ(Left(), all) << "a scan removes nothing";

        auto clear = MakeItem(pitWinapp2Files, c.seek, c.exclusions);
        EXPECT_EQ(Seek(*clear, true), c.traces);
        EXPECT_EQ(Left(), without(c.gone));
    }
}

TEST_F(Winapp2Files, FailuresAndStopsNeverEndAsSuccess) {
    files.locked = {P("Foo/sub/deep/e.log")};
    files.refuseFolderRemoval = {P("Foo/sub/keep")};
    auto item = MakeItem(pitWinapp2Files, {P("Foo/sub"), "", "REMOVESELF"});
    EXPECT_EQ(Seek(*item, true), (Lines{"Delete Foo/sub/d.log", "Delete Foo/sub/keep/f.log", "Unknown Foo/sub/keep",
                                        "Unknown Foo/sub/deep/e.log", "Unknown Foo/sub/deep", "Unknown Foo/sub"}));
    // One line per trace, its last word true.
    EXPECT_EQ(log.lines.back(), "Unknown " + P("Foo/sub"));
    EXPECT_TRUE(fs::exists(dir.FsPath("Foo/sub/deep/e.log")));

    // A stop request after the first trace: nothing more is added or removed.
    auto again = MakeItem(pitWinapp2Files, {P("Foo"), "", "RECURSE"});
    Subscription press = again->AppendValue.Subscribe([this](PrivacyItem&, const PrivacyValuePtr&) { stop = true; });
    EXPECT_EQ(Seek(*again, true), (Lines{"Delete Foo/noext"}));
    EXPECT_TRUE(fs::exists(dir.FsPath("Foo/b.txt")));
}

TEST_F(Winapp2Files, ProtectedFoldersAndDriveRootsAreRefusedWhereverAWildcardLeads) {
    ProtectedFolders guard;
    guard.Add(P("Foo/sub"), FileKeyReach::Files, "the Windows folder");
    guard.Add(P("Bar/sub"), FileKeyReach::Recurse, "the roaming application data folder");
    ctx.protectedFolders = &guard;
    const std::string sep(1, kPathSeparator);
    auto files1 = MakeItem(pitWinapp2Files, {P("") + sep + "*" + sep + "sub", "*.log", ""});
    EXPECT_EQ(Seek(*files1, true), (Lines{"Delete Bar/sub/g.log"})) << "Bar/sub is protected from RECURSE on only";
    auto recurse = MakeItem(pitWinapp2Files, {P("") + sep + "*" + sep + "sub", "*.log", "RECURSE"});
    EXPECT_EQ(Seek(*recurse, true), Lines{});
    EXPECT_TRUE(fs::exists(dir.FsPath("Foo/sub/d.log")));
    ASSERT_FALSE(log.lines.empty());
    EXPECT_NE(log.lines.back().find("was not sought: it is the roaming application data folder"), std::string::npos);

    EXPECT_EQ(guard.Refusal("C:\\", FileKeyReach::Files), "a drive root");
    for (const char* root : {"C:", "c:\\", "\\\\server\\share", "/", "\\\\server\\share\\"})
        EXPECT_TRUE(IsDriveRoot(root)) << root;
    for (const char* deeper : {"C:\\Temp", "\\\\server\\share\\x", "/tmp"})
        EXPECT_FALSE(IsDriveRoot(deeper)) << deeper;
}

#ifndef _WIN32
TEST_F(Winapp2Files, LinksAreNeverEnteredNorWrittenThrough) {
    dir.Write("outside/precious.log", "keep me");
    std::error_code ec;
    fs::create_directory_symlink(dir.FsPath("outside"), dir.FsPath("Foo/sub/link"), ec);
    ASSERT_FALSE(ec) << ec.message();
    fs::create_directory_symlink(dir.FsPath("outside"), dir.FsPath("Named"), ec);

    auto recurse = MakeItem(pitWinapp2Files, {P("Foo/sub"), "*.log", "RECURSE"});
    EXPECT_EQ(Seek(*recurse, true),
              (Lines{"Delete Foo/sub/d.log", "Delete Foo/sub/keep/f.log", "Delete Foo/sub/deep/e.log"}));
    EXPECT_TRUE(std::any_of(log.lines.begin(), log.lines.end(), [](const std::string& line) {
        return line.find("link") != std::string::npos && line.find("not entered") != std::string::npos;
    })) << "the link that was not entered is named";
    auto removeSelf = MakeItem(pitWinapp2Files, {P("Foo/sub"), "*.log", "REMOVESELF"});
    EXPECT_EQ(Seek(*removeSelf, true),
              (Lines{"Delete Foo/sub/link", "Delete Foo/sub/keep", "Delete Foo/sub/deep", "Delete Foo/sub"}))
        << "the link goes as itself";
    auto named = MakeItem(pitWinapp2Files, {P("Named"), "", "REMOVESELF"});
    EXPECT_EQ(Seek(*named, true), Lines{});
    EXPECT_EQ(dir.Read("outside/precious.log"), "keep me");
    EXPECT_TRUE(fs::is_symlink(dir.FsPath("Named")));
}
#endif

// The registry forms, on the in-memory registry and, under Windows, the real one.
template <class Kind>
class Winapp2Registry : public testing::RegistryTest<Kind> {
protected:
    RecordingLog log;
    SeekContext ctx;

    std::vector<std::string> Seek(std::vector<std::string> seek, std::vector<std::string> exclusions, bool clear) {
        ctx.registry = &this->reg.Api();
        ctx.log = &log;
        auto item = MakeItem(pitWinapp2Registry, std::move(seek), std::move(exclusions));
        std::vector<std::string> out;
        for (const PrivacyValuePtr& pv : *item->GetPrivacyValue(ctx, true, clear))
            out.push_back(Word(pv->ValueStatus) + " " + pv->Path.substr(this->reg.Path().size()));
        return out;
    }
    std::string Key(std::string_view relative) { return "HKEY_CURRENT_USER\\" + this->reg.Path(relative); }
};
TYPED_TEST_SUITE(Winapp2Registry, testing::RegistryKinds, testing::RegistryKindNames);

TYPED_TEST(Winapp2Registry, KeysWithEverythingBelowThemValuesAndExclusions) {
    this->reg.SetString("Solo", "Recent", "1");
    this->reg.SetString("Solo", "Window", "2");
    EXPECT_EQ(this->Seek({"HKEY_CURRENT_USER", this->reg.Path("Solo"), "recent"}, {}, true),
              (Lines{"Delete \\Solo\\Recent"}));
    EXPECT_TRUE(this->reg.ValueExists("Solo", "Window"));

    // Names in alphabetical order, as the real registry lists them.
    this->reg.SetString("App\\Keep", "k", "2");
    this->reg.SetString("App\\Sub", "s", "1");
    this->reg.SetString("App", "Recent", "3");
    this->reg.SetString("App", "Window", "4");
    const std::string app = this->reg.Path("App");
    // The whole key, but a subkey and a value kept: the key stays and its last word says why.
    EXPECT_EQ(this->Seek({"HKEY_CURRENT_USER", app},
                         {"REG|" + this->Key("App\\keep"), "REG|" + this->Key("App") + "|window"}, true),
              (Lines{"Keep \\App\\Keep", "Delete \\App\\Sub\\s", "Delete \\App\\Sub", "Delete \\App\\Recent",
                     "Keep \\App\\Window", "Keep \\App"}));
    EXPECT_TRUE(this->reg.ValueExists("App\\Keep", "k"));
    EXPECT_FALSE(this->reg.KeyExists("App\\Sub"));

    // Without exclusions the key itself goes, last.
    EXPECT_EQ(this->Seek({"HKEY_CURRENT_USER", app}, {}, false).back(), "Find \\App");
    EXPECT_EQ(this->Seek({"HKEY_CURRENT_USER", app}, {}, true).back(), "Delete \\App");
    EXPECT_FALSE(this->reg.KeyExists("App"));
    EXPECT_EQ(this->Seek({"HKEY_CURRENT_USER", app}, {}, true), Lines{}) << "a missing key finds nothing";
    EXPECT_EQ(this->Seek({"HKEY_CURRENT_USER", ""}, {}, false), Lines{}) << "never a whole root";
}

}  // namespace
}  // namespace lumo
