// The registry item types — RegValue, RegSubKeyValue, RegKey — on the in-memory registry and, in
// the Windows build, on the real registry under HKEY_CURRENT_USER\Software\SweepkitLumoTests.
#include <gtest/gtest.h>

#include <chrono>

#include "engine_test_support.h"
#include "platform/portable/memory_registry.h"
#include "registry/reg_key.h"
#ifdef _WIN32
#include "platform/win32/win32_registry.h"
#endif

namespace lumo {
namespace {

using testing::MakeItem;
using testing::RecordingLog;

const std::string kRoot = "HKEY_CURRENT_USER";

template <class Api>
class RegistryItems : public ::testing::Test {
protected:
    Api api;
    RecordingLog log;
    bool stop = false;
    SeekContext ctx;
    std::string base;

    RegistryItems() {
        ctx.registry = &api;
        ctx.log = &log;
        ctx.stopRequested = &stop;
        base = "Software\\SweepkitLumoTests\\engine-" +
               std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    }
    ~RegistryItems() override {
        RegKey cleanup(api);
        try {
            cleanup.DeleteRegKey(true, rkCurrentUser, base);
        } catch (const std::exception&) {
        }
    }

    std::string Key(std::string_view relative) const {
        return relative.empty() ? base : base + "\\" + std::string(relative);
    }
    void Text(std::string_view key, std::string_view name, std::string_view text) {
        RegKey(api).SetRegValue(name, rvtString, RegData(std::string(text)), rkCurrentUser, Key(key));
    }
    void Number(std::string_view key, std::string_view name, uint32_t n) {
        RegKey(api).SetRegValue(name, rvtDWord, RegData(n), rkCurrentUser, Key(key));
    }
    void Bytes(std::string_view key, std::string_view name, const std::vector<uint8_t>& bytes) {
        RegHandle h = 0;
        ASSERT_EQ(api.CreateKey(RootHandle(rkCurrentUser), Key(key), keySetValue, h), regOk);
        EXPECT_EQ(api.SetValue(h, name, rvtBinary, bytes.data(), static_cast<uint32_t>(bytes.size())), regOk);
        api.CloseKey(h);
    }
    bool HasValue(std::string_view key, std::string_view name) {
        auto rv = RegKey(api).GetRegValue(name, rkCurrentUser, Key(key));
        return rv && rv->ValueType != rvtNone;
    }
    bool KeyExists(std::string_view key) {
        RegHandle h = 0;
        if (api.OpenKey(RootHandle(rkCurrentUser), Key(key), keyRead, h) != regOk)
            return false;
        api.CloseKey(h);
        return true;
    }

