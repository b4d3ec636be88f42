#include "Toolkit/Core/UIManager.h"

#include "Platform/Draw.h"
#include "Platform/Input.h"
#include "Platform/Time.h"
#include "Platform/ToolTip.h"
#include "Toolkit/Controls/ControlUI.h"

#include <algorithm>
#include <cwctype>

namespace SkinUI {

namespace {

plat::HINSTANCE g_instance = nullptr;
ImageDrawer g_imageDrawer = nullptr;
ImageLoader g_imageLoader = nullptr;

template <typename T>
bool AddUnique(std::vector<T*>& list, T* item)
{
    if (item == nullptr || std::find(list.begin(), list.end(), item) != list.end())
        return false;
    list.push_back(item);
    return true;
}

template <typename T>
bool RemoveItem(std::vector<T*>& list, T* item)
{
    const auto found = std::find(list.begin(), list.end(), item);
    if (found == list.end())
        return false;
    list.erase(found);
    return true;
}

CControlUI* FindFromPoint(CControlUI* control, void* data)
{
    const TPoint& point = *static_cast<const TPoint*>(data);
    return control->GetPos().Contains(point.x, point.y) ? control : nullptr;
}

CControlUI* IndexName(CControlUI* control, void* data)
{
    const std::wstring name = control->GetName();
    if (!name.empty())
        (*static_cast<std::unordered_map<std::wstring, CControlUI*>*>(data))[name] = control;
    return nullptr; // visit every control
}

struct TFindTab {
    CControlUI* focus = nullptr;
    CControlUI* last = nullptr;
    bool forward = true;
    bool nextIsIt = false;
};

CControlUI* FindFromTab(CControlUI* control, void* data)
{
    TFindTab& info = *static_cast<TFindTab*>(data);
    if (control == info.focus) {
        if (info.forward)
            info.nextIsIt = true;
        return info.forward ? nullptr : info.last;
    }
    if ((control->GetControlFlags() & kControlFlagTabStop) == 0)
        return nullptr;
    info.last = control;
    if (info.nextIsIt || info.focus == nullptr)
        return control;
    return nullptr;
}

struct TFindShortcut {
    wchar_t ch = 0;
    bool pickNext = false;
};

CControlUI* FindFromShortcut(CControlUI* control, void* data)
{
    if (!control->IsVisible())
        return nullptr;
    TFindShortcut& info = *static_cast<TFindShortcut*>(data);
    if (info.ch == static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(control->GetShortcut()))))
        info.pickNext = true;
    // A label names the control after it; labels never take the focus themselves.
    if (control->GetClass().find(L"LabelUI") != std::wstring_view::npos)
        return nullptr;
    return info.pickNext ? control : nullptr;
}

std::uint16_t MapKeyState()
{
    std::uint16_t state = 0;
    if (plat::GetKeyState(plat::VK_LBUTTON) < 0)
        state |= kKeyStateLButton;
    if (plat::GetKeyState(plat::VK_RBUTTON) < 0)
        state |= kKeyStateRButton;
    if (plat::GetKeyState(plat::VK_SHIFT) < 0)
        state |= kKeyStateShift;
    if (plat::GetKeyState(plat::VK_CONTROL) < 0)
        state |= kKeyStateControl;
    if (plat::GetKeyState(plat::VK_MENU) < 0)
        state |= kKeyStateAlt;
    return state;
}

} // namespace

// ---- Life cycle ----------------------------------------------------------------------------------

CUIManager::CUIManager() = default;

CUIManager::~CUIManager()
{
    m_translators.clear();
    m_delayedCleanup.clear();
    m_asyncNotify.clear();
    m_names.clear();
    m_root.reset();
    m_timers.Clear(m_window);
    if (m_toolTip != nullptr)
        plat::DestroyWindow(m_toolTip);
    RemoveItem(Managers(), this);
}

std::vector<CUIManager*>& CUIManager::Managers()
{
    static std::vector<CUIManager*> managers;
    return managers;
}

void CUIManager::SetInstance(plat::HINSTANCE instance) { g_instance = instance; }
plat::HINSTANCE CUIManager::GetInstance() { return g_instance; }
void CUIManager::SetImageDrawer(ImageDrawer drawer) { g_imageDrawer = drawer; }
void CUIManager::SetImageLoader(ImageLoader loader) { g_imageLoader = loader; }

