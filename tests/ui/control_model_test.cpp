// The control model: quiet setters against the user's actions, a failing handler, and the
// bookkeeping of lists, trees, panels and menus that the windows and the backends rely on.
#include <gtest/gtest.h>

#include <functional>

#include "base/collection.h"
#include "base/registry_error.h"
#include "config/config_error.h"
#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/frame.h"
#include "ui/controls/list_box.h"
#include "ui/controls/list_view.h"
#include "ui/controls/status_bar.h"
#include "ui/controls/text_box.h"
#include "ui/controls/timer.h"
#include "ui/controls/tree_view.h"
#include "ui/headless/headless_host.h"

namespace lumo {
namespace {

// What a control's peer is told, as "change@index".
struct RecordingPeer : ControlPeer {
    explicit RecordingPeer(std::vector<std::string>& out) : log(out) {}
    void Update(Change what, int32_t index) override {
        log.push_back(std::to_string(static_cast<int>(what)) + "@" + std::to_string(index));
    }
    std::vector<std::string>& log;
};

class ControlModel : public ::testing::Test {
protected:
    template <class T>
    T& Make(const char* name, Frame* in = nullptr, int32_t index = -1) {
        T& c = form.Add<T>(name, in, index);
        c.AttachPeer(std::make_unique<RecordingPeer>(log));
        return c;
    }
    HeadlessHost host;
    Form form{host, "frmTest"};
    std::vector<std::string> log;
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
    const std::pair<std::function<void()>, std::function<void()>> cases[] = {
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
    EXPECT_EQ(lst.ListIndex(), 0);
    EXPECT_EQ(cmb.ListIndex(), -1) << "typing a text that is no entry leaves no entry selected";
    EXPECT_EQ(cmb.Text() + txt.Text(), "typedtyped");
    // A click checks unchecked and grayed boxes and unchecks checked ones.
    for (auto [from, to] :
         {std::pair{CheckValue::Unchecked, CheckValue::Checked}, std::pair{CheckValue::Checked, CheckValue::Unchecked},
          std::pair{CheckValue::Grayed, CheckValue::Checked}}) {
        chk.SetValue(from);
        chk.Click();
        EXPECT_EQ(chk.Value(), to) << static_cast<int>(from);
    }
}

TEST_F(ControlModel, UserActionsDoNothingWhereTheUserCouldNotAct) {
    auto& fra = Make<Frame>("fra");
    auto& inFrame = Make<Button>("cmdIn", &fra);
    auto& tmr = Make<Timer>("tmr");
    inFrame.OnClick = tmr.OnTimer = [&] { ++runs; };
    inFrame.SetEnabled(false);
    inFrame.Click();
    inFrame.SetEnabled(true);
    fra.SetEnabled(false);
    inFrame.Click();  // inside a disabled frame
    fra.SetEnabled(true);
    form.SetEnabled(false);  // a modal window is up over this one
    inFrame.Click();
    tmr.Tick();  // interval 0: a stopped timer
    tmr.SetInterval(30000);
    tmr.SetEnabled(false);
    tmr.Tick();
    EXPECT_EQ(runs, 0);
    form.SetEnabled(true);
    tmr.SetEnabled(true);
    inFrame.Click();
    tmr.Tick();
    EXPECT_EQ(runs, 2);

    MenuItem& tray = form.AddMenu("menuSysTray", "SysTray");
    tray.SetVisible(false);  // a pop-up-only menu still runs its items
    MenuItem& clear = tray.Add("menuSTClearNow", "Clear Now");
    MenuItem& line = tray.Add("menuLine6", "-");
    MenuItem& gone = tray.Add("menuSTHidden", "Hidden");
    gone.SetVisible(false);
    clear.OnClick = line.OnClick = gone.OnClick = [&] { ++runs; };
    line.Click();
    gone.Click();
    clear.SetEnabled(false);
    clear.Click();
    clear.SetEnabled(true);
    tray.SetEnabled(false);
    clear.Click();
    EXPECT_EQ(runs, 2) << "a separator, a hidden item, a disabled item, an item of a disabled menu";
    tray.SetEnabled(true);
    clear.Click();
    EXPECT_EQ(runs, 3);
    EXPECT_EQ(form.FindMenuId(clear.Id()), &clear);
    EXPECT_NE(line.Id(), clear.Id());
}

TEST_F(ControlModel, AFailingHandlerIsShownInPlainWordsAndTheProgramGoesOn) {
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[] {
             throw ConfigError(ceFileAccess, "SaveConfig", "Path/File access error: \"C:\\P.dat\" cannot be written");
         },
         "The configuration file could not be read or written.\r\n\r\nPath/File access error: \"C:\\P.dat\" cannot "
         "be written.\r\n\r\nCheck that the file is not read-only or open in another program and that you may change "
         "its folder, then try again."},
        {[] { throw RegistryError(100, "RegValue", "\r\n * Set RegValue failed! rc = 5"); },
         "A registry key could not be read or changed.\r\n\r\nAccess was denied (error 5).\r\n\r\nYour account may "
         "not have the right to change it; try again as a user who has, or leave that setting as it is."},
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

TEST_F(ControlModel, PlacesAddUpThroughNestedFramesAndFramesHideWhatTheyHold) {
    auto& outer = Make<Frame>("outer");
    auto& inner = Make<Frame>("inner", &outer);
    auto& txt = Make<TextBox>("txt", &inner);
    outer.Move(360, 210, 6105, 6390);
    inner.Move(285, 3315, 5505, 2910);
    txt.Move(330, 1425, 4875, 315);
    EXPECT_EQ(txt.FormBounds(), (TwipsRect{975, 4950, 4875, 315}));
    EXPECT_TRUE(txt.Shown());
    outer.SetVisible(false);
    EXPECT_TRUE(txt.Visible());
    EXPECT_FALSE(txt.Shown());
}

TEST_F(ControlModel, ListsTreesAndPanelsKeepTheirEntriesAndTellThePeerTheRightOne) {
    auto& lvw = Make<ListView>("lvw");
    for (const char* key : {"a", "b", "c", "", ""})
        lvw.AddItem(key, key);
    EXPECT_THROW(lvw.AddItem("c", "again"), CollectionError);
    EXPECT_FALSE(lvw.HasItem(""));
    ListItem& c = lvw.Item("c");
    lvw.SetSelectedItem(&lvw.Item(1));
    lvw.RemoveItem(1);
    EXPECT_EQ(lvw.SelectedItem(), nullptr) << "the selection went with its row";
    log.clear();
    c.SetSubItem(1, "5 item(s)");
    EXPECT_EQ(log, (std::vector<std::string>{std::to_string(static_cast<int>(Change::ItemChanged)) + "@2"}));
    EXPECT_EQ(c.SubItems(1) + "|" + c.SubItems(2), "5 item(s)|") << "a sub-item never set is empty";
    EXPECT_THROW(c.SetSubItem(0, "x"), CollectionError);
    lvw.ClearItems();
    EXPECT_EQ(lvw.AddItem("c", "back").Index(), 1) << "keys are free again after Clear";

    auto& tvw = Make<TreeView>("tvw");
    Node& win = tvw.AddNode(nullptr, "w", "Windows");
    Node& ie = tvw.AddNode(nullptr, "", "Internet Explorer");
    Node& a = tvw.AddNode(&win, "", "a");
    Node& b = tvw.AddNode(&win, "", "b");
    Node& aa = tvw.AddNode(&a, "", "aa");
    EXPECT_EQ(tvw.Roots(), (std::vector<Node*>{&win, &ie}));
    EXPECT_EQ(win.Children(), (std::vector<Node*>{&a, &b}));
    EXPECT_EQ(aa.Parent(), &a);
    EXPECT_EQ(aa.Index(), 5);
    EXPECT_THROW(tvw.AddNode(nullptr, "w", "again"), CollectionError);
    tvw.SetSelectedItem(&b);
    tvw.ClearNodes();
    EXPECT_EQ(tvw.SelectedItem(), nullptr);

    auto& sbr = Make<StatusBar>("sbr");
    for (int i = 0; i < 4; ++i)
        sbr.AddPanel("", PanelAutoSize::Contents);
    EXPECT_THROW(sbr.Panels(0), CollectionError) << "panels count from one";
    EXPECT_THROW(sbr.SetPanelText(5, "x"), CollectionError);
    log.clear();
    sbr.SetPanelText(2, "3");
    sbr.SetPanelText(2, "3");
    EXPECT_EQ(log.size(), 1u) << "an unchanged text costs the peer nothing";
}

TEST_F(ControlModel, ListSelectionFollowsItsEntryWhenOthersComeAndGo) {
    auto& lst = Make<ListBox>("lst");
    for (const char* s : {"a", "b", "c"})
        lst.AddItem(s);
    lst.SetListIndex(1);
    lst.AddItem("first", 0);
    EXPECT_EQ(lst.List(lst.ListIndex()), "b");
    lst.RemoveItem(0);
    EXPECT_EQ(lst.ListIndex(), 1);
    lst.RemoveItem(1);
    EXPECT_EQ(lst.ListIndex(), -1) << "the selected entry was removed";
    lst.SetListIndex(7);
    EXPECT_EQ(lst.ListIndex(), -1);
    lst.AddItem("end", 99);
    EXPECT_EQ(lst.List(lst.ListCount() - 1), "end");

    auto& cmb = Make<ComboBox>("cmb");
    cmb.SetStyle(ComboStyle::DropdownList);
    for (const char* s : {"1", "2", "3"})
        cmb.AddItem(s);
    cmb.SetText("3");
    EXPECT_EQ(cmb.ListIndex(), 2);
    cmb.SetText("9");
    EXPECT_EQ(cmb.ListIndex(), -1);
    EXPECT_EQ(cmb.Text(), "");
    cmb.UserSetText("2");
    EXPECT_EQ(cmb.ListIndex(), -1) << "nothing can be typed into a drop-down list";
}

}  // namespace
}  // namespace lumo
