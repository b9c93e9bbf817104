#include <gtest/gtest.h>

#include "cleaner/privacy_value.h"

namespace lumo {
namespace {

struct RecordingLog : TraceLog {
    std::vector<std::string> lines;
    void AppendPrivacyValue(const PrivacyValue& pv) override {
        lines.push_back(std::to_string(pv.ValueStatus) + pv.Path);
    }
    void AppendString(std::string_view line) override { lines.emplace_back(line); }
};

TEST(PrivacyValues, IniEntryTraceFieldsAndLogLine) {
    RecordingLog log;
    PrivacyValues pvs(&log);
    auto pv = pvs.AddIniFileItem("C:\\x.ini", "K", "abc", vsFind);
    EXPECT_EQ(pv->Path, "C:\\x.ini:K");
    EXPECT_EQ(pv->ValueName, "K");
    EXPECT_EQ(pv->Value, "abc");
    EXPECT_EQ(pv->Size, 6);
    EXPECT_EQ(pv->ValueType, 7);
    EXPECT_EQ(pv->RootKey, 0);
    EXPECT_EQ(pv->ValueStatus, vsFind);
    EXPECT_EQ(pvs.AddIniFileItem("C:\\x.ini", "é", "ñé")->Size, 4) << "two bytes per character, not per UTF-8 byte";
    EXPECT_EQ(log.lines, (std::vector<std::string>{"1C:\\x.ini:K", "0C:\\x.ini:é"}));
}

TEST(PrivacyValues, KeysAreOptionalButUnique) {
    PrivacyValues pvs;
    pvs.AddIniFileItem("f", "a", "1");
    pvs.AddIniFileItem("f", "a", "1");
    pvs.AddIniFileItem("f", "b", "1", vsNone, "key");
    EXPECT_THROW(pvs.AddIniFileItem("f", "c", "1", vsNone, "key"), CollectionError);
    EXPECT_EQ(pvs.Count(), 3);
    EXPECT_EQ(pvs.item("key")->ValueName, "b");
    EXPECT_THROW(pvs.item(0), CollectionError);
    EXPECT_THROW(pvs.item(4), CollectionError);
}

TEST(PrivacyValues, AddPrivacyValueSharesTheTraceAndWritesNoLogLine) {
    RecordingLog log;
    PrivacyValues a(&log), b(&log);
    auto pv = a.AddIniFileItem("f", "k", "v", vsFind);
    b.AddPrivacyValue(pv);
    b.item(1)->ValueStatus = vsDelete;
    EXPECT_EQ(a.item(1)->ValueStatus, vsDelete);
    EXPECT_EQ(log.lines.size(), 1u);
}

TEST(MergePrivacyValues, AbsentAndEmptyCollections) {
    auto empty = std::make_shared<PrivacyValues>();
    EXPECT_EQ(MergePrivacyValues(nullptr, nullptr), nullptr);
    auto fromEmpty = MergePrivacyValues(nullptr, empty);
    ASSERT_NE(fromEmpty, nullptr) << "a present source makes the absent target a collection";
    EXPECT_NE(fromEmpty, empty);
    EXPECT_EQ(fromEmpty->Count(), 0);
    auto target = std::make_shared<PrivacyValues>();
    EXPECT_EQ(MergePrivacyValues(target, nullptr), target);
}

TEST(MergePrivacyValues, AppendsTheSameObjectsInSourceOrder) {
    auto source = std::make_shared<PrivacyValues>();
    source->AddIniFileItem("f", "1", "v");
    source->AddIniFileItem("f", "2", "v");
    auto target = std::make_shared<PrivacyValues>();
    target->AddIniFileItem("f", "0", "v");
    auto merged = MergePrivacyValues(target, source);
    EXPECT_EQ(merged, target);
    ASSERT_EQ(merged->Count(), 3);
    EXPECT_EQ(merged->item(2), source->item(1));
    EXPECT_EQ(merged->item(3), source->item(2));
    EXPECT_EQ(merged->item(3)->ValueName, "2");
}

}  // namespace
}  // namespace lumo
