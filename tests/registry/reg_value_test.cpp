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
        {rvtDWord, uint32_t{0x7FFFFFFF}, "0x7fffffff (2147483647)"},
        {rvtDWord, uint32_t{0x80000000u}, "0x80000000 (2147483648)"},
        {rvtBinary, std::vector<uint8_t>{0x01}, "01"},
        {rvtBinary, std::string(), ""},
        {rvtExpandString, std::string("%WINDIR%"), ""},
        {rvtMultiString, std::vector<uint8_t>{'a'}, ""},
        {11, std::vector<uint8_t>{1, 2}, ""},
    };
    for (const auto& [type, data, text] : cases) {
        RegValue v(api);
        ASSERT_EQ(v.Init(rkCurrentUser, "Software\\k", "v", type, data), 0);
        EXPECT_EQ(v.ValueDataString(), text) << "type " << type;
    }
}

// An add refused for its key leaves the caller's object whole; items without a key may repeat.
TEST(RegCollections, AddTakesTheCallersObjectUnlessItsKeyIsTaken) {
    MemoryRegistry api;
    RegKeys keys;
    RegKey& added = keys.Add(RegKey(api, rkCurrentUser, "Software\\first"), "k");
    RegKey refused(api, rkCurrentUser, "Software\\B");
    EXPECT_THROW(keys.Add(std::move(refused), "k"), CollectionError);
    EXPECT_EQ(refused.Path + "|" + added.Name + "|" + keys.item("k").Name, "Software\\B|first|first");
    RegValues values;
    RegValue first(api), other(api);
    other.Init(rkCurrentUser, "K", "two", rvtString, std::string("2"));
    values.Add(std::move(first), "v");
    EXPECT_THROW(values.Add(std::move(other), "v"), CollectionError);
    EXPECT_EQ(other.ValueName, "two");
    values.Add(RegValue(api));
    values.Add(RegValue(api));
    EXPECT_EQ(values.Count(), 3);
}

}  // namespace
}  // namespace lumo
