// The console services over kernel32 and shell32: the wide command line, GetModuleFileNameW,
// SetConsoleCtrlHandler and the console output code page.
#include "platform/console.h"

#include "platform/win32/win32_handles.h"
#include "platform/win32/windows_api.h"

#include <shellapi.h>

namespace lumo {

namespace {

std::atomic<bool> g_interrupted{false};

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI OnConsoleControl(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        // FALSE hands a second interrupt on to the default handler, which ends the process.
        return g_interrupted.exchange(true) ? FALSE : TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    win32::UniqueLocal<LPWSTR> wide(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!wide)
        return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i)
        args.push_back(win32::Narrow(wide.ptr()[i]));
    return args;
}

std::string RunningProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        // A path that did not fit is cut and the count equals the buffer size.
        if (n < path.size()) {
            path.resize(n);
            return win32::Narrow(path);
        }
        path.resize(path.size() * 2);
    }
}

const std::atomic<bool>& WatchConsoleInterrupt() {
    static const bool installed = SetConsoleCtrlHandler(OnConsoleControl, TRUE) != 0;
    (void)installed;
    return g_interrupted;
}

void UseUtf8ConsoleOutput() { SetConsoleOutputCP(CP_UTF8); }

}  // namespace lumo
