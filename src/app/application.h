// The application-wide state: what the program prepares at start-up and every part of it reads
// through this one object. A test creates as many as it likes. Header-only, because the windows
// (below the start-up code in the library order) hold it too.
#pragma once

#include <memory>
#include <string>

#include "base/date_time.h"
#include "cleaner/seek_context.h"
#include "config/privacy_configs.h"
#include "config/system_folders.h"
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
    std::string ConfigFilePath;
    // The folder the program runs from: PrivacyConfig.dat, the help file and "logs" are there.
    std::string ProgramFolder;
    bool StopRequested = false;
    DateTime LastScheduledRun;

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
        return ctx;
    }

private:
    std::unique_ptr<PrivacyConfigs> configSet_;
    TraceLog* activityLog_ = nullptr;
    CustomizeParse* specialParser_ = nullptr;
};

}  // namespace lumo
