// The base of every control: geometry, visibility and enabled state, texts, colours, images,
// border, events with bubbling, the painting order and the common markup attributes.
#pragma once

#include "Toolkit/Core/EventSource.h"
#include "Toolkit/Core/UIDefs.h"
#include "Toolkit/Render/DrawContext.h"

#include <string>
#include <string_view>

namespace SkinUI {

class CUIManager;

// The relative-position record (kept for the markup; no layout here reads it).
struct TRelativePos {
    bool relative = false;
    TSize parentSize;
    int moveX = 0;
    int moveY = 0;
    int zoomX = 0;
    int zoomY = 0;
};

class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual std::wstring GetName() const;
    virtual void SetName(std::wstring_view name);
    virtual std::wstring_view GetClass() const;
    // This object when it answers to name ("Control" here), else null.
    virtual void* GetInterface(std::wstring_view name);
    virtual unsigned GetControlFlags() const;
    virtual bool Activate();

    virtual CUIManager* GetManager() const;
    // Binds the control (and a container's children, first) to a manager and a parent; with
    // init and a parent, Init runs.
    virtual void SetManager(CUIManager* manager, CControlUI* parent, bool init = true);
    virtual CControlUI* GetParent() const;

    virtual std::wstring GetText() const;
    virtual void SetText(std::wstring_view text);

    virtual const TRect& GetPos() const;
    virtual void SetPos(const TRect& rect);
    virtual int GetWidth() const;
    virtual int GetHeight() const;
    virtual int GetX() const;
    virtual int GetY() const;
    virtual TRect GetPadding() const;
    virtual void SetPadding(const TRect& padding);
    virtual TSize GetFixedXY() const;
    virtual void SetFixedXY(TSize xy);
    virtual int GetFixedWidth() const;
    virtual void SetFixedWidth(int cx);
    virtual int GetFixedHeight() const;
    virtual void SetFixedHeight(int cy);
    virtual int GetMinWidth() const;
    virtual void SetMinWidth(int cx);
    virtual int GetMaxWidth() const;
    virtual void SetMaxWidth(int cx);
    virtual int GetMinHeight() const;
    virtual void SetMinHeight(int cy);
    virtual int GetMaxHeight() const;
    virtual void SetMaxHeight(int cy);
    virtual void SetRelativePos(TSize move, TSize zoom);
    virtual void SetRelativeParentSize(TSize size);
    virtual TRelativePos GetRelativePos() const;
    virtual bool IsRelativePos() const;

    virtual std::wstring GetToolTip() const;
    // Every "<n>" becomes a line break.
    virtual void SetToolTip(std::wstring_view text);
    virtual void SetToolTipWidth(int width);
    virtual int GetToolTipWidth() const;
    virtual wchar_t GetShortcut() const;
    virtual void SetShortcut(wchar_t ch);
    virtual bool IsContextMenuUsed() const;
    virtual void SetContextMenuUsed(bool used);
    virtual std::wstring GetUserData() const;
    virtual void SetUserData(std::wstring_view text);
    virtual std::uintptr_t GetTag() const;
    virtual void SetTag(std::uintptr_t tag);

    // Visible and not hidden by an ancestor.
    virtual bool IsVisible() const;
    virtual void SetVisible(bool visible = true);
    virtual void SetInternVisible(bool visible = true);
    // Enabled together with every ancestor.
    virtual bool IsEnabled() const;
    virtual void SetEnabled(bool enabled = true);
    virtual bool IsMouseEnabled() const;
    virtual void SetMouseEnabled(bool enabled = true);
    virtual bool IsKeyboardEnabled() const;
    virtual void SetKeyboardEnabled(bool enabled = true);
    virtual bool IsFocused() const;
    virtual void SetFocus();
    virtual bool IsFloat() const;
    virtual void SetFloat(bool floating = true);

    virtual CControlUI* FindControl(FindControlProc proc, void* data, unsigned flags);

    virtual void Invalidate();
    void NeedUpdate();
    void NeedParentUpdate();
    bool IsUpdateNeeded() const { return m_updateNeeded; }

    virtual void Init();
    virtual void DoInit();
    virtual void Event(TUIEvent& event);
    virtual void DoEvent(TUIEvent& event);

    virtual void SetAttribute(std::wstring_view name, std::wstring_view value);
    void ApplyAttributeList(std::wstring_view list);

