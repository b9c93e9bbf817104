// Forms' life through the host, and the headless host's script and records.
#include <gtest/gtest.h>

#include "ui/controls/button.h"
#include "ui/controls/tray_icon.h"
#include "ui/headless/headless_host.h"

namespace lumo {
namespace {

using Answer = MsgAnswer;

TEST(MessageBoxRules, DefaultAndCancelAnswersFollowTheButtons) {
    struct Case {
        MsgButtons buttons;
        MsgDefault def;
        Answer enter;
        std::optional<Answer> escape;
    };
    for (const Case& c : {Case{MsgButtons::OkOnly, MsgDefault::Button1, Answer::Ok, Answer::Ok},
                          Case{MsgButtons::OkOnly, MsgDefault::Button3, Answer::Ok, Answer::Ok},
                          Case{MsgButtons::OkCancel, MsgDefault::Button2, Answer::Cancel, Answer::Cancel},
                          Case{MsgButtons::YesNo, MsgDefault::Button2, Answer::No, std::nullopt},
                          Case{MsgButtons::YesNoCancel, MsgDefault::Button3, Answer::Cancel, Answer::Cancel},
                          Case{MsgButtons::AbortRetryIgnore, MsgDefault::Button2, Answer::Retry, std::nullopt},
                          Case{MsgButtons::RetryCancel, MsgDefault::Button1, Answer::Retry, Answer::Cancel}}) {
        MessageBoxRequest r;
        r.buttons = c.buttons;
        r.defaultButton = c.def;
        EXPECT_EQ(DefaultAnswer(r), c.enter) << static_cast<int>(c.buttons);
        EXPECT_EQ(CancelAnswer(c.buttons), c.escape) << static_cast<int>(c.buttons);
    }
}

TEST(HeadlessHost, AnswersBoxesFromTheScriptAndRecordsEveryBox) {
    HeadlessHost host;
    Form owner(host, "frmPrivacyLumo");
    host.QueueAnswers({Answer::No, Answer::Ok});
    EXPECT_EQ(host.MsgBox("Are you sure?", MsgButtons::YesNo, MsgIcon::Question, MsgDefault::Button2, "Sweepkit Lumo",
                          &owner),
              Answer::No);
    EXPECT_EQ(host.MsgBox("Done"), Answer::Ok);
    // Nothing queued: the default button answers, as Enter would, and the box is marked.
    EXPECT_EQ(host.MsgBox("Again?", MsgButtons::YesNo, MsgIcon::Question, MsgDefault::Button2), Answer::No);
    ASSERT_EQ(host.Boxes().size(), 3u);
    const auto& first = host.Boxes()[0];
    EXPECT_EQ(first.text, "Are you sure?");
    EXPECT_EQ(first.buttons, MsgButtons::YesNo);
    EXPECT_EQ(first.icon, MsgIcon::Question);
    EXPECT_EQ(first.defaultButton, MsgDefault::Button2);
    EXPECT_EQ(first.caption, "Sweepkit Lumo");
    EXPECT_EQ(first.owner, "frmPrivacyLumo");
    EXPECT_TRUE(first.scripted);
    EXPECT_FALSE(host.Boxes()[2].scripted);
    EXPECT_EQ(host.PendingAnswers(), 0u);
}

TEST(HeadlessHost, EveryMessageLoopPassCallsTheHook) {
    HeadlessHost host;
    Form form(host, "frmPrivacyLumo");
    auto& cmdShow = form.Add<Button>("cmdShow");
    bool stop = false;
    cmdShow.OnClick = [&] { stop = true; };
    host.OnDoEvents = [&](int pass) {
        if (pass == 3)
            cmdShow.Click();
    };
    int steps = 0;
    while (!stop && steps < 10) {
        ++steps;
        host.DoEvents();
    }
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(host.DoEventsPasses(), 3);
}

TEST(FormLife, LoadRunsOnceBeforeTheFormIsShownEvenWhenLoadShowsItself) {
    HeadlessHost host;
    Form form(host, "frmPrivacyLumo");
    std::vector<std::string> order;
    form.OnLoad = [&] {
        order.push_back(form.Visible() ? "load (visible)" : "load");
        form.Show();
    };
    form.Show();
    form.Show();
    EXPECT_EQ(order, (std::vector<std::string>{"load"}));
    EXPECT_TRUE(form.Loaded());
    EXPECT_TRUE(form.Visible());
    form.Hide();
    EXPECT_FALSE(form.Visible());
    EXPECT_TRUE(form.Loaded());
}

TEST(FormLife, QueryUnloadAndUnloadCanKeepTheFormAndLearnWhoClosesIt) {
    HeadlessHost host;
    Form form(host, "frmPrivacyLumo");
    std::vector<UnloadMode> modes;
    bool busy = true, refuseUnload = false;
    int loads = 0;
    form.OnLoad = [&] { ++loads; };
    form.OnQueryUnload = [&](bool& cancel, UnloadMode mode) {
        modes.push_back(mode);
        cancel = busy;
    };
    form.OnUnload = [&](bool& cancel) { cancel = refuseUnload; };
    form.Show();
    EXPECT_FALSE(form.UserClose());
    EXPECT_TRUE(form.Visible());
    busy = false;
    refuseUnload = true;
    EXPECT_FALSE(form.Unload());
    EXPECT_TRUE(form.Loaded());
    refuseUnload = false;
    EXPECT_TRUE(form.Unload());
    EXPECT_FALSE(form.Loaded());
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(modes, (std::vector<UnloadMode>{UnloadMode::ControlMenu, UnloadMode::Code, UnloadMode::Code}));
    EXPECT_TRUE(form.Unload()) << "an unloaded form unloads without asking";
    EXPECT_EQ(modes.size(), 3u);
    form.Show();
    EXPECT_EQ(loads, 2) << "showing an unloaded form loads it afresh";
}

TEST(FormLife, ModalFormsKeepTheirOwnerDisabledWhileTheyAreUp) {
    HeadlessHost host;
    Form main(host, "frmPrivacyLumo");
    Form about(host, "frmAbout");
    auto& cmdOk = about.Add<Button>("cmdOk");
    cmdOk.OnClick = [&] { about.Unload(); };
    main.Show();
    bool ownerEnabledMeanwhile = true;
    host.OnModal = [&](Form& f) {
        ownerEnabledMeanwhile = main.Enabled();
        EXPECT_EQ(f.Owner(), &main);
        EXPECT_TRUE(f.Modal());
        cmdOk.Click();
    };
    about.Show(ShowMode::Modal, &main);
    EXPECT_FALSE(ownerEnabledMeanwhile);
    EXPECT_TRUE(main.Enabled());
    EXPECT_FALSE(about.Loaded());
    ASSERT_EQ(host.FormsShown().size(), 2u);
    EXPECT_EQ(host.FormsShown()[1].name, "frmAbout");
    EXPECT_EQ(host.FormsShown()[1].mode, ShowMode::Modal);
    EXPECT_EQ(host.FormsShown()[1].owner, "frmPrivacyLumo");
}

TEST(FormLife, OuterSizeIsClientSizePlusTheFrameAndIsLeftAloneWhenMinimised) {
    HeadlessHost host;
    Form form(host, "frmPrivacyLumo");
    form.SetClientSize(7575, 6960);
    EXPECT_EQ(form.Width(), 7695);
    EXPECT_EQ(form.Height(), 7365);
    form.SetFrameSize(150, 600);  // as a backend measures it
    form.SetSize(7695, 7365);
    EXPECT_EQ(form.ClientWidth(), 7545);
    EXPECT_EQ(form.ClientHeight(), 6765);
    for (WindowState state : {WindowState::Minimized, WindowState::Maximized}) {
        form.SetWindowState(state);
        form.SetSize(100, 100);
        EXPECT_EQ(form.Width(), 7695) << static_cast<int>(state);
    }
    form.SetWindowState(WindowState::Normal);
    form.SetSize(100, 100);
    EXPECT_EQ(form.ClientWidth(), 0) << "never a negative size";
}

TEST(HeadlessHost, RecordsTheTrayIconAndPopupMenusAndForgetsTheIconWithItsForm) {
    HeadlessHost host;
    TrayIcon icon;
    auto menuForm = std::make_unique<Form>(host, "frmMenu");
    MenuItem& tray = menuForm->AddMenu("menuSysTray", "SysTray");
    MenuItem& exit = tray.Add("menuSTExit", "Exit");
    bool exited = false;
    exit.OnClick = [&] { exited = true; };
    icon.OnRightClick = [&] { menuForm->PopupMenu(tray); };
    host.OnPopupMenu = [&](Form&, MenuItem& m) { m.Items().back()->Click(); };
    menuForm->Load();
    host.ShowTrayIcon(icon, *menuForm);
    EXPECT_TRUE(host.TrayIconShown());
    EXPECT_EQ(host.TrayOwner(), "frmMenu");
    icon.RightClick();
    EXPECT_TRUE(exited);
    EXPECT_EQ(host.PopupMenus(), (std::vector<std::string>{"menuSysTray"}));
    menuForm.reset();
    EXPECT_FALSE(host.TrayIconShown());
}

}  // namespace
}  // namespace lumo
