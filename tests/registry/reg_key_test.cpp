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
const std::string kValueSource = "100 用户自定义部件RegKey ";

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

TEST(RegKeyInit, NameIsTheLastComponentAndIsSetOnlyOnce) {
    MemoryRegistry api;
    RegKey k(api, kRoot, "Software\\A\\B"), empty(api, kRoot, "");
    EXPECT_EQ(k.Init(rkLocalMachine, "Software\\Other"), 0);
    EXPECT_EQ(k.Name + "|" + k.Path + "|" + std::to_string(k.RootKey == rkLocalMachine), "B|Software\\Other|1");
    EXPECT_EQ(empty.Name, "");
    empty.Init(kRoot, "X\\Y");
    EXPECT_EQ(empty.Name, "Y") << "an empty path leaves the name to a later initialisation";
}

TEST(RegKeyTransRootKey, MatchesTheSevenNamesExactly) {
    const char* names[] = {"HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                           "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};
    for (uint32_t i = 0; i < std::size(names); ++i)
        EXPECT_EQ(RegKey::TransRootKey(names[i]), static_cast<int32_t>(0x80000000u + i)) << names[i];
    for (const char* other : {"hkey_current_user", "HKCU", "HKEY_CURRENT_USER ", "", "HKEY_LOCAL_MACHINE\\Software"})
        EXPECT_EQ(RegKey::TransRootKey(other), 0) << other;
}

TEST_F(RegKeyTest, EnumSubKeysListsDirectChildrenWithTheirPathsAndNames) {
    reg.CreateKey("A\\B\\deep");
    reg.CreateKey("A\\Ключ中文");
    reg.SetString("A", "v", "x");
    RegKey a = Key("A");
    RegKeys& keys = a.EnumSubKeys();
    ASSERT_EQ(keys.Count(), 2);
    EXPECT_EQ(keys.item(1).Path + "|" + keys.item(1).Name, reg.Path("A\\B") + "|B");
    EXPECT_EQ(keys.item(1).RootKey, kRoot);
    EXPECT_EQ(keys.item(2).Name, "Ключ中文");
    EXPECT_EQ(&a.SubKeys(), &keys) << "SubKeys returns the listed collection";
    // The children's own subkeys are listed when they are first asked for.
    ASSERT_EQ(keys.item(1).SubKeys().Count(), 1);
    EXPECT_EQ(keys.item(1).SubKeys().item(1).Path, reg.Path("A\\B\\deep"));
    // Every listing replaces the collection with a new one.
    reg.CreateKey("A\\d");
    EXPECT_EQ(a.EnumSubKeys().Count(), 3);
    // A missing key lists nothing and raises nothing.
    RegKey absent = Key("absent");
    EXPECT_EQ(absent.SubKeys().Count() + absent.EnumSubValues().Count(), 0);
}

TEST_F(RegKeyTest, EnumSubKeysNeedsTheQueryRightForItsFiguresAndTheListingRight) {
    reg.CreateKey("k\\child");
    // Without the listing right nothing is listed, without the query right the name buffer is
    // sized from zero figures: names longer than one character do not fit.
    RegKey k = Key("k");
    const std::pair<uint32_t, int32_t> cases[] = {{keyEnumerateSubKeys, 0}, {0, 1}, {keyQueryValue, 0}};
    for (auto [denied, listed] : cases) {
        reg.DenyRights("k", denied);
        EXPECT_EQ(k.EnumSubKeys().Count(), listed) << denied;
    }
}

TEST_F(RegKeyTest, ArgumentDefaultsPickTheObjectsOwnKey) {
    reg.SetString("own", "which", "own");
    reg.SetString("other", "which", "other");
    RegKey k = Key("own");
    // Root -1 with a path still means the own key.
    const std::tuple<int32_t, std::string, const char*> cases[] = {{-1, "", "own"},
                                                                   {-1, reg.Path("other"), "own"},
                                                                   {kRoot, "", "own"},
                                                                   {kRoot, reg.Path("other"), "other"}};
    for (const auto& [root, path, expected] : cases) {
        SCOPED_TRACE(std::to_string(root) + " " + path);
        EXPECT_EQ(k.GetRegValue("which", root, path)->ValueDataString(), expected);
        RegValues& values = k.EnumSubValues(root, path);
        ASSERT_EQ(values.Count(), 1);
        EXPECT_EQ(values.item(1).ValueDataString() + values.item(1).KeyPath, expected + reg.Path(expected));
    }
}

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
        {"dword zero", 4, {0, 0, 0, 0}, uint32_t{0}, "0x00000000 (0)"},
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
            EXPECT_EQ(v->ValueName, c.name);
            EXPECT_EQ(v->ValueType, static_cast<int32_t>(c.type));
            EXPECT_EQ(v->ValueData, c.data);
            EXPECT_EQ(v->ValueDataString(), c.display);
            EXPECT_EQ(v->RootKey, kRoot);
            EXPECT_EQ(v->KeyPath, reg.Path("v"));
        }
    }
}

