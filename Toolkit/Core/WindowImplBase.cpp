#include "Toolkit/Core/WindowImplBase.h"

#include "Platform/File.h"
#include "Platform/Input.h"
#include "Platform/MessageBox.h"
#include "Platform/Resource.h"
#include "Toolkit/Controls/ControlUI.h"
#include "Toolkit/Core/AttributeValue.h"
#include "Toolkit/Render/SkinArchive.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cwctype>
#include <span>
#include <string_view>
#include <vector>

namespace SkinUI {

namespace {

constexpr plat::LRESULT kValidRectsRedraw = 0x0300;
constexpr unsigned kSystemCommandMask = 0xFFF0;
constexpr const wchar_t* kSkinResourceType = L"ZIPRES";
constexpr const wchar_t* kLayoutResourceType = L"xml";

std::vector<unsigned char>& SkinBuffer()
{
    static std::vector<unsigned char> buffer;
    return buffer;
}

void ShowLoadFailure()
{
    plat::MessageBox(nullptr, WindowImplBase::kLoadFailedText, WindowImplBase::kLoadFailedCaption,
                     plat::MB_OK | plat::MB_ICONERROR);
    std::exit(1);
}

WindowImplBase::LoadFailureHandler g_loadFailure = ShowLoadFailure;

// The executable's folder with its trailing separator.
std::wstring ExecutableFolder()
{
    std::array<wchar_t, 1024> path{};
    const plat::DWORD length = plat::GetModuleFileName(path.data(), static_cast<plat::DWORD>(path.size()));
    const std::wstring_view full(path.data(), length);
    const std::size_t slash = full.find_last_of(L"\\/");
    return slash == std::wstring_view::npos ? std::wstring() : std::wstring(full.substr(0, slash + 1));
}

// Classes a window can be dragged by: their controls do nothing with a press.
bool IsPassiveClass(std::wstring_view className)
{
    static constexpr std::wstring_view kPassive[] = {L"verticallayoutui", L"horizontallayoutui", L"tilelayoutui",
                                                     L"tablayoutui",      L"childlayoutui",      L"controlui",
                                                     L"containerui",      L"progressui",         L"labelui"};
    std::wstring lower(className);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c))); });
    return std::find(std::begin(kPassive), std::end(kPassive), lower) != std::end(kPassive);
}

TRect ToRect(const plat::RECT& r)
{
    return {static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right), static_cast<int>(r.bottom)};
}

} // namespace

void WindowImplBase::ReleaseSkinBuffer()
{
    std::vector<unsigned char>().swap(SkinBuffer());
}

void WindowImplBase::SetLoadFailureHandler(LoadFailureHandler handler)
{
    g_loadFailure = handler != nullptr ? handler : ShowLoadFailure;
}

plat::HWND WindowImplBase::Create(plat::HWND parent, const wchar_t* title, plat::DWORD style, plat::DWORD exStyle,
                                  int x, int y, int cx, int cy)
{
    const bool sized = cx != plat::CW_USEDEFAULT && cy != plat::CW_USEDEFAULT;
    m_manager.SetInitSize(sized ? cx : 0, sized ? cy : 0);
    const plat::HWND window = CWindowWnd::Create(parent, title, style, exStyle, x, y, cx, cy);
    if (window != nullptr && sized && cx != 0 && cy != 0)
        plat::SetWindowPos(window, nullptr, x, y, cx, cy, plat::SWP_FRAMECHANGED | plat::SWP_NOZORDER | plat::SWP_NOACTIVATE);
    return window;
}

// ---- Defaults of the overridable operations ------------------------------------------------------

void WindowImplBase::InitWindow() {}

void WindowImplBase::OnClick(TNotifyMsg& msg)
{
    const std::wstring name = msg.sender != nullptr ? msg.sender->GetName() : std::wstring();
    if (name == L"btn_close")
        Close(1);
    else if (name == L"btn_min")
        SendMessage(plat::WM_SYSCOMMAND, plat::SC_MINIMIZE, 0);
    else if (name == L"btn_max")
        SendMessage(plat::WM_SYSCOMMAND, plat::SC_MAXIMIZE, 0);
    else if (name == L"btn_restore")
        SendMessage(plat::WM_SYSCOMMAND, plat::SC_RESTORE, 0);
}

