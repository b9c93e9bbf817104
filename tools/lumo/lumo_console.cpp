// The console front end: argument parsing, setting up the application the way the program's
// start-up does (without a window, and reading the settings without writing them), and one
// show or clear run that prints the window's text-log lines.
#include "lumo_console.h"

#include <exception>
#include <memory>
#include <ostream>

#include "app/application.h"
#include "base/registry_error.h"
#include "cleaner/customize_parsers.h"
#include "cleaner/run_text.h"
#include "config/config_error.h"
#include "config/data_location.h"
#include "log/privacy_log.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "settings/settings_store.h"

namespace lumo {

namespace {

std::string FolderOf(const std::string& path) {
    size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

// The window's counters of a run, kept while the events come in.
struct RunTotals {
    int32_t count = 0;
    int64_t bytes = 0;
};

}  // namespace

std::string LumoUsage() {
    return "usage: lumo show [--config FILE] [--log]\n"
           "       lumo clear [--config FILE] [--log] --yes\n"
           "\n"
           "show   finds the traces of the selected privacy items and counts them\n"
           "clear  finds and removes them; --yes confirms, without it nothing is cleared\n"
           "--config FILE  the configuration file (default: PrivacyConfig.dat beside lumo)\n"
           "--log          writes the activity log for this run (folder \"logs\" beside lumo)\n";
}

std::optional<LumoOptions> ParseLumoArguments(const std::vector<std::string>& args, std::string& error) {
    error.clear();
    if (args.empty()) {
        error = "no command given";
        return std::nullopt;
    }
    LumoOptions options;
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help")
        return std::nullopt;
    if (args[0] == "clear")
        options.clear = true;
    else if (args[0] != "show") {
        error = "unknown command \"" + args[0] + "\"";
        return std::nullopt;
    }
    bool haveConfig = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--yes") {
            options.confirmed = true;
        } else if (a == "--log") {
            options.log = true;
        } else if (a == "--config" || a.rfind("--config=", 0) == 0) {
            if (haveConfig) {
                error = "--config given twice";
                return std::nullopt;
            }
            if (a == "--config") {
                if (i + 1 == args.size()) {
                    error = "--config needs a file name";
                    return std::nullopt;
                }
                options.configFile = args[++i];
            } else {
                options.configFile = a.substr(9);
            }
            if (options.configFile.empty()) {
                error = "--config needs a file name";
                return std::nullopt;
            }
            haveConfig = true;
        } else if (a == "--help" || a == "-h") {
            return std::nullopt;
        } else {
            error = "unknown argument \"" + a + "\"";
            return std::nullopt;
        }
    }
    if (options.clear && !options.confirmed) {
        error = "clear removes traces for good: add --yes to confirm";
        return std::nullopt;
    }
    return options;
}

int RunLumo(Application& app, const LumoOptions& options, std::ostream& out, std::ostream& err,
            const std::atomic<bool>* interrupt) {
    const std::string configFile =
        options.configFile.empty() ? app.ConfigFileToLoad() : options.configFile;
    PrivacyConfigs& configs = app.ConfigSet();
    try {
        configs.LoadConfig(configFile, PlaceholderContext{&app.folders, app.platform.registry});
    } catch (const ConfigError& e) {
        err << "lumo: configuration error in " << configFile << ": " << e.Description << " (" << e.Number << ")\n";
        return kLumoConfigError;
    } catch (const RegistryError& e) {
        err << "lumo: configuration error in " << configFile << ": " << e.Description << "\n";
        return kLumoConfigError;
    }

    // The activity log: on for this run with --log, and whenever the setting asks for it, as in
    // the window.
    std::unique_ptr<PrivacyLog> log;
    if (options.log || app.settings.EnableFileLogging) {
        log = std::make_unique<PrivacyLog>(*app.platform.files, *app.platform.clock, app.LogsFolder());
        try {
            log->StartLogging();
            app.SetActivityLog(log.get());
        } catch (const std::exception& e) {
            err << "lumo: the activity log cannot be written, the run goes on without it: " << e.what() << "\n";
            log.reset();
        }
    }

    const bool findMode = !options.clear;
    RunTotals live;
    auto takeInterrupt = [&] {
        if (interrupt && interrupt->load())
            app.StopRequested = true;
    };
    Subscription onValue = configs.AppendValue.Subscribe([&](PrivacyItem&, const PrivacyValuePtr& pv) {
        ++live.count;
        live.bytes += pv ? pv->Size : 0;
        takeInterrupt();
    });
    Subscription onItem = configs.ParseItemFinish.Subscribe([&](PrivacyItem& pi, int32_t lTotalCount) {
        out << ItemFinishLine(findMode, pi.Software, pi.Title, lTotalCount) << '\n';
        if (const PrivacyValuesPtr& found = pi.Values())
            for (const std::string& notice : found->Notices())
                out << NoticeLine(notice) << '\n';
        takeInterrupt();
    });
    Subscription onRecord = configs.ParseConfigFinish.Subscribe([&](PrivacyConfig& pc, int32_t lTotalCount) {
        out << ConfigFinishLine(findMode, pc.Software, lTotalCount) << "\n\n";
        out.flush();
    });

    app.StopRequested = false;
    takeInterrupt();
    SeekContext ctx = app.MakeSeekContext();
    configs.EmptyPrivacyValue();
    PrivacyValuesPtr found = configs.GetPrivacyValue(ctx, true, false, options.clear);
    const bool stopped = app.StopRequested;
    app.StopRequested = false;

    RunTotals total;
    if (found) {
        total.count = found->Count();
        for (const PrivacyValuePtr& pv : *found)
            total.bytes += pv->Size;
    }
    if (log) {
        log->EndLogging();
        app.SetActivityLog(nullptr);
        err << "Log file is " << log->LogFileName << "\n";
    }
    out << RunSummaryText(*app.platform.clock, total.count, total.bytes) << '\n';
    out.flush();
    if (stopped)
        err << "lumo: stopped on request after " << live.count << " traces\n";
    return kLumoOk;
}

int LumoMain(const std::vector<std::string>& args, Platform platform, const std::string& programPath,
             std::ostream& out, std::ostream& err, const std::atomic<bool>* interrupt) {
    std::string error;
    std::optional<LumoOptions> options = ParseLumoArguments(args, error);
    if (!options) {
        if (error.empty()) {
            out << LumoUsage();
            return kLumoOk;
        }
        err << "lumo: " << error << "\n" << LumoUsage();
        return kLumoUsage;
    }
    try {
        // The program's start-up without its window: special folders, then the settings (read
        // only: a console run never changes them), then the run.
        Application app(platform, platform.clock->Now());
        app.ProgramFolder = FolderOf(programPath);
        InitSpecialFolders(app.folders, platform.shell, platform.registry);
        // The same place for the user's configuration and logs as the program's.
        if (platform.files)
            app.DataFolder = PrepareDataFolder(*platform.files, app.ProgramFolder, app.folders.AppDataDir);
        app.ConfigFilePath = app.UserConfigFile();
        SpecialParser parser;
        app.SetSpecialParser(&parser);
        if (platform.registry)
            SettingsStore(*platform.registry, programPath).ReadSystemSettings(app.settings);
        return RunLumo(app, *options, out, err, interrupt);
    } catch (const std::exception& e) {
        err << "lumo: " << e.what() << "\n";
        return kLumoConfigError;
    }
}

}  // namespace lumo
