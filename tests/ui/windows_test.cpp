// The windows and the control model under them, headless: a failing handler, and what the peers
// are told. The settings windows on real configuration files: Items Settings' winapp2.ini entries
// (listed by group below "Applications", a warning asked before its entry is chosen) and what Run
// Options' Apply to IE leaves in memory and in the registry, a refused browser key included.
#include <gtest/gtest.h>

#include <filesystem>

#include <functional>
#include <optional>
#include <stdexcept>

#include "base/registry_error.h"
#include "config/config_error.h"
#include "items_settings_test_config.h"
#include "platform/portable/memory_registry.h"
#include "platform/portable/portable_file_system.h"
#include "registry/reg_key.h"
#include "ui/controls/status_bar.h"
#include "ui/headless/headless_host.h"
#include "ui/items_settings_window.h"
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
};

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
        auto& w = ShowItemsSettings(items, owner, config->set, config->path, [] {});
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
    PortableFileSystem files;
    ScratchFolder folder;
    std::string choiceFile = folder.Path("winapp2 selection.txt");
};

// A save that fails is told in one box and leaves the file and the window with the choice as
// they were; once the way is clear, the same window saves.
TEST_F(SettingsWindows, ItemsSaveFailureIsToldInOneBoxAndTheWindowStays) {
    auto& w = Items(BuiltInRecords() + PluginLines("App", true));
    const std::string tmp = config->path + ".tmp", before = ReadBytes(config->path);
    std::filesystem::create_directories(tmp + "/inside");  // where the temporary file goes
    w.plugChkSettings[0]->Click();
    w.cmdOk.Click();
    EXPECT_EQ(std::vector<int32_t>({w.cmdApply.Left(), w.cmdApply.Top(), w.cmdApply.Width()}),
              std::vector<int32_t>({7320, 5985, 1140}))
        << "controls stand where the form's table puts them";
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(host.Boxes()[0].text.rfind("The items settings could not be saved to " + config->path + ".", 0), 0u);
    EXPECT_TRUE(w.Loaded() && ReadBytes(config->path) == before) << "the choice stays, the file as it was";
    std::filesystem::remove_all(tmp);
    w.cmdOk.Click();
    EXPECT_FALSE(w.Loaded());
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
    EXPECT_TRUE(w.cmdOk.Default() && w.cmdCancel.Cancel()) << "Enter is OK and Esc is Cancel";
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
