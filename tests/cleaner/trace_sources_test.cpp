// Traces built from file-system sources: the fields each kind fills.
#include <gtest/gtest.h>

#include "cleaner/privacy_value.h"
#include "engine_test_support.h"
#include "platform/portable/portable_file_system.h"
#include "platform/scratch_folder.h"

namespace lumo {
namespace {

TEST(TraceSources, FilesAndFoldersFillPathNameSizeAndKind) {
    testing::RecordingLog log;
    PrivacyValues pvs(&log);
    auto file = pvs.AddFile("C:\\T\\a.txt", 10, vsFind);
    auto big = pvs.AddFile("/data/huge.iso", int64_t{6} << 30, vsDelete);
    auto folder = pvs.AddFolder("C:\\T\\Sub Folder", vsDelete);
    struct Case {
        PrivacyValuePtr pv;
        const char* path;
        const char* name;
        int64_t size;
        int32_t type;
        int32_t status;
    };
    for (const Case& c : {Case{file, "C:\\T\\a.txt", "a.txt", 10, 4, vsFind},
                          Case{big, "/data/huge.iso", "huge.iso", int64_t{6} << 30, 4, vsDelete},
                          Case{folder, "C:\\T\\Sub Folder", "Sub Folder", 0, 5, vsDelete}}) {
        EXPECT_EQ(c.pv->Path, c.path);
        EXPECT_EQ(c.pv->ValueName, c.name);
        EXPECT_EQ(c.pv->Value, c.name);
        EXPECT_EQ(c.pv->Size, c.size);
        EXPECT_EQ(c.pv->ValueType, c.type);
        EXPECT_EQ(c.pv->RootKey, 0);
        EXPECT_EQ(c.pv->ValueStatus, c.status);
    }
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Find C:\\T\\a.txt", "Delete /data/huge.iso", "Delete C:\\T\\Sub Folder"}));
}

TEST(TraceSources, AFileWhoseSizeCannotBeReadAddsNothing) {
    testing::ScratchFolder dir;
    PortableFileSystem files;
    testing::RecordingLog log;
    PrivacyValues pvs(&log);
    std::string path = dir.Write("present.bin", std::string(1234, 'x'));
    EXPECT_EQ(pvs.AddFile(files, path, vsFind)->Size, 1234);
    EXPECT_THROW(pvs.AddFile(files, dir.Path("vanished.bin"), vsFind), std::runtime_error);
    EXPECT_EQ(pvs.Count(), 1);
    EXPECT_EQ(log.lines.size(), 1u);
}

}  // namespace
}  // namespace lumo
