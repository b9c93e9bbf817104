// The FileSystem contract, checked against every implementation this build has: the portable
// one everywhere and, in the Windows builds (run under Wine), the Win32 one.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/file_system.h"
#include "platform/portable/portable_file_system.h"
#include "support/scratch_folder.h"
#ifdef _WIN32
#include "platform/win32/win32_file_system.h"
#endif

namespace lumo {
namespace {

using testing::ScratchFolder;
namespace fs = std::filesystem;

template <class T>
class FileSystemTest : public ::testing::Test {
protected:
    T files;
    ScratchFolder dir;

    // A link named `relative` to `target`; false when this system cannot make one.
    bool MakeFolderLink(const fs::path& target, std::string_view relative) {
        std::error_code ec;
        fs::create_directory_symlink(target, dir.FsPath(relative), ec);
        return !ec && fs::is_symlink(dir.FsPath(relative), ec);
    }
};

#ifdef _WIN32
using Implementations = ::testing::Types<PortableFileSystem, Win32FileSystem>;
#else
using Implementations = ::testing::Types<PortableFileSystem>;
#endif
TYPED_TEST_SUITE(FileSystemTest, Implementations);

TYPED_TEST(FileSystemTest, ExistenceTellsFilesFromFolders) {
    std::string file = this->dir.Write("f.txt", "x");
    std::string folder = this->dir.Folder("sub");
    struct Case {
        std::string path;
        bool file, folder;
    };
    for (const Case& c :
         {Case{file, true, false}, Case{folder, false, true}, Case{this->dir.Path("missing"), false, false},
          Case{this->dir.Path("missing/f.txt"), false, false}}) {
        EXPECT_EQ(this->files.FileExists(c.path), c.file) << c.path;
        EXPECT_EQ(this->files.FolderExists(c.path), c.folder) << c.path;
    }
}

TYPED_TEST(FileSystemTest, ListingGivesFoldersFilesAndSizesInTheSystemOrder) {
    this->dir.Write("top/a.txt", std::string(10, 'a'));
    this->dir.Write("top/b.bin", std::string(70000, 'b'));
    this->dir.Write("top/empty", "");
    this->dir.Write("top/sub/inner.txt", "not listed");
    this->dir.Folder("top/sub2");
    this->dir.Write("top/Ünïcode ñame.txt", "12345");

    std::vector<FolderEntry> entries;
    ASSERT_TRUE(this->files.ListFolder(this->dir.Path("top"), entries));
    std::vector<std::string> systemOrder;
    for (const auto& e : fs::directory_iterator(this->dir.FsPath("top")))
        systemOrder.push_back(testing::U8Text(e.path().filename()));
    std::vector<std::string> names;
    for (const FolderEntry& e : entries)
        names.push_back(e.name);
    EXPECT_EQ(names, systemOrder);

    auto find = [&](std::string_view name) {
        return *std::find_if(entries.begin(), entries.end(), [&](const FolderEntry& e) { return e.name == name; });
    };
    struct Case {
        const char* name;
        int64_t size;
        bool isFolder;
    };
    for (const Case& c : {Case{"a.txt", 10, false}, Case{"b.bin", 70000, false}, Case{"empty", 0, false},
                          Case{"sub", 0, true}, Case{"sub2", 0, true}, Case{"Ünïcode ñame.txt", 5, false}}) {
        FolderEntry e = find(c.name);
        EXPECT_EQ(e.size, c.size) << c.name;
        EXPECT_EQ(e.isFolder, c.isFolder) << c.name;
        EXPECT_FALSE(e.isLink) << c.name;
    }

    // The listing replaces what the vector held; a missing folder lists nothing and says so.
    EXPECT_FALSE(this->files.ListFolder(this->dir.Path("nowhere"), entries));
    EXPECT_TRUE(entries.empty());
    ASSERT_TRUE(this->files.ListFolder(this->dir.Folder("vacant"), entries));
    EXPECT_TRUE(entries.empty());
}

TYPED_TEST(FileSystemTest, SizesBeyondFourGibibytesKeepAllTheirBits) {
    std::string path = this->dir.Write("big/huge.bin", "");
    const int64_t size = (int64_t{5} << 30) + 7;  // sparse: no disk space is used
    std::error_code ec;
    fs::resize_file(this->dir.FsPath("big/huge.bin"), static_cast<uintmax_t>(size), ec);
    if (ec)
        GTEST_SKIP() << "this file system cannot hold a sparse file of 5 GiB: " << ec.message();
    EXPECT_EQ(this->files.FileSize(path), size);
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(this->files.ListFolder(this->dir.Path("big"), entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].size, size);
    EXPECT_EQ(this->files.FileSize(this->dir.Path("big/absent")), std::nullopt);
}

TYPED_TEST(FileSystemTest, RemoveFileTellsWhyItFailed) {
    std::string plain = this->dir.Write("plain.txt", "x");
    std::string readOnly = this->dir.Write("ro.txt", "x");
    fs::permissions(this->dir.FsPath("ro.txt"),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    std::string folder = this->dir.Folder("folder");
    struct Case {
        std::string path;
        FileResult result;
        bool existsAfter;
    };
    for (const Case& c : {Case{plain, FileResult::Deleted, false}, Case{readOnly, FileResult::Deleted, false},
                          Case{plain, FileResult::NotFound, false},
                          Case{this->dir.Path("no/such/file.txt"), FileResult::NotFound, false},
                          Case{folder, FileResult::OtherFailure, true}}) {
        EXPECT_EQ(this->files.RemoveFile(c.path), c.result) << c.path;
        EXPECT_EQ(fs::exists(testing::U8Path(c.path)), c.existsAfter) << c.path;
    }
}

#ifdef _WIN32
// The C runtime opens files sharing read and write but not delete, like a program that holds
// its index.dat: the file cannot be deleted, yet it can be overwritten in place.
TYPED_TEST(FileSystemTest, FileHeldOpenIsDeniedButCanBeOverwrittenInPlace) {
    std::string path = this->dir.Write("index.dat", "abcdef");
    std::ifstream holder(this->dir.FsPath("index.dat"), std::ios::binary);
    ASSERT_TRUE(holder.is_open());
    EXPECT_EQ(this->files.RemoveFile(path), FileResult::DeniedOrInUse);
    auto writer = this->files.OpenForWrite(path, WriteMode::InPlace);
    ASSERT_NE(writer, nullptr);
    EXPECT_TRUE(writer->Write("\0\0\0", 3));
    EXPECT_TRUE(writer->Close());
    holder.close();
    EXPECT_EQ(this->dir.Read("index.dat"), std::string("\0\0\0def", 6));
}
#endif

// A name longer than any the system allows cannot be there: never reported as denied or in use.
TYPED_TEST(FileSystemTest, ANameTooLongForTheSystemIsNotReportedDenied) {
    const std::string path = this->dir.Path(std::string(300, 'n'));
    for (FileResult result : {this->files.RemoveFile(path), this->files.RemoveFolder(path)})
        EXPECT_TRUE(result == FileResult::NotFound || result == FileResult::OtherFailure) << static_cast<int>(result);
}

TYPED_TEST(FileSystemTest, RemoveFolderTakesOnlyEmptyFolders) {
    std::string empty = this->dir.Folder("empty");
    std::string full = this->dir.Folder("full");
    this->dir.Write("full/f.txt", "x");
    EXPECT_EQ(this->files.RemoveFolder(empty), FileResult::Deleted);
    EXPECT_FALSE(this->dir.Exists("empty"));
    EXPECT_EQ(this->files.RemoveFolder(empty), FileResult::NotFound);
    EXPECT_EQ(this->files.RemoveFolder(full), FileResult::OtherFailure);
    EXPECT_TRUE(this->dir.Exists("full/f.txt"));
}

TYPED_TEST(FileSystemTest, LinksAreListedAsLinksAndRemovedWithoutTheirTarget) {
    this->dir.Write("outside/keep.txt", "precious");
    this->dir.Folder("walked");
    if (!this->MakeFolderLink(this->dir.FsPath("outside"), "walked/link"))
        GTEST_SKIP() << "this system makes no folder links";
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(this->files.ListFolder(this->dir.Path("walked"), entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(entries[0].isLink);
    EXPECT_TRUE(entries[0].isFolder);
    EXPECT_EQ(entries[0].size, 0);

    EXPECT_EQ(this->files.RemoveFolder(this->dir.Path("walked/link")), FileResult::Deleted);
    EXPECT_FALSE(this->dir.Exists("walked/link"));
    EXPECT_EQ(this->dir.Read("outside/keep.txt"), "precious");

    this->dir.Folder("walked/deeper");
    ASSERT_TRUE(this->MakeFolderLink(this->dir.FsPath("outside"), "walked/deeper/link"));
    EXPECT_EQ(this->files.DeleteFolderTree(this->dir.Path("walked")), FileResult::Deleted);
    EXPECT_FALSE(this->dir.Exists("walked"));
    EXPECT_EQ(this->dir.Read("outside/keep.txt"), "precious");
}

// The locked index.dat rule overwrites a file in place: never through a link or a second hard
// link, whose bytes belong to a file elsewhere.
TYPED_TEST(FileSystemTest, NothingIsWrittenThroughALink) {
    std::string target = this->dir.Write("outside/target.txt", "precious");
    std::string plain = this->dir.Write("in/plain.dat", "mine");
    std::error_code ec;
    fs::create_symlink(this->dir.FsPath("outside/target.txt"), this->dir.FsPath("in/link.dat"), ec);
    bool symlink = !ec;
    fs::create_hard_link(this->dir.FsPath("outside/target.txt"), this->dir.FsPath("in/hard.dat"), ec);
    bool hardLink = !ec;
#ifdef _WIN32
    // The C runtime counts every file's names as 1: only the Win32 calls can tell a second one.
    hardLink = hardLink && !std::is_same_v<TypeParam, PortableFileSystem>;
#endif
    if (!symlink && !hardLink)
        GTEST_SKIP() << "this system makes no links";
    EXPECT_FALSE(this->files.IsLink(plain));
    EXPECT_FALSE(this->files.IsLink(this->dir.Path("in")));
    EXPECT_FALSE(this->files.IsLink(this->dir.Path("in/missing")));
    EXPECT_NE(this->files.OpenForWrite(plain, WriteMode::InPlace), nullptr) << "a file with one name is written";
    for (auto [made, name] : {std::pair{symlink, "in/link.dat"}, std::pair{hardLink, "in/hard.dat"}}) {
        if (!made)
            continue;
        std::string path = this->dir.Path(name);
        EXPECT_EQ(this->files.IsLink(path), name == std::string("in/link.dat")) << name;
        EXPECT_EQ(this->files.OpenForWrite(path, WriteMode::InPlace), nullptr) << name;
    }
    if (symlink) {
        EXPECT_EQ(this->files.OpenForWrite(this->dir.Path("in/link.dat"), WriteMode::Create), nullptr);
    }
    EXPECT_EQ(this->dir.Read("outside/target.txt"), "precious");
    EXPECT_EQ(this->files.ReadFile(this->dir.Path("in")), std::nullopt) << "a folder is no file to read";
}

TYPED_TEST(FileSystemTest, DeleteFolderTreeTakesEverythingReadOnlyIncluded) {
    this->dir.Write("tree/a/b/c/deep.txt", "x");
    this->dir.Write("tree/a/ro.txt", "x");
    this->dir.Write("tree/ro-folder/inside.txt", "x");
    this->dir.Folder("tree/empty");
    fs::permissions(this->dir.FsPath("tree/a/ro.txt"), fs::perms::owner_write, fs::perm_options::remove);
    fs::permissions(this->dir.FsPath("tree/ro-folder"),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(this->files.DeleteFolderTree(this->dir.Path("tree")), FileResult::Deleted);
    EXPECT_FALSE(this->dir.Exists("tree"));
    EXPECT_EQ(this->files.DeleteFolderTree(this->dir.Path("tree")), FileResult::NotFound);
    std::string file = this->dir.Write("file.txt", "x");
    EXPECT_EQ(this->files.DeleteFolderTree(file), FileResult::OtherFailure);
    EXPECT_TRUE(this->dir.Exists("file.txt"));
}

TYPED_TEST(FileSystemTest, CreateFolderMakesTheMissingFoldersAbove) {
    std::string path = this->dir.Path("x/y/z");
    EXPECT_TRUE(this->files.CreateFolder(path));
    EXPECT_TRUE(fs::is_directory(this->dir.FsPath("x/y/z")));
    EXPECT_TRUE(this->files.CreateFolder(path)) << "an existing folder is fine";
    std::string file = this->dir.Write("plain", "x");
    EXPECT_FALSE(this->files.CreateFolder(file));
}

TYPED_TEST(FileSystemTest, ReplaceAtomicallySwapsInOneStepOrLeavesBothAlone) {
    std::string target = this->dir.Write("config.dat", "old");
    std::string temp = this->dir.Write("config.tmp", "new");
    EXPECT_TRUE(this->files.ReplaceAtomically(temp, target));
    EXPECT_EQ(this->dir.Read("config.dat"), "new");
    EXPECT_FALSE(this->dir.Exists("config.tmp"));

    EXPECT_FALSE(this->files.ReplaceAtomically(this->dir.Path("absent.tmp"), target));
    EXPECT_EQ(this->dir.Read("config.dat"), "new");

    std::string fresh = this->dir.Write("fresh.tmp", "first");
    EXPECT_TRUE(this->files.ReplaceAtomically(fresh, this->dir.Path("fresh.dat")));
    EXPECT_EQ(this->dir.Read("fresh.dat"), "first");
}

// The configuration file's save: the bytes go to a temporary beside the target, which then takes
// the target's place; a failure names its step and the system's reason and leaves the target.
TYPED_TEST(FileSystemTest, WriteReplacingSwapsInTheWholeFileOrNamesTheStepThatFailed) {
    using Step = ReplaceResult::Step;
    struct Case {
        const char* name;
        std::function<void(ScratchFolder&)> before;  // what lies at "t/PrivacyConfig.dat(.tmp)"
        std::string bytes;
        Step failed;
        const char* target;  // the target's bytes afterwards; null when it is the folder set up
    };
    const std::string binary("enc\0line\r\n\xE9\r\n", 13);
    const Case cases[] = {
        {"no target yet", [](ScratchFolder& d) { d.Folder("t"); }, binary, Step::None, nullptr},
        {"old target replaced", [](ScratchFolder& d) { d.Write("t/PrivacyConfig.dat", "old and longer"); }, "new",
         Step::None, "new"},
        {"read-only target replaced",
         [](ScratchFolder& d) {
             d.Write("t/PrivacyConfig.dat", "old");
             fs::permissions(d.FsPath("t/PrivacyConfig.dat"),
                             fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                             fs::perm_options::remove);
         },
         "new", Step::None, "new"},
        {"a temporary left from before is emptied first",
         [](ScratchFolder& d) {
             d.Write("t/PrivacyConfig.dat", "old");
             d.Write("t/PrivacyConfig.dat.tmp", "a much longer leftover");
         },
         "", Step::None, ""},
        {"temporary refused: a folder in its place",
         [](ScratchFolder& d) {
             d.Write("t/PrivacyConfig.dat", "old");
             d.Write("t/PrivacyConfig.dat.tmp/inside", "x");
         },
         "new", Step::WriteTemporary, "old"},
        {"temporary refused: its folder is missing", [](ScratchFolder&) {}, "new", Step::WriteTemporary, nullptr},
        {"replace refused: the target is a folder with files",
         [](ScratchFolder& d) { d.Write("t/PrivacyConfig.dat/inside", "x"); }, "new", Step::Replace, nullptr},
    };
    for (const Case& c : cases) {
        ScratchFolder dir;
        c.before(dir);
        const std::string target = dir.Path("t/PrivacyConfig.dat"), temporary = target + ".tmp";
        const bool targetWasFolder = fs::is_directory(dir.FsPath("t/PrivacyConfig.dat"));
        ReplaceResult result = this->files.WriteReplacing(temporary, target, c.bytes);

        EXPECT_EQ(result.failed, c.failed) << c.name;
        EXPECT_EQ(static_cast<bool>(result), c.failed == Step::None) << c.name;
        EXPECT_EQ(static_cast<bool>(result.reason), c.failed != Step::None)
            << c.name << ": " << result.reason.message();
        EXPECT_FALSE(fs::is_regular_file(dir.FsPath("t/PrivacyConfig.dat.tmp"))) << c.name << ": no temporary stays";
        if (c.failed == Step::None)
            EXPECT_EQ(dir.Read("t/PrivacyConfig.dat"), c.target ? std::string(c.target) : c.bytes) << c.name;
        else if (c.target)
            EXPECT_EQ(dir.Read("t/PrivacyConfig.dat"), c.target) << c.name << ": the target stays";
        else
            EXPECT_EQ(fs::is_directory(dir.FsPath("t/PrivacyConfig.dat")), targetWasFolder) << c.name;
    }
}

TYPED_TEST(FileSystemTest, WritingModesKeepAppendOrEmpty) {
    std::string path = this->dir.Write("w.bin", "0123456789");
    {
        auto w = this->files.OpenForWrite(path, WriteMode::InPlace);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->Write("ab", 2));
        EXPECT_TRUE(w->Write("cd", 2));
    }
    EXPECT_EQ(this->dir.Read("w.bin"), "abcd456789") << "in place: from offset 0, length kept";
    {
        auto w = this->files.OpenForWrite(path, WriteMode::Append);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->Write("XY", 2));
        EXPECT_TRUE(w->Close());
        EXPECT_FALSE(w->Write("Z", 1)) << "a closed writer refuses";
    }
    EXPECT_EQ(this->dir.Read("w.bin"), "abcd456789XY");
    {
        auto w = this->files.OpenForWrite(path, WriteMode::Create);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->Write("new", 3));
    }
    EXPECT_EQ(this->dir.Read("w.bin"), "new");

    EXPECT_EQ(this->files.OpenForWrite(this->dir.Path("absent.bin"), WriteMode::InPlace), nullptr);
    EXPECT_FALSE(this->dir.Exists("absent.bin")) << "in-place writing never creates a file";
    auto appended = this->files.OpenForWrite(this->dir.Path("created.log"), WriteMode::Append);
    ASSERT_NE(appended, nullptr);
    EXPECT_TRUE(appended->Write("line\r\n", 6));
    appended.reset();
    EXPECT_EQ(this->dir.Read("created.log"), "line\r\n");
    EXPECT_EQ(this->files.OpenForWrite(this->dir.Path("no/folder/x"), WriteMode::Create), nullptr);
}

TYPED_TEST(FileSystemTest, ReadFileGivesTheBytesUnchanged) {
    std::string bytes("a\r\nb\0c\n", 7);
    std::string path = this->dir.Write("r.bin", bytes);
    EXPECT_EQ(this->files.ReadFile(path), bytes);
    EXPECT_EQ(this->files.ReadFile(this->dir.Path("absent")), std::nullopt);
}

// The shared whole-file save lets the temporary go (its writer destroyed, as a Windows handle must
// be) before the temporary takes the target's place.
TEST(FileSystemSave, WriteReplacingLetsGoOfTheTemporaryBeforeTheReplace) {
    struct Tracked : PortableFileSystem {
        struct Writer : FileWriter {
            Writer(std::unique_ptr<FileWriter> w, int& count) : inner(std::move(w)), open(++count) {}
            ~Writer() override { --open; }
            bool Write(const char* data, size_t n) override { return inner->Write(data, n); }
            bool Close() override { return inner->Close(); }
            std::unique_ptr<FileWriter> inner;
            int& open;
        };
        std::unique_ptr<FileWriter> OpenForWrite(std::string_view path, WriteMode mode) override {
            auto w = PortableFileSystem::OpenForWrite(path, mode);
            return w ? std::make_unique<Writer>(std::move(w), open) : nullptr;
        }
        bool ReplaceAtomically(std::string_view replacement, std::string_view target) override {
            openAtReplace = open;
            return PortableFileSystem::ReplaceAtomically(replacement, target);
        }
        int open = 0, openAtReplace = -1;
    } files;
    ScratchFolder dir;
    EXPECT_TRUE(files.FileSystem::WriteReplacing(dir.Path("c.tmp"), dir.Path("c.dat"), "new"));
    EXPECT_EQ(files.openAtReplace, 0);
    EXPECT_EQ(dir.Read("c.dat"), "new");
}

TEST(PathText, JoinAndFileName) {
    std::string sep(1, kPathSeparator);
    EXPECT_EQ(JoinPath("C:\\T", "a.txt"), "C:\\T" + sep + "a.txt");
    EXPECT_EQ(JoinPath("C:\\T\\", "a.txt"), "C:\\T\\a.txt");
    EXPECT_EQ(JoinPath("/tmp/", "a"), "/tmp/a");
    EXPECT_EQ(FileNameOf("C:\\T\\sub/a.txt"), "a.txt");
    EXPECT_EQ(FileNameOf("plain"), "plain");
}

}  // namespace
}  // namespace lumo
