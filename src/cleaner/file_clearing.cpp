// Deleting a file, or overwriting it when it is locked.
#include "cleaner/file_clearing.h"

#include <algorithm>

#include "platform/file_system.h"

namespace lumo {

namespace {

const char kZeros[kFillChunkBytes] = {};

}  // namespace

int16_t DeleteFileOrFill(FileSystem& files, std::string_view sFilePath, bool bFillBlank, int16_t iFillTimes) {
    return FillAfterDeletion(files, sFilePath, DeleteFileFirst(files, sFilePath, bFillBlank), iFillTimes);
}

FileDeletion DeleteFileFirst(FileSystem& files, std::string_view sFilePath, bool bFillBlank) {
    FileResult result = files.RemoveFile(sFilePath);
    if (result == FileResult::Deleted || result == FileResult::NotFound)
        return {true, false};
    if (result == FileResult::DeniedOrInUse && bFillBlank)
        return {false, true};
    // The deletion failed: a file that is still there is not reported as deleted.
    return {!files.FileExists(sFilePath), false};
}

int16_t FillAfterDeletion(FileSystem& files, std::string_view sFilePath, const FileDeletion& deletion,
                          int16_t iFillTimes) {
    if (deletion.toFill)
        return FillFileBlank(files, sFilePath, iFillTimes) ? -1 : 1;
    return deletion.done ? 0 : -1;
}

bool FillFileBlank(FileSystem& files, std::string_view sFilePath, int16_t iFillTimes) {
    std::optional<int64_t> size = files.FileSize(sFilePath);
    if (!size)
        return true;
    for (int16_t pass = 0; pass < iFillTimes; ++pass) {
        std::unique_ptr<FileWriter> writer = files.OpenForWrite(sFilePath, WriteMode::InPlace);
        if (!writer)
            return true;
        for (int64_t left = *size; left > 0; left -= kFillChunkBytes) {
            if (!writer->Write(kZeros, static_cast<size_t>(std::min(left, kFillChunkBytes))))
                return true;
        }
        if (!writer->Close())
            return true;
    }
    return false;
}

}  // namespace lumo
