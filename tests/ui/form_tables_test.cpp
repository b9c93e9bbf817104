// The forms and the control model under them: every window's table walked row by row (a new row
// is checked without a new test), rows the model refuses, Run Options' bindings both ways, the
// caption fit, quiet setters against the user's actions, what blocks an action, a failing
// handler, and the bookkeeping of lists, trees, panels and menus that the windows rely on.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <variant>

#include "base/registry_error.h"
#include "config/config_error.h"
#include "platform/portable/memory_registry.h"
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

// Rows the model cannot honour stop the form at once, naming the row.
TEST(FormTableWalk, RefusesRowsTheModelCannotHonour) {
    using enum ControlKind;
    auto R = [](ControlKind kind, const char* name, const char* caption = "x", const char* in = nullptr,
                uint32_t style = rsNone, int32_t index = -1, int32_t tab = kCreationOrder) {
        return ControlRow{kind, name, caption, 0, 0, 9, 9, tab, in, style, index};
    };
    const std::tuple<const char*, std::vector<ControlRow>, const char*> cases[] = {
        {"a frame made later", {R(CheckBox, "box", "x", "fra"), R(Frame, "fra", nullptr)}, "box"},
        {"a container that is no frame", {R(Label, "lbl"), R(CheckBox, "box", "x", "lbl")}, "box"},
        {"a caption on a text box", {R(TextBox, "txt")}, "txt"},
        {"a caption on a combo box", {R(ComboBox, "cmb")}, "cmb"},
        {"a default label", {R(Label, "lbl", "x", nullptr, rsDefault)}, "lbl"},
        {"a cancel check box", {R(CheckBox, "box", "x", nullptr, rsCancel)}, "box"},
        {"a drop-down button", {R(Button, "cmd", "x", nullptr, rsDropdownList)}, "cmd"},
        {"an unknown style", {R(Button, "cmd", "x", nullptr, 1u << 20)}, "cmd"},
        {"a name twice", {R(Button, "cmd"), R(Label, "cmd")}, "cmd"},
        {"an array position twice",
         {R(Button, "cmd", "x", nullptr, rsNone, 2), R(Button, "cmd", "y", nullptr, rsNone, 2)},
         "cmd(2)"},
        {"no name", {R(Button, "")}, "frmTest"},
        {"a negative tab position", {R(Button, "cmd", "x", nullptr, rsNone, -1, -5)}, "cmd"},
    };
    for (const auto& [what, rows, named] : cases) {
        HeadlessHost host;
        try {
            Form form(host, "frmTest", rows);
            ADD_FAILURE() << what << ": made";
        } catch (const std::logic_error& e) {
            EXPECT_NE(std::string(e.what()).find("frmTest."), std::string::npos) << what << ": " << e.what();
            EXPECT_NE(std::string(e.what()).find(named), std::string::npos) << what << ": " << e.what();
        }
    }
}

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

// frmAbout shows the version the host carries, without leading zeros and with its zero parts,
// and OK closes the modal window and gives the owner back.
TEST(AboutWindow, ShowsTheProgramsVersionAndOkGivesTheOwnerBack) {
    HeadlessHost host;
    host.SetProgramVersion({10, 0, 105});
    Form main(host, "frmPrivacyLumo");
    main.Show();
    AboutWindow about(host);
    std::string seen;
    host.OnModal = [&](Form&) {
        seen = about.lblVersion.Caption() + (main.Enabled() ? " over an enabled owner" : "");
        about.cmdOk.Click();
    };
    about.Show(ShowMode::Modal, &main);
    EXPECT_EQ(seen, "Version 10.0.105");
    EXPECT_TRUE(!about.Loaded() && main.Enabled());
    EXPECT_EQ(host.FormsShown().at(1).owner, "frmPrivacyLumo");
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

// What the peers rely on: the entry that changed, by its index, and nothing for no change; and
// places and visibility through frames.
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

}  // namespace
}  // namespace lumo
