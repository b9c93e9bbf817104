// The Win32 backend under a real (virtual) display: windows made from the model with the right
// classes, captions and pixel sizes; the user's clicks reaching handlers; quiet mirroring of
// changes made by code; list view rows and icons; status panels sized to their text; timers;
// message boxes answered without blocking; modal forms; the tray icon's messages; a screenshot.
#include <gtest/gtest.h>

#include <set>

#include "config/config_error.h"
#include "gui_test_support.h"
#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/frame.h"
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

// A form laid out like the program's main window, built in the test.
struct TestWindow : Form {
    explicit TestWindow(UiHost& host)
        : Form(host, "frmGuiTest"),
          lvwPItem(Add<ListView>("lvwPItem")),
          lstLog(Add<ListBox>("lstLog")),
          sbrStatus(Add<StatusBar>("sbrStatus")),
          cmdShow(Add<Button>("cmdShow")),
          cmdClear(Add<Button>("cmdClear")),
          fraOptions(Add<Frame>("fraOptions")),
          chkLog(Add<CheckBox>("chkLog", &fraOptions)),
          txtTitle(Add<TextBox>("txtTitle", &fraOptions)),
          cmbDays(Add<ComboBox>("cmbDays", &fraOptions)),
          tvwTree(Add<TreeView>("tvwTree")),
          lblNote(Add<Label>("lblNote")),
          tmrSchedule(Add<Timer>("tmrSchedule")),
          imlPrivacy(Add<ImageList>("imlPrivacy")) {
        SetCaption("Sweepkit Lumo");
        SetClientSize(9000, 6960);
        lvwPItem.Move(0, 120, 6135, 4575);
        lstLog.Move(0, 4800, 6135, 1815);
        sbrStatus.Move(0, 6690, 9000, 270);
        cmdShow.Move(6240, 120, 1185, 495);
        cmdShow.SetCaption("Show");
        cmdShow.SetFontBold(true);
        cmdClear.Move(6240, 720, 1185, 495);
        cmdClear.SetCaption("Clear");
        cmdClear.SetTabIndex(0);  // before Show, whatever their creation order
        fraOptions.Move(6240, 1320, 2640, 2400);
        fraOptions.SetCaption("Options");
        chkLog.Move(120, 240, 2400, 375);
        chkLog.SetCaption("Enable file logging");
        txtTitle.Move(120, 720, 2400, 315);
        cmbDays.Move(120, 1200, 1200, 315);
        cmbDays.SetStyle(ComboStyle::DropdownList);
        tvwTree.Move(6240, 3840, 2640, 1800);
        lblNote.Move(6240, 5760, 2640, 285);
        lblNote.SetCaption("Note");
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
    ListView& lvwPItem;
    ListBox& lstLog;
    StatusBar& sbrStatus;
    Button& cmdShow;
    Button& cmdClear;
    Frame& fraOptions;
    CheckBox& chkLog;
    TextBox& txtTitle;
    ComboBox& cmbDays;
    TreeView& tvwTree;
    Label& lblNote;
    Timer& tmrSchedule;
    ImageList& imlPrivacy;
};

class Win32Gui : public ::testing::Test, public GuiProgram {
protected:
    void SetUp() override {
        window = std::make_unique<TestWindow>(host);
        window->Show();
        hwnd = Win32Host::WindowOf(*window);
        ASSERT_NE(hwnd, nullptr) << "no window: is there a display?";
        dpi = win32::WindowDpi(hwnd);
        RecordProperty("dpi", dpi);
        PumpFor(host, 50);
    }
    int Px(int32_t twips) const { return win32::TwipsToPixels(twips, dpi); }
    HWND Of(const Control& c) const { return Win32Host::WindowOf(c); }

    std::unique_ptr<TestWindow> window;
    HWND hwnd = nullptr;
    int dpi = 96;
};

TEST_F(Win32Gui, ControlsExistWithTheirClassesCaptionsAndPixelPlaces) {
    EXPECT_EQ(ClassOf(hwnd), L"frmGuiTest");
    EXPECT_EQ(TextOf(hwnd), "Sweepkit Lumo");
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, Px(9000));
    EXPECT_EQ(client.bottom, Px(6960));

