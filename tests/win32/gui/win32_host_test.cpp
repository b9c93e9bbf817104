// The Win32 backend under a real (virtual) display: windows made from the model with the right
// classes, captions and pixel sizes, each kind of control with its window (or none); the user's
// clicks and typing reaching handlers and the model without being written back; quiet mirroring
// of changes made by code; a peer letting go of the window and the icon it replaces; list view
// rows and icons; status panels sized to their text; timers; message boxes answered without
// blocking; modal forms; the tray icon's messages; a screenshot.
#include <gtest/gtest.h>

#include <set>

#include "config/config_error.h"
#include "gui_test_support.h"
#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/frame.h"
#include "ui/controls/image.h"
#include "ui/controls/image_list.h"
#include "ui/controls/label.h"
#include "ui/controls/list_box.h"
#include "ui/controls/list_view.h"
#include "ui/controls/status_bar.h"
#include "ui/controls/text_box.h"
#include "ui/controls/timer.h"
#include "ui/controls/tray_icon.h"
#include "ui/controls/tree_view.h"
#include "ui/program_icons.h"
#include "ui/win32/win32_ui.h"

namespace lumo {
namespace {

using namespace guitest;

// Places a control (twips, in its container) and gives it a caption; returns it.
template <class C>
C& Put(C& c, int32_t left, int32_t top, int32_t width, int32_t height, const char* caption = nullptr) {
    c.Move(left, top, width, height);
    if constexpr (requires { c.SetCaption(""); }) {
        if (caption)
            c.SetCaption(caption);
    }
    return c;
}

// A form laid out like the program's main window, built in the test.
struct TestWindow : Form {
    explicit TestWindow(UiHost& host) : Form(host, "frmGuiTest") {
        SetCaption("Sweepkit Lumo");
        SetClientSize(9000, 6960);
        cmdShow.SetFontBold(true);
        cmdClear.SetTabIndex(0);  // before Show, whatever their creation order
        cmbDays.SetStyle(ComboStyle::DropdownList);
        for (const char* key :
             {"win", "winshow", "windelete", "mie", "mieshow", "miedelete", "app", "appshow", "appdelete"})
            imlPrivacy.Add(key, ListIconResource(key));
        lvwPItem.SetIcons(&imlPrivacy);
        lvwPItem.SetSmallIcons(&imlPrivacy);
        lvwPItem.SetView(ListViewStyle::Report);
        lvwPItem.SetLabelEdit(LabelEditMode::Manual);
        lvwPItem.AddColumn("Clear Item", 4000);
        lvwPItem.AddColumn("Status");
    }
    // Made in this order, which the keyboard's order and the stacking follow.
    ListView& lvwPItem = Put(Add<ListView>("lvwPItem"), 0, 120, 6135, 4575);
    ListBox& lstLog = Put(Add<ListBox>("lstLog"), 0, 4800, 6135, 1815);
    StatusBar& sbrStatus = Put(Add<StatusBar>("sbrStatus"), 0, 6690, 9000, 270);
    Button& cmdShow = Put(Add<Button>("cmdShow"), 6240, 120, 1185, 495, "Show");
    Button& cmdClear = Put(Add<Button>("cmdClear"), 6240, 720, 1185, 495, "Clear");
    Frame& fraOptions = Put(Add<Frame>("fraOptions"), 6240, 1320, 2640, 2400, "Options");
    CheckBox& chkLog = Put(Add<CheckBox>("chkLog", &fraOptions), 120, 240, 2400, 375, "Enable file logging");
    TextBox& txtTitle = Put(Add<TextBox>("txtTitle", &fraOptions), 120, 720, 2400, 315);
    ComboBox& cmbDays = Put(Add<ComboBox>("cmbDays", &fraOptions), 120, 1200, 1200, 315);
    TreeView& tvwTree = Put(Add<TreeView>("tvwTree"), 6240, 3840, 2640, 1800);
    Label& lblNote = Put(Add<Label>("lblNote"), 6240, 5760, 2640, 285, "Note");
    Timer& tmrSchedule = Add<Timer>("tmrSchedule");
    ImageList& imlPrivacy = Add<ImageList>("imlPrivacy");
};

class Win32Gui : public ::testing::Test, public GuiProgram {
protected:
    void SetUp() override {
        window->Show();
        hwnd = Of(*window);
        ASSERT_NE(hwnd, nullptr) << "no window: is there a display?";
        dpi = win32::WindowDpi(hwnd);
        RecordProperty("dpi", dpi);
        PumpFor(host, 50);
    }
    long Px(int32_t twips) const { return win32::TwipsToPixels(twips, dpi); }

