// Show and Clear runs of the main window, headless, over a real configuration file and a
// temporary tree: status panels, the status column and icons, the selection, the text log, the
// summary, the clear question, the log offer, Stop in the middle of a run, and the menu mirror.
#include <gtest/gtest.h>

#include <utility>

#include "cleaner/customize_parsers.h"
#include "log/privacy_log.h"
#include "main_window_fixture.h"
#include "base/text.h"
#include "platform/file_system.h"

namespace lumo {
namespace {

using testing::MainWindowTest;

class MainWindowRunTest : public MainWindowTest {
protected:
    std::vector<std::string> Statuses() const {
        std::vector<std::string> s;
        for (ListItem& row : window->lvwPItem)
            s.push_back(row.Icon() + "|" + row.SubItems(1));
        return s;
    }
    // The Show button's caption, whether Clear is on, the schedule timer, the end-of-run flag.
    std::string Buttons() const {
        return window->cmdShow.Caption() + (window->cmdClear.Enabled() ? " 1" : " 0") +
               (window->tmrSchedule.Running() ? " timer on" : " timer off") +
               (window->l_bProcessEnd ? " idle" : " busy");
    }
    std::string LogFile() const { return JoinPath(JoinPath(Prog(), "logs"), "L20240517.log"); }
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
    std::vector<std::string> duringRun;
    host.OnDoEvents = [&](int) {
        ListItem* selected = w.lvwPItem.SelectedItem();
        duringRun.push_back(Panel(1) + "|" + Panel(2) + "|" + (selected ? selected->Text() : "none") + "|" + Buttons());
    };
    w.cmdShow.Click();
    w.lvwPItem.DetachPeer();