    struct Case {
        Control* control;
        const wchar_t* windowClass;
        const char* text;
    };
    TestWindow& w = *window;
    for (const Case& c : {Case{&w.cmdShow, L"Button", "Show"}, Case{&w.cmdClear, L"Button", "Clear"},
                          Case{&w.chkLog, L"Button", "Enable file logging"}, Case{&w.fraOptions, L"Button", "Options"},
                          Case{&w.lblNote, L"Static", "Note"}, Case{&w.txtTitle, L"Edit", ""},
                          Case{&w.lstLog, L"ListBox", ""}, Case{&w.lvwPItem, L"SysListView32", ""},
                          Case{&w.tvwTree, L"SysTreeView32", ""}, Case{&w.sbrStatus, L"msctls_statusbar32", ""}}) {
        HWND child = Of(*c.control);
        ASSERT_NE(child, nullptr) << c.control->Name();
        EXPECT_EQ(GetParent(child), hwnd);
        EXPECT_EQ(ClassOf(child), std::wstring(c.windowClass)) << c.control->Name();
        if (*c.text) {
            EXPECT_EQ(TextOf(child), c.text) << c.control->Name();
        }
        TwipsRect t = c.control->FormBounds();
        RECT r = PlaceOf(child);
        EXPECT_EQ(r.left, Px(t.left)) << c.control->Name();
        EXPECT_EQ(r.top, Px(t.top)) << c.control->Name();
        EXPECT_EQ(r.right - r.left, Px(t.width)) << c.control->Name();
        EXPECT_EQ(r.bottom - r.top, Px(t.height)) << c.control->Name();
        EXPECT_TRUE(IsWindowVisible(child)) << c.control->Name();
    }
    EXPECT_EQ(PlaceOf(Of(w.chkLog)).left, Px(6240 + 120)) << "inside its frame";

    // The bold button really has a bold font.
    EXPECT_EQ(FontOf(Of(w.cmdShow)).lfWeight, FW_BOLD);
    EXPECT_EQ(FontOf(Of(w.cmdClear)).lfWeight, FW_NORMAL);
}

TEST_F(Win32Gui, AListBoxScrollsSidewaysToItsLongestLine) {
    HWND list = Of(window->lstLog);
    RECT before{};
    window->lstLog.AddItem("Windows Recent Documents: 3 item(s)");
    GetClientRect(list, &before);
    std::string path = "Cleared: C:\\Users\\someone\\AppData\\Local\\Microsoft\\Windows\\INetCache\\IE\\";
    window->lstLog.AddItem(path + std::string(60, 'x') + "\\index.dat");
    RECT after{};
    GetClientRect(list, &after);
    EXPECT_GT(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0), before.right);
    EXPECT_LT(after.bottom, before.bottom) << "the horizontal scroll bar takes its place at the bottom";
    window->lstLog.Clear();
    RECT cleared{};
    GetClientRect(list, &cleared);
    EXPECT_EQ(cleared.bottom, before.bottom) << "no lines, no scroll bar";
}

