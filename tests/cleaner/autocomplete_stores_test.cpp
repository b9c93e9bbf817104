// The AutoComplete stores on the in-memory registry (and under Wine on the real one too), in a
// test branch that stands in for Protected Storage.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cleaner/autocomplete_stores.h"
#include "cleaner/privacy_value.h"
#include "platform/portable/portable_system_info.h"
#include "registry/reg_key.h"
#include "registry/user_identity.h"
#include "support/registry_fixture.h"
#ifdef _WIN32
#include "platform/win32/win32_system_info.h"
#endif

namespace lumo {
namespace {

using testing::RegistryKindNames;
using testing::RegistryKinds;
using testing::RegistryTest;

constexpr int32_t kCurrentUser = static_cast<int32_t>(0x80000001u);
constexpr int32_t kLocalMachine = static_cast<int32_t>(0x80000002u);
constexpr const char* kType = "e161255a-37c3-11d2-bcaa-00c04fd929db";

SidParts Sid(std::array<uint8_t, 6> authority, std::vector<uint32_t> subs) {
    SidParts sid;
    sid.authority = authority;
    sid.subAuthorities = std::move(subs);
    return sid;
}

struct RecordingLog : TraceLog {
    std::vector<std::string> lines;
    void AppendPrivacyValue(const PrivacyValue& pv) override {
        lines.push_back(std::to_string(pv.ValueStatus) + " " + pv.Path);
    }
    void AppendString(std::string_view line) override { lines.emplace_back(line); }
};

template <class Kind>
class AutoComplete : public RegistryTest<Kind> {
protected:
    using RegistryTest<Kind>::reg;

    // On the real registry the branch is named after the real user's SID, as the program names it.
    AutoComplete() {
        system.version = 0x0105;
        system.sid = Sid({0, 0, 0, 0, 0, 5}, {21, 7, 8, 9, 1000});
#ifdef _WIN32
        if (reg.Kind() == testing::RegistryKind::Real)
            system.sid = Win32SystemInfo().UserSid();
#endif
        branch = "PSSP\\" + GetUserSidString(system);
        where.storageRoot = reg.Path("PSSP");
        where.passwordKey = reg.Path("IntelliForms");
    }

    std::string branch;
    std::string Relative(int depth) const {
        std::string path = branch;
        if (depth >= 1)
            path += "\\Data";
        if (depth >= 2)
            path += std::string("\\") + kType;
        if (depth >= 3)
            path += std::string("\\") + kType;
        return path;
    }
    std::string Store(std::string_view name) const { return Relative(3) + "\\" + std::string(name); }

    std::vector<uint8_t> AccessList(const std::string& relative) {
        RegHandle h = 0;
        std::vector<uint8_t> block;
        if (reg.Raw().OpenKey(RootHandle(kCurrentUser), reg.Path(relative), rightReadControl, h) != regOk)
            return block;
        uint32_t size = 1;
        block.resize(1);
        if (reg.Raw().GetKeySecurity(h, daclSecurityInformation, block.data(), size) == regInsufficientBuffer) {
            block.resize(size);
            EXPECT_EQ(reg.Raw().GetKeySecurity(h, daclSecurityInformation, block.data(), size), regOk);
        }
        block.resize(size);
        reg.Raw().CloseKey(h);
        return block;
    }
    std::vector<std::vector<uint8_t>> ChainLists() {
        std::vector<std::vector<uint8_t>> lists;
        for (int depth = 0; depth <= 3; ++depth)
            lists.push_back(AccessList(Relative(depth)));
        return lists;
    }
    void TwoStores() {
        reg.CreateKey("PSSP");
        reg.SetString(Store("beta\\inner"), "v", "typed text");
        reg.SetString(Store("alpha"), "w", "more text");
    }
    static std::vector<std::string> Names(const PrivacyValues& pvs) {
        std::vector<std::string> names;
        for (const PrivacyValuePtr& pv : pvs)
            names.push_back(pv->ValueName + ":" + std::to_string(pv->ValueStatus));
        return names;
    }

