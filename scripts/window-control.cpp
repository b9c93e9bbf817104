// A small Windows program that `make screenshots` runs under Wine beside Sweepkit Lumo: it waits
// for a window, says where it is, presses one of its buttons, answers a message box or closes a
// window, as a user would, so the pictures show the real program at work.
//
//   window-control wait CLASS MS           wait for a visible top-level window; print WxH+X+Y
//   window-control click CLASS CAPTION     press the button with that caption in it
//   window-control wait-box CAPTION MS     wait for a message box with that caption; print WxH+X+Y
//   window-control answer-box CAPTION      press the message box's default button
//   window-control close CLASS             ask the window to close
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

HWND Find(const wchar_t* cls, const wchar_t* caption) {
    HWND w = FindWindowW(cls, caption);
    return (w && IsWindowVisible(w)) ? w : nullptr;
}

HWND WaitFor(const wchar_t* cls, const wchar_t* caption, int ms) {
    for (int waited = 0; waited <= ms; waited += 100) {
        if (HWND w = Find(cls, caption))
            return w;
        Sleep(100);
    }
    return nullptr;
}

int PrintRect(HWND w) {
    if (!w)
        return 1;
    RECT r{};
    GetWindowRect(w, &r);
    std::printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fputs("usage: window-control wait|click|wait-box|answer-box|close ARGS\n", stderr);
        return 2;
    }
    std::wstring verb = argv[1];
    if (verb == L"wait" && argc == 4)
        return PrintRect(WaitFor(argv[2], nullptr, _wtoi(argv[3])));
    if (verb == L"wait-box" && argc == 4)
        return PrintRect(WaitFor(L"#32770", argv[2], _wtoi(argv[3])));
    if (verb == L"click" && argc == 4) {
        HWND w = Find(argv[2], nullptr);
        HWND button = w ? FindWindowExW(w, nullptr, L"Button", argv[3]) : nullptr;
        return button && PostMessageW(button, BM_CLICK, 0, 0) ? 0 : 1;
    }
    if (verb == L"answer-box" && argc == 3) {
        HWND box = Find(L"#32770", argv[2]);
        return box && PostMessageW(box, WM_COMMAND, IDOK, 0) ? 0 : 1;
    }
    if (verb == L"close" && argc == 3) {
        HWND w = Find(argv[2], nullptr);
        return w && PostMessageW(w, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    std::fputs("window-control: unknown command\n", stderr);
    return 2;
}
