// The form's window and its window procedure.
#include "ui/win32/form_window.h"

#include <algorithm>

#include "ui/controls/button.h"
#include "ui/controls/frame.h"
#include "ui/controls/image_list.h"
#include "ui/win32/win32_host.h"

namespace lumo::win32 {
namespace {

constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED, newer than the headers' target version

}  // namespace

void FormWindow::RegisterClassFor(HINSTANCE instance, const std::wstring& name) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, name.c_str(), &existing))
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &FormWindow::WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name.c_str();
    RegisterClassExW(&wc);
}

FormWindow::FormWindow(Win32Host& host, Form& form) : host_(host), form_(form) {
    // The window class carries the form's name, so the window is found by it.
    std::wstring className = Widen(form.Name());
    RegisterClassFor(host.Instance(), className);
    dpi_ = WindowDpi(nullptr);
    HWND owner = form.Owner() ? Win32Host::WindowOf(*form.Owner()) : nullptr;
    HWND made = CreateWindowExW(ExStyle(), className.c_str(), Widen(form.Caption()).c_str(), Style(), CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, host.Instance(), this);
    if (!made) {
        // The system already destroyed a window whose creation failed after WM_NCCREATE.
        (void)hwnd_.release();
        return;
    }
    dpi_ = WindowDpi(hwnd_.get());
    ApplyStyle();
    RebuildMenuBar();
    ApplySize();
    if (form.Left() != 0 || form.Top() != 0)
        Update(Change::Bounds);
    creating_ = false;
}

// The icons go after the window that showed them.
FormWindow::~FormWindow() { Destroy(); }

void FormWindow::Destroy() {
    if (!hwnd_)
        return;
    for (auto& [id, peer] : byId_)
        peer->Forget();
    for (auto& [id, timer] : timers_)
        timer->Forget();
    for (auto& [id, timer] : timers_)
        KillTimer(hwnd_.get(), id);
    SetWindowLongPtrW(hwnd_.get(), GWLP_USERDATA, 0);
    UniqueWindow gone = std::move(hwnd_);
    // The window takes its menu bar with it.
    (void)menuBar_.release();
    gone.reset();
    byId_.clear();
    timers_.clear();
}

DWORD FormWindow::Style() const {
    DWORD style = WS_CLIPCHILDREN;
    switch (form_.Border()) {
    case BorderStyle::None:
        style |= WS_POPUP;
        break;
    case BorderStyle::FixedSingle:
        style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
        break;
    case BorderStyle::Sizable:
        style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
        break;
    case BorderStyle::FixedDialog:
        style |= WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
        break;
    }
    if (form_.Border() != BorderStyle::FixedDialog && form_.Border() != BorderStyle::None) {
        if (form_.MinButton())
            style |= WS_MINIMIZEBOX;
        if (form_.MaxButton())
            style |= WS_MAXIMIZEBOX;
    }
    return style;
}

DWORD FormWindow::ExStyle() const {
    DWORD ex = WS_EX_CONTROLPARENT;
    if (form_.Border() == BorderStyle::FixedDialog)
        ex |= WS_EX_DLGMODALFRAME;
    return ex;
}

HFONT FormWindow::FontFor(const FontInfo& font) const { return host_.Font(font, dpi_); }

ImageListPeer* FormWindow::ImagesOf(const ImageList* images) const {
    return images ? dynamic_cast<ImageListPeer*>(images->Peer()) : nullptr;
}

ControlWindow* FormWindow::PeerOf(HWND child) const {
    auto it = byId_.find(GetDlgCtrlID(child));
    return it != byId_.end() && it->second->Handle() == child ? it->second : nullptr;
}

void FormWindow::CreatePeers() {
    // Image lists first: the list views that use them ask for their handles when they are made.
    for (auto& c : form_.Controls())
        if (c->Kind() == ControlKind::ImageList && !c->Peer())
            MakePeer(*c);
    for (auto& c : form_.Controls())
        if (!c->Peer())
            MakePeer(*c);
    ApplyTabOrder();
}

