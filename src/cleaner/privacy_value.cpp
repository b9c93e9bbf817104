// Building, collecting and merging found traces.
#include "cleaner/privacy_value.h"

#include <stdexcept>
#include <string>
#include <type_traits>
#include <variant>

#include "platform/file_system.h"
#include "registry/reg_key.h"
#include "registry/reg_value.h"

namespace lumo {

namespace {

// Two bytes per character, as the program has always counted text.
int64_t TextBytes(std::string_view utf8) {
    size_t chars = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++chars;
    return static_cast<int64_t>(chars) * 2;
}

void SetNameAndValue(PrivacyValue& pv, std::string_view name) {
    pv.ValueName = name;
    pv.Value = pv.ValueName;
}

}  // namespace

void PrivacyValues::Settle(PrivacyValue& pv, int32_t vsValueStatus) {
    pv.ValueStatus = vsValueStatus;
    if (log_)
        log_->AppendPrivacyValue(pv);
}

PrivacyValuePtr PrivacyValues::AddRegKey(const RegKey& rk, int32_t vsValueStatus, std::string_view sKey) {
    PrivacyValue pv;
    pv.Path = rk.Path;
    SetNameAndValue(pv, rk.Name);
    pv.ValueType = 2;
    pv.RootKey = rk.RootKey;
    return AddTrace(std::move(pv), vsValueStatus, sKey);
}

PrivacyValuePtr PrivacyValues::AddRegValue(const RegValue& rv, int32_t vsValueStatus, std::string_view sKey) {
    PrivacyValue pv;
    pv.Path.reserve(rv.KeyPath.size() + 1 + rv.ValueName.size());
    pv.Path.append(rv.KeyPath).append("\\").append(rv.ValueName);
    pv.ValueName = rv.ValueName;
    pv.Size = std::visit(
        [](const auto& data) -> int64_t {
            using T = std::decay_t<decltype(data)>;
            if constexpr (std::is_same_v<T, std::string>)
                return TextBytes(data);
            else if constexpr (std::is_same_v<T, uint32_t>)
                return static_cast<int64_t>(std::to_string(data).size()) * 2;
            else
                return static_cast<int64_t>(data.size());
        },
        rv.ValueData);
    pv.ValueType = 1;
    pv.Value = rv.ValueDataString();
    pv.RootKey = rv.RootKey;
    return AddTrace(std::move(pv), vsValueStatus, sKey);
}

PrivacyValuePtr PrivacyValues::AddFolder(std::string sFolderPath, int32_t vsValueStatus, std::string_view sKey) {
    PrivacyValue pv;
    pv.Path = std::move(sFolderPath);
    SetNameAndValue(pv, FileNameOf(pv.Path));
    pv.ValueType = 5;
    return AddTrace(std::move(pv), vsValueStatus, sKey);
}

PrivacyValuePtr PrivacyValues::AddFile(std::string sFilePath, int64_t size, int32_t vsValueStatus,
                                       std::string_view sKey) {
    PrivacyValue pv;
    pv.Path = std::move(sFilePath);
    SetNameAndValue(pv, FileNameOf(pv.Path));
    pv.Size = size;
    pv.ValueType = 4;
    return AddTrace(std::move(pv), vsValueStatus, sKey);
}

PrivacyValuePtr PrivacyValues::AddFile(FileSystem& files, std::string sFilePath, int32_t vsValueStatus,
                                       std::string_view sKey) {
    std::optional<int64_t> size = files.FileSize(sFilePath);
    if (!size)
        throw std::runtime_error("the size of " + sFilePath + " cannot be read");
    return AddFile(std::move(sFilePath), *size, vsValueStatus, sKey);
}

PrivacyValuePtr PrivacyValues::AddTrace(PrivacyValue pv, int32_t vsValueStatus, std::string_view sKey) {
    pv.ValueStatus = vsValueStatus;
    auto& added = values_.Add(std::make_shared<PrivacyValue>(std::move(pv)), sKey);
    if (log_)
        log_->AppendPrivacyValue(*added);
    return added;
}

PrivacyValuePtr PrivacyValues::AddIniFileItem(std::string_view sIniFile, std::string_view sKeyName,
                                              std::string_view sValue, int32_t vsValueStatus, std::string_view sKey) {
    PrivacyValue pv;
    pv.Path.reserve(sIniFile.size() + 1 + sKeyName.size());
    pv.Path.append(sIniFile).append(":").append(sKeyName);
    pv.ValueName = sKeyName;
    pv.Value = sValue;
    pv.Size = TextBytes(sValue);
    pv.ValueType = 7;
    return AddTrace(std::move(pv), vsValueStatus, sKey);
}

PrivacyValuePtr PrivacyValues::AddPrivacyValue(PrivacyValuePtr pv, std::string_view sKey,
                                               const std::optional<IndexKey>& Before,
                                               const std::optional<IndexKey>& After) {
    return values_.Add(std::move(pv), sKey, Before, After);
}

void PrivacyValues::AddNotice(std::string text) {
    if (log_)
        log_->AppendString(log_->DateTimeText() + "--" + text);
    notices_.push_back(std::move(text));
}

PrivacyValuesPtr MergePrivacyValues(PrivacyValuesPtr target, const PrivacyValuesPtr& source) {
    if (!target && source)
        target = std::make_shared<PrivacyValues>();
    if (!source || source->Count() == 0)
        return target;
    for (const PrivacyValuePtr& pv : *source)
        target->AddPrivacyValue(pv);
    return target;
}

}  // namespace lumo
