#include "Toolkit/Controls/ControlUI.h"

#include "Platform/Input.h"
#include "Toolkit/Core/AttributeValue.h"
#include "Toolkit/Core/UIManager.h"
#include "Toolkit/Render/RenderKit.h"

#include <array>

namespace SkinUI {

namespace {

void ApplyPos(CControlUI& control, std::wstring_view value)
{
    const TRect pos = ParseRect(value);
    control.SetFixedXY({pos.left >= 0 ? pos.left : pos.right, pos.top >= 0 ? pos.top : pos.bottom});
    control.SetFixedWidth(pos.right - pos.left);
    control.SetFixedHeight(pos.bottom - pos.top);
}

void ApplyRelativePos(CControlUI& control, std::wstring_view value)
{
    const TRect numbers = ParseRect(value);
    control.SetRelativePos({numbers.left, numbers.top}, {numbers.right, numbers.bottom});
}

void ApplyBorderSize(CControlUI& control, std::wstring_view value)
{
    if (value.find(L',') == std::wstring_view::npos) {
        control.SetBorderSize(ParseInt(value));
        control.SetBorderSides({});
    } else {
        control.SetBorderSides(ParseRect(value));
    }
}

const TAttributeSetter<CControlUI> kAttributes[] = {
    {L"pos", ApplyPos},
    {L"relativepos", ApplyRelativePos},
    {L"padding", [](CControlUI& c, std::wstring_view v) { c.SetPadding(ParseRect(v)); }},
    {L"bkcolor", [](CControlUI& c, std::wstring_view v) { c.SetBkColor(ParseColor(v)); }},
    {L"bkcolor1", [](CControlUI& c, std::wstring_view v) { c.SetBkColor(ParseColor(v)); }},
    {L"bkcolor2", [](CControlUI& c, std::wstring_view v) { c.SetBkColor2(ParseColor(v)); }},
    {L"bkcolor3", [](CControlUI& c, std::wstring_view v) { c.SetBkColor3(ParseColor(v)); }},
    {L"bordercolor", [](CControlUI& c, std::wstring_view v) { c.SetBorderColor(ParseColor(v)); }},
    {L"focusbordercolor", [](CControlUI& c, std::wstring_view v) { c.SetFocusBorderColor(ParseColor(v)); }},
    {L"colorhsl", [](CControlUI& c, std::wstring_view v) { c.SetColorHSL(ParseBool(v)); }},
    {L"bordersize", ApplyBorderSize},
    {L"leftbordersize", [](CControlUI& c, std::wstring_view v) { c.SetLeftBorderSize(ParseInt(v)); }},
    {L"topbordersize", [](CControlUI& c, std::wstring_view v) { c.SetTopBorderSize(ParseInt(v)); }},
    {L"rightbordersize", [](CControlUI& c, std::wstring_view v) { c.SetRightBorderSize(ParseInt(v)); }},
    {L"bottombordersize", [](CControlUI& c, std::wstring_view v) { c.SetBottomBorderSize(ParseInt(v)); }},
    {L"borderstyle", [](CControlUI& c, std::wstring_view v) { c.SetBorderStyle(ParseInt(v)); }},
    {L"borderround", [](CControlUI& c, std::wstring_view v) { c.SetBorderRound(ParseSize(v)); }},
    {L"bkimage", [](CControlUI& c, std::wstring_view v) { c.SetBkImage(v); }},
    {L"foreimage", [](CControlUI& c, std::wstring_view v) { c.SetForeImage(v); }},
    {L"width", [](CControlUI& c, std::wstring_view v) { c.SetFixedWidth(ParseInt(v)); }},
    {L"height", [](CControlUI& c, std::wstring_view v) { c.SetFixedHeight(ParseInt(v)); }},
    {L"minwidth", [](CControlUI& c, std::wstring_view v) { c.SetMinWidth(ParseInt(v)); }},
    {L"maxwidth", [](CControlUI& c, std::wstring_view v) { c.SetMaxWidth(ParseInt(v)); }},
    {L"minheight", [](CControlUI& c, std::wstring_view v) { c.SetMinHeight(ParseInt(v)); }},
    {L"maxheight", [](CControlUI& c, std::wstring_view v) { c.SetMaxHeight(ParseInt(v)); }},
    {L"name", [](CControlUI& c, std::wstring_view v) { c.SetName(v); }},
    {L"text", [](CControlUI& c, std::wstring_view v) { c.SetText(v); }},
    {L"tooltip", [](CControlUI& c, std::wstring_view v) { c.SetToolTip(v); }},
    {L"userdata", [](CControlUI& c, std::wstring_view v) { c.SetUserData(v); }},
    {L"enabled", [](CControlUI& c, std::wstring_view v) { c.SetEnabled(ParseBool(v)); }},
    {L"mouse", [](CControlUI& c, std::wstring_view v) { c.SetMouseEnabled(ParseBool(v)); }},
    {L"keyboard", [](CControlUI& c, std::wstring_view v) { c.SetKeyboardEnabled(ParseBool(v)); }},
    {L"visible", [](CControlUI& c, std::wstring_view v) { c.SetVisible(ParseBool(v)); }},
    {L"float", [](CControlUI& c, std::wstring_view v) { c.SetFloat(ParseBool(v)); }},
    {L"shortcut", [](CControlUI& c, std::wstring_view v) { c.SetShortcut(v.empty() ? 0 : v.front()); }},
    {L"menu", [](CControlUI& c, std::wstring_view v) { c.SetContextMenuUsed(ParseBool(v)); }},
    {L"virtualwnd", [](CControlUI& c, std::wstring_view v) { c.SetVirtualWnd(v); }},
};

template <typename T>
bool Assign(T& field, const T& value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace

CControlUI::CControlUI() = default;

CControlUI::~CControlUI()
{
    CControlUI* self = this;
    OnDestroy(self);
    if (m_manager != nullptr)
        m_manager->ReapObjects(this);
}

std::wstring CControlUI::GetName() const { return m_name; }
void CControlUI::SetName(std::wstring_view name) { m_name = name; }
std::wstring_view CControlUI::GetClass() const { return L"ControlUI"; }

void* CControlUI::GetInterface(std::wstring_view name) { return name == L"Control" ? this : nullptr; }

unsigned CControlUI::GetControlFlags() const { return 0; }
bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

CUIManager* CControlUI::GetManager() const { return m_manager; }

void CControlUI::SetManager(CUIManager* manager, CControlUI* parent, bool init)
{
    m_manager = manager;
    m_parent = parent;
    if (init && m_parent != nullptr)
        Init();
}

CControlUI* CControlUI::GetParent() const { return m_parent; }

std::wstring CControlUI::GetText() const { return m_text; }

void CControlUI::SetText(std::wstring_view text)
{
    if (m_text == text)
        return;
    m_text = text;
    Invalidate();
}

const TRect& CControlUI::GetPos() const { return m_itemRect; }

void CControlUI::SetPos(const TRect& rect)
{
    TRect placed = rect;
    if (placed.right < placed.left)
        placed.right = placed.left;
    if (placed.bottom < placed.top)
        placed.bottom = placed.top;
    TRect repaint = m_itemRect.IsEmpty() ? placed : m_itemRect;
    m_itemRect = placed;
    if (m_manager == nullptr)
        return;
    if (!m_inSizeCallback) {
        m_inSizeCallback = true;
        CControlUI* self = this;
        OnSize(self);
        m_inSizeCallback = false;
    }
    if (m_float && m_parent != nullptr) {
        const TRect& parentRect = m_parent->GetPos();
        m_fixedXY.cx = m_fixedXY.cx >= 0 ? m_itemRect.left - parentRect.left : m_itemRect.right - parentRect.right;
        m_fixedXY.cy = m_fixedXY.cy >= 0 ? m_itemRect.top - parentRect.top : m_itemRect.bottom - parentRect.bottom;
        m_fixedSize = {m_itemRect.Width(), m_itemRect.Height()};
    }
    m_updateNeeded = false;
    repaint = ClipByAncestors(JoinRect(repaint, m_itemRect));
    if (!repaint.IsEmpty())
        m_manager->Invalidate(repaint);
}

int CControlUI::GetWidth() const { return m_itemRect.Width(); }
int CControlUI::GetHeight() const { return m_itemRect.Height(); }
int CControlUI::GetX() const { return m_itemRect.left; }
int CControlUI::GetY() const { return m_itemRect.top; }
TRect CControlUI::GetPadding() const { return m_padding; }

void CControlUI::SetPadding(const TRect& padding)
{
    m_padding = padding;
    NeedParentUpdate();
}

TSize CControlUI::GetFixedXY() const { return m_fixedXY; }

void CControlUI::SetFixedXY(TSize xy)
{
    m_fixedXY = xy;
    NeedSizeUpdate();
}

int CControlUI::GetFixedWidth() const { return m_fixedSize.cx; }

void CControlUI::SetFixedWidth(int cx)
{
    if (cx < 0)
        return;
    m_fixedSize.cx = cx;
    NeedSizeUpdate();
}

int CControlUI::GetFixedHeight() const { return m_fixedSize.cy; }

void CControlUI::SetFixedHeight(int cy)
{
    if (cy < 0)
        return;
    m_fixedSize.cy = cy;
    NeedSizeUpdate();
}

int CControlUI::GetMinWidth() const { return m_minSize.cx; }

void CControlUI::SetMinWidth(int cx)
{
    if (cx < 0 || !Assign(m_minSize.cx, cx))
        return;
    NeedSizeUpdate();
}

int CControlUI::GetMaxWidth() const { return m_maxSize.cx; }

void CControlUI::SetMaxWidth(int cx)
{
    if (cx < 0 || !Assign(m_maxSize.cx, cx))
        return;
    NeedSizeUpdate();
}

int CControlUI::GetMinHeight() const { return m_minSize.cy; }

void CControlUI::SetMinHeight(int cy)
{
    if (cy < 0 || !Assign(m_minSize.cy, cy))
        return;
    NeedSizeUpdate();
}

int CControlUI::GetMaxHeight() const { return m_maxSize.cy; }

void CControlUI::SetMaxHeight(int cy)
{
    if (cy < 0 || !Assign(m_maxSize.cy, cy))
        return;
    NeedSizeUpdate();
}

void CControlUI::SetRelativePos(TSize move, TSize zoom)
{
    m_relativePos.relative = move.cx != 0 || move.cy != 0 || zoom.cx != 0 || zoom.cy != 0;
    m_relativePos.moveX = move.cx;
    m_relativePos.moveY = move.cy;
    m_relativePos.zoomX = zoom.cx;
    m_relativePos.zoomY = zoom.cy;
}

void CControlUI::SetRelativeParentSize(TSize size) { m_relativePos.parentSize = size; }
TRelativePos CControlUI::GetRelativePos() const { return m_relativePos; }
bool CControlUI::IsRelativePos() const { return m_relativePos.relative; }

std::wstring CControlUI::GetToolTip() const { return m_toolTip; }

void CControlUI::SetToolTip(std::wstring_view text)
{
    std::wstring tip(text);
    for (std::size_t at = tip.find(L"<n>"); at != std::wstring::npos; at = tip.find(L"<n>", at + 2))
        tip.replace(at, 3, L"\r\n");
    m_toolTip = std::move(tip);
}

void CControlUI::SetToolTipWidth(int width) { m_toolTipWidth = width; }
int CControlUI::GetToolTipWidth() const { return m_toolTipWidth; }
wchar_t CControlUI::GetShortcut() const { return m_shortcut; }
void CControlUI::SetShortcut(wchar_t ch) { m_shortcut = ch; }
bool CControlUI::IsContextMenuUsed() const { return m_menuUsed; }
void CControlUI::SetContextMenuUsed(bool used) { m_menuUsed = used; }
std::wstring CControlUI::GetUserData() const { return m_userData; }
void CControlUI::SetUserData(std::wstring_view text) { m_userData = text; }
std::uintptr_t CControlUI::GetTag() const { return m_tag; }
void CControlUI::SetTag(std::uintptr_t tag) { m_tag = tag; }

bool CControlUI::IsVisible() const { return m_visible && m_internVisible; }

void CControlUI::SetVisible(bool visible)
{
    if (m_visible == visible)
        return;
    const bool wasVisible = IsVisible();
    m_visible = visible;
    if (m_focused)
        m_focused = false;
    if (!visible && m_manager != nullptr && m_manager->GetFocus() == this)
        m_manager->SetFocus(nullptr);
    if (IsVisible() != wasVisible)
        NeedParentUpdate();
}

void CControlUI::SetInternVisible(bool visible)
{
    m_internVisible = visible;
    if (!visible && m_manager != nullptr && m_manager->GetFocus() == this)
        m_manager->SetFocus(nullptr);
}

bool CControlUI::IsEnabled() const
{
    for (const CControlUI* control = this; control != nullptr; control = control->m_parent) {
        if (!control->m_enabled)
            return false;
    }
    return true;
}

void CControlUI::SetEnabled(bool enabled)
{
    if (!Assign(m_enabled, enabled))
        return;
    Invalidate();
}

bool CControlUI::IsMouseEnabled() const { return m_mouseEnabled; }
void CControlUI::SetMouseEnabled(bool enabled) { m_mouseEnabled = enabled; }
bool CControlUI::IsKeyboardEnabled() const { return m_keyboardEnabled; }
void CControlUI::SetKeyboardEnabled(bool enabled) { m_keyboardEnabled = enabled; }
bool CControlUI::IsFocused() const { return m_focused; }

void CControlUI::SetFocus()
{
    if (m_manager != nullptr)
        m_manager->SetFocus(this);
}

bool CControlUI::IsFloat() const { return m_float; }

void CControlUI::SetFloat(bool floating)
{
    if (!Assign(m_float, floating))
        return;
    NeedParentUpdate();
}

CControlUI* CControlUI::FindControl(FindControlProc proc, void* data, unsigned flags)
{
    if ((flags & kFindVisible) != 0 && !IsVisible())
        return nullptr;
    if ((flags & kFindEnabled) != 0 && !IsEnabled())
        return nullptr;
    if ((flags & kFindHitTest) != 0) {
        const TPoint& point = *static_cast<const TPoint*>(data);
        if (!m_mouseEnabled || !m_itemRect.Contains(point.x, point.y))
            return nullptr;
    }
    return proc(this, data);
}

TRect CControlUI::ClipByAncestors(TRect rect) const
{
    for (const CControlUI* parent = m_parent; parent != nullptr && !rect.IsEmpty(); parent = parent->m_parent)
        rect = rect.Intersect(parent->GetPos());
    return rect;
}

void CControlUI::Invalidate()
{
    if (!IsVisible())
        return;
    const TRect rect = ClipByAncestors(m_itemRect);
    if (!rect.IsEmpty() && m_manager != nullptr)
        m_manager->Invalidate(rect);
}

void CControlUI::NeedUpdate()
{
    if (!IsVisible())
        return;
    m_updateNeeded = true;
    Invalidate();
    if (m_manager != nullptr)
        m_manager->NeedUpdate();
}

void CControlUI::NeedParentUpdate()
{
    if (m_parent != nullptr) {
        m_parent->NeedUpdate();
        m_parent->Invalidate();
    } else {
        NeedUpdate();
    }
    if (m_manager != nullptr)
        m_manager->NeedUpdate();
}

void CControlUI::NeedSizeUpdate()
{
    if (m_float)
        NeedUpdate();
    else
        NeedParentUpdate();
}

void CControlUI::Init()
{
    DoInit();
    CControlUI* self = this;
    OnInit(self);
}

void CControlUI::DoInit() {}

void CControlUI::Event(TUIEvent& event)
{
    if (OnEvent(event))
        DoEvent(event);
}

void CControlUI::DoEvent(TUIEvent& event)
{
    switch (event.type) {
    case kEventSetCursor:
        plat::SetCursor(plat::LoadStandardCursor(plat::IDC_ARROW));
        return;
    case kEventSetFocus:
        m_focused = true;
        Invalidate();
        return;
    case kEventKillFocus:
        m_focused = false;
        Invalidate();
        return;
    case kEventTimer:
        if (m_manager != nullptr)
            m_manager->SendNotify(this, kNotifyTimer, event.wParam, event.lParam);
        return;
    case kEventContextMenu:
        if (m_menuUsed) {
            if (m_manager != nullptr)
                m_manager->SendNotify(this, kNotifyMenu, 0, reinterpret_cast<plat::LPARAM>(this));
            return;
        }
        break;
    default:
        break;
    }
    if (m_parent != nullptr)
        m_parent->DoEvent(event);
}

void CControlUI::SetAttribute(std::wstring_view name, std::wstring_view value)
{
    ApplyAttribute<CControlUI>(kAttributes, *this, name, value);
}

void CControlUI::ApplyAttributeList(std::wstring_view list)
{
    ParseAttributeList(list, [this](std::wstring_view name, std::wstring_view value) { SetAttribute(name, value); });
}

TSize CControlUI::EstimateSize(TSize /*available*/) { return m_fixedSize; }

void CControlUI::DoPaint(CDrawContext& context, const TRect& paint)
{
    m_paintRect = paint.Intersect(m_itemRect);
    if (m_paintRect.IsEmpty())
        return;
    const auto paintAll = [&] {
        PaintBkColor(context);
        PaintBkImage(context);
        PaintStatusImage(context);
        PaintText(context);
        PaintBorder(context);
    };
    if (m_borderRound.cx > 0 || m_borderRound.cy > 0) {
        CRenderClip roundClip(context, m_paintRect, m_itemRect, m_borderRound.cx, m_borderRound.cy);
        paintAll();
    } else {
        paintAll();
    }
}

void CControlUI::PaintBkColor(CDrawContext& context)
{
    if (m_bkColor == 0)
        return;
    if (m_bkColor2 != 0) {
        if (m_bkColor3 != 0) {
            TRect upper = m_itemRect;
            upper.bottom = (m_itemRect.top + m_itemRect.bottom) / 2;
            CRenderKit::DrawGradient(context, upper, m_bkColor, m_bkColor2, true, 8);
            const TRect lower{m_itemRect.left, upper.bottom, m_itemRect.right, m_itemRect.bottom};
            CRenderKit::DrawGradient(context, lower, m_bkColor2, m_bkColor3, true, 8);
        } else {
            CRenderKit::DrawGradient(context, m_itemRect, m_bkColor, m_bkColor2, true, 16);
        }
    } else if (AlphaOf(m_bkColor) == 0xFF) {
        CRenderKit::DrawColor(context, m_paintRect, m_bkColor);
    } else {
        CRenderKit::DrawColor(context, m_itemRect, m_bkColor);
    }
}

void CControlUI::PaintBkImage(CDrawContext& context)
{
    if (!m_bkImage.empty() && !DrawImage(context, m_bkImage))
        m_bkImage.clear();
}

void CControlUI::PaintStatusImage(CDrawContext& context)
{
    if (!m_foreImage.empty() && !DrawImage(context, m_foreImage))
        m_foreImage.clear();
}

void CControlUI::PaintText(CDrawContext& /*context*/) {}

void CControlUI::PaintBorder(CDrawContext& context)
{
    if (m_borderColor == 0 && m_focusBorderColor == 0)
        return;
    const bool focusColor = IsFocused() && m_focusBorderColor != 0;
    if (m_borderSize > 0 && (m_borderRound.cx > 0 || m_borderRound.cy > 0)) {
        CRenderKit::DrawRoundRect(context, m_itemRect, m_borderSize, m_borderRound.cx, m_borderRound.cy,
                                  focusColor ? m_focusBorderColor : m_borderColor);
    } else if (focusColor && m_borderSize > 0) {
        CRenderKit::DrawRect(context, m_itemRect, m_borderSize, m_focusBorderColor);
    } else if (m_borderSides.left > 0 || m_borderSides.top > 0 || m_borderSides.right > 0 ||
               m_borderSides.bottom > 0) {
        // Each side is a line along the item's edge pixels.
        const TRect& r = m_itemRect;
        const std::array<std::pair<int, TRect>, 4> sides{{
            {m_borderSides.left, {r.left, r.top, r.left, r.bottom}},
            {m_borderSides.top, {r.left, r.top, r.right, r.top}},
            {m_borderSides.right, {r.right - 1, r.top, r.right - 1, r.bottom}},
            {m_borderSides.bottom, {r.left, r.bottom - 1, r.right, r.bottom - 1}},
        }};
        for (const auto& [width, line] : sides) {
            if (width > 0)
                CRenderKit::DrawLine(context, line, width, m_borderColor, m_borderStyle);
        }
    } else if (m_borderSize > 0) {
        CRenderKit::DrawRect(context, m_itemRect, m_borderSize, m_borderColor);
    }
}

void CControlUI::DoPostPaint(CDrawContext& /*context*/, const TRect& /*paint*/) {}

bool CControlUI::DrawImage(CDrawContext& context, const std::wstring& description)
{
    if (m_manager == nullptr)
        return false;
    return m_manager->DrawImage(context, m_itemRect, m_paintRect, description);
}

void CControlUI::SetBkColor(TColor color)
{
    if (Assign(m_bkColor, color))
        Invalidate();
}

void CControlUI::SetBkColor2(TColor color)
{
    if (Assign(m_bkColor2, color))
        Invalidate();
}

void CControlUI::SetBkColor3(TColor color)
{
    if (Assign(m_bkColor3, color))
        Invalidate();
}

void CControlUI::SetBkImage(std::wstring_view image)
{
    if (m_bkImage == image)
        return;
    m_bkImage = image;
    Invalidate();
}

void CControlUI::SetForeImage(std::wstring_view image)
{
    if (m_foreImage == image)
        return;
    m_foreImage = image;
    Invalidate();
}

void CControlUI::SetBorderColor(TColor color)
{
    if (Assign(m_borderColor, color))
        Invalidate();
}

void CControlUI::SetFocusBorderColor(TColor color)
{
    if (Assign(m_focusBorderColor, color))
        Invalidate();
}

void CControlUI::SetColorHSL(bool hsl)
{
    if (Assign(m_colorHsl, hsl))
        Invalidate();
}

void CControlUI::SetBorderSize(int size)
{
    if (Assign(m_borderSize, size))
        Invalidate();
}

void CControlUI::SetBorderSides(const TRect& sides)
{
    if (Assign(m_borderSides, sides))
        Invalidate();
}

void CControlUI::SetLeftBorderSize(int size)
{
    if (Assign(m_borderSides.left, size))
        Invalidate();
}

void CControlUI::SetTopBorderSize(int size)
{
    if (Assign(m_borderSides.top, size))
        Invalidate();
}

void CControlUI::SetRightBorderSize(int size)
{
    if (Assign(m_borderSides.right, size))
        Invalidate();
}

void CControlUI::SetBottomBorderSize(int size)
{
    if (Assign(m_borderSides.bottom, size))
        Invalidate();
}

void CControlUI::SetBorderStyle(int style)
{
    if (Assign(m_borderStyle, style))
        Invalidate();
}

void CControlUI::SetBorderRound(TSize round)
{
    if (Assign(m_borderRound, round))
        Invalidate();
}

std::wstring CControlUI::GetVirtualWnd() const
{
    for (const CControlUI* control = this; control != nullptr; control = control->m_parent) {
        if (!control->m_virtualWnd.empty())
            return control->m_virtualWnd;
    }
    return {};
}

void CControlUI::SetVirtualWnd(std::wstring_view name)
{
    m_virtualWnd = name;
    if (m_manager != nullptr)
        m_manager->UsedVirtualWnd(true);
}

} // namespace SkinUI
