// The two settings windows, headless, on real configuration files. Items Settings: load, node
// clicks, what OK, Apply and Cancel leave in the set and in the file, save failures, and the
// winapp2.ini entries (listed by group below "Applications", a warning asked before its entry is
// chosen, the choice saved into the set and the choice file, never into the configuration file).
// Run Options: the schedule's controls both ways, and what Apply, OK, Cancel, Default, Use Blank
// and Apply to IE leave in memory, in the registry and on disk, failures included.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "items_settings_test_config.h"
#include "platform/portable/memory_registry.h"
#include "platform/portable/portable_file_system.h"
#include "registry/reg_key.h"
#include "ui/headless/headless_host.h"
#include "ui/items_settings_window.h"
#include "ui/run_options_window.h"

namespace lumo {
namespace {

using namespace lumo::testing;

constexpr const char* kBrowserKey = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const Lines kBuiltIn = {"Windows", "Internet Explorer", "Opera", "Netscape", "Mozilla"};

struct Entry {  // a winapp2.ini entry
    Entry(std::string n, std::string g, bool s = false, std::string w = {})
        : name(std::move(n)), group(std::move(g)), selected(s), warning(std::move(w)) {}
    std::string name, group;
    bool selected;
    std::string warning;
};

class SettingsWindows : public ::testing::Test {
protected:
    SettingsWindows() {
        for (int32_t root : {rkLocalMachine, rkCurrentUser}) {  // every registry has these two
            RegHandle h = 0;
            registry.CreateKey(RootHandle(root), "Software", keyAllAccess, h);
            registry.CloseKey(h);
        }
        owner.Load();
    }
    ItemsSettingsWindow& Items(const Lines& lines, const std::vector<Entry>& entries = {}) {
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
        auto& w = ShowItemsSettings(items, owner, config->set, config->path, [this] { ++rebuilds; });
        w.KeepWinapp2ChoiceIn(files, choiceFile);
        return w;
    }
    RunOptionsWindow& Options() {
        if (!config) {
            config = std::make_unique<ConfigOnDisk>(BuiltInRecords() + PluginLines("App", true));
            app.ConfigFilePath = config->path;
            app.ConfigSet().LoadConfig(config->path);
        }
        options.reset();
        return ShowRunOptions(options, owner, app, store, ShowMode::Modeless);
    }
    // The set's records in order, each "+" when selected.
    std::string InSet() const {
        std::string names;
        for (const PrivacyConfig& pc : config->set)
            names += pc.Software + (pc.Selected ? "+ " : "- ");
        return names;
    }
    void ClickGroup(const std::string& group) {
        for (Node* node : items->tvwTree.Roots().back()->Children())
            if (node->Text() == group)
                return items->tvwTree.UserClickNode(*node);
        throw std::runtime_error("no group node " + group);
    }
    // The list's rows as "[x] name ! warning".
    Lines Rows() {
        Lines rows;
        for (ListItem& row : items->w2LvwEntries)
            rows.push_back((row.Checked() ? "[x] " : "[ ] ") + row.Text() +
                           (row.SubItemCount() > 0 && !row.SubItems(1).empty() ? " ! " + row.SubItems(1) : ""));
        return rows;
    }
    void Tick(const std::string& name, bool on) {
        for (ListItem& row : items->w2LvwEntries)
            if (row.Text() == name)
                return items->w2LvwEntries.UserCheckItem(row, on);
        throw std::runtime_error("no row " + name);
    }
    // A string value's text; none when the value or its key is missing.
    std::optional<std::string> Value(int32_t root, const std::string& path, const char* name) {
        std::optional<RegValue> v = RegKey(registry).GetRegValue(name, root, path);
        return v && v->ValueType != rvtNone ? std::optional(v->ValueDataString()) : std::nullopt;
    }
    std::optional<std::string> Setting(const char* name) {
        return Value(store.Locations().settingsRoot, store.Locations().SettingsKey(), name);
    }

