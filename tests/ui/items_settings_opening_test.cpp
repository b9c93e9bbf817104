// Both settings windows as the main window opens them: Items Settings modeless from its button,
// rebuilding the main list after Apply and OK; Run Options modeless from its button and modal
// from Preferences with the schedule timer stopped while it is open.
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

}  // namespace
}  // namespace lumo
