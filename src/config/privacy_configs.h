// The configuration set: the software records of the configuration file in order, the entry
// point of every scan and clear run, and the relay of their events to the window.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/event.h"
#include "base/owning_collection.h"
#include "config/placeholders.h"
#include "config/privacy_config.h"

namespace lumo {

class FileSystem;

class PrivacyConfigs {
public:
    using iterator = OwningCollection<PrivacyConfig>::iterator;
    using const_iterator = OwningCollection<PrivacyConfig>::const_iterator;

    Event<PrivacyItem&, const PrivacyValuePtr&> AppendValue;
    Event<PrivacyItem&, int32_t> ParseItemFinish;
    Event<PrivacyConfig&, int32_t> ParseConfigFinish;
    Event<int32_t> ParseFinish;
    Event<int32_t, int32_t> ParseBySoftwareTypeFinish;  // software type, count

    PrivacyConfig& Add(std::unique_ptr<PrivacyConfig> pc, std::string_view key = {},
                       const std::optional<IndexKey>& After = std::nullopt,
                       const std::optional<IndexKey>& Before = std::nullopt) {
        return records_.Add(std::move(pc), key, Before, After);
    }
    PrivacyConfig& item(const IndexKey& vntIndexKey) { return records_.item(vntIndexKey); }
    const PrivacyConfig& item(const IndexKey& vntIndexKey) const { return records_.item(vntIndexKey); }
    int32_t Count() const { return records_.Count(); }
    void Remove(const IndexKey& vntIndexKey) { records_.Remove(vntIndexKey); }
    std::unique_ptr<PrivacyConfig> Take(const IndexKey& vntIndexKey) { return records_.Take(vntIndexKey); }
    void RemoveAll();

    iterator begin() { return records_.begin(); }
    iterator end() { return records_.end(); }
    const_iterator begin() const { return records_.begin(); }
    const_iterator end() const { return records_.end(); }

    int32_t ValueCount() const;
    // The first record whose Software equals `sSoftware` exactly; null when none does.
    PrivacyConfig* FindPrivacyConfig(std::string_view sSoftware);
    void EmptyPrivacyValue();
    void EmptyPrivacyValueBySoftwareType(int32_t st);

    // Walks Root and untyped records one by one in order, and the Plugins and Customs records as
    // two groups (Plugins first) where the first qualifying record of either group stands; the
    // walk ends there. Raises ParseFinish.
    PrivacyValuesPtr GetPrivacyValue(SeekContext& ctx, bool bRefreshValue = false, bool bOmitSelected = false,
                                     bool bClearValue = false);
    PrivacyValuesPtr GetPrivacyValueBySoftwareType(SeekContext& ctx, int32_t st, bool bRefreshValue = false,
                                                   bool bOmitSelected = false, bool bClearValue = false);
    // Root records first in their order, then Plugins, then Customs, each sorted by name without
    // regard to letter case (stable), then the rest in their order.
    void ReOrder();

    // The configuration file. An empty name means "PrivacyConfig.dat" in the current folder.
    // Failures throw ConfigError (or RegistryError from a registry placeholder) and stop at the
    // first bad line; a file that cannot be opened leaves the set as it was. The file is read and
    // written through `files`, or through a FileSystem of the build's own kind when none is given.
    // Replaces the set's records with those of an enciphered file, keeping each record's lines.
    void LoadConfig(std::string_view sConfigFileName = {}, const PlaceholderContext& places = {},
                    FileSystem* files = nullptr);
    // Rewrites the records' file lines with the current selection and hold settings, through a
    // ".tmp" file swapped in at the end; a failed save leaves the file as it was.
    void SaveConfig(std::string_view sConfigFileName = {}, FileSystem* files = nullptr) const;
    // Replaces the set's records with those of a plain-text file; its records keep no lines.
    // `sPluginsPath` has no effect.
    void RefreshPluginsConfig(std::string_view sConfigFileName = {}, std::string_view sPluginsPath = ".",
                              const PlaceholderContext& places = {}, FileSystem* files = nullptr);

private:
    void ReadConfigLines(std::string_view fileName, const PlaceholderContext& places, FileSystem* files,
                         bool enciphered);
    void Subscribe(PrivacyConfig& pc);
    PrivacyValuesPtr WalkRecord(SeekContext& ctx, PrivacyConfig& pc, bool bRefreshValue, bool bOmitSelected,
                                bool bClearValue);

    OwningCollection<PrivacyConfig> records_;
    Subscription pcAppendValue_;
    Subscription pcParseItemFinish_;
    Subscription pcParseConfigFinish_;
};

}  // namespace lumo
