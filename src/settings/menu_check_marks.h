// The check marks of the menu items that mirror settings, as the menu holder shows them.
// ApplySettings takes a setting over from here; the menu holder implements it.
#pragma once

namespace lumo {

class MenuCheckMarks {
public:
    virtual ~MenuCheckMarks() = default;
    virtual bool RunOnStartupChecked() const = 0;
    virtual bool TurnOffFormsAutoCompleteChecked() const = 0;
    virtual bool MonitorStartPageChecked() const = 0;
    virtual bool ScheduleIntervalChecked() const = 0;
    virtual bool ScheduleDailyChecked() const = 0;
    virtual bool EnableFileLoggingChecked() const = 0;
};

}  // namespace lumo
