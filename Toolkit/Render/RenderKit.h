// The drawing helpers controls paint with. Every operation writes only inside the context's clip;
// opaque writes store alpha FF.
#pragma once

#include "Toolkit/Render/Bitmap.h"
#include "Toolkit/Render/DrawContext.h"

namespace SkinUI {

// Pen styles of lines (the `borderstyle` values).
enum : int {
    kPenSolid = 0,
    kPenDash = 1,
    kPenDot = 2,
    kPenDashDot = 3,
    kPenDashDotDot = 4,
    kPenNull = 5,
};

class CRenderKit {
public:
    // Alpha 0 draws nothing, FF fills opaquely, anything else blends the colour with that alpha.
    static void DrawColor(CDrawContext& context, const TRect& rect, TColor color);

    // From first to second colour, top to bottom (or left to right): 8 bands when steps is below
    // 16, else 16, each band a solid colour. The alpha is the mean of the two alphas (0: nothing).
    static void DrawGradient(CDrawContext& context, const TRect& rect, TColor first, TColor second, bool vertical,
                             int steps);
    // First to second over the first half, second to third over the rest.
    static void DrawThreeColorGradient(CDrawContext& context, const TRect& rect, TColor first, TColor second,
                                       TColor third, bool vertical, int steps);

    // From (left, top) to (right, bottom), the end point excluded, in the colour's red, green and
    // blue. A wide pen spreads width pixels across the line starting width / 2 before it.
    static void DrawLine(CDrawContext& context, const TRect& fromTo, int width, TColor color, int style = kPenSolid);
    // A frame width pixels thick inside the rectangle, colour's alpha ignored, no fill.
    static void DrawRect(CDrawContext& context, const TRect& rect, int width, TColor color);
    // A rounded frame inside the rectangle: the rounded region less the region of the rectangle
    // shrunk by width whose ellipse is 2 * width smaller. Colour's alpha ignored.
    static void DrawRoundRect(CDrawContext& context, const TRect& rect, int width, int ellipseWidth,
                              int ellipseHeight, TColor color);
    // The rounded region filled as DrawColor fills.
    static void FillRoundRect(CDrawContext& context, const TRect& rect, int ellipseWidth, int ellipseHeight,
                              TColor color);

    // Source pixels are taken at the centre of each destination pixel: source x = source left +
    // (2 * dx + 1) * source width / (2 * destination width), likewise for y. Destination pixels
    // whose source pixel lies outside the bitmap are left alone.
    // 1:1 copy of the destination's size from (sourceX, sourceY).
    static void CopyBitmap(CDrawContext& context, const TRect& dest, const CBitmap& bitmap, int sourceX, int sourceY);
    // Copy stretched from source to dest.
    static void StretchBitmap(CDrawContext& context, const TRect& dest, const CBitmap& bitmap, const TRect& source);
    // Source-over of the premultiplied pixels scaled by fade / 255 (fade above 255 counts as 255).
    static void BlendBitmap(CDrawContext& context, const TRect& dest, const CBitmap& bitmap, const TRect& source,
                            unsigned fade);

    // Nine-slice: corners holds the left, top, right and bottom border widths. Blends when the
    // image has alpha or fade is below 255, else copies. Only the part inside paint is drawn;
    // pieces of zero or negative size are skipped. With hole the centre is left out; tiling repeats
    // the centre at its source size along the tiled axes.
    static void DrawImage(CDrawContext& context, const CBitmap& image, const TRect& dest, const TRect& paint,
                          const TRect& source, const TRect& corners, bool alpha, unsigned fade = 255,
                          bool hole = false, bool xtiled = false, bool ytiled = false);
};

} // namespace SkinUI
