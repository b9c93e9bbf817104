// A software record: one product's items in configuration order, its selection, and the file
// lines it was read from.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/event.h"
#include "base/owning_collection.h"
#include "cleaner/privacy_item.h"

namespace lumo {

enum SoftwareType : int32_t {
    stOther = 0,
    stRoot = 1,
    stPlugins = 2,
    stCustoms = 3,
};

using PrivacyItems = OwningCollection<PrivacyItem>;

// Where a record comes from. The records of winapp2.ini's entries stand beside those of the
// configuration file but are never written into it: the user's choice of them is kept apart.
enum class RecordOrigin { ConfigFile, Winapp2 };

class PrivacyConfig {
public:
    std::string Software;
    int32_t SoftwareType = stOther;
    std::string Description;
    bool Selected = false;
    std::string Version;
    PrivacyItems Items;
    std::vector<std::string> FileLines;
    RecordOrigin Origin = RecordOrigin::ConfigFile;
    std::string Group;  // winapp2.ini: the group the Applications page lists it under
    std::string Warning;  // winapp2.ini: shown, with a question, before the record is selected

    Event<PrivacyItem&, const PrivacyValuePtr&> AppendValue;
    Event<PrivacyItem&, int32_t> ParseItemFinish;
    Event<PrivacyConfig&, int32_t> ParseConfigFinish;

    // The first item whose Title equals `sItemTitle` exactly; null when none does.
    PrivacyItem* FindPrivacyItem(std::string_view sItemTitle);
    void EmptyPrivacyValue();
    // Walks the selected items (every item with `bOmitSelected`), merging their traces; stops
    // after the item during which a stop was requested. Raises ParseConfigFinish.
    PrivacyValuesPtr GetPrivacyValue(SeekContext& ctx, bool bRefreshValue = false, bool bOmitSelected = false,
                                     bool bClearValue = false);
    // Sum of the items' counts of 0 or more; -1 when no item has one.
    int32_t ValueCount() const;
    static int32_t TransSoftwareType(std::string_view sType);
    // A copy of the fields, items and file lines, without traces or subscriptions.
    std::unique_ptr<PrivacyConfig> Clone() const;

private:
    Subscription piAppendValue_;
    Subscription piParseItemFinish_;
};

}  // namespace lumo
