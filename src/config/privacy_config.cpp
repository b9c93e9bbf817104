// The software record's walk over its items and the relay of their events.
#include "config/privacy_config.h"

namespace lumo {

PrivacyItem* PrivacyConfig::FindPrivacyItem(std::string_view sItemTitle) {
    for (PrivacyItem& pi : Items)
        if (pi.Title == sItemTitle)
            return &pi;
    return nullptr;
}

void PrivacyConfig::EmptyPrivacyValue() {
    for (PrivacyItem& pi : Items)
        pi.EmptyPrivacyValue();
}

PrivacyValuesPtr PrivacyConfig::GetPrivacyValue(SeekContext& ctx, bool bRefreshValue, bool bOmitSelected,
                                                bool bClearValue) {
    PrivacyValuesPtr result;
    for (PrivacyItem& pi : Items) {
        if (!pi.Selected && !bOmitSelected)
            continue;
        piAppendValue_ =
            pi.AppendValue.Subscribe([this](PrivacyItem& item, const PrivacyValuePtr& pv) { AppendValue(item, pv); });
        piParseItemFinish_ =
            pi.ParseItemFinish.Subscribe([this](PrivacyItem& item, int32_t count) { ParseItemFinish(item, count); });
        result = MergePrivacyValues(std::move(result), pi.GetPrivacyValue(ctx, bRefreshValue, bClearValue));
        if (ctx.StopRequested())
            break;
    }
    ParseConfigFinish(*this, CountOf(result));
    return result;
}

int32_t PrivacyConfig::ValueCount() const {
    int32_t total = -1;
    for (const PrivacyItem& pi : Items) {
        int32_t n = pi.ValueCount();
        if (n >= 0)
            total = (total < 0 ? 0 : total) + n;
    }
    return total;
}

int32_t PrivacyConfig::TransSoftwareType(std::string_view sType) {
    if (sType == "Root")
        return stRoot;
    if (sType == "Plugins")
        return stPlugins;
    if (sType == "Customs")
        return stCustoms;
    return stOther;
}

std::unique_ptr<PrivacyConfig> PrivacyConfig::Clone() const {
    auto clone = std::make_unique<PrivacyConfig>();
    clone->Software = Software;
    clone->SoftwareType = SoftwareType;
    clone->Description = Description;
    clone->Selected = Selected;
    clone->Version = Version;
    for (const PrivacyItem& pi : Items)
        clone->Items.Add(pi.Clone());
    clone->FileLines = FileLines;
    clone->Origin = Origin;
    clone->Group = Group;
    clone->Warning = Warning;
    return clone;
}

}  // namespace lumo
