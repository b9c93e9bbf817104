// The windows' tables of controls and Run Options' table of bindings, walked row by row: a new row
// is checked by these tests without a new test.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "settings/application.h"
#include "platform/portable/memory_registry.h"
#include "settings/settings_store.h"
#include "ui/about_window.h"
#include "ui/controls/form_table.h"
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

TEST_P(FormTable, NamesAreUniqueAndAnArrayNameIsUsedOnlyForTheArray) {
    std::set<std::string> seen;
    std::map<std::string, bool> inArray;
    for (const ControlRow& row : GetParam().table()) {
        EXPECT_TRUE(seen.insert(RowName(row)).second) << RowName(row) << " twice";
        auto [at, first] = inArray.try_emplace(row.name, row.index >= 0);
        EXPECT_TRUE(first || at->second == (row.index >= 0)) << row.name << " both alone and in an array";
    }
}

TEST_P(FormTable, TabPositionsGivenAreEachUsedOnceFromZeroWithoutGaps) {
    std::vector<int32_t> positions;
    for (const ControlRow& row : GetParam().table())
        if (row.tabIndex != kCreationOrder)
            positions.push_back(row.tabIndex);
    ASSERT_FALSE(positions.empty()) << "every window orders its keyboard";
    std::sort(positions.begin(), positions.end());
    for (size_t i = 0; i < positions.size(); ++i)
        ASSERT_EQ(positions[i], static_cast<int32_t>(i)) << "a gap or a position used twice";
}

