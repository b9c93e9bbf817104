// The windows and the control model under them, headless. Every window's table walked row by row
// (a new row is checked without a new test), rows the model refuses, Run Options' bindings both
// ways, the caption fit; the control model's quiet setters against the user's actions, what
// blocks an action, a failing handler and what the peers are told. The two settings windows on
// real configuration files: Items Settings' load, node clicks, what OK, Apply and Cancel leave in
// the set and in the file, save failures and the winapp2.ini entries (listed by group below
// "Applications", a warning asked before its entry is chosen, the choice saved into the set and
// the choice file, never into the configuration file); Run Options' schedule both ways, and what
// Apply, OK, Cancel, Default, Use Blank and Apply to IE leave in memory, in the registry and on
// disk, failures included.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <variant>

#include "base/registry_error.h"
#include "config/config_error.h"
#include "items_settings_test_config.h"
#include "platform/portable/memory_registry.h"
#include "platform/portable/portable_file_system.h"
#include "registry/reg_key.h"
#include "ui/about_window.h"
#include "ui/controls/caption_fit.h"
#include "ui/controls/text_box.h"
#include "ui/headless/headless_host.h"
#include "ui/items_settings_window.h"
#include "ui/main_window.h"
#include "ui/run_options_window.h"

namespace lumo {
namespace {

using Action = std::function<void()>;
using Updates = std::vector<std::pair<Change, int32_t>>;

// What the windows need to be made; none of them is loaded here.
struct World {
    HeadlessHost host;
    MemoryRegistry registry;
    Application app{Platform{&registry}, DateTime::FromParts(2024, 5, 1, 9, 0, 0)};
    SettingsStore store{registry, "C:\\Lumo\\SweepkitLumo.exe"};
    PrivacyConfigs configSet;
};

struct FormCase {
    const char* name;
    std::span<const ControlRow> (*table)();
    std::function<std::unique_ptr<Form>(World&)> make;
};
void PrintTo(const FormCase& c, std::ostream* out) { *out << c.name; }

const FormCase kForms[] = {
    {"About", &AboutWindow::ControlTable, [](World& w) { return std::make_unique<AboutWindow>(w.host); }},
    {"Main", &MainWindow::ControlTable, [](World& w) { return std::make_unique<MainWindow>(w.host, w.app); }},
    {"RunOptions", &RunOptionsWindow::ControlTable,
     [](World& w) { return std::make_unique<RunOptionsWindow>(w.host, w.app, w.store); }},
    {"ItemsSettings", &ItemsSettingsWindow::ControlTable,
     [](World& w) { return std::make_unique<ItemsSettingsWindow>(w.host, w.configSet, "unused.dat", nullptr); }},
};

class FormTable : public ::testing::TestWithParam<FormCase> {};

// Each row makes its control as the row says, in the rows' order and nothing else; names are
// unique, and the tab positions given are each used once, from zero, without gaps.
TEST_P(FormTable, EveryRowMakesItsControlAsTheRowSaysAndTabPositionsHaveNoGaps) {
    World world;
    std::unique_ptr<Form> form = GetParam().make(world);
    std::span<const ControlRow> rows = GetParam().table();
    ASSERT_EQ(form->Controls().size(), rows.size());
    std::set<std::pair<std::string, int32_t>> seen;
    std::map<std::string, bool> inArray;  // an array's name is used only for the array
    std::vector<int32_t> positions;
    for (size_t i = 0; i < rows.size(); ++i) {
        const ControlRow& row = rows[i];
        const Control& made = *form->Controls()[i];
        SCOPED_TRACE(std::string(row.name) + "(" + std::to_string(row.index) + ")");
        auto [at, first] = inArray.try_emplace(row.name, row.index >= 0);
        EXPECT_TRUE(seen.emplace(row.name, row.index).second && at->second == (row.index >= 0));
        if (row.tabIndex != kCreationOrder)
            positions.push_back(row.tabIndex);
        EXPECT_EQ(made.Name(), row.name);
        EXPECT_EQ(made.Index(), row.index);
        EXPECT_EQ(made.Kind(), row.kind);
        EXPECT_EQ(made.Bounds(), (TwipsRect{row.left, row.top, row.width, row.height}));
        EXPECT_EQ(made.CaptionText(), row.caption ? row.caption : "");
        EXPECT_EQ(made.Container() ? made.Container()->Name() : "", row.container ? row.container : "");
        EXPECT_EQ(made.TabIndex(), row.tabIndex == kCreationOrder ? static_cast<int32_t>(i) : row.tabIndex);
        EXPECT_TRUE(!(row.style & rsHidden) || !made.Visible());
        EXPECT_TRUE(!(row.style & rsBold) || made.Font().bold);
        const auto* button = dynamic_cast<const Button*>(&made);
        const auto* combo = dynamic_cast<const ComboBox*>(&made);
        EXPECT_EQ(button && button->Default(), (row.style & rsDefault) != 0);
        EXPECT_EQ(button && button->Cancel(), (row.style & rsCancel) != 0);
        EXPECT_EQ(combo && combo->Style() == ComboStyle::DropdownList, (row.style & rsDropdownList) != 0);
    }
    ASSERT_FALSE(positions.empty()) << "every window orders its keyboard";
    std::sort(positions.begin(), positions.end());
    for (size_t i = 0; i < positions.size(); ++i)
        ASSERT_EQ(positions[i], static_cast<int32_t>(i)) << "a gap or a position used twice";
}

INSTANTIATE_TEST_SUITE_P(Windows, FormTable, ::testing::ValuesIn(kForms),
                         [](const ::testing::TestParamInfo<FormCase>& info) { return std::string(info.param.name); });

// The setting `b` binds, in `s`, as text; with `window`, first set to a value other than its
// default, one the control can show.
std::string Bound(const SettingBinding& b, AppSettings& s, RunOptionsWindow* window = nullptr) {
    const AppSettings defaults;
    auto text = [&](auto setting) -> std::string {
        using Setting = decltype(setting);
        if constexpr (std::is_same_v<Setting, bool AppSettings::*>) {
            if (window)
                s.*setting = !(defaults.*setting);
            return s.*setting ? "on" : "off";
        } else if constexpr (std::is_same_v<Setting, std::string AppSettings::*>) {
            if (window)
                s.*setting = std::string("shown by ") + b.control;
            return s.*setting;
        } else {
            if (window) {
                auto last = static_cast<int16_t>(setting.first + window->Named<ComboBox>(b.control).ListCount() - 1);
                s.*setting.setting = last != defaults.*setting.setting ? last : setting.first;
            }
            return std::to_string(s.*setting.setting);
        }
    };
    return std::visit(text, b.setting);
}

std::vector<std::string> BoundValues(AppSettings s) {
    std::vector<std::string> values;
    for (const SettingBinding& b : RunOptionsWindow::Bindings())
        values.push_back(Bound(b, s));
    return values;
}

TEST(RunOptionsBindings, EachSettingAloneGoesToItsControlAndBackIntoFreshSettings) {
    World world;
    RunOptionsWindow window(world.host, world.app, world.store);
    const std::vector<std::string> defaults = BoundValues(AppSettings{});
    const auto bindings = RunOptionsWindow::Bindings();
    for (size_t i = 0; i < bindings.size(); ++i) {
        SCOPED_TRACE(bindings[i].control);
        AppSettings shown, stored;
        std::vector<std::string> expected = defaults;
        expected[i] = Bound(bindings[i], shown, &window);
        ASSERT_NE(expected, defaults);
        window.ShowSettings(shown);
        window.StoreSettings(stored);
        EXPECT_EQ(BoundValues(stored), expected) << "only this setting differs from its default";
    }
}

// With a host that measures 100 twips a character and 200 a line, words broken greedily.
TwipsSize Measure(const Control& c, int32_t width) {
    std::istringstream words(c.CaptionText());
    std::string word;
    size_t room = width == 0 ? SIZE_MAX : static_cast<size_t>(width / 100), line = 0, widest = 0;
    int32_t lines = 1;
    while (words >> word) {
        if (line > 0 && line + 1 + word.size() > room) {
            ++lines;
            line = 0;
        }
        line += (line > 0 ? 1 : 0) + word.size();
        widest = std::max(widest, line);
    }
    return {static_cast<int32_t>(widest) * 100, lines * 200};
}

// What fits stays; a caption that fits its container on one line widens its control and moves
// what it would cover in its row; one too long for that breaks into lines and moves what is
// below; containers and the form grow by what they hold; a column keeps one width. Fitting twice
// changes nothing more.
TEST(CaptionFit, GrowsWhatDoesNotFitAndMovesWhatItWouldCover) {
    using enum ControlKind;
    const std::pair<ControlRow, TwipsRect> cases[] = {
        // a control, and its place once fitted
        {{CheckBox, "chkLog", "Enable logging", 100, 100, 1000, 250}, {100, 100, 1445, 250}},
        {{Label, "lblKeep", "and keep", 1200, 100, 900, 250}, {1605, 100, 900, 250}},
        {{Label, "lblNote", "Fits as it is", 100, 500, 2000, 250}, {100, 500, 2000, 250}},
        {{Frame, "fraMonitor", "Monitor", 100, 1000, 3000, 1500}, {100, 1000, 3000, 1650}},
        // 53 characters cannot stand on one line in a frame 3000 wide: the box takes the frame's
        // width less its edge and two lines; what stood below it moves down by the line it took.
        {{CheckBox, "chkMonitor", "Monitor any change for the start page or window title", 100, 300, 2000, 250,
          kCreationOrder, "fraMonitor"},
         {100, 300, 2840, 400}},
        {{Label, "lblBelow", "Start page", 100, 700, 2000, 250, kCreationOrder, "fraMonitor"}, {100, 850, 2000, 250}},
        {{Button, "cmdOk", "OK", 100, 2600, 900, 300}, {100, 2750, 900, 300}},
        {{Button, "cmdShow", "Show", 4000, 100, 800, 300}, {4000, 100, 1445, 300}},
        {{Button, "cmdSettings", "Items Settings", 4000, 500, 800, 300}, {4000, 500, 1445, 300}},
    };
    std::vector<ControlRow> rows;
    for (const auto& c : cases)
        rows.push_back(c.first);
    HeadlessHost host;
    host.OnCaptionExtent = Measure;
    Form form(host, "frmFit", rows);
    form.SetClientSize(6000, 3000);
    for (int pass = 0; pass < 2; ++pass) {
        FitCaptions(form);
        for (size_t i = 0; i < std::size(cases); ++i)
            EXPECT_EQ(form.Controls()[i]->Bounds(), cases[i].second) << cases[i].first.name;
        EXPECT_EQ(form.ClientHeight(), 3150) << "the form keeps its margin below what it holds";
        EXPECT_EQ(form.ClientWidth(), 6000);
    }
}

// What a control tells its native peer.
struct RecordingPeer : ControlPeer {
    explicit RecordingPeer(Updates& out) : log(out) {}
    void Update(Change what, int32_t index) override { log.emplace_back(what, index); }
    Updates& log;
};

class ControlModel : public ::testing::Test {
protected:
    template <class T>
    T& Make(const char* name, Frame* in = nullptr, int32_t index = -1) {
        T& c = form.Add<T>(name, in, index);
        c.AttachPeer(std::make_unique<RecordingPeer>(log));
        return c;
    }
    // What the peers were told while `act` ran.
    Updates Told(const Action& act) {
        log.clear();
        act();
        return log;
    }
    HeadlessHost host;
    Form form{host, "frmTest"};
    Updates log;
    int runs = 0;
};

TEST_F(ControlModel, ValuesSetFromCodeNeverRunHandlersButTheUsersActionsDo) {
    auto& chk = Make<CheckBox>("chk");
    auto& txt = Make<TextBox>("txt");
    auto& lst = Make<ListBox>("lst");
    auto& cmb = Make<ComboBox>("cmb");
    auto& tvw = Make<TreeView>("tvw");
    auto& lvw = Make<ListView>("lvw");
    chk.OnClick = txt.OnChange = lst.OnClick = cmb.OnClick = cmb.OnChange = [&] { ++runs; };
    tvw.OnNodeClick = [&](Node&) { ++runs; };
    lvw.OnItemClick = [&](ListItem&) { ++runs; };
    for (const char* s : {"a", "b"})
        lst.AddItem(s), cmb.AddItem(s);
    Node& node = tvw.AddNode(nullptr, "k", "Windows");
    ListItem& row = lvw.AddItem("r", "row");
    const std::pair<Action, Action> cases[] = {
        {[&] { chk.SetValue(CheckValue::Checked); }, [&] { chk.Click(); }},
        {[&] { txt.SetText("code"); }, [&] { txt.UserSetText("typed"); }},
        {[&] { lst.SetListIndex(1); }, [&] { lst.UserSelect(0); }},
        {[&] { cmb.SetListIndex(1); }, [&] { cmb.UserSelect(0); }},
        {[&] { cmb.SetText("code"); }, [&] { cmb.UserSetText("typed"); }},
        {[&] { tvw.SetSelectedItem(&node); }, [&] { tvw.UserClickNode(node); }},
        {[&] { lvw.SetSelectedItem(&row); }, [&] { lvw.UserClickItem(row); }},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        runs = 0;
        cases[i].first();
        EXPECT_EQ(runs, 0) << i;
        cases[i].second();
        EXPECT_EQ(runs, 1) << i;
    }
    EXPECT_EQ(cmb.ListIndex(), -1) << "typing a text that is no entry leaves no entry selected";
    // A click checks unchecked and grayed boxes and unchecks checked ones.
    for (CheckValue value : {CheckValue::Unchecked, CheckValue::Checked, CheckValue::Grayed}) {
        chk.SetValue(value);
        chk.Click();
        EXPECT_EQ(chk.Value(), value == CheckValue::Checked ? CheckValue::Unchecked : CheckValue::Checked);
    }
}

TEST_F(ControlModel, UserActionsDoNothingWhereTheUserCouldNotAct) {
    auto& fra = Make<Frame>("fra");
    auto& cmd = Make<Button>("cmdIn", &fra);
    auto& tmr = Make<Timer>("tmr");
    MenuItem& tray = form.AddMenu("menuSysTray", "SysTray");
    tray.SetVisible(false);  // a pop-up-only menu still runs its items
    MenuItem& item = tray.Add("menuSTClearNow", "Clear Now");
    MenuItem& line = tray.Add("menuLine6", "-");
    cmd.OnClick = tmr.OnTimer = item.OnClick = line.OnClick = [&] { ++runs; };
    tmr.SetInterval(30000);
    // What blocks the action (false) and lets it run again (true).
    const std::tuple<const char*, std::function<void(bool)>, Action> cases[] = {
        {"a disabled button", [&](bool on) { cmd.SetEnabled(on); }, [&] { cmd.Click(); }},
        {"a disabled frame around it", [&](bool on) { fra.SetEnabled(on); }, [&] { cmd.Click(); }},
        {"a modal window over the form", [&](bool on) { form.SetEnabled(on); }, [&] { cmd.Click(); }},
        {"a disabled timer", [&](bool on) { tmr.SetEnabled(on); }, [&] { tmr.Tick(); }},
        {"a stopped timer", [&](bool on) { tmr.SetInterval(on ? 30000 : 0); }, [&] { tmr.Tick(); }},
        {"a disabled menu item", [&](bool on) { item.SetEnabled(on); }, [&] { item.Click(); }},
        {"a disabled menu", [&](bool on) { tray.SetEnabled(on); }, [&] { item.Click(); }},
        {"a hidden menu item", [&](bool on) { item.SetVisible(on); }, [&] { item.Click(); }},
    };
    for (const auto& [what, allow, act] : cases) {
        runs = 0;
        allow(false);
        act();
        EXPECT_EQ(runs, 0) << what;
        allow(true);
        act();
        EXPECT_EQ(runs, 1) << what;
    }
    line.Click();
    EXPECT_EQ(runs, 1) << "a separator runs nothing";
    EXPECT_EQ(form.FindMenuId(item.Id()), &item);
    EXPECT_NE(line.Id(), item.Id());
}

TEST_F(ControlModel, AFailingHandlerIsShownInPlainWordsAndTheProgramGoesOn) {
    const std::pair<Action, const char*> cases[] = {
        {[] {
             throw ConfigError(ceFileAccess, "SaveConfig", "Path/File access error: \"C:\\P.dat\" cannot be written");
         },
         "The configuration file could not be read or written.\r\n\r\nPath/File access error: \"C:\\P.dat\" cannot "
         "be written.\r\n\r\nCheck that the file is not read-only or open in another program and that you may change "
         "its folder, then try again."},
        {[] { throw RegistryError(100, "RegValue", "\r\n * \xe5\x88\x9b"); },
         "A registry key could not be read or changed.\r\n\r\nThe registry refused the change.\r\n\r\nYour account "
         "may not have the right to change it; try again as a user who has, or leave that setting as it is."},
        {[] { throw 42; },
         "Sweepkit Lumo could not finish what you asked for.\r\n\r\nThe cause is not known.\r\n\r\nTry again. If it "
         "keeps failing, close Sweepkit Lumo and start it again."},
    };
    auto& chk = Make<CheckBox>("plugChkSettings", nullptr, 0);
    for (const auto& [fail, text] : cases) {
        host.ClearBoxes();
        chk.OnClick = fail;
        EXPECT_NO_THROW(chk.Click());
        ASSERT_EQ(host.Boxes().size(), 1u);
        EXPECT_EQ(host.Boxes()[0].text, text);
        EXPECT_EQ(host.Boxes()[0].icon, MsgIcon::Exclamation);
    }
    EXPECT_EQ(host.HandlerFailures().back(), "frmTest.plugChkSettings(0)_Click: unknown failure")
        << "the handler's name is kept for whoever looks into it, not shown";
}

// What the peers rely on: the entry that changed, by its index, and nothing for no change; a
// list's selection as entries go; and places and visibility through frames.
TEST_F(ControlModel, PeersAreToldWhichEntryChangedAndFramesPlaceAndHideWhatTheyHold) {
    auto& lvw = Make<ListView>("lvw");
    for (const char* key : {"a", "b"})
        lvw.AddItem(key, key);
    EXPECT_EQ(Told([&] { lvw.Item("b").SetSubItem(1, "5 item(s)"); }), (Updates{{Change::ItemChanged, 2}}));
    auto& tvw = Make<TreeView>("tvw");
    Node& win = tvw.AddNode(nullptr, "w", "Windows");
    Node& ie = tvw.AddNode(nullptr, "", "IE");
    tvw.AddNode(&win, "", "Recent");
    EXPECT_EQ(Told([&] { ie.SetText("Internet Explorer"); }), (Updates{{Change::ItemChanged, 2}}));
    tvw.SetSelectedItem(&ie);
    tvw.ClearNodes();
    EXPECT_EQ(tvw.SelectedItem(), nullptr);
    auto& sbr = Make<StatusBar>("sbr");
    for (int i = 0; i < 4; ++i)
        sbr.AddPanel("", PanelAutoSize::Contents);
    EXPECT_EQ(Told([&] { sbr.SetPanelText(2, "3"), sbr.SetPanelText(2, "3"); }).size(), 1u)
        << "an unchanged text costs the peer nothing";

    auto& lst = Make<ListBox>("lstLog");
    for (const char* entry : {"a", "b", "c"})
        lst.AddItem(entry);
    lst.SetListIndex(2);
    lst.RemoveItem(0);
    EXPECT_EQ(lst.List(0) + lst.List(1) + std::to_string(lst.ListIndex()), "bc1") << "the selection stays on its entry";
    lst.RemoveItem(1);
    EXPECT_EQ(lst.ListIndex(), -1) << "and goes with it";

    auto& outer = Make<Frame>("outer");
    auto& inner = Make<Frame>("inner", &outer);
    auto& txt = Make<TextBox>("txt", &inner);
    outer.Move(360, 210, 6105, 6390);
    inner.Move(285, 3315, 5505, 2910);
    txt.Move(330, 1425, 4875, 315);
    EXPECT_EQ(txt.FormBounds(), (TwipsRect{975, 4950, 4875, 315})) << "places add up through nested frames";
    outer.SetVisible(false);
    EXPECT_TRUE(txt.Visible() && !txt.Shown()) << "a hidden frame hides what it holds";
}

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

class SettingsWindows : public ::testing::Test, protected World {
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
    // It says what failed and what to do, in none of the registry's own texts.
    const std::string text = host.Boxes()[0].text;
    EXPECT_TRUE(text.find("\"Schedule Type\"") != std::string::npos &&
                text.find("Ask your administrator") != std::string::npos &&
                std::all_of(text.begin(), text.end(), [](char c) { return c > 0 && c != '*'; }))
        << text;
    EXPECT_TRUE(w.Loaded() && host.Boxes()[0].caption == "Run Options");
    // Every step was still tried: the user's own switches were written and the file was saved.
    EXPECT_EQ(Value(rkCurrentUser, kBrowserKey, "FormSuggest Passwords"), "no");
    EXPECT_EQ(Value(rkCurrentUser, kRunKey, "Sweepkit Lumo"), "C:\\Lumo\\SweepkitLumo.exe");
    EXPECT_TRUE(std::filesystem::exists(config->path));

    w.cmdCancel.Click();
    EXPECT_FALSE(w.Loaded());
    EXPECT_EQ(host.Boxes().size(), 1u) << "what could not be written was not changed either: no second box";
    EXPECT_TRUE(!app.settings.RunOnStartupWindows && !app.settings.TurnOffFormsAutoComplete &&
                app.settings.KeepLogDays == 3);
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
