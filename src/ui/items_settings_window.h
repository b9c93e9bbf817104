// frmItemsSettings, "Clear Items Settings": the tree of categories, one frame of check boxes per
// category, the winapp2.ini entries in a list per group below "Applications", and the save of the
// chosen items into the configuration set, its file and the winapp2.ini choice.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/privacy_configs.h"
#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/form.h"
#include "ui/controls/frame.h"
#include "ui/controls/image.h"
#include "ui/controls/label.h"
#include "ui/controls/list_view.h"
#include "ui/controls/tree_view.h"
#include "ui/run_state.h"

namespace lumo {

class FileSystem;
class MainWindow;

class ItemsSettingsWindow : public Form {
public:
    // The five built-in categories, bound by position to the first five records of the set.
    static constexpr int kBuiltInCategories = 5;

    // `configSet` and `configFilePath` are the application's; `listChanged` rebuilds the main
    // window's list after OK and Apply (LoadPItem).
    ItemsSettingsWindow(UiHost& host, PrivacyConfigs& configSet, std::string configFilePath,
                        std::function<void()> listChanged);
    // The window's controls, as the constructor makes them; the application boxes after the
    // first are made at load.
    static std::span<const ControlRow> ControlTable();

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
    // The winapp2.ini entries of the group chosen below "Applications", one checkable row each,
    // in a list that scrolls however many there are.
    Frame& w2FraSettings;
    ListView& w2LvwEntries;

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

    // Working copies made at load: every Root record, every Plugins record of the configuration
    // file (winapp2.ini's are listed apart), in set order.
    const PrivacyConfigs& pcsTmpRoots() const { return tmpRoots_; }
    const PrivacyConfigs& pcsTmpPlugins() const { return tmpPlugins_; }

    // The winapp2.ini groups that have entries, as listed below "Applications".
    std::vector<std::string> Winapp2Groups() const;
    // Whether the window now holds the winapp2.ini entry `name` chosen (false: not listed).
    bool Winapp2Chosen(std::string_view name) const;
    // OK and Apply also save the choice of winapp2.ini entries in `file` (by entry name).
    void KeepWinapp2ChoiceIn(FileSystem& files, std::string file) {
        winapp2Files_ = &files;
        winapp2ChoiceFile_ = std::move(file);
    }

    // OK and Apply follow `runs`: off, with the notice, while a run walks the set.
    void FollowRuns(RunState& runs);

    void Form_Load();
    void tvwTree_NodeClick(Node& node);
    void cmdOk_Click();
    void cmdApply_Click();
    void cmdCancel_Click();
    // A row's check box: an entry with a warning is chosen only when the user says Yes to it.
    void w2LvwEntries_ItemCheck(ListItem& row);

private:
    struct Winapp2Row {
        std::string name;
        std::string group;
        std::string warning;
        bool chosen = false;
    };
    // Fills the list with the entries of `group`.
    void ShowWinapp2Group(const std::string& group);
    const Winapp2Row* FindWinapp2Row(std::string_view name) const;

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
    // The working choice of the winapp2.ini entries, sorted by group and name.
    std::vector<Winapp2Row> winapp2Rows_;
    FileSystem* winapp2Files_ = nullptr;
    std::string winapp2ChoiceFile_;
    Subscription runsChanged_;
};

// Opens the window modeless, owned by `owner`. A window still open is brought forward as it is;
// a closed one is made afresh, so every opening loads the set as it stands then. With `runs`,
// OK and Apply wait for the end of a run.
ItemsSettingsWindow& ShowItemsSettings(std::unique_ptr<ItemsSettingsWindow>& slot, Form& owner,
                                       PrivacyConfigs& configSet, const std::string& configFilePath,
                                       std::function<void()> listChanged, RunState* runs = nullptr);

// The main window's Items Settings: on the application's set and file, the main window's list
// rebuilt after OK and Apply, OK and Apply waiting for the end of a run, the winapp2.ini choice
// kept in the user's folder.
ItemsSettingsWindow& ShowItemsSettings(std::unique_ptr<ItemsSettingsWindow>& slot, MainWindow& main);

// Makes the main window's "Items Settings" button open this window on the application's set,
// and rebuild the main window's list after OK and Apply. Returns where the window is kept.
std::shared_ptr<std::unique_ptr<ItemsSettingsWindow>> ConnectItemsSettings(MainWindow& main);

}  // namespace lumo
