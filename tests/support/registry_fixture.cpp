// Test registries with a private branch, and the counting wrapper around them.
#include "support/registry_fixture.h"

#include <atomic>
#include <chrono>
#include <random>

#ifdef _WIN32
#include "platform/win32/win32_registry.h"
#endif

namespace lumo::testing {

bool CountingRegistry::Injected(Op op, int32_t& code) {
    int i = static_cast<int>(op);
    ++calls_[i];
    if (!failurePending_[i])
        return false;
    failurePending_[i] = false;
    code = pendingFailure_[i];
    return true;
}

void CountingRegistry::FailNext(Op op, int32_t code) {
    failurePending_[static_cast<int>(op)] = true;
    pendingFailure_[static_cast<int>(op)] = code;
}

int32_t CountingRegistry::OpenKey(RegHandle key, std::string_view subKey, uint32_t rights, RegHandle& result) {
    int32_t rc;
    if (Injected(Op::OpenKey, rc))
        return rc;
    rc = inner_.OpenKey(key, subKey, rights, result);
    if (rc == regOk)
        ++open_;
    return rc;
}

int32_t CountingRegistry::CreateKey(RegHandle key, std::string_view subKey, uint32_t rights, RegHandle& result) {
    int32_t rc;
    if (Injected(Op::CreateKey, rc))
        return rc;
    rc = inner_.CreateKey(key, subKey, rights, result);
    if (rc == regOk)
        ++open_;
    return rc;
}

int32_t CountingRegistry::CloseKey(RegHandle key) {
    int32_t rc;
    if (Injected(Op::CloseKey, rc))
        return rc;
    rc = inner_.CloseKey(key);
    if (rc == regOk && !IsPredefinedRoot(key))
        --open_;
    return rc;
}

int32_t CountingRegistry::QueryInfoKey(RegHandle key, RegKeyInfo& info) {
    int32_t rc;
    return Injected(Op::QueryInfoKey, rc) ? rc : inner_.QueryInfoKey(key, info);
}

int32_t CountingRegistry::EnumKey(RegHandle key, uint32_t index, std::string& name, uint32_t nameChars) {
    int32_t rc;
    return Injected(Op::EnumKey, rc) ? rc : inner_.EnumKey(key, index, name, nameChars);
}

int32_t CountingRegistry::EnumValue(RegHandle key, uint32_t index, std::string& name, uint32_t nameChars,
                                    uint32_t& type, uint8_t* data, uint32_t& dataSize) {
    int32_t rc;
    return Injected(Op::EnumValue, rc) ? rc : inner_.EnumValue(key, index, name, nameChars, type, data, dataSize);
}

int32_t CountingRegistry::QueryValue(RegHandle key, std::string_view valueName, uint32_t& type, uint8_t* data,
                                     uint32_t& dataSize) {
    int32_t rc;
    return Injected(Op::QueryValue, rc) ? rc : inner_.QueryValue(key, valueName, type, data, dataSize);
}

int32_t CountingRegistry::SetValue(RegHandle key, std::string_view valueName, uint32_t type, const uint8_t* data,
                                   uint32_t dataSize) {
    int32_t rc;
    return Injected(Op::SetValue, rc) ? rc : inner_.SetValue(key, valueName, type, data, dataSize);
}

int32_t CountingRegistry::DeleteKey(RegHandle key, std::string_view subKey) {
    int32_t rc;
    if (Injected(Op::DeleteKey, rc))
        return rc;
    rc = inner_.DeleteKey(key, subKey);
    if (rc == regOk)
        deleted_.emplace_back(subKey);
    return rc;
}

int32_t CountingRegistry::DeleteValue(RegHandle key, std::string_view valueName) {
    int32_t rc;
    return Injected(Op::DeleteValue, rc) ? rc : inner_.DeleteValue(key, valueName);
}

int32_t CountingRegistry::GetKeySecurity(RegHandle key, uint32_t securityInformation, uint8_t* descriptor,
                                         uint32_t& size) {
    int32_t rc;
    return Injected(Op::GetKeySecurity, rc) ? rc : inner_.GetKeySecurity(key, securityInformation, descriptor, size);
}

int32_t CountingRegistry::SetKeySecurity(RegHandle key, uint32_t securityInformation,
                                         const std::vector<uint8_t>& descriptor) {
    int32_t rc;
    return Injected(Op::SetKeySecurity, rc) ? rc : inner_.SetKeySecurity(key, securityInformation, descriptor);
}

namespace {

std::string UniqueBranchName() {
    static std::atomic<unsigned> counter{0};
    static const unsigned long long seed =
        std::random_device{}() ^
        static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::string name = "t";
    if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info()) {
        name = info->name();
        for (char& c : name)
            if (c == '/' || c == '\\')
                c = '_';
    }
    return name + "-" + std::to_string(seed % 1000000007ULL) + "-" + std::to_string(counter++);
}

}  // namespace

