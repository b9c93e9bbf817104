// Test registries with a private branch.
#include "support/registry_fixture.h"

#include <atomic>
#include <chrono>
#include <random>

#ifdef _WIN32
#include "platform/win32/win32_registry.h"
#endif

namespace lumo::testing {

namespace {

// The test's name and a number no other test process picks, for branches of the real registry.
std::string UniqueBranchName() {
    static std::atomic<unsigned> counter{0};
    static const unsigned long long seed =
        std::random_device{}() ^
        static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? info->name() : "t";
    for (char& c : name)
        c = c == '/' || c == '\\' ? '_' : c;
    return name + "-" + std::to_string(seed % 1000000007ULL) + "-" + std::to_string(counter++);
}

}  // namespace

TestRegistry::TestRegistry(RegistryKind kind) : kind_(kind) {
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

TestRegistry::~TestRegistry() {
    // Keys the test locked get an open access list back first, or they could not be removed.
    for (const std::string& path : denied_)
        WithKey(path, rightWriteDac,
                [&](RegHandle h) { raw_->SetKeySecurity(h, daclSecurityInformation, DescriptorDenying(0)); });
    RemoveTree(branch_);
    if (KeyExists(""))
        ADD_FAILURE() << "test branch " << branch_ << " could not be removed";
}

template <class Use>
bool TestRegistry::WithKey(const std::string& path, uint32_t rights, Use use) {
    RegHandle h = 0;
    if (raw_->OpenKey(RootHandle(kRoot), path, rights, h) != regOk)
        return false;
    use(h);
    raw_->CloseKey(h);
    return true;
}

void TestRegistry::RemoveTree(const std::string& path) {
    for (const std::string& child : SubKeyNamesOf(path))
        RemoveTree(path + "\\" + child);
    raw_->DeleteKey(RootHandle(kRoot), path);
}

std::string TestRegistry::Path(std::string_view relative) const {
    return relative.empty() ? branch_ : branch_ + "\\" + std::string(relative);
}

void TestRegistry::CreateKey(std::string_view relative) {
    RegHandle h = 0;
    ASSERT_EQ(raw_->CreateKey(RootHandle(kRoot), Path(relative), keyAllAccess, h), regOk) << "creating " << relative;
    raw_->CloseKey(h);
}

void TestRegistry::SetRaw(std::string_view relative, std::string_view name, uint32_t type,
                          const std::vector<uint8_t>& data) {
    RegHandle h = 0;
    ASSERT_EQ(raw_->CreateKey(RootHandle(kRoot), Path(relative), keyAllAccess, h), regOk) << "creating " << relative;
    int32_t rc = raw_->SetValue(h, name, type, data.data(), static_cast<uint32_t>(data.size()));
    raw_->CloseKey(h);
    ASSERT_EQ(rc, regOk) << "writing " << name;
}

void TestRegistry::SetString(std::string_view relative, std::string_view name, std::string_view text, uint32_t type) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    SetRaw(relative, name, type, bytes);
}

void TestRegistry::SetDword(std::string_view relative, std::string_view name, uint32_t value) {
    SetRaw(relative, name, 4,
           {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 24)});
}

bool TestRegistry::KeyExists(std::string_view relative) {
    return WithKey(Path(relative), keyQueryValue, [](RegHandle) {});
}

std::pair<uint32_t, std::vector<uint8_t>> TestRegistry::ReadRaw(std::string_view relative, std::string_view name) {
    uint32_t type = 0, size = 0;
    std::vector<uint8_t> data;
    WithKey(Path(relative), keyQueryValue, [&](RegHandle h) {
        if (raw_->QueryValue(h, name, type, nullptr, size) == regOk) {
            data.resize(size);
            if (raw_->QueryValue(h, name, type, data.data(), size) == regOk)
                return;
        }
        type = 0;
        data.clear();
    });
    return {type, data};
}

bool TestRegistry::ValueExists(std::string_view relative, std::string_view name) {
    bool found = false;
    WithKey(Path(relative), keyQueryValue, [&](RegHandle h) {
        uint32_t type = 0, size = 0;
        found = raw_->QueryValue(h, name, type, nullptr, size) == regOk;
    });
    return found;
}

std::vector<std::string> TestRegistry::SubKeyNames(std::string_view relative) { return SubKeyNamesOf(Path(relative)); }

std::vector<std::string> TestRegistry::SubKeyNamesOf(const std::string& path) {
    std::vector<std::string> names;
    std::string name;
    WithKey(path, keyRead, [&](RegHandle h) {
        for (uint32_t i = 0; raw_->EnumKey(h, i, name, 512) == regOk; ++i)
            names.push_back(name);
    });
    return names;
}

std::vector<std::string> TestRegistry::ValueNames(std::string_view relative) {
    std::vector<std::string> names;
    std::string name;
    WithKey(Path(relative), keyRead, [&](RegHandle h) {
        uint32_t type = 0, size = 0;
        for (uint32_t i = 0; raw_->EnumValue(h, i, name, 16384, type, nullptr, size) == regOk; ++i, size = 0)
            names.push_back(name);
    });
    return names;
}

std::vector<uint8_t> TestRegistry::DescriptorDenying(uint32_t rights) const {
#ifdef _WIN32
    if (kind_ == RegistryKind::Real)
        return Win32Registry::DescriptorDenying(rights);
#endif
    return MemoryRegistry::DescriptorDenying(rights);
}

bool TestRegistry::ChecksDeleteAndCreateAccess() {
    if (probed_ == 0) {
        CreateKey("probe\\undeletable");
        DenyRights("probe\\undeletable", rightDelete);
        DenyRights("probe", keyCreateSubKey);
        RegHandle h = 0;
        bool deleteChecked = raw_->DeleteKey(RootHandle(kRoot), Path("probe\\undeletable")) == regAccessDenied;
        bool createChecked = raw_->CreateKey(RootHandle(kRoot), Path("probe\\new"), keyRead, h) == regAccessDenied;
        if (!createChecked)
            raw_->CloseKey(h);
        probed_ = deleteChecked && createChecked ? 1 : -1;
    }
    return probed_ == 1;
}

void TestRegistry::DenyRights(std::string_view relative, uint32_t rights) {
    int32_t rc = -1;
    WithKey(Path(relative), rightWriteDac,
            [&](RegHandle h) { rc = raw_->SetKeySecurity(h, daclSecurityInformation, DescriptorDenying(rights)); });
    ASSERT_EQ(rc, regOk) << "access list of " << Path(relative);
    denied_.push_back(Path(relative));
}

int32_t TestRegistry::OpenHandles() const {
    int32_t n = counting_->OpenHandles();
    if (memory_ && memory_->OpenHandleCount() != n)
        ADD_FAILURE() << "the wrapper counts " << n << " open handles, the registry " << memory_->OpenHandleCount();
    return n;
}

}  // namespace lumo::testing
