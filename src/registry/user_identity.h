// The current user's identity text: on the NT family the SID in its "S-1-…" form, which names the
// user's Protected Storage branch and NTFS Recycle Bin folders; on the older family the user name.
#pragma once

#include <string>

namespace lumo {

class SystemInfo;
struct SidParts;

// Empty when it cannot be had.
std::string GetUserSidString(SystemInfo& system);

// "S-1-" and the last byte of the identifier authority, then each sub-authority as an unsigned
// decimal number.
std::string SidText(const SidParts& sid);

}  // namespace lumo