void FormWindow::MakePeer(Control& control) {
    if (!hwnd_)
        return;
    if (control.Kind() == ControlKind::ImageList) {
        control.AttachPeer(std::make_unique<ImageListPeer>(host_.Instance(), static_cast<ImageList&>(control), dpi_));
        return;
    }
    if (control.Kind() == ControlKind::Timer) {
        UINT_PTR id = nextTimerId_++;
        auto timer = MakeTimerPeer(hwnd_.get(), control, id);
        timers_[id] = timer.get();
        TimerPeer* raw = timer.get();
        control.AttachPeer(std::move(timer));
        raw->Update(Change::Value, 0);
        return;
    }
    int id = nextId_++;
    auto peer = MakeControlWindow(*this, control, id);
    if (!peer)
        return;
    ControlWindow* raw = peer.get();
    control.AttachPeer(std::move(peer));
    raw->Create();
    byId_[id] = raw;
}

void FormWindow::ControlAdded(Control& control) {
    MakePeer(control);
    ApplyTabOrder();
}

void FormWindow::ApplyTabOrder() {
    // The tab order is the windows' z-order from the top; frames and shapes go to the bottom so
    // they never cover what stands on them.
    std::vector<ControlWindow*> order;
    for (auto& [id, peer] : byId_)
        if (peer->Handle())
            order.push_back(peer);
    std::stable_sort(order.begin(), order.end(), [](ControlWindow* a, ControlWindow* b) {
        if (a->IsBackground() != b->IsBackground())
            return !a->IsBackground();
        if (a->Model().TabIndex() != b->Model().TabIndex())
            return a->Model().TabIndex() < b->Model().TabIndex();
        return a->Id() < b->Id();
    });
    HWND after = HWND_TOP;
    for (ControlWindow* peer : order) {
        SetWindowPos(peer->Handle(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = peer->Handle();
    }
}

void FormWindow::RefreshControls() {
    for (auto& [id, peer] : byId_)
        peer->Refresh();
}

void FormWindow::MeasureFrame() {
    RECT outer{}, inner{};
    if (!GetWindowRect(hwnd_.get(), &outer) || !GetClientRect(hwnd_.get(), &inner))
        return;
    form_.SetFrameSize(PixelsToTwips((outer.right - outer.left) - inner.right, dpi_),
                       PixelsToTwips((outer.bottom - outer.top) - inner.bottom, dpi_));
}

void FormWindow::ApplySize() {
    RECT r{0, 0, Px(form_.ClientWidth()), Px(form_.ClientHeight())};
    AdjustWindowRectEx(&r, Style(), menuBar_.valid(), ExStyle());
    SetWindowPos(hwnd_.get(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    MeasureFrame();
}

void FormWindow::ApplyStyle() {
    LONG_PTR style = GetWindowLongPtrW(hwnd_.get(), GWL_STYLE);
    LONG_PTR keep = style & (WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE);
    SetWindowLongPtrW(hwnd_.get(), GWL_STYLE, static_cast<LONG_PTR>(Style()) | keep);
    SetWindowLongPtrW(hwnd_.get(), GWL_EXSTYLE, static_cast<LONG_PTR>(ExStyle()));
    SetWindowPos(hwnd_.get(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    // The new icons are shown before the old ones go.
    UniqueIcon big, small;
    if (!form_.Icon().empty()) {
        big.reset(LoadProgramIcon(host_.Instance(), form_.Icon(), GetSystemMetrics(SM_CXICON)));
        small.reset(LoadProgramIcon(host_.Instance(), form_.Icon(), GetSystemMetrics(SM_CXSMICON)));
    }
    SendMessageW(hwnd_.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    SendMessageW(hwnd_.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    bigIcon_ = std::move(big);
    smallIcon_ = std::move(small);
}

void FormWindow::Update(Change what) {
    if (!hwnd_)
        return;
    switch (what) {
    case Change::Caption:
        SetWindowTextW(hwnd_.get(), Widen(form_.Caption()).c_str());
        break;
    case Change::Bounds:
        if (form_.GetWindowState() == WindowState::Normal) {
            RECT r{0, 0, Px(form_.ClientWidth()), Px(form_.ClientHeight())};
            AdjustWindowRectEx(&r, Style(), menuBar_.valid(), ExStyle());
            SetWindowPos(hwnd_.get(), nullptr, Px(form_.Left()), Px(form_.Top()), r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        break;
    case Change::Visible:
        if (!form_.Visible())
            ShowWindow(hwnd_.get(), SW_HIDE);
        else
            ShowWindow(hwnd_.get(), form_.GetWindowState() == WindowState::Minimized   ? SW_SHOWMINIMIZED
                                    : form_.GetWindowState() == WindowState::Maximized ? SW_SHOWMAXIMIZED
                                                                                       : SW_SHOWNORMAL);
        break;
    case Change::Enabled:
        EnableWindow(hwnd_.get(), form_.Enabled() ? TRUE : FALSE);
        break;
    case Change::Style:
        ApplyStyle();
        break;
    case Change::Value: {
        if (form_.Visible()) {
            WindowState s = form_.GetWindowState();
            ShowWindow(hwnd_.get(), s == WindowState::Minimized   ? SW_MINIMIZE
                                    : s == WindowState::Maximized ? SW_MAXIMIZE
                                                                  : SW_RESTORE);
        }
        break;
    }
    default:
        break;
    }
}

void FormWindow::Center(HWND owner) {
    RECT area{};
    if (owner && IsWindowVisible(owner) && !IsIconic(owner))
        GetWindowRect(owner, &area);
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT me{};
    GetWindowRect(hwnd_.get(), &me);
    int w = me.right - me.left, h = me.bottom - me.top;
    int x = area.left + ((area.right - area.left) - w) / 2;
    int y = area.top + ((area.bottom - area.top) - h) / 2;
    SetWindowPos(hwnd_.get(), nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

void AppendItems(HMENU into, const MenuItem& parent) {
    for (const auto& item : parent.Items()) {
        if (!item->Visible())
            continue;
        if (item->IsSeparator()) {
            AppendMenuW(into, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags = MF_STRING | (item->Checked() ? MF_CHECKED : 0u) | (item->Enabled() ? 0u : MF_GRAYED);
        std::wstring caption = Widen(item->Caption());
        if (item->Count() > 0) {
            UniqueMenu sub(CreatePopupMenu());
            AppendItems(sub.get(), *item);
            // Once appended, the sub-menu goes with the menu that holds it.
            if (AppendMenuW(into, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub.get()), caption.c_str()))
                (void)sub.release();
        } else {
            AppendMenuW(into, flags, item->Id(), caption.c_str());
        }
    }
}

}  // namespace

UniqueMenu BuildPopupMenu(const MenuItem& menu) {
    UniqueMenu popup(CreatePopupMenu());
    AppendItems(popup.get(), menu);
    return popup;
}

void FormWindow::RebuildMenuBar() {
    bool any = std::any_of(form_.Menus().begin(), form_.Menus().end(), [](auto& m) { return m->Visible(); });
    UniqueMenu bar;
    if (any) {
        bar.reset(CreateMenu());
        for (const auto& top : form_.Menus()) {
            if (!top->Visible())
                continue;
            UINT flags = MF_STRING | (top->Enabled() ? 0u : MF_GRAYED);
            std::wstring caption = Widen(top->Caption());
            if (top->Count() > 0) {
                UniqueMenu sub(CreatePopupMenu());
                AppendItems(sub.get(), *top);
                if (AppendMenuW(bar.get(), flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub.get()), caption.c_str()))
                    (void)sub.release();
            } else {
                AppendMenuW(bar.get(), flags, top->Id(), caption.c_str());
            }
        }
    }
    if (bar || menuBar_) {
        // The client area keeps its size; the outer window grows or shrinks with the bar. The
        // client's passing change of size is not the user's.
        bool wasCreating = creating_;
        creating_ = true;
        SetMenu(hwnd_.get(), bar.get());
        // The old bar, no longer in the window, goes now.
        menuBar_ = std::move(bar);
        ApplySize();
        creating_ = wasCreating;
    }
}

void FormWindow::MenuChanged(MenuItem& item, Change what) {
    if (!hwnd_)
        return;
    if (!menuBar_ && !(item.Parent() == nullptr && what == Change::Visible && item.Visible())) {
        // No bar on screen: only a top-level item coming into view changes anything.
        bool anyVisible = std::any_of(form_.Menus().begin(), form_.Menus().end(), [](auto& m) { return m->Visible(); });
        if (!anyVisible)
            return;
    }
    RebuildMenuBar();
}

LRESULT FormWindow::DefaultButtonId() const {
    for (auto& [id, peer] : byId_)
        if (peer->Model().Kind() == ControlKind::Button && static_cast<Button&>(peer->Model()).Default() &&
            peer->Model().Shown())
            return MAKELRESULT(id, DC_HASDEFID);
    return 0;
}

LRESULT CALLBACK FormWindow::WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(l);
        auto* self = static_cast<FormWindow*>(create->lpCreateParams);
        self->hwnd_.reset(hwnd);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(hwnd, message, w, l);
    ++self->busy_;
    LRESULT result = 0;
    try {
        result = self->Handle(message, w, l);
    } catch (...) {
        // A handler that fails ends there; the window and the program go on.
        self->host_.HandlerFailed(self->form_.Name() + ".WindowProc", std::current_exception());
    }
    --self->busy_;
    return result;
}

LRESULT FormWindow::Handle(UINT message, WPARAM w, LPARAM l) {
    // After a handler the form may be unloaded: hwnd_ is null then and the model must not be
    // touched any more (this object lives on until the host drops it).
    HWND hwnd = hwnd_.get();
    switch (message) {
    case WM_COMMAND: {
        int id = LOWORD(w);
        HWND from = reinterpret_cast<HWND>(l);
        if (from) {
            auto it = byId_.find(id);
            if (it != byId_.end())
                it->second->OnCommand(HIWORD(w));
            return 0;
        }
        if (id == IDOK || id == IDCANCEL) {
            // Enter and Escape through the keyboard navigation: the default or cancel button.
            for (auto& [cid, peer] : byId_) {
                if (peer->Model().Kind() != ControlKind::Button || !peer->Model().Shown())
                    continue;
                auto& button = static_cast<Button&>(peer->Model());
                if (id == IDOK ? button.Default() : button.Cancel()) {
                    button.Click();
                    return 0;
                }
            }
            return 0;
        }
        if (MenuItem* item = form_.FindMenuId(static_cast<uint32_t>(id)))
            item->Click();
        return 0;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(l);
        auto it = byId_.find(static_cast<int>(header->idFrom));
        if (it != byId_.end() && it->second->Handle() == header->hwndFrom)
            return it->second->OnNotify(header);
        return 0;
    }
    case WM_TIMER: {
        auto it = timers_.find(static_cast<UINT_PTR>(w));
        if (it != timers_.end())
            it->second->Tick();
        return 0;
    }
    case WM_SIZE: {
        if (creating_ || !hwnd_)
            break;
        WindowState state = w == SIZE_MINIMIZED   ? WindowState::Minimized
                            : w == SIZE_MAXIMIZED ? WindowState::Maximized
                                                  : WindowState::Normal;
        int32_t width = form_.ClientWidth(), height = form_.ClientHeight();
        if (state != WindowState::Minimized) {
            width = PixelsToTwips(LOWORD(l), dpi_);
            height = PixelsToTwips(HIWORD(l), dpi_);
        }
        form_.UserResize(width, height, state);
        return 0;
    }
    case WM_CLOSE:
        form_.UserClose();
        return 0;
    case DM_GETDEFID:
        return DefaultButtonId();
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HDC dc = reinterpret_cast<HDC>(w);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case kTrayMessage:
        host_.TrayMessage(hwnd, l);
        return 0;
    case kDpiChanged: {
        dpi_ = HIWORD(w);
        auto* suggested = reinterpret_cast<RECT*>(l);
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        for (auto& c : form_.Controls())
            if (auto* images = dynamic_cast<ImageListPeer*>(c->Peer()))
                images->SetDpi(dpi_);
        RefreshControls();
        MeasureFrame();
        return 0;
    }
    default:
        if (message != 0 && message == host_.TaskbarCreatedMessage()) {
            host_.TaskbarRestarted();
            return 0;
        }
        break;
    }
    return DefWindowProcW(hwnd, message, w, l);
}

}  // namespace lumo::win32
