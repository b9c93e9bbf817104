// The world of the main window tests: a program folder with an enciphered configuration, a
// temporary tree of files for its items, the portable platform with a clock the test sets, and
// the headless host.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "items_settings_test_config.h"
#include "platform/file_system.h"
#include "platform/portable/memory_registry.h"
#include "platform/portable/portable_clock.h"
#include "platform/portable/portable_file_system.h"
#include "platform/portable/portable_profile_api.h"
#include "platform/portable/portable_shell.h"
#include "registry/reg_value.h"
#include "settings/application.h"
#include "ui/headless/headless_host.h"
#include "ui/main_window.h"
#include "ui/menu_holder.h"

namespace lumo::testing {

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() : clock(DateTime::FromParts(2024, 5, 17, 9, 30, 0)) { dir.Folder("prog"); }

    std::string Prog() const { return dir.Path("prog"); }
    std::string Tree(const std::string& sub) const { return dir.Path("tree/" + sub); }
    // Creates a file of `size` bytes (folders on the way too) under the tree.
    void MakeFile(const std::string& relative, size_t size) { dir.Write("tree/" + relative, std::string(size, 'x')); }
    bool TreeHas(const std::string& relative) const { return dir.Exists("tree/" + relative); }
    void WriteConfig(const Lines& plain) { dir.Write("prog/PrivacyConfig.dat", Enciphered(plain)); }

    // The usual configuration: a Windows record with two selected Folder items and one that is
    // not selected, another Root record, a Plugins record whose item is not selected, a Customs
    // record and a record that is not selected; each item's folder is named after it.
    Lines StandardConfig() const {
        auto rec = [&](const char* software, const char* type, bool on, Lines titles, std::vector<bool> sel = {}) {
            Lines bodies;
            for (const std::string& t : titles)
                bodies.push_back("0<>Folder><" + Tree(t));
            return RecordLines(software, type, on, titles, sel, bodies);
        };
        return rec("Windows", "Root", true, {"temp", "old", "recent"}, {true, false, true}) +
               rec("Browser", "Root", true, {"cache"}) + rec("Tool", "Plugins", true, {"tool"}, {false}) +
               rec("Mine", "Customs", true, {"mine"}) + rec("Off", "Root", false, {"never"});
    }
    // The usual configuration over the usual tree, opened.
    MainWindow& OpenStandard() {
        WriteConfig(StandardConfig());
        MakeStandardTree();
        return Open();
    }
    void MakeStandardTree() {
        for (auto [file, size] : {std::pair{"temp/a.tmp", 1000},
                                  {"temp/b.tmp", 234567},
                                  {"cache/c.dat", 1000000},
                                  {"old/keep.txt", 10},
                                  {"never/keep.txt", 10}})
            MakeFile(file, size);
    }

    // Makes the application and the window and loads it, as start-up does.
    MainWindow& Open() {
        app = std::make_unique<Application>(
            Platform{.registry = &registry, .files = &files, .profiles = &profiles, .shell = &shell, .clock = &clock},
            clock.Now());
        app->ProgramFolder = Prog();
        if (settings)
            app->settings = *settings;
        window = std::make_unique<MainWindow>(host, *app);
        window->SetProgressClock([this] { return progressNow; });
        // Before the window's own handler, which a run subscribes later.
        traceClock = app->ConfigSet().AppendValue.Subscribe(
            [this](PrivacyItem&, const PrivacyValuePtr&) { progressNow += progressStep; });
        window->Load();
        return *window;
    }

    Lines LogLines() const {
        Lines lines;
        for (int32_t i = 0; i < window->lstLog.ListCount(); ++i)
            lines.push_back(window->lstLog.List(i));
        return lines;
    }
    std::string Panel(int32_t i) const { return window->sbrStatus.Panels(i).text; }
    std::string Panels() const { return Panel(1) + "|" + Panel(2) + "|" + Panel(3) + "|" + Panel(4); }
    const HeadlessHost::ShownBox& LastBox() const { return host.Boxes().back(); }

    // The settings start-up loads, when a test gives them.
    std::optional<AppSettings> settings;
    // The clock that paces a run's progress moves this much with each trace: by default every
    // trace falls in a period of its own, so each one shows.
    std::chrono::milliseconds progressStep{1000};
    std::chrono::steady_clock::time_point progressNow{};
    Subscription traceClock;

    ScratchFolder dir;
    MemoryRegistry registry;
    PortableFileSystem files;
    PortableProfileApi profiles;
    PortableShell shell;
    PortableClock clock;
    HeadlessHost host;
    std::unique_ptr<Application> app;
    std::unique_ptr<MainWindow> window;
};

}  // namespace lumo::testing
