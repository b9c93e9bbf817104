// The Win32 host: windows, message loops, message boxes, pop-up menus, the tray icon, the version.
#include "ui/win32/win32_host.h"

#include <algorithm>
#include <vector>

#include "ui/controls/tray_icon.h"
#include "ui/win32/form_window.h"

namespace lumo {

using win32::FormWindow;
using win32::Widen;

Win32Host::Win32Host(HINSTANCE instance) : instance_(instance) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES |
                                             ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
}

Win32Host::~Win32Host() {
    while (!trays_.empty())
        RemoveTray(*trays_.back().icon);
    // The windows go before the fonts they show.
    remains_.clear();
    fonts_.clear();
}

HWND Win32Host::WindowOf(const Form& form) {
    auto* window = dynamic_cast<FormWindow*>(form.Peer());
    return window ? window->Handle() : nullptr;
}

HWND Win32Host::WindowOf(const Control& control) {
    auto* window = dynamic_cast<win32::ControlWindow*>(control.Peer());
    return window ? window->Handle() : nullptr;
}

HFONT Win32Host::Font(const FontInfo& font, int dpi) const {
    std::wstring name = Widen(font.name.empty() ? std::string("MS Shell Dlg") : font.name);
    std::wstring key = name + L"|" + std::to_wstring(font.size) + L"|" + (font.bold ? L"b" : L"") +
                       (font.italic ? L"i" : L"") + L"|" + std::to_wstring(dpi);
    auto it = fonts_.find(key);
    if (it != fonts_.end())
        return it->second.get();
    int height = -static_cast<int>(font.size * dpi / 72.0 + 0.5);
    win32::UniqueFont made(CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic, FALSE, FALSE,
                                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                       DEFAULT_PITCH | FF_DONTCARE, name.c_str()));
    return (fonts_[key] = std::move(made)).get();
}

TwipsSize Win32Host::CaptionExtent(const Control& control, int32_t width) const {
    std::wstring text = Widen(control.CaptionText());
    if (text.empty())
        return {};
    auto* window = dynamic_cast<FormWindow*>(control.Parent().Peer());
    int dpi = window ? window->Dpi() : win32::WindowDpi(nullptr);
    auto px = [dpi](int at96) { return MulDiv(at96, dpi, 96); };
    win32::UniqueMemoryDc memory(CreateCompatibleDC(nullptr));
    HDC dc = memory.get();
    win32::ScopedSelect font(dc, Font(control.Font(), dpi));
    // What each kind draws around its text, in pixels: a push button its edges, the default
    // button's frame and the focus rectangle; a check box its box and the gap after it; a frame
    // the stretch of its line before and after the caption. A label draws the text alone.
    SIZE chrome{};
    switch (control.Kind()) {
    case ControlKind::Button:
        chrome = {px(10), px(6)};
        break;
    case ControlKind::CheckBox: {
        int zero = 0;
        GetCharWidth32W(dc, L'0', L'0', &zero);
        chrome = {px(12) + 1 + std::max(zero / 2, px(3)) + px(4), px(2)};
        break;
    }
    case ControlKind::Frame:
        chrome = {px(18), 0};
        break;
    default:
        break;
    }
    RECT r{0, 0, 0, 0};
    UINT flags = DT_CALCRECT | DT_EXPANDTABS;
    // A frame's caption stays on one line.
    if (width > 0 && control.Kind() != ControlKind::Frame) {
        r.right = std::max(1L, static_cast<LONG>(win32::TwipsToPixels(width, dpi) - chrome.cx));
        flags |= DT_WORDBREAK;
    } else {
        flags |= DT_SINGLELINE;
    }
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
    int needWidth = (r.right - r.left) + chrome.cx, needHeight = (r.bottom - r.top) + chrome.cy;
    if (control.Kind() == ControlKind::CheckBox)
        needHeight = std::max(needHeight, px(12) + 1);
    // Rounded up, so that the pixels the model's twips give back are never fewer.
    auto twips = [dpi](int pixels) {
        return static_cast<int32_t>((static_cast<int64_t>(pixels) * 1440 + dpi - 1) / dpi);
    };
    return {twips(needWidth), twips(needHeight)};
}

void Win32Host::FormLoading(Form& form) {
    if (!form.Peer()) {
        auto window = std::make_unique<FormWindow>(*this, form);
        FormWindow* raw = window.get();
        form.AttachPeer(std::move(window));
        raw->CreatePeers();
    }
    if (std::find(forms_.begin(), forms_.end(), &form) == forms_.end())
        forms_.push_back(&form);
}

