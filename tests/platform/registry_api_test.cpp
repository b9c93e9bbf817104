// The contract of RegistryApi, run against the in-memory registry and, on Windows, the real one:
// the same codes, orders and sizes from both.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/registry_api.h"
#include "support/registry_fixture.h"

namespace lumo {
namespace {

using testing::RegistryKindNames;
using testing::RegistryKinds;
using testing::RegistryTest;

// Text with its terminating zero byte.
std::vector<uint8_t> Bytes(const char* s) { return std::vector<uint8_t>(s, s + std::strlen(s) + 1); }

template <class Kind>
class RegistryApiTest : public RegistryTest<Kind> {
protected:
    void TearDown() override {
        for (RegHandle h : opened_)
            api().CloseKey(h);
        RegistryTest<Kind>::TearDown();
    }
    RegistryApi& api() { return this->reg.Api(); }
    RegHandle root() const { return RootHandle(testing::TestRegistry::kRoot); }
    int32_t Open(std::string_view relative, uint32_t rights, RegHandle& h) {
        return api().OpenKey(root(), this->reg.Path(relative), rights, h);
    }
    // A key that must open; its handle is closed when the test ends.
    RegHandle MustOpen(std::string_view relative, uint32_t rights) {
        RegHandle h = 0;
        EXPECT_EQ(Open(relative, rights, h), regOk) << relative;
        if (h)
            opened_.push_back(h);
        return h;
    }
    int32_t Delete(std::string_view relative) { return api().DeleteKey(root(), this->reg.Path(relative)); }
    // A value's type and size, asked for without a buffer.
    int32_t Query(RegHandle h, std::string_view name, uint32_t& size, uint32_t& type) {
        size = 0;
        return api().QueryValue(h, name, type, nullptr, size);
    }
    int32_t Query(RegHandle h, std::string_view name) {
        uint32_t size, type;
        return Query(h, name, size, type);
    }
    // An access list read as a caller must: its size through a one-byte buffer first.
    std::vector<uint8_t> ReadList(RegHandle h) {
        uint8_t one = 0;
        uint32_t size = 1;
        EXPECT_EQ(api().GetKeySecurity(h, daclSecurityInformation, &one, size), regInsufficientBuffer);
        EXPECT_GT(size, 1u);
        std::vector<uint8_t> list(size);
        EXPECT_EQ(api().GetKeySecurity(h, daclSecurityInformation, list.data(), size), regOk);
        EXPECT_EQ(size, list.size());
        return list;
    }

private:
    std::vector<RegHandle> opened_;
};

TYPED_TEST_SUITE(RegistryApiTest, RegistryKinds, RegistryKindNames);

TYPED_TEST(RegistryApiTest, MissingKeysAndValuesAreNotFound) {
    this->reg.CreateKey("k");
    RegHandle h = 0;
    EXPECT_EQ(this->Open("absent", keyRead, h), regFileNotFound);
    EXPECT_EQ(this->Open("k\\absent\\deeper", keyRead, h), regFileNotFound);
    EXPECT_EQ(this->Delete("absent"), regFileNotFound);
    // A path that starts with a backslash is refused as such, not taken from the root.
    EXPECT_EQ(this->api().OpenKey(this->root(), "\\" + this->reg.Path("k"), keyRead, h), regBadPathname);
    EXPECT_EQ(this->api().CreateKey(this->root(), "\\" + this->reg.Path("k"), keyRead, h), regBadPathname);

    RegHandle k = this->MustOpen("k", keyAllAccess);
    uint32_t type = 77, size = 16;
    uint8_t data[16] = {9};
    EXPECT_EQ(this->api().QueryValue(k, "absent", type, data, size), regFileNotFound);
    EXPECT_EQ(type, 77u) << "a missing value leaves the type alone";
    EXPECT_EQ(data[0], 9) << "a missing value leaves the data alone";
    EXPECT_EQ(this->api().DeleteValue(k, "absent"), regFileNotFound);
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
    for (const char* name : {"b", "A", "c", "Ab", "a1", "b\\grandchild"})
        this->reg.CreateKey(std::string("list\\") + name);
    EXPECT_EQ(this->reg.SubKeyNames("list"), (std::vector<std::string>{"A", "a1", "Ab", "b", "c"}));
    RegHandle list = this->MustOpen("list", keyEnumerateSubKeys);
    std::string name;
    EXPECT_EQ(this->api().EnumKey(list, 5, name, 100), regNoMoreItems);
    EXPECT_EQ(this->api().EnumKey(list, 99, name, 100), regNoMoreItems);
}

TYPED_TEST(RegistryApiTest, NameBuffersCountUtf16UnitsAndTheTerminator) {
    // "Ωmega" is 5 characters, "中文名" 3: sizes count characters, not UTF-8 bytes.
    const std::map<std::string, uint32_t> chars = {{"abcdef", 6}, {"Ωmega", 5}, {"中文名", 3}};
    for (const auto& c : chars) {
        this->reg.CreateKey("nb\\" + c.first);
        this->reg.SetString("nbv", c.first, "x");
    }
    RegHandle keys = this->MustOpen("nb", keyRead), vals = this->MustOpen("nbv", keyRead);
    RegKeyInfo info;
    ASSERT_EQ(this->api().QueryInfoKey(keys, info), regOk);
    EXPECT_EQ(info.maxSubKeyLen, 6u);
    ASSERT_EQ(this->api().QueryInfoKey(vals, info), regOk);
    EXPECT_EQ(info.maxValueNameLen, 6u);
    for (uint32_t i = 0; i < 3; ++i) {
        std::string key, value, again;
        auto enumValue = [&](uint32_t room, std::string& name) {
            uint32_t type = 0, size = 8;
            uint8_t data[8];
            return this->api().EnumValue(vals, i, name, room, type, data, size);
        };
        ASSERT_EQ(this->api().EnumKey(keys, i, key, 7), regOk);
        ASSERT_EQ(enumValue(7, value), regOk);
        SCOPED_TRACE(key + " " + value);
        EXPECT_EQ(this->api().EnumKey(keys, i, again, chars.at(key)), regMoreData) << "no room for the terminator";
        EXPECT_EQ(this->api().EnumKey(keys, i, again, chars.at(key) + 1), regOk);
        EXPECT_EQ(again, key);
        EXPECT_EQ(enumValue(chars.at(value), again), regMoreData);
        EXPECT_EQ(enumValue(chars.at(value) + 1, again), regOk);
        EXPECT_EQ(again, value);
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

    RegHandle k = this->MustOpen("values", keyQueryValue);
    RegKeyInfo info;
    ASSERT_EQ(this->api().QueryInfoKey(k, info), regOk);
    EXPECT_EQ(info.values, std::size(cases));
    EXPECT_EQ(info.subKeys, 0u);
    // Every value reads back, and shows up once in the enumeration, with its type and bytes; a
    // buffer of the longest data plus one holds every value.
    std::vector<uint8_t> buffer(info.maxValueLen + 1, 0xEE);
    for (uint32_t i = 0; i <= std::size(cases); ++i) {
        std::string name;
        uint32_t type = 0, size = static_cast<uint32_t>(buffer.size());
        int32_t rc = this->api().EnumValue(k, i, name, info.maxValueNameLen + 1, type, buffer.data(), size);
        if (i == std::size(cases)) {
            EXPECT_EQ(rc, regNoMoreItems);
            break;
        }
        ASSERT_EQ(rc, regOk);
        auto it = std::find_if(std::begin(cases), std::end(cases), [&](const Case& c) { return c.name == name; });
        ASSERT_NE(it, std::end(cases)) << name;
        EXPECT_EQ(type, it->type) << name;
        EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + size), it->data) << name;
        size = static_cast<uint32_t>(buffer.size());
        ASSERT_EQ(this->api().QueryValue(k, it->name, type, buffer.data(), size), regOk);
        EXPECT_EQ(type, it->type) << name;
        EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + size), it->data) << name;
        it->name = "(seen)";
    }
}

