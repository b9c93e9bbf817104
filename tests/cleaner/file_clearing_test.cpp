// Deleting or overwriting one file, with the file system wrapped to lock files and refuse
// writes; and, in the Windows build, a file really held open by a second handle.
#include <gtest/gtest.h>

#include <fstream>

#include "cleaner/file_clearing.h"
#include "engine_test_support.h"

namespace lumo {
namespace {

class FileClearing : public testing::EngineTest {};

TEST_F(FileClearing, DeleteFileOrFillTellsDeletedOverwrittenAndStillThere) {
    struct Case {
        const char* name;
        bool locked, quietFailure, refuseWriting, fill;
        int16_t result;
        const char* left;  // null when the file is gone
    };
    const Case cases[] = {
        {"plain", false, false, false, false, 0, nullptr},
        {"plain-fill-allowed", false, false, false, true, 0, nullptr},
        {"locked-fill", true, false, false, true, 1, "\0\0\0\0\0"},
        {"locked-no-fill", true, false, false, false, -1, "bytes"},
        {"locked-fill-refused", true, false, true, true, -1, "bytes"},
        {"other-failure", false, true, false, true, -1, "bytes"},
    };
    for (const Case& c : cases) {
        std::string path = dir.Write(c.name, "bytes");
        if (c.locked)
            files.locked.insert(path);
        if (c.quietFailure)
            files.failDeletionQuietly.insert(path);
        if (c.refuseWriting)
            files.refuseWriting.insert(path);
        EXPECT_EQ(DeleteFileOrFill(files, path, c.fill, 1), c.result) << c.name;
        EXPECT_EQ(dir.Exists(c.name), c.left != nullptr) << c.name;
        if (c.left) {
            EXPECT_EQ(dir.Read(c.name), std::string(c.left, 5)) << c.name;
        }
    }
    EXPECT_EQ(DeleteFileOrFill(files, dir.Path("never-there"), true, 1), 0) << "a file already gone counts as deleted";
}

TEST_F(FileClearing, FillFileBlankWritesEveryPassInChunksOfTenThousandBytes) {
    struct Case {
        int64_t size;
        int16_t passes;
        std::vector<size_t> writesPerPass;
        size_t opens;
    };
    const Case cases[] = {{25000, 3, {10000, 10000, 5000}, 3},
                          {20000, 1, {10000, 10000}, 1},
                          {9999, 2, {9999}, 2},
                          {0, 2, {}, 2},
                          {5, 0, {}, 0},
                          {5, -1, {}, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.size) + " x " + std::to_string(c.passes));
        files.inPlaceOpens.clear();
        std::string path = dir.Write("f.bin", std::string(static_cast<size_t>(c.size), 'x'));
        EXPECT_FALSE(FillFileBlank(files, path, c.passes));
        ASSERT_EQ(files.inPlaceOpens.size(), c.opens);
        for (const auto& open : files.inPlaceOpens)
            EXPECT_EQ(open.writes, c.writesPerPass);
        EXPECT_EQ(dir.Read("f.bin"), std::string(static_cast<size_t>(c.size), c.passes > 0 ? '\0' : 'x'))
            << "length kept, bytes zero after at least one pass";
    }
    // Failures: a file that is not there, a file that refuses writing.
    EXPECT_TRUE(FillFileBlank(files, dir.Path("absent"), 1));
    files.refuseWriting.insert(dir.Write("refused", "abc"));
    EXPECT_TRUE(FillFileBlank(files, dir.Path("refused"), 1));
    EXPECT_EQ(dir.Read("refused"), "abc");
}

#ifdef _WIN32
// The C runtime opens files sharing read and write but not delete: like a browser holding its
// index.dat, the second handle makes deletion fail while writing in place still works.
TEST_F(FileClearing, ALockedIndexDatHeldByARealHandleIsOverwrittenWithZeros) {
    std::string index = dir.Write("index.dat", std::string(25000, 'u'));
    std::string other = dir.Write("other.dat", "used");
    std::ifstream holdIndex(dir.FsPath("index.dat"), std::ios::binary);
    std::ifstream holdOther(dir.FsPath("other.dat"), std::ios::binary);
    ASSERT_TRUE(holdIndex.is_open() && holdOther.is_open());
    EXPECT_EQ(DeleteFileOrFill(files, index, true, 3), 1);
    EXPECT_EQ(DeleteFileOrFill(files, other, false, 3), -1);
    EXPECT_EQ(files.inPlaceOpens.size(), 3u);
    holdIndex.close();
    holdOther.close();
    EXPECT_EQ(dir.Read("index.dat"), std::string(25000, '\0'));
    EXPECT_EQ(dir.Read("other.dat"), "used");
}
#endif

}  // namespace
}  // namespace lumo
