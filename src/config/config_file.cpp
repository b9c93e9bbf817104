// Reading and writing the configuration file. The writer never regenerates the file: every
// record keeps the lines it was read from, and only selection, hold flags and hold settings are
// rewritten in them.
#include <exception>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/text.h"
#include "config/config_error.h"
#include "config/crypt.h"
#include "config/file_io.h"
#include "config/privacy_configs.h"
#include "platform/ansi.h"
#include "platform/file_system.h"

namespace lumo {

namespace {

constexpr std::string_view kDefaultFileName = "PrivacyConfig.dat";
constexpr std::string_view kConfigLine = "[Config]";

std::string FileNameOrDefault(std::string_view name) { return std::string(name.empty() ? kDefaultFileName : name); }

// Cuts the bytes into lines at CR LF, LF or CR; a final line break starts no further line.
std::vector<std::string_view> SplitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

std::string Where(const std::string& fileName, size_t lineNumber) {
    return "\"" + fileName + "\", line " + std::to_string(lineNumber);
}

// An item line cut into its parts A0, A1, ... and A0 into its header fields H0, H1, ...
struct ItemLine {
    std::vector<std::string> parts;
    std::vector<std::string> header;
};

// Empty `problem` when the line is well formed; otherwise what is wrong with it.
ItemLine CutItemLine(std::string_view line, std::string& problem) {
    ItemLine item;
    item.parts = Split(line, "><");
    if (item.parts.size() < 2) {
        problem = "the item line has no \"><\" between its header and its seek settings";
        return item;
    }
    item.header = Split(item.parts[0], "<>");
    if (item.header.size() < 4)
        problem = "the item header has " + std::to_string(item.header.size()) +
                  " field(s); it needs title<>selected<>hold<>type";
    return item;
}

const char* Flag(bool b) { return b ? "1" : "0"; }

// The FileSystem the file goes through: the caller's, or one of the build's own kind held in `own`.
FileSystem& Through(FileSystem* files, std::unique_ptr<FileSystem>& own) {
    if (files)
        return *files;
    own = MakeSystemFileSystem();
    return *own;
}

}  // namespace

void PrivacyConfigs::LoadConfig(std::string_view sConfigFileName, const PlaceholderContext& places, FileSystem* files) {
    ReadConfigLines(sConfigFileName, places, files, true);
}

void PrivacyConfigs::RefreshPluginsConfig(std::string_view sConfigFileName, std::string_view,
                                          const PlaceholderContext& places, FileSystem* files) {
    ReadConfigLines(sConfigFileName, places, files, false);
}

void PrivacyConfigs::ReadConfigLines(std::string_view sConfigFileName, const PlaceholderContext& places,
                                     FileSystem* files, bool enciphered) {
    const std::string fileName = FileNameOrDefault(sConfigFileName);
    const char* source = enciphered ? "LoadConfig" : "RefreshPluginsConfig";
    std::unique_ptr<FileSystem> own;
    std::string bytes;
    switch (ReadWholeFile(Through(files, own), fileName, bytes)) {
    case ReadResult::ok:
        break;
    case ReadResult::notFound:
        throw ConfigError(ceFileNotFound, source, "File not found: \"" + fileName + "\"");
    case ReadResult::failed:
        throw ConfigError(ceFileAccess, source, "Path/File access error: \"" + fileName + "\" cannot be read");
    }

    RemoveAll();
    PlaceholderResolver resolver(places);
    // Lines before the first "[Config]" belong to the first record, ahead of its own lines.
    std::vector<std::string> headerLines;
    std::vector<std::string>* lines = enciphered ? &headerLines : nullptr;
    PrivacyConfig* record = nullptr;
    size_t lineNumber = 0;

    for (std::string_view physical : SplitLines(bytes)) {
        ++lineNumber;
        std::string deciphered;
        if (enciphered) {
            try {
                deciphered = Crypt::DeCrypt(FromAnsi(TrimSpaces(physical)));
            } catch (const ConfigError& e) {
                throw ConfigError(e.Number, source, e.Description + " in " + Where(fileName, lineNumber));
            }
        } else {
            deciphered = FromAnsi(TrimSpaces(physical));
        }
        // Blanks around a line count for nothing, here as when the line is written back.
        const std::string line(TrimSpaces(deciphered));

        if (line != kConfigLine && lines)
            lines->push_back(std::move(deciphered));
        if (CharCount(line) < 3 || StartsWith(line, "--"))
            continue;

        if (line == kConfigLine) {
            record = &Add(std::make_unique<PrivacyConfig>());
            if (lines) {
                if (Count() == 1)
                    record->FileLines = std::exchange(headerLines, {});
                record->FileLines.push_back(line);
                lines = &record->FileLines;
            }
            continue;
        }

        if (!record)
            throw ConfigError(ceNoObject, source,
                              "Object variable not set: " + Where(fileName, lineNumber) + " (\"" + line +
                                  "\") stands before the first \"[Config]\"");

        if (StartsWith(line, "Software:")) {
            record->Software = line.substr(9);
        } else if (StartsWith(line, "Type:")) {
            record->SoftwareType = PrivacyConfig::TransSoftwareType(std::string_view(line).substr(5));
        } else if (StartsWith(line, "Description:")) {
            record->Description = line.substr(12);
        } else if (StartsWith(line, "Selected:")) {
            record->Selected = std::string_view(line).substr(9) == "1";
        } else if (StartsWith(line, "Version:")) {
            record->Version = line.substr(8);
        } else {
            std::string problem;
            ItemLine cut = CutItemLine(line, problem);
            if (!problem.empty())
                throw ConfigError(ceSubscriptOutOfRange, source,
                                  "Subscript out of range: " + Where(fileName, lineNumber) + ": " + problem);
            auto pi = std::make_unique<PrivacyItem>();
            pi->Software = record->Software;
            pi->Title = cut.header[0];
            pi->Selected = cut.header[1] == "1";
            pi->HoldFlag = cut.header[2] == "1";
            pi->ItemType = PrivacyItem::TransPrivacyItemType(cut.header[3]);
            const std::string& seek = cut.parts[1];
            std::string resolved = resolver.Resolve(seek);
            if (!seek.empty() && resolved.empty()) {
                pi->Irregular = true;
            } else {
                pi->Irregular = false;
                pi->SetSeekSettingsByString(TrimSpaces(resolved));
            }
            if (cut.parts.size() > 2 && pi->HoldFlag)
                pi->SetHoldSettingsByString(TrimSpaces(cut.parts[2]));
            record->Items.Add(std::move(pi));
        }
    }
}

void PrivacyConfigs::SaveConfig(std::string_view sConfigFileName, FileSystem* files) const {
    const std::string fileName = FileNameOrDefault(sConfigFileName);
    std::string out;
    int32_t recordNumber = 0;
    for (const PrivacyConfig& pc : records_) {
        ++recordNumber;
        // The items of each title in order: the k-th line of a title is written with the flags
        // of the k-th item of that title.
        std::unordered_map<std::string_view, std::vector<const PrivacyItem*>> byTitle;
        for (const PrivacyItem& pi : pc.Items)
            byTitle[pi.Title].push_back(&pi);
        std::unordered_map<std::string_view, size_t> linesOfTitle;
        size_t lineNumber = 0;
        for (const std::string& fileLine : pc.FileLines) {
            ++lineNumber;
            std::string_view line = TrimSpaces(fileLine);
            std::string written;
            if (CharCount(line) < 3 || StartsWith(line, "--") || line == kConfigLine || StartsWith(line, "Software:") ||
                StartsWith(line, "Type:") || StartsWith(line, "Description:") || StartsWith(line, "Version:")) {
                written = line;
            } else if (StartsWith(line, "Selected:")) {
                written = std::string("Selected:") + Flag(pc.Selected);
            } else {
                std::string where = "\"" + fileName + "\", record " + std::to_string(recordNumber) + " (\"" +
                                    pc.Software + "\"), line " + std::to_string(lineNumber) + " of its lines";
                std::string problem;
                ItemLine cut = CutItemLine(line, problem);
                if (!problem.empty())
                    throw ConfigError(ceSubscriptOutOfRange, "SaveConfig",
                                      "Subscript out of range: " + where + ": " + problem);
                auto found = byTitle.find(cut.header[0]);
                size_t k = found == byTitle.end() ? 0 : linesOfTitle[found->first]++;
                if (found == byTitle.end() || k >= found->second.size())
                    throw ConfigError(ceNoObject, "SaveConfig",
                                      "Object variable not set: " + where + ": " +
                                          (k == 0 ? std::string("no item") : "only " + std::to_string(k) + " item(s)") +
                                          " of the record titled \"" + cut.header[0] + "\"");
                const PrivacyItem& pi = *found->second[k];
                cut.header[1] = Flag(pi.Selected);
                cut.header[2] = Flag(pi.HoldFlag);
                written = Join(cut.header, "<>") + "><" + cut.parts[1];
                if (pi.HoldFlag && !pi.HoldSettings.empty())
                    written += "><" + Join(pi.HoldSettings, "<>");
                // A seek string that ended in blanks ends the line now: they go, as they would
                // on the next save.
                written.resize(TrimSpaces(written).size());
            }
            out += Crypt::EnCrypt(written);
            out += "\r\n";
        }
    }

    std::unique_ptr<FileSystem> own;
    ReplaceResult saved = Through(files, own).WriteReplacing(fileName + ".tmp", fileName, out);
    if (saved.failed == ReplaceResult::Step::WriteTemporary)
        throw ConfigError(ceFileAccess, "SaveConfig",
                          "Path/File access error: \"" + fileName + ".tmp\" cannot be written (" +
                              saved.reason.message() + ")");
    if (saved.failed == ReplaceResult::Step::Replace)
        throw ConfigError(ceFileAccess, "SaveConfig",
                          "Path/File access error: \"" + fileName + "\" cannot be replaced (" + saved.reason.message() +
                              ")");
}

}  // namespace lumo
