// The item and trace data: settings strings, type words, the item's collection and its clone, the
// trace collection, and the wildcard language of item patterns.
#include <gtest/gtest.h>

#include <tuple>

#include "cleaner/privacy_item.h"
#include "cleaner/wildcard.h"
#include "engine_test_support.h"
#include "platform/portable/portable_file_system.h"

namespace lumo {
namespace {

using Lines = std::vector<std::string>;

TEST(PrivacyItem, SettingsStringsAreTrimmedCutAtTheSeparatorAndAppended) {
    for (auto [str, expected] : {std::pair{" a <> b<>c ", Lines{"a ", " b", "c"}},
                                 {"x<><>y<>", {"x", "", "y", ""}},
                                 {"   ", {}},
                                 {"", {}},
                                 {"\tx\t", {"\tx\t"}}}) {
        PrivacyItem pi;
        pi.SetSeekSettingsByString(str);
        pi.SetHoldSettingsByString(str);
        EXPECT_EQ(pi.SeekSettings, expected) << '"' << str << '"';
        EXPECT_EQ(pi.HoldSettings, expected) << '"' << str << '"';
    }
    PrivacyItem twice;
    twice.SetSeekSettingsByString("one");
    twice.SetSeekSettingsByString("one");
    EXPECT_EQ(std::make_tuple(twice.SeekSetting(2), twice.SeekSetting(3), twice.SeekSetting(0)),
              std::make_tuple("one", "", ""));
    // One type per word and back, letter case and spaces exact; winapp2.ini's types have no word.
    for (const ItemTypeName& name : kItemTypeNames)
        EXPECT_EQ(ItemTypeWord(PrivacyItem::TransPrivacyItemType(name.word)), name.word);
    EXPECT_EQ(PrivacyItem::TransPrivacyItemType("regvalue") + PrivacyItem::TransPrivacyItemType("Folder "), 0);
    EXPECT_EQ(std::string(ItemTypeWord(pitWinapp2Files)) + std::string(ItemTypeWord(99)), "");
}

// The count is -1 without a collection and 0 after an empty seek; an irregular item is never
// sought (a seek that touched the empty context would fail); a clone has the settings, no traces.
TEST(PrivacyItem, CollectionCountsIrregularItemsAndClones) {
    SeekContext ctx;
    PrivacyItem pi;
    std::vector<int32_t> finished;
    auto sub = pi.ParseItemFinish.Subscribe([&](PrivacyItem& item, int32_t n) {
        EXPECT_EQ(&item, &pi);
        finished.push_back(n);
    });
    EXPECT_EQ(pi.GetPrivacyValue(ctx), nullptr) << "no refresh on a new item returns none";
    auto found = pi.GetPrivacyValue(ctx, true);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found, pi.Values());
    EXPECT_EQ(pi.GetPrivacyValue(ctx, false), found) << "without refresh the last seek's traces stay";
    found->AddIniFileItem("C:\\x.ini", "K", "v");
    EXPECT_EQ(std::make_tuple(pi.GetPrivacyValue(ctx, true)->Count(), found->Count()), std::make_tuple(0, 1));
    pi.EmptyPrivacyValue();
    EXPECT_EQ(pi.ValueCount(), -1);
    std::tie(pi.Software, pi.Title, pi.FileLine, pi.ItemType) = std::make_tuple("Windows", "Temp", "line", pitFolder);
    pi.Selected = pi.HoldFlag = pi.Irregular = true;
    pi.SetSeekSettingsByString("a<>b");
    pi.SetHoldSettingsByString("h");
    EXPECT_EQ(pi.GetPrivacyValue(ctx, true, true)->Count(), 0);
    EXPECT_EQ(finished, (std::vector<int32_t>{-1, 0, 0, 0, 0}));

