// The Items Settings window, headless, on real configuration files: load, node clicks,
// and what OK, Apply and Cancel leave in the set and in the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "items_settings_test_config.h"
#include "ui/headless/headless_host.h"
#include "ui/items_settings_window.h"

namespace lumo {
namespace {

using namespace lumo::testing;

// `count` Plugins records "App 0", "App 1" …, every other one selected.
Lines Apps(int count) {
    Lines lines;
    for (int i = 0; i < count; ++i)
        lines = lines + PluginLines("App " + std::to_string(i), i % 2 == 0);
    return lines;
}

class ItemsSettings : public ::testing::Test {
protected:
    ItemsSettingsWindow& Open(const Lines& lines) {
        config = std::make_unique<ConfigOnDisk>(lines);
        owner.Load();
        return ShowItemsSettings(window, owner, config->set, config->Path(), [this] { ++rebuilds; });
    }
    std::vector<std::string> SoftwareInSet() const {
        std::vector<std::string> names;
        for (const PrivacyConfig& pc : config->set)
            names.push_back(pc.Software);
        return names;
    }
    HeadlessHost host;
    Form owner{host, "frmPrivacyLumo"};
    std::unique_ptr<ConfigOnDisk> config;
    std::unique_ptr<ItemsSettingsWindow> window;
    int rebuilds = 0;
};

TEST_F(ItemsSettings, LoadLaysOutTheTreeFramesAndBoxesFromTheRootAndPluginsRecords) {
    BuiltInSelection sel;
    sel.opera = {true, false, true, false};
    auto& w = Open(BuiltInRecords(sel) + RecordLines("Mine", "Customs", true, {"One"}) + Apps(12));
    EXPECT_EQ(w.Caption(), "Clear Items Settings");
    EXPECT_EQ(w.lblSettings.Font().name, "Verdana");
    const char* frameCaptions[] = {"Windows Settings",  "Internet Explorer Settings", "Opera Settings",
                                   "Netscape Settings", "Mozilla Settings",           "Application Settings"};
    for (size_t k = 0; k < 6; ++k) {
        EXPECT_EQ(w.Frames()[k]->Caption(), frameCaptions[k]);
        EXPECT_EQ(w.Frames()[k]->Visible(), k == 0) << "the first node's frame alone";
    }
    const std::vector<std::string> captions[] = {{"Recent Documents History", "Recent Search History",
                                                  "Recent Run History", "Open/Save Dialog Box History",
                                                  "Window Temp Files", "Recycle Bin"},
                                                 {"Address Bar History", "Internet Browser History",
                                                  "AutoComplete History", "Temporary Internet Files(Cache Files)",
                                                  "Downloaded Program Files", "Cookies"},
                                                 {"Global History", "Cookies File", "Address Bar File", "Cache Files"},
                                                 {"Address Bar", "History Files", "Cache Files", "Cookies"},
                                                 {"Address Bar", "History Files", "Cache Files", "Cookies"}};
    for (int k = 1; k <= 5; ++k) {
        const std::vector<CheckBox*>& boxes = w.CategoryBoxes(k);
        ASSERT_EQ(boxes.size(), captions[k - 1].size());
        for (size_t i = 0; i < boxes.size(); ++i) {
            EXPECT_EQ(boxes[i]->Caption(), captions[k - 1][i]);
            EXPECT_EQ(boxes[i]->Container(), w.Frames()[static_cast<size_t>(k - 1)]);
            bool selected = k != 3 || sel.opera[i];
            EXPECT_EQ(boxes[i]->Checked(), selected) << boxes[i]->Caption();
        }
    }
    std::vector<std::string> nodes;
    for (const Node* n : w.tvwTree.Roots())
        nodes.push_back(n->Text());
    EXPECT_EQ(nodes, (Lines{"Windows", "Internet Explorer", "Opera", "Netscape", "Mozilla", "Applications"}));
    EXPECT_EQ(w.tvwTree.SelectedItem(), w.tvwTree.Roots()[0]);
    EXPECT_EQ(w.lblSettings.Caption(), "Windows");

    // Twelve applications: ten to a column, boxes 10 and 11 beside boxes 0 and 1.
    ASSERT_EQ(w.plugChkSettings.size(), 12u);
    for (int j = 0; j < 12; ++j) {
        const CheckBox& box = *w.plugChkSettings[static_cast<size_t>(j)];
        const CheckBox& first = *w.plugChkSettings[static_cast<size_t>(j % 10)];
        EXPECT_EQ(box.Top(), first.Top()) << j;
        EXPECT_EQ(box.Left() > first.Left(), j >= 10) << j;
        if (j % 10 > 0) {
            EXPECT_GT(box.Top(), w.plugChkSettings[static_cast<size_t>(j - 1)]->Top()) << j;
        }
        EXPECT_EQ(box.Caption(), "App " + std::to_string(j));
        EXPECT_EQ(box.Checked(), j % 2 == 0);
    }
    EXPECT_FALSE(w.plugLblNone.Visible());
    EXPECT_EQ(w.pcsTmpRoots().Count(), 5);
    EXPECT_TRUE(host.HandlerFailures().empty());
    EXPECT_EQ(host.FormsShown().at(0).mode, ShowMode::Modeless);
    EXPECT_EQ(host.FormsShown().at(0).owner, "frmPrivacyLumo");
}

TEST_F(ItemsSettings, NodeClickShowsTheFrameNamedByTheFirstWordOfTheNode) {
    auto& w = Open(BuiltInRecords() + Apps(2));
    const std::pair<const char*, int> cases[] = {// node text, frame shown (-1: none)
                                                 {"Windows", 0},    {"Internet Explorer", 1},  {"Opera", 2},
                                                 {"Netscape 4", 3}, {"Mozilla Firefox", 4},    {"Applications", 5},
                                                 {"windows", -1},   {"Internet-Explorer", -1}, {" Windows", -1},
                                                 {"", -1}};
    for (const auto& [text, frame] : cases) {
        w.tvwTree.UserClickNode(*w.tvwTree.Roots()[5]);
        w.tvwTree.UserClickNode(w.tvwTree.AddNode(nullptr, {}, text));
        EXPECT_EQ(w.lblSettings.Caption(), text);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(w.Frames()[static_cast<size_t>(i)]->Visible(), i == frame) << text << " " << i;
    }
}

TEST_F(ItemsSettings, UncheckingEveryWindowsBoxThenApplyRewritesTheRecordAndKeepsTheWindowOpen) {
    auto& w = Open(BuiltInRecords() + Apps(1));
    for (CheckBox* box : w.winsChkSettings)
        box->Click();
    w.cmdApply.Click();
    EXPECT_FALSE(config->set.item(1).Selected);
    for (const PrivacyItem& pi : config->set.item(1).Items)
        EXPECT_FALSE(pi.Selected) << pi.Title;
    Lines file = config->Plain();
    auto at = std::find(file.begin(), file.end(), "Software:Windows");
    ASSERT_NE(at, file.end());
    EXPECT_EQ(at[2], "Selected:0");
    EXPECT_EQ(at[3], "Recent Documents<>0<>0<>Folder><C:\\Recent");
    EXPECT_EQ(at[7], "Temp<>0<>1<>Folder><C:\\Temp><C:\\Temp\\keep.txt<>C:\\Temp\\keep2.txt");
    EXPECT_TRUE(w.Loaded());
    EXPECT_EQ(rebuilds, 1);

    w.winsChkSettings[5]->Click();  // one box is enough to select the record again
    w.cmdOk.Click();
    EXPECT_TRUE(config->set.item(1).Selected);
    EXPECT_FALSE(w.Loaded());
    EXPECT_EQ(rebuilds, 2);
    EXPECT_TRUE(host.HandlerFailures().empty());
}

TEST_F(ItemsSettings, ApplicationsAreSavedAfterCustomsRecordsAndASecondApplyWritesTheSameFile) {
    auto& w = Open(BuiltInRecords() + PluginLines("Early", true) + RecordLines("Mine", "Customs", true, {"One"}) +
                   PluginLines("Late", false));
    w.plugChkSettings[0]->Click();
    w.plugChkSettings[1]->Click();
    w.cmdApply.Click();
    const Lines order = {"Windows", "Internet Explorer", "Opera", "Netscape", "Mozilla", "Mine", "Early", "Late"};
    EXPECT_EQ(SoftwareInSet(), order);
    EXPECT_EQ(config->SoftwareInFile(), order);
    EXPECT_FALSE(config->set.item(7).Selected);
    EXPECT_TRUE(config->set.item(8).Selected);
    std::string first = config->Bytes();
    w.cmdOk.Click();
    EXPECT_EQ(SoftwareInSet(), order) << "the second save re-appends the same records once";
    EXPECT_EQ(config->Bytes(), first);
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
    EXPECT_TRUE(config->set.item(2).Items.item(1).Selected);
    EXPECT_TRUE(config->set.item(6).Selected);
    EXPECT_EQ(rebuilds, 0);
}

TEST_F(ItemsSettings, WithoutApplicationsTheFrameSaysSoAndSaveBindsNothing) {
    auto& w = Open(BuiltInRecords() + RecordLines("Mine", "Customs", true, {"One"}));
    w.tvwTree.UserClickNode(*w.tvwTree.Roots().back());
    EXPECT_TRUE(w.plugLblNone.Shown());
    EXPECT_EQ(w.plugLblNone.Caption(), "No applications are configured.");
    EXPECT_FALSE(w.plugChkSettings.at(0)->Visible());
    w.cmdOk.Click();
    EXPECT_TRUE(host.HandlerFailures().empty());
    EXPECT_FALSE(w.Loaded());
    EXPECT_EQ(config->SoftwareInFile().back(), "Mine");
}

struct SaveFailureCase {
    const char* name;
    bool shortOfItems;  // Mozilla has three items for its four boxes: the load stops too
    const char* block;  // what stands in the way of the file: "tmp" (a folder where the temporary
                        // file goes), "target" (a folder where the file is), or nothing
    const char* reason;  // part of the reason the box gives
};

class ItemsSettingsSaveFailure : public ItemsSettings, public ::testing::WithParamInterface<SaveFailureCase> {};

TEST_P(ItemsSettingsSaveFailure, IsToldInOneBoxAndLeavesTheSetTheFileAndTheChoiceAsTheyWere) {
    const SaveFailureCase& c = GetParam();
    Lines lines = BuiltInRecords();
    if (c.shortOfItems)
        lines.erase(std::find(lines.begin(), lines.end(), "Cookies<>1<>0<>Folder><C:\\Mozilla\\4"));
    auto& w = Open(lines + PluginLines("App", true));
    const std::string path = config->Path();
    std::string before = config->Bytes();
    if (std::string(c.block) == "tmp") {
        std::filesystem::create_directories(path + ".tmp/inside");
    } else if (std::string(c.block) == "target") {
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
    EXPECT_EQ(box.caption, "Sweepkit Lumo");
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    EXPECT_EQ(box.owner, "frmItemsSettings");

    EXPECT_TRUE(w.Loaded()) << "the window stays open";
    EXPECT_EQ(w.winsChkSettings[0]->Value(), CheckValue::Unchecked) << "with the user's choice in it";
    if (!c.shortOfItems) {
        EXPECT_EQ(w.plugChkSettings[0]->Value(), CheckValue::Unchecked);
    }
    EXPECT_TRUE(config->set.item(1).Items.item(1).Selected) << "the set keeps what the file holds";
    EXPECT_TRUE(config->set.item(6).Selected);
    EXPECT_EQ(SoftwareInSet().size(), 6u);
    EXPECT_EQ(rebuilds, 0);
    if (std::string(c.block) != "target") {
        EXPECT_EQ(config->Bytes(), before);
    }
    EXPECT_FALSE(std::filesystem::is_regular_file(path + ".tmp"));

    if (c.shortOfItems)
        return;
    // Once the way is clear, the same choice is saved by the same window.
    std::filesystem::remove_all(std::string(c.block) == "tmp" ? path + ".tmp" : path);
    w.cmdOk.Click();
    EXPECT_FALSE(w.Loaded());
    EXPECT_FALSE(config->set.item(1).Items.item(1).Selected);
    EXPECT_EQ(config->Plain().at(6), "Recent Documents<>0<>0<>Folder><C:\\Recent");
    EXPECT_EQ(rebuilds, 1);
    EXPECT_TRUE(host.HandlerFailures().empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, ItemsSettingsSaveFailure,
                         ::testing::Values(SaveFailureCase{"temporary_file_refused", false, "tmp", "cannot be written"},
                                           SaveFailureCase{"replace_refused", false, "target", "cannot be replaced"},
                                           SaveFailureCase{"fewer_items_than_boxes", true, "",
                                                           "is not in the collection"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lumo
