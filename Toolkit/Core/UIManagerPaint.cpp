#include "Toolkit/Core/UIManager.h"

#include "Platform/Draw.h"
#include "Toolkit/Controls/ControlUI.h"
#include "Toolkit/Render/RenderKit.h"

#include <string>

namespace SkinUI {

// ---- Painting ------------------------------------------------------------------------------------

TRect CUIManager::GetClientRect() const
{
    plat::RECT client{};
    plat::GetClientRect(m_window, &client);
    return {static_cast<int>(client.left), static_cast<int>(client.top), static_cast<int>(client.right),
            static_cast<int>(client.bottom)};
}

namespace {

CControlUI* FindFromUpdate(CControlUI* control, void* /*data*/) { return control->IsUpdateNeeded() ? control : nullptr; }

// Bounds a layout pass whose controls keep asking for more layout while being placed.
constexpr int kMaxPartialLayouts = 100000;

} // namespace

void CUIManager::LayoutIfNeeded(const TRect& client)
{
    if (!m_updateNeeded)
        return;
    m_updateNeeded = false;
    if (client.IsEmpty())
        return;
    if (m_root->IsUpdateNeeded()) {
        m_root->SetPos(client);
        m_offscreen = CBitmap();
    } else {
        int passes = 0;
        while (CControlUI* control = m_root->FindControl(FindFromUpdate, nullptr, kFindVisible | kFindMeFirst)) {
            control->SetPos(control->GetPos());
            if (++passes == kMaxPartialLayouts)
                break;
        }
    }
    if (m_firstLayout) {
        m_firstLayout = false;
        SendNotify(m_root.get(), kNotifyWindowInit);
    }
}

bool CUIManager::OnPaint()
{
    plat::RECT update{};
    if (!plat::GetUpdateRect(m_window, &update))
        return true;
    if (m_root == nullptr) {
        plat::PaintPass pass;
        plat::BeginPaint(m_window, &pass);
        plat::EndPaint(m_window, &pass);
        return true;
    }
    const TRect client = GetClientRect();
    if (m_layeredWindow) {
        PaintLayered(client);
    } else {
        LayoutIfNeeded(client);
        if (m_focusNeeded) {
            if (m_focus != nullptr)
                m_focusNeeded = false;
            else
                SetNextTabControl();
        }
        PaintNormal(client);
    }
    if (m_updateNeeded)
        plat::InvalidateRect(m_window, nullptr, false);
    return true;
}

void CUIManager::PaintNormal(const TRect& client)
{
    plat::PaintPass pass;
    plat::BeginPaint(m_window, &pass);
    const TRect paint = TRect{static_cast<int>(pass.paint.left), static_cast<int>(pass.paint.top),
                              static_cast<int>(pass.paint.right), static_cast<int>(pass.paint.bottom)}
                            .Intersect(client);
    // Without off-screen painting every pass draws into a fresh surface.
    const bool sizeChanged = m_offscreen.GetWidth() != client.Width() || m_offscreen.GetHeight() != client.Height();
    if (!m_offscreenPaint || sizeChanged)
        m_offscreen.Create(client.Width(), client.Height());
    if (!paint.IsEmpty() && !m_offscreen.IsEmpty()) {
        CDrawContext context(m_offscreen);
        m_root->DoPaint(context, paint);
        for (std::size_t i = 0; i < m_postPaint.size(); ++i)
            m_postPaint[i]->DoPostPaint(context, paint);
        if (m_showUpdateRect)
            CRenderKit::DrawRect(context, paint, 1, MakeArgb(0xFF, 220, 0, 0));
        const plat::RECT dest{paint.left, paint.top, paint.right, paint.bottom};
        const std::uint8_t* origin = m_offscreen.GetBits() + static_cast<std::size_t>(paint.top) * m_offscreen.GetStride() +
                                     static_cast<std::size_t>(paint.left) * 4;
        plat::PresentBitmap(m_window, dest, origin, m_offscreen.GetStride(), paint.Width(), paint.Height());
    }
    plat::EndPaint(m_window, &pass);
}

void CUIManager::PaintLayered(const TRect& client)
{
    const auto exStyle = static_cast<plat::DWORD>(plat::GetWindowLongPtr(m_window, plat::GWL_EXSTYLE));
    if ((exStyle & plat::WS_EX_LAYERED) == 0)
        plat::SetWindowLongPtr(m_window, plat::GWL_EXSTYLE, exStyle | plat::WS_EX_LAYERED);
    plat::PaintPass pass;
    plat::BeginPaint(m_window, &pass);
    LayoutIfNeeded(client);
    if (m_focusNeeded) {
        if (m_focus != nullptr)
            m_focusNeeded = false;
        else
            SetNextTabControl();
    }
    CBitmap surface(client.Width(), client.Height());
    if (!surface.IsEmpty()) {
        CDrawContext context(surface);
        TRect paint = client;
        if (m_shadow && !m_shadowImage.empty()) {
            const TRect& b = m_shadowBorder;
            const std::wstring shadow = L"file='" + m_shadowImage + L"' corner='" + std::to_wstring(b.left) + L"," +
                                        std::to_wstring(b.top) + L"," + std::to_wstring(b.right) + L"," +
                                        std::to_wstring(b.bottom) + L"' hole='true'";
            DrawImage(context, client, client, shadow);
            paint = DeflateRect(client, b);
        }
        m_root->DoPaint(context, paint);
        for (std::size_t i = 0; i < m_postPaint.size(); ++i)
            m_postPaint[i]->DoPostPaint(context, paint);
        plat::RECT window{};
        plat::GetWindowRect(m_window, &window);
        const plat::POINT position{window.left, window.top};
        plat::UpdateLayeredWindow(m_window, &position, client.Width(), client.Height(), surface.GetBits(),
                                  surface.GetStride(), 255);
    }
    plat::EndPaint(m_window, &pass);
}

} // namespace SkinUI
