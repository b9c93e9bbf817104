// The Items Settings window, headless, on real configuration files: load, node clicks, what OK,
// Apply and Cancel leave in the set and in the file, save failures, and the winapp2.ini entries:
// listed by group below "Applications", a warning asked before its entry is chosen, the choice
// saved into the set and the choice file, never into the configuration file.
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

struct Entry {  // a winapp2.ini entry
    Entry(std::string n, std::string g, bool s = false, std::string w = {})
        : name(std::move(n)), group(std::move(g)), selected(s), warning(std::move(w)) {}
    std::string name, group;
    bool selected;
    std::string warning;
};

class ItemsSettings : public ::testing::Test {
protected:
    ItemsSettingsWindow& Open(const Lines& lines, const std::vector<Entry>& entries = {}) {
        config = std::make_unique<ConfigOnDisk>(lines);
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
        auto& w = ShowItemsSettings(window, owner, config->set, config->Path(), [this] { ++rebuilds; });
        w.KeepWinapp2ChoiceIn(files, choiceFile);
        return w;
    }
    Lines SoftwareInSet() const {
        Lines names;
        for (const PrivacyConfig& pc : config->set)
            names.push_back(pc.Software);
        return names;
    }
    bool SelectedInSet(const std::string& name) {
        for (const PrivacyConfig& pc : config->set)
            if (pc.Software == name)
                return pc.Selected;
        throw std::runtime_error("no record " + name);
    }
    void ClickGroup(ItemsSettingsWindow& w, const std::string& group) {
        for (Node* node : w.tvwTree.Roots().back()->Children())
            if (node->Text() == group)
                return w.tvwTree.UserClickNode(*node);
        throw std::runtime_error("no group node " + group);
    }
    // The list's rows as "[x] name ! warning".
    Lines Rows(ItemsSettingsWindow& w) {
        Lines rows;
        for (ListItem& row : w.w2LvwEntries)
            rows.push_back((row.Checked() ? "[x] " : "[ ] ") + row.Text() +
                           (row.SubItemCount() > 0 && !row.SubItems(1).empty() ? " ! " + row.SubItems(1) : ""));
        return rows;
    }
    void Tick(ItemsSettingsWindow& w, const std::string& name, bool on) {
        for (ListItem& row : w.w2LvwEntries)
            if (row.Text() == name)
                return w.w2LvwEntries.UserCheckItem(row, on);
        throw std::runtime_error("no row " + name);
    }

    HeadlessHost host;
    Form owner{host, "frmPrivacyLumo"};
    std::unique_ptr<ConfigOnDisk> config;
    std::unique_ptr<ItemsSettingsWindow> window;
    int rebuilds = 0;
    PortableFileSystem files;
    ScratchFolder folder;
    std::string choiceFile = folder.Path("winapp2 selection.txt");
};

TEST_F(ItemsSettings, LoadShowsTheRootAndPluginsRecordsChoicesInTenRowColumns) {
    BuiltInSelection sel;
    sel.opera = {true, false, true, false};
    Lines apps;
    for (int i = 0; i < 12; ++i)
        apps = apps + PluginLines("App " + std::to_string(i), i % 2 == 0);
    auto& w = Open(BuiltInRecords(sel) + RecordLines("Mine", "Customs", true, {"One"}) + apps);
    for (size_t k = 0; k < 6; ++k)
        EXPECT_EQ(w.Frames()[k]->Visible(), k == 0) << "the first node's frame alone";
    for (int k = 1; k <= 5; ++k)
        for (size_t i = 0; i < w.CategoryBoxes(k).size(); ++i)
            EXPECT_EQ(w.CategoryBoxes(k)[i]->Checked(), k != 3 || sel.opera[i]) << k << " " << i;
    Lines nodes;
    for (const Node* n : w.tvwTree.Roots())
        nodes.push_back(n->Text());
    EXPECT_EQ(nodes, (Lines{"Windows", "Internet Explorer", "Opera", "Netscape", "Mozilla", "Applications"}));
    EXPECT_EQ(w.lblSettings.Caption(), "Windows");
    ASSERT_EQ(w.plugChkSettings.size(), 12u);
    for (size_t j = 0; j < 12; ++j) {
        const CheckBox& box = *w.plugChkSettings[j];
        const CheckBox& first = *w.plugChkSettings[j % 10];
        EXPECT_TRUE(box.Top() == first.Top() && (box.Left() > first.Left()) == (j >= 10)) << j;
        EXPECT_TRUE(j % 10 == 0 || box.Top() > w.plugChkSettings[j - 1]->Top()) << j;
        EXPECT_EQ(box.Caption() + (box.Checked() ? "+" : "-"), "App " + std::to_string(j) + (j % 2 ? "-" : "+"));
    }
    EXPECT_FALSE(w.plugLblNone.Visible());
    EXPECT_EQ(w.pcsTmpRoots().Count(), 5);
}

