// The program's dialogs on screen. Items Settings and Run Options open from the main window's
// buttons as owned, modeless windows with their captions, the tree switches the frames, and a
// check box clicked before OK reaches the configuration file. And every window of the program at
// the display's DPI (CTest runs the layout suite at 96 and again at 144): each caption, measured
// in its control's own font where the control draws it, fits; no two controls in one container
// overlap unless one holds the other; every control lies inside its container.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "config/shipped_config.h"
#include "config/winapp2_selection.h"
#include "registry/reg_key.h"
#include "ui/about_window.h"
#include "ui/items_settings_test_config.h"
#include "ui/items_settings_window.h"
#include "ui/main_window.h"
#include "ui/run_options_window.h"
#include "gui_test_support.h"

namespace lumo {
namespace {

using namespace guitest;
using lumo::testing::BuiltInRecords;
using lumo::testing::Lines;
using lumo::testing::PluginLines;
using lumo::testing::operator+;

bool Shown(const Control& control) { return IsWindowVisible(Of(control)) != FALSE; }

std::string SelectedNodeText(HWND tree) {
    wchar_t text[128] = {};
    TVITEMW tv{.mask = TVIF_TEXT, .hItem = TreeView_GetSelection(tree), .pszText = text, .cchTextMax = 128};
    Send(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return win32::Narrow(text);
}

// The main window wired to the two dialogs its buttons open, as the program wires them.
class MainWindowOnScreen : public ::testing::Test, public GuiProgram {
protected:
    MainWindow& OpenMain() {
        main = std::make_unique<MainWindow>(host, *app);
        itemsSlot = ConnectItemsSettings(*main);
        runSlot = ConnectRunOptions(*main, store);
        main->Show();
        return *main;
    }
    // Clicks a button or check box the way the mouse does, and lets the window handle it.
    void Click(const Control& control) {
        PostClick(control);
        PumpFor(host, 100);
    }
    // Opens a dialog by its button in the main window: an owned, modeless window with its caption.
    template <class Window>
    Window& Open(const Button& button, const std::shared_ptr<std::unique_ptr<Window>>& slot, const char* caption) {
        Click(button);
        if (!PumpUntil(host, [&] { return *slot && (*slot)->Visible(); }) || !Of(**slot))
            throw std::runtime_error(std::string(caption) + " did not open");
        HWND dialog = Of(**slot);
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(TextOf(dialog), caption);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), Of(*main)) << "owned by the main window";
        EXPECT_TRUE(IsWindowEnabled(Of(*main))) << "modeless: the main window stays usable";
        return **slot;
    }
    // Clicks OK and waits for the dialog to go.
    void Ok(Form& dialog, const Button& ok) {
        Click(ok);
        ASSERT_TRUE(PumpUntil(host, [&] { return !dialog.Loaded(); }));
    }

