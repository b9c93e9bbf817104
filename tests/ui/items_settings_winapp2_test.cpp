// The winapp2.ini entries in Items Settings, headless: listed by group below "Applications" in a
// list of check boxes, a warning asked before its entry is chosen, and the choice saved into the
// set and the choice file, never into the configuration file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "config/winapp2_selection.h"
#include "items_settings_test_config.h"
#include "platform/portable/portable_file_system.h"
#include "ui/headless/headless_host.h"
#include "ui/items_settings_window.h"

namespace lumo {
namespace {

using namespace lumo::testing;

struct Entry {
    Entry(std::string n, std::string g, bool s = false, std::string w = {})
        : name(std::move(n)), group(std::move(g)), selected(s), warning(std::move(w)) {}
    std::string name;
    std::string group;
    bool selected = false;
    std::string warning;
};

class ItemsSettingsWinapp2 : public ::testing::Test {
protected:
    ItemsSettingsWindow& Open(const std::vector<Entry>& entries, const Lines& more = {}) {
        config = std::make_unique<ConfigOnDisk>(BuiltInRecords() + more);
        for (const Entry& e : entries) {
            auto record = std::make_unique<PrivacyConfig>();
            record->Software = e.name;
            record->SoftwareType = stPlugins;
            record->Origin = RecordOrigin::Winapp2;
            record->Group = e.group;
            record->Selected = e.selected;
            record->Warning = e.warning;
            config->set.Add(std::move(record));
        }
        owner.Load();
        ItemsSettingsWindow& w = ShowItemsSettings(window, owner, config->set, config->Path(), [] {});
        w.KeepWinapp2ChoiceIn(files, choiceFile);
        return w;
    }
    Node& GroupNode(ItemsSettingsWindow& w, const std::string& group) {
        for (Node* node : w.tvwTree.Roots().back()->Children())
            if (node->Text() == group)
                return *node;
        throw std::runtime_error("no group node " + group);
    }
    std::vector<std::string> Rows(ItemsSettingsWindow& w) {
        std::vector<std::string> rows;
        for (ListItem& row : w.w2LvwEntries)
            rows.push_back((row.Checked() ? "[x] " : "[ ] ") + row.Text() +
                           (row.SubItemCount() > 0 && !row.SubItems(1).empty() ? " ! " + row.SubItems(1) : ""));
        return rows;
    }
    ListItem& Row(ItemsSettingsWindow& w, const std::string& name) {
        for (ListItem& row : w.w2LvwEntries)
            if (row.Text() == name)
                return row;
        throw std::runtime_error("no row " + name);
    }
    bool SelectedInSet(const std::string& name) {
        for (const PrivacyConfig& pc : config->set)
            if (pc.Software == name)
                return pc.Selected;
        throw std::runtime_error("no record " + name);
    }
    std::vector<std::string> Chosen() {
        Winapp2Selection selection;
        EXPECT_TRUE(selection.Load(files, choiceFile));
        return selection.Names();
    }