    // The size the control wants out of the available size: its fixed size by default.
    virtual TSize EstimateSize(TSize available);

    virtual void DoPaint(CDrawContext& context, const TRect& paint);
    virtual void PaintBkColor(CDrawContext& context);
    virtual void PaintBkImage(CDrawContext& context);
    virtual void PaintStatusImage(CDrawContext& context);
    virtual void PaintText(CDrawContext& context);
    virtual void PaintBorder(CDrawContext& context);
    virtual void DoPostPaint(CDrawContext& context, const TRect& paint);

    // Appearance, for the control Parts built on this one.
    TColor GetBkColor() const { return m_bkColor; }
    void SetBkColor(TColor color);
    TColor GetBkColor2() const { return m_bkColor2; }
    void SetBkColor2(TColor color);
    TColor GetBkColor3() const { return m_bkColor3; }
    void SetBkColor3(TColor color);
    const std::wstring& GetBkImage() const { return m_bkImage; }
    void SetBkImage(std::wstring_view image);
    const std::wstring& GetForeImage() const { return m_foreImage; }
    void SetForeImage(std::wstring_view image);
    TColor GetBorderColor() const { return m_borderColor; }
    void SetBorderColor(TColor color);
    TColor GetFocusBorderColor() const { return m_focusBorderColor; }
    void SetFocusBorderColor(TColor color);
    bool IsColorHSL() const { return m_colorHsl; }
    void SetColorHSL(bool hsl);
    int GetBorderSize() const { return m_borderSize; }
    void SetBorderSize(int size);
    const TRect& GetBorderSides() const { return m_borderSides; }
    void SetBorderSides(const TRect& sides);
    void SetLeftBorderSize(int size);
    void SetTopBorderSize(int size);
    void SetRightBorderSize(int size);
    void SetBottomBorderSize(int size);
    int GetBorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(int style);
    TSize GetBorderRound() const { return m_borderRound; }
    void SetBorderRound(TSize round);
    // Its own virtual window name, else the nearest ancestor's.
    std::wstring GetVirtualWnd() const;
    void SetVirtualWnd(std::wstring_view name);
    const TRect& GetPaintRect() const { return m_paintRect; }

    CEventSource<CControlUI*> OnInit;
    CEventSource<CControlUI*> OnDestroy;
    CEventSource<CControlUI*> OnSize;
    CEventSource<TUIEvent> OnEvent;
    CEventSource<TNotifyMsg> OnNotify;

protected:
    // Draws an image description over the item rectangle, limited to the paint rectangle.
    // False only when drawing is impossible (no manager): the caller then forgets the image.
    bool DrawImage(CDrawContext& context, const std::wstring& description);
    // The item rectangle clipped by every ancestor's; empty when nothing of it shows.
    TRect ClipByAncestors(TRect rect) const;
    // A fixed-size change asks the parent to lay out again, a floating control only itself.
    void NeedSizeUpdate();

    CUIManager* m_manager = nullptr;
    CControlUI* m_parent = nullptr;
    std::wstring m_virtualWnd;
    std::wstring m_name;
    bool m_updateNeeded = true;
    bool m_menuUsed = false;
    TRect m_itemRect;
    TRect m_padding;
    TSize m_fixedXY;
    TSize m_fixedSize;
    TSize m_minSize;
    TSize m_maxSize{9999, 9999};
    bool m_visible = true;
    bool m_internVisible = true;
    bool m_enabled = true;
    bool m_mouseEnabled = true;
    bool m_keyboardEnabled = true;
    bool m_focused = false;
    bool m_float = false;
    bool m_inSizeCallback = false;
    TRelativePos m_relativePos;
    std::wstring m_text;
    std::wstring m_toolTip;
    wchar_t m_shortcut = 0;
    std::wstring m_userData;
    std::uintptr_t m_tag = 0;
    TColor m_bkColor = 0;
    TColor m_bkColor2 = 0;
    TColor m_bkColor3 = 0;
    std::wstring m_bkImage;
    std::wstring m_foreImage;
    TColor m_borderColor = 0;
    TColor m_focusBorderColor = 0;
    bool m_colorHsl = false;
    int m_borderSize = 0;
    int m_borderStyle = 0;
    int m_toolTipWidth = 300;
    TSize m_borderRound;
    TRect m_paintRect;
    TRect m_borderSides;
};

} // namespace SkinUI
