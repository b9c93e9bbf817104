// The world of the main window tests: a program folder with an enciphered configuration, a
// temporary tree of files for its items, the portable platform with a clock the test sets, and
// the headless host.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/enciphered_lines.h"
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

using Lines = std::vector<std::string>;

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() : clock(DateTime::FromParts(2024, 5, 17, 9, 30, 0)) {
        std::filesystem::create_directories(dir.FsPath() / "prog");
        std::filesystem::create_directories(dir.FsPath() / "tree");
        for (int32_t root : {rkLocalMachine, rkCurrentUser}) {  // every registry has these two
            RegHandle h = 0;
            registry.CreateKey(RootHandle(root), "Software", keyAllAccess, h);
            registry.CloseKey(h);
        }
    }

    std::string Prog() const { return (dir.FsPath() / "prog").string(); }
    std::string Tree(const std::string& sub = {}) const {
        return sub.empty() ? (dir.FsPath() / "tree").string() : (dir.FsPath() / "tree" / sub).string();
    }
    // Creates a file of `size` bytes (folders on the way too) under the tree.
    void MakeFile(const std::string& relative, size_t size) {
        std::filesystem::path p = dir.FsPath() / "tree" / relative;
        std::filesystem::create_directories(p.parent_path());
        WriteBytes(p.string(), std::string(size, 'x'));
    }
    bool TreeHas(const std::string& relative) const {
        return std::filesystem::exists(dir.FsPath() / "tree" / relative);
    }

    void WriteConfig(const Lines& plain) {
        WriteBytes((dir.FsPath() / "prog" / "PrivacyConfig.dat").string(), Enciphered(plain));
    }

    // The usual configuration: a Windows record with two selected Folder items and one that is
    // not selected, another Root record, a Plugins record whose item is not selected, a Customs
    // record and a record that is not selected.
    Lines StandardConfig() const {
        Lines out;
        auto record = [&](const char* software, const char* type, const char* selected) {
            out.insert(out.end(), {"[Config]", std::string("Software:") + software, std::string("Type:") + type,
                                   std::string("Selected:") + selected});
        };
        auto item = [&](const char* title, const char* selected, const char* folder) {
            out.push_back(std::string(title) + "<>" + selected + "<>0<>Folder><" + Tree(folder));
        };
        record("Windows", "Root", "1");
        item("Temp Files", "1", "temp");
        item("Old Files", "0", "old");
        item("Recent", "1", "recent");
        record("Browser", "Root", "1");
        item("Cache", "1", "cache");
        record("Tool", "Plugins", "1");
        item("Tool Files", "0", "tool");
        record("Mine", "Customs", "1");
        item("Scratch", "1", "mine");
        record("Off", "Root", "0");
        item("Never", "1", "never");
        return out;
    }
    void MakeStandardTree() {
        MakeFile("temp/a.tmp", 1000);
        MakeFile("temp/b.tmp", 234567);
        MakeFile("cache/c.dat", 1000000);
        MakeFile("old/keep.txt", 10);
        MakeFile("never/keep.txt", 10);
    }
    // The usual configuration over the usual tree, opened.
    MainWindow& OpenStandard() {
        WriteConfig(StandardConfig());
        MakeStandardTree();
        return Open();
    }

    // Makes the application and the window and loads it, as start-up does.
    MainWindow& Open() {
        Platform p;
        p.registry = &registry;
        p.files = &files;
        p.profiles = &profiles;
        p.shell = &shell;
        p.clock = &clock;
        app = std::make_unique<Application>(p, clock.Now());
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

    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        for (int32_t i = 0; i < window->lstLog.ListCount(); ++i)
            lines.push_back(window->lstLog.List(i));
        return lines;
    }
    std::string Panel(int32_t i) const { return window->sbrStatus.Panels(i).text; }
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