    std::unique_ptr<TestWindow> window = std::make_unique<TestWindow>(host);
    TestWindow& w = *window;
    HWND hwnd = nullptr;
    int dpi = 96;
};

TEST_F(Win32Gui, ControlsExistWithTheirClassesCaptionsAndPixelPlaces) {
    EXPECT_EQ(ClassOf(hwnd), L"frmGuiTest");
    EXPECT_EQ(TextOf(hwnd), "Sweepkit Lumo");
    EXPECT_EQ(SizeOf(ClientOf(hwnd)), (std::array{Px(9000), Px(6960)}));
    struct Case {
        Control* control;
        const wchar_t* windowClass;
        const char* text;
    };
    for (const Case& c : {Case{&w.cmdShow, L"Button", "Show"}, Case{&w.cmdClear, L"Button", "Clear"},
                          Case{&w.chkLog, L"Button", "Enable file logging"}, Case{&w.fraOptions, L"Button", "Options"},
                          Case{&w.lblNote, L"Static", "Note"}, Case{&w.txtTitle, L"Edit", ""},
                          Case{&w.lstLog, L"ListBox", ""}, Case{&w.lvwPItem, L"SysListView32", ""},
                          Case{&w.tvwTree, L"SysTreeView32", ""}, Case{&w.sbrStatus, L"msctls_statusbar32", ""}}) {
        SCOPED_TRACE(c.control->Name());
        HWND child = Of(*c.control);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(std::tuple(GetParent(child), ClassOf(child), IsWindowVisible(child)),
                  std::tuple(hwnd, c.windowClass, TRUE));
        EXPECT_EQ(*c.text ? TextOf(child) : "", c.text);
        TwipsRect t = c.control->FormBounds();
        EXPECT_EQ(BoxOf(PlaceOf(child)), (std::array{Px(t.left), Px(t.top), Px(t.width), Px(t.height)}));
    }
    EXPECT_EQ(PlaceOf(Of(w.chkLog)).left, Px(6240 + 120)) << "inside its frame";
    // The bold button really has a bold font.
    EXPECT_EQ(FontOf(Of(w.cmdShow)).lfWeight, FW_BOLD);
    EXPECT_EQ(FontOf(Of(w.cmdClear)).lfWeight, FW_NORMAL);
}

// The edit window the user types in: the control's own, or a combo box's edit part.
HWND EditOf(HWND control) {
    HWND inner = FindWindowExW(control, nullptr, L"Edit", nullptr);
    return inner ? inner : control;
}
// Types `text` where the caret is, one key at a time, as the keyboard would.
void Type(HWND edit, const std::wstring& text) {
    for (wchar_t c : text)
        Send(edit, WM_CHAR, c);
}
LONG_PTR StyleOf(HWND hwnd) { return GetWindowLongPtrW(hwnd, GWL_STYLE); }

// An echo of the user's own change would put the text back with SetWindowText, which moves the
// caret to the start: the next key would land in front ("cba").
TEST_F(Win32Gui, TypingReachesTheModelWithoutBeingWrittenBackAndCodeStillShows) {
    TextBox& text = w.txtTitle;
    int changes = 0;
    text.OnChange = [&] { ++changes; };
    auto& combo = Put(w.Add<ComboBox>("cmbName"), 120, 600, 2400, 315);
    auto& simple = w.Add<ComboBox>("cmbSimple");
    simple.SetStyle(ComboStyle::Simple);  // before its place, as a form's load sets it
    simple.Move(120, 1080, 2400, 1200);
    for (ComboBox* c : {&combo, &simple}) {
        c->AddItem("Monday");
        c->AddItem("Tuesday");
    }
    struct Case {
        const char* name;
        Control* control;
        std::function<std::string()> modelText;
        std::function<void(std::string)> setByCode;
    };
    const Case cases[] = {
        {"text box", &text, [&] { return text.Text(); }, [&](std::string s) { text.SetText(std::move(s)); }},
        {"drop-down combo", &combo, [&] { return combo.Text(); }, [&](std::string s) { combo.SetText(std::move(s)); }},
        {"simple combo", &simple, [&] { return simple.Text(); }, [&](std::string s) { simple.SetText(std::move(s)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND edit = EditOf(Of(*c.control));
        ASSERT_NE(edit, nullptr);
        Type(edit, L"abc");
        EXPECT_EQ(c.modelText(), "abc") << "each key reached the model";
        EXPECT_EQ(TextOf(edit), "abc") << "the window kept the user's caret";
        // Once the user's change is through, a change by code shows again, quietly.
        int typed = changes;
        c.setByCode("from code");  // Windows sends EN_CHANGE for this
        EXPECT_EQ(TextOf(edit), "from code");
        EXPECT_EQ(changes, typed) << "a change by code raises no Change";
        Send(edit, EM_SETSEL, 0x7FFF, 0x7FFF);
        Type(edit, L"!");
        EXPECT_EQ(c.modelText(), "from code!");
        EXPECT_EQ(TextOf(edit), "from code!");
    }
    EXPECT_EQ(changes, 4) << "each key typed in the text box raised Change";
}

TEST_F(Win32Gui, EachKindGetsItsOwnWindowOrNone) {
    auto& image = Put(w.Add<Image>("imgLogo"), 120, 120, 480, 480);
    auto& shape = Put(w.Add<Shape>("shpBox"), 720, 120, 1200, 600);
    auto& line = Put(w.Add<Frame>("fraLine"), 120, 840, 4000, 30);  // without a caption and low: a separator line
    auto& list = w.Add<ComboBox>("cmbList");
    list.SetStyle(ComboStyle::DropdownList);
    list.Move(2640, 120, 1200, 315);
    struct Case {
        Control* control;
        const wchar_t* windowClass;  // null: no window
        LONG_PTR typeMask;
        LONG_PTR type;
    };
    for (const Case& c :
         {Case{&image, L"Static", SS_TYPEMASK, SS_ICON}, Case{&shape, L"Static", SS_TYPEMASK, SS_ETCHEDFRAME},
          Case{&line, L"Static", SS_TYPEMASK, SS_ETCHEDHORZ}, Case{&list, L"ComboBox", 3, CBS_DROPDOWNLIST},
          Case{&w.Add<Timer>("tmrTick"), nullptr, 0, 0}, Case{&w.Add<ImageList>("imlIcons"), nullptr, 0, 0}}) {
        SCOPED_TRACE(c.control->Name());
        HWND hwnd = Of(*c.control);
        if (!c.windowClass) {
            EXPECT_EQ(hwnd, nullptr);
            EXPECT_NE(c.control->Peer(), nullptr) << "a peer all the same";
            continue;
        }
        ASSERT_NE(hwnd, nullptr);
        EXPECT_EQ(ClassOf(hwnd), std::wstring(c.windowClass));
        EXPECT_EQ(StyleOf(hwnd) & c.typeMask, c.type);
    }
}

// A combo box cannot change its kind in place: its peer destroys the window and makes another.
TEST_F(Win32Gui, AComboBoxOfAnotherKindIsANewWindowAndTheOldOneIsGone) {
    auto& combo = Put(w.Add<ComboBox>("cmbKind"), 120, 600, 2400, 315);
    combo.AddItem("Daily");
    combo.AddItem("Weekly");
    combo.SetListIndex(1);
    HWND before = Of(combo);
    combo.SetStyle(ComboStyle::DropdownList);
    HWND after = Of(combo);
    EXPECT_FALSE(IsWindow(before)) << "the window of the old kind is gone";
    ASSERT_TRUE(IsWindow(after));
    EXPECT_EQ(std::tuple(StyleOf(after) & 3, Send(after, CB_GETCOUNT), Send(after, CB_GETCURSEL)),
              std::tuple(CBS_DROPDOWNLIST, 2, 1))
        << "kind, entries, the one chosen";
    EXPECT_EQ(GetDlgItem(hwnd, GetDlgCtrlID(after)), after) << "one window answers to the id";
}

TEST_F(Win32Gui, AnImageLetsGoOfAnIconOnlyOnceItShowsTheNext) {
    auto& image = Put(w.Add<Image>("imgState"), 120, 120, 480, 480);
    auto shown = [&] { return reinterpret_cast<HICON>(Send(image, STM_GETICON)); };
    EXPECT_EQ(shown(), nullptr) << "no picture, no icon";
    image.SetPicture(ListIconResource("win"));
    HICON first = shown();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(IconAlive(first));
    image.SetPicture(ListIconResource("mie"));
    HICON second = shown();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_TRUE(IconAlive(second)) << "the icon on screen is still there";
    EXPECT_FALSE(IconAlive(first)) << "the one replaced is destroyed";
    image.SetPicture("");
    EXPECT_EQ(shown(), nullptr);
    EXPECT_FALSE(IconAlive(second));
}

TEST_F(Win32Gui, AListBoxScrollsSidewaysToItsLongestLine) {
    HWND list = Of(w.lstLog);
    w.lstLog.AddItem("Windows Recent Documents: 3 item(s)");
    RECT before = ClientOf(list);
    std::string path = "Cleared: C:\\Users\\someone\\AppData\\Local\\Microsoft\\Windows\\INetCache\\IE\\";
    w.lstLog.AddItem(path + std::string(60, 'x') + "\\index.dat");
    EXPECT_GT(Send(list, LB_GETHORIZONTALEXTENT), before.right);
    EXPECT_LT(ClientOf(list).bottom, before.bottom) << "the horizontal scroll bar takes its place at the bottom";
    w.lstLog.Clear();
    EXPECT_EQ(ClientOf(list).bottom, before.bottom) << "no lines, no scroll bar";
}

TEST_F(Win32Gui, ModelChangesReachTheWindows) {
    w.cmdClear.SetCaption("Stop");
    EXPECT_EQ(TextOf(w.cmdClear), "Stop");
    w.cmdShow.SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(Of(w.cmdShow)));
    w.fraOptions.SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(Of(w.chkLog))) << "a hidden frame hides what stands in it";
    w.fraOptions.SetVisible(true);
    EXPECT_TRUE(IsWindowVisible(Of(w.chkLog)));
    w.fraOptions.Move(6000, 1320);
    EXPECT_EQ(PlaceOf(Of(w.txtTitle)).left, Px(6000 + 120)) << "moving a frame moves what stands in it";
    w.SetCaption("Other");
    EXPECT_EQ(TextOf(hwnd), "Other");
    w.SetClientSize(9600, 7200);
    EXPECT_EQ(SizeOf(ClientOf(hwnd)), (std::array{Px(9600), Px(7200)}));
    EXPECT_EQ(SizeOf(ScreenRectOf(hwnd))[0], Px(w.Width())) << "the measured frame makes the outer size";

    // A control made while the form is on screen (the check boxes a dialog adds at load).
    auto& late = Put(w.Add<CheckBox>("plugChkSettings", &w.fraOptions, 1), 120, 1680, 2400, 375, "Late");
    late.SetValue(CheckValue::Checked);
    HWND lateWindow = Of(late);
    ASSERT_NE(lateWindow, nullptr);
    EXPECT_EQ(std::tuple(TextOf(lateWindow), PlaceOf(lateWindow).top, Send(lateWindow, BM_GETCHECK),
                         IsWindowVisible(lateWindow)),
              std::tuple("Late", Px(1320 + 1680), BST_CHECKED, TRUE))
        << "caption, place, value, shown";
}

TEST_F(Win32Gui, UserClicksReachTheHandlersButDisabledControlsDoNot) {
    int shows = 0, checks = 0;
    w.cmdShow.OnClick = [&] { ++shows; };
    w.chkLog.OnClick = [&] { ++checks; };
    Send(w.cmdShow, BM_CLICK);
    EXPECT_EQ(shows, 1);
    Send(w.chkLog, BM_CLICK);
    EXPECT_EQ(std::tuple(checks, w.chkLog.Value(), Send(w.chkLog, BM_GETCHECK)),
              std::tuple(1, CheckValue::Checked, BST_CHECKED));
    w.chkLog.SetValue(CheckValue::Grayed);
    EXPECT_EQ(std::pair(Send(w.chkLog, BM_GETCHECK), checks), std::pair(LRESULT{BST_INDETERMINATE}, 1))
        << "set from code: shown, no click";
    w.cmdShow.SetEnabled(false);
    Send(w.cmdShow, BM_CLICK);
    EXPECT_EQ(shows, 1);
    // A handler that fails is shown in one box, and the window goes on working.
    w.cmdClear.OnClick = [] {
        throw ConfigError(ceFileAccess, "SaveConfig", "Path/File access error: \"C:\\P.dat\" cannot be replaced");
    };
    answers = {MsgAnswer::Ok};
    Send(w.cmdClear, BM_CLICK);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0], "frmGuiTest.cmdClear_Click: Path/File access error: \"C:\\P.dat\" cannot be replaced");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("The configuration file could not be read or written.\r\n\r\nPath/File access error: "
                             "\"C:\\P.dat\" cannot be replaced.\r\n\r\nCheck that",
                             0),
              0u)
        << boxes[0];
    failures.clear();
    Send(w.chkLog, BM_CLICK);
    EXPECT_EQ(checks, 2);
}

