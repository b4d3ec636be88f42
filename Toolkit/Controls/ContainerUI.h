// A control that owns a list of children placed over its inner rectangle (overlapping: a plain
// container stacks nothing), and the child-list interface the builder and the layouts use.
#pragma once

#include "Toolkit/Controls/ControlUI.h"

#include <memory>
#include <vector>

namespace SkinUI {

class IContainerUI {
public:
    virtual ~IContainerUI() = default;

    // Null when out of range.
    virtual CControlUI* GetItemAt(int index) const = 0;
    // -1 when the control is not a child.
    virtual int GetItemIndex(CControlUI* control) const = 0;
    // Moves a child to index.
    virtual bool SetItemIndex(CControlUI* control, int index) = 0;
    virtual int GetCount() const = 0;
    // The container takes ownership on success; a null control is refused.
    virtual bool Add(CControlUI* control) = 0;
    virtual bool AddAt(CControlUI* control, int index) = 0;
    // With auto-destroy the child is destroyed (through delayed cleanup when that is on);
    // without it the caller owns the removed child again.
    virtual bool Remove(CControlUI* control) = 0;
    virtual bool RemoveAt(int index) = 0;
    virtual void RemoveAll() = 0;
};

class CContainerUI : public CControlUI, public IContainerUI {
public:
    CContainerUI();
    ~CContainerUI() override;

    std::wstring_view GetClass() const override;
    void* GetInterface(std::wstring_view name) override;

    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    int GetCount() const override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    virtual TRect GetInset() const;
    virtual void SetInset(const TRect& inset);
    virtual int GetChildPadding() const;
    virtual void SetChildPadding(int padding);
    virtual bool IsAutoDestroy() const;
    virtual void SetAutoDestroy(bool autoDestroy);
    virtual bool IsDelayedDestroy() const;
    virtual void SetDelayedDestroy(bool delayed);
    virtual bool IsMouseChildEnabled() const;
    virtual void SetMouseChildEnabled(bool enabled = true);
    // The first visible, enabled list item from index on (backwards: before it, then from 0).
    virtual int FindSelectable(int index, bool forward = true) const;
    // Places a visible floating child by its fixed offset from the container's edges.
    virtual void SetFloatPos(int index);
    // Reports the space the children need; without scroll bars there is nothing to adjust.
    virtual void ProcessScrollBar(const TRect& inner, int cxRequired, int cyRequired);

    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetManager(CUIManager* manager, CControlUI* parent, bool init = true) override;
    CControlUI* FindControl(FindControlProc proc, void* data, unsigned flags) override;
    void SetPos(const TRect& rect) override;
    void DoEvent(TUIEvent& event) override;
    void DoPaint(CDrawContext& context, const TRect& paint) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;

protected:
    // The item rectangle less the inset.
    TRect GetInnerRect() const;
    // Sets every child's internal visibility to this container's IsVisible.
    void PropagateVisibility();
    // Destroys a removed child, or hands it to delayed cleanup.
    void DisposeChild(std::unique_ptr<CControlUI> child);

    std::vector<std::unique_ptr<CControlUI>> m_items;
    TRect m_inset;
    int m_childPadding = 0;
    bool m_autoDestroy = true;
    bool m_delayedDestroy = true;
    bool m_mouseChildEnabled = true;
};

} // namespace SkinUI
