// RegValue display texts and deletion, and the RegKeys/RegValues collections.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/portable/memory_registry.h"
#include "registry/reg_key.h"

namespace lumo {
namespace {

TEST(RegValueDataString, RendersEachTypeAsTheProgramShowsIt) {
    // The types read from a registry are in reg_key_test.cpp; here the values made by Init.
    MemoryRegistry api;
    const std::tuple<int32_t, RegData, const char*> cases[] = {
        {rvtString, std::string("C:\\Temp\\a.txt"), "C:\\Temp\\a.txt"},
        {rvtDWord, uint32_t{0x7FFFFFFF}, "0x7fffffff (2147483647)"},
        {rvtDWord, uint32_t{0x80000000u}, "0x80000000 (2147483648)"},
        {rvtBinary, std::vector<uint8_t>{0x01}, "01"},
        {rvtBinary, std::vector<uint8_t>{}, ""},
        {rvtBinary, std::string(), ""},
        {rvtExpandString, std::string("%WINDIR%"), ""},
        {rvtMultiString, std::vector<uint8_t>{'a'}, ""},
        {rvtNone, std::string(), ""},
        {11, std::vector<uint8_t>{1, 2}, ""},
    };
    for (const auto& [type, data, text] : cases) {
        RegValue v(api);
        ASSERT_EQ(v.Init(rkCurrentUser, "Software\\k", "v", type, data), 0);
        EXPECT_EQ(v.ValueDataString(), text) << "type " << type;
    }
}

TEST(RegValueDelete, LeavesTheSnapshotAsItWas) {
    MemoryRegistry api;
    RegKey tool(api);
    tool.SetRegValue("v", rvtString, std::string("text"), rkCurrentUser, "Software\\k");
    auto v = tool.GetRegValue("v", rkCurrentUser, "Software\\k");
    ASSERT_TRUE(v.has_value());
    EXPECT_TRUE(v->Delete());
    EXPECT_EQ(v->ValueDataString(), "text");
    EXPECT_EQ(tool.GetRegValue("v", rkCurrentUser, "Software\\k")->ValueType, rvtNone);
    EXPECT_TRUE(v->Delete()) << "deleting again: already gone counts as deleted";
    EXPECT_EQ(api.OpenHandleCount(), 0);
}

TEST(RegCollections, AddTakesTheCallersObjectAndKeepsInsertionOrder) {
    MemoryRegistry api;
    RegKeys keys;
    RegKey& added = keys.Add(RegKey(api, rkCurrentUser, "Software\\first"));
    EXPECT_EQ(&added, &keys.item(1));
    EXPECT_EQ(added.Name, "first");
    keys.Add(RegKey(api, rkCurrentUser, "Software\\second"));
    keys.Add(RegKey(api, rkCurrentUser, "Software\\keyed"), "k");
    EXPECT_EQ(keys.item("k").Name, "keyed");
    // An add refused for its key leaves the caller's object whole.
    RegKey refused(api, rkCurrentUser, "Software\\B");
    EXPECT_THROW(keys.Add(std::move(refused), "k"), CollectionError);
    EXPECT_EQ(refused.Path, "Software\\B");
    EXPECT_EQ(keys.Count(), 3);
    EXPECT_THROW(keys.item(4), CollectionError);
    EXPECT_THROW(keys.Remove("absent"), CollectionError);
    keys.Remove(1);
    std::vector<std::string> names;
    for (RegKey& k : keys)
        names.push_back(k.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"second", "keyed"}));

    RegValues values;
    RegValue first(api), other(api);
    first.Init(rkCurrentUser, "K", "one", rvtString, std::string("1"));
    other.Init(rkCurrentUser, "K", "two", rvtString, std::string("2"));
    RegValue& addedValue = values.Add(std::move(first), "v");
    EXPECT_EQ(addedValue.ValueName, "one");
    EXPECT_THROW(values.Add(std::move(other), "v"), CollectionError);
    EXPECT_EQ(other.ValueName, "two");
    values.Add(RegValue(api));
    values.Add(RegValue(api));
    EXPECT_EQ(values.Count(), 3) << "items without a key may repeat";
    EXPECT_EQ(&addedValue, &values.item(1));
}

}  // namespace
}  // namespace lumo
