// The program's windows on screen, started as the program starts them. The main window: its
// caption, its list and status bar, a click on Show that fills the list view's status column and
// the status bar, the schedule timer ticking through the real timer, About showing the program's
// version, and the tray icon under a modal window. frmAbout on its own: the version from the
// program's own version resource, the icons the program carries, the separator line drawn.
// Every window opened and closed ten times over leaves no drawing object, window, menu or icon
// behind: the process's GDI and USER object counts, and the windows of the thread, come back to
// where they were after a first round that let the system make what it keeps; and every window,
// font, menu and icon the windows showed is gone once the program has ended. (Wine's
// GetGuiResources answers 0 for both kinds: there the handles seen are what is checked.)
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gui_test_support.h"

#include "app/main.h"
#include "base/text.h"
#include "ui/about_window.h"
#include "ui/items_settings_test_config.h"
#include "ui/items_settings_window.h"
#include "ui/program_icons.h"
#include "ui/main_window.h"
#include "ui/menu_holder.h"
#include "ui/run_options_window.h"
#include "ui/win32/gdi_handles.h"

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
    HWND window = Of(w);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(std::tuple(IsWindowVisible(window), TextOf(window), ClassOf(window)),
              std::tuple(TRUE, "Sweepkit Lumo", L"frmPrivacyLumo"));
    HWND list = Of(w.lvwPItem);
    EXPECT_EQ(Send(list, LVM_GETITEMCOUNT), 1);
    EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
    HWND status = Of(w.sbrStatus);
    EXPECT_EQ(Send(status, SB_GETPARTS), 4);

    PostClick(w.cmdShow);
    ASSERT_TRUE(PumpUntil(host, [&] { return !boxes.empty(); }));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Privacy Items:2\tDisk Space:3.00 K");
    PumpUntil(host, [&] { return w.l_bProcessEnd; });
    EXPECT_EQ(CellOf(list, 0, 1), "2 items");
    EXPECT_EQ(PanelText(status, 0) + "|" + PanelText(status, 1) + "|" + PanelText(status, 2), "ALL|2|3.00 K");
    EXPECT_EQ(TextOf(w.cmdShow), "Show");
    EXPECT_TRUE(dir.Exists("tree/temp/a.tmp")) << "a scan clears nothing";
}

TEST_F(MainWindowGui, ScheduleTimerTicksAndStartsAClearRun) {
    app->settings.ScheduleType = "interval";
    app->settings.ScheduleInterval = 0;
    store.SaveSystemSettings(app->settings);  // what the start reads
    MainWindow& w = Start();
    EXPECT_EQ(w.tmrSchedule.Interval(), MainWindow::kTickMilliseconds);
    w.tmrSchedule.SetInterval(50);
    ASSERT_TRUE(PumpUntil(host, 5000, [&] { return !boxes.empty(); })) << "no tick reached the window";
    EXPECT_EQ(boxes[0].rfind("Privacy Items:2", 0), 0u) << boxes[0];
    EXPECT_FALSE(dir.Exists("tree/temp/a.tmp"));
    w.tmrSchedule.SetEnabled(false);
}

// The tray icon clicked while a modal window is up. A pop-up menu there (class "#32768") is
// noted and closed, so that the test goes on even when one opens.
TEST_F(MainWindowGui, TheTrayIconUnderAModalWindowOpensNoMenuAndBringsThatWindowForward) {
    MainWindow& w = Start();
    HWND main = Of(w);
    HWND holder = Of(w.Menu());
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
        ForChildWindows(about, [&](HWND child) {  // inside frames too
            version = TextOf(child).rfind("Version ", 0) == 0 ? TextOf(child) : version;
            return true;
        });
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

TEST(AboutWindowGui, ReadsTheVersionFromTheProgramsOwnResource) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::optional<VersionNumbers> version = ReadVersionResource(path);
    ASSERT_TRUE(version.has_value()) << "the test program carries the program's resources";
    EXPECT_EQ(*version, (VersionNumbers{3, 2, 19}));
    EXPECT_FALSE(ReadVersionResource(L"C:\\windows\\no-such-file.exe").has_value());
}

