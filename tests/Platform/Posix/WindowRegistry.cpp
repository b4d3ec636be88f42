// The window records the rest of the emulation reads: what creation asked for, the tree of
// parents and owners, and their end with the window.
#include "Platform/Posix/WindowRegistry.h"
#include "Platform/Thread.h"
#include "Platform/Window.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using namespace plat;

std::vector<std::pair<HWND, UINT>> g_destruction;

LRESULT DestructionProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY || message == WM_NCDESTROY)
        g_destruction.emplace_back(window, message);
    return DefWindowProc(window, message, wParam, lParam);
}

class WindowRegistry : public ::testing::Test {
protected:
    static constexpr const wchar_t* kClass = L"WindowRegistryTestClass";

    void SetUp() override {
        g_destruction.clear();
        ASSERT_TRUE(RegisterClass(WindowClass{.name = kClass, .proc = DestructionProc, .style = CS_DBLCLKS}));
    }
    void TearDown() override { EXPECT_TRUE(UnregisterClass(kClass, nullptr)); }

    static HWND Create(const wchar_t* title, DWORD style, int x, int y, int width, int height, HWND parent) {
        return CreateWindowEx(0x8, kClass, title, style, x, y, width, height, parent, nullptr);
    }
};

TEST_F(WindowRegistry, RecordsWhatCreationAskedFor) {
    HWND owner = Create(L"Owner", 0x80000000u, 10, 20, 300, 200, nullptr);
    HWND owned = Create(L"Owned", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner);
    HWND helper = Create(nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE);
    ASSERT_TRUE(owner && owned && helper);
    SetWindowLongPtr(helper, GWLP_USERDATA, 77);

    const auto ownerRecord = posix::FindWindowRecord(owner);
    ASSERT_TRUE(ownerRecord);
    EXPECT_EQ(ownerRecord->className, kClass);
    EXPECT_EQ(ownerRecord->classStyle, CS_DBLCLKS);
    EXPECT_EQ(ownerRecord->title, L"Owner");
    EXPECT_EQ(ownerRecord->style, 0x80000000u);
    EXPECT_EQ(ownerRecord->exStyle, 0x8u);
    EXPECT_EQ(ownerRecord->parent, nullptr);
    EXPECT_EQ(ownerRecord->owner, nullptr);
    const posix::WindowRect rect = ownerRecord->rect;
    EXPECT_EQ((std::vector<long>{rect.left, rect.top, rect.right, rect.bottom}),
              (std::vector<long>{10, 20, 310, 220}));
    EXPECT_EQ(ownerRecord->proc, DestructionProc);
    EXPECT_EQ(ownerRecord->threadId, GetCurrentThreadId());

    EXPECT_EQ(posix::FindWindowRecord(owned)->owner, owner);
    EXPECT_EQ(posix::FindWindowRecord(owned)->rect.right, 0);
    EXPECT_EQ(posix::FindWindowRecord(helper)->parent, HWND_MESSAGE);
    EXPECT_EQ(posix::FindWindowRecord(helper)->title, L"");
    EXPECT_EQ(posix::FindWindowRecord(helper)->userData, 77);

    std::vector<HWND> listed;
    for (const posix::WindowRecord& record : posix::ListWindows())
        if (record.handle == owner || record.handle == owned || record.handle == helper)
            listed.push_back(record.handle);
    EXPECT_EQ(listed, (std::vector<HWND>{owner, owned, helper}));

    EXPECT_TRUE(posix::VisitWindow(helper, [](posix::WindowRecord& record) { record.title = L"Renamed"; }));
    EXPECT_EQ(posix::FindWindowRecord(helper)->title, L"Renamed");

    ASSERT_TRUE(DestroyWindow(owner));
    ASSERT_TRUE(DestroyWindow(helper));
    for (HWND gone : {owner, owned, helper}) {
        EXPECT_FALSE(posix::FindWindowRecord(gone));
        EXPECT_FALSE(posix::VisitWindow(gone, [](posix::WindowRecord&) {}));
    }
}

TEST_F(WindowRegistry, ChildWindowsGoWithTheirParent) {
    HWND parent = Create(L"", 0, 0, 0, 0, 0, HWND_MESSAGE);
    HWND child = Create(L"", posix::WS_CHILD, 0, 0, 0, 0, parent);
    HWND grandchild = Create(L"", posix::WS_CHILD, 0, 0, 0, 0, child);
    ASSERT_TRUE(parent && child && grandchild);
    EXPECT_EQ(posix::FindWindowRecord(grandchild)->parent, child);

    ASSERT_TRUE(DestroyWindow(parent));
    const std::vector<std::pair<HWND, UINT>> expected{{parent, WM_DESTROY},     {child, WM_DESTROY},
                                                      {grandchild, WM_DESTROY}, {grandchild, WM_NCDESTROY},
                                                      {child, WM_NCDESTROY},    {parent, WM_NCDESTROY}};
    EXPECT_EQ(g_destruction, expected);
    EXPECT_FALSE(IsWindow(grandchild));
    EXPECT_EQ(Create(L"", posix::WS_CHILD, 0, 0, 0, 0, nullptr), nullptr); // a child needs a parent
}

} // namespace