void CUIManager::Init(plat::HWND window)
{
    m_window = window;
    AddUnique(Managers(), this);
}

// ---- The control tree --------------------------------------------------------------------------

bool CUIManager::AttachRoot(CControlUI* root)
{
    SetFocus(nullptr);
    m_eventKey = nullptr;
    m_eventHover = nullptr;
    m_eventClick = nullptr;
    if (root != nullptr && root == m_root.get()) {
        // Installing the same root again only binds and indexes it afresh.
        m_postPaint.clear();
        root = m_root.release();
    } else if (m_root != nullptr) {
        // We may be inside an event of the old tree: it dies on the cleanup message instead.
        m_postPaint.clear();
        AddDelayedCleanup(m_root.release());
    }
    m_root.reset(root);
    m_updateNeeded = true;
    m_firstLayout = true;
    m_focusNeeded = true;
    if (root == nullptr)
        return false;
    InitControls(root);
    return true;
}

void CUIManager::InitControls(CControlUI* control, CControlUI* parent)
{
    if (control == nullptr)
        return;
    control->SetManager(this, parent != nullptr ? parent : control->GetParent(), true);
    control->FindControl(IndexName, &m_names, kFindAll);
}

void CUIManager::ReapObjects(CControlUI* control)
{
    if (control == nullptr)
        return;
    if (control == m_eventKey)
        m_eventKey = nullptr;
    if (control == m_eventHover)
        m_eventHover = nullptr;
    if (control == m_eventClick)
        m_eventClick = nullptr;
    if (control == m_focus)
        m_focus = nullptr;
    KillTimers(control);
    if (control == nullptr)
        return;
    const auto named = m_names.find(control->GetName());
    if (named != m_names.end() && named->second == control)
        m_names.erase(named);
    for (TNotifyMsg& msg : m_asyncNotify) {
        if (msg.sender == control)
            msg.sender = nullptr;
    }
    // Lists that hold plain pointers must not outlive the control.
    RemoveItem(m_postPaint, control);
    for (auto group = m_optionGroups.begin(); group != m_optionGroups.end();) {
        RemoveItem(group->second, control);
        group = group->second.empty() ? m_optionGroups.erase(group) : std::next(group);
    }
}

void CUIManager::AddDelayedCleanup(CControlUI* control)
{
    if (control == nullptr)
        return;
    control->SetManager(this, nullptr, false);
    m_delayedCleanup.emplace_back(control);
    if (m_window != nullptr)
        plat::PostMessage(m_window, kMsgDelayedCleanup, 0, 0);
}

CControlUI* CUIManager::FindControl(std::wstring_view name) const
{
    const auto found = m_names.find(std::wstring(name));
    return found == m_names.end() ? nullptr : found->second;
}

CControlUI* CUIManager::FindControl(TPoint point) const
{
    if (m_root == nullptr)
        return nullptr;
    return m_root->FindControl(FindFromPoint, &point, kFindVisible | kFindHitTest | kFindTopFirst);
}

// ---- Focus -------------------------------------------------------------------------------------

void CUIManager::SetFocus(CControlUI* control)
{
    if (m_window != nullptr && plat::GetFocus() != m_window && control != m_focus)
        plat::SetFocus(m_window);
    if (control == m_focus)
        return;
    if (m_focus != nullptr) {
        CControlUI* old = m_focus;
        TUIEvent event = MakeEvent(kEventKillFocus, control);
        old->Event(event);
        SendNotify(old, kNotifyKillFocus);
        m_focus = nullptr;
    }
    if (control == nullptr || control->GetManager() != this || !control->IsVisible() || !control->IsEnabled())
        return;
    m_focus = control;
    TUIEvent event = MakeEvent(kEventSetFocus, control);
    control->Event(event);
    SendNotify(control, kNotifySetFocus);
}

