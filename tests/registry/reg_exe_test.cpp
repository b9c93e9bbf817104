// RegKey against an independent client of the real registry: keys written by the system's own
// reg.exe are found and deleted through RegKey, and reg.exe confirms what is left. Windows only.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "registry/reg_key.h"
#include "support/registry_fixture.h"

namespace lumo {
namespace {

TEST(RegExe, KeysWrittenByRegAreFoundAndDeletedThroughRegKey) {
    testing::TestRegistry reg(testing::RegistryKind::Real);
    const std::string branch = "\"HKCU\\" + reg.Branch();
    // Runs reg.exe through the command interpreter; its exit code.
    auto regExe = [](const std::string& arguments) { return std::system(("reg " + arguments + " >nul 2>&1").c_str()); };
    ASSERT_EQ(regExe("add " + branch + "\\x\" /v a /d 1 /f"), 0) << "reg.exe did not run";
    ASSERT_EQ(regExe("add " + branch + "\\x\\y\" /v b /t REG_DWORD /d 4294967295 /f"), 0);
    ASSERT_EQ(regExe("add " + branch + "\\x\\y\\z\" /ve /d deep /f"), 0);
    ASSERT_EQ(regExe("add " + branch + "\\keep\" /v c /t REG_BINARY /d 0a0b000c /f"), 0);

    RegKey top(reg.Api(), rkCurrentUser, reg.Branch());
    RegKeys& children = top.EnumSubKeys();
    ASSERT_EQ(children.Count(), 2);
    RegKey& x = children.item(2);
    EXPECT_EQ(children.item(1).Name + "|" + x.Name, "keep|x");
    ASSERT_EQ(x.SubValues().Count(), 1);
    EXPECT_EQ(x.SubValues().item(1).ValueDataString(), "1");
    EXPECT_EQ(x.GetRegValue("b", rkCurrentUser, x.Path + "\\y")->ValueDataString(), "0xffffffff (4294967295)");
    EXPECT_EQ(x.GetRegValue("", rkCurrentUser, x.Path + "\\y\\z")->ValueDataString(), "deep");
    EXPECT_EQ(children.item(1).SubValues().item(1).ValueDataString(), "0a 0b") << "cut at the first zero byte";

    EXPECT_TRUE(x.DeleteRegKey(true));
    EXPECT_EQ(reg.OpenHandles(), 0);
    EXPECT_NE(regExe("query " + branch + "\\x\""), 0) << "reg.exe still finds the deleted key";
    EXPECT_EQ(regExe("query " + branch + "\\keep\" /v c"), 0);
}

}  // namespace
}  // namespace lumo
#endif