TEST_P(FormTable, EveryRowMakesItsControlAsTheRowSaysAndNothingElseIsMade) {
    World world;
    std::unique_ptr<Form> form = GetParam().make(world);
    std::span<const ControlRow> rows = GetParam().table();
    EXPECT_EQ(form->Controls().size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const ControlRow& row = rows[i];
        SCOPED_TRACE(RowName(row));
        ASSERT_LT(i, form->Controls().size());
        const Control& made = *form->Controls()[i];  // in the rows' order
        EXPECT_EQ(made.Name(), row.name);
        EXPECT_EQ(made.Index(), row.index);
        EXPECT_EQ(made.Kind(), row.kind);
        EXPECT_EQ(made.Bounds(), (TwipsRect{row.left, row.top, row.width, row.height}));
        EXPECT_EQ(made.CaptionText(), row.caption ? row.caption : "");
        EXPECT_EQ(made.Container() ? made.Container()->Name() : "", row.container ? row.container : "");
        EXPECT_EQ(made.TabIndex(), row.tabIndex == kCreationOrder ? static_cast<int32_t>(i) : row.tabIndex);
        if (row.style & rsHidden) {
            EXPECT_FALSE(made.Visible());
        }
        if (row.style & rsBold) {
            EXPECT_TRUE(made.Font().bold);
        }
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
    struct Case {
        const char* what;
        std::vector<ControlRow> rows;
        const char* named;  // in the message
    };
    const Case cases[] = {
        {"a frame made later",
         {{CheckBox, "box", "x", 0, 0, 9, 9, kCreationOrder, "fra"}, {Frame, "fra", nullptr, 0, 0, 9, 9}},
         "box"},
        {"a container that is no frame",
         {{Label, "lbl", "x", 0, 0, 9, 9}, {CheckBox, "box", "x", 0, 0, 9, 9, kCreationOrder, "lbl"}},
         "box"},
        {"a caption on a text box", {{TextBox, "txt", "x", 0, 0, 9, 9}}, "txt"},
        {"a caption on a combo box", {{ComboBox, "cmb", "x", 0, 0, 9, 9}}, "cmb"},
        {"a default label", {{Label, "lbl", "x", 0, 0, 9, 9, kCreationOrder, nullptr, rsDefault}}, "lbl"},
        {"a cancel check box", {{CheckBox, "box", "x", 0, 0, 9, 9, kCreationOrder, nullptr, rsCancel}}, "box"},
        {"a drop-down button", {{Button, "cmd", "x", 0, 0, 9, 9, kCreationOrder, nullptr, rsDropdownList}}, "cmd"},
        {"an unknown style", {{Button, "cmd", "x", 0, 0, 9, 9, kCreationOrder, nullptr, 1u << 20}}, "cmd"},
        {"a name twice", {{Button, "cmd", "x", 0, 0, 9, 9}, {Label, "cmd", "y", 0, 0, 9, 9}}, "cmd"},
        {"an array position twice",
         {{Button, "cmd", "x", 0, 0, 9, 9, kCreationOrder, nullptr, rsNone, 2},
          {Button, "cmd", "y", 0, 0, 9, 9, kCreationOrder, nullptr, rsNone, 2}},
         "cmd(2)"},
        {"no name", {{Button, "", "x", 0, 0, 9, 9}}, "frmTest"},
        {"a negative tab position", {{Button, "cmd", "x", 0, 0, 9, 9, -5}}, "cmd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HeadlessHost host;
        try {
            Form form(host, "frmTest", c.rows);
            ADD_FAILURE() << "made";
        } catch (const std::logic_error& e) {
            EXPECT_NE(std::string(e.what()).find("frmTest."), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << e.what();
        }
    }
}

TEST(FormTableWalk, ArrayMembersAreFoundByPositionInCreationOrder) {
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
    EXPECT_EQ(boxes[1]->Caption(), "b");
    EXPECT_EQ(&form.Named<lumo::CheckBox>("box", 1), boxes[1]);
    EXPECT_EQ(boxes[1]->FormBounds(), (TwipsRect{110, 270, 30, 40}));
    EXPECT_THROW(form.Named<lumo::CheckBox>("box", 2), std::logic_error);
    EXPECT_THROW(form.Named<lumo::Button>("lbl"), std::logic_error);
}

// --- Run Options' bindings

// A value of the bound setting other than its default, one the control can show.
void SetOtherThanDefault(const SettingBinding& b, RunOptionsWindow& window, AppSettings& s) {
    const AppSettings defaults;
    std::visit(
        [&](auto setting) {
            using Setting = decltype(setting);
            if constexpr (std::is_same_v<Setting, bool AppSettings::*>) {
                s.*setting = !(defaults.*setting);
            } else if constexpr (std::is_same_v<Setting, std::string AppSettings::*>) {
                s.*setting = std::string("shown by ") + b.control;
            } else {
                const auto& list = window.Named<ComboBox>(b.control);
                ASSERT_GE(list.ListCount(), 2) << b.control;
                auto last = static_cast<int16_t>(setting.first + list.ListCount() - 1);
                s.*setting.setting = last != defaults.*setting.setting ? last : setting.first;
            }
        },
        b.setting);
}

// The bound settings as text, in the bindings' order.
std::vector<std::string> BoundValues(const AppSettings& s) {
    std::vector<std::string> values;
    for (const SettingBinding& b : RunOptionsWindow::Bindings())
        std::visit(
            [&](auto setting) {
                using Setting = decltype(setting);
                if constexpr (std::is_same_v<Setting, bool AppSettings::*>)
                    values.push_back(s.*setting ? "on" : "off");
                else if constexpr (std::is_same_v<Setting, std::string AppSettings::*>)
                    values.push_back(s.*setting);
                else
                    values.push_back(std::to_string(s.*setting.setting));
            },
            b.setting);
    return values;
}

class RunOptionsBindings : public ::testing::Test {
protected:
    World world;
    RunOptionsWindow window{world.host, world.app, world.store};
};

TEST_F(RunOptionsBindings, EachSettingAloneGoesToItsControlAndBackIntoFreshSettings) {
    const std::vector<std::string> defaults = BoundValues(AppSettings{});
    for (size_t i = 0; i < RunOptionsWindow::Bindings().size(); ++i) {
        const SettingBinding& b = RunOptionsWindow::Bindings()[i];
        SCOPED_TRACE(b.control);
        AppSettings shown;
        SetOtherThanDefault(b, window, shown);
        std::vector<std::string> expected = defaults;
        expected[i] = BoundValues(shown)[i];
        ASSERT_NE(expected, defaults);
        window.ShowSettings(shown);
        AppSettings stored;
        window.StoreSettings(stored);
        EXPECT_EQ(BoundValues(stored), expected) << "only this setting differs from its default";
    }
}

TEST_F(RunOptionsBindings, AllSettingsTogetherComeBackAsShown) {
    AppSettings shown;
    for (const SettingBinding& b : RunOptionsWindow::Bindings())
        SetOtherThanDefault(b, window, shown);
    window.ShowSettings(shown);
    AppSettings stored;
    window.StoreSettings(stored);
    EXPECT_EQ(BoundValues(stored), BoundValues(shown));
}

// A control of the table that can hold a setting is bound, unless it is one of the schedule's,
// which StoreSettings reads apart; a bound control is bound once and to a setting of its own.
TEST_F(RunOptionsBindings, EverySettingControlIsBoundOnceOrIsTheSchedules) {
    const std::set<std::string> schedule = {"advaChkScheduleInterval", "advaChkScheduleClock",
                                            "advaCmbScheduleInterval"};
    std::multiset<std::string> bound;
    for (const SettingBinding& b : RunOptionsWindow::Bindings())
        bound.insert(b.control);
    for (const ControlRow& row : RunOptionsWindow::ControlTable()) {
        if (row.kind != ControlKind::CheckBox && row.kind != ControlKind::TextBox && row.kind != ControlKind::ComboBox)
            continue;
        SCOPED_TRACE(row.name);
        EXPECT_EQ(bound.count(row.name) + schedule.count(row.name), 1u);
    }
    const auto bindings = RunOptionsWindow::Bindings();
    for (size_t i = 0; i < bindings.size(); ++i)
        for (size_t j = i + 1; j < bindings.size(); ++j)
            EXPECT_FALSE(bindings[i].setting == bindings[j].setting)
                << bindings[i].control << " and " << bindings[j].control << " share a setting";
}

}  // namespace
}  // namespace lumo
