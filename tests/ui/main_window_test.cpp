// The main window headless: the list built from a real configuration file, closing during and
// after a run, its size, its buttons, and the settings windows it opens.
#include <gtest/gtest.h>

#include "main_window_fixture.h"
#include "settings/settings_store.h"
#include "ui/items_settings_window.h"
#include "ui/run_options_window.h"

namespace lumo {
namespace {

using namespace lumo::testing;

// Key, text and icon of each row.
Lines Rows(MainWindow& w) {
    Lines rows;
    for (ListItem& item : w.lvwPItem) {
        EXPECT_EQ(item.Icon() + item.SubItems(1), item.SmallIcon()) << item.Text();
        rows.push_back(item.Key() + "|" + item.Text() + "|" + item.Icon());
    }
    return rows;
}

// The list holds the selected items of selected Root records and the selected Plugins records.
TEST_F(MainWindowTest, RowsFollowTheConfiguration) {
    const std::pair<Lines, Lines> cases[] = {
        {StandardConfig(),
         {"1-Windows-temp|Windows temp|win", "1-Windows-recent|Windows recent|win", "1-Browser-cache|Browser cache|mie",
          "2-Tool|Tool|app"}},
        {RecordLines("Mine", "Customs", true, {"A"}) + RecordLines("Windows", "Root", false, {"B"}) +
             RecordLines("Odd", "Strange", true, {"C"}),
         {}},
        {RecordLines("windows", "Root", true, {"A"}), {"1-windows-A|windows A|mie"}},
        {RecordLines("Windows", "Root", true, {"A", "A"}) + PluginLines("P", true) + PluginLines("P", true),
         {"1-Windows-A|Windows A|win", "|Windows A|win", "2-P|P|app", "|P|app"}},
    };
    for (const auto& [config, rows] : cases) {
        WriteConfig(config);
        MainWindow& w = Open();
        ASSERT_FALSE(w.LoadFailure());
        EXPECT_EQ(Rows(w), rows) << config[1];
    }
    EXPECT_EQ(app->ConfigFilePath, JoinPath(Prog(), "PrivacyConfig.dat"));
}

// During a run neither the close box nor Exit ends the program; after it both do, Exit with a
// farewell, and the list is built afresh without the icons of the run.
class MainWindowClose : public MainWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(MainWindowClose, IsRefusedDuringARunAndAllowedAfterIt) {
    const bool byExit = GetParam();
    const std::string farewell = "Thanks for using \"Sweepkit Lumo\".";
    MainWindow& w = OpenStandard();
    host.OnDoEvents = [&](int pass) {
        EXPECT_FALSE(pass == 1 && (byExit ? (w.cmdExit.Click(), false) : w.UserClose()));
    };
    w.cmdShow.Click();
    host.OnDoEvents = nullptr;
    EXPECT_TRUE(w.Loaded() && !host.Ended());
    ASSERT_GE(host.Boxes().size(), byExit ? 3u : 2u);
    EXPECT_TRUE(!byExit || host.Boxes()[0].text == farewell);
    const auto& refusal = host.Boxes()[byExit ? 1 : 0];
    EXPECT_EQ(refusal.text + "|" + refusal.caption,
              "Please stop current processing, then exit the program.|Sweepkit Lumo");
    EXPECT_TRUE(refusal.icon == MsgIcon::Exclamation && refusal.buttons == MsgButtons::OkOnly);
    ASSERT_EQ(w.lvwPItem.Item(1).Icon(), "winshow");
    w.LoadPItem();
    EXPECT_EQ(Rows(w).front(), "1-Windows-temp|Windows temp|win") << "built afresh";
    host.ClearBoxes();
    EXPECT_TRUE(byExit ? (w.cmdExit.Click(), true) : w.UserClose());
    ASSERT_EQ(host.Boxes().size(), byExit ? 1u : 0u) << "the close box says no farewell";
    EXPECT_TRUE((!byExit || host.Boxes()[0].text == farewell) && !w.Loaded() && host.Ended() && !host.TrayIconShown());
    EXPECT_FALSE(w.Menu().Loaded()) << "the menu holder goes with the window";
}

INSTANTIATE_TEST_SUITE_P(ByCloseBoxAndByExit, MainWindowClose, ::testing::Bool());

// It keeps its outer size but leaves minimised and maximised alone; the timer runs once it is
// loaded, Help opens the help file, and the buttons nobody wired do nothing.
TEST_F(MainWindowTest, KeepsItsSizeRunsItsTimerOnceLoadedAndOpensTheHelpFile) {
    MainWindow& w = OpenStandard();
    EXPECT_TRUE(w.tmrSchedule.Running());
    EXPECT_FALSE(MainWindow(host, *app).tmrSchedule.Running()) << "not before the window is loaded";
    w.UserResize(9000, 9000, WindowState::Normal);
    EXPECT_EQ(std::pair(w.Width(), w.Height()), std::pair(MainWindow::kOuterWidth, MainWindow::kOuterHeight));
    for (WindowState state : {WindowState::Minimized, WindowState::Maximized}) {
        w.UserResize(12000, 9000, state);
        EXPECT_EQ(w.ClientWidth(), 12000);
    }
    for (Button* b : {&w.cmdItemsSettings, &w.cmdRunOptions, &w.cmdAbout})
        b->Click();
    EXPECT_TRUE(host.HandlerFailures().empty());
    w.cmdHelp.Click();
    EXPECT_EQ(shell.opened, Lines{JoinPath(Prog(), "SweepkitHelp.chm")});
}

TEST(MainWindowResetNodeText, EveryNodeTakesTheLastPartOfItsTag) {
    HeadlessHost host;
    Form form(host, "frmTree");
    TreeView& tree = form.Add<TreeView>("tvwTree");
    Node& root = tree.AddNode(nullptr, "r", "x");
    Node& child = tree.AddNode(&root, "c", "y");
    Node& grandchild = tree.AddNode(&child, "g", "z");
    root.Tag = "Windows\\Recent";
    child.Tag = "plain";
    grandchild.Tag = "a\\b\\";
    MainWindow::ResetNodeText(&root);
    EXPECT_EQ(root.Text() + "|" + child.Text() + "|" + grandchild.Text(), "Recent|plain|");
    MainWindow::ResetNodeText(nullptr);
}

// OK and Apply of both settings windows are off while a run walks the set; the choice made
// meanwhile is saved after it.
TEST_F(MainWindowTest, OkAndApplyOfBothSettingsWindowsWaitForTheEndOfARun) {
    MakeFile("tool/a.tmp", 5);
    WriteConfig(BuiltInRecords() + RecordLines("Tool", "Plugins", true, {"Files"}, {}, {"0<>Folder><" + Tree("tool")}));
    MainWindow& main = Open();
    SettingsStore store(registry, "C:\\Lumo\\SweepkitLumo.exe");
    auto itemsSlot = ConnectItemsSettings(main);
    auto optionsSlot = ConnectRunOptions(main, store);
    main.cmdItemsSettings.Click();  // open before the run
    ItemsSettingsWindow& items = **itemsSlot;
    const std::string before = ReadBytes(app->ConfigFilePath);
    std::vector<bool> usableDuringRun;
    host.OnDoEvents = [&](int) {
        main.cmdRunOptions.Click();  // opened while the run goes on
        RunOptionsWindow& options = **optionsSlot;
        items.plugChkSettings[0]->Click();  // the record the run is walking
        for (Button* b : {&items.cmdOk, &items.cmdApply, &options.cmdOk, &options.cmdApply}) {
            usableDuringRun.push_back(b->Usable() || !items.lblRunGoing.Shown() || !options.lblRunGoing.Shown());
            b->Click();
        }
        EXPECT_EQ(items.lblRunGoing.Caption(), "OK and Apply are off while a Show or Clear run is going.");
    };
    main.cmdShow.Click();
    host.OnDoEvents = nullptr;
    EXPECT_EQ(usableDuringRun, std::vector<bool>(4, false));
    EXPECT_EQ(Panel(2), "1") << "the walk of the Tool record went to its end";
    EXPECT_TRUE(ReadBytes(app->ConfigFilePath) == before && app->ConfigSet().item(6).Selected);
    ASSERT_TRUE(items.cmdOk.Usable() && (*optionsSlot)->cmdOk.Usable());
    EXPECT_FALSE(items.lblRunGoing.Shown() || (*optionsSlot)->lblRunGoing.Shown());
    items.cmdOk.Click();
    EXPECT_FALSE(app->ConfigSet().item(6).Selected || items.Loaded())
        << "the choice made during the run is saved after it";
}

}  // namespace
}  // namespace lumo