    auto clone = pi.Clone();
    EXPECT_EQ(clone->ValueCount(), -1);
    EXPECT_EQ(std::tie(clone->Software, clone->Title, clone->FileLine, clone->SeekSettings, clone->HoldSettings),
              std::tie(pi.Software, pi.Title, pi.FileLine, pi.SeekSettings, pi.HoldSettings));
    EXPECT_EQ(std::make_tuple(clone->ItemType, clone->Selected, clone->HoldFlag, clone->Irregular),
              std::make_tuple(pitFolder, true, true, true));
}

// Each trace is logged when added; a second collection holds the same object and logs nothing.
TEST(PrivacyValues, TracesAreLoggedWhenAddedAndKeysAreOptionalButUnique) {
    testing::RecordingLog log;
    PrivacyValues pvs(&log), other(&log);
    auto pv = pvs.AddIniFileItem("C:\\x.ini", "K", "abc", vsFind, "key");
    EXPECT_EQ(std::tie(pv->Path, pv->Value, pv->Size, pv->ValueType, pv->RootKey),
              std::make_tuple("C:\\x.ini:K", "abc", 6, 7, 0));
    EXPECT_EQ(pvs.AddIniFileItem("C:\\x.ini", "é", "ñé", vsFind)->Size, 4) << "two bytes per character";
    EXPECT_THROW(pvs.AddIniFileItem("f", "c", "1", vsNone, "key"), CollectionError);
    EXPECT_EQ(pvs.item("key"), pv);
    testing::ScratchFolder dir;
    PortableFileSystem files;
    EXPECT_EQ(pvs.AddFile(files, dir.Write("present.bin", std::string(1234, 'x')), vsFind)->Size, 1234);
    EXPECT_THROW(pvs.AddFile(files, dir.Path("vanished.bin"), vsFind), std::runtime_error);
    EXPECT_EQ(pvs.Count(), 3);
    EXPECT_THROW(pvs.item(4), CollectionError);
    other.AddPrivacyValue(pv);
    other.item(1)->ValueStatus = vsDelete;
    EXPECT_EQ(log.lines, (Lines{"Find K", "Find é", "Find " + dir.Path("present.bin")}));
    EXPECT_EQ(pv->ValueStatus, vsDelete);
}

// A present source makes an absent target a new collection; the source's own traces are
// appended in its order.
TEST(MergePrivacyValues, AbsentEmptyAndFilledCollections) {
    auto target = std::make_shared<PrivacyValues>(), source = std::make_shared<PrivacyValues>();
    auto fromEmpty = MergePrivacyValues(nullptr, source);
    EXPECT_TRUE(fromEmpty && fromEmpty != source && fromEmpty->Count() == 0);
    EXPECT_EQ(MergePrivacyValues(nullptr, nullptr), nullptr);
    EXPECT_EQ(MergePrivacyValues(target, nullptr), target);
    target->AddIniFileItem("f", "0", "v");
    for (const char* key : {"1", "2"})
        source->AddIniFileItem("f", key, "v");
    EXPECT_EQ(MergePrivacyValues(target, source), target);
    EXPECT_EQ(std::vector(target->begin(), target->end()),
              (std::vector{target->item(1), source->item(1), source->item(2)}));
}

// Whole names, letter case ignored (beyond ASCII too); ? * # lists, negated lists and ranges; an
// unclosed bracket stands for itself. A compiled pattern matches alike every time.
TEST(Wildcard, MatchesAsTheLanguageSays) {
    // Pairs of name and pattern.
    const char* const matching[] = {"a.tmp", "*.TMP",      "A.TMP", "*.tmp", "",        "*",     "",       "",
                                    "abc",   "a*c",        "ac",    "a*c",   "abcbd",   "a*b?",  "aaa",    "a**a",
                                    "ab",    "a?",         "url5",  "url#",  "url9",    "url#",  "url0",   "url#",
                                    "url12", "url##",      "b",     "[abc]", "B",       "[a-c]", "d",      "[!a-c]",
                                    "x5",    "[a-z][0-9]", "-",     "[a-]",  "!",       "[a!]",  "mru",    "[!0-9]ru",
                                    "*",     "[*]",        "?",     "[?]",   "#",       "[#]",   "ab",     "a[]b",
                                    "[abc",  "[abc",       "x[1",   "x[#",   "Été.log", "ÉTÉ.*", "résumé", "R?SUM?",
                                    "ñ",     "[Ñ]",        "ü",     "[à-þ]", "файл",    "ФАЙЛ"};
    const char* const failing[] = {"a.tmp.bak", "*.tmp",  "xa.tmp", "a.tmp", "a",     "",     "abcbdx", "a*b?",
                                   "a",         "a?",     "urlx",   "url#",  "url12", "url#", "d",      "[abc]",
                                   "b",         "[!a-c]", "a",      "[*]",   "a",     "[abc"};
    for (size_t i = 0; i < std::size(matching); i += 2) {
        WildcardPattern p(matching[i + 1]);
        EXPECT_TRUE(WildcardMatch(matching[i], matching[i + 1]) && p.Matches(matching[i]) && p.Matches(matching[i]))
            << matching[i] << " " << matching[i + 1];
    }
    for (size_t i = 0; i < std::size(failing); i += 2)
        EXPECT_FALSE(WildcardMatch(failing[i], failing[i + 1])) << failing[i] << " " << failing[i + 1];
}

}  // namespace
}  // namespace lumo