TEST_F(RegKeyTest, GetRegValueTellsAMissingKeyFromAMissingValue) {
    reg.SetString("k", "present", "x");
    RegKey tool(reg.Api());
    EXPECT_FALSE(tool.GetRegValue("present", kRoot, reg.Path("absent")).has_value());
    // A missing value, and the default value of a key that has none, read as a type-0 value.
    for (const char* name : {"absent", ""}) {
        auto missing = tool.GetRegValue(name, kRoot, reg.Path("k"));
        ASSERT_TRUE(missing.has_value());
        EXPECT_EQ(missing->ValueType, 0);
        EXPECT_EQ(missing->ValueData, RegData(std::string()));
        EXPECT_EQ(missing->ValueName, name);
    }
}

// Without deep a key with subkeys is refused; deep goes children first in listing order.
TEST_F(RegKeyTest, DeletionRefusesSubkeysUnlessDeepWhichGoesChildrenFirstInListingOrder) {
    for (const char* p : {"t\\b\\b2", "t\\b\\b1", "t\\a\\a1\\x", "t\\c"})
        reg.CreateKey(p);
    reg.SetString("t\\a\\a1", "v", "x");
    RegKey t = Key("t");
    EXPECT_EQ(Raised([&] { t.DeleteRegKey(); }), "100 RegKey Delete RegKey failed.\r\nDelete RegKey failed!");
    EXPECT_TRUE(Key("t\\c").DeleteRegKey());
    EXPECT_TRUE(RegKey(reg.Api()).DeleteRegKey(true, kRoot, reg.Path("t")));
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

TEST_F(RegKeyTest, DeletingWhileWalkingTheOwnSubKeysIsSafe) {
    for (const char* p : {"w\\a\\x", "w\\b", "w\\c\\y"})
        reg.CreateKey(p);
    RegKey w = Key("w");
    int n = 0;
    for (RegKey& child : w.SubKeys())
        n += w.DeleteRegKey(true, kRoot, child.Path);
    EXPECT_EQ(n, 3);
    EXPECT_TRUE(reg.SubKeyNames("w").empty());
}

TEST_F(RegKeyTest, ValueDeletionCountsAMissingValueAsDeletedAndRaisesOnFailures) {
    reg.SetString("k", "v", "x");
    reg.SetString("k", "w", "y");
    RegKey k = Key("k");
    EXPECT_TRUE(k.DeleteRegValue("w"));
    EXPECT_FALSE(reg.ValueExists("k", "w"));
    EXPECT_TRUE(k.DeleteRegValue("w")) << "already gone";
    RegValue v(reg.Api()), lost(reg.Api());
    v.Init(kRoot, reg.Path("k"), "v", rvtString, std::string("x"));
    lost.Init(kRoot, reg.Path("absent"), "v", rvtString, std::string("x"));
    const std::string queryFailed = kValueSource + "\r\n * 查询注册表值失败！";
    const std::string refused = kValueSource + "\r\n * Delete RegValue failed! rc = 5";
    auto denyWriting = [&] { reg.DenyRights("k", keySetValue); };
    auto refuseDeletion = [&] { reg.Counting().FailNext(Op::DeleteValue, regAccessDenied); };
    const std::tuple<const char*, std::function<void()>, std::function<void()>, std::string> cases[] = {
        {"DeleteRegValue, missing key", [&] { k.DeleteRegValue("v", kRoot, reg.Path("absent")); }, [] {}, queryFailed},
        {"Delete, missing key", [&] { lost.Delete(); }, [] {}, queryFailed},
        {"DeleteRegValue, key refuses writing", [&] { k.DeleteRegValue("v"); }, denyWriting, queryFailed},
        {"Delete, key refuses writing", [&] { v.Delete(); }, denyWriting, queryFailed},
        // A refused deletion of the value itself is reported, not counted as success.
        {"DeleteRegValue, deletion refused", [&] { k.DeleteRegValue("v"); }, refuseDeletion, refused},
        {"Delete, deletion refused", [&] { v.Delete(); }, refuseDeletion, refused},
    };
    for (const auto& [what, call, arrange, raised] : cases) {
        SCOPED_TRACE(what);
        reg.DenyRights("k", 0);
        arrange();
        EXPECT_EQ(Raised(call), raised);
        EXPECT_TRUE(reg.ValueExists("k", "v"));
        EXPECT_EQ(reg.OpenHandles(), 0);
    }
    reg.DenyRights("k", 0);
    EXPECT_TRUE(v.Delete());
    EXPECT_TRUE(!reg.ValueExists("k", "v") && v.Delete()) << "gone, and deleting again counts as deleted";
    EXPECT_EQ(v.ValueDataString(), "x") << "the object keeps what was read";
}

TEST_F(RegKeyTest, SetRegValueWritesTextWithATerminatorAndNumbersAsFourBytes) {
    RegKey tool(reg.Api());
    std::string path = reg.Path("new\\deeper");
    const std::tuple<const char*, int32_t, RegData, uint32_t, std::vector<uint8_t>> cases[] = {
        {"text", rvtString, std::string("abc"), 1, {'a', 'b', 'c', 0}},
        {"empty", rvtString, std::string(), 1, {0}},
        {"number as text", rvtString, uint32_t{42}, 1, {'4', '2', 0}},
        {"number", rvtDWord, uint32_t{0x01020304}, 4, {4, 3, 2, 1}},
        {"all bits", rvtDWord, uint32_t{4294967295u}, 4, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"numeric text", rvtDWord, std::string(" 256 "), 4, {0, 1, 0, 0}},
        {"negative text", rvtDWord, std::string("-1"), 4, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"lowest text", rvtDWord, std::string("-2147483648"), 4, {0, 0, 0, 0x80}},
        {"highest text", rvtDWord, std::string("4294967295"), 4, {0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const auto& [name, type, data, storedType, stored] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(tool.SetRegValue(name, type, data, kRoot, path), 0);
        EXPECT_EQ(reg.ReadRaw("new\\deeper", name), std::pair(storedType, stored));
    }
    // Writing again replaces the value.
    EXPECT_EQ(tool.SetRegValue("text", rvtString, std::string("xyz"), kRoot, path), 0);
    EXPECT_EQ(tool.GetRegValue("text", kRoot, path)->ValueDataString(), "xyz");
}

TEST_F(RegKeyTest, SetRegValueFailuresRaiseAndWriteNothing) {
    reg.CreateKey("k");
    RegKey k = Key("k");
    const std::string mismatch = kValueSource + "\r\n * Type mismatch";
    const std::string notCreated = kValueSource + "\r\n * 创建注册表值失败！";
    const std::string refused = kValueSource + "\r\n * Set RegValue failed! rc = 5";
    auto refuse = [&](Op op) { return [this, op] { reg.Counting().FailNext(op, regAccessDenied); }; };
    const std::tuple<const char*, int32_t, RegData, std::function<void()>, std::string> cases[] = {
        {"binary is not written", rvtBinary, std::vector<uint8_t>{1, 2}, [] {}, kValueSource + "\r\n * "},
        {"expandable strings are not written", rvtExpandString, std::string("x"), [] {}, kValueSource + "\r\n * "},
        {"text that is no number", rvtDWord, std::string("twelve"), [] {}, mismatch},
        {"number and more", rvtDWord, std::string("12x"), [] {}, mismatch},
        {"no text", rvtDWord, std::string(" "), [] {}, mismatch},
        {"above 32 bits", rvtDWord, std::string("4294967296"), [] {}, mismatch},
        {"below 32 bits", rvtDWord, std::string("-2147483649"), [] {}, mismatch},
        {"key cannot be created", rvtString, std::string("x"), refuse(Op::CreateKey), notCreated},
        {"key refuses writing", rvtString, std::string("x"), [&] { reg.DenyRights("k", keySetValue); }, notCreated},
        // The write's own refusal is reported instead of returning 0.
        {"write refused", rvtString, std::string("x"), refuse(Op::SetValue), refused},
        {"number write refused", rvtDWord, uint32_t{1}, refuse(Op::SetValue), refused},
    };
    for (const auto& [what, type, data, arrange, raised] : cases) {
        SCOPED_TRACE(what);
        reg.DenyRights("k", 0);
        arrange();
        EXPECT_EQ(Raised([&, &t = type, &d = data] { k.SetRegValue("v", t, d); }), raised);
        EXPECT_FALSE(reg.ValueExists("k", "v"));
        EXPECT_EQ(reg.OpenHandles(), 0);
    }
}

TEST_F(RegKeyTest, SetRegKeyCreatesOneSubkeyAndReportsTheLastCode) {
    reg.CreateKey("p");
    RegKey p = Key("p");
    EXPECT_EQ(p.SetRegKey("child"), 1);
    EXPECT_TRUE(reg.KeyExists("p\\child"));
    EXPECT_EQ(p.SetRegKey("child"), 1) << "an existing key is opened";
    const std::tuple<const char*, std::string, std::function<void()>, std::string> cases[] = {
        {"missing parent", reg.Path("absent"), [] {}, "rc = 2\r\n"},
        {"parent refuses creation", reg.Path("p"), [&] { reg.DenyRights("p", keyCreateSubKey); }, "rc = 5\r\n"},
        // After a failed creation the code shown is the one of closing the parent.
        {"creation fails", reg.Path("p"), [&] { reg.Counting().FailNext(Op::CreateKey, regAccessDenied); },
         "rc = 0\r\n"},
    };
    for (const auto& [what, parent, arrange, description] : cases) {
        SCOPED_TRACE(what);
        reg.DenyRights("p", 0);
        arrange();
        EXPECT_EQ(Raised([&, &where = parent] { p.SetRegKey("other", kRoot, where); }), "100 RegKey " + description);
        EXPECT_FALSE(reg.KeyExists("p\\other"));
        EXPECT_EQ(reg.OpenHandles(), 0);
    }
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
