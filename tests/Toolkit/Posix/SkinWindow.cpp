#include "Platform/Input.h"
#include "Platform/Posix/TestMessageBox.h"
#include "Platform/Posix/TestResource.h"
#include "tests/Toolkit/Posix/SkinWindowFixture.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ZipWriter.h"

#include <gtest/gtest.h>

namespace SkinUI::testing_support {
namespace {

using plat::test::DescribeWindow;
using plat::test::PumpMessages;

using SkinWindow = SkinWindowTest;

plat::LPARAM ScreenPoint(long x, long y) { return plat::MakeLParam(kOriginX + x, kOriginY + y); }

TEST_F(SkinWindow, TakesItsSizeAndShapeFromTheWindowElement)
{
    CTestWindow& window = Open(L"<Window size=\"300,200\" roundcorner=\"4,6\" alpha=\"128\" caption=\"0,0,0,30\">"
                               L"<Control/></Window>");
    const auto info = DescribeWindow(window.GetHWND());
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->rect.left, kOriginX);
    EXPECT_EQ(info->rect.top, kOriginY);
    EXPECT_EQ(info->rect.right - info->rect.left, 300);
    EXPECT_EQ(info->rect.bottom - info->rect.top, 200);
    EXPECT_EQ(info->style & plat::WS_CAPTION, 0u);
    EXPECT_NE(info->style & plat::WS_CLIPCHILDREN, 0u);
    const auto region = plat::test::WindowRegion(window.GetHWND());
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(region->rect.right, 301);
    EXPECT_EQ(region->rect.bottom, 201);
    EXPECT_EQ(region->ellipseWidth, 4);
    EXPECT_EQ(region->ellipseHeight, 6);
    EXPECT_EQ(plat::test::LayeredOpacity(window.GetHWND()), std::optional<std::uint8_t>(128));
    EXPECT_EQ(window.GetManager().GetCaptionRect(), (TRect{0, 0, 0, 30}));
    EXPECT_EQ(window.GetManager().GetRoot()->GetPos(), (TRect{0, 0, 300, 200}));
}

TEST_F(SkinWindow, ARequestedSizeWinsOverTheLayoutsSize)
{
    windows.push_back(std::make_unique<CTestWindow>(L"<Window size=\"300,200\"><Control/></Window>"));
    const plat::HWND hwnd = windows.back()->Create(nullptr, L"sized", plat::WS_POPUP, 0, 10, 20, 120, 90);
    const auto info = DescribeWindow(hwnd);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->rect.right - info->rect.left, 120);
    EXPECT_EQ(info->rect.bottom - info->rect.top, 90);
}

TEST_F(SkinWindow, HitTestsBordersGripAndCaptionOverPassiveControlsOnly)
{
    CTestWindow& window =
        Open(L"<Window size=\"300,200\" caption=\"0,0,0,100\" sizebox=\"4,4,4,4\" sizegrip=\"10,10\">"
             L"<VerticalLayout><Control/><Click name=\"button\" float=\"true\" pos=\"200,10,260,40\"/>"
             L"</VerticalLayout></Window>");
    const std::tuple<long, long, plat::LRESULT> cases[] = {
        {150, 99, plat::HTCAPTION}, {150, 100, plat::HTCLIENT},      {210, 20, plat::HTCLIENT},
        {2, 2, plat::HTTOPLEFT},    {150, 2, plat::HTTOP},           {298, 2, plat::HTTOPRIGHT},
        {2, 50, plat::HTLEFT},      {297, 150, plat::HTRIGHT},       {150, 197, plat::HTBOTTOM},
        {2, 198, plat::HTBOTTOMLEFT}, {292, 192, plat::HTBOTTOMRIGHT}, {150, 150, plat::HTCLIENT},
    };
    for (const auto& [x, y, expected] : cases)
        EXPECT_EQ(window.SendMessage(plat::WM_NCHITTEST, 0, ScreenPoint(x, y)), expected) << x << "," << y;

    // A press on the background drags the window; a press on the button clicks it.
    plat::test::InjectMouseDown(kOriginX + 150, kOriginY + 50);
    plat::test::InjectMouseMove(kOriginX + 180, kOriginY + 70);
    plat::test::InjectMouseUp(kOriginX + 180, kOriginY + 70);
    PumpMessages();
    EXPECT_EQ(DescribeWindow(window.GetHWND())->rect.left, kOriginX + 30);
    EXPECT_EQ(DescribeWindow(window.GetHWND())->rect.top, kOriginY + 20);
    plat::test::InjectClick(kOriginX + 30 + 210, kOriginY + 20 + 20);
    PumpMessages();
    EXPECT_EQ(DescribeWindow(window.GetHWND())->rect.left, kOriginX + 30);
    ASSERT_FALSE(window.notes.empty());
    EXPECT_EQ(window.notes.back(), (TNotified{L"click", L"button", 0, 0}));
}

