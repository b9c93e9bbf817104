// RegKey over the in-memory registry (reg_exe_test.cpp runs it on the real one): listing, reading,
// writing and deleting, the argument defaults, the error texts, and no handle left open by any
// operation.
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
    std::vector<std::string> Paths(std::initializer_list<const char*> relative) {
        std::vector<std::string> out;
        for (const char* p : relative)
            out.push_back(reg.Path(p));
        return out;
    }
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

TEST(RegKeyInit, NameIsSetOnlyOnceAndRootNamesMatchExactly) {
    MemoryRegistry api;
    RegKey k(api, kRoot, "Software\\A\\B"), empty(api, kRoot, "");
    EXPECT_EQ(k.Init(rkLocalMachine, "Software\\Other"), 0);
    EXPECT_EQ(k.Name + "|" + k.Path + "|" + std::to_string(k.RootKey == rkLocalMachine), "B|Software\\Other|1");
    empty.Init(kRoot, "X\\Y");
    EXPECT_EQ(empty.Name, "Y") << "an empty path leaves the name to a later initialisation";
    const char* names[] = {"HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                           "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};
    for (uint32_t i = 0; i < std::size(names); ++i)
        EXPECT_EQ(RegKey::TransRootKey(names[i]), static_cast<int32_t>(0x80000000u + i)) << names[i];
    for (const char* other : {"hkey_current_user", "HKCU", "HKEY_CURRENT_USER ", "", "HKEY_LOCAL_MACHINE\\Software"})
        EXPECT_EQ(RegKey::TransRootKey(other), 0) << other;
}

// Children are listed with their paths and names, their own subkeys when first asked for; every
// listing makes a new collection; a missing key lists nothing. Without the listing right nothing
// is listed, without the query right the name buffer is sized from zero figures: only the
// one-character names fit.
TEST_F(RegKeyTest, EnumSubKeysListsDirectChildrenWithTheirPathsAndNames) {
    reg.CreateKey("A\\B\\deep");
    reg.CreateKey("A\\Ключ中文");
    reg.SetString("A", "v", "x");
    RegKey a = Key("A");
    RegKeys& keys = a.EnumSubKeys();
    ASSERT_EQ(keys.Count(), 2);
    EXPECT_EQ(keys.item(1).Path + "|" + keys.item(1).Name + "|" + keys.item(2).Name, reg.Path("A\\B") + "|B|Ключ中文");
    EXPECT_EQ(keys.item(1).RootKey, kRoot);
    EXPECT_EQ(&a.SubKeys(), &keys);
    ASSERT_EQ(keys.item(1).SubKeys().Count(), 1);
    EXPECT_EQ(keys.item(1).SubKeys().item(1).Path, reg.Path("A\\B\\deep"));
    reg.CreateKey("A\\d");
    EXPECT_EQ(a.EnumSubKeys().Count(), 3);
    RegKey absent = Key("absent");
    EXPECT_EQ(absent.SubKeys().Count() + absent.EnumSubValues().Count(), 0);
    const std::pair<uint32_t, int32_t> rights[] = {{keyEnumerateSubKeys, 0}, {0, 3}, {keyQueryValue, 2}};
    for (auto [denied, listed] : rights) {
        reg.DenyRights("A", denied);
        EXPECT_EQ(a.EnumSubKeys().Count(), listed) << denied;
    }
}

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

