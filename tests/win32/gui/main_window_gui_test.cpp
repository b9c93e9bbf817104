// The main window on screen, started as the program starts it: its controls with their captions,
// a click on Show that fills the list view's status column and the status bar, the schedule timer
// ticking through the real timer, About showing the program's version, and the tray icon under a
// modal window.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "gui_test_support.h"

#include <commctrl.h>

#include "app/main.h"
#include "config/crypt.h"
#include "platform/portable/memory_registry.h"
#include "platform/portable/portable_shell.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_profile_api.h"
#include "registry/reg_value.h"
#include "settings/settings_store.h"
#include "ui/main_window.h"
#include "ui/menu_holder.h"

namespace lumo {
namespace {

using namespace guitest;

class MainWindowGui : public ::testing::Test {
protected:
    MainWindowGui() {
        root = std::filesystem::temp_directory_path() /
               ("lumo-main-gui-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()));
        std::filesystem::create_directories(root / "tree" / "temp");
        for (const char* name : {"a.tmp", "b.tmp"})
            std::ofstream(root / "tree" / "temp" / name) << std::string(1500, 'x');
        std::string temp = (root / "tree" / "temp").string();
        std::ofstream config(root / "PrivacyConfig.dat", std::ios::binary);
        for (const std::string& line :
             {std::string("[Config]"), std::string("Software:Windows"), std::string("Type:Root"),
              std::string("Selected:1"), "Temp Files<>1<>0<>Folder><" + temp})
            config << Crypt::EnCrypt(line) << "\r\n";
        config.close();

        Platform p;
        p.registry = &registry;
        p.files = &files;
        p.profiles = &profiles;
        p.shell = &shell;
        p.clock = &clock;
        app = std::make_unique<Application>(p, clock.Now());
        app->ProgramFolder = root.string();
        host.OnMessageBox = [this](const MessageBoxRequest& request) -> std::optional<MsgAnswer> {
            boxes.push_back(request.text);
            return DefaultAnswer(request);
        };
    }
    ~MainWindowGui() override {
        program.reset();
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }

    MainWindow& Start() {
        program = std::make_unique<Program>(*app, host, store);
        EXPECT_TRUE(program->Main());
        return *program->Window();
    }

    std::filesystem::path root;
    MemoryRegistry registry;
    Win32FileSystem files;
    Win32ProfileApi profiles;
    PortableShell shell;
    Win32Clock clock;
    Win32Host host;
    std::unique_ptr<Application> app;
    SettingsStore store{registry, "C:\\Lumo\\SweepkitLumo.exe",
                        SettingsLocations::Below(rkCurrentUser, "Software\\SweepkitLumoTests\\gui")};
    std::unique_ptr<Program> program;
    std::vector<std::string> boxes;
};

TEST_F(MainWindowGui, OpensWithItsCaptionsListAndStatusBar) {
    MainWindow& w = Start();
    HWND window = Win32Host::WindowOf(w);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(TextOf(window), "Sweepkit Lumo");
    EXPECT_EQ(ClassOf(window), L"frmPrivacyLumo");
    for (Button* b : {&w.cmdShow, &w.cmdClear, &w.cmdRunOptions, &w.cmdItemsSettings, &w.cmdViewLog, &w.cmdHelp,
                      &w.cmdAbout, &w.cmdExit}) {
        HWND button = Win32Host::WindowOf(*b);
        ASSERT_NE(button, nullptr) << b->Name();
        EXPECT_EQ(TextOf(button), b->Caption());
    }
    HWND list = Win32Host::WindowOf(w.lvwPItem);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ClassOf(list), L"SysListView32");
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
    HWND status = Win32Host::WindowOf(w.sbrStatus);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(SendMessageW(status, SB_GETPARTS, 0, 0), 4);
}

TEST_F(MainWindowGui, ShowFillsTheStatusColumnAndTheStatusBar) {
    MainWindow& w = Start();
    PostMessageW(Win32Host::WindowOf(w.cmdShow), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil(host, [&] { return !boxes.empty(); }));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Privacy Items:2\tDisk Space:3.00 K");
    PumpUntil(host, [&] { return w.l_bProcessEnd; });

    wchar_t text[128] = {};
    LVITEMW item{};
    item.iSubItem = 1;
    item.pszText = text;
    item.cchTextMax = 128;
    SendMessageW(Win32Host::WindowOf(w.lvwPItem), LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(win32::Narrow(text), "2 items");
    HWND status = Win32Host::WindowOf(w.sbrStatus);
    std::string panels;
    for (int i = 0; i < 3; ++i) {
        wchar_t part[128] = {};
        SendMessageW(status, SB_GETTEXTW, i, reinterpret_cast<LPARAM>(part));
        panels += win32::Narrow(part) + "|";
    }
    EXPECT_EQ(panels, "ALL|2|3.00 K|");
    EXPECT_EQ(TextOf(Win32Host::WindowOf(w.cmdShow)), "Show");
    EXPECT_TRUE(std::filesystem::exists(root / "tree" / "temp" / "a.tmp")) << "a scan clears nothing";
}

TEST_F(MainWindowGui, ScheduleTimerTicksAndStartsAClearRun) {
    app->settings.ScheduleType = "interval";
    app->settings.ScheduleInterval = 0;
    MainWindow& w = Start();
    EXPECT_EQ(w.tmrSchedule.Interval(), MainWindow::kTickMilliseconds);
    w.tmrSchedule.SetInterval(50);
    ASSERT_TRUE(PumpUntil(
        host, [&] { return !boxes.empty(); }, 5000))
        << "no tick reached the window";
    EXPECT_EQ(boxes[0].rfind("Privacy Items:2", 0), 0u) << boxes[0];
    EXPECT_FALSE(std::filesystem::exists(root / "tree" / "temp" / "a.tmp"));
    w.tmrSchedule.SetEnabled(false);
}

std::string g_aboutVersion;

BOOL CALLBACK NoteVersionText(HWND child, LPARAM) {
    std::string text = TextOf(child);
    if (text.rfind("Version ", 0) == 0)
        g_aboutVersion = text;
    return TRUE;
}

// The tray icon clicked while a modal window is up. A pop-up menu there (class "#32768") is
// noted and closed, so that the test goes on even when one opens.
bool g_menuOpened = false;
HWND g_holder = nullptr;
bool g_aboutCameForward = false;

void CALLBACK CloseAnyMenu(HWND, UINT, UINT_PTR, DWORD) {
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (menu && IsWindowVisible(menu)) {
        g_menuOpened = true;
        EndMenu();
    }
}

void CALLBACK ClickTrayUnderAbout(HWND, UINT, UINT_PTR id, DWORD) {
    HWND about = FindWindowW(L"frmAbout", nullptr);
    if (!about || !IsWindowVisible(about))
        return;
    KillTimer(nullptr, id);
    SetForegroundWindow(GetWindow(about, GW_OWNER));
    SendMessageW(g_holder, win32::kTrayMessage, 1, WM_RBUTTONUP);
    SendMessageW(g_holder, win32::kTrayMessage, 1, WM_LBUTTONDBLCLK);
    g_aboutCameForward = GetForegroundWindow() == about;
    EnumChildWindows(about, NoteVersionText, 0);  // every child, those inside frames too
    PostMessageW(FindWindowExW(about, nullptr, L"Button", L"OK"), BM_CLICK, 0, 0);
}

TEST_F(MainWindowGui, TheTrayIconUnderAModalWindowOpensNoMenuAndBringsThatWindowForward) {
    MainWindow& w = Start();
    HWND main = Win32Host::WindowOf(w);
    g_holder = Win32Host::WindowOf(w.Menu());
    ASSERT_NE(g_holder, nullptr);
    g_menuOpened = false;
    g_aboutCameForward = false;
    g_aboutVersion.clear();
    UINT_PTR watch = SetTimer(nullptr, 0, 50, CloseAnyMenu);

    // Under About, a menu would offer About again (a second modal loop over the form the first
    // one still uses) and Clear Now (a run whose Stop cannot be reached).
    UINT_PTR poke = SetTimer(nullptr, 0, 100, ClickTrayUnderAbout);
    w.cmdAbout.Click();
    KillTimer(nullptr, poke);
    EXPECT_EQ(g_aboutVersion, "Version 3.2.19") << "About came from the main window with the program's version";
    EXPECT_FALSE(g_menuOpened) << "a menu opened under About";
    EXPECT_TRUE(g_aboutCameForward);
    EXPECT_TRUE(IsWindowEnabled(main)) << "the main window is back once About is closed";
    EXPECT_FALSE(IsIconic(main)) << "a double-click hid the main window under About";

    // Under a message box of the program: the farewell and the refusal to close during a run,
    // answered here while the icon is clicked.
    int boxes = 0;
    host.OnMessageBox = [&](const MessageBoxRequest&) -> std::optional<MsgAnswer> {
        SendMessageW(g_holder, win32::kTrayMessage, 1, WM_RBUTTONUP);
        ++boxes;
        return MsgAnswer::Ok;
    };
    w.l_bProcessEnd = false;
    w.cmdExit.Click();
    w.l_bProcessEnd = true;
    KillTimer(nullptr, watch);
    EXPECT_EQ(boxes, 2);
    EXPECT_FALSE(g_menuOpened) << "a menu opened under a message box";
}

}  // namespace
}  // namespace lumo