bool WindowImplBase::OnDefaultKey(plat::WPARAM key)
{
    if (key == static_cast<plat::WPARAM>(plat::VK_ESCAPE)) {
        Close(1);
        return true;
    }
    return false;
}

int WindowImplBase::GetSkinSource() const { return kSkinResourceArchive; }
std::wstring WindowImplBase::GetSkinArchiveName() const { return {}; }
unsigned WindowImplBase::GetSkinResourceId() const { return 150; }
plat::UINT WindowImplBase::GetClassStyle() const { return plat::CS_DBLCLKS; }

plat::DWORD WindowImplBase::GetStyle() const
{
    return static_cast<plat::DWORD>(plat::GetWindowLongPtr(m_window, plat::GWL_STYLE)) & ~plat::WS_CAPTION;
}

CControlUI* WindowImplBase::CreateControl(std::wstring_view /*elementName*/) { return nullptr; }

void WindowImplBase::Notify(TNotifyMsg& msg) { NotifyPump(msg); }

plat::LRESULT WindowImplBase::MessageHandler(plat::UINT message, plat::WPARAM wParam, plat::LPARAM /*lParam*/,
                                             bool& /*handled*/)
{
    // The key goes on as usual afterwards: this filter never claims it.
    if (message == plat::WM_KEYDOWN &&
        (wParam == static_cast<plat::WPARAM>(plat::VK_RETURN) || wParam == static_cast<plat::WPARAM>(plat::VK_ESCAPE)))
        return OnDefaultKey(wParam) ? 1 : 0;
    return 0;
}

const TNotifyMap* WindowImplBase::GetMessageTable() const
{
    static const TNotifyEntry entries[] = {
        NotifyHandler<&WindowImplBase::OnClick>(kNotifyClick, L""),
    };
    static const TNotifyMap table{CNotifyPump::GetMessageTable(), entries};
    return &table;
}

// ---- Routing -------------------------------------------------------------------------------------

plat::LRESULT WindowImplBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    using THandler = LRESULT (WindowImplBase::*)(UINT, WPARAM, LPARAM, bool&);
    struct TRoute {
        UINT message;
        THandler handler;
    };
    static const TRoute kRoutes[] = {
        {plat::WM_CREATE, &WindowImplBase::OnCreate},
        {plat::WM_CLOSE, &WindowImplBase::OnClose},
        {plat::WM_DESTROY, &WindowImplBase::OnDestroy},
        {plat::WM_NCACTIVATE, &WindowImplBase::OnNcActivate},
        {plat::WM_NCCALCSIZE, &WindowImplBase::OnNcCalcSize},
        {plat::WM_NCPAINT, &WindowImplBase::OnNcPaint},
        {plat::WM_NCLBUTTONDOWN, &WindowImplBase::OnNcLButtonDown},
        {plat::WM_NCHITTEST, &WindowImplBase::OnNcHitTest},
        {plat::WM_GETMINMAXINFO, &WindowImplBase::OnGetMinMaxInfo},
        {plat::WM_MOUSEWHEEL, &WindowImplBase::OnMouseWheel},
        {plat::WM_MOUSEHOVER, &WindowImplBase::OnMouseHover},
        {plat::WM_SIZE, &WindowImplBase::OnSize},
        {plat::WM_MOVE, &WindowImplBase::OnMove},
        {plat::WM_CHAR, &WindowImplBase::OnChar},
        {plat::WM_SYSCOMMAND, &WindowImplBase::OnSysCommand},
        {plat::WM_KEYDOWN, &WindowImplBase::OnKeyDown},
        {plat::WM_KILLFOCUS, &WindowImplBase::OnKillFocus},
        {plat::WM_SETFOCUS, &WindowImplBase::OnSetFocus},
        {plat::WM_LBUTTONDOWN, &WindowImplBase::OnLButtonDown},
        {plat::WM_LBUTTONUP, &WindowImplBase::OnLButtonUp},
        {plat::WM_MOUSEMOVE, &WindowImplBase::OnMouseMove},
        {plat::WM_SHOWWINDOW, &WindowImplBase::OnShowWindow},
    };
    bool handled = false;
    LRESULT result = 0;
    for (const TRoute& route : kRoutes) {
        if (route.message == message) {
            handled = true;
            result = (this->*route.handler)(message, wParam, lParam, handled);
            break;
        }
    }
    if (handled)
        return result;
    handled = true;
    result = HandleCustomMessage(message, wParam, lParam, handled);
    if (handled)
        return result;
    if (m_manager.MessageHandler(message, wParam, lParam, result))
        return result;
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

