// The timer duties: when a scheduled clear run is due, the start-page monitor's question and
// both answers, and the removal of old logs by name.
#include <gtest/gtest.h>

#include <algorithm>

#include "main_window_fixture.h"
#include "registry/reg_key.h"
#include "settings/settings_store.h"
#include "ui/schedule.h"

namespace lumo {
namespace {

using namespace lumo::testing;

DateTime At(int h, int m, int s, int day = 17) { return DateTime::FromParts(2024, 5, day, h, m, s); }

TEST(ScheduleDue, RunIsDueByTheRules) {
    // Type, interval, hour of day, last run, now, and whether a run is due.
    const std::tuple<const char*, int16_t, int16_t, DateTime, DateTime, bool> cases[] = {
        {"daily", 15, 12, At(9, 0, 0, 16), At(12, 0, 0), true},  // the window opens on the hour
        {"daily", 15, 12, At(9, 0, 0, 16), At(11, 59, 59), false},  // not before
        {"daily", 15, 12, At(9, 0, 0, 16), At(12, 9, 59), true},  // its last second
        {"daily", 15, 12, At(9, 0, 0, 16), At(12, 10, 0), false},  // closed
        {"daily", 15, 12, At(12, 3, 0), At(12, 5, 0), false},  // once a day
        {"daily", 15, 0, At(23, 0, 0, 16), At(0, 4, 0), true},  // hour zero
        {"Daily", 15, 12, At(9, 0, 0, 16), At(12, 0, 0), false},  // the type's case counts
        {"none", 0, 12, At(9, 0, 0, 16), At(12, 0, 0), false},
        {"interval", 15, 12, At(10, 0, 50), At(10, 15, 0), true},  // minute boundaries are counted
        {"interval", 15, 12, At(10, 0, 50), At(10, 14, 59), false},
        {"interval", 0, 12, At(10, 0, 50), At(10, 0, 50), true},  // zero: every tick
        {"interval", 480, 12, At(10, 0, 0, 16), At(10, 0, 0), true},  // the first tick a day after start
        {"Interval", 0, 12, At(10, 0, 0, 16), At(10, 0, 0), false},
    };
    for (const auto& [type, interval, hour, last, now, due] : cases)
        EXPECT_EQ(Schedule::RunDue(type, interval, hour, last, now), due)
            << type << " at " << now.Hour() << ":" << now.Minute() << ":" << now.Second();
}

class ScheduleTest : public MainWindowTest {
protected:
    MainWindow& OpenWithStore() {
        MainWindow& w = OpenStandard();
        w.SetStore(&store);
        return w;
    }
    // "page|title" as the browser's key holds them.
    std::string Browser() {
        std::string out;
        for (const char* name : {"Start Page", "Window Title"}) {
            auto v = RegKey(registry).GetRegValue(name, rkCurrentUser, browserKey);
            out += std::string(out.empty() ? "" : "|") + (!v                        ? "<none>"
                                                          : v->ValueType == rvtNone ? "<deleted>"
                                                                                    : v->ValueDataString());
        }
        return out;
    }
    void SetBrowser(const std::string& page, const std::string& title) {
        RegKey(registry).SetRegValue("Start Page", rvtString, page, rkCurrentUser, browserKey);
        RegKey(registry).SetRegValue("Window Title", rvtString, title, rkCurrentUser, browserKey);
    }
    SettingsStore store{registry, "C:\\p\\SweepkitLumo.exe",
                        SettingsLocations::Below(rkCurrentUser, "Software\\SweepkitLumoTests\\monitor")};
    std::string browserKey = "Software\\SweepkitLumoTests\\monitor\\HKCU\\Software\\Microsoft\\Internet Explorer\\Main";
};

// The monitor asks about values that differ from the approved ones (a title of blanks and no
// title are the same), once, even while its question holds further ticks: Yes puts the approved
// values back (a blank title by deleting it), No approves the browser's values and stores them.
TEST_F(ScheduleTest, MonitorAsksOnceAboutChangedValuesAndYesRestoresWhileNoApproves) {
    struct Case {
        bool monitor;
        const char *approvedPage, *approvedTitle, *page, *title;
        MsgAnswer answer;
        size_t boxes;
        const char* browserAfter;
    };
    const Case cases[] = {
        {true, "about:blank", "Mine", "http://evil.example/", "Evil", MsgAnswer::Yes, 1, "about:blank|Mine"},
        {true, "about:blank", "   ", "about:blank", "Mine", MsgAnswer::Yes, 1, "about:blank|<deleted>"},
        {true, "about:blank", "Mine", "http://new.example/", "", MsgAnswer::No, 1, "http://new.example/|"},
        {true, "about:blank", "Mine", "about:blank", "Mine", MsgAnswer::Yes, 0, "about:blank|Mine"},
        {false, "about:blank", "", "http://evil.example/", "", MsgAnswer::Yes, 0, "http://evil.example/|"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        MainWindow& w = OpenWithStore();
        app->settings.MonitorStartPage = c.monitor;
        app->settings.StartPage = c.approvedPage;
        app->settings.WindowTitle = c.approvedTitle;
        SetBrowser(c.page, c.title);
        host.ClearBoxes();
        host.OnMessageBox = [&](const MessageBoxRequest&) {
            w.tmrSchedule.Tick();  // the real message box's loop goes on delivering ticks
            host.QueueAnswer(c.answer);
        };
        w.tmrSchedule.Tick();
        w.tmrSchedule.Tick();
        ASSERT_EQ(host.Boxes().size(), c.boxes) << "one question, and none once answered";
        EXPECT_EQ(Browser(), c.browserAfter);
        const bool no = c.boxes && c.answer == MsgAnswer::No;
        const std::string approved =
            no ? std::string(c.page) + "|" + c.title : std::string(c.approvedPage) + "|" + c.approvedTitle;
        EXPECT_EQ(app->settings.StartPage + "|" + app->settings.WindowTitle, approved);
        AppSettings stored;
        store.LoadSystemSettings(stored);
        EXPECT_EQ(stored.StartPage == c.page, no) << "only No stores";
        if (!c.boxes)
            continue;
        EXPECT_EQ(LastBox().text,
                  "Internet Explorer Start Page and Window Title have been changed!\r\nOriginal "
                  "Values: Start Page is \"" +
                      std::string(c.approvedPage) + "\", Window Title is \"" + c.approvedTitle +
                      "\"\r\nCurrent Values: Start Page is \"" + c.page + "\", Window Title is \"" + c.title +
                      "\"\r\n\r\n\"Yes\" to recover to the original values, \"No\" to update to the "
                      "current values.");
        EXPECT_EQ(LastBox().caption, "Monitor Message");
        EXPECT_EQ(LastBox().buttons, MsgButtons::YesNo);
    }
}

TEST_F(ScheduleTest, OnlyDailyLogNamesOlderThanTheKeptDaysGo) {
    MainWindow& w = OpenStandard();
    std::filesystem::path logs = dir.FsPath("prog/logs");
    w.Duties().DeleteOldLogs();
    EXPECT_FALSE(std::filesystem::exists(logs)) << "a missing logs folder is no error";
    std::filesystem::create_directories(logs / "L20000101.log");  // a folder of that name stays
    const Lines stay = {"L20000101.log", "L2004010.log", "L20240101.txt", "LABCDEFGH.log", "notes.txt"};
    const Lines dated = {"L20040101.LOG", "L20240513.log", "L20240516.log", "L20240517.log", "l20240512.LOG"};
    for (auto [keep, kept] : {std::pair{1, 1}, std::pair{2, 2}, std::pair{5, 3}}) {
        for (const auto& n : stay)
            if (n != stay[0])
                dir.Write("prog/logs/" + n, "x");
        for (const auto& n : dated)
            dir.Write("prog/logs/" + n, "x");
        std::filesystem::permissions(logs / "L20040101.LOG", std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove);
        app->settings.KeepLogDays = static_cast<int16_t>(keep);
        w.Duties().DeleteOldLogs();
        Lines left;
        for (const auto& e : std::filesystem::directory_iterator(logs))
            left.push_back(e.path().filename().string());
        Lines expected = stay;  // and the newest `kept` of the dated ones
        expected.insert(expected.end(), dated.end() - 1 - kept, dated.end() - 1);
        std::sort(left.begin(), left.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(left, expected) << "keep " << keep;
    }
    EXPECT_TRUE(host.HandlerFailures().empty());
}

}  // namespace
}  // namespace lumo