TEST_F(Win32Gui, ChangesMadeByCodeStayQuietEvenWhereWindowsNotifies) {
    int picks = 0, rowClicks = 0, nodeClicks = 0;
    w.cmbDays.OnClick = [&] { ++picks; };
    w.lvwPItem.OnItemClick = [&](ListItem&) { ++rowClicks; };
    w.tvwTree.OnNodeClick = [&](Node&) { ++nodeClicks; };
    for (const char* d : {"1", "2", "3"})
        w.cmbDays.AddItem(d);
    w.cmbDays.SetListIndex(2);
    EXPECT_EQ(Send(w.cmbDays, CB_GETCURSEL), 2);
    EXPECT_EQ(picks, 0);

    w.lvwPItem.AddItem("1-Windows-Recent", "Windows Recent", "win", "win");
    w.lvwPItem.SetSelectedItem(&w.lvwPItem.AddItem("1-Windows-Run", "Windows Run", "win", "win"));  // LVN_ITEMCHANGED
    EXPECT_EQ(Send(w.lvwPItem, LVM_GETITEMSTATE, 1, LVIS_SELECTED), LVIS_SELECTED);
    EXPECT_EQ(rowClicks, 0);

    Node& root = w.tvwTree.AddNode(nullptr, "", "Windows");
    w.tvwTree.SetSelectedItem(&w.tvwTree.AddNode(nullptr, "", "Internet Explorer"));  // TVN_SELCHANGED, TVC_UNKNOWN
    EXPECT_EQ(nodeClicks, 0);
    EXPECT_NE(Send(w.tvwTree, TVM_GETNEXTITEM, TVGN_CARET), 0);
    // The user's keyboard moves the tree's selection: that is the user's choice of a node.
    Send(w.tvwTree, WM_KEYDOWN, VK_UP);
    EXPECT_EQ(nodeClicks, 1);
    EXPECT_EQ(w.tvwTree.SelectedItem(), &root);
}

