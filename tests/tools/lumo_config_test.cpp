#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "config/shipped_config.h"
#include "support/enciphered_lines.h"
#include "lumo_config_tool.h"

namespace lumo {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;
using Args = std::vector<std::string>;

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

ToolRun Tool(const Args& args, const PlaceholderContext& places = {}) {
    std::ostringstream out, err;
    int status = RunLumoConfig(args, out, err, places);
    return {status, out.str(), err.str()};
}

std::string AllBytesButLineBreaks() {
    std::string s;
    for (int b = 1; b <= 255; ++b)
        if (b != '\r' && b != '\n')
            s.push_back(static_cast<char>(b));
    return s;
}

class LumoConfigRoundTrip : public ::testing::TestWithParam<std::string> {};

TEST_P(LumoConfigRoundTrip, DecryptOfEncryptGivesThePlainFileBack) {
    ScratchFolder dir;
    std::string plain = dir.Path("plain.txt"), dat = dir.Path("c.dat"), back = dir.Path("back.txt");
    WriteBytes(plain, GetParam());
    ASSERT_EQ(Tool({"encrypt", plain, dat}).status, exitOk);
    std::string enciphered = ReadBytes(dat);
    for (char c : enciphered)
        ASSERT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || c == '\r' || c == '\n') << int(c);
    ASSERT_EQ(Tool({"decrypt", dat, back}).status, exitOk);
    EXPECT_EQ(ReadBytes(back), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Files, LumoConfigRoundTrip,
                         ::testing::Values(std::string(), std::string("[Config]\r\nSoftware:S\r\n"),
                                           std::string("lf\nonly\n"), std::string("no final break"),
                                           std::string("\r\n\r\n\n\r"), std::string("mixed\r\nbreaks\rhere\n"),
                                           AllBytesButLineBreaks() + "\r\n" + std::string(70, '\xFF')));

TEST(LumoConfig, DecryptWithoutOutputWritesToStandardOutput) {
    ScratchFolder dir;
    std::string dat = dir.Path("c.dat");
    WriteBytes(dat, Crypt::EnCrypt("[Config]") + "\r\n  " + Crypt::EnCrypt("Software:S") + "  \r\n");
    ToolRun run = Tool({"decrypt", dat});
    EXPECT_EQ(run.status, exitOk);
    EXPECT_EQ(run.out, "[Config]\r\nSoftware:S\r\n");
    EXPECT_EQ(run.err, "");
}

TEST(LumoConfig, BadUsageExitsWithTwo) {
    for (const Args& args : std::vector<Args>{
             {}, {"help"}, {"encrypt"}, {"decrypt", "a", "b", "c"}, {"check"}, {"check", "a", "b"}, {"Check", "a"}}) {
        ToolRun run = Tool(args);
        EXPECT_EQ(run.status, exitUsage) << ::testing::PrintToString(args);
        EXPECT_NE(run.err.find("usage:"), std::string::npos);
        EXPECT_EQ(run.out, "");
    }
}

TEST(LumoConfig, BadFilesExitWithOneAndSayWhere) {
    ScratchFolder dir;
    std::string dat = dir.Path("bad.dat");
    WriteBytes(dat, Crypt::EnCrypt("[Config]") + "\r\n" + Crypt::EnCrypt("Software:S") + "\r\nXY\r\n");
    struct Case {
        Args args;
        std::string says;
    };
    for (const Case& c : std::vector<Case>{{{"decrypt", dat}, "line 3"},
                                           {{"check", dat}, "line 3"},
                                           {{"check", dir.Path("missing.dat")}, "error 53"},
                                           {{"encrypt", dir.Path("missing.txt")}, "not found"}}) {
        ToolRun run = Tool(c.args);
        EXPECT_EQ(run.status, exitBadFile) << c.args[0];
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    }
}

TEST(LumoConfig, CheckListsRecordsAndItems) {
    ScratchFolder dir;
    std::string plain = dir.Path("c.txt"), dat = dir.Path("c.dat");
    WriteBytes(plain,
               "-- test\r\n[Config]\r\nSoftware:Win\r\nType:Root\r\nSelected:1\r\n"
               "Run<>1<>0<>RegValue><HKEY_CURRENT_USER<>Software\\Run\r\n"
               "Gone<>0<>0<>Folder><%HKEY_CURRENT_USER<>Software\\Missing<>X%\\y\r\n"
               "[Config]\r\nSoftware:App\r\nType:Plugins\r\nOdd<>1<>0<>Strange><x\r\n");
    ASSERT_EQ(Tool({"encrypt", plain, dat}).status, exitOk);
    ToolRun run = Tool({"check", dat});
    EXPECT_EQ(run.status, exitOk) << run.err;
    EXPECT_EQ(run.out,
              "[1] Win: Root, selected, 2 item(s)\n"
              "    1. Run: RegValue\n"
              "    2. Gone: Folder, irregular\n"
              "[2] App: Plugins, not selected, 1 item(s)\n"
              "    1. Odd: unknown type 0\n");
}

// The report names each item's type with the word the file used, for every word the loader knows:
// the tool and the loader read one list.
TEST(LumoConfig, CheckNamesEveryItemTypeByItsWordInTheFile) {
    ScratchFolder dir;
    std::string plain = dir.Path("c.txt"), dat = dir.Path("c.dat");
    std::string file = "[Config]\r\nSoftware:All\r\nType:Root\r\nSelected:1\r\n";
    std::string items;
    int n = 0;
    for (const ItemTypeName& name : kItemTypeNames) {
        std::string title = "T" + std::to_string(++n);
        file += title + "<>1<>0<>" + std::string(name.word) + "><x\r\n";
        items += "    " + std::to_string(n) + ". " + title + ": " + std::string(name.word) + "\n";
    }
    WriteBytes(plain, file);
    ASSERT_EQ(Tool({"encrypt", plain, dat}).status, exitOk);
    ToolRun run = Tool({"check", dat});
    EXPECT_EQ(run.status, exitOk) << run.err;
    EXPECT_EQ(run.out, "[1] All: Root, selected, " + std::to_string(n) + " item(s)\n" + items);
}

TEST(LumoConfig, CheckAcceptsTheShippedConfiguration) {
    ToolRun run = Tool({"check", testing::ShippedConfigPath()});
    EXPECT_EQ(run.status, exitOk) << run.err;
    EXPECT_EQ(run.out.rfind("[1] Windows: Root, selected", 0), 0u) << run.out.substr(0, 200);
}

}  // namespace
}  // namespace lumo
