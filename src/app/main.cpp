// Start-up: special folders, where the user's files live, settings, the main window and the
// windows it opens.
#include "app/main.h"

#include <exception>

#include "base/registry_error.h"
#include "config/config_error.h"
#include "config/data_location.h"
#include "config/system_folders.h"
#include "settings/settings_store.h"
#include "ui/about_window.h"
#include "ui/items_settings_window.h"
#include "ui/main_window.h"
#include "ui/run_options_window.h"
#include "ui/ui_host.h"

namespace lumo {

Program::Program(Application& app, UiHost& host, SettingsStore& store) : app_(app), host_(host), store_(store) {}

// The windows go before the application state they point into.
Program::~Program() {
    about_.reset();
    itemsSettings_.reset();
    runOptions_.reset();
    window_.reset();
}

std::string Program::FailureText(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const ConfigError& e) {
        return "Error " + std::to_string(e.Number) + ": " + e.Description;
    } catch (const RegistryError& e) {
        return "Error " + std::to_string(e.Number) + ": " + e.Description;
    } catch (const std::exception& e) {
        return std::string("Error 0: ") + e.what();
    } catch (...) {
        return "Error 0: unknown failure";
    }
}

void Program::ConnectWindows() {
    window_->ShowItemsSettings = [this](MainWindow& main) { ShowItemsSettings(itemsSettings_, main); };
    window_->ShowRunOptions = [this](MainWindow& main, ShowMode mode) {
        ShowRunOptions(runOptions_, main, store_, mode);
    };
    window_->ShowAbout = [this](MainWindow& main) {
        // An About still open is in its own modal loop: it is brought forward, never replaced
        // under that loop.
        if (about_ && about_->Loaded()) {
            host_.BringModalToFront();
            return;
        }
        about_ = std::make_unique<AboutWindow>(host_);
        about_->Show(ShowMode::Modal, &main);
    };
}

bool Program::Main() {
    app_.SetSpecialParser(&specialParser_);
    InitSpecialFolders(app_.folders, app_.platform.shell, app_.platform.registry);
    app_.winapp2Places = FindWinapp2Places(app_.folders, app_.platform.shell, app_.platform.system);
    if (app_.platform.files)
        app_.DataFolder = PrepareDataFolder(*app_.platform.files, app_.ProgramFolder, app_.folders.AppDataDir);
    // The store passes over what it cannot read; the defaults stand in for it.
    store_.LoadSystemSettings(app_.settings);

    window_ = std::make_unique<MainWindow>(host_, app_);
    window_->SetStore(&store_);
    ConnectWindows();
    window_->Load();
    if (std::exception_ptr failure = window_->LoadFailure()) {
        window_.reset();
        host_.MsgBox(FailureText(failure), MsgButtons::OkOnly, MsgIcon::Critical, MsgDefault::Button1, "Sweepkit Lumo");
        host_.EndProgram(1);
        return false;
    }
    return true;
}

}  // namespace lumo
