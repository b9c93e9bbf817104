// Show and Clear runs of the main window, headless, over a real configuration file and a
// temporary tree: status panels, the status column and icons, the text log, the summary, the
// clear question, the log offer, Stop in the middle of a run, and the menu mirror.
#include <gtest/gtest.h>

#include <utility>

#include "cleaner/customize_parsers.h"
#include "log/privacy_log.h"
#include "main_window_fixture.h"
#include "platform/file_system.h"

namespace lumo {
namespace {

using testing::Lines;
using testing::MainWindowTest;

class MainWindowRunTest : public MainWindowTest {
protected:
    MainWindow& OpenStandard() {
        WriteConfig(StandardConfig());
        MakeStandardTree();
        return Open();
    }
    std::vector<std::string> Statuses() const {
        std::vector<std::string> s;
        for (ListItem& row : window->lvwPItem)
            s.push_back(row.Icon() + "|" + row.SubItems(1));
        return s;
    }
    std::string LogFile() const { return JoinPath(JoinPath(Prog(), "logs"), "L20240517.log"); }
};

TEST_F(MainWindowRunTest, ShowFillsStatusesLogAndSummaryAndClearsNothing) {
    MainWindow& w = OpenStandard();
    std::vector<std::string> panelsDuringRun;
    host.OnDoEvents = [&](int) {
        panelsDuringRun.push_back(Panel(1) + "|" + Panel(2) + "|" + Panel(3) + "|" + Panel(4));
        EXPECT_EQ(w.cmdShow.Caption(), "Stop");
        EXPECT_FALSE(w.cmdClear.Enabled());
        EXPECT_FALSE(w.tmrSchedule.Running());
        EXPECT_FALSE(w.l_bProcessEnd);
    };
    w.cmdShow.Click();

    ASSERT_EQ(panelsDuringRun.size(), 3u) << "one message-loop pass per trace";
    EXPECT_EQ(panelsDuringRun[2].substr(0, panelsDuringRun[2].find('|', panelsDuringRun[2].find('|') + 1)),
              "Browser\\Cache|3");
    EXPECT_EQ(Statuses(),
              (std::vector<std::string>{"winshow|2 items", "winshow|0 items", "mieshow|1 items", "appshow|"}));
    EXPECT_EQ(LogLines(), (std::vector<std::string>{
                              "Find Windows Temp Files: 2 tracks.",
                              "Find Windows Recent: 0 tracks.",
                              "===Find Windows: 2 tracks. Click \"View Log\" to see detail.",
                              "",
                              "Find Browser Cache: 1 tracks.",
                              "===Find Browser: 1 tracks. Click \"View Log\" to see detail.",
                              "",
                              "===Find Tool: -1 tracks. Click \"View Log\" to see detail.",
                              "",
                              "Find Mine Scratch: 0 tracks.",
                              "===Find Mine: 0 tracks. Click \"View Log\" to see detail.",
                              "",
                          }))
        << "a Plugins record with no item sought writes -1 unchanged";
    EXPECT_EQ(Panel(1), "ALL");
    EXPECT_EQ(Panel(2), "3");
    EXPECT_EQ(Panel(3), "1,235.57 K");
    EXPECT_EQ(Panel(4), "");
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(LastBox().text, "Privacy Items:3\tDisk Space:1,235.57 K");
    EXPECT_EQ(LastBox().icon, MsgIcon::Information);
    EXPECT_EQ(LastBox().caption, "Sweepkit Lumo");
    EXPECT_TRUE(TreeHas("temp/a.tmp"));
    EXPECT_TRUE(TreeHas("cache/c.dat"));

    EXPECT_EQ(w.cmdShow.Caption(), "Show");
    EXPECT_TRUE(w.cmdClear.Enabled());
    EXPECT_TRUE(w.tmrSchedule.Running());
    EXPECT_TRUE(w.l_bProcessEnd);
    EXPECT_FALSE(app->StopRequested);
    EXPECT_EQ(w.lvwPItem.SelectedItem(), &w.lvwPItem.Item(1)) << "the run ends on the first row";
}

struct PacingCase {
    const char* name;
    int displayCostMs;  // what a repaint of the new progress costs (a slow display server)
    int minDisplayGapMs;
};

class MainWindowPacingTest : public MainWindowRunTest, public ::testing::WithParamInterface<PacingCase> {};

TEST_P(MainWindowPacingTest, ProgressShowsAFewDozenTimesASecondStopIsTakenAndTheEndShowsEveryTrace) {
    const PacingCase& c = GetParam();
    for (int i = 0; i < 40; ++i)
        MakeFile("temp/more" + std::to_string(i) + ".tmp", 10);
    progressStep = std::chrono::milliseconds(10);  // a trace every 10 ms
    MainWindow& w = OpenStandard();
    using Ms = std::chrono::milliseconds;
    std::vector<std::chrono::steady_clock::time_point> passes, displays;
    std::vector<std::string> counters;
    std::string shown;
    host.OnDoEvents = [&](int) {
        passes.push_back(progressNow);
        if (Panel(2) != shown) {
            shown = Panel(2);
            displays.push_back(progressNow);
            counters.push_back(shown);
            progressNow += Ms(c.displayCostMs);
        }
    };
    w.cmdShow.Click();

    ASSERT_GE(displays.size(), 2u);
    for (size_t i = 1; i < displays.size(); ++i)
        EXPECT_GE(displays[i] - displays[i - 1], Ms(c.minDisplayGapMs)) << i;
    for (size_t i = 1; i < passes.size(); ++i)
        EXPECT_LE(passes[i] - passes[i - 1], Ms(33 + 10 + c.displayCostMs)) << "a click on Stop waits no longer";
    if (c.displayCostMs == 0) {
        EXPECT_EQ(std::vector<std::string>(counters.begin(), counters.begin() + 3),
                  (std::vector<std::string>{"1", "5", "9"}))
            << "the first trace at once, then one every 33 ms, counting the traces between";
    }
    EXPECT_EQ(Panel(1), "ALL");
    EXPECT_EQ(Panel(2), "43") << "the end shows the exact totals";
    EXPECT_EQ(Panel(3), "1,235.97 K");
    EXPECT_EQ(Panel(4), "");
    EXPECT_EQ(LastBox().text, "Privacy Items:43\tDisk Space:1,235.97 K");
}

INSTANTIATE_TEST_SUITE_P(Cases, MainWindowPacingTest,
                         ::testing::Values(PacingCase{"quick_display", 0, 33}, PacingCase{"slow_display", 20, 100}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowRunTest, ClearAsksFirstAndNoChangesNothing) {
    MainWindow& w = OpenStandard();
    host.QueueAnswer(MsgAnswer::No);
    w.cmdClear.Click();
    ASSERT_EQ(host.Boxes().size(), 1u);
    const auto& q = host.Boxes()[0];
    EXPECT_EQ(q.text, "Are you sure to clear all selected privacy items?");
    EXPECT_EQ(q.buttons, MsgButtons::YesNo);
    EXPECT_EQ(q.icon, MsgIcon::Exclamation);
    EXPECT_EQ(q.defaultButton, MsgDefault::Button2);
    EXPECT_EQ(host.DoEventsPasses(), 0);
    EXPECT_TRUE(LogLines().empty());
    EXPECT_TRUE(TreeHas("temp/a.tmp"));
    EXPECT_EQ(Statuses().front(), "win|");
}

TEST_F(MainWindowRunTest, ClearWithoutLoggingRemovesTracesAndOffersNoLog) {
    MainWindow& w = OpenStandard();
    host.QueueAnswers({MsgAnswer::Yes, MsgAnswer::Ok});
    w.cmdClear.Click();
    EXPECT_FALSE(TreeHas("temp/a.tmp"));
    EXPECT_FALSE(TreeHas("cache/c.dat"));
    EXPECT_TRUE(TreeHas("old/keep.txt")) << "unselected items are left alone";
    EXPECT_TRUE(TreeHas("never/keep.txt")) << "unselected records are left alone";
    ASSERT_EQ(host.Boxes().size(), 2u) << "question and summary, no log offer";
    EXPECT_EQ(LastBox().text, "Privacy Items:3\tDisk Space:1,235.57 K");
    EXPECT_EQ(LogLines().front(), "Clear Windows Temp Files: 2 tracks.");
    EXPECT_EQ(Statuses().front(), "windelete|2 items");
    EXPECT_EQ(w.cmdClear.Caption(), "Clear");
    EXPECT_TRUE(w.cmdShow.Enabled());
    EXPECT_TRUE(shell.started.empty());
}

TEST_F(MainWindowRunTest, AfterAScanAClearTurnsShowIconsIntoDeleteIcons) {
    MainWindow& w = OpenStandard();
    w.cmdShow.Click();
    ASSERT_EQ(w.lvwPItem.Item(1).Icon(), "winshow");
    host.QueueAnswer(MsgAnswer::Yes);
    w.cmdClear.Click();
    EXPECT_EQ(w.lvwPItem.Item(1).Icon(), "windelete");
    EXPECT_EQ(w.lvwPItem.Item(1).SmallIcon(), "windelete");
    EXPECT_EQ(w.lvwPItem.Item(3).Icon(), "miedelete");
}

struct LogOfferCase {
    const char* name;
    bool ask;
    MsgAnswer answer;  // to the log offer
    size_t boxes;  // shown in all
    bool notepad;
};

class MainWindowLogOfferTest : public MainWindowRunTest, public ::testing::WithParamInterface<LogOfferCase> {};

TEST_P(MainWindowLogOfferTest, LoggedClearRunOffersTheLogOnlyWhenItAsked) {
    const LogOfferCase& c = GetParam();
    MainWindow& w = OpenStandard();
    app->settings.EnableFileLogging = true;
    if (c.ask)
        host.QueueAnswers({MsgAnswer::Yes, MsgAnswer::Ok, c.answer});
    c.ask ? w.cmdClear.Click() : w.ScheduleClear();
    ASSERT_EQ(host.Boxes().size(), c.boxes);
    EXPECT_TRUE(std::filesystem::exists(LogFile()));
    EXPECT_NE(testing::ReadBytes(LogFile()).find(JoinPath(Tree("temp"), "a.tmp")), std::string::npos)
        << "the run's traces are in the log";
    if (c.ask) {
        EXPECT_EQ(LastBox().text, "Log file is " + LogFile() + ", view it?");
        EXPECT_EQ(LastBox().icon, MsgIcon::Question);
        EXPECT_EQ(LastBox().defaultButton, MsgDefault::Button2);
    } else {
        EXPECT_EQ(LastBox().text.rfind("Privacy Items:", 0), 0u) << "only the summary";
    }
    EXPECT_EQ(shell.started,
              c.notepad ? std::vector<std::string>{"notepad.exe " + LogFile()} : std::vector<std::string>{});
    EXPECT_FALSE(w.ActivityLog().IsOpen());
}

INSTANTIATE_TEST_SUITE_P(Cases, MainWindowLogOfferTest,
                         ::testing::Values(LogOfferCase{"asked_yes", true, MsgAnswer::Yes, 3, true},
                                           LogOfferCase{"asked_no", true, MsgAnswer::No, 3, false},
                                           LogOfferCase{"scheduled", false, MsgAnswer::No, 1, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowRunTest, ALogThatCannotBeOpenedIsNamedAndTheRunGoesOn) {
    MainWindow& w = OpenStandard();
    app->settings.EnableFileLogging = true;
    // A file where the logs folder should be: the folder cannot be made.
    testing::WriteBytes(JoinPath(Prog(), "logs"), "in the way");
    host.QueueAnswers({MsgAnswer::Yes, MsgAnswer::Ok});
    w.cmdClear.Click();
    ASSERT_FALSE(LogLines().empty());
    EXPECT_EQ(LogLines().front(), "Cannot open the log file " + LogFile() + "; this run is not logged.");
    EXPECT_EQ(LogLines()[1], "Clear Windows Temp Files: 2 tracks.");
    EXPECT_FALSE(TreeHas("temp/a.tmp"));
    EXPECT_EQ(host.Boxes().size(), 2u) << "no offer of a log that does not exist";
    EXPECT_TRUE(w.l_bProcessEnd);
}

TEST_F(MainWindowRunTest, StopInTheMiddleEndsTheRunWithWhatWasFound) {
    MakeFile("cache/d.dat", 5);
    MainWindow& w = OpenStandard();
    host.OnDoEvents = [&](int pass) {
        if (pass == 1) {
            EXPECT_EQ(w.Menu().menuShow.Caption(), "Stop");
            w.Menu().menuShow.Click();  // the menu's Stop is the button's
        }
    };
    w.cmdShow.Click();
    EXPECT_EQ(host.DoEventsPasses(), 1) << "the walk polls the request after each trace";
    EXPECT_EQ(Panel(2), "1");
    EXPECT_EQ(LastBox().text.rfind("Privacy Items:1\t", 0), 0u) << LastBox().text;
    EXPECT_EQ(w.cmdShow.Caption(), "Show");
    EXPECT_EQ(w.Menu().menuShow.Caption(), "Show");
    EXPECT_TRUE(w.Menu().menuReloadConfig.Enabled());
    EXPECT_FALSE(app->StopRequested);

    host.OnDoEvents = [&](int) { w.cmdClear.Click(); };
    host.ClearBoxes();
    host.QueueAnswer(MsgAnswer::Yes);
    int before = host.DoEventsPasses();
    w.cmdClear.Click();
    EXPECT_EQ(host.DoEventsPasses() - before, 1);
    EXPECT_EQ(w.cmdClear.Caption(), "Clear");
    EXPECT_EQ(w.Menu().menuSTClearNow.Caption(), "Clear Now");
}

TEST_F(MainWindowRunTest, MenuItemsMirrorTheRunState) {
    MainWindow& w = OpenStandard();
    MenuHolder& m = w.Menu();
    struct Seen {
        std::string show, clear, clearNow;
        bool showOn, clearOn, clearNowOn, others;
    };
    std::vector<Seen> seen;
    bool firstPass = true;
    host.OnDoEvents = [&](int) {
        if (!std::exchange(firstPass, false))
            return;
        bool others = false;
        for (MenuItem* i : {&m.menuFileLogging, &m.menuSTFileLogging, &m.menuReloadConfig, &m.menuPreference,
                            &m.menuAddPlugins, &m.menuAddCustom})
            others = others || i->Enabled();
        seen.push_back({m.menuShow.Caption(), m.menuClear.Caption(), m.menuSTClearNow.Caption(), m.menuShow.Enabled(),
                        m.menuClear.Enabled(), m.menuSTClearNow.Enabled(), others});
    };
    w.cmdShow.Click();
    firstPass = true;
    w.ScheduleClear();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].show, "Stop");
    EXPECT_EQ(seen[0].clear, "&Clear");
    EXPECT_EQ(seen[0].clearNow, "Clear Now");
    EXPECT_TRUE(seen[0].showOn);
    EXPECT_FALSE(seen[0].clearOn);
    EXPECT_FALSE(seen[0].clearNowOn);
    EXPECT_FALSE(seen[0].others);
    EXPECT_EQ(seen[1].show, "Show");
    EXPECT_EQ(seen[1].clear, "Stop");
    EXPECT_EQ(seen[1].clearNow, "Stop");
    EXPECT_FALSE(seen[1].showOn);
    EXPECT_TRUE(seen[1].clearOn);
    EXPECT_FALSE(seen[1].clearNowOn);
    EXPECT_FALSE(seen[1].others);

    EXPECT_EQ(m.menuClear.Caption(), "Clear");
    EXPECT_EQ(m.menuSTClearNow.Caption(), "Clear Now");
    for (MenuItem* i : {&m.menuShow, &m.menuClear, &m.menuSTClearNow, &m.menuFileLogging, &m.menuSTFileLogging,
                        &m.menuReloadConfig, &m.menuPreference, &m.menuAddPlugins, &m.menuAddCustom})
        EXPECT_TRUE(i->Enabled()) << i->Name();
}

TEST_F(MainWindowRunTest, NothingFoundShowsZeroAndAnEmptyListSelectsNothing) {
    WriteConfig({"[Config]", "Software:Mine", "Type:Customs", "Selected:1", "Scratch<>1<>0<>Folder><" + Tree("empty")});
    std::filesystem::create_directories(dir.FsPath() / "tree" / "empty");
    MainWindow& w = Open();
    ASSERT_EQ(w.lvwPItem.ItemCount(), 0);
    w.cmdShow.Click();
    EXPECT_EQ(w.lvwPItem.SelectedItem(), nullptr);
    EXPECT_EQ(Panel(2), "0");
    EXPECT_EQ(Panel(3), "0.00 K");
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
    EXPECT_EQ(w.KiloBytes(1234567), "1,234.57 K");
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
    std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Find Mozilla Firefox History: 1 tracks.");
    // The profile's path as the parser builds it, with the system's own separators.
    EXPECT_EQ(lines[1], "    The history database " + JoinPath(JoinPath(Tree("ff"), "p"), "places.sqlite") +
                            " is damaged or not a database (file is not a database); nothing in it was changed");
}

}  // namespace
}  // namespace lumo
