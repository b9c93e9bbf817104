// Whether the program's folder can hold the user's files, found out by making, writing and
// removing a probe file there under a name no other copy of the program has taken.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "config/data_location.h"
#include "config/system_folders.h"
#include "registry/reg_key.h"
#include "support/registry_fixture.h"
#include "platform/portable/portable_file_system.h"
#include "support/locked_folder_files.h"
#include "support/scratch_folder.h"

namespace lumo {
namespace {

// Besides the refusals, says that the first `taken` probe names the program picks are there
// already, as files or as folders, as another copy of the program starting at the same time
// would have left them.
struct TakenProbes : testing::LockedFolderFiles {
    size_t taken;
    bool asFolders;
    std::vector<std::string> seen;  // the probe names asked about, in order
    TakenProbes(FileSystem& real, std::string locked, size_t taken, bool asFolders)
        : LockedFolderFiles(real, std::move(locked)), taken(taken), asFolders(asFolders) {}
    bool Taken(std::string_view path, bool folder) {
        auto at = std::find(seen.begin(), seen.end(), path);
        if (at == seen.end())
            at = seen.emplace(seen.end(), path);
        return folder == asFolders && static_cast<size_t>(at - seen.begin()) < taken;
    }
    bool FileExists(std::string_view path) override {
        return Taken(path, false) || LockedFolderFiles::FileExists(path);
    }
    bool FolderExists(std::string_view path) override {
        return path.find("write-test") != path.npos ? Taken(path, true) : LockedFolderFiles::FolderExists(path);
    }
};

TEST(DataLocation, AFolderIsWritableOnlyWhenAProbeFileCanBeMadeWrittenAndRemovedUnderAFreeName) {
    struct Case {
        bool lockFolder, refuseCreate, refuseWrite, refuseRemove;
        size_t taken;  // probe names found taken, once or twice
        bool asFolders, writable;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0, 0, true},  {1, 0, 0, 0, 0, 0, false}, {0, 1, 0, 0, 0, 0, false},
        {0, 0, 1, 0, 0, 0, false}, {0, 0, 0, 1, 0, 0, false}, {0, 0, 0, 0, 1, 0, true},
        {0, 0, 0, 0, 2, 0, false}, {0, 0, 0, 0, 1, 1, true},  {0, 0, 0, 0, 2, 1, false},
    };
    PortableFileSystem real;
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        testing::ScratchFolder dir;
        TakenProbes files(real, c.lockFolder ? dir.Path() : std::string("\x01"), c.taken, c.asFolders);
        files.refuseCreate = c.refuseCreate, files.refuseWrite = c.refuseWrite, files.refuseRemove = c.refuseRemove;
        EXPECT_EQ(CanWriteInFolder(files, dir.Path()), c.writable);
        EXPECT_EQ(std::filesystem::is_empty(dir.FsPath()), !c.refuseRemove) << "the probe stays only if unremovable";
        EXPECT_EQ(files.seen.size(), c.taken ? 2u : 1u);
    }
    TakenProbes none(real, "\x01", 0, false);
    EXPECT_FALSE(CanWriteInFolder(none, ""));
    EXPECT_FALSE(CanWriteInFolder(none, testing::ScratchFolder().Path("missing")));
    EXPECT_TRUE(none.seen.empty()) << "no probe is tried where there is no folder";
}

// Without the shell the folders come from the user's Shell Folders key: the profile is the folder
// above AppData.
TEST(SpecialFolders, WithoutTheShellTheProfileIsTheFolderAboveAppData) {
    MemoryRegistry api;
    RegHandle software = 0;
    api.CreateKey(RootHandle(rkCurrentUser), "Software", keyAllAccess, software);
    api.CloseKey(software);
    RegKey(api).SetRegValue("AppData", rvtString, std::string("C:\\Users\\u\\AppData\\Roaming"), rkCurrentUser,
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
    SpecialFolders f;
    InitSpecialFolders(f, nullptr, &api);
    EXPECT_EQ(f.UserProfileDir, "C:\\Users\\u\\AppData");
}

}  // namespace
}  // namespace lumo
