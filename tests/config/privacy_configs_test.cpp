#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <utility>

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

// The set's finish events in the order they came, each with its count: "record A 0",
// "group 2 0" (Plugins), "end 0"; items as "A.item1 0".
struct Walk {
    std::vector<std::string> log;
    Subscription a, b, c, d;
    explicit Walk(PrivacyConfigs& set) {
        a = set.ParseItemFinish.Subscribe([this](PrivacyItem& pi, int32_t n) { Log(pi.Software + "." + pi.Title, n); });
        b = set.ParseConfigFinish.Subscribe([this](PrivacyConfig& pc, int32_t n) { Log("record " + pc.Software, n); });
        c = set.ParseBySoftwareTypeFinish.Subscribe([this](int32_t st, int32_t n) { Log("group", st, n); });
        d = set.ParseFinish.Subscribe([this](int32_t n) { Log("end", n); });
    }
    void Log(std::string what, int32_t n, std::optional<int32_t> m = {}) {
        log.push_back(what + " " + std::to_string(n) + (m ? " " + std::to_string(*m) : ""));
    }
    std::vector<std::string> Take() { return std::exchange(log, {}); }
};
using Log = std::vector<std::string>;

std::vector<std::string> Names(const PrivacyConfigs& set) {
    std::vector<std::string> out;
    for (const PrivacyConfig& pc : set)
        out.push_back(pc.Software);
    return out;
}

// Plugins and Customs records are walked as groups where the first selected one stands, and end the walk.
TEST(PrivacyConfigs, WalksRecordsInOrderWithThePluginsAndCustomsGroupsWhereTheFirstStands) {
    PrivacyConfigs set;
    AddRecord(set, "A", stRoot);
    AddRecord(set, "P", stPlugins);
    AddRecord(set, "B", stRoot);
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
    set.ReOrder();
    EXPECT_EQ(Names(set), (std::vector<std::string>{"A", "B", "P", "C"}));
    set.GetPrivacyValue(ctx, true, true);
    EXPECT_EQ(walk.Take(), (Log{"A.item1 0", "record A 0", "B.item1 0", "record B 0", "P.item1 0", "record P 0",
                                "group 2 0", "C.item1 0", "record C 0", "group 3 0", "end 0"}))
        << "omitting selection walks every record";
}

TEST(PrivacyConfigs, CountsAreMinusOneWithoutCollectionsAndSumOnlyCountsOfZeroOrMore) {
    SeekContext ctx;
    PrivacyConfigs set;
    Walk walk(set);
    EXPECT_EQ(set.GetPrivacyValue(ctx, true), nullptr);
    EXPECT_EQ(set.ValueCount(), -1);
    PrivacyConfig& a = AddRecord(set, "A", stRoot, true, 3);
    AddRecord(set, "B", stRoot, true, 1);
    AddRecord(set, "C", stRoot, true, 1);
    EXPECT_EQ(set.GetPrivacyValue(ctx, false), nullptr) << "never scanned: nothing held";
    EXPECT_EQ(set.GetPrivacyValueBySoftwareType(ctx, stPlugins, true), nullptr);
    EXPECT_EQ(walk.Take(), (Log{"end -1", "A.item1 -1", "A.item2 -1", "A.item3 -1", "record A -1", "B.item1 -1",
                                "record B -1", "C.item1 -1", "record C -1", "end -1", "group 2 -1"}));
    set.item(3).Items.item(1).GetPrivacyValue(ctx, true);
    EXPECT_EQ(set.ValueCount(), 0) << "records reporting -1, -1 and 0";
    a.Items.item(2).GetPrivacyValue(ctx, true);
    a.Items.item(3).GetPrivacyValue(ctx, true);
    for (const char* key : {"1", "2", "3"})
        a.Items.item(2).Values()->AddIniFileItem("f", key, "v");
    EXPECT_EQ(a.ValueCount(), 3) << "items reporting -1, 3 and 0";
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
        AddRecord(set, "A", stopAtItem ? stRoot : stPlugins, true, 2);
        AddRecord(set, "B", stopAtItem ? stRoot : stPlugins);
        AddRecord(set, "C", stCustoms);
        bool stop = false;
        SeekContext ctx;
        ctx.stopRequested = &stop;
        auto s1 = set.ParseItemFinish.Subscribe([&](PrivacyItem&, int32_t) { stop = stop || stopAtItem; });
        auto s2 = set.ParseConfigFinish.Subscribe([&](PrivacyConfig&, int32_t) { stop = true; });
        Walk walk(set);
        EXPECT_NE(set.GetPrivacyValue(ctx, true), nullptr);
        const Log atItem = {"A.item1 0", "record A 0", "end 0"};
        const Log atRecord = {"A.item1 0", "A.item2 0", "record A 0", "B.item1 0", "record B 0", "group 2 0", "end 0"};
        EXPECT_EQ(walk.Take(), stopAtItem ? atItem : atRecord);
    }
}

TEST(PrivacyConfigs, EventsAreRelayedFromItemToRecordToSetWithTheSameArguments) {
    PrivacyConfigs set;
    PrivacyConfig& pc = AddRecord(set, "A", stRoot);
    SeekContext ctx;
    std::vector<std::string> order;
    auto s1 = pc.ParseItemFinish.Subscribe([&](PrivacyItem& pi, int32_t) { order.push_back("record " + pi.Title); });
    auto s2 = set.ParseItemFinish.Subscribe([&](PrivacyItem& pi, int32_t) { order.push_back("set " + pi.Title); });
    auto s3 = set.ParseConfigFinish.Subscribe([&](PrivacyConfig& r, int32_t) { order.push_back(r.Software); });
    set.GetPrivacyValue(ctx, true);
    EXPECT_EQ(order, (std::vector<std::string>{"record item1", "set item1", "A"}));
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

TEST(PrivacyConfig, TypesFindAndCloneWhichCopiesTheLinesButNoTraces) {
    for (auto [word, type] : {std::pair{"Root", 1}, {"Plugins", 2}, {"Customs", 3}, {"plugins", 0}, {"", 0}})
        EXPECT_EQ(PrivacyConfig::TransSoftwareType(word), type) << word;
    PrivacyConfigs set;
    AddRecord(set, "W", stPlugins);
    PrivacyConfig& pc = AddRecord(set, "W", stRoot, true, 2);
    EXPECT_EQ(set.FindPrivacyConfig("W"), &set.item(1));
    EXPECT_EQ(set.FindPrivacyConfig("w"), nullptr);
    pc.Items.item(2).Title = "item1";
    EXPECT_EQ(pc.FindPrivacyItem("item1"), &pc.Items.item(1)) << "the first of two equal titles";
    EXPECT_EQ(pc.FindPrivacyItem("ITEM1"), nullptr);
    pc.FileLines = {"[Config]", "Software:W"};
    pc.Description = "d";
    pc.Version = "1";
    SeekContext ctx;
    pc.GetPrivacyValue(ctx, true);
    auto clone = pc.Clone();
    EXPECT_EQ(std::tie(clone->FileLines, clone->Software, clone->Description, clone->Version, clone->Selected),
              std::tie(pc.FileLines, pc.Software, pc.Description, pc.Version, pc.Selected));
    EXPECT_EQ(clone->ValueCount(), -1);
    clone->Items.item(1).Selected = false;
    clone->FileLines.push_back("x");
    EXPECT_TRUE(pc.Items.item(1).Selected);
    EXPECT_EQ(pc.FileLines.size(), 2u);
    set.RemoveAll();
    EXPECT_EQ(set.Count(), 0);
}

}  // namespace
}  // namespace lumo
