// The main window headless: the list built from a real configuration file, closing during and
// after a run, its size, its buttons, and the settings windows it opens; and its Show and Clear
// runs over a temporary tree, that is what the window itself does around the engine's walk:
// status panels, the status column and icons, the selection, the text log, the summary, the
// clear question, the log offer, the pacing of the progress, Stop, and the menu mirror.
#include <gtest/gtest.h>

#include "base/text.h"
#include "cleaner/customize_parsers.h"
#include "log/privacy_log.h"
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
// Icon and count of each row.
Lines Statuses(MainWindow& w) {
    Lines s;
    for (ListItem& row : w.lvwPItem) {
        EXPECT_EQ(row.Icon(), row.SmallIcon());
        s.push_back(row.Icon() + "|" + row.SubItems(1));
    }
    return s;
}
// Caption and state of both run buttons, the schedule timer, the end-of-run flag; the menu's
// captions of Show, Clear and Clear Now, and which of them and of the busy items are on.
std::string Buttons(MainWindow& w) {
    MenuHolder& m = w.Menu();
    std::string s = w.cmdShow.Caption() + (w.cmdShow.Enabled() ? "+ " : "- ") + w.cmdClear.Caption() +
                    (w.cmdClear.Enabled() ? "+ " : "- ") + (w.tmrSchedule.Running() ? "timer " : "") +
                    (w.l_bProcessEnd ? "idle " : "busy ") + m.menuShow.Caption() + "|" + m.menuClear.Caption() + "|" +
                    m.menuSTClearNow.Caption() + "|";
    for (MenuItem* i : {&m.menuShow, &m.menuClear, &m.menuSTClearNow, &m.menuFileLogging, &m.menuSTFileLogging,
                        &m.menuReloadConfig, &m.menuPreference, &m.menuAddPlugins, &m.menuAddCustom})
        s += i->Enabled() ? '1' : '0';
    return s;
}
using MainWindowRun = MainWindowTest;
const std::string summary = "Privacy Items:3\tDisk Space:1,235.57 K";

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

// What the list's peer is asked to scroll into view.
struct ScrollLog : ControlPeer {
    explicit ScrollLog(std::vector<int32_t>& out) : rows(out) {}
    void Update(Change what, int32_t index) override {
        if (what == Change::EnsureVisible)
            rows.push_back(index);
    }
    std::vector<int32_t>& rows;
};

TEST_F(MainWindowRun, ShowFillsStatusesLogAndSummaryAndClearsNothing) {
    MainWindow& w = OpenStandard();
    std::vector<int32_t> scrolled;
    w.lvwPItem.AttachPeer(std::make_unique<ScrollLog>(scrolled));
    Lines duringRun;
    host.OnDoEvents = [&](int) {
        ListItem* selected = w.lvwPItem.SelectedItem();
        duringRun.push_back(Panel(1) + "|" + Panel(2) + "|" + (selected ? selected->Text() : "none") + "|" +
                            Buttons(w));
    };
    w.cmdShow.Click();
    w.lvwPItem.DetachPeer();
    // One message-loop pass per trace; the selection follows the row of the trace shown.
    const std::string busy = "|Stop+ Clear- busy Stop|&Clear|Clear Now|100000000";
    EXPECT_EQ(duringRun, (Lines{"Windows\\temp|1|Windows temp" + busy, "Windows\\temp|2|Windows temp" + busy,
                                "Browser\\cache|3|Browser cache" + busy}));
    EXPECT_EQ(Statuses(w), (Lines{"winshow|2 items", "winshow|0 items", "mieshow|1 items", "appshow|"}));
    // A Plugins record with no item sought writes -1 unchanged.
    EXPECT_EQ(Join(LogLines(), "|"),
              "Find Windows temp: 2 tracks.|Find Windows recent: 0 tracks.|===Find Windows: 2 tracks. Click \"View "
              "Log\" to see detail.||Find Browser cache: 1 tracks.|===Find Browser: 1 tracks. Click \"View Log\" to "
              "see detail.||===Find Tool: -1 tracks. Click \"View Log\" to see detail.||Find Mine mine: 0 tracks.|==="
              "Find Mine: 0 tracks. Click \"View Log\" to see detail.|");
    EXPECT_EQ(Panels(), "ALL|3|1,235.57 K|");
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(LastBox().text + "|" + std::to_string(static_cast<int>(LastBox().icon)),
              summary + "|" + std::to_string(static_cast<int>(MsgIcon::Information)));
    EXPECT_TRUE(TreeHas("temp/a.tmp") && TreeHas("cache/c.dat"));
    EXPECT_EQ(Buttons(w), "Show+ Clear+ timer idle Show|&Clear|Clear Now|111111111");
    EXPECT_FALSE(app->StopRequested);
    EXPECT_EQ(w.lvwPItem.SelectedItem(), &w.lvwPItem.Item(1)) << "the run ends on the first row";
    EXPECT_EQ(scrolled, (std::vector<int32_t>{1})) << "scrolled into view";
}

