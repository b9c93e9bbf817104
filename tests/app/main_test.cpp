// Start-up headless: folders prepared, the window shown with the windows it opens
// wired, winapp2 entries chosen earlier among its rows, and a configuration that cannot be loaded
// reported once with no window left.
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

TEST_F(MainTest, StartsWithFoldersAndAShownWindowThatOpensTheOthers) {
    WriteConfig();
    ASSERT_TRUE(program.Main());
    EXPECT_EQ(app.folders.WindowsDir, "C:\\Windows");
    EXPECT_EQ(app.ConfigFilePath, dir.Path("PrivacyConfig.dat")) << "a folder the user may write keeps the files";
    MainWindow* w = program.Window();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->Visible());
    ASSERT_GT(w->lvwPItem.ItemCount(), 5);
    EXPECT_EQ(w->lvwPItem.Item(1).Key(), "1-Windows-Recent Documents History");
    EXPECT_EQ(w->Store(), &store);
    // Runs from the window hand Customize items to the special parser.
    SeekContext ctx = app.MakeSeekContext();
    ASSERT_NE(ctx.parser, nullptr);
    PrivacyItem probe;
    EXPECT_NE(ctx.parser->CallParser("parserecyclebin", ParserArguments{&probe, false, {}}, ctx), nullptr);
    EXPECT_TRUE(host.TrayIconShown());

    host.OnModal = [&](Form& form) {
        // About again from the menu while the first one's modal loop runs: that one comes forward.
        w->Menu().menuSTAbout.Click();
        form.Unload();
    };
    w->cmdAbout.Click();
    EXPECT_EQ(host.ModalFrontings(), 1);
    w->cmdItemsSettings.Click();
    w->cmdRunOptions.Click();
    std::vector<std::string> shown;
    for (const auto& f : host.FormsShown())
        shown.push_back(f.name + (f.mode == ShowMode::Modal ? " modal " : " modeless ") + f.owner);
    EXPECT_EQ(shown, (std::vector<std::string>{"frmPrivacyLumo modeless ", "frmAbout modal frmPrivacyLumo",
                                               "frmItemsSettings modeless frmPrivacyLumo",
                                               "frmRunOptions modeless frmPrivacyLumo"}));
    EXPECT_TRUE(host.Boxes().empty() && host.HandlerFailures().empty());
}

TEST_F(MainTest, MissingConfigurationShowsOneBoxAndLeavesNoWindow) {
    EXPECT_FALSE(program.Main());
    EXPECT_EQ(program.Window(), nullptr);
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(host.Boxes()[0].text.rfind("Error 53: ", 0), 0u) << host.Boxes()[0].text;
    EXPECT_NE(host.Boxes()[0].text.find("PrivacyConfig.dat"), std::string::npos);
    EXPECT_EQ(host.Boxes()[0].caption, "Sweepkit Lumo");
    EXPECT_EQ(std::tuple(host.Ended(), host.ExitCode(), host.TrayIconShown(), host.FormsShown().size()),
              std::tuple(true, 1, false, size_t{0}));
}

// Only the entries the user chose (by any letter case) that are present become rows; a broken one
// is named in the text log.
TEST_F(MainTest, Winapp2EntriesChosenEarlierAreRowsAtStart) {
    WriteConfig();
    dir.Write("winapp2.ini",
              "[Always One]\r\nFileKey1=%Temp%|*.tmp\r\n[Chosen Two]\r\nFileKey1=%Temp%|*.log\r\n[Absent Three]\r\n"
              "DetectFile=%Temp%\\NoSuchProgram\\app.exe\r\nFileKey1=%Temp%|*.x\r\n[Broken]\r\nFileKey1\r\n");
    dir.Write("winapp2 selection.txt", "chosen two\r\nabsent three\r\n");
    ASSERT_TRUE(program.Main());
    std::vector<std::string> rows, log;
    for (ListItem& row : program.Window()->lvwPItem)
        if (row.Icon() == "app")
            rows.push_back(row.Text());
    for (const std::string name : {"Always One", "Chosen Two", "Absent Three"})
        EXPECT_EQ(std::count(rows.begin(), rows.end(), name), name == "Chosen Two") << name;
    for (int32_t i = 0; i < program.Window()->lstLog.ListCount(); ++i)
        log.push_back(program.Window()->lstLog.List(i));
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](auto& l) { return l.find("Broken") != std::string::npos; }));
}

}  // namespace
}  // namespace lumo
