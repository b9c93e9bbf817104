// The control peers on a real (virtual) display: the user's typing is not written back into the
// box being typed in while the change goes through the model, yet code's later changes show; each
// kind gets its window (or none); a peer lets go of the window it makes again and of the icon it
// shows at the right moment.
#include <gtest/gtest.h>

#include "gui_test_support.h"
#include "ui/controls/frame.h"
#include "ui/controls/image.h"
#include "ui/controls/image_list.h"
#include "ui/controls/list_box.h"
#include "ui/controls/text_box.h"
#include "ui/controls/timer.h"
#include "ui/program_icons.h"

namespace lumo {
namespace {

using namespace guitest;

class ControlPeers : public ::testing::Test, public GuiProgram {
protected:
    void SetUp() override {
        form = std::make_unique<Form>(host, "frmPeerTest");
        form->SetClientSize(6000, 4000);
        form->Show();
        ASSERT_NE(Win32Host::WindowOf(*form), nullptr) << "no window: is there a display?";
        PumpFor(host, 20);
    }
    static HWND Of(const Control& c) { return Win32Host::WindowOf(c); }
    static LONG_PTR StyleOf(HWND hwnd) { return GetWindowLongPtrW(hwnd, GWL_STYLE); }
    // The edit window the user types in: the control's own, or a combo box's edit part.
    static HWND EditOf(HWND control) {
        HWND inner = FindWindowExW(control, nullptr, L"Edit", nullptr);
        return inner ? inner : control;
    }
    // Types `text` where the caret is, one key at a time, as the keyboard would.
    static void Type(HWND edit, const std::wstring& text) {
        for (wchar_t c : text)
            SendMessageW(edit, WM_CHAR, c, 0);
    }

