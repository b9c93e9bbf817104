// The answers a message box gives to Enter and Escape, and forms' life and size through the host.
#include <gtest/gtest.h>

#include "ui/about_window.h"
#include "ui/headless/headless_host.h"

namespace lumo {
namespace {

using Answer = MsgAnswer;

TEST(MessageBoxRules, DefaultAndCancelAnswersFollowTheButtons) {
    // The buttons, the default button, and the answers to Enter and to Escape.
    const std::tuple<MsgButtons, MsgDefault, Answer, std::optional<Answer>> cases[] = {
        {MsgButtons::OkOnly, MsgDefault::Button3, Answer::Ok, Answer::Ok},
        {MsgButtons::OkCancel, MsgDefault::Button2, Answer::Cancel, Answer::Cancel},
        {MsgButtons::YesNo, MsgDefault::Button2, Answer::No, std::nullopt},
        {MsgButtons::YesNoCancel, MsgDefault::Button3, Answer::Cancel, Answer::Cancel},
        {MsgButtons::AbortRetryIgnore, MsgDefault::Button2, Answer::Retry, std::nullopt},
        {MsgButtons::RetryCancel, MsgDefault::Button1, Answer::Retry, Answer::Cancel}};
    for (const auto& [buttons, def, enter, escape] : cases) {
        MessageBoxRequest r;
        r.buttons = buttons;
        r.defaultButton = def;
        EXPECT_EQ(DefaultAnswer(r), enter) << static_cast<int>(buttons);
        EXPECT_EQ(CancelAnswer(buttons), escape) << static_cast<int>(buttons);
    }
}

// Load runs once, QueryUnload and Unload can keep the form and learn who closes it, and showing
// an unloaded form loads it afresh.
TEST(FormLife, LoadRunsOnceAndQueryUnloadAndUnloadCanKeepTheFormAndLearnWhoClosesIt) {
    HeadlessHost host;
    Form form(host, "frmPrivacyLumo");
    std::vector<UnloadMode> modes;
    bool busy = true, refuseUnload = false;
    int loads = 0;
    form.OnLoad = [&] {
        ++loads;
        EXPECT_FALSE(form.Visible());
        form.Show();  // a Load that shows its own form
    };
    form.OnQueryUnload = [&](bool& cancel, UnloadMode mode) {
        modes.push_back(mode);
        cancel = busy;
    };
    form.OnUnload = [&](bool& cancel) { cancel = refuseUnload; };
    form.Show();
    form.Show();
    EXPECT_TRUE(loads == 1 && !form.UserClose() && form.Visible());
    busy = false;
    refuseUnload = true;
    EXPECT_FALSE(form.Unload() || !form.Loaded());
    refuseUnload = false;
    EXPECT_TRUE(form.Unload() && !form.Loaded() && !form.Visible());
    EXPECT_TRUE(form.Unload()) << "an unloaded form unloads without asking";
    EXPECT_EQ(modes, (std::vector<UnloadMode>{UnloadMode::ControlMenu, UnloadMode::Code, UnloadMode::Code}));
    form.Show();
    EXPECT_EQ(loads, 2);
}

// The outer size is the client size plus the frame, left alone while minimised or maximised, and
// never gives a negative client size.
TEST(FormLife, OuterSizeIsClientSizePlusTheFrameAndIsLeftAloneWhenMinimised) {
    HeadlessHost host;
    Form form(host, "frmPrivacyLumo");
    form.SetClientSize(7575, 6960);
    EXPECT_EQ(std::pair(form.Width(), form.Height()), std::pair(7695, 7365));
    form.SetFrameSize(150, 600);  // as a backend measures it
    form.SetSize(7695, 7365);
    EXPECT_EQ(std::pair(form.ClientWidth(), form.ClientHeight()), std::pair(7545, 6765));
    for (WindowState state : {WindowState::Minimized, WindowState::Maximized, WindowState::Normal}) {
        form.SetWindowState(state);
        form.SetSize(100, 100);
        EXPECT_EQ(form.Width(), state == WindowState::Normal ? 150 : 7695) << static_cast<int>(state);
    }
    EXPECT_EQ(form.ClientWidth(), 0);
}

// A modal window keeps its owner disabled while it is up: About, showing the program's version,
// until its OK closes it.
TEST(FormLife, AModalWindowDisablesItsOwnerUntilItsOkClosesIt) {
    for (auto [version, text] :
         {std::pair{VersionNumbers{3, 2, 0}, "Version 3.2.0"}, {{10, 0, 105}, "Version 10.0.105"}}) {
        HeadlessHost host;
        host.SetProgramVersion(version);
        Form main(host, "frmPrivacyLumo");
        main.Show();
        AboutWindow about(host);
        std::string seen;
        host.OnModal = [&](Form& f) {
            seen = about.lblVersion.Caption();
            EXPECT_FALSE(main.Enabled());
            EXPECT_TRUE(f.Modal() && f.Owner() == &main);
            about.cmdOk.Click();
        };
        about.Show(ShowMode::Modal, &main);
        EXPECT_EQ(seen, text);
        EXPECT_FALSE(about.Loaded());
        EXPECT_TRUE(main.Enabled());
    }
}

}  // namespace
}  // namespace lumo