TEST_F(SkinWindow, ReportsSizeLimitsFromTheLayoutAndTheWorkArea)
{
    CTestWindow& window = Open(L"<Window size=\"300,200\" mininfo=\"250,150\" maxinfo=\"800,0\"><Control/></Window>");
    plat::MINMAXINFO info{};
    info.ptMaxTrackSize = {5000, 5000};
    plat::SendMessage(window.GetHWND(), plat::WM_GETMINMAXINFO, 0, reinterpret_cast<plat::LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 250);
    EXPECT_EQ(info.ptMinTrackSize.y, 150);
    EXPECT_EQ(info.ptMaxTrackSize.x, 800);
    EXPECT_EQ(info.ptMaxTrackSize.y, 1040); // the work area above the task bar
    EXPECT_EQ(info.ptMaxPosition.x, 0);
}

TEST_F(SkinWindow, CentresOnItsOwnerInsideTheWorkArea)
{
    CTestWindow& owner = Open(L"<Window size=\"400,300\"><Control/></Window>");
    windows.push_back(std::make_unique<CTestWindow>(L"<Window size=\"100,50\"><Control/></Window>"));
    CTestWindow& child = *windows.back();
    child.Create(owner.GetHWND(), L"child", plat::WS_POPUP, 0, 0, 0, 0, 0);
    child.CenterWindow();
    auto info = DescribeWindow(child.GetHWND());
    EXPECT_EQ(info->rect.left, 100 + 200 - 50);
    EXPECT_EQ(info->rect.top, 50 + 150 - 25);

    plat::SetWindowPos(owner.GetHWND(), nullptr, 1850, 1000, 0, 0, plat::SWP_NOSIZE | plat::SWP_NOZORDER);
    child.CenterWindow();
    info = DescribeWindow(child.GetHWND());
    EXPECT_EQ(info->rect.right, 1920);
    EXPECT_EQ(info->rect.bottom, 1040);
}

TEST_F(SkinWindow, DefaultClicksMinimiseAndCloseUnlessTheWindowTakesThemFirst)
{
    CTestWindow& window =
        Open(L"<Window size=\"300,100\"><HorizontalLayout><Click name=\"btn_min\"/><Click name=\"btn_close\"/>"
             L"</HorizontalLayout></Window>");
    window.swallowClicksOf = {L"btn_close"};
    plat::test::InjectClick(kOriginX + 200, kOriginY + 50);
    PumpMessages();
    EXPECT_NE(window.GetHWND(), nullptr);
    plat::test::InjectClick(kOriginX + 50, kOriginY + 50);
    PumpMessages();
    EXPECT_TRUE(DescribeWindow(window.GetHWND())->minimized);

    plat::ShowWindow(window.GetHWND(), plat::SW_RESTORE);
    window.swallowClicksOf.clear();
    PumpMessages();
    plat::test::InjectClick(kOriginX + 200, kOriginY + 50);
    PumpMessages();
    EXPECT_EQ(window.GetHWND(), nullptr);
    EXPECT_EQ(window.finalCount, 1);
}

TEST_F(SkinWindow, ClosingSendsTheMatchingReleaseAndLeaveFirst)
{
    CTestWindow& window = Open(L"<Window size=\"100,100\"><Probe name=\"p\"/></Window>");
    auto* probe = window.Find<CProbeControl>(L"p");
    plat::test::InjectMouseDown(kOriginX + 50, kOriginY + 50);
    PumpMessages();
    TEventLog seen;
    probe->OnEvent += [&](TUIEvent& event) {
        seen.push_back(EventWord(event.type));
        return true;
    };
    window.Close();
    PumpMessages();
    EXPECT_EQ(seen, (TEventLog{L"leave", L"up", L"killfocus"}));
    EXPECT_EQ(window.GetHWND(), nullptr);
    EXPECT_EQ(window.finalCount, 1);
    EXPECT_EQ(window.initCount, 1);
}

TEST_F(SkinWindow, ReportsALayoutThatCannotBeBuilt)
{
    static int failures = 0;
    failures = 0;
    WindowImplBase::SetLoadFailureHandler([] { ++failures; });
    CTestWindow& window = Open(L"<Window><Control name='quoted'/></Window>");
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(window.GetManager().GetRoot(), nullptr);
    EXPECT_EQ(window.initCount, 0);
}

TEST_F(SkinWindow, EndsTheProcessWithTheErrorBoxByDefault)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            WindowImplBase::SetLoadFailureHandler(nullptr);
            CTestWindow window(L"<Window><Unclosed></Window>");
            window.Create(nullptr, L"broken", plat::WS_POPUP, 0, 0, 0, 0, 0);
            // Not reached: creation exits.
            std::fprintf(stderr, "still running\n");
        },
        ::testing::ExitedWithCode(1), "");
}

