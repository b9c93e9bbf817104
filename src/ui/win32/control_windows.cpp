// The control peers.
#include "ui/win32/control_windows.h"

#include <algorithm>

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
#include "ui/controls/tree_view.h"
#include "ui/win32/form_window.h"

namespace lumo::win32 {

ControlWindow::~ControlWindow() {
    if (hwnd_)
        DestroyWindow(hwnd_);
}

int ControlWindow::Px(int32_t twips) const { return form_.Px(twips); }

HWND ControlWindow::MakeWindow(const wchar_t* windowClass, DWORD style, DWORD exStyle, const std::string& text) {
    Quiet quiet(*this);
    if (model_.TabStop())
        style |= WS_TABSTOP;
    hwnd_ = CreateWindowExW(exStyle, windowClass, Widen(text).c_str(), style | WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                            form_.Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)),
                            reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(form_.Handle(), GWLP_HINSTANCE)), nullptr);
    Refresh();
    return hwnd_;
}

void ControlWindow::Place() {
    TwipsRect r = model_.FormBounds();
    SetWindowPos(hwnd_, nullptr, Px(r.left), Px(r.top), Px(r.width), Px(r.height), SWP_NOZORDER | SWP_NOACTIVATE);
}

void ControlWindow::Refresh() {
    if (!hwnd_)
        return;
    Quiet quiet(*this);
    Place();
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(form_.FontFor(model_.Font())), TRUE);
    bool enabled = true;
    for (const Control* c = &model_; c; c = c->Container())
        enabled = enabled && c->Enabled();
    EnableWindow(hwnd_, enabled ? TRUE : FALSE);
    ShowWindow(hwnd_, model_.Shown() ? SW_SHOWNA : SW_HIDE);
}

void ControlWindow::Update(Change what, int32_t index) {
    if (!hwnd_)
        return;
    Quiet quiet(*this);
    switch (what) {
    case Change::Bounds:
    case Change::Visible:
    case Change::Enabled:
        // A frame takes what stands in it along.
        if (model_.Kind() == ControlKind::Frame)
            form_.RefreshControls();
        else
            Refresh();
        if (what == Change::Bounds)
            Mirror(what, index);
        break;
    case Change::Font:
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(form_.FontFor(model_.Font())), TRUE);
        Mirror(what, index);
        break;
    case Change::TabOrder:
        form_.ApplyTabOrder();
        break;
    default:
        Mirror(what, index);
        break;
    }
}

namespace {

void SetText(HWND hwnd, const std::string& text) { SetWindowTextW(hwnd, Widen(text).c_str()); }

std::string GetText(HWND hwnd) {
    int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    int got = GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<size_t>(got < 0 ? 0 : got));
    return Narrow(text);
}

