// The FileSystem contract, checked against every implementation this build has: the portable
// one everywhere and, in the Windows builds (run under Wine), the Win32 one.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <tuple>

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
    this->dir.Write("f.txt", "x");
    this->dir.Folder("sub");
    for (auto [path, file, folder] : {std::tuple{"f.txt", true, false}, std::tuple{"sub", false, true},
                                      std::tuple{"missing", false, false}, std::tuple{"missing/f.txt", false, false}}) {
        EXPECT_EQ(this->files.FileExists(this->dir.Path(path)), file) << path;
        EXPECT_EQ(this->files.FolderExists(this->dir.Path(path)), folder) << path;
    }
}

TYPED_TEST(FileSystemTest, ListingGivesFoldersFilesAndSizesInTheSystemOrder) {
    // Name, bytes (null for a folder), size listed.
    const std::tuple<const char*, const char*, int64_t> made[] = {{"a.txt", "0123456789", 10},
                                                                  {"empty", "", 0},
                                                                  {"sub", nullptr, 0},
                                                                  {"sub2", nullptr, 0},
                                                                  {"Ünïcode ñame.txt", "12345", 5}};
    for (auto [name, bytes, size] : made)
        bytes ? (void)this->dir.Write(std::string("top/") + name, bytes)
              : (void)this->dir.Folder(std::string("top/") + name);
    this->dir.Write("top/b.bin", std::string(70000, 'b'));
    this->dir.Write("top/sub/inner.txt", "not listed");

    std::vector<FolderEntry> entries;
    ASSERT_TRUE(this->files.ListFolder(this->dir.Path("top"), entries));
    std::vector<std::string> systemOrder, names;
    for (const auto& e : fs::directory_iterator(this->dir.FsPath("top")))
        systemOrder.push_back(testing::U8Text(e.path().filename()));
    std::map<std::string, FolderEntry> byName;
    for (const FolderEntry& e : entries) {
        names.push_back(e.name);
        byName[e.name] = e;
        EXPECT_FALSE(e.isLink) << e.name;
    }
    EXPECT_EQ(names, systemOrder);
    EXPECT_EQ(byName["b.bin"].size, 70000);
    EXPECT_FALSE(byName["b.bin"].isFolder);
    for (auto [name, bytes, size] : made) {
        EXPECT_EQ(byName[name].size, size) << name;
        EXPECT_EQ(byName[name].isFolder, bytes == nullptr) << name;
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

TYPED_TEST(FileSystemTest, RemovalsSayWhatHappenedReadOnlyIncluded) {
    ScratchFolder& d = this->dir;
    for (const char* file :
         {"plain.txt", "ro.txt", "full/f.txt", "tree/a/b/c/deep.txt", "tree/a/ro.txt", "tree/ro-folder/inside.txt"})
        d.Write(file, "x");
    d.Folder("empty");
    d.Folder("tree/empty");
    for (const char* readOnly : {"ro.txt", "tree/a/ro.txt", "tree/ro-folder"})
        fs::permissions(d.FsPath(readOnly), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    enum Op { File, Folder, Tree };
    struct Case {
        Op op;
        const char* path;
        FileResult result;
        bool existsAfter;
    } cases[] = {
        {File, "plain.txt", FileResult::Deleted, false},      {File, "ro.txt", FileResult::Deleted, false},
        {File, "plain.txt", FileResult::NotFound, false},     {File, "no/such/file.txt", FileResult::NotFound, false},
        {File, "empty", FileResult::OtherFailure, true},      {Folder, "empty", FileResult::Deleted, false},
        {Folder, "empty", FileResult::NotFound, false},       {Folder, "full", FileResult::OtherFailure, true},
        {Tree, "tree", FileResult::Deleted, false},           {Tree, "tree", FileResult::NotFound, false},
        {Tree, "full/f.txt", FileResult::OtherFailure, true},
    };
    for (const Case& c : cases) {
        const std::string path = d.Path(c.path);
        FileResult result = c.op == File     ? this->files.RemoveFile(path)
                            : c.op == Folder ? this->files.RemoveFolder(path)
                                             : this->files.DeleteFolderTree(path);
        EXPECT_EQ(result, c.result) << c.op << " " << c.path;
        EXPECT_EQ(d.Exists(c.path), c.existsAfter) << c.op << " " << c.path;
    }
    // A name longer than any the system allows cannot be there: never reported as denied or in use.
    const std::string tooLong = d.Path(std::string(300, 'n'));
    for (FileResult result : {this->files.RemoveFile(tooLong), this->files.RemoveFolder(tooLong)})
        EXPECT_TRUE(result == FileResult::NotFound || result == FileResult::OtherFailure) << static_cast<int>(result);
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
    for (const char* notLink : {"in/plain.dat", "in", "in/missing"})
        EXPECT_FALSE(this->files.IsLink(this->dir.Path(notLink))) << notLink;
    EXPECT_NE(this->files.OpenForWrite(plain, WriteMode::InPlace), nullptr) << "a file with one name is written";
    for (auto [made, name] : {std::pair{symlink, "in/link.dat"}, std::pair{hardLink, "in/hard.dat"}}) {
        if (!made)
            continue;
        std::string path = this->dir.Path(name);
        EXPECT_EQ(this->files.IsLink(path), name == std::string("in/link.dat")) << name;
        EXPECT_EQ(this->files.OpenForWrite(path, WriteMode::InPlace), nullptr) << name;
        EXPECT_TRUE(name != std::string("in/link.dat") || !this->files.OpenForWrite(path, WriteMode::Create)) << name;
    }
    EXPECT_EQ(this->dir.Read("outside/target.txt"), "precious");
    EXPECT_EQ(this->files.ReadFile(this->dir.Path("in")), std::nullopt) << "a folder is no file to read";
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
    const std::string binary("enc\0line\r\n\xE9\r\n", 13), target = "t/PrivacyConfig.dat", temp = target + ".tmp";
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, const char*>> before;  // files laid out; null bytes: a folder
        bool readOnly;  // the target made read-only
        std::string bytes;
        Step failed;
        const char* target;  // the target's bytes afterwards; null when it is the folder set up
    } cases[] = {
        {"no target yet", {{"t", nullptr}}, false, binary, Step::None, nullptr},
        {"old target replaced", {{target, "old and longer"}}, false, "new", Step::None, "new"},
        {"read-only target replaced", {{target, "old"}}, true, "new", Step::None, "new"},
        {"leftover temporary emptied first", {{target, "old"}, {temp, "a longer leftover"}}, false, "", Step::None, ""},
        {"temporary is a folder", {{target, "old"}, {temp + "/in", "x"}}, false, "new", Step::WriteTemporary, "old"},
        {"temporary refused: no folder", {}, false, "new", Step::WriteTemporary, nullptr},
        {"replace refused: target a full folder", {{target + "/in", "x"}}, false, "new", Step::Replace, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder dir;
        for (const auto& [path, bytes] : c.before)
            bytes ? (void)dir.Write(path, bytes) : (void)dir.Folder(path);
        if (c.readOnly)
            fs::permissions(dir.FsPath(target),
                            fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);
        const bool targetWasFolder = fs::is_directory(dir.FsPath(target));
        ReplaceResult result = this->files.WriteReplacing(dir.Path(temp), dir.Path(target), c.bytes);

        EXPECT_EQ(result.failed, c.failed);
        EXPECT_EQ(static_cast<bool>(result), c.failed == Step::None);
        EXPECT_EQ(static_cast<bool>(result.reason), c.failed != Step::None) << result.reason.message();
        EXPECT_FALSE(fs::is_regular_file(dir.FsPath(temp))) << "no temporary stays";
        if (c.failed == Step::None)
            EXPECT_EQ(dir.Read(target), c.target ? std::string(c.target) : c.bytes);
        else if (c.target)
            EXPECT_EQ(dir.Read(target), c.target) << "the target stays";
        else
            EXPECT_EQ(fs::is_directory(dir.FsPath(target)), targetWasFolder);
    }
}

TYPED_TEST(FileSystemTest, WritingModesKeepAppendOrEmptyAndReadsGiveTheBytesUnchanged) {
    std::string path = this->dir.Write("w.bin", "0123456789");
    auto write = [&](WriteMode mode, std::string_view bytes, bool close = false) {
        auto w = this->files.OpenForWrite(path, mode);
        ASSERT_NE(w, nullptr);
        for (char c : bytes)
            EXPECT_TRUE(w->Write(&c, 1));
        if (close) {
            EXPECT_TRUE(w->Close());
            EXPECT_FALSE(w->Write("Z", 1)) << "a closed writer refuses";
        }
    };
    write(WriteMode::InPlace, "abcd");
    EXPECT_EQ(this->dir.Read("w.bin"), "abcd456789") << "in place: from offset 0, length kept";
    write(WriteMode::Append, "XY", true);
    EXPECT_EQ(this->dir.Read("w.bin"), "abcd456789XY");
    const std::string bytes("a\r\nb\0c\n", 7);
    write(WriteMode::Create, bytes);
    EXPECT_EQ(this->files.ReadFile(path), bytes);
    EXPECT_EQ(this->files.ReadFile(this->dir.Path("absent")), std::nullopt);

    EXPECT_EQ(this->files.OpenForWrite(this->dir.Path("absent.bin"), WriteMode::InPlace), nullptr);
    EXPECT_FALSE(this->dir.Exists("absent.bin")) << "in-place writing never creates a file";
    path = this->dir.Path("created.log");
    write(WriteMode::Append, "line\r\n");
    EXPECT_EQ(this->dir.Read("created.log"), "line\r\n");
    EXPECT_EQ(this->files.OpenForWrite(this->dir.Path("no/folder/x"), WriteMode::Create), nullptr);
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