TEST(AboutWindowGui, TheProgramCarriesItsIconAndTheNineListIcons) {
    HINSTANCE self = GetModuleHandleW(nullptr);
    std::vector<std::string> names = {kProgramIcon};
    for (const char* key :
         {"win", "winshow", "windelete", "mie", "mieshow", "miedelete", "app", "appshow", "appdelete"})
        names.push_back(ListIconResource(key));
    for (const std::string& name : names)
        for (int size : {16, 32, 48}) {
            HANDLE icon = LoadImageW(self, win32::Widen(name).c_str(), IMAGE_ICON, size, size, LR_DEFAULTCOLOR);
            EXPECT_NE(icon, nullptr) << name << " at " << size;
            if (icon)
                DestroyIcon(static_cast<HICON>(icon));
        }
    // The manifest asks for the common controls 6, which come from the side-by-side store (Wine's
    // copy answers DllGetVersion with 5 all the same, so the place is what tells).
    HMODULE controls = GetModuleHandleW(L"comctl32.dll");
    ASSERT_NE(controls, nullptr);
    wchar_t loaded[MAX_PATH] = {};
    GetModuleFileNameW(controls, loaded, MAX_PATH);
    std::string path = LowerCase(win32::Narrow(loaded));
    EXPECT_NE(path.find("common-controls_6595b64144ccf1df_6.0."), std::string::npos) << path;
}

// The pixels of a shown control, border included, that differ from the dialog's face colour.
int PaintedPixels(HWND control) {
    auto [width, height] = SizeOf(ScreenRectOf(control));
    HDC window = GetWindowDC(control);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    int painted = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            painted += GetPixel(window, x, y) != face;
    ReleaseDC(control, window);
    return painted;
}

TEST(AboutWindowGui, TheSeparatorLineIsDrawnAcrossTheWindow) {
    Win32Host host;
    AboutWindow about(host);
    about.Show();
    PumpFor(host, 100);
    HWND line = Of(about.Frame2);
    ASSERT_NE(line, nullptr);
    EXPECT_GE(PaintedPixels(line), SizeOf(ScreenRectOf(line))[0]) << "at least one pixel a column along its length";
}

// Shown modally from the main window in the tray icon test above; here what it shows.
TEST(AboutWindowGui, ShowsTheVersionAndIconAndOkClosesIt) {
    Win32Host host;
    AboutWindow about(host);
    about.OnLoad = [&] { about.Form_Load(); };
    about.Show();
    HWND window = Of(about);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(std::tuple(TextOf(about.lblVersion), TextOf(window), Send(about.Image1, STM_GETICON) != 0),
              std::tuple("Version 3.2.19", "About Sweepkit Lumo", true))
        << "version, caption, icon";
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    LOGFONTW font = FontOf(Of(about.Label1));
    EXPECT_EQ(std::pair(std::wstring(font.lfFaceName), font.lfWeight),
              std::pair(std::wstring(L"Courier New"), LONG{FW_BOLD}));
    Send(about.cmdOk, BM_CLICK);
    EXPECT_EQ(std::pair(about.Loaded(), IsWindow(window)), std::pair(false, FALSE)) << "OK closes it";
}

using Counts = std::array<long, 3>;  // GDI objects, USER objects, the thread's windows with their children

// The program's own windows (their classes carry the forms' names) and message boxes.
int ProgramWindows() {
    int count = 0;
    ForThreadWindows([&](HWND hwnd) {
        std::wstring name = ClassOf(hwnd);
        count += name.rfind(L"frm", 0) == 0 || name == L"#32770";
        return true;
    });
    return count;
}

