// The caption fit, headless, with a host that measures 100 twips a character and 200 a line:
// what fits stays, a caption that fits its container on one line widens its control and moves
// what it would cover in its row, one too long for that breaks into lines and moves what is
// below, containers and the form grow by what they hold, and a column keeps one width.
#include <gtest/gtest.h>

#include <sstream>

#include "ui/controls/button.h"
#include "ui/controls/caption_fit.h"
#include "ui/controls/check_box.h"
#include "ui/controls/frame.h"
#include "ui/controls/label.h"
#include "ui/headless/headless_host.h"

namespace lumo {
namespace {

// Words broken greedily into lines of at most width / 100 characters.
TwipsSize Measure(const Control& c, int32_t width) {
    std::string text = c.CaptionText();
    if (width == 0)
        return {static_cast<int32_t>(text.size()) * 100, 200};
    size_t room = static_cast<size_t>(width / 100);
    std::istringstream words(text);
    std::string word, line;
    size_t widest = 0;
    int32_t lines = 0;
    while (words >> word) {
        if (!line.empty() && line.size() + 1 + word.size() > room) {
            widest = std::max(widest, line.size());
            ++lines;
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    widest = std::max(widest, line.size());
    return {static_cast<int32_t>(widest) * 100, (lines + 1) * 200};
}

template <class T>
T& Make(Form& form, const char* name, TwipsRect at, const char* caption, Frame* in = nullptr) {
    T& c = form.Add<T>(name, in);
    c.Move(at.left, at.top, at.width, at.height);
    c.SetCaption(caption);
    return c;
}

TEST(CaptionFit, GrowsWhatDoesNotFitAndMovesWhatItWouldCover) {
    HeadlessHost host;
    host.OnCaptionExtent = Measure;
    Form form(host, "frmFit");
    form.SetClientSize(6000, 3000);
    auto& logging = Make<CheckBox>(form, "chkLog", {100, 100, 1000, 250}, "Enable logging");
    auto& keep = Make<Label>(form, "lblKeep", {1200, 100, 900, 250}, "and keep");
    auto& note = Make<Label>(form, "lblNote", {100, 500, 2000, 250}, "Fits as it is");
    auto& frame = Make<Frame>(form, "fraMonitor", {100, 1000, 3000, 1500}, "Monitor");
    auto& monitor = Make<CheckBox>(form, "chkMonitor", {100, 300, 2000, 250},
                                   "Monitor any change for the start page or window title", &frame);
    auto& below = Make<Label>(form, "lblBelow", {100, 700, 2000, 250}, "Start page", &frame);
    auto& ok = Make<Button>(form, "cmdOk", {100, 2600, 900, 300}, "OK");
    auto& show = Make<Button>(form, "cmdShow", {4000, 100, 800, 300}, "Show");
    auto& settings = Make<Button>(form, "cmdSettings", {4000, 500, 800, 300}, "Items Settings");

    FitCaptions(form);

    EXPECT_EQ(note.Bounds(), (TwipsRect{100, 500, 2000, 250})) << "a caption that fits keeps its place";
    EXPECT_EQ(logging.Bounds(), (TwipsRect{100, 100, 1445, 250})) << "wider by its text and a little room";
    EXPECT_EQ(keep.Bounds(), (TwipsRect{1605, 100, 900, 250})) << "its neighbour moves aside";
    EXPECT_EQ(show.Left(), 4000) << "what stands far enough to the right stays";
    // 53 characters cannot stand on one line in a frame 3000 wide: the box takes the frame's
    // width less its edge and two lines; what stood below it moves down by the line it took.
    EXPECT_EQ(monitor.Bounds(), (TwipsRect{100, 300, 2840, 400}));
    EXPECT_EQ(below.Bounds(), (TwipsRect{100, 850, 2000, 250}));
    EXPECT_EQ(frame.Bounds(), (TwipsRect{100, 1000, 3000, 1650}));
    EXPECT_EQ(ok.Bounds(), (TwipsRect{100, 2750, 900, 300}));
    EXPECT_EQ(form.ClientHeight(), 3150) << "the form keeps its margin below what it holds";
    EXPECT_EQ(form.ClientWidth(), 6000);
    EXPECT_EQ(settings.Bounds(), (TwipsRect{4000, 500, 1445, 300}));
    EXPECT_EQ(show.Bounds(), (TwipsRect{4000, 100, 1445, 300})) << "a column keeps one width";

    FitCaptions(form);
    EXPECT_EQ(keep.Bounds(), (TwipsRect{1605, 100, 900, 250})) << "fitting twice changes nothing more";
    EXPECT_EQ(form.ClientHeight(), 3150);
}

}  // namespace
}  // namespace lumo
