// lumo: the console front end for scripted and scheduled use. It runs the main window's show and
// clear runs without a window and prints the same text-log lines and summary.
#pragma once

#include <atomic>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace lumo {

class Application;

struct LumoOptions {
    bool clear = false;       // "clear" rather than "show"
    bool confirmed = false;   // --yes
    bool log = false;         // --log
    std::string configFile;   // --config; empty: the program's own (Application::ConfigFileToLoad)
};

// Exit statuses.
inline constexpr int kLumoOk = 0;
inline constexpr int kLumoConfigError = 1;  // also any other failure that ends the run
inline constexpr int kLumoUsage = 2;

// The options of a command line (program name left out); none with `error` set on bad usage.
// "--help" gives none with an empty error.
std::optional<LumoOptions> ParseLumoArguments(const std::vector<std::string>& args, std::string& error);

std::string LumoUsage();

// One run in a prepared application (platform, special folders, settings and program folder set):
// loads the configuration, runs, prints each text-log line to `out` as it comes and the summary
// last. `interrupt`, when given, is looked at once per trace and per item, as the window's
// message loop takes a click on "Stop": once it is set the run stops and still reports its totals.
int RunLumo(Application& app, const LumoOptions& options, std::ostream& out, std::ostream& err,
            const std::atomic<bool>* interrupt = nullptr);

// The whole program over a platform: arguments to exit status. `programPath` is the full path of
// the running program; its folder holds PrivacyConfig.dat, and "logs" when it can be written
// (else both are in the user's own folder, as for the program).
int LumoMain(const std::vector<std::string>& args, Platform platform, const std::string& programPath,
             std::ostream& out, std::ostream& err, const std::atomic<bool>* interrupt = nullptr);

}  // namespace lumo
