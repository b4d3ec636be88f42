// Shows one child at a time: the selected page fills the inner rectangle, the others are hidden.
#pragma once

#include "Toolkit/Controls/ContainerUI.h"

namespace SkinUI {

class CTabLayoutUI : public CContainerUI {
public:
    std::wstring_view GetClass() const override;
    void* GetInterface(std::wstring_view name) override;

    // The first visible page added becomes the selection; later pages start hidden. (Add and
    // Remove of the base come through these.)
    bool AddAt(CControlUI* control, int index) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    // -1 when nothing is selected.
    int GetCurSel() const { return m_curSel; }
    // Shows page index, hides the rest and sends "tabselect" (new, old); selecting the current
    // page succeeds without a notification; an index out of range fails.
    virtual bool SelectItem(int index);
    bool SelectItem(CControlUI* control);

    void SetPos(const TRect& rect) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;

private:
    void TakeNewPage(CControlUI* control, int index);

    int m_curSel = -1;
};

} // namespace SkinUI