class ButtonWindow : public ControlWindow {
public:
    using ControlWindow::ControlWindow;
    Button& M() const { return static_cast<Button&>(model_); }
    void Create() override {
        // Multi-line: a caption too long for one line breaks where the button is tall enough.
        MakeWindow(L"BUTTON", (M().Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_MULTILINE, 0, M().Caption());
    }
    void Mirror(Change what, int32_t) override {
        if (what == Change::Caption)
            SetText(hwnd_, M().Caption());
        else if (what == Change::Value)
            Send(BM_SETSTYLE, (M().Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_MULTILINE, TRUE);
    }
    void OnCommand(WORD code) override {
        if (code == BN_CLICKED)
            M().Click();
    }
};

class CheckBoxWindow : public ControlWindow {
public:
    using ControlWindow::ControlWindow;
    CheckBox& M() const { return static_cast<CheckBox&>(model_); }
    // Not an automatic box: the model decides the next state and the peer shows it, so a grayed
    // box looks grayed and a click goes through CheckBox::Click like a test's.
    void Create() override {
        MakeWindow(L"BUTTON", BS_3STATE | BS_MULTILINE, 0, M().Caption());
        Mirror(Change::Value, 0);
    }
    void Mirror(Change what, int32_t) override {
        if (what == Change::Caption)
            SetText(hwnd_, M().Caption());
        else if (what == Change::Value)
            Send(BM_SETCHECK, static_cast<WPARAM>(M().Value()));
    }
    void OnCommand(WORD code) override {
        if (code == BN_CLICKED && !IsQuiet())
            M().Click();
    }
};

class LabelWindow : public ControlWindow {
public:
    using ControlWindow::ControlWindow;
    Label& M() const { return static_cast<Label&>(model_); }
    DWORD AlignStyle() const {
        switch (M().GetAlignment()) {
        case Alignment::Right: return SS_RIGHT;
        case Alignment::Center: return SS_CENTER;
        case Alignment::Left: break;
        }
        return SS_LEFT;
    }
    void Create() override { MakeWindow(L"STATIC", AlignStyle(), 0, M().Caption()); }
    void Mirror(Change what, int32_t) override {
        if (what == Change::Caption) {
            SetText(hwnd_, M().Caption());
        } else if (what == Change::Style) {
            LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE) & ~static_cast<LONG_PTR>(SS_TYPEMASK);
            SetWindowLongPtrW(hwnd_, GWL_STYLE, style | static_cast<LONG_PTR>(AlignStyle()));
            InvalidateRect(hwnd_, nullptr, TRUE);
        }
    }
};

// A frame lower than this (twips) and without a caption is drawn as a separator line.
constexpr int32_t kSeparatorHeight = 120;

class FrameWindow : public ControlWindow {
public:
    using ControlWindow::ControlWindow;
    bool IsBackground() const override { return true; }
    // A group box paints only its border and caption; transparent, it is left out of the form's
    // WS_CLIPCHILDREN clipping, so the form paints the inside instead of leaving it unpainted.
    // A frame without a caption and too low for a box is a separator line: a group box draws
    // its border half a text line below its top, outside so low a window, so an etched line
    // stands in for it.
    void Create() override {
        const Frame& frame = static_cast<Frame&>(model_);
        if (frame.Caption().empty() && frame.Height() < kSeparatorHeight)
            MakeWindow(L"STATIC", SS_ETCHEDHORZ, 0, {});
        else
            MakeWindow(L"BUTTON", BS_GROUPBOX, WS_EX_TRANSPARENT, frame.Caption());
    }
    void Mirror(Change what, int32_t) override {
        if (what == Change::Caption)
            SetText(hwnd_, static_cast<Frame&>(model_).Caption());
    }
};

class ShapeWindow : public ControlWindow {
public:
    using ControlWindow::ControlWindow;
    bool IsBackground() const override { return true; }
    // Only a border, like a group box: transparent for the same reason.
    void Create() override { MakeWindow(L"STATIC", SS_ETCHEDFRAME, WS_EX_TRANSPARENT, {}); }
    void Mirror(Change, int32_t) override {}
};

class ImageWindow : public ControlWindow {
public:
    using ControlWindow::ControlWindow;
    ~ImageWindow() override {
        if (icon_)
            DestroyIcon(icon_);
    }
    void Create() override {
        MakeWindow(L"STATIC", SS_ICON | SS_CENTERIMAGE, 0, {});
        Mirror(Change::Value, 0);
    }
    void Mirror(Change what, int32_t) override {
        if (what != Change::Value && what != Change::Bounds)
            return;
        HICON old = icon_;
        const std::string& picture = static_cast<Image&>(model_).Picture();
        icon_ = picture.empty() ? nullptr
                                : LoadProgramIcon(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE)),
                                                  picture, Px(480));
        Send(STM_SETICON, reinterpret_cast<WPARAM>(icon_));
        Place();  // SS_ICON resizes the window to the icon; the model's size holds
        if (old)
            DestroyIcon(old);
    }

private:
    HICON icon_ = nullptr;
};