void Win32Host::ShowForm(Form& form, ShowMode mode, Form* owner) {
    auto* window = dynamic_cast<FormWindow*>(form.Peer());
    if (!window || !window->Handle())
        return;
    HWND hwnd = window->Handle();
    bool firstShow = !IsWindowVisible(hwnd) && !form.Visible();
    if (owner && WindowOf(*owner))
        SetWindowLongPtrW(hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(WindowOf(*owner)));
    form.SetShownAs(mode, owner);
    if (firstShow && form.Left() == 0 && form.Top() == 0)
        window->Center(owner ? WindowOf(*owner) : nullptr);
    std::vector<Form*>* disabled = nullptr;
    if (mode == ShowMode::Modal) {
        // A modal form keeps every other window of the program from the user until it goes.
        disabled = &disabledBy_[&form];
        for (Form* other : forms_)
            if (other != &form && other->Enabled() && other->Visible()) {
                other->SetEnabled(false);
                disabled->push_back(other);
            }
    }
    form.SetVisibleState(true);
    if (!IsWindowVisible(hwnd))
        ShowWindow(hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd);
    if (mode != ShowMode::Modal)
        return;
    ModalScope modal(*this, &form);
    while (form.Loaded() && form.Visible() && !ended_) {
        MSG msg;
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // WM_QUIT belongs to the outer loop.
            PostQuitMessage(got == 0 ? static_cast<int>(msg.wParam) : exitCode_);
            break;
        }
        Dispatch(msg);
    }
    auto it = disabledBy_.find(&form);
    if (it != disabledBy_.end()) {
        for (Form* other : it->second)
            other->SetEnabled(true);
        disabledBy_.erase(it);
    }
    if (owner && WindowOf(*owner))
        SetForegroundWindow(WindowOf(*owner));
}

void Win32Host::FormUnloaded(Form& form) {
    for (size_t i = trays_.size(); i-- > 0;)
        if (trays_[i].owner == WindowOf(form))
            RemoveTray(*trays_[i].icon);
    // Enable the owner before the modal window goes, so that the system activates it.
    auto it = disabledBy_.find(&form);
    if (it != disabledBy_.end()) {
        for (Form* other : it->second)
            other->SetEnabled(true);
        disabledBy_.erase(it);
    }
    for (auto& [modal, list] : disabledBy_)
        std::erase(list, &form);
    std::erase(forms_, &form);

    auto* window = dynamic_cast<FormWindow*>(form.Peer());
    if (!window)
        return;
    window->Destroy();
    // The peers stay until no window procedure of theirs is running (a click on the form's OK
    // button unloads the form from inside that very procedure).
    Remains remains;
    for (auto& c : form.Controls())
        if (c->Peer())
            remains.controls.push_back(c->ReleasePeer());
    remains.form = form.ReleasePeer();
    remains_.push_back(std::move(remains));
}

void Win32Host::DropRemains() {
    std::erase_if(remains_, [](const Remains& r) {
        auto* window = dynamic_cast<FormWindow*>(r.form.get());
        return !window || window->Busy() == 0;
    });
}

void Win32Host::Dispatch(MSG& msg) {
    // Tab, Enter, Escape and access keys work as in a dialog box, in the window that has them.
    HWND top = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    bool dialogKey = false;
    if (top && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
        bool ours = std::any_of(forms_.begin(), forms_.end(), [top](Form* f) { return WindowOf(*f) == top; });
        if (ours)
            dialogKey = IsDialogMessageW(top, &msg) != FALSE;
    }
    if (!dialogKey) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (!remains_.empty())
        DropRemains();
}

MsgAnswer Win32Host::ShowMessageBox(const MessageBoxRequest& request) {
    // The box runs its own message loop: what arrives meanwhile (a click on the tray icon) must
    // know that a modal window is up.
    ModalScope modal(*this, nullptr);
    if (OnMessageBox) {
        if (std::optional<MsgAnswer> answer = OnMessageBox(request))
            return *answer;
    }
    HWND owner = request.owner ? WindowOf(*request.owner) : GetActiveWindow();
    UINT flags =
        static_cast<UINT>(request.buttons) | static_cast<UINT>(request.icon) | static_cast<UINT>(request.defaultButton);
    int answer = MessageBoxW(owner, Widen(request.text).c_str(), Widen(request.caption).c_str(), flags);
    if (answer <= 0) {
        // No box could be shown (no display): the answer a user pressing Enter would give.
        return DefaultAnswer(request);
    }
    return static_cast<MsgAnswer>(answer);
}

namespace {

// The first visible message box of this thread (the system's dialog class).
BOOL CALLBACK FindMessageBox(HWND hwnd, LPARAM found) {
    wchar_t name[16] = {};
    GetClassNameW(hwnd, name, 16);
    if (IsWindowVisible(hwnd) && wcscmp(name, L"#32770") == 0) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

void Win32Host::BringModalToFront() {
    HWND front = nullptr;
    if (const Form* form = ModalForm())
        front = WindowOf(*form);
    else if (ModalUp())
        EnumThreadWindows(GetCurrentThreadId(), FindMessageBox, reinterpret_cast<LPARAM>(&front));
    if (!front)
        return;
    SetForegroundWindow(front);
    FlashWindow(front, TRUE);
}

void Win32Host::DoEvents() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        Dispatch(msg);
    }
}

int Win32Host::Run() {
    MSG msg;
    while (!ended_) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            exitCode_ = static_cast<int>(msg.wParam);
            break;
        }
        if (got < 0)
            break;
        Dispatch(msg);
    }
    remains_.clear();
    return exitCode_;
}

