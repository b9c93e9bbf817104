// The real main window under the Win32 host, on the configuration in FOLDER\PrivacyConfig.dat:
// one click on Show or Clear, timed from the click to the summary box, with the number of times
// the status bar's trace counter was repainted and the shortest gap between two repaints; or,
// with "stop", a Show stopped by a click on Stop after 1,000 traces, timed from the click to the
// summary. bench/window_run.sh runs it beside the lumo command on the same tree.
// Usage: bench_window_run FOLDER show|clear|stop        (Windows builds only)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "cleaner/customize_parsers.h"
#include "config/privacy_configs.h"
#include "config/system_folders.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_profile_api.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system_info.h"
#include "settings/application.h"
#include "settings/settings_store.h"
#include "ui/main_window.h"
#include "ui/win32/win32_host.h"

#include <commctrl.h>

namespace {

using Clock = std::chrono::steady_clock;

HWND g_statusBar = nullptr;
std::vector<Clock::time_point> g_counterShown;
HWND g_runButton = nullptr;
int g_clicksTaken = 0;
Clock::time_point g_stopTaken{};

// Every text the status bar's second panel (the trace counter) is given.
LRESULT CALLBACK WatchStatusBar(int code, WPARAM w, LPARAM l) {
    auto* msg = reinterpret_cast<CWPSTRUCT*>(l);
    if (code == HC_ACTION && msg->hwnd == g_statusBar && msg->message == SB_SETTEXTW && LOWORD(msg->wParam) == 1)
        g_counterShown.push_back(Clock::now());
    return CallNextHookEx(nullptr, code, w, l);
}

// The clicks on the run button as the window takes them from its queue: the second is Stop.
LRESULT CALLBACK WatchClicks(int code, WPARAM w, LPARAM l) {
    auto* msg = reinterpret_cast<MSG*>(l);
    if (code == HC_ACTION && w == PM_REMOVE && msg->hwnd == g_runButton && msg->message == BM_CLICK &&
        ++g_clicksTaken == 2)
        g_stopTaken = Clock::now();
    return CallNextHookEx(nullptr, code, w, l);
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_window_run FOLDER show|clear|stop\n");
        return 2;
    }
    std::string folder = argv[1];
    std::string mode = argv[2];

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
    app.ProgramFolder = folder;
    // The program's start-up, as lumo.exe also does it: special folders, the special parser and
    // the settings (read only), so that both run on the same settings.
    lumo::InitSpecialFolders(app.folders, &shell, &registry);
    lumo::SpecialParser parser;
    app.SetSpecialParser(&parser);
    lumo::SettingsStore(registry, folder + "\\SweepkitLumo.exe").ReadSystemSettings(app.settings);

    lumo::Win32Host host;
    Clock::time_point clicked{}, summary{};
    std::string summaryText;
    host.OnMessageBox = [&](const lumo::MessageBoxRequest& request) -> std::optional<lumo::MsgAnswer> {
        if (request.text.rfind("Privacy Items:", 0) == 0) {
            summary = Clock::now();
            summaryText = request.text;
            return lumo::MsgAnswer::Ok;
        }
        if (request.text.rfind("Are you sure", 0) == 0)
            return lumo::MsgAnswer::Yes;
        std::fprintf(stderr, "unexpected box: %s\n", request.text.c_str());
        return lumo::DefaultAnswer(request);
    };

    lumo::MainWindow window(host, app);
    window.Load();
    if (window.LoadFailure()) {
        std::fprintf(stderr, "the configuration in %s did not load\n", folder.c_str());
        return 1;
    }
    // Let the window paint itself before the clock starts.
    for (int i = 0; i < 20; ++i) {
        host.DoEvents();
        Sleep(10);
    }

    g_statusBar = lumo::Win32Host::WindowOf(window.sbrStatus);
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchStatusBar, nullptr, GetCurrentThreadId());
    HWND button = lumo::Win32Host::WindowOf(mode == "clear" ? window.cmdClear : window.cmdShow);
    g_runButton = button;
    HHOOK clickHook = SetWindowsHookExW(WH_GETMESSAGE, WatchClicks, nullptr, GetCurrentThreadId());
    lumo::Subscription stopper;
    Clock::time_point stopClicked{};
    int traces = 0;
    if (mode == "stop") {
        stopper = app.ConfigSet().AppendValue.Subscribe([&](lumo::PrivacyItem&, const lumo::PrivacyValuePtr&) {
            if (++traces == 1000) {
                stopClicked = Clock::now();
                PostMessageW(button, BM_CLICK, 0, 0);
            }
        });
    }

    clicked = Clock::now();
    PostMessageW(button, BM_CLICK, 0, 0);
    while (summary == Clock::time_point{} && !host.Ended()) {
        host.DoEvents();
        Sleep(1);
    }
    UnhookWindowsHookEx(hook);
    UnhookWindowsHookEx(clickHook);

    double minGap = 0;
    for (size_t i = 1; i < g_counterShown.size(); ++i) {
        double gap = Seconds(g_counterShown[i] - g_counterShown[i - 1]);
        minGap = i == 1 ? gap : std::min(minGap, gap);
    }
    std::replace(summaryText.begin(), summaryText.end(), '\t', ' ');
    std::printf("summary             %s\n", summaryText.c_str());
    std::printf("click to summary    %.3f s\n", Seconds(summary - clicked));
    std::printf("counter repaints    %zu (%.1f a second, shortest gap %.1f ms)\n", g_counterShown.size(),
                g_counterShown.size() / std::max(Seconds(summary - clicked), 1e-9), minGap * 1000);
    if (mode == "stop" && stopClicked == Clock::time_point{}) {
        std::fprintf(stderr, "the run ended before its 1,000th trace: Stop was never clicked\n");
        return 1;
    }
    if (mode == "stop") {
        std::printf("stop to summary     %.1f ms\n", Seconds(summary - stopClicked) * 1000);
        if (g_stopTaken != Clock::time_point{})
            std::printf("  taken after       %.1f ms, then %.1f ms to the summary\n",
                        Seconds(g_stopTaken - stopClicked) * 1000, Seconds(summary - g_stopTaken) * 1000);
    }
    return 0;
}