plat::LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

plat::LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

plat::LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, bool& handled)
{
    if (plat::IsIconic(m_window))
        handled = false;
    return wParam == 0 ? 1 : 0;
}

plat::LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM wParam, LPARAM lParam, bool& /*handled*/)
{
    plat::RECT* client = wParam != 0 ? &reinterpret_cast<plat::NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                                     : reinterpret_cast<plat::RECT*>(lParam);
    if (client == nullptr || !plat::IsZoomed(m_window))
        return 0;
    plat::MonitorArea area{};
    plat::GetNearestMonitorArea(m_window, &area);
    client->right = client->left + (area.work.right - area.work.left);
    client->bottom = client->top + (area.work.bottom - area.work.top);
    return kValidRectsRedraw;
}

plat::LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, bool&) { return 0; }

plat::LRESULT WindowImplBase::OnNcLButtonDown(UINT, WPARAM, LPARAM, bool& handled)
{
    if (m_manager.GetFocus() != nullptr)
        m_manager.SetFocus(nullptr);
    handled = false;
    return 0;
}

plat::LRESULT WindowImplBase::HitTestBorders(TPoint point, const TRect& client) const
{
    const TSize grip = m_manager.GetSizeGrip();
    if (grip.cx > 0 && grip.cy > 0 && point.x >= client.right - grip.cx && point.y >= client.bottom - grip.cy)
        return plat::HTBOTTOMRIGHT;
    const TRect& box = m_manager.GetSizeBox();
    const bool left = point.x < client.left + box.left;
    const bool right = point.x > client.right - box.right;
    if (point.y < client.top + box.top)
        return left ? plat::HTTOPLEFT : right ? plat::HTTOPRIGHT : plat::HTTOP;
    if (point.y > client.bottom - box.bottom)
        return left ? plat::HTBOTTOMLEFT : right ? plat::HTBOTTOMRIGHT : plat::HTBOTTOM;
    if (left)
        return plat::HTLEFT;
    if (right)
        return plat::HTRIGHT;
    return plat::HTNOWHERE;
}

bool WindowImplBase::IsCaptionAt(TPoint point) const
{
    for (CControlUI* control = m_manager.FindControl(point); control != nullptr; control = control->GetParent()) {
        if (!IsPassiveClass(control->GetClass()))
            return false;
    }
    return true;
}

plat::LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool& /*handled*/)
{
    plat::POINT screen = plat::PointFromLParam(lParam);
    plat::ScreenToClient(m_window, &screen);
    const TPoint point{static_cast<int>(screen.x), static_cast<int>(screen.y)};
    plat::RECT nativeClient{};
    plat::GetClientRect(m_window, &nativeClient);
    const TRect client = ToRect(nativeClient);
    if (!plat::IsZoomed(m_window)) {
        const LRESULT border = HitTestBorders(point, client);
        if (border != plat::HTNOWHERE)
            return border;
    }
    const TRect& caption = m_manager.GetCaptionRect();
    if (point.x >= client.left + caption.left && point.x < client.right - caption.right && point.y >= caption.top &&
        point.y < caption.bottom && IsCaptionAt(point))
        return plat::HTCAPTION;
    return plat::HTCLIENT;
}

plat::LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool& handled)
{
    auto* info = reinterpret_cast<plat::MINMAXINFO*>(lParam);
    plat::MonitorArea area{};
    if (info != nullptr && plat::GetNearestMonitorArea(m_window, &area)) {
        info->ptMaxPosition = {area.work.left - area.monitor.left, area.work.top - area.monitor.top};
        info->ptMaxTrackSize = {area.work.right - area.work.left, area.work.bottom - area.work.top};
        info->ptMinTrackSize = {m_manager.GetMinInfo().cx, m_manager.GetMinInfo().cy};
    }
    handled = false;
    return 0;
}