    std::unique_ptr<MainWindow> main;
    std::shared_ptr<std::unique_ptr<ItemsSettingsWindow>> itemsSlot;
    std::shared_ptr<std::unique_ptr<RunOptionsWindow>> runSlot;
};

// Every record Items Settings shows, and one of a plug-in.
class DialogsGui : public MainWindowOnScreen {
protected:
    DialogsGui() { WriteConfig(BuiltInRecords() + PluginLines("Tool", true)); }
};

TEST_F(DialogsGui, ItemsSettingsOpensFromTheMainWindowAndACheckBoxClickedBeforeOkReachesTheFile) {
    MainWindow& m = OpenMain();
    HWND list = Of(m.lvwPItem);
    LRESULT rowsBefore = Send(list, LVM_GETITEMCOUNT);
    ItemsSettingsWindow& w = Open(m.cmdItemsSettings, itemsSlot, "Clear Items Settings");
    HWND dialog = Of(w);
    HWND tree = Of(w.tvwTree);
    EXPECT_EQ(std::tuple(ClassOf(tree), Send(tree, TVM_GETCOUNT), SelectedNodeText(tree), TextOf(w.lblSettings)),
              std::tuple(WC_TREEVIEWW, 6, "Windows", "Windows"))
        << "class, nodes, the one selected, the heading";
    for (CheckBox* box : w.winsChkSettings) {
        ASSERT_NE(Of(*box), nullptr) << box->Caption();
        EXPECT_EQ(std::tuple(TextOf(*box), Shown(*box), Send(*box, BM_GETCHECK)),
                  std::tuple(box->Caption(), true, BST_CHECKED));
    }
    for (CheckBox* box : w.inetChkSettings)
        EXPECT_FALSE(Shown(*box)) << "the other frames hide their boxes";
    EXPECT_EQ(TextOf(*w.plugChkSettings[0]), "Tool");

    // The user moves down the tree to "Internet Explorer": its frame replaces the Windows frame.
    SetFocus(tree);
    PostKey(tree, VK_DOWN);
    ASSERT_TRUE(PumpUntil(host, [&] { return w.inetFraSettings.Visible(); }));
    EXPECT_EQ(TextOf(w.lblSettings), "Internet Explorer");
    CheckBox& cookies = *w.inetChkSettings[5];
    EXPECT_EQ((std::array{Shown(w.inetFraSettings), Shown(cookies), Shown(w.winsFraSettings),
                          Shown(*w.winsChkSettings[0])}),
              (std::array{true, true, false, false}))
        << "the Internet Explorer frame and box, the Windows ones";
    Click(cookies);
    EXPECT_EQ(std::pair(Send(cookies, BM_GETCHECK), cookies.Checked()), std::pair(LRESULT{BST_UNCHECKED}, false));
    Ok(w, w.cmdOk);
    EXPECT_FALSE(IsWindow(dialog));
    Lines file = lumo::testing::PlainLines(ConfigPath());
    EXPECT_THAT(file, ::testing::Contains("Cookies<>0<>0<>Folder><C:\\Internet Explorer\\6"));
    EXPECT_THAT(file, ::testing::Contains("Address Bar<>1<>0<>Folder><C:\\Internet Explorer\\1"));
    EXPECT_EQ(Send(list, LVM_GETITEMCOUNT), rowsBefore - 1) << "the main list was rebuilt";
    EXPECT_TRUE(boxes.empty());
}

TEST_F(DialogsGui, RunOptionsOpensFromTheMainWindowWithItsControlsAndOkSavesWhatWasClicked) {
    app->settings.KeepLogDays = 2;
    MainWindow& m = OpenMain();
    RunOptionsWindow& w = Open(m.cmdRunOptions, runSlot, "Run Options");
    // A sample of every kind of control, inside and outside the two frames.
    const std::pair<const Control*, const char*> captions[] = {{&w.cmdOk, "OK"},
                                                               {&w.geneCmdDefault, "Default"},
                                                               {&w.advaChkScheduleInterval, "Run clear process every"},
                                                               {&w.Label5, "and keep log file(s)"},
                                                               {&w.Frame1, "Internet Explorer Protection"},
                                                               {&w.Label8, "Window Title:"},
                                                               {&w.geneCmdApplyToIE, "Apply to IE"}};
    for (const auto& [control, text] : captions) {
        ASSERT_NE(Of(*control), nullptr) << text;
        EXPECT_EQ(std::pair(TextOf(*control), Shown(*control)), std::pair(std::string(text), true));
    }
    HWND interval = Of(w.advaCmbScheduleInterval);
    const Control& clock = w.advaCmbScheduleClock;
    EXPECT_EQ((std::array{Send(interval, CB_GETCOUNT), Send(interval, CB_GETCURSEL), Send(clock, CB_GETCOUNT),
                          Send(clock, CB_GETCURSEL), Send(w.advaCmbKeepLogDays, CB_GETCURSEL)}),
              (std::array<LRESULT, 5>{6, 5, 24, 12, 1}))
        << "the intervals, the default shown as 8 Hours; the hours, noon chosen; the log days chosen";

    // The user checks the interval box, picks "1 Hour" and types a start page.
    Click(w.advaChkScheduleInterval);
    EXPECT_EQ(Send(w.advaChkScheduleInterval, BM_GETCHECK), BST_CHECKED);
    Send(interval, CB_SETCURSEL, 2);
    Send(Of(w), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(interval), CBN_SELCHANGE), reinterpret_cast<LPARAM>(interval));
    SetWindowTextW(Of(w.geneTxtHomePage), L"http://home.example/");
    PumpFor(host, 50);
    EXPECT_EQ(w.geneTxtHomePage.Text(), "http://home.example/");
    std::remove(ConfigPath().c_str());

