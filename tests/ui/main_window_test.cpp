// The main window headless: OK and Apply of the settings windows it opens wait for the end of a
// run; and its runs over a temporary tree, that is what the window itself does around the
// engine's walk: status panels, the status column and icons, the selection, the text log, the
// summary, the pacing of the progress, Stop, and the menu mirror.
#include <gtest/gtest.h>

#include "base/text.h"
#include "main_window_fixture.h"
#include "ui/items_settings_window.h"
#include "ui/run_options_window.h"

namespace lumo {
namespace {

using namespace lumo::testing;

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

// A click on Stop, of the button or of the menu, ends the run after the trace it came with.
TEST_F(MainWindowRun, StopInTheMiddleEndsTheRunWithWhatWasFound) {
    MakeFile("cache/d.dat", 5);
    MainWindow& w = OpenStandard();
    app->settings.RemovalWorkers = 1;  // workers would have gone on deleting; the stop itself is the same
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

}  // namespace
}  // namespace lumo
