// frmAbout.
#include "ui/about_window.h"

#include "ui/program_icons.h"

namespace lumo {

std::string VersionText(const VersionNumbers& version) {
    return "Version " + std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
           std::to_string(version.revision);
}

namespace {
namespace table {
using enum ControlKind;

// Kind, name, caption, place, tab order, frame, looks.
constexpr ControlRow kControls[] = {
    {Frame, "Frame1", nullptr, 240, 1320, 6075, 1695},
    // A frame two pixels high draws as a separator line.
    {Frame, "Frame2", nullptr, 240, 3300, 6075, 30},
    {Image, "Image1", nullptr, 360, 300, 480, 480},
    {Label, "Label1", "About Sweepkit(tm)", 1080, 240, 5235, 480},
    {Label, "Label4", "Lumo", 1080, 780, 5235, 285},
    {Label, "lblVersion", "Version", 360, 420, 5475, 285, kCreationOrder, "Frame1"},
    {Label, "Label3", "Thanks for your trust.", 360, 960, 5475, 285, kCreationOrder, "Frame1"},
    {Button, "cmdOk", "OK", 5040, 3720, 1275, 495, 0, nullptr, rsDefault | rsCancel},
};

}  // namespace table
}  // namespace

std::span<const ControlRow> AboutWindow::ControlTable() { return table::kControls; }

AboutWindow::AboutWindow(UiHost& host)
    : Form(host, "frmAbout", table::kControls),
      Frame1(Named<Frame>("Frame1")),
      Frame2(Named<Frame>("Frame2")),
      Image1(Named<Image>("Image1")),
      Label1(Named<Label>("Label1")),
      Label4(Named<Label>("Label4")),
      lblVersion(Named<Label>("lblVersion")),
      Label3(Named<Label>("Label3")),
      cmdOk(Named<Button>("cmdOk")) {
    SetCaption("About Sweepkit Lumo");
    SetBorder(BorderStyle::FixedDialog);
    SetMinMaxButtons(false, false);
    SetIcon(kProgramIcon);
    SetClientSize(6555, 4545);

    Image1.SetPicture(kProgramIcon);
    Label1.SetFont(FontInfo{"Courier New", 18, true, false});

    OnLoad = [this] { Form_Load(); };
    cmdOk.OnClick = [this] { cmdOk_Click(); };
}

void AboutWindow::Form_Load() { lblVersion.SetCaption(VersionText(Host().ProgramVersion())); }

void AboutWindow::cmdOk_Click() { Unload(); }

}  // namespace lumo
