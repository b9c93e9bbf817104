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

enum class LumoCommand {
    Run,  // show or clear
    List,  // the records and items a run would walk
    Winapp2,  // each entry of winapp2.ini: present, absent or skipped
    Version,
};

struct LumoOptions {
    LumoCommand command = LumoCommand::Run;
    bool clear = false;  // "clear" rather than "show"
    bool confirmed = false;  // --yes
    bool log = false;  // --log
    unsigned jobs = 0;  // --jobs: threads deleting files in a clear run; 0 as the settings say
    std::string configFile;  // --config; empty: the program's own (Application::ConfigFileToLoad)
    std::string winapp2File;  // --winapp2, or the file of "lumo winapp2 FILE"; empty: the program's own
    // --only: these winapp2.ini entries alone, present or not, instead of the selected records.
    std::vector<std::string> only;
};

// Exit statuses.
inline constexpr int kLumoOk = 0;
inline constexpr int kLumoConfigError = 1;  // also any other failure that ends the run
inline constexpr int kLumoUsage = 2;

// The options of a command line (program name left out); none with `error` set on bad usage.
// "--help" gives none with an empty error.
std::optional<LumoOptions> ParseLumoArguments(const std::vector<std::string>& args, std::string& error);

std::string LumoUsage();

// Loads what a run or a list walks: the configuration file and winapp2.ini's records with the
// user's choice, or with --only the named entries alone, all selected. False, with the reason on
// `err`, when the configuration cannot be loaded or a named entry cannot be run.
bool LoadRunRecords(Application& app, const LumoOptions& options, std::ostream& err);

// "lumo list": every record a run would walk and, under it, every item with where it seeks.
int ListLumo(Application& app, const LumoOptions& options, std::ostream& out, std::ostream& err);

// "lumo winapp2 [FILE]": one line per entry and the counts last.
int ReportWinapp2(Application& app, const LumoOptions& options, std::ostream& out, std::ostream& err);

// One run in a prepared application (platform, special folders, settings and program folder set):
// loads its records (LoadRunRecords), runs, prints each text-log line to `out` as it comes and the summary
// last. `interrupt`, when given, is looked at once per trace and per item, as the window's
// message loop takes a click on "Stop": once it is set the run stops and still reports its totals.
int RunLumo(Application& app, const LumoOptions& options, std::ostream& out, std::ostream& err,
            const std::atomic<bool>* interrupt = nullptr);

// The whole program over a platform: arguments to exit status. `programPath` is the full path of
// the running program; its folder holds PrivacyConfig.dat, and "logs" when it can be written
// (else both are in the user's own folder, as for the program).
int LumoMain(const std::vector<std::string>& args, Platform platform, const std::string& programPath, std::ostream& out,
             std::ostream& err, const std::atomic<bool>* interrupt = nullptr);

}  // namespace lumo