    MemoryRegistry registry;
    Application app{Platform{&registry}, DateTime::FromParts(2024, 5, 1, 9, 0, 0)};
    SettingsStore store{registry, "C:\\Lumo\\SweepkitLumo.exe"};
    HeadlessHost host;
    Form owner{host, "frmPrivacyLumo"};
    std::unique_ptr<ConfigOnDisk> config;
    std::unique_ptr<ItemsSettingsWindow> items;
    std::unique_ptr<RunOptionsWindow> options;
    int rebuilds = 0;
    PortableFileSystem files;
    ScratchFolder folder;
    std::string choiceFile = folder.Path("winapp2 selection.txt");
};

TEST_F(SettingsWindows, ItemsLoadShowsTheRecordsInTenRowColumnsAndANodeShowsTheFrameOfItsFirstWord) {
    BuiltInSelection sel;
    sel.opera = {true, false, true, false};
    Lines apps;
    for (int i = 0; i < 12; ++i)
        apps = apps + PluginLines("App " + std::to_string(i), i % 2 == 0);
    auto& w = Items(BuiltInRecords(sel) + RecordLines("Mine", "Customs", true, {"One"}) + apps);
    for (int k = 1; k <= 5; ++k)
        for (size_t i = 0; i < w.CategoryBoxes(k).size(); ++i)
            EXPECT_EQ(w.CategoryBoxes(k)[i]->Checked(), k != 3 || sel.opera[i]) << k << " " << i;
    Lines nodes;
    for (const Node* n : w.tvwTree.Roots())
        nodes.push_back(n->Text());
    EXPECT_EQ(nodes, (kBuiltIn + Lines{"Applications"}));
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
    const std::pair<const char*, int> cases[] = {// node text, frame shown (-1: none); the first is shown at load
                                                 {"Windows", 0},    {"Internet Explorer", 1},  {"Opera", 2},
                                                 {"Netscape 4", 3}, {"Mozilla Firefox", 4},    {"Applications", 5},
                                                 {"windows", -1},   {"Internet-Explorer", -1}, {" Windows", -1}};
    for (const auto& [text, frame] : cases) {
        if (frame != 0)
            w.tvwTree.UserClickNode(w.tvwTree.AddNode(nullptr, {}, text));
        EXPECT_EQ(w.lblSettings.Caption(), text);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(w.Frames()[static_cast<size_t>(i)]->Visible(), i == frame) << text << " " << i;
    }
}

TEST_F(SettingsWindows, ItemsCancelKeepsAllAndApplyAndOkRewriteTheRecordsWithApplicationsAfterCustoms) {
    const Lines lines = BuiltInRecords() + PluginLines("Early", true) + RecordLines("Mine", "Customs", true, {"One"}) +
                        PluginLines("Late", false);
    const std::string builtIn = "Windows+ Internet Explorer+ Opera+ Netscape+ Mozilla+ ";
    ItemsSettingsWindow* w = &Items(lines);
    const std::string before = config->Bytes();
    auto choose = [&] {
        for (CheckBox* box : w->winsChkSettings)
            box->Click();
        w->plugChkSettings[0]->Click();
        w->plugChkSettings[1]->Click();
    };
    choose();
    w->cmdCancel.Click();
    EXPECT_TRUE(!w->Loaded() && config->Bytes() == before && rebuilds == 0);
    EXPECT_EQ(InSet(), builtIn + "Early+ Mine+ Late- ");
    EXPECT_TRUE(config->set.item(1).Items.item(1).Selected);

    w = &Items(lines);
    choose();
    w->cmdApply.Click();
    EXPECT_EQ(InSet(), "Windows- " + builtIn.substr(9) + "Mine+ Early- Late+ ") << "no Windows item left selected";
    Lines file = PlainLines(config->path);
    auto at = std::find(file.begin(), file.end(), "Software:Windows");
    ASSERT_NE(at, file.end());
    EXPECT_EQ(at[2], "Selected:0");
    EXPECT_EQ(at[3], "Recent Documents<>0<>0<>Folder><C:\\Recent");
    EXPECT_EQ(at[7], "Temp<>0<>1<>Folder><C:\\Temp><C:\\Temp\\keep.txt<>C:\\Temp\\keep2.txt");
    EXPECT_EQ(config->SoftwareInFile(), (kBuiltIn + Lines{"Mine", "Early", "Late"}));
    EXPECT_TRUE(w->Loaded() && rebuilds == 1);
    w->winsChkSettings[5]->Click();  // one box is enough to select the record again
    w->cmdOk.Click();
    EXPECT_EQ(InSet(), builtIn + "Mine+ Early- Late+ ") << "the second save re-appends the same records once";
    EXPECT_TRUE(!w->Loaded() && rebuilds == 2);
}

// A save that fails is told in one box and leaves the set, the file and the window as they were;
// once the way is clear, the same window saves the same choice.
TEST_F(SettingsWindows, ItemsSaveFailureIsToldInOneBoxAndLeavesTheSetAndTheFileAsTheyWere) {
    auto& w = Items(BuiltInRecords() + PluginLines("App", true));
    const std::string tmp = config->path + ".tmp", before = config->Bytes(), set = InSet();
    std::filesystem::create_directories(tmp + "/inside");  // where the temporary file goes
    w.winsChkSettings[0]->Click();
    w.plugChkSettings[0]->Click();
    w.cmdOk.Click();
    ASSERT_EQ(host.Boxes().size(), 1u);
    const std::string text = host.Boxes()[0].text;
    EXPECT_EQ(text.rfind("The items settings could not be saved to " + config->path + ".", 0), 0u) << text;
    EXPECT_NE(text.find("cannot be written"), std::string::npos) << text;
    EXPECT_NE(text.find("press OK or Apply again"), std::string::npos) << text;
    EXPECT_EQ(host.Boxes()[0].owner, "frmItemsSettings");
    EXPECT_TRUE(w.Loaded() && w.winsChkSettings[0]->Value() == CheckValue::Unchecked) << "the choice stays";
    EXPECT_TRUE(config->set.item(1).Items.item(1).Selected && InSet() == set && config->Bytes() == before);
    EXPECT_EQ(rebuilds, 0);
    std::filesystem::remove_all(tmp);
    w.cmdOk.Click();
    EXPECT_FALSE(w.Loaded());
    EXPECT_EQ(PlainLines(config->path).at(6), "Recent Documents<>0<>0<>Folder><C:\\Recent");
    EXPECT_EQ(rebuilds, 1);
}

// winapp2.ini's entries are listed by group below "Applications", apart from the configuration
// file's applications; an entry with a warning is chosen only once the user says yes to it.
TEST_F(SettingsWindows, Winapp2EntriesAreListedByGroupAndAWarningIsAskedBeforeItsEntryIsChosen) {
    auto& w = Items(BuiltInRecords() + PluginLines("Shipped", true),
                    {{"zeta", "Internet", true},
                     {"Alpha", "Internet", false, "Removes saved passwords."},
                     {"Odd", "Other", false, "May reset your layout."},
                     {"Fox Cache", "Firefox", true},
                     {"beta", "internet"},
                     {"Blank", ""}});
    Node& applications = *w.tvwTree.Roots().back();
    Lines groups;
    for (Node* node : applications.Children())
        groups.push_back(node->Text());
    EXPECT_EQ(groups, (Lines{"Firefox", "Internet", "Other"})) << "one node a group, Other last";
    EXPECT_TRUE(applications.Expanded());
    ASSERT_EQ(w.plugChkSettings.size(), 1u) << "the grid holds only the configuration file's applications";
    ClickGroup("Internet");
    EXPECT_TRUE(w.w2FraSettings.Visible());
    for (Frame* f : w.Frames())
        EXPECT_FALSE(f->Visible()) << f->Caption();
    EXPECT_EQ(w.lblSettings.Caption(), "Applications: Internet");
    EXPECT_EQ(Rows(), (Lines{"[ ] Alpha ! Removes saved passwords.", "[ ] beta", "[x] zeta"}));
    host.QueueAnswer(MsgAnswer::Yes);
    Tick("Alpha", true);
    Tick("beta", true);  // no warning, no question
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_NE(host.Boxes()[0].text.find("\"Alpha\" comes with a warning:\n\nRemoves saved passwords."),
              std::string::npos);
    EXPECT_EQ(host.Boxes()[0].defaultButton, MsgDefault::Button2) << "Enter does not choose a risky entry";
    ClickGroup("Other");
    host.QueueAnswer(MsgAnswer::No);
    Tick("Odd", true);
    EXPECT_EQ(Rows(), (Lines{"[ ] Blank", "[ ] Odd ! May reset your layout."}));
    EXPECT_FALSE(w.Winapp2Chosen("odd"));
    ClickGroup("Internet");
    EXPECT_EQ(Rows(), (Lines{"[x] Alpha ! Removes saved passwords.", "[x] beta", "[x] zeta"})) << "the window's ticks";
    Tick("Alpha", false);
    EXPECT_TRUE(host.Boxes().size() == 2u && !w.Winapp2Chosen("Alpha") && w.Winapp2Chosen("BETA"))
        << "clearing never asks";
    w.tvwTree.UserClickNode(applications);
    EXPECT_TRUE(!w.w2FraSettings.Visible() && w.Frames()[5]->Visible());
}

// A save puts the choice into the set and the choice file, never the configuration file; a failed
// one leaves both as they were.
TEST_F(SettingsWindows, Winapp2ChoiceGoesIntoTheSetAndTheChoiceFileOnlyOnASave) {
    auto* w = &Items(BuiltInRecords() + PluginLines("Shipped", false),
                     {{"Kept", "Utilities", true}, {"New", "Utilities"}, {"Dropped", "Other", true}});
    ClickGroup("Utilities");
    Tick("New", true);
    ClickGroup("Other");
    Tick("Dropped", false);
    w->plugChkSettings[0]->Click();
    w->cmdApply.Click();
    ASSERT_TRUE(host.HandlerFailures().empty() && host.Boxes().empty());
    const std::string set = "Windows+ Internet Explorer+ Opera+ Netscape+ Mozilla+ Shipped+ Kept+ New+ Dropped- ";
    EXPECT_EQ(InSet(), set) << "once each, the configuration file's first";
    EXPECT_EQ(ReadBytes(choiceFile).substr(ReadBytes(choiceFile).find("\r\n")), "\r\nKept\r\nNew\r\n");
    EXPECT_EQ(config->SoftwareInFile(), (kBuiltIn + Lines{"Shipped"}));
    w->cmdOk.Click();
    EXPECT_TRUE(InSet() == set && !w->Loaded());

    w = &Items(BuiltInRecords(), {{"New", "Utilities"}});
    const std::string saved = ReadBytes(choiceFile);
    std::filesystem::create_directories(choiceFile + ".tmp/inside");  // where the temporary file goes
    ClickGroup("Utilities");
    Tick("New", true);
    w->cmdOk.Click();
    EXPECT_TRUE(InSet().ends_with("New- ") && ReadBytes(choiceFile) == saved);
    EXPECT_TRUE(w->Loaded() && w->Winapp2Chosen("New")) << "a failed save keeps the window open with the choice";
    EXPECT_NE(host.Boxes().back().text.find("winapp2 selection.txt"), std::string::npos);
}

// The schedule is shown by the mapping (a type checks its box; an interval the list does not offer
// shows its last entry) and stored by the rule (the interval box wins over the daily one).
TEST_F(SettingsWindows, OptionsShowTheScheduleByTheMappingAndApplyStoresItByTheRule) {
    const std::tuple<int16_t, const char*, int32_t, bool, bool> shown[] = {
        // interval, type; entry shown, interval box, daily box
        {15, "interval", 0, true, false},  {30, "daily", 1, false, true},  {60, "none", 2, false, false},
        {120, "interval", 3, true, false}, {240, "none", 4, false, false}, {480, "none", 5, false, false},
        {6, "none", 5, false, false},      {45, "Daily", 5, false, false}};
    for (const auto& [interval, type, entry, intervalBox, dailyBox] : shown) {
        app.settings.ScheduleInterval = interval;
        app.settings.ScheduleType = type;
        auto& w = Options();
        EXPECT_EQ(std::tuple(w.advaCmbScheduleInterval.ListIndex(), w.advaChkScheduleInterval.Checked(),
                             w.advaChkScheduleClock.Checked()),
                  std::tuple(entry, intervalBox, dailyBox))
            << interval << type;
    }
    const std::tuple<bool, bool, int32_t, const char*, int16_t> stored[] = {
        // interval box, daily box clicked; interval entry picked (-1: none); type and interval stored
        {false, false, -1, "none", 480},
        {true, true, -1, "interval", 480},
        {false, true, -1, "daily", 480},
        {false, false, 1, "none", 30},
        {true, false, 3, "interval", 120}};
    for (const auto& [intervalBox, dailyBox, entry, type, interval] : stored) {
        app.settings = AppSettings{};
        auto& w = Options();
        if (intervalBox)
            w.advaChkScheduleInterval.Click();
        if (dailyBox)
            w.advaChkScheduleClock.Click();
        if (entry >= 0)
            w.advaCmbScheduleInterval.UserSelect(entry);
        w.cmdApply.Click();
        EXPECT_EQ(std::tuple(app.settings.ScheduleType, app.settings.ScheduleInterval), std::tuple(type, interval));
        EXPECT_EQ(Setting("Schedule Type"), type);
        EXPECT_EQ(Setting("Schedule Interval"), std::to_string(interval));
        EXPECT_TRUE(w.Loaded());
    }
    EXPECT_TRUE(host.Boxes().empty());
}

// Default and Use Blank change only the controls; Cancel then leaves memory, registry and file.
// Apply writes the file with the hold settings of the Root copies taken when the window opened.
TEST_F(SettingsWindows, OptionsCancelKeepsEverythingAndApplyWritesTheHoldSettingsOfTheCopies) {
    app.settings.StartPage = "http://mine/";
    app.settings.ScheduleType = "daily";
    app.settings.KeepLogDays = 4;
    app.settings.MonitorStartPage = true;
    auto* w = &Options();
    const std::string before = config->Bytes();
    w->geneCmdUseBlank.Click();
    EXPECT_EQ(w->geneTxtHomePage.Text(), "about:blank");
    w->geneCmdDefault.Click();
    EXPECT_FALSE(w->advaChkScheduleClock.Checked() || w->geneChkIEMonitor.Checked());
    EXPECT_EQ(w->geneTxtHomePage.Text() + "|" + w->advaCmbScheduleInterval.Text() + "|" + w->advaCmbKeepLogDays.Text(),
              "|8 Hours|1");
    w->cmdCancel.Click();
    EXPECT_FALSE(w->Loaded());
    EXPECT_EQ(app.settings.StartPage + app.settings.ScheduleType + std::to_string(app.settings.KeepLogDays),
              "http://mine/daily4");
    EXPECT_FALSE(Setting("Schedule Type"));
    EXPECT_EQ(config->Bytes(), before);

    w = &Options();
    w->Unload();
    w->Show();
    ASSERT_EQ(w->Roots().Count(), 5) << "copies of the Root records only, taken afresh by each load";
    PrivacyItem& temp = app.ConfigSet().item(1).Items.item(5);  // holds two files
    temp.HoldSettings = {"C:\\Temp\\other.txt"};
    w->cmdApply.Click();
    EXPECT_EQ(temp.HoldSettings, (Lines{"C:\\Temp\\keep.txt", "C:\\Temp\\keep2.txt"}));
    std::string first = config->Bytes();
    std::filesystem::remove(config->path);
    w->cmdApply.Click();
    EXPECT_EQ(config->Bytes(), first);
}

// Without the right to write the settings key (a standard user's lot where it lies in
// HKEY_LOCAL_MACHINE), while the user's own keys stay writable.
TEST_F(SettingsWindows, OptionsFailedSaveIsToldInPlainWordsAndCancelPutsEverythingBack) {
    const SettingsLocations& where = store.Locations();
    RegKey(registry).SetRegValue("Use FormSuggest", rvtString, std::string("yes"), rkCurrentUser, kBrowserKey);
    app.settings.KeepLogDays = 3;
    ASSERT_TRUE(registry.DenyRights(where.settingsRoot, where.settingsParent, keyCreateSubKey | keySetValue));
    auto& w = Options();
    w.geneChkRunOnStartup.Click();
    w.geneChkTurnOffAutoComplete.Click();
    w.advaCmbKeepLogDays.UserSelect(4);
    std::filesystem::remove(config->path);
    w.cmdOk.Click();
    ASSERT_EQ(host.Boxes().size(), 1u);
    const HeadlessHost::ShownBox& box = host.Boxes()[0];
    EXPECT_EQ(box.caption, "Run Options");
    EXPECT_NE(box.text.find("\"Schedule Type\""), std::string::npos) << "it says what failed: " << box.text;
    EXPECT_NE(box.text.find("Ask your administrator"), std::string::npos) << "and what to do: " << box.text;
    EXPECT_TRUE(std::all_of(box.text.begin(), box.text.end(), [](char c) { return c > 0 && c != '*'; }))
        << "none of the registry's own texts: " << box.text;
    EXPECT_TRUE(w.Loaded());
    // Every step was still tried: the user's own switches were written and the file was saved.
    EXPECT_EQ(Value(rkCurrentUser, kBrowserKey, "FormSuggest Passwords"), "no");
    EXPECT_EQ(Value(rkCurrentUser, kRunKey, "Sweepkit Lumo"), "C:\\Lumo\\SweepkitLumo.exe");
    EXPECT_TRUE(std::filesystem::exists(config->path));

    w.cmdCancel.Click();
    EXPECT_FALSE(w.Loaded());
    EXPECT_EQ(host.Boxes().size(), 1u) << "what could not be written was not changed either: no second box";
    EXPECT_FALSE(app.settings.RunOnStartupWindows || app.settings.TurnOffFormsAutoComplete);
    EXPECT_EQ(app.settings.KeepLogDays, 3);
    EXPECT_FALSE(Value(rkCurrentUser, kRunKey, "Sweepkit Lumo") ||
                 Value(rkCurrentUser, kBrowserKey, "FormSuggest Passwords"));
    EXPECT_EQ(Value(rkCurrentUser, kBrowserKey, "Use FormSuggest"), "yes");

    ASSERT_TRUE(registry.DenyRights(where.settingsRoot, where.settingsParent, 0));
    auto& again = Options();
    again.advaChkScheduleClock.Click();
    again.cmdOk.Click();
    EXPECT_FALSE(again.Loaded()) << "with the rights back, OK saves and closes without a word";
    EXPECT_EQ(Setting("Schedule Type"), "daily");
}

TEST_F(SettingsWindows, OptionsApplyToIeWritesTheBrowserValuesAndApprovesThem) {
    const std::tuple<const char*, const char*, std::optional<std::string>> cases[] = {
        {"http://home.example/", "Work", "Work"}, {"about:blank", "", std::nullopt}, {"", "   ", std::nullopt}};
    for (const auto& [page, title, browserTitle] : cases) {
        SCOPED_TRACE(std::string(page) + "|" + title);
        RegKey(registry).SetRegValue("Window Title", rvtString, std::string("Old"), rkCurrentUser, kBrowserKey);
        auto& w = Options();
        w.geneTxtHomePage.UserSetText(page);
        w.geneTxtWindowTitle.UserSetText(title);
        w.geneCmdApplyToIE.Click();
        std::string approved = browserTitle.value_or("");  // a deleted title is approved as none
        EXPECT_EQ(Value(rkCurrentUser, kBrowserKey, "Start Page"), page);
        EXPECT_EQ(Value(rkCurrentUser, kBrowserKey, "Window Title"), browserTitle);
        EXPECT_EQ(app.settings.StartPage + "|" + app.settings.WindowTitle, page + ("|" + approved));
        EXPECT_EQ(std::tuple(Setting("Start Page"), Setting("Window Title")), std::tuple(page, approved));
        EXPECT_EQ(w.geneTxtWindowTitle.Text(), approved);
        EXPECT_FALSE(Setting("Schedule Type")) << "only the approved values are written";
    }
    EXPECT_TRUE(host.Boxes().empty());
    // A browser key that cannot be written: one message, the approved values stay.
    ASSERT_TRUE(registry.DenyRights(rkCurrentUser, kBrowserKey, keySetValue));
    auto& w = Options();
    w.geneTxtHomePage.UserSetText("http://new/");
    w.geneCmdApplyToIE.Click();
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(host.Boxes()[0].text.rfind("The browser's start page and window title could not be set.", 0), 0u);
    EXPECT_EQ(Setting("Start Page"), "");
}

}  // namespace
}  // namespace lumo