class TextBoxWindow : public ControlWindow {
public:
    using ControlWindow::ControlWindow;
    TextBox& M() const { return static_cast<TextBox&>(model_); }
    DWORD EditStyle() const {
        DWORD style = M().MultiLine() ? ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL : ES_AUTOHSCROLL;
        return M().Locked() ? style | ES_READONLY : style;
    }
    void Create() override { MakeWindow(L"EDIT", EditStyle(), WS_EX_CLIENTEDGE, M().Text()); }
    void Mirror(Change what, int32_t) override {
        if (what == Change::Caption && !inInput_)
            SetText(hwnd_, M().Text());
        else if (what == Change::Style)
            Send(EM_SETREADONLY, M().Locked() ? TRUE : FALSE);
    }
    void OnCommand(WORD code) override {
        // EN_CHANGE also follows SetWindowText: only the user's typing goes to the model.
        if (code != EN_CHANGE || IsQuiet())
            return;
        inInput_ = true;
        M().UserSetText(GetText(hwnd_));
        inInput_ = false;
    }

private:
    bool inInput_ = false;
};

class ListBoxWindow : public ControlWindow {
public:
    using ControlWindow::ControlWindow;
    ListBox& M() const { return static_cast<ListBox&>(model_); }
    void Create() override {
        MakeWindow(L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL, WS_EX_CLIENTEDGE, {});
        Mirror(Change::Items, 0);
    }
    void Mirror(Change what, int32_t index) override {
        switch (what) {
        case Change::Items:
            Send(WM_SETREDRAW, FALSE);
            Send(LB_RESETCONTENT);
            for (int32_t i = 0; i < M().ListCount(); ++i)
                Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(M().List(i)).c_str()));
            Send(LB_SETCURSEL, static_cast<WPARAM>(M().ListIndex()));
            MeasureAll();
            Send(WM_SETREDRAW, TRUE);
            InvalidateRect(hwnd_, nullptr, TRUE);
            break;
        case Change::ItemAdded:
            Send(LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(Widen(M().List(index)).c_str()));
            Measure({M().List(index)});
            break;
        case Change::ItemRemoved:
            // The scroll range stays as wide as the widest line seen; measuring every line again
            // on each removal would cost a long log dearly.
            Send(LB_DELETESTRING, static_cast<WPARAM>(index));
            break;
        case Change::Selection:
            if (!inInput_)
                Send(LB_SETCURSEL, static_cast<WPARAM>(index));
            break;
        case Change::Font:
            MeasureAll();
            break;
        default:
            break;
        }
    }
    void OnCommand(WORD code) override {
        if (code != LBN_SELCHANGE || IsQuiet())
            return;
        inInput_ = true;
        M().UserSelect(static_cast<int32_t>(Send(LB_GETCURSEL)));
        inInput_ = false;
    }

private:
    void MeasureAll() {
        widest_ = 0;
        std::vector<std::string> lines;
        for (int32_t i = 0; i < M().ListCount(); ++i)
            lines.push_back(M().List(i));
        Measure(lines);
    }
    // A list box scrolls sideways only as far as it is told: as far as its widest line reaches,
    // so that a long line can be read to its end.
    void Measure(const std::vector<std::string>& lines) {
        HDC dc = GetDC(hwnd_);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(Send(WM_GETFONT)));
        for (const std::string& line : lines) {
            std::wstring text = Widen(line);
            SIZE size{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
            widest_ = std::max(widest_, static_cast<int>(size.cx));
        }
        SelectObject(dc, old);
        ReleaseDC(hwnd_, dc);
        Send(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest_ > 0 ? widest_ + Px(90) : 0));
    }

    bool inInput_ = false;
    int widest_ = 0;
};

