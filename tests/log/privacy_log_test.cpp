// The activity log's files, blocks and lines, through the portable file system and a set clock.
#include <gtest/gtest.h>

#include "log/privacy_log.h"
#include "platform/ansi.h"
#include "platform/portable/portable_clock.h"
#include "platform/portable/portable_file_system.h"
#include "support/scratch_folder.h"

namespace lumo {
namespace {

using testing::ScratchFolder;

const std::string kSeparator = "-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=";

std::string Start(const std::string& when) {
    return "\r\n" + kSeparator + "\r\n-=-=-=-=-=              start log at " + when + "              -=-=-=-=-=\r\n";
}
std::string End(const std::string& when) {
    return "-=-=-=-=-=             end log at " + when + "             -=-=-=-=-=\r\n" + kSeparator + "\r\n\r\n";
}

class ActivityLog : public ::testing::Test {
protected:
    ScratchFolder dir;
    PortableFileSystem files;
    PortableClock clock{DateTime::FromParts(2006, 12, 25, 15, 4, 5)};
    PrivacyLog log{files, clock, dir.Path("app/logs")};

    static PrivacyValue Trace(int32_t type, int32_t status, std::string path, std::string name) {
        PrivacyValue pv;
        pv.ValueType = type;
        pv.ValueStatus = status;
        pv.Path = std::move(path);
        pv.ValueName = std::move(name);
        return pv;
    }
};

// Starting again while open begins a new block; a run past midnight stays in the file of its
// first day.
TEST_F(ActivityLog, RunsOfOneDayFollowEachOtherInTheFileOfTheDayTheyStarted) {
    EXPECT_FALSE(dir.Exists("app/logs"));
    log.StartLogging();
    EXPECT_EQ(log.LogFileName, dir.Path("app/logs/L20061225.log"));
    log.AppendString("first run");
    log.EndLogging();
    log.AppendString("between runs: lost");
    clock.Set(DateTime::FromParts(2006, 12, 25, 23, 59, 59));
    log.StartLogging();
    log.StartLogging();
    clock.Set(DateTime::FromParts(2006, 12, 26, 0, 0, 1));
    log.AppendString(log.DateTimeText() + "--second run");
    log.EndLogging();
    EXPECT_FALSE(dir.Exists("app/logs/L20061226.log"));
    EXPECT_EQ(dir.Read("app/logs/L20061225.log"),
              Start("12/25/2006 3:04:05 PM") + "first run\r\n" + End("12/25/2006 3:04:05 PM") +
                  Start("12/25/2006 11:59:59 PM") + Start("12/25/2006 11:59:59 PM") +
                  "12/26/2006 12:00:01 AM--second run\r\n" + End("12/26/2006 12:00:01 AM"));
}

// The file holds the lines in the ANSI code page.
TEST_F(ActivityLog, EntryLinesCarryTheStatusWordAndThePathOrTheName) {
    struct Case {
        PrivacyValue pv;
        std::string line;
    };
    const std::vector<Case> cases = {
        {Trace(4, vsFind, "C:\\T\\a.txt", "a.txt"), "Find C:\\T\\a.txt"},
        {Trace(5, vsDelete, "C:\\T\\sub", "sub"), "Delete C:\\T\\sub"},
        {Trace(1, vsDelete, "Software\\A\\Name", "Name"), "Delete Name"},
        {Trace(2, vsFind, "Software\\A\\Key", "Key"), "Find Key"},
        {Trace(7, vsDelete, "C:\\x.ini:K", "K"), "Delete K"},
        {Trace(4, vsFillBlank, "C:\\index.dat", "index.dat"), "Fill blank C:\\index.dat"},
        {Trace(4, vsKeepLocked, "C:\\held", "held"), "Keep locked C:\\held"},
        {Trace(1, vsUnknown, "K\\V", "V"), "Unknown V"},
        {Trace(4, vsNone, "C:\\plain", "plain"), "C:\\plain"},
        {Trace(4, 9, "C:\\odd", "odd"), "C:\\odd"},
        {Trace(4, vsFind, "C:\\Café\\ü.txt", "ü.txt"), "Find C:\\Café\\ü.txt"},
    };
    log.StartLogging();
    std::string expected = Start("12/25/2006 3:04:05 PM");
    PrivacyValues pvs;
    for (const Case& c : cases) {
        EXPECT_EQ(PrivacyLog::EntryLine(c.pv), c.line);
        log.AppendPrivacyValue(c.pv);
        pvs.AddPrivacyValue(std::make_shared<PrivacyValue>(c.pv));
        expected += ToAnsi(c.line) + "\r\n";
    }
    log.AppendPrivacyValues(pvs);
    for (const Case& c : cases)
        expected += ToAnsi(c.line) + "\r\n";
    log.EndLogging();
    EXPECT_EQ(dir.Read("app/logs/L20061225.log"), expected + End("12/25/2006 3:04:05 PM"));
}

// Also when the folder cannot be made: then the start fails and the log stays closed.
TEST_F(ActivityLog, WhileClosedNothingIsWrittenAndNothingIsCreated) {
    dir.Write("app", "a file where the folder should be");
    EXPECT_THROW(log.StartLogging(), std::runtime_error);
    EXPECT_FALSE(log.IsOpen());
    log.AppendString("lost");
    log.AppendPrivacyValue(Trace(4, vsFind, "C:\\a", "a"));
    PrivacyValues pvs;
    pvs.AddFile("C:\\b", 1, vsFind);
    log.AppendPrivacyValues(pvs);
    log.EndLogging();
    EXPECT_EQ(dir.Read("app"), "a file where the folder should be");
}

}  // namespace
}  // namespace lumo