    Ok(w, w.cmdOk);
    const auto& set = app->settings;
    EXPECT_EQ(std::tuple(set.ScheduleType, set.ScheduleInterval, set.KeepLogDays, set.StartPage),
              std::tuple("interval", 60, 2, "http://home.example/"));
    std::optional<RegValue> stored = RegKey(registry).GetRegValue("Schedule Interval", store.Locations().settingsRoot,
                                                                  store.Locations().SettingsKey());
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->ValueDataString(), "60");
    EXPECT_TRUE(dir.Exists("PrivacyConfig.dat")) << "OK saved the configuration file";
    EXPECT_TRUE(boxes.empty());
}

// The state image of a list row: 1 cleared, 2 ticked.
int RowCheck(HWND list, int row) {
    return static_cast<int>(Send(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) >> 12);
}
// Ticks or clears a row's check box as a click on it does, and lets the window handle it.
void SetRowCheck(Win32Host& host, HWND list, int row, bool on) {
    LVITEMW lv{.state = INDEXTOSTATEIMAGEMASK(on ? 2u : 1u), .stateMask = LVIS_STATEIMAGEMASK};
    Send(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&lv));
    PumpFor(host, 100);
}

TEST_F(DialogsGui, Winapp2EntriesAreTickedInTheirGroupsListAndAWarningIsAskedFirst) {
    {
        std::ofstream ini(dir.FsPath("winapp2.ini"), std::ios::binary);
        ini << "[Risky Entry]\r\nLangSecRef=3025\r\nWarning=Resets your layouts.\r\n"
               "RegKey1=HKCU\\Software\\LumoGuiTest\\Risky\r\n";
        for (int i = 0; i < 1500; ++i)
            ini << "[Bulk " << 10000 + i << "]\r\nLangSecRef=3021\r\nRegKey1=HKCU\\Software\\LumoGuiTest\\Bulk\r\n";
    }
    answers = {MsgAnswer::No, MsgAnswer::Yes};
    MainWindow& m = OpenMain();
    ItemsSettingsWindow& w = Open(m.cmdItemsSettings, itemsSlot, "Clear Items Settings");
    HWND tree = Of(w.tvwTree);
    EXPECT_EQ(Send(tree, TVM_GETCOUNT), 8) << "two groups below Applications";

    // End: the last group, "Windows"; its one entry carries a warning.
    SetFocus(tree);
    PostKey(tree, VK_END);
    ASSERT_TRUE(PumpUntil(host, [&] { return w.w2FraSettings.Visible(); }));
    EXPECT_EQ(TextOf(w.lblSettings), "Applications: Windows");
    HWND list = Of(w.w2LvwEntries);
    EXPECT_TRUE(IsWindowVisible(list));
    ASSERT_EQ(Send(list, LVM_GETITEMCOUNT), 1);
    EXPECT_EQ(RowCheck(list, 0), 1);
    SetRowCheck(host, list, 0, true);  // answered No
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_THAT(boxes[0], ::testing::HasSubstr("Resets your layouts."));
    EXPECT_EQ(std::pair(RowCheck(list, 0), w.Winapp2Chosen("Risky Entry")), std::pair(1, false))
        << "No clears it again";
    SetRowCheck(host, list, 0, true);  // answered Yes
    EXPECT_EQ(std::tuple(boxes.size(), RowCheck(list, 0), w.Winapp2Chosen("Risky Entry")), std::tuple(2u, 2, true));

    // Up: the "Applications" group of 1,500 entries, in one list that scrolls.
    auto t0 = std::chrono::steady_clock::now();
    PostKey(tree, VK_UP);
    ASSERT_TRUE(PumpUntil(host, [&] { return Send(list, LVM_GETITEMCOUNT) == 1500; }));
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    std::printf("1,500 entries listed in %lld ms\n", static_cast<long long>(ms));
    EXPECT_LT(ms, 3000);
    EXPECT_NE(GetWindowLongPtrW(list, GWL_STYLE) & WS_VSCROLL, 0) << "the list scrolls";
    SetRowCheck(host, list, 1499, true);
    EXPECT_EQ(boxes.size(), 2u) << "no warning, no question";
    EXPECT_TRUE(w.Winapp2Chosen("Bulk 11499"));

    Ok(w, w.cmdOk);
    Winapp2Selection chosen;
    ASSERT_TRUE(chosen.Load(files, app->Winapp2SelectionFile()));
    EXPECT_THAT(chosen.Names(), ::testing::UnorderedElementsAre("Bulk 11499", "Risky Entry"));
    int listed = 0;
    for (ListItem& row : m.lvwPItem)
        listed += row.Text() == "Bulk 11499" || row.Text() == "Risky Entry";
    EXPECT_EQ(listed, 2) << "the main window lists the chosen entries";
    EXPECT_EQ(Send(m.lvwPItem, LVM_GETITEMCOUNT), m.lvwPItem.ItemCount());
}

