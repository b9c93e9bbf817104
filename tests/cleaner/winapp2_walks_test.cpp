// The walks of winapp2.ini items on real folders (and, under Wine, the real file system) and on
// the in-memory registry: every FileKey form, exclusions, REMOVESELF, links and refused places,
// each checked by the traces it reports and what is left on disk.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/text.h"
#include "cleaner/winapp2_paths.h"
#include "cleaner/winapp2_walks.h"
#include "engine_test_support.h"

namespace lumo {
namespace {

using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

class Winapp2 : public testing::EngineTest {
protected:
    explicit Winapp2(testing::RegistryKind kind = testing::RegistryKind::Memory) : EngineTest(kind) { Lay(); }
    void Lay() {
        for (const char* f : {"Foo/a.log", "Foo/b.txt", "Foo/C.LOG", "Foo/noext", "Foo/sub/d.log", "Foo/sub/deep/e.log",
                              "Foo/sub/keep/f.log", "Bar/sub/g.log"})
            dir.Write(f, "data");
    }
    std::string P(std::string_view relative) const { return dir.Path(relative); }
    std::string Files(std::string_view key, bool clear, std::string_view exclusions = "") {
        return Traces(pitWinapp2Files, key, clear, exclusions);
    }
    std::string Reg(std::string_view key, bool clear, std::string_view exclusions = "") {
        return Traces(pitWinapp2Registry, "HKEY_CURRENT_USER|^\\" + std::string(key), clear, exclusions);
    }
    // The files and folders left below the scratch folder.
    Lines Left() const {
        Lines out;
        for (const auto& e : fs::recursive_directory_iterator(dir.FsPath()))
            out.push_back(e.path().lexically_relative(dir.FsPath()).generic_string());
        std::sort(out.begin(), out.end());
        return out;
    }
    // The whole key, but a subkey and a value kept: the key stays and its last word says why.
    void ClearKeyWithExclusions() {
        for (auto [key, name] : {std::pair{"App\\Keep", "k"}, {"App\\Sub", "s"}, {"App", "Recent"}, {"App", "Window"}})
            reg.SetString(key, name, "v");
        EXPECT_EQ(Reg("App", true, "REG|HKEY_CURRENT_USER\\^\\App\\keep & REG|HKEY_CURRENT_USER\\^\\App|window"),
                  "Keep App/Keep/, Delete App/Sub/s, Delete App/Sub/, Delete App/Recent, Keep App/Window, Keep App/");
        EXPECT_TRUE(reg.ValueExists("App\\Keep", "k") && !reg.KeyExists("App\\Sub"));
        EXPECT_EQ(reg.ValueNames("App"), Lines{"Window"});
    }
};

// A scan finds what a clear removes, and removes nothing.
TEST_F(Winapp2, EachFileKeyFormFindsAndRemovesExactlyItsFiles) {
    const Lines all = Left();
    // The FileKey ("~" the scratch folder), the exclusions, and the traces of the clear (the scan
    // finds the same with Find for Delete).
    const char* const cases[][3] = {
        // patterns ignore letter case
        {"~/Foo|*.log|", "", "Delete Foo/a.log, Delete Foo/C.LOG"},
        // *.* is every name, as Windows reads it
        {"~/Foo|*.*|", "", "Delete Foo/noext, Delete Foo/b.txt, Delete Foo/a.log, Delete Foo/C.LOG"},
        // a list of patterns
        {"~/Foo|*.txt; noext|", "", "Delete Foo/noext, Delete Foo/b.txt"},
        // RECURSE takes every level and leaves the folders
        {"~/Foo||recurse", "",
         "Delete Foo/noext, Delete Foo/b.txt, Delete Foo/a.log, Delete Foo/C.LOG, Delete Foo/sub/d.log, Delete "
         "Foo/sub/keep/f.log, Delete Foo/sub/deep/e.log"},
        // a wildcard folder segment
        {"~/*/sub|*.log|", "", "Delete Foo/sub/d.log, Delete Bar/sub/g.log"},
        // REMOVESELF removes the emptied folders and the named one last
        {"~/Foo/sub|*.*|REMOVESELF", "",
         "Delete Foo/sub/d.log, Delete Foo/sub/keep/f.log, Delete Foo/sub/keep/, Delete Foo/sub/deep/e.log, Delete "
         "Foo/sub/deep/, Delete Foo/sub/"},
        // REMOVESELF keeps a folder that holds an excluded one, and says so
        {"~/Foo/sub|*.log|REMOVESELF", "PATH|~/Foo/sub/keep",
         "Delete Foo/sub/d.log, Keep Foo/sub/keep/, Delete Foo/sub/deep/e.log, Delete Foo/sub/deep/, Keep Foo/sub/"},
        // REMOVESELF keeps the folder of a file its patterns leave
        {"~/Foo|*.log|REMOVESELF", "PATH|~/Foo/sub", "Delete Foo/a.log, Delete Foo/C.LOG, Keep Foo/sub/, Keep Foo/"},
        // FILE and PATH exclusions keep their files
        {"~/Foo||", "FILE|~/Foo/|a.log;NOEXT & PATH|~/F*|*.txt",
         "Keep Foo/noext, Keep Foo/b.txt, Keep Foo/a.log, Delete Foo/C.LOG"},
        // a folder that is not there
        {"~/Nothing||RECURSE", "", ""},
    };
    for (auto [key, exclusions, traces] : cases) {
        SCOPED_TRACE(key);
        fs::remove_all(dir.FsPath());
        Lay();
        Lines left = all;
        std::string asFound = traces;
        for (size_t at; (at = asFound.find("Delete ")) != std::string::npos;)
            asFound.replace(at, 6, "Find");
        for (const std::string& t : Split(traces, ", "))
            if (t.rfind("Delete ", 0) == 0)
                left.erase(std::remove(left.begin(), left.end(), t.substr(7, t.find_last_not_of('/') - 6)), left.end());
        EXPECT_EQ(Files(key, false, exclusions), asFound);
        EXPECT_EQ(Left(), all);
        EXPECT_EQ(Files(key, true, exclusions), traces);
        EXPECT_EQ(Left(), left);
    }
}

TEST_F(Winapp2, ProtectedFoldersAndDriveRootsAreRefusedWhereverAWildcardLeads) {
    ProtectedFolders guard;
    guard.Add(P("Foo/sub"), FileKeyReach::Files, "the Windows folder");
    guard.Add(P("Bar/sub"), FileKeyReach::Recurse, "the roaming application data folder");
    ctx.protectedFolders = &guard;
    EXPECT_EQ(Files("~/*/sub|*.log|", true), "Delete Bar/sub/g.log") << "Bar/sub is protected from RECURSE on only";
    EXPECT_EQ(Files("~/*/sub|*.log|RECURSE", true), "");
    EXPECT_TRUE(fs::exists(dir.FsPath("Foo/sub/d.log")));
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
// A link met in a walk is never entered; REMOVESELF removes it as itself; a named folder that is
// a link is left alone.
TEST_F(Winapp2, LinksAreNeverEnteredNorWrittenThrough) {
    dir.Write("outside/precious.log", "keep me");
    fs::create_directory_symlink(dir.FsPath("outside"), dir.FsPath("Foo/sub/link"));
    fs::create_directory_symlink(dir.FsPath("outside"), dir.FsPath("Named"));
    EXPECT_EQ(Files("~/Foo/sub|*.log|RECURSE", true),
              "Delete Foo/sub/d.log, Delete Foo/sub/keep/f.log, Delete Foo/sub/deep/e.log");
    EXPECT_NE(Join(log.lines, "\n").find("link (symbolic link, junction or mount point) and was not entered"),
              std::string::npos);
    EXPECT_EQ(Files("~/Foo/sub|*.log|REMOVESELF", true),
              "Delete Foo/sub/link/, Delete Foo/sub/keep/, Delete Foo/sub/deep/, Delete Foo/sub/");
    EXPECT_EQ(Files("~/Named||REMOVESELF", true), "");
    EXPECT_EQ(dir.Read("outside/precious.log"), "keep me");
    EXPECT_TRUE(fs::is_symlink(dir.FsPath("Named")));
}
#endif

// A key with everything below it, one value, exclusions; never a whole root, and never a subkey
// that appears during the walk unseen.
TEST_F(Winapp2, RegistryKeysWithEverythingBelowThemValuesAndExclusions) {
    reg.SetString("Solo", "Recent", "1");
    reg.SetString("Solo", "Window", "2");
    EXPECT_EQ(Reg("Solo|recent", true), "Delete Solo/Recent");
    EXPECT_TRUE(reg.ValueExists("Solo", "Window"));
    reg.SetString("Solo", "Recent", "1");
    EXPECT_EQ(Reg("Solo|Recent", true, "REG|HKEY_CURRENT_USER\\^"), "Keep Solo/Recent")
        << "a value of an excluded key is kept";
    ClearKeyWithExclusions();
    EXPECT_EQ(Reg("App", false), "Find App/Keep/k, Find App/Keep/, Find App/Window, Find App/");
    EXPECT_EQ(Reg("App", true), "Delete App/Keep/k, Delete App/Keep/, Delete App/Window, Delete App/");
    EXPECT_EQ(Reg("App", true), "") << "a missing key finds nothing";
    EXPECT_EQ(Traces(pitWinapp2Registry, "HKEY_CURRENT_USER|", false), "") << "never a whole root";

    reg.SetString("App", "Recent", "1");
    auto item = testing::MakeItem(pitWinapp2Registry, {"HKEY_CURRENT_USER", reg.Path("App")});
    Subscription s =
        item->AppendValue.Subscribe([this](PrivacyItem&, const PrivacyValuePtr&) { reg.CreateKey("App\\Late"); });
    EXPECT_EQ(Traces(*item, true), "Delete App/Recent, Unknown App/");
    EXPECT_TRUE(reg.KeyExists("App\\Late"));
}

#ifdef _WIN32
using RealWinapp2 = testing::OnRealRegistry<Winapp2>;
TEST_F(RealWinapp2, KeyWithExclusionsOnTheRealRegistry) { ClearKeyWithExclusions(); }
#endif

}  // namespace
}  // namespace lumo
