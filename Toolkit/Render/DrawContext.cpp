#include "Toolkit/Render/DrawContext.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace SkinUI {

namespace {

// Keeps ellipse products within 64 bits.
constexpr int kMaxEllipse = 32767;

long long FloorDiv2(long long value)
{
    return value >= 0 ? value / 2 : -((-value + 1) / 2);
}

std::uint64_t SquareRootFloor(std::uint64_t value)
{
    auto root = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(value)));
    while (root > 0 && root * root > value)
        --root;
    while ((root + 1) * (root + 1) <= value)
        ++root;
    return root;
}

} // namespace

CRoundRegion::CRoundRegion(const TRect& rect, int ellipseWidth, int ellipseHeight) : m_rect(rect)
{
    const long long width = static_cast<long long>(rect.right) - rect.left;
    const long long height = static_cast<long long>(rect.bottom) - rect.top;
    m_ellipseWidth = static_cast<int>(std::clamp<long long>(ellipseWidth, 0, std::min<long long>(width, kMaxEllipse)));
    m_ellipseHeight =
        static_cast<int>(std::clamp<long long>(ellipseHeight, 0, std::min<long long>(height, kMaxEllipse)));
}

// Works in doubled coordinates so that pixel centres (2x + 1) and ellipse centres are integers.
bool CRoundRegion::RowSpan(int y, int& left, int& right) const
{
    if (m_rect.IsEmpty() || y < m_rect.top || y >= m_rect.bottom)
        return false;
    left = m_rect.left;
    right = m_rect.right;
    const long long ew = m_ellipseWidth;
    const long long eh = m_ellipseHeight;
    if (ew == 0 || eh == 0)
        return true;
    const long long py = 2LL * y + 1;
    const long long topCentre = 2LL * m_rect.top + eh;
    const long long bottomCentre = 2LL * m_rect.bottom - eh;
    long long dy = 0;
    if (py < topCentre)
        dy = topCentre - py;
    else if (py > bottomCentre)
        dy = py - bottomCentre;
    else
        return true;
    // Inside the corner ellipse: dx^2 * eh^2 + dy^2 * ew^2 <= ew^2 * eh^2.
    const auto limit = static_cast<std::uint64_t>(ew * ew * (eh * eh - dy * dy) / (eh * eh));
    const auto reach = static_cast<long long>(SquareRootFloor(limit));
    const long long leftCentre = 2LL * m_rect.left + ew;
    const long long rightCentre = 2LL * m_rect.right - ew;
    left = static_cast<int>(std::max<long long>(m_rect.left, -FloorDiv2(-(leftCentre - reach - 1))));
    right = static_cast<int>(std::min<long long>(m_rect.right, FloorDiv2(rightCentre + reach - 1) + 1));
    return left < right;
}

bool CRoundRegion::Contains(int x, int y) const
{
    int left = 0;
    int right = 0;
    return RowSpan(y, left, right) && x >= left && x < right;
}

CDrawContext::CDrawContext(CBitmap& target) : m_target(&target)
{
    constexpr int kLow = std::numeric_limits<int>::min();
    constexpr int kHigh = std::numeric_limits<int>::max();
    m_clips.push_back({{kLow, kLow, kHigh, kHigh}, {}});
}

TRect CDrawContext::GetClipBox() const
{
    return m_clips.back().box.Intersect(m_target->GetBounds());
}

void CDrawContext::PushClip(const TRect& rect)
{
    TClip clip = m_clips.back();
    clip.box = clip.box.Intersect(rect);
    m_clips.push_back(std::move(clip));
}

void CDrawContext::PushRoundClip(const TRect& rect, const TRect& round, int ellipseWidth, int ellipseHeight)
{
    TClip clip = m_clips.back();
    clip.box = clip.box.Intersect(rect).Intersect(round);
    clip.rounds.emplace_back(round, ellipseWidth, ellipseHeight);
    m_clips.push_back(std::move(clip));
}

void CDrawContext::PopClip()
{
    if (m_clips.size() > 1)
        m_clips.pop_back();
}

bool CDrawContext::ClipRow(int y, int& left, int& right) const
{
    const TClip& clip = m_clips.back();
    const TRect box = GetClipBox();
    if (y < box.top || y >= box.bottom)
        return false;
    left = std::max(left, box.left);
    right = std::min(right, box.right);
    for (const CRoundRegion& round : clip.rounds) {
        int spanLeft = 0;
        int spanRight = 0;
        if (!round.RowSpan(y, spanLeft, spanRight))
            return false;
        left = std::max(left, spanLeft);
        right = std::min(right, spanRight);
    }
    return left < right;
}

bool CDrawContext::IsVisible(int x, int y) const
{
    if (x == std::numeric_limits<int>::max())
        return false;
    int left = x;
    int right = x + 1;
    return ClipRow(y, left, right);
}

} // namespace SkinUI
