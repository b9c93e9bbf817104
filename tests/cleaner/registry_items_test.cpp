// The registry item types — RegValue, RegSubKeyValue, RegKey — on the in-memory registry, and one
// clear of a RegKey item on the real registry in the Windows build.
#include <gtest/gtest.h>

#include "engine_test_support.h"
#include "registry/reg_key.h"

namespace lumo {
namespace {

using testing::MakeItem;
using Lines = std::vector<std::string>;
const std::string kRoot = "HKEY_CURRENT_USER";

class RegistryItems : public testing::EngineTest {
protected:
    using EngineTest::EngineTest;
    // A clear of a RegKey item on a key with values (one held), subkeys and a deeper held value.
    void ClearRegKeyItem() {
        for (const char* key : {"Top", "Top\\A", "Top\\B"})
            reg.SetString(key, "drop", "x");
        reg.SetString("Top", "keep", "held");
        reg.SetString("Top\\A\\Deep", "keep", "held only directly under the named key");
        auto item =
            MakeItem(pitRegKey, {kRoot, reg.Path("Top")}, {reg.Path("Top") + "\\KEEP", reg.Path("Top\\A\\Deep\\keep")});
        Run run = Seek(*item, true);
        // Each level: subkeys, then values, then each subkey's contents.
        EXPECT_EQ(Describe(*run.values),
                  (Lines{"Delete Top/A/", "Delete Top/B/", "Delete Top/drop", "Keep Top/keep", "Delete Top/A/Deep/",
                         "Delete Top/A/drop", "Keep Top/A/Deep/keep", "Delete Top/B/drop"}));
        EXPECT_EQ(run.events.size(), 8u) << "every trace is reported";
        EXPECT_TRUE(reg.ValueExists("Top", "keep"));
        EXPECT_FALSE(reg.ValueExists("Top", "drop"));
        EXPECT_FALSE(reg.KeyExists("Top\\A")) << "a subkey goes deeply, held values below it included";
        EXPECT_FALSE(reg.KeyExists("Top\\B"));
        EXPECT_TRUE(reg.KeyExists("Top")) << "the named key stays";
    }
};

TEST_F(RegistryItems, RegValueItemsFindMatchingValuesAndDeleteThemWhenClearing) {
    reg.SetString("MRU", "Url1", "http://a/");
    reg.SetString("MRU", "Url2", "http://b/");
    reg.SetString("MRU", "Order", "ab");
    reg.SetDword("MRU", "Url3", 256);
    reg.SetRaw("MRU", "Url4", 3, {1, 2, 3});
    auto item = MakeItem(pitRegValue, {kRoot, reg.Path("MRU"), "url#"});
    Run scan = Seek(*item, false);
    EXPECT_EQ(Describe(*scan.values), (Lines{"Find MRU/Url1", "Find MRU/Url2", "Find MRU/Url3", "Find MRU/Url4"}));
    EXPECT_EQ(scan.events.size(), 4u);
    std::vector<std::string> shown;
    for (const PrivacyValuePtr& pv : *scan.values)
        shown.push_back(pv->ValueName + "=" + pv->Value + "," + std::to_string(pv->Size) + "," +
                        std::to_string(pv->RootKey));
    const std::string hkcu = std::to_string(rkCurrentUser);
    EXPECT_EQ(shown, (Lines{"Url1=http://a/,18," + hkcu, "Url2=http://b/,18," + hkcu, "Url3=0x00000100 (256),6," + hkcu,
                            "Url4=01 02 03,3," + hkcu}));

    log.lines.clear();
    EXPECT_EQ(SeekAndDescribe(*item, true),
              (Lines{"Delete MRU/Url1", "Delete MRU/Url2", "Delete MRU/Url3", "Delete MRU/Url4"}));
    EXPECT_EQ(reg.ValueNames("MRU"), Lines{"Order"});
    EXPECT_EQ(log.lines, (Lines{"Delete Url1", "Delete Url2", "Delete Url3", "Delete Url4"}))
        << "a registry value is logged by its name only";
    EXPECT_EQ(Seek(*MakeItem(pitRegValue, {kRoot, reg.Path("Nowhere")}), true).values->Count(), 0);
}

TEST_F(RegistryItems, RegSubKeyValueItemsTakeTheValuesOfMatchingSubkeysOnly) {
    reg.SetString("Profiles\\ProfileA", "x", "1");
    reg.SetString("Profiles\\ProfileA", "y", "2");
    reg.SetString("Profiles\\ProfileA\\Deeper", "z", "not looked at");
    reg.SetString("Profiles\\profileB", "x", "3");
    reg.SetString("Profiles\\Other", "x", "4");
    Run run = Seek(*MakeItem(pitRegSubKeyValue, {kRoot, reg.Path("Profiles"), "PROFILE*"}), true);
    EXPECT_EQ(Describe(*run.values),
              (Lines{"Delete Profiles/ProfileA/x", "Delete Profiles/ProfileA/y", "Delete Profiles/profileB/x"}));
    EXPECT_EQ(run.events.size(), 3u);
    EXPECT_FALSE(reg.ValueExists("Profiles\\ProfileA", "x"));
    EXPECT_TRUE(reg.KeyExists("Profiles\\ProfileA")) << "subkeys are never deleted";
    EXPECT_TRUE(reg.ValueExists("Profiles\\ProfileA\\Deeper", "z"));
    EXPECT_TRUE(reg.ValueExists("Profiles\\Other", "x"));
    EXPECT_EQ(Seek(*MakeItem(pitRegSubKeyValue, {kRoot, reg.Path("Profiles")}), false).values->Count(), 0)
        << "no pattern, no subkey";
}

TEST_F(RegistryItems, RegKeyItemsTakeEverythingBelowExceptHeldValuesOfTheNamedKey) {
    ClearRegKeyItem();
    reg.SetString("Top\\C", "c", "x");
    Run scan = Seek(*MakeItem(pitRegKey, {kRoot, reg.Path("Top")}), false);
    EXPECT_EQ(Describe(*scan.values), (Lines{"Find Top/C/", "Find Top/keep", "Find Top/C/c"}));
    EXPECT_EQ(scan.values->item(1)->Value, "C");
    EXPECT_EQ(scan.values->item(1)->Size, 0);
}

// A subkey whose deletion fails is logged, marked unknown, and the walk goes on.
TEST_F(RegistryItems, AFailedSubkeyDeletionIsLoggedMarkedUnknownAndTheWalkGoesOn) {
    reg.SetString("K\\Stuck", "v", "x");
    reg.SetString("K", "w", "y");
    reg.Counting().FailNext(testing::CountingRegistry::Op::DeleteKey, regAccessDenied);
    EXPECT_EQ(SeekAndDescribe(*MakeItem(pitRegKey, {kRoot, reg.Path("K")}), true),
              (Lines{"Unknown K/Stuck/", "Delete K/w", "Delete K/Stuck/v"}));
    ASSERT_EQ(log.lines.size(), 5u);
    EXPECT_EQ(Lines(log.lines.begin(), log.lines.begin() + 3), (Lines{"Delete Stuck", "Find w", "Find v"}));
    EXPECT_EQ(log.lines[3].rfind("12/25/2006 3:04:05 PM--100,", 0), 0u) << log.lines[3];
    EXPECT_NE(log.lines[3].find("(GetRegKeyAllSub),"), std::string::npos) << log.lines[3];
    EXPECT_EQ(log.lines[3].substr(log.lines[3].size() - 2), ",5") << "the code the refused deletion returned";
    EXPECT_EQ(log.lines.back(), "Unknown Stuck");
}

#ifdef _WIN32
class RealRegistryItems : public RegistryItems {
protected:
    RealRegistryItems() : RegistryItems(testing::RegistryKind::Real) {}
};
TEST_F(RealRegistryItems, RegKeyItemClearOnTheRealRegistry) { ClearRegKeyItem(); }
#endif

}  // namespace
}  // namespace lumo
