// Items Settings and Run Options on screen: both open from the main window's buttons as owned,
// modeless windows with their captions, the tree switches the frames, and
// a check box clicked before OK reaches the configuration file.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>

#include "config/winapp2_selection.h"
#include "registry/reg_key.h"
#include "ui/items_settings_test_config.h"
#include "ui/items_settings_window.h"
#include "ui/main_window.h"
#include "ui/run_options_window.h"
#include "gui_test_support.h"

namespace lumo {
namespace {

using namespace guitest;
using lumo::testing::BuiltInRecords;
using lumo::testing::Lines;
using lumo::testing::PluginLines;
using lumo::testing::operator+;

std::string SelectedNodeText(HWND tree) {
    wchar_t text[128] = {};
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    tv.pszText = text;
    tv.cchTextMax = 128;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return win32::Narrow(text);
}

// A key pressed and let go in a window, waiting in the queue as the keyboard's would.
void PostKey(HWND hwnd, WPARAM key) {
    PostMessageW(hwnd, WM_KEYDOWN, key, 0);
    PostMessageW(hwnd, WM_KEYUP, key, 0);
}

class DialogsGui : public ::testing::Test, public GuiProgram {
protected:
    DialogsGui() { WriteConfig(BuiltInRecords() + PluginLines("Tool", true)); }
    MainWindow& OpenMain() {
        main = std::make_unique<MainWindow>(host, *app);
        itemsSlot = ConnectItemsSettings(*main);
        runSlot = ConnectRunOptions(*main, store);
        main->Show();
        return *main;
    }
    // Clicks a button or check box the way the mouse does, and lets the window handle it.
    void Click(const Control& control) {
        PostClick(control);
        PumpFor(host, 100);
    }

    std::unique_ptr<MainWindow> main;
    std::shared_ptr<std::unique_ptr<ItemsSettingsWindow>> itemsSlot;
    std::shared_ptr<std::unique_ptr<RunOptionsWindow>> runSlot;
};

TEST_F(DialogsGui, ItemsSettingsOpensFromTheMainWindowAndACheckBoxClickedBeforeOkReachesTheFile) {
    MainWindow& m = OpenMain();
    HWND mainWindow = Win32Host::WindowOf(m);
    ASSERT_NE(mainWindow, nullptr);
    HWND list = Win32Host::WindowOf(m.lvwPItem);
    LRESULT rowsBefore = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);

    Click(m.cmdItemsSettings);
    ASSERT_TRUE(PumpUntil(host, [&] { return *itemsSlot && (*itemsSlot)->Visible(); }));
    ItemsSettingsWindow& w = **itemsSlot;
    HWND dialog = Win32Host::WindowOf(w);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(TextOf(dialog), "Clear Items Settings");
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), mainWindow) << "owned by the main window";
    EXPECT_TRUE(IsWindowEnabled(mainWindow)) << "modeless: the main window stays usable";

    HWND tree = Win32Host::WindowOf(w.tvwTree);
    EXPECT_EQ(ClassOf(tree), WC_TREEVIEWW);
    EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 6);
    EXPECT_EQ(SelectedNodeText(tree), "Windows");
    EXPECT_EQ(TextOf(Win32Host::WindowOf(w.lblSettings)), "Windows");

    for (CheckBox* box : w.winsChkSettings) {
        HWND hwnd = Win32Host::WindowOf(*box);
        SCOPED_TRACE(box->Caption());
        ASSERT_NE(hwnd, nullptr);
        EXPECT_EQ(TextOf(hwnd), box->Caption());
        EXPECT_TRUE(IsWindowVisible(hwnd));
        EXPECT_EQ(SendMessageW(hwnd, BM_GETCHECK, 0, 0), BST_CHECKED);
    }
    for (CheckBox* box : w.inetChkSettings)
        EXPECT_FALSE(IsWindowVisible(Win32Host::WindowOf(*box))) << "the other frames hide their boxes";
    EXPECT_EQ(TextOf(Win32Host::WindowOf(*w.plugChkSettings[0])), "Tool");

    // The user moves down the tree to "Internet Explorer": its frame replaces the Windows frame.
    SetFocus(tree);
    PostKey(tree, VK_DOWN);
    ASSERT_TRUE(PumpUntil(host, [&] { return w.inetFraSettings.Visible(); }));
    EXPECT_EQ(TextOf(Win32Host::WindowOf(w.lblSettings)), "Internet Explorer");
    EXPECT_TRUE(IsWindowVisible(Win32Host::WindowOf(w.inetFraSettings)));
    EXPECT_FALSE(IsWindowVisible(Win32Host::WindowOf(w.winsFraSettings)));
    HWND cookies = Win32Host::WindowOf(*w.inetChkSettings[5]);
    EXPECT_TRUE(IsWindowVisible(cookies));
    EXPECT_FALSE(IsWindowVisible(Win32Host::WindowOf(*w.winsChkSettings[0])));

    Click(*w.inetChkSettings[5]);
    EXPECT_EQ(SendMessageW(cookies, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(w.inetChkSettings[5]->Checked());
    Click(w.cmdOk);
    ASSERT_TRUE(PumpUntil(host, [&] { return !w.Loaded(); }));
    EXPECT_FALSE(IsWindow(dialog));

    Lines file = lumo::testing::PlainLines(ConfigPath());
    EXPECT_NE(std::find(file.begin(), file.end(), "Cookies<>0<>0<>Folder><C:\\Internet Explorer\\6"), file.end());
    EXPECT_NE(std::find(file.begin(), file.end(), "Address Bar<>1<>0<>Folder><C:\\Internet Explorer\\1"), file.end());
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), rowsBefore - 1) << "the main list was rebuilt";
    EXPECT_TRUE(boxes.empty());
}

