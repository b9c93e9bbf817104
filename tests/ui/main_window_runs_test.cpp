// Show and Clear runs of the main window, headless, over a real configuration file and a
// temporary tree: what the window itself does around the engine's walk — status panels, the
// status column and icons, the selection, the text log, the summary, the clear question, the log
// offer, the pacing of the progress, Stop in the middle of a run, and the menu mirror.
#include <gtest/gtest.h>

#include <algorithm>

#include "cleaner/customize_parsers.h"
#include "log/privacy_log.h"
#include "main_window_fixture.h"
#include "base/text.h"

namespace lumo {
namespace {

using namespace lumo::testing;

class MainWindowRunTest : public MainWindowTest {
protected:
    Lines Statuses() const {
        Lines s;
        for (ListItem& row : window->lvwPItem)
            s.push_back(row.Icon() + "|" + row.SubItems(1));
        return s;
    }
    // The Show button's caption, whether Clear is on, the schedule timer, the end-of-run flag; the
    // menu's captions of Show, Clear and Clear Now, and which of them and of the busy items are on.
    std::string Buttons() const {
        MenuHolder& m = window->Menu();
        std::string s = window->cmdShow.Caption() + (window->cmdClear.Enabled() ? " 1" : " 0") +
                        (window->tmrSchedule.Running() ? " timer on" : " timer off") +
                        (window->l_bProcessEnd ? " idle " : " busy ") + m.menuShow.Caption() + "|" +
                        m.menuClear.Caption() + "|" + m.menuSTClearNow.Caption() + "|";
        for (MenuItem* i : {&m.menuShow, &m.menuClear, &m.menuSTClearNow, &m.menuFileLogging, &m.menuSTFileLogging,
                            &m.menuReloadConfig, &m.menuPreference, &m.menuAddPlugins, &m.menuAddCustom})
            s += i->Enabled() ? '1' : '0';
        return s;
    }
    const std::string summary = "Privacy Items:3\tDisk Space:1,235.57 K";
};

// What the list's peer is asked to scroll into view.
struct ScrollLog : ControlPeer {
    explicit ScrollLog(std::vector<int32_t>& out) : rows(out) {}
    void Update(Change what, int32_t index) override {
        if (what == Change::EnsureVisible)
            rows.push_back(index);
    }
    std::vector<int32_t>& rows;
};

TEST_F(MainWindowRunTest, ShowFillsStatusesLogAndSummaryAndClearsNothing) {
    MainWindow& w = OpenStandard();
    std::vector<int32_t> scrolled;
    w.lvwPItem.AttachPeer(std::make_unique<ScrollLog>(scrolled));
    Lines duringRun;
    host.OnDoEvents = [&](int) {
        ListItem* selected = w.lvwPItem.SelectedItem();
        duringRun.push_back(Panel(1) + "|" + Panel(2) + "|" + (selected ? selected->Text() : "none") + "|" + Buttons());
    };
    w.cmdShow.Click();
    w.lvwPItem.DetachPeer();
    // One message-loop pass per trace; the selection follows the row of the trace shown.
    const std::string busy = "|Stop 0 timer off busy Stop|&Clear|Clear Now|100000000";
    EXPECT_EQ(duringRun, (Lines{"Windows\\temp|1|Windows temp" + busy, "Windows\\temp|2|Windows temp" + busy,
                                "Browser\\cache|3|Browser cache" + busy}));
    EXPECT_EQ(Statuses(), (Lines{"winshow|2 items", "winshow|0 items", "mieshow|1 items", "appshow|"}));
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
    EXPECT_EQ(Buttons(), "Show 1 timer on idle Show|&Clear|Clear Now|111111111");
    EXPECT_FALSE(app->StopRequested);
    EXPECT_EQ(w.lvwPItem.SelectedItem(), &w.lvwPItem.Item(1)) << "the run ends on the first row";
    EXPECT_EQ(scrolled, (std::vector<int32_t>{1})) << "scrolled into view";
}

TEST_F(MainWindowRunTest, ProgressShowsAFewDozenTimesASecondStopIsTakenAndTheEndShowsEveryTrace) {
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

// No changes nothing; Yes clears the selected items, and a logged run that asked offers its log
// (a scheduled one does not), or names a log it could not open and goes on.
TEST_F(MainWindowRunTest, ClearAsksFirstAndOffersTheLogOfALoggedRunOnlyWhenItAsked) {
    MainWindow& w = OpenStandard();
    w.cmdShow.Click();
    host.ClearBoxes();
    host.QueueAnswer(MsgAnswer::No);
    w.cmdClear.Click();
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(LastBox().text, "Are you sure to clear all selected privacy items?");
    EXPECT_EQ(LastBox().defaultButton, MsgDefault::Button2);
    EXPECT_EQ(host.DoEventsPasses(), 3) << "only the Show run's";
    EXPECT_TRUE(TreeHas("temp/a.tmp"));
    struct Case {
        bool logging, ask, blocked;  // blocked: a file where the logs folder should be
        MsgAnswer answer;  // to the log offer
        size_t boxes, notepads;  // shown in this run, started in all
    };
    const Case cases[] = {{false, true, false, {}, 2, 0},
                          {true, true, false, MsgAnswer::No, 3, 0},
                          {true, true, false, MsgAnswer::Yes, 3, 1},
                          {true, false, false, {}, 1, 1},
                          {true, true, true, {}, 2, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        MakeStandardTree();
        std::filesystem::remove_all(dir.FsPath("prog/logs"));
        if (c.blocked)
            dir.Write("prog/logs", "in the way");
        host.ClearBoxes();
        app->settings.EnableFileLogging = c.logging;
        if (c.ask)
            host.QueueAnswers({MsgAnswer::Yes, MsgAnswer::Ok});
        if (c.ask && c.logging && !c.blocked)
            host.QueueAnswer(c.answer);
        c.ask ? w.cmdClear.Click() : w.ScheduleClear();
        ASSERT_EQ(host.Boxes().size(), c.boxes);
        EXPECT_FALSE(TreeHas("temp/a.tmp") || TreeHas("cache/c.dat"));
        EXPECT_TRUE(TreeHas("old/keep.txt") && TreeHas("never/keep.txt")) << "what is not selected stays";
        EXPECT_EQ(ReadBytes(LogFile()).find(JoinPath(Tree("temp"), "a.tmp")) != std::string::npos,
                  c.logging && !c.blocked);
        const bool offered = c.logging && c.ask && !c.blocked;
        EXPECT_EQ(LastBox().text, offered ? "Log file is " + LogFile() + ", view it?" : summary);
        EXPECT_EQ(LastBox().defaultButton, offered ? MsgDefault::Button2 : MsgDefault::Button1);
        EXPECT_EQ(shell.started, Lines(c.notepads, "notepad.exe " + LogFile()));
        EXPECT_FALSE(w.ActivityLog().IsOpen());
    }
    EXPECT_EQ(*(LogLines().end() - 13), "Cannot open the log file " + LogFile() + "; this run is not logged.");
    EXPECT_EQ(LogLines().at(12), "Clear Windows temp: 2 tracks.") << "after the Show run's lines";
    EXPECT_EQ(Statuses(), (Lines{"windelete|2 items", "windelete|0 items", "miedelete|1 items", "appdelete|"}));
    EXPECT_EQ(w.lvwPItem.Item(1).SmallIcon(), "windelete");
    EXPECT_EQ(w.cmdClear.Caption() + (w.cmdShow.Enabled() ? " show on" : ""), "Clear show on");
}

// A click on Stop, of the button or of the menu, ends the run after the trace it came with.
TEST_F(MainWindowRunTest, StopInTheMiddleEndsTheRunWithWhatWasFound) {
    MakeFile("cache/d.dat", 5);
    MainWindow& w = OpenStandard();
    Lines seen;
    for (bool clear : {false, true}) {
        host.OnDoEvents = [&, clear](int) {
            seen.push_back(Buttons());
            clear ? w.cmdClear.Click() : w.Menu().menuShow.Click();  // the menu's Stop is the button's
        };
        clear ? w.ScheduleClear() : w.cmdShow.Click();
        EXPECT_EQ(host.DoEventsPasses(), clear ? 2 : 1) << "the walk polls the request after each trace";
        EXPECT_EQ(Panel(2), "1");
        EXPECT_TRUE(StartsWith(LastBox().text, "Privacy Items:1\t")) << LastBox().text;
        EXPECT_FALSE(app->StopRequested);
    }
    EXPECT_EQ(seen[1], "Show 1 timer off busy Show|Stop|Stop|010000000");
    EXPECT_EQ(Buttons(), "Show 1 timer on idle Show|Clear|Clear Now|111111111");
}

// A Customs record has no row, so the list stays empty and nothing is selected; what a parser
// has to tell the user follows its item's line.
TEST_F(MainWindowRunTest, AnEmptyListSelectsNothingAndParserNoticesFollowTheirItemLine) {
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

TEST_F(MainWindowRunTest, DiskTotalIsNotLimitedTo32Bits) {
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