    std::unique_ptr<Form> form;
};

// An echo of the user's own change would put the text back with SetWindowText, which moves the
// caret to the start: the next key would land in front ("cba").
TEST_F(ControlPeers, TypingReachesTheModelWithoutBeingWrittenBackAndCodeStillShows) {
    auto& text = form->Add<TextBox>("txtName");
    text.Move(120, 120, 2400, 315);
    auto& combo = form->Add<ComboBox>("cmbName");
    combo.Move(120, 600, 2400, 315);
    auto& simple = form->Add<ComboBox>("cmbSimple");
    simple.SetStyle(ComboStyle::Simple);
    simple.Move(120, 1080, 2400, 1200);
    for (ComboBox* c : {&combo, &simple}) {
        c->AddItem("Monday");
        c->AddItem("Tuesday");
    }
    struct Case {
        const char* name;
        Control* control;
        std::function<std::string()> modelText;
        std::function<void(std::string)> setByCode;
    };
    const Case cases[] = {
        {"text box", &text, [&] { return text.Text(); }, [&](std::string s) { text.SetText(std::move(s)); }},
        {"drop-down combo", &combo, [&] { return combo.Text(); }, [&](std::string s) { combo.SetText(std::move(s)); }},
        {"simple combo", &simple, [&] { return simple.Text(); }, [&](std::string s) { simple.SetText(std::move(s)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND edit = EditOf(Of(*c.control));
        ASSERT_NE(edit, nullptr);
        Type(edit, L"abc");
        EXPECT_EQ(c.modelText(), "abc") << "each key reached the model";
        EXPECT_EQ(TextOf(edit), "abc") << "the window kept the user's caret";

        // Once the user's change is through, a change by code shows again.
        c.setByCode("from code");
        EXPECT_EQ(TextOf(edit), "from code");
        SendMessageW(edit, EM_SETSEL, 0x7FFF, 0x7FFF);
        Type(edit, L"!");
        EXPECT_EQ(c.modelText(), "from code!");
        EXPECT_EQ(TextOf(edit), "from code!");
    }
}

TEST_F(ControlPeers, EachKindGetsItsOwnWindowOrNone) {
    auto& image = form->Add<Image>("imgLogo");
    image.Move(120, 120, 480, 480);
    auto& shape = form->Add<Shape>("shpBox");
    shape.Move(720, 120, 1200, 600);
    auto& line = form->Add<Frame>("fraLine");  // made without a caption and low: a separator line
    line.Move(120, 840, 4000, 30);
    auto& list = form->Add<ComboBox>("cmbList");
    list.SetStyle(ComboStyle::DropdownList);
    list.Move(2640, 120, 1200, 315);
    auto& timer = form->Add<Timer>("tmrTick");
    auto& images = form->Add<ImageList>("imlIcons");

    struct Case {
        Control* control;
        const wchar_t* windowClass;  // null: no window
        LONG_PTR typeMask;
        LONG_PTR type;
    };
    for (const Case& c :
         {Case{&image, L"Static", SS_TYPEMASK, SS_ICON}, Case{&shape, L"Static", SS_TYPEMASK, SS_ETCHEDFRAME},
          Case{&line, L"Static", SS_TYPEMASK, SS_ETCHEDHORZ}, Case{&list, L"ComboBox", 3, CBS_DROPDOWNLIST},
          Case{&timer, nullptr, 0, 0}, Case{&images, nullptr, 0, 0}}) {
        SCOPED_TRACE(c.control->Name());
        HWND hwnd = Of(*c.control);
        if (!c.windowClass) {
            EXPECT_EQ(hwnd, nullptr);
            EXPECT_NE(c.control->Peer(), nullptr) << "a peer all the same";
            continue;
        }
        ASSERT_NE(hwnd, nullptr);
        EXPECT_EQ(ClassOf(hwnd), std::wstring(c.windowClass));
        EXPECT_EQ(StyleOf(hwnd) & c.typeMask, c.type);
    }
}

// A combo box cannot change its kind in place: its peer destroys the window and makes another.
TEST_F(ControlPeers, AComboBoxOfAnotherKindIsANewWindowAndTheOldOneIsGone) {
    auto& combo = form->Add<ComboBox>("cmbKind");
    combo.Move(120, 600, 2400, 315);
    combo.AddItem("Daily");
    combo.AddItem("Weekly");
    combo.SetListIndex(1);
    HWND before = Of(combo);
    combo.SetStyle(ComboStyle::DropdownList);
    HWND after = Of(combo);
    EXPECT_FALSE(IsWindow(before)) << "the window of the old kind is gone";
    ASSERT_TRUE(IsWindow(after));
    EXPECT_EQ(StyleOf(after) & 3, CBS_DROPDOWNLIST);
    EXPECT_EQ(SendMessageW(after, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(after, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(GetDlgItem(Win32Host::WindowOf(*form), GetDlgCtrlID(after)), after) << "one window answers to the id";
}

TEST_F(ControlPeers, AnImageLetsGoOfAnIconOnlyOnceItShowsTheNext) {
    auto& image = form->Add<Image>("imgState");
    image.Move(120, 120, 480, 480);
    HWND hwnd = Of(image);
    auto shown = [&] { return reinterpret_cast<HICON>(SendMessageW(hwnd, STM_GETICON, 0, 0)); };
    auto alive = [](HICON icon) {
        ICONINFO info{};
        if (!GetIconInfo(icon, &info))
            return false;
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        return true;
    };
    EXPECT_EQ(shown(), nullptr) << "no picture, no icon";

    image.SetPicture(ListIconResource("win"));
    HICON first = shown();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(alive(first));

    image.SetPicture(ListIconResource("mie"));
    HICON second = shown();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_TRUE(alive(second)) << "the icon on screen is still there";
    EXPECT_FALSE(alive(first)) << "the one replaced is destroyed";

    image.SetPicture("");
    EXPECT_EQ(shown(), nullptr);
    EXPECT_FALSE(alive(second));
}

}  // namespace
}  // namespace lumo
