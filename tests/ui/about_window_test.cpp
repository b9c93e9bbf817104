// frmAbout, headless: its texts, the version it reads from the host, and its closing.
#include <gtest/gtest.h>

#include "ui/about_window.h"
#include "ui/headless/headless_host.h"

namespace lumo {
namespace {

TEST(AboutWindow, VersionTextHasNoLeadingZerosAndKeepsZeroParts) {
    struct Case {
        VersionNumbers version;
        const char* text;
    };
    for (const Case& c : {Case{{3, 2, 19}, "Version 3.2.19"}, Case{{3, 2, 0}, "Version 3.2.0"},
                          Case{{3, 2, 5}, "Version 3.2.5"}, Case{{10, 0, 105}, "Version 10.0.105"}})
        EXPECT_EQ(VersionText(c.version), c.text);
}

TEST(AboutWindow, LoadShowsTheVersionTheProgramCarries) {
    HeadlessHost host;
    AboutWindow about(host);
    EXPECT_EQ(about.lblVersion.Caption(), "Version") << "the design-time text, until Form_Load";
    about.Show();
    EXPECT_EQ(about.lblVersion.Caption(), "Version 3.2.19");

    HeadlessHost other;
    other.SetProgramVersion({3, 2, 0});
    AboutWindow older(other);
    older.Load();
    EXPECT_EQ(older.lblVersion.Caption(), "Version 3.2.0");
}

TEST(AboutWindow, CarriesItsCaptionsAndFixedDialogLook) {
    HeadlessHost host;
    AboutWindow about(host);
    EXPECT_EQ(about.Name(), "frmAbout");
    EXPECT_EQ(about.Caption(), "About Sweepkit Lumo");
    EXPECT_EQ(about.Border(), BorderStyle::FixedDialog);
    EXPECT_FALSE(about.MinButton());
    EXPECT_FALSE(about.MaxButton());
    EXPECT_EQ(about.Label1.Caption(), "About Sweepkit(tm)");
    EXPECT_EQ(about.Label1.Font(), (FontInfo{"Courier New", 18, true, false}));
    EXPECT_EQ(about.Label4.Caption(), "Lumo");
    EXPECT_EQ(about.Label3.Caption(), "Thanks for your trust.");
    EXPECT_EQ(about.cmdOk.Caption(), "OK");
    EXPECT_FALSE(about.Image1.Picture().empty());
}

TEST(AboutWindow, OkClosesTheModalWindowAndGivesTheOwnerBack) {
    HeadlessHost host;
    Form main(host, "frmPrivacyLumo");
    main.Show();
    AboutWindow about(host);
    std::string seen;
    host.OnModal = [&](Form& shown) {
        seen = static_cast<AboutWindow&>(shown).lblVersion.Caption();
        EXPECT_FALSE(main.Enabled());
        static_cast<AboutWindow&>(shown).cmdOk.Click();
    };
    about.Show(ShowMode::Modal, &main);
    EXPECT_EQ(seen, "Version 3.2.19");
    EXPECT_FALSE(about.Loaded());
    EXPECT_TRUE(main.Enabled());
    ASSERT_EQ(host.FormsShown().size(), 2u);
    EXPECT_EQ(host.FormsShown()[1].owner, "frmPrivacyLumo");
    EXPECT_TRUE(host.HandlerFailures().empty());
}

}  // namespace
}  // namespace lumo