bool CUIManager::SetNextTabControl(bool forward)
{
    if (m_window != nullptr &&
        (static_cast<plat::DWORD>(plat::GetWindowLongPtr(m_window, plat::GWL_EXSTYLE)) & plat::WS_EX_TOOLWINDOW) != 0)
        return false;
    if (m_updateNeeded && forward) {
        // Layout is pending: the search waits for the next paint.
        m_focusNeeded = true;
        if (m_window != nullptr)
            plat::InvalidateRect(m_window, nullptr, false);
        return true;
    }
    if (m_root == nullptr)
        return false;
    constexpr unsigned kFlags = kFindVisible | kFindEnabled | kFindMeFirst;
    TFindTab first;
    first.focus = m_focus;
    first.forward = forward;
    CControlUI* next = m_root->FindControl(FindFromTab, &first, kFlags);
    if (next == nullptr) {
        if (forward) {
            TFindTab wrap;
            wrap.forward = true;
            next = m_root->FindControl(FindFromTab, &wrap, kFlags);
        } else {
            next = first.last;
        }
    }
    if (next != nullptr)
        SetFocus(next);
    m_focusNeeded = false;
    return true;
}

// ---- Timers and capture --------------------------------------------------------------------------

bool CUIManager::SetTimer(CControlUI* control, plat::UINT localId, plat::UINT elapseMs)
{
    return m_timers.Set(m_window, control, localId, elapseMs);
}

bool CUIManager::KillTimer(CControlUI* control, plat::UINT localId) { return m_timers.Kill(m_window, control, localId); }
void CUIManager::KillTimers(CControlUI* control) { m_timers.KillAll(m_window, control); }

void CUIManager::SetCapture()
{
    plat::SetCapture(m_window);
    m_mouseCapture = true;
}

void CUIManager::ReleaseCapture()
{
    plat::ReleaseCapture();
    m_mouseCapture = false;
}

void CUIManager::Invalidate(const TRect& rect)
{
    if (m_window == nullptr)
        return;
    const plat::RECT native{rect.left, rect.top, rect.right, rect.bottom};
    plat::InvalidateRect(m_window, &native, false);
}

// ---- Notifications -------------------------------------------------------------------------------

void CUIManager::SendNotify(CControlUI* control, std::wstring_view type, plat::WPARAM wParam, plat::LPARAM lParam,
                            bool async)
{
    TNotifyMsg msg;
    msg.type = type;
    msg.sender = control;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg, async);
}

void CUIManager::SendNotify(TNotifyMsg& msg, bool async)
{
    msg.mousePos = m_lastMousePos;
    msg.timestamp = plat::GetTickCount();
    if (m_usedVirtualWnd && msg.sender != nullptr)
        msg.virtualWnd = msg.sender->GetVirtualWnd();
    if (async) {
        m_asyncNotify.push_back(msg);
        return;
    }
    if (msg.sender != nullptr)
        msg.sender->OnNotify(msg);
    // A receiver may add or remove receivers: read the list afresh at every step.
    for (std::size_t i = 0; i < m_notifiers.size(); ++i)
        m_notifiers[i]->Notify(msg);
}

void CUIManager::DeliverAsyncNotifications()
{
    while (!m_asyncNotify.empty()) {
        TNotifyMsg msg = std::move(m_asyncNotify.front());
        m_asyncNotify.erase(m_asyncNotify.begin());
        if (msg.sender != nullptr)
            msg.sender->OnNotify(msg);
        for (std::size_t i = 0; i < m_notifiers.size(); ++i)
            m_notifiers[i]->Notify(msg);
    }
}

TUIEvent CUIManager::MakeEvent(int type, CControlUI* sender) const
{
    TUIEvent event;
    event.type = type;
    event.sender = sender;
    event.timestamp = plat::GetTickCount();
    event.mousePos = m_lastMousePos;
    event.keyState = MapKeyState();
    return event;
}

bool CUIManager::AddNotifier(INotifyUI* notifier) { return AddUnique(m_notifiers, notifier); }
bool CUIManager::RemoveNotifier(INotifyUI* notifier) { return RemoveItem(m_notifiers, notifier); }
bool CUIManager::AddPreMessageFilter(IMessageFilterUI* filter) { return AddUnique(m_preFilters, filter); }
bool CUIManager::RemovePreMessageFilter(IMessageFilterUI* filter) { return RemoveItem(m_preFilters, filter); }
bool CUIManager::AddMessageFilter(IMessageFilterUI* filter) { return AddUnique(m_filters, filter); }
bool CUIManager::RemoveMessageFilter(IMessageFilterUI* filter) { return RemoveItem(m_filters, filter); }
bool CUIManager::AddPostPaint(CControlUI* control) { return AddUnique(m_postPaint, control); }
bool CUIManager::RemovePostPaint(CControlUI* control) { return RemoveItem(m_postPaint, control); }