TEST_F(ItemsSettings, NodeClickShowsTheFrameNamedByTheFirstWordOfTheNode) {
    auto& w = Open(BuiltInRecords() + PluginLines("App", true));
    const std::pair<const char*, int> cases[] = {// node text, frame shown (-1: none)
                                                 {"Windows", 0},    {"Internet Explorer", 1},  {"Opera", 2},
                                                 {"Netscape 4", 3}, {"Mozilla Firefox", 4},    {"Applications", 5},
                                                 {"windows", -1},   {"Internet-Explorer", -1}, {" Windows", -1}};
    for (const auto& [text, frame] : cases) {
        w.tvwTree.UserClickNode(*w.tvwTree.Roots()[5]);
        w.tvwTree.UserClickNode(w.tvwTree.AddNode(nullptr, {}, text));
        EXPECT_EQ(w.lblSettings.Caption(), text);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(w.Frames()[static_cast<size_t>(i)]->Visible(), i == frame) << text << " " << i;
    }
}

TEST_F(ItemsSettings, ApplyRewritesTheRecordsAndOkClosesApplicationsComingAfterCustoms) {
    auto& w = Open(BuiltInRecords() + PluginLines("Early", true) + RecordLines("Mine", "Customs", true, {"One"}) +
                   PluginLines("Late", false));
    for (CheckBox* box : w.winsChkSettings)
        box->Click();
    w.plugChkSettings[0]->Click();
    w.plugChkSettings[1]->Click();
    w.cmdApply.Click();
    EXPECT_FALSE(config->set.item(1).Selected) << "no item left selected";
    Lines file = config->Plain();
    auto at = std::find(file.begin(), file.end(), "Software:Windows");
    ASSERT_NE(at, file.end());
    EXPECT_EQ(at[2], "Selected:0");
    EXPECT_EQ(at[3], "Recent Documents<>0<>0<>Folder><C:\\Recent");
    EXPECT_EQ(at[7], "Temp<>0<>1<>Folder><C:\\Temp><C:\\Temp\\keep.txt<>C:\\Temp\\keep2.txt");
    const Lines order = {"Windows", "Internet Explorer", "Opera", "Netscape", "Mozilla", "Mine", "Early", "Late"};
    EXPECT_EQ(SoftwareInSet(), order);
    EXPECT_EQ(config->SoftwareInFile(), order);
    EXPECT_FALSE(config->set.item(7).Selected);
    EXPECT_TRUE(config->set.item(8).Selected);
    EXPECT_TRUE(w.Loaded());
    EXPECT_EQ(rebuilds, 1);

    w.winsChkSettings[5]->Click();  // one box is enough to select the record again
    w.cmdOk.Click();
    EXPECT_TRUE(config->set.item(1).Selected);
    EXPECT_EQ(SoftwareInSet(), order) << "the second save re-appends the same records once";
    EXPECT_FALSE(w.Loaded());
    EXPECT_EQ(rebuilds, 2);
}

TEST_F(ItemsSettings, CancelLeavesTheSetAndTheFileAsTheyWere) {
    auto& w = Open(BuiltInRecords() + PluginLines("App", true) + RecordLines("Mine", "Customs", true, {"One"}));
    std::string before = config->Bytes();
    for (CheckBox* box : w.inetChkSettings)
        box->Click();
    w.plugChkSettings[0]->Click();
    w.cmdCancel.Click();
    EXPECT_FALSE(w.Loaded());
    EXPECT_EQ(config->Bytes(), before);
    EXPECT_EQ(SoftwareInSet(), (Lines{"Windows", "Internet Explorer", "Opera", "Netscape", "Mozilla", "App", "Mine"}));
    EXPECT_TRUE(config->set.item(2).Items.item(1).Selected && config->set.item(6).Selected);
    EXPECT_EQ(rebuilds, 0);
}

struct SaveFailureCase {
    const char* name;
    bool shortOfItems;  // Mozilla has three items for its four boxes: the load stops too
    const char* block;  // what stands in the way: "tmp" (a folder where the temporary file goes),
                        // "target" (a folder where the file is), or nothing
    const char* reason;  // part of the reason the box gives
};

class ItemsSettingsSaveFailure : public ItemsSettings, public ::testing::WithParamInterface<SaveFailureCase> {};

