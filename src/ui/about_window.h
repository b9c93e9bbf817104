// frmAbout: the product's name and the version the running program carries.
#pragma once

#include <span>
#include <string>

#include "ui/controls/button.h"
#include "ui/controls/frame.h"
#include "ui/controls/image.h"
#include "ui/controls/label.h"
#include "ui/ui_host.h"

namespace lumo {

// "Version 3.2.19": each number in decimal without leading zeros.
std::string VersionText(const VersionNumbers& version);

class AboutWindow : public Form {
public:
    explicit AboutWindow(UiHost& host);
    // The window's controls, as the constructor makes them.
    static std::span<const ControlRow> ControlTable();

    Frame& Frame1;
    Frame& Frame2;
    Image& Image1;
    Label& Label1;
    Label& Label4;
    Label& lblVersion;
    Label& Label3;
    Button& cmdOk;

    void Form_Load();
    void cmdOk_Click();
};

}  // namespace lumo
