// The contract of RegistryApi, run against the in-memory registry and, on Windows, the real one:
// the same codes, orders and sizes from both.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/registry_api.h"
#include "support/registry_fixture.h"

namespace lumo {
namespace {

using testing::RegistryKindNames;
using testing::RegistryKinds;
using testing::RegistryTest;

std::vector<uint8_t> Bytes(std::string_view s, bool terminate = true) {
    std::vector<uint8_t> out(s.begin(), s.end());
    if (terminate)
        out.push_back(0);
    return out;
}

// A handle on a test key, closed at the end of the test.
class Opened {
public:
    Opened(RegistryApi& api, RegHandle h) : api_(api), h_(h) {}
    ~Opened() {
        if (h_)
            api_.CloseKey(h_);
    }
    RegHandle get() const { return h_; }

private:
    RegistryApi& api_;
    RegHandle h_;
};

template <class Kind>
class RegistryApiTest : public RegistryTest<Kind> {
protected:
    RegistryApi& api() { return this->reg.Api(); }
    int32_t Open(std::string_view relative, uint32_t rights, RegHandle& h) {
        return api().OpenKey(RootHandle(testing::TestRegistry::kRoot), this->reg.Path(relative), rights, h);
    }
    Opened MustOpen(std::string_view relative, uint32_t rights) {
        RegHandle h = 0;
        EXPECT_EQ(Open(relative, rights, h), regOk) << relative;
        return Opened(api(), h);
    }
};

TYPED_TEST_SUITE(RegistryApiTest, RegistryKinds, RegistryKindNames);

TYPED_TEST(RegistryApiTest, MissingKeysAndValuesAreNotFound) {
    this->reg.CreateKey("k");
    RegHandle h = 0;
    EXPECT_EQ(this->Open("absent", keyRead, h), regFileNotFound);
    EXPECT_EQ(this->Open("k\\absent\\deeper", keyRead, h), regFileNotFound);
    EXPECT_EQ(this->api().DeleteKey(RootHandle(testing::TestRegistry::kRoot), this->reg.Path("absent")),
              regFileNotFound);
    // A path that starts with a backslash is refused as such, not taken from the root.
    EXPECT_EQ(this->api().OpenKey(RootHandle(testing::TestRegistry::kRoot), "\\" + this->reg.Path("k"), keyRead, h),
              regBadPathname);
    EXPECT_EQ(this->api().CreateKey(RootHandle(testing::TestRegistry::kRoot), "\\" + this->reg.Path("k"), keyRead, h),
              regBadPathname);

    Opened k = this->MustOpen("k", keyAllAccess);
    uint32_t type = 77, size = 16;
    uint8_t data[16] = {9};
    EXPECT_EQ(this->api().QueryValue(k.get(), "absent", type, data, size), regFileNotFound);
    EXPECT_EQ(type, 77u) << "a missing value leaves the type alone";
    EXPECT_EQ(data[0], 9) << "a missing value leaves the data alone";
    EXPECT_EQ(this->api().DeleteValue(k.get(), "absent"), regFileNotFound);
}

TYPED_TEST(RegistryApiTest, NamesCompareWithoutLetterCaseAndKeepTheirFirstSpelling) {
    this->reg.CreateKey("MixedCase");
    this->reg.SetString("MixedCase", "Value", "one");
    this->reg.SetString("MIXEDCASE", "VALUE", "two");
    EXPECT_TRUE(this->reg.KeyExists("mixedcase"));
    EXPECT_EQ(this->reg.SubKeyNames(""), std::vector<std::string>{"MixedCase"});
    EXPECT_EQ(this->reg.ValueNames("mixedCASE"), std::vector<std::string>{"Value"});
    EXPECT_EQ(this->reg.ReadRaw("MixedCase", "value").second, Bytes("two"));
}

TYPED_TEST(RegistryApiTest, SubkeysEnumerateSortedByNameThenEndWith259) {
    for (const char* name : {"b", "A", "c", "Ab", "a1"})
        this->reg.CreateKey(std::string("list\\") + name);
    this->reg.CreateKey("list\\b\\grandchild");
    EXPECT_EQ(this->reg.SubKeyNames("list"), (std::vector<std::string>{"A", "a1", "Ab", "b", "c"}));

    Opened list = this->MustOpen("list", keyEnumerateSubKeys);
    std::string name;
    EXPECT_EQ(this->api().EnumKey(list.get(), 5, name, 100), regNoMoreItems);
    EXPECT_EQ(this->api().EnumKey(list.get(), 99, name, 100), regNoMoreItems);
}

TYPED_TEST(RegistryApiTest, NameBuffersCountUtf16UnitsAndTheTerminator) {
    // "Ωmega" is 5 characters, "中文名" 3: sizes count characters, not UTF-8 bytes.
    struct Case {
        const char* name;
        uint32_t chars;
    } cases[] = {{"abcdef", 6}, {"Ωmega", 5}, {"中文名", 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        this->reg.CreateKey(std::string("nb\\") + c.name);
        this->reg.SetString("nbv", c.name, "x");
    }
    Opened keys = this->MustOpen("nb", keyRead);
    Opened vals = this->MustOpen("nbv", keyRead);
    RegKeyInfo info;
    ASSERT_EQ(this->api().QueryInfoKey(keys.get(), info), regOk);
    EXPECT_EQ(info.maxSubKeyLen, 6u);
    ASSERT_EQ(this->api().QueryInfoKey(vals.get(), info), regOk);
    EXPECT_EQ(info.maxValueNameLen, 6u);

    std::vector<std::string> keyNames = this->reg.SubKeyNames("nb");
    for (uint32_t i = 0; i < 3; ++i) {
        uint32_t chars = keyNames[i] == "abcdef" ? 6 : keyNames[i] == "Ωmega" ? 5 : 3;
        SCOPED_TRACE(keyNames[i]);
        std::string name;
        EXPECT_EQ(this->api().EnumKey(keys.get(), i, name, chars), regMoreData) << "no room for the terminator";
        EXPECT_EQ(this->api().EnumKey(keys.get(), i, name, chars + 1), regOk);
        EXPECT_EQ(name, keyNames[i]);
    }
    for (uint32_t i = 0; i < 3; ++i) {
        std::string name;
        uint32_t type = 0, size = 0;
        ASSERT_EQ(this->api().EnumValue(vals.get(), i, name, 7, type, nullptr, size), regOk);
        uint32_t chars = name == "abcdef" ? 6 : name == "Ωmega" ? 5 : 3;
        SCOPED_TRACE(name);
        std::string again;
        size = 8;
        uint8_t data[8];
        EXPECT_EQ(this->api().EnumValue(vals.get(), i, again, chars, type, data, size), regMoreData);
        size = 8;
        EXPECT_EQ(this->api().EnumValue(vals.get(), i, again, chars + 1, type, data, size), regOk);
        EXPECT_EQ(again, name);
    }
}

TYPED_TEST(RegistryApiTest, ValuesRoundTripWithTheirTypeAndBytes) {
    struct Case {
        const char* name;
        uint32_t type;
        std::vector<uint8_t> data;
    } cases[] = {
        {"sz", 1, Bytes("plain text")},
        {"expand", 2, Bytes("%TEMP%\\x")},
        {"unicode", 1, Bytes("Ωmega 中文 ключ")},
        {"binary", 3, {0x01, 0x02, 0x00, 0x03, 0x00}},
        {"dword", 4, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"multi", 7, {'a', 0, 'b', 'c', 0, 0}},
        {"empty binary", 3, {}},
        {"", 1, Bytes("default value")},
        {"名前", 1, Bytes("値")},
    };
    for (const Case& c : cases)
        this->reg.SetRaw("values", c.name, c.type, c.data);
    // Text written without its zero byte is read back with one.
    this->reg.SetRaw("text", "unterminated", 1, {'a', 'b'});
    this->reg.SetRaw("text", "no bytes", 2, {});
    EXPECT_EQ(this->reg.ReadRaw("text", "unterminated").second, Bytes("ab"));
    EXPECT_EQ(this->reg.ReadRaw("text", "no bytes").second, Bytes(""));

    Opened k = this->MustOpen("values", keyQueryValue);
    RegKeyInfo info;
    ASSERT_EQ(this->api().QueryInfoKey(k.get(), info), regOk);
    EXPECT_EQ(info.values, std::size(cases));
    EXPECT_EQ(info.subKeys, 0u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A buffer of the longest data plus one holds every value.
        std::vector<uint8_t> buffer(info.maxValueLen + 1, 0xEE);
        uint32_t type = 0, size = static_cast<uint32_t>(buffer.size());
        ASSERT_EQ(this->api().QueryValue(k.get(), c.name, type, buffer.data(), size), regOk);
        EXPECT_EQ(type, c.type);
        ASSERT_EQ(size, c.data.size());
        EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + size), c.data);
    }
    // Every value shows up once in the enumeration, with the same bytes.
    std::vector<std::string> seen;
    std::vector<uint8_t> buffer(info.maxValueLen + 1);
    for (uint32_t i = 0;; ++i) {
        std::string name;
        uint32_t type = 0, size = static_cast<uint32_t>(buffer.size());
        int32_t rc = this->api().EnumValue(k.get(), i, name, info.maxValueNameLen + 1, type, buffer.data(), size);
        if (rc == regNoMoreItems)
            break;
        ASSERT_EQ(rc, regOk);
        auto it = std::find_if(std::begin(cases), std::end(cases), [&](const Case& c) { return c.name == name; });
        ASSERT_NE(it, std::end(cases)) << name;
        EXPECT_EQ(type, it->type);
        EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + size), it->data) << name;
        seen.push_back(name);
    }
    EXPECT_EQ(seen.size(), std::size(cases));
}

