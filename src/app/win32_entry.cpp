// The program's entry point on Windows: the real platform services and the Win32 host, then
// start-up and the message loop. Compiled into the SweepkitLumo program only.
#ifdef _WIN32

#include <exception>
#include <string>

#include "app/main.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_profile_api.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system_info.h"
#include "platform/win32/windows_api.h"
#include "settings/application.h"
#include "settings/settings_store.h"
#include "ui/win32/win32_host.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    try {
        lumo::Win32Registry registry;
        lumo::Win32FileSystem files;
        lumo::Win32ProfileApi profiles;
        lumo::Win32Shell shell;
        lumo::Win32Clock clock;
        lumo::Win32SystemInfo system;
        lumo::Platform platform;
        platform.registry = &registry;
        platform.files = &files;
        platform.profiles = &profiles;
        platform.shell = &shell;
        platform.clock = &clock;
        platform.system = &system;

        lumo::Application app(platform, clock.Now());
        std::string programPath = lumo::RunningProgramPath();
        std::string_view name = lumo::FileNameOf(programPath);
        app.ProgramFolder = programPath.substr(0, programPath.size() - name.size());
        while (!app.ProgramFolder.empty() && app.ProgramFolder.back() == '\\')
            app.ProgramFolder.pop_back();

        // A handler's failure is shown in a box by the host, which also names the handler in
        // the debugger output.
        lumo::Win32Host host(instance);
        lumo::SettingsStore store(registry, programPath);
        lumo::Program program(app, host, store);
        if (!program.Main())
            return 1;
        return host.Run();
    } catch (const std::exception& e) {
        // Nothing below lets a failure escape; should one, it is said once rather than lost.
        MessageBoxW(nullptr, lumo::win32::Widen(e.what()).c_str(), L"Sweepkit Lumo", MB_OK | MB_ICONERROR);
        return 1;
    }
}

#endif  // _WIN32
