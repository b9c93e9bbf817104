// Registries for tests: the in-memory one, or under Windows the real one, each with a unique
// branch under HKEY_CURRENT_USER\Software\SweepkitLumoTests that is removed when the test ends.
// Every call the code under test makes goes through a counting wrapper, so a test can check that
// no handle is left open on either registry.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/portable/memory_registry.h"
#include "platform/registry_api.h"

namespace lumo::testing {

enum class RegistryKind { Memory, Real };

// Forwards every call and keeps count of the calls and of the handles opened and not closed yet;
// can make the next call of an operation fail with a given code.
class CountingRegistry : public RegistryApi {
public:
    using Op = MemoryRegistry::Op;
    explicit CountingRegistry(RegistryApi& inner) : inner_(inner) {}

    int32_t OpenKey(RegHandle key, std::string_view subKey, uint32_t rights, RegHandle& result) override {
        return Opening(Call(Op::OpenKey, [&] { return inner_.OpenKey(key, subKey, rights, result); }));
    }
    int32_t CreateKey(RegHandle key, std::string_view subKey, uint32_t rights, RegHandle& result) override {
        return Opening(Call(Op::CreateKey, [&] { return inner_.CreateKey(key, subKey, rights, result); }));
    }
    int32_t CloseKey(RegHandle key) override {
        int32_t rc = Call(Op::CloseKey, [&] { return inner_.CloseKey(key); });
        open_ -= rc == regOk && !IsPredefinedRoot(key) ? 1 : 0;
        return rc;
    }
    int32_t QueryInfoKey(RegHandle key, RegKeyInfo& info) override {
        return Call(Op::QueryInfoKey, [&] { return inner_.QueryInfoKey(key, info); });
    }
    int32_t EnumKey(RegHandle key, uint32_t index, std::string& name, uint32_t nameChars) override {
        return Call(Op::EnumKey, [&] { return inner_.EnumKey(key, index, name, nameChars); });
    }
    int32_t EnumValue(RegHandle key, uint32_t index, std::string& name, uint32_t nameChars, uint32_t& type,
                      uint8_t* data, uint32_t& size) override {
        return Call(Op::EnumValue, [&] { return inner_.EnumValue(key, index, name, nameChars, type, data, size); });
    }
    int32_t QueryValue(RegHandle key, std::string_view name, uint32_t& type, uint8_t* data, uint32_t& size) override {
        return Call(Op::QueryValue, [&] { return inner_.QueryValue(key, name, type, data, size); });
    }
    int32_t SetValue(RegHandle key, std::string_view name, uint32_t type, const uint8_t* data, uint32_t size) override {
        return Call(Op::SetValue, [&] { return inner_.SetValue(key, name, type, data, size); });
    }
    int32_t DeleteKey(RegHandle key, std::string_view subKey) override {
        int32_t rc = Call(Op::DeleteKey, [&] { return inner_.DeleteKey(key, subKey); });
        if (rc == regOk)
            deleted_.emplace_back(subKey);
        return rc;
    }
    int32_t DeleteValue(RegHandle key, std::string_view name) override {
        return Call(Op::DeleteValue, [&] { return inner_.DeleteValue(key, name); });
    }
    int32_t GetKeySecurity(RegHandle key, uint32_t what, uint8_t* descriptor, uint32_t& size) override {
        return Call(Op::GetKeySecurity, [&] { return inner_.GetKeySecurity(key, what, descriptor, size); });
    }
    int32_t SetKeySecurity(RegHandle key, uint32_t what, const std::vector<uint8_t>& descriptor) override {
        return Call(Op::SetKeySecurity, [&] { return inner_.SetKeySecurity(key, what, descriptor); });
    }

    int32_t OpenHandles() const { return open_; }
    uint64_t Calls(Op op) const { return calls_[static_cast<int>(op)]; }
    void FailNext(Op op, int32_t code) { failure_[static_cast<int>(op)] = code; }
    void ClearFailures() { failure_.fill(std::nullopt); }
    // The paths of the keys deleted through this wrapper, in order (as passed to DeleteKey).
    const std::vector<std::string>& DeletedKeys() const { return deleted_; }

private:
    // Counts the call, then answers a failure set for it or forwards it.
    template <class Forward>
    int32_t Call(Op op, Forward forward) {
        ++calls_[static_cast<int>(op)];
        auto failure = std::exchange(failure_[static_cast<int>(op)], std::nullopt);
        return failure ? *failure : forward();
    }
    int32_t Opening(int32_t rc) {
        open_ += rc == regOk ? 1 : 0;
        return rc;
    }