TYPED_TEST(RegistryApiTest, DataThatDoesNotFitGives234AndTheSizeNeeded) {
    this->reg.SetRaw("k", "v", 3, {1, 2, 3, 4, 5, 6});
    this->reg.SetString("k", "s", "text");
    Opened k = this->MustOpen("k", keyQueryValue);
    uint8_t small[3] = {};
    uint32_t type = 0, size = sizeof small;
    EXPECT_EQ(this->api().QueryValue(k.get(), "v", type, small, size), regMoreData);
    EXPECT_EQ(size, 6u);
    size = 0;
    EXPECT_EQ(this->api().QueryValue(k.get(), "v", type, nullptr, size), regOk) << "no buffer asks for the size";
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(type, 3u);
    size = 0;
    EXPECT_EQ(this->api().QueryValue(k.get(), "s", type, nullptr, size), regOk);
    EXPECT_GE(size, 5u) << "the text and its terminator";

    std::string name;
    size = 2;
    EXPECT_EQ(this->api().EnumValue(k.get(), 0, name, 10, type, small, size), regMoreData);
    EXPECT_GE(size, 5u);
}

TYPED_TEST(RegistryApiTest, AKeyWithSubkeysCannotBeDeleted) {
    this->reg.CreateKey("parent\\child");
    RegHandle root = RootHandle(testing::TestRegistry::kRoot);
    EXPECT_EQ(this->api().DeleteKey(root, this->reg.Path("parent")), regAccessDenied);
    EXPECT_TRUE(this->reg.KeyExists("parent\\child"));
    EXPECT_EQ(this->api().DeleteKey(root, this->reg.Path("parent\\child")), regOk);
    EXPECT_EQ(this->api().DeleteKey(root, this->reg.Path("parent")), regOk);
    EXPECT_FALSE(this->reg.KeyExists("parent"));
}

