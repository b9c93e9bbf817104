// The entry point of lumo: the real Win32 services on Windows, the portable ones elsewhere (there
// the registry is an empty one kept in memory, so registry items find nothing).
#include <iostream>
#include <string>
#include <vector>

#include "lumo_console.h"
#include "platform/console.h"

#ifdef _WIN32
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_profile_api.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system_info.h"
#else
#include "platform/portable/memory_registry.h"
#include "platform/portable/portable_clock.h"
#include "platform/portable/portable_file_system.h"
#include "platform/portable/portable_profile_api.h"
#include "platform/portable/portable_shell.h"
#include "platform/portable/portable_system_info.h"
#endif

int main(int argc, char** argv) {
    std::vector<std::string> args = lumo::ProgramArguments(argc, argv);
#ifdef _WIN32
    lumo::Win32Registry registry;
    lumo::Win32FileSystem files;
    lumo::Win32ProfileApi profiles;
    lumo::Win32Shell shell;
    lumo::Win32Clock clock;
    lumo::Win32SystemInfo system;
#else
    lumo::MemoryRegistry registry;
    lumo::PortableFileSystem files;
    lumo::PortableProfileApi profiles;
    lumo::PortableShell shell;
    lumo::PortableClock clock;
    lumo::PortableSystemInfo system;
#endif
    lumo::Platform platform;
    platform.registry = &registry;
    platform.files = &files;
    platform.profiles = &profiles;
    platform.shell = &shell;
    platform.clock = &clock;
    platform.system = &system;
    lumo::UseUtf8ConsoleOutput();
    const std::atomic<bool>& interrupt = lumo::WatchConsoleInterrupt();
    return lumo::LumoMain(args, platform, lumo::RunningProgramPath(), std::cout, std::cerr, &interrupt);
}
