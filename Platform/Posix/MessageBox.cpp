#include "Platform/MessageBox.h"

#include "Platform/Posix/TestMessageBox.h"

#include <mutex>
#include <utility>

namespace plat {

namespace {

std::mutex& BoxLock()
{
    static std::mutex lock;
    return lock;
}

std::vector<test::MessageBoxCall>& Boxes()
{
    static auto* boxes = new std::vector<test::MessageBoxCall>;
    return *boxes;
}

} // namespace

int MessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    std::lock_guard guard(BoxLock());
    Boxes().push_back({owner, text != nullptr ? text : L"", caption != nullptr ? caption : L"", type});
    return IDOK;
}

namespace test {

std::vector<MessageBoxCall> TakeMessageBoxes()
{
    std::lock_guard guard(BoxLock());
    return std::exchange(Boxes(), {});
}

} // namespace test

} // namespace plat