Counts CountNow() {
    Counts c{static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)),
             static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)), 0};
    ForThreadWindows([&](HWND hwnd) {
        ++c[2];
        ForChildWindows(hwnd, [&](HWND) { return ++c[2] > 0; });
        return true;
    });
    return c;
}

// Whether GetGuiResources counts here: a font, an icon and a menu made must show in the counts.
// (Wine answers a constant 0 for both kinds.)
bool GuiResourcesCount() {
    Counts before = CountNow();
    win32::UniqueFont font(
        CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial"));
    win32::UniqueMenu menu(CreatePopupMenu());
    Counts during = CountNow();
    return during[0] > before[0] && during[1] > before[1];
}

// The windows, fonts, menus and icons the program's windows showed in one round.
struct Seen {
    std::vector<HWND> windows;
    std::vector<HGDIOBJ> fonts;
    std::vector<HMENU> menus;
    std::vector<HICON> icons;

    void Note(HWND hwnd) {
        windows.push_back(hwnd);
        auto font = reinterpret_cast<HGDIOBJ>(Send(hwnd, WM_GETFONT));
        bool stock = false;
        for (int i = OEM_FIXED_FONT; i <= DEFAULT_GUI_FONT; ++i)
            stock = stock || font == GetStockObject(i);
        if (font && !stock && GetObjectType(font) == OBJ_FONT)
            fonts.push_back(font);
        if (ClassOf(hwnd) == L"Static")
            if (auto icon = reinterpret_cast<HICON>(Send(hwnd, STM_GETICON)))
                icons.push_back(icon);
    }
    // A form's window with its menu bar, its icons and every control inside it.
    void NoteForm(HWND form) {
        Note(form);
        if (HMENU bar = GetMenu(form))
            menus.push_back(bar);
        for (WPARAM kind : {ICON_BIG, ICON_SMALL})
            if (auto icon = reinterpret_cast<HICON>(Send(form, WM_GETICON, kind)))
                icons.push_back(icon);
        ForChildWindows(form, [this](HWND child) {
            Note(child);
            return true;
        });
    }
    // What is still there; empty when everything went.
    std::vector<std::string> Left() const {
        std::vector<std::string> left;
        for (HWND h : windows)
            if (IsWindow(h))
                left.push_back("window " + win32::Narrow(ClassOf(h).c_str()));
        for (HGDIOBJ h : fonts)
            if (GetObjectType(h) != 0)
                left.push_back("font");
        for (HMENU h : menus)
            if (IsMenu(h))
                left.push_back("menu");
        for (HICON h : icons)
            if (IconAlive(h))
                left.push_back("icon");
        return left;
    }
};

// The program started as it starts, each of its windows opened by its button and closed by the
// user, a message box shown and answered, and the program ended by closing its window; what
// its windows showed goes to `seen`. Each round has services and a host of its own, as each
// start of the program has.
void Round(Seen& seen) {
    static constexpr const char* kProbeText = "Leak probe";
    GuiProgram env;
    // Every record Items Settings shows, and one of a plug-in.
    using namespace lumo::testing;
    env.WriteConfig(BuiltInRecords() + PluginLines("Tool", true));
    Win32Host& host = env.host;
    Program program(*env.app, host, env.store);
    ASSERT_TRUE(program.Main());
    MainWindow& main = *program.Window();
    HWND mainWindow = Of(main);
    ASSERT_NE(mainWindow, nullptr);
    seen.NoteForm(mainWindow);

    // Items Settings and Run Options, each opened by its button and closed by its Cancel button.
    for (auto [button, name] :
         {std::pair{&main.cmdItemsSettings, L"frmItemsSettings"}, {&main.cmdRunOptions, L"frmRunOptions"}}) {
        PostClick(*button);
        HWND form = nullptr;
        ASSERT_TRUE(PumpUntil(host, [&, name = name] { return (form = FindWindowW(name, nullptr)) != nullptr; }));
        seen.NoteForm(form);
        PostMessageW(FindWindowExW(form, nullptr, L"Button", L"Cancel"), BM_CLICK, 0, 0);
        ASSERT_TRUE(PumpUntil(host, [name = name] { return FindWindowW(name, nullptr) == nullptr; }));
    }
    ASSERT_NE(program.ItemsSettings(), nullptr) << "the program keeps its Items Settings";

    // About and the message box run modal loops of their own; a timer of the thread, which those
    // loops dispatch, closes them.
    bool aboutSeen = false;
    {
        Ticker close(50, [&] {
            HWND about = FindWindowW(L"frmAbout", nullptr);
            if (!about || !IsWindowVisible(about))
                return true;
            if (!aboutSeen)
                seen.NoteForm(about);
            aboutSeen = true;
            PostMessageW(FindWindowExW(about, nullptr, L"Button", L"OK"), BM_CLICK, 0, 0);
            return true;
        });
        PostClick(main.cmdAbout);
        ASSERT_TRUE(PumpUntil(host, [&] { return aboutSeen && !FindWindowW(L"frmAbout", nullptr); }));
    }

    bool boxSeen = false;
    env.answers = {std::nullopt};  // the real box
    MsgAnswer answer;
    {
        Ticker close(50, [&] {
            if (HWND box = ShownBox()) {
                if (!boxSeen)
                    seen.Note(box);
                boxSeen = true;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
            }
            return true;
        });
        answer = host.MsgBox(kProbeText, MsgButtons::OkOnly, MsgIcon::Information, MsgDefault::Button1, "Sweepkit Lumo",
                             &main);
    }
    EXPECT_TRUE(boxSeen) << "the message box was not shown";
    EXPECT_EQ(answer, MsgAnswer::Ok);
    EXPECT_EQ(env.boxes, std::vector<std::string>{kProbeText}) << "no other box";

    PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil(host, [&] { return !IsWindow(mainWindow); }));
    // The program's loop would end on the quit it posted; the next round starts a new one.
    DropQuit();
}