TYPED_TEST(RegistryApiTest, DataThatDoesNotFitGives234AndTheSizeNeeded) {
    this->reg.SetRaw("k", "v", 3, {1, 2, 3, 4, 5, 6});
    this->reg.SetString("k", "s", "text");
    RegHandle k = this->MustOpen("k", keyQueryValue);
    uint8_t small[3] = {};
    uint32_t type = 0, size = sizeof small;
    EXPECT_EQ(this->api().QueryValue(k, "v", type, small, size), regMoreData);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(this->Query(k, "v", size, type), regOk) << "no buffer asks for the size";
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(type, 3u);
    EXPECT_EQ(this->Query(k, "s", size, type), regOk);
    EXPECT_GE(size, 5u) << "the text and its terminator";
    std::string name;
    size = 2;
    EXPECT_EQ(this->api().EnumValue(k, 0, name, 10, type, small, size), regMoreData);
    EXPECT_GE(size, 5u);
}

TYPED_TEST(RegistryApiTest, CreatesKeysOnTheWayAndDeletesOnlyKeysWithoutSubkeys) {
    RegHandle h = 0;
    ASSERT_EQ(this->api().CreateKey(this->root(), this->reg.Path("a\\b\\c"), keyAllAccess, h), regOk);
    EXPECT_EQ(this->api().SetValue(h, "v", 4, std::vector<uint8_t>{1, 0, 0, 0}.data(), 4), regOk);
    EXPECT_EQ(this->api().CloseKey(h), regOk);
    EXPECT_TRUE(this->reg.KeyExists("a\\b"));
    ASSERT_EQ(this->api().CreateKey(this->root(), this->reg.Path("A\\B\\C"), keyRead, h), regOk);
    EXPECT_EQ(this->api().CloseKey(h), regOk);
    EXPECT_TRUE(this->reg.ValueExists("a\\b\\c", "v")) << "creating an existing key keeps its values";
    EXPECT_EQ(this->reg.SubKeyNames("a\\b"), std::vector<std::string>{"c"});

    EXPECT_EQ(this->Delete("a\\b"), regAccessDenied) << "a key with subkeys cannot be deleted";
    EXPECT_TRUE(this->reg.KeyExists("a\\b\\c"));
    EXPECT_EQ(this->Delete("a\\b\\c"), regOk);
    EXPECT_EQ(this->Delete("a\\b"), regOk);
    EXPECT_FALSE(this->reg.KeyExists("a\\b"));
}