TYPED_TEST(RegistryApiTest, CreateKeyMakesTheKeysOnTheWayAndOpensExistingOnes) {
    RegHandle root = RootHandle(testing::TestRegistry::kRoot), h = 0;
    ASSERT_EQ(this->api().CreateKey(root, this->reg.Path("a\\b\\c"), keyAllAccess, h), regOk);
    EXPECT_EQ(this->api().SetValue(h, "v", 4, std::vector<uint8_t>{1, 0, 0, 0}.data(), 4), regOk);
    EXPECT_EQ(this->api().CloseKey(h), regOk);
    EXPECT_TRUE(this->reg.KeyExists("a\\b"));
    ASSERT_EQ(this->api().CreateKey(root, this->reg.Path("A\\B\\C"), keyRead, h), regOk);
    EXPECT_EQ(this->api().CloseKey(h), regOk);
    EXPECT_TRUE(this->reg.ValueExists("a\\b\\c", "v")) << "creating an existing key keeps its values";
    EXPECT_EQ(this->reg.SubKeyNames("a\\b"), std::vector<std::string>{"c"});
}

TYPED_TEST(RegistryApiTest, AHandleDoesOnlyWhatItWasOpenedFor) {
    this->reg.SetString("k\\sub", "v", "x");
    this->reg.SetString("k", "v", "x");
    RegKeyInfo info;
    std::string name;
    uint32_t type = 0, size = 0;
    {
        Opened q = this->MustOpen("k", keyQueryValue);
        EXPECT_EQ(this->api().QueryInfoKey(q.get(), info), regOk);
        EXPECT_EQ(this->api().QueryValue(q.get(), "v", type, nullptr, size), regOk);
        EXPECT_EQ(this->api().EnumKey(q.get(), 0, name, 100), regAccessDenied);
        EXPECT_EQ(this->api().SetValue(q.get(), "w", 1, Bytes("y").data(), 2), regAccessDenied);
        EXPECT_EQ(this->api().DeleteValue(q.get(), "v"), regAccessDenied);
    }
    {
        Opened e = this->MustOpen("k", keyEnumerateSubKeys);
        EXPECT_EQ(this->api().EnumKey(e.get(), 0, name, 100), regOk);
        EXPECT_EQ(name, "sub");
        EXPECT_EQ(this->api().QueryValue(e.get(), "v", type, nullptr, size), regAccessDenied);
    }
    {
        Opened s = this->MustOpen("k", keySetValue);
        EXPECT_EQ(this->api().SetValue(s.get(), "w", 1, Bytes("y").data(), 2), regOk);
        EXPECT_EQ(this->api().DeleteValue(s.get(), "v"), regOk);
        EXPECT_EQ(this->api().QueryValue(s.get(), "w", type, nullptr, size), regAccessDenied);
    }
    EXPECT_EQ(this->reg.ValueNames("k"), std::vector<std::string>{"w"});
}