class ComboBoxWindow : public ControlWindow {
public:
    using ControlWindow::ControlWindow;
    ComboBox& M() const { return static_cast<ComboBox&>(model_); }
    DWORD ComboStyleBits() const {
        switch (M().Style()) {
        case ComboStyle::Simple: return CBS_SIMPLE;
        case ComboStyle::DropdownList: return CBS_DROPDOWNLIST;
        case ComboStyle::DropdownCombo: break;
        }
        return CBS_DROPDOWN | CBS_AUTOHSCROLL;
    }
    void Create() override {
        MakeWindow(L"COMBOBOX", ComboStyleBits() | WS_VSCROLL, 0, {});
        Mirror(Change::Items, 0);
    }
    void Place() override {
        // The model's height is the closed box's; the window also holds the drop-down list.
        TwipsRect r = model_.FormBounds();
        int height = Px(r.height);
        if (M().Style() != ComboStyle::Simple)
            height += Px(2400);
        SetWindowPos(hwnd_, nullptr, Px(r.left), Px(r.top), Px(r.width), height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    void Mirror(Change what, int32_t index) override {
        switch (what) {
        case Change::Items:
            Send(CB_RESETCONTENT);
            for (int32_t i = 0; i < M().ListCount(); ++i)
                Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(M().List(i)).c_str()));
            ShowSelection();
            break;
        case Change::ItemAdded:
            Send(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(Widen(M().List(index)).c_str()));
            break;
        case Change::ItemRemoved:
            Send(CB_DELETESTRING, static_cast<WPARAM>(index));
            break;
        case Change::Selection:
        case Change::Caption:
            if (!inInput_)
                ShowSelection();
            break;
        case Change::Style: {
            // A combo box cannot change its kind in place: make it again.
            DestroyWindow(hwnd_);
            hwnd_ = nullptr;
            Create();
            break;
        }
        default:
            break;
        }
    }
    void ShowSelection() {
        Send(CB_SETCURSEL, static_cast<WPARAM>(M().ListIndex()));
        if (M().Style() != ComboStyle::DropdownList && M().ListIndex() < 0)
            SetText(hwnd_, M().Text());
    }
    void OnCommand(WORD code) override {
        if (IsQuiet())
            return;
        inInput_ = true;
        if (code == CBN_SELCHANGE)
            M().UserSelect(static_cast<int32_t>(Send(CB_GETCURSEL)));
        else if (code == CBN_EDITCHANGE)
            M().UserSetText(GetText(hwnd_));
        inInput_ = false;
    }

private:
    bool inInput_ = false;
};

