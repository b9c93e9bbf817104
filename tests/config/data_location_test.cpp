// How the program decides whether its folder can hold the user's files: by making, writing and
// removing a probe file, judged by what the file system lets it do.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "config/data_location.h"
#include "support/enciphered_lines.h"
#include "platform/portable/portable_file_system.h"
#include "support/locked_folder_files.h"

namespace lumo {
namespace {

using testing::ScratchFolder;

TEST(DataLocation, AFolderCountsAsWritableOnlyWhenAFileCanBeMadeWrittenAndRemoved) {
    struct Case {
        const char* name;
        bool lockFolder, refuseCreate, refuseWrite, refuseRemove;
        bool writable;
    };
    const Case cases[] = {
        {"everything allowed", false, false, false, false, true},
        {"the folder locked", true, false, false, false, false},
        {"no new file", false, true, false, false, false},
        {"no writing", false, false, true, false, false},
        {"no removing", false, false, false, true, false},
    };
    for (const Case& c : cases) {
        ScratchFolder dir;
        const std::string folder = dir.FsPath().string();
        PortableFileSystem real;
        testing::LockedFolderFiles files(real, c.lockFolder ? folder : std::string("\x01"));
        files.refuseCreate = c.refuseCreate;
        files.refuseWrite = c.refuseWrite;
        files.refuseRemove = c.refuseRemove;
        EXPECT_EQ(CanWriteInFolder(files, folder), c.writable) << c.name;
        if (!c.refuseRemove) {
            EXPECT_TRUE(std::filesystem::is_empty(dir.FsPath())) << c.name << ": the probe stayed behind";
        }
    }
}

// Says that the first `taken` probe names the program picks are there already, as files or as
// folders, as another copy of the program starting at the same time would have left them.
struct TakenProbes : PortableFileSystem {
    size_t taken;
    bool asFolders;
    std::vector<std::string> seen;  // the probe names asked about, in order
    TakenProbes(size_t taken, bool asFolders) : taken(taken), asFolders(asFolders) {}
    bool Taken(std::string_view path) {
        if (path.find("write-test") == std::string_view::npos)
            return false;
        auto at = std::find(seen.begin(), seen.end(), path);
        if (at == seen.end())
            at = seen.emplace(seen.end(), path);
        return static_cast<size_t>(at - seen.begin()) < taken;
    }
    bool FileExists(std::string_view path) override {
        return (!asFolders && Taken(path)) || PortableFileSystem::FileExists(path);
    }
    bool FolderExists(std::string_view path) override {
        return (asFolders && Taken(path)) || PortableFileSystem::FolderExists(path);
    }
};

TEST(DataLocation, AProbeNameThatIsTakenIsPickedAgainOnce) {
    for (bool asFolders : {false, true}) {
        for (size_t taken : {1u, 2u}) {
            ScratchFolder dir;
            TakenProbes files(taken, asFolders);
            EXPECT_EQ(CanWriteInFolder(files, dir.Path()), taken == 1) << taken << (asFolders ? " folders" : " files");
            EXPECT_EQ(files.seen.size(), 2u);
            EXPECT_TRUE(std::filesystem::is_empty(dir.FsPath()));
        }
    }
    TakenProbes none(0, false);
    EXPECT_FALSE(CanWriteInFolder(none, ""));
    EXPECT_FALSE(CanWriteInFolder(none, ScratchFolder().Path("missing")));
    EXPECT_TRUE(none.seen.empty()) << "no probe is tried where there is no folder";
}

}  // namespace
}  // namespace lumo