// A missing value, and the default value of a key that has none, read as a type-0 value.
TEST_F(RegKeyTest, ValuesDecodeByTypeWhenListedAndWhenRead) {
    struct Case {
        const char* name;
        uint32_t type;
        std::vector<uint8_t> bytes;
        RegData data;
        const char* display;
    } cases[] = {
        {"string", 1, {'a', 'b', 'c', 0}, std::string("abc"), "abc"},
        {"名前 Ω", 1, {0xCE, 0xA9, 0xE4, 0xB8, 0xAD, 0}, std::string("Ω中"), "Ω中"},
        {"expand", 2, {'%', 'T', '%', 0}, std::string("%T%"), ""},
        {"empty string", 1, {0}, std::string(), ""},
        {"binary", 3, {0x0A, 0xFF, 0x01}, std::vector<uint8_t>{0x0A, 0xFF, 0x01}, "0a ff 01"},
        {"binary cut", 3, {0x01, 0x02, 0x00, 0x03}, std::vector<uint8_t>{0x01, 0x02}, "01 02"},
        {"binary zero first", 3, {0x00, 0x05}, std::string(), ""},
        {"binary empty", 3, {}, std::string(), ""},
        {"dword max", 4, {0xFF, 0xFF, 0xFF, 0xFF}, uint32_t{4294967295u}, "0xffffffff (4294967295)"},
        {"dword 256", 4, {0x00, 0x01, 0x00, 0x00}, uint32_t{256}, "0x00000100 (256)"},
        {"multi", 7, {'a', 'b', 0, 'c', 0, 0}, std::vector<uint8_t>{'a', 'b'}, ""},
    };
    for (const Case& c : cases)
        reg.SetRaw("v", c.name, c.type, c.bytes);
    RegKey k = Key("v");
    RegValues& listed = k.EnumSubValues();
    ASSERT_EQ(listed.Count(), static_cast<int32_t>(std::size(cases)));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        auto read = k.GetRegValue(c.name);
        ASSERT_TRUE(read.has_value());
        for (const RegValue* v : {&*read, &listed.item(static_cast<int32_t>(i) + 1)}) {
            EXPECT_EQ(v->ValueName + "|" + std::to_string(v->ValueType), c.name + ("|" + std::to_string(c.type)));
            EXPECT_EQ(v->ValueData, c.data);
            EXPECT_EQ(v->ValueDataString(), c.display);
            EXPECT_EQ(v->RootKey, kRoot);
            EXPECT_EQ(v->KeyPath, reg.Path("v"));
        }
    }
    EXPECT_FALSE(k.GetRegValue("string", kRoot, reg.Path("absent")).has_value());
    for (const char* name : {"absent", ""}) {
        auto missing = k.GetRegValue(name);
        ASSERT_TRUE(missing.has_value());
        EXPECT_EQ(std::tuple(missing->ValueType, missing->ValueData, missing->ValueName),
                  std::tuple(0, RegData(std::string()), name));
    }
}

// Without deep a key with subkeys is refused; deep goes children first in listing order, and
// deleting while walking the own subkeys is safe.
TEST_F(RegKeyTest, DeletionRefusesSubkeysUnlessDeepWhichGoesChildrenFirstInListingOrder) {
    for (const char* p : {"t\\b\\b2", "t\\b\\b1", "t\\a\\a1\\x", "t\\c"})
        reg.CreateKey(p);
    reg.SetString("t\\a\\a1", "v", "x");
    RegKey t = Key("t");
    EXPECT_EQ(Raised([&] { t.DeleteRegKey(); }), "100 RegKey Delete RegKey failed.\r\nDelete RegKey failed!");
    EXPECT_TRUE(Key("t\\c").DeleteRegKey());
    int deleted = 0;
    for (RegKey& child : t.SubKeys())
        deleted += t.DeleteRegKey(true, kRoot, child.Path);
    EXPECT_TRUE(deleted == 2 && RegKey(reg.Api()).DeleteRegKey(true, kRoot, reg.Path("t")));
    EXPECT_EQ(reg.Counting().DeletedKeys(),
              Paths({"t\\c", "t\\a\\a1\\x", "t\\a\\a1", "t\\a", "t\\b\\b1", "t\\b\\b2", "t\\b", "t"}));
    EXPECT_TRUE(reg.KeyExists(""));
    for (bool deep : {false, true})
        EXPECT_THROW(t.DeleteRegKey(deep), RegistryError) << "a missing key";
}

