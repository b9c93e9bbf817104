// RegKey over the in-memory registry (reg_exe_test.cpp runs it on the real one): the argument
// defaults, and every failure raised with its text and changing nothing.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "registry/reg_key.h"
#include "support/registry_fixture.h"

namespace lumo {
namespace {

using Op = MemoryRegistry::Op;

constexpr int32_t kRoot = testing::TestRegistry::kRoot;
const std::string kValueSource = "100 用户自定义部件RegKey \r\n * ";

class RegKeyTest : public testing::RegistryTest<> {
protected:
    RegKey Key(std::string_view relative = {}) { return RegKey(reg.Api(), kRoot, reg.Path(relative)); }
    // Number, source and description of the RegistryError `call` raises.
    static std::string Raised(const std::function<void()>& call) {
        try {
            call();
        } catch (const RegistryError& e) {
            return std::to_string(e.Number) + " " + e.Source + " " + e.Description;
        }
        return "no error raised";
    }
};

// Root -1 or an empty path mean the object's own key.
TEST_F(RegKeyTest, ArgumentDefaultsPickTheObjectsOwnKey) {
    reg.SetString("own", "which", "own");
    reg.SetString("other", "which", "other");
    RegKey k = Key("own");
    const std::tuple<int32_t, const char*, const char*> cases[] = {{-1, "", "own"},
                                                                   {-1, "other", "own"},
                                                                   {kRoot, "", "own"},
                                                                   {kRoot, "other", "other"}};
    for (const auto& [root, relative, expected] : cases) {
        std::string path = *relative ? reg.Path(relative) : "";
        SCOPED_TRACE(std::to_string(root) + " " + path);
        EXPECT_EQ(k.GetRegValue("which", root, path)->ValueDataString(), expected);
        RegValues& values = k.EnumSubValues(root, path);
        ASSERT_EQ(values.Count(), 1);
        EXPECT_EQ(values.item(1).ValueDataString() + values.item(1).KeyPath, expected + reg.Path(expected));
    }
}

// Every failure raises with its text and leaves key "k" as it was: its one value, no subkey.
TEST_F(RegKeyTest, FailuresRaiseTheirTextAndChangeNothing) {
    reg.SetString("k", "v", "x");
    RegKey k = Key("k");
    RegValue v(reg.Api()), lost(reg.Api());
    v.Init(kRoot, reg.Path("k"), "v", rvtString, std::string("x"));
    lost.Init(kRoot, reg.Path("absent"), "v", rvtString, std::string("x"));
    auto set = [&k](int32_t type, RegData data) { return [&k, type, data] { k.SetRegValue("w", type, data); }; };
    auto key = [&](const char* parent) { return [&, parent] { k.SetRegKey("other", kRoot, reg.Path(parent)); }; };
    const std::string mismatch = kValueSource + "Type mismatch", notCreated = kValueSource + "创建注册表值失败！",
                      queryFailed = kValueSource + "查询注册表值失败！";
    const int none = -1;
    struct Row {
        const char* what;
        uint32_t denied;
        int fail;  // the Op whose next call fails with access denied, or none
        std::function<void()> call;
        std::string raised;
    } rows[] = {
        {"binary is not written", 0, none, set(rvtBinary, std::vector<uint8_t>{1, 2}), kValueSource},
        {"expandable strings are not written", 0, none, set(rvtExpandString, std::string("x")), kValueSource},
        {"text that is no number", 0, none, set(rvtDWord, std::string("twelve")), mismatch},
        {"number and more", 0, none, set(rvtDWord, std::string("12x")), mismatch},
        {"no text", 0, none, set(rvtDWord, std::string(" ")), mismatch},
        {"above 32 bits", 0, none, set(rvtDWord, std::string("4294967296")), mismatch},
        {"below 32 bits", 0, none, set(rvtDWord, std::string("-2147483649")), mismatch},
        {"key cannot be created", 0, int(Op::CreateKey), set(rvtString, std::string("x")), notCreated},
        {"key refuses writing", keySetValue, none, set(rvtString, std::string("x")), notCreated},
        {"write refused", 0, int(Op::SetValue), set(rvtString, std::string("x")),
         kValueSource + "Set RegValue failed! rc = 5"},
        {"number write refused", 0, int(Op::SetValue), set(rvtDWord, uint32_t{1}),
         kValueSource + "Set RegValue failed! rc = 5"},
        {"DeleteRegValue, missing key", 0, none, [&] { k.DeleteRegValue("v", kRoot, reg.Path("absent")); },
         queryFailed},
        {"Delete, missing key", 0, none, [&] { lost.Delete(); }, queryFailed},
        {"DeleteRegValue, key refuses writing", keySetValue, none, [&] { k.DeleteRegValue("v"); }, queryFailed},
        {"Delete, key refuses writing", keySetValue, none, [&] { v.Delete(); }, queryFailed},
        // A refused deletion of the value itself is reported, not counted as success.
        {"DeleteRegValue refused", 0, int(Op::DeleteValue), [&] { k.DeleteRegValue("v"); },
         kValueSource + "Delete RegValue failed! rc = 5"},
        {"Delete refused", 0, int(Op::DeleteValue), [&] { v.Delete(); },
         kValueSource + "Delete RegValue failed! rc = 5"},
        {"SetRegKey, missing parent", 0, none, key("absent"), "100 RegKey rc = 2\r\n"},
        {"SetRegKey, parent refuses creation", keyCreateSubKey, none, key("k"), "100 RegKey rc = 5\r\n"},
        // After a failed creation the code shown is the one of closing the parent.
        {"SetRegKey, creation fails", 0, int(Op::CreateKey), key("k"), "100 RegKey rc = 0\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        reg.DenyRights("k", row.denied);
        if (row.fail != none)
            reg.Counting().FailNext(static_cast<Op>(row.fail), regAccessDenied);
        EXPECT_EQ(Raised(row.call), row.raised);
        EXPECT_EQ(reg.ValueNames("k"), std::vector<std::string>{"v"});
        EXPECT_TRUE(reg.SubKeyNames("k").empty());
        EXPECT_EQ(reg.OpenHandles(), 0);
    }
    reg.DenyRights("k", 0);
    EXPECT_TRUE(v.Delete());
    EXPECT_TRUE(!reg.ValueExists("k", "v") && v.Delete()) << "gone, and deleting again counts as deleted";
    EXPECT_EQ(v.ValueDataString(), "x") << "the object keeps what was read";
    k.SetRegValue("lowest", rvtDWord, std::string("-2147483648"));  // the bounds of 32 bits are numbers
    EXPECT_EQ(k.GetRegValue("lowest")->ValueDataString(), "0x80000000 (2147483648)");
}

}  // namespace
}  // namespace lumo
