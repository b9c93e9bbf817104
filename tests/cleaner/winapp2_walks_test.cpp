// The walks of winapp2.ini items on real folders (and, under Wine, the real file system) and on
// the in-memory registry: every FileKey form, exclusions, REMOVESELF, links, failures and
// refusals, each checked by the traces it reports and what is left on disk.
#include <gtest/gtest.h>

#include <filesystem>

#include "cleaner/winapp2_paths.h"
#include "cleaner/winapp2_walks.h"
#include "engine_test_support.h"

namespace lumo {
namespace {

using testing::MakeItem;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

class Winapp2Files : public testing::EngineTest {
protected:
    Winapp2Files() { Lay(); }
    void Lay() {
        for (const char* f : {"Foo/a.log", "Foo/b.txt", "Foo/C.LOG", "Foo/noext", "Foo/sub/d.log", "Foo/sub/deep/e.log",
                              "Foo/sub/keep/f.log", "Bar/sub/g.log"})
            dir.Write(f, "data");
    }
    std::string P(std::string_view relative) const { return dir.Path(relative); }
    Lines Seek(std::vector<std::string> seek, bool clear, std::vector<std::string> exclusions = {}) {
        return SeekAndDescribe(*MakeItem(pitWinapp2Files, std::move(seek), std::move(exclusions)), clear);
    }
    // The files and folders left below the scratch folder.
    Lines Left() const {
        Lines out;
        for (const auto& e : fs::recursive_directory_iterator(dir.FsPath()))
            out.push_back(e.path().lexically_relative(dir.FsPath()).generic_string());
        std::sort(out.begin(), out.end());
        return out;
    }
};

TEST_F(Winapp2Files, EachFileKeyFormFindsAndRemovesExactlyItsFiles) {
    const Lines all = Left();
    const std::string sep(1, kPathSeparator);
    struct Case {
        const char* name;
        std::vector<std::string> seek, exclusions;
        Lines traces;  // of the clear; the scan finds the same with Find for Delete
    };
    const Case cases[] = {
        {"patterns ignore letter case", {P("Foo"), "*.log", ""}, {}, {"Delete Foo/a.log", "Delete Foo/C.LOG"}},
        {"*.* is every name, as Windows reads it",
         {P("Foo"), "*.*", ""},
         {},
         {"Delete Foo/noext", "Delete Foo/b.txt", "Delete Foo/a.log", "Delete Foo/C.LOG"}},
        {"a list of patterns", {P("Foo"), "*.txt; noext", ""}, {}, {"Delete Foo/noext", "Delete Foo/b.txt"}},
        {"RECURSE takes every level and leaves the folders",
         {P("Foo"), "", "recurse"},
         {},
         {"Delete Foo/noext", "Delete Foo/b.txt", "Delete Foo/a.log", "Delete Foo/C.LOG", "Delete Foo/sub/d.log",
          "Delete Foo/sub/keep/f.log", "Delete Foo/sub/deep/e.log"}},
        {"a wildcard folder segment",
         {P("") + sep + "*" + sep + "sub", "*.log", ""},
         {},
         {"Delete Foo/sub/d.log", "Delete Bar/sub/g.log"}},
        {"REMOVESELF removes the emptied folders and the named one last",
         {P("Foo/sub"), "*.*", "REMOVESELF"},
         {},
         {"Delete Foo/sub/d.log", "Delete Foo/sub/keep/f.log", "Delete Foo/sub/keep/", "Delete Foo/sub/deep/e.log",
          "Delete Foo/sub/deep/", "Delete Foo/sub/"}},
        {"REMOVESELF keeps a folder that holds an excluded one, and says so",
         {P("Foo/sub"), "*.log", "REMOVESELF"},
         {"PATH|" + P("Foo/sub/keep")},
         {"Delete Foo/sub/d.log", "Keep Foo/sub/keep/", "Delete Foo/sub/deep/e.log", "Delete Foo/sub/deep/",
          "Keep Foo/sub/"}},
        {"REMOVESELF keeps the folder of a file its patterns leave",
         {P("Foo"), "*.log", "REMOVESELF"},
         {"PATH|" + P("Foo/sub")},
         {"Delete Foo/a.log", "Delete Foo/C.LOG", "Keep Foo/sub/", "Keep Foo/"}},
        {"FILE and PATH exclusions keep their files",
         {P("Foo"), "", ""},
         {"FILE|" + P("Foo") + sep + "|a.log;NOEXT", "PATH|" + P("") + sep + "F*|*.txt"},
         {"Keep Foo/noext", "Keep Foo/b.txt", "Keep Foo/a.log", "Delete Foo/C.LOG"}},
        {"a folder that is not there", {P("Nothing"), "", "RECURSE"}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir.FsPath());
        Lay();
        Lines asFound, left = all;
        for (const std::string& t : c.traces) {
            asFound.push_back(t.rfind("Delete ", 0) == 0 ? "Find" + t.substr(6) : t);
            std::string gone = t.substr(7, t.back() == '/' ? t.size() - 8 : std::string::npos);
            if (t.rfind("Delete ", 0) == 0)
                left.erase(std::remove(left.begin(), left.end(), gone), left.end());
        }
        EXPECT_EQ(Seek(c.seek, false, c.exclusions), asFound) << "a scan finds what a clear removes";
        EXPECT_EQ(Left(), all) << "a scan removes nothing";
        EXPECT_EQ(Seek(c.seek, true, c.exclusions), c.traces);
        EXPECT_EQ(Left(), left);
    }
}

TEST_F(Winapp2Files, FailuresAndStopsNeverEndAsSuccess) {
    files.locked = {P("Foo/sub/deep/e.log")};
    files.refuseFolderRemoval = {P("Foo/sub/keep")};
    EXPECT_EQ(Seek({P("Foo/sub"), "", "REMOVESELF"}, true),
              (Lines{"Delete Foo/sub/d.log", "Delete Foo/sub/keep/f.log", "Unknown Foo/sub/keep/",
                     "Unknown Foo/sub/deep/e.log", "Unknown Foo/sub/deep/", "Unknown Foo/sub/"}));
    EXPECT_EQ(log.lines.back(), "Unknown " + P("Foo/sub")) << "one line per trace, its last word true";
    EXPECT_TRUE(fs::exists(dir.FsPath("Foo/sub/deep/e.log")));

    // A stop request after the first trace: nothing more is added or removed.
    auto again = MakeItem(pitWinapp2Files, {P("Foo"), "", "RECURSE"});
    Subscription press = again->AppendValue.Subscribe([this](PrivacyItem&, const PrivacyValuePtr&) { stop = true; });
    EXPECT_EQ(SeekAndDescribe(*again, true), (Lines{"Delete Foo/noext"}));
    EXPECT_TRUE(fs::exists(dir.FsPath("Foo/b.txt")));
}

TEST_F(Winapp2Files, ProtectedFoldersAndDriveRootsAreRefusedWhereverAWildcardLeads) {
    ProtectedFolders guard;
    guard.Add(P("Foo/sub"), FileKeyReach::Files, "the Windows folder");
    guard.Add(P("Bar/sub"), FileKeyReach::Recurse, "the roaming application data folder");
    ctx.protectedFolders = &guard;
    const std::string sep(1, kPathSeparator);
    EXPECT_EQ(Seek({P("") + sep + "*" + sep + "sub", "*.log", ""}, true), (Lines{"Delete Bar/sub/g.log"}))
        << "Bar/sub is protected from RECURSE on only";
    EXPECT_EQ(Seek({P("") + sep + "*" + sep + "sub", "*.log", "RECURSE"}, true), Lines{});
    EXPECT_TRUE(fs::exists(dir.FsPath("Foo/sub/d.log")));
    ASSERT_FALSE(log.lines.empty());
    EXPECT_NE(log.lines.back().find("was not sought: it is the roaming application data folder"), std::string::npos);

    EXPECT_EQ(guard.Refusal("C:\\", FileKeyReach::Files), "a drive root");
    for (const char* root : {"C:", "c:\\", "\\\\server\\share", "/", "\\\\server\\share\\"})
        EXPECT_TRUE(IsDriveRoot(root)) << root;
    for (const char* deeper : {"C:\\Temp", "\\\\server\\share\\x", "/tmp"})
        EXPECT_FALSE(IsDriveRoot(deeper)) << deeper;
    // Keys of paths: one separator kind, none doubled or at the end, a leading one only if given.
    for (auto [path, key] : {std::pair{"c:/Temp//x\\", "C:\\TEMP\\X"}, {"/tmp/a", "\\TMP\\A"}, {"a", "A"}, {"", ""}})
        EXPECT_EQ(PathKey(path), key) << path;
}

#ifndef _WIN32
TEST_F(Winapp2Files, LinksAreNeverEnteredNorWrittenThrough) {
    dir.Write("outside/precious.log", "keep me");
    std::error_code ec;
    fs::create_directory_symlink(dir.FsPath("outside"), dir.FsPath("Foo/sub/link"), ec);
    ASSERT_FALSE(ec) << ec.message();
    fs::create_directory_symlink(dir.FsPath("outside"), dir.FsPath("Named"), ec);

    EXPECT_EQ(Seek({P("Foo/sub"), "*.log", "RECURSE"}, true),
              (Lines{"Delete Foo/sub/d.log", "Delete Foo/sub/keep/f.log", "Delete Foo/sub/deep/e.log"}));
    EXPECT_TRUE(std::any_of(log.lines.begin(), log.lines.end(), [](const std::string& line) {
        return line.find("link") != std::string::npos && line.find("not entered") != std::string::npos;
    })) << "the link that was not entered is named";
    EXPECT_EQ(Seek({P("Foo/sub"), "*.log", "REMOVESELF"}, true),
              (Lines{"Delete Foo/sub/link/", "Delete Foo/sub/keep/", "Delete Foo/sub/deep/", "Delete Foo/sub/"}))
        << "the link goes as itself";
    EXPECT_EQ(Seek({P("Named"), "", "REMOVESELF"}, true), Lines{});
    EXPECT_EQ(dir.Read("outside/precious.log"), "keep me");
    EXPECT_TRUE(fs::is_symlink(dir.FsPath("Named")));
}
#endif

// The registry forms: a key with everything below it, one value, exclusions.
class Winapp2Registry : public testing::EngineTest {
protected:
    using EngineTest::EngineTest;
    Lines Seek(std::vector<std::string> seek, bool clear, std::vector<std::string> exclusions = {}) {
        return SeekAndDescribe(*MakeItem(pitWinapp2Registry, std::move(seek), std::move(exclusions)), clear);
    }
    std::string Key(std::string_view relative) { return "HKEY_CURRENT_USER\\" + reg.Path(relative); }
    // The whole key, but a subkey and a value kept: the key stays and its last word says why.
    void ClearKeyWithExclusions() {
        reg.SetString("App\\Keep", "k", "2");
        reg.SetString("App\\Sub", "s", "1");
        reg.SetString("App", "Recent", "3");
        reg.SetString("App", "Window", "4");
        EXPECT_EQ(Seek({"HKEY_CURRENT_USER", reg.Path("App")}, true,
                       {"REG|" + Key("App\\keep"), "REG|" + Key("App") + "|window"}),
                  (Lines{"Keep App/Keep/", "Delete App/Sub/s", "Delete App/Sub/", "Delete App/Recent",
                         "Keep App/Window", "Keep App/"}));
        EXPECT_TRUE(reg.ValueExists("App\\Keep", "k"));
        EXPECT_FALSE(reg.KeyExists("App\\Sub"));
        EXPECT_EQ(reg.ValueNames("App"), Lines{"Window"});
    }
};

TEST_F(Winapp2Registry, KeysWithEverythingBelowThemValuesAndExclusions) {
    reg.SetString("Solo", "Recent", "1");
    reg.SetString("Solo", "Window", "2");
    EXPECT_EQ(Seek({"HKEY_CURRENT_USER", reg.Path("Solo"), "recent"}, true), (Lines{"Delete Solo/Recent"}));
    EXPECT_TRUE(reg.ValueExists("Solo", "Window"));
    reg.SetString("Solo", "Recent", "1");
    EXPECT_EQ(Seek({"HKEY_CURRENT_USER", reg.Path("Solo"), "Recent"}, true, {"REG|" + Key("")}),
              (Lines{"Keep Solo/Recent"}))
        << "a value of an excluded key is kept";
    EXPECT_TRUE(reg.ValueExists("Solo", "Recent"));

    ClearKeyWithExclusions();
    // Without exclusions the key itself goes, last.
    EXPECT_EQ(Seek({"HKEY_CURRENT_USER", reg.Path("App")}, false).back(), "Find App/");
    EXPECT_EQ(Seek({"HKEY_CURRENT_USER", reg.Path("App")}, true).back(), "Delete App/");
    EXPECT_FALSE(reg.KeyExists("App"));
    EXPECT_EQ(Seek({"HKEY_CURRENT_USER", reg.Path("App")}, true), Lines{}) << "a missing key finds nothing";
    EXPECT_EQ(Seek({"HKEY_CURRENT_USER", ""}, false), Lines{}) << "never a whole root";
}

TEST_F(Winapp2Registry, ASubkeyThatAppearsDuringTheWalkIsNeverRemovedUnseen) {
    reg.SetString("App", "Recent", "1");
    auto item = MakeItem(pitWinapp2Registry, {"HKEY_CURRENT_USER", reg.Path("App")});
    Subscription s =
        item->AppendValue.Subscribe([this](PrivacyItem&, const PrivacyValuePtr&) { reg.CreateKey("App\\Late"); });
    EXPECT_EQ(SeekAndDescribe(*item, true), (Lines{"Delete App/Recent", "Unknown App/"}));
    EXPECT_TRUE(reg.KeyExists("App\\Late"));
}

#ifdef _WIN32
class RealWinapp2Registry : public Winapp2Registry {
protected:
    RealWinapp2Registry() : Winapp2Registry(testing::RegistryKind::Real) {}
};
TEST_F(RealWinapp2Registry, KeyWithExclusionsOnTheRealRegistry) { ClearKeyWithExclusions(); }
#endif

}  // namespace
}  // namespace lumo