TEST_F(RegKeyTest, DeepDeletionStopsAtARefusedKeyWithOneLinePerLevel) {
    // "locked" cannot be listed, so its subkey stays and the registry refuses to delete it.
    for (const char* p : {"t\\a", "t\\b\\locked\\inner", "t\\b\\z", "t\\c"})
        reg.CreateKey(p);
    reg.DenyRights("t\\b\\locked", keyEnumerateSubKeys);
    EXPECT_EQ(Raised([&] { Key("t").DeleteRegKey(true); }),
              "100 RegKey Delete RegKey failed.\r\nDelete RegKey failed.\r\nDelete RegKey failed.\r\nDelete RegKey "
              "failed!");
    // "a" went before the refusal; the refused key's later sibling, the later child and the key
    // itself were not tried.
    EXPECT_EQ(reg.Counting().DeletedKeys(), Paths({"t\\a"}));
    for (const char* p : {"t\\b\\locked\\inner", "t\\b\\z", "t\\c", "t"})
        EXPECT_TRUE(reg.KeyExists(p)) << p;
}

// Text is written with a terminator, numbers as four bytes, missing keys are made, and a second
// write replaces the value; SetRegKey makes or opens one subkey.
TEST_F(RegKeyTest, SetRegValueWritesTextWithATerminatorAndNumbersAsFourBytes) {
    RegKey tool(reg.Api());
    std::string path = reg.Path("new\\deeper");
    const std::tuple<const char*, int32_t, RegData, uint32_t, std::vector<uint8_t>> cases[] = {
        {"text", rvtString, std::string("abc"), 1, {'a', 'b', 'c', 0}},
        {"empty", rvtString, std::string(), 1, {0}},
        {"number as text", rvtString, uint32_t{42}, 1, {'4', '2', 0}},
        {"number", rvtDWord, uint32_t{0x01020304}, 4, {4, 3, 2, 1}},
        {"numeric text", rvtDWord, std::string(" 256 "), 4, {0, 1, 0, 0}},
        {"negative text", rvtDWord, std::string("-1"), 4, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"lowest text", rvtDWord, std::string("-2147483648"), 4, {0, 0, 0, 0x80}},
        {"highest text", rvtDWord, std::string("4294967295"), 4, {0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const auto& [name, type, data, storedType, stored] : cases) {
        EXPECT_EQ(tool.SetRegValue(name, type, data, kRoot, path), 0) << name;
        EXPECT_EQ(reg.ReadRaw("new\\deeper", name), std::pair(storedType, stored)) << name;
    }
    EXPECT_EQ(tool.SetRegValue("text", rvtString, std::string("xyz"), kRoot, path), 0);
    EXPECT_EQ(tool.GetRegValue("text", kRoot, path)->ValueDataString(), "xyz");
    RegKey p = Key("new");
    EXPECT_EQ(p.SetRegKey("child"), 1);
    EXPECT_EQ(p.SetRegKey("deeper"), 1) << "an existing key is opened";
    EXPECT_EQ(reg.SubKeyNames("new"), (std::vector<std::string>{"child", "deeper"}));
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
}

TEST_F(RegKeyTest, FailingPlatformCallsLeaveNoHandleOpen) {
    reg.SetString("k\\child", "v", "x");
    reg.SetString("k", "v", "x");
    for (Op op : {Op::OpenKey, Op::QueryInfoKey, Op::EnumKey, Op::EnumValue, Op::QueryValue, Op::CreateKey,
                  Op::SetValue, Op::DeleteKey, Op::DeleteValue}) {
        SCOPED_TRACE(static_cast<int>(op));
        RegKey k = Key("k");
        const std::function<void()> calls[] = {
            [&] { k.EnumSubKeys(); },
            [&] { k.EnumSubValues(); },
            [&] { k.GetRegValue("v"); },
            [&] { k.SetRegValue("w", rvtString, std::string("y")); },
            [&] { k.SetRegKey("sub"); },
            [&] { k.DeleteRegValue("w"); },
            [&] { k.DeleteRegKey(true, kRoot, reg.Path("k\\sub")); },
        };
        for (const auto& call : calls) {
            reg.Counting().FailNext(op, regAccessDenied);
            Raised(call);
        }
        reg.Counting().ClearFailures();
        EXPECT_EQ(reg.OpenHandles(), 0);
    }
}

}  // namespace
}  // namespace lumo
