// Every window of the program opened and closed ten times over leaves no drawing object, window,
// menu or icon behind: the process's GDI and USER object counts, and the windows of the thread,
// come back to where they were after a first round that let the system make what it keeps; and
// every window, font, menu and icon the windows showed is gone once the program has ended.
// (Wine's GetGuiResources answers 0 for both kinds: there the handles seen are what is checked.)
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gui_test_support.h"

#include "app/main.h"
#include "platform/portable/memory_registry.h"
#include "platform/portable/portable_shell.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_profile_api.h"
#include "registry/reg_value.h"
#include "settings/settings_store.h"
#include "ui/items_settings_test_config.h"
#include "ui/items_settings_window.h"
#include "ui/main_window.h"
#include "ui/run_options_window.h"
#include "ui/win32/gdi_handles.h"

namespace lumo {
namespace {

using namespace guitest;

struct Counts {
    DWORD gdi = 0;
    DWORD user = 0;
    int windows = 0;  // the thread's windows and all their children
    bool operator==(const Counts&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Counts& c) {
    return out << "{gdi " << c.gdi << ", user " << c.user << ", windows " << c.windows << "}";
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

BOOL CALLBACK CountWindowAndChildren(HWND hwnd, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(hwnd, CountChild, count);
    return TRUE;
}

// The program's own windows (their classes carry the forms' names) and message boxes.
BOOL CALLBACK CountProgramWindow(HWND hwnd, LPARAM count) {
    std::wstring name = ClassOf(hwnd);
    if (name.rfind(L"frm", 0) == 0 || name == L"#32770")
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int ProgramWindows() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountProgramWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

Counts CountNow() {
    Counts c;
    c.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    c.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    EnumThreadWindows(GetCurrentThreadId(), CountWindowAndChildren, reinterpret_cast<LPARAM>(&c.windows));
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
    return during.gdi > before.gdi && during.user > before.user;
}

// The windows, fonts, menus and icons the program's windows showed in one round.
struct Seen {
    std::vector<HWND> windows;
    std::vector<HGDIOBJ> fonts;
    std::vector<HMENU> menus;
    std::vector<HICON> icons;

    void Note(HWND hwnd) {
        windows.push_back(hwnd);
        auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
        bool stock = false;
        for (int i = OEM_FIXED_FONT; i <= DEFAULT_GUI_FONT; ++i)
            stock = stock || font == GetStockObject(i);
        if (font && !stock && GetObjectType(font) == OBJ_FONT)
            fonts.push_back(font);
        if (ClassOf(hwnd) == L"Static")
            if (auto icon = reinterpret_cast<HICON>(SendMessageW(hwnd, STM_GETICON, 0, 0)))
                icons.push_back(icon);
    }
    // A form's window with its menu bar, its icons and every control inside it.
    void NoteForm(HWND form) {
        Note(form);
        if (HMENU bar = GetMenu(form))
            menus.push_back(bar);
        for (WPARAM kind : {ICON_BIG, ICON_SMALL})
            if (auto icon = reinterpret_cast<HICON>(SendMessageW(form, WM_GETICON, kind, 0)))
                icons.push_back(icon);
        EnumChildWindows(form, NoteChild, reinterpret_cast<LPARAM>(this));
    }
    // The callback of EnumChildWindows: the system's calling convention, which a lambda does not
    // have in the 32-bit build.
    static BOOL CALLBACK NoteChild(HWND child, LPARAM self) {
        reinterpret_cast<Seen*>(self)->Note(child);
        return TRUE;
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
        for (HICON h : icons) {
            ICONINFO info{};
            if (GetIconInfo(h, &info)) {
                left.push_back("icon");
                DeleteObject(info.hbmColor);  // the copies GetIconInfo made
                DeleteObject(info.hbmMask);
            }
        }
        return left;
    }
};

Seen g_seen;

// The About box and the message box run modal loops of their own; these close them from a
// timer of the thread, which those loops dispatch.
bool g_aboutSeen = false;
bool g_boxSeen = false;

void CALLBACK CloseAbout(HWND, UINT, UINT_PTR, DWORD) {
    HWND about = FindWindowW(L"frmAbout", nullptr);
    if (!about || !IsWindowVisible(about))
        return;
    if (!g_aboutSeen)
        g_seen.NoteForm(about);
    g_aboutSeen = true;
    PostMessageW(FindWindowExW(about, nullptr, L"Button", L"OK"), BM_CLICK, 0, 0);
}

BOOL CALLBACK FindBox(HWND hwnd, LPARAM found) {
    if (IsWindowVisible(hwnd) && ClassOf(hwnd) == L"#32770") {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK CloseMessageBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
    if (!box)
        return;
    if (!g_boxSeen)
        g_seen.Note(box);
    g_boxSeen = true;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

class GuiResourcesGui : public ::testing::Test {
protected:
    static constexpr const char* kProbeText = "Leak probe";

    GuiResourcesGui() {
        root = std::filesystem::temp_directory_path() /
               ("lumo-resources-gui-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()));
        std::filesystem::create_directories(root);
        // Every record Items Settings shows, and one of a plug-in.
        using namespace lumo::testing;
        WriteBytes((root / "PrivacyConfig.dat").string(), Enciphered(BuiltInRecords() + PluginLines("Tool", true)));
    }
    ~GuiResourcesGui() override {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }

    // The program started as it starts, each of its windows opened by its button and closed by
    // the user, a message box shown and answered, and the program ended by closing its window.
    // Each round has a host of its own, as each start of the program has.
    void Round() {
        g_seen = Seen();
        MemoryRegistry registry;
        Win32FileSystem files;
        Win32ProfileApi profiles;
        PortableShell shell;
        Win32Clock clock;
        Win32Host host;
        Platform p;
        p.registry = &registry;
        p.files = &files;
        p.profiles = &profiles;
        p.shell = &shell;
        p.clock = &clock;
        Application app(p, clock.Now());
        app.ProgramFolder = root.string();
        SettingsStore store{registry, "C:\\Lumo\\SweepkitLumo.exe",
                            SettingsLocations::Below(rkCurrentUser, "Software\\SweepkitLumoTests\\resources")};
        host.OnMessageBox = [this](const MessageBoxRequest& request) -> std::optional<MsgAnswer> {
            if (request.text == kProbeText)
                return std::nullopt;  // the real box
            unexpected.push_back(request.text);
            return DefaultAnswer(request);
        };
        Program program(app, host, store);
        ASSERT_TRUE(program.Main());
        MainWindow& main = *program.Window();
        HWND mainWindow = Win32Host::WindowOf(main);
        ASSERT_NE(mainWindow, nullptr);
        g_seen.NoteForm(mainWindow);

        PostMessageW(Win32Host::WindowOf(main.cmdItemsSettings), BM_CLICK, 0, 0);
        ASSERT_TRUE(PumpUntil(host, [&] { return FindWindowW(L"frmItemsSettings", nullptr) != nullptr; }));
        ItemsSettingsWindow* items = program.ItemsSettings();
        ASSERT_NE(items, nullptr);
        g_seen.NoteForm(Win32Host::WindowOf(*items));
        PostMessageW(Win32Host::WindowOf(items->cmdCancel), BM_CLICK, 0, 0);
        ASSERT_TRUE(PumpUntil(host, [&] { return FindWindowW(L"frmItemsSettings", nullptr) == nullptr; }));

        PostMessageW(Win32Host::WindowOf(main.cmdRunOptions), BM_CLICK, 0, 0);
        HWND runOptions = nullptr;
        ASSERT_TRUE(PumpUntil(host, [&] { return (runOptions = FindWindowW(L"frmRunOptions", nullptr)) != nullptr; }));
        g_seen.NoteForm(runOptions);
        PostMessageW(FindWindowExW(runOptions, nullptr, L"Button", L"Cancel"), BM_CLICK, 0, 0);
        ASSERT_TRUE(PumpUntil(host, [&] { return FindWindowW(L"frmRunOptions", nullptr) == nullptr; }));

        g_aboutSeen = false;
        UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseAbout);
        PostMessageW(Win32Host::WindowOf(main.cmdAbout), BM_CLICK, 0, 0);
        bool aboutClosed = PumpUntil(host, [&] { return g_aboutSeen && !FindWindowW(L"frmAbout", nullptr); });
        KillTimer(nullptr, timer);
        ASSERT_TRUE(aboutClosed);

        g_boxSeen = false;
        timer = SetTimer(nullptr, 0, 50, CloseMessageBox);
        MsgAnswer answer = host.MsgBox(kProbeText, MsgButtons::OkOnly, MsgIcon::Information, MsgDefault::Button1,
                                       "Sweepkit Lumo", &main);
        KillTimer(nullptr, timer);
        EXPECT_TRUE(g_boxSeen) << "the message box was not shown";
        EXPECT_EQ(answer, MsgAnswer::Ok);

        PostMessageW(mainWindow, WM_CLOSE, 0, 0);
        ASSERT_TRUE(PumpUntil(host, [&] { return !IsWindow(mainWindow); }));
        // The program's loop would end on the quit it posted; the next round starts a new one.
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    // Ends with the program's round: the host, its fonts and every window are gone here.
    void CheckRound(const char* which) {
        // The program's windows have no menu bar today: menus are checked where there are any.
        EXPECT_FALSE(g_seen.windows.empty() || g_seen.fonts.empty() || g_seen.icons.empty())
            << which << ": windows " << g_seen.windows.size() << ", fonts " << g_seen.fonts.size() << ", menus "
            << g_seen.menus.size() << ", icons " << g_seen.icons.size();
        EXPECT_EQ(g_seen.Left(), std::vector<std::string>{}) << which;
    }

    std::filesystem::path root;
    std::vector<std::string> unexpected;
};

TEST_F(GuiResourcesGui, OpeningAndClosingEveryWindowTenTimesLeavesNothingBehind) {
    const bool counted = GuiResourcesCount();
    if (!counted)
        std::printf(
            "GetGuiResources gives no counts here (GDI %lu, USER %lu): the windows and the handles "
            "seen are compared\n",
            GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    ASSERT_NO_FATAL_FAILURE(Round());  // what the system keeps once made (classes, themes, caches)
    CheckRound("first round");
    const Counts start = CountNow();
    EXPECT_EQ(ProgramWindows(), 0) << "the first round left windows";
    std::vector<Counts> after;
    for (int i = 0; i < 10; ++i) {
        ASSERT_NO_FATAL_FAILURE(Round()) << "round " << i + 1;
        CheckRound(("round " + std::to_string(i + 1)).c_str());
        after.push_back(CountNow());
    }
    for (size_t i = 0; i < after.size(); ++i) {
        Counts expected = start, seen = after[i];
        if (!counted)
            expected.gdi = seen.gdi = expected.user = seen.user = 0;
        EXPECT_EQ(seen, expected) << "after round " << i + 1 << ", from " << start;
    }
    EXPECT_EQ(unexpected, std::vector<std::string>{});
}

}  // namespace
}  // namespace lumo
