#include <gtest/gtest.h>

#include <utility>

#include "config/privacy_configs.h"

namespace lumo {
namespace {

using Log = std::vector<std::string>;

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

// The set's finish events in the order they came, each with its count: "A.item1 0", "record A 0",
// "group 2 0" (Plugins), "end 0".
struct Walk {
    Log log;
    Subscription a, b, c, d;
    explicit Walk(PrivacyConfigs& set) {
        auto add = [this](std::string what, int32_t n) { log.push_back(what + " " + std::to_string(n)); };
        a = set.ParseItemFinish.Subscribe([add](PrivacyItem& pi, int32_t n) { add(pi.Software + "." + pi.Title, n); });
        b = set.ParseConfigFinish.Subscribe([add](PrivacyConfig& pc, int32_t n) { add("record " + pc.Software, n); });
        c = set.ParseBySoftwareTypeFinish.Subscribe(
            [add](int32_t st, int32_t n) { add("group " + std::to_string(st), n); });
        d = set.ParseFinish.Subscribe([add](int32_t n) { add("end", n); });
    }
    Log Take() { return std::exchange(log, {}); }
};

std::vector<std::string> Names(const PrivacyConfigs& set) {
    std::vector<std::string> out;
    for (const PrivacyConfig& pc : set)
        out.push_back(pc.Software);
    return out;
}

// Plugins and Customs records are walked as groups where the first selected one stands, and end
// the walk; reordering puts them last, stably and without regard to letter case.
TEST(PrivacyConfigs, WalksRecordsInOrderWithThePluginsAndCustomsGroupsWhereTheFirstStands) {
    PrivacyConfigs set;
    AddRecord(set, "A");
    AddRecord(set, "P", stPlugins);
    AddRecord(set, "B");
    AddRecord(set, "C", stCustoms);
    SeekContext ctx;
    Walk walk(set);
    set.GetPrivacyValue(ctx, true);
    EXPECT_EQ(walk.Take(), (Log{"A.item1 0", "record A 0", "P.item1 0", "record P 0", "group 2 0", "C.item1 0",
                                "record C 0", "group 3 0", "end 0"}))
        << "B stands after the groups";
    set.item(2).Selected = false;  // the first selected one, C, starts the groups now
    set.GetPrivacyValue(ctx, true);
    EXPECT_EQ(walk.Take(), (Log{"A.item1 0", "record A 0", "B.item1 0", "record B 0", "group 2 -1", "C.item1 0",
                                "record C 0", "group 3 0", "end 0"}));
    set.GetPrivacyValue(ctx, true, true);
    EXPECT_EQ(walk.Take()[2], "P.item1 0") << "omitting selection walks every record";

    for (const auto& [in, out] : std::vector<std::pair<std::vector<std::pair<std::string, int32_t>>, Log>>{
             {{{"b", stPlugins}, {"A", stPlugins}, {"x", stRoot}}, {"x", "A", "b"}},
             {{{"z", stOther}, {"R2", stRoot}, {"c", stCustoms}, {"R1", stRoot}, {"p", stPlugins}},
              {"R2", "R1", "p", "c", "z"}},
             {{{"b", stCustoms}, {"a", stPlugins}, {"B", stCustoms}, {"A", stCustoms}}, {"a", "A", "b", "B"}},
             {{{"é", stPlugins}, {"E", stPlugins}, {"É", stPlugins}}, {"E", "é", "É"}},
         }) {
        set.RemoveAll();
        for (const auto& [name, type] : in)
            AddRecord(set, name, type);
        set.ReOrder();
        EXPECT_EQ(Names(set), out);
    }
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

// The user clicks Stop while the first item, or the first Plugins record, is reported: records of a
// group are not checked for the stop between them (each record checks itself); Customs is skipped.
TEST(PrivacyConfigs, AStopEndsTheWalkButTheFinishEventsStillCome) {
    for (bool stopAtItem : {true, false}) {
        PrivacyConfigs set;
        AddRecord(set, "A", stopAtItem ? stRoot : stPlugins, 2);
        AddRecord(set, "B", stopAtItem ? stRoot : stPlugins);
        AddRecord(set, "C", stCustoms);
        bool stop = false;
        SeekContext ctx;
        ctx.stopRequested = &stop;
        auto s1 = set.ParseItemFinish.Subscribe([&](PrivacyItem&, int32_t) { stop = stop || stopAtItem; });
        auto s2 = set.ParseConfigFinish.Subscribe([&](PrivacyConfig&, int32_t) { stop = true; });
        Walk walk(set);
        EXPECT_NE(set.GetPrivacyValue(ctx, true), nullptr);
        EXPECT_EQ(walk.Take(), (stopAtItem ? Log{"A.item1 0", "record A 0", "end 0"}
                                           : Log{"A.item1 0", "A.item2 0", "record A 0", "B.item1 0", "record B 0",
                                                 "group 2 0", "end 0"}));
    }
}

}  // namespace
}  // namespace lumo
