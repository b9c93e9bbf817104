// The timer duties: when the schedule starts a clear run, the start-page monitor's question and
// both answers, and the removal of old logs by name.
#include <gtest/gtest.h>

#include "main_window_fixture.h"
#include "registry/reg_key.h"
#include "settings/settings_store.h"
#include "ui/schedule.h"

namespace lumo {
namespace {

using testing::MainWindowTest;

DateTime At(int h, int m, int s, int day = 17) { return DateTime::FromParts(2024, 5, day, h, m, s); }

TEST(ScheduleDue, RunIsDueByTheRules) {
    struct Case {
        const char* name;
        const char* type;
        int16_t interval, hour;
        DateTime last, now;
        bool due;
    };
    const Case cases[] = {
        {"daily_window_opens_on_the_hour", "daily", 15, 12, At(9, 0, 0, 16), At(12, 0, 0), true},
        {"daily_before_the_hour", "daily", 15, 12, At(9, 0, 0, 16), At(11, 59, 59), false},
        {"daily_last_second_of_window", "daily", 15, 12, At(9, 0, 0, 16), At(12, 9, 59), true},
        {"daily_window_closed", "daily", 15, 12, At(9, 0, 0, 16), At(12, 10, 0), false},
        {"daily_once_per_day", "daily", 15, 12, At(12, 3, 0), At(12, 5, 0), false},
        {"daily_hour_zero", "daily", 15, 0, At(23, 0, 0, 16), At(0, 4, 0), true},
        {"capital_daily_never", "Daily", 15, 12, At(9, 0, 0, 16), At(12, 0, 0), false},
        {"none_never", "none", 0, 12, At(9, 0, 0, 16), At(12, 0, 0), false},
        {"interval_counts_minute_boundaries", "interval", 15, 12, At(10, 0, 50), At(10, 15, 0), true},
        {"interval_one_boundary_short", "interval", 15, 12, At(10, 0, 50), At(10, 14, 59), false},
        {"interval_zero_every_tick", "interval", 0, 12, At(10, 0, 50), At(10, 0, 50), true},
        {"interval_first_tick_after_start", "interval", 480, 12, At(10, 0, 0, 16), At(10, 0, 0), true},
        {"capital_interval_never", "Interval", 0, 12, At(10, 0, 0, 16), At(10, 0, 0), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Schedule::RunDue(c.type, c.interval, c.hour, c.last, c.now), c.due) << c.name;
}

class ScheduleTest : public MainWindowTest {
protected:
    std::string BrowserValue(const char* name) {
        auto v = RegKey(registry).GetRegValue(name, rkCurrentUser, browserKey);
        return !v ? "<none>" : v->ValueType == rvtNone ? "<deleted>" : v->ValueDataString();
    }
    void SetBrowser(const std::string& page, const std::string& title) {
        RegHandle h = 0;
        ASSERT_EQ(registry.CreateKey(RootHandle(rkCurrentUser), browserKey, keyAllAccess, h), 0);
        registry.CloseKey(h);
        RegKey key(registry);
        key.SetRegValue("Start Page", rvtString, page, rkCurrentUser, browserKey);
        key.SetRegValue("Window Title", rvtString, title, rkCurrentUser, browserKey);
    }
    MainWindow& OpenMonitoring(const char* page, const char* title) {
        MainWindow& w = OpenStandard();
        app->settings.MonitorStartPage = true;
        app->settings.StartPage = page;
        app->settings.WindowTitle = title;
        return w;
    }
    std::string browserKey = "Software\\Microsoft\\Internet Explorer\\Main";
};

TEST_F(ScheduleTest, TickStartsAClearRunWithoutAskingAndRemembersIt) {
    MainWindow& w = OpenStandard();
    app->settings.ScheduleType = "interval";
    app->settings.ScheduleInterval = 15;
    clock.Set(At(9, 31, 0));
    w.tmrSchedule.Tick();
    ASSERT_EQ(host.Boxes().size(), 1u) << "only the summary";
    EXPECT_EQ(LastBox().text.rfind("Privacy Items:3", 0), 0u);
    EXPECT_FALSE(TreeHas("temp/a.tmp"));
    EXPECT_EQ(app->LastScheduledRun, At(9, 31, 0));
    EXPECT_TRUE(w.tmrSchedule.Running());
    struct Step {
        DateTime now;
        size_t boxes;
    };
    // The clock going back an hour (by hand, or daylight saving ends) starts the interval afresh
    // there rather than waiting for the hour to come round again.
    for (const Step& s : {Step{At(9, 45, 59), 1}, Step{At(9, 46, 0), 2}, Step{At(8, 46, 0), 2}, Step{At(9, 1, 0), 3}}) {
        clock.Set(s.now);
        w.tmrSchedule.Tick();
        EXPECT_EQ(host.Boxes().size(), s.boxes) << "step to " << s.boxes;
    }
    EXPECT_EQ(app->LastScheduledRun, At(9, 1, 0));
}

TEST_F(ScheduleTest, MonitorAsksInFiveLinesAndYesRestoresTheApprovedValuesOrDeletesABlankTitle) {
    MainWindow& w = OpenMonitoring("about:blank", "Mine");
    SetBrowser("http://evil.example/", "Evil");
    host.QueueAnswer(MsgAnswer::Yes);
    w.tmrSchedule_Timer();
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(LastBox().text,
              "Internet Explorer Start Page and Window Title have been changed!\r\n"
              "Original Values: Start Page is \"about:blank\", Window Title is \"Mine\"\r\n"
              "Current Values: Start Page is \"http://evil.example/\", Window Title is \"Evil\"\r\n"
              "\r\n"
              "\"Yes\" to recover to the original values, \"No\" to update to the current values.");
    EXPECT_EQ(LastBox().caption, "Monitor Message");
    EXPECT_EQ(LastBox().buttons, MsgButtons::YesNo);
    EXPECT_EQ(BrowserValue("Start Page") + "|" + BrowserValue("Window Title"), "about:blank|Mine");
    w.tmrSchedule_Timer();
    EXPECT_EQ(host.Boxes().size(), 1u) << "matching values ask nothing";

    app->settings.WindowTitle = "   ";
    host.QueueAnswer(MsgAnswer::Yes);
    w.tmrSchedule_Timer();
    EXPECT_EQ(host.Boxes().size(), 2u);
    EXPECT_EQ(BrowserValue("Window Title"), "<deleted>");
    w.tmrSchedule_Timer();
    EXPECT_EQ(host.Boxes().size(), 2u) << "no title is what a title of blanks approved";
}

TEST_F(ScheduleTest, AMonitorWriteThatFailsIsToldOnceAndTheOtherDutiesStillRun) {
    MainWindow& w = OpenMonitoring("about:blank", "");
    app->settings.ScheduleType = "interval";
    app->settings.ScheduleInterval = 15;
    std::filesystem::path old = std::filesystem::path(Prog()) / "logs" / "L20240101.log";
    std::filesystem::create_directories(old.parent_path());
    testing::WriteBytes(old.string(), "x");
    SetBrowser("http://evil.example/", "");
    registry.FailNext(MemoryRegistry::Op::SetValue, 5);  // the browser's key refuses the Yes
    host.QueueAnswer(MsgAnswer::Yes);
    w.tmrSchedule.Tick();
    ASSERT_EQ(host.Boxes().size(), 3u) << "question, failure, then the scheduled run's summary";
    EXPECT_EQ(host.Boxes()[1].text.rfind("The browser's start page and window title could not be put back.\r\n\r\n"
                                         "Access was denied (error 5).",
                                         0),
              0u)
        << host.Boxes()[1].text;
    EXPECT_EQ(host.Boxes()[2].text.rfind("Privacy Items:", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(old)) << "the old-log duty ran too";
    EXPECT_EQ(BrowserValue("Start Page"), "http://evil.example/");

    w.tmrSchedule.Tick();
    EXPECT_EQ(host.Boxes().size(), 3u) << "the answered question is not asked again";
    SetBrowser("http://other.example/", "");
    host.QueueAnswer(MsgAnswer::Yes);
    w.tmrSchedule.Tick();
    EXPECT_EQ(host.Boxes().size(), 4u) << "a new change is asked about";
    EXPECT_EQ(BrowserValue("Start Page"), "about:blank");
}

TEST_F(ScheduleTest, MonitorNoApprovesTheCurrentValuesInTheSettingsStore) {
    MainWindow& w = OpenMonitoring("about:blank", "Mine");
    SettingsStore store(registry, "C:\\p\\SweepkitLumo.exe",
                        SettingsLocations::Below(rkCurrentUser, "Software\\SweepkitLumoTests\\monitor"));
    w.SetStore(&store);
    browserKey = "Software\\SweepkitLumoTests\\monitor\\HKCU\\" + browserKey;
    SetBrowser("http://new.example/", "");
    host.QueueAnswer(MsgAnswer::No);
    w.tmrSchedule_Timer();
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(app->settings.StartPage + "|" + app->settings.WindowTitle, "http://new.example/|");
    AppSettings stored;
    store.LoadSystemSettings(stored);
    EXPECT_EQ(stored.StartPage, "http://new.example/");
    EXPECT_EQ(BrowserValue("Start Page"), "http://new.example/") << "the browser is left as it is";
    w.tmrSchedule_Timer();
    EXPECT_EQ(host.Boxes().size(), 1u) << "approved now";
}

TEST_F(ScheduleTest, MonitorOffAsksNothingAndAnOpenQuestionHoldsFurtherTicks) {
    MainWindow& w = OpenMonitoring("about:blank", "");
    app->settings.MonitorStartPage = false;
    SetBrowser("http://evil.example/", "");
    w.tmrSchedule_Timer();
    EXPECT_TRUE(host.Boxes().empty());

    app->settings.MonitorStartPage = true;
    host.OnMessageBox = [&](const MessageBoxRequest&) {
        w.tmrSchedule.Tick();  // the real message box's loop goes on delivering ticks
        host.QueueAnswer(MsgAnswer::Yes);
    };
    w.tmrSchedule.Tick();
    EXPECT_EQ(host.Boxes().size(), 1u) << "one question, not one per tick";
    EXPECT_EQ(BrowserValue("Start Page"), "about:blank");
}

TEST_F(ScheduleTest, OnlyDailyLogNamesOlderThanTheKeptDaysGo) {
    MainWindow& w = OpenStandard();
    std::filesystem::path logs = std::filesystem::path(Prog()) / "logs";
    w.Duties().DeleteOldLogs();
    EXPECT_FALSE(std::filesystem::exists(logs)) << "a missing logs folder is no error";
    std::filesystem::create_directories(logs / "L20000101.log");  // a folder of that name stays
    const std::vector<std::string> stay = {"L20000101.log", "L2004010.log", "L20240101.txt", "LABCDEFGH.log",
                                           "notes.txt"};
    const std::vector<std::string> dated = {"L20040101.LOG", "L20240513.log", "L20240516.log", "L20240517.log",
                                            "l20240512.LOG"};
    for (auto [keep, kept] : {std::pair{1, 1}, std::pair{2, 2}, std::pair{5, 3}}) {
        for (const auto& n : stay)
            if (n != "L20000101.log")
                testing::WriteBytes((logs / n).string(), "x");
        for (const auto& n : dated)
            testing::WriteBytes((logs / n).string(), "x");
        std::filesystem::permissions(logs / "L20040101.LOG", std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove);
        app->settings.KeepLogDays = static_cast<int16_t>(keep);
        w.Duties().DeleteOldLogs();
        std::vector<std::string> left;
        for (const auto& e : std::filesystem::directory_iterator(logs))
            left.push_back(e.path().filename().string());
        std::sort(left.begin(), left.end());
        std::vector<std::string> expected = stay;  // and the newest `kept` of the dated ones
        expected.insert(expected.end(), dated.end() - 1 - kept, dated.end() - 1);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(left, expected) << "keep " << keep;
        EXPECT_TRUE(host.HandlerFailures().empty());
    }
}

}  // namespace
}  // namespace lumo