TEST_F(MainWindowRun, ProgressShowsAFewDozenTimesASecondStopIsTakenAndTheEndShowsEveryTrace) {
    for (int i = 0; i < 40; ++i)
        MakeFile("temp/more" + std::to_string(i) + ".tmp", 10);
    progressStep = std::chrono::milliseconds(10);  // a trace every 10 ms
    MainWindow& w = OpenStandard();
    using Ms = std::chrono::milliseconds;
    // What a repaint of the new progress costs (a slow display server), and the least gap it leaves.
    for (auto [displayCost, minGap] : {std::pair{0, 33}, std::pair{20, 100}}) {
        SCOPED_TRACE(displayCost);
        std::vector<std::chrono::steady_clock::time_point> passes, displays;
        Lines counters;
        host.OnDoEvents = [&, cost = displayCost](int) {
            passes.push_back(progressNow);
            if (counters.empty() || Panel(2) != counters.back()) {
                displays.push_back(progressNow);
                counters.push_back(Panel(2));
                progressNow += Ms(cost);
            }
        };
        w.cmdShow.Click();
        ASSERT_GE(displays.size(), 3u);
        for (size_t i = 1; i < displays.size(); ++i)
            EXPECT_GE(displays[i] - displays[i - 1], Ms(minGap)) << i;
        for (size_t i = 1; i < passes.size(); ++i) {
            EXPECT_GE(passes[i] - passes[i - 1], Ms(33)) << "at most one message-loop pass a period";
            EXPECT_LE(passes[i] - passes[i - 1], Ms(33 + 10 + displayCost)) << "a click on Stop waits no longer";
        }
        // The first trace at once, then one every 33 ms, counting the traces between.
        EXPECT_TRUE(displayCost || Lines(counters.begin(), counters.begin() + 3) == (Lines{"1", "5", "9"}));
        EXPECT_EQ(Panels(), "ALL|43|1,235.97 K|") << "the end shows the exact totals";
        EXPECT_EQ(LastBox().text, "Privacy Items:43\tDisk Space:1,235.97 K");
    }
}

