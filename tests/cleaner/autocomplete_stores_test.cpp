// The AutoComplete stores in a test branch that stands in for Protected Storage: on the in-memory
// registry, and once end to end on the real one under Windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cleaner/autocomplete_stores.h"
#include "engine_test_support.h"
#include "platform/portable/portable_system_info.h"
#include "registry/reg_key.h"
#include "registry/user_identity.h"
#include "support/registry_fixture.h"
#ifdef _WIN32
#include "platform/win32/win32_system_info.h"
#endif

namespace lumo {
namespace {

using testing::RegistryKind;

constexpr int32_t kCurrentUser = testing::TestRegistry::kRoot;
constexpr int32_t kLocalMachine = static_cast<int32_t>(0x80000002u);
constexpr const char* kType = "e161255a-37c3-11d2-bcaa-00c04fd929db";

// A registry, its user, and where the stores are. On the real registry the branch is named after
// the real user's SID, as the program names it.
struct Stores {
    explicit Stores(RegistryKind kind) : reg(kind) {
        system.version = 0x0105;
        system.sid = SidParts{{0, 0, 0, 0, 0, 5}, {21, 7, 8, 9, 1000}};
#ifdef _WIN32
        if (kind == RegistryKind::Real)
            system.sid = Win32SystemInfo().UserSid();
#endif
        branch = "PSSP\\" + GetUserSidString(system);
        where.storageRoot = reg.Path("PSSP");
        where.passwordKey = reg.Path("IntelliForms");
    }

    // The SID's key (0), its Data (1), and the two type keys down to the container (3).
    std::string Relative(int depth) const {
        std::string path = branch;
        if (depth >= 1)
            path += "\\Data";
        for (int i = 2; i <= depth; ++i)
            path += std::string("\\") + kType;
        return path;
    }
    std::string Store(std::string_view name) const { return Relative(3) + "\\" + std::string(name); }

