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

// Three stores in a container that refuses listing, as Protected Storage does until the root's
// list is on it: a scan lists them, a clear deletes them deeply with the saved form passwords, and
// every key of the chain refuses again what it refused. Below one store a key refuses listing:
// its subkey is never found, the store cannot go, and is reported so. Another user's store stays.
void ScanAndClearLockedStores(Stores& s) {
    s.reg.SetString(s.Store("beta\\inner"), "v", "typed text");
    s.reg.SetString(s.Store("alpha"), "w", "more text");
    s.reg.CreateKey(s.Store("b2\\guarded\\leaf"));
    s.reg.SetString("IntelliForms\\SPW", "x", "secret");
    const std::string other = "PSSP\\S-1-5-21-0-0-0-1\\Data\\" + kType + "\\" + kType + "\\other";
    s.reg.CreateKey(other);
    s.reg.DenyRights(s.Store("b2\\guarded"), keyEnumerateSubKeys);
    s.reg.DenyRights(s.chain[3], keyEnumerateSubKeys);
    s.reg.DenyRights(s.chain[0], keyEnumerateSubKeys | keySetValue);
    auto refusing = [&s] { return s.reg.SubKeyNames(s.chain[0]).empty() && s.reg.SubKeyNames(s.chain[3]).empty(); };

    EXPECT_EQ(s.Run(false), (Lines{"alpha:1", "b2:1", "beta:1"}));
    EXPECT_EQ(std::make_tuple(s.found->item(1)->Path, s.found->item(1)->RootKey),
              std::make_tuple(s.reg.Path(s.Store("alpha")), s.reg.kRoot));
    EXPECT_EQ(s.log.lines, (Lines{PrivacyLog::EntryLine(*s.found->item(1)), PrivacyLog::EntryLine(*s.found->item(2)),
                                  PrivacyLog::EntryLine(*s.found->item(3))}));
    EXPECT_TRUE(s.reg.KeyExists(s.Store("beta\\inner")) && refusing());

    EXPECT_EQ(s.Run(true), (Lines{"alpha:2", "b2:-1", "beta:2"}));
    EXPECT_FALSE(s.reg.KeyExists(s.Store("alpha")) || s.reg.KeyExists(s.Store("beta")));
    EXPECT_FALSE(s.reg.KeyExists("IntelliForms"));
    EXPECT_TRUE(s.reg.KeyExists(s.Store("b2\\guarded")) && s.reg.KeyExists(other) && refusing());
    EXPECT_EQ(std::count(s.log.lines.begin(), s.log.lines.end(),
                         "A autocomplete regkey can't be deleted(Access Deny)."),
              1);
    EXPECT_EQ(s.eventCount, 0) << "the traces reach the item through the collection only";
    EXPECT_EQ(s.reg.OpenHandles(), 0);
}

class AutoComplete : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(s.reg.OpenHandles(), 0) << "handles left open"; }
    Stores s{RegistryKind::Memory};
};

TEST_F(AutoComplete, LockedStoresAreListedThenDeletedAndEveryKeyRefusesAgainWhatItRefused) {
    ScanAndClearLockedStores(s);
}

#ifdef _WIN32
TEST(AutoCompleteOnTheRealRegistry, LockedStoresAreListedThenDeletedAndEveryKeyRefusesAgainWhatItRefused) {
    Stores real(RegistryKind::Real);
    ScanAndClearLockedStores(real);
}
#endif

// The older family keeps the stores unlocked under the user name, under both roots.
TEST_F(AutoComplete, OlderFamilyFindsStoresOfBothRootsWithoutWritingAccessLists) {
    s.system.version = static_cast<int32_t>(0xC0000A04u);
    s.system.userName = "alice";
    const int32_t machine = static_cast<int32_t>(0x80000002u);
    RegHandle h = 0;
    for (auto [root, name] : {std::pair{machine, "machine"}, std::pair{s.reg.kRoot, "user"}}) {
        std::string store = s.reg.Path("PSSP\\alice\\Data\\" + kType + "\\" + kType + "\\" + name + "\\deep");
        ASSERT_EQ(s.reg.Raw().CreateKey(RootHandle(root), store, keyAllAccess, h), regOk);
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
