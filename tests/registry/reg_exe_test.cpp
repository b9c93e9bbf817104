// RegKey against an independent client of the real registry: keys written by the system's own
// reg.exe are found and deleted through RegKey, and reg.exe confirms what is left. Windows only.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "registry/reg_key.h"
#include "support/registry_fixture.h"

namespace lumo {
namespace {

// Runs a reg.exe command line through the command interpreter; its exit code.
int Reg(const std::string& arguments) {
    std::string line = "reg " + arguments + " >nul 2>&1";
    return std::system(line.c_str());
}

// What "reg query" prints for a key and everything below it.
std::string RegQuery(const std::string& key) {
    std::string out;
    FILE* pipe = _popen(("reg query \"" + key + "\" /s 2>&1").c_str(), "r");
    if (!pipe)
        return out;
    char buffer[512];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        out.append(buffer, n);
    _pclose(pipe);
    return out;
}

TEST(RegExe, KeysWrittenByRegAreFoundAndDeletedThroughRegKey) {
    testing::TestRegistry reg(testing::RegistryKind::Real);
    const std::string branch = "HKCU\\" + reg.Branch();
    ASSERT_EQ(Reg("add \"" + branch + "\\x\" /v a /d 1 /f"), 0) << "reg.exe did not run";
    ASSERT_EQ(Reg("add \"" + branch + "\\x\\y\" /v b /t REG_DWORD /d 4294967295 /f"), 0);
    ASSERT_EQ(Reg("add \"" + branch + "\\x\\y\\z\" /ve /d deep /f"), 0);
    ASSERT_EQ(Reg("add \"" + branch + "\\keep\" /v c /t REG_BINARY /d 0a0b000c /f"), 0);

    RegKey top(reg.Api(), rkCurrentUser, reg.Branch());
    RegKeys& children = top.EnumSubKeys();
    ASSERT_EQ(children.Count(), 2);
    EXPECT_EQ(children.item(1).Name, "keep");
    EXPECT_EQ(children.item(2).Name, "x");
    RegKey& x = children.item(2);
    ASSERT_EQ(x.SubValues().Count(), 1);
    EXPECT_EQ(x.SubValues().item(1).ValueDataString(), "1");
    auto b = x.GetRegValue("b", rkCurrentUser, x.Path + "\\y");
    ASSERT_TRUE(b.has_value());
    EXPECT_EQ(b->ValueDataString(), "0xffffffff (4294967295)");
    auto deep = x.GetRegValue("", rkCurrentUser, x.Path + "\\y\\z");
    ASSERT_TRUE(deep.has_value());
    EXPECT_EQ(deep->ValueDataString(), "deep");
    EXPECT_EQ(children.item(1).SubValues().item(1).ValueDataString(), "0a 0b") << "cut at the first zero byte";

    EXPECT_TRUE(x.DeleteRegKey(true));
    EXPECT_EQ(reg.OpenHandles(), 0);

    EXPECT_NE(Reg("query \"" + branch + "\\x\""), 0) << "reg.exe still finds the deleted key";
    std::string left = RegQuery(branch);
    EXPECT_NE(left.find("\\keep"), std::string::npos) << left;
    EXPECT_NE(left.find("0A0B000C"), std::string::npos) << left;
    EXPECT_EQ(left.find("\\x"), std::string::npos) << left;
}

}  // namespace
}  // namespace lumo
#endif