TYPED_TEST(RegistryApiTest, AHandleDoesOnlyWhatItWasOpenedFor) {
    this->reg.SetString("k\\sub", "v", "x");
    this->reg.SetString("k", "v", "x");
    RegKeyInfo info;
    std::string name;
    RegHandle q = this->MustOpen("k", keyQueryValue), e = this->MustOpen("k", keyEnumerateSubKeys),
              s = this->MustOpen("k", keySetValue);
    EXPECT_EQ(this->api().QueryInfoKey(q, info), regOk);
    EXPECT_EQ(this->Query(q, "v"), regOk);
    EXPECT_EQ(this->api().EnumKey(q, 0, name, 100), regAccessDenied);
    EXPECT_EQ(this->api().SetValue(q, "w", 1, Bytes("y").data(), 2), regAccessDenied);
    EXPECT_EQ(this->api().DeleteValue(q, "v"), regAccessDenied);
    EXPECT_EQ(this->api().EnumKey(e, 0, name, 100), regOk);
    EXPECT_EQ(name, "sub");
    EXPECT_EQ(this->Query(e, "v"), regAccessDenied);
    EXPECT_EQ(this->api().SetValue(s, "w", 1, Bytes("y").data(), 2), regOk);
    EXPECT_EQ(this->api().DeleteValue(s, "v"), regOk);
    EXPECT_EQ(this->Query(s, "w"), regAccessDenied);
    EXPECT_EQ(this->reg.ValueNames("k"), std::vector<std::string>{"w"});
}

TYPED_TEST(RegistryApiTest, AccessListsNeedTheirRightsAndRefuseRightsUntilReplaced) {
    this->reg.CreateKey("open");
    this->reg.SetString("locked", "v", "x");
    std::vector<uint8_t> openList = this->ReadList(this->MustOpen("open", rightReadControl));
    // Reading needs the read-control right, writing the write-access-list right.
    RegHandle q = this->MustOpen("locked", keyQueryValue), h = 0;
    uint32_t size = 1024;
    std::vector<uint8_t> buffer(size);
    EXPECT_EQ(this->api().GetKeySecurity(q, daclSecurityInformation, buffer.data(), size), regAccessDenied);
    EXPECT_EQ(this->api().SetKeySecurity(q, daclSecurityInformation, openList), regAccessDenied);

    this->reg.DenyRights("locked", keySetValue | keyEnumerateSubKeys);
    EXPECT_EQ(this->Open("locked", keySetValue, h), regAccessDenied);
    EXPECT_EQ(this->Open("locked", keyRead, h), regAccessDenied) << "the listing right is refused too";
    EXPECT_EQ(this->Query(this->MustOpen("locked", keyQueryValue), "v"), regOk);
    // The list of the open key, written onto the locked one, is the one read back, and opens it again.
    RegHandle l = this->MustOpen("locked", rightWriteDac | rightReadControl);
    EXPECT_EQ(this->api().SetKeySecurity(l, daclSecurityInformation, openList), regOk);
    EXPECT_EQ(this->ReadList(l), openList);
    EXPECT_EQ(this->api().DeleteValue(this->MustOpen("locked", keySetValue), "v"), regOk);
}

