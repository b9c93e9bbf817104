// The kinds of kernel and registry handle the Win32 platform layer owns, each a UniqueHandle with
// its close call written once here: no other file closes a handle itself.
#pragma once

#include "base/unique_handle.h"
#include "platform/win32/windows_api.h"

namespace lumo::win32 {

// CreateFileW and other calls that answer INVALID_HANDLE_VALUE on failure.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};
using UniqueFile = UniqueHandle<FileHandleTraits>;
// Closes a file whose close must succeed (the last written data may fail to reach the disk only
// there): true when the system closed it without an error; the owner is empty either way.
inline bool CloseChecked(UniqueFile& file) { return CloseHandle(file.release()) != 0; }

// Tokens, processes, threads, events: calls that answer NULL on failure.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { CloseHandle(h); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

// FindFirstFileW's search handle.
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { FindClose(h); }
};
using UniqueFind = UniqueHandle<FindHandleTraits>;

// An opened registry key; the predefined roots are never closed.
struct RegKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static bool IsPredefined(Handle h) {
        return h == HKEY_CLASSES_ROOT || h == HKEY_CURRENT_USER || h == HKEY_LOCAL_MACHINE || h == HKEY_USERS ||
               h == HKEY_PERFORMANCE_DATA || h == HKEY_CURRENT_CONFIG || h == HKEY_DYN_DATA;
    }
    static void Close(Handle h) {
        if (!IsPredefined(h))
            RegCloseKey(h);
    }
};
using UniqueHkey = UniqueHandle<RegKeyTraits>;

// Memory the system allocated for the caller with LocalAlloc (CommandLineToArgvW, security
// descriptors, FormatMessage buffers).
struct LocalMemoryTraits {
    using Handle = HLOCAL;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { LocalFree(h); }
};
template <class T>
class UniqueLocal : public UniqueHandle<LocalMemoryTraits> {
public:
    UniqueLocal() = default;
    explicit UniqueLocal(T* p) : UniqueHandle<LocalMemoryTraits>(static_cast<HLOCAL>(p)) {}
    T* ptr() const { return static_cast<T*>(get()); }
};

}  // namespace lumo::win32
