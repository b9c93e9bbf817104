// RegKey over the in-memory registry and, on Windows, the real one: listing, reading, writing and
// deleting, the argument defaults, the error texts, and no handle left open by any operation.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "registry/reg_key.h"
#include "support/registry_fixture.h"

namespace lumo {
namespace {

using testing::RegistryKindNames;
using testing::RegistryKinds;
using testing::RegistryTest;
using Op = MemoryRegistry::Op;

constexpr int32_t kRoot = testing::TestRegistry::kRoot;
const std::string kValueSource = "用户自定义部件RegKey";

template <class Kind>
class RegKeyTest : public RegistryTest<Kind> {
protected:
    RegKey Key(std::string_view relative = {}) { return RegKey(this->reg.Api(), kRoot, this->reg.Path(relative)); }
    RegKey Tool() { return RegKey(this->reg.Api()); }

    static std::vector<std::string> Paths(RegKeys& keys) {
        std::vector<std::string> out;
        for (RegKey& k : keys)
            out.push_back(k.Path);
        return out;
    }
    static std::vector<std::string> Names(RegValues& values) {
        std::vector<std::string> out;
        for (RegValue& v : values)
            out.push_back(v.ValueName);
        return out;
    }
};

TYPED_TEST_SUITE(RegKeyTest, RegistryKinds, RegistryKindNames);

TEST(RegKeyInit, NameIsTheLastComponentAndIsSetOnlyOnce) {
    MemoryRegistry api;
    RegKey k(api);
    EXPECT_EQ(k.Init(kRoot, "Software\\A\\B"), 0);
    EXPECT_EQ(k.Name, "B");
    EXPECT_EQ(k.Path, "Software\\A\\B");
    EXPECT_EQ(k.Init(rkLocalMachine, "Software\\Other"), 0);
    EXPECT_EQ(k.Name, "B") << "a second initialisation keeps the name";
    EXPECT_EQ(k.Path, "Software\\Other");
    EXPECT_EQ(k.RootKey, rkLocalMachine);

    RegKey single(api, kRoot, "Software");
    EXPECT_EQ(single.Name, "Software");
    RegKey empty(api, kRoot, "");
    EXPECT_EQ(empty.Name, "");
    empty.Init(kRoot, "X\\Y");
    EXPECT_EQ(empty.Name, "Y") << "an empty path leaves the name to a later initialisation";
}

TEST(RegCollections, AnAddRefusedForItsKeyLeavesTheCallersObjectWhole) {
    MemoryRegistry api;
    RegKeys keys;
    keys.Add(RegKey(api, kRoot, "Software\\A"), "k");
    RegKey second(api, kRoot, "Software\\B");
    EXPECT_THROW(keys.Add(std::move(second), "k"), CollectionError);
    EXPECT_EQ(second.Path, "Software\\B");
    EXPECT_EQ(keys.Count(), 1);

    RegValues values;
    RegValue first(api), other(api);
    first.Init(kRoot, "K", "one", rvtString, std::string("1"));
    other.Init(kRoot, "K", "two", rvtString, std::string("2"));
    values.Add(std::move(first), "v");
    EXPECT_THROW(values.Add(std::move(other), "v"), CollectionError);
    EXPECT_EQ(other.ValueName, "two");
    EXPECT_EQ(values.Count(), 1);
}

TEST(RegKeyTransRootKey, MatchesTheSevenNamesExactly) {
    struct Case {
        const char* name;
        int32_t value;
    } cases[] = {
        {"HKEY_CLASSES_ROOT", rkClassesRoot},
        {"HKEY_CURRENT_USER", rkCurrentUser},
        {"HKEY_LOCAL_MACHINE", rkLocalMachine},
        {"HKEY_USERS", rkUsers},
        {"HKEY_PERFORMANCE_DATA", rkPerformanceData},
        {"HKEY_CURRENT_CONFIG", rkCurrentConfig},
        {"HKEY_DYN_DATA", rkDynData},
        {"hkey_current_user", 0},
        {"HKCU", 0},
        {"HKEY_CURRENT_USER ", 0},
        {"", 0},
        {"HKEY_LOCAL_MACHINE\\Software", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RegKey::TransRootKey(c.name), c.value) << c.name;
    EXPECT_EQ(static_cast<uint32_t>(RegKey::TransRootKey("HKEY_DYN_DATA")), 0x80000006u);
}

TYPED_TEST(RegKeyTest, EnumSubKeysListsDirectChildrenWithTheirPathsAndNames) {
    this->reg.CreateKey("A\\B\\deep");
    this->reg.CreateKey("A\\c");
    this->reg.SetString("A", "v", "x");
    RegKey a = this->Key("A");
    RegKeys& keys = a.EnumSubKeys();
    ASSERT_EQ(keys.Count(), 2);
    EXPECT_EQ(keys.item(1).Path, this->reg.Path("A\\B"));
    EXPECT_EQ(keys.item(1).Name, "B");
    EXPECT_EQ(keys.item(1).RootKey, kRoot);
    EXPECT_EQ(keys.item(2).Name, "c");
    EXPECT_EQ(&a.SubKeys(), &keys) << "SubKeys returns the listed collection";
    // The children's own subkeys are listed when they are first asked for.
    EXPECT_EQ(this->Paths(keys.item(1).SubKeys()), std::vector<std::string>{this->reg.Path("A\\B\\deep")});
    // Every listing replaces the collection with a new one.
    this->reg.CreateKey("A\\d");
    EXPECT_EQ(a.EnumSubKeys().Count(), 3);
}

TYPED_TEST(RegKeyTest, EnumSubKeysOfAMissingKeyIsEmptyAndRaisesNothing) {
    RegKey k = this->Key("absent");
    EXPECT_EQ(k.EnumSubKeys().Count(), 0);
    EXPECT_EQ(k.SubKeys().Count(), 0);
    EXPECT_EQ(k.EnumSubValues().Count(), 0);
}

TYPED_TEST(RegKeyTest, EnumSubKeysOpensTwiceAndEnumSubValuesOnce) {
    for (int i = 0; i < 20; ++i) {
        this->reg.CreateKey("k\\child" + std::to_string(i));
        this->reg.SetString("k", "value" + std::to_string(i), std::string(i * 3, 'x'));
    }
    RegKey k = this->Key("k");
    auto& counting = this->reg.Counting();
    counting.ResetCalls();
    EXPECT_EQ(k.EnumSubKeys().Count(), 20);
    EXPECT_EQ(counting.Calls(Op::OpenKey), 2u) << "one open for the figures, one for the listing";
    EXPECT_EQ(counting.Calls(Op::QueryInfoKey), 1u);
    counting.ResetCalls();
    EXPECT_EQ(k.EnumSubValues().Count(), 20);
    EXPECT_EQ(counting.Calls(Op::OpenKey), 1u) << "no re-opening per value";
    EXPECT_EQ(counting.Calls(Op::QueryInfoKey), 1u);
    EXPECT_EQ(counting.Calls(Op::EnumValue), 21u) << "one call per value and the one that ends the listing";
}

TYPED_TEST(RegKeyTest, EnumSubKeysNeedsTheQueryRightForItsFiguresAndTheListingRight) {
    this->reg.CreateKey("k\\child");
    // Without the listing right nothing is listed, without the query right the name buffer is
    // sized from zero figures: names longer than one character do not fit.
    this->reg.DenyRights("k", keyEnumerateSubKeys);
    RegKey k = this->Key("k");
    EXPECT_EQ(k.EnumSubKeys().Count(), 0);
    this->reg.DenyRights("k", 0);
    EXPECT_EQ(k.EnumSubKeys().Count(), 1);
    this->reg.DenyRights("k", keyQueryValue);
    EXPECT_EQ(k.EnumSubKeys().Count(), 0) << "the figures were not read, so the five-character name does not fit";
}

TYPED_TEST(RegKeyTest, ArgumentDefaultsPickTheObjectsOwnKey) {
    this->reg.SetString("own", "which", "own");
    this->reg.SetString("other", "which", "other");
    RegKey k = this->Key("own");
    struct Case {
        int32_t root;
        std::string path;
        const char* expected;
    } cases[] = {
        {-1, "", "own"},
        {-1, this->reg.Path("other"), "own"},  // root -1 with a path still means the own key
        {kRoot, "", "own"},
        {kRoot, this->reg.Path("other"), "other"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.root) + " " + c.path);
        auto v = k.GetRegValue("which", c.root, c.path);
        ASSERT_TRUE(v.has_value());
        EXPECT_EQ(v->ValueDataString(), c.expected);
        RegValues& values = k.EnumSubValues(c.root, c.path);
        ASSERT_EQ(values.Count(), 1);
        EXPECT_EQ(values.item(1).ValueDataString(), c.expected);
        EXPECT_EQ(values.item(1).KeyPath, this->reg.Path(c.expected));
    }
}

TYPED_TEST(RegKeyTest, ValuesDecodeByType) {
    struct Case {
        const char* name;
        uint32_t type;
        std::vector<uint8_t> bytes;
        RegData data;
        const char* display;
    } cases[] = {
        {"string", 1, {'a', 'b', 'c', 0}, std::string("abc"), "abc"},
        {"unicode", 1, {0xCE, 0xA9, 0xE4, 0xB8, 0xAD, 0}, std::string("Ω中"), "Ω中"},
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
        this->reg.SetRaw("v", c.name, c.type, c.bytes);
    RegKey k = this->Key("v");
    RegValues& listed = k.EnumSubValues();
    ASSERT_EQ(listed.Count(), static_cast<int32_t>(std::size(cases)));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto read = k.GetRegValue(c.name);
        ASSERT_TRUE(read.has_value());
        const RegValue* inList = nullptr;
        for (RegValue& v : listed)
            if (v.ValueName == c.name)
                inList = &v;
        ASSERT_NE(inList, nullptr);
        for (const RegValue* v : std::vector<const RegValue*>{&*read, inList}) {
            EXPECT_EQ(v->ValueType, static_cast<int32_t>(c.type));
            EXPECT_EQ(v->ValueData, c.data);
            EXPECT_EQ(v->ValueDataString(), c.display);
            EXPECT_EQ(v->RootKey, kRoot);
            EXPECT_EQ(v->KeyPath, this->reg.Path("v"));
        }
    }
}

TYPED_TEST(RegKeyTest, GetRegValueTellsAMissingKeyFromAMissingValue) {
    this->reg.SetString("k", "present", "x");
    RegKey tool = this->Tool();
    EXPECT_FALSE(tool.GetRegValue("present", kRoot, this->reg.Path("absent")).has_value());
    auto missing = tool.GetRegValue("absent", kRoot, this->reg.Path("k"));
    ASSERT_TRUE(missing.has_value());
    EXPECT_EQ(missing->ValueType, 0);
    EXPECT_EQ(missing->ValueData, RegData(std::string()));
    EXPECT_EQ(missing->ValueDataString(), "");
    EXPECT_EQ(missing->ValueName, "absent");
    // The default value of a key that has none is a missing value too.
    auto defaultValue = tool.GetRegValue("", kRoot, this->reg.Path("k"));
    ASSERT_TRUE(defaultValue.has_value());
    EXPECT_EQ(defaultValue->ValueType, 0);
}

TYPED_TEST(RegKeyTest, NamesAndTextOutsideTheAnsiCodePageSurvive) {
    RegKey tool = this->Tool();
    std::string path = this->reg.Path("Ключ中文");
    EXPECT_EQ(tool.SetRegValue("名前 Ω", rvtString, std::string("значение 値"), kRoot, path), 0);
    RegKey parent = this->Key();
    RegKeys& keys = parent.EnumSubKeys();
    ASSERT_EQ(keys.Count(), 1);
    EXPECT_EQ(keys.item(1).Name, "Ключ中文");
    RegValues& values = keys.item(1).SubValues();
    ASSERT_EQ(values.Count(), 1);
    EXPECT_EQ(values.item(1).ValueName, "名前 Ω");
    EXPECT_EQ(values.item(1).ValueDataString(), "значение 値");
    EXPECT_TRUE(values.item(1).Delete());
    EXPECT_TRUE(keys.item(1).DeleteRegKey());
    EXPECT_FALSE(this->reg.KeyExists("Ключ中文"));
}

TYPED_TEST(RegKeyTest, DeleteWithoutDeepRefusesAKeyWithSubkeys) {
    this->reg.CreateKey("k\\child");
    RegKey k = this->Key("k");
    try {
        k.DeleteRegKey();
        FAIL() << "no error raised";
    } catch (const RegistryError& e) {
        EXPECT_EQ(e.Number, 100);
        EXPECT_EQ(e.Source, "RegKey");
        EXPECT_EQ(e.Description, "Delete RegKey failed.\r\nDelete RegKey failed!");
    }
    EXPECT_TRUE(this->reg.KeyExists("k\\child"));
    EXPECT_TRUE(this->Key("k\\child").DeleteRegKey());
    EXPECT_TRUE(k.DeleteRegKey());
    EXPECT_FALSE(this->reg.KeyExists("k"));
}

TYPED_TEST(RegKeyTest, DeepDeletionGoesChildrenFirstInListingOrder) {
    for (const char* p : {"t\\b\\b2", "t\\b\\b1", "t\\a\\a1\\x", "t\\c"})
        this->reg.CreateKey(p);
    this->reg.SetString("t\\a\\a1", "v", "x");
    RegKey tool = this->Tool();
    EXPECT_TRUE(tool.DeleteRegKey(true, kRoot, this->reg.Path("t")));
    std::vector<std::string> expected;
    for (const char* p : {"t\\a\\a1\\x", "t\\a\\a1", "t\\a", "t\\b\\b1", "t\\b\\b2", "t\\b", "t\\c", "t"})
        expected.push_back(this->reg.Path(p));
    EXPECT_EQ(this->reg.Counting().DeletedKeys(), expected);
    EXPECT_FALSE(this->reg.KeyExists("t"));
    EXPECT_TRUE(this->reg.KeyExists(""));
}

TYPED_TEST(RegKeyTest, DeepDeletionStopsAtARefusedKeyWithOneLinePerLevel) {
    // "locked" cannot be listed, so its subkey stays and the registry refuses to delete it.
    for (const char* p : {"t\\a", "t\\b\\locked\\inner", "t\\b\\z", "t\\c"})
        this->reg.CreateKey(p);
    this->reg.DenyRights("t\\b\\locked", keyEnumerateSubKeys);
    RegKey t = this->Key("t");
    try {
        t.DeleteRegKey(true);
        FAIL() << "no error raised";
    } catch (const RegistryError& e) {
        EXPECT_EQ(e.Number, 100);
        EXPECT_EQ(e.Source, "RegKey");
        EXPECT_EQ(e.Description,
                  "Delete RegKey failed.\r\nDelete RegKey failed.\r\nDelete RegKey failed.\r\nDelete RegKey failed!");
    }
    // "a" went before the refusal; the refused key's later sibling, the later child and the key
    // itself were not tried.
    EXPECT_EQ(this->reg.Counting().DeletedKeys(), std::vector<std::string>{this->reg.Path("t\\a")});
    EXPECT_FALSE(this->reg.KeyExists("t\\a"));
    for (const char* p : {"t\\b\\locked\\inner", "t\\b\\z", "t\\c", "t"})
        EXPECT_TRUE(this->reg.KeyExists(p)) << p;
}

TYPED_TEST(RegKeyTest, DeletingAMissingKeyRaises) {
    RegKey tool = this->Tool();
    EXPECT_THROW(tool.DeleteRegKey(false, kRoot, this->reg.Path("absent")), RegistryError);
    EXPECT_THROW(tool.DeleteRegKey(true, kRoot, this->reg.Path("absent")), RegistryError);
}

TYPED_TEST(RegKeyTest, DeletingWhileWalkingTheOwnSubKeysIsSafe) {
    for (const char* p : {"w\\a\\x", "w\\b", "w\\c\\y"})
        this->reg.CreateKey(p);
    RegKey w = this->Key("w");
    int n = 0;
    for (RegKey& child : w.SubKeys()) {
        EXPECT_TRUE(w.DeleteRegKey(true, kRoot, child.Path));
        ++n;
    }
    EXPECT_EQ(n, 3);
    EXPECT_TRUE(this->reg.SubKeyNames("w").empty());
}

TYPED_TEST(RegKeyTest, DeleteRegValueCountsAMissingValueAsDeleted) {
    this->reg.SetString("k", "v", "x");
    RegKey k = this->Key("k");
    EXPECT_TRUE(k.DeleteRegValue("v"));
    EXPECT_FALSE(this->reg.ValueExists("k", "v"));
    EXPECT_TRUE(k.DeleteRegValue("v")) << "already gone";
    EXPECT_TRUE(k.DeleteRegValue("never there"));
}

TYPED_TEST(RegKeyTest, ValueDeletionFailuresRaiseWithTheirTexts) {
    this->reg.SetString("k", "v", "x");
    RegKey k = this->Key("k");
    RegValue v(this->reg.Api());
    v.Init(kRoot, this->reg.Path("k"), "v", rvtString, std::string("x"));
    RegValue lost(this->reg.Api());
    lost.Init(kRoot, this->reg.Path("absent"), "v", rvtString, std::string("x"));

    struct Case {
        const char* what;
        std::function<bool()> call;
        std::function<void()> arrange;
        std::string description;
    } cases[] = {
        {"DeleteRegValue, missing key", [&] { return k.DeleteRegValue("v", kRoot, this->reg.Path("absent")); }, [] {},
         "\r\n * 查询注册表值失败！"},
        {"Delete, missing key", [&] { return lost.Delete(); }, [] {}, "\r\n * 查询注册表值失败！"},
        {"DeleteRegValue, key refuses writing", [&] { return k.DeleteRegValue("v"); },
         [&] { this->reg.DenyRights("k", keySetValue); }, "\r\n * 查询注册表值失败！"},
        {"Delete, key refuses writing", [&] { return v.Delete(); }, [&] { this->reg.DenyRights("k", keySetValue); },
         "\r\n * 查询注册表值失败！"},
        // A refused deletion of the value itself is reported, not counted as success.
        {"DeleteRegValue, deletion refused", [&] { return k.DeleteRegValue("v"); },
         [&] { this->reg.Counting().FailNext(Op::DeleteValue, regAccessDenied); },
         "\r\n * Delete RegValue failed! rc = 5"},
        {"Delete, deletion refused", [&] { return v.Delete(); },
         [&] { this->reg.Counting().FailNext(Op::DeleteValue, regAccessDenied); },
         "\r\n * Delete RegValue failed! rc = 5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        this->reg.DenyRights("k", 0);
        c.arrange();
        try {
            c.call();
            ADD_FAILURE() << "no error raised";
        } catch (const RegistryError& e) {
            EXPECT_EQ(e.Number, 100);
            EXPECT_EQ(e.Source, kValueSource);
            EXPECT_EQ(e.Description, c.description);
        }
        EXPECT_TRUE(this->reg.ValueExists("k", "v"));
        EXPECT_EQ(this->reg.OpenHandles(), 0);
    }
}

TYPED_TEST(RegKeyTest, SetRegValueWritesTextWithATerminatorAndNumbersAsFourBytes) {
    RegKey tool = this->Tool();
    std::string path = this->reg.Path("new\\deeper");
    struct Case {
        const char* name;
        int32_t type;
        RegData data;
        uint32_t storedType;
        std::vector<uint8_t> stored;
    } cases[] = {
        {"text", rvtString, std::string("abc"), 1, {'a', 'b', 'c', 0}},
        {"empty", rvtString, std::string(), 1, {0}},
        {"number as text", rvtString, uint32_t{42}, 1, {'4', '2', 0}},
        {"number", rvtDWord, uint32_t{0x01020304}, 4, {4, 3, 2, 1}},
        {"all bits", rvtDWord, uint32_t{4294967295u}, 4, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"numeric text", rvtDWord, std::string("256"), 4, {0, 1, 0, 0}},
        {"negative text", rvtDWord, std::string("-1"), 4, {0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(tool.SetRegValue(c.name, c.type, c.data, kRoot, path), 0);
        auto [type, bytes] = this->reg.ReadRaw("new\\deeper", c.name);
        EXPECT_EQ(type, c.storedType);
        EXPECT_EQ(bytes, c.stored);
    }
    // Writing again replaces the value.
    EXPECT_EQ(tool.SetRegValue("text", rvtString, std::string("xyz"), kRoot, path), 0);
    EXPECT_EQ(tool.GetRegValue("text", kRoot, path)->ValueDataString(), "xyz");
}

TYPED_TEST(RegKeyTest, SetRegValueFailuresRaiseAndWriteNothing) {
    this->reg.CreateKey("k");
    RegKey k = this->Key("k");
    struct Case {
        const char* what;
        int32_t type;
        RegData data;
        std::function<void()> arrange;
        std::string description;
    } cases[] = {
        {"binary is not written", rvtBinary, std::vector<uint8_t>{1, 2}, [] {}, "\r\n * "},
        {"expandable strings are not written", rvtExpandString, std::string("x"), [] {}, "\r\n * "},
        {"text that is no number", rvtDWord, std::string("twelve"), [] {}, "\r\n * Type mismatch"},
        {"key cannot be created", rvtString, std::string("x"),
         [&] { this->reg.Counting().FailNext(Op::CreateKey, regAccessDenied); }, "\r\n * 创建注册表值失败！"},
        {"key refuses writing", rvtString, std::string("x"), [&] { this->reg.DenyRights("k", keySetValue); },
         "\r\n * 创建注册表值失败！"},
        // The write's own refusal is reported instead of returning 0.
        {"write refused", rvtString, std::string("x"),
         [&] { this->reg.Counting().FailNext(Op::SetValue, regAccessDenied); }, "\r\n * Set RegValue failed! rc = 5"},
        {"number write refused", rvtDWord, uint32_t{1},
         [&] { this->reg.Counting().FailNext(Op::SetValue, regAccessDenied); }, "\r\n * Set RegValue failed! rc = 5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        this->reg.DenyRights("k", 0);
        c.arrange();
        try {
            k.SetRegValue("v", c.type, c.data);
            ADD_FAILURE() << "no error raised";
        } catch (const RegistryError& e) {
            EXPECT_EQ(e.Number, 100);
            EXPECT_EQ(e.Source, kValueSource);
            EXPECT_EQ(e.Description, c.description);
        }
        EXPECT_FALSE(this->reg.ValueExists("k", "v"));
        EXPECT_EQ(this->reg.OpenHandles(), 0);
    }
}

TYPED_TEST(RegKeyTest, SetRegValueCreatesMissingKeysAndAccessRefusalOfTheParentRaises) {
    RegKey tool = this->Tool();
    EXPECT_EQ(tool.SetRegValue("v", rvtDWord, uint32_t{7}, kRoot, this->reg.Path("a\\b\\c")), 0);
    EXPECT_EQ(tool.GetRegValue("v", kRoot, this->reg.Path("a\\b\\c"))->ValueDataString(), "0x00000007 (7)");
    if (!this->reg.ChecksDeleteAndCreateAccess())
        GTEST_SKIP() << "this registry does not check the parent's access list when creating keys (Wine)";
    this->reg.CreateKey("parent");
    this->reg.DenyRights("parent", keyCreateSubKey);
    EXPECT_THROW(tool.SetRegValue("v", rvtString, std::string("x"), kRoot, this->reg.Path("parent\\child")),
                 RegistryError);
    EXPECT_FALSE(this->reg.KeyExists("parent\\child"));
}

TYPED_TEST(RegKeyTest, SetRegKeyCreatesOneSubkeyAndReportsTheLastCode) {
    this->reg.CreateKey("p");
    RegKey p = this->Key("p");
    EXPECT_EQ(p.SetRegKey("child"), 1);
    EXPECT_TRUE(this->reg.KeyExists("p\\child"));
    EXPECT_EQ(p.SetRegKey("child"), 1) << "an existing key is opened";

    struct Case {
        const char* what;
        std::string parent;
        std::function<void()> arrange;
        std::string description;
    } cases[] = {
        {"missing parent", this->reg.Path("absent"), [] {}, "rc = 2\r\n"},
        {"parent refuses creation", this->reg.Path("p"), [&] { this->reg.DenyRights("p", keyCreateSubKey); },
         "rc = 5\r\n"},
        // After a failed creation the code shown is the one of closing the parent.
        {"creation fails", this->reg.Path("p"), [&] { this->reg.Counting().FailNext(Op::CreateKey, regAccessDenied); },
         "rc = 0\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        this->reg.DenyRights("p", 0);
        c.arrange();
        try {
            p.SetRegKey("other", kRoot, c.parent);
            ADD_FAILURE() << "no error raised";
        } catch (const RegistryError& e) {
            EXPECT_EQ(e.Description, c.description);
        }
        EXPECT_FALSE(this->reg.KeyExists("p\\other"));
        EXPECT_EQ(this->reg.OpenHandles(), 0);
    }
}

TYPED_TEST(RegKeyTest, FailingPlatformCallsLeaveNoHandleOpen) {
    this->reg.SetString("k\\child", "v", "x");
    this->reg.SetString("k", "v", "x");
    const Op ops[] = {Op::OpenKey,   Op::QueryInfoKey, Op::EnumKey,   Op::EnumValue,  Op::QueryValue,
                      Op::CreateKey, Op::SetValue,     Op::DeleteKey, Op::DeleteValue};
    for (Op op : ops) {
        SCOPED_TRACE(static_cast<int>(op));
        RegKey k = this->Key("k");
        auto failNext = [&] { this->reg.Counting().FailNext(op, regAccessDenied); };
        failNext();
        k.EnumSubKeys();
        failNext();
        k.EnumSubValues();
        failNext();
        k.GetRegValue("v");
        failNext();
        try {
            k.SetRegValue("w", rvtString, std::string("y"));
        } catch (const RegistryError&) {
        }
        failNext();
        try {
            k.SetRegKey("sub");
        } catch (const RegistryError&) {
        }
        failNext();
        try {
            k.DeleteRegValue("w");
        } catch (const RegistryError&) {
        }
        failNext();
        try {
            k.DeleteRegKey(true, kRoot, this->reg.Path("k\\sub"));
        } catch (const RegistryError&) {
        }
        this->reg.Counting().ClearFailures();
        EXPECT_EQ(this->reg.OpenHandles(), 0);
    }
}

}  // namespace
}  // namespace lumo
