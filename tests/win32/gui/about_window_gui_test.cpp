// frmAbout on screen: the version comes from the program's own version resource.
#include <gtest/gtest.h>

#include "gui_test_support.h"
#include "base/text.h"
#include "ui/about_window.h"
#include "ui/program_icons.h"

namespace lumo {
namespace {

using namespace guitest;

TEST(AboutWindowGui, ReadsTheVersionFromTheProgramsOwnResource) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::optional<VersionNumbers> version = ReadVersionResource(path);
    ASSERT_TRUE(version.has_value()) << "the test program carries the program's resources";
    EXPECT_EQ(*version, (VersionNumbers{3, 2, 19}));
    EXPECT_FALSE(ReadVersionResource(L"C:\\windows\\no-such-file.exe").has_value());
}

TEST(AboutWindowGui, TheProgramCarriesItsIconAndTheNineListIcons) {
    HINSTANCE self = GetModuleHandleW(nullptr);
    std::vector<std::string> names = {kProgramIcon};
    for (const char* key :
         {"win", "winshow", "windelete", "mie", "mieshow", "miedelete", "app", "appshow", "appdelete"})
        names.push_back(ListIconResource(key));
    for (const std::string& name : names)
        for (int size : {16, 32, 48}) {
            HANDLE icon = LoadImageW(self, win32::Widen(name).c_str(), IMAGE_ICON, size, size, LR_DEFAULTCOLOR);
            EXPECT_NE(icon, nullptr) << name << " at " << size;
            if (icon)
                DestroyIcon(static_cast<HICON>(icon));
        }
    // The manifest asks for the common controls 6, which come from the side-by-side store (Wine's
    // copy answers DllGetVersion with 5 all the same, so the place is what tells).
    HMODULE controls = GetModuleHandleW(L"comctl32.dll");
    ASSERT_NE(controls, nullptr);
    wchar_t loaded[MAX_PATH] = {};
    GetModuleFileNameW(controls, loaded, MAX_PATH);
    std::string path = LowerCase(win32::Narrow(loaded));
    EXPECT_NE(path.find("common-controls_6595b64144ccf1df_6.0."), std::string::npos) << path;
}

// The pixels of a shown control, border included, that differ from the dialog's face colour.
int PaintedPixels(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    HDC window = GetWindowDC(control);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    int painted = 0;
    for (int y = 0; y < r.bottom - r.top; ++y)
        for (int x = 0; x < r.right - r.left; ++x)
            painted += GetPixel(window, x, y) != face;
    ReleaseDC(control, window);
    return painted;
}

TEST(AboutWindowGui, TheSeparatorLineIsDrawnAcrossTheWindow) {
    Win32Host host;
    AboutWindow about(host);
    about.Show();
    PumpFor(host, 100);
    HWND line = Win32Host::WindowOf(about.Frame2);
    ASSERT_NE(line, nullptr);
    RECT r{};
    GetWindowRect(line, &r);
    EXPECT_GE(PaintedPixels(line), r.right - r.left) << "at least one pixel a column along its length";
}

// Shown modally from the main window in main_window_gui_test; here what it shows.
TEST(AboutWindowGui, ShowsTheVersionAndIconAndOkClosesIt) {
    Win32Host host;
    AboutWindow about(host);
    about.OnLoad = [&] { about.Form_Load(); };
    about.Show();
    HWND window = Win32Host::WindowOf(about);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(TextOf(Win32Host::WindowOf(about.lblVersion)), "Version 3.2.19");
    EXPECT_EQ(TextOf(window), "About Sweepkit Lumo");
    EXPECT_NE(SendMessageW(Win32Host::WindowOf(about.Image1), STM_GETICON, 0, 0), 0);
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    LOGFONTW font = FontOf(Win32Host::WindowOf(about.Label1));
    EXPECT_EQ(std::wstring(font.lfFaceName), L"Courier New");
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    SendMessageW(Win32Host::WindowOf(about.cmdOk), BM_CLICK, 0, 0);
    EXPECT_FALSE(about.Loaded());
    EXPECT_FALSE(IsWindow(window));
}

}  // namespace
}  // namespace lumo