TEST_F(SkinWindow, BuildsFromTheInMemoryArchiveResourceOnceLoaded)
{
    const std::string zip = testsupport::MakeZip({{"layout.xml", "<Window size=\"64,32\"><Control name=\"zipped\"/></Window>"}});
    plat::test::SetResource(150, L"ZIPRES", std::vector<unsigned char>(zip.begin(), zip.end()));
    windows.push_back(std::make_unique<CTestWindow>(L"layout.xml", kSkinResourceArchive));
    windows.back()->Open();
    EXPECT_NE(windows.back()->GetManager().FindControl(L"zipped"), nullptr);
    EXPECT_EQ(CSkinArchive::Process().GetResourceZip(), CSkinArchive::kMemoryArchiveName);

    // The bytes are kept for the process: a second window needs no resource.
    plat::test::ClearResources();
    windows.push_back(std::make_unique<CTestWindow>(L"layout.xml", kSkinResourceArchive));
    windows.back()->Open();
    EXPECT_NE(windows.back()->GetManager().FindControl(L"zipped"), nullptr);

    // Without the resource and the kept bytes the window stays empty.
    WindowImplBase::ReleaseSkinBuffer();
    CSkinArchive::Process().Reset();
    windows.push_back(std::make_unique<CTestWindow>(L"layout.xml", kSkinResourceArchive));
    windows.back()->Open();
    EXPECT_NE(windows.back()->GetHWND(), nullptr);
    EXPECT_EQ(windows.back()->GetManager().GetRoot(), nullptr);
}

TEST_F(SkinWindow, BuildsFromAFolderOrAnArchiveFileInTheResourcePath)
{
    testsupport::TempFolder folder;
    folder.WriteFile(L"plain.xml", "<Window size=\"10,10\"><Control name=\"from-folder\"/></Window>");
    folder.WriteFile(L"skin.zip",
                     testsupport::MakeZip({{"Zipped.xml", "<Window size=\"10,10\"><Control name=\"from-zip\"/></Window>"}}));
    CSkinArchive::Process().SetResourcePath(folder.Path());

    windows.push_back(std::make_unique<CTestWindow>(L"plain.xml", kSkinFolder));
    windows.back()->Open();
    EXPECT_NE(windows.back()->GetManager().FindControl(L"from-folder"), nullptr);

    windows.push_back(std::make_unique<CTestWindow>(L"zipped.XML", kSkinArchiveFile, L"skin.zip"));
    windows.back()->Open();
    EXPECT_NE(windows.back()->GetManager().FindControl(L"from-zip"), nullptr);
}

// A modal test window that deletes itself when its native window is gone, as message boxes do.
class CSelfDeletingWindow : public CTestWindow {
public:
    using CTestWindow::CTestWindow;
    bool escapeCloses = true;

protected:
    bool OnDefaultKey(plat::WPARAM key) override { return escapeCloses && CTestWindow::OnDefaultKey(key); }
    void OnFinalMessage(plat::HWND window) override
    {
        CTestWindow::OnFinalMessage(window);
        delete this;
    }
};

struct TModalCase {
    const char* what;
    bool escapeCloses;
    int key;          // injected before the modal loop, 0 for none
    int closeCode;    // posted before the modal loop, -1 for none
    unsigned expected;
};

TEST_F(SkinWindow, ShowModalReturnsTheCodeOfTheCloseRequest)
{
    CTestWindow& owner = Open(L"<Window size=\"400,300\"><Control/></Window>");
    const TModalCase cases[] = {
        {"Escape closes with 1", true, plat::VK_ESCAPE, -1, 1},
        {"Close(2) returns 2", true, 0, 2, 2},
        {"Enter does nothing by default", true, plat::VK_RETURN, 5, 5},
        {"an overridden default key ignores Escape", false, plat::VK_ESCAPE, 7, 7},
    };
    for (const TModalCase& c : cases) {
        SCOPED_TRACE(c.what);
        auto* modal = new CSelfDeletingWindow(L"<Window size=\"100,80\"><Click name=\"ok\" tabstop=\"true\"/></Window>");
        modal->escapeCloses = c.escapeCloses;
        modal->Create(owner.GetHWND(), L"modal", plat::WS_POPUP, 0, 0, 0, 0, 0);
        if (c.key != 0)
            plat::test::InjectKey(c.key);
        if (c.closeCode >= 0)
            modal->Close(static_cast<unsigned>(c.closeCode));
        EXPECT_EQ(modal->ShowModal(), c.expected);
        EXPECT_TRUE(DescribeWindow(owner.GetHWND())->enabled);
    }
}

TEST_F(SkinWindow, AQuitRequestEndsTheModalLoopAndIsPostedAgain)
{
    CTestWindow& owner = Open(L"<Window size=\"400,300\"><Control/></Window>");
    windows.push_back(std::make_unique<CTestWindow>(L"<Window size=\"100,80\"><Control/></Window>"));
    CTestWindow& modal = *windows.back();
    modal.Create(owner.GetHWND(), L"modal", plat::WS_POPUP, 0, 0, 0, 0, 0);
    plat::PostQuitMessage(9);
    EXPECT_EQ(modal.ShowModal(), 0u);
    plat::MSG msg{};
    ASSERT_TRUE(plat::PeekMessage(&msg, nullptr, 0, 0, plat::PM_REMOVE));
    EXPECT_EQ(msg.message, plat::WM_QUIT);
    EXPECT_EQ(msg.wParam, 9u);
    EXPECT_TRUE(DescribeWindow(owner.GetHWND())->enabled);
}

} // namespace
} // namespace SkinUI::testing_support