plat::LRESULT WindowImplBase::OnMouseWheel(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

plat::LRESULT WindowImplBase::OnMouseHover(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

plat::LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, bool& handled)
{
    const TSize corner = m_manager.GetRoundCorner();
    if (!plat::IsIconic(m_window) && (corner.cx != 0 || corner.cy != 0)) {
        plat::RECT window{};
        plat::GetWindowRect(m_window, &window);
        // One pixel more each way, so the right and bottom edges stay inside the region.
        plat::SetWindowRoundRegion(m_window, 0, 0, static_cast<int>(window.right - window.left) + 1,
                                   static_cast<int>(window.bottom - window.top) + 1, corner.cx, corner.cy, true);
    }
    handled = false;
    return 0;
}

plat::LRESULT WindowImplBase::OnMove(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

plat::LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

plat::LRESULT WindowImplBase::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& /*handled*/)
{
    if ((wParam & kSystemCommandMask) == plat::SC_CLOSE) {
        SendMessage(plat::WM_CLOSE);
        return 0;
    }
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

plat::LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

plat::LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

plat::LRESULT WindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

plat::LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

plat::LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

plat::LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

plat::LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

plat::LRESULT WindowImplBase::OnShowWindow(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

// ---- Creation ------------------------------------------------------------------------------------

plat::LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, bool& /*handled*/)
{
    const auto style = static_cast<plat::DWORD>(plat::GetWindowLongPtr(m_window, plat::GWL_STYLE));
    plat::SetWindowLongPtr(m_window, plat::GWL_STYLE,
                           static_cast<plat::LONG_PTR>((style & ~plat::WS_CAPTION) | plat::WS_CLIPSIBLINGS |
                                                       plat::WS_CLIPCHILDREN));
    plat::SetWindowPos(m_window, nullptr, 0, 0, 0, 0,
                       plat::SWP_NOMOVE | plat::SWP_NOSIZE | plat::SWP_NOZORDER | plat::SWP_NOACTIVATE |
                           plat::SWP_FRAMECHANGED);
    m_manager.Init(m_window);
    m_manager.AddPreMessageFilter(this);
    if (!PrepareSkin())
        return 0;
    CControlUI* root = BuildLayout();
    if (root == nullptr) {
        g_loadFailure();
        return 0;
    }
    m_manager.AttachRoot(root);
    m_manager.AddNotifier(this);
    InitWindow();
    return 0;
}

bool WindowImplBase::PrepareSkin()
{
    CSkinArchive& skin = CSkinArchive::Process();
    // Layout files are read through the process's skin, whatever reader was installed before.
    CSkinArchive::InstallLayoutReader();
    if (skin.GetResourcePath().empty())
        skin.SetResourcePath(ExecutableFolder() + GetSkinFolder());
    switch (GetSkinSource()) {
    case kSkinArchiveFile:
        skin.SetResourceZip(GetSkinArchiveName());
        break;
    case kSkinResourceArchive: {
        std::vector<unsigned char>& buffer = SkinBuffer();
        if (buffer.empty() &&
            !plat::LoadResourceBytes(CUIManager::GetInstance(), GetSkinResourceId(), kSkinResourceType, buffer))
            return false;
        skin.SetResourceZip(buffer.data(), buffer.size());
        break;
    }
    default:
        break;
    }
    return true;
}

CControlUI* WindowImplBase::BuildLayout()
{
    CLayoutBuilder builder;
    if (GetSkinSource() == kSkinResourceLayout)
        return builder.Build(static_cast<unsigned>(ParseInt(GetSkinFile())), kLayoutResourceType, this, &m_manager);
    return builder.Build(GetSkinFile(), this, &m_manager);
}

void WindowImplBase::OnFinalMessage(plat::HWND window)
{
    CWindowWnd::OnFinalMessage(window);
    m_manager.RemovePreMessageFilter(this);
    m_manager.RemoveNotifier(this);
    if (CControlUI* root = m_manager.GetRoot())
        m_manager.ReapObjects(root);
}

} // namespace SkinUI