    struct Run {
        PrivacyValuesPtr values;
        size_t events = 0;
    };
    Run Seek(PrivacyItem& item, bool clear) {
        Run run;
        Subscription s = item.AppendValue.Subscribe([&](PrivacyItem&, const PrivacyValuePtr& pv) {
            EXPECT_EQ(pv, item.Values()->Last()) << "the reported trace is the last one added";
            ++run.events;
        });
        run.values = item.GetPrivacyValue(ctx, true, clear);
        return run;
    }
    std::vector<std::string> Describe(const PrivacyValues& pvs) const {
        std::vector<std::string> out;
        for (const PrivacyValuePtr& pv : pvs) {
            std::string path = pv->Path.substr(std::min(pv->Path.size(), base.size() + 1));
            out.push_back(std::to_string(pv->ValueStatus) + " " + std::to_string(pv->ValueType) + " " + path);
        }
        return out;
    }
};

#ifdef _WIN32
using Registries = ::testing::Types<MemoryRegistry, Win32Registry>;
#else
using Registries = ::testing::Types<MemoryRegistry>;
#endif
TYPED_TEST_SUITE(RegistryItems, Registries);

TYPED_TEST(RegistryItems, RegValueItemsFindMatchingValuesAndDeleteThemWhenClearing) {
    this->Text("MRU", "Url1", "http://a/");
    this->Text("MRU", "Url2", "http://b/");
    this->Text("MRU", "Order", "ab");
    this->Number("MRU", "Url3", 256);
    this->Bytes("MRU", "Url4", {1, 2, 3});
    auto item = MakeItem(pitRegValue, {kRoot, this->Key("MRU"), "url#"});
    auto scan = this->Seek(*item, false);
    ASSERT_EQ(scan.values->Count(), 4);
    EXPECT_EQ(scan.events, 4u);
    for (const PrivacyValuePtr& pv : *scan.values) {
        EXPECT_EQ(pv->ValueStatus, vsFind);
        EXPECT_EQ(pv->ValueType, 1);
        EXPECT_EQ(pv->RootKey, rkCurrentUser);
        EXPECT_EQ(pv->Path, this->Key("MRU") + "\\" + pv->ValueName);
    }
    struct Expected {
        const char* name;
        int64_t size;
        const char* value;
    };
    for (const Expected& e : {Expected{"Url1", 18, "http://a/"}, Expected{"Url3", 6, "0x00000100 (256)"},
                              Expected{"Url4", 3, "01 02 03"}}) {
        auto it = std::find_if(scan.values->begin(), scan.values->end(),
                               [&](const PrivacyValuePtr& pv) { return pv->ValueName == e.name; });
        ASSERT_NE(it, scan.values->end()) << e.name;
        EXPECT_EQ((*it)->Size, e.size) << e.name;
        EXPECT_EQ((*it)->Value, e.value) << e.name;
    }

    this->log.lines.clear();
    auto clear = this->Seek(*item, true);
    EXPECT_EQ(clear.values->Count(), 4);
    for (const PrivacyValuePtr& pv : *clear.values)
        EXPECT_EQ(pv->ValueStatus, vsDelete);
    for (const char* gone : {"Url1", "Url2", "Url3", "Url4"})
        EXPECT_FALSE(this->HasValue("MRU", gone)) << gone;
    EXPECT_TRUE(this->HasValue("MRU", "Order"));
    ASSERT_EQ(this->log.lines.size(), 4u);
    for (const std::string& line : this->log.lines)
        EXPECT_EQ(line.rfind("Delete Url", 0), 0u) << "a registry value is logged by its name only: " << line;

    auto missing = MakeItem(pitRegValue, {kRoot, this->Key("Nowhere")});
    EXPECT_EQ(this->Seek(*missing, true).values->Count(), 0);
}

TYPED_TEST(RegistryItems, RegSubKeyValueItemsTakeTheValuesOfMatchingSubkeysOnly) {
    this->Text("Profiles\\ProfileA", "x", "1");
    this->Text("Profiles\\ProfileA", "y", "2");
    this->Text("Profiles\\ProfileA\\Deeper", "z", "not looked at");
    this->Text("Profiles\\profileB", "x", "3");
    this->Text("Profiles\\Other", "x", "4");
    auto item = MakeItem(pitRegSubKeyValue, {kRoot, this->Key("Profiles"), "PROFILE*"});
    auto run = this->Seek(*item, true);
    std::vector<std::string> described = this->Describe(*run.values);
    std::sort(described.begin(), described.end());
    EXPECT_EQ(described, (std::vector<std::string>{"2 1 Profiles\\ProfileA\\x", "2 1 Profiles\\ProfileA\\y",
                                                   "2 1 Profiles\\profileB\\x"}));
    EXPECT_FALSE(this->HasValue("Profiles\\ProfileA", "x"));
    EXPECT_TRUE(this->KeyExists("Profiles\\ProfileA")) << "subkeys are never deleted";
    EXPECT_TRUE(this->HasValue("Profiles\\ProfileA\\Deeper", "z"));
    EXPECT_TRUE(this->HasValue("Profiles\\Other", "x"));

    auto noPattern = MakeItem(pitRegSubKeyValue, {kRoot, this->Key("Profiles")});
    EXPECT_EQ(this->Seek(*noPattern, false).values->Count(), 0);
}

TYPED_TEST(RegistryItems, RegKeyItemsTakeEverythingBelowExceptHeldValuesOfTheNamedKey) {
    this->Text("Top", "keep", "held");
    this->Text("Top", "drop", "x");
    this->Text("Top\\A", "a1", "x");
    this->Text("Top\\A\\Deep", "keep", "held only directly under the named key");
    this->Text("Top\\B", "b1", "x");
    std::string held = this->Key("Top") + "\\KEEP";
    std::string heldDeep = this->Key("Top\\A\\Deep") + "\\keep";
    auto scanItem = MakeItem(pitRegKey, {kRoot, this->Key("Top")}, {held, heldDeep});
    auto scan = this->Seek(*scanItem, false);
    ASSERT_EQ(scan.values->Count(), 8);
    // Each level: subkeys, then values, then each subkey's contents.
    std::vector<int32_t> types;
    for (const PrivacyValuePtr& pv : *scan.values)
        types.push_back(pv->ValueType);
    EXPECT_EQ(types, (std::vector<int32_t>{2, 2, 1, 1, 2, 1, 1, 1}));
    EXPECT_EQ(scan.values->item(1)->Value, scan.values->item(1)->ValueName);
    EXPECT_EQ(scan.values->item(1)->Size, 0);

    auto item = MakeItem(pitRegKey, {kRoot, this->Key("Top")}, {held, heldDeep});
    auto run = this->Seek(*item, true);
    std::vector<std::string> described = this->Describe(*run.values);
    std::sort(described.begin(), described.end());
    EXPECT_EQ(described,
              (std::vector<std::string>{"2 1 Top\\A\\a1", "2 1 Top\\B\\b1", "2 1 Top\\drop", "2 2 Top\\A",
                                        "2 2 Top\\A\\Deep", "2 2 Top\\B", "4 1 Top\\A\\Deep\\keep", "4 1 Top\\keep"}));
    EXPECT_TRUE(this->HasValue("Top", "keep"));
    EXPECT_FALSE(this->HasValue("Top", "drop"));
    EXPECT_FALSE(this->KeyExists("Top\\A")) << "a subkey goes deeply, held values below it included";
    EXPECT_FALSE(this->KeyExists("Top\\B"));
    EXPECT_TRUE(this->KeyExists("Top")) << "the named key stays";
}

// Fault injection of the in-memory registry: a subkey whose deletion fails.
TEST(RegistryItemFailures, AFailedSubkeyDeletionIsLoggedMarkedUnknownAndTheWalkGoesOn) {
    MemoryRegistry api;
    RecordingLog log;
    SeekContext ctx;
    ctx.registry = &api;
    ctx.log = &log;
    RegKey setup(api);
    setup.SetRegValue("v", rvtString, RegData(std::string("x")), rkCurrentUser, "Software\\T\\K\\Stuck");
    setup.SetRegValue("w", rvtString, RegData(std::string("y")), rkCurrentUser, "Software\\T\\K");
    api.FailNext(MemoryRegistry::Op::DeleteKey, regAccessDenied);
    auto item = MakeItem(pitRegKey, {kRoot, "Software\\T\\K"});
    auto pvs = item->GetPrivacyValue(ctx, true, true);
    ASSERT_EQ(pvs->Count(), 3);
    EXPECT_EQ(pvs->item(1)->ValueName, "Stuck");
    EXPECT_EQ(pvs->item(1)->ValueStatus, vsUnknown);
    EXPECT_EQ(pvs->item(2)->ValueStatus, vsDelete);
    ASSERT_GE(log.lines.size(), 5u);
    EXPECT_EQ(log.lines[0], "Delete Stuck");
    EXPECT_EQ(log.lines[1], "Find w");
    EXPECT_EQ(log.lines[2], "Find v");
    EXPECT_EQ(log.lines[3].rfind("12/25/2006 3:04:05 PM--100,", 0), 0u) << log.lines[3];
    EXPECT_NE(log.lines[3].find("(GetRegKeyAllSub),"), std::string::npos) << log.lines[3];
    EXPECT_EQ(log.lines[3].substr(log.lines[3].size() - 2), ",5") << "the code the refused deletion returned";
    EXPECT_EQ(log.lines.back(), "Unknown Stuck");
}

}  // namespace
}  // namespace lumo