TYPED_TEST(RegistryApiTest, ClosingTwiceOrAnUnknownHandleIsAnInvalidHandle) {
    this->reg.CreateKey("k");
    RegHandle h = 0;
    ASSERT_EQ(this->Open("k", keyRead, h), regOk);
    EXPECT_EQ(this->api().CloseKey(h), regOk);
    EXPECT_EQ(this->reg.Raw().CloseKey(h), regInvalidHandle);
    EXPECT_EQ(this->api().CloseKey(RootHandle(testing::TestRegistry::kRoot)), regOk) << "roots are never closed";
}

TYPED_TEST(RegistryApiTest, SecurityReadThroughASmallBufferGives122AndTheSize) {
    this->reg.CreateKey("a");
    this->reg.CreateKey("b");
    std::vector<uint8_t> descriptor;
    {
        Opened a = this->MustOpen("a", rightReadControl);
        uint8_t one = 0;
        uint32_t size = 1;
        ASSERT_EQ(this->api().GetKeySecurity(a.get(), daclSecurityInformation, &one, size), regInsufficientBuffer);
        ASSERT_GT(size, 1u);
        descriptor.resize(size);
        ASSERT_EQ(this->api().GetKeySecurity(a.get(), daclSecurityInformation, descriptor.data(), size), regOk);
        EXPECT_EQ(size, descriptor.size());
    }
    {
        // Reading needs the read-control right, writing the write-access-list right.
        Opened q = this->MustOpen("b", keyQueryValue);
        uint32_t size = 1024;
        std::vector<uint8_t> buffer(size);
        EXPECT_EQ(this->api().GetKeySecurity(q.get(), daclSecurityInformation, buffer.data(), size), regAccessDenied);
        EXPECT_EQ(this->api().SetKeySecurity(q.get(), daclSecurityInformation, descriptor), regAccessDenied);
    }
    {
        Opened b = this->MustOpen("b", rightWriteDac | rightReadControl);
        EXPECT_EQ(this->api().SetKeySecurity(b.get(), daclSecurityInformation, descriptor), regOk);
        uint32_t size = static_cast<uint32_t>(descriptor.size());
        std::vector<uint8_t> back(size);
        ASSERT_EQ(this->api().GetKeySecurity(b.get(), daclSecurityInformation, back.data(), size), regOk);
        back.resize(size);
        EXPECT_EQ(back, descriptor) << "the access list written is the one read back";
    }
}