class ListViewWindow : public ControlWindow {
public:
    using ControlWindow::ControlWindow;
    ListView& M() const { return static_cast<ListView&>(model_); }
    DWORD ViewStyle() const {
        DWORD style = LVS_SHAREIMAGELISTS | LVS_SHOWSELALWAYS | LVS_SINGLESEL;
        switch (M().View()) {
        case ListViewStyle::Icon: style |= LVS_ICON; break;
        case ListViewStyle::SmallIcon: style |= LVS_SMALLICON; break;
        case ListViewStyle::List: style |= LVS_LIST; break;
        case ListViewStyle::Report: style |= LVS_REPORT; break;
        }
        if (M().LabelEdit() == LabelEditMode::Automatic)
            style |= LVS_EDITLABELS;
        return style;
    }
    void Create() override {
        MakeWindow(WC_LISTVIEWW, ViewStyle(), WS_EX_CLIENTEDGE, {});
        Mirror(Change::Style, 0);
        Mirror(Change::Images, 0);
        Mirror(Change::Columns, 0);
        Mirror(Change::Items, 0);
    }
    int ImageIndex(const ListItem& item) const {
        bool large = M().View() == ListViewStyle::Icon;
        const ImageList* images = large ? M().Icons() : M().SmallIcons();
        int found = images ? images->Find(large ? item.Icon() : item.SmallIcon()) : 0;
        return found > 0 ? found - 1 : I_IMAGENONE;
    }
    void WriteItem(const ListItem& item, int row, bool insert) {
        std::wstring text = Widen(item.Text());
        LVITEMW lv{};
        lv.mask = LVIF_TEXT | LVIF_IMAGE | (insert ? LVIF_PARAM : 0u);
        lv.iItem = row;
        lv.pszText = text.data();
        lv.iImage = ImageIndex(item);
        lv.lParam = reinterpret_cast<LPARAM>(&item);
        Send(insert ? LVM_INSERTITEMW : LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&lv));
        int columns = std::max(M().ColumnCount(), item.SubItemCount() + 1);
        for (int32_t sub = 1; sub < columns; ++sub) {
            if (insert && item.SubItems(sub).empty())
                continue;
            std::wstring subText = Widen(item.SubItems(sub));
            LVITEMW s{};
            s.iSubItem = sub;
            s.pszText = subText.data();
            Send(LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&s));
        }
    }
    void Mirror(Change what, int32_t index) override {
        switch (what) {
        case Change::Style: {
            LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE) &
                             ~static_cast<LONG_PTR>(LVS_TYPEMASK | LVS_EDITLABELS | LVS_SHAREIMAGELISTS |
                                                    LVS_SHOWSELALWAYS | LVS_SINGLESEL);
            SetWindowLongPtrW(hwnd_, GWL_STYLE, style | static_cast<LONG_PTR>(ViewStyle()));
            Send(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, M().FullRowSelect() ? LVS_EX_FULLROWSELECT : 0);
            RewriteAll();
            break;
        }
        case Change::Images: {
            ImageListPeer* large = form_.ImagesOf(M().Icons());
            ImageListPeer* small = form_.ImagesOf(M().SmallIcons());
            Send(LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(large ? large->Large() : nullptr));
            Send(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small ? small->Small() : nullptr));
            RewriteAll();
            break;
        }
        case Change::Columns: {
            while (Send(LVM_DELETECOLUMN, 0))
                ;
            for (int32_t c = 1; c <= M().ColumnCount(); ++c) {
                const ColumnHeader& h = M().Column(c);
                std::wstring text = Widen(h.text);
                LVCOLUMNW col{};
                col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
                col.pszText = text.data();
                col.cx = Px(h.width < 0 ? 1440 : h.width);
                col.iSubItem = c - 1;
                Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(c - 1), reinterpret_cast<LPARAM>(&col));
            }
            break;
        }
        case Change::Items:
            Send(WM_SETREDRAW, FALSE);
            Send(LVM_DELETEALLITEMS);
            for (int32_t row = 1; row <= M().ItemCount(); ++row)
                WriteItem(M().Item(row), row - 1, true);
            Send(WM_SETREDRAW, TRUE);
            InvalidateRect(hwnd_, nullptr, TRUE);
            break;
        case Change::ItemAdded:
            WriteItem(M().Item(index), index - 1, true);
            break;
        case Change::ItemChanged:
            WriteItem(M().Item(index), index - 1, false);
            break;
        case Change::ItemRemoved:
            Send(LVM_DELETEITEM, static_cast<WPARAM>(index - 1));
            break;
        case Change::Selection: {
            if (inInput_)
                break;
            LVITEMW none{};
            none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            Send(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
            if (index > 0) {
                LVITEMW on{};
                on.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
                on.state = LVIS_SELECTED | LVIS_FOCUSED;
                Send(LVM_SETITEMSTATE, static_cast<WPARAM>(index - 1), reinterpret_cast<LPARAM>(&on));
            }
            break;
        }
        case Change::EnsureVisible:
            Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index - 1), FALSE);
            break;
        default:
            break;
        }
    }
    void RewriteAll() {
        int32_t rows = std::min<int32_t>(M().ItemCount(), static_cast<int32_t>(Send(LVM_GETITEMCOUNT)));
        for (int32_t row = 1; row <= rows; ++row)
            WriteItem(M().Item(row), row - 1, false);
    }
    LRESULT OnNotify(NMHDR* header) override {
        if (IsQuiet())
            return 0;
        switch (header->code) {
        case NM_CLICK: {
            auto* click = reinterpret_cast<NMITEMACTIVATE*>(header);
            if (click->iItem >= 0 && click->iItem < M().ItemCount()) {
                inInput_ = true;
                M().UserClickItem(M().Item(click->iItem + 1));
                inInput_ = false;
            }
            return 0;
        }
        case LVN_ITEMCHANGED: {
            // The keyboard moves the selection without a click: keep the model's in step, quietly.
            auto* change = reinterpret_cast<NMLISTVIEW*>(header);
            if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) &&
                !(change->uOldState & LVIS_SELECTED) && change->iItem >= 0 && change->iItem < M().ItemCount()) {
                inInput_ = true;
                M().SetSelectedItem(&M().Item(change->iItem + 1));
                inInput_ = false;
            }
            return 0;
        }
        default:
            return 0;
        }
    }

