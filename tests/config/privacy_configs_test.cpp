#include <gtest/gtest.h>

#include "config/privacy_configs.h"

namespace lumo {
namespace {

PrivacyConfig& AddRecord(PrivacyConfigs& set, std::string name, int32_t type, bool selected = true, int items = 1) {
    auto pc = std::make_unique<PrivacyConfig>();
    pc->Software = std::move(name);
    pc->SoftwareType = type;
    pc->Selected = selected;
    for (int i = 1; i <= items; ++i) {
        auto pi = std::make_unique<PrivacyItem>();
        pi->Software = pc->Software;
        pi->Title = "item" + std::to_string(i);
        pi->Selected = true;
        pc->Items.Add(std::move(pi));
    }
    return set.Add(std::move(pc));
}

// Records the order in which records finish, and the set's own finish events.
struct Walk {
    std::vector<std::string> records;
    std::vector<std::pair<int32_t, int32_t>> groups;
    std::vector<int32_t> finish;
    Subscription a, b, c;
    explicit Walk(PrivacyConfigs& set) {
        a = set.ParseConfigFinish.Subscribe([this](PrivacyConfig& pc, int32_t) { records.push_back(pc.Software); });
        b = set.ParseBySoftwareTypeFinish.Subscribe([this](int32_t st, int32_t n) { groups.emplace_back(st, n); });
        c = set.ParseFinish.Subscribe([this](int32_t n) { finish.push_back(n); });
    }
};

std::vector<std::string> Names(const PrivacyConfigs& set) {
    std::vector<std::string> out;
    for (const PrivacyConfig& pc : set)
        out.push_back(pc.Software);
    return out;
}

TEST(PrivacyConfigs, PluginsAndCustomsAreWalkedAsGroupsWhereTheFirstStandsAndEndTheWalk) {
    PrivacyConfigs set;
    AddRecord(set, "A", stRoot);
    AddRecord(set, "P", stPlugins);
    AddRecord(set, "B", stRoot);
    AddRecord(set, "C", stCustoms);
    SeekContext ctx;
    {
        Walk walk(set);
        set.GetPrivacyValue(ctx, true);
        EXPECT_EQ(walk.records, (std::vector<std::string>{"A", "P", "C"})) << "B stands after the groups";
        EXPECT_EQ(walk.groups, (std::vector<std::pair<int32_t, int32_t>>{{2, 0}, {3, 0}}));
        EXPECT_EQ(walk.finish, (std::vector<int32_t>{0}));
    }
    set.ReOrder();
    EXPECT_EQ(Names(set), (std::vector<std::string>{"A", "B", "P", "C"}));
    Walk walk(set);
    set.GetPrivacyValue(ctx, true);
    EXPECT_EQ(walk.records, (std::vector<std::string>{"A", "B", "P", "C"}));
}

TEST(PrivacyConfigs, UnselectedRecordsAreSkippedUnlessSelectionIsOmitted) {
    PrivacyConfigs set;
    AddRecord(set, "C0", stCustoms, false);
    AddRecord(set, "P1", stPlugins, true);
    AddRecord(set, "R", stRoot, false);
    SeekContext ctx;
    Walk walk(set);
    set.GetPrivacyValue(ctx, true);
    EXPECT_EQ(walk.records, (std::vector<std::string>{"P1"})) << "the selected Plugins record starts both groups";
    walk.records.clear();
    set.GetPrivacyValue(ctx, true, true);
    EXPECT_EQ(walk.records, (std::vector<std::string>{"P1", "C0"})) << "omitting selection walks the groups whole";
}

TEST(PrivacyConfigs, CountsAreMinusOneWithoutCollections) {
    SeekContext ctx;
    PrivacyConfigs empty;
    Walk w(empty);
    EXPECT_EQ(empty.GetPrivacyValue(ctx, true), nullptr);
    EXPECT_EQ(w.finish, (std::vector<int32_t>{-1}));
    EXPECT_EQ(empty.ValueCount(), -1);

    PrivacyConfigs set;
    AddRecord(set, "R", stRoot);
    Walk walk(set);
    EXPECT_EQ(set.GetPrivacyValue(ctx, false), nullptr) << "never scanned: nothing held";
    EXPECT_EQ(set.GetPrivacyValueBySoftwareType(ctx, stPlugins, true), nullptr);
    EXPECT_EQ(walk.groups, (std::vector<std::pair<int32_t, int32_t>>{{2, -1}}));
    auto found = set.GetPrivacyValue(ctx, true);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->Count(), 0);
    EXPECT_EQ(walk.finish, (std::vector<int32_t>{-1, 0}));
}

TEST(PrivacyConfigs, ValueCountSumsOnlyCountsOfZeroOrMore) {
    SeekContext ctx;
    PrivacyConfigs set;
    PrivacyConfig& a = AddRecord(set, "A", stRoot, true, 3);
    AddRecord(set, "B", stRoot, true, 1);
    AddRecord(set, "C", stRoot, true, 1);
    a.Items.item(2).GetPrivacyValue(ctx, true);
    a.Items.item(3).GetPrivacyValue(ctx, true);
    a.Items.item(2).Values()->AddIniFileItem("f", "1", "v");
    a.Items.item(2).Values()->AddIniFileItem("f", "2", "v");
    EXPECT_EQ(a.ValueCount(), 2) << "items reporting -1, 2 and 0";
    a.Items.item(2).Values()->AddIniFileItem("f", "3", "v");
    set.item(3).Items.item(1).GetPrivacyValue(ctx, true);
    EXPECT_EQ(set.ValueCount(), 3) << "records reporting 3, -1 and 0";
    set.EmptyPrivacyValueBySoftwareType(stPlugins);
    EXPECT_EQ(set.ValueCount(), 3);
    set.EmptyPrivacyValue();
    EXPECT_EQ(set.ValueCount(), -1);
}

TEST(PrivacyConfigs, StopRequestEndsWalksButFinishEventsStillCome) {
    PrivacyConfigs set;
    AddRecord(set, "A", stRoot, true, 2);
    AddRecord(set, "B", stRoot, true, 1);
    bool stop = false;
    SeekContext ctx;
    ctx.stopRequested = &stop;
    std::vector<std::string> items;
    auto s = set.ParseItemFinish.Subscribe([&](PrivacyItem& pi, int32_t) {
        items.push_back(pi.Software + "." + pi.Title);
        stop = true;  // the user clicks Stop while the first item is reported
    });
    Walk walk(set);
    auto found = set.GetPrivacyValue(ctx, true);
    EXPECT_EQ(items, (std::vector<std::string>{"A.item1"}));
    EXPECT_EQ(walk.records, (std::vector<std::string>{"A"}));
    EXPECT_EQ(walk.finish, (std::vector<int32_t>{0}));
    ASSERT_NE(found, nullptr);
}

TEST(PrivacyConfigs, StopBetweenThePluginsAndCustomsGroupsSkipsCustoms) {
    PrivacyConfigs set;
    AddRecord(set, "P", stPlugins);
    AddRecord(set, "Q", stPlugins);
    AddRecord(set, "C", stCustoms);
    bool stop = false;
    SeekContext ctx;
    ctx.stopRequested = &stop;
    auto s = set.ParseConfigFinish.Subscribe([&](PrivacyConfig&, int32_t) { stop = true; });
    Walk walk(set);
    set.GetPrivacyValue(ctx, true);
    // Records of one group are not checked for the stop between them; each record checks itself.
    EXPECT_EQ(walk.records, (std::vector<std::string>{"P", "Q"}));
    EXPECT_EQ(walk.groups, (std::vector<std::pair<int32_t, int32_t>>{{2, 0}}));
    EXPECT_EQ(walk.finish.size(), 1u);
}

TEST(PrivacyConfigs, EventsAreRelayedFromItemToRecordToSetWithTheSameArguments) {
    PrivacyConfigs set;
    PrivacyConfig& pc = AddRecord(set, "A", stRoot);
    SeekContext ctx;
    std::vector<std::string> order;
    auto s1 = pc.ParseItemFinish.Subscribe(
        [&](PrivacyItem& pi, int32_t n) { order.push_back("record " + pi.Title + " " + std::to_string(n)); });
    auto s2 = set.ParseItemFinish.Subscribe(
        [&](PrivacyItem& pi, int32_t n) { order.push_back("set " + pi.Title + " " + std::to_string(n)); });
    auto s3 = set.ParseConfigFinish.Subscribe([&](PrivacyConfig& r, int32_t n) {
        EXPECT_EQ(&r, &pc);
        order.push_back("config " + std::to_string(n));
    });
    set.GetPrivacyValue(ctx, true);
    EXPECT_EQ(order, (std::vector<std::string>{"record item1 0", "set item1 0", "config 0"}));
}

TEST(PrivacyConfigs, ReOrderIsStableAndIgnoresLetterCase) {
    struct Case {
        std::vector<std::pair<std::string, int32_t>> in;
        std::vector<std::string> out;
    };
    for (const Case& c : {
             Case{{{"b", stPlugins}, {"A", stPlugins}, {"x", stRoot}}, {"x", "A", "b"}},
             Case{{{"z", stOther}, {"R2", stRoot}, {"c", stCustoms}, {"R1", stRoot}, {"p", stPlugins}},
                  {"R2", "R1", "p", "c", "z"}},
             Case{{{"b", stCustoms}, {"a", stPlugins}, {"B", stCustoms}, {"A", stCustoms}}, {"a", "A", "b", "B"}},
             Case{{{"é", stPlugins}, {"E", stPlugins}, {"É", stPlugins}}, {"E", "é", "É"}},
             Case{{}, {}},
         }) {
        PrivacyConfigs set;
        for (const auto& [name, type] : c.in)
            AddRecord(set, name, type);
        set.ReOrder();
        EXPECT_EQ(Names(set), c.out);
    }
}

TEST(PrivacyConfigs, FindAndRemoveAll) {
    PrivacyConfigs set;
    set.RemoveAll();
    EXPECT_EQ(set.Count(), 0);
    AddRecord(set, "Windows", stRoot);
    AddRecord(set, "Windows", stPlugins);
    EXPECT_EQ(set.FindPrivacyConfig("Windows"), &set.item(1));
    EXPECT_EQ(set.FindPrivacyConfig("windows"), nullptr);
    EXPECT_THROW(set.Remove(3), CollectionError);
    set.RemoveAll();
    EXPECT_EQ(set.Count(), 0);
}

TEST(PrivacyConfig, RecordWalk) {
    SeekContext ctx;
    PrivacyConfigs set;
    PrivacyConfig& none = AddRecord(set, "N", stRoot, true, 0);
    int32_t count = 7;
    auto s = none.ParseConfigFinish.Subscribe([&](PrivacyConfig&, int32_t n) { count = n; });
    EXPECT_EQ(none.GetPrivacyValue(ctx, true), nullptr);
    EXPECT_EQ(count, -1);
    EXPECT_EQ(none.ValueCount(), -1);

    PrivacyConfig& two = AddRecord(set, "T", stRoot, true, 2);
    for (PrivacyItem& pi : two.Items)
        pi.Selected = false;
    EXPECT_EQ(two.GetPrivacyValue(ctx, true), nullptr) << "no item selected";
    auto all = two.GetPrivacyValue(ctx, true, true);
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(two.Items.item(2).ValueCount(), 0) << "omitting selection walks every item";
}

TEST(PrivacyConfig, TypesFindAndClone) {
    EXPECT_EQ(PrivacyConfig::TransSoftwareType("Plugins"), 2);
    EXPECT_EQ(PrivacyConfig::TransSoftwareType("plugins"), 0);
    EXPECT_EQ(PrivacyConfig::TransSoftwareType(""), 0);
    EXPECT_EQ(PrivacyConfig::TransSoftwareType("Root"), 1);
    EXPECT_EQ(PrivacyConfig::TransSoftwareType("Customs"), 3);

    PrivacyConfigs set;
    PrivacyConfig& pc = AddRecord(set, "W", stRoot, true, 2);
    pc.Items.item(2).Title = "item1";
    EXPECT_EQ(pc.FindPrivacyItem("item1"), &pc.Items.item(1)) << "the first of two equal titles";
    EXPECT_EQ(pc.FindPrivacyItem("ITEM1"), nullptr);
    pc.FileLines = {"[Config]", "Software:W"};
    pc.Description = "d";
    pc.Version = "1";
    SeekContext ctx;
    pc.GetPrivacyValue(ctx, true);

    auto clone = pc.Clone();
    EXPECT_EQ(clone->FileLines, pc.FileLines);
    EXPECT_EQ(clone->Software, "W");
    EXPECT_EQ(clone->Description, "d");
    EXPECT_EQ(clone->Version, "1");
    EXPECT_TRUE(clone->Selected);
    EXPECT_EQ(clone->ValueCount(), -1);
    clone->Items.Add(std::make_unique<PrivacyItem>());
    clone->Items.item(1).Selected = false;
    clone->FileLines.push_back("x");
    EXPECT_EQ(pc.Items.Count(), 2);
    EXPECT_TRUE(pc.Items.item(1).Selected);
    EXPECT_EQ(pc.FileLines.size(), 2u);
}

}  // namespace
}  // namespace lumo
