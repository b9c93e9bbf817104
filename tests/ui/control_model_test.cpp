// The control model: quiet setters against the user's actions, what a peer is told, and the
// bookkeeping of lists, trees, panels and menus that the windows and the backends rely on.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

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

struct Recorded {
    Change what;
    int32_t index;
    bool operator==(const Recorded&) const = default;
};

class RecordingPeer : public ControlPeer {
public:
    explicit RecordingPeer(std::vector<Recorded>& log) : log_(log) {}
    void Update(Change what, int32_t index) override { log_.push_back({what, index}); }

private:
    std::vector<Recorded>& log_;
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
    std::vector<Recorded> log;
};

// Each case: a change made from code, which must stay quiet, and the same kind of change made by
// the user, which must run the handler once.
TEST_F(ControlModel, ValuesSetFromCodeNeverRunHandlersButTheUsersActionsDo) {
    int runs = 0;
    auto count = [&] { ++runs; };
    auto& chk = Make<CheckBox>("chk");
    auto& txt = Make<TextBox>("txt");
    auto& lst = Make<ListBox>("lst");
    auto& cmb = Make<ComboBox>("cmb");
    auto& tvw = Make<TreeView>("tvw");
    auto& lvw = Make<ListView>("lvw");
    chk.OnClick = txt.OnChange = lst.OnClick = cmb.OnClick = cmb.OnChange = count;
    tvw.OnNodeClick = [&](Node&) { ++runs; };
    lvw.OnItemClick = [&](ListItem&) { ++runs; };
    lst.AddItem("a");
    lst.AddItem("b");
    cmb.AddItem("x");
    cmb.AddItem("y");
    Node& node = tvw.AddNode(nullptr, "k", "Windows");
    ListItem& row = lvw.AddItem("r", "row");

    struct Case {
        const char* what;
        std::function<void()> fromCode;
        std::function<void()> byUser;
    };
    std::vector<Case> cases = {
        {"check box", [&] { chk.SetValue(CheckValue::Checked); }, [&] { chk.Click(); }},
        {"text box", [&] { txt.SetText("code"); }, [&] { txt.UserSetText("typed"); }},
        {"list box", [&] { lst.SetListIndex(1); }, [&] { lst.UserSelect(0); }},
        {"combo pick", [&] { cmb.SetListIndex(1); }, [&] { cmb.UserSelect(0); }},
        {"combo text", [&] { cmb.SetText("code"); }, [&] { cmb.UserSetText("typed"); }},
        {"tree node", [&] { tvw.SetSelectedItem(&node); }, [&] { tvw.UserClickNode(node); }},
        {"list row", [&] { lvw.SetSelectedItem(&row); }, [&] { lvw.UserClickItem(row); }},
    };
    for (const Case& c : cases) {
        runs = 0;
        c.fromCode();
        EXPECT_EQ(runs, 0) << c.what;
        c.byUser();
        EXPECT_EQ(runs, 1) << c.what;
    }
    EXPECT_EQ(lst.ListIndex(), 0);
    EXPECT_EQ(cmb.Text(), "typed");
    EXPECT_EQ(cmb.ListIndex(), -1) << "typing a text that is no entry leaves no entry selected";
    EXPECT_EQ(txt.Text(), "typed");
    EXPECT_EQ(tvw.SelectedItem(), &node);
}

TEST_F(ControlModel, UserActionsDoNothingWhereTheUserCouldNotAct) {
    auto& fra = Make<Frame>("fra");
    auto& inFrame = Make<Button>("cmdIn", &fra);
    auto& alone = Make<Button>("cmdAlone");
    auto& tmr = Make<Timer>("tmr");
    int clicks = 0, ticks = 0;
    inFrame.OnClick = alone.OnClick = [&] { ++clicks; };
    tmr.OnTimer = [&] { ++ticks; };

    alone.SetEnabled(false);
    alone.Click();
    fra.SetEnabled(false);
    inFrame.Click();
    EXPECT_EQ(clicks, 0) << "a disabled button, or one inside a disabled frame";
    fra.SetEnabled(true);
    form.SetEnabled(false);  // a modal window is up over this one
    inFrame.Click();
    EXPECT_EQ(clicks, 0);
    form.SetEnabled(true);
    inFrame.Click();
    EXPECT_EQ(clicks, 1);

    tmr.Tick();  // interval 0: a stopped timer
    tmr.SetInterval(30000);
    tmr.SetEnabled(false);
    tmr.Tick();
    EXPECT_EQ(ticks, 0);
    tmr.SetEnabled(true);
    tmr.Tick();
    EXPECT_EQ(ticks, 1);
}

