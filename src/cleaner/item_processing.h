// The two recursive walks of the seek-and-clear engine, for callers beyond ParseItem.
#pragma once

#include <functional>
#include <string>

#include "cleaner/privacy_value.h"

namespace lumo {

class PrivacyItem;
class RegKey;
struct SeekContext;

// Everything below `folder` as traces of `item`: at each level first the subfolders, then the
// files, then each subfolder's contents; when clearing, files are deleted (or overwritten) as
// they are found and each emptied subfolder is removed. The deletions of files may run on the
// run's worker threads (SeekContext::removalWorkers); the traces, events and log lines come as
// they would without them. Links are reported and removed as
// themselves, never entered. `folder` itself is never reported or removed. The walk keeps its
// own list of the folders it is in, so no tree is too deep for it.
void GetFolderAllSub(PrivacyItem& item, SeekContext& ctx, const std::string& folder, bool bClearValue);

// The same walk without hold settings and without overwriting, as the Recycle Bin is emptied:
// traces go to `values` and each is handed to `report`. True when, after a clear, nothing found
// in `folder` is left (a scan, or a walk ended by a stop request, gives false).
bool WalkFolderWithoutHolds(PrivacyValues& values, const std::function<void(const PrivacyValuePtr&)>& report,
                            SeekContext& ctx, const std::string& folder, bool bClearValue);

// Everything below `key` as traces of `item`: at each level first the subkeys, then the values,
// then each subkey's contents; when clearing, values not held are deleted and each subkey is
// deleted deeply after its walk. `key` itself is never deleted.
void GetRegKeyAllSub(PrivacyItem& item, SeekContext& ctx, RegKey& key, bool bClearValue);

}  // namespace lumo