private:
    bool inInput_ = false;
};

class TreeViewWindow : public ControlWindow {
public:
    using ControlWindow::ControlWindow;
    TreeView& M() const { return static_cast<TreeView&>(model_); }
    DWORD TreeStyle() const {
        return TVS_HASLINES | TVS_LINESATROOT | TVS_HASBUTTONS | TVS_SHOWSELALWAYS |
               (M().LabelEdit() ? TVS_EDITLABELS : 0u);
    }
    void Create() override {
        MakeWindow(WC_TREEVIEWW, TreeStyle(), WS_EX_CLIENTEDGE, {});
        Mirror(Change::Items, 0);
    }
    void Insert(Node& node) {
        std::wstring text = Widen(node.Text());
        TVINSERTSTRUCTW ins{};
        ins.hParent = node.Parent() ? handles_[node.Parent()] : TVI_ROOT;
        ins.hInsertAfter = TVI_LAST;
        ins.item.mask = TVIF_TEXT | TVIF_PARAM;
        ins.item.pszText = text.data();
        ins.item.lParam = reinterpret_cast<LPARAM>(&node);
        handles_[&node] = reinterpret_cast<HTREEITEM>(Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
    }
    void InsertTree(Node& node) {
        Insert(node);
        for (Node* child : node.Children())
            InsertTree(*child);
    }
    void Mirror(Change what, int32_t index) override {
        switch (what) {
        case Change::Items:
            Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
            handles_.clear();
            for (Node* root : M().Roots())
                InsertTree(*root);
            break;
        case Change::ItemAdded:
            Insert(M().Nodes(index));
            break;
        case Change::ItemChanged: {
            Node& node = M().Nodes(index);
            std::wstring text = Widen(node.Text());
            TVITEMW item{};
            item.mask = TVIF_TEXT | TVIF_HANDLE;
            item.hItem = handles_[&node];
            item.pszText = text.data();
            Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            Send(TVM_EXPAND, node.Expanded() ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(item.hItem));
            break;
        }
        case Change::Selection:
            if (!inInput_)
                Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(index > 0 ? handles_[&M().Nodes(index)] : nullptr));
            break;
        case Change::Style: {
            LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE) & ~static_cast<LONG_PTR>(TVS_EDITLABELS);
            SetWindowLongPtrW(hwnd_, GWL_STYLE, style | static_cast<LONG_PTR>(TreeStyle()));
            break;
        }
        default:
            break;
        }
    }
    LRESULT OnNotify(NMHDR* header) override {
        if (IsQuiet() || header->code != TVN_SELCHANGEDW)
            return 0;
        auto* change = reinterpret_cast<NMTREEVIEWW*>(header);
        // TVC_UNKNOWN: the selection moved because of code (or a node went), not the user.
        if (change->action == TVC_UNKNOWN || !change->itemNew.hItem)
            return 0;
        auto* node = reinterpret_cast<Node*>(change->itemNew.lParam);
        if (node) {
            inInput_ = true;
            M().UserClickNode(*node);
            inInput_ = false;
        }
        return 0;
    }

private:
    std::map<const Node*, HTREEITEM> handles_;
    bool inInput_ = false;
};

