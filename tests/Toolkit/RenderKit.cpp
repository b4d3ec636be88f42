#include "Toolkit/Render/RenderKit.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace SkinUI {
namespace {

constexpr TPixel kWhite = 0xFFFFFFFFu;
constexpr TPixel kInk = 0xFF204060u;

// The bitmap as one text line per row: '.' for the background, '#' for kInk, '?' for anything else.
std::vector<std::string> Picture(const CBitmap& bitmap, TPixel background = kWhite)
{
    std::vector<std::string> rows;
    for (int y = 0; y < bitmap.GetHeight(); ++y) {
        std::string row;
        for (int x = 0; x < bitmap.GetWidth(); ++x) {
            const TPixel pixel = bitmap.GetPixel(x, y);
            row += pixel == background ? '.' : pixel == kInk ? '#' : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

struct Canvas : ::testing::Test {
    void Reset(int width, int height, TPixel background = kWhite)
    {
        bitmap.Create(width, height);
        bitmap.Clear(background);
    }

    CBitmap bitmap{8, 8};
    CDrawContext context{bitmap};
};

struct TFillCase {
    TColor color;
    TPixel background;
    TPixel expected;
};

TEST_F(Canvas, ColourFillsAreOpaqueBlendedOrNothingByAlpha)
{
    const TFillCase cases[] = {
        {0xFF112233u, 0xFF0000FFu, 0xFF112233u},
        {0x80FF0000u, kWhite, 0xFFFF7F7Fu},
        {0x80FF0000u, 0u, 0x80800000u},
        {0x00FF0000u, 0xFF0000FFu, 0xFF0000FFu},
    };
    for (const TFillCase& c : cases) {
        Reset(8, 8, c.background);
        CRenderKit::DrawColor(context, {2, 3, 5, 4}, c.color);
        EXPECT_EQ(bitmap.GetPixel(2, 3), c.expected) << std::hex << c.color;
        EXPECT_EQ(bitmap.GetPixel(4, 3), c.expected) << std::hex << c.color;
        const std::pair<int, int> outside[] = {{1, 3}, {5, 3}, {2, 2}, {2, 4}};
        for (const auto& [x, y] : outside)
            EXPECT_EQ(bitmap.GetPixel(x, y), c.background);
    }
}

TEST_F(Canvas, FillsStayInsideNestedAndRoundClips)
{
    Reset(8, 6);
    {
        const CRenderClip outer(context, {1, 1, 7, 6});
        const CRenderClip inner(context, {0, 0, 5, 4});
        CRenderKit::DrawColor(context, {0, 0, 8, 6}, kInk);
    }
    CRenderKit::DrawColor(context, {7, 5, 8, 6}, kInk); // clip restored
    EXPECT_EQ(Picture(bitmap), (std::vector<std::string>{
                                   "........",
                                   ".####...",
                                   ".####...",
                                   ".####...",
                                   "........",
                                   ".......#",
                               }));
    Reset(8, 6);
    {
        const CRenderClip round(context, {0, 0, 8, 6}, {0, 0, 8, 6}, 6, 6);
        CRenderKit::DrawColor(context, {0, 0, 8, 6}, kInk);
    }
    EXPECT_EQ(Picture(bitmap), (std::vector<std::string>{
                                   ".######.",
                                   "########",
                                   "########",
                                   "########",
                                   "########",
                                   ".######.",
                               }));
}

TEST_F(Canvas, GradientsUseEightOrSixteenLinearBands)
{
    // 16 rows, 8 bands of 2 rows: blue = 255 * band / 7.
    Reset(1, 16);
    CRenderKit::DrawGradient(context, {0, 0, 1, 16}, 0xFF000000u, 0xFF0000FFu, true, 8);
    const unsigned eightBands[] = {0, 36, 72, 109, 145, 182, 218, 255};
    for (int y = 0; y < 16; ++y)
        EXPECT_EQ(bitmap.GetPixel(0, y), 0xFF000000u | eightBands[y / 2]) << "row " << y;

    // 16 steps on 16 columns, falling from first to second: red = 255 - 17 * band.
    Reset(16, 1);
    CRenderKit::DrawGradient(context, {0, 0, 16, 1}, 0xFFFF0000u, 0xFF000000u, false, 16);
    for (int x = 0; x < 16; ++x)
        EXPECT_EQ(RedOf(bitmap.GetPixel(x, 0)), 255u - 17u * static_cast<unsigned>(x)) << "column " << x;

    // 20 rows in 8 bands start at rows 20 * band / 8.
    Reset(1, 20);
    CRenderKit::DrawGradient(context, {0, 0, 1, 20}, 0xFF000000u, 0xFF0000FFu, true, 0);
    const int starts[] = {0, 2, 5, 7, 10, 12, 15, 17};
    for (int band = 0; band < 8; ++band) {
        EXPECT_EQ(BlueOf(bitmap.GetPixel(0, starts[band])), eightBands[band]);
        if (starts[band] > 0) {
            EXPECT_EQ(BlueOf(bitmap.GetPixel(0, starts[band] - 1)), eightBands[band - 1]);
        }
    }
}

TEST_F(Canvas, TranslucentGradientBlendsWithTheMeanAlphaAndThreeColoursSplitAtTheMiddle)
{
    Reset(1, 8);
    // Mean alpha (255 + 1) / 2 = 128; colour channels only from the two colours.
    CRenderKit::DrawGradient(context, {0, 0, 1, 8}, 0xFFFF0000u, 0x01FF0000u, true, 8);
    EXPECT_EQ(bitmap.GetPixel(0, 0), BlendPixel(kWhite, Premultiply(0x80FF0000u)));
    Reset(1, 8);
    CRenderKit::DrawGradient(context, {0, 0, 1, 8}, 0x00FF0000u, 0x01FF0000u, true, 8); // mean 0
    EXPECT_EQ(bitmap.GetPixel(0, 4), kWhite);

    // 33 rows: the upper 16 from first to second, the lower 17 from second to third.
    Reset(1, 33);
    CRenderKit::DrawThreeColorGradient(context, {0, 0, 1, 33}, 0xFF000000u, 0xFF0000FFu, 0xFF00FF00u, true, 8);
    EXPECT_EQ(bitmap.GetPixel(0, 0), 0xFF000000u);
    EXPECT_EQ(bitmap.GetPixel(0, 2), 0xFF000024u);
    EXPECT_EQ(bitmap.GetPixel(0, 15), 0xFF0000FFu);
    EXPECT_EQ(bitmap.GetPixel(0, 16), 0xFF0000FFu);
    EXPECT_EQ(bitmap.GetPixel(0, 30), 0xFF00FF00u);
    EXPECT_EQ(bitmap.GetPixel(0, 29), 0xFF00DA25u);
}

TEST_F(Canvas, FramesStayInsideTheirRectangle)
{
    Reset(8, 6);
    CRenderKit::DrawRect(context, {1, 1, 7, 6}, 2, 0x00204060u); // alpha ignored
    EXPECT_EQ(Picture(bitmap), (std::vector<std::string>{
                                   "........",
                                   ".######.",
                                   ".######.",
                                   ".##..##.",
                                   ".######.",
                                   ".######.",
                               }));
    Reset(4, 3);
    CRenderKit::DrawRect(context, {0, 0, 4, 3}, 0, kInk); // width 0 draws one pixel wide
    EXPECT_EQ(Picture(bitmap), (std::vector<std::string>{"####", "#..#", "####"}));
}

TEST_F(Canvas, RoundedFrameAndFillFollowTheCornerEllipse)
{
    Reset(12, 8);
    CRenderKit::DrawRoundRect(context, {0, 0, 12, 8}, 1, 8, 8, kInk);
    EXPECT_EQ(Picture(bitmap), (std::vector<std::string>{
                                   "..########..",
                                   ".#........#.",
                                   "#..........#",
                                   "#..........#",
                                   "#..........#",
                                   "#..........#",
                                   ".#........#.",
                                   "..########..",
                               }));
    Reset(12, 8);
    CRenderKit::FillRoundRect(context, {0, 0, 12, 8}, 8, 8, kInk);
    EXPECT_EQ(Picture(bitmap)[0], "..########..");
    EXPECT_EQ(Picture(bitmap)[1], ".##########.");
    EXPECT_EQ(Picture(bitmap)[4], "############");
    EXPECT_EQ(context.GetClipDepth(), 0);
}

TEST_F(Canvas, LinesExcludeTheEndPointAndSpreadWidePensAcross)
{
    Reset(10, 7);
    CRenderKit::DrawLine(context, {1, 0, 8, 0}, 1, kInk);
    CRenderKit::DrawLine(context, {4, 2, 4, 7}, 2, kInk);
    CRenderKit::DrawLine(context, {6, 2, 10, 4}, 1, kInk);
    EXPECT_EQ(Picture(bitmap), (std::vector<std::string>{
                                   ".#######..",
                                   "..........",
                                   "...##.#...",
                                   "...##..##.",
                                   "...##....#",
                                   "...##.....",
                                   "...##.....",
                               }));
}

TEST_F(Canvas, PenStylesDashTheLineAndTheNullPenDrawsNothing)
{
    const std::pair<int, const char*> cases[] = {
        {kPenDot, "###...###...###...###...###...###...###...###...###...###...###"},
        {kPenDash, "##################......##################......###############"},
        {kPenDashDot, "#########......###......#########......###......#########......"},
        {kPenDashDotDot, "#########...###...###...#########...###...###...#########...###"},
        {kPenNull, "..............................................................."},
        {kPenSolid, "###############################################################"},
    };
    for (const auto& [style, expected] : cases) {
        Reset(64, 1);
        CRenderKit::DrawLine(context, {0, 0, 63, 0}, 1, kInk, style);
        EXPECT_EQ(Picture(bitmap)[0].substr(0, 63), expected) << "style " << style;
    }
}

TEST_F(Canvas, HugeLinesOnlyWalkTheClippedPart)
{
    Reset(6, 3);
    const CRenderClip clip(context, {1, 0, 5, 3});
    CRenderKit::DrawLine(context, {-2000000000, 1, 2000000000, 1}, 1, kInk);
    CRenderKit::DrawLine(context, {3, 2000000000, 3, -2000000000}, 1, kInk);
    EXPECT_EQ(Picture(bitmap), (std::vector<std::string>{"...#..", ".####.", "...#.."}));
}

CBitmap NumberedImage(int width, int height)
{
    CBitmap image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixel(x, y, 0xFF000000u | static_cast<TPixel>(y << 8 | x));
    return image;
}

TPixel At(int x, int y) { return 0xFF000000u | static_cast<TPixel>(y << 8 | x); }

TEST_F(Canvas, CopiesAndStretchesSampleTheSourceAtPixelCentres)
{
    const CBitmap image = NumberedImage(4, 4);
    Reset(8, 8);
    CRenderKit::CopyBitmap(context, {5, 5, 8, 7}, image, 1, 2);
    EXPECT_EQ(bitmap.GetPixel(5, 5), At(1, 2));
    EXPECT_EQ(bitmap.GetPixel(7, 6), At(3, 3));

    CRenderKit::StretchBitmap(context, {0, 0, 4, 4}, image, {0, 0, 2, 2}); // doubled
    EXPECT_EQ(bitmap.GetPixel(1, 1), At(0, 0));
    EXPECT_EQ(bitmap.GetPixel(2, 1), At(1, 0));
    EXPECT_EQ(bitmap.GetPixel(3, 3), At(1, 1));
    CRenderKit::StretchBitmap(context, {4, 0, 6, 2}, image, {0, 0, 4, 4}); // halved: pixels 1 and 3
    EXPECT_EQ(bitmap.GetPixel(4, 0), At(1, 1));
    EXPECT_EQ(bitmap.GetPixel(5, 1), At(3, 3));

    // Source pixels outside the image leave the destination alone.
    Reset(4, 1);
    CRenderKit::CopyBitmap(context, {0, 0, 4, 1}, image, 2, 0);
    EXPECT_EQ(bitmap.GetPixel(1, 0), At(3, 0));
    EXPECT_EQ(bitmap.GetPixel(2, 0), kWhite);
}

TEST_F(Canvas, BlendsScaleTheSourceByFadeBeforeSourceOver)
{
    CBitmap red(2, 2);
    red.Clear(0xFFFF0000u);
    CBitmap halfRed(1, 1);
    halfRed.Clear(0x80800000u);
    const struct {
        const CBitmap* image;
        unsigned fade;
        TPixel expected;
    } cases[] = {
        {&red, 255, 0xFFFF0000u}, {&red, 128, 0xFF80007Fu},     {&red, 0, 0xFF0000FFu},
        {&halfRed, 255, 0xFF80007Fu}, {&halfRed, 1000, 0xFF80007Fu}, {&halfRed, 128, 0xFF4000BFu},
    };
    for (const auto& c : cases) {
        Reset(2, 2, 0xFF0000FFu);
        CRenderKit::BlendBitmap(context, {0, 0, 2, 2}, *c.image, c.image->GetBounds(), c.fade);
        EXPECT_EQ(bitmap.GetPixel(1, 1), c.expected) << "fade " << c.fade;
    }
}

TEST_F(Canvas, DrawingABitmapOntoItselfReadsTheOriginalPixels)
{
    bitmap = NumberedImage(4, 1);
    CRenderKit::CopyBitmap(context, {1, 0, 4, 1}, bitmap, 0, 0);
    EXPECT_EQ(bitmap.GetPixel(3, 0), At(2, 0));
}

// A 6 x 6 image whose 2-pixel borders make a nine-slice; each pixel is numbered by position.
struct NineSlice : Canvas {
    CBitmap image = NumberedImage(6, 6);
    const TRect corners{2, 2, 2, 2};
};

TEST_F(NineSlice, CornersKeepTheirSizeAndEdgesAndCentreStretch)
{
    Reset(10, 8);
    CRenderKit::DrawImage(context, image, {0, 0, 10, 8}, {0, 0, 10, 8}, image.GetBounds(), corners, false);
    const struct {
        int x, y;
        TPixel expected;
    } pixels[] = {
        {0, 0, At(0, 0)}, {1, 1, At(1, 1)}, {8, 0, At(4, 0)}, {9, 7, At(5, 5)}, {0, 7, At(0, 5)},
        {4, 0, At(2, 0)}, {5, 1, At(3, 1)}, // top edge: 6 columns from 2
        {0, 3, At(0, 2)}, {9, 5, At(5, 3)}, // side edges: 4 rows from 2
        {2, 2, At(2, 2)}, {7, 5, At(3, 3)}, // centre
    };
    for (const auto& p : pixels)
        EXPECT_EQ(bitmap.GetPixel(p.x, p.y), p.expected) << p.x << "," << p.y;
}

TEST_F(NineSlice, HolePaintRectangleAndNegativePiecesLimitWhatIsDrawn)
{
    Reset(10, 8);
    CRenderKit::DrawImage(context, image, {0, 0, 10, 8}, {0, 0, 5, 8}, image.GetBounds(), corners, false, 255, true);
    EXPECT_EQ(bitmap.GetPixel(0, 0), At(0, 0));
    EXPECT_EQ(bitmap.GetPixel(4, 0), At(2, 0));
    EXPECT_EQ(bitmap.GetPixel(4, 4), kWhite); // hole
    EXPECT_EQ(bitmap.GetPixel(5, 0), kWhite); // outside the paint rectangle
    EXPECT_EQ(bitmap.GetPixel(9, 7), kWhite);

    // A negative corner skips its pieces and nothing lands outside the destination.
    Reset(10, 8);
    CRenderKit::DrawImage(context, image, {2, 2, 8, 6}, {0, 0, 10, 8}, image.GetBounds(), {-2, 0, 0, 0}, false);
    EXPECT_EQ(bitmap.GetPixel(1, 3), kWhite);
    EXPECT_EQ(bitmap.GetPixel(2, 2), At(0, 0));
    EXPECT_EQ(bitmap.GetPixel(8, 3), kWhite);
    EXPECT_EQ(context.GetClipDepth(), 0);
}

TEST_F(NineSlice, TiledCentresRepeatAtSourceSizeAndCutTheLastTile)
{
    const CBitmap tile = NumberedImage(2, 2);
    Reset(5, 3);
    CRenderKit::DrawImage(context, tile, {0, 0, 5, 3}, {0, 0, 5, 3}, tile.GetBounds(), {}, false, 255, false, true, true);
    const int columns[] = {0, 1, 0, 1, 0};
    const int rows[] = {0, 1, 0};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(bitmap.GetPixel(x, y), At(columns[x], rows[y])) << x << "," << y;

    Reset(5, 4);
    CRenderKit::DrawImage(context, tile, {0, 0, 5, 4}, {0, 0, 5, 4}, tile.GetBounds(), {}, false, 255, false, true, false);
    EXPECT_EQ(bitmap.GetPixel(4, 0), At(0, 0));
    EXPECT_EQ(bitmap.GetPixel(3, 3), At(1, 1)); // rows stretched to the full height
}

TEST_F(NineSlice, AlphaOrFadeBlendsEveryPiece)
{
    Reset(6, 6, 0xFF0000FFu);
    CBitmap translucent(6, 6);
    translucent.Clear(0x80800000u);
    CRenderKit::DrawImage(context, translucent, {0, 0, 6, 6}, {0, 0, 6, 6}, translucent.GetBounds(), corners, true);
    EXPECT_EQ(bitmap.GetPixel(0, 0), 0xFF80007Fu);
    EXPECT_EQ(bitmap.GetPixel(3, 3), 0xFF80007Fu);
    Reset(6, 6, 0xFF0000FFu);
    CRenderKit::DrawImage(context, image, {0, 0, 6, 6}, {0, 0, 6, 6}, image.GetBounds(), corners, false, 128);
    EXPECT_EQ(bitmap.GetPixel(0, 0), BlendPixel(0xFF0000FFu, ScalePixel(At(0, 0), 128)));
}

} // namespace
} // namespace SkinUI