TestRegistry::TestRegistry(RegistryKind kind) : kind_(kind) {
    if (kind == RegistryKind::Memory) {
        memory_ = std::make_unique<MemoryRegistry>();
        raw_ = memory_.get();
    } else {
#ifdef _WIN32
        real_ = std::make_unique<Win32Registry>();
        raw_ = real_.get();
#else
        ADD_FAILURE() << "the real registry exists only on Windows";
        memory_ = std::make_unique<MemoryRegistry>();
        raw_ = memory_.get();
#endif
    }
    counting_ = std::make_unique<CountingRegistry>(*raw_);
    branch_ = "Software\\SweepkitLumoTests\\" + UniqueBranchName();
    CreateKey("");
}

TestRegistry::~TestRegistry() {
    // Keys the test locked get an open access list back first, or they could not be removed.
    for (const std::string& path : denied_) {
        RegHandle h = 0;
        if (raw_->OpenKey(RootHandle(kRoot), path, rightWriteDac, h) == regOk) {
            raw_->SetKeySecurity(h, daclSecurityInformation, DescriptorDenying(0));
            raw_->CloseKey(h);
        }
    }
    RemoveTree(branch_);
    if (KeyExists(""))
        ADD_FAILURE() << "test branch " << branch_ << " could not be removed";
}

void TestRegistry::RemoveTree(const std::string& path) {
    for (const std::string& child : SubKeyNamesOf(path))
        RemoveTree(path + "\\" + child);
    raw_->DeleteKey(RootHandle(kRoot), path);
}

std::string TestRegistry::Path(std::string_view relative) const {
    if (relative.empty())
        return branch_;
    return branch_ + "\\" + std::string(relative);
}

void TestRegistry::CreateKey(std::string_view relative) {
    RegHandle h = 0;
    int32_t rc = raw_->CreateKey(RootHandle(kRoot), Path(relative), keyAllAccess, h);
    ASSERT_EQ(rc, regOk) << "creating " << Path(relative);
    raw_->CloseKey(h);
}

void TestRegistry::SetRaw(std::string_view relative, std::string_view name, uint32_t type,
                          const std::vector<uint8_t>& data) {
    RegHandle h = 0;
    int32_t rc = raw_->CreateKey(RootHandle(kRoot), Path(relative), keyAllAccess, h);
    ASSERT_EQ(rc, regOk) << "creating " << Path(relative);
    rc = raw_->SetValue(h, name, type, data.data(), static_cast<uint32_t>(data.size()));
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
    RegHandle h = 0;
    if (raw_->OpenKey(RootHandle(kRoot), Path(relative), keyQueryValue, h) != regOk)
        return false;
    raw_->CloseKey(h);
    return true;
}

std::pair<uint32_t, std::vector<uint8_t>> TestRegistry::ReadRaw(std::string_view relative, std::string_view name) {
    RegHandle h = 0;
    if (raw_->OpenKey(RootHandle(kRoot), Path(relative), keyQueryValue, h) != regOk)
        return {0, {}};
    uint32_t type = 0, size = 0;
    std::vector<uint8_t> data;
    if (raw_->QueryValue(h, name, type, nullptr, size) == regOk) {
        data.resize(size);
        if (raw_->QueryValue(h, name, type, data.data(), size) != regOk)
            type = 0, data.clear();
    } else {
        type = 0;
    }
    raw_->CloseKey(h);
    return {type, data};
}

bool TestRegistry::ValueExists(std::string_view relative, std::string_view name) {
    RegHandle h = 0;
    if (raw_->OpenKey(RootHandle(kRoot), Path(relative), keyQueryValue, h) != regOk)
        return false;
    uint32_t type = 0, size = 0;
    int32_t rc = raw_->QueryValue(h, name, type, nullptr, size);
    raw_->CloseKey(h);
    return rc == regOk;
}

std::vector<std::string> TestRegistry::SubKeyNamesOf(const std::string& path) {
    std::vector<std::string> names;
    RegHandle h = 0;
    if (raw_->OpenKey(RootHandle(kRoot), path, keyRead, h) != regOk)
        return names;
    std::string name;
    for (uint32_t i = 0; raw_->EnumKey(h, i, name, 512) == regOk; ++i)
        names.push_back(name);
    raw_->CloseKey(h);
    return names;
}

std::vector<std::string> TestRegistry::SubKeyNames(std::string_view relative) { return SubKeyNamesOf(Path(relative)); }

std::vector<std::string> TestRegistry::ValueNames(std::string_view relative) {
    std::vector<std::string> names;
    RegHandle h = 0;
    if (raw_->OpenKey(RootHandle(kRoot), Path(relative), keyRead, h) != regOk)
        return names;
    std::string name;
    for (uint32_t i = 0;; ++i) {
        uint32_t type = 0, size = 0;
        if (raw_->EnumValue(h, i, name, 16384, type, nullptr, size) != regOk)
            break;
        names.push_back(name);
    }
    raw_->CloseKey(h);
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
    RegHandle h = 0;
    ASSERT_EQ(raw_->OpenKey(RootHandle(kRoot), Path(relative), rightWriteDac, h), regOk) << Path(relative);
    int32_t rc = raw_->SetKeySecurity(h, daclSecurityInformation, DescriptorDenying(rights));
    raw_->CloseKey(h);
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
