#include <gtest/gtest.h>

#include <set>
#include <tuple>

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
    EXPECT_EQ(std::make_tuple(twice.SeekSetting(2), twice.SeekSetting(3), twice.SeekSetting(0)),
              std::make_tuple("one", "", ""));
}

// One word per type and one type per word, read and written alike, letter case and spaces exact;
// the types of winapp2.ini's entries and the unused numbers have none.
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
    for (const char* word : {"regvalue", "Folder ", ""})
        EXPECT_EQ(PrivacyItem::TransPrivacyItemType(word), 0) << word;
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
    found->AddIniFileItem("C:\\x.ini", "K", "v");
    auto second = pi.GetPrivacyValue(ctx, true);
    EXPECT_NE(second, found) << "a refresh starts from a new collection";
    EXPECT_EQ(std::make_tuple(second->Count(), found->Count()), std::make_tuple(0, 1));
    pi.EmptyPrivacyValue();
    EXPECT_EQ(pi.ValueCount(), -1);
    EXPECT_EQ(finished, (std::vector<int32_t>{-1, 0, 0, 0}));
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
    std::tie(pi.Software, pi.Title, pi.FileLine, pi.ItemType) = std::make_tuple("Windows", "Temp", "line", pitFolder);
    pi.Selected = pi.HoldFlag = pi.Irregular = true;
    pi.SetSeekSettingsByString("a<>b");
    pi.SetHoldSettingsByString("h");
    pi.GetPrivacyValue(ctx, true);
    ASSERT_EQ(pi.ValueCount(), 0);

    auto clone = pi.Clone();
    EXPECT_EQ(clone->ValueCount(), -1);
    EXPECT_EQ(std::tie(clone->Software, clone->Title, clone->FileLine, clone->SeekSettings, clone->HoldSettings),
              std::tie(pi.Software, pi.Title, pi.FileLine, pi.SeekSettings, pi.HoldSettings));
    EXPECT_EQ(std::make_tuple(clone->ItemType, clone->Selected, clone->HoldFlag, clone->Irregular),
              std::make_tuple(pitFolder, true, true, true));
    clone->SetSeekSettingsByString("c");
    clone->HoldSettings.clear();
    EXPECT_EQ(pi.SeekSettings.size(), 2u);
    EXPECT_EQ(pi.HoldSettings.size(), 1u);
}

}  // namespace
}  // namespace lumo