TYPED_TEST(RegistryApiTest, AnAccessListRefusesRightsUntilItIsReplaced) {
    this->reg.SetString("locked", "v", "x");
    this->reg.CreateKey("open");
    this->reg.DenyRights("locked", keySetValue | keyEnumerateSubKeys);
    RegHandle h = 0;
    EXPECT_EQ(this->Open("locked", keySetValue, h), regAccessDenied);
    EXPECT_EQ(this->Open("locked", keyRead, h), regAccessDenied) << "the listing right is refused too";
    {
        Opened q = this->MustOpen("locked", keyQueryValue);
        uint32_t type = 0, size = 0;
        EXPECT_EQ(this->api().QueryValue(q.get(), "v", type, nullptr, size), regOk);
    }
    // The list of an open key, read and written onto the locked one, opens it again.
    std::vector<uint8_t> openList;
    {
        Opened o = this->MustOpen("open", rightReadControl);
        uint32_t size = 0;
        uint8_t one;
        size = 1;
        ASSERT_EQ(this->api().GetKeySecurity(o.get(), daclSecurityInformation, &one, size), regInsufficientBuffer);
        openList.resize(size);
        ASSERT_EQ(this->api().GetKeySecurity(o.get(), daclSecurityInformation, openList.data(), size), regOk);
    }
    {
        Opened l = this->MustOpen("locked", rightWriteDac);
        EXPECT_EQ(this->api().SetKeySecurity(l.get(), daclSecurityInformation, openList), regOk);
    }
    ASSERT_EQ(this->Open("locked", keySetValue, h), regOk);
    EXPECT_EQ(this->api().DeleteValue(h, "v"), regOk);
    this->api().CloseKey(h);
}

TYPED_TEST(RegistryApiTest, AnAccessListCanRefuseDeletionAndCreation) {
    if (!this->reg.ChecksDeleteAndCreateAccess())
        GTEST_SKIP() << "this registry checks access lists only when keys are opened (Wine)";
    this->reg.CreateKey("undeletable");
    this->reg.CreateKey("nocreate");
    this->reg.DenyRights("undeletable", rightDelete);
    this->reg.DenyRights("nocreate", keyCreateSubKey);
    RegHandle root = RootHandle(testing::TestRegistry::kRoot), h = 0;
    EXPECT_EQ(this->api().DeleteKey(root, this->reg.Path("undeletable")), regAccessDenied);
    EXPECT_TRUE(this->reg.KeyExists("undeletable"));
    EXPECT_EQ(this->api().CreateKey(root, this->reg.Path("nocreate\\child"), keyRead, h), regAccessDenied);
    EXPECT_FALSE(this->reg.KeyExists("nocreate\\child"));
}

TYPED_TEST(RegistryApiTest, AHandleToADeletedKeyStopsWorking) {
    this->reg.SetString("gone", "v", "x");
    Opened g = this->MustOpen("gone", keyQueryValue);
    ASSERT_EQ(this->api().DeleteKey(RootHandle(testing::TestRegistry::kRoot), this->reg.Path("gone")), regOk);
    RegKeyInfo info;
    EXPECT_EQ(this->api().QueryInfoKey(g.get(), info), regKeyDeleted);
    uint32_t type = 0, size = 0;
    EXPECT_EQ(this->api().QueryValue(g.get(), "v", type, nullptr, size), regKeyDeleted);
}

// Hooks only the in-memory registry has.
constexpr int32_t kCurrentUser = static_cast<int32_t>(0x80000001u);

