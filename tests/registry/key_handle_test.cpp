// The key handle the registry operations share: closed once through the RegistryApi it came
// from, never for a predefined root, with the close call's code where the caller asks for it.
// That no operation leaves a handle open is checked by every RegKey test.
#include <gtest/gtest.h>

#include "platform/portable/memory_registry.h"
#include "registry/registry_access.h"
#include "support/registry_fixture.h"

namespace lumo {
namespace {

using Op = MemoryRegistry::Op;

TEST(KeyHandle, ClosesOnceWithTheCodeOfTheCloseAndNeverAPredefinedRoot) {
    MemoryRegistry memory;
    testing::CountingRegistry counting(memory);
    for (uint32_t root = 0x80000000u; root <= 0x80000006u; ++root) {
        registry_access::KeyHandle key(counting);
        key.Out() = root;
        EXPECT_EQ(key.Close(), 0);
    }
    {
        registry_access::KeyHandle key(counting);
        ASSERT_EQ(counting.CreateKey(RootHandle(rkCurrentUser), "Software\\a", keyAllAccess, key.Out()), regOk);
        ASSERT_EQ(counting.OpenKey(RootHandle(rkCurrentUser), "Software", keyRead, key.Out()), regOk);
        EXPECT_EQ(counting.Calls(Op::CloseKey), 1u) << "opening again in place closes the old handle";
        counting.FailNext(Op::CloseKey, 6);
        EXPECT_EQ(key.Close(), 6);
        EXPECT_EQ(key.Close(), 0) << "nothing left to close";
        ASSERT_EQ(counting.OpenKey(RootHandle(rkCurrentUser), "Software", keyRead, key.Out()), regOk);
    }
    EXPECT_EQ(counting.Calls(Op::CloseKey), 3u) << "the scope closes what is held";
    EXPECT_EQ(counting.OpenHandles(), 1) << "the refused close";
}

}  // namespace
}  // namespace lumo