TEST_F(ControlModel, CheckBoxClickChecksUncheckedAndGrayedBoxesAndUnchecksCheckedOnes) {
    auto& chk = Make<CheckBox>("chk");
    for (auto [from, to] :
         {std::pair{CheckValue::Unchecked, CheckValue::Checked}, std::pair{CheckValue::Checked, CheckValue::Unchecked},
          std::pair{CheckValue::Grayed, CheckValue::Checked}}) {
        chk.SetValue(from);
        chk.Click();
        EXPECT_EQ(chk.Value(), to) << static_cast<int>(from);
    }
}

TEST_F(ControlModel, AFailingHandlerIsShownInPlainWordsAndTheProgramGoesOn) {
    struct Case {
        std::function<void()> fail;
        const char* text;  // the box: what failed, why, what to do
    };
    const Case cases[] = {
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
    auto& chk = Make<CheckBox>("plugChkSettings", nullptr, 3);
    for (const Case& c : cases) {
        host.ClearBoxes();
        chk.OnClick = c.fail;
        EXPECT_NO_THROW(chk.Click());
        ASSERT_EQ(host.Boxes().size(), 1u);
        EXPECT_EQ(host.Boxes()[0].text, c.text);
        EXPECT_EQ(host.Boxes()[0].icon, MsgIcon::Exclamation);
        EXPECT_EQ(host.Boxes()[0].caption, "Sweepkit Lumo");
    }
    EXPECT_EQ(host.HandlerFailures().back(), "frmTest.plugChkSettings(3)_Click: unknown failure")
        << "the handler's name is kept for whoever looks into it, not shown";
    EXPECT_EQ(chk.Value(), CheckValue::Unchecked) << "the clicks themselves happened";
}

TEST_F(ControlModel, PlacesAddUpThroughNestedFramesAndFramesHideWhatTheyHold) {
    auto& outer = Make<Frame>("geneFraSettings");
    auto& inner = Make<Frame>("Frame1", &outer);
    auto& txt = Make<TextBox>("geneTxtHomePage", &inner);
    outer.Move(360, 210, 6105, 6390);
    inner.Move(285, 3315, 5505, 2910);
    txt.Move(330, 1425, 4875, 315);
    EXPECT_EQ(txt.FormBounds(), (TwipsRect{975, 4950, 4875, 315}));
    EXPECT_TRUE(txt.Shown());
    outer.SetVisible(false);
    EXPECT_TRUE(txt.Visible());
    EXPECT_FALSE(txt.Shown());
}

TEST_F(ControlModel, ListViewRowsKeepTheirPositionsThroughRemovalsAndTellThePeerTheRightRow) {
    auto& lvw = Make<ListView>("lvwPItem");
    for (const char* key : {"1-Windows-Recent", "1-Windows-Recycle Bin", "2-Foo"})
        lvw.AddItem(key, key, "win", "win");
    EXPECT_THROW(lvw.AddItem("2-Foo", "again"), CollectionError);
    EXPECT_EQ(lvw.ItemCount(), 3);
    lvw.AddItem("", "no key");
    lvw.AddItem("", "no key either");
    EXPECT_TRUE(lvw.HasItem("2-Foo"));
    EXPECT_FALSE(lvw.HasItem(""));

    ListItem& last = lvw.Item("2-Foo");
    lvw.SetSelectedItem(&lvw.Item(1));
    lvw.RemoveItem(1);
    EXPECT_EQ(lvw.SelectedItem(), nullptr) << "the selection went with its row";
    log.clear();
    last.SetSubItem(1, "5 item(s)");
    last.SetSmallIcon("appshow");
    EXPECT_EQ(last.Index(), 2);
    EXPECT_EQ(log, (std::vector<Recorded>{{Change::ItemChanged, 2}, {Change::ItemChanged, 2}}));
    EXPECT_EQ(last.SubItems(1), "5 item(s)");
    EXPECT_EQ(last.SubItems(2), "") << "a sub-item never set";
    EXPECT_THROW(last.SetSubItem(0, "x"), CollectionError);
    EXPECT_EQ(lvw.Item(4).Text(), "no key either");

    lvw.ClearItems();
    EXPECT_EQ(lvw.ItemCount(), 0);
    EXPECT_EQ(lvw.AddItem("2-Foo", "back").Index(), 1) << "keys are free again after Clear";
}

TEST_F(ControlModel, TreeNodesKeepTheirChildrenInOrder) {
    auto& tvw = Make<TreeView>("tvwTree");
    Node& win = tvw.AddNode(nullptr, "w", "Windows");
    Node& ie = tvw.AddNode(nullptr, "", "Internet Explorer");
    Node& a = tvw.AddNode(&win, "", "a");
    Node& b = tvw.AddNode(&win, "", "b");
    Node& aa = tvw.AddNode(&a, "", "aa");
    EXPECT_EQ(tvw.Roots(), (std::vector<Node*>{&win, &ie}));
    EXPECT_EQ(win.Children(), (std::vector<Node*>{&a, &b}));
    EXPECT_EQ(aa.Parent(), &a);
    EXPECT_EQ(&tvw.Nodes("w"), &win);
    EXPECT_EQ(aa.Index(), 5);
    EXPECT_THROW(tvw.AddNode(nullptr, "w", "again"), CollectionError);
    tvw.SetSelectedItem(&b);
    tvw.ClearNodes();
    EXPECT_EQ(tvw.SelectedItem(), nullptr);
    EXPECT_TRUE(tvw.Roots().empty());
    EXPECT_EQ(tvw.NodeCount(), 0);
}

TEST_F(ControlModel, StatusPanelsCountFromOneAndAnUnchangedTextCostsNothing) {
    auto& sbr = Make<StatusBar>("sbrStatus");
    for (int i = 0; i < 3; ++i)
        sbr.AddPanel("", PanelAutoSize::Contents);
    sbr.AddPanel("", PanelAutoSize::Spring);
    EXPECT_THROW(sbr.Panels(0), CollectionError);
    EXPECT_THROW(sbr.SetPanelText(5, "x"), CollectionError);
    log.clear();
    sbr.SetPanelText(2, "Items: 3");
    sbr.SetPanelText(2, "Items: 3");
    EXPECT_EQ(log, (std::vector<Recorded>{{Change::ItemChanged, 2}}));
    EXPECT_EQ(sbr.Panels(2).text, "Items: 3");
    EXPECT_EQ(sbr.Panels(4).autoSize, PanelAutoSize::Spring);
}

TEST_F(ControlModel, ListSelectionFollowsItsEntryWhenOthersComeAndGo) {
    auto& lst = Make<ListBox>("lstLog");
    for (const char* s : {"a", "b", "c"})
        lst.AddItem(s);
    lst.SetListIndex(1);
    lst.AddItem("first", 0);
    EXPECT_EQ(lst.ListIndex(), 2);
    EXPECT_EQ(lst.List(2), "b");
    lst.RemoveItem(0);
    EXPECT_EQ(lst.ListIndex(), 1);
    lst.RemoveItem(1);
    EXPECT_EQ(lst.ListIndex(), -1) << "the selected entry was removed";
    lst.SetListIndex(7);
    EXPECT_EQ(lst.ListIndex(), -1);
    EXPECT_EQ(lst.List(7), "");
    lst.AddItem("end", 99);
    EXPECT_EQ(lst.List(lst.ListCount() - 1), "end");

    auto& cmb = Make<ComboBox>("advaCmbKeepLogDays");
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

TEST_F(ControlModel, MenuItemsRunOnlyWhenTheUserCouldChooseThem) {
    MenuItem& tray = form.AddMenu("menuSysTray", "SysTray");
    tray.SetVisible(false);  // a pop-up-only menu
    MenuItem& show = tray.Add("menuSTShowSweepkit", "Show/Hide Sweepkit");
    MenuItem& line = tray.Add("menuLine6", "-");
    MenuItem& clear = tray.Add("menuSTClearNow", "Clear Now");
    MenuItem& gone = tray.Add("menuSTHidden", "Hidden");
    gone.SetVisible(false);
    std::vector<std::string> ran;
    for (MenuItem* m : {&show, &line, &clear, &gone})
        m->OnClick = [&ran, m] { ran.push_back(m->Name()); };

    show.Click();
    line.Click();
    gone.Click();
    clear.SetEnabled(false);
    clear.Click();
    clear.SetEnabled(true);
    tray.SetEnabled(false);
    clear.Click();
    tray.SetEnabled(true);
    clear.Click();
    EXPECT_EQ(ran, (std::vector<std::string>{"menuSTShowSweepkit", "menuSTClearNow"}));
    EXPECT_EQ(form.FindMenu("menuSTClearNow"), &clear);
    EXPECT_EQ(form.FindMenuId(clear.Id()), &clear);
    EXPECT_NE(show.Id(), clear.Id());
    EXPECT_TRUE(line.IsSeparator());
}

}  // namespace
}  // namespace lumo
