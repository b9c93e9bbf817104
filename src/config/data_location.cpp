// The choice between the program's folder and the user's own folder, and the file to load.
#include "config/data_location.h"

#include <cstdio>
#include <memory>
#include <random>

#include "platform/file_system.h"

namespace lumo {

namespace {

// A name no file of the folder has: two copies starting at once never probe the same file.
std::string ProbeName() {
    std::random_device random;
    char name[48];
    std::snprintf(name, sizeof name, "~SweepkitLumo-write-test-%08x%08x.tmp", random(), random());
    return name;
}

}  // namespace

bool CanWriteInFolder(FileSystem& files, std::string_view folder) {
    if (folder.empty() || !files.FolderExists(folder))
        return false;
    std::string probe = JoinPath(folder, ProbeName());
    if (files.FileExists(probe) || files.FolderExists(probe))
        probe = JoinPath(folder, ProbeName());
    if (files.FileExists(probe) || files.FolderExists(probe))
        return false;
    std::unique_ptr<FileWriter> writer = files.OpenForWrite(probe, WriteMode::Create);
    if (!writer)
        return false;
    // A file that can be made but not written or removed again is no place for a configuration
    // that is saved by writing a new file and swapping it in.
    bool written = writer->Write("?", 1) && writer->Close();
    writer.reset();
    return files.RemoveFile(probe) == FileResult::Deleted && written;
}

std::string PrepareDataFolder(FileSystem& files, const std::string& programFolder, std::string_view localAppData) {
    if (localAppData.empty() || CanWriteInFolder(files, programFolder))
        return programFolder;
    std::string folder = JoinPath(localAppData, kUserDataFolderName);
    // A folder that cannot be made shows when the first save fails, with the path in its message.
    files.CreateFolder(folder);
    return folder;
}

std::string ConfigFileToLoad(FileSystem& files, std::string_view programFolder, std::string_view dataFolder) {
    std::string own = JoinPath(dataFolder, kConfigFileName);
    if (dataFolder != programFolder && !files.FileExists(own))
        return JoinPath(programFolder, kConfigFileName);
    return own;
}

}  // namespace lumo
