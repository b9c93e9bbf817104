// The AutoComplete stores through the special parser, in a test branch that stands in for
// Protected Storage: on the in-memory registry, and once end to end on the real one under Windows.
#include <gtest/gtest.h>

#include "cleaner/customize_parsers.h"
#include "engine_test_support.h"
#include "platform/portable/portable_system_info.h"
#include "registry/user_identity.h"
#ifdef _WIN32
#include "platform/win32/win32_system_info.h"
#endif

namespace lumo {
namespace {

using testing::RegistryKind;
using Lines = std::vector<std::string>;
const std::string kType = "e161255a-37c3-11d2-bcaa-00c04fd929db";

// A registry, its user, and the parser pointed at the test branch. On the real registry the
// branch is named after the real user's SID, as the program names it.
struct Stores {
    explicit Stores(RegistryKind kind) : reg(kind) {
        system.version = 0x0105;
        system.sid = SidParts{{0, 0, 0, 0, 0, 5}, {21, 7, 8, 9, 1000}};
#ifdef _WIN32
        if (kind == RegistryKind::Real)
            system.sid = Win32SystemInfo().UserSid();
#endif
        ctx = {.registry = &reg.Api(), .system = &system, .log = &log};
        parser.autoCompleteLocations = {reg.Path("PSSP"), reg.Path("IntelliForms")};
        // The SID's key, its Data, and the two type keys down to the container of the stores.
        chain = {"PSSP\\" + GetUserSidString(system)};
        for (const std::string& key : {std::string("Data"), kType, kType})
            chain.push_back(chain.back() + "\\" + key);
        events = parser.AppendValue.Subscribe([this](PrivacyItem&, const PrivacyValuePtr&) { ++eventCount; });
    }
    std::string Store(const std::string& name) const { return chain.back() + "\\" + name; }

    // "name:status" per trace of a scan or a clear.
    Lines Run(bool clear) {
        Lines out;
        found = parser.CallParser("parseIEAutoComplete", {&item, clear, {}}, ctx);
        for (const PrivacyValuePtr& pv : *found)
            out.push_back(pv->ValueName + ":" + std::to_string(pv->ValueStatus));
        return out;
    }
    std::vector<uint8_t> AccessList(const std::string& relative) {
        RegHandle h = 0;
        std::vector<uint8_t> block(1);
        uint32_t size = 1;
        if (reg.Raw().OpenKey(RootHandle(reg.kRoot), reg.Path(relative), rightReadControl, h) != regOk)
            return {};
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
        for (const std::string& key : chain)
            lists.push_back(AccessList(key));
        return lists;
    }

