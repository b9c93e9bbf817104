// RegistryApi over advapi32's wide functions.
#include "platform/win32/win32_registry.h"

#include "platform/win32/win32_handles.h"
#include "platform/win32/windows_api.h"

#include <sddl.h>

#include <cstring>
#include <string>

namespace lumo {

namespace {

// The predefined roots are sign-extended 32-bit values on 64-bit Windows.
HKEY ToHkey(RegHandle key) {
    if (IsPredefinedRoot(key))
        return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(static_cast<uint32_t>(key))));
    return reinterpret_cast<HKEY>(key);
}

RegHandle FromHkey(HKEY key) { return reinterpret_cast<RegHandle>(key); }

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Stored data as this interface passes it: string types from UTF-16 to UTF-8, ending in a zero
// byte; other types unchanged.
std::string ToInterfaceData(DWORD type, const BYTE* bytes, DWORD size) {
    if (!IsStringType(type))
        return std::string(reinterpret_cast<const char*>(bytes), size);
    size_t units = size / 2;
    std::wstring wide(units, L'\0');
    if (units)
        std::memcpy(wide.data(), bytes, units * 2);
    std::string out = win32::Narrow(wide);
    if (out.empty() || out.back() != '\0')
        out.push_back('\0');
    return out;
}

// Data to be stored: string types from UTF-8 to UTF-16 (their zero bytes become zero
// characters), other types unchanged.
std::string FromInterfaceData(DWORD type, const uint8_t* data, uint32_t size) {
    if (!IsStringType(type) || size == 0)
        return std::string(reinterpret_cast<const char*>(data), size);
    std::wstring wide = win32::Widen(std::string_view(reinterpret_cast<const char*>(data), size));
    return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
}

// Hands converted data to the caller's buffer with the interface's size rules.
int32_t Deliver(const std::string& out, uint8_t* data, uint32_t& dataSize) {
    uint32_t size = static_cast<uint32_t>(out.size());
    if (data && size > dataSize) {
        dataSize = size;
        return ERROR_MORE_DATA;
    }
    if (data && size)
        std::memcpy(data, out.data(), size);
    dataSize = size;
    return ERROR_SUCCESS;
}

}  // namespace

int32_t Win32Registry::OpenKey(RegHandle key, std::string_view subKey, uint32_t rights, RegHandle& result) {
    HKEY out = nullptr;
    LONG rc = RegOpenKeyExW(ToHkey(key), win32::Widen(subKey).c_str(), 0, rights, &out);
    if (rc == ERROR_SUCCESS)
        result = FromHkey(out);
    return rc;
}

