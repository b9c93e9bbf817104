// The in-memory registry: a tree of keys with typed values behind handle numbers.
#include "platform/portable/memory_registry.h"

#include <algorithm>
#include <cstring>

#include "base/text.h"

namespace lumo {

namespace {

constexpr char kDescriptorMagic[8] = {'L', 'U', 'M', 'O', 'S', 'D', '1', '\0'};
constexpr uint32_t kGenericRead = 0x80000000u;
constexpr uint32_t kGenericWrite = 0x40000000u;
constexpr uint32_t kGenericExecute = 0x20000000u;
constexpr uint32_t kGenericAll = 0x10000000u;
// The 32/64-bit registry view flags select a view; they are not rights.
constexpr uint32_t kViewFlags = 0x0100 | 0x0200;

// Length in UTF-16 code units, the unit Windows measures names in.
uint32_t Utf16Length(std::string_view utf8) {
    uint32_t n = 0;
    for (unsigned char b : utf8) {
        if ((b & 0xC0) == 0x80)
            continue;
        n += b >= 0xF0 ? 2 : 1;
    }
    return n;
}

uint32_t MapGeneric(uint32_t rights) {
    uint32_t out = rights & ~(kGenericRead | kGenericWrite | kGenericExecute | kGenericAll | kViewFlags);
    if (rights & (kGenericRead | kGenericExecute))
        out |= keyRead;
    if (rights & kGenericWrite)
        out |= keyWrite;
    if (rights & kGenericAll)
        out |= keyAllAccess;
    return out;
}

// Windows refuses a subkey path that starts with a backslash (161) rather than skip it.
bool StartsWithBackslash(std::string_view path) { return !path.empty() && path.front() == '\\'; }

// The components of a registry path; empty components (doubled or trailing separators) are skipped.
std::vector<std::string_view> Components(std::string_view path) {
    std::vector<std::string_view> out;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            out.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

}  // namespace

struct MemoryRegistry::Node {
    struct Value {
        std::string name;
        std::string upper;
        uint32_t type = 0;
        std::vector<uint8_t> data;
    };

    std::string name;
    std::string upper;
    Node* parent = nullptr;
    bool deleted = false;
    uint32_t denied = 0;
    // Kept sorted by upper-case name: the enumeration order, and binary search for lookups.
    std::vector<std::shared_ptr<Node>> children;
    std::vector<Value> values;
    std::unordered_map<std::string, size_t> valueIndex;  // upper-case name -> position in values

