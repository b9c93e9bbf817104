// Building, collecting and merging found traces.
#include "cleaner/privacy_value.h"

namespace lumo {

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
    // Two bytes per character, as the program has always counted text.
    size_t chars = 0;
    for (char c : sValue)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++chars;
    pv.Size = static_cast<int64_t>(chars) * 2;
    pv.ValueType = 7;
    return AddTrace(std::move(pv), vsValueStatus, sKey);
}

PrivacyValuePtr PrivacyValues::AddPrivacyValue(PrivacyValuePtr pv, std::string_view sKey,
                                               const std::optional<IndexKey>& Before,
                                               const std::optional<IndexKey>& After) {
    return values_.Add(std::move(pv), sKey, Before, After);
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
