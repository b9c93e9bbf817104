// The Items Settings window: its layout, the load that fills it from the configuration set, the
// node click that swaps the frames, and the save behind OK and Apply.
#include "ui/items_settings_window.h"

#include <algorithm>
#include <utility>

#include "base/text.h"
#include "config/winapp2_selection.h"
#include "settings/application.h"
#include "ui/failure_text.h"
#include "ui/main_window.h"
#include "ui/ui_host.h"

namespace lumo {
namespace {

// Application boxes: box 0 at (240, 360), 450 apart downwards, ten to a column, columns 2415 apart.
constexpr int32_t kPluginBoxWidth = 2415;
constexpr int32_t kPluginBoxHeight = 375;
constexpr int32_t kPluginStep = 450;
constexpr int32_t kPluginsPerColumn = 10;
constexpr int32_t kPluginColumnStep = 2415;

namespace table {
using enum ControlKind;

// All six frames share one place; one is visible at a time.
constexpr ControlRow CategoryFrame(const char* name, const char* caption) {
    return {Frame, name, caption, 2760, 600, 5775, 5175, kCreationOrder, nullptr, rsHidden};
}
// Boxes of the built-in frames: left 600, top 600 + 600 × index, inside their frame.
constexpr ControlRow CategoryBox(const char* name, const char* frame, int32_t index, const char* caption) {
    return {CheckBox, name, caption, 600, 600 + 600 * index, 4575, 375, kCreationOrder, frame, rsNone, index};
}

// Kind, name, caption, place, tab order, frame, looks, position in a control array.
constexpr ControlRow kControls[] = {
    {Label, "lblCategory", "Category:", 195, 210, 2325, 285},
    {TreeView, "tvwTree", nullptr, 240, 600, 2295, 5295, 0},
    {Label, "lblSettings", "General", 2640, 120, 6015, 375},
    {Shape, "shapeSettings", nullptr, 2640, 510, 6015, 5385},
    CategoryFrame("winsFraSettings", "Windows Settings"),
    CategoryFrame("inetFraSettings", "Internet Explorer Settings"),
    CategoryFrame("operFraSettings", "Opera Settings"),
    CategoryFrame("netsFraSettings", "Netscape Settings"),
    CategoryFrame("moziFraSettings", "Mozilla Settings"),
    CategoryFrame("plugFraSettings", "Application Settings"),
    {Label, "plugLblNone", "No applications are configured.", 240, 360, 5295, 375, kCreationOrder, "plugFraSettings",
     rsHidden},
    {Button, "cmdOk", "OK", 3765, 5985, 1140, 420, 1, nullptr, rsDefault},
    {Button, "cmdCancel", "Cancel", 5520, 5985, 1140, 420, 2, nullptr, rsCancel},
    {Button, "cmdApply", "Apply", 7320, 5985, 1140, 420, 3},
    {Label, "lblRunGoing", kRunGoingNotice, 240, 5985, 3375, 420, kCreationOrder, nullptr, rsHidden},
    CategoryFrame("w2FraSettings", "winapp2.ini Entries"),
    {ListView, "w2LvwEntries", nullptr, 120, 300, 5535, 4755, kCreationOrder, "w2FraSettings"},
    CategoryBox("winsChkSettings", "winsFraSettings", 0, "Recent Documents History"),
    CategoryBox("winsChkSettings", "winsFraSettings", 1, "Recent Search History"),
    CategoryBox("winsChkSettings", "winsFraSettings", 2, "Recent Run History"),
    CategoryBox("winsChkSettings", "winsFraSettings", 3, "Open/Save Dialog Box History"),
    CategoryBox("winsChkSettings", "winsFraSettings", 4, "Window Temp Files"),
    CategoryBox("winsChkSettings", "winsFraSettings", 5, "Recycle Bin"),
    CategoryBox("inetChkSettings", "inetFraSettings", 0, "Address Bar History"),
    CategoryBox("inetChkSettings", "inetFraSettings", 1, "Internet Browser History"),
    CategoryBox("inetChkSettings", "inetFraSettings", 2, "AutoComplete History"),
    CategoryBox("inetChkSettings", "inetFraSettings", 3, "Temporary Internet Files(Cache Files)"),
    CategoryBox("inetChkSettings", "inetFraSettings", 4, "Downloaded Program Files"),
    CategoryBox("inetChkSettings", "inetFraSettings", 5, "Cookies"),
    CategoryBox("operChkSettings", "operFraSettings", 0, "Global History"),
    CategoryBox("operChkSettings", "operFraSettings", 1, "Cookies File"),
    CategoryBox("operChkSettings", "operFraSettings", 2, "Address Bar File"),
    CategoryBox("operChkSettings", "operFraSettings", 3, "Cache Files"),
    CategoryBox("netsChkSettings", "netsFraSettings", 0, "Address Bar"),
    CategoryBox("netsChkSettings", "netsFraSettings", 1, "History Files"),
    CategoryBox("netsChkSettings", "netsFraSettings", 2, "Cache Files"),
    CategoryBox("netsChkSettings", "netsFraSettings", 3, "Cookies"),
    CategoryBox("moziChkSettings", "moziFraSettings", 0, "Address Bar"),
    CategoryBox("moziChkSettings", "moziFraSettings", 1, "History Files"),
    CategoryBox("moziChkSettings", "moziFraSettings", 2, "Cache Files"),
    CategoryBox("moziChkSettings", "moziFraSettings", 3, "Cookies"),
    // Box 0 of the applications; the others are made at load, one per Plugins record.
    {CheckBox, "plugChkSettings", nullptr, 240, 360, kPluginBoxWidth, kPluginBoxHeight, kCreationOrder,
     "plugFraSettings", rsNone, 0},
};

}  // namespace table

// The winapp2.ini list inside its frame, and its columns.
constexpr TwipsRect kWinapp2List{120, 300, 5535, 4755};
constexpr int32_t kWinapp2NameWidth = 3300;
constexpr int32_t kWinapp2WarningWidth = 1950;

// Groups as listed: alphabetically, "Other" last.
bool GroupBefore(const std::string& a, const std::string& b) {
    bool aOther = EqualsIgnoreCase(a, "Other"), bOther = EqualsIgnoreCase(b, "Other");
    if (aOther != bOther)
        return bOther;
    return UpperCase(a) < UpperCase(b);
}

// The first word of a node's text: up to its first blank, or the whole text.
std::string FirstWord(const std::string& text) {
    size_t blank = text.find(' ');
    return blank == std::string::npos ? text : text.substr(0, blank);
}

}  // namespace

ItemsSettingsWindow::ItemsSettingsWindow(UiHost& host, PrivacyConfigs& configSet, std::string configFilePath,
                                         std::function<void()> listChanged)
    : Form(host, "frmItemsSettings", table::kControls),
      lblCategory(Named<Label>("lblCategory")),
      tvwTree(Named<TreeView>("tvwTree")),
      lblSettings(Named<Label>("lblSettings")),
      shapeSettings(Named<Shape>("shapeSettings")),
      winsFraSettings(Named<Frame>("winsFraSettings")),
      inetFraSettings(Named<Frame>("inetFraSettings")),
      operFraSettings(Named<Frame>("operFraSettings")),
      netsFraSettings(Named<Frame>("netsFraSettings")),
      moziFraSettings(Named<Frame>("moziFraSettings")),
      plugFraSettings(Named<Frame>("plugFraSettings")),
      plugLblNone(Named<Label>("plugLblNone")),
      cmdOk(Named<Button>("cmdOk")),
      cmdCancel(Named<Button>("cmdCancel")),
      cmdApply(Named<Button>("cmdApply")),
      lblRunGoing(Named<Label>("lblRunGoing")),
      w2FraSettings(Named<Frame>("w2FraSettings")),
      w2LvwEntries(Named<ListView>("w2LvwEntries")),
      winsChkSettings(NamedArray<CheckBox>("winsChkSettings")),
      inetChkSettings(NamedArray<CheckBox>("inetChkSettings")),
      operChkSettings(NamedArray<CheckBox>("operChkSettings")),
      netsChkSettings(NamedArray<CheckBox>("netsChkSettings")),
      moziChkSettings(NamedArray<CheckBox>("moziChkSettings")),
      plugChkSettings(NamedArray<CheckBox>("plugChkSettings")),
      configSet_(configSet),
      configFilePath_(std::move(configFilePath)),
      listChanged_(std::move(listChanged)) {
    SetCaption("Clear Items Settings");
    SetBorder(BorderStyle::FixedDialog);
    SetMinMaxButtons(false, false);
    SetClientSize(8760, 6600);

    FontInfo verdana = lblSettings.Font();
    verdana.name = "Verdana";
    verdana.size = 12;
    verdana.bold = true;
    lblSettings.SetFont(verdana);

    w2LvwEntries.SetView(ListViewStyle::Report);
    w2LvwEntries.SetLabelEdit(LabelEditMode::Manual);
    w2LvwEntries.SetFullRowSelect(true);
    w2LvwEntries.SetCheckBoxes(true);
    w2LvwEntries.AddColumn("Application", kWinapp2NameWidth);
    w2LvwEntries.AddColumn("Warning", kWinapp2WarningWidth);

    OnLoad = [this] { Form_Load(); };
    tvwTree.OnNodeClick = [this](Node& node) { tvwTree_NodeClick(node); };
    cmdOk.OnClick = [this] { cmdOk_Click(); };
    cmdApply.OnClick = [this] { cmdApply_Click(); };
    cmdCancel.OnClick = [this] { cmdCancel_Click(); };
    w2LvwEntries.OnItemCheck = [this](ListItem& row) { w2LvwEntries_ItemCheck(row); };
}

std::span<const ControlRow> ItemsSettingsWindow::ControlTable() { return table::kControls; }

const std::vector<CheckBox*>& ItemsSettingsWindow::CategoryBoxes(int k) const {
    switch (k) {
    case 1:
        return winsChkSettings;
    case 2:
        return inetChkSettings;
    case 3:
        return operChkSettings;
    case 4:
        return netsChkSettings;
    default:
        return moziChkSettings;
    }
}

std::array<Frame*, 6> ItemsSettingsWindow::Frames() const {
    return {&winsFraSettings, &inetFraSettings, &operFraSettings, &netsFraSettings, &moziFraSettings, &plugFraSettings};
}

void ItemsSettingsWindow::Form_Load() {
    tvwTree.ClearNodes();
    for (const PrivacyConfig& pc : configSet_)
        if (pc.SoftwareType == stRoot)
            tvwTree.AddNode(nullptr, {}, pc.Software);
    Node& applications = tvwTree.AddNode(nullptr, {}, "Applications");
    winapp2Rows_.clear();
    for (const PrivacyConfig& pc : configSet_)
        if (pc.Origin == RecordOrigin::Winapp2)
            winapp2Rows_.push_back({pc.Software, pc.Group.empty() ? "Other" : pc.Group, pc.Warning, pc.Selected});
    std::stable_sort(winapp2Rows_.begin(), winapp2Rows_.end(), [](const Winapp2Row& a, const Winapp2Row& b) {
        if (!EqualsIgnoreCase(a.group, b.group))
            return GroupBefore(a.group, b.group);
        return UpperCase(a.name) < UpperCase(b.name);
    });
    for (const std::string& group : Winapp2Groups())
        tvwTree.AddNode(&applications, {}, group);
    if (!applications.Children().empty())
        applications.SetExpanded(true);
    if (tvwTree.NodeCount() > 0)
        tvwTree.SetSelectedItem(&tvwTree.Nodes(1));

    // A configuration that does not begin with the five built-in records stops the load here.
    for (int k = 1; k <= kBuiltInCategories; ++k) {
        PrivacyConfig& pc = configSet_.item(k);
        const std::vector<CheckBox*>& boxes = CategoryBoxes(k);
        for (size_t i = 0; i < boxes.size(); ++i) {
            bool selected = pc.Items.item(static_cast<int32_t>(i) + 1).Selected;
            boxes[i]->SetValue(selected ? CheckValue::Checked : CheckValue::Unchecked);
        }
    }

    tmpRoots_.RemoveAll();
    tmpPlugins_.RemoveAll();
    for (const PrivacyConfig& pc : configSet_) {
        if (pc.SoftwareType == stRoot)
            tmpRoots_.Add(pc.Clone());
        else if (pc.SoftwareType == stPlugins && pc.Origin == RecordOrigin::ConfigFile)
            tmpPlugins_.Add(pc.Clone());
    }
    int j = 0;
    for (const PrivacyConfig& pc : tmpPlugins_)
        AddPluginBox(j++, pc);
    // Without any Plugins record box 0 would stand there with nothing behind it.
    plugChkSettings[0]->SetVisible(j > 0);
    plugLblNone.SetVisible(j == 0);
    if (j == 0 && !winapp2Rows_.empty())
        plugLblNone.SetCaption("The winapp2.ini entries are listed by group below Applications.");

    if (Node* node = tvwTree.SelectedItem())
        tvwTree_NodeClick(*node);
}

void ItemsSettingsWindow::AddPluginBox(int j, const PrivacyConfig& record) {
    if (j > 0) {
        CheckBox& box = Add<CheckBox>("plugChkSettings", &plugFraSettings, j);
        if (j >= kPluginsPerColumn) {
            const CheckBox& beside = *plugChkSettings[static_cast<size_t>(j - kPluginsPerColumn)];
            box.Move(beside.Left() + kPluginColumnStep, beside.Top(), kPluginBoxWidth, kPluginBoxHeight);
        } else {
            const CheckBox& above = *plugChkSettings[static_cast<size_t>(j - 1)];
            box.Move(above.Left(), above.Top() + kPluginStep, kPluginBoxWidth, kPluginBoxHeight);
        }
        plugChkSettings.push_back(&box);
    }
    CheckBox& box = *plugChkSettings[static_cast<size_t>(j)];
    box.SetCaption(record.Software);
    box.SetVisible(true);
    box.SetValue(record.Selected ? CheckValue::Checked : CheckValue::Unchecked);
}

void ItemsSettingsWindow::tvwTree_NodeClick(Node& node) {
    lblSettings.SetCaption(node.Text());
    for (Frame* f : Frames())
        f->SetVisible(false);
    w2FraSettings.SetVisible(false);
    if (node.Parent()) {
        // A winapp2.ini group below "Applications".
        lblSettings.SetCaption(node.Parent()->Text() + ": " + node.Text());
        ShowWinapp2Group(node.Text());
        w2FraSettings.SetVisible(true);
        return;
    }
    static const char* const kWords[] = {"Windows", "Internet", "Opera", "Netscape", "Mozilla", "Applications"};
    std::string word = FirstWord(node.Text());
    std::array<Frame*, 6> frames = Frames();
    for (size_t i = 0; i < frames.size(); ++i)
        if (word == kWords[i])
            frames[i]->SetVisible(true);
}

std::vector<std::string> ItemsSettingsWindow::Winapp2Groups() const {
    std::vector<std::string> groups;
    for (const Winapp2Row& row : winapp2Rows_)
        if (groups.empty() || !EqualsIgnoreCase(groups.back(), row.group))
            groups.push_back(row.group);
    return groups;
}

const ItemsSettingsWindow::Winapp2Row* ItemsSettingsWindow::FindWinapp2Row(std::string_view name) const {
    for (const Winapp2Row& row : winapp2Rows_)
        if (EqualsIgnoreCase(row.name, name))
            return &row;
    return nullptr;
}

bool ItemsSettingsWindow::Winapp2Chosen(std::string_view name) const {
    const Winapp2Row* row = FindWinapp2Row(name);
    return row && row->chosen;
}

void ItemsSettingsWindow::ShowWinapp2Group(const std::string& group) {
    w2LvwEntries.ClearItems();
    for (size_t i = 0; i < winapp2Rows_.size(); ++i) {
        const Winapp2Row& entry = winapp2Rows_[i];
        if (!EqualsIgnoreCase(entry.group, group))
            continue;
        ListItem& row = w2LvwEntries.AddItem({}, entry.name);
        row.Tag = std::to_string(i);
        if (!entry.warning.empty())
            row.SetSubItem(1, entry.warning);
        if (entry.chosen)
            row.SetChecked(true);
    }
}

void ItemsSettingsWindow::w2LvwEntries_ItemCheck(ListItem& row) {
    const size_t at = static_cast<size_t>(std::stoul(row.Tag));
    if (at >= winapp2Rows_.size())
        return;
    Winapp2Row& entry = winapp2Rows_[at];
    if (row.Checked() && !entry.warning.empty() &&
        Host().MsgBox("\"" + entry.name + "\" comes with a warning:\n\n" + entry.warning + "\n\nSelect it anyway?",
                      MsgButtons::YesNo, MsgIcon::Exclamation, MsgDefault::Button2, Caption(),
                      this) != MsgAnswer::Yes) {
        row.SetChecked(false);
        return;
    }
    entry.chosen = row.Checked();
}

void ItemsSettingsWindow::ApplyChoice(PrivacyConfigs& set) {
    for (int k = 1; k <= kBuiltInCategories; ++k) {
        PrivacyConfig& pc = set.item(k);
        bool any = false;
        const std::vector<CheckBox*>& boxes = CategoryBoxes(k);
        for (size_t i = 0; i < boxes.size(); ++i) {
            PrivacyItem& pi = pc.Items.item(static_cast<int32_t>(i) + 1);
            pi.Selected = boxes[i]->Value() == CheckValue::Checked;
            any = any || pi.Selected;
        }
        pc.Selected = any;
    }

    int32_t i = 0;
    for (const PrivacyConfig& copy : tmpRoots_) {
        ++i;
        int32_t j = 0;
        for (const PrivacyItem& copyItem : copy.Items) {
            ++j;
            if (copyItem.HoldFlag)
                set.item(i).Items.item(j).HoldSettings = copyItem.HoldSettings;
        }
    }

    // winapp2.ini's records are taken out to stay behind the configuration file's own.
    std::vector<std::unique_ptr<PrivacyConfig>> winapp2;
    for (int32_t p = set.Count(); p >= 1; --p) {
        if (set.item(p).Origin == RecordOrigin::Winapp2)
            winapp2.push_back(set.Take(p));
        else if (set.item(p).SoftwareType == stPlugins)
            set.Remove(p);
    }
    // The working records stay with the window for the next Apply; the set gets their copies.
    int32_t bound = tmpPlugins_.Count();
    for (int32_t j = 0; j < bound; ++j) {
        PrivacyConfig& record = tmpPlugins_.item(j + 1);
        record.Selected = plugChkSettings[static_cast<size_t>(j)]->Value() == CheckValue::Checked;
        set.Add(record.Clone());
    }
    for (auto record = winapp2.rbegin(); record != winapp2.rend(); ++record) {
        if (const Winapp2Row* row = FindWinapp2Row((*record)->Software))
            (*record)->Selected = row->chosen;
        set.Add(std::move(*record));
    }
}

bool ItemsSettingsWindow::Save() {
    const std::string* savingTo = &configFilePath_;
    try {
        // The choice goes into a copy of the set, and the copy into the file; the set the
        // program runs on takes the choice only once the file holds it, so the list, the runs
        // and the file never disagree after a failure.
        PrivacyConfigs saved;
        for (const PrivacyConfig& pc : configSet_)
            saved.Add(pc.Clone());
        ApplyChoice(saved);
        saved.SaveConfig(configFilePath_);
        if (winapp2Files_) {
            savingTo = &winapp2ChoiceFile_;
            SaveWinapp2Selection(*winapp2Files_, winapp2ChoiceFile_, saved);
        }
        ApplyChoice(configSet_);
    } catch (...) {
        Host().ShowFailure(std::make_exception_ptr(UserFailure(
                               "The items settings could not be saved to " + *savingTo + ".",
                               FailureReason(std::current_exception()),
                               "Your choice is still in this window. Check that the file is not read-only or open "
                               "in another program and that you may change its folder, then press OK or Apply "
                               "again; Cancel leaves the items as they were.")),
                           this);
        return false;
    }
    return true;
}

void ItemsSettingsWindow::cmdApply_Click() {
    if (Save() && listChanged_)
        listChanged_();
}

void ItemsSettingsWindow::cmdOk_Click() {
    if (!Save())
        return;
    if (listChanged_)
        listChanged_();
    Unload();
}

void ItemsSettingsWindow::FollowRuns(RunState& runs) {
    runsChanged_ = runs.Changed.Subscribe([this](bool running) { SetRunGoing(running); });
    SetRunGoing(runs.Running());
}

void ItemsSettingsWindow::SetRunGoing(bool running) {
    cmdOk.SetEnabled(!running);
    cmdApply.SetEnabled(!running);
    lblRunGoing.SetVisible(running);
}

void ItemsSettingsWindow::cmdCancel_Click() { Unload(); }

ItemsSettingsWindow& ShowItemsSettings(std::unique_ptr<ItemsSettingsWindow>& slot, Form& owner,
                                       PrivacyConfigs& configSet, const std::string& configFilePath,
                                       std::function<void()> listChanged, RunState* runs) {
    if (!slot || !slot->Loaded()) {
        slot = std::make_unique<ItemsSettingsWindow>(owner.Host(), configSet, configFilePath, std::move(listChanged));
        if (runs)
            slot->FollowRuns(*runs);
    }
    slot->Show(ShowMode::Modeless, &owner);
    return *slot;
}

ItemsSettingsWindow& ShowItemsSettings(std::unique_ptr<ItemsSettingsWindow>& slot, MainWindow& main) {
    Application& app = main.App();
    const bool fresh = !slot || !slot->Loaded();
    ItemsSettingsWindow& window = ShowItemsSettings(
        slot, main, app.ConfigSet(), app.ConfigFilePath, [&main] { main.LoadPItem(); }, &main.Runs());
    if (fresh && app.platform.files)
        window.KeepWinapp2ChoiceIn(*app.platform.files, app.Winapp2SelectionFile());
    return window;
}

std::shared_ptr<std::unique_ptr<ItemsSettingsWindow>> ConnectItemsSettings(MainWindow& main) {
    // The window lives as long as the button's command, that is as long as the main window.
    auto slot = std::make_shared<std::unique_ptr<ItemsSettingsWindow>>();
    main.ShowItemsSettings = [slot](MainWindow& m) { ShowItemsSettings(*slot, m); };
    return slot;
}

}  // namespace lumo