    std::vector<std::shared_ptr<Node>>::iterator LowerBound(const std::string& up) {
        return std::lower_bound(children.begin(), children.end(), up,
                                [](const std::shared_ptr<Node>& c, const std::string& u) { return c->upper < u; });
    }
    std::shared_ptr<Node> Child(std::string_view childName) {
        std::string up = UpperCase(childName);
        auto it = LowerBound(up);
        if (it != children.end() && (*it)->upper == up)
            return *it;
        return nullptr;
    }
    Value* FindValue(std::string_view valueName) {
        auto it = valueIndex.find(UpperCase(valueName));
        return it == valueIndex.end() ? nullptr : &values[it->second];
    }
};

MemoryRegistry::MemoryRegistry() {
    static const char* const kRootNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",     "HKEY_LOCAL_MACHINE",
                                             "HKEY_USERS",        "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG",
                                             "HKEY_DYN_DATA"};
    for (size_t i = 0; i < roots_.size(); ++i) {
        roots_[i] = std::make_shared<Node>();
        roots_[i]->name = kRootNames[i];
        roots_[i]->upper = kRootNames[i];
    }
}

MemoryRegistry::~MemoryRegistry() = default;

bool MemoryRegistry::Injected(Op op, int32_t& code) {
    int i = static_cast<int>(op);
    ++calls_[i];
    if (!failurePending_[i])
        return false;
    failurePending_[i] = false;
    code = pendingFailure_[i];
    return true;
}

void MemoryRegistry::FailNext(Op op, int32_t code) {
    failurePending_[static_cast<int>(op)] = true;
    pendingFailure_[static_cast<int>(op)] = code;
}

int32_t MemoryRegistry::Resolve(RegHandle key, uint32_t needed, std::shared_ptr<Node>& node) {
    if (IsPredefinedRoot(key)) {
        node = roots_[key - 0x80000000u];
        return regOk;
    }
    auto it = handles_.find(key);
    if (it == handles_.end())
        return regInvalidHandle;
    if (it->second.node->deleted)
        return regKeyDeleted;
    if ((it->second.granted & needed) != needed)
        return regAccessDenied;
    node = it->second.node;
    return regOk;
}

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::Find(const std::shared_ptr<Node>& from,
                                                           std::string_view path) const {
    std::shared_ptr<Node> node = from;
    for (std::string_view part : Components(path)) {
        node = node->Child(part);
        if (!node)
            return nullptr;
    }
    return node;
}

int32_t MemoryRegistry::Grant(const Node& node, uint32_t requested, uint32_t& granted) const {
    uint32_t rights = MapGeneric(requested);
    if (rights & rightMaximumAllowed) {
        granted = (keyAllAccess | (rights & ~rightMaximumAllowed)) & ~node.denied;
        return regOk;
    }
    if (rights & node.denied)
        return regAccessDenied;
    granted = rights;
    return regOk;
}

RegHandle MemoryRegistry::AddHandle(std::shared_ptr<Node> node, uint32_t granted) {
    RegHandle h = nextHandle_;
    nextHandle_ += 4;
    handles_.emplace(h, Handle{std::move(node), granted});
    return h;
}

int32_t MemoryRegistry::OpenKey(RegHandle key, std::string_view subKey, uint32_t rights, RegHandle& result) {
    int32_t rc;
    if (Injected(Op::OpenKey, rc))
        return rc;
    if (StartsWithBackslash(subKey))
        return regBadPathname;
    std::shared_ptr<Node> parent;
    // Like the real registry, opening below a handle needs no rights on that handle.
    if ((rc = Resolve(key, 0, parent)) != regOk)
        return rc;
    std::shared_ptr<Node> node = Find(parent, subKey);
    if (!node)
        return regFileNotFound;
    uint32_t granted = 0;
    if ((rc = Grant(*node, rights, granted)) != regOk)
        return rc;
    result = AddHandle(std::move(node), granted);
    return regOk;
}

int32_t MemoryRegistry::QueryInfoKey(RegHandle key, RegKeyInfo& info) {
    int32_t rc;
    if (Injected(Op::QueryInfoKey, rc))
        return rc;
    std::shared_ptr<Node> node;
    if ((rc = Resolve(key, keyQueryValue, node)) != regOk)
        return rc;
    RegKeyInfo out;
    out.subKeys = static_cast<uint32_t>(node->children.size());
    for (const auto& c : node->children)
        out.maxSubKeyLen = std::max(out.maxSubKeyLen, Utf16Length(c->name));
    out.values = static_cast<uint32_t>(node->values.size());
    for (const auto& v : node->values) {
        out.maxValueNameLen = std::max(out.maxValueNameLen, Utf16Length(v.name));
        out.maxValueLen = std::max(out.maxValueLen, static_cast<uint32_t>(v.data.size()));
    }
    info = out;
    return regOk;
}

int32_t MemoryRegistry::EnumKey(RegHandle key, uint32_t index, std::string& name, uint32_t nameChars) {
    int32_t rc;
    if (Injected(Op::EnumKey, rc))
        return rc;
    std::shared_ptr<Node> node;
    if ((rc = Resolve(key, keyEnumerateSubKeys, node)) != regOk)
        return rc;
    if (index >= node->children.size())
        return regNoMoreItems;
    const std::string& found = node->children[index]->name;
    if (Utf16Length(found) + 1 > nameChars)
        return regMoreData;
    name = found;
    return regOk;
}

int32_t MemoryRegistry::EnumValue(RegHandle key, uint32_t index, std::string& name, uint32_t nameChars, uint32_t& type,
                                  uint8_t* data, uint32_t& dataSize) {
    int32_t rc;
    if (Injected(Op::EnumValue, rc))
        return rc;
    std::shared_ptr<Node> node;
    if ((rc = Resolve(key, keyQueryValue, node)) != regOk)
        return rc;
    if (index >= node->values.size())
        return regNoMoreItems;
    const Node::Value& v = node->values[index];
    if (Utf16Length(v.name) + 1 > nameChars)
        return regMoreData;
    uint32_t size = static_cast<uint32_t>(v.data.size());
    type = v.type;
    if (data && size > dataSize) {
        dataSize = size;
        return regMoreData;
    }
    name = v.name;
    if (data && size)
        std::memcpy(data, v.data.data(), size);
    dataSize = size;
    return regOk;
}

int32_t MemoryRegistry::QueryValue(RegHandle key, std::string_view valueName, uint32_t& type, uint8_t* data,
                                   uint32_t& dataSize) {
    int32_t rc;
    if (Injected(Op::QueryValue, rc))
        return rc;
    std::shared_ptr<Node> node;
    if ((rc = Resolve(key, keyQueryValue, node)) != regOk)
        return rc;
    const Node::Value* v = node->FindValue(valueName);
    if (!v)
        return regFileNotFound;
    uint32_t size = static_cast<uint32_t>(v->data.size());
    type = v->type;
    if (data && size > dataSize) {
        dataSize = size;
        return regMoreData;
    }
    if (data && size)
        std::memcpy(data, v->data.data(), size);
    dataSize = size;
    return regOk;
}

int32_t MemoryRegistry::CreateKey(RegHandle key, std::string_view subKey, uint32_t rights, RegHandle& result) {
    int32_t rc;
    if (Injected(Op::CreateKey, rc))
        return rc;
    if (StartsWithBackslash(subKey))
        return regBadPathname;
    std::shared_ptr<Node> node;
    if ((rc = Resolve(key, 0, node)) != regOk)
        return rc;
    std::vector<std::string_view> parts = Components(subKey);
    size_t i = 0;
    for (; i < parts.size(); ++i) {
        std::shared_ptr<Node> child = node->Child(parts[i]);
        if (!child)
            break;
        node = std::move(child);
    }
    uint32_t granted = 0;
    if (i == parts.size()) {
        if ((rc = Grant(*node, rights, granted)) != regOk)
            return rc;
        result = AddHandle(std::move(node), granted);
        return regOk;
    }
    // New keys get an access list that allows everything; only the parent's list can refuse.
    if (node->denied & keyCreateSubKey)
        return regAccessDenied;
    if ((rc = Grant(Node{}, rights, granted)) != regOk)
        return rc;
    for (; i < parts.size(); ++i) {
        auto child = std::make_shared<Node>();
        child->name = std::string(parts[i]);
        child->upper = UpperCase(parts[i]);
        child->parent = node.get();
        node->children.insert(node->LowerBound(child->upper), child);
        node = std::move(child);
    }
    result = AddHandle(std::move(node), granted);
    return regOk;
}

int32_t MemoryRegistry::SetValue(RegHandle key, std::string_view valueName, uint32_t type, const uint8_t* data,
                                 uint32_t dataSize) {
    int32_t rc;
    if (Injected(Op::SetValue, rc))
        return rc;
    std::shared_ptr<Node> node;
    if ((rc = Resolve(key, keySetValue, node)) != regOk)
        return rc;
    if (!data && dataSize)
        return regInvalidParameter;
    Node::Value* v = node->FindValue(valueName);
    if (!v) {
        node->valueIndex.emplace(UpperCase(valueName), node->values.size());
        node->values.push_back(Node::Value{std::string(valueName), UpperCase(valueName), 0, {}});
        v = &node->values.back();
    }
    v->type = type;
    v->data.assign(data, data + dataSize);
    // Text is always read back with a zero byte at its end, as the real registry's text comes
    // through this interface.
    bool text = type == 1 || type == 2 || type == 7;
    if (text && (v->data.empty() || v->data.back() != 0))
        v->data.push_back(0);
    return regOk;
}

int32_t MemoryRegistry::DeleteKey(RegHandle key, std::string_view subKey) {
    int32_t rc;
    if (Injected(Op::DeleteKey, rc))
        return rc;
    if (StartsWithBackslash(subKey))
        return regBadPathname;
    std::shared_ptr<Node> parent;
    if ((rc = Resolve(key, 0, parent)) != regOk)
        return rc;
    std::shared_ptr<Node> node = Find(parent, subKey);
    if (!node)
        return regFileNotFound;
    // The predefined roots cannot be deleted; the key itself must allow deletion, and the
    // registry refuses a key that still has subkeys.
    if (!node->parent || (node->denied & rightDelete) || !node->children.empty())
        return regAccessDenied;
    Node* owner = node->parent;
    auto it = owner->LowerBound(node->upper);
    owner->children.erase(it);
    node->deleted = true;
    node->parent = nullptr;
    return regOk;
}

int32_t MemoryRegistry::DeleteValue(RegHandle key, std::string_view valueName) {
    int32_t rc;
    if (Injected(Op::DeleteValue, rc))
        return rc;
    std::shared_ptr<Node> node;
    if ((rc = Resolve(key, keySetValue, node)) != regOk)
        return rc;
    auto it = node->valueIndex.find(UpperCase(valueName));
    if (it == node->valueIndex.end())
        return regFileNotFound;
    size_t at = it->second;
    node->values.erase(node->values.begin() + static_cast<std::ptrdiff_t>(at));
    node->valueIndex.erase(it);
    for (auto& [upper, pos] : node->valueIndex)
        if (pos > at)
            --pos;
    return regOk;
}

int32_t MemoryRegistry::CloseKey(RegHandle key) {
    int32_t rc;
    if (Injected(Op::CloseKey, rc))
        return rc;
    if (IsPredefinedRoot(key))
        return regOk;
    return handles_.erase(key) ? regOk : regInvalidHandle;
}

std::vector<uint8_t> MemoryRegistry::DescriptorDenying(uint32_t rights) {
    std::vector<uint8_t> out(kDescriptorMagic, kDescriptorMagic + sizeof kDescriptorMagic);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(rights >> shift));
    return out;
}

