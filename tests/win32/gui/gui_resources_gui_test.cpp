// Every window of the program opened and closed ten times over leaves no drawing object, window,
// menu or icon behind: the process's GDI and USER object counts, and the windows of the thread,
// come back to where they were after a first round that let the system make what it keeps; and
// every window, font, menu and icon the windows showed is gone once the program has ended.
// (Wine's GetGuiResources answers 0 for both kinds: there the handles seen are what is checked.)
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gui_test_support.h"

#include "app/main.h"
#include "ui/items_settings_test_config.h"
#include "ui/items_settings_window.h"
#include "ui/main_window.h"
#include "ui/run_options_window.h"
#include "ui/win32/gdi_handles.h"

namespace lumo {
namespace {

using namespace guitest;

using Counts = std::array<long, 3>;  // GDI objects, USER objects, the thread's windows with their children

// The program's own windows (their classes carry the forms' names) and message boxes.
int ProgramWindows() {
    int count = 0;
    ForThreadWindows([&](HWND hwnd) {
        std::wstring name = ClassOf(hwnd);
        count += name.rfind(L"frm", 0) == 0 || name == L"#32770";
        return true;
    });
    return count;
}

Counts CountNow() {
    Counts c{static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)),
             static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)), 0};
    ForThreadWindows([&](HWND hwnd) {
        ++c[2];
        ForChildWindows(hwnd, [&](HWND) { return ++c[2] > 0; });
        return true;
    });
    return c;
}

// Whether GetGuiResources counts here: a font, an icon and a menu made must show in the counts.
// (Wine answers a constant 0 for both kinds.)
bool GuiResourcesCount() {
    Counts before = CountNow();
    win32::UniqueFont font(
        CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial"));
    win32::UniqueMenu menu(CreatePopupMenu());
    Counts during = CountNow();
    return during[0] > before[0] && during[1] > before[1];
}

// The windows, fonts, menus and icons the program's windows showed in one round.
struct Seen {
    std::vector<HWND> windows;
    std::vector<HGDIOBJ> fonts;
    std::vector<HMENU> menus;
    std::vector<HICON> icons;

    void Note(HWND hwnd) {
        windows.push_back(hwnd);
        auto font = reinterpret_cast<HGDIOBJ>(Send(hwnd, WM_GETFONT));
        bool stock = false;
        for (int i = OEM_FIXED_FONT; i <= DEFAULT_GUI_FONT; ++i)
            stock = stock || font == GetStockObject(i);
        if (font && !stock && GetObjectType(font) == OBJ_FONT)
            fonts.push_back(font);
        if (ClassOf(hwnd) == L"Static")
            if (auto icon = reinterpret_cast<HICON>(Send(hwnd, STM_GETICON)))
                icons.push_back(icon);
    }
    // A form's window with its menu bar, its icons and every control inside it.
    void NoteForm(HWND form) {
        Note(form);
        if (HMENU bar = GetMenu(form))
            menus.push_back(bar);
        for (WPARAM kind : {ICON_BIG, ICON_SMALL})
            if (auto icon = reinterpret_cast<HICON>(Send(form, WM_GETICON, kind)))
                icons.push_back(icon);
        ForChildWindows(form, [this](HWND child) {
            Note(child);
            return true;
        });
    }
    // What is still there; empty when everything went.
    std::vector<std::string> Left() const {
        std::vector<std::string> left;
        for (HWND h : windows)
            if (IsWindow(h))
                left.push_back("window " + win32::Narrow(ClassOf(h).c_str()));
        for (HGDIOBJ h : fonts)
            if (GetObjectType(h) != 0)
                left.push_back("font");
        for (HMENU h : menus)
            if (IsMenu(h))
                left.push_back("menu");
        for (HICON h : icons)
            if (IconAlive(h))
                left.push_back("icon");
        return left;
    }
};

// The program started as it starts, each of its windows opened by its button and closed by the
// user, a message box shown and answered, and the program ended by closing its window; what
// its windows showed goes to `seen`. Each round has services and a host of its own, as each
// start of the program has.
void Round(Seen& seen) {
    static constexpr const char* kProbeText = "Leak probe";
    GuiProgram env;
    // Every record Items Settings shows, and one of a plug-in.
    using namespace lumo::testing;
    env.WriteConfig(BuiltInRecords() + PluginLines("Tool", true));
    Win32Host& host = env.host;
    Program program(*env.app, host, env.store);
    ASSERT_TRUE(program.Main());
    MainWindow& main = *program.Window();
    HWND mainWindow = Of(main);
    ASSERT_NE(mainWindow, nullptr);
    seen.NoteForm(mainWindow);

    // Items Settings and Run Options, each opened by its button and closed by its Cancel button.
    for (auto [button, name] :
         {std::pair{&main.cmdItemsSettings, L"frmItemsSettings"}, {&main.cmdRunOptions, L"frmRunOptions"}}) {
        PostClick(*button);
        HWND form = nullptr;
        ASSERT_TRUE(PumpUntil(host, [&, name = name] { return (form = FindWindowW(name, nullptr)) != nullptr; }));
        seen.NoteForm(form);
        PostMessageW(FindWindowExW(form, nullptr, L"Button", L"Cancel"), BM_CLICK, 0, 0);
        ASSERT_TRUE(PumpUntil(host, [name = name] { return FindWindowW(name, nullptr) == nullptr; }));
    }
    ASSERT_NE(program.ItemsSettings(), nullptr) << "the program keeps its Items Settings";

    // About and the message box run modal loops of their own; a timer of the thread, which those
    // loops dispatch, closes them.
    bool aboutSeen = false;
    {
        Ticker close(50, [&] {
            HWND about = FindWindowW(L"frmAbout", nullptr);
            if (!about || !IsWindowVisible(about))
                return true;
            if (!aboutSeen)
                seen.NoteForm(about);
            aboutSeen = true;
            PostMessageW(FindWindowExW(about, nullptr, L"Button", L"OK"), BM_CLICK, 0, 0);
            return true;
        });
        PostClick(main.cmdAbout);
        ASSERT_TRUE(PumpUntil(host, [&] { return aboutSeen && !FindWindowW(L"frmAbout", nullptr); }));
    }

    bool boxSeen = false;
    env.answers = {std::nullopt};  // the real box
    MsgAnswer answer;
    {
        Ticker close(50, [&] {
            if (HWND box = ShownBox()) {
                if (!boxSeen)
                    seen.Note(box);
                boxSeen = true;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
            }
            return true;
        });
        answer = host.MsgBox(kProbeText, MsgButtons::OkOnly, MsgIcon::Information, MsgDefault::Button1, "Sweepkit Lumo",
                             &main);
    }
    EXPECT_TRUE(boxSeen) << "the message box was not shown";
    EXPECT_EQ(answer, MsgAnswer::Ok);
    EXPECT_EQ(env.boxes, std::vector<std::string>{kProbeText}) << "no other box";

    PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil(host, [&] { return !IsWindow(mainWindow); }));
    // The program's loop would end on the quit it posted; the next round starts a new one.
    DropQuit();
}