    RegistryApi& inner_;
    int32_t open_ = 0;
    std::vector<std::string> deleted_;
    std::array<uint64_t, MemoryRegistry::kOpCount> calls_{};
    std::array<std::optional<int32_t>, MemoryRegistry::kOpCount> failure_{};
};

class TestRegistry {
public:
    static constexpr int32_t kRoot = static_cast<int32_t>(0x80000001u);  // HKEY_CURRENT_USER

    explicit TestRegistry(RegistryKind kind = RegistryKind::Memory);
    ~TestRegistry();
    TestRegistry(const TestRegistry&) = delete;
    TestRegistry& operator=(const TestRegistry&) = delete;

    RegistryKind Kind() const { return kind_; }
    // What the code under test is given: the counting wrapper around the registry.
    RegistryApi& Api() { return *counting_; }
    CountingRegistry& Counting() { return *counting_; }
    // The registry itself, for setting up and inspecting without being counted.
    RegistryApi& Raw() { return *raw_; }
    // The in-memory registry, or null for the real one.
    MemoryRegistry* Memory() { return memory_.get(); }

    // The test branch, and paths below it ("" is the branch itself).
    const std::string& Branch() const { return branch_; }
    std::string Path(std::string_view relative = {}) const;

    // Setup and inspection below the branch, through the raw registry; failures fail the test.
    void CreateKey(std::string_view relative);
    void SetRaw(std::string_view relative, std::string_view name, uint32_t type, const std::vector<uint8_t>& data);
    void SetString(std::string_view relative, std::string_view name, std::string_view text, uint32_t type = 1);
    void SetDword(std::string_view relative, std::string_view name, uint32_t value);
    bool KeyExists(std::string_view relative);
    bool ValueExists(std::string_view relative, std::string_view name);
    // Type and raw bytes of a value; type 0 and no bytes when it is missing.
    std::pair<uint32_t, std::vector<uint8_t>> ReadRaw(std::string_view relative, std::string_view name);
    std::vector<std::string> SubKeyNames(std::string_view relative);
    std::vector<std::string> ValueNames(std::string_view relative);
    // Gives the key an access list that refuses `rights` to everyone (undone before the branch
    // is removed).
    void DenyRights(std::string_view relative, uint32_t rights);
    // Whether an access list refusing deletion or subkey creation stops RegDeleteKey and
    // RegCreateKeyEx. Windows and the in-memory registry check it; Wine checks access lists
    // only when a key is opened, so there a refused DELETE right does not stop a deletion.
    // Found out by trying it on a probe key.
    bool ChecksDeleteAndCreateAccess();
    // The access list, in the registry's own format, that refuses `rights` to everyone.
    std::vector<uint8_t> DescriptorDenying(uint32_t rights) const;

    // Handles the code under test left open: counted by the wrapper, and for the in-memory
    // registry also by the registry itself.
    int32_t OpenHandles() const;

private:
    // Opens the key at `path` (below the root) on the raw registry and gives the handle to `use`;
    // false when it does not open.
    template <class Use>
    bool WithKey(const std::string& path, uint32_t rights, Use use);
    void RemoveTree(const std::string& path);
    std::vector<std::string> SubKeyNamesOf(const std::string& path);

    RegistryKind kind_;
    std::unique_ptr<MemoryRegistry> memory_;
    std::unique_ptr<RegistryApi> real_;
    RegistryApi* raw_ = nullptr;
    std::unique_ptr<CountingRegistry> counting_;
    std::string branch_;
    std::vector<std::string> denied_;
    int probed_ = 0;  // 1 checked, -1 not checked, 0 not probed yet
};

// The registries a typed suite runs against: the in-memory one everywhere, the real one on Windows.
struct MemoryRegistryKind {
    static constexpr RegistryKind kKind = RegistryKind::Memory;
};
struct RealRegistryKind {
    static constexpr RegistryKind kKind = RegistryKind::Real;
};
#ifdef _WIN32
using RegistryKinds = ::testing::Types<MemoryRegistryKind, RealRegistryKind>;
#else
using RegistryKinds = ::testing::Types<MemoryRegistryKind>;
#endif

struct RegistryKindNames {
    template <class T>
    static std::string GetName(int) {
        return T::kKind == RegistryKind::Memory ? "Memory" : "Real";
    }
};

// Base of the registry suites: a test registry of the suite's kind (the in-memory one unless a
// typed suite names another). Every test ends with no handle left open.
template <class Kind = MemoryRegistryKind>
class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(reg.OpenHandles(), 0) << "handles left open"; }
    TestRegistry reg{Kind::kKind};
};

}  // namespace lumo::testing
