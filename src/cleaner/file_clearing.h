// Clearing one file: delete it by force, or, when it is locked and filling is allowed, overwrite
// it with zero bytes in place. Used by the item walks and by the special parsers.
#pragma once

#include <cstdint>
#include <string_view>

namespace lumo {

class FileSystem;

// The size of one write while overwriting.
inline constexpr int64_t kFillChunkBytes = 10000;

// 0: deleted (or already gone); 1: locked, and overwritten with zeros instead; -1: still there —
// locked and not overwritten, or the deletion failed for another reason.
int16_t DeleteFileOrFill(FileSystem& files, std::string_view sFilePath, bool bFillBlank, int16_t iFillTimes);

// DeleteFileOrFill in two halves, so the deletions can run on other threads while the
// overwriting of locked files stays on the walk's own, in order.
struct FileDeletion {
    bool done = false;  // deleted, or already gone
    bool toFill = false;  // locked, and filling is allowed: the second half overwrites it
};
// The first half: the deletion, and after a failure that is not to be overwritten, whether the
// file is still there. Only FileSystem::RemoveFile and FileExists are called.
FileDeletion DeleteFileFirst(FileSystem& files, std::string_view sFilePath, bool bFillBlank);
// The second half: DeleteFileOrFill's result, overwriting the file when the first half says so.
int16_t FillAfterDeletion(FileSystem& files, std::string_view sFilePath, const FileDeletion& deletion,
                          int16_t iFillTimes);

// Overwrites the file with zero bytes `iFillTimes` times (none when less than 1), each pass
// opened anew, written from offset 0 in chunks of kFillChunkBytes, its length kept. True on
// failure: the size could not be read, the file could not be opened, a write was refused.
bool FillFileBlank(FileSystem& files, std::string_view sFilePath, int16_t iFillTimes);

}  // namespace lumo