int32_t Win32Registry::QueryInfoKey(RegHandle key, RegKeyInfo& info) {
    DWORD subKeys = 0, maxSubKeyLen = 0, maxClassLen = 0, values = 0, maxValueNameLen = 0, maxValueLen = 0;
    LONG rc = RegQueryInfoKeyW(ToHkey(key), nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLen, &maxClassLen, &values,
                               &maxValueNameLen, &maxValueLen, nullptr, nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    info.subKeys = subKeys;
    info.maxSubKeyLen = maxSubKeyLen;
    info.maxClassLen = maxClassLen;
    info.values = values;
    info.maxValueNameLen = maxValueNameLen;
    // The stored size counts UTF-16 bytes for strings; as UTF-8 a string takes at most 3 bytes
    // per 2 stored, plus the zero byte added to a string stored without one.
    info.maxValueLen = maxValueLen + (maxValueLen + 1) / 2 + 1;
    return ERROR_SUCCESS;
}

int32_t Win32Registry::EnumKey(RegHandle key, uint32_t index, std::string& name, uint32_t nameChars) {
    std::wstring buffer(nameChars ? nameChars : 1, L'\0');
    DWORD len = nameChars;
    LONG rc = RegEnumKeyExW(ToHkey(key), index, buffer.data(), &len, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_SUCCESS)
        name = win32::Narrow(std::wstring_view(buffer.data(), len));
    return rc;
}

int32_t Win32Registry::EnumValue(RegHandle key, uint32_t index, std::string& name, uint32_t nameChars, uint32_t& type,
                                 uint8_t* data, uint32_t& dataSize) {
    std::wstring nameBuffer(nameChars ? nameChars : 1, L'\0');
    // The stored bytes are read into a buffer of this object's own that grows to the largest
    // value seen; one call per value unless a value is larger than any before it.
    for (;;) {
        DWORD len = nameChars, valueType = 0, size = static_cast<DWORD>(buffer_.size());
        LONG rc =
            RegEnumValueW(ToHkey(key), index, nameBuffer.data(), &len, nullptr, &valueType, buffer_.data(), &size);
        if (rc == ERROR_MORE_DATA) {
            // Either the name or the data does not fit: asking again without a data buffer tells.
            len = nameChars;
            DWORD needed = 0;
            rc = RegEnumValueW(ToHkey(key), index, nameBuffer.data(), &len, nullptr, &valueType, nullptr, &needed);
            if (rc != ERROR_SUCCESS)
                return rc;
            buffer_.resize(static_cast<size_t>(needed) + 2);
            continue;
        }
        if (rc != ERROR_SUCCESS)
            return rc;
        type = valueType;
        rc = Deliver(ToInterfaceData(valueType, buffer_.data(), size), data, dataSize);
        if (rc == ERROR_SUCCESS)
            name = win32::Narrow(std::wstring_view(nameBuffer.data(), len));
        return rc;
    }
}

int32_t Win32Registry::QueryValue(RegHandle key, std::string_view valueName, uint32_t& type, uint8_t* data,
                                  uint32_t& dataSize) {
    std::wstring wideName = win32::Widen(valueName);
    for (;;) {
        DWORD valueType = 0, size = static_cast<DWORD>(buffer_.size());
        LONG rc = RegQueryValueExW(ToHkey(key), wideName.c_str(), nullptr, &valueType, buffer_.data(), &size);
        if (rc == ERROR_MORE_DATA) {
            buffer_.resize(static_cast<size_t>(size) + 2);
            continue;
        }
        if (rc != ERROR_SUCCESS)
            return rc;
        type = valueType;
        return Deliver(ToInterfaceData(valueType, buffer_.data(), size), data, dataSize);
    }
}

int32_t Win32Registry::CreateKey(RegHandle key, std::string_view subKey, uint32_t rights, RegHandle& result) {
    HKEY out = nullptr;
    LONG rc = RegCreateKeyExW(ToHkey(key), win32::Widen(subKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, rights,
                              nullptr, &out, nullptr);
    if (rc == ERROR_SUCCESS)
        result = FromHkey(out);
    return rc;
}

int32_t Win32Registry::SetValue(RegHandle key, std::string_view valueName, uint32_t type, const uint8_t* data,
                                uint32_t dataSize) {
    std::string stored = FromInterfaceData(type, data, dataSize);
    return RegSetValueExW(ToHkey(key), win32::Widen(valueName).c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(stored.data()), static_cast<DWORD>(stored.size()));
}

int32_t Win32Registry::DeleteKey(RegHandle key, std::string_view subKey) {
    return RegDeleteKeyW(ToHkey(key), win32::Widen(subKey).c_str());
}

int32_t Win32Registry::DeleteValue(RegHandle key, std::string_view valueName) {
    return RegDeleteValueW(ToHkey(key), win32::Widen(valueName).c_str());
}

int32_t Win32Registry::CloseKey(RegHandle key) {
    if (IsPredefinedRoot(key))
        return ERROR_SUCCESS;
    return RegCloseKey(ToHkey(key));
}

int32_t Win32Registry::GetKeySecurity(RegHandle key, uint32_t securityInformation, uint8_t* descriptor,
                                      uint32_t& size) {
    DWORD len = size;
    LONG rc = RegGetKeySecurity(ToHkey(key), securityInformation, descriptor, &len);
    size = len;
    return rc;
}

int32_t Win32Registry::SetKeySecurity(RegHandle key, uint32_t securityInformation,
                                      const std::vector<uint8_t>& descriptor) {
    if (descriptor.empty())
        return ERROR_INVALID_PARAMETER;
    std::vector<uint8_t> copy = descriptor;
    return RegSetKeySecurity(ToHkey(key), securityInformation, copy.data());
}

std::vector<uint8_t> Win32Registry::DescriptorDenying(uint32_t rights) {
    std::wstring sddl = L"D:";
    if (rights) {
        wchar_t mask[16];
        swprintf(mask, 16, L"0x%lx", static_cast<unsigned long>(rights));
        sddl += L"(D;;" + std::wstring(mask) + L";;;WD)";
    }
    sddl += L"(A;;KA;;;WD)";
    win32::UniqueLocal<void> sd;
    ULONG len = 0;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, sd.out(), &len))
        return {};
    const uint8_t* bytes = static_cast<const uint8_t*>(sd.get());
    return std::vector<uint8_t>(bytes, bytes + GetSecurityDescriptorLength(sd.get()));
}

}  // namespace lumo