std::string Describe(const RECT& r) { return ::testing::PrintToString(BoxOf(r)); }

bool Holds(const RECT& outer, const RECT& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Meet(const RECT& a, const RECT& b) {
    RECT both{};
    return IntersectRect(&both, &a, &b);
}

// Where a control of this class and style draws its caption, as the system's controls draw it
// (client coordinates), and whether the caption may break into lines there. Empty: the control
// shows no caption of its own.
std::optional<std::pair<RECT, bool>> CaptionRoom(HWND hwnd, HDC dc) {
    RECT r = ClientOf(hwnd);
    std::wstring cls = ClassOf(hwnd);
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    if (_wcsicmp(cls.c_str(), L"Static") == 0) {
        if ((style & SS_TYPEMASK) > SS_RIGHT)  // icons, frames, lines
            return std::nullopt;
        return std::pair{r, true};
    }
    if (_wcsicmp(cls.c_str(), L"Button") != 0)
        return std::nullopt;
    bool multiLine = (style & BS_MULTILINE) != 0;
    switch (style & BS_TYPEMASK) {
    case BS_DEFPUSHBUTTON:
        InflateRect(&r, -1, -1);  // the default button's frame
        [[fallthrough]];
    case BS_PUSHBUTTON:
        InflateRect(&r, -3, -3);  // the button's edge, then a pixel between it and the text
        return std::pair{r, multiLine};
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE: {
        // The box, 12 pixels at 96 DPI and one more, then half a digit's width of gap.
        int zero = 0;
        GetCharWidth32W(dc, L'0', L'0', &zero);
        r.left += MulDiv(12, GetDeviceCaps(dc, LOGPIXELSX), 96) + 1 + zero / 2 + 1;
        InflateRect(&r, 0, -1);
        r.right -= 1;
        return std::pair{r, multiLine};
    }
    case BS_GROUPBOX:
        InflateRect(&r, -8, 0);  // the line runs 8 pixels before the caption starts
        return std::pair{r, false};
    default:
        return std::nullopt;
    }
}

// The caption of `hwnd` in its own font, against the room its control gives it.
std::string CaptionProblem(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    if (text.empty())
        return {};
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(Send(hwnd, WM_GETFONT)));
    std::string problem;
    if (auto room = CaptionRoom(hwnd, dc)) {
        auto [area, wrap] = *room;
        RECT need{0, 0, area.right - area.left, 0};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need,
                  DT_CALCRECT | DT_EXPANDTABS | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
        if (need.right > area.right - area.left || need.bottom > area.bottom - area.top)
            problem = "\"" + win32::Narrow(text) + "\" needs " + ::testing::PrintToString(SizeOf(need)) + " px, has " +
                      ::testing::PrintToString(SizeOf(area));
    } else if (_wcsicmp(ClassOf(hwnd).c_str(), L"ComboBox") == 0) {
        COMBOBOXINFO info{.cbSize = sizeof(COMBOBOXINFO)};
        GetComboBoxInfo(hwnd, &info);
        for (LRESULT i = 0, n = Send(hwnd, CB_GETCOUNT); i < n; ++i) {
            std::wstring entry(static_cast<size_t>(Send(hwnd, CB_GETLBTEXTLEN, i)) + 1, L'\0');
            Send(hwnd, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry.data()));
            SIZE size{};
            GetTextExtentPoint32W(dc, entry.c_str(), static_cast<int>(wcslen(entry.c_str())), &size);
            if (size.cx > info.rcItem.right - info.rcItem.left)
                problem = "entry \"" + win32::Narrow(entry.c_str()) + "\" needs " + std::to_string(size.cx) + " px";
        }
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return problem;
}

