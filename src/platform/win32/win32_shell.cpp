// The shell over shell32 and kernel32.
#include "platform/win32/win32_shell.h"

#include "platform/win32/win32_handles.h"
#include "platform/win32/windows_api.h"

#include <shellapi.h>
#include <shlobj.h>

#include <vector>

namespace lumo {

namespace {

// The folder functions answer into a buffer; the text ends at the first NUL.
std::string FromBuffer(const std::vector<wchar_t>& buffer) {
    size_t n = 0;
    while (n < buffer.size() && buffer[n] != L'\0')
        ++n;
    return win32::Narrow(std::wstring_view(buffer.data(), n));
}

// GetTempPath ends its answer with a backslash; the configuration writes the separator itself.
std::string WithoutTrailingBackslash(std::string path) {
    while (!path.empty() && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

template <class Query>
std::optional<std::string> AskFolder(Query query) {
    std::vector<wchar_t> buffer(MAX_PATH + 1, L'\0');
    UINT n = query(buffer.data(), static_cast<UINT>(buffer.size()));
    if (n == 0)
        return std::nullopt;
    if (n >= buffer.size()) {
        // Too small: the answer is the size needed, terminator included.
        buffer.assign(n + 1, L'\0');
        n = query(buffer.data(), static_cast<UINT>(buffer.size()));
        if (n == 0 || n >= buffer.size())
            return std::nullopt;
    }
    return WithoutTrailingBackslash(FromBuffer(buffer));
}

}  // namespace

std::optional<std::string> Win32Shell::SpecialFolderPath(int32_t csidl) {
    std::vector<wchar_t> buffer(1000, L'\0');
    if (!SHGetSpecialFolderPathW(nullptr, buffer.data(), csidl, FALSE))
        return std::nullopt;
    return FromBuffer(buffer);
}

std::optional<std::string> Win32Shell::WindowsFolder() {
    return AskFolder([](wchar_t* b, UINT n) { return GetWindowsDirectoryW(b, n); });
}

std::optional<std::string> Win32Shell::SystemFolder() {
    return AskFolder([](wchar_t* b, UINT n) { return GetSystemDirectoryW(b, n); });
}

std::optional<std::string> Win32Shell::TemporaryFolder() {
    return AskFolder([](wchar_t* b, UINT n) { return static_cast<UINT>(GetTempPathW(n, b)); });
}

std::optional<std::string> Win32Shell::EnvironmentVariable(std::string_view name) {
    std::wstring wide = win32::Widen(name);
    DWORD n = GetEnvironmentVariableW(wide.c_str(), nullptr, 0);
    if (n == 0)
        return std::nullopt;
    std::vector<wchar_t> buffer(n + 1, L'\0');
    n = GetEnvironmentVariableW(wide.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size())
        return std::nullopt;
    return FromBuffer(buffer);
}

bool Win32Shell::OpenDocument(std::string_view path, uintptr_t ownerWindow) {
    std::wstring file = win32::Widen(path);
    HINSTANCE result =
        ShellExecuteW(reinterpret_cast<HWND>(ownerWindow), L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // ShellExecute reports success as a value greater than 32.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool Win32Shell::StartCommand(std::string_view commandLine) {
    // CreateProcessW may write into the command line, so it gets its own copy.
    std::wstring line = win32::Widen(commandLine);
    line.push_back(L'\0');
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    // Nothing waits for the program: both handles are let go at once.
    win32::UniqueKernelHandle thread(pi.hThread);
    win32::UniqueKernelHandle process(pi.hProcess);
    return true;
}

}  // namespace lumo
