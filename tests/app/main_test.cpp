// Start-up headless: folders prepared, the window shown with the windows it opens wired, winapp2
// entries chosen earlier among its rows, and a configuration that cannot be loaded reported once
// with no window left.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/main.h"
#include "config/shipped_config.h"
#include "platform/portable/memory_registry.h"
#include "platform/portable/portable_clock.h"
#include "platform/portable/portable_file_system.h"
#include "platform/portable/portable_shell.h"
#include "settings/settings_store.h"
#include "support/scratch_folder.h"
#include "ui/headless/headless_host.h"
#include "ui/main_window.h"
#include "ui/menu_holder.h"

namespace lumo {
namespace {

class MainTest : public ::testing::Test {
protected:
    MainTest() {
        shell.windows = "C:\\Windows";
        shell.temporary = dir.Path("temp");
        app.ProgramFolder = dir.Path();
    }
    // The configuration the program ships with.
    void WriteConfig() { std::filesystem::copy_file(testing::ShippedConfigPath(), dir.Path("PrivacyConfig.dat")); }

    testing::ScratchFolder dir;
    MemoryRegistry registry;
    PortableFileSystem files;
    PortableShell shell;
    PortableClock clock{DateTime::FromParts(2024, 2, 29, 8, 0, 0)};
    HeadlessHost host;
    Application app{Platform{.registry = &registry, .files = &files, .shell = &shell, .clock = &clock}, clock.Now()};
    SettingsStore store{registry, "C:\\Lumo\\SweepkitLumo.exe",
                        SettingsLocations::Below(rkCurrentUser, "Software\\SweepkitLumoTests\\main")};
    Program program{app, host, store};
};

// Only the winapp2 entries the user chose (by any letter case) that are present become rows.
TEST_F(MainTest, StartsWithFoldersAndAShownWindowThatOpensTheOthers) {
    WriteConfig();
    dir.Write("winapp2.ini", "[Chosen Two]\r\nFileKey1=%Temp%|*.log\r\n[Not Chosen]\r\nFileKey1=%Temp%|*.tmp\r\n");
    dir.Write("winapp2 selection.txt", "chosen two\r\n");
    ASSERT_TRUE(program.Main());
    EXPECT_EQ(app.folders.WindowsDir + "|" + app.ConfigFilePath, "C:\\Windows|" + dir.Path("PrivacyConfig.dat"));
    MainWindow* w = program.Window();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->Visible() && host.TrayIconShown() && w->Store() == &store);
    std::vector<std::string> rows;
    for (ListItem& row : w->lvwPItem)
        rows.push_back(row.Text());
    EXPECT_EQ(w->lvwPItem.Item(1).Key(), "1-Windows-Recent Documents History");
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "Chosen Two") - std::count(rows.begin(), rows.end(), "Not Chosen"),
              1);
    // Runs from the window hand Customize items to the special parser.
    SeekContext ctx = app.MakeSeekContext();
    ASSERT_NE(ctx.parser, nullptr);
    PrivacyItem probe;
    EXPECT_NE(ctx.parser->CallParser("parserecyclebin", ParserArguments{&probe, false, {}}, ctx), nullptr);

    host.OnModal = [&](Form& form) {
        // About again from the menu while the first one's modal loop runs: that one comes forward.
        w->Menu().menuSTAbout.Click();
        form.Unload();
    };
    w->cmdAbout.Click();
    EXPECT_EQ(host.ModalFrontings(), 1);
    w->cmdItemsSettings.Click();
    w->cmdRunOptions.Click();
    std::string shown;
    for (const auto& f : host.FormsShown())
        shown += f.name + (f.mode == ShowMode::Modal ? " modal " : " modeless ") + f.owner + "|";
    EXPECT_EQ(shown,
              "frmPrivacyLumo modeless |frmAbout modal frmPrivacyLumo|frmItemsSettings modeless "
              "frmPrivacyLumo|frmRunOptions modeless frmPrivacyLumo|");
    EXPECT_TRUE(host.Boxes().empty() && host.HandlerFailures().empty());
}

}  // namespace
}  // namespace lumo