// A control on screen: its place and the place of what contains it, in the window's client
// area; controls overlap only within one container.
struct Piece {
    std::string name;
    HWND hwnd;
    RECT at;
    RECT room;
    const void* container;
};

// What is wrong with a window's layout, one line per fault.
std::vector<std::string> Problems(const std::vector<Piece>& pieces) {
    std::vector<std::string> problems;
    for (const Piece& p : pieces) {
        if (std::string caption = CaptionProblem(p.hwnd); !caption.empty())
            problems.push_back(p.name + ": " + caption);
        if (!Holds(p.room, p.at))
            problems.push_back(p.name + " at " + Describe(p.at) + " is not inside " + Describe(p.room));
    }
    for (size_t i = 0; i < pieces.size(); ++i)
        for (size_t j = i + 1; j < pieces.size(); ++j) {
            const Piece &a = pieces[i], &b = pieces[j];
            if (a.container == b.container && Meet(a.at, b.at) && !Holds(a.at, b.at) && !Holds(b.at, a.at))
                problems.push_back(a.name + " at " + Describe(a.at) + " overlaps " + b.name + " at " + Describe(b.at));
        }
    return problems;
}

std::vector<std::string> LayoutProblems(const Form& form) {
    HWND window = Of(form);
    RECT client = ClientOf(window);
    std::vector<Piece> pieces;
    for (const auto& c : form.Controls()) {
        HWND hwnd = Of(*c);
        if (!hwnd || !c->Shown())
            continue;
        std::string name = c->Index() >= 0 ? c->Name() + "(" + std::to_string(c->Index()) + ")" : c->Name();
        RECT room = c->Container() ? PlaceOf(Of(*c->Container()), window) : client;
        pieces.push_back({name, hwnd, PlaceOf(hwnd, window), room, c->Container()});
    }
    return Problems(pieces);
}