    std::vector<uint8_t> AccessList(const std::string& relative) {
        RegHandle h = 0;
        std::vector<uint8_t> block(1);
        if (reg.Raw().OpenKey(RootHandle(kCurrentUser), reg.Path(relative), rightReadControl, h) != regOk)
            return {};
        uint32_t size = 1;
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
    int32_t ListedInContainer() { return tool.EnumSubKeys(kCurrentUser, reg.Path(Relative(3))).Count(); }

    testing::TestRegistry reg;
    RegKey tool{reg.Api()};
    PortableSystemInfo system;
    AutoCompleteLocations where;
    testing::RecordingLog log;
    std::string branch;
};

std::vector<std::string> Names(const PrivacyValues& pvs) {
    std::vector<std::string> names;
    for (const PrivacyValuePtr& pv : pvs)
        names.push_back(pv->ValueName + ":" + std::to_string(pv->ValueStatus));
    return names;
}

// Two stores in a container that refuses listing, as Protected Storage does until the root's list
// is on it: a scan lists them, a clear deletes them deeply, and every access list of the chain
// ends as it was found.
void ScanAndClearTwoLockedStores(Stores& s) {
    s.reg.CreateKey("PSSP");
    s.reg.SetString(s.Store("beta\\inner"), "v", "typed text");
    s.reg.SetString(s.Store("alpha"), "w", "more text");
    s.reg.DenyRights(s.Relative(3), keyEnumerateSubKeys);
    s.reg.DenyRights(s.Relative(0), keyEnumerateSubKeys | keySetValue);
    ASSERT_EQ(s.ListedInContainer(), 0);
    auto before = s.ChainLists();

    auto found = GetAutoCompleteForms(s.tool, s.system, &s.log, s.where);
    EXPECT_EQ(Names(*found), (std::vector<std::string>{"alpha:1", "beta:1"}));
    ASSERT_EQ(found->Count(), 2);
    EXPECT_EQ(found->item(1)->Path, s.reg.Path(s.Store("alpha")));
    EXPECT_EQ(found->item(1)->RootKey, kCurrentUser);
    EXPECT_EQ(s.log.lines, (std::vector<std::string>{PrivacyLog::EntryLine(*found->item(1)),
                                                     PrivacyLog::EntryLine(*found->item(2))}));
    EXPECT_TRUE(s.reg.KeyExists(s.Store("beta\\inner")));
    EXPECT_EQ(s.ChainLists(), before);
    EXPECT_EQ(s.ListedInContainer(), 0) << "still locked";

    auto cleared = ClearAutoCompleteForms(s.tool, s.system, &s.log, s.where);
    EXPECT_EQ(Names(*cleared), (std::vector<std::string>{"alpha:2", "beta:2"}));
    EXPECT_FALSE(s.reg.KeyExists(s.Store("alpha")));
    EXPECT_FALSE(s.reg.KeyExists(s.Store("beta")));
    EXPECT_TRUE(s.reg.KeyExists(s.Relative(3)));
    EXPECT_EQ(s.ChainLists(), before);
    EXPECT_EQ(s.log.lines.size(), 4u);
    EXPECT_EQ(s.reg.OpenHandles(), 0);
}

class AutoComplete : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(s.reg.OpenHandles(), 0) << "handles left open"; }
    Stores s{RegistryKind::Memory};
};

TEST_F(AutoComplete, LockedStoresAreListedThenDeletedWithEveryAccessListAsFound) { ScanAndClearTwoLockedStores(s); }

#ifdef _WIN32
TEST(AutoCompleteOnTheRealRegistry, LockedStoresAreListedThenDeletedWithEveryAccessListAsFound) {
    Stores real(RegistryKind::Real);
    ScanAndClearTwoLockedStores(real);
}
#endif

TEST_F(AutoComplete, NothingForAUserWithoutABranch) {
    s.reg.CreateKey("PSSP\\S-1-5-21-0-0-0-1\\Data");
    EXPECT_EQ(GetAutoCompleteForms(s.tool, s.system, &s.log, s.where)->Count(), 0);
    EXPECT_EQ(ClearAutoCompleteForms(s.tool, s.system, &s.log, s.where)->Count(), 0);
    EXPECT_FALSE(ClearAutoCompletePasswords(s.tool, s.where));
    EXPECT_TRUE(s.log.lines.empty());
    EXPECT_TRUE(s.reg.KeyExists("PSSP\\S-1-5-21-0-0-0-1\\Data"));
}

TEST_F(AutoComplete, ARefusedStoreIsReportedAndTheOthersAreStillDeleted) {
    s.reg.CreateKey("PSSP");
    for (const char* name : {"a1", "b2", "c3"})
        s.reg.SetString(s.Store(name), "v", name);
    // A key below the store that refuses listing: its subkey is never found, so the key still
    // has a subkey when its deletion comes.
    s.reg.CreateKey(s.Store("b2\\guarded\\leaf"));
    s.reg.DenyRights(s.Store("b2\\guarded"), keyEnumerateSubKeys);
    auto storeList = s.AccessList(s.Store("b2"));
    auto before = s.ChainLists();

    auto cleared = ClearAutoCompleteForms(s.tool, s.system, &s.log, s.where);
    EXPECT_EQ(Names(*cleared), (std::vector<std::string>{"a1:2", "b2:-1", "c3:2"}));
    EXPECT_FALSE(s.reg.KeyExists(s.Store("a1")));
    EXPECT_TRUE(s.reg.KeyExists(s.Store("b2\\guarded")));
    EXPECT_FALSE(s.reg.KeyExists(s.Store("c3")));
    EXPECT_EQ(std::count(s.log.lines.begin(), s.log.lines.end(),
                         "A autocomplete regkey can't be deleted(Access Deny)."),
              1);
    EXPECT_EQ(s.AccessList(s.Store("b2")), storeList) << "the store that stays keeps its own list";
    EXPECT_EQ(s.ChainLists(), before);
}

TEST_F(AutoComplete, PasswordsKeyGoesWithEverythingInIt) {
    s.reg.SetString("IntelliForms\\SPW", "x", "secret");
    s.reg.SetDword("IntelliForms", "count", 3);
    EXPECT_TRUE(ClearAutoCompletePasswords(s.tool, s.where));
    EXPECT_FALSE(s.reg.KeyExists("IntelliForms"));
    EXPECT_FALSE(ClearAutoCompletePasswords(s.tool, s.where));
}

// The older family keeps the stores unlocked under the user name, under both roots.
TEST_F(AutoComplete, OlderFamilyFindsStoresOfBothRootsWithoutWritingAccessLists) {
    s.system.version = static_cast<int32_t>(0xC0000A04u);
    s.system.userName = "alice";
    std::string container = s.reg.Path(std::string("PSSP\\alice\\Data\\") + kType + "\\" + kType);
    RegHandle h = 0;
    for (auto [root, name] : {std::pair{kLocalMachine, "machine"}, std::pair{kCurrentUser, "user"}}) {
        ASSERT_EQ(s.reg.Raw().CreateKey(RootHandle(root), container + "\\" + name + "\\deep", keyAllAccess, h), regOk);
        s.reg.Raw().CloseKey(h);
    }
    auto found = GetAutoCompleteForms(s.tool, s.system, nullptr, s.where);
    ASSERT_EQ(found->Count(), 2);
    EXPECT_EQ(found->item(1)->RootKey, kLocalMachine);
    EXPECT_EQ(found->item(2)->ValueName, "user");
    auto cleared = ClearAutoCompleteForms(s.tool, s.system, nullptr, s.where);
    EXPECT_EQ(Names(*cleared), (std::vector<std::string>{"machine:2", "user:2"}));
    EXPECT_EQ(GetAutoCompleteForms(s.tool, s.system, nullptr, s.where)->Count(), 0);
    EXPECT_EQ(s.reg.Counting().Calls(testing::CountingRegistry::Op::SetKeySecurity), 0u);
}

}  // namespace
}  // namespace lumo