TEST_F(Win32Gui, ModelChangesReachTheWindows) {
    TestWindow& w = *window;
    w.cmdClear.SetCaption("Stop");
    EXPECT_EQ(TextOf(Of(w.cmdClear)), "Stop");
    w.cmdShow.SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(Of(w.cmdShow)));
    w.fraOptions.SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(Of(w.chkLog))) << "a hidden frame hides what stands in it";
    w.fraOptions.SetVisible(true);
    EXPECT_TRUE(IsWindowVisible(Of(w.chkLog)));
    w.fraOptions.Move(6000, 1320);
    EXPECT_EQ(PlaceOf(Of(w.txtTitle)).left, Px(6000 + 120)) << "moving a frame moves what stands in it";
    window->SetCaption("Other");
    EXPECT_EQ(TextOf(hwnd), "Other");
    window->SetClientSize(9600, 7200);
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, Px(9600));
    EXPECT_EQ(client.bottom, Px(7200));
    RECT outer{};
    GetWindowRect(hwnd, &outer);
    EXPECT_EQ(outer.right - outer.left, Px(window->Width())) << "the measured frame makes the outer size";

    // A control made while the form is on screen (the check boxes a dialog adds at load).
    auto& late = window->Add<CheckBox>("plugChkSettings", &w.fraOptions, 1);
    late.Move(120, 1680, 2400, 375);
    late.SetCaption("Late");
    late.SetValue(CheckValue::Checked);
    HWND lateWindow = Of(late);
    ASSERT_NE(lateWindow, nullptr);
    EXPECT_EQ(TextOf(lateWindow), "Late");
    EXPECT_EQ(PlaceOf(lateWindow).top, Px(1320 + 1680));
    EXPECT_EQ(SendMessageW(lateWindow, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(IsWindowVisible(lateWindow));
}

TEST_F(Win32Gui, UserClicksReachTheHandlersButDisabledControlsDoNot) {
    TestWindow& w = *window;
    int shows = 0, checks = 0;
    w.cmdShow.OnClick = [&] { ++shows; };
    w.chkLog.OnClick = [&] { ++checks; };
    SendMessageW(Of(w.cmdShow), BM_CLICK, 0, 0);
    EXPECT_EQ(shows, 1);
    SendMessageW(Of(w.chkLog), BM_CLICK, 0, 0);
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(w.chkLog.Value(), CheckValue::Checked);
    EXPECT_EQ(SendMessageW(Of(w.chkLog), BM_GETCHECK, 0, 0), BST_CHECKED);
    w.chkLog.SetValue(CheckValue::Grayed);
    EXPECT_EQ(SendMessageW(Of(w.chkLog), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
    EXPECT_EQ(checks, 1) << "set from code: no click";
    w.cmdShow.SetEnabled(false);
    SendMessageW(Of(w.cmdShow), BM_CLICK, 0, 0);
    EXPECT_EQ(shows, 1);
    // A handler that fails is shown in one box, and the window goes on working.
    w.cmdClear.OnClick = [] {
        throw ConfigError(ceFileAccess, "SaveConfig", "Path/File access error: \"C:\\P.dat\" cannot be replaced");
    };
    answers = {MsgAnswer::Ok};
    SendMessageW(Of(w.cmdClear), BM_CLICK, 0, 0);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0], "frmGuiTest.cmdClear_Click: Path/File access error: \"C:\\P.dat\" cannot be replaced");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("The configuration file could not be read or written.\r\n\r\nPath/File access error: "
                             "\"C:\\P.dat\" cannot be replaced.\r\n\r\nCheck that",
                             0),
              0u)
        << boxes[0];
    failures.clear();
    SendMessageW(Of(w.chkLog), BM_CLICK, 0, 0);
    EXPECT_EQ(checks, 2);
}