int32_t MemoryRegistry::GetKeySecurity(RegHandle key, uint32_t securityInformation, uint8_t* descriptor,
                                       uint32_t& size) {
    int32_t rc;
    if (Injected(Op::GetKeySecurity, rc))
        return rc;
    std::shared_ptr<Node> node;
    if ((rc = Resolve(key, rightReadControl, node)) != regOk)
        return rc;
    std::vector<uint8_t> bytes = DescriptorDenying(node->denied);
    uint32_t needed = static_cast<uint32_t>(bytes.size());
    if (!descriptor || size < needed) {
        size = needed;
        return regInsufficientBuffer;
    }
    std::memcpy(descriptor, bytes.data(), needed);
    size = needed;
    return regOk;
}

int32_t MemoryRegistry::SetKeySecurity(RegHandle key, uint32_t securityInformation,
                                       const std::vector<uint8_t>& descriptor) {
    int32_t rc;
    if (Injected(Op::SetKeySecurity, rc))
        return rc;
    std::shared_ptr<Node> node;
    if ((rc = Resolve(key, rightWriteDac, node)) != regOk)
        return rc;
    if (descriptor.size() != sizeof kDescriptorMagic + 4 ||
        std::memcmp(descriptor.data(), kDescriptorMagic, sizeof kDescriptorMagic) != 0)
        return regInvalidParameter;
    uint32_t denied = 0;
    for (int i = 0; i < 4; ++i)
        denied |= static_cast<uint32_t>(descriptor[sizeof kDescriptorMagic + i]) << (8 * i);
    node->denied = denied;
    return regOk;
}

bool MemoryRegistry::DenyRights(int32_t rootKey, std::string_view path, uint32_t rights) {
    RegHandle root = RootHandle(rootKey);
    if (!IsPredefinedRoot(root))
        return false;
    std::shared_ptr<Node> node = Find(roots_[root - 0x80000000u], path);
    if (!node)
        return false;
    node->denied = rights;
    return true;
}

}  // namespace lumo
