// The settings store over RegKey: the table of the thirteen settings, their read rules and ranges,
// and the three operations that read, write and take them over from the menu.
#include "settings/settings_store.h"

#include <cctype>
#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <optional>

#include "base/text.h"
#include "registry/reg_key.h"
#include "settings/windows_integration.h"

namespace lumo {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Digits with an optional fraction (at least one digit in all) and an optional exponent, starting
// at `i`; returns the position after them, or npos when there is no such number there.
size_t ScanUnsignedNumber(std::string_view s, size_t i) {
    size_t digits = 0;
    while (i < s.size() && IsDigit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return std::string_view::npos;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        size_t expDigits = 0;
        while (j < s.size() && IsDigit(s[j]))
            ++j, ++expDigits;
        if (expDigits == 0)
            return std::string_view::npos;
        i = j;
    }
    return i;
}

size_t SkipBlanks(std::string_view s, size_t i) {
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    return i;
}

// The number test: blanks, an optional sign, a number, blanks.
bool IsNumber(std::string_view s) {
    size_t i = SkipBlanks(s, 0);
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    size_t end = ScanUnsignedNumber(s, i);
    return end != std::string_view::npos && SkipBlanks(s, end) == s.size();
}

// The numeric value of "0" + text: no sign and no leading blank can follow the "0", trailing
// blanks may. None when the text does not convert.
std::optional<double> ZeroPrefixedValue(std::string_view text) {
    std::string s = "0";
    s.append(text);
    size_t end = ScanUnsignedNumber(s, 0);
    if (end == std::string::npos || SkipBlanks(s, end) != s.size())
        return std::nullopt;
    double v = std::strtod(s.c_str(), nullptr);
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
}

// Rounds to the nearest integer, halves to the even neighbour, whatever mode the caller left.
double RoundHalfEven(double v) {
    const int mode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    double r = std::nearbyint(v);
    std::fesetround(mode);
    return r;
}

template <class T>
void ReadNumeric(T& setting, std::string_view text, T defaultValue) {
    setting = static_cast<T>(
        ReadNumericSetting(text, setting, defaultValue, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

void Limit(int16_t& setting, int16_t lowest, int16_t highest, int16_t replacement) {
    if (setting < lowest || setting > highest)
        setting = replacement;
}

std::string BooleanText(bool b) { return b ? "true" : "false"; }

// One row of the settings table: its value name, how a read text is taken over (none: the value
// could not be read, only the range rule applies), and the text it is written as.
struct Row {
    std::string_view name;
    std::function<void(AppSettings&, const std::optional<std::string>&)> read;
    std::function<std::string(const AppSettings&)> write;
};

// A boolean or string row, which has no range rule: an unreadable value leaves it alone.
template <class F>
auto Direct(F&& take) {
    return [take](AppSettings& s, const std::optional<std::string>& text) {
        if (text)
            take(s, *text);
    };
}

const std::vector<Row>& Rows() {
    static const AppSettings defaults;
    static const std::vector<Row> rows = {
        {"Run On Startup Windows",
         Direct([](AppSettings& s, const std::string& t) { s.RunOnStartupWindows = ReadBooleanSetting(t); }),
         [](const AppSettings& s) { return BooleanText(s.RunOnStartupWindows); }},
        {"Turn Off Forms AutoComplete",
         Direct([](AppSettings& s, const std::string& t) { s.TurnOffFormsAutoComplete = ReadBooleanSetting(t); }),
         [](const AppSettings& s) { return BooleanText(s.TurnOffFormsAutoComplete); }},
        {"Monitor Start Page",
         Direct([](AppSettings& s, const std::string& t) { s.MonitorStartPage = ReadBooleanSetting(t); }),
         [](const AppSettings& s) { return BooleanText(s.MonitorStartPage); }},
        {"Start Page", Direct([](AppSettings& s, const std::string& t) { s.StartPage = t; }),
         [](const AppSettings& s) { return s.StartPage; }},
        {"Window Title", Direct([](AppSettings& s, const std::string& t) { s.WindowTitle = t; }),
         [](const AppSettings& s) { return s.WindowTitle; }},
        {"Schedule Type", Direct([](AppSettings& s, const std::string& t) { s.ScheduleType = ReadScheduleType(t); }),
         [](const AppSettings& s) { return s.ScheduleType; }},
        {"Schedule Interval",
         [](AppSettings& s, const std::optional<std::string>& t) {
             if (t)
                 ReadNumeric(s.ScheduleInterval, *t, defaults.ScheduleInterval);
             Limit(s.ScheduleInterval, 0, 480, 480);
         },
         [](const AppSettings& s) { return std::to_string(s.ScheduleInterval); }},
        {"Schedule Clock",
         [](AppSettings& s, const std::optional<std::string>& t) {
             if (t)
                 ReadNumeric(s.ScheduleClock, *t, defaults.ScheduleClock);
             Limit(s.ScheduleClock, 0, 23, 12);
         },
         [](const AppSettings& s) { return std::to_string(s.ScheduleClock); }},
        {"Security Fill Times",
         [](AppSettings& s, const std::optional<std::string>& t) {
             if (t)
                 ReadNumeric(s.SecurityFillTimes, *t, defaults.SecurityFillTimes);
             Limit(s.SecurityFillTimes, 1, 10, 1);
         },
         [](const AppSettings& s) { return std::to_string(s.SecurityFillTimes); }},
        {"Enable File Logging",
         Direct([](AppSettings& s, const std::string& t) { s.EnableFileLogging = ReadBooleanSetting(t); }),
         [](const AppSettings& s) { return BooleanText(s.EnableFileLogging); }},
        {"Keep Log Days",
         [](AppSettings& s, const std::optional<std::string>& t) {
             if (t)
                 ReadNumeric(s.KeepLogDays, *t, defaults.KeepLogDays);
             Limit(s.KeepLogDays, 1, 5, 1);
         },
         [](const AppSettings& s) { return std::to_string(s.KeepLogDays); }},
        {"Display Max Rows",
         [](AppSettings& s, const std::optional<std::string>& t) {
             if (t)
                 ReadNumeric(s.DisplayMaxRows, *t, defaults.DisplayMaxRows);
         },
         [](const AppSettings& s) { return std::to_string(s.DisplayMaxRows); }},
        {"Removal Workers",
         [](AppSettings& s, const std::optional<std::string>& t) {
             if (t)
                 ReadNumeric(s.RemovalWorkers, *t, defaults.RemovalWorkers);
             Limit(s.RemovalWorkers, 0, 8, 0);
         },
         [](const AppSettings& s) { return std::to_string(s.RemovalWorkers); }},
    };
    return rows;
}

const Row& RowNamed(std::string_view name) {
    for (const Row& row : Rows())
        if (row.name == name)
            return row;
    std::abort();  // only called with the names of the table above
}

std::string WriteStep(std::string_view name) { return "write \"" + std::string(name) + "\""; }

}  // namespace

bool ReadBooleanSetting(std::string_view text) { return LowerCase(text) == "true"; }

std::string ReadScheduleType(std::string_view text) {
    std::string lower = LowerCase(text);
    if (lower == "daily" || lower == "interval")
        return lower;
    return "none";
}

int64_t ReadNumericSetting(std::string_view text, int64_t current, int64_t defaultValue, int64_t lowest,
                           int64_t highest) {
    if (text.empty() || !IsNumber(text))
        return defaultValue;
    std::optional<double> v = ZeroPrefixedValue(text);
    if (!v)
        return current;
    double r = RoundHalfEven(*v);
    if (r < static_cast<double>(lowest) || r > static_cast<double>(highest))
        return current;
    return static_cast<int64_t>(r);
}

SettingsLocations SettingsLocations::Standard() {
    return {.settingsRoot = rkCurrentUser,
            .settingsParent = "Software",
            .vendor = "Tallowin",
            .product = "Sweepkit Lumo",
            .machineRoot = rkLocalMachine,
            .machineParent = "Software",
            .userRoot = rkCurrentUser,
            .runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
            .browserKey = "Software\\Microsoft\\Internet Explorer\\Main"};
}

SettingsLocations SettingsLocations::Below(int32_t root, std::string_view path) {
    SettingsLocations where = Standard();
    std::string base(path);
    where.settingsRoot = root;
    where.settingsParent = base + "\\HKCU\\" + where.settingsParent;
    where.machineRoot = root;
    where.machineParent = base + "\\HKLM\\" + where.machineParent;
    where.userRoot = root;
    where.runKey = base + "\\HKCU\\" + where.runKey;
    where.browserKey = base + "\\HKCU\\" + where.browserKey;
    return where;
}

std::string DescribeFailures(const SettingsFailures& failures) {
    std::string out;
    for (const SettingsFailure& f : failures) {
        if (!out.empty())
            out += "\r\n";
        // Registry errors start their description with a line break and a bullet.
        std::string_view why = TrimBlanks(f.description);
        if (StartsWith(why, "* "))
            why.remove_prefix(2);
        out += f.step + ": " + std::string(why);
    }
    return out;
}

SettingsStore::SettingsStore(RegistryApi& api, std::string programPath, SettingsLocations where)
    : api_(api), programPath_(std::move(programPath)), where_(std::move(where)) {}

void SettingsStore::PrepareKey(RegKey& rk, SettingsFailures& failures) {
    RunSettingsStep(failures, "create the key \"" + where_.vendor + "\"",
                    [&] { rk.SetRegKey(where_.vendor, where_.settingsRoot, where_.settingsParent); });
    RunSettingsStep(failures, "create the key \"" + where_.product + "\"", [&] {
        rk.SetRegKey(where_.product, where_.settingsRoot, where_.settingsParent + "\\" + where_.vendor);
    });
    rk.Init(where_.settingsRoot, where_.SettingsKey());
}

SettingsFailures SettingsStore::LoadSystemSettings(AppSettings& settings) {
    SettingsFailures failures;
    RegKey rk(api_);
    PrepareKey(rk, failures);
    ReadRows(rk, settings, failures);
    return failures;
}

SettingsFailures SettingsStore::ReadSystemSettings(AppSettings& settings) {
    SettingsFailures failures;
    RegKey rk(api_, where_.settingsRoot, where_.SettingsKey());
    ReadRows(rk, settings, failures);
    return failures;
}

void SettingsStore::ReadRows(RegKey& rk, AppSettings& settings, SettingsFailures& failures) {
    const std::string machineKey = where_.MachineSettingsKey();
    for (const Row& row : Rows()) {
        std::optional<std::string> text;
        RunSettingsStep(failures, "read \"" + std::string(row.name) + "\"", [&] {
            std::optional<RegValue> user = rk.GetRegValue(row.name);
            if (user && user->ValueType != rvtNone) {
                text = user->ValueDataString();
                return;
            }
            std::optional<RegValue> machine = rk.GetRegValue(row.name, where_.machineRoot, machineKey);
            if (machine && machine->ValueType != rvtNone) {
                text = machine->ValueDataString();
                return;
            }
            // Missing in a key that could be read: the empty text, that is the default.
            if (!user && !machine)
                throw RegistryError(0, "settings", "the settings key cannot be read");
            text = std::string();
        });
        row.read(settings, text);
    }
}

SettingsFailures SettingsStore::SaveSystemSettings(const AppSettings& settings) {
    SettingsFailures failures;
    RegKey rk(api_);
    PrepareKey(rk, failures);
    for (const Row& row : Rows())
        RunSettingsStep(failures, WriteStep(row.name),
                        [&] { rk.SetRegValue(row.name, rvtString, row.write(settings)); });
    ApplyStartupEntry(rk, where_, settings.RunOnStartupWindows, programPath_, failures);
    ApplyFormsAutoComplete(rk, where_, settings.TurnOffFormsAutoComplete, failures);
    return failures;
}

SettingsFailures SettingsStore::ApplySettings(AppSettings& settings, const MenuCheckMarks& marks,
                                              const SettingsToApply& flags) {
    SettingsFailures failures;
    RegKey rk(api_);
    PrepareKey(rk, failures);
    auto write = [&](std::string_view name) {
        const Row& row = RowNamed(name);
        RunSettingsStep(failures, WriteStep(name), [&] { rk.SetRegValue(name, rvtString, row.write(settings)); });
    };
    if (flags.runOnStartup) {
        settings.RunOnStartupWindows = marks.RunOnStartupChecked();
        write("Run On Startup Windows");
        ApplyStartupEntry(rk, where_, settings.RunOnStartupWindows, programPath_, failures);
    }
    if (flags.formsAutoComplete) {
        settings.TurnOffFormsAutoComplete = marks.TurnOffFormsAutoCompleteChecked();
        write("Turn Off Forms AutoComplete");
        ApplyFormsAutoComplete(rk, where_, settings.TurnOffFormsAutoComplete, failures);
    }
    if (flags.monitorStartPage) {
        settings.MonitorStartPage = marks.MonitorStartPageChecked();
        write("Monitor Start Page");
    }
    if (flags.schedule) {
        settings.ScheduleType = marks.ScheduleIntervalChecked() ? "interval"
                                : marks.ScheduleDailyChecked()  ? "daily"
                                                                : "none";
        write("Schedule Type");
    }
    if (flags.fileLogging) {
        settings.EnableFileLogging = marks.EnableFileLoggingChecked();
        write("Enable File Logging");
    }
    return failures;
}

}  // namespace lumo
