#include "Toolkit/Render/RenderKit.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <optional>
#include <span>

namespace SkinUI {

namespace {

constexpr TPixel kOpaque = 0xFF000000u;
// Larger extents would overflow the 64-bit sampling arithmetic.
constexpr long long kMaxExtent = 1LL << 30;

int ClampToInt(long long value)
{
    return static_cast<int>(std::clamp<long long>(value, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

TRect MakeRect(long long left, long long top, long long right, long long bottom)
{
    return {ClampToInt(left), ClampToInt(top), ClampToInt(right), ClampToInt(bottom)};
}

long long WidthOf(const TRect& rect) { return static_cast<long long>(rect.right) - rect.left; }
long long HeightOf(const TRect& rect) { return static_cast<long long>(rect.bottom) - rect.top; }

// Calls paint(row, y, left, right) for every run of the rectangle the clip lets through.
template <class Paint>
void ForEachRun(CDrawContext& context, const TRect& rect, Paint paint)
{
    const TRect area = rect.Intersect(context.GetClipBox());
    CBitmap& target = context.GetTarget();
    for (int y = area.top; y < area.bottom; ++y) {
        int left = area.left;
        int right = area.right;
        if (context.ClipRow(y, left, right))
            paint(target.Row(y), y, left, right);
    }
}

void FillOpaque(CDrawContext& context, const TRect& rect, TPixel pixel)
{
    ForEachRun(context, rect, [pixel](TPixel* row, int, int left, int right) { std::fill(row + left, row + right, pixel); });
}

void FillColor(CDrawContext& context, const TRect& rect, TColor color)
{
    const unsigned alpha = AlphaOf(color);
    if (alpha == 0)
        return;
    if (alpha == 255) {
        FillOpaque(context, rect, color);
        return;
    }
    const TPixel source = Premultiply(color);
    ForEachRun(context, rect, [source](TPixel* row, int, int left, int right) {
        for (int x = left; x < right; ++x)
            row[x] = BlendPixel(row[x], source);
    });
}

// first + (second - first) * index / last, truncated toward zero.
unsigned Interpolate(unsigned first, unsigned second, int index, int last)
{
    return static_cast<unsigned>(static_cast<int>(first) +
                                 (static_cast<int>(second) - static_cast<int>(first)) * index / last);
}

// Part [from, to) of the rectangle along the gradient's axis, offsets from its start.
TRect AxisSlice(const TRect& rect, bool vertical, long long from, long long to)
{
    if (vertical)
        return MakeRect(rect.left, rect.top + from, rect.right, rect.top + to);
    return MakeRect(rect.left + from, rect.top, rect.left + to, rect.bottom);
}

// Dash lengths, on and off in turn, in units of the pen width.
std::span<const int> DashPattern(int style)
{
    static constexpr int kDash[] = {18, 6};
    static constexpr int kDot[] = {3, 3};
    static constexpr int kDashDot[] = {9, 6, 3, 6};
    static constexpr int kDashDotDot[] = {9, 3, 3, 3, 3, 3};
    switch (style) {
    case kPenDash: return kDash;
    case kPenDot: return kDot;
    case kPenDashDot: return kDashDot;
    case kPenDashDotDot: return kDashDotDot;
    default: return {};
    }
}

bool IsPenDown(std::span<const int> pattern, long long width, long long position)
{
    if (pattern.empty())
        return true;
    long long period = 0;
    for (int length : pattern)
        period += length * width;
    long long at = position % period;
    for (std::size_t k = 0; k < pattern.size(); ++k) {
        const long long length = pattern[k] * width;
        if (at < length)
            return k % 2 == 0;
        at -= length;
    }
    return true;
}

void FillRun(CDrawContext& context, long long y, long long left, long long right, TPixel pixel)
{
    FillOpaque(context, MakeRect(left, y, right, y + 1), pixel);
}

// Steps [first, last) of a line from start along direction whose major coordinate lies in [low, high).
void VisibleSteps(long long start, int direction, long long low, long long high, long long& first, long long& last)
{
    if (direction > 0) {
        first = std::max(first, low - start);
        last = std::min(last, high - start);
    } else {
        first = std::max(first, start - high + 1);
        last = std::min(last, start - low + 1);
    }
}

template <class Op>
void Transfer(CDrawContext& context, const TRect& dest, const CBitmap& bitmap, const TRect& source, Op op)
{
    const long long destWidth = WidthOf(dest);
    const long long destHeight = HeightOf(dest);
    const long long sourceWidth = WidthOf(source);
    const long long sourceHeight = HeightOf(source);
    if (bitmap.IsEmpty() || destWidth <= 0 || destHeight <= 0 || sourceWidth <= 0 || sourceHeight <= 0)
        return;
    if (destWidth > kMaxExtent || destHeight > kMaxExtent || sourceWidth > kMaxExtent || sourceHeight > kMaxExtent)
        return;
    std::optional<CBitmap> copy;
    if (&bitmap == &context.GetTarget())
        copy.emplace(bitmap);
    const CBitmap& from = copy ? *copy : bitmap;
    ForEachRun(context, dest, [&](TPixel* row, int y, int left, int right) {
        const long long sy = source.top + (2LL * (y - dest.top) + 1) * sourceHeight / (2 * destHeight);
        if (sy < 0 || sy >= from.GetHeight())
            return;
        const TPixel* sourceRow = from.Row(static_cast<int>(sy));
        for (int x = left; x < right; ++x) {
            const long long sx = source.left + (2LL * (x - dest.left) + 1) * sourceWidth / (2 * destWidth);
            if (sx >= 0 && sx < from.GetWidth())
                row[x] = op(row[x], sourceRow[sx]);
        }
    });
}

} // namespace

void CRenderKit::DrawColor(CDrawContext& context, const TRect& rect, TColor color)
{
    FillColor(context, rect, color);
}

void CRenderKit::DrawGradient(CDrawContext& context, const TRect& rect, TColor first, TColor second, bool vertical,
                              int steps)
{
    const unsigned alpha = (AlphaOf(first) + AlphaOf(second)) / 2;
    if (alpha == 0 || rect.IsEmpty())
        return;
    const int bands = steps < 16 ? 8 : 16;
    const long long length = vertical ? HeightOf(rect) : WidthOf(rect);
    for (int band = 0; band < bands; ++band) {
        const TColor color =
            MakeArgb(alpha, Interpolate(RedOf(first), RedOf(second), band, bands - 1),
                     Interpolate(GreenOf(first), GreenOf(second), band, bands - 1),
                     Interpolate(BlueOf(first), BlueOf(second), band, bands - 1));
        FillColor(context, AxisSlice(rect, vertical, length * band / bands, length * (band + 1) / bands), color);
    }
}

void CRenderKit::DrawThreeColorGradient(CDrawContext& context, const TRect& rect, TColor first, TColor second,
                                        TColor third, bool vertical, int steps)
{
    if (rect.IsEmpty())
        return;
    const long long length = vertical ? HeightOf(rect) : WidthOf(rect);
    DrawGradient(context, AxisSlice(rect, vertical, 0, length / 2), first, second, vertical, steps);
    DrawGradient(context, AxisSlice(rect, vertical, length / 2, length), second, third, vertical, steps);
}

// The minor coordinate of step i is the nearest to i * minor / major (halves rounded up), so
// only the steps inside the clip need to be walked.
void CRenderKit::DrawLine(CDrawContext& context, const TRect& fromTo, int width, TColor color, int style)
{
    const TRect box = context.GetClipBox();
    if (style == kPenNull || box.IsEmpty())
        return;
    const long long pen = std::max(1, width);
    const TPixel pixel = color | kOpaque;
    const long long dx = static_cast<long long>(fromTo.right) - fromTo.left;
    const long long dy = static_cast<long long>(fromTo.bottom) - fromTo.top;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const long long major = xMajor ? std::llabs(dx) : std::llabs(dy);
    const long long minor = xMajor ? std::llabs(dy) : std::llabs(dx);
    const long long majorStart = xMajor ? fromTo.left : fromTo.top;
    const long long minorStart = xMajor ? fromTo.top : fromTo.left;
    const int majorStep = (xMajor ? dx : dy) >= 0 ? 1 : -1;
    const int minorStep = (xMajor ? dy : dx) >= 0 ? 1 : -1;
    const std::span<const int> pattern = DashPattern(style);

    long long first = 0;
    long long last = major;
    VisibleSteps(majorStart, majorStep, xMajor ? box.left : box.top, xMajor ? box.right : box.bottom, first, last);
    // Across the line only the clip's extent can show.
    const long long acrossLow = xMajor ? box.top : box.left;
    const long long acrossHigh = xMajor ? box.bottom : box.right;
    for (long long step = first; step < last; ++step) {
        if (!IsPenDown(pattern, pen, step))
            continue;
        const long long along = majorStart + majorStep * step;
        const long long across = minorStart + minorStep * ((2 * step * minor + major) / (2 * major));
        const long long low = std::max(across - pen / 2, acrossLow);
        const long long high = std::min(across - pen / 2 + pen, acrossHigh);
        if (xMajor) {
            for (long long y = low; y < high; ++y)
                FillRun(context, y, along, along + 1, pixel);
        } else {
            FillRun(context, along, low, high, pixel);
        }
    }
}

void CRenderKit::DrawRect(CDrawContext& context, const TRect& rect, int width, TColor color)
{
    if (rect.IsEmpty())
        return;
    const long long pen = std::max(1, width);
    const TPixel pixel = color | kOpaque;
    if (2 * pen >= WidthOf(rect) || 2 * pen >= HeightOf(rect)) {
        FillOpaque(context, rect, pixel);
        return;
    }
    const int w = static_cast<int>(pen);
    FillOpaque(context, {rect.left, rect.top, rect.right, rect.top + w}, pixel);
    FillOpaque(context, {rect.left, rect.bottom - w, rect.right, rect.bottom}, pixel);
    FillOpaque(context, {rect.left, rect.top + w, rect.left + w, rect.bottom - w}, pixel);
    FillOpaque(context, {rect.right - w, rect.top + w, rect.right, rect.bottom - w}, pixel);
}

void CRenderKit::DrawRoundRect(CDrawContext& context, const TRect& rect, int width, int ellipseWidth,
                               int ellipseHeight, TColor color)
{
    if (rect.IsEmpty())
        return;
    const long long pen = std::max(1, width);
    const TPixel pixel = color | kOpaque;
    const CRoundRegion outer(rect, ellipseWidth, ellipseHeight);
    const CRoundRegion inner(MakeRect(rect.left + pen, rect.top + pen, rect.right - pen, rect.bottom - pen),
                             ClampToInt(ellipseWidth - 2 * pen), ClampToInt(ellipseHeight - 2 * pen));
    ForEachRun(context, rect, [&](TPixel* row, int y, int left, int right) {
        int outerLeft = 0;
        int outerRight = 0;
        if (!outer.RowSpan(y, outerLeft, outerRight))
            return;
        int innerLeft = outerRight;
        int innerRight = outerRight;
        inner.RowSpan(y, innerLeft, innerRight);
        const auto fill = [&](int from, int to) {
            from = std::max(from, left);
            to = std::min(to, right);
            if (from < to)
                std::fill(row + from, row + to, pixel);
        };
        fill(outerLeft, innerLeft);
        fill(innerRight, outerRight);
    });
}

void CRenderKit::FillRoundRect(CDrawContext& context, const TRect& rect, int ellipseWidth, int ellipseHeight,
                               TColor color)
{
    const CRenderClip clip(context, rect, rect, ellipseWidth, ellipseHeight);
    FillColor(context, rect, color);
}

void CRenderKit::CopyBitmap(CDrawContext& context, const TRect& dest, const CBitmap& bitmap, int sourceX, int sourceY)
{
    const TRect source = MakeRect(sourceX, sourceY, sourceX + WidthOf(dest), sourceY + HeightOf(dest));
    StretchBitmap(context, dest, bitmap, source);
}

void CRenderKit::StretchBitmap(CDrawContext& context, const TRect& dest, const CBitmap& bitmap, const TRect& source)
{
    Transfer(context, dest, bitmap, source, [](TPixel, TPixel from) { return from; });
}

void CRenderKit::BlendBitmap(CDrawContext& context, const TRect& dest, const CBitmap& bitmap, const TRect& source,
                             unsigned fade)
{
    fade = std::min(fade, 255u);
    if (fade == 0)
        return;
    if (fade == 255) {
        Transfer(context, dest, bitmap, source, [](TPixel to, TPixel from) { return BlendPixel(to, from); });
        return;
    }
    Transfer(context, dest, bitmap, source,
             [fade](TPixel to, TPixel from) { return BlendPixel(to, ScalePixel(from, fade)); });
}

namespace {

struct TNineSlice {
    CDrawContext& context;
    const CBitmap& image;
    const TRect& paint;
    bool blend;
    unsigned fade;

    void Piece(const TRect& dest, const TRect& source) const
    {
        if (dest.IsEmpty() || source.IsEmpty() || !dest.Intersects(paint))
            return;
        if (blend)
            CRenderKit::BlendBitmap(context, dest, image, source, fade);
        else
            CRenderKit::StretchBitmap(context, dest, image, source);
    }

    // Tiles repeat the source at its own size along a tiled axis and stretch along the other;
    // only the tiles that meet the clip are visited.
    void Centre(const TRect& dest, const TRect& source, bool xtiled, bool ytiled) const
    {
        const TRect box = context.GetClipBox().Intersect(dest);
        if (box.IsEmpty() || source.IsEmpty())
            return;
        const long long tileWidth = xtiled ? WidthOf(source) : WidthOf(dest);
        const long long tileHeight = ytiled ? HeightOf(source) : HeightOf(dest);
        const long long firstColumn = (box.left - static_cast<long long>(dest.left)) / tileWidth;
        const long long firstRow = (box.top - static_cast<long long>(dest.top)) / tileHeight;
        for (long long y = dest.top + firstRow * tileHeight; y < box.bottom; y += tileHeight) {
            const long long height = std::min(tileHeight, dest.bottom - y);
            for (long long x = dest.left + firstColumn * tileWidth; x < box.right; x += tileWidth) {
                const long long width = std::min(tileWidth, dest.right - x);
                Piece(MakeRect(x, y, x + width, y + height),
                      MakeRect(source.left, source.top, xtiled ? source.left + width : source.right,
                               ytiled ? source.top + height : source.bottom));
            }
        }
    }
};

} // namespace

// Drawing is kept inside dest as well, so negative corner widths cannot spill beyond it.
void CRenderKit::DrawImage(CDrawContext& context, const CBitmap& image, const TRect& dest, const TRect& paint,
                           const TRect& source, const TRect& corners, bool alpha, unsigned fade, bool hole,
                           bool xtiled, bool ytiled)
{
    fade = std::min(fade, 255u);
    if (image.IsEmpty() || dest.IsEmpty() || fade == 0)
        return;
    const CRenderClip clip(context, paint.Intersect(dest));
    const TNineSlice slice{context, image, paint, alpha || fade < 255, fade};
    const long long dl = dest.left, dt = dest.top, dr = dest.right, db = dest.bottom;
    const long long sl = source.left, st = source.top, sr = source.right, sb = source.bottom;
    const long long cl = corners.left, ct = corners.top, cr = corners.right, cb = corners.bottom;
    if (!hole)
        slice.Centre(MakeRect(dl + cl, dt + ct, dr - cr, db - cb), MakeRect(sl + cl, st + ct, sr - cr, sb - cb),
                     xtiled, ytiled);
    slice.Piece(MakeRect(dl, dt, dl + cl, dt + ct), MakeRect(sl, st, sl + cl, st + ct));
    slice.Piece(MakeRect(dl + cl, dt, dr - cr, dt + ct), MakeRect(sl + cl, st, sr - cr, st + ct));
    slice.Piece(MakeRect(dr - cr, dt, dr, dt + ct), MakeRect(sr - cr, st, sr, st + ct));
    slice.Piece(MakeRect(dl, dt + ct, dl + cl, db - cb), MakeRect(sl, st + ct, sl + cl, sb - cb));
    slice.Piece(MakeRect(dr - cr, dt + ct, dr, db - cb), MakeRect(sr - cr, st + ct, sr, sb - cb));
    slice.Piece(MakeRect(dl, db - cb, dl + cl, db), MakeRect(sl, sb - cb, sl + cl, sb));
    slice.Piece(MakeRect(dl + cl, db - cb, dr - cr, db), MakeRect(sl + cl, sb - cb, sr - cr, sb));
    slice.Piece(MakeRect(dr - cr, db - cb, dr, db), MakeRect(sr - cr, sb - cb, sr, sb));
}

} // namespace SkinUI