    PortableSystemInfo system;
    AutoCompleteLocations where;
    RecordingLog log;
};
TYPED_TEST_SUITE(AutoComplete, RegistryKinds, RegistryKindNames);

TYPED_TEST(AutoComplete, NothingForAUserWithoutABranch) {
    this->reg.CreateKey("PSSP\\S-1-5-21-0-0-0-1\\Data");
    RegKey tool(this->reg.Api());
    EXPECT_EQ(GetAutoCompleteForms(tool, this->system, &this->log, this->where)->Count(), 0);
    EXPECT_EQ(ClearAutoCompleteForms(tool, this->system, &this->log, this->where)->Count(), 0);
    EXPECT_FALSE(ClearAutoCompletePasswords(tool, this->where));
    EXPECT_TRUE(this->log.lines.empty());
    EXPECT_TRUE(this->reg.KeyExists("PSSP\\S-1-5-21-0-0-0-1\\Data"));
}

TYPED_TEST(AutoComplete, ScanListsTheLockedStoresAndLeavesEveryAccessListAsFound) {
    this->TwoStores();
    // The container refuses listing, as Protected Storage does, until the root's list is on it.
    this->reg.DenyRights(this->Relative(3), keyEnumerateSubKeys);
    RegKey tool(this->reg.Api());
    EXPECT_EQ(tool.EnumSubKeys(kCurrentUser, this->reg.Path(this->Relative(3))).Count(), 0);

    auto before = this->ChainLists();
    auto found = GetAutoCompleteForms(tool, this->system, &this->log, this->where);
    EXPECT_EQ(this->Names(*found), (std::vector<std::string>{"alpha:1", "beta:1"}));
    EXPECT_EQ(found->item(1)->Path, this->reg.Path(this->Store("alpha")));
    EXPECT_EQ(found->item(1)->RootKey, kCurrentUser);
    EXPECT_EQ(this->log.lines, (std::vector<std::string>{"1 " + found->item(1)->Path, "1 " + found->item(2)->Path}));
    EXPECT_TRUE(this->reg.KeyExists(this->Store("beta\\inner")));
    EXPECT_TRUE(this->reg.KeyExists(this->Store("alpha")));
    EXPECT_EQ(this->ChainLists(), before);
    EXPECT_EQ(tool.EnumSubKeys(kCurrentUser, this->reg.Path(this->Relative(3))).Count(), 0) << "still locked";
}

TYPED_TEST(AutoComplete, ClearDeletesEveryStoreDeeplyInListingOrder) {
    this->TwoStores();
    this->reg.DenyRights(this->Relative(3), keyEnumerateSubKeys);
    this->reg.DenyRights(this->Relative(0), keyEnumerateSubKeys | keySetValue);
    auto before = this->ChainLists();
    RegKey tool(this->reg.Api());
    auto cleared = ClearAutoCompleteForms(tool, this->system, &this->log, this->where);
    EXPECT_EQ(this->Names(*cleared), (std::vector<std::string>{"alpha:2", "beta:2"}));
    EXPECT_FALSE(this->reg.KeyExists(this->Store("alpha")));
    EXPECT_FALSE(this->reg.KeyExists(this->Store("beta")));
    EXPECT_TRUE(this->reg.KeyExists(this->Relative(3)));
    EXPECT_EQ(this->ChainLists(), before);
    EXPECT_EQ(this->log.lines.size(), 2u);
}

TYPED_TEST(AutoComplete, ARefusedStoreIsReportedAndTheOthersAreStillDeleted) {
    this->reg.CreateKey("PSSP");
    for (const char* name : {"a1", "b2", "c3"})
        this->reg.SetString(this->Store(name), "v", name);
    // A key below the store that refuses listing: its subkey is never found, so the key still
    // has a subkey when its deletion comes (Wine checks access lists only when a key is opened,
    // so a refused DELETE right would not stop the deletion there).
    this->reg.CreateKey(this->Store("b2\\guarded\\leaf"));
    this->reg.DenyRights(this->Store("b2\\guarded"), keyEnumerateSubKeys);
    auto storeList = this->AccessList(this->Store("b2"));
    auto before = this->ChainLists();

    RegKey tool(this->reg.Api());
    auto cleared = ClearAutoCompleteForms(tool, this->system, &this->log, this->where);
    EXPECT_EQ(this->Names(*cleared), (std::vector<std::string>{"a1:2", "b2:-1", "c3:2"}));
    EXPECT_FALSE(this->reg.KeyExists(this->Store("a1")));
    EXPECT_TRUE(this->reg.KeyExists(this->Store("b2\\guarded")));
    EXPECT_FALSE(this->reg.KeyExists(this->Store("c3")));
    EXPECT_EQ(std::count(this->log.lines.begin(), this->log.lines.end(),
                         "A autocomplete regkey can't be deleted(Access Deny)."),
              1);
    EXPECT_EQ(this->AccessList(this->Store("b2")), storeList) << "the store that stays keeps its own list";
    EXPECT_EQ(this->ChainLists(), before);
}

TYPED_TEST(AutoComplete, PasswordsKeyGoesWithEverythingInIt) {
    this->reg.SetString("IntelliForms\\SPW", "x", "secret");
    this->reg.SetDword("IntelliForms", "count", 3);
    RegKey tool(this->reg.Api());
    EXPECT_TRUE(ClearAutoCompletePasswords(tool, this->where));
    EXPECT_FALSE(this->reg.KeyExists("IntelliForms"));
    EXPECT_FALSE(ClearAutoCompletePasswords(tool, this->where));
}

// The older family keeps the stores unlocked under the user name, under both roots.
TEST(AutoCompleteOlderFamily, StoresOfBothRootsWithoutTouchingAccessLists) {
    testing::TestRegistry reg(testing::RegistryKind::Memory);
    PortableSystemInfo system;
    system.version = static_cast<int32_t>(0xC0000A04u);
    system.userName = "alice";
    AutoCompleteLocations where;
    where.storageRoot = reg.Path("PSSP");
    std::string container = reg.Path(std::string("PSSP\\alice\\Data\\") + kType + "\\" + kType);
    RegHandle h = 0;
    for (auto [root, name] : {std::pair{kLocalMachine, "machine"}, std::pair{kCurrentUser, "user"}}) {
        ASSERT_EQ(reg.Raw().CreateKey(RootHandle(root), container + "\\" + name + "\\deep", keyAllAccess, h), regOk);
        reg.Raw().CloseKey(h);
    }
    RegKey tool(reg.Api());
    auto found = GetAutoCompleteForms(tool, system, nullptr, where);
    ASSERT_EQ(found->Count(), 2);
    EXPECT_EQ(found->item(1)->RootKey, kLocalMachine);
    EXPECT_EQ(found->item(2)->ValueName, "user");
    auto cleared = ClearAutoCompleteForms(tool, system, nullptr, where);
    ASSERT_EQ(cleared->Count(), 2);
    EXPECT_EQ(cleared->item(1)->ValueStatus, vsDelete);
    EXPECT_EQ(GetAutoCompleteForms(tool, system, nullptr, where)->Count(), 0);
    EXPECT_EQ(reg.Counting().Calls(testing::CountingRegistry::Op::SetKeySecurity), 0u);
    EXPECT_EQ(reg.Counting().Calls(testing::CountingRegistry::Op::GetKeySecurity), 0u);
    EXPECT_EQ(reg.OpenHandles(), 0);
}

}  // namespace
}  // namespace lumo