// Checked once the round is over: the host, its fonts and every window are gone here.
void CheckRound(const Seen& seen, const std::string& which) {
    // The program's windows have no menu bar today: menus are checked where there are any.
    EXPECT_FALSE(seen.windows.empty() || seen.fonts.empty() || seen.icons.empty())
        << which << ": windows " << seen.windows.size() << ", fonts " << seen.fonts.size() << ", menus "
        << seen.menus.size() << ", icons " << seen.icons.size();
    EXPECT_EQ(seen.Left(), std::vector<std::string>{}) << which;
}

TEST(GuiResourcesGui, OpeningAndClosingEveryWindowTenTimesLeavesNothingBehind) {
    const bool counted = GuiResourcesCount();
    if (!counted)
        std::printf(
            "GetGuiResources gives no counts here (GDI %lu, USER %lu): the windows and the handles "
            "seen are compared\n",
            GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    Seen seen;
    ASSERT_NO_FATAL_FAILURE(Round(seen));  // what the system keeps once made (classes, themes, caches)
    CheckRound(seen, "first round");
    const Counts start = CountNow();
    EXPECT_EQ(ProgramWindows(), 0) << "the first round left windows";
    std::vector<Counts> after;
    for (int i = 0; i < 10; ++i) {
        seen = Seen();
        ASSERT_NO_FATAL_FAILURE(Round(seen)) << "round " << i + 1;
        CheckRound(seen, "round " + std::to_string(i + 1));
        after.push_back(CountNow());
    }
    for (size_t i = 0; i < after.size(); ++i) {
        Counts expected = start, now = after[i];
        if (!counted)
            expected[0] = now[0] = expected[1] = now[1] = 0;
        EXPECT_EQ(now, expected) << "after round " << i + 1 << ", from " << ::testing::PrintToString(start);
    }
}

}  // namespace
}  // namespace lumo
