// Registries for tests: the in-memory one, or under Windows the real one, each with a unique
// branch under HKEY_CURRENT_USER\Software\SweepkitLumoTests that is removed when the test ends.
// Every call the code under test makes goes through a counting wrapper, so a test can check that
// no handle is left open on either registry.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/portable/memory_registry.h"
#include "platform/registry_api.h"
#ifdef _WIN32
#include "platform/win32/win32_registry.h"
#endif

namespace lumo::testing {

enum class RegistryKind { Memory, Real };

// Forwards every call and keeps count of the handles opened and not closed yet; can make the
// next call of an operation fail with a given code.
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
        return Call(Op::DeleteKey, [&] { return inner_.DeleteKey(key, subKey); });
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
    void FailNext(Op op, int32_t code) { failure_[static_cast<int>(op)] = code; }

private:
    // Answers a failure set for the call or forwards it.
    template <class Forward>
    int32_t Call(Op op, Forward forward) {
        auto failure = std::exchange(failure_[static_cast<int>(op)], std::nullopt);
        return failure ? *failure : forward();
    }
    int32_t Opening(int32_t rc) {
        open_ += rc == regOk ? 1 : 0;
        return rc;
    }

    RegistryApi& inner_;
    int32_t open_ = 0;
    std::array<std::optional<int32_t>, MemoryRegistry::kOpCount> failure_{};
};

class TestRegistry {
public:
    static constexpr int32_t kRoot = static_cast<int32_t>(0x80000001u);  // HKEY_CURRENT_USER

    explicit TestRegistry(RegistryKind kind = RegistryKind::Memory) : kind_(kind) {
#ifdef _WIN32
        if (kind == RegistryKind::Real)
            real_ = std::make_unique<Win32Registry>();
#else
        if (kind == RegistryKind::Real)
            ADD_FAILURE() << "the real registry exists only on Windows";
#endif
        if (!real_)
            memory_ = std::make_unique<MemoryRegistry>();
        raw_ = real_ ? real_.get() : memory_.get();
        counting_ = std::make_unique<CountingRegistry>(*raw_);
        branch_ = "Software\\SweepkitLumoTests\\" + UniqueBranchName();
        CreateKey("");
    }
    ~TestRegistry() {
        // Keys the test locked get an open access list back first, or they could not be removed.
        for (const std::string& path : denied_)
            WithKey(path, rightWriteDac,
                    [&](RegHandle h) { raw_->SetKeySecurity(h, daclSecurityInformation, DescriptorDenying(0)); });
        RemoveTree(branch_);
        if (KeyExists(""))
            ADD_FAILURE() << "test branch " << branch_ << " could not be removed";
    }
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
    std::string Path(std::string_view relative = {}) const {
        return relative.empty() ? branch_ : branch_ + "\\" + std::string(relative);
    }

    // Setup and inspection below the branch, through the raw registry; failures fail the test.
    void CreateKey(std::string_view relative) { SetRaw(relative, {}, 0, {}, false); }
    void SetRaw(std::string_view relative, std::string_view name, uint32_t type, const std::vector<uint8_t>& data,
                bool setValue = true) {
        RegHandle h = 0;
        ASSERT_EQ(raw_->CreateKey(RootHandle(kRoot), Path(relative), keyAllAccess, h), regOk)
            << "creating " << relative;
        int32_t rc = setValue ? raw_->SetValue(h, name, type, data.data(), static_cast<uint32_t>(data.size())) : regOk;
        raw_->CloseKey(h);
        ASSERT_EQ(rc, regOk) << "writing " << name;
    }
    void SetString(std::string_view relative, std::string_view name, std::string_view text, uint32_t type = 1) {
        std::vector<uint8_t> bytes(text.begin(), text.end());
        bytes.push_back(0);
        SetRaw(relative, name, type, bytes);
    }
    void SetDword(std::string_view relative, std::string_view name, uint32_t value) {
        std::vector<uint8_t> bytes(4);
        std::memcpy(bytes.data(), &value, 4);  // little-endian, as the registry keeps it
        SetRaw(relative, name, 4, bytes);
    }
    bool KeyExists(std::string_view relative) {
        return WithKey(Path(relative), keyQueryValue, [](RegHandle) {});
    }
    bool ValueExists(std::string_view relative, std::string_view name) {
        uint32_t type = 0, size = 0;
        int32_t rc = regFileNotFound;
        WithKey(Path(relative), keyQueryValue,
                [&](RegHandle h) { rc = raw_->QueryValue(h, name, type, nullptr, size); });
        return rc == regOk;
    }
    // Type and raw bytes of a value; type 0 and no bytes when it is missing.
    std::pair<uint32_t, std::vector<uint8_t>> ReadRaw(std::string_view relative, std::string_view name) {
        std::pair<uint32_t, std::vector<uint8_t>> out;
        WithKey(Path(relative), keyQueryValue, [&](RegHandle h) {
            uint32_t type = 0, size = 0;
            if (raw_->QueryValue(h, name, type, nullptr, size) != regOk)
                return;
            std::vector<uint8_t> data(size);
            if (raw_->QueryValue(h, name, type, data.data(), size) == regOk)
                out = {type, data};
        });
        return out;
    }
    std::vector<std::string> SubKeyNames(std::string_view relative) { return SubKeyNamesOf(Path(relative)); }
    std::vector<std::string> ValueNames(std::string_view relative) {
        std::vector<std::string> names;
        std::string name;
        WithKey(Path(relative), keyRead, [&](RegHandle h) {
            uint32_t type = 0, size = 0;
            for (uint32_t i = 0; raw_->EnumValue(h, i, name, 16384, type, nullptr, size) == regOk; ++i, size = 0)
                names.push_back(name);
        });
        return names;
    }
    // Gives the key an access list that refuses `rights` to everyone (undone before the branch
    // is removed).
    void DenyRights(std::string_view relative, uint32_t rights) {
        int32_t rc = -1;
        WithKey(Path(relative), rightWriteDac,
                [&](RegHandle h) { rc = raw_->SetKeySecurity(h, daclSecurityInformation, DescriptorDenying(rights)); });
        ASSERT_EQ(rc, regOk) << "access list of " << Path(relative);
        denied_.push_back(Path(relative));
    }
    // The access list, in the registry's own format, that refuses `rights` to everyone.
    std::vector<uint8_t> DescriptorDenying(uint32_t rights) const {
#ifdef _WIN32
        if (kind_ == RegistryKind::Real)
            return Win32Registry::DescriptorDenying(rights);
#endif
        return MemoryRegistry::DescriptorDenying(rights);
    }