// Checked once the round is over: the host, its fonts and every window are gone here.
void CheckRound(const Seen& seen, const std::string& which) {
    // The program's windows have no menu bar today: menus are checked where there are any.
    EXPECT_FALSE(seen.windows.empty() || seen.fonts.empty() || seen.icons.empty())
        << which << ": windows " << seen.windows.size() << ", fonts " << seen.fonts.size() << ", menus "
        << seen.menus.size() << ", icons " << seen.icons.size();
    EXPECT_EQ(seen.Left(), std::vector<std::string>{}) << which;
}

TEST(GuiResourcesGui, OpeningAndClosingEveryWindowTenTimesLeavesNothingBehind) {
    const bool counted = GuiResourcesCount();
    if (!counted)
        std::printf(
            "GetGuiResources gives no counts here (GDI %lu, USER %lu): the windows and the handles "
            "seen are compared\n",
            GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    Seen seen;
    ASSERT_NO_FATAL_FAILURE(Round(seen));  // what the system keeps once made (classes, themes, caches)
    CheckRound(seen, "first round");
    const Counts start = CountNow();
    EXPECT_EQ(ProgramWindows(), 0) << "the first round left windows";
    std::vector<Counts> after;
    for (int i = 0; i < 10; ++i) {
        seen = Seen();
        ASSERT_NO_FATAL_FAILURE(Round(seen)) << "round " << i + 1;
        CheckRound(seen, "round " + std::to_string(i + 1));
        after.push_back(CountNow());
    }
    for (size_t i = 0; i < after.size(); ++i) {
        Counts expected = start, now = after[i];
        if (!counted)
            expected[0] = now[0] = expected[1] = now[1] = 0;
        EXPECT_EQ(now, expected) << "after round " << i + 1 << ", from " << ::testing::PrintToString(start);
    }
}

}  // namespace
}  // namespace lumo
