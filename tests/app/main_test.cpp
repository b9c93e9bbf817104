// Start-up headless: settings and folders prepared, the window shown with the windows it opens
// wired, and a configuration that cannot be loaded reported once with no window left.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/main.h"
#include "config/shipped_config.h"
#include "support/enciphered_lines.h"
#include "platform/portable/memory_registry.h"
#include "platform/portable/portable_clock.h"
#include "platform/portable/portable_file_system.h"
#include "platform/portable/portable_shell.h"
#include "registry/reg_key.h"
#include "settings/settings_store.h"
#include "ui/headless/headless_host.h"
#include "ui/items_settings_window.h"
#include "ui/main_window.h"
#include "ui/menu_holder.h"

namespace lumo {
namespace {

using testing::ScratchFolder;

class MainTest : public ::testing::Test {
protected:
    MainTest() : clock(DateTime::FromParts(2024, 2, 29, 8, 0, 0)) {
        shell.windows = "C:\\Windows";
        Platform p;
        p.registry = &registry;
        p.files = &files;
        p.shell = &shell;
        p.clock = &clock;
        app = std::make_unique<Application>(p, clock.Now());
        app->ProgramFolder = dir.FsPath().string();
    }
    // The configuration the program ships with.
    void WriteConfig() { std::filesystem::copy_file(testing::ShippedConfigPath(), dir.Path("PrivacyConfig.dat")); }