// Clear asks first and No changes nothing; a logged run that asked offers its log (a scheduled
// one does not), and a log that cannot be opened is named and the run goes on.
TEST_F(MainWindowRun, ClearAsksFirstAndOffersTheLogOfALoggedRunOnlyWhenItAsked) {
    const std::string question = "Are you sure to clear all selected privacy items?";
    MainWindow& w = OpenStandard();
    w.cmdShow.Click();
    struct Case {
        bool logging, ask, blocked;  // blocked: a file where the logs folder should be
        MsgAnswer question, offer;  // unscripted boxes take their default answer
        size_t boxes, notepads;  // shown in this run, started in all
    };
    const Case cases[] = {{false, true, false, MsgAnswer::No, {}, 1, 0},
                          {false, true, false, MsgAnswer::Yes, MsgAnswer::No, 2, 0},
                          {true, true, false, MsgAnswer::Yes, MsgAnswer::No, 3, 0},
                          {true, true, false, MsgAnswer::Yes, MsgAnswer::Yes, 3, 1},
                          {true, false, false, {}, {}, 1, 1},
                          {true, true, true, MsgAnswer::Yes, {}, 2, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        std::filesystem::remove_all(dir.FsPath("prog/logs"));
        if (c.blocked)
            dir.Write("prog/logs", "in the way");
        host.ClearBoxes();
        app->settings.EnableFileLogging = c.logging;
        if (c.question == MsgAnswer::Yes)
            host.QueueAnswers({MsgAnswer::Yes, MsgAnswer::Ok});
        if (c.offer == MsgAnswer::Yes)
            host.QueueAnswer(MsgAnswer::Yes);
        c.ask ? w.cmdClear.Click() : w.ScheduleClear();
        ASSERT_EQ(host.Boxes().size(), c.boxes);
        EXPECT_TRUE(!c.ask || host.Boxes()[0].text == question);
        const bool ran = !c.ask || c.question == MsgAnswer::Yes, offered = c.logging && c.ask && !c.blocked;
        const bool summaryLast = ran && !offered;
        EXPECT_NE(TreeHas("temp/a.tmp") || TreeHas("cache/c.dat"), ran);
        EXPECT_EQ(LastBox().text, offered       ? "Log file is " + LogFile() + ", view it?"
                                  : summaryLast ? summary
                                                : question);
        EXPECT_EQ(LastBox().defaultButton, summaryLast ? MsgDefault::Button1 : MsgDefault::Button2);
        EXPECT_EQ(shell.started, Lines(c.notepads, "notepad.exe " + LogFile()));
        EXPECT_FALSE(w.ActivityLog().IsOpen());
        EXPECT_EQ(ReadBytes(LogFile()).find(JoinPath(Tree("temp"), "a.tmp")) != std::string::npos,
                  ran && c.logging && !c.blocked)
            << "the run's traces are in its log";
        MakeStandardTree();
    }
    EXPECT_EQ(host.DoEventsPasses(), 3 + 3 * 5) << "No starts no run";
    EXPECT_EQ(*(LogLines().end() - 13), "Cannot open the log file " + LogFile() + "; this run is not logged.");
    EXPECT_EQ(LogLines().at(12), "Clear Windows temp: 2 tracks.") << "after the Show run's lines";
    EXPECT_EQ(Statuses(w), (Lines{"windelete|2 items", "windelete|0 items", "miedelete|1 items", "appdelete|"}));
    EXPECT_EQ(Buttons(w), "Show+ Clear+ timer idle Show|Clear|Clear Now|111111111");
}

// A click on Stop, of the button or of the menu, ends the run after the trace it came with.
TEST_F(MainWindowRun, StopInTheMiddleEndsTheRunWithWhatWasFound) {
    MakeFile("cache/d.dat", 5);
    MainWindow& w = OpenStandard();
    Lines seen;
    for (bool clear : {false, true}) {
        host.OnDoEvents = [&, clear](int) {
            seen.push_back(Buttons(w));
            clear ? w.cmdClear.Click() : w.Menu().menuShow.Click();  // the menu's Stop is the button's
        };
        clear ? w.ScheduleClear() : w.cmdShow.Click();
        EXPECT_EQ(host.DoEventsPasses(), clear ? 2 : 1) << "the walk polls the request after each trace";
        EXPECT_EQ(Panel(2), "1");
        EXPECT_TRUE(StartsWith(LastBox().text, "Privacy Items:1\t")) << LastBox().text;
        EXPECT_FALSE(app->StopRequested);
    }
    EXPECT_EQ(seen[1], "Show- Stop+ busy Show|Stop|Stop|010000000");
    EXPECT_EQ(Buttons(w), "Show+ Clear+ timer idle Show|Clear|Clear Now|111111111");
}

// A Customs record has no row, so the list stays empty and nothing is selected; what a parser
// has to tell the user follows its item's line.
TEST_F(MainWindowRun, AnEmptyListSelectsNothingAndParserNoticesFollowTheirItemLine) {
    WriteConfig({"[Config]", "Software:Mine", "Type:Customs", "Selected:1",
                 "History<>1<>0<>Customize><ParseFirefoxHistory<>" + Tree("ff")});
    MakeFile("ff/p/places.sqlite", 3000);  // not a database
    dir.Write("tree/ff/profiles.ini", "[Profile0]\nName=default\nIsRelative=1\nPath=p\n");
    MainWindow& w = Open();
    SpecialParser parser;
    app->SetSpecialParser(&parser);
    ASSERT_EQ(w.lvwPItem.ItemCount(), 0);
    w.cmdShow.Click();
    EXPECT_EQ(w.lvwPItem.SelectedItem(), nullptr);
    EXPECT_TRUE(host.HandlerFailures().empty());
    // The profile's path as the parser builds it, with the system's own separators.
    EXPECT_EQ(LogLines(),
              (Lines{"Find Mine History: 1 tracks.",
                     "    The history database " + JoinPath(JoinPath(Tree("ff"), "p"), "places.sqlite") +
                         " is damaged or not a database (file is not a database); nothing in it was changed",
                     "===Find Mine: 1 tracks. Click \"View Log\" to see detail.", ""}));
}

TEST_F(MainWindowRun, DiskTotalIsNotLimitedTo32Bits) {
    MainWindow& w = OpenStandard();
    w.RunPrivacy(false, false, false);
    PrivacyItem pi;
    PrivacyValue big;
    big.Size = int64_t{3} * 1000 * 1000 * 1000;
    w.DisplayValue(pi, big);
    progressNow += std::chrono::seconds(1);
    w.DisplayValue(pi, big);
    EXPECT_EQ(w.DiskTotal(), int64_t{6} * 1000 * 1000 * 1000);
    EXPECT_EQ(Panel(3), "6,000,000.00 K");
}

}  // namespace
}  // namespace lumo
