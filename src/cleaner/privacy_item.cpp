// The privacy item: settings strings, the refresh of its traces and its events.
#include "cleaner/privacy_item.h"

#include <exception>

#include "base/text.h"

namespace lumo {

namespace {

void AppendSettings(std::vector<std::string>& list, std::string_view str) {
    std::string_view trimmed = TrimSpaces(str);
    if (trimmed.empty())
        return;
    for (std::string& piece : Split(trimmed, "<>"))
        list.push_back(std::move(piece));
}

const std::string kEmpty;

}  // namespace

const std::string& PrivacyItem::SeekSetting(size_t position) const {
    return HasSeekSetting(position) ? SeekSettings[position - 1] : kEmpty;
}

void PrivacyItem::SetSeekSettingsByString(std::string_view str) { AppendSettings(SeekSettings, str); }
void PrivacyItem::SetHoldSettingsByString(std::string_view str) { AppendSettings(HoldSettings, str); }

std::string_view ItemTypeWord(int32_t type) {
    for (const ItemTypeName& name : kItemTypeNames)
        if (name.type == type)
            return name.word;
    return {};
}

int32_t PrivacyItem::TransPrivacyItemType(std::string_view sType) {
    for (const ItemTypeName& name : kItemTypeNames)
        if (name.word == sType)
            return name.type;
    return pitNone;
}

PrivacyValuesPtr PrivacyItem::GetPrivacyValue(SeekContext& ctx, bool bRefreshValue, bool bClearValue) {
    if (bRefreshValue) {
        values_ = std::make_shared<PrivacyValues>(ctx.log);
        if (!Irregular) {
            // The seek skips its own failing steps; whatever still escapes ends the seek here, so
            // the caller always gets the collection gathered so far and the finish event.
            try {
                ParseItem(*this, ctx, bClearValue);
            } catch (const std::exception&) {
            }
            if (!values_)
                values_ = std::make_shared<PrivacyValues>(ctx.log);
        }
    }
    ParseItemFinish(*this, CountOf(values_));
    return values_;
}

std::unique_ptr<PrivacyItem> PrivacyItem::Clone() const {
    auto clone = std::make_unique<PrivacyItem>();
    clone->Software = Software;
    clone->Title = Title;
    clone->Selected = Selected;
    clone->ItemType = ItemType;
    clone->HoldFlag = HoldFlag;
    clone->Irregular = Irregular;
    clone->FileLine = FileLine;
    clone->SeekSettings = SeekSettings;
    clone->HoldSettings = HoldSettings;
    return clone;
}

}  // namespace lumo
