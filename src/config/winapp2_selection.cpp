// The user's choice of winapp2.ini entries, kept by name.
#include "config/winapp2_selection.h"

#include <memory>

#include "base/text.h"
#include "config/config_error.h"
#include "config/privacy_configs.h"
#include "platform/file_system.h"

namespace lumo {

namespace {

constexpr std::string_view kHeader =
    "; The winapp2.ini entries selected in Sweepkit Lumo's Items Settings, one name a line.\r\n";

}  // namespace

bool Winapp2Selection::Load(FileSystem& files, const std::string& file) {
    names_.clear();
    std::optional<std::string> bytes = files.ReadFile(file);
    if (!bytes)
        return !files.FileExists(file);
    for (const std::string& line : Split(*bytes, "\n")) {
        std::string_view name = line;
        if (!name.empty() && name.back() == '\r')
            name.remove_suffix(1);
        if (!name.empty() && name.front() != ';' && !Contains(name))
            names_.emplace_back(name);
    }
    return true;
}

bool Winapp2Selection::Contains(std::string_view name) const {
    for (const std::string& n : names_)
        if (EqualsIgnoreCase(n, name))
            return true;
    return false;
}

void Winapp2Selection::TakeFrom(const PrivacyConfigs& set) {
    std::vector<std::string> kept;
    for (const std::string& name : names_) {
        bool decidedNow = false;
        for (const PrivacyConfig& pc : set)
            decidedNow = decidedNow || (pc.Origin == RecordOrigin::Winapp2 && EqualsIgnoreCase(pc.Software, name));
        if (!decidedNow)
            kept.push_back(name);
    }
    names_ = std::move(kept);
    for (const PrivacyConfig& pc : set)
        if (pc.Origin == RecordOrigin::Winapp2 && pc.Selected && !Contains(pc.Software))
            names_.push_back(pc.Software);
}

void Winapp2Selection::Save(FileSystem& files, const std::string& file) const {
    std::string text(kHeader);
    for (const std::string& name : names_)
        text += name + "\r\n";
    const std::string temporary = file + ".tmp";
    std::unique_ptr<FileWriter> writer = files.OpenForWrite(temporary, WriteMode::Create);
    bool written = writer && writer->Write(text.data(), text.size());
    written = writer && writer->Close() && written;
    writer.reset();
    if (!written || !files.ReplaceAtomically(temporary, file)) {
        files.RemoveFile(temporary);
        throw ConfigError(ceFileAccess, "SaveWinapp2Selection",
                          "Path/File access error: \"" + file + "\" cannot be " + (written ? "replaced" : "written"));
    }
}

void SaveWinapp2Selection(FileSystem& files, const std::string& file, const PrivacyConfigs& set) {
    Winapp2Selection selection;
    // A file that cannot be read now is replaced with what the user sees chosen.
    selection.Load(files, file);
    selection.TakeFrom(set);
    selection.Save(files, file);
}

}  // namespace lumo
