// What lumo prints without running: "lumo list", the records and items a run would seek, and
// "lumo winapp2", what became of each entry of winapp2.ini on this computer.
#include <ostream>

#include "cleaner/winapp2_walks.h"
#include "settings/application.h"
#include "lumo_console.h"

namespace lumo {

namespace {

std::string Setting(const PrivacyItem& pi, size_t position) { return pi.SeekSetting(position); }

std::string Matching(const PrivacyItem& pi, size_t position) {
    return pi.HasSeekSetting(position) ? " matching " + Setting(pi, position) : std::string();
}

// Where an item seeks, in words.
std::string Where(const PrivacyItem& pi) {
    if (pi.Irregular)
        return "nothing: a placeholder of its seek settings has no value on this computer";
    std::string key = Setting(pi, 1) + "\\" + Setting(pi, 2);
    switch (pi.ItemType) {
    case pitRegValue:
        return "values of " + key + Matching(pi, 3);
    case pitRegKey:
        return "everything below " + key;
    case pitRegSubKeyValue:
        return "values of the subkeys of " + key + Matching(pi, 3);
    case pitFile:
        return "files of " + Setting(pi, 1) + Matching(pi, 2);
    case pitFolder:
        return "everything below " + Setting(pi, 1);
    case pitIniFileItem:
        return "entries of [" + Setting(pi, 2) + "] in " + Setting(pi, 1) + Matching(pi, 3);
    case pitCustomize:
        return "the special parser " + Setting(pi, 1);
    case pitWinapp2Files: {
        std::string patterns = Setting(pi, 2).empty() ? std::string("every file") : "files matching " + Setting(pi, 2);
        FileKeyReach reach = FileKeyReach::Files;
        FileKeyReachFromWord(Setting(pi, 3), reach);
        std::string depth = reach == FileKeyReach::Files ? ""
                            : reach == FileKeyReach::Recurse
                                ? ", and in every folder below it"
                                : ", and in every folder below it, then the emptied folders";
        return patterns + " in " + Setting(pi, 1) + depth;
    }
    case pitWinapp2Registry:
        return pi.HasSeekSetting(3) ? "the value \"" + Setting(pi, 3) + "\" of " + key
                                    : "the key " + key + " with everything below it";
    default:
        return "nothing (an item type this program does not know)";
    }
}

void ListRecord(const PrivacyConfig& pc, std::ostream& out, int32_t& items) {
    out << pc.Software;
    if (pc.Origin == RecordOrigin::Winapp2)
        out << " (winapp2.ini, " << pc.Group << ")";
    out << "\n";
    for (const PrivacyItem& pi : pc.Items) {
        if (!pi.Selected)
            continue;
        ++items;
        out << "    " << pi.Title << ": " << Where(pi) << "\n";
        if (pi.HoldFlag)
            for (const std::string& hold : pi.HoldSettings)
                out << "        keeps " << hold << "\n";
    }
}

}  // namespace

int ListLumo(Application& app, const LumoOptions& options, std::ostream& out, std::ostream& err) {
    if (!LoadRunRecords(app, options, err))
        return kLumoConfigError;
    // The records in the order a run walks them: Root and untyped records one by one, and where
    // the first Plugins or Customs record stands, the Plugins records and then the Customs ones.
    int32_t records = 0, items = 0;
    PrivacyConfigs& set = app.ConfigSet();
    for (const PrivacyConfig& pc : set) {
        if (!pc.Selected)
            continue;
        if (pc.SoftwareType == stPlugins || pc.SoftwareType == stCustoms) {
            for (int32_t type : {int32_t{stPlugins}, int32_t{stCustoms}})
                for (const PrivacyConfig& grouped : set)
                    if (grouped.Selected && grouped.SoftwareType == type) {
                        ListRecord(grouped, out, items);
                        ++records;
                    }
            break;
        }
        ListRecord(pc, out, items);
        ++records;
    }
    out << records << " records, " << items << " items\n";
    return kLumoOk;
}

int ReportWinapp2(Application& app, const LumoOptions& options, std::ostream& out, std::ostream& err) {
    const std::string file = options.winapp2File.empty() ? app.Winapp2File() : options.winapp2File;
    if (file.empty()) {
        err << "lumo: there is no winapp2.ini beside lumo (" << app.ProgramFolder
            << ") nor in your own folder; name one: lumo winapp2 FILE\n";
        return kLumoConfigError;
    }
    FileSystem* files = app.platform.files;
    Winapp2Read read = ReadWinapp2(*files, app.platform.registry, app.winapp2Places, file);
    if (!read.failure.empty()) {
        err << "lumo: " << file << " was not read: " << read.failure << "\n";
        return kLumoConfigError;
    }
    std::string text;
    for (const Winapp2Outcome& o : read.outcomes) {
        switch (o.state) {
        case Winapp2Outcome::State::Present:
            text += "present " + o.name + "\n";
            break;
        case Winapp2Outcome::State::Absent:
            text += "absent " + o.name + "\n";
            break;
        case Winapp2Outcome::State::Skipped:
            text += "skipped " + o.name + ": " + o.why + " (line " + std::to_string(o.line) + ")\n";
            break;
        }
    }
    for (const Winapp2BadLine& bad : read.badLines)
        text += "skipped line " + std::to_string(bad.line) + ": " + bad.why + "\n";
    if (!read.badLines.empty() || read.unknownKeys > 0)
        text += std::to_string(read.badLines.size()) + " lines outside entries skipped, " +
                std::to_string(read.unknownKeys) + " unknown keys ignored\n";
    text += std::to_string(read.outcomes.size()) +
            " entries: " + std::to_string(read.Count(Winapp2Outcome::State::Present)) + " present, " +
            std::to_string(read.Count(Winapp2Outcome::State::Absent)) + " absent, " +
            std::to_string(read.Count(Winapp2Outcome::State::Skipped)) + " skipped\n";
    out << text;
    out.flush();
    return kLumoOk;
}

}  // namespace lumo