bool CUIManager::AddTranslateAccelerator(ITranslateAccelerator* translator)
{
    return AddUnique(m_translators, translator);
}

bool CUIManager::RemoveTranslateAccelerator(ITranslateAccelerator* translator)
{
    return RemoveItem(m_translators, translator);
}

// ---- Option groups and resources -----------------------------------------------------------------

bool CUIManager::AddOptionGroup(std::wstring_view group, CControlUI* option)
{
    if (option == nullptr)
        return false;
    auto found = m_optionGroups.find(group);
    if (found == m_optionGroups.end())
        found = m_optionGroups.emplace(std::wstring(group), std::vector<CControlUI*>{}).first;
    return AddUnique(found->second, option);
}

const std::vector<CControlUI*>* CUIManager::GetOptionGroup(std::wstring_view group) const
{
    const auto found = m_optionGroups.find(group);
    return found == m_optionGroups.end() ? nullptr : &found->second;
}

void CUIManager::RemoveOptionGroup(std::wstring_view group, CControlUI* option)
{
    const auto found = m_optionGroups.find(group);
    if (found == m_optionGroups.end())
        return;
    RemoveItem(found->second, option);
    if (found->second.empty())
        m_optionGroups.erase(found);
}

namespace {

TFontInfo MakeFont(std::wstring_view face, int size, bool bold, bool underline, bool italic)
{
    TFontInfo font;
    font.face = face.substr(0, TFontInfo::kMaxFaceLength);
    font.size = size;
    // Bold adds to the base weight rather than replacing it.
    font.weight = TFontInfo::kNormalWeight + (bold ? 700 : 0);
    font.bold = bold;
    font.underline = underline;
    font.italic = italic;
    return font;
}

} // namespace

const TFontInfo* CUIManager::AddFont(std::wstring_view face, int size, bool bold, bool underline, bool italic)
{
    m_fonts.push_back(MakeFont(face, size, bold, underline, italic));
    return &m_fonts.back();
}

void CUIManager::SetDefaultFont(std::wstring_view face, int size, bool bold, bool underline, bool italic)
{
    m_defaultFont = MakeFont(face, size, bold, underline, italic);
}

const TFontInfo& CUIManager::GetFontInfo(int index) const
{
    if (index < 0 || index >= GetFontCount())
        return m_defaultFont;
    return m_fonts[static_cast<std::size_t>(index)];
}

const TImageInfo* CUIManager::GetImageEx(std::wstring_view name, std::wstring_view resourceType, TColor mask)
{
    if (const TImageInfo* cached = GetImage(name))
        return cached;
    return AddImage(name, resourceType, mask);
}

const TImageInfo* CUIManager::AddImage(std::wstring_view name, std::wstring_view resourceType, TColor mask)
{
    if (name.empty())
        return nullptr;
    if (const TImageInfo* existing = GetImage(name))
        return existing;
    if (!resourceType.empty() && !(name.front() >= L'0' && name.front() <= L'9'))
        return nullptr;
    if (g_imageLoader == nullptr)
        return nullptr;
    std::unique_ptr<TImageInfo> image = g_imageLoader(name, resourceType, mask);
    if (image == nullptr)
        return nullptr;
    return m_images.emplace(std::wstring(name), std::move(image)).first->second.get();
}

const TImageInfo* CUIManager::GetImage(std::wstring_view name) const
{
    const auto found = m_images.find(name);
    return found == m_images.end() ? nullptr : found->second.get();
}

bool CUIManager::DrawImage(CDrawContext& context, const TRect& dest, const TRect& paint, std::wstring_view description)
{
    if (g_imageDrawer == nullptr)
        return true;
    return g_imageDrawer(context, *this, dest, paint, description);
}

