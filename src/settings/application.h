// The application-wide state: what the program prepares at start-up and every part of it reads
// through this one object. A test creates as many as it likes. It sits below the windows, which
// hold it, and above the configuration it bundles; the start-up code (src/app) fills it in.
#pragma once

#include <memory>
#include <string>

#include "base/date_time.h"
#include "cleaner/seek_context.h"
#include "config/data_location.h"
#include "config/privacy_configs.h"
#include "config/system_folders.h"
#include "config/winapp2_places.h"
#include "config/winapp2_records.h"
#include "config/winapp2_selection.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "settings/app_settings.h"

namespace lumo {

class Application {
public:
    // `now` is the start time; the last scheduled run is set exactly one day before it.
    Application(Platform p, DateTime now) : platform(p), LastScheduledRun(now.AddDays(-1)) {}
    ~Application() = default;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    Platform platform;
    SpecialFolders folders;
    AppSettings settings;
    // The folder the program runs from: the shipped PrivacyConfig.dat and the help file are there.
    std::string ProgramFolder;
    // Where the user's configuration and the activity logs are kept, decided at start-up
    // (PrepareDataFolder): the program's folder when it can be written, else the user's own
    // folder. Empty stands for the program's folder.
    std::string DataFolder;
    // The configuration file that saves write: PrivacyConfig.dat in the data folder. Until the
    // first save has made it there, the file beside the program is the one read.
    std::string ConfigFilePath;

    const std::string& UserFolder() const { return DataFolder.empty() ? ProgramFolder : DataFolder; }
    std::string LogsFolder() const { return JoinPath(UserFolder(), kLogsFolderName); }
    std::string UserConfigFile() const { return JoinPath(UserFolder(), kConfigFileName); }
    // The configuration file to read: the user's copy once it exists, else the one beside the program.
    std::string ConfigFileToLoad() const {
        return platform.files ? lumo::ConfigFileToLoad(*platform.files, ProgramFolder, UserFolder()) : UserConfigFile();
    }
    bool StopRequested = false;
    DateTime LastScheduledRun;

    // winapp2.ini: what its variables stand for on this machine (found at start-up), and what the
    // last read of it found (its records moved into the set).
    Winapp2Places winapp2Places;
    Winapp2Read winapp2;
    // The winapp2.ini to read: the user's own copy in %LOCALAPPDATA%\Sweepkit Lumo (even when
    // the program's folder holds the user's other files), else the one beside the program; empty
    // when there is none.
    std::string Winapp2File() const {
        if (!platform.files)
            return {};
        std::string own =
            folders.AppDataDir.empty() ? std::string() : JoinPath(folders.AppDataDir, kUserDataFolderName);
        return Winapp2FileToRead(*platform.files, ProgramFolder, own);
    }
    std::string Winapp2SelectionFile() const { return JoinPath(UserFolder(), kWinapp2SelectionFileName); }

    // Reads winapp2.ini (`file`, or the one to read) and appends the records of its present
    // entries to the set, selected as the user chose. Never fails: what could not be read is in
    // `winapp2`.
    void LoadWinapp2(const std::string& file = {}, const Winapp2ReadOptions& options = {}) {
        winapp2 = Winapp2Read();
        const std::string chosen = file.empty() ? Winapp2File() : file;
        if (chosen.empty() || !platform.files)
            return;
        winapp2 = ReadWinapp2(*platform.files, platform.registry, winapp2Places, chosen, options);
        Winapp2Selection selection;
        selection.Load(*platform.files, Winapp2SelectionFile());
        for (std::unique_ptr<PrivacyConfig>& record : winapp2.records) {
            record->Selected = selection.Contains(record->Software);
            ConfigSet().Add(std::move(record));
        }
        winapp2.records.clear();
    }

    // The configuration set, created on first use.
    PrivacyConfigs& ConfigSet() {
        if (!configSet_)
            configSet_ = std::make_unique<PrivacyConfigs>();
        return *configSet_;
    }
    bool HasConfigSet() const { return static_cast<bool>(configSet_); }

    // The activity log and the special parser, once the program has them; null until then.
    TraceLog* ActivityLog() const { return activityLog_; }
    void SetActivityLog(TraceLog* log) { activityLog_ = log; }
    CustomizeParse* SpecialParser() const { return specialParser_; }
    void SetSpecialParser(CustomizeParse* parser) { specialParser_ = parser; }

    // What a run hands to the seek: the platform, the log, the parser, the stop request and the
    // overwrite passes as they stand now.
    SeekContext MakeSeekContext() {
        SeekContext ctx;
        ctx.registry = platform.registry;
        ctx.files = platform.files;
        ctx.profiles = platform.profiles;
        ctx.system = platform.system;
        ctx.log = activityLog_;
        ctx.parser = specialParser_;
        ctx.stopRequested = &StopRequested;
        ctx.securityFillTimes = settings.SecurityFillTimes;
        ctx.removalWorkers = static_cast<unsigned>(settings.RemovalWorkers);
        ctx.protectedFolders = &winapp2Places.protectedFolders;
        return ctx;
    }

private:
    std::unique_ptr<PrivacyConfigs> configSet_;
    TraceLog* activityLog_ = nullptr;
    CustomizeParse* specialParser_ = nullptr;
};

}  // namespace lumo
