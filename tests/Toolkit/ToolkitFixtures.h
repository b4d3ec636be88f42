// Small helpers the toolkit tests share: building inline markup and recording notifications.
#pragma once

#include "Toolkit/Controls/ContainerUI.h"
#include "Toolkit/Core/UIInterfaces.h"
#include "Toolkit/Core/UIManager.h"
#include "Toolkit/Markup/LayoutBuilder.h"

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace SkinUI {

inline std::ostream& operator<<(std::ostream& out, const TRect& r)
{
    return out << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}

inline std::ostream& operator<<(std::ostream& out, const TSize& s) { return out << "{" << s.cx << "," << s.cy << "}"; }

namespace testing_support {

// Builds a document with no window; the caller owns the result (the first control under the
// document's root element).
inline std::unique_ptr<CControlUI> BuildInline(const std::wstring& markup, CUIManager* manager = nullptr,
                                               IDialogBuilderCallback* callback = nullptr)
{
    CLayoutBuilder builder;
    return std::unique_ptr<CControlUI>(builder.Build(markup, callback, manager));
}

// Builds one control element as the only child of a Window element.
inline std::unique_ptr<CControlUI> BuildControl(const std::wstring& markup, CUIManager* manager = nullptr,
                                                IDialogBuilderCallback* callback = nullptr)
{
    return BuildInline(L"<Window>" + markup + L"</Window>", manager, callback);
}

inline IContainerUI* AsContainer(CControlUI* control)
{
    return control == nullptr ? nullptr : static_cast<IContainerUI*>(control->GetInterface(L"IContainer"));
}

// The item rectangles of a container's direct children.
inline std::vector<TRect> ChildRects(CControlUI* parent)
{
    std::vector<TRect> rects;
    if (IContainerUI* container = AsContainer(parent)) {
        for (int i = 0; i < container->GetCount(); ++i)
            rects.push_back(container->GetItemAt(i)->GetPos());
    }
    return rects;
}

inline std::vector<std::wstring> ChildNames(CControlUI* parent)
{
    std::vector<std::wstring> names;
    if (IContainerUI* container = AsContainer(parent)) {
        for (int i = 0; i < container->GetCount(); ++i)
            names.push_back(container->GetItemAt(i)->GetName());
    }
    return names;
}

struct TNotified {
    std::wstring type;
    std::wstring sender;
    plat::WPARAM wParam;
    plat::LPARAM lParam;

    friend bool operator==(const TNotified&, const TNotified&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const TNotified& n)
{
    return out << std::string(n.type.begin(), n.type.end()) << "(" << std::string(n.sender.begin(), n.sender.end())
               << "," << n.wParam << "," << n.lParam << ")";
}

// Every notification a manager delivers, in order.
class CNotifyLog : public INotifyUI {
public:
    void Notify(TNotifyMsg& msg) override
    {
        log.push_back({msg.type, msg.sender != nullptr ? msg.sender->GetName() : L"", msg.wParam, msg.lParam});
    }
    // Only the notifications of one type.
    std::vector<TNotified> Of(const std::wstring& type) const
    {
        std::vector<TNotified> found;
        for (const TNotified& n : log) {
            if (n.type == type)
                found.push_back(n);
        }
        return found;
    }

    std::vector<TNotified> log;
};

} // namespace testing_support
} // namespace SkinUI