    // Handles the code under test left open: counted by the wrapper, and for the in-memory
    // registry also by the registry itself.
    int32_t OpenHandles() const {
        int32_t n = counting_->OpenHandles();
        if (memory_ && memory_->OpenHandleCount() != n)
            ADD_FAILURE() << "the wrapper counts " << n << " open handles, the registry " << memory_->OpenHandleCount();
        return n;
    }

private:
    // The test's name and a number no other test process picks, for branches of the real registry.
    static std::string UniqueBranchName() {
        static std::atomic<unsigned> counter{0};
        static const unsigned long long seed =
            std::random_device{}() ^
            static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = info ? info->name() : "t";
        std::replace(name.begin(), name.end(), '/', '_');
        std::replace(name.begin(), name.end(), '\\', '_');
        return name + "-" + std::to_string(seed % 1000000007ULL) + "-" + std::to_string(counter++);
    }
    // Opens the key at `path` (below the root) on the raw registry and gives the handle to `use`;
    // false when it does not open.
    template <class Use>
    bool WithKey(const std::string& path, uint32_t rights, Use use) {
        RegHandle h = 0;
        if (raw_->OpenKey(RootHandle(kRoot), path, rights, h) != regOk)
            return false;
        use(h);
        raw_->CloseKey(h);
        return true;
    }
    void RemoveTree(const std::string& path) {
        for (const std::string& child : SubKeyNamesOf(path))
            RemoveTree(path + "\\" + child);
        raw_->DeleteKey(RootHandle(kRoot), path);
    }
    std::vector<std::string> SubKeyNamesOf(const std::string& path) {
        std::vector<std::string> names;
        std::string name;
        WithKey(path, keyRead, [&](RegHandle h) {
            for (uint32_t i = 0; raw_->EnumKey(h, i, name, 512) == regOk; ++i)
                names.push_back(name);
        });
        return names;
    }

    RegistryKind kind_;
    std::unique_ptr<MemoryRegistry> memory_;
    std::unique_ptr<RegistryApi> real_;
    RegistryApi* raw_ = nullptr;
    std::unique_ptr<CountingRegistry> counting_;
    std::string branch_;
    std::vector<std::string> denied_;
};

// The registries a typed suite runs against: the in-memory one everywhere, the real one on Windows.
using MemoryRegistryKind = std::integral_constant<RegistryKind, RegistryKind::Memory>;
using RealRegistryKind = std::integral_constant<RegistryKind, RegistryKind::Real>;
#ifdef _WIN32
using RegistryKinds = ::testing::Types<MemoryRegistryKind, RealRegistryKind>;
#else
using RegistryKinds = ::testing::Types<MemoryRegistryKind>;
#endif

struct RegistryKindNames {
    template <class T>
    static std::string GetName(int) {
        return T::value == RegistryKind::Memory ? "Memory" : "Real";
    }
};

// Base of the registry suites: a test registry of the suite's kind (the in-memory one unless a
// typed suite names another). Every test ends with no handle left open.
template <class Kind = MemoryRegistryKind>
class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(reg.OpenHandles(), 0) << "handles left open"; }
    TestRegistry reg{Kind::value};
};

}  // namespace lumo::testing
