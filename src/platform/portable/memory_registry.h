// MemoryRegistry: the registry kept in memory, for native builds and tests. It answers with the
// codes the real registry gives and follows its rules:
// - names compare without regard to letter case; subkeys enumerate sorted by name, as Windows
//   and Wine both list them (by upper-case names here, as Windows compares; Wine compares lower
//   case, which orders the characters [ \ ] ^ _ ` differently against letters); values enumerate
//   in the order they were first written, as Windows keeps them (Wine lists values sorted by
//   name, so code must not depend on the order of values);
// - a handle can do only what it was opened for (listing subkeys needs the enumerate right,
//   reading values the query right, writing and deleting values the set right, reading and
//   writing the access list the read-control and write-access-list rights);
// - a key with subkeys cannot be deleted (5); handles to a deleted key give 1018;
// - each key has an access list that can refuse rights: opening the key with a refused right
//   gives 5 until the list is replaced (SetKeySecurity). The list travels as the opaque bytes of
//   DescriptorDenying(), so what GetKeySecurity reads from one key can be written onto another.
// Test hooks: DenyRights, FailNext, OpenHandleCount and CallCount.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/registry_api.h"

namespace lumo {

class MemoryRegistry : public RegistryApi {
public:
    enum class Op {
        OpenKey,
        QueryInfoKey,
        EnumKey,
        EnumValue,
        QueryValue,
        CreateKey,
        SetValue,
        DeleteKey,
        DeleteValue,
        CloseKey,
        GetKeySecurity,
        SetKeySecurity,
    };
    static constexpr int kOpCount = static_cast<int>(Op::SetKeySecurity) + 1;

    MemoryRegistry();
    ~MemoryRegistry() override;
    MemoryRegistry(const MemoryRegistry&) = delete;
    MemoryRegistry& operator=(const MemoryRegistry&) = delete;

    int32_t OpenKey(RegHandle key, std::string_view subKey, uint32_t rights, RegHandle& result) override;
    int32_t QueryInfoKey(RegHandle key, RegKeyInfo& info) override;
    int32_t EnumKey(RegHandle key, uint32_t index, std::string& name, uint32_t nameChars) override;
    int32_t EnumValue(RegHandle key, uint32_t index, std::string& name, uint32_t nameChars, uint32_t& type,
                      uint8_t* data, uint32_t& dataSize) override;
    int32_t QueryValue(RegHandle key, std::string_view valueName, uint32_t& type, uint8_t* data,
                       uint32_t& dataSize) override;
    int32_t CreateKey(RegHandle key, std::string_view subKey, uint32_t rights, RegHandle& result) override;
    int32_t SetValue(RegHandle key, std::string_view valueName, uint32_t type, const uint8_t* data,
                     uint32_t dataSize) override;
    int32_t DeleteKey(RegHandle key, std::string_view subKey) override;
    int32_t DeleteValue(RegHandle key, std::string_view valueName) override;
    int32_t CloseKey(RegHandle key) override;
    int32_t GetKeySecurity(RegHandle key, uint32_t securityInformation, uint8_t* descriptor, uint32_t& size) override;
    int32_t SetKeySecurity(RegHandle key, uint32_t securityInformation,
                           const std::vector<uint8_t>& descriptor) override;

    // The access list, in this registry's format, that refuses `rights` and allows the rest.
    static std::vector<uint8_t> DescriptorDenying(uint32_t rights);

    // Replaces the access list of an existing key with one refusing `rights` (0 allows all).
    // False when the key does not exist.
    bool DenyRights(int32_t rootKey, std::string_view path, uint32_t rights);
    // The next call of `op` does nothing and returns `code`.
    void FailNext(Op op, int32_t code);
    // Handles opened or created and not closed yet (the predefined roots do not count).
    int32_t OpenHandleCount() const { return static_cast<int32_t>(handles_.size()); }
    // How often `op` was called, failed calls included.
    uint64_t CallCount(Op op) const { return calls_[static_cast<int>(op)]; }
    void ResetCallCounts() { calls_.fill(0); }

private:
    struct Node;
    struct Handle {
        std::shared_ptr<Node> node;
        uint32_t granted;
    };

    // Counts the call and answers an injected failure; true when `code` holds that answer.
    bool Injected(Op op, int32_t& code);
    // The key behind a handle, checked for the rights the operation needs.
    int32_t Resolve(RegHandle key, uint32_t needed, std::shared_ptr<Node>& node);
    // Walks `path` below `from`; null when a key on the way is missing.
    std::shared_ptr<Node> Find(const std::shared_ptr<Node>& from, std::string_view path) const;
    int32_t Grant(const Node& node, uint32_t requested, uint32_t& granted) const;
    RegHandle AddHandle(std::shared_ptr<Node> node, uint32_t granted);

    std::array<std::shared_ptr<Node>, 7> roots_;
    std::unordered_map<RegHandle, Handle> handles_;
    RegHandle nextHandle_ = 0x100;
    std::array<int32_t, kOpCount> pendingFailure_{};
    std::array<bool, kOpCount> failurePending_{};
    std::array<uint64_t, kOpCount> calls_{};
};

}  // namespace lumo
