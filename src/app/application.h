// The application-wide state: what the program prepares at start-up and every part of it reads
// through this one object. A test creates as many as it likes.
#pragma once

#include <memory>
#include <string>

#include "base/date_time.h"
#include "cleaner/seek_context.h"
#include "config/privacy_configs.h"
#include "config/special_folders.h"
#include "platform/platform.h"
#include "settings/app_settings.h"

namespace lumo {

class Application {
public:
    // `now` is the start time; the last scheduled run is set exactly one day before it.
    Application(Platform platform, DateTime now);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    Platform platform;
    SpecialFolders folders;
    AppSettings settings;
    std::string ConfigFilePath;
    bool StopRequested = false;
    DateTime LastScheduledRun;

    // The configuration set, created on first use.
    PrivacyConfigs& ConfigSet();
    bool HasConfigSet() const { return static_cast<bool>(configSet_); }

    // The activity log and the special parser, once the program has them; null until then.
    TraceLog* ActivityLog() const { return activityLog_; }
    void SetActivityLog(TraceLog* log) { activityLog_ = log; }
    CustomizeParse* SpecialParser() const { return specialParser_; }
    void SetSpecialParser(CustomizeParse* parser) { specialParser_ = parser; }

    // What a run hands to the seek: the platform, the log, the parser, the stop request and the
    // overwrite passes as they stand now.
    SeekContext MakeSeekContext();

private:
    std::unique_ptr<PrivacyConfigs> configSet_;
    TraceLog* activityLog_ = nullptr;
    CustomizeParse* specialParser_ = nullptr;
};

}  // namespace lumo
