// The main window on screen, started as the program starts it: its caption, its list and status
// bar, a click on Show that fills the list view's status column and the status bar, the schedule
// timer ticking through the real timer, About showing the program's version, and the tray icon
// under a modal window.
#include <gtest/gtest.h>

#include "gui_test_support.h"

#include "app/main.h"
#include "ui/main_window.h"
#include "ui/menu_holder.h"

namespace lumo {
namespace {

using namespace guitest;

class MainWindowGui : public ::testing::Test, public GuiProgram {
protected:
    MainWindowGui() {
        for (const char* name : {"tree/temp/a.tmp", "tree/temp/b.tmp"})
            dir.Write(name, std::string(1500, 'x'));
        WriteConfig({"[Config]", "Software:Windows", "Type:Root", "Selected:1",
                     "Temp Files<>1<>0<>Folder><" + dir.Path("tree/temp")});
    }

    MainWindow& Start() {
        program = std::make_unique<Program>(*app, host, store);
        EXPECT_TRUE(program->Main());
        return *program->Window();
    }

    std::unique_ptr<Program> program;
};

TEST_F(MainWindowGui, ShowFillsTheStatusColumnAndTheStatusBar) {
    MainWindow& w = Start();
    HWND window = Win32Host::WindowOf(w);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(TextOf(window), "Sweepkit Lumo");
    EXPECT_EQ(ClassOf(window), L"frmPrivacyLumo");
    HWND list = Win32Host::WindowOf(w.lvwPItem);
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
    HWND status = Win32Host::WindowOf(w.sbrStatus);
    EXPECT_EQ(SendMessageW(status, SB_GETPARTS, 0, 0), 4);

    PostClick(w.cmdShow);
    ASSERT_TRUE(PumpUntil(host, [&] { return !boxes.empty(); }));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Privacy Items:2\tDisk Space:3.00 K");
    PumpUntil(host, [&] { return w.l_bProcessEnd; });
    EXPECT_EQ(CellOf(list, 0, 1), "2 items");
    std::string panels;
    for (int i = 0; i < 3; ++i) {
        wchar_t part[128] = {};
        SendMessageW(status, SB_GETTEXTW, i, reinterpret_cast<LPARAM>(part));
        panels += win32::Narrow(part) + "|";
    }
    EXPECT_EQ(panels, "ALL|2|3.00 K|");
    EXPECT_EQ(TextOf(Win32Host::WindowOf(w.cmdShow)), "Show");
    EXPECT_TRUE(dir.Exists("tree/temp/a.tmp")) << "a scan clears nothing";
}

TEST_F(MainWindowGui, ScheduleTimerTicksAndStartsAClearRun) {
    app->settings.ScheduleType = "interval";
    app->settings.ScheduleInterval = 0;
    store.SaveSystemSettings(app->settings);  // what the start reads
    MainWindow& w = Start();
    EXPECT_EQ(w.tmrSchedule.Interval(), MainWindow::kTickMilliseconds);
    w.tmrSchedule.SetInterval(50);
    ASSERT_TRUE(PumpUntil(
        host, [&] { return !boxes.empty(); }, 5000))
        << "no tick reached the window";
    EXPECT_EQ(boxes[0].rfind("Privacy Items:2", 0), 0u) << boxes[0];
    EXPECT_FALSE(dir.Exists("tree/temp/a.tmp"));
    w.tmrSchedule.SetEnabled(false);
}

BOOL CALLBACK NoteVersionText(HWND child, LPARAM version) {
    if (std::string text = TextOf(child); text.rfind("Version ", 0) == 0)
        *reinterpret_cast<std::string*>(version) = text;
    return TRUE;
}

// The tray icon clicked while a modal window is up. A pop-up menu there (class "#32768") is
// noted and closed, so that the test goes on even when one opens.
TEST_F(MainWindowGui, TheTrayIconUnderAModalWindowOpensNoMenuAndBringsThatWindowForward) {
    MainWindow& w = Start();
    HWND main = Win32Host::WindowOf(w);
    HWND holder = Win32Host::WindowOf(w.Menu());
    ASSERT_NE(holder, nullptr);
    bool menuOpened = false, aboutCameForward = false;
    std::string version;
    Ticker watch(50, [&] {
        HWND menu = FindWindowW(L"#32768", nullptr);
        if (menu && IsWindowVisible(menu)) {
            menuOpened = true;
            EndMenu();
        }
        return true;
    });

    // Under About, a menu would offer About again (a second modal loop over the form the first
    // one still uses) and Clear Now (a run whose Stop cannot be reached).
    Ticker poke(100, [&] {
        HWND about = FindWindowW(L"frmAbout", nullptr);
        if (!about || !IsWindowVisible(about))
            return true;
        SetForegroundWindow(GetWindow(about, GW_OWNER));
        SendMessageW(holder, win32::kTrayMessage, 1, WM_RBUTTONUP);
        SendMessageW(holder, win32::kTrayMessage, 1, WM_LBUTTONDBLCLK);
        aboutCameForward = GetForegroundWindow() == about;
        EnumChildWindows(about, NoteVersionText, reinterpret_cast<LPARAM>(&version));  // inside frames too
        PostMessageW(FindWindowExW(about, nullptr, L"Button", L"OK"), BM_CLICK, 0, 0);
        return false;
    });
    w.cmdAbout.Click();
    EXPECT_EQ(version, "Version 3.2.19") << "About came from the main window with the program's version";
    EXPECT_FALSE(menuOpened) << "a menu opened under About";
    EXPECT_TRUE(aboutCameForward);
    EXPECT_TRUE(IsWindowEnabled(main)) << "the main window is back once About is closed";
    EXPECT_FALSE(IsIconic(main)) << "a double-click hid the main window under About";

    // Under a message box of the program: the farewell and the refusal to close during a run,
    // answered here while the icon is clicked.
    int shown = 0;
    host.OnMessageBox = [&](const MessageBoxRequest&) -> std::optional<MsgAnswer> {
        SendMessageW(holder, win32::kTrayMessage, 1, WM_RBUTTONUP);
        ++shown;
        return MsgAnswer::Ok;
    };
    w.l_bProcessEnd = false;
    w.cmdExit.Click();
    w.l_bProcessEnd = true;
    EXPECT_EQ(shown, 2);
    EXPECT_FALSE(menuOpened) << "a menu opened under a message box";
}

}  // namespace
}  // namespace lumo
