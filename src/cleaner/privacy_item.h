// A privacy item: one kind of trace of one software record, where to seek it, what to keep, and
// the traces its last seek found.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/event.h"
#include "cleaner/privacy_value.h"
#include "cleaner/seek_context.h"

namespace lumo {

enum PrivacyItemType : int32_t {
    pitNone = 0,
    pitRegValue = 1,
    pitRegKey = 2,
    pitRegSubKeyValue = 3,
    pitFile = 4,
    pitFolder = 5,
    pitUnused = 6,
    pitIniFileItem = 7,
    pitCustomize = 8,
    // The items of entries read from winapp2.ini (cleaner/winapp2_walks.h); no word of the
    // configuration file names them.
    pitWinapp2Files = 9,
    pitWinapp2Registry = 10,
};

// The words that name an item's type in the item lines of the configuration file: the loader
// reads them (PrivacyItem::TransPrivacyItemType), lumo-config writes them. Case counts.
struct ItemTypeName {
    PrivacyItemType type;
    std::string_view word;
};
inline constexpr ItemTypeName kItemTypeNames[] = {
    {pitRegValue, "RegValue"},   {pitRegKey, "RegKey"}, {pitRegSubKeyValue, "RegSubKeyValue"},
    {pitFile, "File"},           {pitFolder, "Folder"}, {pitIniFileItem, "IniFileItem"},
    {pitCustomize, "Customize"},
};
// The word naming `type`; empty for a type no word names.
std::string_view ItemTypeWord(int32_t type);

class PrivacyItem {
public:
    std::string Software;
    std::string Title;
    bool Selected = false;
    bool HoldFlag = false;
    std::vector<std::string> SeekSettings;  // position p (from 1) is SeekSettings[p - 1]
    std::vector<std::string> HoldSettings;
    int32_t ItemType = pitNone;
    bool Irregular = false;
    std::string FileLine;

    Event<PrivacyItem&, const PrivacyValuePtr&> AppendValue;
    Event<PrivacyItem&, int32_t> ParseItemFinish;

    // Seek setting at a position counted from 1; empty when the item has no such position.
    const std::string& SeekSetting(size_t position) const;
    bool HasSeekSetting(size_t position) const { return position >= 1 && position <= SeekSettings.size(); }

    // Cuts `str` (outer spaces removed) at every "<>" and appends the pieces, untrimmed.
    void SetSeekSettingsByString(std::string_view str);
    void SetHoldSettingsByString(std::string_view str);
    static int32_t TransPrivacyItemType(std::string_view sType);

    // Traces held, or -1 when no collection is held.
    int32_t ValueCount() const { return CountOf(values_); }
    void EmptyPrivacyValue() { values_.reset(); }
    const PrivacyValuesPtr& Values() const { return values_; }

    // With `bRefreshValue` seeks afresh (clearing what it finds when `bClearValue`), otherwise
    // keeps the last seek's traces; raises ParseItemFinish and returns the held collection.
    // Never fails towards its caller.
    PrivacyValuesPtr GetPrivacyValue(SeekContext& ctx, bool bRefreshValue = false, bool bClearValue = false);

    // A copy without traces and without subscriptions.
    std::unique_ptr<PrivacyItem> Clone() const;

    // Used by the seek: a trace was just added to the held collection.
    void ReportValue(const PrivacyValuePtr& pv) { AppendValue(*this, pv); }
    // Used by the seek of Customize items: the collection the parser built replaces the held one.
    void ReplaceValues(PrivacyValuesPtr pvs) { values_ = std::move(pvs); }

    // The item's subscription to the special parser (Customize items only).
    Subscription cpEvent;

private:
    PrivacyValuesPtr values_;
};

// The seek and clear of one item by its type; adds traces to the item's held collection and
// reports each. Defined by the item processing of the cleaner.
void ParseItem(PrivacyItem& item, SeekContext& ctx, bool bClearValue);

}  // namespace lumo
