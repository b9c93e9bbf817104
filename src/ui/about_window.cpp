// frmAbout.
#include "ui/about_window.h"

#include "ui/program_icons.h"

namespace lumo {

std::string VersionText(const VersionNumbers& version) {
    return "Version " + std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
           std::to_string(version.revision);
}

AboutWindow::AboutWindow(UiHost& host)
    : Form(host, "frmAbout"),
      Frame1(Add<Frame>("Frame1")),
      Frame2(Add<Frame>("Frame2")),
      Image1(Add<Image>("Image1")),
      Label1(Add<Label>("Label1")),
      Label4(Add<Label>("Label4")),
      lblVersion(Add<Label>("lblVersion", &Frame1)),
      Label3(Add<Label>("Label3", &Frame1)),
      cmdOk(Add<Button>("cmdOk")) {
    SetCaption("About Sweepkit Lumo");
    SetBorder(BorderStyle::FixedDialog);
    SetMinMaxButtons(false, false);
    SetIcon(kProgramIcon);
    SetClientSize(6555, 4545);

    Image1.Move(360, 300, 480, 480);
    Image1.SetPicture(kProgramIcon);
    Label1.Move(1080, 240, 5235, 480);
    Label1.SetFont(FontInfo{"Courier New", 18, true, false});
    Label1.SetCaption("About Sweepkit(tm)");
    Label4.Move(1080, 780, 5235, 285);
    Label4.SetCaption("Lumo");
    Frame1.Move(240, 1320, 6075, 1695);
    lblVersion.Move(360, 420, 5475, 285);
    lblVersion.SetCaption("Version");
    Label3.Move(360, 960, 5475, 285);
    Label3.SetCaption("Thanks for your trust.");
    // A frame two pixels high draws as a separator line.
    Frame2.Move(240, 3300, 6075, 30);
    cmdOk.Move(5040, 3720, 1275, 495);
    cmdOk.SetCaption("OK");
    cmdOk.SetDefault(true);
    cmdOk.SetCancel(true);
    cmdOk.SetTabIndex(0);

    OnLoad = [this] { Form_Load(); };
    cmdOk.OnClick = [this] { cmdOk_Click(); };
}

void AboutWindow::Form_Load() { lblVersion.SetCaption(VersionText(Host().ProgramVersion())); }

void AboutWindow::cmdOk_Click() { Unload(); }

}  // namespace lumo