TEST(MemoryRegistry, ValuesEnumerateInTheOrderTheyWereFirstWritten) {
    MemoryRegistry reg;
    RegHandle h = 0;
    ASSERT_EQ(reg.CreateKey(RootHandle(kCurrentUser), "Software\\k", keyAllAccess, h), regOk);
    uint8_t one[4] = {1, 0, 0, 0};
    for (const char* n : {"zeta", "alpha", "Mid", "ZETA"})
        reg.SetValue(h, n, 4, one, 4);
    std::vector<std::string> names;
    std::string name;
    uint32_t type, size;
    for (uint32_t i = 0; (size = 4, reg.EnumValue(h, i, name, 10, type, one, size)) == regOk; ++i)
        names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"zeta", "alpha", "Mid"}));
    ASSERT_EQ(reg.DeleteValue(h, "ALPHA"), regOk);
    ASSERT_EQ(reg.SetValue(h, "alpha", 4, one, 4), regOk);
    size = 4;
    ASSERT_EQ(reg.QueryValue(h, "mid", type, one, size), regOk) << "lookups survive a deletion in the middle";
    ASSERT_EQ(reg.EnumValue(h, 2, name, 10, type, one, size), regOk);
    EXPECT_EQ(name, "alpha");
    reg.CloseKey(h);
}

TEST(MemoryRegistry, InjectedFailuresHitOnlyTheNextCallAndCallsAreCounted) {
    MemoryRegistry reg;
    RegHandle h = 0;
    reg.FailNext(MemoryRegistry::Op::CreateKey, regAccessDenied);
    EXPECT_EQ(reg.CreateKey(RootHandle(kCurrentUser), "Software\\k", keyAllAccess, h), regAccessDenied);
    EXPECT_EQ(reg.OpenHandleCount(), 0);
    ASSERT_EQ(reg.CreateKey(RootHandle(kCurrentUser), "Software\\k", keyAllAccess, h), regOk);
    EXPECT_EQ(reg.OpenHandleCount(), 1);
    EXPECT_EQ(reg.CallCount(MemoryRegistry::Op::CreateKey), 2u);
    reg.FailNext(MemoryRegistry::Op::CloseKey, regInvalidHandle);
    EXPECT_EQ(reg.CloseKey(h), regInvalidHandle);
    EXPECT_EQ(reg.OpenHandleCount(), 1) << "a failed close closes nothing";
    EXPECT_EQ(reg.CloseKey(h), regOk);
    EXPECT_EQ(reg.OpenHandleCount(), 0);
}

TEST(MemoryRegistry, DenyRightsNeedsAnExistingKeyAndShowsInTheAccessList) {
    MemoryRegistry reg;
    EXPECT_FALSE(reg.DenyRights(kCurrentUser, "Software\\absent", keySetValue));
    RegHandle h = 0;
    ASSERT_EQ(reg.CreateKey(RootHandle(kCurrentUser), "Software\\k", keyRead, h), regOk);
    reg.CloseKey(h);
    ASSERT_TRUE(reg.DenyRights(kCurrentUser, "software\\K", keySetValue));
    ASSERT_EQ(reg.OpenKey(RootHandle(kCurrentUser), "Software\\k", rightReadControl, h), regOk);
    std::vector<uint8_t> list(64);
    uint32_t size = 64;
    ASSERT_EQ(reg.GetKeySecurity(h, daclSecurityInformation, list.data(), size), regOk);
    list.resize(size);
    EXPECT_EQ(list, MemoryRegistry::DescriptorDenying(keySetValue));
    reg.CloseKey(h);
    // Maximum-allowed opens grant what the list leaves.
    ASSERT_EQ(reg.OpenKey(RootHandle(kCurrentUser), "Software\\k", rightMaximumAllowed, h), regOk);
    EXPECT_EQ(reg.DeleteValue(h, "x"), regAccessDenied);
    uint32_t type;
    size = 0;
    EXPECT_EQ(reg.QueryValue(h, "x", type, nullptr, size), regFileNotFound);
    reg.CloseKey(h);
}

}  // namespace
}  // namespace lumo
