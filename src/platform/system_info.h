// SystemInfo: who and where the program runs — the platform version, the current user's security
// identifier in raw parts and user name, the drives with their type and file-system name, and
// whether deleting on several threads can gain anything.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumo {

// Drive types as GetDriveType numbers them.
enum class DriveType : int32_t {
    Unknown = 0,
    NoRootDir = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

struct DriveInfo {
    std::string path;  // the drive without a trailing separator, such as "C:"
    DriveType type = DriveType::Unknown;
    std::string fileSystem;  // such as "NTFS" or "FAT32"; empty when it could not be read
};

// A security identifier as the system stores it: the 6-byte identifier authority (most
// significant byte first) and the sub-authorities.
struct SidParts {
    std::array<uint8_t, 6> authority{};
    std::vector<uint32_t> subAuthorities;
};

class SystemInfo {
public:
    virtual ~SystemInfo() = default;

    // The platform version number (GetVersion) read as a signed 32-bit integer.
    virtual int32_t Version() = 0;
    // The user of the process token; none when the token cannot be read or holds no valid SID.
    virtual std::optional<SidParts> UserSid() = 0;
    // The user name; none when the system refuses it.
    virtual std::optional<std::string> UserName() = 0;
    // The drives in the order the system lists them. The file-system name is read for fixed
    // drives only: asking a removable or network drive can block or prompt for a disc.
    virtual std::vector<DriveInfo> Drives() = 0;
    // True where the system makes every file deletion itself, one after another in one place
    // (Wine's server does): deleting on several threads then only adds waiting.
    virtual bool DeletesOneAtATime() { return false; }
};

// Greater than zero means the NT family, with its security-aware registry.
inline bool IsNtFamily(int32_t version) { return version > 0; }

}  // namespace lumo
