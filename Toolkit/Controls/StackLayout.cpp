#include "Toolkit/Controls/StackLayout.h"

#include <algorithm>

namespace SkinUI {

namespace {

// "Main" runs along the stacking direction, "cross" across it.
struct TAxis {
    bool vertical;

    int Main(TSize size) const { return vertical ? size.cy : size.cx; }
    int Cross(TSize size) const { return vertical ? size.cx : size.cy; }
    TSize Size(int main, int cross) const { return vertical ? TSize{cross, main} : TSize{main, cross}; }
    int PadBefore(const TRect& pad) const { return vertical ? pad.top : pad.left; }
    int PadAfter(const TRect& pad) const { return vertical ? pad.bottom : pad.right; }
    int CrossPadBefore(const TRect& pad) const { return vertical ? pad.left : pad.top; }
    int CrossPadAfter(const TRect& pad) const { return vertical ? pad.right : pad.bottom; }
    int Start(const TRect& rect) const { return vertical ? rect.top : rect.left; }
    int CrossStart(const TRect& rect) const { return vertical ? rect.left : rect.top; }
    TRect Rect(int mainStart, int crossStart, int mainEnd, int crossEnd) const
    {
        return vertical ? TRect{crossStart, mainStart, crossEnd, mainEnd} : TRect{mainStart, crossStart, mainEnd, crossEnd};
    }

    // Minimum first, so a maximum below the minimum wins.
    int ClampMain(const CControlUI& c, int length) const
    {
        length = std::max(length, vertical ? c.GetMinHeight() : c.GetMinWidth());
        return std::min(length, vertical ? c.GetMaxHeight() : c.GetMaxWidth());
    }
    int ClampCross(const CControlUI& c, int length) const
    {
        length = std::max(length, vertical ? c.GetMinWidth() : c.GetMinHeight());
        return std::min(length, vertical ? c.GetMaxWidth() : c.GetMaxHeight());
    }
    int FixedCross(const CControlUI& c) const { return vertical ? c.GetFixedWidth() : c.GetFixedHeight(); }
};

bool IsStacked(const CControlUI& child) { return child.IsVisible() && !child.IsFloat(); }

struct TEstimate {
    int adjustables = 0;
    int fixedTotal = 0;
    int stacked = 0;
};

// Pass 1: what the fixed children take, paddings and gaps included, and how many stretch.
TEstimate Estimate(const CContainerUI& container, TSize available, int childPadding, const TAxis& axis)
{
    TEstimate estimate;
    for (int i = 0; i < container.GetCount(); ++i) {
        CControlUI* child = container.GetItemAt(i);
        if (!IsStacked(*child))
            continue;
        int length = axis.Main(child->EstimateSize(available));
        if (length == 0)
            ++estimate.adjustables;
        else
            length = axis.ClampMain(*child, length);
        const TRect pad = child->GetPadding();
        estimate.fixedTotal += length + axis.PadBefore(pad) + axis.PadAfter(pad);
        ++estimate.stacked;
    }
    estimate.fixedTotal += (estimate.stacked - 1) * childPadding;
    return estimate;
}

} // namespace

int CStackLayout::Place(CContainerUI& container, const TRect& inner, int childPadding, bool vertical)
{
    if (container.GetCount() == 0)
        return 0;
    const TAxis axis{vertical};
    const TSize available{inner.Width(), inner.Height()};
    const TEstimate estimate = Estimate(container, available, childPadding, axis);
    int expand = 0;
    if (estimate.adjustables > 0)
        expand = std::max(0, (axis.Main(available) - estimate.fixedTotal) / estimate.adjustables);

    // Pass 2: place them; the last stretch child takes what rounding left over.
    int position = axis.Start(inner);
    int remaining = axis.Main(available);
    int fixedRemaining = estimate.fixedTotal;
    int adjustable = 0;
    int needed = 0;
    for (int i = 0; i < container.GetCount(); ++i) {
        CControlUI* child = container.GetItemAt(i);
        if (!child->IsVisible())
            continue;
        if (child->IsFloat()) {
            container.SetFloatPos(i);
            continue;
        }
        const TRect pad = child->GetPadding();
        remaining -= axis.PadBefore(pad);
        int length = axis.Main(child->EstimateSize(axis.Size(remaining, axis.Cross(available))));
        if (length == 0) {
            ++adjustable;
            length = expand;
            if (adjustable == estimate.adjustables)
                length = std::max(0, remaining - axis.PadAfter(pad) - fixedRemaining);
            length = axis.ClampMain(*child, length);
        } else {
            length = axis.ClampMain(*child, length);
            fixedRemaining -= length;
        }
        int cross = axis.FixedCross(*child);
        if (cross == 0)
            cross = axis.Cross(available) - axis.CrossPadBefore(pad) - axis.CrossPadAfter(pad);
        cross = axis.ClampCross(*child, std::max(cross, 0));
        const int mainStart = position + axis.PadBefore(pad);
        const int crossStart = axis.CrossStart(inner) + axis.CrossPadBefore(pad);
        child->SetPos(axis.Rect(mainStart, crossStart, mainStart + length + axis.PadAfter(pad), crossStart + cross));
        const int span = length + axis.PadBefore(pad) + axis.PadAfter(pad);
        position += span + childPadding;
        needed += span;
        remaining -= length + childPadding + axis.PadAfter(pad);
    }
    return needed + (estimate.stacked - 1) * childPadding;
}

} // namespace SkinUI