TEST_F(DialogsGui, RunOptionsOpensFromTheMainWindowWithItsControlsAndOkSavesWhatWasClicked) {
    app->settings.KeepLogDays = 2;
    MainWindow& m = OpenMain();
    Click(m.cmdRunOptions);
    ASSERT_TRUE(PumpUntil(host, [&] { return *runSlot && (*runSlot)->Visible(); }));
    RunOptionsWindow& w = **runSlot;
    HWND dialog = Win32Host::WindowOf(w);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(dialog), "Run Options");
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), Win32Host::WindowOf(m));
    EXPECT_TRUE(IsWindowEnabled(Win32Host::WindowOf(m)));

    // A sample of every kind of control, inside and outside the two frames.
    const std::pair<const Control*, const char*> captions[] = {{&w.cmdOk, "OK"},
                                                               {&w.geneCmdDefault, "Default"},
                                                               {&w.advaChkScheduleInterval, "Run clear process every"},
                                                               {&w.Label5, "and keep log file(s)"},
                                                               {&w.Frame1, "Internet Explorer Protection"},
                                                               {&w.Label8, "Window Title:"},
                                                               {&w.geneCmdApplyToIE, "Apply to IE"}};
    for (const auto& [control, text] : captions) {
        HWND hwnd = Win32Host::WindowOf(*control);
        ASSERT_NE(hwnd, nullptr) << text;
        EXPECT_EQ(TextOf(hwnd), text);
        EXPECT_TRUE(IsWindowVisible(hwnd)) << text;
    }
    HWND interval = Win32Host::WindowOf(w.advaCmbScheduleInterval);
    HWND days = Win32Host::WindowOf(w.advaCmbKeepLogDays);
    EXPECT_EQ(SendMessageW(interval, CB_GETCOUNT, 0, 0), 6);
    EXPECT_EQ(SendMessageW(interval, CB_GETCURSEL, 0, 0), 5) << "the default interval shows as 8 Hours";
    EXPECT_EQ(SendMessageW(Win32Host::WindowOf(w.advaCmbScheduleClock), CB_GETCOUNT, 0, 0), 24);
    EXPECT_EQ(SendMessageW(Win32Host::WindowOf(w.advaCmbScheduleClock), CB_GETCURSEL, 0, 0), 12);
    EXPECT_EQ(SendMessageW(days, CB_GETCURSEL, 0, 0), 1);

    // The user checks the interval box, picks "1 Hour" and types a start page.
    Click(w.advaChkScheduleInterval);
    EXPECT_EQ(SendMessageW(Win32Host::WindowOf(w.advaChkScheduleInterval), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(interval, CB_SETCURSEL, 2, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(interval), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(interval));
    SetWindowTextW(Win32Host::WindowOf(w.geneTxtHomePage), L"http://home.example/");
    PumpFor(host, 50);
    EXPECT_EQ(w.geneTxtHomePage.Text(), "http://home.example/");
    std::remove(ConfigPath().c_str());

    Click(w.cmdOk);
    ASSERT_TRUE(PumpUntil(host, [&] { return !w.Loaded(); }));
    EXPECT_EQ(app->settings.ScheduleType, "interval");
    EXPECT_EQ(app->settings.ScheduleInterval, 60);
    EXPECT_EQ(app->settings.KeepLogDays, 2);
    EXPECT_EQ(app->settings.StartPage, "http://home.example/");
    RegKey key(registry);
    std::optional<RegValue> stored =
        key.GetRegValue("Schedule Interval", store.Locations().settingsRoot, store.Locations().SettingsKey());
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->ValueDataString(), "60");
    EXPECT_TRUE(dir.Exists("PrivacyConfig.dat")) << "OK saved the configuration file";
    EXPECT_TRUE(boxes.empty());
}

