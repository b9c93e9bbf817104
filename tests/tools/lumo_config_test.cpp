// lumo-config: encrypt and decrypt round trips, the check report, and its exit statuses.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "support/enciphered_lines.h"
#include "lumo_config_tool.h"

namespace lumo {
namespace {

using testing::ReadBytes;
using Args = std::vector<std::string>;

struct ToolRun {
    int status;
    std::string out, err;
};

ToolRun Tool(const Args& args) {
    std::ostringstream out, err;
    int status = RunLumoConfig(args, out, err, {});
    return {status, out.str(), err.str()};
}

// Every plain file comes back, through hex lines; without an output file the plain text goes to
// standard output, and blanks around a line are let be.
TEST(LumoConfig, DecryptOfEncryptGivesEveryPlainFileBackFromHexLines) {
    std::string everyByte;
    for (int b = 1; b <= 255; ++b)
        everyByte += b == '\r' || b == '\n' ? "" : std::string(1, static_cast<char>(b));
    testing::ScratchFolder dir;
    for (const std::string& plain :
         {std::string(), std::string("lf\nonly\n"), std::string("no final break"), std::string("\r\n\r\n\n\r"),
          std::string("mixed\r\nbreaks\rhere\n"), everyByte + "\r\n" + std::string(70, '\xFF')}) {
        dir.Write("plain.txt", plain);
        ASSERT_EQ(Tool({"encrypt", dir.Path("plain.txt"), dir.Path("c.dat")}).status, exitOk);
        EXPECT_EQ(ReadBytes(dir.Path("c.dat")).find_first_not_of("0123456789ABCDEF\r\n"), std::string::npos);
        ASSERT_EQ(Tool({"decrypt", dir.Path("c.dat"), dir.Path("back.txt")}).status, exitOk);
        EXPECT_EQ(ReadBytes(dir.Path("back.txt")), plain);
    }
    dir.Write("c.dat", Crypt::EnCrypt("[Config]") + "\r\n  " + Crypt::EnCrypt("Software:S") + "  \r\n");
    ToolRun run = Tool({"decrypt", dir.Path("c.dat")});
    EXPECT_EQ(std::tuple(run.status, run.out, run.err), std::tuple(exitOk, "[Config]\r\nSoftware:S\r\n", ""));
}

TEST(LumoConfig, BadUsageExitsWithTwoAndBadFilesWithOneSayingWhere) {
    testing::ScratchFolder dir;
    std::string bad =
        dir.Write("bad.dat", Crypt::EnCrypt("[Config]") + "\r\n" + Crypt::EnCrypt("Software:S") + "\r\nXY\r\n");
    std::vector<std::tuple<Args, int, std::string>> cases = {
        {{"decrypt", bad}, exitBadFile, "line 3"},
        {{"check", bad}, exitBadFile, "line 3"},
        {{"check", dir.Path("missing.dat")}, exitBadFile, "error 53"},
        {{"encrypt", dir.Path("missing.txt")}, exitBadFile, "not found"}};
    for (Args usage : std::vector<Args>{
             {}, {"help"}, {"encrypt"}, {"decrypt", "a", "b", "c"}, {"check"}, {"check", "a", "b"}, {"Check", "a"}})
        cases.emplace_back(usage, exitUsage, "usage:");
    for (const auto& [args, status, says] : cases) {
        ToolRun run = Tool(args);
        EXPECT_EQ(run.status, status) << ::testing::PrintToString(args);
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

// The report names each item's type with the word the file used, for every word the loader knows
// (the tool and the loader read one list), and says what is irregular or unknown.
TEST(LumoConfig, CheckListsRecordsAndItemsByTheWordsOfTheFile) {
    std::string file = "-- test\r\n[Config]\r\nSoftware:All\r\nType:Root\r\nSelected:1\r\n", items;
    int n = 0;
    for (const ItemTypeName& name : kItemTypeNames) {
        std::string title = "T" + std::to_string(++n);
        file += title + "<>1<>0<>" + std::string(name.word) + "><x\r\n";
        items += "    " + std::to_string(n) + ". " + title + ": " + std::string(name.word) + "\n";
    }
    file +=
        "Gone<>0<>0<>Folder><%HKEY_CURRENT_USER<>Software\\Missing<>X%\\y\r\n"
        "[Config]\r\nSoftware:App\r\nType:Plugins\r\nOdd<>1<>0<>Strange><x\r\n";
    testing::ScratchFolder dir;
    dir.Write("c.txt", file);
    ASSERT_EQ(Tool({"encrypt", dir.Path("c.txt"), dir.Path("c.dat")}).status, exitOk);
    ToolRun run = Tool({"check", dir.Path("c.dat")});
    EXPECT_EQ(run.status, exitOk) << run.err;
    EXPECT_EQ(run.out, "[1] All: Root, selected, " + std::to_string(n + 1) + " item(s)\n" + items + "    " +
                           std::to_string(n + 1) +
                           ". Gone: Folder, irregular\n[2] App: Plugins, not selected, 1 item(s)\n"
                           "    1. Odd: unknown type 0\n");
}

}  // namespace
}  // namespace lumo