void CUIManager::AddDefaultAttributeList(std::wstring_view controlName, std::wstring_view list)
{
    m_defaultAttributes.emplace(std::wstring(controlName), std::wstring(list));
}

const std::wstring* CUIManager::GetDefaultAttributeList(std::wstring_view controlName) const
{
    const auto found = m_defaultAttributes.find(controlName);
    return found == m_defaultAttributes.end() ? nullptr : &found->second;
}

// ---- Window settings -----------------------------------------------------------------------------

void CUIManager::SetInitSize(int cx, int cy)
{
    m_initSize = {cx, cy};
    if (m_root == nullptr && m_window != nullptr)
        plat::SetWindowPos(m_window, nullptr, 0, 0, cx, cy,
                           plat::SWP_NOZORDER | plat::SWP_NOMOVE | plat::SWP_NOACTIVATE);
}

void CUIManager::SetOpacity(int alpha)
{
    m_opacity = std::max(alpha, 0);
    if (m_window == nullptr)
        return;
    const auto exStyle = static_cast<plat::DWORD>(plat::GetWindowLongPtr(m_window, plat::GWL_EXSTYLE));
    if (m_opacity > 255) {
        plat::SetWindowLongPtr(m_window, plat::GWL_EXSTYLE, exStyle & ~plat::WS_EX_LAYERED);
        return;
    }
    plat::SetWindowLongPtr(m_window, plat::GWL_EXSTYLE, exStyle | plat::WS_EX_LAYERED);
    plat::SetLayeredOpacity(m_window, static_cast<std::uint8_t>(m_opacity));
}

// ---- Modal translation ---------------------------------------------------------------------------

bool CUIManager::TranslateMessage(const plat::MSG& msg)
{
    const auto style = static_cast<plat::DWORD>(plat::GetWindowLongPtr(msg.hwnd, plat::GWL_STYLE));
    plat::LRESULT result = 0;
    for (std::size_t i = 0; i < Managers().size(); ++i) {
        CUIManager* manager = Managers()[i];
        bool mine = msg.hwnd == manager->m_window;
        if ((style & plat::WS_CHILD) != 0) {
            for (plat::HWND parent = plat::GetParent(msg.hwnd); parent != nullptr && !mine;
                 parent = plat::GetParent(parent))
                mine = parent == manager->m_window;
        }
        if (!mine)
            continue;
        if (manager->TranslateAccelerator(msg))
            return true;
        return manager->PreMessageHandler(msg.message, msg.wParam, msg.lParam, result);
    }
    return false;
}

bool CUIManager::TranslateAccelerator(const plat::MSG& msg)
{
    for (std::size_t i = 0; i < m_translators.size(); ++i) {
        if (m_translators[i]->TranslateAccelerator(msg))
            return true;
    }
    return false;
}

bool CUIManager::PreMessageHandler(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam,
                                   plat::LRESULT& /*result*/)
{
    for (std::size_t i = 0; i < m_preFilters.size(); ++i) {
        bool handled = false;
        m_preFilters[i]->MessageHandler(message, wParam, lParam, handled);
        if (handled)
            return true;
    }
    switch (message) {
    case plat::WM_KEYDOWN:
        // No control of this toolkit wants the Tab key for itself.
        if (wParam == static_cast<plat::WPARAM>(plat::VK_TAB)) {
            SetNextTabControl(plat::GetKeyState(plat::VK_SHIFT) >= 0);
            return true;
        }
        break;
    case plat::WM_SYSCHAR: {
        if (m_root == nullptr)
            break;
        TFindShortcut info;
        info.ch = static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(wParam)));
        CControlUI* control = m_root->FindControl(FindFromShortcut, &info, kFindEnabled | kFindMeFirst | kFindTopFirst);
        if (control != nullptr) {
            control->SetFocus();
            control->Activate();
            return true;
        }
        break;
    }
    case plat::WM_SYSKEYDOWN:
        if (m_focus != nullptr) {
            TUIEvent event = MakeEvent(kEventSysKey, m_focus);
            event.key = static_cast<std::uint16_t>(wParam);
            m_focus->Event(event);
        }
        break;
    default:
        break;
    }
    return false;
}

} // namespace SkinUI
