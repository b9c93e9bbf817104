#include <gtest/gtest.h>

#include <set>

#include "cleaner/privacy_item.h"

namespace lumo {
namespace {

TEST(PrivacyItem, SeekSettingsStringIsCutAtTheSeparatorAndAppended) {
    struct Case {
        const char* str;
        std::vector<std::string> expected;
    };
    for (const Case& c : {
             Case{" a <> b<>c ", {"a ", " b", "c"}},
             Case{"x<><>y<>", {"x", "", "y", ""}},
             Case{"   ", {}},
             Case{"", {}},
             Case{"\tx\t", {"\tx\t"}},
         }) {
        PrivacyItem pi;
        pi.SetSeekSettingsByString(c.str);
        EXPECT_EQ(pi.SeekSettings, c.expected) << '"' << c.str << '"';
    }
    PrivacyItem twice;
    twice.SetSeekSettingsByString("one");
    twice.SetSeekSettingsByString("one");
    EXPECT_EQ(twice.SeekSettings, (std::vector<std::string>{"one", "one"}));
    twice.SetHoldSettingsByString("C:\\keep.txt<>D:\\k");
    EXPECT_EQ(twice.HoldSettings, (std::vector<std::string>{"C:\\keep.txt", "D:\\k"}));
    EXPECT_EQ(twice.SeekSetting(2), "one");
    EXPECT_EQ(twice.SeekSetting(3), "");
    EXPECT_EQ(twice.SeekSetting(0), "");
}

TEST(PrivacyItem, TypeWordsAreExact) {
    EXPECT_EQ(PrivacyItem::TransPrivacyItemType("RegValue"), 1);
    EXPECT_EQ(PrivacyItem::TransPrivacyItemType("regvalue"), 0);
    EXPECT_EQ(PrivacyItem::TransPrivacyItemType("RegKey"), 2);
    EXPECT_EQ(PrivacyItem::TransPrivacyItemType("RegSubKeyValue"), 3);
    EXPECT_EQ(PrivacyItem::TransPrivacyItemType("File"), 4);
    EXPECT_EQ(PrivacyItem::TransPrivacyItemType("Folder"), 5);
    EXPECT_EQ(PrivacyItem::TransPrivacyItemType("IniFileItem"), 7);
    EXPECT_EQ(PrivacyItem::TransPrivacyItemType("Customize"), 8);
    EXPECT_EQ(PrivacyItem::TransPrivacyItemType("Folder "), 0);
    EXPECT_EQ(PrivacyItem::TransPrivacyItemType(""), 0);
}

// One word per type and one type per word, read and written alike; the types of winapp2.ini's
// entries and the unused numbers have none.
TEST(PrivacyItem, EachTypeWordNamesOneTypeBothWays) {
    std::set<int32_t> types;
    std::set<std::string_view> words;
    for (const ItemTypeName& name : kItemTypeNames) {
        SCOPED_TRACE(name.word);
        EXPECT_TRUE(types.insert(name.type).second) << "a second word for the type";
        EXPECT_TRUE(words.insert(name.word).second) << "a second type for the word";
        EXPECT_EQ(PrivacyItem::TransPrivacyItemType(name.word), name.type);
        EXPECT_EQ(ItemTypeWord(name.type), name.word);
    }
    for (int32_t type :
         {int32_t{pitNone}, int32_t{pitUnused}, int32_t{pitWinapp2Files}, int32_t{pitWinapp2Registry}, 99})
        EXPECT_EQ(ItemTypeWord(type), "") << type;
}

TEST(PrivacyItem, CountIsMinusOneWithoutCollectionAndZeroAfterAnEmptySeek) {
    SeekContext ctx;
    PrivacyItem pi;
    std::vector<int32_t> finished;
    auto sub = pi.ParseItemFinish.Subscribe([&](PrivacyItem& item, int32_t n) {
        EXPECT_EQ(&item, &pi);
        finished.push_back(n);
    });
    EXPECT_EQ(pi.ValueCount(), -1);
    EXPECT_EQ(pi.GetPrivacyValue(ctx), nullptr) << "no refresh on a new item returns none";
    auto found = pi.GetPrivacyValue(ctx, true);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found, pi.Values()) << "the held collection itself is returned";
    EXPECT_EQ(pi.ValueCount(), 0);
    EXPECT_EQ(pi.GetPrivacyValue(ctx, false), found) << "without refresh the last seek's traces stay";
    pi.EmptyPrivacyValue();
    EXPECT_EQ(pi.ValueCount(), -1);
    EXPECT_EQ(finished, (std::vector<int32_t>{-1, 0, 0}));
}

TEST(PrivacyItem, RefreshStartsFromANewCollection) {
    SeekContext ctx;
    PrivacyItem pi;
    auto first = pi.GetPrivacyValue(ctx, true);
    first->AddIniFileItem("C:\\x.ini", "K", "v");
    auto second = pi.GetPrivacyValue(ctx, true);
    EXPECT_NE(first, second);
    EXPECT_EQ(second->Count(), 0);
    EXPECT_EQ(first->Count(), 1) << "an earlier collection is not touched by a refresh";
}

TEST(PrivacyItem, IrregularItemIsNeverSoughtButEndsWithAnEmptyCollection) {
    SeekContext ctx;  // no platform at all: a seek that touched anything would fail
    PrivacyItem pi;
    pi.ItemType = pitFolder;
    pi.Irregular = true;
    int32_t count = -2;
    auto sub = pi.ParseItemFinish.Subscribe([&](PrivacyItem&, int32_t n) { count = n; });
    auto found = pi.GetPrivacyValue(ctx, true, true);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->Count(), 0);
    EXPECT_EQ(count, 0);
}

TEST(PrivacyItem, CloneCopiesSettingsButNotTracesAndStaysIndependent) {
    SeekContext ctx;
    PrivacyItem pi;
    pi.Software = "Windows";
    pi.Title = "Temp";
    pi.Selected = true;
    pi.HoldFlag = true;
    pi.ItemType = pitFolder;
    pi.Irregular = true;
    pi.FileLine = "line";
    pi.SetSeekSettingsByString("a<>b");
    pi.SetHoldSettingsByString("h");
    pi.GetPrivacyValue(ctx, true);
    ASSERT_EQ(pi.ValueCount(), 0);

    auto clone = pi.Clone();
    EXPECT_EQ(clone->ValueCount(), -1);
    EXPECT_EQ(clone->Software, "Windows");
    EXPECT_EQ(clone->Title, "Temp");
    EXPECT_TRUE(clone->Selected);
    EXPECT_TRUE(clone->HoldFlag);
    EXPECT_EQ(clone->ItemType, pitFolder);
    EXPECT_TRUE(clone->Irregular);
    EXPECT_EQ(clone->FileLine, "line");
    EXPECT_EQ(clone->SeekSettings, pi.SeekSettings);
    EXPECT_EQ(clone->HoldSettings, pi.HoldSettings);
    clone->SetSeekSettingsByString("c");
    clone->HoldSettings.clear();
    EXPECT_EQ(pi.SeekSettings.size(), 2u);
    EXPECT_EQ(pi.HoldSettings.size(), 1u);
}

}  // namespace
}  // namespace lumo
