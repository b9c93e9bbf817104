// The main window headless: its load, the list built from a real configuration file,
// closing, and the buttons that open other windows.
#include <gtest/gtest.h>

#include <algorithm>

#include "main_window_fixture.h"

namespace lumo {
namespace {

using testing::Lines;
using testing::MainWindowTest;

struct Row {
    std::string key, text, icon;
    bool operator==(const Row&) const = default;
};

std::vector<Row> Rows(MainWindow& w) {
    std::vector<Row> rows;
    for (ListItem& item : w.lvwPItem) {
        EXPECT_EQ(item.Icon(), item.SmallIcon()) << item.Text();
        EXPECT_EQ(item.SubItems(1), "") << item.Text();
        rows.push_back({item.Key(), item.Text(), item.Icon()});
    }
    return rows;
}

TEST_F(MainWindowTest, LoadSetsUpTheListTheStatusBarAndTheTimer) {
    WriteConfig(StandardConfig());
    MainWindow& w = Open();
    // The keyboard's order through the buttons; Show and Clear stand out in bold.
    std::vector<std::pair<int32_t, std::string>> byTab;
    for (const auto& c : w.Controls())
        if (c->Kind() == ControlKind::Button)
            byTab.emplace_back(c->TabIndex(), c->Name());
    std::sort(byTab.begin(), byTab.end());
    std::vector<std::string> order;
    for (const auto& [tab, name] : byTab)
        order.push_back(name);
    EXPECT_EQ(order, (std::vector<std::string>{"cmdShow", "cmdClear", "cmdRunOptions", "cmdItemsSettings", "cmdViewLog",
                                               "cmdExit", "cmdAbout", "cmdHelp"}));
    EXPECT_TRUE(w.cmdShow.Font().bold && w.cmdClear.Font().bold && !w.cmdExit.Font().bold);
    EXPECT_EQ(w.Caption(), "Sweepkit Lumo");
    EXPECT_TRUE(w.Visible());

    ASSERT_EQ(w.lvwPItem.ColumnCount(), 2);
    EXPECT_EQ(w.lvwPItem.Column(1).text, "Clear Item");
    EXPECT_EQ(w.lvwPItem.Column(1).width, 4000);
    EXPECT_EQ(w.lvwPItem.Column(2).text, "Status");
    EXPECT_EQ(w.lvwPItem.Column(2).width, -1);
    EXPECT_EQ(w.lvwPItem.View(), ListViewStyle::Report);
    EXPECT_EQ(w.lvwPItem.LabelEdit(), LabelEditMode::Manual);
    EXPECT_EQ(w.lvwPItem.Icons(), &w.imlPrivacy);
    EXPECT_EQ(w.lvwPItem.SmallIcons(), &w.imlPrivacy);
    ASSERT_EQ(w.imlPrivacy.Count(), 9);
    for (const char* key :
         {"win", "winshow", "windelete", "mie", "mieshow", "miedelete", "app", "appshow", "appdelete"})
        EXPECT_GT(w.imlPrivacy.Find(key), 0) << key;

    ASSERT_EQ(w.sbrStatus.PanelCount(), 4);
    for (int32_t i = 1; i <= 3; ++i)
        EXPECT_EQ(w.sbrStatus.Panels(i).autoSize, PanelAutoSize::Contents) << i;
    EXPECT_EQ(w.sbrStatus.Panels(4).autoSize, PanelAutoSize::Spring);

    EXPECT_TRUE(w.tmrSchedule.Running());
    EXPECT_EQ(w.tmrSchedule.Interval(), 30000);
    EXPECT_TRUE(w.l_bProcessEnd);
    EXPECT_EQ(w.LastWindowState, 0);
}

TEST_F(MainWindowTest, ListHoldsSelectedRootItemsAndSelectedPluginsRecords) {
    WriteConfig(StandardConfig());
    MainWindow& w = Open();
    EXPECT_EQ(app->ConfigFilePath, JoinPath(Prog(), "PrivacyConfig.dat"));
    EXPECT_EQ(Rows(w), (std::vector<Row>{
                           {"1-Windows-Temp Files", "Windows Temp Files", "win"},
                           {"1-Windows-Recent", "Windows Recent", "win"},
                           {"1-Browser-Cache", "Browser Cache", "mie"},
                           {"2-Tool", "Tool", "app"},
                       }));
}

struct ListCase {
    const char* name;
    Lines config;
    std::vector<Row> rows;
};

class MainWindowListTest : public MainWindowTest, public ::testing::WithParamInterface<ListCase> {};

TEST_P(MainWindowListTest, RowsFollowTheConfiguration) {
    WriteConfig(GetParam().config);
    MainWindow& w = Open();
    ASSERT_FALSE(w.LoadFailure());
    EXPECT_EQ(Rows(w), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MainWindowListTest,
    ::testing::Values(ListCase{"only_customs_and_unselected",
                               {"[Config]", "Software:Mine", "Type:Customs", "Selected:1", "A<>1<>0<>Folder><x",
                                "[Config]", "Software:Windows", "Type:Root", "Selected:0", "B<>1<>0<>Folder><x"},
                               {}},
                      ListCase{"windows_in_other_case_is_not_windows",
                               {"[Config]", "Software:windows", "Type:Root", "Selected:1", "A<>1<>0<>Folder><x"},
                               {{"1-windows-A", "windows A", "mie"}}},
                      ListCase{"duplicate_titles_keep_both_rows",
                               {"[Config]", "Software:Windows", "Type:Root", "Selected:1", "A<>1<>0<>Folder><x",
                                "A<>1<>0<>Folder><y", "[Config]", "Software:P", "Type:Plugins", "Selected:1",
                                "[Config]", "Software:P", "Type:Plugins", "Selected:1"},
                               {{"1-Windows-A", "Windows A", "win"},
                                {"", "Windows A", "win"},
                                {"2-P", "P", "app"},
                                {"", "P", "app"}}},
                      ListCase{"untyped_records_have_no_rows",
                               {"[Config]", "Software:Odd", "Type:Strange", "Selected:1", "A<>1<>0<>Folder><x"},
                               {}}),
    [](const ::testing::TestParamInfo<ListCase>& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, LoadPItemTwiceGivesTheSameFreshList) {
    WriteConfig(StandardConfig());
    MakeStandardTree();
    MainWindow& w = Open();
    host.QueueAnswer(MsgAnswer::Ok);
    w.cmdShow.Click();
    ASSERT_EQ(w.lvwPItem.Item(1).Icon(), "winshow");
    w.LoadPItem();
    std::vector<Row> first = Rows(w);
    w.LoadPItem();
    EXPECT_EQ(Rows(w), first);
    EXPECT_EQ(first.front().icon, "win") << "a rebuild drops the icons of earlier runs";
}

TEST_F(MainWindowTest, ClosingIsRefusedDuringARunAndAllowedAfterIt) {
    WriteConfig(StandardConfig());
    MakeStandardTree();
    MainWindow& w = Open();
    bool closedDuringRun = true;
    host.OnDoEvents = [&](int pass) {
        if (pass == 1)
            closedDuringRun = w.UserClose();
    };
    host.QueueAnswers({MsgAnswer::Ok, MsgAnswer::Ok});
    w.cmdShow.Click();
    EXPECT_FALSE(closedDuringRun);
    ASSERT_GE(host.Boxes().size(), 2u);
    const auto& refusal = host.Boxes()[0];
    EXPECT_EQ(refusal.text, "Please stop current processing, then exit the program.");
    EXPECT_EQ(refusal.icon, MsgIcon::Exclamation);
    EXPECT_EQ(refusal.buttons, MsgButtons::OkOnly);
    EXPECT_EQ(refusal.caption, "Sweepkit Lumo");
    EXPECT_TRUE(w.Loaded());
    EXPECT_FALSE(host.Ended());

    host.ClearBoxes();
    EXPECT_TRUE(w.UserClose());
    EXPECT_TRUE(host.Boxes().empty()) << "the close box says no farewell";
    EXPECT_TRUE(host.Ended());
    EXPECT_FALSE(w.Menu().Loaded()) << "the menu holder goes with the window";
    EXPECT_FALSE(host.TrayIconShown());
}

TEST_F(MainWindowTest, ExitSaysFarewellThenClosesOrIsRefused) {
    WriteConfig(StandardConfig());
    MakeStandardTree();
    MainWindow& w = Open();
    host.OnDoEvents = [&](int pass) {
        if (pass == 1)
            w.cmdExit.Click();
    };
    w.cmdShow.Click();
    ASSERT_GE(host.Boxes().size(), 3u);
    EXPECT_EQ(host.Boxes()[0].text, "Thanks for using \"Sweepkit Lumo\".");
    EXPECT_EQ(host.Boxes()[0].icon, MsgIcon::None);
    EXPECT_EQ(host.Boxes()[1].text, "Please stop current processing, then exit the program.");
    EXPECT_TRUE(w.Loaded());

    host.OnDoEvents = nullptr;
    host.ClearBoxes();
    w.cmdExit.Click();
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(host.Boxes()[0].text, "Thanks for using \"Sweepkit Lumo\".");
    EXPECT_FALSE(w.Loaded());
    EXPECT_TRUE(host.Ended());
}

TEST_F(MainWindowTest, KeepsItsOuterSizeButLeavesMinimisedAndMaximisedAlone) {
    WriteConfig(StandardConfig());
    MainWindow& w = Open();
    EXPECT_EQ(w.Width(), MainWindow::kOuterWidth);
    EXPECT_EQ(w.Height(), MainWindow::kOuterHeight);
    w.UserResize(9000, 9000, WindowState::Normal);
    EXPECT_EQ(w.Width(), MainWindow::kOuterWidth);
    EXPECT_EQ(w.Height(), MainWindow::kOuterHeight);
    for (WindowState state : {WindowState::Minimized, WindowState::Maximized}) {
        w.UserResize(12000, 9000, state);
        EXPECT_EQ(w.ClientWidth(), 12000);
        EXPECT_TRUE(host.HandlerFailures().empty());
    }
}

TEST_F(MainWindowTest, ButtonsOpenHelpAndTheWindowsWiredToThem) {
    WriteConfig(StandardConfig());
    MainWindow& w = Open();
    // Unwired, the buttons do nothing and fail nothing.
    w.cmdItemsSettings.Click();
    w.cmdRunOptions.Click();
    w.cmdAbout.Click();
    EXPECT_TRUE(host.HandlerFailures().empty());

    std::vector<std::string> opened;
    w.ShowItemsSettings = [&](MainWindow&) { opened.push_back("items"); };
    w.ShowRunOptions = [&](MainWindow&, ShowMode mode) {
        opened.push_back(mode == ShowMode::Modeless ? "options-modeless" : "options-modal");
    };
    w.ShowAbout = [&](MainWindow&) { opened.push_back("about"); };
    w.cmdItemsSettings.Click();
    w.cmdRunOptions.Click();
    w.cmdAbout.Click();
    EXPECT_EQ(opened, (std::vector<std::string>{"items", "options-modeless", "about"}));

    w.cmdHelp.Click();
    EXPECT_EQ(shell.opened, (std::vector<std::string>{JoinPath(Prog(), "SweepkitHelp.chm")}));
}

TEST(MainWindowResetNodeText, EveryNodeTakesTheLastPartOfItsTag) {
    HeadlessHost host;
    Form form(host, "frmTree");
    TreeView& tree = form.Add<TreeView>("tvwTree");
    Node& root = tree.AddNode(nullptr, "r", "x");
    root.Tag = "Windows\\Recent";
    Node& child = tree.AddNode(&root, "c", "y");
    child.Tag = "plain";
    Node& grandchild = tree.AddNode(&child, "g", "z");
    grandchild.Tag = "a\\b\\";
    MainWindow::ResetNodeText(&root);
    EXPECT_EQ(root.Text(), "Recent");
    EXPECT_EQ(child.Text(), "plain");
    EXPECT_EQ(grandchild.Text(), "");
    MainWindow::ResetNodeText(nullptr);
}

}  // namespace
}  // namespace lumo