TEST_F(Win32Gui, ChangesMadeByCodeStayQuietEvenWhereWindowsNotifies) {
    TestWindow& w = *window;
    int changes = 0, picks = 0, rowClicks = 0, nodeClicks = 0;
    w.txtTitle.OnChange = [&] { ++changes; };
    w.cmbDays.OnClick = [&] { ++picks; };
    w.lvwPItem.OnItemClick = [&](ListItem&) { ++rowClicks; };
    w.tvwTree.OnNodeClick = [&](Node&) { ++nodeClicks; };

    w.txtTitle.SetText("from code");  // Windows sends EN_CHANGE for this
    EXPECT_EQ(TextOf(Of(w.txtTitle)), "from code");
    EXPECT_EQ(changes, 0);
    SendMessageW(Of(w.txtTitle), EM_SETSEL, 0x7FFF, 0x7FFF);
    SendMessageW(Of(w.txtTitle), WM_CHAR, L'!', 0);  // the user types at the end
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(w.txtTitle.Text(), "from code!");

    for (const char* d : {"1", "2", "3"})
        w.cmbDays.AddItem(d);
    w.cmbDays.SetListIndex(2);
    EXPECT_EQ(SendMessageW(Of(w.cmbDays), CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(picks, 0);

    w.lvwPItem.AddItem("1-Windows-Recent", "Windows Recent", "win", "win");
    ListItem& second = w.lvwPItem.AddItem("1-Windows-Run", "Windows Run", "win", "win");
    w.lvwPItem.SetSelectedItem(&second);  // Windows sends LVN_ITEMCHANGED for this
    EXPECT_EQ(SendMessageW(Of(w.lvwPItem), LVM_GETITEMSTATE, 1, LVIS_SELECTED), LVIS_SELECTED);
    EXPECT_EQ(rowClicks, 0);

    Node& root = w.tvwTree.AddNode(nullptr, "", "Windows");
    Node& other = w.tvwTree.AddNode(nullptr, "", "Internet Explorer");
    w.tvwTree.SetSelectedItem(&other);  // TVN_SELCHANGED with TVC_UNKNOWN
    EXPECT_EQ(nodeClicks, 0);
    EXPECT_NE(SendMessageW(Of(w.tvwTree), TVM_GETNEXTITEM, TVGN_CARET, 0), 0);
    // The user's keyboard moves the tree's selection: that is the user's choice of a node.
    SendMessageW(Of(w.tvwTree), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(nodeClicks, 1);
    EXPECT_EQ(w.tvwTree.SelectedItem(), &root);
}

TEST_F(Win32Gui, ListViewShowsRowsSubItemsAndTheirIcons) {
    TestWindow& w = *window;
    HWND list = Of(w.lvwPItem);
    HIMAGELIST small = reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(small), 9);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(small, &cx, &cy);
    EXPECT_EQ(cx, MulDiv(16, dpi, 96));

    w.lvwPItem.AddItem("1-Windows-Recycle Bin", "Windows Recycle Bin", "win", "win");
    w.lvwPItem.AddItem("1-Internet Explorer-Cookies", "Internet Explorer Cookies", "mie", "mie");
    w.lvwPItem.AddItem("2-Foo", "Foo", "app", "app");
    ListItem& ie = w.lvwPItem.Item("1-Internet Explorer-Cookies");
    ie.SetSubItem(1, "12 item(s)");
    ie.SetSmallIcon("mieshow");
    ie.EnsureVisible();
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);

    auto cell = [&](int row, int column) { return CellOf(list, row, column); };
    auto image = [&](int row) {
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    };
    EXPECT_EQ(cell(0, 0), "Windows Recycle Bin");
    EXPECT_EQ(cell(1, 0), "Internet Explorer Cookies");
    EXPECT_EQ(cell(1, 1), "12 item(s)");
    EXPECT_EQ(cell(2, 1), "");
    EXPECT_EQ(image(0), 0) << "win";
    EXPECT_EQ(image(1), 4) << "mieshow";
    EXPECT_EQ(image(2), 6) << "app";

    wchar_t header[64] = {};
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = header;
    col.cchTextMax = 64;
    SendMessageW(list, LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
    EXPECT_EQ(win32::Narrow(header), "Clear Item");
    EXPECT_EQ(col.cx, Px(4000));
    EXPECT_EQ(SendMessageW(list, LVM_GETVIEW, 0, 0), LV_VIEW_DETAILS);
    EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & LVS_EDITLABELS, 0) << "row labels cannot be edited";

    w.lvwPItem.RemoveItem(1);
    EXPECT_EQ(cell(0, 0), "Internet Explorer Cookies");
    ie.SetSubItem(1, "0 item(s)");
    EXPECT_EQ(cell(0, 1), "0 item(s)") << "the row moved up and is still updated in place";
    w.lvwPItem.ClearItems();
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);

    // The user's click on a row.
    w.lvwPItem.AddItem("k", "clicked", "win", "win");
    std::string clicked;
    w.lvwPItem.OnItemClick = [&](ListItem& item) { clicked = item.Text(); };
    RECT r{};
    r.left = LVIR_LABEL;
    SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
    PumpFor(host, 50);
    EXPECT_EQ(clicked, "clicked");
}

