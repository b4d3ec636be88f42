// The size arithmetic the vertical and horizontal layouts share, written once over an axis.
#pragma once

#include "Toolkit/Controls/ContainerUI.h"

namespace SkinUI {

class CStackLayout {
public:
    // Places the children of container one after another inside inner along the axis (top to
    // bottom when vertical), floating children by their own offsets. Returns the length the
    // stacked children need.
    static int Place(CContainerUI& container, const TRect& inner, int childPadding, bool vertical);
};

} // namespace SkinUI