class StatusBarWindow : public ControlWindow {
public:
    using ControlWindow::ControlWindow;
    StatusBar& M() const { return static_cast<StatusBar&>(model_); }
    // The model places the bar; the control would otherwise stick itself to the form's bottom.
    void Create() override {
        MakeWindow(STATUSCLASSNAMEW, CCS_NOPARENTALIGN | CCS_NORESIZE, 0, {});
        Mirror(Change::Items, 0);
    }
    void Mirror(Change what, int32_t index) override {
        switch (what) {
        case Change::Caption:
            if (M().Style() == StatusBarStyle::Simple)
                Send(SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(Widen(M().SimpleText()).c_str()));
            break;
        case Change::ItemChanged:
            Send(SB_SETTEXTW, static_cast<WPARAM>(index - 1),
                 reinterpret_cast<LPARAM>(Widen(M().Panels(index).text).c_str()));
            Layout(index);
            break;
        default:
            Layout(0);
            for (int32_t p = 1; p <= M().PanelCount(); ++p)
                Send(SB_SETTEXTW, static_cast<WPARAM>(p - 1), reinterpret_cast<LPARAM>(Widen(M().Panels(p).text).c_str()));
            Send(SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(Widen(M().SimpleText()).c_str()));
            break;
        }
    }
    // Panel widths: a Contents panel is as wide as its text (and its minimum), a None panel
    // keeps its width, the Spring panels share what is left of the bar. A new text measures
    // its own panel again (`changed`; 0 measures every panel), and the bar is told its simple
    // mode and its edges only when they changed: either message invalidates the whole bar
    // (Wine also notifies the form of the mode), and a run sets the panels a few dozen times a
    // second.
    void Layout(int32_t changed) {
        bool simple = M().Style() == StatusBarStyle::Simple;
        if (changed == 0 || simple != simple_) {
            Send(SB_SIMPLE, simple ? TRUE : FALSE);
            simple_ = simple;
        }
        int32_t count = M().PanelCount();
        if (count == 0)
            return;
        if (changed == 0 || widths_.size() != static_cast<size_t>(count))
            widths_.assign(static_cast<size_t>(count), -1);
        if (changed > 0)
            widths_[static_cast<size_t>(changed - 1)] = -1;
        HDC dc = nullptr;
        HGDIOBJ oldFont = nullptr;
        int borders[3] = {};
        int used = 0, springs = 0;
        for (int32_t p = 1; p <= count; ++p) {
            const Panel& panel = M().Panels(p);
            int& w = widths_[static_cast<size_t>(p - 1)];
            if (w < 0) {
                w = Px(panel.width);
                if (panel.autoSize == PanelAutoSize::Contents) {
                    if (!dc) {
                        dc = GetDC(hwnd_);
                        oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(Send(WM_GETFONT)));
                        Send(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
                    }
                    std::wstring text = Widen(panel.text);
                    SIZE size{};
                    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
                    w = size.cx + 4 * borders[2] + 8;
                } else if (panel.autoSize == PanelAutoSize::Spring) {
                    w = 0;
                }
                w = std::max(w, Px(panel.minWidth));
            }
            if (panel.autoSize == PanelAutoSize::Spring)
                ++springs;
            used += w;
        }
        if (dc) {
            SelectObject(dc, oldFont);
            ReleaseDC(hwnd_, dc);
        }
        RECT client{};
        GetClientRect(hwnd_, &client);
        int spare = std::max(0, static_cast<int>(client.right) - used);
        std::vector<int> edges(static_cast<size_t>(count));
        int x = 0;
        for (int32_t p = 1; p <= count; ++p) {
            const Panel& panel = M().Panels(p);
            int w = widths_[static_cast<size_t>(p - 1)];
            if (panel.autoSize == PanelAutoSize::Spring)
                w += spare / springs;
            x += w;
            edges[static_cast<size_t>(p - 1)] = x;
        }
        if (M().Panels(count).autoSize == PanelAutoSize::Spring)
            edges.back() = -1;  // to the bar's end
        if (changed != 0 && edges == edges_)
            return;
        edges_ = edges;
        Send(SB_SETPARTS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(edges.data()));
    }

private:
    bool simple_ = false;
    std::vector<int> widths_;  // in pixels; -1: to be measured
    std::vector<int> edges_;   // as the bar last got them
};

}  // namespace

