// Found traces: one PrivacyValue per thing a seek found, and PrivacyValues, the ordered
// collection of them that items fill and records and the set merge.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/collection.h"

namespace lumo {

enum ValueStatus : int32_t {
    vsUnknown = -1,
    vsNone = 0,
    vsFind = 1,
    vsDelete = 2,
    vsFillBlank = 3,
    vsKeepLocked = 4,
};

struct PrivacyValue {
    std::string Path;
    std::string ValueName;
    int64_t Size = 0;  // bytes; 64-bit so files of 2 GiB and more keep their size
    int32_t ValueType = 0;  // a PrivacyItemType: 1 registry value, 2 key, 4 file, 5 folder, 7 INI entry
    std::string Value;
    int32_t RootKey = 0;
    int32_t ValueStatus = vsNone;
};

// The same trace sits in an item's collection and in the merged collections of its record and
// set, so a status set later is seen everywhere.
using PrivacyValuePtr = std::shared_ptr<PrivacyValue>;

// Where traces are written as they are found: the activity log.
class TraceLog {
public:
    virtual ~TraceLog() = default;
    virtual void AppendPrivacyValue(const PrivacyValue& pv) = 0;
    virtual void AppendString(std::string_view line) = 0;
    // The local date and time as the log stamps its lines (short date, a blank, long time);
    // empty where the log has no clock.
    virtual std::string DateTimeText() { return {}; }
};

class FileSystem;
class RegKey;
class RegValue;

class PrivacyValues {
public:
    using iterator = Collection<PrivacyValuePtr>::iterator;
    using const_iterator = Collection<PrivacyValuePtr>::const_iterator;

    // `log` receives a line for every trace built by an add operation; null writes nothing.
    explicit PrivacyValues(TraceLog* log = nullptr) : log_(log) {}

    // Appends a new trace with the given status under `sKey` (none when empty) and hands it to
    // the log. The add operations of each source kind build `pv` and end here.
    PrivacyValuePtr AddTrace(PrivacyValue pv, int32_t vsValueStatus = vsNone, std::string_view sKey = {});

    // A registry key: Path and ValueName/Value from the key, RootKey its root, Size 0.
    PrivacyValuePtr AddRegKey(const RegKey& rk, int32_t vsValueStatus = vsNone, std::string_view sKey = {});
    // A registry value: Path is KeyPath, a backslash and ValueName; Size the byte length of its
    // data (two bytes per character of text or of a number's decimal form, bytes for binary).
    PrivacyValuePtr AddRegValue(const RegValue& rv, int32_t vsValueStatus = vsNone, std::string_view sKey = {});
    // A folder given by its full path; ValueName and Value are its name, Size 0.
    PrivacyValuePtr AddFolder(std::string sFolderPath, int32_t vsValueStatus = vsNone, std::string_view sKey = {});
    // A file given by its full path and its size as a listing gave it.
    PrivacyValuePtr AddFile(std::string sFilePath, int64_t size, int32_t vsValueStatus = vsNone,
                            std::string_view sKey = {});
    // A file whose size is read now; throws std::runtime_error when it cannot be read, and then
    // nothing is added.
    PrivacyValuePtr AddFile(FileSystem& files, std::string sFilePath, int32_t vsValueStatus = vsNone,
                            std::string_view sKey = {});

    PrivacyValuePtr AddIniFileItem(std::string_view sIniFile, std::string_view sKeyName, std::string_view sValue,
                                   int32_t vsValueStatus = vsNone, std::string_view sKey = {});

    // The handling of a trace of this collection ended otherwise than its log line says (a
    // removal failed, a folder stays, a file was overwritten): sets its final status and writes
    // one more line for it, so the last line naming it is true.
    void Settle(PrivacyValue& pv, int32_t vsValueStatus);

    // Appends the given trace object itself, not a copy; writes nothing to the log.
    PrivacyValuePtr AddPrivacyValue(PrivacyValuePtr pv, std::string_view sKey = {},
                                    const std::optional<IndexKey>& Before = std::nullopt,
                                    const std::optional<IndexKey>& After = std::nullopt);

    const PrivacyValuePtr& item(const IndexKey& vntIndexKey) const { return values_.item(vntIndexKey); }
    int32_t Count() const { return values_.Count(); }
    void Remove(const IndexKey& vntIndexKey) { values_.Remove(vntIndexKey); }
    const PrivacyValuePtr& Last() const { return values_.item(values_.Count()); }
    void Reserve(size_t n) { values_.Reserve(n); }

    TraceLog* Log() const { return log_; }

    // What the user must be told about this seek beyond its traces (a browser to close first, a
    // damaged database); each also becomes a line of the log. Runs show them after the item's line.
    void AddNotice(std::string text);
    const std::vector<std::string>& Notices() const { return notices_; }

    iterator begin() { return values_.begin(); }
    iterator end() { return values_.end(); }
    const_iterator begin() const { return values_.begin(); }
    const_iterator end() const { return values_.end(); }

private:
    Collection<PrivacyValuePtr> values_;
    TraceLog* log_;
    std::vector<std::string> notices_;
};

// A trace collection, or none (null) when nothing was sought.
using PrivacyValuesPtr = std::shared_ptr<PrivacyValues>;

// Appends the traces of `source` to `target`, sharing the trace objects. An absent target becomes
// a new collection when the source is present; an absent or empty source leaves the target as
// it was, absent included.
PrivacyValuesPtr MergePrivacyValues(PrivacyValuesPtr target, const PrivacyValuesPtr& source);

// Number of traces, or -1 when there is no collection.
inline int32_t CountOf(const PrivacyValuesPtr& pvs) { return pvs ? pvs->Count() : -1; }

}  // namespace lumo