    // One message-loop pass per trace; the selection follows the row of the trace shown.
    EXPECT_EQ(duringRun, (std::vector<std::string>{"Windows\\Temp Files|1|Windows Temp Files|Stop 0 timer off busy",
                                                   "Windows\\Temp Files|2|Windows Temp Files|Stop 0 timer off busy",
                                                   "Browser\\Cache|3|Browser Cache|Stop 0 timer off busy"}));
    EXPECT_EQ(Statuses(),
              (std::vector<std::string>{"winshow|2 items", "winshow|0 items", "mieshow|1 items", "appshow|"}));
    // A Plugins record with no item sought writes -1 unchanged.
    EXPECT_EQ(
        Join(LogLines(), "|"),
        "Find Windows Temp Files: 2 tracks.|Find Windows Recent: 0 tracks.|===Find Windows: 2 tracks. Click "
        "\"View Log\" to see detail.||Find Browser Cache: 1 tracks.|===Find Browser: 1 tracks. Click \"View Log\" "
        "to see detail.||===Find Tool: -1 tracks. Click \"View Log\" to see detail.||Find Mine Scratch: 0 "
        "tracks.|===Find Mine: 0 tracks. Click \"View Log\" to see detail.|");
    EXPECT_EQ(Panel(1) + "|" + Panel(2) + "|" + Panel(3) + "|" + Panel(4), "ALL|3|1,235.57 K|");
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(LastBox().text, "Privacy Items:3\tDisk Space:1,235.57 K");
    EXPECT_EQ(LastBox().icon, MsgIcon::Information);
    EXPECT_TRUE(TreeHas("temp/a.tmp") && TreeHas("cache/c.dat"));
    EXPECT_EQ(Buttons(), "Show 1 timer on idle");
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
        std::vector<std::string> counters;
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
        if (displayCost == 0) {
            EXPECT_EQ(std::vector<std::string>(counters.begin(), counters.begin() + 3),
                      (std::vector<std::string>{"1", "5", "9"}))
                << "the first trace at once, then one every 33 ms, counting the traces between";
        }
        EXPECT_EQ(Panel(1) + "|" + Panel(2) + "|" + Panel(3) + "|" + Panel(4), "ALL|43|1,235.97 K|")
            << "the end shows the exact totals";
        EXPECT_EQ(LastBox().text, "Privacy Items:43\tDisk Space:1,235.97 K");
    }
}

TEST_F(MainWindowRunTest, ClearAsksFirstNoChangesNothingAndYesClearsTheSelectedItemsOnly) {
    MainWindow& w = OpenStandard();
    w.cmdShow.Click();
    host.ClearBoxes();
    host.QueueAnswer(MsgAnswer::No);
    w.cmdClear.Click();
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(LastBox().text, "Are you sure to clear all selected privacy items?");
    EXPECT_EQ(LastBox().buttons, MsgButtons::YesNo);
    EXPECT_EQ(LastBox().defaultButton, MsgDefault::Button2);
    EXPECT_EQ(host.DoEventsPasses(), 3) << "only the Show run's";
    EXPECT_TRUE(TreeHas("temp/a.tmp"));
    EXPECT_EQ(Statuses().front(), "winshow|2 items");

    host.QueueAnswers({MsgAnswer::Yes, MsgAnswer::Ok});
    w.cmdClear.Click();
    EXPECT_FALSE(TreeHas("temp/a.tmp"));
    EXPECT_FALSE(TreeHas("cache/c.dat"));
    EXPECT_TRUE(TreeHas("old/keep.txt")) << "unselected items are left alone";
    EXPECT_TRUE(TreeHas("never/keep.txt")) << "unselected records are left alone";
    ASSERT_EQ(host.Boxes().size(), 3u) << "question and summary, no log offer without logging";
    EXPECT_EQ(LastBox().text, "Privacy Items:3\tDisk Space:1,235.57 K");
    EXPECT_EQ(LogLines().at(12), "Clear Windows Temp Files: 2 tracks.") << "after the Show run's lines";
    EXPECT_EQ(Statuses(),
              (std::vector<std::string>{"windelete|2 items", "windelete|0 items", "miedelete|1 items", "appdelete|"}));
    EXPECT_EQ(w.lvwPItem.Item(1).SmallIcon(), "windelete");
    EXPECT_EQ(w.cmdClear.Caption(), "Clear");
    EXPECT_TRUE(w.cmdShow.Enabled());
    EXPECT_TRUE(shell.started.empty());
}

TEST_F(MainWindowRunTest, LoggedClearRunOffersTheLogOnlyWhenItAsked) {
    MainWindow& w = OpenStandard();
    app->settings.EnableFileLogging = true;
    struct Case {
        bool ask;
        MsgAnswer answer;  // to the log offer
        size_t boxes;  // shown in all
        size_t notepads;  // started so far
    };
    for (const Case& c : {Case{true, MsgAnswer::No, 3, 0}, Case{true, MsgAnswer::Yes, 3, 1}, Case{false, {}, 1, 1}}) {
        SCOPED_TRACE(static_cast<int>(c.answer) + 10 * c.ask);
        MakeStandardTree();
        std::filesystem::remove(LogFile());
        host.ClearBoxes();
        if (c.ask)
            host.QueueAnswers({MsgAnswer::Yes, MsgAnswer::Ok, c.answer});
        c.ask ? w.cmdClear.Click() : w.ScheduleClear();
        ASSERT_EQ(host.Boxes().size(), c.boxes);
        EXPECT_NE(testing::ReadBytes(LogFile()).find(JoinPath(Tree("temp"), "a.tmp")), std::string::npos)
            << "the run's traces are in the log";
        EXPECT_EQ(LastBox().text,
                  c.ask ? "Log file is " + LogFile() + ", view it?" : "Privacy Items:3\tDisk Space:1,235.57 K");
        EXPECT_EQ(LastBox().defaultButton, c.ask ? MsgDefault::Button2 : MsgDefault::Button1);
        EXPECT_EQ(shell.started, std::vector<std::string>(c.notepads, "notepad.exe " + LogFile()));
        EXPECT_FALSE(w.ActivityLog().IsOpen());
    }
}

TEST_F(MainWindowRunTest, ALogThatCannotBeOpenedIsNamedAndTheRunGoesOn) {
    MainWindow& w = OpenStandard();
    app->settings.EnableFileLogging = true;
    testing::WriteBytes(JoinPath(Prog(), "logs"), "in the way");  // a file where the logs folder should be
    host.QueueAnswers({MsgAnswer::Yes, MsgAnswer::Ok});
    w.cmdClear.Click();
    ASSERT_GE(LogLines().size(), 2u);
    EXPECT_EQ(LogLines()[0], "Cannot open the log file " + LogFile() + "; this run is not logged.");
    EXPECT_EQ(LogLines()[1], "Clear Windows Temp Files: 2 tracks.");
    EXPECT_FALSE(TreeHas("temp/a.tmp"));
    EXPECT_EQ(host.Boxes().size(), 2u) << "no offer of a log that does not exist";
}

TEST_F(MainWindowRunTest, StopInTheMiddleEndsTheRunWithWhatWasFoundAndTheMenuMirrorsTheRun) {
    MakeFile("cache/d.dat", 5);
    MainWindow& w = OpenStandard();
    MenuHolder& m = w.Menu();
    MenuItem* busy[] = {&m.menuFileLogging, &m.menuSTFileLogging, &m.menuReloadConfig,
                        &m.menuPreference,  &m.menuAddPlugins,    &m.menuAddCustom};
    // Captions of Show, Clear and Clear Now, then which of the three and of the busy items are on.
    auto state = [&] {
        std::string s = m.menuShow.Caption() + "|" + m.menuClear.Caption() + "|" + m.menuSTClearNow.Caption() + "|";
        for (MenuItem* i : {&m.menuShow, &m.menuClear, &m.menuSTClearNow})
            s += i->Enabled() ? '1' : '0';
        for (MenuItem* i : busy)
            s += i->Enabled() ? '1' : '0';
        return s;
    };
    std::vector<std::string> seen;
    host.OnDoEvents = [&](int) {
        seen.push_back(state());
        m.menuShow.Click();  // the menu's Stop is the button's
    };
    w.cmdShow.Click();
    EXPECT_EQ(host.DoEventsPasses(), 1) << "the walk polls the request after each trace";
    EXPECT_EQ(Panel(2), "1");
    EXPECT_EQ(LastBox().text.rfind("Privacy Items:1\t", 0), 0u) << LastBox().text;
    EXPECT_EQ(w.cmdShow.Caption(), "Show");
    EXPECT_FALSE(app->StopRequested);

    host.OnDoEvents = [&](int) {
        seen.push_back(state());
        w.cmdClear.Click();
    };
    w.ScheduleClear();
    EXPECT_EQ(host.DoEventsPasses(), 2);
    EXPECT_EQ(seen, (std::vector<std::string>{"Stop|&Clear|Clear Now|100000000", "Show|Stop|Stop|010000000"}));
    EXPECT_EQ(state(), "Show|Clear|Clear Now|111111111");
}

TEST_F(MainWindowRunTest, NothingFoundShowsZeroAndAnEmptyListSelectsNothing) {
    WriteConfig({"[Config]", "Software:Mine", "Type:Customs", "Selected:1", "Scratch<>1<>0<>Folder><" + Tree("empty")});
    std::filesystem::create_directories(dir.FsPath() / "tree" / "empty");
    MainWindow& w = Open();
    ASSERT_EQ(w.lvwPItem.ItemCount(), 0);
    w.cmdShow.Click();
    EXPECT_EQ(w.lvwPItem.SelectedItem(), nullptr);
    EXPECT_EQ(LastBox().text, "Privacy Items:0\tDisk Space:0.00 K");
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Find Mine Scratch: 0 tracks.",
                                                    "===Find Mine: 0 tracks. Click \"View Log\" to see detail.", ""}))
        << "a Customs record has no row, only its lines";
    EXPECT_TRUE(host.HandlerFailures().empty());
}

