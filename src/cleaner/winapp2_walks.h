// The walks of the items read from winapp2.ini: files by pattern lists in folders with wildcard
// segments (in the folder only, in every subfolder, or with the emptied folders removed), and
// registry keys and values; exclusions checked before anything is removed.
//
// Item settings (positions from 1):
// - pitWinapp2Files: 1 the folder (wildcards * and ? in any segment), 2 the patterns cut at ";"
//   (empty: every file), 3 "" (the folder only), "RECURSE" or "REMOVESELF".
// - pitWinapp2Registry: 1 the root key's long name, 2 the key path, 3 when present the value name
//   (without it the key itself with everything below it).
// Exclusions are the item's hold settings, one per entry, in winapp2.ini's own form with paths
// resolved: "FILE|folder|patterns", "PATH|folder|patterns", "PATH|folder", "REG|root\key|value"
// and "REG|root\key" (the root as a long name). What an exclusion covers is never changed; where
// it is reported, its trace says "Keep locked", and so do the folders and keys that stay because
// of it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumo {

class PrivacyItem;
struct SeekContext;

// How far a FileKey reaches: the named folder's files, its whole tree, or the tree with the
// emptied folders removed (the named folder included).
enum class FileKeyReach { Files, Recurse, RemoveSelf };

// The word of the third setting and back; an unknown word gives none.
bool FileKeyReachFromWord(std::string_view word, FileKeyReach& reach);
const char* FileKeyReachWord(FileKeyReach reach);

// Folders no entry may clean: the reader refuses an entry that names one, and the walk refuses
// one that a wildcard segment reaches. Each is refused from a given reach on (Files: always).
// A drive root is always refused, listed or not.
class ProtectedFolders {
public:
    void Add(std::string_view folder, FileKeyReach from, std::string what);
    // Why `folder` may not be cleaned with `reach`, as "the Windows folder"; empty when it may.
    std::string Refusal(std::string_view folder, FileKeyReach reach) const;
    bool Empty() const { return folders_.empty(); }

private:
    struct Entry {
        std::string key;  // PathKey of the folder
        FileKeyReach from;
        std::string what;
    };
    std::vector<Entry> folders_;
};

// "C:", "C:\", "\\server\share", "/": a path that names a whole drive.
bool IsDriveRoot(std::string_view path);

void SeekWinapp2Files(PrivacyItem& item, SeekContext& ctx, bool bClearValue);
void SeekWinapp2Registry(PrivacyItem& item, SeekContext& ctx, bool bClearValue);

}  // namespace lumo