// The state image of a list row: 1 cleared, 2 ticked.
int RowCheck(HWND list, int row) {
    return static_cast<int>((SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) >>
                            12);
}
// Ticks or clears a row's check box as a click on it does.
void SetRowCheck(HWND list, int row, bool on) {
    LVITEMW lv{};
    lv.stateMask = LVIS_STATEIMAGEMASK;
    lv.state = INDEXTOSTATEIMAGEMASK(on ? 2 : 1);
    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&lv));
}

TEST_F(DialogsGui, Winapp2EntriesAreTickedInTheirGroupsListAndAWarningIsAskedFirst) {
    {
        std::ofstream ini(dir.FsPath("winapp2.ini"), std::ios::binary);
        ini << "[Risky Entry]\r\nLangSecRef=3025\r\nWarning=Resets your layouts.\r\n"
               "RegKey1=HKCU\\Software\\LumoGuiTest\\Risky\r\n";
        for (int i = 0; i < 1500; ++i)
            ini << "[Bulk " << 10000 + i << "]\r\nLangSecRef=3021\r\nRegKey1=HKCU\\Software\\LumoGuiTest\\Bulk\r\n";
    }
    answers = {MsgAnswer::No, MsgAnswer::Yes};
    MainWindow& m = OpenMain();
    Click(m.cmdItemsSettings);
    ASSERT_TRUE(PumpUntil(host, [&] { return *itemsSlot && (*itemsSlot)->Visible(); }));
    ItemsSettingsWindow& w = **itemsSlot;
    HWND tree = Win32Host::WindowOf(w.tvwTree);
    EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 8) << "two groups below Applications";

    // End: the last group, "Windows"; its one entry carries a warning.
    SetFocus(tree);
    PostKey(tree, VK_END);
    ASSERT_TRUE(PumpUntil(host, [&] { return w.w2FraSettings.Visible(); }));
    EXPECT_EQ(TextOf(Win32Host::WindowOf(w.lblSettings)), "Applications: Windows");
    HWND list = Win32Host::WindowOf(w.w2LvwEntries);
    EXPECT_TRUE(IsWindowVisible(list));
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(RowCheck(list, 0), 1);
    SetRowCheck(list, 0, true);  // answered No
    PumpFor(host, 100);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("Resets your layouts."), std::string::npos) << boxes[0];
    EXPECT_EQ(RowCheck(list, 0), 1) << "No clears the box again";
    EXPECT_FALSE(w.Winapp2Chosen("Risky Entry"));
    SetRowCheck(list, 0, true);  // answered Yes
    PumpFor(host, 100);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(RowCheck(list, 0), 2);
    EXPECT_TRUE(w.Winapp2Chosen("Risky Entry"));

    // Up: the "Applications" group of 1,500 entries, in one list that scrolls.
    auto t0 = std::chrono::steady_clock::now();
    PostKey(tree, VK_UP);
    ASSERT_TRUE(PumpUntil(host, [&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 1500; }));
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    std::printf("1,500 entries listed in %lld ms\n", static_cast<long long>(ms));
    EXPECT_LT(ms, 3000);
    EXPECT_NE(GetWindowLongPtrW(list, GWL_STYLE) & WS_VSCROLL, 0) << "the list scrolls";
    SetRowCheck(list, 1499, true);
    PumpFor(host, 100);
    EXPECT_EQ(boxes.size(), 2u) << "no warning, no question";
    EXPECT_TRUE(w.Winapp2Chosen("Bulk 11499"));

    Click(w.cmdOk);
    ASSERT_TRUE(PumpUntil(host, [&] { return !w.Loaded(); }));
    Winapp2Selection chosen;
    ASSERT_TRUE(chosen.Load(files, app->Winapp2SelectionFile()));
    std::vector<std::string> names = chosen.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Bulk 11499", "Risky Entry"}));
    HWND rows = Win32Host::WindowOf(m.lvwPItem);
    int listed = 0;
    for (ListItem& row : m.lvwPItem)
        listed += row.Text() == "Bulk 11499" || row.Text() == "Risky Entry";
    EXPECT_EQ(listed, 2) << "the main window lists the chosen entries";
    EXPECT_EQ(SendMessageW(rows, LVM_GETITEMCOUNT, 0, 0), m.lvwPItem.ItemCount());
}

}  // namespace
}  // namespace lumo
