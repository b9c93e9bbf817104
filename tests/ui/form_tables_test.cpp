// The forms as their tables describe them: every window's table walked row by row (a new row is
// checked without a new test), rows the model refuses, Run Options' bindings both ways, the
// caption fit, and the control model's events, entry lists and peer updates.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <variant>

#include "platform/portable/memory_registry.h"
#include "settings/settings_store.h"
#include "ui/about_window.h"
#include "ui/controls/caption_fit.h"
#include "ui/headless/headless_host.h"
#include "ui/items_settings_window.h"
#include "ui/main_window.h"
#include "ui/run_options_window.h"

namespace lumo {
namespace {

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

std::string RowName(const ControlRow& row) {
    return row.index < 0 ? row.name : std::string(row.name) + "(" + std::to_string(row.index) + ")";
}

class FormTable : public ::testing::TestWithParam<FormCase> {};

// Names are unique, an array's name is used only for the array, and the tab positions given are
// each used once, from zero, without gaps.
TEST_P(FormTable, NamesAndTabPositionsAreConsistent) {
    std::set<std::string> seen;
    std::map<std::string, bool> inArray;
    std::vector<int32_t> positions;
    for (const ControlRow& row : GetParam().table()) {
        EXPECT_TRUE(seen.insert(RowName(row)).second) << RowName(row) << " twice";
        auto [at, first] = inArray.try_emplace(row.name, row.index >= 0);
        EXPECT_TRUE(first || at->second == (row.index >= 0)) << row.name << " both alone and in an array";
        if (row.tabIndex != kCreationOrder)
            positions.push_back(row.tabIndex);
    }
    ASSERT_FALSE(positions.empty()) << "every window orders its keyboard";
    std::sort(positions.begin(), positions.end());
    for (size_t i = 0; i < positions.size(); ++i)
        ASSERT_EQ(positions[i], static_cast<int32_t>(i)) << "a gap or a position used twice";
}

TEST_P(FormTable, EveryRowMakesItsControlAsTheRowSaysAndNothingElseIsMade) {
    World world;
    std::unique_ptr<Form> form = GetParam().make(world);
    std::span<const ControlRow> rows = GetParam().table();
    ASSERT_EQ(form->Controls().size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const ControlRow& row = rows[i];
        SCOPED_TRACE(RowName(row));
        const Control& made = *form->Controls()[i];  // in the rows' order
        EXPECT_EQ(made.Name(), row.name);
        EXPECT_EQ(made.Index(), row.index);
        EXPECT_EQ(made.Kind(), row.kind);
        EXPECT_EQ(made.Bounds(), (TwipsRect{row.left, row.top, row.width, row.height}));
        EXPECT_EQ(made.CaptionText(), row.caption ? row.caption : "");
        EXPECT_EQ(made.Container() ? made.Container()->Name() : "", row.container ? row.container : "");
        EXPECT_EQ(made.TabIndex(), row.tabIndex == kCreationOrder ? static_cast<int32_t>(i) : row.tabIndex);
        EXPECT_TRUE(!(row.style & rsHidden) || !made.Visible());
        EXPECT_TRUE(!(row.style & rsBold) || made.Font().bold);
        if (const auto* button = dynamic_cast<const Button*>(&made)) {
            EXPECT_EQ(button->Default(), (row.style & rsDefault) != 0);
            EXPECT_EQ(button->Cancel(), (row.style & rsCancel) != 0);
        }
        if (const auto* combo = dynamic_cast<const ComboBox*>(&made)) {
            EXPECT_EQ(combo->Style() == ComboStyle::DropdownList, (row.style & rsDropdownList) != 0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, FormTable, ::testing::ValuesIn(kForms),
                         [](const ::testing::TestParamInfo<FormCase>& info) { return std::string(info.param.name); });

// Rows the model cannot honour stop the form at once, naming the row.
TEST(FormTableWalk, RefusesRowsTheModelCannotHonour) {
    using enum ControlKind;
    constexpr int32_t kOrder = kCreationOrder;
    const std::tuple<const char*, std::vector<ControlRow>, const char*> cases[] = {
        {"a frame made later",
         {{CheckBox, "box", "x", 0, 0, 9, 9, kOrder, "fra"}, {Frame, "fra", nullptr, 0, 0, 9, 9}},
         "box"},
        {"a container that is no frame",
         {{Label, "lbl", "x", 0, 0, 9, 9}, {CheckBox, "box", "x", 0, 0, 9, 9, kOrder, "lbl"}},
         "box"},
        {"a caption on a text box", {{TextBox, "txt", "x", 0, 0, 9, 9}}, "txt"},
        {"a caption on a combo box", {{ComboBox, "cmb", "x", 0, 0, 9, 9}}, "cmb"},
        {"a default label", {{Label, "lbl", "x", 0, 0, 9, 9, kOrder, nullptr, rsDefault}}, "lbl"},
        {"a cancel check box", {{CheckBox, "box", "x", 0, 0, 9, 9, kOrder, nullptr, rsCancel}}, "box"},
        {"a drop-down button", {{Button, "cmd", "x", 0, 0, 9, 9, kOrder, nullptr, rsDropdownList}}, "cmd"},
        {"an unknown style", {{Button, "cmd", "x", 0, 0, 9, 9, kOrder, nullptr, 1u << 20}}, "cmd"},
        {"a name twice", {{Button, "cmd", "x", 0, 0, 9, 9}, {Label, "cmd", "y", 0, 0, 9, 9}}, "cmd"},
        {"an array position twice",
         {{Button, "cmd", "x", 0, 0, 9, 9, kOrder, nullptr, rsNone, 2},
          {Button, "cmd", "y", 0, 0, 9, 9, kOrder, nullptr, rsNone, 2}},
         "cmd(2)"},
        {"no name", {{Button, "", "x", 0, 0, 9, 9}}, "frmTest"},
        {"a negative tab position", {{Button, "cmd", "x", 0, 0, 9, 9, -5}}, "cmd"},
    };
    for (const auto& [what, rows, named] : cases) {
        SCOPED_TRACE(what);
        HeadlessHost host;
        try {
            Form form(host, "frmTest", rows);
            ADD_FAILURE() << "made";
        } catch (const std::logic_error& e) {
            EXPECT_NE(std::string(e.what()).find("frmTest."), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(named), std::string::npos) << e.what();
        }
    }
}

// Array members are found by position in creation order, and a failing handler of one is
// reported under its name and position, position 0 included.
TEST(FormTableWalk, ArrayMembersAreFoundAndNamedByPosition) {
    using enum ControlKind;
    const ControlRow rows[] = {{Frame, "fra", "F", 100, 200, 900, 900},
                               {CheckBox, "box", "a", 10, 20, 30, 40, kCreationOrder, "fra", rsNone, 0},
                               {Label, "lbl", "l", 0, 0, 5, 5},
                               {CheckBox, "box", "b", 10, 70, 30, 40, kCreationOrder, "fra", rsNone, 1}};
    HeadlessHost host;
    Form form(host, "frmTest", rows);
    std::vector<lumo::CheckBox*> boxes = form.NamedArray<lumo::CheckBox>("box");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0]->Caption(), "a");
    EXPECT_EQ(&form.Named<lumo::CheckBox>("box", 1), boxes[1]);
    EXPECT_EQ(boxes[1]->FormBounds(), (TwipsRect{110, 270, 30, 40}));
    EXPECT_THROW(form.Named<lumo::CheckBox>("box", 2), std::logic_error);
    EXPECT_THROW(form.Named<lumo::Button>("lbl"), std::logic_error);
    form.Show();
    for (lumo::CheckBox* box : boxes) {
        box->OnClick = [] { throw std::runtime_error("boom"); };
        box->Click();
    }
    EXPECT_EQ(host.HandlerFailures(),
              (std::vector<std::string>{"frmTest.box(0)_Click: boom", "frmTest.box(1)_Click: boom"}));
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
// below; containers and the form grow by what they hold; a column keeps one width.
TEST(CaptionFit, GrowsWhatDoesNotFitAndMovesWhatItWouldCover) {
    HeadlessHost host;
    host.OnCaptionExtent = Measure;
    Form form(host, "frmFit");
    form.SetClientSize(6000, 3000);
    auto make = [&]<class T>(T*, const char* name, TwipsRect at, const char* caption, Frame* in = nullptr) -> T& {
        T& c = form.Add<T>(name, in);
        c.Move(at.left, at.top, at.width, at.height);
        c.SetCaption(caption);
        return c;
    };
    auto& logging = make((CheckBox*)nullptr, "chkLog", {100, 100, 1000, 250}, "Enable logging");
    auto& keep = make((Label*)nullptr, "lblKeep", {1200, 100, 900, 250}, "and keep");
    auto& note = make((Label*)nullptr, "lblNote", {100, 500, 2000, 250}, "Fits as it is");
    auto& frame = make((Frame*)nullptr, "fraMonitor", {100, 1000, 3000, 1500}, "Monitor");
    auto& monitor = make((CheckBox*)nullptr, "chkMonitor", {100, 300, 2000, 250},
                         "Monitor any change for the start page or window title", &frame);
    auto& below = make((Label*)nullptr, "lblBelow", {100, 700, 2000, 250}, "Start page", &frame);
    auto& ok = make((Button*)nullptr, "cmdOk", {100, 2600, 900, 300}, "OK");
    auto& show = make((Button*)nullptr, "cmdShow", {4000, 100, 800, 300}, "Show");
    auto& settings = make((Button*)nullptr, "cmdSettings", {4000, 500, 800, 300}, "Items Settings");
    for (int pass = 0; pass < 2; ++pass) {  // fitting twice changes nothing more
        FitCaptions(form);
        EXPECT_EQ(note.Bounds(), (TwipsRect{100, 500, 2000, 250})) << "a caption that fits keeps its place";
        EXPECT_EQ(logging.Bounds(), (TwipsRect{100, 100, 1445, 250})) << "wider by its text and a little room";
        EXPECT_EQ(keep.Bounds(), (TwipsRect{1605, 100, 900, 250})) << "its neighbour moves aside";
        // 53 characters cannot stand on one line in a frame 3000 wide: the box takes the frame's
        // width less its edge and two lines; what stood below it moves down by the line it took.
        EXPECT_EQ(monitor.Bounds(), (TwipsRect{100, 300, 2840, 400}));
        EXPECT_EQ(below.Bounds(), (TwipsRect{100, 850, 2000, 250}));
        EXPECT_EQ(frame.Bounds(), (TwipsRect{100, 1000, 3000, 1650}));
        EXPECT_EQ(ok.Bounds(), (TwipsRect{100, 2750, 900, 300}));
        EXPECT_EQ(form.ClientHeight(), 3150) << "the form keeps its margin below what it holds";
        EXPECT_EQ(form.ClientWidth(), 6000);
        EXPECT_EQ(settings.Bounds(), (TwipsRect{4000, 500, 1445, 300}));
        EXPECT_EQ(show.Bounds(), (TwipsRect{4000, 100, 1445, 300})) << "a column keeps one width";
    }
}

// frmAbout shows the version the host carries, without leading zeros and with its zero parts,
// and OK closes the modal window and gives the owner back.
TEST(AboutWindow, ShowsTheProgramsVersionAndOkGivesTheOwnerBack) {
    const std::pair<VersionNumbers, const char*> cases[] = {{{3, 2, 19}, "Version 3.2.19"},
                                                            {{3, 2, 0}, "Version 3.2.0"},
                                                            {{10, 0, 105}, "Version 10.0.105"}};
    for (const auto& [version, text] : cases) {
        HeadlessHost host;
        host.SetProgramVersion(version);
        Form main(host, "frmPrivacyLumo");
        main.Show();
        AboutWindow about(host);
        std::string seen;
        host.OnModal = [&](Form&) {
            seen = about.lblVersion.Caption();
            EXPECT_FALSE(main.Enabled());
            about.cmdOk.Click();
        };
        about.Show(ShowMode::Modal, &main);
        EXPECT_EQ(seen, text);
        EXPECT_FALSE(about.Loaded());
        EXPECT_TRUE(main.Enabled());
        EXPECT_EQ(host.FormsShown().at(1).owner, "frmPrivacyLumo");
    }
}

// What the controls tell their native peer.
struct RecordingPeer : ControlPeer {
    explicit RecordingPeer(std::vector<std::pair<Change, int32_t>>& s) : seen(s) {}
    void Update(Change what, int32_t index) override { seen.emplace_back(what, index); }
    std::vector<std::pair<Change, int32_t>>& seen;
};

TEST(ControlPeers, ANodesNewTextReachesThePeer) {
    HeadlessHost host;
    Form form(host, "frmTest");
    TreeView& tree = form.Add<TreeView>("tvwTree");
    tree.AddNode(nullptr, "a", "A");
    Node& second = tree.AddNode(nullptr, "b", "B");
    std::vector<std::pair<Change, int32_t>> seen;
    tree.AttachPeer(std::make_unique<RecordingPeer>(seen));
    second.SetText("Bee");
    EXPECT_EQ(seen, (std::vector<std::pair<Change, int32_t>>{{Change::ItemChanged, 2}}));
}

// Removing an entry keeps the selection on the entry it was on, or clears it with that entry.
TEST(EntryList, RemovingAnEntryKeepsTheSelectionOnItsEntry) {
    const std::tuple<int32_t, int32_t, int32_t> cases[] = {// selected, removed, selected after
                                                           {1, 1, -1},
                                                           {2, 0, 1},
                                                           {0, 1, 0},
                                                           {1, 3, 1},
                                                           {-1, 0, -1}};
    for (const auto& [selected, removed, after] : cases) {
        HeadlessHost host;
        Form form(host, "frmTest");
        ListBox& list = form.Add<ListBox>("lstLog");
        for (const char* entry : {"a", "b", "c"})
            list.AddItem(entry);
        list.SetListIndex(selected);
        list.RemoveItem(removed);
        EXPECT_EQ(list.ListIndex(), after) << selected << " " << removed;
        std::string left;
        for (int32_t i = 0; i < list.ListCount(); ++i)
            left += list.List(i);
        EXPECT_EQ(left, std::string("abc").erase(static_cast<size_t>(removed), 1)) << "the entry removed, no other";
    }
}

}  // namespace
}  // namespace lumo