    testing::TestRegistry reg;
    PortableSystemInfo system;
    testing::RecordingLog log;
    SeekContext ctx;
    SpecialParser parser;
    PrivacyItem item;
    PrivacyValuesPtr found;
    Lines chain;
    int eventCount = 0;
    Subscription events;
};

// Two stores in a container that refuses listing, as Protected Storage does until the root's list
// is on it: a scan lists them, a clear deletes them deeply with the saved form passwords, and
// every access list of the chain ends as it was found.
void ScanAndClearTwoLockedStores(Stores& s) {
    s.reg.SetString(s.Store("beta\\inner"), "v", "typed text");
    s.reg.SetString(s.Store("alpha"), "w", "more text");
    s.reg.SetString("IntelliForms\\SPW", "x", "secret");
    s.reg.DenyRights(s.chain[3], keyEnumerateSubKeys);
    s.reg.DenyRights(s.chain[0], keyEnumerateSubKeys | keySetValue);
    auto before = s.ChainLists();

    EXPECT_EQ(s.Run(false), (Lines{"alpha:1", "beta:1"}));
    EXPECT_EQ(std::make_tuple(s.found->item(1)->Path, s.found->item(1)->RootKey),
              std::make_tuple(s.reg.Path(s.Store("alpha")), s.reg.kRoot));
    EXPECT_EQ(s.log.lines, (Lines{PrivacyLog::EntryLine(*s.found->item(1)), PrivacyLog::EntryLine(*s.found->item(2))}));
    EXPECT_TRUE(s.reg.KeyExists(s.Store("beta\\inner")));
    EXPECT_EQ(s.ChainLists(), before);
    EXPECT_TRUE(s.reg.SubKeyNames(s.chain[3]).empty()) << "still locked";

    EXPECT_EQ(s.Run(true), (Lines{"alpha:2", "beta:2"}));
    EXPECT_FALSE(s.reg.KeyExists(s.Store("alpha")) || s.reg.KeyExists(s.Store("beta")));
    EXPECT_TRUE(s.reg.KeyExists(s.chain[3]));
    EXPECT_FALSE(s.reg.KeyExists("IntelliForms"));
    EXPECT_EQ(s.ChainLists(), before);
    EXPECT_EQ(s.log.lines.size(), 4u);
    EXPECT_EQ(s.eventCount, 0) << "the traces reach the item through the collection only";
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
    EXPECT_EQ(s.Run(false), Lines{});
    EXPECT_EQ(s.Run(true), Lines{});
    EXPECT_TRUE(s.log.lines.empty());
    EXPECT_TRUE(s.reg.KeyExists("PSSP\\S-1-5-21-0-0-0-1\\Data"));
}

TEST_F(AutoComplete, ARefusedStoreIsReportedAndTheOthersAreStillDeleted) {
    for (const char* name : {"a1", "b2", "c3"})
        s.reg.SetString(s.Store(name), "v", name);
    // A key below the store that refuses listing: its subkey is never found, so the key still
    // has a subkey when its deletion comes.
    s.reg.CreateKey(s.Store("b2\\guarded\\leaf"));
    s.reg.DenyRights(s.Store("b2\\guarded"), keyEnumerateSubKeys);
    auto storeList = s.AccessList(s.Store("b2"));
    auto before = s.ChainLists();

    EXPECT_EQ(s.Run(true), (Lines{"a1:2", "b2:-1", "c3:2"}));
    EXPECT_EQ(s.reg.SubKeyNames(s.chain[3]), Lines{"b2"});
    EXPECT_TRUE(s.reg.KeyExists(s.Store("b2\\guarded")));
    EXPECT_EQ(std::count(s.log.lines.begin(), s.log.lines.end(),
                         "A autocomplete regkey can't be deleted(Access Deny)."),
              1);
    EXPECT_EQ(s.AccessList(s.Store("b2")), storeList) << "the store that stays keeps its own list";
    EXPECT_EQ(s.ChainLists(), before);
}

// The older family keeps the stores unlocked under the user name, under both roots.
TEST_F(AutoComplete, OlderFamilyFindsStoresOfBothRootsWithoutWritingAccessLists) {
    s.system.version = static_cast<int32_t>(0xC0000A04u);
    s.system.userName = "alice";
    std::string container = s.reg.Path("PSSP\\alice\\Data\\" + kType + "\\" + kType);
    const int32_t machine = static_cast<int32_t>(0x80000002u);
    RegHandle h = 0;
    for (auto [root, name] : {std::pair{machine, "machine"}, std::pair{s.reg.kRoot, "user"}}) {
        ASSERT_EQ(s.reg.Raw().CreateKey(RootHandle(root), container + "\\" + name + "\\deep", keyAllAccess, h), regOk);
        s.reg.Raw().CloseKey(h);
    }
    EXPECT_EQ(s.Run(false), (Lines{"machine:1", "user:1"}));
    EXPECT_EQ(s.found->item(1)->RootKey, machine);
    EXPECT_EQ(s.Run(true), (Lines{"machine:2", "user:2"}));
    EXPECT_EQ(s.Run(false), Lines{});
    EXPECT_EQ(s.reg.Counting().Calls(testing::CountingRegistry::Op::SetKeySecurity), 0u);
}

}  // namespace
}  // namespace lumo