// A message box, whose controls the system made.
std::vector<std::string> BoxProblems(HWND box) {
    RECT client = ClientOf(box);
    std::vector<Piece> pieces;
    for (HWND k = GetWindow(box, GW_CHILD); k; k = GetWindow(k, GW_HWNDNEXT)) {
        // A box without an icon keeps an empty icon control, which shows nothing.
        bool emptyIcon = _wcsicmp(ClassOf(k).c_str(), L"Static") == 0 &&
                         (GetWindowLongW(k, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && !Send(k, STM_GETICON);
        if (IsWindowVisible(k) && !emptyIcon)
            pieces.push_back({win32::Narrow(ClassOf(k)) + " \"" + TextOf(k) + "\"", k, PlaceOf(k, box), client, box});
    }
    return Problems(pieces);
}

// The windows at the display's DPI, with the shipped configuration (fifteen applications).
class WindowLayout : public MainWindowOnScreen {
protected:
    WindowLayout() {
        std::filesystem::copy_file(lumo::testing::ShippedConfigPath(), ConfigPath());
        OpenMain();
        PumpFor(host, 50);
    }
};

TEST_F(WindowLayout, MainWindowAboutAndRunOptions) {
    const char* asked = std::getenv("LUMO_GUI_DPI");
    EXPECT_EQ(win32::WindowDpi(Of(*main)), asked ? std::atoi(asked) : 96) << "the DPI asked for";
    ASSERT_FALSE(main->LoadFailure());
    EXPECT_GT(main->lvwPItem.ItemCount(), 15) << "the shipped configuration is listed";
    EXPECT_EQ(LayoutProblems(*main), std::vector<std::string>{});

    AboutWindow about(host);
    about.Show(ShowMode::Modeless, main.get());
    EXPECT_EQ(LayoutProblems(about), std::vector<std::string>{});

    main->cmdRunOptions.Click();
    ASSERT_TRUE(*runSlot && (*runSlot)->Visible());
    EXPECT_EQ(LayoutProblems(**runSlot), std::vector<std::string>{});
}

TEST_F(WindowLayout, ItemsSettingsOnEveryCategory) {
    main->cmdItemsSettings.Click();
    ASSERT_TRUE(*itemsSlot && (*itemsSlot)->Visible());
    ItemsSettingsWindow& w = **itemsSlot;
    ASSERT_EQ(w.plugChkSettings.size(), 18u) << "the shipped applications";
    ASSERT_EQ(w.tvwTree.Roots().size(), 6u);
    for (Node* node : w.tvwTree.Roots()) {
        w.tvwTree.UserClickNode(*node);
        PumpFor(host, 20);
        for (const std::string& p : LayoutProblems(w))
            ADD_FAILURE() << node->Text() << ": " << p;
    }
}

TEST_F(WindowLayout, TheProgramsMessageBoxes) {
    // The real boxes: a timer checks each one it finds and presses its default button.
    host.OnMessageBox = nullptr;
    std::vector<std::string> problems;
    int seen = 0;
    Ticker check(50, [&] {
        if (HWND box = ShownBox()) {
            ++seen;
            for (const std::string& p : BoxProblems(box))
                problems.push_back(TextOf(box) + " box: " + p);
            LRESULT def = SendMessageW(box, DM_GETDEFID, 0, 0);
            PostMessageW(box, WM_COMMAND, HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDCANCEL, 0);
        }
        return true;
    });
    // The question before a clear (its default No keeps the traces), the settings that cannot be
    // saved, and the farewell.
    main->cmdClear.Click();
    main->cmdRunOptions.Click();
    ASSERT_TRUE(registry.DenyRights(rkLocalMachine, "Software", keyCreateSubKey | keySetValue));
    ASSERT_TRUE(registry.DenyRights(rkCurrentUser, "Software", keyCreateSubKey | keySetValue));
    (*runSlot)->cmdOk.Click();
    (*runSlot)->cmdCancel.Click();
    main->cmdExit.Click();
    // Exit ended the program: its quit message would end the message loops of later tests.
    DropQuit();
    EXPECT_EQ(seen, 3);
    EXPECT_EQ(problems, std::vector<std::string>{});
}

}  // namespace
}  // namespace lumo