    ScratchFolder dir;
    MemoryRegistry registry;
    PortableFileSystem files;
    PortableShell shell;
    PortableClock clock;
    HeadlessHost host;
    std::unique_ptr<Application> app;
    SettingsStore store{registry, "C:\\Lumo\\SweepkitLumo.exe",
                        SettingsLocations::Below(rkCurrentUser, "Software\\SweepkitLumoTests\\main")};
};

TEST_F(MainTest, StartsWithFoldersSettingsAndAShownWindow) {
    WriteConfig();
    AppSettings stored;
    stored.EnableFileLogging = true;
    stored.ScheduleType = "daily";
    RegHandle h = 0;
    ASSERT_EQ(registry.CreateKey(RootHandle(rkCurrentUser), "Software\\SweepkitLumoTests\\main\\HKCU\\Software",
                                 keyAllAccess, h),
              0);
    registry.CloseKey(h);
    store.SaveSystemSettings(stored);

    Program program(*app, host, store);
    ASSERT_TRUE(program.Main());
    EXPECT_EQ(app->folders.WindowsDir, "C:\\Windows");
    EXPECT_TRUE(app->settings.EnableFileLogging);
    EXPECT_EQ(app->LastScheduledRun, DateTime::FromParts(2024, 2, 28, 8, 0, 0));
    MainWindow* w = program.Window();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->Visible());
    ASSERT_GT(w->lvwPItem.ItemCount(), 5);
    EXPECT_EQ(w->lvwPItem.Item(1).Key(), "1-Windows-Recent Documents History");
    EXPECT_EQ(w->lvwPItem.Item(1).Icon(), "win");
    EXPECT_EQ(w->Store(), &store);
    // Runs from the window hand Customize items to the special parser.
    SeekContext ctx = app->MakeSeekContext();
    ASSERT_NE(ctx.parser, nullptr);
    PrivacyItem probe;
    EXPECT_NE(ctx.parser->CallParser("parserecyclebin", ParserArguments{&probe, false, {}}, ctx), nullptr);
    EXPECT_TRUE(w->Menu().menuFileLogging.Checked()) << "the holder shows the loaded settings";
    EXPECT_TRUE(w->Menu().menuSTScheduleDaily.Checked());
    EXPECT_TRUE(host.TrayIconShown());
    EXPECT_TRUE(host.Boxes().empty());
    EXPECT_FALSE(host.Ended());

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
    for (const std::string& f : host.HandlerFailures())
        ADD_FAILURE() << f;
}

TEST_F(MainTest, MissingConfigurationShowsOneBoxAndLeavesNoWindow) {
    Program program(*app, host, store);
    EXPECT_FALSE(program.Main());
    EXPECT_EQ(program.Window(), nullptr);
    ASSERT_EQ(host.Boxes().size(), 1u);
    const auto& box = host.Boxes()[0];
    EXPECT_EQ(box.text.rfind("Error 53: ", 0), 0u) << box.text;
    EXPECT_NE(box.text.find("PrivacyConfig.dat"), std::string::npos) << box.text;
    EXPECT_EQ(box.caption, "Sweepkit Lumo");
    EXPECT_EQ(box.buttons, MsgButtons::OkOnly);
    EXPECT_TRUE(host.Ended());
    EXPECT_EQ(host.ExitCode(), 1);
    EXPECT_FALSE(host.TrayIconShown());
    EXPECT_EQ(host.FormsShown().size(), 0u);
}

TEST_F(MainTest, Winapp2EntriesChosenEarlierAreRowsAtStartAndItemsSettingsAddsMore) {
    WriteConfig();
    shell.temporary = dir.Path("temp");
    std::ofstream(dir.Path("winapp2.ini"), std::ios::binary)
        << "; hand-written entries\r\n"
           "[Always One]\r\nLangSecRef=3024\r\nFileKey1=%Temp%|*.tmp\r\n"
           "[Chosen Two]\r\nLangSecRef=3021\r\nFileKey1=%Temp%|*.log\r\n"
           "[Absent Three]\r\nDetectFile=%Temp%\\NoSuchProgram\\app.exe\r\n"
           "FileKey1=%Temp%|*.x\r\n"
           "[Broken]\r\nFileKey1\r\n";
    std::ofstream(dir.Path("winapp2 selection.txt"), std::ios::binary) << "chosen two\r\n";
    Program program(*app, host, store);
    ASSERT_TRUE(program.Main());
    MainWindow& w = *program.Window();
    auto rows = [&w] {
        std::vector<std::string> texts;
        for (ListItem& row : w.lvwPItem)
            if (row.Icon() == "app")
                texts.push_back(row.Text());
        return texts;
    };
    const std::vector<std::string> shipped = rows();
    EXPECT_EQ(std::count(shipped.begin(), shipped.end(), "Chosen Two"), 1)
        << "chosen by another letter case; read " << app->Winapp2File() << ", choice in " << app->Winapp2SelectionFile()
        << ", " << app->winapp2.Count(Winapp2Outcome::State::Present) << " present";
    EXPECT_EQ(std::count(shipped.begin(), shipped.end(), "Always One"), 0) << "nothing is chosen until the user does";
    EXPECT_EQ(std::count(shipped.begin(), shipped.end(), "Absent Three"), 0);
    bool brokenReported = false;
    for (int32_t i = 0; i < w.lstLog.ListCount(); ++i)
        brokenReported = brokenReported || w.lstLog.List(i).find("Broken") != std::string::npos;
    EXPECT_TRUE(brokenReported) << "the skipped entry is named in the text log";

    w.cmdItemsSettings.Click();
    ItemsSettingsWindow* items = program.ItemsSettings();
    ASSERT_NE(items, nullptr);
    EXPECT_EQ(items->Winapp2Groups(), (std::vector<std::string>{"Applications", "Utilities"}));
    items->tvwTree.UserClickNode(*items->tvwTree.Roots().back()->Children().back());
    ASSERT_EQ(items->w2LvwEntries.ItemCount(), 1);
    items->w2LvwEntries.UserCheckItem(items->w2LvwEntries.Item(1), true);
    items->cmdOk.Click();
    ASSERT_TRUE(host.HandlerFailures().empty());
    std::vector<std::string> after = rows();
    EXPECT_EQ(after.size(), shipped.size() + 1);
    EXPECT_EQ(std::count(after.begin(), after.end(), "Always One"), 1);
    std::ifstream choice(dir.Path("winapp2 selection.txt"), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(choice)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Always One\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Chosen Two\r\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace lumo
