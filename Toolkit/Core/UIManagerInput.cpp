#include "Toolkit/Core/UIManager.h"

#include "Platform/Draw.h"
#include "Platform/Input.h"
#include "Platform/ToolTip.h"
#include "Toolkit/Controls/ControlUI.h"

namespace SkinUI {

// ---- Messages ------------------------------------------------------------------------------------

namespace {

// Notification records of native child windows start with their sender.
struct TNotifyHeader {
    plat::HWND from;
};

// Native child windows get their own notifications back at this offset.
constexpr plat::UINT kReflectBase = plat::WM_USER + 0x1C00;

constexpr plat::WPARAM kScrollLineUp = 0;
constexpr plat::WPARAM kScrollLineDown = 1;

TPoint ToPoint(plat::POINT point) { return {static_cast<int>(point.x), static_cast<int>(point.y)}; }

} // namespace

bool CUIManager::MessageHandler(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam, plat::LRESULT& result)
{
    if (m_window == nullptr)
        return false;
    DeliverAsyncNotifications();
    for (std::size_t i = 0; i < m_filters.size(); ++i) {
        bool handled = false;
        const plat::LRESULT filtered = m_filters[i]->MessageHandler(message, wParam, lParam, handled);
        if (handled) {
            result = filtered;
            return true;
        }
    }
    bool consumed = false;
    switch (message) {
    case plat::WM_SIZE:
        consumed = OnSize();
        break;
    case plat::WM_PAINT:
        consumed = OnPaint();
        break;
    case plat::WM_CLOSE:
        OnClose();
        break;
    case plat::WM_ERASEBKGND:
        result = 1;
        consumed = true;
        break;
    case plat::WM_SETCURSOR:
        consumed = OnSetCursor(wParam, lParam);
        break;
    case plat::WM_GETMINMAXINFO:
        OnGetMinMaxInfo(lParam);
        break;
    case plat::WM_NOTIFY:
    case plat::WM_COMMAND:
    case plat::WM_CTLCOLOREDIT:
    case plat::WM_CTLCOLORSTATIC:
        consumed = OnReflect(message, wParam, lParam, result);
        break;
    case plat::WM_CONTEXTMENU:
        OnContextMenu(wParam, lParam);
        break;
    case plat::WM_KEYDOWN:
        OnKeyDown(wParam);
        break;
    case plat::WM_KEYUP:
        OnKeyUp(wParam);
        break;
    case plat::WM_CHAR:
        OnChar(wParam);
        break;
    case plat::WM_TIMER:
        OnTimer(wParam, lParam);
        break;
    case plat::WM_MOUSEMOVE:
        OnMouseMove(wParam, lParam);
        break;
    case plat::WM_LBUTTONDOWN:
        OnButtonDown(kEventButtonDown, wParam, lParam);
        break;
    case plat::WM_LBUTTONUP:
        OnLButtonUp(wParam, lParam);
        break;
    case plat::WM_LBUTTONDBLCLK:
        OnButtonDown(kEventDblClick, wParam, lParam);
        break;
    case plat::WM_RBUTTONDOWN:
        OnButtonDown(kEventRButtonDown, wParam, lParam);
        break;
    case plat::WM_MOUSEWHEEL:
        OnMouseWheel(wParam, lParam);
        break;
    case plat::WM_MOUSEHOVER:
        consumed = OnMouseHover(lParam);
        break;
    case plat::WM_MOUSELEAVE:
        OnMouseLeave();
        break;
    case plat::WM_PRINTCLIENT:
        OnPrintClient(wParam);
        break;
    case kMsgDelayedCleanup:
        OnDelayedCleanup();
        break;
    default:
        break;
    }
    DeliverAsyncNotifications();
    return consumed;
}

bool CUIManager::OnSize()
{
    if (m_focus != nullptr) {
        TUIEvent event = MakeEvent(kEventWindowSize, m_focus);
        m_focus->Event(event);
    }
    if (m_root != nullptr)
        m_root->NeedUpdate();
    return true;
}

bool CUIManager::OnClose()
{
    // Every control that saw a press or an enter sees the matching release or leave.
    if (CControlUI* hover = m_eventHover) {
        TUIEvent event = MakeEvent(kEventMouseLeave, hover);
        hover->Event(event);
    }
    if (CControlUI* click = m_eventClick) {
        TUIEvent event = MakeEvent(kEventButtonUp, click);
        click->Event(event);
    }
    SetFocus(nullptr);
    if (plat::HWND owner = plat::GetWindowOwner(m_window))
        plat::SetFocus(owner);
    return false;
}

bool CUIManager::OnSetCursor(plat::WPARAM wParam, plat::LPARAM lParam)
{
    if (plat::LowWord(static_cast<std::uintptr_t>(lParam)) != plat::HTCLIENT)
        return false;
    if (m_mouseCapture)
        return true;
    plat::POINT cursor{};
    plat::GetCursorPos(&cursor);
    plat::ScreenToClient(m_window, &cursor);
    CControlUI* control = FindControl(ToPoint(cursor));
    if (control == nullptr || (control->GetControlFlags() & kControlFlagSetCursor) == 0)
        return false;
    TUIEvent event = MakeEvent(kEventSetCursor, control);
    event.mousePos = ToPoint(cursor);
    event.wParam = wParam;
    event.lParam = lParam;
    control->Event(event);
    return true;
}

void CUIManager::OnGetMinMaxInfo(plat::LPARAM lParam) const
{
    auto* info = reinterpret_cast<plat::MINMAXINFO*>(lParam);
    if (info == nullptr)
        return;
    if (m_minInfo.cx > 0)
        info->ptMinTrackSize.x = m_minInfo.cx;
    if (m_minInfo.cy > 0)
        info->ptMinTrackSize.y = m_minInfo.cy;
    if (m_maxInfo.cx > 0)
        info->ptMaxTrackSize.x = m_maxInfo.cx;
    if (m_maxInfo.cy > 0)
        info->ptMaxTrackSize.y = m_maxInfo.cy;
}

bool CUIManager::OnReflect(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam, plat::LRESULT& result)
{
    if (lParam == 0)
        return false;
    const plat::HWND child = message == plat::WM_NOTIFY ? reinterpret_cast<const TNotifyHeader*>(lParam)->from
                                                       : reinterpret_cast<plat::HWND>(lParam);
    result = plat::SendMessage(child, kReflectBase + message, wParam, lParam);
    return true;
}

void CUIManager::OnContextMenu(plat::WPARAM wParam, plat::LPARAM lParam)
{
    if (m_root == nullptr)
        return;
    plat::POINT point = plat::PointFromLParam(lParam);
    plat::ScreenToClient(m_window, &point);
    m_lastMousePos = ToPoint(point);
    CControlUI* click = m_eventClick;
    if (click == nullptr)
        return;
    ReleaseCapture();
    TUIEvent event = MakeEvent(kEventContextMenu, click);
    event.keyState = static_cast<std::uint16_t>(wParam);
    event.lParam = reinterpret_cast<plat::LPARAM>(click);
    click->Event(event);
    m_eventClick = nullptr;
}

void CUIManager::OnKeyDown(plat::WPARAM wParam)
{
    CControlUI* focus = m_focus;
    if (focus == nullptr)
        return;
    TUIEvent event = MakeEvent(kEventKeyDown, focus);
    event.key = static_cast<std::uint16_t>(wParam);
    focus->Event(event);
    m_eventKey = m_focus;
}

void CUIManager::OnKeyUp(plat::WPARAM wParam)
{
    CControlUI* key = m_eventKey;
    if (key == nullptr)
        return;
    TUIEvent event = MakeEvent(kEventKeyUp, key);
    event.key = static_cast<std::uint16_t>(wParam);
    key->Event(event);
    m_eventKey = nullptr;
}

void CUIManager::OnChar(plat::WPARAM wParam)
{
    CControlUI* focus = m_focus;
    if (focus == nullptr)
        return;
    TUIEvent event = MakeEvent(kEventChar, focus);
    event.key = static_cast<std::uint16_t>(wParam);
    focus->Event(event);
}

void CUIManager::OnTimer(plat::WPARAM wParam, plat::LPARAM lParam)
{
    const CTimerTable::TTimer* timer = m_timers.FindLive(m_window, plat::LowWord(wParam));
    if (timer == nullptr)
        return;
    TUIEvent event = MakeEvent(kEventTimer, timer->control);
    event.wParam = timer->localId;
    event.lParam = lParam;
    timer->control->Event(event);
}

void CUIManager::TrackMouse()
{
    if (m_mouseTracking)
        return;
    const plat::DWORD hoverMs = m_toolTip == nullptr ? 400 : plat::GetToolTipInitialDelay(m_toolTip);
    plat::TrackMouseEvent(m_window, plat::TME_HOVER | plat::TME_LEAVE, hoverMs);
    m_mouseTracking = true;
}

void CUIManager::OnMouseMove(plat::WPARAM wParam, plat::LPARAM lParam)
{
    TrackMouse();
    const TPoint point = ToPoint(plat::PointFromLParam(lParam));
    m_lastMousePos = point;
    CControlUI* hover = FindControl(point);
    if (hover != nullptr && hover->GetManager() != this)
        return;
    TUIEvent event = MakeEvent(kEventMouseMove, nullptr);
    event.wParam = wParam;
    event.lParam = lParam;
    if (hover != m_eventHover && m_eventHover != nullptr) {
        CControlUI* left = m_eventHover;
        event.type = kEventMouseLeave;
        event.sender = left;
        m_eventHover = nullptr;
        left->Event(event);
        HideToolTip();
    }
    if (hover != m_eventHover && hover != nullptr) {
        event.type = kEventMouseEnter;
        event.sender = hover;
        m_eventHover = hover;
        hover->Event(event);
    }
    CControlUI* target = m_eventClick != nullptr ? m_eventClick : m_eventHover;
    if (target != nullptr) {
        event.type = kEventMouseMove;
        event.sender = target;
        target->Event(event);
    }
}

void CUIManager::OnButtonDown(int eventType, plat::WPARAM wParam, plat::LPARAM lParam)
{
    // The window always takes the keyboard back, away from any native child.
    plat::SetFocus(m_window);
    const TPoint point = ToPoint(plat::PointFromLParam(lParam));
    m_lastMousePos = point;
    CControlUI* control = FindControl(point);
    if (control == nullptr || control->GetManager() != this)
        return;
    if (eventType != kEventDblClick)
        control->SetFocus();
    m_eventClick = control;
    SetCapture();
    TUIEvent event = MakeEvent(eventType, control);
    event.wParam = wParam;
    event.lParam = lParam;
    event.keyState = static_cast<std::uint16_t>(wParam);
    control->Event(event);
}

void CUIManager::OnLButtonUp(plat::WPARAM wParam, plat::LPARAM lParam)
{
    m_lastMousePos = ToPoint(plat::PointFromLParam(lParam));
    CControlUI* click = m_eventClick;
    if (click == nullptr)
        return;
    ReleaseCapture();
    TUIEvent event = MakeEvent(kEventButtonUp, click);
    event.wParam = wParam;
    event.lParam = lParam;
    event.keyState = static_cast<std::uint16_t>(wParam);
    m_eventClick = nullptr;
    click->Event(event);
}

void CUIManager::OnMouseWheel(plat::WPARAM wParam, plat::LPARAM lParam)
{
    if (m_root == nullptr)
        return;
    plat::POINT point = plat::PointFromLParam(lParam);
    plat::ScreenToClient(m_window, &point);
    m_lastMousePos = ToPoint(point);
    CControlUI* control = FindControl(m_lastMousePos);
    if (control == nullptr || control->GetManager() != this)
        return;
    TUIEvent event = MakeEvent(kEventScrollWheel, control);
    event.wParam = plat::WheelDeltaOf(wParam) < 0 ? kScrollLineDown : kScrollLineUp;
    event.lParam = lParam;
    control->Event(event);
    // The control under the cursor may have scrolled away: hover follows at once.
    plat::SendMessage(m_window, plat::WM_MOUSEMOVE, 0,
                      plat::MakeLParam(m_lastMousePos.x, m_lastMousePos.y));
}

bool CUIManager::OnMouseHover(plat::LPARAM lParam)
{
    m_mouseTracking = false;
    CControlUI* control = FindControl(ToPoint(plat::PointFromLParam(lParam)));
    if (control == nullptr)
        return false;
    if (CControlUI* hover = m_eventHover) {
        TUIEvent event = MakeEvent(kEventMouseHover, hover);
        event.lParam = lParam;
        hover->Event(event);
    }
    // The hover event may have destroyed the control: look it up again.
    control = FindControl(ToPoint(plat::PointFromLParam(lParam)));
    if (control != nullptr && !control->GetToolTip().empty())
        ShowToolTip(control);
    return true;
}

void CUIManager::ShowToolTip(CControlUI* control)
{
    if (m_toolTip == nullptr)
        m_toolTip = plat::CreateToolTip(m_window, GetInstance());
    if (m_toolTip == nullptr)
        return;
    const TRect& pos = control->GetPos();
    const plat::RECT tool{pos.left, pos.top, pos.right, pos.bottom};
    plat::ShowToolTip(m_toolTip, m_window, tool, control->GetToolTip(), control->GetToolTipWidth());
}

void CUIManager::HideToolTip()
{
    if (m_toolTip != nullptr)
        plat::HideToolTip(m_toolTip);
}

void CUIManager::OnMouseLeave()
{
    HideToolTip();
    if (m_mouseTracking)
        plat::SendMessage(m_window, plat::WM_MOUSEMOVE, 0, static_cast<plat::LPARAM>(-1));
    m_mouseTracking = false;
}

void CUIManager::OnPrintClient(plat::WPARAM wParam)
{
    // Our print-client request carries the draw context to paint into.
    auto* context = reinterpret_cast<CDrawContext*>(wParam);
    if (m_root == nullptr || context == nullptr)
        return;
    m_root->DoPaint(*context, GetClientRect());
}

void CUIManager::OnDelayedCleanup()
{
    std::vector<std::unique_ptr<CControlUI>> doomed = std::move(m_delayedCleanup);
    m_delayedCleanup.clear();
    doomed.clear();
}

} // namespace SkinUI
