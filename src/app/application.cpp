// The application-wide state.
#include "app/application.h"

namespace lumo {

Application::Application(Platform p, DateTime now) : platform(p), LastScheduledRun(now.AddDays(-1)) {}

Application::~Application() = default;

PrivacyConfigs& Application::ConfigSet() {
    if (!configSet_)
        configSet_ = std::make_unique<PrivacyConfigs>();
    return *configSet_;
}

SeekContext Application::MakeSeekContext() {
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

}  // namespace lumo
