// RegValue display texts, initialisation, and the RegKeys/RegValues collections.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/portable/memory_registry.h"
#include "registry/reg_key.h"

namespace lumo {
namespace {

TEST(RegValueDataString, RendersEachTypeAsTheProgramShowsIt) {
    MemoryRegistry api;
    struct Case {
        int32_t type;
        RegData data;
        const char* text;
    } cases[] = {
        {rvtString, std::string("C:\\Temp\\a.txt"), "C:\\Temp\\a.txt"},
        {rvtString, std::string(""), ""},
        {rvtDWord, uint32_t{256}, "0x00000100 (256)"},
        {rvtDWord, uint32_t{4294967295u}, "0xffffffff (4294967295)"},
        {rvtDWord, uint32_t{0}, "0x00000000 (0)"},
        {rvtDWord, uint32_t{0x7FFFFFFF}, "0x7fffffff (2147483647)"},
        {rvtDWord, uint32_t{0x80000000u}, "0x80000000 (2147483648)"},
        {rvtBinary, std::vector<uint8_t>{0x0A, 0xFF, 0x01}, "0a ff 01"},
        {rvtBinary, std::vector<uint8_t>{0x01}, "01"},
        {rvtBinary, std::vector<uint8_t>{}, ""},
        {rvtBinary, std::string(), ""},
        {rvtExpandString, std::string("%WINDIR%"), ""},
        {rvtMultiString, std::vector<uint8_t>{'a'}, ""},
        {rvtNone, std::string(), ""},
        {11, std::vector<uint8_t>{1, 2}, ""},
    };
    for (const Case& c : cases) {
        RegValue v(api);
        ASSERT_EQ(v.Init(rkCurrentUser, "Software\\k", "v", c.type, c.data), 0);
        EXPECT_EQ(v.ValueDataString(), c.text) << "type " << c.type;
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
    RegKey first(api, rkCurrentUser, "Software\\first");
    RegKey& added = keys.Add(std::move(first));
    EXPECT_EQ(&added, &keys.item(1));
    EXPECT_EQ(added.Name, "first");
    keys.Add(RegKey(api, rkCurrentUser, "Software\\second"));
    keys.Add(RegKey(api, rkCurrentUser, "Software\\keyed"), "k");
    EXPECT_EQ(keys.Count(), 3);
    EXPECT_EQ(keys.item("k").Name, "keyed");
    EXPECT_THROW(keys.Add(RegKey(api, rkCurrentUser, "x"), "k"), CollectionError);
    EXPECT_THROW(keys.item(4), CollectionError);
    EXPECT_THROW(keys.Remove("absent"), CollectionError);
    keys.Remove(1);
    std::vector<std::string> names;
    for (RegKey& k : keys)
        names.push_back(k.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"second", "keyed"}));

    RegValues values;
    RegValue v(api);
    v.Init(rkCurrentUser, "Software\\k", "a", rvtString, std::string("x"));
    RegValue& addedValue = values.Add(std::move(v));
    values.Add(RegValue(api));
    values.Add(RegValue(api));
    EXPECT_EQ(values.Count(), 3) << "items without a key may repeat";
    EXPECT_EQ(&addedValue, &values.item(1));
    EXPECT_EQ(addedValue.ValueName, "a");
}

}  // namespace
}  // namespace lumo