    HeadlessHost host;
    Form owner{host, "frmPrivacyLumo"};
    std::unique_ptr<ConfigOnDisk> config;
    std::unique_ptr<ItemsSettingsWindow> window;
    PortableFileSystem files;
    ScratchFolder folder;
    std::string choiceFile = folder.Path("winapp2 selection.txt");
};

TEST_F(ItemsSettingsWinapp2, EntriesAreListedByGroupBelowApplicationsApartFromTheConfigurationsOwnApplications) {
    auto& w = Open({{"zeta", "Internet", true},
                    {"Alpha", "Internet", false, "Removes saved passwords."},
                    {"Odd", "Other"},
                    {"Fox Cache", "Firefox", true},
                    {"beta", "internet"}},
                   PluginLines("Shipped", true));
    Node& applications = *w.tvwTree.Roots().back();
    ASSERT_EQ(applications.Text(), "Applications");
    EXPECT_TRUE(applications.Expanded());
    std::vector<std::string> groups;
    for (Node* node : applications.Children())
        groups.push_back(node->Text());
    EXPECT_EQ(groups, (std::vector<std::string>{"Firefox", "Internet", "Other"})) << "one node a group, Other last";
    ASSERT_EQ(w.plugChkSettings.size(), 1u) << "the grid holds only the configuration file's applications";
    EXPECT_EQ(w.plugChkSettings[0]->Caption(), "Shipped");

    w.tvwTree.UserClickNode(GroupNode(w, "Internet"));
    EXPECT_TRUE(w.w2FraSettings.Visible());
    for (Frame* f : w.Frames())
        EXPECT_FALSE(f->Visible()) << f->Caption();
    EXPECT_EQ(w.lblSettings.Caption(), "Applications: Internet");
    EXPECT_EQ(Rows(w), (std::vector<std::string>{"[ ] Alpha ! Removes saved passwords.", "[ ] beta", "[x] zeta"}));

    w.tvwTree.UserClickNode(GroupNode(w, "Firefox"));
    EXPECT_EQ(Rows(w), (std::vector<std::string>{"[x] Fox Cache"}));
    w.tvwTree.UserClickNode(applications);
    EXPECT_FALSE(w.w2FraSettings.Visible());
    EXPECT_TRUE(w.Frames()[5]->Visible());
}

TEST_F(ItemsSettingsWinapp2, AGroupOfThousandsIsOneScrollingListAndKeepsTicksAcrossGroupSwitches) {
    std::vector<Entry> entries;
    for (int i = 0; i < 3000; ++i)
        entries.push_back({"App " + std::to_string(10000 + i), "Applications", i == 2999});
    entries.push_back({"Other one", "Utilities"});
    auto& w = Open(entries);
    w.tvwTree.UserClickNode(GroupNode(w, "Applications"));
    ASSERT_EQ(w.w2LvwEntries.ItemCount(), 3000);
    EXPECT_EQ(w.w2LvwEntries.Item(1).Text(), "App 10000");
    EXPECT_TRUE(w.w2LvwEntries.Item(3000).Checked());
    w.w2LvwEntries.UserCheckItem(w.w2LvwEntries.Item(1), true);
    w.tvwTree.UserClickNode(GroupNode(w, "Utilities"));
    EXPECT_EQ(w.w2LvwEntries.ItemCount(), 1);
    w.tvwTree.UserClickNode(GroupNode(w, "Applications"));
    EXPECT_TRUE(w.w2LvwEntries.Item(1).Checked()) << "the tick is the window's, not the row's";
    EXPECT_TRUE(w.Winapp2Chosen("app 10000"));
}

TEST_F(ItemsSettingsWinapp2, AWarningIsShownBeforeItsEntryIsChosenAndNoKeepsItUnchosen) {
    struct Case {
        const char* name;
        bool warned;
        std::optional<MsgAnswer> answer;  // none: no box expected
        bool chosen;
    };
    const Case cases[] = {
        {"warned, Yes", true, MsgAnswer::Yes, true},
        {"warned, No", true, MsgAnswer::No, false},
        {"no warning", false, std::nullopt, true},
    };
    for (const Case& c : cases) {
        host.ClearBoxes();
        auto& w = Open({{"Risky", "Windows", false, c.warned ? "May reset your layout." : ""}});
        w.tvwTree.UserClickNode(GroupNode(w, "Windows"));
        if (c.answer)
            host.QueueAnswer(*c.answer);
        w.w2LvwEntries.UserCheckItem(Row(w, "Risky"), true);
        ASSERT_EQ(host.Boxes().size(), c.answer ? 1u : 0u) << c.name;
        if (c.answer) {
            const auto& box = host.Boxes()[0];
            EXPECT_NE(box.text.find("\"Risky\""), std::string::npos) << box.text;
            EXPECT_NE(box.text.find("May reset your layout."), std::string::npos) << box.text;
            EXPECT_EQ(box.buttons, MsgButtons::YesNo);
            EXPECT_EQ(box.defaultButton, MsgDefault::Button2) << "Enter does not choose a risky entry";
            EXPECT_EQ(box.owner, "frmItemsSettings");
        }
        EXPECT_EQ(Row(w, "Risky").Checked(), c.chosen) << c.name;
        EXPECT_EQ(w.Winapp2Chosen("Risky"), c.chosen) << c.name;
        // Clearing never asks.
        w.w2LvwEntries.UserCheckItem(Row(w, "Risky"), false);
        EXPECT_EQ(host.Boxes().size(), c.answer ? 1u : 0u) << c.name;
        EXPECT_FALSE(w.Winapp2Chosen("Risky"));
        w.cmdCancel.Click();
    }
    EXPECT_TRUE(host.HandlerFailures().empty());
}

TEST_F(ItemsSettingsWinapp2, OkSavesTheChoiceIntoTheSetAndTheChoiceFileNeverIntoTheConfigurationFile) {
    // An entry chosen earlier whose application is gone for now keeps its choice.
    WriteBytes(choiceFile, "Gone App\r\nKept\r\n");
    auto& w = Open({{"Kept", "Utilities", true}, {"New", "Utilities"}, {"Dropped", "Other", true}},
                   PluginLines("Shipped", false));
    w.tvwTree.UserClickNode(GroupNode(w, "Utilities"));
    w.w2LvwEntries.UserCheckItem(Row(w, "New"), true);
    w.tvwTree.UserClickNode(GroupNode(w, "Other"));
    w.w2LvwEntries.UserCheckItem(Row(w, "Dropped"), false);
    w.plugChkSettings[0]->Click();
    const std::string before = config->Bytes();
    w.cmdApply.Click();
    ASSERT_TRUE(host.HandlerFailures().empty());
    ASSERT_TRUE(host.Boxes().empty());

    EXPECT_TRUE(SelectedInSet("Kept"));
    EXPECT_TRUE(SelectedInSet("New"));
    EXPECT_FALSE(SelectedInSet("Dropped"));
    EXPECT_TRUE(SelectedInSet("Shipped"));
    std::vector<std::string> chosen = Chosen();
    std::sort(chosen.begin(), chosen.end());
    EXPECT_EQ(chosen, (std::vector<std::string>{"Gone App", "Kept", "New"}));
    for (const std::string& name : config->SoftwareInFile())
        EXPECT_TRUE(name != "Kept" && name != "New" && name != "Dropped") << name;
    EXPECT_NE(config->Bytes(), before) << "the configuration's own application was saved";

    // The set keeps its records once each, the configuration file's first; a second save is the same.
    std::vector<std::string> order;
    for (const PrivacyConfig& pc : config->set)
        order.push_back(pc.Software);
    const std::vector<std::string> expected = {"Windows", "Internet Explorer", "Opera", "Netscape",
                                               "Mozilla", "Shipped",           "Kept",  "New",
                                               "Dropped"};
    EXPECT_EQ(order, expected);
    w.cmdOk.Click();
    order.clear();
    for (const PrivacyConfig& pc : config->set)
        order.push_back(pc.Software);
    EXPECT_EQ(order, expected);
    EXPECT_FALSE(w.Loaded());
}

TEST_F(ItemsSettingsWinapp2, CancelAndAFailedSaveLeaveTheSetAndTheChoiceFileAsTheyWere) {
    for (bool failing : {false, true}) {
        std::filesystem::remove_all(choiceFile);
        WriteBytes(choiceFile, "Kept\r\n");
        auto& w = Open({{"Kept", "Utilities", true}, {"New", "Utilities"}});
        if (failing)  // a folder where the temporary choice file goes
            std::filesystem::create_directories(choiceFile + ".tmp/inside");
        w.tvwTree.UserClickNode(GroupNode(w, "Utilities"));
        w.w2LvwEntries.UserCheckItem(Row(w, "New"), true);
        if (failing)
            w.cmdOk.Click();
        else
            w.cmdCancel.Click();
        EXPECT_FALSE(SelectedInSet("New")) << failing;
        EXPECT_EQ(ReadBytes(choiceFile), "Kept\r\n") << failing;
        EXPECT_EQ(w.Loaded(), failing) << "a failed save keeps the window open";
        if (failing) {
            ASSERT_FALSE(host.Boxes().empty());
            EXPECT_NE(host.Boxes().back().text.find("winapp2 selection.txt"), std::string::npos)
                << host.Boxes().back().text;
            EXPECT_TRUE(w.Winapp2Chosen("New")) << "the choice is still in the window";
            std::filesystem::remove_all(choiceFile + ".tmp");
            w.cmdCancel.Click();
        }
    }
}

}  // namespace
}  // namespace lumo