TEST_F(Win32Gui, ListViewShowsRowsSubItemsAndTheirIcons) {
    HWND list = Of(w.lvwPItem);
    auto small = reinterpret_cast<HIMAGELIST>(Send(list, LVM_GETIMAGELIST, LVSIL_SMALL));
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(small), 9);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(small, &cx, &cy);
    EXPECT_EQ(cx, MulDiv(16, dpi, 96));

    w.lvwPItem.AddItem("1-Windows-Recycle Bin", "Windows Recycle Bin", "win", "win");
    ListItem& ie = w.lvwPItem.AddItem("1-Internet Explorer-Cookies", "Internet Explorer Cookies", "mie", "mie");
    w.lvwPItem.AddItem("2-Foo", "Foo", "app", "app");
    ie.SetSubItem(1, "12 item(s)");
    ie.SetSmallIcon("mieshow");
    ie.EnsureVisible();
    ASSERT_EQ(Send(list, LVM_GETITEMCOUNT), 3);
    auto image = [&](int row) {
        LVITEMW item{.mask = LVIF_IMAGE, .iItem = row};
        Send(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    };
    EXPECT_EQ((std::array{CellOf(list, 0, 0), CellOf(list, 1, 0), CellOf(list, 1, 1), CellOf(list, 2, 1)}),
              (std::array<std::string, 4>{"Windows Recycle Bin", "Internet Explorer Cookies", "12 item(s)", ""}));
    EXPECT_EQ((std::array{image(0), image(1), image(2)}), (std::array{0, 4, 6})) << "win, mieshow, app";

    wchar_t header[64] = {};
    LVCOLUMNW col{.mask = LVCF_TEXT | LVCF_WIDTH, .pszText = header, .cchTextMax = 64};
    Send(list, LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
    EXPECT_EQ(win32::Narrow(header), "Clear Item");
    EXPECT_EQ(col.cx, Px(4000));
    EXPECT_EQ(Send(list, LVM_GETVIEW), LV_VIEW_DETAILS);
    EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & LVS_EDITLABELS, 0) << "row labels cannot be edited";

    w.lvwPItem.RemoveItem(1);
    EXPECT_EQ(CellOf(list, 0, 0), "Internet Explorer Cookies");
    ie.SetSubItem(1, "0 item(s)");
    EXPECT_EQ(CellOf(list, 0, 1), "0 item(s)") << "the row moved up and is still updated in place";
    w.lvwPItem.ClearItems();
    EXPECT_EQ(Send(list, LVM_GETITEMCOUNT), 0);

    // The user's click on a row.
    w.lvwPItem.AddItem("k", "clicked", "win", "win");
    std::string clicked;
    w.lvwPItem.OnItemClick = [&](ListItem& item) { clicked = item.Text(); };
    RECT r{LVIR_LABEL};
    Send(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Send(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    Send(list, WM_LBUTTONUP, 0, at);
    PumpFor(host, 50);
    EXPECT_EQ(clicked, "clicked");
}

TEST_F(Win32Gui, StatusPanelsSizeToTheirTextAndTheLastTakesTheRest) {
    for (int i = 0; i < 3; ++i)
        w.sbrStatus.AddPanel("", PanelAutoSize::Contents);
    w.sbrStatus.AddPanel("", PanelAutoSize::Spring);
    HWND bar = Of(w.sbrStatus);
    auto parts = [&] {
        std::array<int, 4> edges{};
        EXPECT_EQ(Send(bar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges.data())), 4);
        return edges;
    };
    w.sbrStatus.SetPanelText(1, "Items: 1");
    int shortWidth = parts()[0];
    w.sbrStatus.SetPanelText(1, "Privacy Items: 123456");
    std::array<int, 4> edges = parts();
    EXPECT_GT(edges[0], shortWidth + 20) << "the first panel grew with its text";
    EXPECT_LE(edges[0], edges[1]);
    EXPECT_TRUE(edges[3] == -1 || edges[3] >= Px(8000)) << edges[3];
    w.sbrStatus.SetPanelText(4, "C:\\Windows\\Temp\\x.tmp");
    EXPECT_EQ(PanelText(bar, 3), "C:\\Windows\\Temp\\x.tmp");
    EXPECT_EQ(PanelText(bar, 0), "Privacy Items: 123456");
}

TEST_F(Win32Gui, TimerTicksOnlyWhileEnabled) {
    int ticks = 0;
    w.tmrSchedule.OnTimer = [&] { ++ticks; };
    w.tmrSchedule.SetInterval(30);
    EXPECT_TRUE(PumpUntil(host, 5000, [&] { return ticks >= 3; })) << ticks;
    w.tmrSchedule.SetEnabled(false);
    int stopped = ticks;
    PumpFor(host, 200);
    EXPECT_EQ(ticks, stopped);
    w.tmrSchedule.SetEnabled(true);
    EXPECT_TRUE(PumpUntil(host, 5000, [&] { return ticks > stopped; }));
}

// A box answered through the host does not block; the real one, closed by a timer as the user
// would press its default push button, carries its text and default button (the flags reach
// Windows) and gives back the answer.
TEST_F(Win32Gui, MessageBoxesAreAnsweredThroughTheHostOrOnScreenWithTheirDefaultButton) {
    answers = {MsgAnswer::No, std::nullopt};
    EXPECT_EQ(host.MsgBox("Are you sure to clear all selected privacy items?", MsgButtons::YesNo, MsgIcon::Question,
                          MsgDefault::Button2, "Sweepkit Lumo", window.get()),
              MsgAnswer::No);
    EXPECT_EQ(boxes, (std::vector<std::string>{"Are you sure to clear all selected privacy items?"}));

    std::string text;
    int pressed = 0;
    Ticker close(100, [&] {
        HWND box = ShownBox();
        if (!box)
            return true;
        text = TextOf(GetDlgItem(box, 0xFFFF));
        for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
            HWND button = GetDlgItem(box, id);
            if (button && (GetWindowLongPtrW(button, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) {
                pressed = id;
                PostMessageW(button, BM_CLICK, 0, 0);
                return false;
            }
        }
        PostMessageW(box, WM_CLOSE, 0, 0);
        return false;
    });
    MsgAnswer answer = host.MsgBox("Please stop current processing, then exit the program.", MsgButtons::YesNo,
                                   MsgIcon::Exclamation, MsgDefault::Button2, "Sweepkit Lumo", window.get());
    EXPECT_EQ(std::tuple(text, pressed, answer),
              std::tuple("Please stop current processing, then exit the program.", IDNO, MsgAnswer::No));
}

TEST_F(Win32Gui, AModalFormDisablesItsOwnerUntilItCloses) {
    Form dialog(host, "frmGuiDialog");
    dialog.SetBorder(BorderStyle::FixedDialog);
    dialog.SetCaption("Dialog");
    auto& ok = dialog.Add<Button>("cmdOk");
    ok.Move(120, 120, 1200, 400);
    ok.SetCaption("OK");
    ok.SetDefault(true);
    bool ownerEnabledMeanwhile = true;
    int runs = 0;
    ok.OnClick = [&] {
        ownerEnabledMeanwhile = IsWindowEnabled(hwnd) != FALSE;
        ++runs;
        dialog.Unload();
    };
    dialog.Load();
    ASSERT_NE(Of(ok), nullptr);
    PostKey(Of(ok), VK_RETURN);  // Enter in the dialog: the default button, through the keyboard navigation
    dialog.Show(ShowMode::Modal, window.get());
    EXPECT_EQ(std::tuple(runs, ownerEnabledMeanwhile, IsWindowEnabled(hwnd) != FALSE, dialog.Loaded(), Of(dialog)),
              std::tuple(1, false, true, false, nullptr))
        << "runs, owner enabled meanwhile and after, loaded, window";
    EXPECT_EQ(FindWindowW(L"frmGuiDialog", nullptr), nullptr) << "the window is gone";
}

TEST_F(Win32Gui, CloseBoxGoesThroughQueryUnload) {
    bool busy = true;
    w.OnQueryUnload = [&](bool& cancel, UnloadMode mode) {
        EXPECT_EQ(mode, UnloadMode::ControlMenu);
        cancel = busy;
    };
    Send(hwnd, WM_CLOSE);
    EXPECT_EQ(std::pair(IsWindow(hwnd) != FALSE, w.Loaded()), std::pair(true, true)) << "cancelled: still there";
    busy = false;
    Send(hwnd, WM_CLOSE);
    EXPECT_EQ(std::pair(IsWindow(hwnd) != FALSE, w.Loaded()), std::pair(false, false)) << "closed";
}

TEST_F(Win32Gui, UserResizingReachesTheModelAndTheFormCanKeepItsSize) {
    int resizes = 0;
    std::array<long, 2> before = SizeOf(ScreenRectOf(hwnd));
    int32_t width = w.Width();
    w.OnResize = [&] {
        ++resizes;
        w.SetClientSize(9000, 6960);
    };
    SetWindowPos(hwnd, nullptr, 0, 0, before[0] + 100, before[1] + 80, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_GE(resizes, 1);
    EXPECT_EQ(SizeOf(ScreenRectOf(hwnd))[0], before[0]) << "the handler put the size back";
    EXPECT_EQ(w.Width(), width);
    ShowWindow(hwnd, SW_MINIMIZE);
    EXPECT_EQ(w.GetWindowState(), WindowState::Minimized);
    w.SetSize(100, 100);  // harmless while minimised
    ShowWindow(hwnd, SW_RESTORE);
    EXPECT_EQ(w.GetWindowState(), WindowState::Normal);
    EXPECT_EQ(w.ClientWidth(), 9000);
    w.SetWindowState(WindowState::Minimized);
    EXPECT_TRUE(IsIconic(hwnd));
    w.SetWindowState(WindowState::Normal);
    EXPECT_FALSE(IsIconic(hwnd));
}

TEST_F(Win32Gui, TheKeyboardFollowsTabIndexAndFramesStayBeneath) {
    auto stackPosition = [&](const Control& c) {
        int at = 0;
        for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++at)
            if (child == Of(c))
                return at;
        return -1;
    };
    EXPECT_LT(stackPosition(w.cmdClear), stackPosition(w.cmdShow));
    EXPECT_GT(stackPosition(w.fraOptions), stackPosition(w.chkLog));
    w.cmdShow.SetTabIndex(-1);  // after the window exists
    EXPECT_LT(stackPosition(w.cmdShow), stackPosition(w.cmdClear));
    EXPECT_EQ(GetNextDlgTabItem(hwnd, Of(w.cmdShow), FALSE), Of(w.lvwPItem))
        << "TabIndex 0 is shared by the list view (first made) and the Clear button";
}

TEST_F(Win32Gui, TrayIconClicksReachTheirHandlers) {
    TrayIcon icon;
    icon.ToolTip = "Sweepkit Lumo";
    int doubles = 0, rights = 0;
    icon.OnDoubleClick = [&] { ++doubles; };
    icon.OnRightClick = [&] { ++rights; };
    host.ShowTrayIcon(icon, w);
    for (LPARAM mouse : {WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_MOUSEMOVE})
        Send(hwnd, win32::kTrayMessage, 1, mouse);
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(rights, 1);
    host.HideTrayIcon(icon);
    Send(hwnd, win32::kTrayMessage, 1, WM_LBUTTONDBLCLK);
    EXPECT_EQ(doubles, 1);
}

TEST_F(Win32Gui, MenuCommandsReachTheirItems) {
    MenuItem& reload = w.AddMenu("menuFile", "&File").Add("menuReloadConfig", "&Reload Config");
    int reloads = 0;
    reload.OnClick = [&] { ++reloads; };
    ASSERT_NE(GetMenu(hwnd), nullptr);
    EXPECT_EQ(ClientOf(hwnd).bottom, Px(6960)) << "the menu bar leaves the client area as it was";
    auto state = [&] { return GetMenuState(GetSubMenu(GetMenu(hwnd), 0), reload.Id(), MF_BYCOMMAND); };
    Send(hwnd, WM_COMMAND, MAKEWPARAM(reload.Id(), 0));
    EXPECT_EQ(reloads, 1);
    reload.SetEnabled(false);
    EXPECT_TRUE(state() & MF_GRAYED);
    Send(hwnd, WM_COMMAND, MAKEWPARAM(reload.Id(), 0));
    EXPECT_EQ(reloads, 1);
    reload.SetEnabled(true);
    reload.SetChecked(true);
    EXPECT_TRUE(state() & MF_CHECKED);
}

TEST_F(Win32Gui, APopupMenuShowsTheVisibleItemsAndRunsTheChosenOne) {
    MenuItem& tray = w.AddMenu("menuSysTray", "SysTray");
    tray.SetVisible(false);
    EXPECT_EQ(GetMenu(hwnd), nullptr) << "a hidden top-level item puts no bar on the window";
    MenuItem& show = tray.Add("menuSTShowSweepkit", "Show/Hide Sweepkit");
    tray.Add("menuLine6", "-");
    MenuItem& hidden = tray.Add("menuSTHidden", "Hidden");
    hidden.SetVisible(false);
    MenuItem& clear = tray.Add("menuSTClearNow", "Clear Now");
    std::vector<std::string> ran;
    for (MenuItem* m : {&show, &hidden, &clear})
        m->OnClick = [&ran, m] { ran.push_back(m->Name()); };
    // The keys wait in the queue; the menu's own loop reads them: the second item it offers.
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN})
        PostKey(hwnd, key);
    w.PopupMenu(tray);
    EXPECT_EQ(ran, (std::vector<std::string>{"menuSTClearNow"}));
}

TEST_F(Win32Gui, AScreenshotOfTheWindowShowsItsContents) {
    w.lvwPItem.AddItem("1", "Windows Recent Documents", "win", "win");
    w.lstLog.AddItem("Windows Recent Documents: 3 item(s)");
    PumpFor(host, 100);
    RECT r = ScreenRectOf(hwnd);
    auto [width, height] = SizeOf(r);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{
        {.biSize = sizeof(BITMAPINFOHEADER), .biWidth = width, .biHeight = -height, .biPlanes = 1, .biBitCount = 32}};
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, picture);
    ASSERT_TRUE(BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY));
    GdiFlush();
    std::set<uint32_t> colours;
    for (long i = 0; i < width * height; i += 7)
        colours.insert(static_cast<const uint32_t*>(bits)[i] & 0xFFFFFF);
    EXPECT_GT(colours.size(), 8u) << "the capture holds the drawn window, not one flat colour";
    SelectObject(memory, old);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace lumo
