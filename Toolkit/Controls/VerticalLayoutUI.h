// Stacks its children top to bottom: fixed sizes first, the rest shared by the stretch children.
#pragma once

#include "Toolkit/Controls/ContainerUI.h"

namespace SkinUI {

class CVerticalLayoutUI : public CContainerUI {
public:
    std::wstring_view GetClass() const override;
    void* GetInterface(std::wstring_view name) override;
    void SetPos(const TRect& rect) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;

    // The drag separator (kept for the markup; nothing drags it here).
    int GetSepHeight() const { return m_sepSize; }
    void SetSepHeight(int size) { m_sepSize = size; }
    bool IsSepImmMode() const { return m_sepImmediate; }
    void SetSepImmMode(bool immediate) { m_sepImmediate = immediate; }

private:
    int m_sepSize = 0;
    bool m_sepImmediate = false;
};

} // namespace SkinUI
