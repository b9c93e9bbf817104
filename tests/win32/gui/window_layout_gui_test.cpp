// Every window of the program on screen, at the display's DPI (CTest runs this suite at 96 and
// again at 144): each caption, measured in its control's own font where the control draws it,
// fits; no two controls in one container overlap unless one holds the other; every control lies
// inside its container. The windows hold the shipped configuration (fifteen applications).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "config/shipped_config.h"
#include "ui/about_window.h"
#include "ui/items_settings_window.h"
#include "ui/main_window.h"
#include "ui/run_options_window.h"
#include "gui_test_support.h"

namespace lumo {
namespace {

using namespace guitest;

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

bool Holds(const RECT& outer, const RECT& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Meet(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Where a control of this class and style draws its caption, as the system's controls draw it
// (client coordinates), and whether the caption may break into lines there. Empty: the control
// shows no caption of its own.
std::optional<std::pair<RECT, bool>> CaptionRoom(HWND hwnd, HDC dc) {
    RECT r{};
    GetClientRect(hwnd, &r);
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
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    std::string problem;
    if (auto room = CaptionRoom(hwnd, dc)) {
        auto [area, wrap] = *room;
        RECT need{0, 0, area.right - area.left, 0};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need,
                  DT_CALCRECT | DT_EXPANDTABS | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
        if (need.right > area.right - area.left || need.bottom > area.bottom - area.top)
            problem = "\"" + win32::Narrow(text) + "\" needs " + std::to_string(need.right) + "x" +
                      std::to_string(need.bottom) + " px, has " + std::to_string(area.right - area.left) + "x" +
                      std::to_string(area.bottom - area.top);
    } else if (_wcsicmp(ClassOf(hwnd).c_str(), L"ComboBox") == 0) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        GetComboBoxInfo(hwnd, &info);
        for (LRESULT i = 0, n = SendMessageW(hwnd, CB_GETCOUNT, 0, 0); i < n; ++i) {
            std::wstring entry(static_cast<size_t>(SendMessageW(hwnd, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
            SendMessageW(hwnd, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry.data()));
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
    HWND window = Win32Host::WindowOf(form);
    RECT client{};
    GetClientRect(window, &client);
    std::vector<Piece> pieces;
    for (const auto& c : form.Controls()) {
        HWND hwnd = Win32Host::WindowOf(*c);
        if (!hwnd || !c->Shown())
            continue;
        std::string name = c->Index() >= 0 ? c->Name() + "(" + std::to_string(c->Index()) + ")" : c->Name();
        RECT room = c->Container() ? PlaceOf(Win32Host::WindowOf(*c->Container()), window) : client;
        pieces.push_back({name, hwnd, PlaceOf(hwnd, window), room, c->Container()});
    }
    return Problems(pieces);
}

// A message box, whose controls the system made.
std::vector<std::string> BoxProblems(HWND box) {
    RECT client{};
    GetClientRect(box, &client);
    std::vector<Piece> pieces;
    for (HWND k = GetWindow(box, GW_CHILD); k; k = GetWindow(k, GW_HWNDNEXT)) {
        // A box without an icon keeps an empty icon control, which shows nothing.
        bool emptyIcon = _wcsicmp(ClassOf(k).c_str(), L"Static") == 0 &&
                         (GetWindowLongW(k, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && !SendMessageW(k, STM_GETICON, 0, 0);
        if (IsWindowVisible(k) && !emptyIcon)
            pieces.push_back({win32::Narrow(ClassOf(k)) + " \"" + TextOf(k) + "\"", k, PlaceOf(k, box), client, box});
    }
    return Problems(pieces);
}

class WindowLayout : public ::testing::Test, public GuiProgram {
protected:
    WindowLayout() {
        std::filesystem::copy_file(lumo::testing::ShippedConfigPath(), ConfigPath());
        main = std::make_unique<MainWindow>(host, *app);
        items = ConnectItemsSettings(*main);
        runOptions = ConnectRunOptions(*main, store);
        main->Show();
        PumpFor(host, 50);
    }

    std::unique_ptr<MainWindow> main;
    std::shared_ptr<std::unique_ptr<ItemsSettingsWindow>> items;
    std::shared_ptr<std::unique_ptr<RunOptionsWindow>> runOptions;
};

TEST_F(WindowLayout, MainWindowAboutAndRunOptions) {
    const char* asked = std::getenv("LUMO_GUI_DPI");
    EXPECT_EQ(win32::WindowDpi(Win32Host::WindowOf(*main)), asked ? std::atoi(asked) : 96) << "the DPI asked for";
    ASSERT_FALSE(main->LoadFailure());
    EXPECT_GT(main->lvwPItem.ItemCount(), 15) << "the shipped configuration is listed";
    EXPECT_EQ(LayoutProblems(*main), std::vector<std::string>{});

    AboutWindow about(host);
    about.Show(ShowMode::Modeless, main.get());
    EXPECT_EQ(LayoutProblems(about), std::vector<std::string>{});

    main->cmdRunOptions.Click();
    ASSERT_TRUE(*runOptions && (*runOptions)->Visible());
    EXPECT_EQ(LayoutProblems(**runOptions), std::vector<std::string>{});
}

TEST_F(WindowLayout, ItemsSettingsOnEveryCategory) {
    main->cmdItemsSettings.Click();
    ASSERT_TRUE(*items && (*items)->Visible());
    ItemsSettingsWindow& w = **items;
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
    (*runOptions)->cmdOk.Click();
    (*runOptions)->cmdCancel.Click();
    main->cmdExit.Click();
    // Exit ended the program: its quit message would end the message loops of later tests.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    EXPECT_EQ(seen, 3);
    EXPECT_EQ(problems, std::vector<std::string>{});
}

}  // namespace
}  // namespace lumo
