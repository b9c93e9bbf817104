// The console front end: argument parsing, setting up the application the way the program's
// start-up does (without a window, and reading the settings without writing them), and one
// show or clear run that prints the window's text-log lines.
#include "lumo_console.h"

#include <exception>
#include <memory>
#include <ostream>

#include "base/registry_error.h"
#include "base/text.h"
#include "cleaner/customize_parsers.h"
#include "cleaner/run_text.h"
#include "config/config_error.h"
#include "config/data_location.h"
#include "log/privacy_log.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "settings/application.h"
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
    return "usage: lumo show [--config FILE] [--winapp2 FILE] [--only NAME ...] [--log]\n"
           "       lumo clear [--config FILE] [--winapp2 FILE] [--only NAME ...] [--log] [--jobs N] --yes\n"
           "       lumo list [--config FILE] [--winapp2 FILE] [--only NAME ...]\n"
           "       lumo winapp2 [FILE]\n"
           "       lumo --version\n"
           "\n"
           "show     finds the traces of the selected privacy items and counts them\n"
           "clear    finds and removes them; --yes confirms, without it nothing is cleared\n"
           "list     prints every record and item a run would seek, and where\n"
           "winapp2  says of each entry of winapp2.ini whether it is present on this computer,\n"
           "         absent, or skipped (with the reason and its line)\n"
           "--config FILE   the configuration file (default: PrivacyConfig.dat beside lumo)\n"
           "--winapp2 FILE  the winapp2.ini to read (default: yours in %LOCALAPPDATA%\\Sweepkit Lumo,\n"
           "                else the one beside lumo)\n"
           "--only NAME     runs the winapp2.ini entry NAME alone, present or not (repeatable)\n"
           "--log           writes the activity log for this run (folder \"logs\" beside lumo)\n"
           "--jobs N        deletes with N threads, 1 to 8; 1 deletes each file in turn\n"
           "                (default: the \"Removal Workers\" setting, else as suits this computer)\n";
}

std::optional<LumoOptions> ParseLumoArguments(const std::vector<std::string>& args, std::string& error) {
    error.clear();
    if (args.empty()) {
        error = "no command given";
        return std::nullopt;
    }
    LumoOptions options;
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help")
        return std::nullopt;
    if (command == "--version" || command == "version") {
        options.command = LumoCommand::Version;
        if (args.size() > 1) {
            error = "--version takes no arguments";
            return std::nullopt;
        }
        return options;
    }
    if (command == "winapp2") {
        options.command = LumoCommand::Winapp2;
        if (args.size() > 2) {
            error = "winapp2 takes one file at most";
            return std::nullopt;
        }
        if (args.size() == 2)
            options.winapp2File = args[1];
        return options;
    }
    if (command == "clear")
        options.clear = true;
    else if (command == "list")
        options.command = LumoCommand::List;
    else if (command != "show") {
        error = "unknown command \"" + command + "\"";
        return std::nullopt;
    }
    // "--name VALUE" or "--name=VALUE"; false with the error set when the value is missing.
    auto value = [&](size_t& i, const std::string& name, std::string& into) {
        const std::string& a = args[i];
        if (a == name && i + 1 < args.size())
            into = args[++i];
        else if (a != name)
            into = a.substr(name.size() + 1);
        if (into.empty()) {
            error = name + (name == "--only" ? " needs an entry name" : " needs a file name");
            return false;
        }
        return true;
    };
    auto is = [](const std::string& a, const std::string& name) { return a == name || a.rfind(name + "=", 0) == 0; };
    bool haveConfig = false, haveWinapp2 = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--yes" && options.command == LumoCommand::Run) {
            options.confirmed = true;
        } else if (a == "--log" && options.command == LumoCommand::Run) {
            options.log = true;
        } else if (is(a, "--config") || is(a, "--winapp2")) {
            bool config = is(a, "--config");
            bool& seen = config ? haveConfig : haveWinapp2;
            if (seen) {
                error = std::string(config ? "--config" : "--winapp2") + " given twice";
                return std::nullopt;
            }
            if (!value(i, config ? "--config" : "--winapp2", config ? options.configFile : options.winapp2File))
                return std::nullopt;
            seen = true;
        } else if (is(a, "--jobs") && options.command == LumoCommand::Run) {
            std::string n;
            if (a == "--jobs" && i + 1 < args.size())
                n = args[++i];
            else if (a != "--jobs")
                n = a.substr(7);
            if (n.size() != 1 || n[0] < '1' || n[0] > '8') {
                error = "--jobs needs a number of threads from 1 to 8";
                return std::nullopt;
            }
            options.jobs = static_cast<unsigned>(n[0] - '0');
        } else if (is(a, "--only")) {
            std::string name;
            if (!value(i, "--only", name))
                return std::nullopt;
            options.only.push_back(name);
        } else if (a == "--help" || a == "-h") {
            return std::nullopt;
        } else {
            error = "unknown argument \"" + a + "\"";
            return std::nullopt;
        }
    }
    if (haveConfig && !options.only.empty()) {
        error = "--only runs the named winapp2.ini entries alone: --config has nothing to add";
        return std::nullopt;
    }
    if (options.clear && !options.confirmed) {
        error = "clear removes traces for good: add --yes to confirm";
        return std::nullopt;
    }
    return options;
}