TEST_F(MainWindowRunTest, DiskTotalIsNotLimitedTo32Bits) {
    MainWindow& w = OpenStandard();
    w.RunPrivacy(false, false, false);
    PrivacyItem pi;
    pi.Software = "Windows";
    pi.Title = "Temp Files";
    PrivacyValue big;
    big.Size = int64_t{3} * 1000 * 1000 * 1000;
    w.DisplayValue(pi, big);
    progressNow += std::chrono::seconds(1);
    w.DisplayValue(pi, big);
    EXPECT_EQ(w.DiskTotal(), int64_t{6} * 1000 * 1000 * 1000);
    EXPECT_EQ(Panel(3), "6,000,000.00 K");
}

TEST_F(MainWindowRunTest, WhatAParserHasToTellTheUserFollowsItsItemLine) {
    WriteConfig({"[Config]", "Software:Mozilla Firefox", "Type:Root", "Selected:1",
                 "History<>1<>0<>Customize><ParseFirefoxHistory<>" + Tree("ff")});
    MakeFile("ff/p/places.sqlite", 3000);  // not a database
    testing::WriteBytes(Tree("ff/profiles.ini"), "[Profile0]\nName=default\nIsRelative=1\nPath=p\n");
    MainWindow& w = Open();
    SpecialParser parser;
    app->SetSpecialParser(&parser);
    w.cmdShow.Click();
    // The profile's path as the parser builds it, with the system's own separators.
    EXPECT_EQ(LogLines().at(1),
              "    The history database " + JoinPath(JoinPath(Tree("ff"), "p"), "places.sqlite") +
                  " is damaged or not a database (file is not a database); nothing in it was changed");
    EXPECT_EQ(LogLines()[0], "Find Mozilla Firefox History: 1 tracks.");
}

}  // namespace
}  // namespace lumo
