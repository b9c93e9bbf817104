// Both settings windows as the main window opens them: Items Settings modeless from its button,
// rebuilding the main list after Apply and OK; Run Options modeless from its button and modal
// from Preferences with the schedule timer stopped while it is open; OK and Apply of both off
// while a run walks the set.
#include <gtest/gtest.h>

#include "items_settings_test_config.h"
#include "main_window_fixture.h"
#include "settings/settings_store.h"
#include "ui/items_settings_window.h"
#include "ui/run_options_window.h"

namespace lumo {
namespace {

using testing::BuiltInRecords;
using testing::PluginLines;
using testing::operator+;

class SettingsWindowsFromMain : public testing::MainWindowTest {
protected:
    std::vector<std::string> RowTexts() {
        std::vector<std::string> texts;
        for (ListItem& item : window->lvwPItem)
            texts.push_back(item.Text());
        return texts;
    }
    bool HasRow(const std::string& text) {
        std::vector<std::string> texts = RowTexts();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }
};

TEST_F(SettingsWindowsFromMain, ItemsSettingsOpensModelessAndTheListFollowsApplyAndOk) {
    WriteConfig(BuiltInRecords() + PluginLines("Tool", true));
    MainWindow& main = Open();
    auto slot = ConnectItemsSettings(main);
    ASSERT_TRUE(HasRow("Windows Recent Documents"));
    ASSERT_TRUE(HasRow("Tool"));

    main.cmdItemsSettings.Click();
    ASSERT_TRUE(*slot);
    ItemsSettingsWindow& items = **slot;
    EXPECT_TRUE(items.Visible());
    EXPECT_EQ(items.Owner(), &main);
    EXPECT_FALSE(items.Modal());
    EXPECT_TRUE(main.Enabled()) << "the main window stays usable beside it";

    items.winsChkSettings[0]->Click();
    EXPECT_TRUE(HasRow("Windows Recent Documents")) << "nothing changes before Apply";
    items.cmdApply.Click();
    EXPECT_FALSE(HasRow("Windows Recent Documents"));
    EXPECT_TRUE(HasRow("Windows Recycle Bin"));

    items.plugChkSettings[0]->Click();
    items.cmdOk.Click();
    EXPECT_FALSE(HasRow("Tool"));
    EXPECT_FALSE(items.Loaded());
    EXPECT_TRUE(host.HandlerFailures().empty());
}

TEST_F(SettingsWindowsFromMain, RunOptionsOpensModelessFromItsButtonAndModalFromPreferences) {
    WriteConfig(BuiltInRecords());
    MainWindow& main = Open();
    SettingsStore store(registry, "C:\\Lumo\\SweepkitLumo.exe");
    auto slot = ConnectRunOptions(main, store);

    main.cmdRunOptions.Click();
    ASSERT_TRUE(*slot);
    EXPECT_EQ((*slot)->Owner(), &main);
    EXPECT_FALSE((*slot)->Modal());
    EXPECT_EQ((*slot)->Caption(), "Run Options");
    (*slot)->cmdCancel.Click();

    ASSERT_TRUE(main.tmrSchedule.Enabled());
    bool timerStopped = false, modal = false;
    host.OnModal = [&](Form& form) {
        timerStopped = !main.tmrSchedule.Enabled();
        modal = form.Modal() && form.Name() == "frmRunOptions";
        form.Unload();
    };
    main.Menu().menuPreference.Click();
    EXPECT_TRUE(modal);
    EXPECT_TRUE(timerStopped);
    EXPECT_TRUE(main.tmrSchedule.Enabled()) << "the timer runs again once the window is closed";
    EXPECT_TRUE(host.HandlerFailures().empty());
}

TEST_F(SettingsWindowsFromMain, OkAndApplyOfBothWindowsWaitForTheEndOfARun) {
    MakeFile("tool/a.tmp", 5);
    WriteConfig(BuiltInRecords() + testing::Lines{"[Config]", "Software:Tool", "Type:Plugins", "Selected:1",
                                                  "Files<>1<>0<>Folder><" + Tree("tool")});
    MainWindow& main = Open();
    SettingsStore store(registry, "C:\\Lumo\\SweepkitLumo.exe");
    auto itemsSlot = ConnectItemsSettings(main);
    auto optionsSlot = ConnectRunOptions(main, store);
    main.cmdItemsSettings.Click();  // open before the run
    ItemsSettingsWindow& items = **itemsSlot;
    const std::string file = JoinPath(Prog(), "PrivacyConfig.dat");
    const std::string before = testing::ReadBytes(file);

    std::vector<bool> usableDuringRun;
    host.OnDoEvents = [&](int) {
        main.cmdRunOptions.Click();  // opened while the run goes on
        RunOptionsWindow& options = **optionsSlot;
        // Unselecting the record the run is walking, then every way to write it into the set.
        items.plugChkSettings[0]->Click();
        for (Button* b : {&items.cmdOk, &items.cmdApply, &options.cmdOk, &options.cmdApply}) {
            usableDuringRun.push_back(b->Usable());
            b->Click();
        }
        EXPECT_TRUE(items.lblRunGoing.Shown());
        EXPECT_TRUE(options.lblRunGoing.Shown());
        EXPECT_EQ(items.lblRunGoing.Caption(), "OK and Apply are off while a Show or Clear run is going.");
    };
    main.cmdShow.Click();
    host.OnDoEvents = nullptr;

    EXPECT_EQ(usableDuringRun, std::vector<bool>(4, false));
    EXPECT_EQ(Panel(2), "1") << "the walk of the Tool record went to its end";
    EXPECT_EQ(testing::ReadBytes(file), before);
    EXPECT_TRUE(app->ConfigSet().item(6).Selected);
    EXPECT_TRUE(items.Loaded());

    RunOptionsWindow& options = **optionsSlot;
    EXPECT_FALSE(items.lblRunGoing.Shown());
    EXPECT_FALSE(options.lblRunGoing.Shown());
    ASSERT_TRUE(items.cmdOk.Usable() && options.cmdOk.Usable());
    items.cmdOk.Click();
    EXPECT_FALSE(app->ConfigSet().item(6).Selected) << "the choice made during the run is saved after it";
    EXPECT_FALSE(items.Loaded());
    EXPECT_TRUE(host.HandlerFailures().empty());
}

}  // namespace
}  // namespace lumo