void Win32Host::EndProgram(int exitCode) {
    if (ended_)
        return;
    ended_ = true;
    exitCode_ = exitCode;
    PostQuitMessage(exitCode);
}

void Win32Host::PopupMenu(Form& owner, MenuItem& menu) {
    HWND hwnd = WindowOf(owner);
    if (!hwnd)
        return;
    win32::UniqueMenu popup = win32::BuildPopupMenu(menu);
    POINT at{};
    GetCursorPos(&at);
    // Without the foreground the menu would not close when the user clicks elsewhere (the
    // documented behaviour for menus opened from the notification area).
    SetForegroundWindow(hwnd);
    UINT chosen = static_cast<UINT>(
        TrackPopupMenuEx(popup.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, hwnd, nullptr));
    PostMessageW(hwnd, WM_NULL, 0, 0);
    popup.reset();
    if (chosen != 0)
        if (MenuItem* item = menu.FindId(chosen))
            item->Click();
}

bool Win32Host::AddTray(TrayEntry& entry, DWORD action) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = entry.owner;
    data.uID = entry.id;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = win32::kTrayMessage;
    data.hIcon = entry.picture.get();
    std::wstring tip = Widen(entry.icon->ToolTip);
    wcsncpy(data.szTip, tip.c_str(), sizeof data.szTip / sizeof data.szTip[0] - 1);
    return Shell_NotifyIconW(action, &data) != FALSE;
}

void Win32Host::ShowTrayIcon(TrayIcon& icon, Form& owner) {
    if (!owner.Loaded())
        owner.Load();
    HWND hwnd = WindowOf(owner);
    if (!hwnd)
        return;
    for (TrayEntry& entry : trays_) {
        if (entry.icon != &icon)
            continue;
        // The area shows the new picture before the old one goes.
        win32::UniqueIcon old = std::move(entry.picture);
        entry.picture.reset(win32::LoadProgramIcon(instance_, icon.Picture, GetSystemMetrics(SM_CXSMICON)));
        AddTray(entry, NIM_MODIFY);
        return;
    }
    TrayEntry entry{&icon, hwnd, nextTrayId_++,
                    win32::UniqueIcon(win32::LoadProgramIcon(instance_, icon.Picture, GetSystemMetrics(SM_CXSMICON)))};
    AddTray(entry, NIM_ADD);
    trays_.push_back(std::move(entry));
}

void Win32Host::RemoveTray(TrayIcon& icon) {
    for (auto it = trays_.begin(); it != trays_.end(); ++it) {
        if (it->icon != &icon)
            continue;
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof data;
        data.hWnd = it->owner;
        data.uID = it->id;
        Shell_NotifyIconW(NIM_DELETE, &data);
        trays_.erase(it);
        return;
    }
}

void Win32Host::HideTrayIcon(TrayIcon& icon) { RemoveTray(icon); }

void Win32Host::TrayMessage(HWND owner, LPARAM event) {
    for (TrayEntry& entry : trays_) {
        if (entry.owner != owner)
            continue;
        TrayIcon* icon = entry.icon;
        try {
            if (LOWORD(event) == WM_LBUTTONDBLCLK)
                icon->DoubleClick();
            else if (LOWORD(event) == WM_RBUTTONUP)
                icon->RightClick();
        } catch (...) {
            HandlerFailed("TrayIcon", std::current_exception());
        }
        return;
    }
}

void Win32Host::TaskbarRestarted() {
    // Explorer started again: its notification area has forgotten the icons.
    for (TrayEntry& entry : trays_)
        AddTray(entry, NIM_ADD);
}

VersionNumbers Win32Host::ProgramVersion() const {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n > 0 && n < MAX_PATH)
        if (std::optional<VersionNumbers> version = ReadVersionResource(path))
            return *version;
    // A program built without its version resource still names its build's version.
    return VersionNumbers{LUMO_VERSION_MAJOR, LUMO_VERSION_MINOR, LUMO_VERSION_PATCH};
}

void Win32Host::HandlerFailed(const std::string& where, std::exception_ptr error) {
    std::string message = "unknown failure";
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
    }
    if (OnHandlerFailed)
        OnHandlerFailed(where, message);
    OutputDebugStringW(Widen(where + ": " + message + "\n").c_str());
    ShowFailure(error);
}

std::optional<VersionNumbers> ReadVersionResource(const std::wstring& programPath) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(programPath.c_str(), &ignored);
    if (size == 0)
        return std::nullopt;
    std::vector<unsigned char> data(size);
    if (!GetFileVersionInfoW(programPath.c_str(), 0, size, data.data()))
        return std::nullopt;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO) || info->dwSignature != 0xFEEF04BD)
        return std::nullopt;
    // FILEVERSION major,minor,revision,build
    return VersionNumbers{static_cast<int32_t>(HIWORD(info->dwFileVersionMS)),
                          static_cast<int32_t>(LOWORD(info->dwFileVersionMS)),
                          static_cast<int32_t>(HIWORD(info->dwFileVersionLS))};
}

}  // namespace lumo
