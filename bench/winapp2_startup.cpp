// The program's start-up on a folder that holds PrivacyConfig.dat and a large winapp2.ini: the
// time from the start of Program::Main (special folders, settings, the configuration, winapp2.ini
// read and detected) to the main window shown with its list, and apart from it the time before
// (services and host) and the closing of the windows. On Windows (and under Wine) with the
// real services and windows, natively headless. Exits non-zero when the start fails.
// Usage: bench_winapp2_startup FOLDER
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "app/main.h"
#include "settings/application.h"
#include "settings/settings_store.h"
#include "ui/main_window.h"
#ifdef _WIN32
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_profile_api.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system_info.h"
#include "ui/win32/win32_host.h"
#else
#include "platform/portable/memory_registry.h"
#include "platform/portable/portable_clock.h"
#include "platform/portable/portable_file_system.h"
#include "platform/portable/portable_profile_api.h"
#include "platform/portable/portable_shell.h"
#include "platform/portable/portable_system_info.h"
#include "ui/headless/headless_host.h"
#endif

int main(int argc, char** argv) {
    using namespace lumo;
    const auto entered = std::chrono::steady_clock::now();
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_winapp2_startup FOLDER\n");
        return 2;
    }
#ifdef _WIN32
    Win32Registry registry;
    Win32FileSystem files;
    Win32ProfileApi profiles;
    Win32Shell shell;
    Win32Clock clock;
    Win32SystemInfo system;
    Win32Host host;
#else
    MemoryRegistry registry;
    PortableFileSystem files;
    PortableProfileApi profiles;
    PortableShell shell;
    PortableClock clock;
    PortableSystemInfo system;
    HeadlessHost host;
#endif
    Platform platform;
    platform.registry = &registry;
    platform.files = &files;
    platform.profiles = &profiles;
    platform.shell = &shell;
    platform.clock = &clock;
    platform.system = &system;
    Application app(platform, clock.Now());
    app.ProgramFolder = argv[1];
    SettingsStore store(registry, JoinPath(app.ProgramFolder, "SweepkitLumo.exe"));

    auto since = [](std::chrono::steady_clock::time_point from) {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
    };
    auto program = std::make_unique<Program>(app, host, store);
    const double ready = since(entered);
    auto start = std::chrono::steady_clock::now();
    bool started = program->Main();
    double seconds = since(start);
    int32_t rows = started ? program->Window()->lvwPItem.ItemCount() : 0;
    auto closing = std::chrono::steady_clock::now();
    program.reset();
    const double closed = since(closing);
    std::printf(
        "start-up to the main window: %.3f s (%d records, %d rows; winapp2.ini: %zu entries, %d present, "
        "%d skipped); before it %.3f s, closing %.3f s\n",
        seconds, app.ConfigSet().Count(), rows, app.winapp2.outcomes.size(),
        app.winapp2.Count(Winapp2Outcome::State::Present), app.winapp2.Count(Winapp2Outcome::State::Skipped), ready,
        closed);
    return started ? 0 : 1;
}