std::unique_ptr<ControlWindow> MakeControlWindow(FormWindow& form, Control& model, int id) {
    switch (model.Kind()) {
    case ControlKind::Button: return std::make_unique<ButtonWindow>(form, model, id);
    case ControlKind::Label: return std::make_unique<LabelWindow>(form, model, id);
    case ControlKind::CheckBox: return std::make_unique<CheckBoxWindow>(form, model, id);
    case ControlKind::ComboBox: return std::make_unique<ComboBoxWindow>(form, model, id);
    case ControlKind::TextBox: return std::make_unique<TextBoxWindow>(form, model, id);
    case ControlKind::ListBox: return std::make_unique<ListBoxWindow>(form, model, id);
    case ControlKind::ListView: return std::make_unique<ListViewWindow>(form, model, id);
    case ControlKind::TreeView: return std::make_unique<TreeViewWindow>(form, model, id);
    case ControlKind::StatusBar: return std::make_unique<StatusBarWindow>(form, model, id);
    case ControlKind::Frame: return std::make_unique<FrameWindow>(form, model, id);
    case ControlKind::Image: return std::make_unique<ImageWindow>(form, model, id);
    case ControlKind::Shape: return std::make_unique<ShapeWindow>(form, model, id);
    case ControlKind::Timer:
    case ControlKind::ImageList: break;
    }
    return nullptr;
}

ImageListPeer::ImageListPeer(HINSTANCE instance, ImageList& model, int dpi)
    : instance_(instance), model_(model), dpi_(dpi) {
    Build();
}

ImageListPeer::~ImageListPeer() { Destroy(); }

void ImageListPeer::Destroy() {
    if (small_)
        ImageList_Destroy(small_);
    if (large_)
        ImageList_Destroy(large_);
    small_ = large_ = nullptr;
}

void ImageListPeer::Append(const std::string& picture) {
    // Positions must match the model's even when an icon is missing: a stand-in keeps its place.
    for (auto [list, size] : {std::pair{small_, MulDiv(16, dpi_, 96)}, std::pair{large_, MulDiv(32, dpi_, 96)}}) {
        HICON icon = LoadProgramIcon(instance_, picture, size);
        ImageList_ReplaceIcon(list, -1, icon);
        if (icon)
            DestroyIcon(icon);
    }
}

void ImageListPeer::Build() {
    int small = MulDiv(16, dpi_, 96), large = MulDiv(32, dpi_, 96);
    small_ = ImageList_Create(small, small, ILC_COLOR32 | ILC_MASK, model_.Count(), 4);
    large_ = ImageList_Create(large, large, ILC_COLOR32 | ILC_MASK, model_.Count(), 4);
    for (int32_t i = 1; i <= model_.Count(); ++i)
        Append(model_.item(i).picture);
}

void ImageListPeer::Update(Change what, int32_t index) {
    if (what == Change::ItemAdded && index == ImageList_GetImageCount(small_) + 1) {
        Append(model_.item(index).picture);
    } else if (what == Change::Items || what == Change::ItemAdded) {
        ImageList_RemoveAll(small_);
        ImageList_RemoveAll(large_);
        for (int32_t i = 1; i <= model_.Count(); ++i)
            Append(model_.item(i).picture);
    }
}

void ImageListPeer::SetDpi(int dpi) {
    if (dpi == dpi_)
        return;
    // The list views keep the old handles until they are told again; the backend refreshes them.
    dpi_ = dpi;
    ImageList_SetIconSize(small_, MulDiv(16, dpi_, 96), MulDiv(16, dpi_, 96));
    ImageList_SetIconSize(large_, MulDiv(32, dpi_, 96), MulDiv(32, dpi_, 96));
    for (int32_t i = 1; i <= model_.Count(); ++i)
        Append(model_.item(i).picture);
}

TimerPeer::TimerPeer(HWND window, Control& model, UINT_PTR id) : window_(window), model_(model), id_(id) {}

TimerPeer::~TimerPeer() {
    if (window_)
        KillTimer(window_, id_);
}

void TimerPeer::Update(Change, int32_t) {
    if (!window_)
        return;
    auto& timer = static_cast<Timer&>(model_);
    // SetTimer on a running id starts its period again, as a changed interval does.
    if (timer.Running())
        SetTimer(window_, id_, static_cast<UINT>(timer.Interval()), nullptr);
    else
        KillTimer(window_, id_);
}

void TimerPeer::Tick() { static_cast<Timer&>(model_).Tick(); }

}  // namespace lumo::win32