TEST_F(Win32Gui, StatusPanelsSizeToTheirTextAndTheLastTakesTheRest) {
    TestWindow& w = *window;
    for (int i = 0; i < 3; ++i)
        w.sbrStatus.AddPanel("", PanelAutoSize::Contents);
    w.sbrStatus.AddPanel("", PanelAutoSize::Spring);
    HWND bar = Of(w.sbrStatus);
    auto parts = [&] {
        int edges[4] = {};
        EXPECT_EQ(SendMessageW(bar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 4);
        return std::vector<int>(edges, edges + 4);
    };
    w.sbrStatus.SetPanelText(1, "Items: 1");
    int shortWidth = parts()[0];
    w.sbrStatus.SetPanelText(1, "Privacy Items: 123456");
    std::vector<int> edges = parts();
    EXPECT_GT(edges[0], shortWidth + 20) << "the first panel grew with its text";
    EXPECT_LE(edges[0], edges[1]);
    EXPECT_TRUE(edges[3] == -1 || edges[3] >= Px(8000)) << edges[3];
    w.sbrStatus.SetPanelText(4, "C:\\Windows\\Temp\\x.tmp");
    wchar_t text[128] = {};
    SendMessageW(bar, SB_GETTEXTW, 3, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(win32::Narrow(text), "C:\\Windows\\Temp\\x.tmp");
    SendMessageW(bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(win32::Narrow(text), "Privacy Items: 123456");
}

TEST_F(Win32Gui, TimerTicksOnlyWhileEnabled) {
    TestWindow& w = *window;
    int ticks = 0;
    w.tmrSchedule.OnTimer = [&] { ++ticks; };
    w.tmrSchedule.SetInterval(30);
    EXPECT_TRUE(PumpUntil(
        host, [&] { return ticks >= 3; }, 5000))
        << ticks;
    w.tmrSchedule.SetEnabled(false);
    int stopped = ticks;
    PumpFor(host, 200);
    EXPECT_EQ(ticks, stopped);
    w.tmrSchedule.SetEnabled(true);
    EXPECT_TRUE(PumpUntil(
        host, [&] { return ticks > stopped; }, 5000));
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
    EXPECT_EQ(text, "Please stop current processing, then exit the program.");
    EXPECT_EQ(pressed, IDNO);
    EXPECT_EQ(answer, MsgAnswer::No);
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
    HWND okWindow = Win32Host::WindowOf(ok);
    ASSERT_NE(okWindow, nullptr);
    // Pressing Enter in the dialog: the default button, through the keyboard navigation.
    PostMessageW(okWindow, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(okWindow, WM_KEYUP, VK_RETURN, 0);
    dialog.Show(ShowMode::Modal, window.get());
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(ownerEnabledMeanwhile);
    EXPECT_TRUE(IsWindowEnabled(hwnd));
    EXPECT_FALSE(dialog.Loaded());
    EXPECT_EQ(Win32Host::WindowOf(dialog), nullptr);
    EXPECT_EQ(FindWindowW(L"frmGuiDialog", nullptr), nullptr) << "the window is gone";
}

TEST_F(Win32Gui, CloseBoxGoesThroughQueryUnload) {
    bool busy = true;
    window->OnQueryUnload = [&](bool& cancel, UnloadMode mode) {
        EXPECT_EQ(mode, UnloadMode::ControlMenu);
        cancel = busy;
    };
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_TRUE(window->Loaded());
    busy = false;
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(window->Loaded());
}

TEST_F(Win32Gui, UserResizingReachesTheModelAndTheFormCanKeepItsSize) {
    int resizes = 0;
    RECT before{};
    GetWindowRect(hwnd, &before);
    int32_t width = window->Width();
    window->OnResize = [&] {
        ++resizes;
        window->SetClientSize(9000, 6960);
    };
    SetWindowPos(hwnd, nullptr, 0, 0, before.right - before.left + 100, before.bottom - before.top + 80,
                 SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_GE(resizes, 1);
    RECT after{};
    GetWindowRect(hwnd, &after);
    EXPECT_EQ(after.right - after.left, before.right - before.left) << "the handler put the size back";
    EXPECT_EQ(window->Width(), width);
    ShowWindow(hwnd, SW_MINIMIZE);
    EXPECT_EQ(window->GetWindowState(), WindowState::Minimized);
    window->SetSize(100, 100);  // harmless while minimised
    ShowWindow(hwnd, SW_RESTORE);
    EXPECT_EQ(window->GetWindowState(), WindowState::Normal);
    EXPECT_EQ(window->ClientWidth(), 9000);
    window->SetWindowState(WindowState::Minimized);
    EXPECT_TRUE(IsIconic(hwnd));
    window->SetWindowState(WindowState::Normal);
    EXPECT_FALSE(IsIconic(hwnd));
}

TEST_F(Win32Gui, TheKeyboardFollowsTabIndexAndFramesStayBeneath) {
    TestWindow& w = *window;
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
    host.ShowTrayIcon(icon, *window);
    SendMessageW(hwnd, win32::kTrayMessage, 1, WM_LBUTTONDBLCLK);
    SendMessageW(hwnd, win32::kTrayMessage, 1, WM_RBUTTONUP);
    SendMessageW(hwnd, win32::kTrayMessage, 1, WM_MOUSEMOVE);
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(rights, 1);
    host.HideTrayIcon(icon);
    SendMessageW(hwnd, win32::kTrayMessage, 1, WM_LBUTTONDBLCLK);
    EXPECT_EQ(doubles, 1);
}

TEST_F(Win32Gui, MenuCommandsReachTheirItems) {
    MenuItem& file = window->AddMenu("menuFile", "&File");
    MenuItem& reload = file.Add("menuReloadConfig", "&Reload Config");
    int reloads = 0;
    reload.OnClick = [&] { ++reloads; };
    HMENU bar = GetMenu(hwnd);
    ASSERT_NE(bar, nullptr);
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.bottom, Px(6960)) << "the menu bar leaves the client area as it was";
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(reload.Id(), 0), 0);
    EXPECT_EQ(reloads, 1);
    reload.SetEnabled(false);
    HMENU sub = GetSubMenu(GetMenu(hwnd), 0);
    EXPECT_TRUE(GetMenuState(sub, reload.Id(), MF_BYCOMMAND) & MF_GRAYED);
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(reload.Id(), 0), 0);
    EXPECT_EQ(reloads, 1);
    reload.SetEnabled(true);
    reload.SetChecked(true);
    sub = GetSubMenu(GetMenu(hwnd), 0);
    EXPECT_TRUE(GetMenuState(sub, reload.Id(), MF_BYCOMMAND) & MF_CHECKED);
}

TEST_F(Win32Gui, APopupMenuShowsTheVisibleItemsAndRunsTheChosenOne) {
    MenuItem& tray = window->AddMenu("menuSysTray", "SysTray");
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
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) {
        PostMessageW(hwnd, WM_KEYDOWN, key, 0);
        PostMessageW(hwnd, WM_KEYUP, key, 0);
    }
    window->PopupMenu(tray);
    EXPECT_EQ(ran, (std::vector<std::string>{"menuSTClearNow"}));
}

TEST_F(Win32Gui, AScreenshotOfTheWindowShowsItsContents) {
    TestWindow& w = *window;
    w.lvwPItem.AddItem("1", "Windows Recent Documents", "win", "win");
    w.lstLog.AddItem("Windows Recent Documents: 3 item(s)");
    PumpFor(host, 100);
    RECT r{};
    GetWindowRect(hwnd, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, picture);
    ASSERT_TRUE(BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY));
    GdiFlush();
    const auto* px = static_cast<const uint32_t*>(bits);
    std::set<uint32_t> colours;
    for (int i = 0; i < width * height; i += 7)
        colours.insert(px[i] & 0xFFFFFF);
    EXPECT_GT(colours.size(), 8u) << "the capture holds the drawn window, not one flat colour";

    SelectObject(memory, old);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace lumo
