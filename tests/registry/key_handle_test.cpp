// The key handle the registry operations share: closed once through the RegistryApi it came
// from, never for a predefined root, with the close call's code where the caller asks for it.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/portable/memory_registry.h"
#include "registry/registry_access.h"
#include "support/registry_fixture.h"

namespace lumo {
namespace {

using registry_access::KeyHandle;
using Op = MemoryRegistry::Op;

constexpr RegHandle kCurrentUser = RootHandle(static_cast<int32_t>(0x80000001u));

TEST(KeyHandle, ClosesThroughTheRegistryItCameFrom) {
    struct Case {
        std::string name;
        // Gets the wrapper and a handle opened on "Software\\a"; answers the code of the close
        // the caller made itself (0 when it made none).
        std::function<int32_t(testing::CountingRegistry&, KeyHandle&)> act;
        uint64_t closeCalls;  // CloseKey calls when the handle has gone out of scope
        int32_t code;
        int32_t leftOpen;
    };
    using Counting = testing::CountingRegistry;
    const Case cases[] = {
        {"left to the scope", [](Counting&, KeyHandle&) { return 0; }, 1, 0, 0},
        {"closed by the caller", [](Counting&, KeyHandle& k) { return k.Close(); }, 1, 0, 0},
        {"closed twice", [](Counting&, KeyHandle& k) { return k.Close() + k.Close(); }, 1, 0, 0},
        {"close refused",
         [](Counting& r, KeyHandle& k) {
             r.FailNext(Op::CloseKey, 6);
             return k.Close();
         },
         1, 6, 1},
        {"moved to another handle",
         [](Counting&, KeyHandle& k) {
             KeyHandle other = std::move(k);
             return k.Close();
         },
         1, 0, 0},
        {"opened again in place",
         [](Counting& r, KeyHandle& k) { return r.OpenKey(kCurrentUser, "Software\\b", keyRead, k.Out()); }, 2, 0, 0},
        {"set to a predefined root",
         [](Counting&, KeyHandle& k) {
             k.Out() = kCurrentUser;
             return k.Close();
         },
         1, 0, 0},
    };
    for (const Case& c : cases) {
        MemoryRegistry memory;
        RegHandle made = 0;
        for (const char* path : {"Software\\a", "Software\\b"}) {
            ASSERT_EQ(memory.CreateKey(kCurrentUser, path, keyAllAccess, made), regOk);
            memory.CloseKey(made);
        }
        testing::CountingRegistry counting(memory);
        int32_t code = -1;
        {
            KeyHandle key(counting);
            ASSERT_EQ(counting.OpenKey(kCurrentUser, "Software\\a", keyRead, key.Out()), regOk);
            code = c.act(counting, key);
        }
        EXPECT_EQ(code, c.code) << c.name;
        EXPECT_EQ(counting.Calls(Op::CloseKey), c.closeCalls) << c.name;
        EXPECT_EQ(counting.OpenHandles(), c.leftOpen) << c.name;
    }
}

TEST(KeyHandle, NeverClosesAPredefinedRoot) {
    MemoryRegistry memory;
    testing::CountingRegistry counting(memory);
    for (uint32_t root = 0x80000000u; root <= 0x80000006u; ++root) {
        {
            KeyHandle key(counting);
            key.Out() = root;
        }
        KeyHandle key(counting);
        key.Out() = root;
        EXPECT_EQ(key.Close(), 0);
        EXPECT_EQ(counting.Calls(Op::CloseKey), 0u) << std::hex << root;
    }
}

}  // namespace
}  // namespace lumo
