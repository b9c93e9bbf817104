#include <gtest/gtest.h>

#include <tuple>

#include "cleaner/privacy_value.h"
#include "platform/portable/portable_file_system.h"
#include "support/scratch_folder.h"

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
    EXPECT_EQ(std::tie(pv->Path, pv->ValueName, pv->Value), std::make_tuple("C:\\x.ini:K", "K", "abc"));
    EXPECT_EQ(std::tie(pv->Size, pv->ValueType, pv->RootKey, pv->ValueStatus), std::make_tuple(6, 7, 0, vsFind));
    EXPECT_EQ(pvs.AddIniFileItem("C:\\x.ini", "é", "ñé")->Size, 4) << "two bytes per character, not per UTF-8 byte";
    EXPECT_EQ(log.lines, (std::vector<std::string>{"1C:\\x.ini:K", "0C:\\x.ini:é"}));
}

// A file whose size cannot be read is not added and not logged.
TEST(PrivacyValues, AFileWhoseSizeCannotBeReadAddsNothing) {
    testing::ScratchFolder dir;
    PortableFileSystem files;
    RecordingLog log;
    PrivacyValues pvs(&log);
    EXPECT_EQ(pvs.AddFile(files, dir.Write("present.bin", std::string(1234, 'x')), vsFind)->Size, 1234);
    EXPECT_THROW(pvs.AddFile(files, dir.Path("vanished.bin"), vsFind), std::runtime_error);
    EXPECT_EQ(pvs.Count(), 1);
    EXPECT_EQ(log.lines.size(), 1u);
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
    b.AddPrivacyValue(a.AddIniFileItem("f", "k", "v", vsFind));
    b.item(1)->ValueStatus = vsDelete;
    EXPECT_EQ(a.item(1)->ValueStatus, vsDelete);
    EXPECT_EQ(log.lines.size(), 1u);
}

TEST(MergePrivacyValues, AbsentEmptyAndFilledCollections) {
    auto empty = std::make_shared<PrivacyValues>();
    EXPECT_EQ(MergePrivacyValues(nullptr, nullptr), nullptr);
    auto fromEmpty = MergePrivacyValues(nullptr, empty);
    ASSERT_NE(fromEmpty, nullptr) << "a present source makes the absent target a collection";
    EXPECT_NE(fromEmpty, empty);
    EXPECT_EQ(fromEmpty->Count(), 0);
    auto target = std::make_shared<PrivacyValues>();
    EXPECT_EQ(MergePrivacyValues(target, nullptr), target);

    // The source's own objects are appended in its order.
    auto source = std::make_shared<PrivacyValues>();
    source->AddIniFileItem("f", "1", "v");
    source->AddIniFileItem("f", "2", "v");
    target->AddIniFileItem("f", "0", "v");
    EXPECT_EQ(MergePrivacyValues(target, source), target);
    ASSERT_EQ(target->Count(), 3);
    EXPECT_EQ(target->item(2), source->item(1));
    EXPECT_EQ(target->item(3), source->item(2));
}

}  // namespace
}  // namespace lumo
