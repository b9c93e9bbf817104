// frmItemsSettings, "Clear Items Settings": the tree of categories, one frame of check boxes per
// category, and the save of the chosen items into the configuration set and its file.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/privacy_configs.h"
#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/form.h"
#include "ui/controls/frame.h"
#include "ui/controls/image.h"
#include "ui/controls/label.h"
#include "ui/controls/tree_view.h"
#include "ui/run_state.h"

namespace lumo {

class MainWindow;

class ItemsSettingsWindow : public Form {
public:
    // The five built-in categories, bound by position to the first five records of the set.
    static constexpr int kBuiltInCategories = 5;

    // `configSet` and `configFilePath` are the application's; `listChanged` rebuilds the main
    // window's list after OK and Apply (LoadPItem).
    ItemsSettingsWindow(UiHost& host, PrivacyConfigs& configSet, std::string configFilePath,
                        std::function<void()> listChanged);

    Label& lblCategory;
    TreeView& tvwTree;
    Label& lblSettings;
    Shape& shapeSettings;
    Frame& winsFraSettings;
    Frame& inetFraSettings;
    Frame& operFraSettings;
    Frame& netsFraSettings;
    Frame& moziFraSettings;
    Frame& plugFraSettings;
    // Stands in the Applications frame instead of box 0 when no Plugins record exists.
    Label& plugLblNone;
    Button& cmdOk;
    Button& cmdCancel;
    Button& cmdApply;
    // Says, while a run goes on, why OK and Apply are off.
    Label& lblRunGoing;

    std::vector<CheckBox*> winsChkSettings;
    std::vector<CheckBox*> inetChkSettings;
    std::vector<CheckBox*> operChkSettings;
    std::vector<CheckBox*> netsChkSettings;
    std::vector<CheckBox*> moziChkSettings;
    // Box 0 exists from the start; the others are made at load, one per Plugins record.
    std::vector<CheckBox*> plugChkSettings;

    // The check box array of built-in category k (1 Windows … 5 Mozilla).
    const std::vector<CheckBox*>& CategoryBoxes(int k) const;
    // The six frames in category order, Applications last.
    std::array<Frame*, 6> Frames() const;

    // Working copies made at load: every Root record, every Plugins record, in set order.
    const PrivacyConfigs& pcsTmpRoots() const { return tmpRoots_; }
    const PrivacyConfigs& pcsTmpPlugins() const { return tmpPlugins_; }

    // OK and Apply follow `runs`: off, with the notice, while a run walks the set.
    void FollowRuns(RunState& runs);

    void Form_Load();
    void tvwTree_NodeClick(Node& node);
    void cmdOk_Click();
    void cmdApply_Click();
    void cmdCancel_Click();

private:
    // Writes the choice into `set`: the selection of the built-in items and records, the hold
    // settings of the working copies, the Plugins records at the end. Throws when the set does
    // not have the records and items the boxes stand for.
    void ApplyChoice(PrivacyConfigs& set);
    // Saves the choice into the file and then into the set; on any failure the set and the file
    // stay as they were, the user is told in one box, and the result is false.
    bool Save();
    void SetRunGoing(bool running);
    void AddPluginBox(int j, const PrivacyConfig& record);

    PrivacyConfigs& configSet_;
    std::string configFilePath_;
    std::function<void()> listChanged_;
    PrivacyConfigs tmpRoots_;
    PrivacyConfigs tmpPlugins_;
    Subscription runsChanged_;
};

// Opens the window modeless, owned by `owner`. A window still open is brought forward as it is;
// a closed one is made afresh, so every opening loads the set as it stands then. With `runs`,
// OK and Apply wait for the end of a run.
ItemsSettingsWindow& ShowItemsSettings(std::unique_ptr<ItemsSettingsWindow>& slot, Form& owner,
                                       PrivacyConfigs& configSet, const std::string& configFilePath,
                                       std::function<void()> listChanged, RunState* runs = nullptr);

// Makes the main window's "Items Settings" button open this window on the application's set,
// and rebuild the main window's list after OK and Apply. Returns where the window is kept.
std::shared_ptr<std::unique_ptr<ItemsSettingsWindow>> ConnectItemsSettings(MainWindow& main);

}  // namespace lumo
