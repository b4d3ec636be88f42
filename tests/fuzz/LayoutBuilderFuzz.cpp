// Layout documents from arbitrary bytes: built with a manager, laid out and painted. Any input
// either builds nothing or a tree whose every control sits inside sane bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "Runtime/TextConv.h"
#include "Toolkit/Controls/ContainerUI.h"
#include "Toolkit/Core/UIManager.h"
#include "Toolkit/Markup/LayoutBuilder.h"
#include "Toolkit/Render/DrawContext.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// Every placed rectangle is ordered; children of a container are its own.
int Walk(SkinUI::CControlUI* control, SkinUI::CControlUI* parent, int depth)
{
    Check(depth < 10000);
    const SkinUI::TRect& r = control->GetPos();
    Check(r.right >= r.left && r.bottom >= r.top);
    Check(control->GetParent() == parent);
    int count = 1;
    auto* container = static_cast<SkinUI::IContainerUI*>(control->GetInterface(L"IContainer"));
    for (int i = 0; container != nullptr && i < container->GetCount(); ++i)
        count += Walk(container->GetItemAt(i), control, depth + 1);
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::wstring text = Utf8ToWide(std::string(reinterpret_cast<const char*>(data), size));
    if (text.empty() || text[0] != L'<')
        return 0; // anything else names a file
    SkinUI::CUIManager manager;
    SkinUI::CLayoutBuilder builder;
    SkinUI::CControlUI* root = builder.Build(text, nullptr, &manager);
    if (root == nullptr)
        return 0;
    manager.AttachRoot(root);
    root->SetPos({0, 0, 200, 150});
    Walk(root, nullptr, 0);
    SkinUI::CBitmap surface(200, 150);
    SkinUI::CDrawContext context(surface);
    root->DoPaint(context, {0, 0, 200, 150});
    Check(context.GetClipDepth() == 0);
    return 0;
}
