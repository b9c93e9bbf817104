#include <gtest/gtest.h>

#include "config/privacy_configs.h"

namespace lumo {
namespace {

// Records named by letter, Root unless said otherwise, selected, each with `items` selected items.
PrivacyConfig& AddRecord(PrivacyConfigs& set, std::string name, int32_t type = stRoot, int items = 1) {
    auto pc = std::make_unique<PrivacyConfig>();
    pc->Software = std::move(name);
    pc->SoftwareType = type;
    pc->Selected = true;
    for (int i = 1; i <= items; ++i) {
        pc->Items.Add(std::make_unique<PrivacyItem>());
        pc->Items.item(i).Software = pc->Software;
        pc->Items.item(i).Title = "item" + std::to_string(i);
        pc->Items.item(i).Selected = true;
    }
    return set.Add(std::move(pc));
}

// A count is -1 while nothing was collected; the set sums only the counts of zero or more.
TEST(PrivacyConfigs, CountsAreMinusOneWithoutCollectionsAndSumOnlyCountsOfZeroOrMore) {
    SeekContext ctx;
    PrivacyConfigs set;
    PrivacyConfig& a = AddRecord(set, "A", stRoot, 3);
    AddRecord(set, "B");
    AddRecord(set, "C");
    EXPECT_EQ(set.GetPrivacyValue(ctx, false), nullptr) << "never scanned: nothing held";
    EXPECT_EQ(set.ValueCount(), -1);
    set.item(3).Items.item(1).GetPrivacyValue(ctx, true);
    EXPECT_EQ(set.ValueCount(), 0) << "records reporting -1, -1 and 0";
    a.Items.item(2).GetPrivacyValue(ctx, true);
    a.Items.item(3).GetPrivacyValue(ctx, true);
    for (const char* key : {"1", "2", "3"})
        a.Items.item(2).Values()->AddIniFileItem("f", key, "v");
    EXPECT_EQ(set.ValueCount(), 3) << "records reporting 3, -1 and 0";
    set.EmptyPrivacyValueBySoftwareType(stPlugins);
    EXPECT_EQ(set.ValueCount(), 3);
    set.EmptyPrivacyValue();
    EXPECT_EQ(set.ValueCount(), -1);
}

}  // namespace
}  // namespace lumo