bool LoadRunRecords(Application& app, const LumoOptions& options, std::ostream& err) {
    PrivacyConfigs& configs = app.ConfigSet();
    if (!options.only.empty()) {
        configs.RemoveAll();
        const std::string file = options.winapp2File.empty() ? app.Winapp2File() : options.winapp2File;
        if (file.empty()) {
            err << "lumo: --only names winapp2.ini entries, but there is no winapp2.ini beside lumo ("
                << app.ProgramFolder << ") nor in your own folder; name one with --winapp2 FILE\n";
            return false;
        }
        Winapp2ReadOptions wanted;
        wanted.only = options.only;
        app.LoadWinapp2(file, wanted);
        if (!app.winapp2.failure.empty()) {
            err << "lumo: " << file << " was not read: " << app.winapp2.failure << "\n";
            return false;
        }
        bool runnable = true;
        for (const std::string& name : options.only) {
            const Winapp2Outcome* found = nullptr;
            for (const Winapp2Outcome& o : app.winapp2.outcomes)
                if (EqualsIgnoreCase(o.name, name))
                    found = &o;
            if (!found)
                err << "lumo: " << file << " has no entry named \"" << name << "\"\n";
            else if (found->state == Winapp2Outcome::State::Skipped)
                err << "lumo: the entry \"" << found->name << "\" cannot be run: " << found->why << " (line "
                    << found->line << ")\n";
            runnable = runnable && found && found->state != Winapp2Outcome::State::Skipped;
        }
        for (PrivacyConfig& pc : configs)
            pc.Selected = true;
        return runnable;
    }
    const std::string configFile = options.configFile.empty() ? app.ConfigFileToLoad() : options.configFile;
    try {
        configs.LoadConfig(configFile, PlaceholderContext{&app.folders, app.platform.registry}, app.platform.files);
    } catch (const ConfigError& e) {
        err << "lumo: configuration error in " << configFile << ": " << e.Description << " (" << e.Number << ")\n";
        return false;
    } catch (const RegistryError& e) {
        err << "lumo: configuration error in " << configFile << ": " << e.Description << "\n";
        return false;
    }
    app.LoadWinapp2(options.winapp2File);
    if (!app.winapp2.failure.empty())
        err << "lumo: " << app.winapp2.file << " was not read: " << app.winapp2.failure << "\n";
    return true;
}

int RunLumo(Application& app, const LumoOptions& options, std::ostream& out, std::ostream& err,
            const std::atomic<bool>* interrupt) {
    if (!LoadRunRecords(app, options, err))
        return kLumoConfigError;
    PrivacyConfigs& configs = app.ConfigSet();

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
    if (options.jobs)
        ctx.removalWorkers = options.jobs;
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

int LumoMain(const std::vector<std::string>& args, Platform platform, const std::string& programPath, std::ostream& out,
             std::ostream& err, const std::atomic<bool>* interrupt) {
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
    if (options->command == LumoCommand::Version) {
        out << "lumo " << LUMO_VERSION_MAJOR << "." << LUMO_VERSION_MINOR << "." << LUMO_VERSION_PATCH << "\n";
        return kLumoOk;
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
        app.winapp2Places = FindWinapp2Places(app.folders, platform.shell, platform.system);
        SpecialParser parser;
        app.SetSpecialParser(&parser);
        if (platform.registry)
            SettingsStore(*platform.registry, programPath).ReadSystemSettings(app.settings);
        switch (options->command) {
        case LumoCommand::List:
            return ListLumo(app, *options, out, err);
        case LumoCommand::Winapp2:
            return ReportWinapp2(app, *options, out, err);
        default:
            return RunLumo(app, *options, out, err, interrupt);
        }
    } catch (const std::exception& e) {
        err << "lumo: " << e.what() << "\n";
        return kLumoConfigError;
    }
}

}  // namespace lumo
