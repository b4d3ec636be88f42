#include "Toolkit/Render/DrawContext.h"

#include "tests/Toolkit/ToolkitFixtures.h"

#include <gtest/gtest.h>

#include <string>

namespace SkinUI {
namespace {

using testing_support::BuildControl;

constexpr TColor kBlue = 0xFF0000FFu;
constexpr TColor kRed = 0xFFFF0000u;
constexpr TColor kGreen = 0xFF00FF00u;
constexpr TColor kYellow = 0xFFFFFF00u;
constexpr TColor kHalfWhite = 0x80FFFFFFu;

struct TPixelCase {
    int x;
    int y;
    TPixel expected;
    const char* what;
};

// Lays the markup out at (0,0,width,height) and paints paint into a fresh bitmap.
CBitmap Paint(const std::wstring& markup, int width, int height, TRect paint)
{
    const auto root = BuildControl(markup);
    EXPECT_NE(root, nullptr);
    CBitmap bitmap(width, height);
    if (root == nullptr)
        return bitmap;
    root->SetPos({0, 0, width, height});
    CDrawContext context(bitmap);
    root->DoPaint(context, paint);
    EXPECT_EQ(context.GetClipDepth(), 0) << "every clip is popped again";
    return bitmap;
}

void ExpectPixels(const CBitmap& bitmap, const std::vector<TPixelCase>& cases)
{
    for (const TPixelCase& c : cases)
        EXPECT_EQ(bitmap.GetPixel(c.x, c.y), c.expected) << c.what << " at " << c.x << "," << c.y;
}

TEST(ControlPaint, PaintsBackgroundsChildrenAndBordersInOrderWithClipping)
{
    const CBitmap bitmap = Paint(
        L"<VerticalLayout bkcolor=\"#FF0000FF\" inset=\"2,2,2,2\">"
        L"<Control height=\"10\" width=\"50\" bkcolor=\"#FFFF0000\" bordercolor=\"#FF00FF00\" bordersize=\"1\"/>"
        L"<Control bkcolor=\"#80FFFFFF\"/>"
        L"<Control float=\"true\" pos=\"30,20,50,40\" bkcolor=\"#FF00FF00\"/>"
        L"<Control float=\"true\" pos=\"0,0,2,2\" bkcolor=\"#FFFFFF00\"/>"
        L"</VerticalLayout>",
        40, 30, {0, 0, 40, 30});
    const TPixel blended = BlendPixel(Premultiply(kBlue), Premultiply(kHalfWhite));
    ExpectPixels(bitmap, {
                             {2, 2, Premultiply(kGreen), "border over the child's background"},
                             {5, 5, Premultiply(kRed), "child background"},
                             {37, 5, Premultiply(kRed), "child clipped at the inner edge"},
                             {38, 5, Premultiply(kBlue), "inset area outside the inner rectangle"},
                             {10, 20, blended, "translucent child blended over its parent"},
                             {35, 25, Premultiply(kGreen), "floating child over the inset, clipped by the parent"},
                             {0, 0, Premultiply(kYellow), "floating child in the inset area"},
                             {1, 29, Premultiply(kBlue), "parent background"},
                         });
}

TEST(ControlPaint, PaintsOnlyInsideThePaintRectangle)
{
    const CBitmap bitmap = Paint(L"<Container bkcolor=\"#FF0000FF\"><Control bkcolor=\"#FFFF0000\" "
                                 L"float=\"true\" pos=\"10,10,20,20\"/></Container>",
                                 30, 30, {0, 0, 15, 15});
    ExpectPixels(bitmap, {
                             {14, 14, Premultiply(kRed), "inside both"},
                             {15, 15, 0, "outside the paint rectangle"},
                             {20, 5, 0, "background outside the paint rectangle"},
                             {5, 5, Premultiply(kBlue), "background inside"},
                         });
}

TEST(ControlPaint, RoundedBordersClipTheCornersAndGradientsRunTopToBottom)
{
    const CBitmap round = Paint(L"<Control bkcolor=\"#FFFF0000\" borderround=\"10,10\"/>", 20, 20, {0, 0, 20, 20});
    ExpectPixels(round, {{0, 0, 0, "outside the corner ellipse"}, {10, 10, Premultiply(kRed), "inside"}});

    const CBitmap gradient =
        Paint(L"<Control bkcolor=\"#FFFF0000\" bkcolor2=\"#FF0000FF\"/>", 4, 32, {0, 0, 4, 32});
    ExpectPixels(gradient, {{0, 0, Premultiply(kRed), "first colour on top"},
                            {0, 31, Premultiply(kBlue), "second colour at the bottom"}});

    const CBitmap sides = Paint(L"<Control bordercolor=\"#FF00FF00\" bordersize=\"0,0,0,1\"/>", 10, 10, {0, 0, 10, 10});
    ExpectPixels(sides, {{5, 9, Premultiply(kGreen), "bottom side along the last row"},
                         {5, 8, 0, "nothing above it"},
                         {0, 5, 0, "no left side"}});
}

} // namespace
} // namespace SkinUI