// Wine checks access lists only when a key is opened: there a refused deletion or creation right
// stops nothing. Windows and the in-memory registry refuse both.
TYPED_TEST(RegistryApiTest, AnAccessListCanRefuseDeletionAndCreation) {
    this->reg.CreateKey("undeletable");
    this->reg.CreateKey("nocreate");
    this->reg.DenyRights("undeletable", rightDelete);
    this->reg.DenyRights("nocreate", keyCreateSubKey);
    const int32_t deleted = this->Delete("undeletable");
    if (deleted == regOk && this->reg.Kind() == testing::RegistryKind::Real)
        GTEST_SKIP() << "this registry checks access lists only when keys are opened (Wine)";
    EXPECT_EQ(deleted, regAccessDenied);
    EXPECT_TRUE(this->reg.KeyExists("undeletable"));
    RegHandle h = 0;
    EXPECT_EQ(this->api().CreateKey(this->root(), this->reg.Path("nocreate\\child"), keyRead, h), regAccessDenied);
    EXPECT_FALSE(this->reg.KeyExists("nocreate\\child"));
}

TYPED_TEST(RegistryApiTest, AClosedOrDeletedKeysHandleStopsWorking) {
    this->reg.SetString("gone", "v", "x");
    RegHandle g = this->MustOpen("gone", keyQueryValue), h = 0;
    ASSERT_EQ(this->Open("gone", keyRead, h), regOk);
    EXPECT_EQ(this->api().CloseKey(h), regOk);
    EXPECT_EQ(this->reg.Raw().CloseKey(h), regInvalidHandle) << "closed twice";
    EXPECT_EQ(this->api().CloseKey(this->root()), regOk) << "roots are never closed";
    ASSERT_EQ(this->Delete("gone"), regOk);
    RegKeyInfo info;
    EXPECT_EQ(this->api().QueryInfoKey(g, info), regKeyDeleted);
    EXPECT_EQ(this->Query(g, "v"), regKeyDeleted);
}

// Hooks only the in-memory registry has.
class MemoryRegistryTest : public ::testing::Test {
protected:
    RegHandle Create(uint32_t rights = keyAllAccess) {
        RegHandle h = 0;
        EXPECT_EQ(reg.CreateKey(RootHandle(kCurrentUser), "Software\\k", rights, h), regOk);
        return h;
    }
    static constexpr int32_t kCurrentUser = static_cast<int32_t>(0x80000001u);
    MemoryRegistry reg;
    uint8_t one[4] = {1, 0, 0, 0};
    uint32_t type = 0, size = 4;
};

TEST_F(MemoryRegistryTest, ValuesEnumerateInTheOrderTheyWereFirstWritten) {
    RegHandle h = Create();
    for (const char* n : {"zeta", "alpha", "Mid", "ZETA"})
        reg.SetValue(h, n, 4, one, 4);
    std::vector<std::string> names;
    std::string name;
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

TEST_F(MemoryRegistryTest, DenyRightsNeedsAnExistingKeyAndShowsInTheAccessList) {
    EXPECT_FALSE(reg.DenyRights(kCurrentUser, "Software\\absent", keySetValue));
    reg.CloseKey(Create(keyRead));
    ASSERT_TRUE(reg.DenyRights(kCurrentUser, "software\\K", keySetValue));
    RegHandle h = 0;
    ASSERT_EQ(reg.OpenKey(RootHandle(kCurrentUser), "Software\\k", rightReadControl, h), regOk);
    std::vector<uint8_t> list(64);
    size = 64;
    ASSERT_EQ(reg.GetKeySecurity(h, daclSecurityInformation, list.data(), size), regOk);
    list.resize(size);
    EXPECT_EQ(list, MemoryRegistry::DescriptorDenying(keySetValue));
    reg.CloseKey(h);
    // Maximum-allowed opens grant what the list leaves.
    ASSERT_EQ(reg.OpenKey(RootHandle(kCurrentUser), "Software\\k", rightMaximumAllowed, h), regOk);
    EXPECT_EQ(reg.DeleteValue(h, "x"), regAccessDenied);
    size = 0;
    EXPECT_EQ(reg.QueryValue(h, "x", type, nullptr, size), regFileNotFound);
    reg.CloseKey(h);
}

}  // namespace
}  // namespace lumo