TEST_P(ItemsSettingsSaveFailure, IsToldInOneBoxAndLeavesTheSetTheFileAndTheChoiceAsTheyWere) {
    const SaveFailureCase& c = GetParam();
    Lines lines = BuiltInRecords();
    if (c.shortOfItems)
        lines.erase(std::find(lines.begin(), lines.end(), "Cookies<>1<>0<>Folder><C:\\Mozilla\\4"));
    auto& w = Open(lines + PluginLines("App", true));
    const std::string path = config->Path(), block = c.block;
    std::string before = config->Bytes();
    if (block == "tmp") {
        std::filesystem::create_directories(path + ".tmp/inside");
    } else if (block == "target") {
        std::filesystem::remove(path);
        std::filesystem::create_directories(path + "/inside");
    }
    size_t boxesBefore = host.Boxes().size();
    w.winsChkSettings[0]->Click();
    w.plugChkSettings[0]->Click();
    w.cmdOk.Click();
    ASSERT_EQ(host.Boxes().size(), boxesBefore + 1) << "one box for the failed OK";
    const auto& box = host.Boxes().back();
    EXPECT_EQ(box.text.rfind("The items settings could not be saved to " + path + ".", 0), 0u) << box.text;
    EXPECT_NE(box.text.find(c.reason), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("press OK or Apply again"), std::string::npos) << box.text;
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    EXPECT_EQ(box.owner, "frmItemsSettings");
    EXPECT_TRUE(w.Loaded()) << "the window stays open";
    EXPECT_EQ(w.winsChkSettings[0]->Value(), CheckValue::Unchecked) << "with the user's choice in it";
    EXPECT_TRUE(config->set.item(1).Items.item(1).Selected) << "the set keeps what the file holds";
    EXPECT_TRUE(config->set.item(6).Selected);
    EXPECT_EQ(SoftwareInSet().size(), 6u);
    EXPECT_EQ(rebuilds, 0);
    EXPECT_TRUE(block == "target" || config->Bytes() == before);
    EXPECT_FALSE(std::filesystem::is_regular_file(path + ".tmp"));
    if (c.shortOfItems)
        return;
    // Once the way is clear, the same choice is saved by the same window.
    std::filesystem::remove_all(block == "tmp" ? path + ".tmp" : path);
    w.cmdOk.Click();
    EXPECT_FALSE(w.Loaded());
    EXPECT_EQ(config->Plain().at(6), "Recent Documents<>0<>0<>Folder><C:\\Recent");
    EXPECT_EQ(rebuilds, 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, ItemsSettingsSaveFailure,
                         ::testing::Values(SaveFailureCase{"temporary_file_refused", false, "tmp", "cannot be written"},
                                           SaveFailureCase{"replace_refused", false, "target", "cannot be replaced"},
                                           SaveFailureCase{"fewer_items_than_boxes", true, "",
                                                           "is not in the collection"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ItemsSettings, Winapp2EntriesAreListedByGroupBelowApplicationsApartFromTheConfigurationsOwn) {
    auto& w =
        Open(BuiltInRecords() + PluginLines("Shipped", true), {{"zeta", "Internet", true},
                                                               {"Alpha", "Internet", false, "Removes saved passwords."},
                                                               {"Odd", "Other"},
                                                               {"Fox Cache", "Firefox", true},
                                                               {"beta", "internet"},
                                                               {"Blank", ""}});
    Node& applications = *w.tvwTree.Roots().back();
    EXPECT_TRUE(applications.Expanded());
    Lines groups;
    for (Node* node : applications.Children())
        groups.push_back(node->Text());
    EXPECT_EQ(groups, (Lines{"Firefox", "Internet", "Other"})) << "one node a group, Other last";
    ASSERT_EQ(w.plugChkSettings.size(), 1u) << "the grid holds only the configuration file's applications";
    ClickGroup(w, "Internet");
    EXPECT_TRUE(w.w2FraSettings.Visible());
    for (Frame* f : w.Frames())
        EXPECT_FALSE(f->Visible()) << f->Caption();
    EXPECT_EQ(w.lblSettings.Caption(), "Applications: Internet");
    EXPECT_EQ(Rows(w), (Lines{"[ ] Alpha ! Removes saved passwords.", "[ ] beta", "[x] zeta"}));
    host.QueueAnswer(MsgAnswer::Yes);
    Tick(w, "Alpha", true);
    ClickGroup(w, "Other");
    EXPECT_EQ(Rows(w), (Lines{"[ ] Blank", "[ ] Odd"}));
    ClickGroup(w, "Internet");
    EXPECT_EQ(Rows(w).front(), "[x] Alpha ! Removes saved passwords.") << "the tick is the window's, not the row's";
    w.tvwTree.UserClickNode(applications);
    EXPECT_FALSE(w.w2FraSettings.Visible());
    EXPECT_TRUE(w.Frames()[5]->Visible());
}

TEST_F(ItemsSettings, AWinapp2WarningIsShownBeforeItsEntryIsChosenAndNoKeepsItUnchosen) {
    const std::tuple<const char*, std::optional<MsgAnswer>, bool> cases[] = {
        // warning; answer (none: no box); chosen
        {"May reset your layout.", MsgAnswer::Yes, true},
        {"May reset your layout.", MsgAnswer::No, false},
        {"", std::nullopt, true}};
    for (const auto& [warning, answer, chosen] : cases) {
        host.ClearBoxes();
        auto& w = Open(BuiltInRecords(), {{"Risky", "Windows", false, warning}});
        ClickGroup(w, "Windows");
        if (answer)
            host.QueueAnswer(*answer);
        Tick(w, "Risky", true);
        ASSERT_EQ(host.Boxes().size(), answer ? 1u : 0u);
        if (answer) {
            const auto& box = host.Boxes()[0];
            EXPECT_NE(box.text.find("\"Risky\""), std::string::npos) << box.text;
            EXPECT_NE(box.text.find(warning), std::string::npos) << box.text;
            EXPECT_EQ(box.buttons, MsgButtons::YesNo);
            EXPECT_EQ(box.defaultButton, MsgDefault::Button2) << "Enter does not choose a risky entry";
        }
        EXPECT_EQ(Rows(w), Lines{(chosen ? "[x] Risky" : "[ ] Risky") + std::string(*warning ? " ! " : "") + warning});
        EXPECT_EQ(w.Winapp2Chosen("risky"), chosen);
        Tick(w, "Risky", false);
        EXPECT_EQ(host.Boxes().size(), answer ? 1u : 0u) << "clearing never asks";
        EXPECT_FALSE(w.Winapp2Chosen("Risky"));
        w.cmdCancel.Click();
    }
}

TEST_F(ItemsSettings, OkSavesTheWinapp2ChoiceIntoTheSetAndTheChoiceFileNeverIntoTheConfigurationFile) {
    WriteBytes(choiceFile, "Gone App\r\nKept\r\n");  // an entry whose application is gone keeps its choice
    auto& w = Open(BuiltInRecords() + PluginLines("Shipped", false),
                   {{"Kept", "Utilities", true}, {"New", "Utilities"}, {"Dropped", "Other", true}});
    ClickGroup(w, "Utilities");
    Tick(w, "New", true);
    ClickGroup(w, "Other");
    Tick(w, "Dropped", false);
    w.plugChkSettings[0]->Click();
    w.cmdApply.Click();
    ASSERT_TRUE(host.HandlerFailures().empty() && host.Boxes().empty());
    EXPECT_TRUE(SelectedInSet("Kept") && SelectedInSet("New") && SelectedInSet("Shipped"));
    EXPECT_FALSE(SelectedInSet("Dropped"));
    Winapp2Selection selection;
    ASSERT_TRUE(selection.Load(files, choiceFile));
    Lines chosen = selection.Names();
    std::sort(chosen.begin(), chosen.end());
    EXPECT_EQ(chosen, (Lines{"Gone App", "Kept", "New"}));
    EXPECT_EQ(config->SoftwareInFile(),
              (Lines{"Windows", "Internet Explorer", "Opera", "Netscape", "Mozilla", "Shipped"}));
    const Lines order = {"Windows", "Internet Explorer", "Opera", "Netscape", "Mozilla", "Shipped", "Kept", "New",
                         "Dropped"};
    EXPECT_EQ(SoftwareInSet(), order) << "once each, the configuration file's first";
    w.cmdOk.Click();
    EXPECT_EQ(SoftwareInSet(), order);
    EXPECT_FALSE(w.Loaded());
}

TEST_F(ItemsSettings, CancelAndAFailedSaveLeaveTheSetAndTheWinapp2ChoiceFileAsTheyWere) {
    for (bool failing : {false, true}) {
        WriteBytes(choiceFile, "Kept\r\n");
        auto& w = Open(BuiltInRecords(), {{"Kept", "Utilities", true}, {"New", "Utilities"}});
        if (failing)  // a folder where the temporary choice file goes
            std::filesystem::create_directories(choiceFile + ".tmp/inside");
        ClickGroup(w, "Utilities");
        Tick(w, "New", true);
        (failing ? w.cmdOk : w.cmdCancel).Click();
        EXPECT_FALSE(SelectedInSet("New")) << failing;
        EXPECT_EQ(ReadBytes(choiceFile), "Kept\r\n") << failing;
        EXPECT_EQ(w.Loaded(), failing) << "a failed save keeps the window open";
        if (failing) {
            ASSERT_FALSE(host.Boxes().empty());
            EXPECT_NE(host.Boxes().back().text.find("winapp2 selection.txt"), std::string::npos);
            EXPECT_TRUE(w.Winapp2Chosen("New")) << "the choice is still in the window";
            std::filesystem::remove_all(choiceFile + ".tmp");
        }
    }
}

}  // namespace
}  // namespace lumo
