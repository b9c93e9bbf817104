// The caption fit: containers from the innermost out, each in three steps (sizes, columns, moves).
#include "ui/controls/caption_fit.h"

#include <algorithm>
#include <map>
#include <vector>

#include "ui/controls/form.h"
#include "ui/controls/frame.h"
#include "ui/ui_host.h"

namespace lumo {
namespace {

// Kept free inside a container's right edge when a caption widens towards it.
constexpr int32_t kEdgeRoom = 60;
// Added to a control that widens to its caption, so that the text does not touch what follows.
constexpr int32_t kWidenRoom = 45;
// The most of a designed gap that a control moved aside keeps to its left neighbour.
constexpr int32_t kGap = 60;

int32_t Right(const TwipsRect& r) { return r.left + r.width; }
int32_t Bottom(const TwipsRect& r) { return r.top + r.height; }
bool RowsMeet(const TwipsRect& a, const TwipsRect& b) { return a.top < Bottom(b) && b.top < Bottom(a); }
bool ColumnsMeet(const TwipsRect& a, const TwipsRect& b) { return a.left < Right(b) && b.left < Right(a); }

bool HasPlace(const Control& c) { return c.Kind() != ControlKind::Timer && c.Kind() != ControlKind::ImageList; }

int Depth(const Control& c) {
    int depth = 0;
    for (const Frame* f = c.Container(); f; f = f->Container())
        ++depth;
    return depth;
}

// The size `c` needs for its caption; `room` is the widest it may become on one line.
TwipsSize Needed(const UiHost& host, const Control& c, int32_t room) {
    TwipsSize now{c.Width(), c.Height()};
    if (c.CaptionText().empty())
        return now;
    TwipsSize wrapped = host.CaptionExtent(c, now.width);
    if (wrapped.width <= now.width && wrapped.height <= now.height)
        return now;
    TwipsSize line = host.CaptionExtent(c, 0);
    // A control designed for several lines keeps its width and takes the lines it needs, unless
    // a single word is wider than it.
    bool severalLines = line.height > 0 && now.height >= 2 * line.height;
    if (severalLines && wrapped.width <= now.width)
        return {now.width, wrapped.height};
    if (!severalLines && line.width <= room)
        return {std::max(now.width, std::min(line.width + kWidenRoom, room)), std::max(now.height, line.height)};
    int32_t width = std::max(now.width, room);
    return {width, std::max(now.height, host.CaptionExtent(c, width).height)};
}

void FitContainer(Form& form, Frame* container, const std::map<const Control*, TwipsRect>& design) {
    std::vector<Control*> kids;
    for (const auto& c : form.Controls())
        if (c->Container() == container && HasPlace(*c))
            kids.push_back(c.get());
    if (kids.empty())
        return;
    int32_t roomWidth = (container ? container->Width() : form.ClientWidth()) - kEdgeRoom;

    std::map<const Control*, TwipsSize> size;
    for (Control* c : kids)
        size[c] = Needed(form.Host(), *c, roomWidth - c->Left());
    // A column (one kind, one designed left and width) keeps one width.
    for (Control* a : kids) {
        const TwipsRect& da = design.at(a);
        for (Control* b : kids) {
            const TwipsRect& db = design.at(b);
            if (a->Kind() == b->Kind() && da.left == db.left && da.width == db.width)
                size[a].width = std::max(size[a].width, size[b].width);
        }
    }

    // What stands to the right of a control in its row moves out of its way when it must,
    // keeping its designed gap up to kGap; what stands below a control in its column moves down
    // by as much as the controls above it grew, so that rows stay rows. Sorting by the designed
    // left (top) settles every control's predecessors first.
    std::map<const Control*, int32_t> left, dy;
    auto byLeft = kids;
    std::stable_sort(byLeft.begin(), byLeft.end(),
                     [&](Control* a, Control* b) { return design.at(a).left < design.at(b).left; });
    for (Control* s : byLeft) {
        const TwipsRect& ds = design.at(s);
        int32_t at = ds.left;
        for (Control* p : byLeft) {
            const TwipsRect& dp = design.at(p);
            if (p != s && Right(dp) <= ds.left && RowsMeet(dp, ds))
                at = std::max(at, left[p] + size[p].width + std::min(ds.left - Right(dp), kGap));
        }
        left[s] = at;
    }
    auto byTop = kids;
    std::stable_sort(byTop.begin(), byTop.end(),
                     [&](Control* a, Control* b) { return design.at(a).top < design.at(b).top; });
    for (Control* s : byTop) {
        const TwipsRect& ds = design.at(s);
        int32_t shift = 0;
        for (Control* p : byTop) {
            const TwipsRect& dp = design.at(p);
            if (p != s && Bottom(dp) <= ds.top && ColumnsMeet(dp, ds))
                shift = std::max(shift, dy[p] + size[p].height - dp.height);
        }
        dy[s] = shift;
    }

    int32_t designRight = 0, designBottom = 0, right = 0, bottom = 0;
    for (Control* c : kids) {
        const TwipsRect& d = design.at(c);
        TwipsRect now{left[c], d.top + dy[c], size[c].width, size[c].height};
        c->Move(now.left, now.top, now.width, now.height);
        designRight = std::max(designRight, Right(d));
        designBottom = std::max(designBottom, Bottom(d));
        right = std::max(right, Right(now));
        bottom = std::max(bottom, Bottom(now));
    }
    // The container widens only for what went past the room it offered, and grows downwards by
    // what its contents did, keeping its designed margin below them.
    int32_t wider = std::max(0, right - std::max(designRight, roomWidth));
    int32_t taller = std::max(0, bottom - designBottom);
    if (wider == 0 && taller == 0)
        return;
    if (container)
        container->Move(container->Left(), container->Top(), container->Width() + wider, container->Height() + taller);
    else
        form.SetClientSize(form.ClientWidth() + wider, form.ClientHeight() + taller);
}

}  // namespace

void FitCaptions(Form& form) {
    std::map<const Control*, TwipsRect> design;
    std::vector<Frame*> frames;
    for (const auto& c : form.Controls()) {
        design[c.get()] = c->Bounds();
        if (c->Kind() == ControlKind::Frame)
            frames.push_back(static_cast<Frame*>(c.get()));
    }
    // Innermost first: a frame's growth is known before its own container is fitted.
    std::stable_sort(frames.begin(), frames.end(), [](Frame* a, Frame* b) { return Depth(*a) > Depth(*b); });
    for (Frame* f : frames)
        FitContainer(form, f, design);
    FitContainer(form, nullptr, design);
}

}  // namespace lumo
