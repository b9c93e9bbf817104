// The configuration set's walks, reordering and event relay.
#include "config/privacy_configs.h"

#include "base/text.h"

namespace lumo {

void PrivacyConfigs::RemoveAll() {
    int32_t n = records_.Count();
    for (int32_t i = 0; i < n; ++i)
        records_.Remove(1);
}

int32_t PrivacyConfigs::ValueCount() const {
    int32_t total = -1;
    for (const PrivacyConfig& pc : records_) {
        int32_t n = pc.ValueCount();
        if (n >= 0)
            total = (total < 0 ? 0 : total) + n;
    }
    return total;
}

PrivacyConfig* PrivacyConfigs::FindPrivacyConfig(std::string_view sSoftware) {
    for (PrivacyConfig& pc : records_)
        if (pc.Software == sSoftware)
            return &pc;
    return nullptr;
}

void PrivacyConfigs::EmptyPrivacyValue() {
    for (PrivacyConfig& pc : records_)
        pc.EmptyPrivacyValue();
}

void PrivacyConfigs::EmptyPrivacyValueBySoftwareType(int32_t st) {
    for (PrivacyConfig& pc : records_)
        if (pc.SoftwareType == st)
            pc.EmptyPrivacyValue();
}

void PrivacyConfigs::Subscribe(PrivacyConfig& pc) {
    pcAppendValue_ =
        pc.AppendValue.Subscribe([this](PrivacyItem& pi, const PrivacyValuePtr& pv) { AppendValue(pi, pv); });
    pcParseItemFinish_ =
        pc.ParseItemFinish.Subscribe([this](PrivacyItem& pi, int32_t count) { ParseItemFinish(pi, count); });
    pcParseConfigFinish_ = pc.ParseConfigFinish.Subscribe(
        [this](PrivacyConfig& record, int32_t count) { ParseConfigFinish(record, count); });
}

PrivacyValuesPtr PrivacyConfigs::WalkRecord(SeekContext& ctx, PrivacyConfig& pc, bool bRefreshValue, bool bOmitSelected,
                                            bool bClearValue) {
    Subscribe(pc);
    return pc.GetPrivacyValue(ctx, bRefreshValue, bOmitSelected, bClearValue);
}

PrivacyValuesPtr PrivacyConfigs::GetPrivacyValue(SeekContext& ctx, bool bRefreshValue, bool bOmitSelected,
                                                 bool bClearValue) {
    PrivacyValuesPtr result;
    for (PrivacyConfig& pc : records_) {
        if (!pc.Selected && !bOmitSelected)
            continue;
        if (pc.SoftwareType == stPlugins || pc.SoftwareType == stCustoms) {
            result = MergePrivacyValues(std::move(result), GetPrivacyValueBySoftwareType(ctx, stPlugins, bRefreshValue,
                                                                                         bOmitSelected, bClearValue));
            if (!ctx.StopRequested())
                result =
                    MergePrivacyValues(std::move(result), GetPrivacyValueBySoftwareType(ctx, stCustoms, bRefreshValue,
                                                                                        bOmitSelected, bClearValue));
            break;
        }
        result = MergePrivacyValues(std::move(result), WalkRecord(ctx, pc, bRefreshValue, bOmitSelected, bClearValue));
        if (ctx.StopRequested())
            break;
    }
    ParseFinish(CountOf(result));
    return result;
}

PrivacyValuesPtr PrivacyConfigs::GetPrivacyValueBySoftwareType(SeekContext& ctx, int32_t st, bool bRefreshValue,
                                                               bool bOmitSelected, bool bClearValue) {
    PrivacyValuesPtr result;
    for (PrivacyConfig& pc : records_) {
        if (pc.SoftwareType != st || (!pc.Selected && !bOmitSelected))
            continue;
        result = MergePrivacyValues(std::move(result), WalkRecord(ctx, pc, bRefreshValue, bOmitSelected, bClearValue));
    }
    ParseBySoftwareTypeFinish(st, CountOf(result));
    return result;
}

void PrivacyConfigs::ReOrder() {
    // Root records to the front, keeping their relative order.
    int32_t counter = 1;
    int32_t count = records_.Count();
    for (int32_t pos = 1; pos <= count; ++pos) {
        if (records_.item(pos).SoftwareType != stRoot)
            continue;
        if (counter < pos)
            records_.Add(records_.Take(pos), {}, IndexKey(counter));
        ++counter;
    }
    // Then each named group, insertion-sorted by upper-case name into a region that grows behind
    // the previous group; equal names keep their order.
    for (int32_t type : {stPlugins, stCustoms}) {
        int32_t regionStart = counter;
        count = records_.Count();
        for (int32_t pos = counter; pos <= count; ++pos) {
            PrivacyConfig& pc = records_.item(pos);
            if (pc.SoftwareType != type)
                continue;
            std::string name = UpperCase(pc.Software);
            int32_t insertAt = 0;
            for (int32_t k = regionStart; k < counter; ++k)
                if (UpperCase(records_.item(k).Software) > name) {
                    insertAt = k;
                    break;
                }
            if (insertAt)
                records_.Add(records_.Take(pos), {}, IndexKey(insertAt));
            else if (pos > counter)
                records_.Add(records_.Take(pos), {}, IndexKey(counter));
            ++counter;
        }
    }
}

}  // namespace lumo
