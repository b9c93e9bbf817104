// Deleting or overwriting one file, with the file system wrapped to lock files and refuse
// writes; and, in the Windows build, a file really held open by a second handle.
#include <gtest/gtest.h>

#include <fstream>

#include "cleaner/file_clearing.h"
#include "engine_test_support.h"
#include "platform/portable/portable_file_system.h"
#include "support/scratch_folder.h"
#ifdef _WIN32
#include "platform/win32/win32_file_system.h"
#endif

namespace lumo {
namespace {

using testing::InjectingFileSystem;
using testing::ScratchFolder;

TEST(DeleteFileOrFill, ResultsTellDeletedOverwrittenAndStillThere) {
    struct Case {
        const char* name;
        bool locked, quietFailure, refuseWriting, fill;
        int16_t result;
        bool existsAfter;
        const char* contentAfter;
    };
    const Case cases[] = {
        {"plain", false, false, false, false, 0, false, ""},
        {"plain-fill-allowed", false, false, false, true, 0, false, ""},
        {"locked-fill", true, false, false, true, 1, true, "\0\0\0\0\0"},
        {"locked-no-fill", true, false, false, false, -1, true, "bytes"},
        {"locked-fill-refused", true, false, true, true, -1, true, "bytes"},
        {"other-failure", false, true, false, true, -1, true, "bytes"},
    };
    for (const Case& c : cases) {
        ScratchFolder dir;
        PortableFileSystem real;
        InjectingFileSystem files(real);
        std::string path = dir.Write(c.name, "bytes");
        if (c.locked)
            files.locked.insert(path);
        if (c.quietFailure)
            files.failDeletionQuietly.insert(path);
        if (c.refuseWriting)
            files.refuseWriting.insert(path);
        EXPECT_EQ(DeleteFileOrFill(files, path, c.fill, 1), c.result) << c.name;
        EXPECT_EQ(dir.Exists(c.name), c.existsAfter) << c.name;
        if (c.existsAfter) {
            EXPECT_EQ(dir.Read(c.name), std::string(c.contentAfter, 5)) << c.name;
        }
    }
    ScratchFolder dir;
    PortableFileSystem real;
    EXPECT_EQ(DeleteFileOrFill(real, dir.Path("never-there"), true, 1), 0) << "a file already gone counts as deleted";
}

TEST(FillFileBlank, PassesAndChunksOfTenThousandBytes) {
    struct Case {
        int64_t size;
        int16_t passes;
        std::vector<size_t> writesPerPass;
        size_t opens;
    };
    const Case cases[] = {
        {25000, 3, {10000, 10000, 5000}, 3},
        {20000, 1, {10000, 10000}, 1},
        {9999, 2, {9999}, 2},
        {0, 2, {}, 2},
        {5, 0, {}, 0},
        {5, -1, {}, 0},
    };
    for (const Case& c : cases) {
        ScratchFolder dir;
        PortableFileSystem real;
        InjectingFileSystem files(real);
        std::string path = dir.Write("f.bin", std::string(static_cast<size_t>(c.size), 'x'));
        EXPECT_FALSE(FillFileBlank(files, path, c.passes)) << c.size << " x " << c.passes;
        ASSERT_EQ(files.inPlaceOpens.size(), c.opens) << c.size << " x " << c.passes;
        for (const auto& open : files.inPlaceOpens)
            EXPECT_EQ(open.writes, c.writesPerPass) << c.size << " x " << c.passes;
        std::string expected(static_cast<size_t>(c.size), c.passes > 0 ? '\0' : 'x');
        EXPECT_EQ(dir.Read("f.bin"), expected) << "length kept, bytes zero after at least one pass";
    }
}

TEST(FillFileBlank, FailsWhenTheFileCannotBeReadOrOpened) {
    ScratchFolder dir;
    PortableFileSystem real;
    InjectingFileSystem files(real);
    EXPECT_TRUE(FillFileBlank(files, dir.Path("absent"), 1));
    std::string path = dir.Write("refused", "abc");
    files.refuseWriting.insert(path);
    EXPECT_TRUE(FillFileBlank(files, path, 1));
    EXPECT_EQ(dir.Read("refused"), "abc");
}

#ifdef _WIN32
// The C runtime opens files sharing read and write but not delete: like a browser holding its
// index.dat, the second handle makes deletion fail while writing in place still works.
TEST(DeleteFileOrFill, ALockedIndexDatHeldByARealHandleIsOverwrittenWithZeros) {
    ScratchFolder dir;
    Win32FileSystem real;
    InjectingFileSystem files(real);
    std::string index = dir.Write("index.dat", std::string(25000, 'u'));
    std::string other = dir.Write("other.dat", "used");
    std::ifstream holdIndex(dir.FsPath("index.dat"), std::ios::binary);
    std::ifstream holdOther(dir.FsPath("other.dat"), std::ios::binary);
    ASSERT_TRUE(holdIndex.is_open() && holdOther.is_open());
    EXPECT_EQ(DeleteFileOrFill(files, index, true, 3), 1);
    EXPECT_EQ(DeleteFileOrFill(files, other, false, 3), -1);
    ASSERT_EQ(files.inPlaceOpens.size(), 3u);
    EXPECT_EQ(files.inPlaceOpens[2].writes, (std::vector<size_t>{10000, 10000, 5000}));
    holdIndex.close();
    holdOther.close();
    EXPECT_EQ(dir.Read("index.dat"), std::string(25000, '\0'));
    EXPECT_EQ(dir.Read("other.dat"), "used");
}
#endif

}  // namespace
}  // namespace lumo
