#include "Toolkit/Render/Bitmap.h"
#include "Toolkit/Render/DrawContext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace SkinUI {
namespace {

struct TBlendCase {
    TPixel dst;
    TPixel src;
    TPixel expected;
};

TEST(RenderPixels, PremultiplyScaleAndBlendTruncateTheDivisionBy255)
{
    EXPECT_EQ(Premultiply(0x80C86432u), 0x80643219u); // 200 * 128 / 255 = 100, 100 -> 50, 50 -> 25
    EXPECT_EQ(Premultiply(0xFF123456u), 0xFF123456u);
    EXPECT_EQ(Premultiply(0x00FFFFFFu), 0u);
    EXPECT_EQ(ScalePixel(0xFFFF8001u, 128), 0x80804000u);
    EXPECT_EQ(ScalePixel(0x80643219u, 255), 0x80643219u);

    const TBlendCase cases[] = {
        {0xFFFFFFFFu, 0x80800000u, 0xFFFF7F7Fu}, // half red over white
        {0x00000000u, 0x80800000u, 0x80800000u}, // over nothing: the source itself
        {0xFF0000FFu, 0xFF00FF00u, 0xFF00FF00u}, // opaque source replaces
        {0xFF0000FFu, 0x00000000u, 0xFF0000FFu}, // transparent source keeps
        {0x80000080u, 0x80008000u, 0xBF00803Fu}, // translucent on translucent
    };
    for (const TBlendCase& c : cases)
        EXPECT_EQ(BlendPixel(c.dst, c.src), c.expected) << std::hex << c.dst << " " << c.src;
}

TEST(RenderBitmap, IsTopDownBlueGreenRedAlphaWithFourBytesPerPixel)
{
    CBitmap bitmap(3, 2);
    EXPECT_EQ(bitmap.GetStride(), 12);
    EXPECT_EQ(bitmap.GetPixel(2, 1), 0u);
    bitmap.SetPixel(1, 1, 0x11223344u);
    const std::uint8_t* bytes = bitmap.GetBits() + 1 * bitmap.GetStride() + 1 * 4;
    EXPECT_EQ(std::vector<int>(bytes, bytes + 4), (std::vector<int>{0x44, 0x33, 0x22, 0x11}));
    bitmap.Clear(0xFF000000u);
    EXPECT_EQ(bitmap.GetPixel(1, 1), 0xFF000000u);
}

TEST(RenderBitmap, RefusesEmptyNegativeAndOversizedSizes)
{
    const int sizes[][2] = {{0, 5}, {5, 0}, {-1, 5}, {CBitmap::kMaxSide + 1, 1}, {CBitmap::kMaxSide, CBitmap::kMaxSide}};
    for (const auto& size : sizes) {
        CBitmap bitmap(4, 4);
        EXPECT_FALSE(bitmap.Create(size[0], size[1])) << size[0] << "x" << size[1];
        EXPECT_TRUE(bitmap.IsEmpty());
        EXPECT_EQ(bitmap.GetWidth(), 0);
    }
}

TEST(RenderRect, IntersectionOfDisjointRectanglesIsAllZeros)
{
    EXPECT_EQ((TRect{0, 0, 10, 10}.Intersect({5, 2, 20, 8})), (TRect{5, 2, 10, 8}));
    EXPECT_EQ((TRect{0, 0, 10, 10}.Intersect({10, 0, 20, 10})), TRect{});
    EXPECT_FALSE((TRect{0, 0, 10, 10}.Intersects({3, 11, 4, 12})));
}

struct TSpanCase {
    int y;
    int left;
    int right;
};

std::vector<TSpanCase> SpansOf(const CRoundRegion& region, int top, int bottom)
{
    std::vector<TSpanCase> spans;
    for (int y = top; y < bottom; ++y) {
        int left = 0;
        int right = 0;
        if (region.RowSpan(y, left, right))
            spans.push_back({y, left, right});
    }
    return spans;
}

void ExpectSpans(const CRoundRegion& region, int top, int bottom, const std::vector<TSpanCase>& expected)
{
    const std::vector<TSpanCase> spans = SpansOf(region, top, bottom);
    ASSERT_EQ(spans.size(), expected.size());
    for (std::size_t i = 0; i < spans.size(); ++i) {
        EXPECT_EQ(spans[i].y, expected[i].y);
        EXPECT_EQ(spans[i].left, expected[i].left) << "row " << spans[i].y;
        EXPECT_EQ(spans[i].right, expected[i].right) << "row " << spans[i].y;
    }
}

TEST(RenderRoundRegion, CornersFollowTheEllipseThroughPixelCentres)
{
    // 12 x 12 with an 8 x 8 ellipse: three pixels cut from each corner, symmetric top and bottom.
    ExpectSpans(CRoundRegion({0, 0, 12, 12}, 8, 8), -1, 13,
                {{0, 2, 10}, {1, 1, 11}, {2, 0, 12}, {3, 0, 12}, {4, 0, 12}, {5, 0, 12}, {6, 0, 12},
                 {7, 0, 12}, {8, 0, 12}, {9, 0, 12}, {10, 1, 11}, {11, 2, 10}});
    // A wide, flat ellipse and an offset rectangle.
    ExpectSpans(CRoundRegion({10, 20, 22, 24}, 8, 4), 20, 24, {{20, 11, 21}, {21, 10, 22}, {22, 10, 22}, {23, 11, 21}});
    // No ellipse: a plain rectangle; an ellipse larger than the rectangle is limited to it.
    ExpectSpans(CRoundRegion({0, 0, 3, 2}, 0, 6), 0, 2, {{0, 0, 3}, {1, 0, 3}});
    ExpectSpans(CRoundRegion({0, 0, 4, 4}, 100, 100), 0, 4, {{0, 1, 3}, {1, 0, 4}, {2, 0, 4}, {3, 1, 3}});
    EXPECT_TRUE(SpansOf(CRoundRegion({5, 5, 5, 9}, 2, 2), 0, 10).empty());
}

TEST(RenderClip, PushedClipsIntersectAndPopRestores)
{
    CBitmap bitmap(20, 20);
    CDrawContext context(bitmap);
    EXPECT_EQ(context.GetClipBox(), (TRect{0, 0, 20, 20}));
    context.PushClip({-5, 2, 10, 30});
    context.PushClip({4, 0, 15, 8});
    EXPECT_EQ(context.GetClipBox(), (TRect{4, 2, 10, 8}));
    EXPECT_EQ(context.GetClipDepth(), 2);
    context.PopClip();
    EXPECT_EQ(context.GetClipBox(), (TRect{0, 2, 10, 20}));
    context.PopClip();
    context.PopClip(); // the whole bitmap stays
    EXPECT_EQ(context.GetClipBox(), (TRect{0, 0, 20, 20}));
    {
        const CRenderClip outside(context, {30, 30, 40, 40});
        EXPECT_TRUE(context.GetClipBox().IsEmpty());
        EXPECT_FALSE(context.IsVisible(0, 0));
    }
    EXPECT_TRUE(context.IsVisible(19, 19));
}

TEST(RenderClip, RoundClipCutsCornersOfEveryRowAndNestsWithRectangles)
{
    CBitmap bitmap(12, 12);
    CDrawContext context(bitmap);
    const CRenderClip round(context, {0, 0, 12, 12}, {0, 0, 12, 12}, 8, 8);
    EXPECT_FALSE(context.IsVisible(1, 0));
    EXPECT_TRUE(context.IsVisible(2, 0));
    EXPECT_FALSE(context.IsVisible(11, 11) || context.IsVisible(0, 10));
    int left = -100;
    int right = 100;
    EXPECT_TRUE(context.ClipRow(1, left, right));
    EXPECT_EQ(left, 1);
    EXPECT_EQ(right, 11);
    // A rectangle inside the round clip keeps the corner cut.
    const CRenderClip inner(context, {0, 0, 6, 6});
    left = 0;
    right = 12;
    EXPECT_TRUE(context.ClipRow(0, left, right));
    EXPECT_EQ(left, 2);
    EXPECT_EQ(right, 6);
}

} // namespace
} // namespace SkinUI
