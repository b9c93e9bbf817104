// Start-up (`Main`): the special folders, the settings, and the main window with the windows it
// opens. The entry point makes the platform and the host, then hands over to this.
#pragma once

#include <memory>
#include <string>

#include "cleaner/customize_parsers.h"
#include "settings/application.h"

namespace lumo {

class AboutWindow;
class ItemsSettingsWindow;
class MainWindow;
class RunOptionsWindow;
class SettingsStore;
class UiHost;

class Program {
public:
    // `app` is made with the start time, so its LastScheduledRun already lies one day back.
    Program(Application& app, UiHost& host, SettingsStore& store);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Fills the special folders, loads the settings, and loads the main window, which reads the
    // configuration and shows itself. When the configuration cannot be loaded, one message box
    // gives the failure's number and description, no window is left and the program is ended;
    // the result is then false.
    bool Main();

    // The main window once Main has made it; null before, and after a failed start.
    MainWindow* Window() const { return window_.get(); }
    ItemsSettingsWindow* ItemsSettings() const { return itemsSettings_.get(); }

    // "Error <number>: <description>", the start-up failure message.
    static std::string FailureText(const std::exception_ptr& failure);

private:
    void ConnectWindows();

    Application& app_;
    UiHost& host_;
    SettingsStore& store_;
    // The special parser of Customize items, alive as long as the windows that run seeks.
    SpecialParser specialParser_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<AboutWindow> about_;
    std::unique_ptr<ItemsSettingsWindow> itemsSettings_;
    std::unique_ptr<RunOptionsWindow> runOptions_;
};

}  // namespace lumo
