// RegistryApi: the narrow list of registry operations the registry layer needs, returning the
// platform's error codes. The Win32 implementation sits on advapi32; MemoryRegistry replaces it
// natively and in tests.
//
// How data crosses this interface:
// - Key and value names are UTF-8. Name buffer sizes ("characters") count UTF-16 code units, as
//   Windows counts them, so the longest-name figures of QueryInfoKey size the enumeration buffers.
// - Value data is raw bytes. String types (1 string, 2 expandable string, 7 multi-string) travel
//   as UTF-8 bytes with their zero terminators: a string is its bytes followed by one zero byte,
//   so "cut at the first zero byte" yields the text, and a multi-string's first piece is its first
//   string. The Win32 implementation converts to and from UTF-16 here, so names and text outside
//   the ANSI code page survive.
// - RegKeyInfo::maxValueLen is a byte count that is never smaller than any value's data as this
//   interface delivers it (for the real registry an upper bound derived from the stored UTF-16
//   size), so a buffer of maxValueLen + 1 bytes always holds a value with a zero byte after it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumo {

// A key handle: one of the predefined roots 0x80000000..0x80000006 (never closed) or a handle
// returned by OpenKey/CreateKey.
using RegHandle = std::uintptr_t;

constexpr RegHandle RootHandle(int32_t rootKey) { return static_cast<uint32_t>(rootKey); }
constexpr bool IsPredefinedRoot(RegHandle key) { return key >= 0x80000000u && key <= 0x80000006u; }

// Error codes as the platform returns them.
enum RegResult : int32_t {
    regOk = 0,
    regFileNotFound = 2,
    regAccessDenied = 5,
    regInvalidHandle = 6,
    regInvalidParameter = 87,
    regInsufficientBuffer = 122,
    regBadPathname = 161,  // a subkey path that starts with a backslash
    regMoreData = 234,
    regNoMoreItems = 259,
    regKeyDeleted = 1018,
};

// Access rights as the platform numbers them.
enum RegRights : uint32_t {
    keyQueryValue = 0x0001,
    keySetValue = 0x0002,
    keyCreateSubKey = 0x0004,
    keyEnumerateSubKeys = 0x0008,
    keyNotify = 0x0010,
    keyCreateLink = 0x0020,
    rightDelete = 0x00010000,
    rightReadControl = 0x00020000,
    rightWriteDac = 0x00040000,
    rightWriteOwner = 0x00080000,
    keyRead = 0x00020019,
    keyWrite = 0x00020006,
    keyAllAccess = 0x000F003F,
    rightMaximumAllowed = 0x02000000,
};

// The security-information selector of the discretionary access list.
constexpr uint32_t daclSecurityInformation = 4;

struct RegKeyInfo {
    uint32_t subKeys = 0;
    uint32_t maxSubKeyLen = 0;  // UTF-16 code units, without the terminator
    uint32_t maxClassLen = 0;  // UTF-16 code units, without the terminator
    uint32_t values = 0;
    uint32_t maxValueNameLen = 0;  // UTF-16 code units, without the terminator
    uint32_t maxValueLen = 0;  // bytes, see the header comment
};

class RegistryApi {
public:
    virtual ~RegistryApi() = default;

    // Opens `subKey` below `key` (an empty path opens `key` again) with `rights`.
    virtual int32_t OpenKey(RegHandle key, std::string_view subKey, uint32_t rights, RegHandle& result) = 0;
    virtual int32_t QueryInfoKey(RegHandle key, RegKeyInfo& info) = 0;
    // The subkey at `index` (from 0). `nameChars` is the buffer size in characters, terminator
    // included: a name that does not fit gives 234; past the end gives 259.
    virtual int32_t EnumKey(RegHandle key, uint32_t index, std::string& name, uint32_t nameChars) = 0;
    // The value at `index`: name as EnumKey; its data is copied into `data` (capacity `dataSize`
    // bytes; `data` may be null to learn the size). On return `dataSize` holds the data's size.
    // Data that does not fit gives 234 with the size needed.
    virtual int32_t EnumValue(RegHandle key, uint32_t index, std::string& name, uint32_t nameChars, uint32_t& type,
                              uint8_t* data, uint32_t& dataSize) = 0;
    // Reads one value like EnumValue; a missing value gives 2 and leaves `type` and `data` alone.
    virtual int32_t QueryValue(RegHandle key, std::string_view valueName, uint32_t& type, uint8_t* data,
                               uint32_t& dataSize) = 0;
    // Creates (or opens) `subKey` below `key`, with the keys missing on the way: non-volatile,
    // default security.
    virtual int32_t CreateKey(RegHandle key, std::string_view subKey, uint32_t rights, RegHandle& result) = 0;
    virtual int32_t SetValue(RegHandle key, std::string_view valueName, uint32_t type, const uint8_t* data,
                             uint32_t dataSize) = 0;
    // Deletes `subKey` below `key`; a key that still has subkeys is refused (5).
    virtual int32_t DeleteKey(RegHandle key, std::string_view subKey) = 0;
    virtual int32_t DeleteValue(RegHandle key, std::string_view valueName) = 0;
    virtual int32_t CloseKey(RegHandle key) = 0;
    // The key's security descriptor (self-relative, opaque bytes). A buffer smaller than the
    // descriptor gives 122 with the size needed in `size`.
    virtual int32_t GetKeySecurity(RegHandle key, uint32_t securityInformation, uint8_t* descriptor,
                                   uint32_t& size) = 0;
    virtual int32_t SetKeySecurity(RegHandle key, uint32_t securityInformation,
                                   const std::vector<uint8_t>& descriptor) = 0;
};

}  // namespace lumo
